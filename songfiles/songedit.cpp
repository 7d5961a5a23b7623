#include "songfiles/songedit.h"

#include "songfiles/id3v1.h"
#include "songfiles/songfile.h"

#include <QtEndian>

namespace songfiles {
namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

/// The largest value a RIFF size field holds.
constexpr qint64 kMaxRiffSize = 0xFFFFFFFFll;

/// A RIFF file longer than its 32-bit sizes can describe: its size fields cannot agree
/// with the file, so none of them is trusted.
bool RiffTooLarge(const SongFile& song, QString* error)
{
    if (!song.layout().isRiff() || song.layout().fileSize <= kMaxRiffSize + 8)
        return false;
    Fail(error, QStringLiteral("%1 is larger than 4 GiB; the 32-bit sizes of a RIFF file cannot describe it, so it "
                               "was not changed")
                    .arg(song.path()));
    return true;
}

bool TooLargeForRmp(const QString& path, qint64 riffSize, QString* error)
{
    if (riffSize <= kMaxRiffSize)
        return false;
    Fail(error, QStringLiteral("%1 is too large for an RMP file: the RIFF sizes are 32-bit (at most 4 GiB); nothing was "
                               "written")
                    .arg(path));
    return true;
}

QByteArray Le32(qint64 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(static_cast<quint32>(v), b.data());
    return b;
}

/// Opens `path` and refuses files that cannot be rewritten safely.
bool OpenForRewrite(SongFile& song, const QString& path, QString* error)
{
    if (!song.openForRewrite(path))
        return Fail(error, song.errorString());
    const SongKind kind = song.kind();
    if (kind == kNotASong)
        return Fail(error, QStringLiteral("%1 is not an MP3 or RMP file").arg(path));
    if (kind & Wave)
        return Fail(error, QStringLiteral("%1 is a WAVE file").arg(path));
    if (kind & Id3v2)
        return Fail(error, QStringLiteral("%1 begins with an ID3v2 tag").arg(path));
    if (kind & MacBinary)
        return Fail(error, QStringLiteral("%1 begins with a MacBinary header").arg(path));
    return true;
}

/// The ID3v1 tag of a RIFF song: the one ending the file, else one made from the INFO texts.
std::optional<QByteArray> RiffTag(const SongFile& song, const InfoValues& values, QString* error)
{
    if (song.layout().id3v1.found())
        return song.layout().id3v1Bytes;
    Id3v1Record record;
    MergeInfoIntoId3v1(values, record, true);
    return BuildId3v1(record, error);
}

bool ReadRiffInfo(SongFile& song, InfoValues& values, QString* error)
{
    std::optional<InfoValues> info;
    if (!song.readInfoValues(info))
        return Fail(error, song.errorString());
    values = info.value_or(InfoValues());
    return true;
}

} // namespace

bool SplitLyrics3AndTag(QByteArrayView value, QByteArray& block, QByteArray& tag)
{
    if (!HoldsLyrics3AndTag(value))
        return false;
    const QByteArrayView body = value.first(value.size() - kId3v1Size);
    const qsizetype begin = body.indexOf("LYRICSBEGIN");
    if (begin < 0)
        return false;
    block = body.sliced(begin).toByteArray();
    tag = value.last(kId3v1Size).toByteArray();
    return true;
}

bool PlanRmp(SongFile& song, const InfoValues& values, RewritePlan& plan, QString* error)
{
    const SongLayout& L = song.layout();
    if (RiffTooLarge(song, error))
        return false;
    struct Kept {
        qint64 offset;
        qint64 size;
    };
    std::vector<Kept> kept;
    qint64 body = 0;
    for (const RiffChunk& c : L.chunks) {
        if (c.id == "LIST") {
            QByteArray type;
            if (c.truncated || c.size < 4)
                continue;
            if (!song.read({c.data(), 4}, type))
                return Fail(error, song.errorString());
            if (type == "INFO")
                continue;
        }
        if (c.truncated) {
            if (L.dataChunk && c.header == L.dataChunk->header)
                return Fail(error, QStringLiteral("%1: the data chunk runs past the end of the file").arg(song.path()));
            break; // a damaged chunk after the audio ends what is kept
        }
        kept.push_back({c.header, 8 + c.size});
        body += 8 + c.size + (c.size % 2);
    }
    const QByteArray list = WriteInfoList(values, 12 + body);
    if (TooLargeForRmp(song.path(), 4 + body + list.size(), error))
        return false;
    plan.append("RIFF" + Le32(4 + body + list.size()) + L.riffForm);
    for (const Kept& k : kept) {
        plan.copy(k.offset, k.size);
        if (k.size % 2)
            plan.append(QByteArray(1, '\0'));
    }
    plan.append(list);
    return true;
}

bool ReadEmbeddedLyrics3(const QString& path, Lyrics3Record& record, QString* error)
{
    SongFile song;
    if (!song.open(path))
        return Fail(error, song.errorString());
    std::optional<QByteArray> block;
    if (!song.readLyrics3Block(block))
        return Fail(error, song.errorString());
    if (!block)
        return Fail(error, QStringLiteral("%1 has no embedded lyrics").arg(path));
    QString why;
    std::optional<Lyrics3Record> parsed = ParseLyrics3(*block, &why);
    if (!parsed)
        return Fail(error, QStringLiteral("%1: %2").arg(path, why));
    record = std::move(*parsed);
    return true;
}

bool EmbedLyrics3(const QString& path, const Lyrics3Record& record, Lyrics3Target target, QString* error)
{
    SongFile song;
    if (!OpenForRewrite(song, path, error))
        return false;
    if (song.kind() & Embedded)
        return Fail(error, QStringLiteral("%1 already carries Lyrics3 v1 lyrics").arg(path));
    const SongLayout& L = song.layout();
    QString why;
    RewritePlan plan;
    if (song.kind() & Rmp) {
        InfoValues values;
        if (!ReadRiffInfo(song, values, error))
            return false;
        const std::optional<QByteArray> tag = RiffTag(song, values, &why);
        const std::optional<QByteArray> block = BuildLyrics3(record, Lyrics3Padding::EvenLength, &why);
        if (!tag || !block)
            return Fail(error, why);
        if (target == Lyrics3Target::Ilyc) {
            values.bytes[ILYC] = *block + *tag;
        } else {
            values.bytes[IID3] = *block + *tag;
            if (HoldsLyrics3Block(values.bytes[ILYC]))
                values.bytes[ILYC].clear();
        }
        if (!PlanRmp(song, values, plan, error))
            return false;
    } else {
        const std::optional<QByteArray> block = BuildLyrics3(record, Lyrics3Padding::None, &why);
        if (!block)
            return Fail(error, why);
        QByteArray tag = L.id3v1Bytes;
        if (!L.id3v1.found())
            tag = *BuildId3v1(Id3v1Record());
        plan.copy(0, L.lyrics3.found() ? L.lyrics3.offset : L.id3v1.found() ? L.id3v1.offset : L.fileSize);
        plan.append(*block);
        plan.append(tag);
    }
    return ReplaceSongFile(song, plan, error);
}

bool DeleteLyrics3(const QString& path, QString* error)
{
    SongFile song;
    if (!OpenForRewrite(song, path, error))
        return false;
    const SongLayout& L = song.layout();
    if (!L.lyrics3.found())
        return Fail(error, QStringLiteral("%1 has no embedded lyrics").arg(path));
    RewritePlan plan;
    if (song.kind() & Rmp) {
        InfoValues values;
        if (!ReadRiffInfo(song, values, error))
            return false;
        QByteArray block, tag;
        if (SplitLyrics3AndTag(values.bytes[ILYC], block, tag)) {
            values.bytes[ILYC].clear();
            values.bytes[IID3] = tag;
        } else if (SplitLyrics3AndTag(values.bytes[IID3], block, tag)) {
            values.bytes[IID3] = tag;
        } else {
            return Fail(error, QStringLiteral("%1: the lyrics are not in an INFO value").arg(path));
        }
        if (!PlanRmp(song, values, plan, error))
            return false;
    } else {
        plan.copy(0, L.lyrics3.offset);
        plan.copy(L.lyrics3.end(), L.fileSize - L.lyrics3.end());
    }
    return ReplaceSongFile(song, plan, error);
}

bool ConvertToRmp(const QString& path, Lyrics3Target target, QString* error)
{
    SongFile song;
    if (!OpenForRewrite(song, path, error))
        return false;
    if (song.kind() & Rmp)
        return Fail(error, QStringLiteral("%1 is already an RMP file").arg(path));
    const SongLayout& L = song.layout();
    QString why;

    InfoValues values;
    std::optional<Id3v1Record> tag = song.id3v1();
    if (tag) {
        const std::pair<int, const QString*> texts[] = {
            {INAM, &tag->title}, {IART, &tag->artist}, {IPRD, &tag->album}, {ICMT, &tag->comment}, {ICRD, &tag->year}};
        for (const auto& [index, text] : texts)
            values.setText(index, FieldText(*text)); // decoded tag text always encodes again
        values.setText(IGNR, EngineGenreName(tag->genre));
    }
    std::optional<QByteArray> block;
    if (!song.readLyrics3Block(block))
        return Fail(error, song.errorString());
    if (block) {
        // The block's longer texts are better INFO values than the tag's 30 bytes.
        if (const std::optional<Lyrics3Record> r = ParseLyrics3(*block)) {
            const std::pair<int, int> longer[] = {{INAM, ETT}, {IART, EAR}, {IPRD, EAL}, {ICMT, INF}};
            for (const auto& [index, field] : longer)
                if (!(*r)[field].isEmpty())
                    values.setText(index, (*r)[field]);
        }
    }
    QByteArray tagBytes = L.id3v1Bytes;
    if (!L.id3v1.found() && block) {
        const std::optional<QByteArray> made = RiffTag(song, values, &why);
        if (!made)
            return Fail(error, why);
        tagBytes = *made;
    }
    values.bytes[IID3] = tagBytes;
    if (block) {
        QByteArray value = *block + tagBytes;
        if (value.size() % 2)
            value.prepend('\0');
        values.bytes[target == Lyrics3Target::Ilyc ? ILYC : IID3] = value;
    }

    const qint64 streamEnd = L.lyrics3.found() ? L.lyrics3.offset : L.id3v1.found() ? L.id3v1.offset : L.fileSize;
    // The INFO list starts with the pad byte after odd-length data itself, so the
    // RIFF size (file length - 8) counts it once, through `list`.
    const QByteArray list = WriteInfoList(values, 20 + streamEnd);
    if (TooLargeForRmp(path, 12 + streamEnd + list.size(), error))
        return false;
    RewritePlan plan;
    plan.append("RIFF" + Le32(12 + streamEnd + list.size()) + "RMP3" + "data" + Le32(streamEnd));
    plan.copy(0, streamEnd);
    plan.append(list);
    return ReplaceSongFile(song, plan, error);
}

bool ConvertToMp3(const QString& path, QString* error)
{
    SongFile song;
    if (!OpenForRewrite(song, path, error))
        return false;
    if (!(song.kind() & Rmp))
        return Fail(error, QStringLiteral("%1 is not an RMP file").arg(path));
    const SongLayout& L = song.layout();
    if (RiffTooLarge(song, error))
        return false;
    if (L.dataChunk->truncated)
        return Fail(error, QStringLiteral("%1: the data chunk runs past the end of the file").arg(path));
    InfoValues values;
    if (!ReadRiffInfo(song, values, error))
        return false;
    QByteArray block, tag;
    if (!SplitLyrics3AndTag(values.bytes[ILYC], block, tag) && !SplitLyrics3AndTag(values.bytes[IID3], block, tag)) {
        block.clear();
        bool anyText = false;
        for (int i = INAM; i < ILYC; ++i)
            anyText = anyText || !values.bytes[static_cast<size_t>(i)].isEmpty();
        // Lyrics kept as ILYC text have no other place in an MP3 than a Lyrics3 block.
        const bool textLyrics = !values.bytes[ILYC].isEmpty() && !HoldsLyrics3Block(values.bytes[ILYC]);
        QString why;
        if (IsId3v1(values.bytes[IID3])) {
            tag = values.bytes[IID3];
        } else if (anyText || textLyrics) {
            const std::optional<QByteArray> made = RiffTag(song, values, &why);
            if (!made)
                return Fail(error, why);
            tag = *made;
        }
        if (textLyrics) {
            const std::optional<QByteArray> built =
                BuildLyrics3(FillLyrics3FromInfo(values, values.text(ILYC)), Lyrics3Padding::None, &why);
            if (!built)
                return Fail(error, why);
            block = *built;
        }
    }
    RewritePlan plan;
    plan.copy(L.dataChunk->dataRange(L.fileSize));
    plan.append(block);
    plan.append(tag);
    return ReplaceSongFile(song, plan, error);
}

bool CutMacBinary(const QString& path, QString* error)
{
    SongFile song;
    if (!song.openForRewrite(path))
        return Fail(error, song.errorString());
    if (!(song.kind() != kNotASong && (song.kind() & MacBinary)))
        return Fail(error, QStringLiteral("%1 has no MacBinary header in front of an MP3 stream").arg(path));
    RewritePlan plan;
    plan.copy(song.layout().dataFork);
    return ReplaceSongFile(song, plan, error);
}

} // namespace songfiles
