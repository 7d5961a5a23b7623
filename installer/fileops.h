#pragma once
// File-system operations of the installer. Errors are errno values (0 = success);
// SystemMessage turns one into the text the error log shows.
//
// Every operation that changes the file system reports the path to an optional
// observer first, so that tests and the fuzz target can check that nothing outside the
// expected folders is touched.

#include <QString>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace installer {

class Protection;

namespace fs {

/// Called with the path and a short operation name ("write", "mkdir", "remove", …)
/// before each change. For tests; nullptr removes it.
using MutationObserver = std::function<void(const QString& path, const char* operation)>;
void SetMutationObserver(MutationObserver observer);
void ReportMutation(const QString& path, const char* operation);

/// The bytes of a path on this system: UTF-8, except that a byte a definition held that
/// is no character of the code page (kept by the code page module as U+DC80 + byte) is
/// written as that very byte. FromNativeName is the reverse.
QByteArray NativeName(const QString& path);
QString FromNativeName(const QByteArray& bytes);

/// The system's text for an error, in fullwidth characters (as the error log shows it).
QString SystemMessage(int error);

bool Exists(const QString& path);      // anything, symbolic links included
bool IsFile(const QString& path);      // a regular file (following links)
bool IsFolder(const QString& path);    // a folder (following links)
bool IsRealFolder(const QString& path); // a folder, not a link to one
bool IsLink(const QString& path);       // a symbolic link (a trailing "/" is ignored)
std::optional<qint64> FileSize(const QString& path);
/// Modification time in nanoseconds since the epoch.
std::optional<qint64> ModificationTime(const QString& path);

/// Copies `source` to `destination` so that the destination is never a half-written
/// file: a new destination is written as an unnamed file in its folder and named when
/// complete; an existing one is replaced by an exclusively created temporary file in
/// its folder, renamed over it. The copy gets the source's modification time and
/// permissions, always writable by its owner.
/// `keepAlive` is called between chunks of a long copy.
int CopyFileAtomically(const QString& source, const QString& destination,
                       const std::function<void()>& keepAlive = {});

/// Replaces `path` with `bytes` in one step: a temporary file in its folder, synced and
/// renamed over it. A symbolic link at `path` is replaced, never followed, as copies do.
/// An existing file's permissions are kept; a new file gets 0644. 0 or an errno value.
int WriteFileReplacing(const QString& path, const QByteArray& bytes);

/// Creates an empty file with a unique name from `templatePath` ("…XXXXXX"), never
/// opening an existing file; gives its path or empty (with `error`).
QString CreateExclusiveFile(const QString& templatePath, int* error = nullptr);

/// Creates one folder (not the levels above). EEXIST when it is there already.
int MakeFolder(const QString& folder);
/// Creates every missing level; true when the folder exists afterwards.
bool CreateFolderPath(const QString& folder);
/// Removes an empty folder.
int RemoveFolder(const QString& folder);
/// Removes a file or symbolic link.
int RemoveFile(const QString& path);

/// Deletes a path, or with wildcards in its last part every matching entry of its
/// folder (names compared ignoring case); a matching folder goes with its content. Never
/// follows symbolic links, never leaves the file system it starts on, and refuses
/// (EPERM) to delete a protected folder or to use a wildcard inside one. ENOENT for a
/// missing path without wildcards.
int DeletePath(const QString& pathOrPattern, const Protection& protection);

} // namespace fs
} // namespace installer
