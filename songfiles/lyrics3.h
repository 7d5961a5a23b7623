#pragma once
// The Lyrics3 v2 block, bytes in and bytes out:
//   "LYRICSBEGIN", fields (id 3, value size 5 digits, value), size 6 digits, "LYRICS200".
// The size counts the bytes from "LYRICSBEGIN" to the end of the last field.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

namespace songfiles {

struct Id3v1Record;
struct InfoValues;

/// The standard fields, in the order in which they are written.
enum Lyrics3Field : int { IND, LYR, INF, IMG, AUT, EAL, EAR, ETT, kLyrics3FieldCount };

/// The value of a block's size digits; nullopt unless every byte is an ASCII digit.
std::optional<qint64> Lyrics3Digits(QByteArrayView digits);

/// The three-letter id of a field ("IND" …).
QByteArrayView Lyrics3FieldId(int field);

constexpr qsizetype kLyrics3MarkersSize = 11 + 6 + 9; // "LYRICSBEGIN", size digits, "LYRICS200"
/// The largest value a field can hold (its size has five digits).
constexpr qsizetype kLyrics3MaxFieldSize = 99999;

struct Lyrics3Record {
    std::array<QString, kLyrics3FieldCount> fields;
    /// Every other field met while parsing, id and size included, in file order.
    QByteArray other;

    QString& operator[](int field) { return fields.at(static_cast<size_t>(field)); }
    const QString& operator[](int field) const { return fields.at(static_cast<size_t>(field)); }
    bool operator==(const Lyrics3Record&) const = default;
};

/// Parses a whole block. Fails when the markers are missing, the size digits do not
/// match the block, or a field runs past the end. Known fields are decoded from the code
/// page (a later one replaces an earlier one); unknown ones go to `other` unchanged,
/// except "DMY" padding, which is dropped.
/// Exact decoding keeps CP932 duplicate codes as escaped bytes, so that the fields encode
/// back to the very bytes of the block (for passing them on, not for showing them).
enum class Lyrics3Decoding { Display, Exact };
std::optional<Lyrics3Record> ParseLyrics3(QByteArrayView block, QString* error = nullptr,
                                          Lyrics3Decoding decoding = Lyrics3Decoding::Display);

/// The IND value for a lyrics text: "11" with time tags, "10" without, "00" when empty.
QString Lyrics3Indicator(const QString& lyrics);

enum class Lyrics3Padding {
    None,      // the block as it goes into an MP3 file
    EvenLength // one NUL in front when the length is odd, as a RIFF INFO value needs
};

/// Builds a block from `record`: IND is set from LYR, all eight fields are written (empty
/// ones with size "00000"), then `other`. Fails when a text cannot be represented in the
/// code page or a field or the block is too large for its size digits.
std::optional<QByteArray> BuildLyrics3(const Lyrics3Record& record, Lyrics3Padding padding, QString* error = nullptr);

/// A record for writing, filled from INFO values: INAM → ETT, IART → EAR, IPRD → EAL,
/// ICMT → INF; `lyrics` goes to LYR when it is not empty.
Lyrics3Record FillLyrics3FromInfo(const InfoValues& info, const QString& lyrics);

/// A record for writing, filled from an ID3v1 record: title → ETT, artist → EAR, album →
/// EAL, comment → INF, each cut at its first NUL and without trailing blanks; `lyrics`
/// goes to LYR when it is not empty.
Lyrics3Record FillLyrics3FromId3v1(const Id3v1Record& tag, const QString& lyrics);

} // namespace songfiles
