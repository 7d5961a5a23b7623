#pragma once
#include <QString>

namespace lyrics {

/// Line-break normalisation of lyrics read from files: a text that holds both CR and LF
/// is used unchanged; otherwise every lone CR and every lone LF becomes CR LF.
QString NormalizeLineBreaks(const QString& text);

/// The line break NormalizeLineBreaks replaced in `text`: "\n" or "\r" when the text used
/// that one alone, otherwise empty (CR LF, mixed or single-line texts are kept as they are).
QString LoneLineBreak(QStringView text);

/// A CR LF text written back with the lone line break its file had (see LoneLineBreak), so
/// that an operation on a file with LF or CR breaks keeps them.
QString RestoreLineBreaks(QString crlfText, const QString& loneBreak);

} // namespace lyrics
