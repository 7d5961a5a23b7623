// Screenshots of the player strip and the play-along dialog on a copy of the demo folder:
// the strip mid-line with its karaoke highlight, and the dialog with its waveform after a
// capture. The engine's silent output runs on a clock this program moves, so every run
// shows the same moment.
//   player_shots DEMO_FOLDER OUTPUT_FOLDER
#include "browser/bench/shotwindow.h"
#include "browser/gui/player/playerstrip.h"
#include "common/gui/japaneseui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

std::atomic<qint64> nowNs{1'000'000'000};

std::chrono::steady_clock::time_point Now()
{
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(nowNs.load()));
}

qint64 Samples(int ms, int rate)
{
    return qint64(ms) * rate / 1000;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    common::InstallQtJapaneseTranslation(app);
    common::ApplyJapaneseUiFont(app);
    if (argc < 3) {
        std::fprintf(stderr, "usage: player_shots DEMO_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QTemporaryDir copy;
    shots::CopyFiles(QString::fromLocal8Bit(argv[1]), copy.path());
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);

    shots::ShotWindow shot(playback::SilentOutputFactory(1.0, Now));
    shot.store.setText("Option", "WinAmpTime", "0");
    shot.store.setText("Option", "TaggingBy", "demo");
    shot.engine.SetClock(Now);
    if (!shot.open(copy.path()))
        return 1;
    browser::FormMain& window = *shot.window;
    playback::Engine& engine = shot.engine;
    using shots::Settle;
    const auto rowOf = [&](int pane, const QString& name) {
        for (int r = 0; r < window.pane(pane).rowCount(); ++r)
            if (window.pane(pane).row(r).name == name)
                return r;
        return -1;
    };

    // The strip mid-line: play hoshizora.mp3 with hoshizora.kra, stop the clock inside
    // the second line.
    window.ShowRow(1, rowOf(1, QStringLiteral("hoshizora.mp3")));
    window.PlayDroppedLyrics(1, rowOf(1, QStringLiteral("hoshizora.mp3")), QDir(copy.path()).filePath(QStringLiteral("hoshizora.kra")));
    engine.SeekSamples(Samples(2780, engine.SampleRate()));
    window.OnEngineNotify(playback::Notification::Position, 2);
    window.player()->lyricsTick();
    Settle(200);
    window.grab().save(out + QStringLiteral("/player-strip.png"));
    window.player()->stop();

    // The play-along dialog: the envelope drawn, the song playing, the first line captured.
    auto* poll = new QTimer(&window);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        poll->stop();
        Settle(1500);
        d->findChild<QPushButton*>(QStringLiteral("ComPlay1"))->click();
        engine.SeekSamples(Samples(2150, engine.SampleRate()));
        auto* input = d->findChild<QPushButton*>(QStringLiteral("ComFirstInput"));
        Q_EMIT input->pressed();
        engine.SeekSamples(Samples(2600, engine.SampleRate()));
        Settle(300);
        d->grab().save(out + QStringLiteral("/play-along.png"));
        d->reject();
    });
    poll->start();
    window.AdjustDroppedSong(0, rowOf(0, QStringLiteral("hoshizora.kra")), QDir(copy.path()).filePath(QStringLiteral("hoshizora.mp3")));
    window.close();
    std::printf("%s\n", qPrintable(out));
    return 0;
}
