// mwex play: plays a song through the MP3 engine, optionally tracing the lyric state.
#include "playback/engine.h"
#include "programs/mwex/cli.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <optional>

namespace mwex {
namespace {

// How often the lyric state is looked at while tracing (ms).
constexpr int kTracePollMs = 10;

std::optional<double> ParseSeconds(const QString& value, const QString& optionName, QString* error)
{
    bool ok = false;
    const double v = value.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0 || v > 24 * 3600) {
        *error = QStringLiteral("--%1: \"%2\" is not a number of seconds").arg(optionName, value);
        return std::nullopt;
    }
    return v;
}

QString Field(const QString& text)
{
    QString t = text;
    return t.replace(QLatin1Char('\t'), QLatin1Char(' '));
}

/// The printed fields of a lyric state: texts 7, 6, 5, 1, 0, integer 0, integer 3,
/// texts 3 and 4.
QString TraceFields(const playback::LyricState& s)
{
    const QStringList fields{Field(s.texts[7]), Field(s.texts[6]), Field(s.texts[5]), Field(s.texts[1]),
                             Field(s.texts[0]), QString::number(s.integers[0]), QString::number(s.integers[3]),
                             Field(s.texts[3]), Field(s.texts[4])};
    return fields.join(QLatin1Char('\t'));
}

struct PlayOptions {
    QString song;
    QString lyricsFile;
    bool embedded = false;
    int timeBase = 0; // 0 WinAmp, 1 standard
    double from = 0;
    std::optional<double> duration;
    bool trace = false;
    bool silent = false;
};

std::optional<PlayOptions> ParsePlayOptions(const QCommandLineParser& parser, QString* error)
{
    PlayOptions o;
    auto fail = [error](const QString& why) -> std::optional<PlayOptions> {
        *error = why;
        return std::nullopt;
    };
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return fail(QStringLiteral("play: give exactly one song file"));
    o.song = args.first();
    o.embedded = parser.isSet(QStringLiteral("embedded"));
    o.lyricsFile = parser.value(QStringLiteral("lyrics"));
    if (o.embedded && !o.lyricsFile.isEmpty())
        return fail(QStringLiteral("play: --lyrics and --embedded exclude each other"));
    const QString base = parser.value(QStringLiteral("time-base"));
    if (base == QLatin1String("standard"))
        o.timeBase = 1;
    else if (!base.isEmpty() && base != QLatin1String("winamp"))
        return fail(QStringLiteral("--time-base: \"%1\" is neither winamp nor standard").arg(base));
    if (parser.isSet(QStringLiteral("from"))) {
        const auto v = ParseSeconds(parser.value(QStringLiteral("from")), QStringLiteral("from"), error);
        if (!v)
            return std::nullopt;
        o.from = *v;
    }
    if (parser.isSet(QStringLiteral("for"))) {
        o.duration = ParseSeconds(parser.value(QStringLiteral("for")), QStringLiteral("for"), error);
        if (!o.duration)
            return std::nullopt;
    }
    o.trace = parser.isSet(QStringLiteral("trace"));
    o.silent = parser.isSet(QStringLiteral("silent"));
    return o;
}

// Opens the song with the workbench's own engine settings and its lyrics; nullopt on
// success, else the message.
std::optional<QString> OpenForPlay(playback::Engine& engine, const PlayOptions& o)
{
    engine.vbmp3_init();
    engine.vbmp3_setKaraokeUse(1);
    engine.vbmp3_setLyricsNextAdjustTime(500);
    engine.vbmp3_quickSeek(0);
    engine.vbmp3_useAtMarkTag(2);

    if (!engine.vbmp3_open(o.song, nullptr))
        return QStringLiteral("cannot play %1: %2 (error %3)")
            .arg(o.song, engine.LastErrorText())
            .arg(engine.vbmp3_getLastErrorNo());
    engine.vbmp3_setVbmp3Option(32, 16, 1, 0);
    engine.vbmp3_setLyrics3Use(0);
    engine.vbmp3_clearLyrics();
    if (!o.lyricsFile.isEmpty() && !engine.vbmp3_setLyricsFile(o.lyricsFile))
        return QStringLiteral("cannot read lyrics file %1").arg(o.lyricsFile);
    if (o.embedded && !engine.vbmp3_readLyrics3Data())
        return QStringLiteral("%1 holds no embedded lyrics").arg(o.song);
    engine.vbmp3_setLyricsTime(o.timeBase);
    return std::nullopt;
}

// Runs until the song ends, is stopped, or reaches `stopAt` samples (-1: no limit),
// printing each new lyric state when tracing.
void PlayUntilDone(playback::Engine& engine, qint64 stopAt, bool trace)
{
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&engine, &playback::Engine::notified, &loop, [&](int message, int) {
        if (message == int(playback::Notification::Finished) || message == int(playback::Notification::Stopped)) {
            finished = true;
            loop.quit();
        }
    });
    std::optional<QString> lastTrace;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    auto look = [&] {
        if (engine.vbmp3_getState(nullptr) == 0) {
            loop.quit();
            return;
        }
        if (trace) {
            playback::LyricState state;
            const int ms = engine.vbmp3_getWinampPlayMs();
            if (engine.vbmp3_getLyrics2(&state)) {
                const QString fields = TraceFields(state);
                if (fields != lastTrace) {
                    lastTrace = fields;
                    PrintLine(QString::number(ms) + QLatin1Char('\t') + fields);
                    std::fflush(stdout);
                }
            }
        }
        if (stopAt >= 0 && engine.vbmp3_getPlaySamples() >= stopAt) {
            engine.vbmp3_stop();
            loop.quit();
        }
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, look);
    look();
    poll.start(kTracePollMs);
    if (!finished && engine.vbmp3_getState(nullptr) != 0)
        loop.exec();
}

int RunPlay(const QCommandLineParser& parser)
{
    QString error;
    const std::optional<PlayOptions> o = ParsePlayOptions(parser, &error);
    if (!o)
        return Error(error);
    playback::Engine engine(o->silent ? playback::SilentOutputFactory() : playback::DeviceOutputFactory());
    if (const std::optional<QString> refused = OpenForPlay(engine, *o))
        return Error(*refused);

    const qint64 start = qint64(std::floor(o->from * engine.SampleRate()));
    const bool started = start > 0 ? engine.SeekSamples(start) : engine.vbmp3_play();
    if (!started)
        return Error(QStringLiteral("cannot play %1").arg(o->song));
    const qint64 stopAt = o->duration ? start + qint64(std::floor(*o->duration * engine.SampleRate())) : -1;
    PlayUntilDone(engine, stopAt, o->trace);
    engine.vbmp3_stop();
    engine.vbmp3_close();
    engine.vbmp3_stopCallback();
    engine.vbmp3_free();
    return kExitOk;
}

const Registrar play({
    {QStringLiteral("play")},
    QStringLiteral("SONG [--lyrics FILE | --embedded] [--time-base winamp|standard] [--from SEC] [--for SEC] [--silent] [--trace]"),
    QStringLiteral("Play a song through the MP3 engine, following its lyrics."),
    QStringLiteral("Plays SONG (MP3 or RMP) on the default audio device, or silently in real time\n"
                   "when there is none or with --silent, until the song ends or --for seconds\n"
                   "have been played. --lyrics times a lyrics file, --embedded the lyrics\n"
                   "embedded in the song; --time-base says which clock their tags were made on\n"
                   "(default winamp). --from starts at a position in seconds.\n"
                   "--trace prints a line each time the lyric state changes, with tab-separated\n"
                   "fields: the WinAmp-clock position in ms; the two lines before the current\n"
                   "one, the current line, the next two lines; the current karaoke segment's\n"
                   "start and length in ms; the part of the line sung at its start and at its\n"
                   "end. Tabs inside lyrics are printed as blanks.\n"
                   "Exit status 0 after playing, 2 when the song or lyrics cannot be read."),
    [](QCommandLineParser& p) {
        p.addOption(QCommandLineOption(QStringLiteral("lyrics"), QStringLiteral("Time the lyrics of FILE."), QStringLiteral("FILE")));
        p.addOption(QCommandLineOption(QStringLiteral("embedded"), QStringLiteral("Time the lyrics embedded in the song.")));
        p.addOption(QCommandLineOption(QStringLiteral("time-base"), QStringLiteral("Clock of the tags: winamp or standard."), QStringLiteral("BASE")));
        p.addOption(QCommandLineOption(QStringLiteral("from"), QStringLiteral("Start at SEC seconds."), QStringLiteral("SEC")));
        p.addOption(QCommandLineOption(QStringLiteral("for"), QStringLiteral("Play SEC seconds at most."), QStringLiteral("SEC")));
        p.addOption(QCommandLineOption(QStringLiteral("silent"), QStringLiteral("Play without sound, in real time.")));
        p.addOption(QCommandLineOption(QStringLiteral("trace"), QStringLiteral("Print the lyric state at each change.")));
    },
    RunPlay,
});

} // namespace
} // namespace mwex
