#include "songfiles/songtags.h"

#include "songfiles/songfile.h"
#include "songfiles/songrewrite.h"
#include "songfiles/songedit.h"

namespace songfiles {
namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

/// A record for writing that keeps the fields of the song's old block the editor does
/// not edit (IMG, AUT, and fields of other programs).
Lyrics3Record KeepOtherFields(Lyrics3Record fresh, const std::optional<Lyrics3Record>& old)
{
    if (!old)
        return fresh;
    fresh[IMG] = (*old)[IMG];
    fresh[AUT] = (*old)[AUT];
    fresh.other = old->other;
    return fresh;
}

} // namespace

bool ReadSongTags(const QString& path, SongTags& tags, QString* error)
{
    tags = SongTags();
    SongFile song;
    if (!song.open(path))
        return Fail(error, song.errorString());
    tags.kind = song.kind();
    if (song.kind() == kNotASong)
        return Fail(error, QStringLiteral("%1 is not an MP3 or RMP file").arg(path));
    if (song.kind() & (Id3v2 | MacBinary))
        return Fail(error, QStringLiteral("%1 begins with an ID3v2 tag or a MacBinary header").arg(path));

    if (const auto tag = song.id3v1()) {
        tags.hasId3v1 = true;
        tags.id3v1 = *tag;
    }
    std::optional<QByteArray> block;
    if (!song.readLyrics3Block(block))
        return Fail(error, song.errorString());
    if (block) {
        QString why;
        tags.lyrics3 = ParseLyrics3(*block, &why);
        if (!tags.lyrics3)
            return Fail(error, QStringLiteral("%1: %2").arg(path, why));
        tags.lyrics = (*tags.lyrics3)[LYR];
    }
    if (IsRiffKind(song.kind())) {
        std::optional<InfoValues> info;
        if (!song.readInfoValues(info))
            return Fail(error, song.errorString());
        if (!info)
            return Fail(error, QStringLiteral("%1 has no INFO list").arg(path));
        tags.info = *info;
    }
    return true;
}

bool RewriteSongTags(const QString& path, const Id3v1Record& record, const InfoValues& info, bool exGenres,
                     const QString& lyrics, QString* error)
{
    SongFile song;
    if (!song.openForRewrite(path))
        return Fail(error, song.errorString());
    const SongKind kind = song.kind();
    if (kind == kNotASong)
        return Fail(error, QStringLiteral("%1 is not an MP3 or RMP file").arg(path));
    if (kind & (Wave | Id3v2 | MacBinary))
        return Fail(error, QStringLiteral("%1 is a WAVE file or begins with an ID3v2 tag or a MacBinary header").arg(path));
    // A block that cannot be parsed would be dropped without its lyrics ever being read.
    std::optional<QByteArray> oldBlock;
    if (!song.readLyrics3Block(oldBlock))
        return Fail(error, song.errorString());
    const std::optional<Lyrics3Record> oldRecord = oldBlock ? ParseLyrics3(*oldBlock) : std::nullopt;
    if (oldBlock && !oldRecord)
        return Fail(error, QStringLiteral("%1 has a damaged Lyrics3 block; delete the embedded lyrics first").arg(path));

    QString why;
    RewritePlan plan;
    if (kind & Rmp) {
        if (!song.layout().listChunk)
            return Fail(error, QStringLiteral("%1 has no INFO list").arg(path));
        Id3v1Record merged = record;
        MergeInfoIntoId3v1(info, merged, exGenres);
        const std::optional<QByteArray> tag = BuildId3v1(merged, &why);
        if (!tag)
            return Fail(error, why);
        InfoValues values = info;
        if (!lyrics.isEmpty()) {
            const std::optional<QByteArray> block =
                BuildLyrics3(KeepOtherFields(FillLyrics3FromInfo(info, lyrics), oldRecord), Lyrics3Padding::EvenLength, &why);
            if (!block)
                return Fail(error, why);
            values.bytes[ILYC] = *block + *tag;
        } else {
            values.bytes[IID3] = *tag;
            // Without lyrics an old block must go too: kept in ILYC it would also keep
            // the old tag and hide the new one.
            if (HoldsLyrics3Block(values.bytes[ILYC]))
                values.bytes[ILYC].clear();
        }
        if (!PlanRmp(song, values, plan, &why))
            return Fail(error, why);
    } else {
        const std::optional<QByteArray> tag = BuildId3v1(record, &why);
        if (!tag)
            return Fail(error, why);
        QByteArray block;
        if (!lyrics.isEmpty()) {
            const std::optional<QByteArray> built =
                BuildLyrics3(KeepOtherFields(FillLyrics3FromId3v1(record, lyrics), oldRecord), Lyrics3Padding::None, &why);
            if (!built)
                return Fail(error, why);
            block = *built;
        }
        const SongLayout& L = song.layout();
        const qint64 keep = L.lyrics3.found() ? L.lyrics3.offset : L.id3v1.found() ? L.id3v1.offset : L.fileSize;
        plan.copy(0, keep);
        plan.append(block);
        plan.append(*tag);
    }
    return ReplaceSongFile(song, plan, error);
}

} // namespace songfiles
