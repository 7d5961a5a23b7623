#pragma once
// The table model of one pane's file list: the pane's rows, one column per key of the
// pane's mode plus the trailing "dummy" column, check boxes on the first column, row
// icons by number, dimmed rows, and the sort-arrow image of the sorted column.

#include "browser/core/filepane.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

namespace browser {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        IconNumberRole = Qt::UserRole + 1, // int: the row's icon number
        DimmedRole,                        // bool
        ColumnKeyRole,                     // header: the column's key ("dummy" for the last)
        SortArrowRole,                     // header: 0 none, 1 descending, 2 ascending
    };

    explicit FileListModel(FilePane& pane, QObject* parent = nullptr);

    FilePane& pane() const { return pane_; }

    /// Columns of the pane's current mode plus "dummy" (BuildColumns); none at all when
    /// `present` is false (a list without columns, while the pane shows its folders).
    void setColumnsPresent(bool present);
    bool columnsPresent() const { return !columns_.isEmpty(); }
    /// The key of a column ("dummy" for the trailing one), empty when out of range.
    QString columnKey(int column) const;
    /// The column (logical index) of a key, −1 when absent.
    int columnOfKey(const QString& key) const;
    /// The column that shows the sort arrow and which arrow (1 descending, 2 ascending).
    void setSortArrow(int column, int arrow);
    int sortArrowColumn() const { return arrowColumn_; }

    /// Images: row icons by number, and the two sort arrows.
    std::function<QIcon(int iconNumber)> rowIcon;
    std::function<QIcon(int arrow)> arrowIcon;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    /// The user changed a row's check box.
    void checkChanged(int row);

private:
    void onReordered(const QList<int>& oldToNew);

    FilePane& pane_;
    QList<ColumnDef> columns_; // mode columns, then the dummy column
    int arrowColumn_ = -1;
    int arrow_ = 0;
};

} // namespace browser
