#include "lyrics/linebreaks.h"

namespace lyrics {

QString NormalizeLineBreaks(const QString& text)
{
    const bool hasCr = text.contains(QLatin1Char('\r'));
    const bool hasLf = text.contains(QLatin1Char('\n'));
    if (hasCr == hasLf) // both (mixed or CR LF: kept as it is), or neither
        return text;
    const QChar brk = hasCr ? QLatin1Char('\r') : QLatin1Char('\n');
    QString out;
    out.reserve(text.size() + text.count(brk));
    for (QChar c : text) {
        if (c == brk)
            out += QLatin1String("\r\n");
        else
            out += c;
    }
    return out;
}

} // namespace lyrics
