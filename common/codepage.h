#pragma once
// The Japanese Windows code page (CP932, "Shift_JIS" as Windows writes it).
//
// Song-file formats, INI files and most lyrics files hold CP932 bytes. Decoding never
// fails: a byte that does not start a CP932 character is kept as the lone surrogate
// U+DC80 + byte ("surrogate escape"), so that encoding the text again gives the very
// same bytes. Encoding fails on any character CP932 cannot hold; nothing is ever
// written with substitution characters.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace common {

QString DecodeCp932(QByteArrayView bytes);

/// Like DecodeCp932, but a character whose bytes are not the ones EncodeCp932 would write
/// for it (the NEC and IBM extension duplicates, such as 0x8790 for U+2252, whose
/// preferred code is 0x81E0) is kept as its escaped bytes, so that encoding gives back
/// exactly `bytes`. For text that is only passed on, never shown.
QString DecodeCp932Exact(QByteArrayView bytes);

/// CP932 bytes of `text`, or nullopt when some character has no CP932 form. On failure
/// `error` (if given) receives a message naming the first such character.
std::optional<QByteArray> EncodeCp932(QStringView text, QString* error = nullptr);

/// True when every character of `text` has a CP932 form.
bool IsCp932Encodable(QStringView text);

/// CP932 bytes of `text` cut to at most `maxBytes` bytes at a whole character: a
/// double-byte character that would be split is dropped. Characters without a CP932
/// form make it fail like EncodeCp932.
std::optional<QByteArray> EncodeCp932Prefix(QStringView text, qsizetype maxBytes, QString* error = nullptr);

/// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most
/// U+10FFFF). `hasMultibyte` tells whether any sequence is longer than one byte,
/// `longest` the length of the longest sequence (1 for ASCII).
bool IsValidUtf8(QByteArrayView bytes, bool* hasMultibyte = nullptr, int* longest = nullptr);

/// Whether every byte of `bytes` belongs to a CP932 character (DecodeCp932 keeps none
/// as an escaped byte).
bool IsCleanCp932(QByteArrayView bytes);

/// A short description of a character for messages: "'😀' (U+1F600)".
QString DescribeCharacter(QStringView text, qsizetype index);

} // namespace common
