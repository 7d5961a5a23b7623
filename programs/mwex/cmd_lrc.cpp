// mwex lrc …: LRC files ("[01:23.45]", enhanced "<01:23.45>", "[ar:…]") to the program's
// time-tagged text and back.
#include "programs/mwex/cli.h"

#include "common/atomicfile.h"
#include "lyrics/atblock.h"
#include "lyrics/linebreaks.h"
#include "lyrics/lrc.h"
#include "songfiles/songcorrection.h"

#include <memory>

namespace mwex {
namespace {

const QString kFilterDetails = QStringLiteral(
    "Reads FILE (standard input when it is missing or \"-\") and writes the result to\n"
    "standard output, or back into each FILE with --in-place. The encoding (UTF-8 with or\n"
    "without BOM, UTF-16 with BOM, CP932) is kept unless --encoding picks another. A text\n"
    "that cannot be converted is left as it is, with a message, and the exit status is 1.");

/// The answer of a conversion: the new text, or why the input stays as it is.
struct Conversion {
    bool ok = false;
    QString text;
    QString message;     // why not (ok false)
    QStringList notes;   // what was done, for standard error
};
using Converter = std::function<Conversion(const QString& text)>;

void AddEncodingOption(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(QStringLiteral("encoding"),
                                        QStringLiteral("keep (default), utf8, utf8-bom, utf16 (little-endian with "
                                                       "BOM), utf16be or cp932."),
                                        QStringLiteral("ENC")));
}

/// The --encoding choice into `encoding` (nullopt for "keep"); false for a bad value.
bool ParseEncoding(const QCommandLineParser& parser, std::optional<lyrics::LrcEncoding>* encoding, QString* error)
{
    const QString v = parser.value(QStringLiteral("encoding"));
    encoding->reset();
    if (v.isEmpty() || v == QLatin1String("keep"))
        return true;
    static const std::pair<const char*, lyrics::LrcEncoding> kNames[] = {
        {"utf8", lyrics::LrcEncoding::Utf8},     {"utf8-bom", lyrics::LrcEncoding::Utf8Bom},
        {"utf16", lyrics::LrcEncoding::Utf16Le}, {"utf16be", lyrics::LrcEncoding::Utf16Be},
        {"cp932", lyrics::LrcEncoding::Cp932},
    };
    for (const auto& [name, e] : kNames) {
        if (v == QLatin1String(name)) {
            *encoding = e;
            return true;
        }
    }
    *error = QStringLiteral("--encoding: \"%1\" is none of keep, utf8, utf8-bom, utf16, utf16be, cp932").arg(v);
    return false;
}

/// Like RunTextFilter, for files that may also be UTF-16: every input is read and
/// converted before anything is written; an input that is not converted is passed
/// through (standard output) or left untouched (--in-place).
int RunLrcFilter(const QCommandLineParser& parser, std::optional<lyrics::LrcEncoding> encoding, const Converter& convert)
{
    const bool inPlace = parser.isSet(QStringLiteral("in-place"));
    QStringList inputs;
    if (const std::optional<int> refused = FilterInputs(parser, inPlace, inputs))
        return *refused;

    struct Result {
        QString path;
        QByteArray out;
        bool converted;
        std::unique_ptr<RewriteGuard> guard; // -i: the file stays locked until it is written
    };
    std::vector<Result> results;
    int status = kExitOk;
    for (const QString& name : inputs) {
        const QString prefix = name.isEmpty() || name == QLatin1String("-") ? QString() : name + QStringLiteral(": ");
        QString error;
        std::optional<QByteArray> bytes;
        std::unique_ptr<RewriteGuard> guard;
        if (inPlace) {
            // The lock covers the read, the conversion and the write, so that two
            // writers of one file never lose a change.
            guard = std::make_unique<RewriteGuard>();
            if (const std::optional<QString> refused = GuardRewrite(parser, name, *guard))
                return Error(*refused);
            QByteArray all;
            if (!guard->lock.readAll(common::kMaxTextFileBytes, all, &error))
                return Error(error);
            bytes = std::move(all);
        } else {
            bytes = ReadInputBytes(name, &error);
        }
        if (!bytes)
            return Error(error);
        const lyrics::LrcDecoded decoded = lyrics::DecodeLrcBytes(*bytes);
        Conversion c = convert(decoded.text);
        if (!c.ok) {
            status = kExitFailed;
            Error(prefix + c.message, kExitFailed);
            results.push_back({name, std::move(*bytes), false, std::move(guard)});
            continue;
        }
        std::optional<QByteArray> out = lyrics::EncodeLrcBytes(c.text, encoding.value_or(decoded.encoding), &error);
        if (!out)
            return Error(prefix + error);
        for (const QString& note : c.notes)
            Error(prefix + note, kExitOk);
        results.push_back({name, std::move(*out), true, std::move(guard)});
    }
    for (const Result& r : results) {
        if (!inPlace) {
            WriteStdout(r.out);
            continue;
        }
        if (!r.converted)
            continue;
        QString error;
        if (!common::WriteFileAtomically(r.path, r.out, &error))
            return Error(error);
    }
    return status;
}

std::optional<lyrics::LrcLayout> ParseLayout(const QCommandLineParser& parser, QString* error)
{
    const QString v = parser.value(QStringLiteral("layout"));
    if (v.isEmpty() || v == QLatin1String("auto"))
        return lyrics::LrcLayout::Auto;
    static const std::pair<const char*, lyrics::LrcLayout> kNames[] = {
        {"hundredths", lyrics::LrcLayout::Hundredths},
        {"seconds", lyrics::LrcLayout::Seconds},
        {"millis", lyrics::LrcLayout::Millis},
        {"keep", lyrics::LrcLayout::Keep},
    };
    for (const auto& [name, layout] : kNames)
        if (v == QLatin1String(name))
            return layout;
    *error = QStringLiteral("--layout: \"%1\" is none of auto, hundredths, seconds, millis, keep").arg(v);
    return std::nullopt;
}

QString KindName(lyrics::LrcContent content)
{
    switch (content) {
    case lyrics::LrcContent::Lrc: return QStringLiteral("lrc");
    case lyrics::LrcContent::Mixed: return QStringLiteral("mixed");
    case lyrics::LrcContent::None: break;
    }
    return QStringLiteral("none");
}

const Registrar detect({
    {QStringLiteral("lrc"), QStringLiteral("detect")},
    QStringLiteral("[FILE]"),
    QStringLiteral("Print whether a text holds LRC tags: lrc, mixed or none."),
    QStringLiteral("\"lrc\": LRC times ([00:12.34], <00:12.34>), or LRC ID tags with [mm:ss] times, and\n"
                   "none of the program's own [mm:ss:xx] tags; \"mixed\": LRC times together with\n"
                   "the program's tags; \"none\" otherwise."),
    nullptr,
    [](const QCommandLineParser& parser) {
        const QStringList args = parser.positionalArguments();
        if (args.size() > 1)
            return Error(QStringLiteral("only one FILE can be given"));
        QString error;
        const std::optional<QByteArray> bytes = ReadInputBytes(args.value(0), &error);
        if (!bytes)
            return Error(error);
        PrintLine(KindName(lyrics::DetectLrc(lyrics::DecodeLrcBytes(*bytes).text)));
        return kExitOk;
    },
});

const Registrar importLrc({
    {QStringLiteral("lrc"), QStringLiteral("import")},
    QStringLiteral("[--layout L] [--expand] [--close-lines] [--song SONG] [--user-time BASE] [--encoding ENC] [-i] "
                   "[FILE...]"),
    QStringLiteral("Convert an LRC text into the program's time tags and @ block."),
    QStringLiteral(
        "[mm:ss.xx], [mm:ss.xxx] and [mm:ss] become [mm:ss:hh] (auto: three-digit fractions\n"
        "stay [mm:ss:mmm]; --layout hundredths|seconds|millis writes every tag so, keep\n"
        "writes each as the file has it). <mm:ss.xx> word times become karaoke tags.\n"
        "[ti:] [ar:] [al:] [by:] become @Title= @Artist= @Album= @TaggingBy=; [offset:+N]\n"
        "(lyrics N ms earlier) becomes @Offset=-N; other ID tags stay as text lines.\n"
        "--expand writes a line with several times once per time, in time order.\n"
        "--close-lines ends a word-timed line whose last word has no end with the next\n"
        "line's time. LRC times are standard time: with --song they are converted to the\n"
        "song's WinAmp time when --user-time is winamp (the default), and @TimeRatio= says\n"
        "which. A text mixing LRC and [mm:ss:xx] tags is left as it is.\n\n") +
        kFilterDetails,
    [](QCommandLineParser& parser) {
        parser.addOption(QCommandLineOption(QStringLiteral("layout"),
                                            QStringLiteral("auto (default), hundredths, seconds, millis or keep."),
                                            QStringLiteral("L")));
        parser.addOption(QCommandLineOption(QStringLiteral("expand"), QStringLiteral("One line per time of a line.")));
        parser.addOption(
            QCommandLineOption(QStringLiteral("close-lines"), QStringLiteral("End word-timed lines at the next line.")));
        parser.addOption(QCommandLineOption(QStringLiteral("song"), QStringLiteral("The paired song file."),
                                            QStringLiteral("SONG")));
        AddUserTimeOption(parser);
        AddEncodingOption(parser);
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        QString error;
        lyrics::LrcImportOptions options;
        const std::optional<lyrics::LrcLayout> layout = ParseLayout(parser, &error);
        const std::optional<bool> userWinAmp = layout ? ParseUserTime(parser, &error) : std::nullopt;
        std::optional<lyrics::LrcEncoding> encoding;
        if (!userWinAmp || !ParseEncoding(parser, &encoding, &error))
            return Error(error);
        options.layout = *layout;
        options.expandRepeats = parser.isSet(QStringLiteral("expand"));
        options.closeKaraokeLines = parser.isSet(QStringLiteral("close-lines"));
        options.userTimeIsWinAmp = *userWinAmp;
        if (parser.isSet(QStringLiteral("song"))) {
            const std::optional<lyrics::SongFacts> song = songfiles::SongFactsOf(parser.value(QStringLiteral("song")), &error);
            if (!song)
                return Error(error);
            options.songRatio = *userWinAmp ? lyrics::WinAmpRatio(song->sampleRate) : 1.0;
        }
        return RunLrcFilter(parser, encoding, [options](const QString& text) {
            lyrics::LrcImportResult r = lyrics::ImportLrc(text, options);
            Conversion c;
            if (!r.ok()) {
                c.message = r.message;
                return c;
            }
            c.ok = true;
            c.text = std::move(r.text);
            const QString ratio = lyrics::FormatRatio(r.ratio);
            switch (r.timeBase) {
            case lyrics::LrcTimeBase::SongRatio:
                c.notes << (r.ratio == 1 ? QStringLiteral("times kept in standard time for the song (@TimeRatio=1)")
                                         : QStringLiteral("times converted from standard time to the song's WinAmp time "
                                                          "(@TimeRatio=%1)")
                                               .arg(ratio));
                break;
            case lyrics::LrcTimeBase::RecordedRatio:
                c.notes << QStringLiteral("times converted back to WinAmp time with the recorded ratio %1").arg(ratio);
                break;
            case lyrics::LrcTimeBase::Standard:
                c.notes << QStringLiteral("times kept in standard time");
                break;
            }
            return c;
        });
    },
});

const Registrar exportLrc({
    {QStringLiteral("lrc"), QStringLiteral("export")},
    QStringLiteral("[--enhanced] [--ms] [--lf] [--user-time BASE] [--encoding ENC] [-i] [FILE...]"),
    QStringLiteral("Convert the program's time tags and @ block into an LRC text."),
    QStringLiteral(
        "Line-head tags become [mm:ss.xx] ([mm:ss.xxx] for millisecond tags, or every tag\n"
        "with --ms). Of a karaoke line only the first tag is written, unless --enhanced\n"
        "writes the others as <mm:ss.xx> word times. @Title= @Artist= @Album= @TaggingBy=\n"
        "become [ti:] [ar:] [al:] [by:], @Offset=N becomes [offset:-N]; other @ lines are\n"
        "kept as [mwex:…] ID tags, so that lrc import gives the text back. LRC is standard\n"
        "time: tags in WinAmp time (by @TimeRatio=, or --user-time when the text does not\n"
        "say) are converted. Lines end in CR LF, or LF with --lf.\n\n") +
        kFilterDetails,
    [](QCommandLineParser& parser) {
        parser.addOption(QCommandLineOption(QStringLiteral("enhanced"), QStringLiteral("Write karaoke tags as word times.")));
        parser.addOption(QCommandLineOption(QStringLiteral("ms"), QStringLiteral("Write every time with milliseconds.")));
        parser.addOption(QCommandLineOption(QStringLiteral("lf"), QStringLiteral("End lines in LF.")));
        AddUserTimeOption(parser);
        AddEncodingOption(parser);
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        QString error;
        const std::optional<bool> userWinAmp = ParseUserTime(parser, &error);
        std::optional<lyrics::LrcEncoding> encoding;
        if (!userWinAmp || !ParseEncoding(parser, &encoding, &error))
            return Error(error);
        lyrics::LrcExportOptions options;
        options.enhanced = parser.isSet(QStringLiteral("enhanced"));
        options.millis = parser.isSet(QStringLiteral("ms"));
        options.userTimeIsWinAmp = *userWinAmp;
        if (parser.isSet(QStringLiteral("lf")))
            options.lineBreak = QStringLiteral("\n");
        return RunLrcFilter(parser, encoding, [options](const QString& text) {
            lyrics::LrcExportResult r = lyrics::ExportLrc(lyrics::NormalizeLineBreaks(text), options);
            Conversion c;
            if (!r.ok()) {
                c.message = r.message;
                return c;
            }
            c.ok = true;
            c.text = std::move(r.text);
            if (r.ratio != 1)
                c.notes << QStringLiteral("times converted from WinAmp time (ratio %1) to standard time")
                               .arg(lyrics::FormatRatio(r.ratio));
            if (r.wordTimingDropped)
                c.notes << QStringLiteral("karaoke tags left out (--enhanced keeps them as word times)");
            return c;
        });
    },
});

} // namespace
} // namespace mwex
