// MelwickEx: starts the workbench window.
//   MelwickEx [FOLDER]   FOLDER: both panes open on it in file view (lyrics left, songs right)
#include "browser/core/librarydetails.h"
#include "browser/core/settingsstore.h"
#include "browser/gui/formmain.h"
#include "browser/gui/icons.h"
#include "common/gui/japaneseui.h"
#include "browser/gui/qtprompter.h"
#include "playback/engine.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MelwickEx"));
    QApplication::setOrganizationName(QStringLiteral("MelwickEx"));
    QApplication::setApplicationVersion(QStringLiteral(MWEX_VERSION_TEXT));
    QGuiApplication::setDesktopFileName(QStringLiteral("melwickex"));
    QApplication::setWindowIcon(browser::ApplicationIcon());
    common::InstallQtJapaneseTranslation(app);
    common::ApplyJapaneseUiFont(app);

    QString startFolder;
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        startFolder = QDir::cleanPath(QFileInfo(args.at(1)).absoluteFilePath());

    // One instance per user: the second one ends at once.
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    QLockFile lock(runtime + QStringLiteral("/MelwickEx.lock"));

    browser::IniSettingsStore settings;
    browser::QtPrompter prompter;
    browser::LibraryDetailsProvider details;
    playback::Engine engine;
    browser::FormMainServices services;
    services.settings = &settings;
    services.prompter = &prompter;
    services.details = &details;
    services.engine = &engine;
    services.otherInstanceRunning = [&lock] { return !lock.tryLock(0); };
    services.startFolder = startFolder;
    services.openStartFolder = !startFolder.isEmpty();
    services.programFolder = QApplication::applicationDirPath();

    browser::FormMain window(services);
    prompter.setParentWidget(&window);
    if (!window.StartMainWindow())
        return 0;
    return QApplication::exec();
}
