#pragma once
// Reading and writing whole text files (lyrics and plain text written by the programs).
//
// Encodings, in this order:
//  - a UTF-8 byte-order mark (in front of valid UTF-8): UTF-8;
//  - a UTF-16 byte-order mark (FF FE or FE FF): UTF-16, little- or big-endian;
//  - valid UTF-8 with clear evidence, a sequence of three or four bytes (every Japanese
//    character has one): UTF-8;
//  - valid UTF-8 of two-byte sequences only that also reads as CP932 (half-width katakana
//    such as "ﾎｼﾎｼ" are such bytes): CP932; otherwise UTF-8 when valid;
//  - everything else: CP932.
// Text read from a file is written back in the same encoding with the same BOM state,
// so a read followed by an unchanged write gives the same bytes; CP932 lines that are not
// changed keep their exact bytes (CP932 has duplicate codes for some characters, which a
// plain round trip through Unicode would unify). Writes are atomic (see atomicfile.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace common {

enum class TextEncoding { Cp932, Utf8, Utf16Le, Utf16Be };

struct TextFormat {
    TextEncoding encoding = TextEncoding::Cp932;
    bool bom = false; // UTF-8; UTF-16 always has its BOM
    bool operator==(const TextFormat&) const = default;
};

struct DecodedText {
    QString text;
    TextFormat format;
};

/// The largest text file that is read: a lyrics file is far smaller.
inline constexpr qint64 kMaxTextFileBytes = 64ll * 1024 * 1024;

/// Decodes file bytes by the rule above.
DecodedText DecodeText(QByteArrayView bytes);

/// Encodes `text` in `format`; nullopt (with `error`) when the encoding cannot hold it.
std::optional<QByteArray> EncodeText(QStringView text, TextFormat format, QString* error = nullptr);

/// Like EncodeText, but a line whose text is that of a line of `original` (the bytes the
/// text was read from, in `format`) gets that line's exact bytes.
std::optional<QByteArray> EncodeTextKeepingLines(QStringView text, TextFormat format, QByteArrayView original,
                                                 QString* error = nullptr);

/// Whether `bytes` can be a text file: no NUL bytes (except in UTF-16 with a BOM) and no
/// song or RIFF signature at the start. Otherwise false with the reason in `why`.
bool IsTextContent(QByteArrayView bytes, QString* why = nullptr);

/// Reads a whole text file (a regular file of at most kMaxTextFileBytes). On failure
/// returns false and sets `error`.
bool ReadTextFile(const QString& path, QString& text, TextFormat* format = nullptr, QString* error = nullptr);

/// Replaces the file with `text` in `format`, atomically, under the file's lock. Lines an
/// edit left alone keep their bytes when the file is in that format now. A file there
/// now that is not text (see IsTextContent) is not overwritten.
bool WriteTextFile(const QString& path, QStringView text, TextFormat format, QString* error = nullptr);

/// Replaces the file with `text`, keeping the encoding of the file that is there now
/// (CP932 for a new file).
bool WriteTextFile(const QString& path, QStringView text, QString* error = nullptr);

/// The format of the text file at `path` now (CP932 when it does not exist).
TextFormat DetectTextFileFormat(const QString& path);

} // namespace common
