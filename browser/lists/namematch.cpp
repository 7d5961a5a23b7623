#include "browser/lists/namematch.h"

#include "common/codepage.h"

#include <QHash>

namespace browser::lists {
namespace {

constexpr char16_t kVoiced = u'\uFF9E';     // ﾞ
constexpr char16_t kSemiVoiced = u'\uFF9F'; // ﾟ

/// Full-width katakana and marks → their half-width form (one or two characters). Built
/// from the compatibility decompositions of the half-width block, so that every
/// half-width character and every voiced combination the block can spell is covered.
const QHash<char16_t, QString>& NarrowKana()
{
    static const QHash<char16_t, QString> table = [] {
        QHash<char16_t, QString> t;
        for (char16_t h = 0xFF61; h <= 0xFF9F; ++h) {
            const QString half(QChar{h});
            const QString wide = half.normalized(QString::NormalizationForm_KC);
            if (wide.size() == 1 && wide != half)
                t.insert(wide.at(0).unicode(), half);
            for (char16_t mark : {kVoiced, kSemiVoiced}) {
                const QString pair = half + QChar{mark};
                const QString composed = pair.normalized(QString::NormalizationForm_KC);
                if (composed.size() == 1)
                    t.insert(composed.at(0).unicode(), pair);
            }
        }
        // The spacing and combining voicing marks.
        t.insert(u'\u309B', QString(QChar{kVoiced}));
        t.insert(u'\u309C', QString(QChar{kSemiVoiced}));
        t.insert(u'\u3099', QString(QChar{kVoiced}));
        t.insert(u'\u309A', QString(QChar{kSemiVoiced}));
        return t;
    }();
    return table;
}

/// Whether a CP932 code counts as a mark to be removed.
bool IsMarkCode(uint code)
{
    if (code <= 0xFF)
        return code <= 0x2F || (code >= 0x3A && code <= 0x40) || (code >= 0x5B && code <= 0x60)
            || (code >= 0x7B && code <= 0xA5) || code >= 0xDE;
    return code >= 0x8140 && code <= 0x81FC;
}

} // namespace

QString FoldName(QStringView text)
{
    const QString trimmed = text.trimmed().toString();
    QString out;
    out.reserve(trimmed.size());
    const QHash<char16_t, QString>& narrow = NarrowKana();
    for (QChar qc : trimmed) {
        char16_t c = qc.unicode();
        if (c >= 0x3041 && c <= 0x3096) // hiragana → katakana
            c = static_cast<char16_t>(c + 0x60);
        else if (c == 0x309D || c == 0x309E) // ゝゞ → ヽヾ
            c = static_cast<char16_t>(c + 0x60);
        if (c >= 0xFF01 && c <= 0xFF5E) { // full-width ASCII
            out += QChar(static_cast<char16_t>(c - 0xFEE0));
            continue;
        }
        if (c == 0x3000) {
            out += QLatin1Char(' ');
            continue;
        }
        const auto it = narrow.constFind(c);
        if (it != narrow.constEnd())
            out += it.value();
        else
            out += QChar(c);
    }
    return out.toLower();
}

QString StripMarks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        uint code = 0x10000; // no CP932 form: kept
        qsizetype len = 1;
        if (u < 0x80) {
            code = u;
        } else if (u >= 0xFF61 && u <= 0xFF9F) { // half-width katakana and marks
            code = 0xA1 + (u - 0xFF61);
        } else {
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                len = 2;
            if (const std::optional<QByteArray> bytes = common::EncodeCp932(text.mid(i, len))) {
                if (bytes->size() == 1)
                    code = static_cast<uchar>(bytes->at(0));
                else if (bytes->size() == 2)
                    code = static_cast<uchar>(bytes->at(0)) << 8 | static_cast<uchar>(bytes->at(1));
            }
        }
        if (!IsMarkCode(code))
            out += text.mid(i, len);
        i += len - 1;
    }
    return out;
}

bool NameMatches(QStringView a, QStringView b)
{
    if (a.isEmpty() || b.isEmpty())
        return true;
    const QString fa = FoldName(a), fb = FoldName(b);
    if (fa.compare(fb, Qt::CaseInsensitive) == 0)
        return true;
    const QString sa = StripMarks(fa), sb = StripMarks(fb);
    if (sa.compare(sb, Qt::CaseInsensitive) == 0)
        return true;
    return sa.contains(sb, Qt::CaseInsensitive) || sb.contains(sa, Qt::CaseInsensitive);
}

} // namespace browser::lists
