#include "browser/gui/filelistmodel.h"

#include "browser/core/rawnamescan.h"

#include <QApplication>
#include <QPalette>

namespace browser {

FileListModel::FileListModel(FilePane& pane, QObject* parent)
    : QAbstractTableModel(parent)
    , pane_(pane)
{
    connect(&pane_, &FilePane::aboutToReset, this, [this] { beginResetModel(); });
    connect(&pane_, &FilePane::reset, this, [this] { endResetModel(); });
    connect(&pane_, &FilePane::rowsAboutToBeAppended, this, [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&pane_, &FilePane::rowsAppended, this, [this] { endInsertRows(); });
    connect(&pane_, &FilePane::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(&pane_, &FilePane::rowRemoved, this, [this] { endRemoveRows(); });
    connect(&pane_, &FilePane::rowChanged, this, [this](int row) {
        if (!columns_.isEmpty())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(&pane_, &FilePane::aboutToReorder, this, [this] { Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); });
    connect(&pane_, &FilePane::reordered, this, &FileListModel::onReordered);
}

void FileListModel::setColumnsPresent(bool present)
{
    beginResetModel();
    columns_.clear();
    if (present) {
        columns_ = ModeColumns(pane_.mode);
        columns_.append({Col::Filename, QStringLiteral("dummy"), QString(), false});
    }
    arrowColumn_ = -1;
    arrow_ = 0;
    endResetModel();
}

QString FileListModel::columnKey(int column) const
{
    return column >= 0 && column < columns_.size() ? columns_.at(column).key : QString();
}

int FileListModel::columnOfKey(const QString& key) const
{
    for (qsizetype i = 0; i < columns_.size(); ++i)
        if (columns_.at(i).key == key)
            return static_cast<int>(i);
    return -1;
}

void FileListModel::setSortArrow(int column, int arrow)
{
    const int old = arrowColumn_;
    arrowColumn_ = arrow == 0 ? -1 : column;
    arrow_ = arrow;
    if (old >= 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, old, old);
    if (arrowColumn_ >= 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, arrowColumn_, arrowColumn_);
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : pane_.rowCount();
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= pane_.rowCount() || index.column() >= columns_.size())
        return {};
    const FileRow& row = pane_.row(index.row());
    const bool dummy = index.column() == columns_.size() - 1;
    switch (role) {
    case Qt::DisplayRole: // names that are not UTF-8 show read as CP932 and marked
        return dummy ? QString() : ShownCell(row, columns_.at(index.column()).col);
    case Qt::ToolTipRole:
        return dummy ? QString() : ShownToolTip(row, columns_.at(index.column()).col);
    case Qt::DecorationRole:
        if (index.column() == 0 && row.icon > 0 && rowIcon) {
            const QIcon icon = rowIcon(row.icon);
            if (row.dimmed && !icon.isNull()) {
                QIcon ghost;
                for (const QSize& size : icon.availableSizes())
                    ghost.addPixmap(icon.pixmap(size, QIcon::Disabled));
                return ghost.isNull() ? icon : ghost;
            }
            return icon;
        }
        return {};
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        if (row.dimmed)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::TextAlignmentRole:
        if (!dummy && columns_.at(index.column()).alignRight)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case IconNumberRole:
        return row.icon;
    case DimmedRole:
        return row.dimmed;
    default:
        return {};
    }
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || index.row() >= pane_.rowCount())
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    pane_.updateRow(index.row(), [checked](FileRow& r) { r.checked = checked; });
    Q_EMIT checkChanged(index.row());
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return columns_.at(section).caption;
    case Qt::DecorationRole:
        if (section == arrowColumn_ && arrowIcon)
            return arrowIcon(arrow_);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case ColumnKeyRole:
        return columns_.at(section).key;
    case SortArrowRole:
        return section == arrowColumn_ ? arrow_ : 0;
    default:
        return {};
    }
}

void FileListModel::onReordered(const QList<int>& oldToNew)
{
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to << (i.row() < oldToNew.size() ? index(oldToNew.at(i.row()), i.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace browser
