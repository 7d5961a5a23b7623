// mwex song …: song files (probe, embedded lyrics, conversions, tags), plus the
// song-dependent lyrics corrections `mwex tags convert` and `mwex atblock add`.
#include "programs/mwex/cli.h"

#include "common/codepage.h"
#include "common/textfile.h"
#include "playback/vbmp3_files.h"
#include "songfiles/embed.h"
#include "songfiles/genres.h"
#include "songfiles/pathprobe.h"
#include "lyrics/atblock.h"
#include "songfiles/silence.h"
#include "songfiles/songcorrection.h"
#include "songfiles/songfile.h"
#include "songfiles/songtags.h"

#include <QFileInfo>

namespace mwex {
namespace {

using namespace songfiles;

// Messages of the embedding commands, as the workbench shows them.
const QString kNotMp3 = QStringLiteral("MP3(RMP)ファイルではありません");
const QString kWave = QStringLiteral("WAVE形式ファイルは対象外です");
const QString kId3v2 = QStringLiteral("ID3V2ファイルは対象外です");
const QString kEmbedded = QStringLiteral("すでに埋め込まれています");
const QString kMacBinaryFailed = QStringLiteral("マックバイナリを除去できませんでした");
const QString kTooLarge = QStringLiteral("歌詞が大きすぎます");
const QString kCannotReadLyrics = QStringLiteral("歌詞を読み込めませんでした");
const QString kEmptyLyrics = QStringLiteral("歌詞ファイルが空です");
const QString kCannotWriteSong = QStringLiteral("曲ファイルに書き込めません");
const QString kSongMissing = QStringLiteral("曲ファイルが見つかりません。");
const QString kEmbedFailed = QStringLiteral("埋め込みに失敗しました");
const QString kCannotRead = QStringLiteral("読み出せませんでした。");
const QString kAccessFailed = QStringLiteral("アクセスに失敗しました。");
const QString kRewriteFailed = QStringLiteral("書き換えに失敗しました。");
const QString kWriteFailed = QStringLiteral("書き込めませんでした。");

int FileError(const QString& path, const QString& message, const QString& detail = {}, int status = kExitBadInput)
{
    QString text = path + QStringLiteral(": ") + message;
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return Error(text, status);
}

// --- JSON ---------------------------------------------------------------------------


/// A JSON object whose members keep the order in which they are added.
class JsonObject {
public:
    JsonObject& add(const char* key, const QString& json)
    {
        members_ << JsonString(QLatin1String(key)) + QLatin1Char(':') + json;
        return *this;
    }
    JsonObject& text(const char* key, const QString& value) { return add(key, JsonString(value)); }
    JsonObject& number(const char* key, qint64 value) { return add(key, QString::number(value)); }
    QString json() const { return QLatin1Char('{') + members_.join(QLatin1Char(',')) + QLatin1Char('}'); }

private:
    QStringList members_;
};

const QString kNull = QStringLiteral("null");

QString ProbeJson(const QString& path, SongFile& song)
{
    const SongKind kind = song.kind();
    JsonObject o;
    o.text("path", path).number("kind", kind);
    QStringList flags;
    for (const QString& f : SongKindFlagNames(kind))
        flags << JsonString(f);
    o.add("flags", QLatin1Char('[') + flags.join(QLatin1Char(',')) + QLatin1Char(']'));

    std::optional<MpegInfo> mpeg = kind == kNotASong ? std::nullopt : song.mpegInfo();
    if (mpeg) {
        JsonObject m;
        m.number("version", mpeg->version)
            .number("layer", mpeg->layer)
            .number("channelMode", mpeg->channelMode)
            .number("bitRate", mpeg->bitRate)
            .number("sampleRate", mpeg->sampleRate)
            .number("playSeconds", mpeg->playSeconds);
        o.add("mpeg", m.json());
    } else {
        o.add("mpeg", kNull);
    }

    const std::optional<Id3v1Record> tag = kind == kNotASong ? std::nullopt : song.id3v1();
    if (tag) {
        JsonObject t;
        t.text("title", FieldText(tag->title))
            .text("artist", FieldText(tag->artist))
            .text("album", FieldText(tag->album))
            .text("year", FieldText(tag->year))
            .text("comment", FieldText(tag->comment))
            .number("genre", tag->genre)
            .text("genreName", tag->genreName);
        o.add("id3v1", t.json());
    } else {
        o.add("id3v1", kNull);
    }

    std::optional<QByteArray> block;
    std::optional<Lyrics3Record> lyrics3;
    if (kind != kNotASong && song.readLyrics3Block(block) && block)
        lyrics3 = ParseLyrics3(*block);
    if (lyrics3) {
        JsonObject l;
        l.text("ind", (*lyrics3)[IND])
            .text("lyr", (*lyrics3)[LYR])
            .text("inf", (*lyrics3)[INF])
            .text("eal", (*lyrics3)[EAL])
            .text("ear", (*lyrics3)[EAR])
            .text("ett", (*lyrics3)[ETT]);
        o.add("lyrics3", l.json());
    } else {
        o.add("lyrics3", kNull);
    }

    std::optional<InfoValues> info;
    if (kind != kNotASong && IsRiffKind(kind) && song.readInfoValues(info) && info) {
        JsonObject i;
        for (int index = 0; index < kInfoCount; ++index)
            i.text(InfoId(index).toByteArray().constData(), info->text(index));
        o.add("info", i.json());
    } else {
        o.add("info", kNull);
    }

    const int silence = mpeg ? SilentLeadFrames(song.reader(), song.layout(), *mpeg) : 0;
    o.number("silenceFrames", silence);
    o.number("silenceMs", mpeg ? lyrics::FramesToMsec(silence, mpeg->sampleRate) : 0);
    return o.json();
}

int RunProbe(const QCommandLineParser& parser)
{
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return Error(QStringLiteral("song probe: no files given"));
    int status = kExitOk;
    for (const QString& path : files) {
        SongFile song;
        if (!song.open(path)) {
            status = Error(song.errorString());
            continue;
        }
        PrintLine(ProbeJson(path, song));
    }
    return status;
}

// --- embedded lyrics ----------------------------------------------------------------

/// The one FILE argument of a command; empty (with `error`) when there is not exactly one.
QString OneFile(const QCommandLineParser& parser, const char* command, QString* error)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        *error = QStringLiteral("%1: expected one FILE, got %2 arguments").arg(QLatin1String(command)).arg(args.size());
        return {};
    }
    return args.first();
}

int RunLyricsGet(const QCommandLineParser& parser)
{
    QString error;
    const QString path = OneFile(parser, "song lyrics get", &error);
    if (path.isEmpty())
        return Error(error);
    if (!FileExists(path))
        return FileError(path, kSongMissing);
    playback::Vbmp3Files engine;
    Lyrics3Record record;
    if (!engine.vbmp3_getFileLyrics3InfoVB(path, record)) {
        SongFile song;
        const bool noLyrics = song.open(path) && !song.layout().lyrics3.found();
        return FileError(path, kCannotRead, engine.lastError(), noLyrics ? kExitFailed : kExitBadInput);
    }
    if (record[LYR].isEmpty())
        return FileError(path, kCannotRead, QStringLiteral("the file has no embedded lyrics"), kExitFailed);
    if (parser.isSet(QStringLiteral("raw"))) {
        // The stored bytes exactly, duplicate codes included.
        SongFile song;
        std::optional<QByteArray> block;
        if (song.open(path) && song.readLyrics3Block(block) && block)
            if (const auto exact = ParseLyrics3(*block, nullptr, Lyrics3Decoding::Exact))
                record = *exact;
        WriteStdout(*common::EncodeCp932(record[LYR])); // decoded bytes always encode back
        return kExitOk;
    }
    QString text = record[LYR];
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    if (text.isEmpty())
        return FileError(path, kCannotRead, QStringLiteral("the file has no embedded lyrics"), kExitFailed);
    WriteStdout(text.toUtf8());
    return kExitOk;
}

/// The first character of `text` that the code page cannot hold, described; empty when
/// there is none.
QString FirstUnencodable(const QString& text)
{
    if (common::IsCp932Encodable(text))
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (!common::IsCp932Encodable(QStringView(text).mid(i, len)))
            return common::DescribeCharacter(text, i);
        i += len - 1;
    }
    return {};
}

int RunLyricsSet(const QCommandLineParser& parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2)
        return Error(QStringLiteral("song lyrics set: expected FILE and LYRICSFILE"));
    const QString path = args.at(0);
    const QString lyricsPath = args.at(1);
    if (!FileExists(path))
        return FileError(path, kSongMissing);
    // The song stays locked from the reading of its block to the writing of the new one.
    RewriteGuard guard;
    if (const std::optional<QString> refused = GuardRewrite(parser, path, guard))
        return FileError(path, kCannotWriteSong, *refused);
    // The workbench's embed: the same checks in the same order, the same messages.
    EmbedRequest request{path, lyricsPath};
    request.target = parser.isSet(QStringLiteral("iid3")) ? Lyrics3Target::Iid3 : Lyrics3Target::Ilyc;
    const EmbedResult result = EmbedLyricsFile(request);
    if (!result.ok()) {
        const bool aboutLyrics = result.failure.text == kTooLarge || result.failure.text == kCannotReadLyrics ||
                                 result.failure.text == kEmptyLyrics ||
                                 result.failure.text.startsWith(QStringLiteral("歌詞に"));
        return FileError(aboutLyrics ? lyricsPath : path, result.failure.text, result.failure.detail);
    }
    return kExitOk;
}

int RunLyricsDelete(const QCommandLineParser& parser)
{
    QString error;
    const QString path = OneFile(parser, "song lyrics delete", &error);
    if (path.isEmpty())
        return Error(error);
    if (!FileExists(path))
        return FileError(path, kSongMissing);
    if (!FileWritable(path))
        return FileError(path, kAccessFailed, QStringLiteral("the file cannot be written"));
    RewriteGuard guard;
    if (const std::optional<QString> refused = GuardRewrite(parser, path, guard))
        return FileError(path, kAccessFailed, *refused);
    playback::Vbmp3Files engine;
    const SongKind kind = engine.vbmp3_getFileType(path);
    if (kind != kNotASong && !(kind & Lyrics3))
        return FileError(path, kAccessFailed, QStringLiteral("no embedded lyrics"), kExitFailed);
    if (!engine.vbmp3_delFileLyrics3Info(path))
        return FileError(path, kAccessFailed, engine.lastError());
    return kExitOk;
}

// --- conversions --------------------------------------------------------------------

int RunConversion(const QCommandLineParser& parser, const char* command, bool (playback::Vbmp3Files::*call)(const QString&),
                  const QString& failure)
{
    QString error;
    const QString path = OneFile(parser, command, &error);
    if (path.isEmpty())
        return Error(error);
    if (!FileExists(path))
        return FileError(path, kSongMissing);
    if (!FileWritable(path))
        return FileError(path, kCannotWriteSong);
    RewriteGuard guard;
    if (const std::optional<QString> refused = GuardRewrite(parser, path, guard))
        return FileError(path, failure, *refused);
    playback::Vbmp3Files engine;
    if (parser.optionNames().contains(QStringLiteral("iid3")))
        engine.vbmp3_setLyrics3InsField(1);
    if (!(engine.*call)(path))
        return FileError(path, failure, engine.lastError());
    return kExitOk;
}

// --- tags ---------------------------------------------------------------------------

/// Text options of `song tags write`: the option, the ID3v1 field, the INFO value.
struct TextOption {
    const char* name;
    QString Id3v1Record::*field;
    int info;
};
const TextOption kTextOptions[] = {
    {"title", &Id3v1Record::title, INAM},    {"artist", &Id3v1Record::artist, IART},
    {"album", &Id3v1Record::album, IPRD},    {"year", &Id3v1Record::year, ICRD},
    {"comment", &Id3v1Record::comment, ICMT},
};

int RunTagsWrite(const QCommandLineParser& parser)
{
    QString error;
    const QString path = OneFile(parser, "song tags write", &error);
    if (path.isEmpty())
        return Error(error);
    if (!FileExists(path))
        return FileError(path, kSongMissing);
    // Locked from the reading of the tags to the writing of the new ones, so that two
    // writers never lose each other's changes.
    RewriteGuard guard;
    if (const std::optional<QString> refused = GuardRewrite(parser, path, guard))
        return FileError(path, kWriteFailed, *refused);

    SongTags tags;
    QString why;
    if (!ReadSongTags(path, tags, &why)) {
        if (tags.kind == kNotASong)
            return FileError(path, CheckKindForEmbed(path, kNotASong).text, why);
        if (tags.kind & Id3v2)
            return FileError(path, kId3v2);
        return FileError(path, kWriteFailed, why);
    }
    if (tags.kind & Wave)
        return FileError(path, kWave);
    const bool rmp = tags.kind & Rmp;
    if (!rmp && parser.isSet(QStringLiteral("info")))
        return FileError(path, kWriteFailed, QStringLiteral("--info needs an RMP file"));

    Id3v1Record record = tags.id3v1;
    // The Lyrics3 block of an MP3 is written afresh from the record: start from its
    // longer texts so that they are not cut to the tag's 30 bytes.
    if (!rmp && tags.lyrics3) {
        const std::pair<QString Id3v1Record::*, int> longer[] = {
            {&Id3v1Record::title, ETT}, {&Id3v1Record::artist, EAR}, {&Id3v1Record::album, EAL}, {&Id3v1Record::comment, INF}};
        for (const auto& [field, l3] : longer)
            if (!(*tags.lyrics3)[l3].isEmpty())
                record.*field = (*tags.lyrics3)[l3];
    }
    InfoValues info = tags.info;
    for (const TextOption& o : kTextOptions) {
        const QString name = QLatin1String(o.name);
        if (!parser.isSet(name))
            continue;
        const QString value = parser.value(name);
        if (const QString bad = FirstUnencodable(value); !bad.isEmpty())
            return Error(QStringLiteral("--%1: the character %2 cannot be written in the Japanese code page (CP932)").arg(name, bad));
        record.*o.field = value;
        if (rmp)
            info.setText(o.info, value);
    }
    if (parser.isSet(QStringLiteral("genre"))) {
        const std::optional<qint64> genre = ParseInteger(parser.value(QStringLiteral("genre")), QStringLiteral("genre"), &error);
        if (!genre)
            return Error(error);
        if (*genre < 0 || *genre > 255)
            return Error(QStringLiteral("--genre: %1 is not a genre number (0 to 255)").arg(*genre));
        record.genre = static_cast<int>(*genre);
        if (rmp)
            info.setText(IGNR, EngineGenreName(record.genre));
    }
    for (const QString& item : parser.values(QStringLiteral("info"))) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const int index = eq == 4 ? InfoIndexOf(item.left(4).toLatin1()) : -1;
        if (index < 0 || index > ILYC)
            return Error(QStringLiteral("--info: \"%1\" is not ID=VALUE with a text INFO id (INAM … ILYC)").arg(item));
        if (index == ILYC && HoldsLyrics3Block(info.bytes[ILYC]))
            return Error(QStringLiteral("--info: ILYC holds embedded Lyrics3 lyrics; use mwex song lyrics"));
        if (!info.setText(index, item.mid(5), &why))
            return Error(QStringLiteral("--info: %1").arg(why));
    }
    if (!FileWritable(path))
        return FileError(path, kCannotWriteSong);
    if (!RewriteSongTags(path, record, info, parser.isSet(QStringLiteral("ex-genre")), tags.lyrics, &why))
        return FileError(path, kWriteFailed, why);
    return kExitOk;
}

// --- song-dependent corrections -----------------------------------------------------

const QString kProcessFailed = QStringLiteral("処理に失敗しました。");
const QString kUnusableRatio = QStringLiteral("the time ratio written in the lyrics is not a positive number");


std::optional<QString> SongOption(const QCommandLineParser& parser, QString* error)
{
    const QString song = parser.value(QStringLiteral("song"));
    if (song.isEmpty()) {
        *error = QStringLiteral("--song SONG is required");
        return std::nullopt;
    }
    return song;
}

void AddCorrectionOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(QStringLiteral("song"), QStringLiteral("The song the tags are corrected for."),
                                        QStringLiteral("SONG")));
    AddUserTimeOption(parser);
    parser.addOption(QCommandLineOption(QStringLiteral("user-name"), QStringLiteral("The user's name for the @ block."),
                                        QStringLiteral("NAME")));
    AddInPlaceOption(parser);
}

int RunTagsConvert(const QCommandLineParser& parser)
{
    QString error;
    const std::optional<qint64> kind = ParseInteger(parser.value(QStringLiteral("kind")), QStringLiteral("kind"), &error);
    if (!kind)
        return Error(parser.isSet(QStringLiteral("kind")) ? error : QStringLiteral("--kind 0..3 is required"));
    if (*kind < 0 || *kind > 3)
        return Error(QStringLiteral("--kind: %1 is not a conversion (0 to 3)").arg(*kind));
    const std::optional<QString> song = SongOption(parser, &error);
    const std::optional<bool> userWinAmp = ParseUserTime(parser, &error);
    if (!song || !userWinAmp)
        return Error(error);
    const QString userName = parser.value(QStringLiteral("user-name"));
    return RunTextFilter(parser, [&](const QString& text) {
        const lyrics::CorrectionData data = lyrics::ReadCorrectionData(text, *userWinAmp).data;
        if (UnusableTimeRatio(text, data))
            return FilterResult::Failed(text, kProcessFailed + QStringLiteral(" (") + kUnusableRatio + QLatin1Char(')'));
        QString out = text;
        QString why;
        if (!ConvertTagsForSong(out, *song, data, static_cast<lyrics::ConversionKind>(*kind), userName, &why))
            return FilterResult::Failed(text, kProcessFailed + QStringLiteral(" (") + why + QLatin1Char(')'));
        return FilterResult::Ok(std::move(out));
    });
}

int RunAtblockAdd(const QCommandLineParser& parser)
{
    QString error;
    const std::optional<QString> song = SongOption(parser, &error);
    const std::optional<bool> winAmpTags = song ? ParseTimeBase(parser, QStringLiteral("time-type"), std::nullopt, &error)
                                                : std::nullopt;
    const std::optional<bool> userWinAmp = winAmpTags ? ParseUserTime(parser, &error)
                                                      : std::nullopt;
    if (!userWinAmp)
        return Error(error);
    const QString userName = parser.value(QStringLiteral("user-name"));
    return RunTextFilter(parser, [&](const QString& text) {
        lyrics::CorrectionData data = lyrics::ReadCorrectionData(text, *userWinAmp).data;
        data.TimeType = *winAmpTags ? lyrics::TimeBase::WinAmp : lyrics::TimeBase::Standard;
        QString out = text;
        QString why;
        if (!AddCorrectionDataForSong(out, *song, data, userName, &why))
            return FilterResult::Failed(text, kProcessFailed + QStringLiteral(" (") + why + QLatin1Char(')'));
        return FilterResult::Ok(std::move(out));
    });
}

QCommandLineOption Flag(const char* name, const char* help)
{
    return QCommandLineOption(QLatin1String(name), QString::fromUtf8(help));
}

QCommandLineOption Valued(const char* name, const char* help, const char* valueName)
{
    return QCommandLineOption(QLatin1String(name), QString::fromUtf8(help), QLatin1String(valueName));
}

const Registrar probe({
    {QStringLiteral("song"), QStringLiteral("probe")},
    QStringLiteral("FILE…"),
    QStringLiteral("Describe song files: one JSON object per line and file."),
    QStringLiteral("Members: path, kind (-1 or the sum of the flags), flags (Wave, Rmp, Id3v2, MacBinary,\n"
                   "MarkI, Lyrics3, Embedded), mpeg {version, layer, channelMode, bitRate, sampleRate,\n"
                   "playSeconds} or null, id3v1 {title, artist, album, year, comment, genre, genreName}\n"
                   "or null, lyrics3 {ind, lyr, inf, eal, ear, ett} or null, info (RMP INFO values by id)\n"
                   "or null, silenceFrames and silenceMs (leading digital silence)."),
    {},
    RunProbe,
});

const Registrar lyricsGet({
    {QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get")},
    QStringLiteral("[--raw] FILE"),
    QStringLiteral("Print the lyrics embedded in a song (exit 1 when it has none)."),
    QStringLiteral("The text is printed as UTF-8 up to its first NUL; --raw prints the stored code-page bytes."),
    [](QCommandLineParser& p) { p.addOption(Flag("raw", "Print the bytes as stored (CP932).")); },
    RunLyricsGet,
});

const Registrar lyricsSet({
    {QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set")},
    QStringLiteral("[--iid3] FILE LYRICSFILE"),
    QStringLiteral("Embed a lyrics file into a song as a Lyrics3 v2 block."),
    QStringLiteral("An MP3 gets the block in front of its ID3v1 tag (a tag is added when there is none);\n"
                   "an RMP keeps it in its INFO value ILYC, or IID3 with --iid3. Lyrics files of more than\n"
                   "60000 bytes, empty ones and text without a CP932 form are refused; so are WAVE, ID3v2\n"
                   "and already embedded songs. A MacBinary header is removed first."),
    [](QCommandLineParser& p) {
        p.addOption(Flag("iid3", "RMP: embed into IID3 instead of ILYC."));
        AddBreakLinksOption(p);
    },
    RunLyricsSet,
});

const Registrar lyricsDelete({
    {QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("delete")},
    QStringLiteral("FILE"),
    QStringLiteral("Remove the lyrics embedded in a song (exit 1 when it has none)."),
    {},
    AddBreakLinksOption,
    RunLyricsDelete,
});

const Registrar toRmp({
    {QStringLiteral("song"), QStringLiteral("to-rmp")},
    QStringLiteral("[--iid3] FILE"),
    QStringLiteral("Convert an MP3 file into an RMP file in place, carrying its tags and lyrics."),
    {},
    [](QCommandLineParser& p) {
        p.addOption(Flag("iid3", "Keep embedded lyrics in IID3 instead of ILYC."));
        AddBreakLinksOption(p);
    },
    [](const QCommandLineParser& p) { return RunConversion(p, "song to-rmp", &playback::Vbmp3Files::vbmp3_changeRmp, kRewriteFailed); },
});

const Registrar toMp3({
    {QStringLiteral("song"), QStringLiteral("to-mp3")},
    QStringLiteral("FILE"),
    QStringLiteral("Convert an RMP file into an MP3 file in place, carrying its tags and lyrics."),
    {},
    AddBreakLinksOption,
    [](const QCommandLineParser& p) { return RunConversion(p, "song to-mp3", &playback::Vbmp3Files::vbmp3_changeMp3, kRewriteFailed); },
});

const Registrar cutMacBinary({
    {QStringLiteral("song"), QStringLiteral("cut-macbinary")},
    QStringLiteral("FILE"),
    QStringLiteral("Remove the MacBinary header in front of an MP3 file."),
    {},
    AddBreakLinksOption,
    [](const QCommandLineParser& p) {
        return RunConversion(p, "song cut-macbinary", &playback::Vbmp3Files::vbmp3_cutMacBinary, kMacBinaryFailed);
    },
});

const Registrar tagsWrite({
    {QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write")},
    QStringLiteral("FILE [--title T] [--artist A] [--album B] [--year Y] [--comment C] [--genre N] "
                   "[--info ID=VALUE]… [--ex-genre]"),
    QStringLiteral("Rewrite a song's ID3v1 tag (MP3) or INFO values (RMP); fields not given keep their values."),
    QStringLiteral("The file is rewritten through a temporary file beside it. An RMP's INFO values are\n"
                   "merged into its ID3v1 tag; --ex-genre admits the extended genres 251-255."),
    [](QCommandLineParser& p) {
        p.addOption(Valued("title", "Title.", "T"));
        p.addOption(Valued("artist", "Artist.", "A"));
        p.addOption(Valued("album", "Album.", "B"));
        p.addOption(Valued("year", "Year.", "Y"));
        p.addOption(Valued("comment", "Comment.", "C"));
        p.addOption(Valued("genre", "Genre number, 0 to 255 (250: none).", "N"));
        p.addOption(Valued("info", "RMP: set an INFO text value, e.g. ICOP=text (repeatable).", "ID=VALUE"));
        p.addOption(Flag("ex-genre", "Use the extended genres 251-255."));
        AddBreakLinksOption(p);
    },
    RunTagsWrite,
});

const Registrar tagsConvert({
    {QStringLiteral("tags"), QStringLiteral("convert")},
    QStringLiteral("--kind 0..3 --song SONG [--user-time winamp|standard] [--user-name NAME] [-i] [FILE...]"),
    QStringLiteral("Convert the time tags for a song (補正変換): 0 WinAmp→WinAmp, 1 WinAmp→standard, "
                   "2 standard→WinAmp, 3 standard→standard."),
    QStringLiteral("The song's sample rate and leading silence are measured on SONG. Every tag is moved by\n"
                   "the lyrics' offset, or by the difference in leading silence, and rescaled to the\n"
                   "target time base; a new @ block records it. A text without tags, one whose\n"
                   "\"@TimeRatio=\" is 0, negative or not a number, or a song that cannot be measured\n"
                   "fails with \"処理に失敗しました。\", its text unchanged, exit 1.\n\n"
                   "Reads FILE (standard input when it is missing or \"-\") and writes the result to\n"
                   "standard output, or back into each FILE with --in-place."),
    [](QCommandLineParser& p) {
        p.addOption(QCommandLineOption(QStringLiteral("kind"), QStringLiteral("The conversion, 0 to 3."), QStringLiteral("N")));
        AddCorrectionOptions(p);
    },
    RunTagsConvert,
});

const Registrar atblockAdd({
    {QStringLiteral("atblock"), QStringLiteral("add")},
    QStringLiteral("--song SONG --time-type winamp|standard [--user-time winamp|standard] [--user-name NAME] [-i] [FILE...]"),
    QStringLiteral("Write fresh correction data for a song (補正用データの新規追加); tag times stay."),
    QStringLiteral("The @ block gets the song's time ratio for the time base the tags were made in\n"
                   "(--time-type) and its leading silence; the user becomes the tagger, or the editor when\n"
                   "the lyrics already name a tagger. Failure: \"処理に失敗しました。\", exit 1.\n\n"
                   "Reads FILE (standard input when it is missing or \"-\") and writes the result to\n"
                   "standard output, or back into each FILE with --in-place."),
    [](QCommandLineParser& p) {
        p.addOption(QCommandLineOption(QStringLiteral("time-type"),
                                       QStringLiteral("The time base the tags were made in: winamp or standard."),
                                       QStringLiteral("BASE")));
        AddCorrectionOptions(p);
    },
    RunAtblockAdd,
});

} // namespace
} // namespace mwex
