#pragma once
// One file pane: its list mode and view, folder, the switches that drive its scan, and
// its rows in list order.
//
// The pane owns the rows; everything that changes them goes through its methods, which
// announce the change (the window's table model turns these signals into model
// notifications). A pane knows nothing about widgets.

#include "browser/core/filerow.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <vector>

namespace browser {

class FilePane : public QObject {
    Q_OBJECT
public:
    explicit FilePane(int index, QObject* parent = nullptr);

    int index() const { return index_; }

    // State shown by the pane's controls.
    PaneMode mode = PaneMode::Lyrics;
    PaneView view = PaneView::Folder;
    QString folder;          // the folder tree's current folder
    QString lastDrive;       // root of the last drive that could be entered
    bool subFolders = false; // ChkSubFolder
    bool filterOn = false;   // ChkFilter
    bool fromDataFile = false;
    /// The pane's name filter while `filterOn`: the scan runs it on its worker thread, so
    /// it must hold its own copy of the filter state. Empty = every name passes.
    std::function<bool(const QString& name)> nameFilter;
    /// The "folder=" of the data file the list was loaded from; the title shows it while
    /// that list is shown.
    QString loadedFolder;
    /// The folder the pane's title shows.
    QString titleFolder() const { return fromDataFile && view == PaneView::File ? loadedFolder : folder; }

    /// Pairing increment of the icon: 1 in lyrics mode, 2 in song mode.
    int increment() const { return mode == PaneMode::Lyrics ? 1 : 2; }
    bool isLyricsMode() const { return mode == PaneMode::Lyrics; }

    // Rows.
    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }
    const FileRow& row(int i) const { return rows_[static_cast<size_t>(i)]; }
    const std::vector<FileRow>& rows() const { return rows_; }

    void clearRows();
    void appendRows(std::vector<FileRow> rows);
    void appendRow(FileRow row);
    void removeRow(int i);
    /// Changes one row through `change` and announces it.
    void updateRow(int i, const std::function<void(FileRow&)>& change);

    /// Index of the selected row, −1 when none. One row is selected at a time.
    int selectedRow() const { return selected_; }
    void setSelectedRow(int i);
    /// N: rows; S: rows that are checked or selected.
    int countCheckedOrSelected() const;

    // Sorting by one column (index in creation order; `Col::Filename` is 0): sizes, times,
    // play times and bit rates by value, the other columns by text (CompareCells).
    int sortKey = 0;
    bool sorted = false;
    Qt::SortOrder sortOrder = Qt::DescendingOrder;
    /// Reorders the rows by column `key` (stable).
    void sortRows(int key, Qt::SortOrder order);
    /// Exchanges two rows whole (name, icon, cells, check mark, dimming); the selection
    /// follows its row.
    void swapRows(int a, int b);
    /// Sorting off and order descending, as after a rebuild.
    void resetSorting();

    /// Rows whose name without its last three characters, lower-cased, is `stem`.
    const QList<int>& rowsWithNameStem(const QString& stem) const;

Q_SIGNALS:
    void aboutToReset();
    void reset();
    void rowsAboutToBeAppended(int first, int last);
    void rowsAppended();
    void rowAboutToBeRemoved(int row);
    void rowRemoved();
    void rowChanged(int row);
    /// Rows are about to be reordered / were reordered; `oldToNew[i]` is old row i's place.
    void aboutToReorder();
    void reordered(const QList<int>& oldToNew);
    void selectionChanged(int row);

private:
    void dropIndex() const { indexValid_ = false; }

    int index_;
    std::vector<FileRow> rows_;
    int selected_ = -1;
    int checkedOrSelected_ = 0; // kept as rows change: the title asks for it often
    mutable QHash<QString, QList<int>> stemIndex_;
    mutable bool indexValid_ = true; // an empty list has its (empty) index
};

/// The pane title: "(S / N) folder" while rows are listed, the folder alone for N = 0.
QString PaneTitle(const QString& folder, int rows, int checkedOrSelected);
/// The folder read back from a title: everything up to and including the first ") "
/// is dropped when the text begins with "(".
QString FolderFromTitle(const QString& title);

} // namespace browser
