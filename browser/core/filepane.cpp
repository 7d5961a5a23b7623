#include "browser/core/filepane.h"

#include "browser/core/pairing.h"
#include "browser/core/sortkeys.h"

#include <algorithm>
#include <numeric>

namespace browser {

FilePane::FilePane(int index, QObject* parent)
    : QObject(parent)
    , index_(index)
{
}

void FilePane::clearRows()
{
    Q_EMIT aboutToReset();
    rows_.clear();
    rows_.shrink_to_fit();
    selected_ = -1;
    checkedOrSelected_ = 0;
    // The name index of an empty list is empty; appended rows keep it up to date, so the
    // other pane's scan pairs against it without building it in one go.
    stemIndex_.clear();
    indexValid_ = true;
    Q_EMIT reset();
}

void FilePane::appendRows(std::vector<FileRow> rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    const int last = first + static_cast<int>(rows.size()) - 1;
    Q_EMIT rowsAboutToBeAppended(first, last);
    // Grows by doubling: a scan appends a large list in small slices.
    if (rows_.capacity() < rows_.size() + rows.size())
        rows_.reserve(std::max(rows_.size() + rows.size(), rows_.capacity() * 2));
    for (FileRow& r : rows) {
        r.selected = false;
        if (r.checked)
            ++checkedOrSelected_;
        if (indexValid_)
            stemIndex_[NameStem(r.name)].append(static_cast<int>(rows_.size()));
        rows_.push_back(std::move(r));
    }
    Q_EMIT rowsAppended();
}

void FilePane::appendRow(FileRow row)
{
    std::vector<FileRow> one;
    one.push_back(std::move(row));
    appendRows(std::move(one));
}

void FilePane::removeRow(int i)
{
    if (i < 0 || i >= rowCount())
        return;
    Q_EMIT rowAboutToBeRemoved(i);
    if (rows_[static_cast<size_t>(i)].checked || rows_[static_cast<size_t>(i)].selected)
        --checkedOrSelected_;
    rows_.erase(rows_.begin() + i);
    if (selected_ == i)
        selected_ = -1;
    else if (selected_ > i)
        --selected_;
    dropIndex();
    Q_EMIT rowRemoved();
}

void FilePane::updateRow(int i, const std::function<void(FileRow&)>& change)
{
    if (i < 0 || i >= rowCount())
        return;
    FileRow& r = rows_[static_cast<size_t>(i)];
    const QString oldName = r.name;
    const bool counted = r.checked || r.selected;
    change(r);
    checkedOrSelected_ += int(r.checked || r.selected) - int(counted);
    if (r.name != oldName)
        dropIndex();
    Q_EMIT rowChanged(i);
}

void FilePane::setSelectedRow(int i)
{
    if (i < -1 || i >= rowCount())
        i = -1;
    if (i == selected_)
        return;
    const int old = selected_;
    selected_ = i;
    if (old >= 0) {
        FileRow& r = rows_[static_cast<size_t>(old)];
        r.selected = false;
        if (!r.checked)
            --checkedOrSelected_;
        Q_EMIT rowChanged(old);
    }
    if (i >= 0) {
        FileRow& r = rows_[static_cast<size_t>(i)];
        if (!r.checked)
            ++checkedOrSelected_;
        r.selected = true;
        Q_EMIT rowChanged(i);
    }
    Q_EMIT selectionChanged(i);
}

int FilePane::countCheckedOrSelected() const
{
    return checkedOrSelected_;
}

void FilePane::sortRows(int key, Qt::SortOrder order)
{
    const QList<ColumnDef>& cols = ModeColumns(mode);
    const bool known = key >= 0 && key < cols.size();
    const Col col = known ? cols.at(key).col : Col::Filename;
    std::vector<int> perm;
    if (known) {
        perm = SortedOrder(rows_, col, order);
    } else {
        perm.resize(rows_.size());
        std::iota(perm.begin(), perm.end(), 0);
    }
    sortKey = key;
    sortOrder = order;
    sorted = true;
    Q_EMIT aboutToReorder();
    QList<int> oldToNew(static_cast<qsizetype>(rows_.size()));
    for (size_t n = 0; n < perm.size(); ++n)
        oldToNew[perm[n]] = static_cast<int>(n);
    // The rows move in place, cycle by cycle: each moves once, and no second list of a
    // large pane's size is allocated.
    std::vector<bool> placed(rows_.size(), false);
    for (size_t start = 0; start < perm.size(); ++start) {
        if (placed[start] || static_cast<size_t>(perm[start]) == start)
            continue;
        FileRow carried = std::move(rows_[start]);
        size_t to = start;
        for (;;) {
            placed[to] = true;
            const size_t from = static_cast<size_t>(perm[to]);
            if (from == start) {
                rows_[to] = std::move(carried);
                break;
            }
            rows_[to] = std::move(rows_[from]);
            to = from;
        }
    }
    if (selected_ >= 0)
        selected_ = oldToNew.at(selected_);
    dropIndex();
    Q_EMIT reordered(oldToNew);
}

void FilePane::swapRows(int a, int b)
{
    if (a == b || a < 0 || b < 0 || a >= rowCount() || b >= rowCount())
        return;
    Q_EMIT aboutToReorder();
    std::swap(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)]);
    QList<int> oldToNew(rowCount());
    std::iota(oldToNew.begin(), oldToNew.end(), 0);
    oldToNew[a] = b;
    oldToNew[b] = a;
    if (selected_ == a || selected_ == b)
        selected_ = oldToNew.at(selected_);
    dropIndex();
    Q_EMIT reordered(oldToNew);
}

void FilePane::resetSorting()
{
    sorted = false;
    sortOrder = Qt::DescendingOrder;
}

const QList<int>& FilePane::rowsWithNameStem(const QString& stem) const
{
    static const QList<int> none;
    if (!indexValid_) {
        stemIndex_.clear();
        for (size_t i = 0; i < rows_.size(); ++i)
            stemIndex_[NameStem(rows_[i].name)].append(static_cast<int>(i));
        indexValid_ = true;
    }
    const auto it = stemIndex_.constFind(stem);
    return it == stemIndex_.constEnd() ? none : it.value();
}

QString PaneTitle(const QString& folder, int rows, int checkedOrSelected)
{
    if (rows == 0)
        return folder;
    return QStringLiteral("(%1 / %2) %3").arg(checkedOrSelected).arg(rows).arg(folder);
}

QString FolderFromTitle(const QString& title)
{
    if (!title.startsWith(QLatin1Char('(')))
        return title;
    const qsizetype at = title.indexOf(QLatin1String(") "));
    return at < 0 ? title : title.mid(at + 2);
}

} // namespace browser
