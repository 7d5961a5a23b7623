#pragma once
// Small POSIX helpers shared by the file operations and the trash: identity of a file,
// renames that never replace, and reasons for failures in the user's language.

#include "common/rawname.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace fileops {

/// A file's identity: its device and inode.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

/// The identity of what `path` names, following links; nullopt when it does not exist.
std::optional<FileId> IdentityOf(const QString& path);
/// True when the two paths name the same file (same device and inode).
bool SameFile(const QString& a, const QString& b);

/// Renames `from` to `to` unless `to` already exists (EEXIST then). Uses renameat2 with
/// RENAME_NOREPLACE; where the file system lacks it, links the new name and unlinks the
/// old one, which is just as exclusive. Returns 0 or the errno of the failure.
int RenameNoReplace(const QByteArray& from, const QByteArray& to);

/// A short Japanese reason for an errno value ("アクセスが拒否されました。").
QString ReasonFor(int err);

/// The bytes of `path` for system calls, also for a name that is not UTF-8 (see
/// common/rawname.h).
inline QByteArray Native(const QString& path) { return common::NativePath(path); }

} // namespace fileops
