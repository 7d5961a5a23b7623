#include "browser/core/startfolder.h"

#include "songfiles/pathprobe.h"

#include <QDir>
#include <QFileInfo>

namespace browser {

QString NearestListableFolder(const QString& path, const QString& home)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return home;
    QString folder = QDir::cleanPath(path);
    while (!songfiles::FolderAccessible(folder)) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return home;
        folder = parent;
    }
    return folder;
}

StartFolder ChooseStartFolder(const QString& stored, const QString& home)
{
    return {stored, NearestListableFolder(stored, home)};
}

QString StartFolder::toStore(const QString& current) const
{
    if (!stored.isEmpty() && QDir::cleanPath(current) == QDir::cleanPath(shown))
        return stored;
    return current;
}

} // namespace browser
