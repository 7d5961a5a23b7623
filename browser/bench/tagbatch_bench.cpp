// A batch run of the time-tag menu in the workbench window: 1,000 check-marked lyrics
// files of about 4 KB each, all tags rewritten by "[xx:xx:xx]に統一" (entry 2) with batch
// mode on, as the user would run it from the Edit menu. Reported per run: seconds for the
// whole batch and the longest time the window's event loop went unserviced meanwhile.
//
//   browser_tagbatch_bench [--benchmark_...]   folder: $MWEX_BENCH_DIR or /tmp/mwex-tagbatch-bench
#include "browser/core/librarydetails.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/formmain.h"
#include "browser/gui/tagcommands/tagcommands.h"
#include "testing/browser/memorysettingsstore.h"
#include "testing/browser/scriptedprompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

constexpr int kFiles = 1000;

// About 4 KB of karaoke lyrics whose tags are written short ("[00:12:3]").
QByteArray Lyrics(int n)
{
    QByteArray text;
    int ms = 1000;
    for (int line = 0; text.size() < 3900; ++line) {
        for (int word = 0; word < 4; ++word) {
            text += QStringLiteral("[%1:%2:%3]word%4 ").arg(ms / 60000, 2, 10, QLatin1Char('0')).arg(ms / 1000 % 60, 2, 10, QLatin1Char('0')).arg(ms / 100 % 10).arg(word).toLatin1();
            ms += 700;
        }
        text += "\r\n";
    }
    text += "@Title=Song " + QByteArray::number(n) + "\r\n@TimeRatio=1\r\n";
    return text;
}

QString Path(const QString& folder, int n)
{
    return folder + QStringLiteral("/song%1.txt").arg(n, 4, 10, QLatin1Char('0'));
}

bool WriteCorpus(const QString& folder)
{
    QDir().mkpath(folder);
    for (int n = 0; n < kFiles; ++n) {
        QFile f(Path(folder, n));
        const QByteArray bytes = Lyrics(n);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

struct Run {
    double seconds = 0;
    qint64 longestStallMs = 0;
    bool rewritten = false;
};

Run UnifyCheckedFiles(const QString& folder)
{
    browser::MemorySettingsStore store;
    store.setText("Init", "version", "1.14");
    store.setText("Init", "LastFolder0", folder);
    store.setText("Init", "LastFolder1", folder);
    browser::ScriptedPrompter prompter;
    browser::LibraryDetailsProvider details;
    browser::FormMainServices services;
    services.settings = &store;
    services.prompter = &prompter;
    services.details = &details;
    browser::FormMain window(services);
    window.StartMainWindow();
    window.show();
    window.findChild<QAbstractButton*>(QStringLiteral("OptWindowsLeft1"))->click();
    browser::FileListModel& model = window.listModel(0);
    for (int row = 0; row < model.rowCount(); ++row)
        model.setData(model.index(row, 0), Qt::Checked, Qt::CheckStateRole);
    QCoreApplication::processEvents();
    auto* menu = window.findChild<QMenu*>(QStringLiteral("mnTimeTag"));
    window.findChild<QAction*>(QStringLiteral("mnTimeTagList0"))->setChecked(true);
    Q_EMIT menu->aboutToShow();

    QElapsedTimer beat;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { longest = std::max(longest, beat.restart()); });
    Run run;
    QElapsedTimer clock;
    clock.start();
    beat.start();
    heartbeat.start();
    window.findChild<QAction*>(QStringLiteral("mnTimeTagList2"))->trigger();
    run.seconds = clock.nsecsElapsed() / 1e9;
    longest = std::max(longest, beat.elapsed());
    heartbeat.stop();
    run.longestStallMs = longest;
    QFile first(Path(folder, 0));
    run.rewritten = first.open(QIODevice::ReadOnly) && first.readAll().startsWith("[00:01:00]");
    window.close();
    return run;
}

void BM_UnifyBatchOf1000CheckedFiles(benchmark::State& state)
{
    const QString folder = qEnvironmentVariable("MWEX_BENCH_DIR", QStringLiteral("/tmp/mwex-tagbatch-bench"));
    qint64 longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!WriteCorpus(folder)) {
            state.SkipWithError("cannot write the bench folder");
            return;
        }
        state.ResumeTiming();
        const Run run = UnifyCheckedFiles(folder);
        if (!run.rewritten) {
            state.SkipWithError("the batch did not rewrite the files");
            return;
        }
        state.SetIterationTime(run.seconds);
        longest = std::max(longest, run.longestStallMs);
    }
    state.counters["files"] = kFiles;
    state.counters["longest_stall_ms"] = static_cast<double>(longest);
}
BENCHMARK(BM_UnifyBatchOf1000CheckedFiles)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
