#pragma once
// Pairing of same-named files across the two panes.
//
// Two files pair when their names agree, ignoring case, once the extension is taken
// off. A paired row shows the mark "○" in its "match" cell and its icon is raised by the
// pane's increment (1 lyrics, 2 songs). PairRow takes the name without its last three
// characters (the extension of the scanned patterns); RepairAll strips the real
// extension, so it also pairs names such as "song.text".

#include <QString>

namespace browser {

class FilePane;

/// Lower-case name without its last three characters.
QString NameStem(const QString& name);
/// Lower-case name without its extension (from the last "."); a name without "." whole.
QString ExtensionStem(const QString& name);

/// Marks row `row` of `pane` and its partners in `other`, after the row was (re)read.
/// Rows of `other` whose details were never read (icon 0) are not marked.
void PairRow(FilePane& pane, int row, FilePane& other);
/// Recomputes every mark of both panes (after a list was rebuilt, reduced or renamed).
void RepairAll(FilePane& left, FilePane& right);
/// Removes every mark of a pane.
void ClearPairMarks(FilePane& pane);

/// The first row of `other` whose name stem (last three characters off) equals that of
/// row `row` of `pane`, or −1.
int FindPartnerRow(const FilePane& pane, int row, const FilePane& other);
/// The first row of `pane` whose extension stem equals `name`'s, or −1.
int FindSameStemRow(const FilePane& pane, const QString& name);

} // namespace browser
