// Scanning a large folder in the workbench window: 10,000 lyrics files (or
// $MWEX_BENCH_FILES) in the left pane and as many songs in the right one, with "AutoLoad"
// on, both panes switched to their file view as the user would. Reported per run:
// seconds to the complete lists, the longest time the window's event loop went
// unserviced meanwhile, and the process's peak memory. A second run adds 1,000 files
// named in Shift_JIS bytes and 100 special files (FIFOs, dangling links, links to
// themselves, empty MP3s) to the same folder.
//
// Large lists: 100,000 rows (or $MWEX_BENCH_ROWS) of a varied library in a shown window,
// sorted by every column the user can click, both directions, then scrolled through by
// pages. Reported: the slowest sort (click to repainted list) and the slowest page.
//
//   browser_scan_bench [--benchmark_...]
//   folder: $MWEX_BENCH_DIR or /tmp/mwex-scan-bench, followed by the file count
#include "browser/core/librarydetails.h"
#include "testing/browser/scriptedprompter.h"
#include "testing/browser/memorysettingsstore.h"
#include "browser/gui/formmain.h"
#include "common/codepage.h"
#include "common/rawname.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
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
    qint64 firstRowsMs = -1; // the slower pane's: its click to its first listed rows
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

    // The event loop's heartbeat: the longest gap between two turns of a 1 ms timer. (A
    // 0 ms timer would keep the window's thread busy, which it is not in use, and take a
    // core from the scan on a two-core machine.) It also notes when each pane's first
    // rows are there to be painted.
    QElapsedTimer beat;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QElapsedTimer clock;
    qint64 paneStart[2] = {0, -1};
    qint64 firstRows[2] = {-1, -1};
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest = std::max(longest, beat.restart());
        for (int p = 0; p < 2; ++p)
            if (paneStart[p] >= 0 && firstRows[p] < 0 && window.pane(p).rowCount() > 0)
                firstRows[p] = clock.elapsed() - paneStart[p];
    });
    Run run;
    clock.start();
    beat.start();
    heartbeat.start();
    window.findChild<QAbstractButton*>(QStringLiteral("OptWindowsLeft1"))->click();
    paneStart[1] = clock.elapsed();
    window.findChild<QAbstractButton*>(QStringLiteral("OptWindowsRight1"))->click();
    run.seconds = clock.nsecsElapsed() / 1e9;
    heartbeat.stop();
    run.longestStallMs = longest;
    run.firstRowsMs = std::max(firstRows[0], firstRows[1]);
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
    qint64 firstRows = 0;
    int rows = 0;
    for (auto _ : state) {
        const Run run = ScanBothPanes(folder);
        state.SetIterationTime(run.seconds);
        longest = std::max(longest, run.longestStallMs);
        firstRows = std::max(firstRows, run.firstRowsMs);
        rows = run.rows;
    }
    state.counters["rows"] = rows;
    state.counters["longest_stall_ms"] = static_cast<double>(longest);
    state.counters["first_rows_ms"] = static_cast<double>(firstRows);
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

// Rows in each large list: $MWEX_BENCH_ROWS, else 100,000.
int ListRows()
{
    static const int rows = qEnvironmentVariableIntValue("MWEX_BENCH_ROWS") > 0 ? qEnvironmentVariableIntValue("MWEX_BENCH_ROWS") : 100000;
    return rows;
}

// The rows of a large library, made in memory: names, sizes, times, tags and stream facts
// vary as in a real collection (repeated artists and albums, empty cells, VBR songs, a
// few names in Shift_JIS bytes), so every column has something to sort.
std::vector<browser::FileRow> LibraryRows(browser::PaneMode mode, int count)
{
    using browser::Col;
    const bool lyrics = mode == browser::PaneMode::Lyrics;
    const QStringList artists = {QStringLiteral("Alpha"), QStringLiteral("beta"), QString::fromUtf8("山田花子"),
                                 QString::fromUtf8("ＡＢＣ楽団"), QStringLiteral("Zeta Band"), QString(), QString::fromUtf8("さくら")};
    const QStringList exts = lyrics ? QStringList{QStringLiteral("txt"), QStringLiteral("kra"), QStringLiteral("lrc")}
                                    : QStringList{QStringLiteral("mp3"), QStringLiteral("rmp")};
    const QDateTime base(QDate(2003, 4, 1), QTime(9, 0));
    std::vector<browser::FileRow> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) {
        const quint32 h = quint32(n) * 2654435761u; // a scattered but repeatable order
        const QString artist = artists.at(h % artists.size());
        browser::FileRow r;
        r.name = QStringLiteral("%1 %2.%3").arg(artist.isEmpty() ? QStringLiteral("track") : artist).arg(h % 1000003, 7, 10, QLatin1Char('0')).arg(exts.at(n % exts.size()));
        if (n % 997 == 0) // a Shift_JIS name as the scan carries it: its raw bytes escaped
            r.name = common::PathFromNative(*common::EncodeCp932(QString::fromUtf8("旧名%1.").arg(n)) + exts.at(0).toLatin1());
        const QString folder = QStringLiteral("/music/library/%1/").arg(h % 40);
        browser::FillFoundFileCells(r, mode, folder, 200 + qint64(h % 9000000), base.addSecs(qint64(h % 700000000)));
        r.setCell(Col::Artist, artist);
        r.setCell(Col::Title, QString::fromUtf8("曲 %1").arg(h % 50000));
        if (lyrics) {
            const int kind = int(h % 3);
            r.icon = browser::icons::kLyricsUntagged + 2 * kind;
            r.setCell(Col::TagType, QString::fromUtf8(kind == 0 ? "なし" : kind == 1 ? "行頭" : "ｶﾗｵｹ"));
            r.setCell(Col::TimeType, h % 5 == 0 ? QString() : h % 2 ? QStringLiteral("WinAmp") : QString::fromUtf8("標準"));
            if (h % 4)
                r.setCell(Col::TaggingBy, QStringLiteral("tagger%1").arg(h % 60));
        } else {
            r.icon = browser::icons::kSong;
            const bool vbr = h % 7 == 0;
            r.setCell(Col::Album, QString::fromUtf8("アルバム %1").arg(h % 3000));
            r.setCell(Col::Comment, h % 3 ? QString() : QStringLiteral("ripped %1").arg(h % 11));
            r.setCell(Col::Tags, vbr ? QStringLiteral("V") : QString());
            r.setCell(Col::Version, QStringLiteral("1"));
            r.setCell(Col::Layer, QStringLiteral("3"));
            r.setCell(Col::Sr, h % 2 ? QStringLiteral("44.1") : QStringLiteral("48"));
            r.setCell(Col::Br, vbr ? QStringLiteral("VBR") : QString::number(64 + 32 * int(h % 8)));
            r.setCell(Col::PlayTime, browser::FormatPlayTime(int(h % 4000)));
        }
        if (h % 3 == 0) {
            r.setCell(Col::Match, browser::PairMark());
            r.icon += lyrics ? 1 : 2;
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

// The window on an empty folder, shown, with pane `pane` listing ListRows() rows of its
// mode (left lyrics, right songs).
struct LargeListWindow {
    explicit LargeListWindow(int pane)
    {
        store.setText("Init", "version", "1.14");
        store.setText("Init", "LastFolder0", empty.path());
        store.setText("Init", "LastFolder1", empty.path());
        browser::FormMainServices services;
        services.settings = &store;
        services.prompter = &prompter;
        services.details = &details;
        window = std::make_unique<browser::FormMain>(services);
        window->resize(1100, 720);
        window->StartMainWindow();
        window->findChild<QAbstractButton*>(pane == 0 ? QStringLiteral("OptWindowsLeft1") : QStringLiteral("OptWindowsRight1"))->click();
        browser::FilePane& p = window->pane(pane);
        p.appendRows(LibraryRows(p.mode, ListRows()));
        list = window->findChild<QTableView*>(QStringLiteral("ListFile%1").arg(pane));
        Paint();
    }
    // Paints the list now and runs what the paint left pending.
    void Paint()
    {
        list->viewport()->repaint();
        QCoreApplication::processEvents();
    }

    QTemporaryDir empty;
    browser::MemorySettingsStore store;
    browser::ScriptedPrompter prompter;
    browser::LibraryDetailsProvider details;
    std::unique_ptr<browser::FormMain> window;
    QTableView* list = nullptr;
};

// Clicks every column's caption twice (descending, ascending) and times each click to the
// repainted list.
void BM_SortLargeList(benchmark::State& state)
{
    LargeListWindow w(static_cast<int>(state.range(0)));
    QHeaderView* header = w.list->horizontalHeader();
    const int columns = header->count() - 1; // not the trailing "dummy" one
    std::vector<qint64> slowest(static_cast<size_t>(columns), 0);
    for (auto _ : state) {
        QElapsedTimer total;
        total.start();
        for (int c = 0; c < columns; ++c) {
            for (int click = 0; click < 2; ++click) {
                QElapsedTimer t;
                t.start();
                Q_EMIT header->sectionClicked(c);
                w.Paint();
                slowest[size_t(c)] = std::max(slowest[size_t(c)], t.elapsed());
            }
        }
        state.SetIterationTime(total.nsecsElapsed() / 1e9);
    }
    const auto& model = *w.list->model();
    for (int c = 0; c < columns; ++c)
        state.counters["ms_" + model.headerData(c, Qt::Horizontal, Qt::UserRole + 3).toString().toStdString()] =
            static_cast<double>(slowest[size_t(c)]);
    state.counters["rows"] = w.window->pane(static_cast<int>(state.range(0))).rowCount();
    state.counters["longest_sort_ms"] = static_cast<double>(*std::max_element(slowest.begin(), slowest.end()));
    state.counters["peak_rss_mb"] = static_cast<double>(PeakRssMb());
}
BENCHMARK(BM_SortLargeList)->ArgName("pane")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Pages from the top of the list to its end, each page painted before the next.
void BM_ScrollLargeList(benchmark::State& state)
{
    LargeListWindow w(static_cast<int>(state.range(0)));
    QScrollBar* bar = w.list->verticalScrollBar();
    qint64 slowest = 0;
    int pages = 0;
    for (auto _ : state) {
        bar->setValue(0);
        w.Paint();
        QElapsedTimer total;
        total.start();
        pages = 0;
        while (bar->value() < bar->maximum()) {
            QElapsedTimer t;
            t.start();
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            w.Paint();
            slowest = std::max(slowest, t.elapsed());
            ++pages;
        }
        state.SetIterationTime(total.nsecsElapsed() / 1e9);
    }
    state.counters["pages"] = pages;
    state.counters["longest_page_ms"] = static_cast<double>(slowest);
}
BENCHMARK(BM_ScrollLargeList)->ArgName("pane")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

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
