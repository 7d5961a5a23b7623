#pragma once
// The scan's view of names Qt cannot list: files and folders whose names are not valid
// UTF-8 (Shift_JIS names from old Windows archives, most often). QDirIterator leaves
// them out; these helpers add them, with their names in the lossless escaped form of
// common/rawname.h, so that the rows list, open and play them by their real bytes.

#include "browser/core/filerow.h"
#include "browser/core/scan.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace browser {

/// Adds to `files` the files of `folder` matching `pattern` ("*.txt", case ignored)
/// that QDirIterator does not list.
void AddFilesQtSkips(const QString& folder, const QString& pattern, std::vector<FoundFile>& files);

/// Adds to `names` the sub-folders of `folder` (not beginning with ".") that QDirIterator
/// does not list and that `visited` (canonical paths) does not hold yet; records them there.
void AddFoldersQtSkips(const QString& folder, QStringList& names, QSet<QString>& visited);

/// The mark in front of a name that is not UTF-8 in the lists.
QString RawNameMark();

/// The text a list shows in a cell: a name that is not UTF-8 is read as CP932 and
/// marked; a folder that is not UTF-8 is read as CP932. Other cells as they are.
QString ShownCell(const FileRow& row, Col col);

/// The tool tip of a cell: the shown text, and for a name that is not UTF-8 why it is
/// marked and how to mend it.
QString ShownToolTip(const FileRow& row, Col col);

} // namespace browser
