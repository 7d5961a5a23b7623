#pragma once
// Renaming files whose names are not UTF-8 (Shift_JIS names from old Windows archives)
// to the UTF-8 spelling of their CP932 reading.
//
// A plan lists each file with its old name (in the escaped form of common/rawname.h),
// the proposed new name and whether it can go ahead. Nothing is ever overwritten: a new
// name that exists already, or that two old names would share, is left out, and the
// rename itself is exclusive (RENAME_NOREPLACE), so a file that appears meanwhile is not
// replaced either.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fileops {

struct RawRename {
    enum class Status {
        Ready,     // can be renamed
        Exists,    // a file of the new name is there already
        Duplicate, // another file of the plan takes the same new name
        NoName,    // the old name is not CP932 either: no name to propose
    };
    QString folder;  // with a trailing "/"
    QString oldName; // escaped form
    QString newName; // UTF-8 name (empty for NoName)
    Status status = Status::NoName;

    QString oldPath() const { return folder + oldName; }
    QString newPath() const { return folder + newName; }
};

/// The plan for `names` (escaped forms; names that are UTF-8 already are left out) in
/// `folder`, in the order given.
std::vector<RawRename> PlanRawRenames(const QString& folder, const QStringList& names);

/// The plan for every entry of `folder` whose name is not UTF-8, in name order.
std::vector<RawRename> PlanFolderRawRenames(const QString& folder);

/// The status in words, for the preview ("変換します", "同名のファイルがあります" …).
QString RawRenameStatusText(RawRename::Status status);

struct RawRenameResult {
    std::vector<RawRename> renamed;
    std::vector<std::pair<RawRename, int>> failed; // with the errno (EEXIST: appeared meanwhile)
};

/// Renames every Ready entry of `plan`, never replacing a file.
RawRenameResult ApplyRawRenames(const std::vector<RawRename>& plan);

/// One message for the failures and the entries left out, or empty when there are none.
QString RawRenameReport(const std::vector<RawRename>& plan, const RawRenameResult& result);

} // namespace fileops
