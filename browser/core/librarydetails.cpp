#include "browser/core/librarydetails.h"

#include "common/textfile.h"
#include "lyrics/atblock.h"
#include "lyrics/linebreaks.h"
#include "lyrics/timetag.h"
#include "playback/vbmp3_files.h"
#include "songfiles/pathprobe.h"

namespace browser {

std::optional<QString> TaggingByValue(const QString& text)
{
    static const QString key = QStringLiteral("@TaggingBy=");
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + key.size();
    const qsizetype cr = text.indexOf(QLatin1Char('\r'), from);
    return text.mid(from, cr < 0 ? -1 : cr - from);
}

std::optional<LyricsDetails> LibraryDetailsProvider::readLyrics(const QString& path, bool userWinAmpTime) const
{
    QString raw;
    if (!common::ReadTextFile(path, raw))
        return std::nullopt;
    const QString text = lyrics::NormalizeLineBreaks(raw);
    LyricsDetails d;
    d.tagKind = static_cast<int>(lyrics::ClassifyTagKind(text));
    d.timeType = static_cast<int>(lyrics::ReadCorrectionData(text, userWinAmpTime).data.TimeType);
    d.taggingBy = TaggingByValue(text);
    const lyrics::TitleArtist ta = lyrics::FindTitleArtist(text);
    d.title = ta.title;
    d.artist = ta.artist;
    return d;
}

SongDetails LibraryDetailsProvider::readSong(const QString& path) const
{
    SongDetails d;
    d.exists = songfiles::FileExists(path);
    if (!d.exists)
        return d;
    // One engine object per read: its calls keep their last error, so reads from the
    // scan's worker and the window's thread must not share one.
    const playback::Vbmp3Files engine;
    d.kind = engine.vbmp3_getFileType(path);
    songfiles::Id3v1Record tag;
    songfiles::MpegInfo mpeg;
    playback::SongTexts texts;
    if (d.kind != songkind::kNotSong && engine.vbmp3_getFileInfo2(path, tag, mpeg, texts)) {
        d.longTags = {texts.artist, texts.title, texts.album, texts.comment};
        d.id3v1 = {tag.artist, tag.title, tag.album, tag.comment};
        d.stream = StreamInfo{mpeg.version, mpeg.layer, mpeg.bitRate, mpeg.sampleRate, mpeg.playSeconds};
    }
    return d;
}

int LibraryDetailsProvider::songKind(const QString& path) const
{
    if (!songfiles::FileExists(path))
        return songkind::kNotSong;
    return playback::Vbmp3Files().vbmp3_getFileType(path);
}

} // namespace browser
