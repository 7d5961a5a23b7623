#pragma once
// Reading and writing whole text files (lyrics and plain text written by the programs).
//
// A file is UTF-8 when it starts with a UTF-8 byte-order mark, or when it holds
// non-ASCII bytes that all form valid UTF-8 sequences; everything else is CP932. Text
// read from a file is written back in the same encoding with the same BOM state, so a
// read followed by an unchanged write gives the same bytes. Writes are atomic.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace common {

enum class TextEncoding { Cp932, Utf8 };

struct TextFormat {
    TextEncoding encoding = TextEncoding::Cp932;
    bool bom = false; // UTF-8 only
    bool operator==(const TextFormat&) const = default;
};

struct DecodedText {
    QString text;
    TextFormat format;
};

/// Decodes file bytes by the rule above.
DecodedText DecodeText(QByteArrayView bytes);

/// Encodes `text` in `format`; nullopt (with `error`) when the encoding cannot hold it.
std::optional<QByteArray> EncodeText(QStringView text, TextFormat format, QString* error = nullptr);

/// Reads a whole text file. On failure returns false and sets `error`.
bool ReadTextFile(const QString& path, QString& text, TextFormat* format = nullptr, QString* error = nullptr);

/// Replaces the file with `text` in `format`, atomically.
bool WriteTextFile(const QString& path, QStringView text, TextFormat format, QString* error = nullptr);

/// Replaces the file with `text`, keeping the encoding of the file that is there now
/// (CP932 for a new file).
bool WriteTextFile(const QString& path, QStringView text, QString* error = nullptr);

/// The format of the text file at `path` now (CP932 when it does not exist).
TextFormat DetectTextFileFormat(const QString& path);

} // namespace common
