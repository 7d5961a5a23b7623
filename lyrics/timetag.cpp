#include "lyrics/timetag.h"

#include <algorithm>

namespace lyrics {
namespace {

const QLatin1StringView kCrLf("\r\n");

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

int DigitValue(QChar c)
{
    return c.unicode() - u'0';
}

/// Reads 1..maxDigits digits at `pos`; returns how many, their value in `value`.
qsizetype ReadDigits(QStringView text, qsizetype pos, qsizetype maxDigits, int* value)
{
    qsizetype n = 0;
    int v = 0;
    while (pos + n < text.size() && IsDigit(text[pos + n])) {
        if (n == maxDigits)
            return 0; // too many digits for this field
        v = v * 10 + DigitValue(text[pos + n]);
        ++n;
    }
    *value = v;
    return n;
}

int FractionUnit(TagLayout layout)
{
    switch (layout) {
    case TagLayout::Tenths: return 100;
    case TagLayout::Hundredths: return 10;
    case TagLayout::Millis: return 1;
    case TagLayout::Seconds: break;
    }
    return 0;
}

/// The value of `count` digits at `pos`, or -1 when one of them is not a digit.
int FieldValue(QStringView s, qsizetype pos, qsizetype count)
{
    int v = 0;
    for (qsizetype i = pos; i < pos + count; ++i) {
        if (!IsDigit(s[i]))
            return -1;
        v = v * 10 + DigitValue(s[i]);
    }
    return v;
}

/// Appends "[mm:ss(:f)]" (or without brackets); the fraction has the layout's digits.
void AppendFields(QString& out, int minutes, int seconds, int fraction, TagLayout layout, bool brackets)
{
    char16_t buf[12];
    int n = 0;
    auto two = [&](int v) {
        buf[n++] = char16_t(u'0' + v / 10 % 10);
        buf[n++] = char16_t(u'0' + v % 10);
    };
    if (brackets)
        buf[n++] = u'[';
    two(minutes);
    buf[n++] = u':';
    two(seconds);
    switch (layout) {
    case TagLayout::Seconds:
        break;
    case TagLayout::Tenths:
        buf[n++] = u':';
        buf[n++] = char16_t(u'0' + fraction % 10);
        break;
    case TagLayout::Hundredths:
        buf[n++] = u':';
        two(fraction);
        break;
    case TagLayout::Millis:
        buf[n++] = u':';
        buf[n++] = char16_t(u'0' + fraction / 100 % 10);
        two(fraction % 100);
        break;
    }
    if (brackets)
        buf[n++] = u']';
    out.append(QStringView(buf, n));
}

} // namespace

int TagMatch::msec() const
{
    return minutes * 60000 + seconds * 1000 + fraction * FractionUnit(layout);
}

QString TagMatch::normalized() const
{
    QString out;
    out.reserve(11);
    appendNormalized(out);
    return out;
}

void TagMatch::appendNormalized(QString& out) const
{
    AppendFields(out, minutes, seconds, fraction, layout, true);
}

// The sixteen accepted shapes are exactly "[" d{1,2} ":" d{1,2} (":" d{1,3})? "]".
bool MatchTagAt(QStringView text, qsizetype pos, TagMatch* match)
{
    if (pos < 0 || pos >= text.size() || text[pos] != QLatin1Char('['))
        return false;
    qsizetype p = pos + 1;
    int minutes = 0, seconds = 0, fraction = 0;
    qsizetype n = ReadDigits(text, p, 2, &minutes);
    if (n == 0)
        return false;
    p += n;
    if (p >= text.size() || text[p] != QLatin1Char(':'))
        return false;
    n = ReadDigits(text, ++p, 2, &seconds);
    if (n == 0)
        return false;
    p += n;
    if (p >= text.size())
        return false;
    TagLayout layout = TagLayout::Seconds;
    if (text[p] == QLatin1Char(':')) {
        n = ReadDigits(text, ++p, 3, &fraction);
        if (n == 0)
            return false;
        p += n;
        layout = n == 1 ? TagLayout::Tenths : n == 2 ? TagLayout::Hundredths : TagLayout::Millis;
        if (p >= text.size())
            return false;
    }
    if (text[p] != QLatin1Char(']'))
        return false;
    if (match) {
        match->position = pos;
        match->length = p + 1 - pos;
        match->minutes = minutes;
        match->seconds = seconds;
        match->fraction = fraction;
        match->layout = layout;
    }
    return true;
}

TagMatch FindNextTag(QStringView text, qsizetype from)
{
    TagMatch m;
    for (qsizetype p = text.indexOf(QLatin1Char('['), from); p >= 0; p = text.indexOf(QLatin1Char('['), p + 1)) {
        if (MatchTagAt(text, p, &m))
            return m;
    }
    return TagMatch{};
}

int ParseTimeTag(QStringView tag, TagLayout* layout)
{
    if (tag.endsWith(QLatin1Char(']')))
        tag.chop(1);
    if (tag.startsWith(QLatin1Char('[')))
        tag = tag.sliced(1);
    TagLayout found;
    qsizetype fractionDigits = 0;
    switch (tag.size()) {
    case 5: found = TagLayout::Seconds; break;
    case 7: found = TagLayout::Tenths; fractionDigits = 1; break;
    case 8: found = TagLayout::Hundredths; fractionDigits = 2; break;
    case 9: found = TagLayout::Millis; fractionDigits = 3; break;
    default: return 0;
    }
    const int m = FieldValue(tag, 0, 2);
    const int s = FieldValue(tag, 3, 2);
    const int f = fractionDigits ? FieldValue(tag, tag.size() - fractionDigits, fractionDigits) : 0;
    if (m < 0 || s < 0 || f < 0)
        return 0;
    if (layout)
        *layout = found;
    return m * 60000 + s * 1000 + f * FractionUnit(found);
}

void AppendTimeTag(QString& out, qint64 msec, TagLayout layout, bool brackets)
{
    const int v = static_cast<int>(std::clamp<qint64>(msec, 0, kMaxTagMsec));
    const int ms = v % 1000;
    int fraction = 0;
    switch (layout) {
    case TagLayout::Seconds: break;
    case TagLayout::Tenths: fraction = ms / 100; break;
    case TagLayout::Hundredths: fraction = ms / 10; break;
    case TagLayout::Millis: fraction = ms; break;
    }
    AppendFields(out, v / 60000, v % 60000 / 1000, fraction, layout, brackets);
}

QString FormatTimeTag(qint64 msec, TagLayout layout, bool brackets)
{
    QString out;
    out.reserve(12);
    AppendTimeTag(out, msec, layout, brackets);
    return out;
}

NextTag TakeNextTag(QStringView text, QString& before)
{
    NextTag r;
    if (text.isEmpty())
        return r;
    const TagMatch m = FindNextTag(text);
    if (!m.found()) {
        before.append(text);
        return r;
    }
    before.append(text.first(m.position));
    r.tag = m.normalized();
    r.rest = text.sliced(m.end());
    return r;
}

bool IsFullTagAt(QStringView t, qsizetype p)
{
    if (p < 0 || t.size() - p < kFullTagLength)
        return false;
    return t[p] == QLatin1Char('[') && IsDigit(t[p + 1]) && IsDigit(t[p + 2]) && t[p + 3] == QLatin1Char(':')
        && IsDigit(t[p + 4]) && IsDigit(t[p + 5]) && t[p + 6] == QLatin1Char(':') && IsDigit(t[p + 7])
        && IsDigit(t[p + 8]) && t[p + 9] == QLatin1Char(']');
}

namespace {
TagSplit SplitAt(QStringView text, qsizetype p)
{
    if (p < 0)
        return {text, {}, {}};
    return {text.first(p), text.sliced(p, kFullTagLength), text.sliced(p + kFullTagLength)};
}
} // namespace

TagSplit SplitAtFirstFullTag(QStringView text)
{
    for (qsizetype p = text.indexOf(QLatin1Char('[')); p >= 0; p = text.indexOf(QLatin1Char('['), p + 1)) {
        if (text.size() - p < kFullTagLength)
            break; // every later "[" has even fewer characters behind it
        if (IsFullTagAt(text, p))
            return SplitAt(text, p);
    }
    return SplitAt(text, -1);
}

TagSplit SplitAtLastFullTag(QStringView text)
{
    for (qsizetype p = text.lastIndexOf(QLatin1Char('[')); p >= 0;
         p = p > 0 ? text.lastIndexOf(QLatin1Char('['), p - 1) : -1) {
        if (IsFullTagAt(text, p))
            return SplitAt(text, p);
    }
    return SplitAt(text, -1);
}

bool HasTags(QStringView text, bool anyTag)
{
    const TagMatch first = FindNextTag(text);
    if (!first.found())
        return false;
    return anyTag || FindNextTag(text, first.end()).found();
}

TagKind ClassifyTagKind(QStringView text)
{
    TagKind kind = TagKind::None;
    qsizetype start = 0;
    // Lines are cut at CR; the LF of a CR LF pair leads the next line, where it does
    // no harm because text in front of a line's first tag is never looked at.
    for (int line = 0; line < 16 && start < text.size(); ++line) {
        qsizetype cr = text.indexOf(QLatin1Char('\r'), start);
        if (cr < 0)
            cr = text.size();
        const QStringView l = text.sliced(start, cr - start);
        TagMatch m = FindNextTag(l);
        if (m.found()) {
            kind = TagKind::LineHead;
            for (;;) {
                const TagMatch next = FindNextTag(l, m.end());
                if (!next.found())
                    break;
                if (next.position > m.end())
                    return TagKind::Karaoke;
                m = next;
            }
        }
        start = cr + 1;
    }
    return kind;
}

void AppendStripped(QString& out, QStringView text)
{
    // Characters go to `out` as they come; whenever a "]" arrives and the end of `out`
    // now forms a tag, that tag is taken off again. This removes the tags a single left
    // to right scan finds and also those that only appear once an inner tag is gone.
    const qsizetype floor = out.size();
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype close = text.indexOf(QLatin1Char(']'), from);
        if (close < 0) {
            out.append(text.sliced(from));
            break;
        }
        out.append(text.sliced(from, close + 1 - from));
        from = close + 1;
        // A tag is at most 12 characters long: "[" + 2 + 1 + 2 + 1 + 3 + "]".
        const qsizetype lowest = std::max(floor, out.size() - 12);
        qsizetype open = out.size() - 2;
        while (open >= lowest && out[open] != QLatin1Char('[') && out[open] != QLatin1Char(']'))
            --open;
        if (open < lowest || out[open] != QLatin1Char('['))
            continue;
        TagMatch m;
        if (MatchTagAt(out, open, &m) && m.end() == out.size())
            out.truncate(open);
    }
}

QString StripAllTags(QStringView text)
{
    QString out;
    out.reserve(text.size());
    AppendStripped(out, text);
    return out;
}

QString KeepLeadingTagOnly(QStringView text)
{
    QString out;
    out.reserve(text.size() + 64);
    QString joined;
    qsizetype start = 0;
    while (start < text.size()) {
        const QStringView rest = text.sliced(start);
        if (rest == QLatin1String("\n")) {
            out.append(QLatin1Char('\n'));
            break;
        }
        qsizetype brk = rest.indexOf(kCrLf);
        const QStringView line = brk < 0 ? rest : rest.first(brk);
        start += brk < 0 ? rest.size() : brk + 2;
        const TagMatch m = FindNextTag(line);
        if (!m.found()) {
            out.append(line);
        } else {
            m.appendNormalized(out);
            // The text in front of the tag and the rest are stripped as one, so that
            // no tag can form where they meet.
            joined.clear();
            joined.append(line.first(m.position)).append(line.sliced(m.end()));
            AppendStripped(out, joined);
        }
        out.append(kCrLf);
    }
    return out;
}

} // namespace lyrics
