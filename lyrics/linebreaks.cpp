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
    const QStringView in(text);
    qsizetype from = 0;
    for (qsizetype p = in.indexOf(brk); p >= 0; p = in.indexOf(brk, from)) {
        out.append(in.sliced(from, p - from)).append(QLatin1String("\r\n"));
        from = p + 1;
    }
    out.append(in.sliced(from));
    return out;
}

QString LoneLineBreak(QStringView text)
{
    const bool hasCr = text.contains(QLatin1Char('\r'));
    const bool hasLf = text.contains(QLatin1Char('\n'));
    if (hasCr == hasLf)
        return QString();
    return hasCr ? QStringLiteral("\r") : QStringLiteral("\n");
}

QString RestoreLineBreaks(QString crlfText, const QString& loneBreak)
{
    if (!loneBreak.isEmpty())
        crlfText.replace(QLatin1String("\r\n"), loneBreak);
    return crlfText;
}

} // namespace lyrics
