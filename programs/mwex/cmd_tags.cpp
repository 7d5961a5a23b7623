// mwex tags …: the lyrics edit menu's time-tag operations on lyrics files.
#include "programs/mwex/cli.h"

#include "lyrics/atblock.h"
#include "lyrics/correction.h"
#include "lyrics/rescale.h"
#include "lyrics/tagops.h"
#include "lyrics/timetag.h"
#include "songfiles/songcorrection.h"

#include <limits>

namespace mwex {
namespace {

using lyrics::TagCommand;

const QString kFilterDetails = QStringLiteral(
    "Reads FILE (standard input when it is missing or \"-\") and writes the result to\n"
    "standard output, or back into each FILE with --in-place. A text whose kind of tags\n"
    "(see \"mwex tags classify\") the operation does not apply to is left unchanged.");

QString Details(const QString& what)
{
    return what + QStringLiteral("\n\n") + kFilterDetails;
}

/// The operation wrapped in the kind check of the tag menu.
TextOperation ForKind(TagCommand command, std::function<QString(const QString&)> op)
{
    return [command, op = std::move(op)](const QString& text) {
        if (!lyrics::TagCommandApplies(command, lyrics::ClassifyTagKind(text)))
            return FilterResult::Ok(text);
        return FilterResult::Ok(op(text));
    };
}

/// The one input of a command that reports on a text instead of rewriting it.
std::optional<TextInput> SingleInput(const QCommandLineParser& parser, QString* error)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() > 1) {
        *error = QStringLiteral("only one FILE can be given");
        return std::nullopt;
    }
    return ReadTextInput(args.value(0), error);
}



/// A whole number option within [low, high].
std::optional<qint64> ParseBounded(const QCommandLineParser& parser, const QString& name, qint64 low, qint64 high,
                                   QString* error)
{
    const std::optional<qint64> v = ParseInteger(parser.value(name), name, error);
    if (!v)
        return std::nullopt;
    if (*v < low || *v > high) {
        *error = QStringLiteral("--%1: %2 is outside %3…%4").arg(name).arg(*v).arg(low).arg(high);
        return std::nullopt;
    }
    return v;
}

/// "F,L": two whole milliseconds.
std::optional<std::pair<int, int>> ParsePair(const QCommandLineParser& parser, const QString& name, QString* error)
{
    const QStringList parts = parser.value(name).split(QLatin1Char(','));
    if (parts.size() != 2) {
        *error = QStringLiteral("--%1 needs two times in ms, as FIRST,LAST").arg(name);
        return std::nullopt;
    }
    std::pair<int, int> out;
    for (int i = 0; i < 2; ++i) {
        const std::optional<qint64> v = ParseInteger(parts[i], name, error);
        if (!v)
            return std::nullopt;
        if (*v < 0 || *v > lyrics::kMaxTagMsec) {
            *error = QStringLiteral("--%1: %2 ms is not a time a tag can hold").arg(name).arg(*v);
            return std::nullopt;
        }
        (i == 0 ? out.first : out.second) = int(*v);
    }
    return out;
}

QString KindName(lyrics::TagKind kind)
{
    switch (kind) {
    case lyrics::TagKind::LineHead: return QStringLiteral("linehead");
    case lyrics::TagKind::Karaoke: return QStringLiteral("karaoke");
    case lyrics::TagKind::None: break;
    }
    return QStringLiteral("none");
}

const Registrar classify({
    {QStringLiteral("tags"), QStringLiteral("classify")},
    QStringLiteral("[FILE]"),
    QStringLiteral("Print the kind of time tags: none, linehead or karaoke."),
    QStringLiteral("Judged from the first 16 lines: \"karaoke\" when a line has text between two tags,\n"
                   "\"linehead\" when lines carry tags only at their head, else \"none\"."),
    nullptr,
    [](const QCommandLineParser& parser) {
        QString error;
        const std::optional<TextInput> in = SingleInput(parser, &error);
        if (!in)
            return Error(error);
        PrintLine(KindName(lyrics::ClassifyTagKind(in->text)));
        return kExitOk;
    },
});

const Registrar unify({
    {QStringLiteral("tags"), QStringLiteral("unify")},
    QStringLiteral("--layout hundredths|seconds [-i] [FILE...]"),
    QStringLiteral("Rewrite every time tag as [mm:ss:hh] or [mm:ss]."),
    Details(QStringLiteral("Digits are truncated: [01:02:99] becomes [01:02] in the seconds layout.\n"
                           "Applies to line-head and karaoke texts.")),
    [](QCommandLineParser& parser) {
        parser.addOption(QCommandLineOption(QStringLiteral("layout"), QStringLiteral("hundredths or seconds."),
                                            QStringLiteral("LAYOUT")));
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        const QString layout = parser.value(QStringLiteral("layout"));
        TagCommand command;
        lyrics::TagLayout target;
        if (layout == QLatin1String("hundredths")) {
            command = TagCommand::UnifyHundredths;
            target = lyrics::TagLayout::Hundredths;
        } else if (layout == QLatin1String("seconds")) {
            command = TagCommand::UnifySeconds;
            target = lyrics::TagLayout::Seconds;
        } else {
            return Error(layout.isEmpty() ? QStringLiteral("tags unify needs --layout hundredths or --layout seconds")
                                          : QStringLiteral("--layout: \"%1\" is neither hundredths nor seconds").arg(layout));
        }
        return RunTextFilter(parser, ForKind(command, [target](const QString& t) { return lyrics::UnifyTags(t, target); }));
    },
});

const Registrar strip({
    {QStringLiteral("tags"), QStringLiteral("strip")},
    QStringLiteral("[-i] [FILE...]"),
    QStringLiteral("Remove every time tag (全てのタグの削除)."),
    Details(QStringLiteral("Applies to line-head and karaoke texts.")),
    AddInPlaceOption,
    [](const QCommandLineParser& parser) {
        return RunTextFilter(parser, ForKind(TagCommand::StripAll, [](const QString& t) { return lyrics::StripAllTags(t); }));
    },
});

const Registrar stripKaraoke({
    {QStringLiteral("tags"), QStringLiteral("strip-karaoke")},
    QStringLiteral("[-i] [FILE...]"),
    QStringLiteral("Keep only each line's first tag (カラオケタグのみ削除)."),
    Details(QStringLiteral("Inserted line-advance tags are removed first; then every line keeps its first\n"
                           "tag at its head and loses the others. Applies to karaoke texts.")),
    AddInPlaceOption,
    [](const QCommandLineParser& parser) {
        return RunTextFilter(parser,
                             ForKind(TagCommand::StripKaraoke, [](const QString& t) { return lyrics::StripKaraokeTags(t); }));
    },
});

const Registrar normalize({
    {QStringLiteral("tags"), QStringLiteral("normalize")},
    QStringLiteral("[-i] [FILE...]"),
    QStringLiteral("One line per head tag, lines sorted by time (行頭タグの正規化)."),
    Details(QStringLiteral("A line with several head tags becomes one line per tag; tagged lines, each\n"
                           "with the untagged lines behind it, are then sorted by time. Applies to\n"
                           "line-head texts.")),
    AddInPlaceOption,
    [](const QCommandLineParser& parser) {
        return RunTextFilter(parser, ForKind(TagCommand::NormalizeLineHead,
                                             [](const QString& t) { return lyrics::NormalizeLineHeadTags(t); }));
    },
});

const Registrar shift({
    {QStringLiteral("tags"), QStringLiteral("shift")},
    QStringLiteral("--ms N [-i] [FILE...]"),
    QStringLiteral("Move every time tag by N milliseconds (never below 0)."),
    Details(QStringLiteral("Each tag keeps its layout. Applies to any text; N = 0 changes nothing.")),
    [](QCommandLineParser& parser) {
        parser.addOption(QCommandLineOption(QStringLiteral("ms"), QStringLiteral("Signed shift in milliseconds."),
                                            QStringLiteral("N")));
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        if (!parser.isSet(QStringLiteral("ms")))
            return Error(QStringLiteral("tags shift needs --ms N"));
        QString error;
        const std::optional<qint64> ms = ParseBounded(parser, QStringLiteral("ms"), std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max(), &error);
        if (!ms)
            return Error(error);
        const qint64 amount = *ms;
        return RunTextFilter(parser, ForKind(TagCommand::Shift, [amount](const QString& t) {
            return amount == 0 ? t : lyrics::ShiftAllTags(t, amount);
        }));
    },
});

const Registrar advance({
    {QStringLiteral("tags"), QStringLiteral("advance")},
    QStringLiteral("(--max-ms N | --remove) [-i] [FILE...]"),
    QStringLiteral("Insert line-advance tags between karaoke lines, or remove them (行送りタイミングの調整)."),
    Details(QStringLiteral("--max-ms N: at the end of a line and in front of the next line's head tag, a\n"
                           "tag at most N ms (0…999000) before that head tag. --remove takes such tags\n"
                           "off again. Applies to karaoke texts whose tags are all [mm:ss:hh].")),
    [](QCommandLineParser& parser) {
        parser.addOption(QCommandLineOption(QStringLiteral("max-ms"), QStringLiteral("Largest advance in milliseconds."),
                                            QStringLiteral("N")));
        parser.addOption(QCommandLineOption(QStringLiteral("remove"), QStringLiteral("Remove inserted advance tags.")));
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        const bool remove = parser.isSet(QStringLiteral("remove"));
        const bool adjust = parser.isSet(QStringLiteral("max-ms"));
        if (remove == adjust)
            return Error(QStringLiteral("tags advance needs either --max-ms N or --remove"));
        int maxMs = 0;
        if (adjust) {
            QString error;
            const std::optional<qint64> v = ParseBounded(parser, QStringLiteral("max-ms"), 0, 999000, &error);
            if (!v)
                return Error(error);
            maxMs = int(*v);
        }
        return RunTextFilter(parser, ForKind(TagCommand::LineAdvance, [maxMs, remove](const QString& t) {
            return lyrics::AdjustLineAdvance(t, maxMs, remove);
        }));
    },
});

const Registrar repairReversals({
    {QStringLiteral("tags"), QStringLiteral("repair-reversals")},
    QStringLiteral("[-i] [FILE...]"),
    QStringLiteral("Repair reversed karaoke tags (カラオケタグの逆転補正)."),
    Details(QStringLiteral("Every [mm:ss:hh] tag becomes the earliest of itself and all such tags after\n"
                           "it. Applies to karaoke texts.")),
    AddInPlaceOption,
    [](const QCommandLineParser& parser) {
        return RunTextFilter(parser, ForKind(TagCommand::RepairReversals,
                                             [](const QString& t) { return lyrics::RepairKaraokeReversals(t); }));
    },
});

const Registrar checkOrder({
    {QStringLiteral("tags"), QStringLiteral("check-order")},
    QStringLiteral("[FILE]"),
    QStringLiteral("List tags earlier than the tag in front of them; exit 1 when there are any."),
    QStringLiteral("Prints one line per reversed tag: its 1-based line number and the tag as written.\n"
                   "Applies to line-head and karaoke texts."),
    nullptr,
    [](const QCommandLineParser& parser) {
        QString error;
        const std::optional<TextInput> in = SingleInput(parser, &error);
        if (!in)
            return Error(error);
        if (!lyrics::TagCommandApplies(TagCommand::CheckOrder, lyrics::ClassifyTagKind(in->text)))
            return kExitOk;
        const QStringView text = in->text;
        qsizetype counted = 0;
        int line = 1;
        bool found = false;
        for (const lyrics::TagOrderEntry& e : lyrics::ScanTagOrder(text)) {
            if (!e.reversed)
                continue;
            line += int(text.sliced(counted, e.position - counted).count(QLatin1Char('\n')));
            counted = e.position;
            PrintLine(QStringLiteral("%1 %2").arg(line).arg(text.sliced(e.position, e.length)));
            found = true;
        }
        return found ? kExitFailed : kExitOk;
    },
});

const Registrar rescale({
    {QStringLiteral("tags"), QStringLiteral("rescale")},
    QStringLiteral("--from F,L --to F2,L2 [-i] [FILE...]"),
    QStringLiteral("Map the tags linearly so that times F and L become F2 and L2 (ms)."),
    Details(QStringLiteral("Tags at F and L become F2 and L2, all others follow linearly; should a tag in\n"
                           "front of F fall below 0, such tags are scaled from 0 instead. L must be after\n"
                           "F and L2 after F2. Applies to line-head and karaoke texts.")),
    [](QCommandLineParser& parser) {
        parser.addOption(QCommandLineOption(QStringLiteral("from"), QStringLiteral("The two reference times now."),
                                            QStringLiteral("F,L")));
        parser.addOption(QCommandLineOption(QStringLiteral("to"), QStringLiteral("Their new times."),
                                            QStringLiteral("F2,L2")));
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        if (!parser.isSet(QStringLiteral("from")) || !parser.isSet(QStringLiteral("to")))
            return Error(QStringLiteral("tags rescale needs --from F,L and --to F2,L2"));
        QString error;
        const auto from = ParsePair(parser, QStringLiteral("from"), &error);
        if (!from)
            return Error(error);
        const auto to = ParsePair(parser, QStringLiteral("to"), &error);
        if (!to)
            return Error(error);
        return RunTextFilter(parser, [f = *from, t = *to](const QString& text) {
            if (!lyrics::TagCommandApplies(TagCommand::PlayAlong, lyrics::ClassifyTagKind(text)))
                return FilterResult::Ok(text);
            lyrics::RescaleResult r = lyrics::RescaleTags(text, f.first, f.second, t.first, t.second);
            if (!r.ok)
                return FilterResult::BadInput(r.message);
            return FilterResult::Ok(std::move(r.text));
        });
    },
});

const Registrar applyOffset({
    {QStringLiteral("tags"), QStringLiteral("apply-offset")},
    QStringLiteral("[--user-time winamp|standard] [-i] [FILE...]"),
    QStringLiteral("Move every tag by the lyrics' \"@Offset=\" and set it to 0 (@Offsetの適用)."),
    Details(QStringLiteral("The offset is in standard time; it is converted to the tags' time base with\n"
                           "the lyrics' time ratio. A text without an offset, or with offset 0, is left\n"
                           "unchanged; one whose \"@TimeRatio=\" is 0, negative or not a number fails, exit 1.")),
    [](QCommandLineParser& parser) {
        AddUserTimeOption(parser);
        AddInPlaceOption(parser);
    },
    [](const QCommandLineParser& parser) {
        QString error;
        const std::optional<bool> userWinAmp = ParseUserTime(parser, &error);
        if (!userWinAmp)
            return Error(error);
        return RunTextFilter(parser, [winAmp = *userWinAmp](const QString& text) {
            const lyrics::CorrectionData data = lyrics::ReadCorrectionData(text, winAmp).data;
            if (!data.HasOffset || data.Offset == 0)
                return FilterResult::Ok(text);
            if (songfiles::UnusableTimeRatio(text, data))
                return FilterResult::Failed(text, QStringLiteral("the time ratio written in the lyrics is not a positive number"));
            QString out = text;
            if (!lyrics::ApplyOffset(out, data))
                return FilterResult::Failed(text, QStringLiteral("the offset cannot be applied (time ratio %1)")
                                                      .arg(lyrics::FormatRatio(data.TimeRatio)));
            return FilterResult::Ok(std::move(out));
        });
    },
});

} // namespace
} // namespace mwex
