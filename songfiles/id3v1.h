#pragma once
// The 128-byte ID3v1 tag at the end of an MP3 file, bytes in and bytes out.

#include "songfiles/genres.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace songfiles {

struct InfoValues;

constexpr qsizetype kId3v1Size = 128;

/// The tag record the engine and the song-information editor exchange. Text fields hold
/// the decoded field bytes without the space padding; a field may still hold NULs (some
/// writers pad with them), which FieldText cuts off for display.
struct Id3v1Record {
    QString title;   // 30 bytes in the tag
    QString artist;  // 30
    QString album;   // 30
    QString year;    // 4
    QString comment; // 30
    int genre = kNoGenre;
    QString genreName;
    bool operator==(const Id3v1Record&) const = default;
};

/// A field as shown: cut at its first NUL, trailing blanks removed.
QString FieldText(const QString& field);

/// True when `bytes` are an ID3v1 tag: 128 bytes beginning with "TAG".
bool IsId3v1(QByteArrayView bytes);

/// Decodes a tag (IsId3v1 must hold); the genre name is the engine's name of the number.
Id3v1Record ParseId3v1(QByteArrayView bytes);

/// Builds the 128 tag bytes: "TAG", title, artist, album (30 bytes each), year (4),
/// comment (30), genre number (1). Each field is cut at a whole character (a double-byte
/// character that would be split is dropped) and padded with blanks. Fails, naming the
/// field and character, when a field holds a character the code page cannot represent.
std::optional<QByteArray> BuildId3v1(const Id3v1Record& record, QString* error = nullptr);

/// Updates `record` from RIFF INFO values: the genre from IGNR by name (250 when empty or
/// unknown; with `exGenres` off, numbers above 148 become 250), the genre name from the
/// number, and album, artist, comment, title and year from IPRD, IART, ICMT, INAM, ICRD
/// where those are not empty.
void MergeInfoIntoId3v1(const InfoValues& info, Id3v1Record& record, bool exGenres);

} // namespace songfiles
