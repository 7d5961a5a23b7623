#include "browser/gui/panes/foldericons.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace browser {

PlainFolderIcons::PlainFolderIcons()
{
    const QFileIconProvider theme;
    folder_ = theme.icon(QAbstractFileIconProvider::Folder);
    file_ = theme.icon(QAbstractFileIconProvider::File);
    drive_ = theme.icon(QAbstractFileIconProvider::Drive);
}

QIcon PlainFolderIcons::icon(IconType type) const
{
    switch (type) {
    case Folder:
        return folder_;
    case Drive:
    case Computer:
        return drive_;
    default:
        return file_;
    }
}

QIcon PlainFolderIcons::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return drive_;
    return info.isDir() ? folder_ : file_;
}

QString PlainFolderIcons::type(const QFileInfo& info) const
{
    if (info.isRoot())
        return QStringLiteral("Drive");
    return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
}

PlainFolderIcons* PlainFolderIcons::shared()
{
    static PlainFolderIcons* const provider = new PlainFolderIcons;
    return provider;
}

} // namespace browser
