#pragma once
// Lyrics files as the batch commands read and write them: the text with CR LF line
// breaks for the text functions, and everything needed to write it back the way the
// file had it (encoding, byte-order mark, line-break style).

#include "common/textfile.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace browser {

/// How a file separates its lines.
enum class LineBreakStyle { CrLf, Lf, Cr, Mixed };

struct LyricsFileText {
    QString text;            // CR LF line breaks (unchanged for a mixed file)
    QByteArray bytes;        // the file as read
    common::TextFormat format;
    LineBreakStyle style = LineBreakStyle::CrLf;
};

/// The line-break style of a text: lone LF or lone CR when only those occur, Mixed when
/// both CR and LF occur in other combinations than CR LF.
LineBreakStyle DetectLineBreakStyle(QStringView text);

/// Reads a lyrics file; false (with `error`) when it cannot be read.
bool ReadLyricsFile(const QString& path, LyricsFileText& out, QString* error = nullptr);

/// The bytes of `crlfText` written in the file's own encoding and line-break style, lines
/// the text shares with the file keeping their bytes; nullopt with `error` when the
/// encoding cannot hold the text.
std::optional<QByteArray> EncodeLikeFile(const QString& crlfText, const LyricsFileText& file, QString* error = nullptr);

/// Replaces a file with `bytes` in one step (never half written).
bool ReplaceFileBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace browser
