#include "installer/fileops.h"

#include "installer/folders.h"
#include "installer/textrules.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace installer::fs {
namespace {

MutationObserver& Observer()
{
    static MutationObserver observer;
    return observer;
}

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

/// The path without a trailing "/" (but "/" stays "/").
QString Bare(const QString& path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return path.chopped(1);
    return path;
}

/// Closes a descriptor on scope exit.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release()
    {
        const int f = fd;
        fd = -1;
        return f;
    }
};

constexpr size_t kChunk = 8 * 1024 * 1024;

int CopyData(int in, int out, const std::function<void()>& keepAlive)
{
    bool useRange = true;
    std::vector<char> buffer;
    for (;;) {
        if (useRange) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n > 0) {
                if (keepAlive)
                    keepAlive();
                continue;
            }
            if (n == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return errno;
            useRange = false; // fall back to plain reads and writes
        }
        if (buffer.empty())
            buffer.resize(1024 * 1024);
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += w;
        }
        if (keepAlive)
            keepAlive();
    }
}

} // namespace

void SetMutationObserver(MutationObserver observer)
{
    Observer() = std::move(observer);
}

void ReportMutation(const QString& path, const char* operation)
{
    if (Observer())
        Observer()(path, operation);
}

QString SystemMessage(int error)
{
    return ToFullWidth(QString::fromLocal8Bit(std::strerror(error)));
}

bool Exists(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(Bare(path)).constData(), &st) == 0;
}

bool IsFile(const QString& path)
{
    struct stat st {};
    return ::stat(Native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const QString& path)
{
    struct stat st {};
    return ::stat(Native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<qint64> FileSize(const QString& path)
{
    struct stat st {};
    if (::stat(Native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0)
        return std::nullopt;
    return qint64(st.st_size);
}

std::optional<qint64> ModificationTime(const QString& path)
{
    struct stat st {};
    if (::stat(Native(path).constData(), &st) != 0)
        return std::nullopt;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QString CreateExclusiveFile(const QString& templatePath, int* error)
{
    ReportMutation(templatePath, "create");
    QByteArray name = Native(templatePath);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return {};
    }
    ::close(fd);
    return QFile::decodeName(name);
}

namespace {

/// Gives the open copy the source's permissions (always writable by its owner) and
/// modification time, as Windows' CopyFile keeps the time.
int FinishCopy(int fd, const struct stat& source)
{
    if (::fchmod(fd, (source.st_mode & 0777) | S_IRUSR | S_IWUSR) != 0)
        return errno;
    const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    if (::futimens(fd, times) != 0)
        return errno;
    return 0;
}

bool ProcFdAvailable()
{
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

/// A new destination: the data goes to an unnamed file in the destination's folder,
/// which gets its name only when complete, so an interruption leaves nothing behind.
/// Gives -1 when the file system cannot do this (the caller then takes the other way).
int CopyToNewFile(int in, const struct stat& st, const QByteArray& folder, const QByteArray& target,
                  const std::function<void()>& keepAlive)
{
    if (!ProcFdAvailable())
        return -1;
    Fd out{::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)};
    if (out.fd < 0)
        return -1;
    if (const int error = CopyData(in, out.fd, keepAlive))
        return error;
    if (const int error = FinishCopy(out.fd, st))
        return error;
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(out.fd);
    if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) != 0)
        return errno == EEXIST ? -1 : errno; // appeared meanwhile: replace it the other way
    if (::close(out.release()) != 0) {
        const int error = errno;
        ::unlink(target.constData());
        return error;
    }
    return 0;
}

/// Replaces an existing destination: a temporary file in its folder, renamed over it.
int CopyOverExistingFile(int in, const struct stat& st, const QString& folder, const QByteArray& target,
                         const std::function<void()>& keepAlive)
{
    // A short name keeps the temporary file within the name length limit.
    QByteArray temp = Native(folder + QStringLiteral(".setup-XXXXXX"));
    Fd out{::mkostemp(temp.data(), O_CLOEXEC)};
    if (out.fd < 0)
        return errno;
    const auto discard = [&](int error) {
        ::close(out.release());
        ::unlink(temp.constData());
        return error;
    };
    if (const int error = CopyData(in, out.fd, keepAlive))
        return discard(error);
    if (const int error = FinishCopy(out.fd, st))
        return discard(error);
    if (::close(out.release()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return error;
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return error;
    }
    return 0;
}

} // namespace

int CopyFileAtomically(const QString& source, const QString& destination, const std::function<void()>& keepAlive)
{
    Fd in{::open(Native(source).constData(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(in.fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    const QByteArray target = Native(destination);
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return EISDIR;
    const QString folder = FolderOf(destination);
    if (folder.isEmpty())
        return EINVAL;

    ReportMutation(destination, "write");
    if (!exists) {
        const int result = CopyToNewFile(in.fd, st, Native(folder), target, keepAlive);
        if (result >= 0)
            return result;
        if (::lseek(in.fd, 0, SEEK_SET) != 0)
            return errno;
    }
    return CopyOverExistingFile(in.fd, st, folder, target, keepAlive);
}

int MakeFolder(const QString& folder)
{
    ReportMutation(folder, "mkdir");
    if (::mkdir(Native(Bare(folder)).constData(), 0777) != 0)
        return errno;
    return 0;
}

bool CreateFolderPath(const QString& folderIn)
{
    const QString folder = Bare(NativePath(folderIn));
    if (folder.isEmpty())
        return false;
    if (IsFolder(folder))
        return true;
    for (qsizetype at = folder.indexOf(QLatin1Char('/'), 1); ; at = folder.indexOf(QLatin1Char('/'), at + 1)) {
        const QString level = at < 0 ? folder : folder.left(at);
        if (!IsFolder(level)) {
            const int error = MakeFolder(level);
            if (error != 0 && error != EEXIST)
                return false;
        }
        if (at < 0)
            break;
    }
    return IsFolder(folder);
}

int RemoveFolder(const QString& folder)
{
    ReportMutation(folder, "rmdir");
    if (::rmdir(Native(Bare(folder)).constData()) != 0)
        return errno;
    return 0;
}

int RemoveFile(const QString& path)
{
    ReportMutation(path, "remove");
    if (::unlink(Native(path).constData()) != 0)
        return errno;
    return 0;
}

namespace {

QStringList EntriesOf(const QString& folder)
{
    QStringList names;
    DIR* dir = ::opendir(Native(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        names << QFile::decodeName(name);
    }
    ::closedir(dir);
    return names;
}

int DeleteTree(const QString& path, dev_t device, const Protection& protection)
{
    struct stat st {};
    const QByteArray native = Native(path);
    if (::lstat(native.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return RemoveFile(path);
    if (st.st_dev != device)
        return EXDEV; // another file system is mounted here: leave it alone
    if (protection.isProtected(path))
        return EPERM;
    int first = 0;
    for (const QString& name : EntriesOf(path)) {
        const int error = DeleteTree(path + QLatin1Char('/') + name, device, protection);
        if (error && !first)
            first = error;
    }
    const int error = RemoveFolder(path);
    return first ? first : error;
}

} // namespace

int DeletePath(const QString& pathOrPattern, const Protection& protection)
{
    const QString path = NativePath(pathOrPattern);
    const QString bare = Bare(path);
    const QString name = FileNameOf(bare);
    QString folder = FolderOf(bare);
    if (HasWildcard(name)) {
        if (folder.isEmpty())
            folder = QStringLiteral("./");
        if (protection.isProtected(folder))
            return EPERM;
        struct stat st {};
        if (::stat(Native(folder).constData(), &st) != 0)
            return errno;
        int first = 0;
        for (const QString& entry : EntriesOf(folder)) {
            if (!WildcardMatch(name, entry))
                continue;
            const int error = DeleteTree(folder + entry, st.st_dev, protection);
            if (error && !first)
                first = error;
        }
        return first;
    }
    struct stat st {};
    if (::lstat(Native(bare).constData(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode) && protection.isProtected(bare))
        return EPERM;
    return DeleteTree(bare, st.st_dev, protection);
}

} // namespace installer::fs
