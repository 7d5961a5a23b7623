#include "browser/lists/checks.h"

#include "browser/core/filepane.h"
#include "browser/core/pairing.h"
#include "browser/lists/namefilter.h"
#include "browser/lists/namematch.h"

#include <QSet>

namespace browser::lists {

QList<bool> ChecksAfter(CheckCommand command, std::span<const FileRow> rows)
{
    QList<bool> out;
    out.reserve(static_cast<qsizetype>(rows.size()));
    for (const FileRow& r : rows) {
        switch (command) {
        case CheckCommand::SelectAll:
            out << true;
            break;
        case CheckCommand::SelectInverse:
            out << !r.checked;
            break;
        case CheckCommand::SelectNone:
            out << false;
            break;
        }
    }
    return out;
}

int ApplyChecks(FilePane& pane, const QList<bool>& checks)
{
    int changed = 0;
    const int n = std::min(pane.rowCount(), static_cast<int>(checks.size()));
    for (int i = 0; i < n; ++i) {
        if (pane.row(i).checked == checks.at(i))
            continue;
        pane.updateRow(i, [c = checks.at(i)](FileRow& r) { r.checked = c; });
        ++changed;
    }
    return changed;
}

int ApplyCheckCommand(FilePane& pane, CheckCommand command)
{
    return ApplyChecks(pane, ChecksAfter(command, pane.rows()));
}

namespace {

/// Keeps the rows `keep` accepts, selects the first one and recomputes the pair marks.
int KeepRows(FilePane& pane, FilePane& other, const std::function<bool(const FileRow&)>& keep)
{
    std::vector<FileRow> kept;
    kept.reserve(pane.rows().size());
    for (const FileRow& r : pane.rows())
        if (keep(r))
            kept.push_back(r);
    const int removed = pane.rowCount() - static_cast<int>(kept.size());
    if (removed == 0)
        return 0;
    // One reset instead of a removal per row: removing thousands of rows one by one
    // would move the rest of the list each time.
    pane.clearRows();
    pane.appendRows(std::move(kept));
    if (!pane.isEmpty())
        pane.setSelectedRow(0);
    ClearPairMarks(pane);
    if (pane.index() == 0)
        RepairAll(pane, other);
    else
        RepairAll(other, pane);
    return removed;
}

} // namespace

int ClearCheckedRows(FilePane& pane, FilePane& other)
{
    return KeepRows(pane, other, [](const FileRow& r) { return !r.checked; });
}

int RemoveRowsFailingFilter(FilePane& pane, FilePane& other, const FilterState& filter)
{
    const NameFilter prepared(filter);
    return KeepRows(pane, other, [&prepared](const FileRow& r) { return prepared.passes(r.name); });
}

QStringList ConditionColumnCaptions(PaneMode mode)
{
    QStringList out;
    for (const ColumnDef& c : ModeColumns(mode))
        if (!c.caption.isEmpty())
            out << c.caption;
    return out;
}

bool RowMeetsCondition(const FileRow& row, PaneMode mode, const Condition& condition)
{
    const QList<ColumnDef>& cols = ModeColumns(mode);
    if (condition.column < 0 || condition.column >= cols.size())
        return false;
    QString value = row.cell(cols.at(condition.column).col);
    QString text = condition.text;
    if (!condition.caseSensitive) {
        value = value.toLower();
        text = text.toLower();
    }
    switch (condition.op) {
    case ConditionOp::Equals:
        return value == text;
    case ConditionOp::NotEquals:
        return value != text;
    case ConditionOp::Contains:
        return value.contains(text);
    case ConditionOp::NotContains:
        return !value.contains(text);
    }
    return false;
}

std::vector<int> RowsMeetingCondition(std::span<const FileRow> rows, PaneMode mode, const Condition& condition)
{
    std::vector<int> out;
    if (condition.text.isEmpty())
        return out;
    for (size_t i = 0; i < rows.size(); ++i)
        if (RowMeetsCondition(rows[i], mode, condition))
            out.push_back(static_cast<int>(i));
    return out;
}

Extraction CheckRows(FilePane& pane, const std::vector<int>& rows)
{
    Extraction e;
    e.rows = rows;
    for (int i : rows) {
        if (i < 0 || i >= pane.rowCount() || pane.row(i).checked)
            continue;
        if (e.first < 0)
            e.first = i;
        pane.updateRow(i, [](FileRow& r) { r.checked = true; });
    }
    return e;
}

Extraction ApplyCondition(FilePane& pane, const Condition& condition)
{
    const std::vector<int> rows = RowsMeetingCondition(pane.rows(), pane.mode, condition);
    Extraction e = CheckRows(pane, rows);
    e.first = rows.empty() ? -1 : rows.front();
    if (e.first >= 0)
        pane.setSelectedRow(e.first);
    return e;
}

std::vector<int> RowsWithPartner(std::span<const FileRow> rows, std::span<const FileRow> other)
{
    QSet<QString> keys;
    for (const FileRow& r : other)
        keys.insert(ExtensionStem(r.name));
    std::vector<int> out;
    for (size_t i = 0; i < rows.size(); ++i)
        if (keys.contains(ExtensionStem(rows[i].name)))
            out.push_back(static_cast<int>(i));
    return out;
}

std::vector<int> RowsMatchingName(std::span<const FileRow> rows, const QString& selectedName)
{
    const QString key = ExtensionStem(selectedName);
    std::vector<int> out;
    for (size_t i = 0; i < rows.size(); ++i)
        if (NameMatches(ExtensionStem(rows[i].name), key))
            out.push_back(static_cast<int>(i));
    return out;
}

std::vector<int> RowsMatchingTags(std::span<const FileRow> rows, const FileRow& selected)
{
    const QString title = selected.cell(Col::Title);
    const QString artist = selected.cell(Col::Artist);
    std::vector<int> out;
    if (title.isEmpty() || artist.isEmpty())
        return out;
    for (size_t i = 0; i < rows.size(); ++i) {
        const FileRow& r = rows[i];
        // An empty text would match anything: a row without tags is not the same song.
        if (r.cell(Col::Title).isEmpty() || r.cell(Col::Artist).isEmpty())
            continue;
        if (NameMatches(r.cell(Col::Title), title) && NameMatches(r.cell(Col::Artist), artist))
            out.push_back(static_cast<int>(i));
    }
    return out;
}

} // namespace browser::lists
