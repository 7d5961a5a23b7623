#include "songfiles/pathprobe.h"

#include "songfiles/songfile.h"

#include "common/rawname.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace songfiles {

bool FileExists(const QString& path)
{
    if (common::HasRawBytes(path)) // a name Qt cannot see (not UTF-8)
        return common::StatPath(path).has_value();
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool FolderAccessible(const QString& path)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    // A folder can be listed when it may be read and entered.
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QString AddTrailingBackslash(const QString& path)
{
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator()))
        return path;
    return path + QLatin1Char('/');
}

bool FileWritable(const QString& path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.exists() || !(file.permissions() & QFileDevice::WriteOwner))
        return false;
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    file.close();
    return true;
}

SongKind ProbeSongKind(const QString& path)
{
    SongFile song;
    if (!song.open(path))
        return kNotASong;
    return song.kind();
}

bool IsPlayableSong(const QString& path)
{
    return FileExists(path) && IsPlayableKind(ProbeSongKind(path));
}

} // namespace songfiles
