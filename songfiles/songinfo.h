#pragma once
// What the song-information editor (曲情報) shows and writes, without its widgets: the
// genre box and its numbers, the stream line, the shortened path, and the fields taken
// from a song's tags and put back into them.

#include "songfiles/mpeginfo.h"
#include "songfiles/songtags.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace songfiles {

/// The editor's boxes, in the order of the INFO labels.
enum SongInfoField : int {
    FieldTitle, FieldArtist, FieldAlbum, FieldComment, FieldYear, FieldGenre, FieldCopyright, FieldSource,
    FieldEngineer, FieldSoftware, FieldKeywords, FieldLyrics, FieldTechnician, FieldCommissioned,
    kSongInfoFieldCount
};

/// The INFO value a box stands for (INAM for the title …).
InfoIndex SongInfoFieldValue(SongInfoField field);

/// The genre box: every non-empty entry of the genre table, in number order.
QStringList GenreBoxEntries(bool exGenres);
/// The entry that shows a genre number: the number itself up to 147, and with extended
/// genres the numbers 251-255 at 148-152; -1 (no selection) for any other number.
int GenreBoxIndex(int genre, bool exGenres);
/// The genre number an entry writes; no selection (-1) and "(なし)" write 250.
int GenreFromBoxIndex(int index, bool exGenres);

/// The editor's stream line: "MP3 " or "RMP ", "L3V2 " with a Lyrics3 block, the sample
/// rate in kHz, the bit-rate field with "bps", "Mono" or "Stereo", and the play time as
/// minutes within the hour and seconds: "MP3 L3V2 44.1kHz 128bps Stereo 02:05".
QString SongInfoLine(bool isRmp, bool hasLyrics3, const MpegInfo& mpeg);

/// `path` as it fits `width` (measured by `measure`): unchanged when it fits, else its
/// first three characters, "..." and as much of its end as fits.
QString ShortenPath(const QString& path, int width, const std::function<int(const QString&)>& measure);

/// The texts of the boxes.
struct SongInfoFields {
    std::array<QString, kSongInfoFieldCount> text;
    /// The lyrics box shows "(LYRICS3)": ILYC holds the song's Lyrics3 block.
    bool lyricsIsBlock = false;
    QString& operator[](SongInfoField f) { return text[static_cast<size_t>(f)]; }
    const QString& operator[](SongInfoField f) const { return text[static_cast<size_t>(f)]; }
};

/// The boxes of a song read with ReadSongTags: title, artist, album, comment and year
/// from their INFO value, else from the ID3v1 tag; the genre from IGNR, else the tag's
/// genre name; an RMP's other INFO texts and its ILYC lyrics ("(LYRICS3)" for a block).
/// Every text is cut at its first NUL.
SongInfoFields FieldsFromTags(const SongTags& tags);

/// Puts the boxes into `tags` for RewriteSongTags: the ID3v1 texts and `genre`; for an
/// RMP also the INFO texts, and ILYC when `writeLyrics`. Fails, naming the box, when a
/// text has no Shift_JIS form.
bool ApplyFields(const SongInfoFields& fields, int genre, bool isRmp, bool writeLyrics, SongTags& tags,
                 QString* error = nullptr);

} // namespace songfiles
