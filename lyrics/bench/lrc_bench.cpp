// Throughput of the LRC conversions on a 16 MiB text (and 1 MiB, to show linear growth).
// The text benchmarks count characters (QChar units, one "MB" is 2^20 of them); the file
// benchmark counts the file's bytes, decoding and encoding included.
#include "lyrics/lrc.h"

#include <benchmark/benchmark.h>

using namespace lyrics;

namespace {

/// An LRC text of about `size` characters: ID tags, plain lines, repeated times and
/// enhanced word-timed lines, with Japanese and ASCII words.
QString MakeLrc(qsizetype size)
{
    static const char16_t* const words[] = {u"あさの", u"ひかりが", u"窓を", u"たたく", u"Hello", u"world", u"まだ", u"眠い"};
    QString text = QStringLiteral("[ti:朝のうた]\r\n[ar:合唱団]\r\n[by:me]\r\n[offset:+150]\r\n[length:89:00]\r\n");
    text.reserve(size + 256);
    auto stamp = [&text](qint64 ms, char16_t open, char16_t close) {
        text.append(QChar(open));
        text.append(QString::asprintf("%02lld:%02lld.%02lld", ms / 60000, ms / 1000 % 60, ms / 10 % 100));
        text.append(QChar(close));
    };
    qint64 t = 0;
    for (int line = 0; text.size() < size; ++line) {
        t = (t + 2370) % (90 * 60000);
        stamp(t, u'[', u']');
        if (line % 3 == 0) {
            for (int w = 0; w < 4; ++w) {
                stamp(t + w * 400, u'<', u'>');
                text.append(words[(line + w) % 8]);
            }
            stamp(t + 1600, u'<', u'>');
        } else {
            if (line % 7 == 0)
                stamp((t + 60000) % (90 * 60000), u'[', u']');
            text.append(words[line % 8]).append(QLatin1Char(' ')).append(words[(line + 3) % 8]);
        }
        text.append(QLatin1String("\r\n"));
    }
    return text;
}

void BM_Import(benchmark::State& state)
{
    const QString lrc = MakeLrc(state.range(0));
    for (auto _ : state) {
        LrcImportResult r = ImportLrc(lrc);
        benchmark::DoNotOptimize(r.text.data());
    }
    state.SetBytesProcessed(state.iterations() * lrc.size());
}

void BM_ImportExpanded(benchmark::State& state)
{
    const QString lrc = MakeLrc(state.range(0));
    LrcImportOptions o;
    o.expandRepeats = true;
    o.closeKaraokeLines = true;
    for (auto _ : state) {
        LrcImportResult r = ImportLrc(lrc, o);
        benchmark::DoNotOptimize(r.text.data());
    }
    state.SetBytesProcessed(state.iterations() * lrc.size());
}

void BM_ExportEnhanced(benchmark::State& state)
{
    const QString program = ImportLrc(MakeLrc(state.range(0))).text;
    LrcExportOptions o;
    o.enhanced = true;
    for (auto _ : state) {
        LrcExportResult r = ExportLrc(program, o);
        benchmark::DoNotOptimize(r.text.data());
    }
    state.SetBytesProcessed(state.iterations() * program.size());
}

void BM_Detect(benchmark::State& state)
{
    const QString lrc = MakeLrc(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectLrc(lrc));
    state.SetBytesProcessed(state.iterations() * lrc.size());
}

/// A UTF-8 file's bytes to the program's text and back to UTF-8 bytes.
void BM_ImportFileUtf8(benchmark::State& state)
{
    const QByteArray bytes = *EncodeLrcBytes(MakeLrc(state.range(0)), LrcEncoding::Utf8);
    for (auto _ : state) {
        const LrcDecoded d = DecodeLrcBytes(bytes);
        const LrcImportResult r = ImportLrc(d.text);
        benchmark::DoNotOptimize(EncodeLrcBytes(r.text, d.encoding));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

BENCHMARK(BM_Import)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportExpanded)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportEnhanced)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Detect)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFileUtf8)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
