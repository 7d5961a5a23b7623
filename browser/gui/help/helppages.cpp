#include "browser/gui/help/helppages.h"

#include "common/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

// Resources of a static library are linked only when something names them.
static void InitHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace browser {

QString ExtractBundledHelp(QString* error, const QString& folder)
{
    static const bool initialised = (InitHelpResources(), true);
    Q_UNUSED(initialised);
    const QString target =
        folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help") : folder;
    if (!QDir().mkpath(target)) {
        if (error)
            *error = QStringLiteral("%1: フォルダを作れません").arg(target);
        return {};
    }
    QFile page(QStringLiteral(":/help/index.html"));
    if (!page.open(QIODevice::ReadOnly)) {
        if (error)
            *error = page.errorString();
        return {};
    }
    const QString path = target + QStringLiteral("/index.html");
    if (!common::WriteFileAtomically(path, page.readAll(), error))
        return {};
    return path;
}

} // namespace browser
