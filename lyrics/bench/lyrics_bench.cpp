// Throughput of the lyrics operations on texts of 64 KiB, 1 MiB and 16 MiB characters.
// bytes_per_second counts characters (QChar units): one "MB" is 2^20 characters of text.
// Equal rates at the three sizes show that an operation grows linearly.
#include "lyrics/atblock.h"
#include "lyrics/correction.h"
#include "lyrics/linebreaks.h"
#include "lyrics/rescale.h"
#include "lyrics/tagops.h"
#include "lyrics/timetag.h"

#include <benchmark/benchmark.h>
#include <map>

using namespace lyrics;

namespace {

enum class Shape {
    Karaoke,     // karaoke lines with an @ block of older keys at the end
    LineHead,    // line-head lines, some with several tags, in shuffled order
    KaraokeLf,   // karaoke lines with LF breaks
    TagsOneLine, // one long line of head tags only (worst case for the classifier)
};

QString Make(Shape shape, qsizetype size)
{
    static const char16_t* const words[] = {u"あさの", u"ひかりが", u"窓を", u"たたく", u"Hello", u"world [x]", u"まだ", u"眠い"};
    QString text;
    text.reserve(size + 256);
    const QString block = QStringLiteral("@Title=朝のうた\r\n@Artist=合唱団\r\n@timetype=winamp\r\n@flames=10000\r\n"
                                         "@totalsec=261\r\n@silence=10\r\n@Offset=-150\r\n@taggingby=me (you)\r\n");
    const qsizetype body = size - block.size();
    const QLatin1StringView brk(shape == Shape::KaraokeLf ? "\n" : "\r\n");
    int t = 0;
    int line = 0;
    auto next = [&t](int step) {
        t = (t + step) % (90 * 60000);
        return t;
    };
    while (text.size() < body) {
        switch (shape) {
        case Shape::Karaoke:
        case Shape::KaraokeLf:
            for (int w = 0; w < 4; ++w) {
                // Every 50th line runs backwards, so the reversal repair has work.
                AppendTimeTag(text, line % 50 == 49 && w == 1 ? t / 2 : next(370), TagLayout::Hundredths);
                text.append(words[(line + w) % 8]);
            }
            AppendTimeTag(text, next(300), TagLayout::Hundredths);
            text.append(brk);
            break;
        case Shape::LineHead:
            AppendTimeTag(text, (line * 7919) % (90 * 60000), TagLayout::Hundredths);
            if (line % 5 == 0)
                AppendTimeTag(text, (line * 104729) % (90 * 60000), TagLayout::Hundredths);
            text.append(words[line % 8]).append(words[(line + 3) % 8]).append(brk);
            break;
        case Shape::TagsOneLine:
            AppendTimeTag(text, next(10), TagLayout::Hundredths);
            break;
        }
        ++line;
    }
    if (shape != Shape::TagsOneLine)
        text.append(QString(block).replace(QLatin1String("\r\n"), brk));
    return text;
}

const QString& Text(Shape shape, qsizetype size)
{
    static std::map<std::pair<int, qsizetype>, QString> cache;
    QString& s = cache[{int(shape), size}];
    if (s.isEmpty())
        s = Make(shape, size);
    return s;
}

/// The text of `shape` with every `from` replaced by `to` (cached).
const QString& Variant(Shape shape, qsizetype size, QChar from, QChar to)
{
    static std::map<std::tuple<int, qsizetype, char16_t>, QString> cache;
    QString& s = cache[{int(shape), size, from.unicode()}];
    if (s.isEmpty())
        s = QString(Text(shape, size)).replace(from, to);
    return s;
}

template<class Op>
void RunOn(benchmark::State& state, const QString& text, Op&& op)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(op(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}

template<class Op>
void Run(benchmark::State& state, Shape shape, Op&& op)
{
    RunOn(state, Text(shape, state.range(0)), op);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(64 << 10)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
}

const CorrectionData& KaraokeData(qsizetype size)
{
    static std::map<qsizetype, CorrectionData> cache;
    auto it = cache.find(size);
    if (it == cache.end())
        it = cache.emplace(size, ReadCorrectionData(Text(Shape::Karaoke, size), true).data).first;
    return it->second;
}

// Tag grammar

void BM_TakeNextTagLoop(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) {
        QString before;
        before.reserve(text.size());
        int n = 0;
        for (QStringView rest = text;;) {
            NextTag t = TakeNextTag(rest, before);
            if (t.tag.isEmpty())
                break;
            ++n;
            rest = t.rest;
        }
        return n;
    });
}
BENCHMARK(BM_TakeNextTagLoop)->Apply(Sizes);

void BM_HasTags(benchmark::State& state)
{
    // No tag anywhere: the whole text is scanned.
    RunOn(state, Variant(Shape::Karaoke, state.range(0), u']', u')'), [](const QString& text) { return HasTags(text, true); });
}
BENCHMARK(BM_HasTags)->Apply(Sizes);

void BM_ClassifyTagKind(benchmark::State& state)
{
    Run(state, Shape::TagsOneLine, [](const QString& text) { return ClassifyTagKind(text); });
}
BENCHMARK(BM_ClassifyTagKind)->Apply(Sizes);

void BM_SplitAtLastFullTag(benchmark::State& state)
{
    // No full tag: the scan from the right passes every bracket.
    RunOn(state, Variant(Shape::Karaoke, state.range(0), u']', u')'),
          [](const QString& text) { return SplitAtLastFullTag(text).before.size(); });
}
BENCHMARK(BM_SplitAtLastFullTag)->Apply(Sizes);

void BM_StripAllTags(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return StripAllTags(text); });
}
BENCHMARK(BM_StripAllTags)->Apply(Sizes);

void BM_KeepLeadingTagOnly(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return KeepLeadingTagOnly(text); });
}
BENCHMARK(BM_KeepLeadingTagOnly)->Apply(Sizes);

// @ block

void BM_FindAtValueMissing(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return FindAtValue(text, QLatin1StringView("@bgfolder")); });
}
BENCHMARK(BM_FindAtValueMissing)->Apply(Sizes);

void BM_ReadCorrectionData(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return ReadCorrectionData(text, true).data.TimeRatio; });
}
BENCHMARK(BM_ReadCorrectionData)->Apply(Sizes);

void BM_StripAtLines(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return StripAtLines(text); });
}
BENCHMARK(BM_StripAtLines)->Apply(Sizes);

void BM_AppendAtBlock(benchmark::State& state)
{
    const CorrectionData& d = KaraokeData(state.range(0));
    Run(state, Shape::Karaoke, [&d](const QString& text) { return AppendAtBlock(text, d); });
}
BENCHMARK(BM_AppendAtBlock)->Apply(Sizes);

void BM_FindTitleArtistMissing(benchmark::State& state)
{
    // No "@" key: every "title:" and "artist:" form is looked for through the whole text.
    RunOn(state, Variant(Shape::Karaoke, state.range(0), u'@', u'#'),
          [](const QString& text) { return FindTitleArtist(text).title.size(); });
}
BENCHMARK(BM_FindTitleArtistMissing)->Apply(Sizes);

// Correction

void BM_ConvertTags(benchmark::State& state)
{
    const CorrectionData& d = KaraokeData(state.range(0));
    Run(state, Shape::Karaoke, [&d](const QString& text) {
        QString t = text;
        ConvertTags(t, SongFacts{44100, 30}, d, ConversionKind::WinAmpToStandard, QStringLiteral("me"));
        return t;
    });
}
BENCHMARK(BM_ConvertTags)->Apply(Sizes);

void BM_ApplyOffset(benchmark::State& state)
{
    const CorrectionData& d = KaraokeData(state.range(0));
    Run(state, Shape::Karaoke, [&d](const QString& text) {
        QString t = text;
        ApplyOffset(t, d);
        return t;
    });
}
BENCHMARK(BM_ApplyOffset)->Apply(Sizes);

void BM_AddCorrectionData(benchmark::State& state)
{
    CorrectionData d = KaraokeData(state.range(0));
    d.TimeType = TimeBase::Standard;
    Run(state, Shape::Karaoke, [&d](const QString& text) {
        QString t = text;
        AddCorrectionData(t, SongFacts{44100, 30}, d, QStringLiteral("me"));
        return t;
    });
}
BENCHMARK(BM_AddCorrectionData)->Apply(Sizes);

void BM_UpdateOldCorrectionData(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) {
        QString t = text;
        UpdateOldCorrectionData(t, ReadCorrectionData(t, true));
        return t;
    });
}
BENCHMARK(BM_UpdateOldCorrectionData)->Apply(Sizes);

// Bulk tag operations

void BM_UnifyTags(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return UnifyTags(text, TagLayout::Seconds); });
}
BENCHMARK(BM_UnifyTags)->Apply(Sizes);

void BM_ShiftAllTags(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return ShiftAllTags(text, -250); });
}
BENCHMARK(BM_ShiftAllTags)->Apply(Sizes);

void BM_NormalizeLineHeadTags(benchmark::State& state)
{
    Run(state, Shape::LineHead, [](const QString& text) { return NormalizeLineHeadTags(text); });
}
BENCHMARK(BM_NormalizeLineHeadTags)->Apply(Sizes);

void BM_RepairKaraokeReversals(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return RepairKaraokeReversals(text); });
}
BENCHMARK(BM_RepairKaraokeReversals)->Apply(Sizes);

void BM_AdjustLineAdvance(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return AdjustLineAdvance(text, 500, false); });
}
BENCHMARK(BM_AdjustLineAdvance)->Apply(Sizes);

void BM_AdjustLineAdvanceRemove(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return AdjustLineAdvance(text, 500, true); });
}
BENCHMARK(BM_AdjustLineAdvanceRemove)->Apply(Sizes);

void BM_StripKaraokeTags(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return StripKaraokeTags(text); });
}
BENCHMARK(BM_StripKaraokeTags)->Apply(Sizes);

void BM_ScanTagOrder(benchmark::State& state)
{
    Run(state, Shape::Karaoke, [](const QString& text) { return ScanTagOrder(text).size(); });
}
BENCHMARK(BM_ScanTagOrder)->Apply(Sizes);

void BM_RescaleTags(benchmark::State& state)
{
    // The first reference maps below 0 for earlier tags: the walk runs twice.
    Run(state, Shape::Karaoke, [](const QString& text) { return RescaleTags(text, 10000, 70000, 2000, 62000).text; });
}
BENCHMARK(BM_RescaleTags)->Apply(Sizes);

void BM_NormalizeLineBreaks(benchmark::State& state)
{
    Run(state, Shape::KaraokeLf, [](const QString& text) { return NormalizeLineBreaks(text); });
}
BENCHMARK(BM_NormalizeLineBreaks)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
