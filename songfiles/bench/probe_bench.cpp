// Probe speed on a generated corpus of 2,000 song files, compared with TagLib reading
// the tags and audio properties of the same files; and the cost of embedding lyrics
// into large MP3s.
//
//   songfiles_bench [--benchmark_filter=…]
// MWEX_BENCH_SONG_SECONDS sets the length of the corpus songs (default 30).
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

#include <vector>

using namespace songfiles;

namespace {

enum Category { CbrInfo, CbrBare, VbrXing, VbrBare, RmpFile, kCategories };
const char* const kCategoryNames[kCategories] = {"CBR+Info+tag", "CBR bare", "VBR+Xing+tag+Lyrics3", "VBR no header+tag",
                                                 "RMP+INFO+Lyrics3"};

struct Corpus {
    QTemporaryDir dir;
    std::vector<std::vector<QString>> files{kCategories};
    std::vector<QString> all;
};

int SongSeconds()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("MWEX_BENCH_SONG_SECONDS", &ok);
    return ok && s > 0 ? s : 30;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

/// 2,000 files, 400 of each category, with varied tags and lengths around SongSeconds().
Corpus& TheCorpus()
{
    static Corpus* corpus = [] {
        auto* c = new Corpus;
        const int seconds = SongSeconds();
        synth::Frame f;
        const QList<int> vbrRates = {9, 11, 10, 12, 9, 13, 11, 8, 10};
        for (int i = 0; i < 2000; ++i) {
            const Category cat = static_cast<Category>(i % kCategories);
            const int frames = static_cast<int>((seconds + i % 7) * 44100.0 / 1152);
            const QByteArray title = "Song number " + QByteArray::number(i);
            const QByteArray tag = synth::Id3v1(title, "Artist", "Album", "2001", "generated", i % 148);
            const QByteArray block = synth::Lyrics3({{"IND", "11"}, {"LYR", QByteArray("[00:01:00]la la la\r\n").repeated(20)},
                                                     {"ETT", title}, {"EAR", "Artist"}});
            QByteArray bytes;
            QString name = QStringLiteral("%1.mp3").arg(i, 4, 10, QLatin1Char('0'));
            switch (cat) {
            case CbrInfo:
                bytes = synth::MakeInfoFrame(f, "Info", frames, 0) + synth::MakeStream(f, frames) + tag;
                break;
            case CbrBare:
                bytes = synth::MakeStream(f, frames);
                break;
            case VbrXing:
                bytes = synth::MakeInfoFrame(f, "Xing", frames, 0) + synth::MakeVbrStream(f, vbrRates, frames) + block + tag;
                break;
            case VbrBare:
                bytes = synth::MakeVbrStream(f, vbrRates, frames) + tag;
                break;
            case RmpFile: {
                QByteArray ilyc = block + tag;
                if (ilyc.size() % 2)
                    ilyc.prepend('\0');
                bytes = synth::Rmp(synth::MakeStream(f, frames),
                                   synth::InfoList({{"INAM", title + '\0'}, {"IART", QByteArray("Artist\0", 7)}, {"ILYC", ilyc}}));
                name = QStringLiteral("%1.rmp").arg(i, 4, 10, QLatin1Char('0'));
                break;
            }
            default:
                break;
            }
            const QString path = c->dir.filePath(name);
            Write(path, bytes);
            c->files[cat].push_back(path);
            c->all.push_back(path);
        }
        return c;
    }();
    return *corpus;
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

void RunMwex(benchmark::State& state, const std::vector<QString>& files)
{
    for (const QString& f : files) // warm the cache
        benchmark::DoNotOptimize(ProbeOne(f));
    for (auto _ : state)
        for (const QString& f : files)
            benchmark::DoNotOptimize(ProbeOne(f));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * files.size()));
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(files.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Probe_Mwex(benchmark::State& state)
{
    RunMwex(state, TheCorpus().all);
}
BENCHMARK(BM_Probe_Mwex)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Probe_Mwex_Category(benchmark::State& state)
{
    state.SetLabel(kCategoryNames[state.range(0)]);
    RunMwex(state, TheCorpus().files[static_cast<size_t>(state.range(0))]);
}
BENCHMARK(BM_Probe_Mwex_Category)->DenseRange(0, kCategories - 1)->Unit(benchmark::kMillisecond);

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

void RunTagLib(benchmark::State& state, const std::vector<QString>& files)
{
    for (const QString& f : files)
        benchmark::DoNotOptimize(TagLibOne(f));
    for (auto _ : state)
        for (const QString& f : files)
            benchmark::DoNotOptimize(TagLibOne(f));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * files.size()));
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(files.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Probe_TagLib(benchmark::State& state)
{
    RunTagLib(state, TheCorpus().all);
}
BENCHMARK(BM_Probe_TagLib)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Probe_TagLib_Category(benchmark::State& state)
{
    state.SetLabel(kCategoryNames[state.range(0)]);
    RunTagLib(state, TheCorpus().files[static_cast<size_t>(state.range(0))]);
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

BENCHMARK_MAIN();
