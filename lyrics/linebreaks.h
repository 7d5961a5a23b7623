#pragma once
#include <QString>

namespace lyrics {

/// Line-break normalisation of lyrics read from files: a text that holds both CR and LF
/// is used unchanged; otherwise every lone CR and every lone LF becomes CR LF.
QString NormalizeLineBreaks(const QString& text);

} // namespace lyrics
