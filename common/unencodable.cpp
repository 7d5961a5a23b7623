#include "common/unencodable.h"

#include "common/codepage.h"

namespace common {

QList<Unencodable> FindCp932Unencodable(QStringView text, int max, int* total)
{
    QList<Unencodable> found;
    int count = 0;
    int line = 1;
    // Whole lines are checked first: most lines of a text encode, and one conversion per
    // line is far cheaper than one per character.
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start <= n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView content = text.sliced(start, end - start);
        if (!IsCp932Encodable(content)) {
            for (qsizetype i = 0; i < content.size(); ++i) {
                const qsizetype len = content[i].isHighSurrogate() && i + 1 < content.size() && content[i + 1].isLowSurrogate() ? 2 : 1;
                if (!IsCp932Encodable(content.sliced(i, len))) {
                    if (found.size() < max)
                        found.append({line, DescribeCharacter(content, i)});
                    ++count;
                }
                i += len - 1;
            }
        }
        if (end >= n)
            break;
        end += text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n' ? 2 : 1;
        start = end;
        ++line;
    }
    if (total)
        *total = count;
    return found;
}

} // namespace common
