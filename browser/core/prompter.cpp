#include "browser/core/prompter.h"

#include <QStringList>

namespace browser {

QString ToQtFileFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString desc = parts.at(i);
        // Descriptions that already show their patterns ("歌詞ファイル(*.txt;…)") keep them.
        if (desc.contains(QLatin1Char('(')))
            desc = desc.left(desc.indexOf(QLatin1Char('('))).trimmed();
        out << QStringLiteral("%1 (%2)").arg(desc, patterns);
    }
    return out.join(QLatin1String(";;"));
}

} // namespace browser
