#pragma once
// Whole-file replacement that never leaves a half-written file under the target name.
//
// The new content goes to a temporary file in the target's folder (unnamed where the file
// system allows it, else named ".mwex-XXXXXXXX.tmp"); every write, the sync and the
// rename are checked, and only a complete file is ever renamed over the target. On any
// failure (or cancel(), or destruction before commit) the temporary file is removed and
// the target is untouched.
//
// A rewrite of an existing file:
//  - holds an advisory lock (flock) on it from open() to the end, or the lock a caller
//    took with FileLock before reading it, so that two cooperating writers never
//    interleave; a second writer waits briefly, then fails with a clear message;
//  - re-checks the file's identity, size and modification time just before the rename,
//    so that a change made meanwhile by a program that does not lock is not lost;
//  - keeps the owner and group (refused when they cannot be kept), the mode (setuid and
//    setgid included) and the extended attributes (ACLs included);
//  - refuses a file with several names (hard links) unless AllowBreakingLinks is active;
//  - removes stale temporary files of its own pattern in that folder.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace common {

/// Which file, and in which state: to notice a change made by someone else.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 links = 0;
    bool sameFile(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
    /// Same file, same size, same modification and status-change times.
    bool unchanged(const FileIdentity& o) const
    {
        return sameFile(o) && size == o.size && modifiedNs == o.modifiedNs && changedNs == o.changedNs;
    }
    static std::optional<FileIdentity> OfPath(const QString& path);
    static std::optional<FileIdentity> OfFd(int fd);
};

/// Why a file operation failed, for callers that react differently.
enum class FileFailure {
    None,
    Io,             // open, read, write, sync or rename failed (disk full among them)
    NotRegular,     // a folder, FIFO, device…
    TooLarge,       // over the caller's size limit
    Busy,           // another program holds the lock
    Changed,        // changed by someone else meanwhile
    HardLinked,     // several names: needs the user's consent (AllowBreakingLinks)
    Ownership,      // owner or group could not be kept
};

/// Opens `path` for reading only when it is a regular file (checked after an open that
/// cannot block on a FIFO or device). Returns the descriptor, or -1 with `error`.
int OpenRegularFile(const QString& path, QString* error, FileFailure* failure = nullptr);

/// Reads a whole regular file of at most `maxBytes` bytes.
bool ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes, QString* error,
                     FileFailure* failure = nullptr, FileIdentity* identity = nullptr);

/// An advisory lock (flock) on an existing file, held for a whole read-modify-write.
/// Locks are shared within the process by path: a rewrite inside a workflow that locked
/// the file already uses that lock instead of waiting for itself. After a rewrite under
/// the lock commits, the lock moves to the new file, so that it is never free between
/// two rewrites of one workflow.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    /// Locks `path` (which must be a regular file), waiting up to LockWaitMs() for
    /// another writer. On failure `error` says why (FileFailure::Busy when it is locked).
    bool acquire(const QString& path, QString* error = nullptr, FileFailure* failure = nullptr);
    void release();
    bool held() const { return !key_.isEmpty(); }

    /// The file's identity when the lock was first taken in this process (or after the
    /// last rewrite under it).
    FileIdentity identity() const;
    /// Reads the locked file whole (at most `maxBytes`).
    bool readAll(qint64 maxBytes, QByteArray& bytes, QString* error = nullptr, FileFailure* failure = nullptr) const;

    /// How long a writer waits for another one: MWEX_LOCK_WAIT_MS, else 5000 ms.
    static int LockWaitMs();

private:
    QString key_;
};

/// While one is alive on this thread, rewrites may break hard links (the rewritten name
/// gets a file of its own; the other names keep the old content).
class AllowBreakingLinks {
public:
    AllowBreakingLinks();
    ~AllowBreakingLinks();
    AllowBreakingLinks(const AllowBreakingLinks&) = delete;
    AllowBreakingLinks& operator=(const AllowBreakingLinks&) = delete;
    static bool Active();
};

/// Whether `path` can be rewritten as it stands: Ok, NeedsConfirmation (a question the
/// window asks: the file has other names) or Refused (the message says why).
struct RewriteCheck {
    enum class Result { Ok, NeedsConfirmation, Refused };
    Result result = Result::Ok;
    QString message;
};
RewriteCheck CheckRewrite(const QString& path);

/// The temporary files of this module are named kTempPrefix + 8 letters A-Z + ".tmp".
inline constexpr char kTempPrefix[] = ".mwex-";
/// Removes temporary files of that pattern in `folder` that are older than `maxAgeSeconds`
/// and not in use. Returns how many were removed.
int RemoveStaleTemporaries(const QString& folder, int maxAgeSeconds = 300);

class AtomicFile {
public:
    /// The steps at which a failure can be injected by tests.
    enum class Step { Open, Write, Commit, Sync };
    /// Test hook: called before each step with the step and its index among the writes
    /// (0 for the others); returning false makes the step fail as an I/O error would (a
    /// failed Write fails with "no space left on device" after writing half its bytes).
    using FaultInjector = std::function<bool(Step step, int writeIndex)>;

    explicit AtomicFile(QString targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    bool write(QByteArrayView bytes);
    bool commit();
    void cancel();

    QString errorString() const { return error_; }
    FileFailure failure() const { return failure_; }
    const QString& targetPath() const { return target_; }

    /// Installs a process-wide fault injector (nullptr removes it). For tests only.
    static void SetFaultInjector(FaultInjector injector);

private:
    bool fail(const QString& message, FileFailure kind = FileFailure::Io);
    bool injected(Step step);
    bool keepAttributes();

    QString target_;   // as given
    QString resolved_; // a symlink's target
    QString folder_;
    QString error_;
    FileFailure failure_ = FileFailure::None;
    int fd_ = -1;
    QString tempPath_;   // the named temporary file (empty while unnamed)
    bool unnamed_ = false;
    std::optional<FileIdentity> original_;
    int originalFd_ = -1; // to copy attributes from
    FileLock lock_;
    int writes_ = 0;
    bool failed_ = false;
};

/// Replaces `path` with `bytes` atomically. On failure `error` gets the reason.
bool WriteFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

} // namespace common
