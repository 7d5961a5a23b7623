#pragma once
// The lists' view of names Qt cannot list: files and folders whose names are not valid
// UTF-8 (Shift_JIS names from old Windows archives, most often). The scan reads them
// with their names in the lossless escaped form of common/rawname.h, so that the rows
// list, open and play them by their real bytes; these helpers show them.

#include "browser/core/filerow.h"
#include "browser/core/scan.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace browser {

/// The mark in front of a name that is not UTF-8 in the lists.
QString RawNameMark();

/// The text a list shows in a cell: a name that is not UTF-8 is read as CP932 and
/// marked; a folder that is not UTF-8 is read as CP932. Other cells as they are.
QString ShownCell(const FileRow& row, Col col);

/// The tool tip of a cell: the shown text, and for a name that is not UTF-8 why it is
/// marked and how to mend it.
QString ShownToolTip(const FileRow& row, Col col);

} // namespace browser
