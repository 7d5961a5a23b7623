#pragma once
// The INFO list of a RIFF file (the LIST chunk of type "INFO"), bytes in and bytes out.
//
// An RMP file keeps its text tags here, plus two byte values the programs build: an
// ID3v1 tag alone, or a Lyrics3 v2 block followed by an ID3v1 tag.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

namespace songfiles {

/// Index of each INFO value, in the fixed order in which they are written.
enum InfoIndex : int {
    INAM, IART, IPRD, ICMT, ICRD, IGNR, ICOP, IENG, ISRC, ISFT, IKEY, ITCH, ICMS, IMED, ISBJ, IMP3, ILYC, IID3,
    kInfoCount
};

/// The four-letter id of an INFO value ("INAM" …).
QByteArrayView InfoId(int index);
/// The index of a four-letter id, or -1.
int InfoIndexOf(QByteArrayView id);

/// The 18 INFO values as stored bytes (code-page text without its NUL terminator, or the
/// whole bytes of a Lyrics3/ID3v1 value).
struct InfoValues {
    std::array<QByteArray, kInfoCount> bytes;

    /// The value decoded from the code page (undecodable bytes are kept, see DecodeCp932).
    QString text(int index) const;
    /// Stores `text` in the code page; fails (and changes nothing) when some character
    /// has no code-page form.
    bool setText(int index, const QString& text, QString* error = nullptr);
    bool operator==(const InfoValues&) const = default;
};

/// True when `value` is a Lyrics3 v2 block followed by a 128-byte ID3v1 tag, possibly
/// with the even-length pad byte in front: "LYRICS200TAG" starts 137 bytes before its end.
bool HoldsLyrics3AndTag(QByteArrayView value);

/// True when an ILYC value holds a Lyrics3 block (rather than lyrics text).
bool HoldsLyrics3Block(QByteArrayView value);

/// Reads the data of a LIST chunk (which must begin with "INFO"). Text values are cut at
/// their first NUL; ILYC values holding a Lyrics3 block and all IID3 values are kept
/// whole. Fails on an id outside the list above or a size past the end of the data.
std::optional<InfoValues> ReadInfoList(QByteArrayView listData, QString* error = nullptr);

/// The bytes of a whole LIST chunk ("LIST", size, "INFO", the 18 values in order) to be
/// written at `writePosition`, preceded by a NUL pad byte when that position is odd.
/// Every text value is written, empty ones as two NULs; an ILYC value holding a Lyrics3
/// block is written unchanged, as it was read, and when it is a block followed by a tag,
/// IID3 is left out; an empty IID3 is left out too.
QByteArray WriteInfoList(const InfoValues& values, qint64 writePosition = 0);

} // namespace songfiles
