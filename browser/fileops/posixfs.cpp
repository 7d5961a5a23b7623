#include "browser/fileops/posixfs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

std::optional<FileId> IdentityOf(const QString& path)
{
    struct stat st {};
    if (::stat(Native(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

bool SameFile(const QString& a, const QString& b)
{
    const auto ia = IdentityOf(a);
    return ia && ia == IdentityOf(b);
}

int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    // No exclusive rename here: link() refuses an existing name, then drop the old one.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    if (::unlink(from.constData()) != 0) {
        const int err = errno;
        ::unlink(to.constData());
        return err;
    }
    return 0;
}

QString ReasonFor(int err)
{
    switch (err) {
    case 0: return QString();
    case EACCES:
    case EPERM: return QStringLiteral("アクセスが拒否されました。");
    case ENOENT: return QStringLiteral("ファイルが見つかりません。");
    case EEXIST: return QStringLiteral("同名ファイルが存在しています。");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクの空き容量が足りません。");
    case EROFS: return QStringLiteral("読み取り専用の場所です。");
    case EISDIR: return QStringLiteral("フォルダです。");
    case ENAMETOOLONG: return QStringLiteral("名前が長すぎます。");
    case EIO: return QStringLiteral("入出力エラーが発生しました。");
    case EBUSY: return QStringLiteral("使用中です。");
    default: return QString::fromLocal8Bit(std::strerror(err));
    }
}

} // namespace fileops
