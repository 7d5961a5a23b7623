// Screenshots of a pane listing Shift_JIS-named files (their names read as CP932 and
// marked, one of them shown in the lyrics pane) and of the rename-to-UTF-8 preview, on a
// copy of the demo folder with the odd test folder's files added.
//   rawnames_shots DEMO_FOLDER OUTPUT_FOLDER
#include "browser/bench/shotwindow.h"
#include "common/gui/japaneseui.h"
#include "common/rawname.h"
#include "testing/folders/oddfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using shots::Settle;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    common::InstallQtJapaneseTranslation(app);
    common::ApplyJapaneseUiFont(app);
    if (argc < 3) {
        std::fprintf(stderr, "usage: rawnames_shots DEMO_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QTemporaryDir copy;
    shots::CopyFiles(QString::fromLocal8Bit(argv[1]), copy.path());
    QString error;
    const std::optional<testfolder::OddFolder> odd = testfolder::MakeOddFolder(copy.path(), &error);
    if (!odd) {
        std::fprintf(stderr, "rawnames_shots: %s\n", qPrintable(error));
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);

    shots::ShotWindow shot(playback::SilentOutputFactory());
    if (!shot.open(copy.path()))
        return 1;
    browser::FormMain& window = *shot.window;
    int shown = -1;
    for (int r = 0; r < window.pane(0).rowCount(); ++r)
        if (window.pane(0).row(r).fullPath() == odd->sjisLyrics)
            shown = r;
    window.ShowRow(0, shown);
    Settle(300);
    window.grab().save(out + QStringLiteral("/rawnames-pane.png"));

    auto* poll = new QTimer(&window);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        poll->stop();
        Settle(300);
        d->grab().save(out + QStringLiteral("/rawnames-preview.png"));
        d->reject();
    });
    poll->start();
    window.RunCommand(QStringLiteral("RenameRawNames"));
    window.close();
    testfolder::RemoveTree(copy.path()); // QTemporaryDir cannot see the Shift_JIS names
    std::printf("%s\n", qPrintable(out));
    return 0;
}
