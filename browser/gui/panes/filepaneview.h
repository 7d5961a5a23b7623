#pragma once
// FilePaneView: one file pane of the window (two instances, left 0 and right 1). It owns
// the pane's controls (PaneWidgets) and handles their events: the folder view (drives and
// tree), the switch to the file list and its scan, the columns and sorting, the title,
// and the mouse and keys on the rows. What it needs from other areas goes through the
// Workbench; what they need from it goes out as signals.

#include "browser/core/columns.h"
#include "browser/core/filepane.h"
#include "browser/gui/panes/panewidgets.h"

#include <QObject>
#include <optional>

class QKeyEvent;
class QModelIndex;
class QPoint;
class QTableView;

namespace browser {

class FileListModel;
struct RowPress;
struct Workbench;

class FilePaneView : public QObject {
    Q_OBJECT
public:
    FilePaneView(int index, Workbench& bench, RowPress& press, QObject* parent);

    /// Builds the controls; the drive list starts on the drive of `startFolder`.
    void build(const QString& startFolder);

    int index() const { return index_; }
    FilePane& pane() const;
    PaneWidgets& widgets() { return ui_; }
    const PaneWidgets& widgets() const { return ui_; }
    QWidget* frame() const { return ui_.frame; }
    QTableView* list() const { return ui_.list; }
    FileListModel& model() const { return *ui_.model; }
    /// The file list is shown (not the folder tree).
    bool showsFiles() const;
    bool hasRows() const;
    bool isLyricsMode() const;
    QString folder() const;

    /// Makes this pane the active one.
    void activate();
    /// Paints the title as the active pane's or not.
    void paintTitle(bool active);
    /// Gives the focus to the tree or the list, whichever is shown.
    void focus();

    void switchView(PaneView view);
    /// Rebuilds the columns and rows from the folder. False when stopped by the user.
    bool scan();
    /// Lists the folder again ("ファイルリストの更新") and shows its first row.
    void research();
    /// Re-reads the details of every checked row.
    void refreshCheckedRows();
    void showFolder(const QString& path);
    void driveChanged();
    void buildColumns();
    /// Stores the columns' widths and order and empties the list.
    void captureColumns();
    /// Stores the columns' widths and order (the list stays).
    void captureColumnLayout();
    void applyColumnLayout();
    void updateTitle();
    void sortByColumn(int column);
    bool refreshRow(int row);
    /// Adds the row of a file the workbench wrote into the listed folder (or re-reads
    /// its row); false when the list does not show such a file.
    bool addFileRow(const QString& path);
    void selectRow(int row);
    /// Selects a row without it being shown in the lyrics pane.
    void selectRowQuietly(int row);
    /// A row is being selected quietly now (it is not to be shown).
    bool selectingQuietly() const;
    void autoSelectPartner(int row);
    void setTreeEnabled(bool enabled);
    void showToolTips(bool on);
    /// Whether the pane handles the keys of this object itself (its tree and list).
    bool handlesKeysOf(const QObject* watched) const;

    /// Column widths that fit the window's font (the list's fonts) for both modes.
    ColumnLayout fittedColumnDefaults() const;

Q_SIGNALS:
    void activated(int pane);
    /// The file list is about to close: a row of it shown in the lyrics pane goes.
    void fileListClosing(int pane);
    /// A row is to be shown in the lyrics pane.
    void rowShowRequested(int pane, int row);
    /// Enter or a double click on a lyrics row: the lyrics pane enters edit mode.
    void editRequested();
    /// Enter or a double click on a song row: the song information editor opens on it.
    void songEditRequested(int pane, int row);
    void rowMenuRequested(int pane, int row, const QPoint& globalPos);
    /// A press on a row was held long enough: the row may be dragged out (with Shift
    /// held at the press, the checked rows go along).
    void rowDragRequested(int pane, int row, bool withChecked);
    void quickMenuRequested(int pane);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void setTitleText(const QString& text);
    void onModeClicked(int mode);
    void onViewClicked(int view);
    void onTreeCurrentChanged(const QModelIndex& index);
    bool setTreeFolder(const QString& path);
    bool setDriveFor(const QString& path);
    bool treeKeyPress(QKeyEvent* key);
    bool listMouseEvent(QEvent* event);
    void listKeyDown(QKeyEvent* event, bool* handled);
    void listKeyUp(QKeyEvent* event);
    void listFocusIn();
    void moveSelectedRow(int step);
    void rowMouseDown(int row, bool shift);
    void rowMouseUp();
    void pressTimerFired();
    void rowDoubleClick();

    int index_;
    Workbench& bench_;
    RowPress& press_;
    PaneWidgets ui_;
    bool scrollPending_ = false; // the chosen folder is to be scrolled to once its parent is read
};

} // namespace browser
