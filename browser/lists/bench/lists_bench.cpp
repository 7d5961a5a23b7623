// Lists of 20,000 rows: the name filter over every listed name (wildcard and partial),
// and opening a 20,000-row data file into a pane (read, parse, check every file's
// existence, put the rows in the pane and pair them with a 20,000-row other pane).
#include "browser/core/filepane.h"
#include "browser/lists/datafile.h"
#include "browser/lists/namefilter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace browser;
using namespace browser::lists;

namespace {

constexpr int kRows = 20000;

std::vector<FileRow> Rows(PaneMode mode, const QString& folder)
{
    std::vector<FileRow> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        FileRow r;
        r.name = QString::fromUtf8("%1 アーティスト%2 - 曲名 (live) take%3.%4")
                     .arg(i, 5, 10, QLatin1Char('0'))
                     .arg(i % 97)
                     .arg(i % 13)
                     .arg(mode == PaneMode::Lyrics ? QStringLiteral("txt") : QStringLiteral("mp3"));
        r.setCell(Col::Path, folder + QStringLiteral("sub%1/").arg(i % 50));
        r.setCell(Col::Size, QStringLiteral("%1 B").arg(1000 + i));
        r.setCell(Col::Timestamp, QStringLiteral("2024/05/06 07:08:09"));
        r.setCell(Col::Ext, QStringLiteral("txt"));
        r.setCell(Col::Artist, QString::fromUtf8("アーティスト%1").arg(i % 97));
        r.setCell(Col::Title, QString::fromUtf8("曲名 %1").arg(i));
        r.setCell(Col::TagType, QString::fromUtf8("ｶﾗｵｹ"));
        r.setCell(Col::TimeType, QStringLiteral("WinAmp"));
        r.icon = icons::kLyricsKaraoke;
        r.checked = i % 3 == 0;
        rows.push_back(std::move(r));
    }
    return rows;
}

void Filter(benchmark::State& state, FilterState filter)
{
    const std::vector<FileRow> rows = Rows(PaneMode::Lyrics, QStringLiteral("/music/"));
    int passed = 0;
    for (auto _ : state) {
        passed = 0;
        const NameFilter prepared(filter);
        for (const FileRow& r : rows)
            passed += prepared.passes(r.name) ? 1 : 0;
        benchmark::DoNotOptimize(passed);
    }
    state.counters["passed"] = passed;
}

void BM_FilterWildcard(benchmark::State& state)
{
    Filter(state, {false, true, QString::fromUtf8("*アーティスト#*(LIVE)*take1[0-2]"), false});
}
BENCHMARK(BM_FilterWildcard)->Unit(benchmark::kMillisecond);

void BM_FilterPartial(benchmark::State& state)
{
    Filter(state, {false, false, QStringLiteral("(LIVE) TAKE1"), false});
}
BENCHMARK(BM_FilterPartial)->Unit(benchmark::kMillisecond);

void BM_LoadDataFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.mlf"));
    if (!SaveDataFile(path, PaneMode::Lyrics, dir.path(), Rows(PaneMode::Lyrics, dir.path() + QLatin1Char('/')))) {
        state.SkipWithError("cannot write the data file");
        return;
    }
    FilePane pane(0), other(1);
    other.mode = PaneMode::Song;
    std::vector<FileRow> songs = Rows(PaneMode::Song, QStringLiteral("/songs/"));
    for (FileRow& r : songs)
        r.icon = icons::kSong;
    other.appendRows(std::move(songs));
    size_t rows = 0;
    for (auto _ : state) {
        DataFileLoad load = ReadDataFile(path);
        rows = load.rows.size();
        ApplyDataFile(pane, other, std::move(load));
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
