#include "common/atomicfile.h"

#include "common/rawname.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

namespace common {
namespace {

AtomicFile::FaultInjector& Injector()
{
    static AtomicFile::FaultInjector injector;
    return injector;
}

QByteArray Native(const QString& path)
{
    return NativePath(path);
}

QString Reason(int err = errno)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

FileIdentity FromStat(const struct stat& st)
{
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    id.links = st.st_nlink;
    return id;
}

bool Set(QString* out, const QString& text)
{
    if (out)
        *out = text;
    return false;
}

template <typename T>
void SetIf(T* out, T value)
{
    if (out)
        *out = value;
}

/// The locks this process holds, by the canonical path of the file.
struct HeldLock {
    int fd = -1;
    FileIdentity identity;
    int refs = 0;
};

std::mutex& LockMutex()
{
    static std::mutex m;
    return m;
}

std::map<QString, HeldLock>& HeldLocks()
{
    static std::map<QString, HeldLock> locks;
    return locks;
}

QString LockKey(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

thread_local int tBreakLinks = 0;

bool ReadFd(int fd, qint64 maxBytes, QByteArray& bytes, QString* error, FileFailure* failure, const QString& path)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        SetIf(failure, FileFailure::Io);
        return Set(error, QStringLiteral("cannot read %1: %2").arg(path, Reason()));
    }
    if (st.st_size > maxBytes) {
        SetIf(failure, FileFailure::TooLarge);
        return Set(error, QStringLiteral("%1 is too large (%2 bytes; at most %3 are read)").arg(path).arg(st.st_size).arg(maxBytes));
    }
    bytes.clear();
    bytes.resize(qsizetype(st.st_size));
    qint64 done = 0;
    // Read to the real end: the size may have changed since fstat.
    for (;;) {
        if (done == bytes.size()) {
            if (done >= maxBytes + 1)
                break;
            bytes.resize(std::min<qint64>(done + 65536, maxBytes + 1));
            if (done == bytes.size())
                break;
        }
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            SetIf(failure, FileFailure::Io);
            return Set(error, QStringLiteral("cannot read %1: %2").arg(path, Reason()));
        }
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(qsizetype(done));
    if (done > maxBytes) {
        SetIf(failure, FileFailure::TooLarge);
        return Set(error, QStringLiteral("%1 is too large (more than %2 bytes)").arg(path).arg(maxBytes));
    }
    return true;
}

bool IsOurTemporaryName(const char* name)
{
    const size_t prefix = std::strlen(kTempPrefix);
    if (std::strncmp(name, kTempPrefix, prefix) != 0 || std::strlen(name) != prefix + 8 + 4)
        return false;
    for (size_t i = prefix; i < prefix + 8; ++i)
        if (name[i] < 'A' || name[i] > 'Z')
            return false;
    return std::strcmp(name + prefix + 8, ".tmp") == 0;
}

QString RandomTempName()
{
    QString name = QLatin1String(kTempPrefix);
    for (int i = 0; i < 8; ++i)
        name += QChar(char16_t(u'A' + QRandomGenerator::global()->bounded(26)));
    return name + QStringLiteral(".tmp");
}

bool InGroup(gid_t gid)
{
    if (gid == ::getegid())
        return true;
    const int n = ::getgroups(0, nullptr);
    if (n <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    const int got = ::getgroups(n, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid)
            return true;
    return false;
}

/// Why the owner or group of a file with `st` could not be kept by this process; empty
/// when they can.
QString OwnershipProblem(const QString& path, const struct stat& st)
{
    if (::geteuid() == 0)
        return {};
    if (st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user; a rewrite would make it yours, so it was not rewritten").arg(path);
    if (!InGroup(st.st_gid))
        return QStringLiteral("%1 belongs to a group you are not in; a rewrite would change its group, so it was not rewritten")
            .arg(path);
    return {};
}

} // namespace

// --- identity, regular files -------------------------------------------------------

std::optional<FileIdentity> FileIdentity::OfPath(const QString& path)
{
    struct stat st;
    if (::stat(Native(path).constData(), &st) != 0)
        return std::nullopt;
    return FromStat(st);
}

std::optional<FileIdentity> FileIdentity::OfFd(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return FromStat(st);
}

int OpenRegularFile(const QString& path, QString* error, FileFailure* failure)
{
    // O_NONBLOCK: opening a FIFO without a writer must not hang.
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetIf(failure, FileFailure::Io);
        Set(error, QStringLiteral("cannot open %1: %2").arg(path, Reason()));
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetIf(failure, FileFailure::NotRegular);
        Set(error, QStringLiteral("%1 is not a regular file").arg(path));
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes, QString* error, FileFailure* failure,
                     FileIdentity* identity)
{
    const int fd = OpenRegularFile(path, error, failure);
    if (fd < 0)
        return false;
    const bool ok = ReadFd(fd, maxBytes, bytes, error, failure, path);
    if (ok && identity)
        *identity = FileIdentity::OfFd(fd).value_or(FileIdentity());
    ::close(fd);
    return ok;
}

// --- locks ---------------------------------------------------------------------------

int FileLock::LockWaitMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("MWEX_LOCK_WAIT_MS", &ok);
    return ok && ms >= 0 ? ms : 5000;
}

bool FileLock::acquire(const QString& path, QString* error, FileFailure* failure)
{
    release();
    const QString key = LockKey(path);
    {
        std::lock_guard<std::mutex> guard(LockMutex());
        auto it = HeldLocks().find(key);
        if (it != HeldLocks().end()) {
            ++it->second.refs;
            key_ = key;
            return true;
        }
    }
    const int waitMs = LockWaitMs();
    struct timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        const int fd = OpenRegularFile(path, error, failure);
        if (fd < 0)
            return false;
        bool locked = false;
        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                locked = true;
                break;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) {
                // A file system without locks: go on without one; the re-check before
                // the rename still notices a change.
                if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS)
                    locked = true;
                break;
            }
            struct timespec now;
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            const qint64 elapsed = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
            if (elapsed >= waitMs)
                break;
            QThread::msleep(20);
        }
        if (!locked) {
            ::close(fd);
            SetIf(failure, FileFailure::Busy);
            return Set(error, QStringLiteral("%1 is being changed by another program; nothing was written (try again "
                                             "when it has finished)")
                                  .arg(path));
        }
        // The file may have been replaced while this process waited: lock the new one.
        const std::optional<FileIdentity> mine = FileIdentity::OfFd(fd);
        const std::optional<FileIdentity> named = FileIdentity::OfPath(path);
        if (mine && named && mine->sameFile(*named)) {
            std::lock_guard<std::mutex> guard(LockMutex());
            HeldLocks()[key] = HeldLock{fd, *mine, 1};
            key_ = key;
            return true;
        }
        ::close(fd);
        if (!named) {
            SetIf(failure, FileFailure::Changed);
            return Set(error, QStringLiteral("%1 was removed by another program").arg(path));
        }
    }
}

void FileLock::release()
{
    if (key_.isEmpty())
        return;
    std::lock_guard<std::mutex> guard(LockMutex());
    auto it = HeldLocks().find(key_);
    if (it != HeldLocks().end() && --it->second.refs <= 0) {
        ::close(it->second.fd); // closing the last descriptor releases the flock
        HeldLocks().erase(it);
    }
    key_.clear();
}

FileIdentity FileLock::identity() const
{
    std::lock_guard<std::mutex> guard(LockMutex());
    auto it = HeldLocks().find(key_);
    return it == HeldLocks().end() ? FileIdentity() : it->second.identity;
}

bool FileLock::readAll(qint64 maxBytes, QByteArray& bytes, QString* error, FileFailure* failure) const
{
    int fd = -1;
    {
        std::lock_guard<std::mutex> guard(LockMutex());
        auto it = HeldLocks().find(key_);
        if (it != HeldLocks().end())
            fd = ::dup(it->second.fd);
    }
    if (fd < 0) {
        SetIf(failure, FileFailure::Io);
        return Set(error, QStringLiteral("the file is not locked"));
    }
    const bool ok = ReadFd(fd, maxBytes, bytes, error, failure, key_);
    ::close(fd);
    return ok;
}

AllowBreakingLinks::AllowBreakingLinks()
{
    ++tBreakLinks;
}

AllowBreakingLinks::~AllowBreakingLinks()
{
    --tBreakLinks;
}

bool AllowBreakingLinks::Active()
{
    return tBreakLinks > 0;
}

RewriteCheck CheckRewrite(const QString& path)
{
    RewriteCheck check;
    struct stat st;
    if (::stat(Native(path).constData(), &st) != 0)
        return check; // a new file
    if (!S_ISREG(st.st_mode))
        return {RewriteCheck::Result::Refused, QStringLiteral("%1 is not a regular file").arg(path)};
    if (const QString problem = OwnershipProblem(path, st); !problem.isEmpty())
        return {RewriteCheck::Result::Refused, problem};
    if (st.st_nlink > 1 && !AllowBreakingLinks::Active())
        return {RewriteCheck::Result::NeedsConfirmation,
                QStringLiteral("%1 has %2 names (hard links). Rewriting it gives this name a file of its own; the other "
                               "names keep the old content.")
                    .arg(path)
                    .arg(st.st_nlink)};
    return check;
}

int RemoveStaleTemporaries(const QString& folder, int maxAgeSeconds)
{
    DIR* dir = ::opendir(Native(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir)
        return 0;
    int removed = 0;
    const int dfd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(dir)) {
        if (!IsOurTemporaryName(e->d_name))
            continue;
        const int fd = ::openat(dfd, e->d_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st;
        // A rewrite in progress holds a lock on its temporary file; a dead one does not.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime + maxAgeSeconds <= now
            && (st.st_uid == ::geteuid() || ::geteuid() == 0) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat again;
            if (::fstatat(dfd, e->d_name, &again, AT_SYMLINK_NOFOLLOW) == 0 && again.st_ino == st.st_ino
                && again.st_dev == st.st_dev && ::unlinkat(dfd, e->d_name, 0) == 0)
                ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

// --- AtomicFile ----------------------------------------------------------------------

AtomicFile::AtomicFile(QString targetPath) : target_(std::move(targetPath)) {}

AtomicFile::~AtomicFile()
{
    cancel();
}

void AtomicFile::SetFaultInjector(FaultInjector injector)
{
    Injector() = std::move(injector);
}

bool AtomicFile::injected(Step step)
{
    const auto& inj = Injector();
    return inj && !inj(step, step == Step::Write ? writes_ : 0);
}

bool AtomicFile::fail(const QString& message, FileFailure kind)
{
    failed_ = true;
    error_ = message;
    failure_ = kind;
    cancel();
    return false;
}

bool AtomicFile::open()
{
    cancel();
    failed_ = false;
    writes_ = 0;
    error_.clear();
    failure_ = FileFailure::None;
    if (injected(Step::Open))
        return fail(QStringLiteral("cannot create a temporary file beside %1 (injected failure)").arg(target_));
    // Qt's file information cannot see a name that is not UTF-8, and the checks below
    // rely on it: such a file is refused rather than replaced blindly.
    if (HasRawBytes(target_))
        return fail(QStringLiteral("%1: the file name is not valid UTF-8; rename the file first").arg(target_),
                    FileFailure::Io);

    // A symbolic link stays a link: its target is rewritten.
    resolved_ = target_;
    const QFileInfo info(target_);
    if (info.isSymLink()) {
        const QString canonical = info.canonicalFilePath();
        resolved_ = canonical.isEmpty() ? info.symLinkTarget() : canonical;
    }
    folder_ = QFileInfo(resolved_).absolutePath();

    struct stat st;
    if (::stat(Native(resolved_).constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fail(QStringLiteral("%1 is not a regular file").arg(target_), FileFailure::NotRegular);
        const RewriteCheck check = CheckRewrite(resolved_);
        if (check.result != RewriteCheck::Result::Ok)
            return fail(check.message, check.result == RewriteCheck::Result::NeedsConfirmation ? FileFailure::HardLinked
                                                                                               : FileFailure::Ownership);
        FileFailure why = FileFailure::Io;
        QString reason;
        if (!lock_.acquire(resolved_, &reason, &why))
            return fail(reason, why);
        original_ = lock_.identity();
        originalFd_ = OpenRegularFile(resolved_, &reason);
        if (originalFd_ < 0)
            return fail(reason);
        const std::optional<FileIdentity> now = FileIdentity::OfFd(originalFd_);
        if (!now || !now->sameFile(*original_))
            return fail(QStringLiteral("%1 was replaced by another program; nothing was written").arg(target_),
                        FileFailure::Changed);
    } else if (errno != ENOENT) {
        return fail(QStringLiteral("cannot open %1: %2").arg(target_, Reason()));
    }

    RemoveStaleTemporaries(folder_);

    const QByteArray folder = Native(folder_);
    // An unnamed file disappears by itself when the process dies before the commit.
#ifdef O_TMPFILE
    fd_ = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
        unnamed_ = true;
    }
#endif
    if (fd_ < 0) {
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            tempPath_ = folder_ + QLatin1Char('/') + RandomTempName();
            fd_ = ::open(Native(tempPath_).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd_ < 0 && errno != EEXIST)
                break;
        }
        if (fd_ < 0) {
            const QString reason = Reason();
            tempPath_.clear();
            return fail(QStringLiteral("cannot create a temporary file beside %1: %2").arg(target_, reason));
        }
    }
    // Marks the temporary file as in use for RemoveStaleTemporaries in other processes.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    return true;
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (fd_ < 0 || failed_)
        return false;
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    if (injected(Step::Write)) {
        // As a full disk would: part of the data lands, then the write fails.
        const qsizetype half = left / 2;
        if (half > 0)
            (void)!::write(fd_, p, size_t(half));
        return fail(QStringLiteral("cannot write %1: %2 (injected failure)").arg(target_, Reason(ENOSPC)));
    }
    ++writes_;
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(std::min<qsizetype>(left, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(QStringLiteral("cannot write %1: %2").arg(target_, Reason(n == 0 ? ENOSPC : errno)));
        p += n;
        left -= n;
    }
    return true;
}

bool AtomicFile::keepAttributes()
{
    if (originalFd_ < 0) {
        // A new file: the usual mode for new files (the umask applied).
        return true;
    }
    struct stat st;
    if (::fstat(originalFd_, &st) != 0)
        return fail(QStringLiteral("cannot read the attributes of %1: %2").arg(target_, Reason()));
    struct stat mine;
    if (::fstat(fd_, &mine) != 0)
        return fail(QStringLiteral("cannot write %1: %2").arg(target_, Reason()));
    // Owner and group first: changing them clears setuid and setgid, which the mode
    // then restores.
    if ((mine.st_uid != st.st_uid || mine.st_gid != st.st_gid) && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
        const QString problem = OwnershipProblem(target_, st);
        return fail(problem.isEmpty() ? QStringLiteral("cannot keep the owner of %1: %2").arg(target_, Reason()) : problem,
                    FileFailure::Ownership);
    }
    if (::fchmod(fd_, st.st_mode & 07777) != 0)
        return fail(QStringLiteral("cannot keep the permissions of %1: %2").arg(target_, Reason()));

    // Extended attributes, ACLs among them (system.posix_acl_access).
    ssize_t size = ::flistxattr(originalFd_, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP || errno == ENOSYS || fail(QStringLiteral("cannot read the extended attributes of %1: %2").arg(target_, Reason()));
    QByteArray names(qsizetype(size), '\0');
    size = size > 0 ? ::flistxattr(originalFd_, names.data(), size_t(names.size())) : 0;
    if (size < 0)
        return fail(QStringLiteral("cannot read the extended attributes of %1: %2").arg(target_, Reason()));
    for (qsizetype at = 0; at < size;) {
        const char* name = names.constData() + at;
        at += qsizetype(std::strlen(name)) + 1;
        QByteArray value;
        ssize_t n = ::fgetxattr(originalFd_, name, nullptr, 0);
        if (n >= 0) {
            value.resize(qsizetype(n));
            n = n > 0 ? ::fgetxattr(originalFd_, name, value.data(), size_t(value.size())) : 0;
        }
        const bool optional = std::strncmp(name, "security.", 9) == 0 || std::strncmp(name, "trusted.", 8) == 0;
        if (n < 0) {
            if (optional)
                continue;
            return fail(QStringLiteral("cannot read the extended attribute %1 of %2: %3")
                            .arg(QString::fromLocal8Bit(name), target_, Reason()));
        }
        if (::fsetxattr(fd_, name, value.constData(), size_t(n), 0) != 0 && !optional)
            return fail(QStringLiteral("cannot keep the extended attribute %1 of %2: %3")
                            .arg(QString::fromLocal8Bit(name), target_, Reason()));
    }
    return true;
}

bool AtomicFile::commit()
{
    if (fd_ < 0 || failed_)
        return false;
    if (injected(Step::Commit))
        return fail(QStringLiteral("cannot replace %1 (injected failure)").arg(target_));
    if (!keepAttributes())
        return false;
    if (injected(Step::Sync))
        return fail(QStringLiteral("cannot write %1 to disk: %2 (injected failure)").arg(target_, Reason(ENOSPC)));
    // Every byte must be on the disk before the new file takes the name; a failed sync
    // (a full disk can show up here) keeps the old file.
    if (::fsync(fd_) != 0)
        return fail(QStringLiteral("cannot write %1 to disk: %2").arg(target_, Reason()));
    if (unnamed_) {
        // Give the unnamed file a temporary name of the recognisable pattern.
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            tempPath_ = folder_ + QLatin1Char('/') + RandomTempName();
            if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, Native(tempPath_).constData(), AT_SYMLINK_FOLLOW) == 0)
                break;
            const int err = errno;
            tempPath_.clear();
            if (err != EEXIST)
                return fail(QStringLiteral("cannot name the new %1: %2").arg(target_, Reason(err)));
        }
        if (tempPath_.isEmpty())
            return fail(QStringLiteral("cannot name the new %1").arg(target_));
        unnamed_ = false;
    }
    // Someone may have changed the file while it was being rewritten: check just before
    // the rename, after the long copy and sync.
    const std::optional<FileIdentity> now = FileIdentity::OfPath(resolved_);
    if (original_ ? !now || !now->unchanged(*original_) : now.has_value())
        return fail(QStringLiteral("%1 was changed by someone else while it was rewritten; nothing was written").arg(target_),
                    FileFailure::Changed);
    if (::rename(Native(tempPath_).constData(), Native(resolved_).constData()) != 0)
        return fail(QStringLiteral("cannot replace %1: %2").arg(target_, Reason()));
    tempPath_.clear();
    // The rename itself reaches the disk with the folder.
    const int dfd = ::open(Native(folder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    // The lock moves to the new file (which this process locked when it created it).
    if (lock_.held()) {
        std::lock_guard<std::mutex> guard(LockMutex());
        auto it = HeldLocks().find(LockKey(resolved_));
        if (it != HeldLocks().end()) {
            ::close(it->second.fd);
            it->second.fd = fd_;
            it->second.identity = FileIdentity::OfFd(fd_).value_or(FileIdentity());
            fd_ = -1;
        }
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (originalFd_ >= 0)
        ::close(originalFd_);
    originalFd_ = -1;
    lock_.release();
    return true;
}

void AtomicFile::cancel()
{
    if (!tempPath_.isEmpty()) {
        ::unlink(Native(tempPath_).constData());
        tempPath_.clear();
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    unnamed_ = false;
    if (originalFd_ >= 0)
        ::close(originalFd_);
    originalFd_ = -1;
    lock_.release();
}

bool WriteFileAtomically(const QString& path, QByteArrayView bytes, QString* error)
{
    AtomicFile file(path);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace common
