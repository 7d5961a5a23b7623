#include "installer/fileops.h"

#include "installer/folders.h"
#include "installer/textrules.h"

#include "common/codepage.h"

#include <QFile>
#include <algorithm>
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
    return NativeName(path);
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

QByteArray NativeName(const QString& path)
{
    // Fast path: nothing escaped.
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; }))
        return path.toUtf8();
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        const bool escaped = c >= 0xDC80 && c <= 0xDCFF && !(i > 0 && path[i - 1].isHighSurrogate());
        if (!escaped)
            continue;
        bytes += QStringView(path).mid(run, i - run).toUtf8();
        bytes += char(c - 0xDC00);
        run = i + 1;
    }
    bytes += QStringView(path).mid(run).toUtf8();
    return bytes;
}

QString FromNativeName(const QByteArray& bytes)
{
    if (common::IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar lead = uchar(bytes[i]);
        const qsizetype length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length > 0 && i + length <= bytes.size() && common::IsValidUtf8(QByteArrayView(bytes.constData() + i, length))) {
            text += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        } else {
            text += QChar(char16_t(0xDC00 + lead)); // kept as the code page module escapes it
            ++i;
        }
    }
    return text;
}

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
    // The common reasons in Japanese; the rest as the system says them, in ASCII.
    switch (error) {
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダが見つかりません．");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセス権がありません．");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が不足しています．");
    case EROFS:
        return QStringLiteral("書き込み禁止のドライブ(読み取り専用のファイルシステム)です．");
    case ENOTEMPTY:
        return QStringLiteral("フォルダが空ではありません．");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります．");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
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

bool IsRealFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(Bare(path)).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsLink(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(Bare(path)).constData(), &st) == 0 && S_ISLNK(st.st_mode);
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

int WriteFileReplacing(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = Native(path);
    const QString folder = FolderOf(path);
    if (folder.isEmpty())
        return EINVAL;
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return EISDIR;
    const mode_t mode = exists && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : 0644;
    ReportMutation(path, "write");
    QByteArray temp = Native(folder + QStringLiteral(".setup-XXXXXX"));
    Fd out{::mkostemp(temp.data(), O_CLOEXEC)};
    if (out.fd < 0)
        return errno;
    const auto discard = [&](int error) {
        if (out.fd >= 0)
            ::close(out.release());
        ::unlink(temp.constData());
        return error;
    };
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(out.fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return discard(errno);
        done += n;
    }
    if (::fchmod(out.fd, mode) != 0 || ::fsync(out.fd) != 0)
        return discard(errno);
    if (::close(out.release()) != 0)
        return discard(errno);
    if (::rename(temp.constData(), target.constData()) != 0)
        return discard(errno);
    return 0;
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
        names << FromNativeName(QByteArray(name));
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
        if (::lstat(Native(Bare(folder)).constData(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR; // never enumerate through a link
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
