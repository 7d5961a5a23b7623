// Probe speed on a generated corpus of 2,000 song files (400 of each category), against
// TagLib reading the tags and audio properties of the same files in the same run; the
// frame walk by song length; and the cost of embedding lyrics into large MP3s.
//
//   songfiles_bench [--corpus FOLDER] [--rounds N] [--compare-only]
//                   [--profile CATEGORY SECONDS] [--benchmark_filter=…]
// First a table: per category the probe's and TagLib's files/s (best of N rounds, the two
// interleaved so that both see the same machine), their ratio and the goal. Then the
// Google benchmarks. --profile only probes one category (0-4) in a loop, for perf.
// MWEX_BENCH_SONG_SECONDS sets the length of the corpus songs (default 30); a corpus
// folder of an earlier run is used as it is.
#include "songfiles/bench/probecorpus.h"
#include "songfiles/lyrics3.h"
#include "songfiles/songedit.h"
#include "songfiles/songfile.h"
#include "songfiles/testdata/synth.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#ifdef MWEX_HAVE_TAGLIB
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace songfiles;
using probebench::kCategories;

namespace {

probebench::Corpus& TheCorpus()
{
    static probebench::Corpus corpus;
    return corpus;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

/// What the probe reads of a file: kind, stream facts, tag, Lyrics3 block, INFO values.
int64_t ProbeOne(const QString& path)
{
    SongFile song;
    if (!song.open(path) || song.kind() == kNotASong)
        return -1;
    int64_t sum = song.kind();
    if (const auto info = song.mpegInfo())
        sum += info->playSeconds + info->bitRate + info->sampleRate;
    if (const auto tag = song.id3v1())
        sum += tag->title.size() + tag->artist.size() + tag->genre;
    std::optional<QByteArray> block;
    if (song.readLyrics3Block(block) && block)
        if (const auto r = ParseLyrics3(*block))
            sum += (*r)[LYR].size();
    if (song.layout().isRiff()) {
        std::optional<InfoValues> values;
        if (song.readInfoValues(values) && values)
            sum += values->text(INAM).size();
    }
    return sum;
}

#ifdef MWEX_HAVE_TAGLIB
int64_t TagLibOne(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    TagLib::MPEG::File file(name.constData(), true, TagLib::AudioProperties::Average);
    if (!file.isValid())
        return -1;
    int64_t sum = 0;
    if (const TagLib::Tag* tag = file.tag())
        sum += tag->title().size() + tag->artist().size() + tag->album().size() + tag->comment().size() + tag->year()
            + tag->genre().size();
    if (const TagLib::AudioProperties* p = file.audioProperties())
        sum += p->lengthInSeconds() + p->bitrate() + p->sampleRate() + p->channels();
    return sum;
}
#endif

/// The floor of an exact frame walk: every byte of the file read once, through the
/// walk's 64 KiB windows, and nothing looked at.
int64_t ReadWholeOne(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return -1;
    static char window[65536];
    int64_t sum = 0;
    for (qint64 got; (got = file.read(window, sizeof window)) > 0;)
        sum += window[got - 1];
    return sum;
}

using Prober = int64_t (*)(const QString&);

/// Seconds for one pass of `probe` over `files`.
double Pass(Prober probe, const std::vector<QString>& files)
{
    const auto start = std::chrono::steady_clock::now();
    for (const QString& f : files)
        benchmark::DoNotOptimize(probe(f));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The comparison table: best of `rounds` passes per side, the sides interleaved.
void Compare(int rounds)
{
    const probebench::Corpus& c = TheCorpus();
    std::printf("%-22s %12s %12s %8s %6s\n", "category (400 files)", "probe f/s", "TagLib f/s", "ratio", "goal");
    auto row = [&](const char* name, const std::vector<QString>& files, double goal) {
        double mine = 1e9, theirs = 1e9;
        Pass(ProbeOne, files); // warm the cache
        for (int r = 0; r < rounds; ++r) {
            mine = std::min(mine, Pass(ProbeOne, files));
#ifdef MWEX_HAVE_TAGLIB
            if (r == 0)
                Pass(TagLibOne, files);
            theirs = std::min(theirs, Pass(TagLibOne, files));
#endif
        }
        const double n = double(files.size());
#ifdef MWEX_HAVE_TAGLIB
        const double ratio = theirs / mine;
        if (goal > 0)
            std::printf("%-22s %12.0f %12.0f %7.2fx %5.1fx %s\n", name, n / mine, n / theirs, ratio, goal,
                        ratio >= goal ? "ok" : "BELOW");
        else // a row without a goal of its own
            std::printf("%-22s %12.0f %12.0f %7.2fx %6s\n", name, n / mine, n / theirs, ratio, "-");
#else
        std::printf("%-22s %12.0f %12s %8s %5.1fx\n", name, n / mine, "-", "-", goal);
#endif
        std::fflush(stdout);
    };
    for (int k = 0; k < kCategories; ++k)
        row(probebench::CategoryName(k), c.files[static_cast<size_t>(k)], k == probebench::VbrBare ? 2.0 : 5.0);
    row("all 2,000 files", c.all, 0);

    // What an exact walk of a stream without an information frame cannot beat.
    const std::vector<QString>& vbr = c.files[probebench::VbrBare];
    double whole = 1e9;
    for (int r = 0; r <= rounds; ++r)
        whole = std::min(whole, Pass(ReadWholeOne, vbr));
    std::printf("%-22s %12.0f   (every byte of each VBR-no-header file read once in 64 KiB reads)\n", "read-once floor",
                double(vbr.size()) / whole);
}

/// Probes one category for `seconds`, nothing else: a steady load for a profiler.
void Profile(int category, double seconds)
{
    const std::vector<QString>& files = TheCorpus().files[static_cast<size_t>(category)];
    double spent = 0;
    long passes = 0;
    while (spent < seconds) {
        spent += Pass(ProbeOne, files);
        ++passes;
    }
    std::printf("%s: %.0f files/s over %ld passes\n", probebench::CategoryName(category),
                double(passes) * double(files.size()) / spent, passes);
}

void RunFiles(benchmark::State& state, Prober probe, const std::vector<QString>& files)
{
    Pass(probe, files); // warm the cache
    for (auto _ : state)
        Pass(probe, files);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * files.size()));
    state.counters["files/s"] =
        benchmark::Counter(static_cast<double>(files.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Probe_Mwex(benchmark::State& state)
{
    RunFiles(state, ProbeOne, TheCorpus().all);
}
BENCHMARK(BM_Probe_Mwex)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Probe_Mwex_Category(benchmark::State& state)
{
    state.SetLabel(probebench::CategoryName(static_cast<int>(state.range(0))));
    RunFiles(state, ProbeOne, TheCorpus().files[static_cast<size_t>(state.range(0))]);
}
BENCHMARK(BM_Probe_Mwex_Category)->DenseRange(0, kCategories - 1)->Unit(benchmark::kMillisecond);

#ifdef MWEX_HAVE_TAGLIB
void BM_Probe_TagLib(benchmark::State& state)
{
    RunFiles(state, TagLibOne, TheCorpus().all);
}
BENCHMARK(BM_Probe_TagLib)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Probe_TagLib_Category(benchmark::State& state)
{
    state.SetLabel(probebench::CategoryName(static_cast<int>(state.range(0))));
    RunFiles(state, TagLibOne, TheCorpus().files[static_cast<size_t>(state.range(0))]);
}
BENCHMARK(BM_Probe_TagLib_Category)->DenseRange(0, kCategories - 1)->Unit(benchmark::kMillisecond);
#endif

/// A VBR file without an information frame is walked frame by frame: cost by length.
void BM_FrameWalk_BySeconds(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("walk.mp3"));
    const int frames = static_cast<int>(state.range(0) * 44100 / 1152);
    Write(path, synth::MakeVbrStream(synth::Frame{}, {9, 11, 10, 12}, frames));
    ProbeOne(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ProbeOne(path));
    state.SetLabel(QStringLiteral("%1 s").arg(state.range(0)).toStdString());
}
BENCHMARK(BM_FrameWalk_BySeconds)->Arg(30)->Arg(240)->Arg(600)->Unit(benchmark::kMicrosecond);

/// Embedding lyrics rewrites the whole file (atomically, flushed to disk): cost by size.
void BM_EmbedLyrics_ByMegabytes(benchmark::State& state)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/embed-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("big.mp3"));
    const int frames = static_cast<int>(state.range(0) * 1024 * 1024 / 417);
    Write(path, synth::PlainMp3(frames) + synth::Id3v1("Big", "File"));
    Lyrics3Record record;
    record[LYR] = QStringLiteral("[00:01:00]歌詞\r\n").repeated(200);
    int n = 0;
    for (auto _ : state) {
        record[ETT] = QString::number(n++); // a different block each time
        QString error;
        if (!EmbedLyrics3(path, record, Lyrics3Target::Ilyc, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * QFileInfo(path).size());
    state.SetLabel(QStringLiteral("%1 MB").arg(state.range(0)).toStdString());
}
BENCHMARK(BM_EmbedLyrics_ByMegabytes)->Arg(1)->Arg(5)->Arg(20)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QString folder;
    int rounds = 5;
    bool compareOnly = false;
    int profileCategory = -1;
    double profileSeconds = 0;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--corpus") && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--compare-only"))
            compareOnly = true;
        else if (!std::strcmp(argv[i], "--profile") && i + 2 < argc) {
            profileCategory = std::clamp(std::atoi(argv[++i]), 0, kCategories - 1);
            profileSeconds = std::atof(argv[++i]);
        } else
            rest.push_back(argv[i]);
    }
    std::unique_ptr<QTemporaryDir> temporary;
    if (folder.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        folder = temporary->path();
    }
    TheCorpus() = probebench::MakeCorpus(folder);
    if (profileCategory >= 0) {
        Profile(profileCategory, profileSeconds);
        return 0;
    }
    Compare(rounds);
    if (compareOnly)
        return 0;
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
