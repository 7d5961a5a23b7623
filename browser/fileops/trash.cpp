#include "browser/fileops/trash.h"

#include "browser/fileops/posixfs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

namespace {

bool Fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

// mkdir -p with mode 0700 for the folders we create; existing folders are kept.
bool MakeFolder(const QString& path)
{
    struct stat st {};
    if (::lstat(Native(path).constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const QString parent = QFileInfo(path).path();
    if (parent != path && !MakeFolder(parent))
        return false;
    return ::mkdir(Native(path).constData(), 0700) == 0 || errno == EEXIST;
}

// The top folder of the mount holding `path`: the highest ancestor on the same device.
QString MountTop(const QString& absolutePath, dev_t device)
{
    QString top = QFileInfo(absolutePath).path();
    for (;;) {
        const QString up = QFileInfo(top).path();
        if (up == top)
            return top;
        struct stat st {};
        if (::stat(Native(up).constData(), &st) != 0 || st.st_dev != device)
            return top;
        top = up;
    }
}

// $topdir/.Trash/$uid when $topdir/.Trash is a real sticky folder, else $topdir/.Trash-$uid.
QString TopTrash(const QString& top)
{
    const QString uid = QString::number(::getuid());
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat st {};
    if (::lstat(Native(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QString own = shared + QLatin1Char('/') + uid;
        if (MakeFolder(own))
            return own;
    }
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    if (::lstat(Native(own).constData(), &st) == 0) {
        if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
            return QString();
        return own;
    }
    return ::mkdir(Native(own).constData(), 0700) == 0 ? own : QString();
}

} // namespace

FreedesktopTrash::FreedesktopTrash(QString homeTrash)
    : homeTrash_(homeTrash.isEmpty() ? DefaultHomeTrash() : std::move(homeTrash))
{
}

QString FreedesktopTrash::DefaultHomeTrash()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/Trash");
}

QByteArray FreedesktopTrash::TrashInfo(const QString& originalPath, const QString& deletionTime)
{
    return "[Trash Info]\nPath=" + Native(originalPath).toPercentEncoding("/")
        + "\nDeletionDate=" + deletionTime.toLatin1() + "\n";
}

bool FreedesktopTrash::moveToTrash(const QString& path, QString* error)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    if (::lstat(Native(absolute).constData(), &st) != 0)
        return Fail(error, ReasonFor(errno));

    if (!MakeFolder(homeTrash_))
        return Fail(error, QStringLiteral("ごみ箱フォルダを作れません。"));
    struct stat home {};
    if (::stat(Native(homeTrash_).constData(), &home) == 0 && home.st_dev == st.st_dev)
        return moveInto(homeTrash_, absolute, absolute, error);

    // On another mount: that mount's own trash, with the path relative to its top.
    const QString top = MountTop(absolute, st.st_dev);
    const QString trash = TopTrash(top);
    if (trash.isEmpty())
        return Fail(error, QStringLiteral("このドライブにはごみ箱を作れません。"));
    return moveInto(trash, absolute, QDir(top).relativeFilePath(absolute), error);
}

bool FreedesktopTrash::moveInto(const QString& trashDir, const QString& path, const QString& infoPath, QString* error)
{
    const QString files = trashDir + QStringLiteral("/files/");
    const QString info = trashDir + QStringLiteral("/info/");
    if (!MakeFolder(files) || !MakeFolder(info))
        return Fail(error, QStringLiteral("ごみ箱フォルダを作れません。"));

    const QString name = QFileInfo(path).fileName();
    const QByteArray text = TrashInfo(infoPath, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")));
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = n == 1 ? name : name + QLatin1Char('.') + QString::number(n);
        // The info file is created exclusively first: it reserves the name in the trash.
        const QByteArray infoFile = Native(info + candidate + QStringLiteral(".trashinfo"));
        const int fd = ::open(infoFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Fail(error, ReasonFor(errno));
        }
        const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlink(infoFile.constData());
            return Fail(error, QStringLiteral("ごみ箱に情報を書けません。"));
        }
        const int err = RenameNoReplace(Native(path), Native(files + candidate));
        if (err == 0)
            return true;
        ::unlink(infoFile.constData());
        if (err != EEXIST)
            return Fail(error, ReasonFor(err));
        // A stray entry without info holds this name: try the next one.
    }
    return Fail(error, QStringLiteral("ごみ箱に空きの名前がありません。"));
}

} // namespace fileops
