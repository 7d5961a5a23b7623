#include "browser/core/drives.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

namespace browser {
namespace {

bool IsSystemMount(const QString& root, const QByteArray& type)
{
    static const char* const kPseudo[] = {"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs",
                                          "debugfs", "tracefs", "pstore", "bpf", "mqueue", "hugetlbfs", "configfs",
                                          "fusectl", "autofs", "binfmt_misc", "overlay", "squashfs", "nsfs", "efivarfs",
                                          "rpc_pipefs", "fuse.portal", "fuse.gvfsd-fuse"};
    for (const char* t : kPseudo)
        if (type == t)
            return root != QLatin1String("/");
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot", "/var/lib", "/etc"}) {
        const QString p = QString::fromLatin1(prefix);
        if ((root == p || root.startsWith(p + QLatin1Char('/'))) && !root.startsWith(QLatin1String("/run/media/")))
            return true;
    }
    return false;
}

bool IsUnder(const QString& path, const QString& root)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

QList<Drive> ListDrives()
{
    QList<Drive> drives;
    drives.append({QStringLiteral("/"), QStringLiteral("/")});
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != QLatin1String("/") && QDir(home).exists())
        drives.append({home, home});
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = QDir::cleanPath(volume.rootPath());
        if (root == QLatin1String("/") || root == home || IsSystemMount(root, volume.fileSystemType()))
            continue;
        if (!others.contains(root))
            others << root;
    }
    std::sort(others.begin(), others.end());
    for (const QString& root : std::as_const(others))
        drives.append({root, root});
    return drives;
}

int DriveIndexFor(const QList<Drive>& drives, const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    int best = -1;
    for (qsizetype i = 0; i < drives.size(); ++i) {
        if (IsUnder(clean, drives.at(i).root) && (best < 0 || drives.at(i).root.size() > drives.at(best).root.size()))
            best = static_cast<int>(i);
    }
    return best;
}

} // namespace browser
