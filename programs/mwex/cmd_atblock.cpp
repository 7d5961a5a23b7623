// mwex atblock …: the correction data ("@" lines) of lyrics files.
#include "programs/mwex/cli.h"

#include "lyrics/atblock.h"
#include "lyrics/correction.h"

namespace mwex {
namespace {




/// The record as one JSON object, fields in the record's order.
QString ToJson(const lyrics::CorrectionReading& r)
{
    const lyrics::CorrectionData& d = r.data;
    const QString b[] = {QStringLiteral("false"), QStringLiteral("true")};
    const std::pair<const char*, QString> fields[] = {
        {"TaggingBy", JsonString(d.TaggingBy)},
        {"EditedBy", JsonString(d.EditedBy)},
        {"TimeType", QString::number(int(d.TimeType))},
        {"SilenceMsec", QString::number(d.SilenceMsec)},
        {"SilenceFrames", QString::number(d.SilenceFrames)},
        {"TotalSec", QString::number(d.TotalSec)},
        {"Frames", QString::number(d.Frames)},
        {"TimeRatio", lyrics::FormatRatio(d.TimeRatio)},
        {"Offset", QString::number(d.Offset)},
        {"HasOffset", b[d.HasOffset]},
        {"Artist", JsonString(d.Artist)},
        {"Title", JsonString(d.Title)},
        {"Album", JsonString(d.Album)},
        {"BgFile", JsonString(d.BgFile)},
        {"BgFolder", JsonString(d.BgFolder)},
        {"NoOlderData", b[r.NoOlderData]},
    };
    QString out = QStringLiteral("{");
    for (const auto& [name, value] : fields) {
        if (out.size() > 1)
            out += QLatin1String(", ");
        out += QLatin1Char('"') + QLatin1String(name) + QLatin1String("\": ") + value;
    }
    out += QLatin1Char('}');
    return out;
}

const Registrar read({
    {QStringLiteral("atblock"), QStringLiteral("read")},
    QStringLiteral("[--user-time winamp|standard] [FILE]"),
    QStringLiteral("Print the lyrics' correction data (the @ lines) as one JSON object."),
    QStringLiteral("Fields: TaggingBy, EditedBy, TimeType (0 not stated, 1 WinAmp, 2 standard),\n"
                   "SilenceMsec and SilenceFrames (-1 absent), TotalSec, Frames, TimeRatio, Offset,\n"
                   "HasOffset, Artist, Title, Album, BgFile, BgFolder, and NoOlderData (false when\n"
                   "older keys such as \"@timetype\" or \"@silence\" were found)."),
    AddUserTimeOption,
    [](const QCommandLineParser& parser) {
        QString error;
        const std::optional<bool> userWinAmp = ParseUserTime(parser, &error);
        if (!userWinAmp)
            return Error(error);
        const QStringList args = parser.positionalArguments();
        if (args.size() > 1)
            return Error(QStringLiteral("only one FILE can be given"));
        const std::optional<TextInput> in = ReadTextInput(args.value(0), &error);
        if (!in)
            return Error(error);
        PrintLine(ToJson(lyrics::ReadCorrectionData(in->text, *userWinAmp)));
        return kExitOk;
    },
});

const Registrar updateOld({
    {QStringLiteral("atblock"), QStringLiteral("update-old")},
    QStringLiteral("[--user-time winamp|standard] [-i] [FILE...]"),
    QStringLiteral("Rewrite older correction keys as current ones (旧補正用データの更新)."),
    QStringLiteral("The older keys (\"@timetype\", \"@flames\", \"@totalsec\", \"@silence\", an editor in\n"
                   "brackets in \"@taggingby\") become \"@TimeRatio=\", \"@SilencemSec=\", \"@TaggingBy=\" and\n"
                   "\"@EditedBy=\" lines at the end of the text. A text without older keys is left\n"
                   "unchanged and the exit status is 1.\n\n"
                   "Reads FILE (standard input when it is missing or \"-\") and writes the result to\n"
                   "standard output, or back into each FILE with --in-place."),
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
            QString out = text;
            if (!lyrics::UpdateOldCorrectionData(out, lyrics::ReadCorrectionData(text, winAmp)))
                return FilterResult::Failed(text, QStringLiteral("no older correction data to update"));
            return FilterResult::Ok(std::move(out));
        });
    },
});

} // namespace
} // namespace mwex
