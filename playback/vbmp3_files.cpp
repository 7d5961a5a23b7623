#include "playback/vbmp3_files.h"

#include "songfiles/genres.h"
#include "songfiles/songfile.h"

namespace playback {

using namespace songfiles;

bool Vbmp3Files::fail(const QString& why) const
{
    lastError_ = why;
    return false;
}

int Vbmp3Files::vbmp3_getFileType(const QString& path) const
{
    SongFile song;
    if (!song.open(path)) {
        lastError_ = song.errorString();
        return kNotASong;
    }
    if (song.kind() == kNotASong)
        lastError_ = song.layout().notASongReason;
    return song.kind();
}

bool Vbmp3Files::vbmp3_getFileInfo(const QString& path, Id3v1Record& tag, MpegInfo& mpeg) const
{
    SongTexts unused;
    return vbmp3_getFileInfo2(path, tag, mpeg, unused);
}

bool Vbmp3Files::vbmp3_getFileInfo2(const QString& path, Id3v1Record& tag, MpegInfo& mpeg, SongTexts& texts) const
{
    tag = Id3v1Record();
    mpeg = MpegInfo();
    texts = SongTexts();
    SongFile song;
    if (!song.open(path))
        return fail(song.errorString());
    if (song.kind() == kNotASong)
        return fail(QStringLiteral("%1 is not an MP3 or RMP file").arg(path));
    const std::optional<MpegInfo> info = song.mpegInfo();
    if (!info)
        return fail(song.errorString());
    mpeg = *info;
    if (const auto t = song.id3v1())
        tag = *t;
    vbmp3_getGenre(tag);

    if (IsRiffKind(song.kind())) {
        std::optional<InfoValues> values;
        if (song.readInfoValues(values) && values) {
            texts.title = values->text(INAM);
            texts.artist = values->text(IART);
            texts.album = values->text(IPRD);
            texts.comment = values->text(ICMT);
            texts.info = std::move(values);
        }
    } else {
        std::optional<QByteArray> block;
        if (song.readLyrics3Block(block) && block) {
            if (const auto r = ParseLyrics3(*block)) {
                texts.title = (*r)[ETT];
                texts.artist = (*r)[EAR];
                texts.album = (*r)[EAL];
                texts.comment = (*r)[INF];
            }
        }
    }
    return true;
}

void Vbmp3Files::vbmp3_getGenre(Id3v1Record& tag) const
{
    tag.genreName = EngineGenreName(tag.genre);
}

bool Vbmp3Files::vbmp3_getFileLyrics3InfoVB(const QString& path, Lyrics3Record& record) const
{
    QString why;
    return ReadEmbeddedLyrics3(path, record, &why) || fail(why);
}

bool Vbmp3Files::vbmp3_setFileLyrics3InfoVB(const QString& path, const Lyrics3Record& record)
{
    QString why;
    return EmbedLyrics3(path, record, insField_, &why) || fail(why);
}

bool Vbmp3Files::vbmp3_delFileLyrics3Info(const QString& path)
{
    QString why;
    return DeleteLyrics3(path, &why) || fail(why);
}

bool Vbmp3Files::vbmp3_setLyrics3InsField(int field)
{
    if (field != 0 && field != 1)
        return fail(QStringLiteral("the Lyrics3 field must be 0 (ILYC) or 1 (IID3), not %1").arg(field));
    insField_ = static_cast<Lyrics3Target>(field);
    return true;
}

bool Vbmp3Files::vbmp3_changeRmp(const QString& path)
{
    QString why;
    return ConvertToRmp(path, insField_, &why) || fail(why);
}

bool Vbmp3Files::vbmp3_changeMp3(const QString& path)
{
    QString why;
    return ConvertToMp3(path, &why) || fail(why);
}

bool Vbmp3Files::vbmp3_cutMacBinary(const QString& path)
{
    QString why;
    return CutMacBinary(path, &why) || fail(why);
}

} // namespace playback
