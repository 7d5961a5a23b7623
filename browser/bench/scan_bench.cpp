// Scanning a large folder in the workbench window: 10,000 lyrics files (or
// $MWEX_BENCH_FILES) in the left pane and as many songs in the right one, with "AutoLoad"
// on, both panes switched to their file view as the user would. Reported per run:
// seconds to the complete lists, the longest time the window's event loop went
// unserviced meanwhile, and the process's peak memory. A second run adds 1,000 files
// named in Shift_JIS bytes and 100 special files (FIFOs, dangling links, links to
// themselves, empty MP3s) to the same folder.
//
//   browser_scan_bench [--benchmark_...]
//   folder: $MWEX_BENCH_DIR or /tmp/mwex-scan-bench, followed by the file count
#include "browser/core/librarydetails.h"
#include "testing/browser/scriptedprompter.h"
#include "testing/browser/memorysettingsstore.h"
#include "browser/gui/formmain.h"
#include "common/codepage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lyrics files and songs each: $MWEX_BENCH_FILES, else 10,000.
int Files()
{
    static const int files = qEnvironmentVariableIntValue("MWEX_BENCH_FILES") > 0 ? qEnvironmentVariableIntValue("MWEX_BENCH_FILES") : 10000;
    return files;
}

// One MPEG-1 layer III frame at 32 kbit/s, 44.1 kHz, mono: 104 bytes.
QByteArray Frame()
{
    QByteArray f(104, '\0');
    f[0] = char(0xFF);
    f[1] = char(0xFB);
    f[2] = char(0x10); // bit-rate index 1 (32 kbit/s), 44.1 kHz, no padding
    f[3] = char(0xC0); // mono
    return f;
}

QByteArray Song(int n)
{
    QByteArray bytes = Frame().repeated(40);
    if (n % 2 == 0) {
        QByteArray tag(128, ' ');
        tag.replace(0, 3, "TAG");
        const QByteArray title = QStringLiteral("Song %1").arg(n).toLatin1();
        tag.replace(3, title.size(), title);
        tag[127] = char(12);
        bytes += tag;
    }
    return bytes;
}

QByteArray Lyrics(int n)
{
    QByteArray text;
    for (int line = 0; line < 12; ++line)
        text += QStringLiteral("[%1:%2:00]line %3 of song %4\r\n").arg(line / 6, 2, 10, QLatin1Char('0')).arg(line * 10 % 60, 2, 10, QLatin1Char('0')).arg(line).arg(n).toLatin1();
    text += "@Title=Song " + QByteArray::number(n) + "\r\n@Artist=Bench\r\n@TimeRatio=0.9953125\r\n@TaggingBy=bench\r\n";
    return text;
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Files() lyrics files and as many songs, named alike.
bool WritePairs(const QString& folder)
{
    QDir().mkpath(folder);
    for (int n = 0; n < Files(); ++n) {
        const QString stem = folder + QStringLiteral("/song%1").arg(n, 5, 10, QLatin1Char('0'));
        if (!Write(stem + QStringLiteral(".txt"), Lyrics(n)) || !Write(stem + QStringLiteral(".mp3"), Song(n)))
            return false;
    }
    return true;
}

// Makes the folder once; a marker file records that it is complete.
QString BenchFolder()
{
    const QString folder = qEnvironmentVariable("MWEX_BENCH_DIR", QStringLiteral("/tmp/mwex-scan-bench")) + QString::number(Files());
    const QString marker = folder + QStringLiteral("/.complete");
    if (QFile::exists(marker))
        return folder;
    if (!WritePairs(folder))
        return QString();
    Write(marker, "");
    return folder;
}

// The same folder as BenchFolder plus what old archives and odd disks hold: 1,000 files
// named in Shift_JIS bytes (500 lyrics, 500 songs) and 100 special files named like
// lyrics or songs (FIFOs, dangling links, links to themselves, empty MP3s).
QString OddBenchFolder()
{
    const QString folder =
        qEnvironmentVariable("MWEX_BENCH_DIR", QStringLiteral("/tmp/mwex-scan-bench")) + QString::number(Files()) + QStringLiteral("-odd");
    const QString marker = folder + QStringLiteral("/.complete");
    if (QFile::exists(marker))
        return folder;
    if (!WritePairs(folder))
        return QString();
    const QByteArray dir = QFile::encodeName(folder) + '/';
    for (int n = 0; n < 500; ++n) {
        const QByteArray stem = dir + *common::EncodeCp932(QStringLiteral("旧名の歌%1").arg(n, 4, 10, QLatin1Char('0')));
        for (const char* ext : {".txt", ".mp3"}) {
            const QByteArray bytes = QByteArrayView(ext) == ".txt" ? Lyrics(n) : Song(n);
            const int fd = ::open(stem + ext, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
                return QString();
            ::close(fd);
        }
    }
    for (int n = 0; n < 25; ++n) {
        const QByteArray num = QByteArray::number(n);
        ::mkfifo(dir + "fifo" + num + ".txt", 0644);
        ::symlink(dir + "missing" + num, dir + "dangling" + num + ".mp3");
        ::symlink(dir + "self" + num + ".txt", dir + "self" + num + ".txt");
        Write(folder + QStringLiteral("/empty%1.mp3").arg(n), QByteArray());
    }
    Write(marker, "");
    return folder;
}

long PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

struct Run {
    double seconds = 0;
    qint64 longestStallMs = 0;
    int rows = 0;
};

Run ScanBothPanes(const QString& folder)
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
    QCoreApplication::processEvents();

    // The event loop's heartbeat: the longest gap between two turns of a 0 ms timer.
    QElapsedTimer beat;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest = std::max(longest, beat.restart());
    });
    Run run;
    QElapsedTimer clock;
    clock.start();
    beat.start();
    heartbeat.start();
    window.findChild<QAbstractButton*>(QStringLiteral("OptWindowsLeft1"))->click();
    window.findChild<QAbstractButton*>(QStringLiteral("OptWindowsRight1"))->click();
    run.seconds = clock.nsecsElapsed() / 1e9;
    heartbeat.stop();
    run.longestStallMs = longest;
    run.rows = window.pane(0).rowCount() + window.pane(1).rowCount();
    window.close();
    return run;
}

// Scans both panes of `folder` (once to warm the cache, then per iteration) and reports
// the rows, the longest event-loop stall and the peak memory.
void MeasureScans(benchmark::State& state, const QString& folder)
{
    ScanBothPanes(folder); // warms the file cache
    qint64 longest = 0;
    int rows = 0;
    for (auto _ : state) {
        const Run run = ScanBothPanes(folder);
        state.SetIterationTime(run.seconds);
        longest = std::max(longest, run.longestStallMs);
        rows = run.rows;
    }
    state.counters["rows"] = rows;
    state.counters["longest_stall_ms"] = static_cast<double>(longest);
    state.counters["peak_rss_mb"] = static_cast<double>(PeakRssMb());
}

void BM_ScanTwoPanesOfPairedFiles(benchmark::State& state)
{
    const QString folder = BenchFolder();
    if (folder.isEmpty()) {
        state.SkipWithError("cannot make the bench folder");
        return;
    }
    MeasureScans(state, folder);
}
BENCHMARK(BM_ScanTwoPanesOfPairedFiles)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

void BM_ScanTwoPanesWithOddNamesAndSpecialFiles(benchmark::State& state)
{
    const QString folder = OddBenchFolder();
    if (folder.isEmpty()) {
        state.SkipWithError("cannot make the bench folder");
        return;
    }
    MeasureScans(state, folder);
}
BENCHMARK(BM_ScanTwoPanesWithOddNamesAndSpecialFiles)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

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
