#pragma once
// Check marks: the four check-mark commands, the condition extraction of the
// "条件抽出" dialog and the list extractions by the other pane's rows.
//
// The decisions are pure functions over rows; the Apply… helpers carry them out on a
// pane through its own methods, so the window's list models see every change.

#include "browser/core/filerow.h"

#include <QList>
#include <span>
#include <vector>

namespace browser {
class FilePane;
}

namespace browser::lists {

enum class CheckCommand { SelectAll, SelectInverse, SelectNone };

/// The check mark of every row after the command.
QList<bool> ChecksAfter(CheckCommand command, std::span<const FileRow> rows);

/// Sets the pane's check marks to `checks` (one per row); rows whose mark does not
/// change are left alone. Returns the number of rows changed.
int ApplyChecks(FilePane& pane, const QList<bool>& checks);
/// A check-mark command on a pane ("SelectAll", "SelectInverse", "SelectNone").
int ApplyCheckCommand(FilePane& pane, CheckCommand command);

/// "SelectClear": removes every checked row from the list (nothing on disk), selects the
/// first remaining row (if any) and recomputes the pair marks of both panes. Returns the
/// number of rows removed.
int ClearCheckedRows(FilePane& pane, FilePane& other);

// Condition extraction.

enum class ConditionOp { Equals = 0, NotEquals = 1, Contains = 2, NotContains = 3 };

struct Condition {
    int column = 0;             // column index in creation order (0 = the file name)
    QString text;               // never empty when applied
    bool caseSensitive = false; // Check1
    ConditionOp op = ConditionOp::Equals;
};

/// The captions the dialog offers for a mode, in column order: every column with a
/// non-empty caption. Entry i is column i.
QStringList ConditionColumnCaptions(PaneMode mode);

/// Whether a row meets the condition in a list of the given mode.
bool RowMeetsCondition(const FileRow& row, PaneMode mode, const Condition& condition);

/// Rows that meet the condition (their indices in list order). An empty condition text
/// selects nothing.
std::vector<int> RowsMeetingCondition(std::span<const FileRow> rows, PaneMode mode, const Condition& condition);

/// What an extraction did: the rows it checked (matching rows keep or gain the mark,
/// the others keep theirs) and the first of them, or −1.
struct Extraction {
    std::vector<int> rows;
    int first = -1;
};

/// Checks the rows of `pane` that meet the condition and selects the first of them.
Extraction ApplyCondition(FilePane& pane, const Condition& condition);

// List extractions against the other pane (key: the name before its last ".", lower case).

/// Entry 0: rows that have a same-key row in `other`.
std::vector<int> RowsWithPartner(std::span<const FileRow> rows, std::span<const FileRow> other);
/// Entry 1: rows whose key NameMatches the key of `selectedName`.
std::vector<int> RowsMatchingName(std::span<const FileRow> rows, const QString& selectedName);
/// Entry 2: rows whose "title" and "artist" cells NameMatches those of `selected`; none
/// when either of the selected row's cells is empty, and never a row whose own title or
/// artist is empty (an empty text would match any other).
std::vector<int> RowsMatchingTags(std::span<const FileRow> rows, const FileRow& selected);

// Re-filtering a listed pane.

struct FilterState;

/// Removes the rows whose names fail the filter (a list filtered after it was scanned),
/// keeping the others in order, and recomputes the pair marks. Returns the rows removed.
int RemoveRowsFailingFilter(FilePane& pane, FilePane& other, const FilterState& filter);

/// Checks the given rows; `first` is the first of them that was not checked before, −1
/// when none was newly checked.
Extraction CheckRows(FilePane& pane, const std::vector<int>& rows);

} // namespace browser::lists
