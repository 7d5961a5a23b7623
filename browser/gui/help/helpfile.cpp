#include "browser/gui/help/helpfile.h"

#include <QDir>
#include <QFileInfo>

namespace browser {

QString FindHelpFile(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const QDir dir(programFolder);
    const QString candidates[] = {
        dir.filePath(QStringLiteral("help/index.html")),
        dir.filePath(QStringLiteral("../share/melwickex/help/index.html")),
        dir.filePath(QStringLiteral("mwex.chm")),
    };
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return {};
}

} // namespace browser
