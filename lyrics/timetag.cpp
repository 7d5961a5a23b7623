#include "lyrics/timetag.h"

#include <algorithm>

namespace lyrics {
namespace {

constexpr QStringView kCrLf16 = u"\r\n";

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

int DigitValue(QChar c)
{
    return c.unicode() - u'0';
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

/// Writes "[mm:ss(:f)]" (or without brackets) at `buf`; the fraction has the layout's
/// digits. Returns the end of what was written (at most 12 characters).
char16_t* WriteFields(char16_t* buf, int minutes, int seconds, int fraction, TagLayout layout, bool brackets)
{
    auto two = [&buf](int v) {
        *buf++ = char16_t(u'0' + v / 10 % 10);
        *buf++ = char16_t(u'0' + v % 10);
    };
    if (brackets)
        *buf++ = u'[';
    two(minutes);
    *buf++ = u':';
    two(seconds);
    switch (layout) {
    case TagLayout::Seconds:
        break;
    case TagLayout::Tenths:
        *buf++ = u':';
        *buf++ = char16_t(u'0' + fraction % 10);
        break;
    case TagLayout::Hundredths:
        *buf++ = u':';
        two(fraction);
        break;
    case TagLayout::Millis:
        *buf++ = u':';
        *buf++ = char16_t(u'0' + fraction / 100 % 10);
        two(fraction % 100);
        break;
    }
    if (brackets)
        *buf++ = u']';
    return buf;
}

void AppendFields(QString& out, int minutes, int seconds, int fraction, TagLayout layout, bool brackets)
{
    char16_t buf[12];
    const char16_t* end = WriteFields(buf, minutes, seconds, fraction, layout, brackets);
    out.append(QStringView(buf, end - buf));
}

/// The fields AppendTimeTag writes for `msec`.
struct Fields {
    int minutes, seconds, fraction;
};

Fields FieldsOf(qint64 msec, TagLayout layout)
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
    return {v / 60000, v % 60000 / 1000, fraction};
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

char16_t* TagMatch::writeNormalized(char16_t* out) const
{
    return WriteFields(out, minutes, seconds, fraction, layout, true);
}

namespace {

/// Reads 1..maxDigits digits from `p` (not beyond `end`); returns how many, their value
/// in `value`, or 0 when there are none or too many for the field.
inline int ReadDigitsRaw(const char16_t* p, const char16_t* end, int maxDigits, int* value)
{
    int n = 0;
    int v = 0;
    while (p + n < end && p[n] >= u'0' && p[n] <= u'9') {
        if (n == maxDigits)
            return 0;
        v = v * 10 + (p[n] - u'0');
        ++n;
    }
    *value = v;
    return n;
}

/// MatchTagAt on raw characters: `p` points at a "[" inside [.., end).
inline bool MatchTagRaw(const char16_t* p, const char16_t* end, const char16_t* base, TagMatch* match)
{
    const char16_t* q = p + 1;
    int minutes = 0, seconds = 0, fraction = 0;
    int n = ReadDigitsRaw(q, end, 2, &minutes);
    if (n == 0)
        return false;
    q += n;
    if (q >= end || *q != u':')
        return false;
    n = ReadDigitsRaw(++q, end, 2, &seconds);
    if (n == 0)
        return false;
    q += n;
    if (q >= end)
        return false;
    TagLayout layout = TagLayout::Seconds;
    if (*q == u':') {
        n = ReadDigitsRaw(++q, end, 3, &fraction);
        if (n == 0)
            return false;
        q += n;
        layout = n == 1 ? TagLayout::Tenths : n == 2 ? TagLayout::Hundredths : TagLayout::Millis;
        if (q >= end)
            return false;
    }
    if (*q != u']')
        return false;
    if (match) {
        match->position = p - base;
        match->length = q + 1 - p;
        match->minutes = minutes;
        match->seconds = seconds;
        match->fraction = fraction;
        match->layout = layout;
    }
    return true;
}

} // namespace

// The sixteen accepted shapes are exactly "[" d{1,2} ":" d{1,2} (":" d{1,3})? "]".
bool MatchTagAt(QStringView text, qsizetype pos, TagMatch* match)
{
    if (pos < 0 || pos >= text.size() || text[pos] != QLatin1Char('['))
        return false;
    const char16_t* base = text.utf16();
    return MatchTagRaw(base + pos, base + text.size(), base, match);
}

TagMatch FindNextTag(QStringView text, qsizetype from)
{
    // A plain loop: tags lie a few characters apart, too close for a vector search to pay.
    TagMatch m;
    if (from < 0) // counted from the end, as QStringView::indexOf does
        from = std::max<qsizetype>(0, from + text.size());
    const char16_t* base = text.utf16();
    const char16_t* end = base + text.size();
    for (const char16_t* p = base + from; p < end; ++p) {
        if (*p == u'[' && MatchTagRaw(p, end, base, &m))
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
    const Fields f = FieldsOf(msec, layout);
    AppendFields(out, f.minutes, f.seconds, f.fraction, layout, brackets);
}

char16_t* WriteTimeTag(char16_t* out, qint64 msec, TagLayout layout)
{
    const Fields f = FieldsOf(msec, layout);
    return WriteFields(out, f.minutes, f.seconds, f.fraction, layout, true);
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

namespace {

/// AppendStripped into a builder.
void StripInto(TextBuilder& out, QStringView text)
{
    // Characters go to `out` as they come; whenever a "]" arrives and the end of `out`
    // now forms a tag, that tag is taken off again. This removes the tags a single left
    // to right scan finds and also those that only appear once an inner tag is gone.
    const qsizetype floor = out.size();
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
        const char16_t* close = p;
        while (close < end && *close != u']')
            ++close;
        if (close == end) {
            out.append(QStringView(p, end - p));
            break;
        }
        out.append(QStringView(p, close + 1 - p));
        p = close + 1;
        // A tag is at most 12 characters long: "[" + 2 + 1 + 2 + 1 + 3 + "]".
        const qsizetype size = out.size();
        const qsizetype lowest = std::max(floor, size - 12);
        qsizetype open = size - 2;
        while (open >= lowest && out.at(open) != u'[' && out.at(open) != u']')
            --open;
        if (open < lowest || out.at(open) != u'[')
            continue;
        TagMatch m;
        if (MatchTagRaw(out.data() + open, out.data() + size, out.data(), &m) && m.end() == size)
            out.truncate(open);
    }
}

/// The position of the next CR LF at or after `from`, or -1.
qsizetype FindCrLfFrom(QStringView s, qsizetype from)
{
    const char16_t* base = s.utf16();
    const char16_t* end = base + s.size();
    for (const char16_t* p = base + from; p + 1 < end; ++p) {
        if (*p == u'\r' && p[1] == u'\n')
            return p - base;
    }
    return -1;
}

} // namespace

void AppendStripped(QString& out, QStringView text)
{
    TextBuilder stripped(text.size());
    StripInto(stripped, text);
    out.append(stripped.view());
}

QString StripAllTags(QStringView text)
{
    TextBuilder out(text.size());
    StripInto(out, text);
    return out.take();
}

QString KeepLeadingTagOnly(QStringView text)
{
    TextBuilder out(text.size() + 64);
    TextBuilder joined(256);
    qsizetype start = 0;
    while (start < text.size()) {
        const QStringView rest = text.sliced(start);
        if (rest == QLatin1String("\n")) {
            out.append(u'\n');
            break;
        }
        const qsizetype brk = FindCrLfFrom(text, start);
        const QStringView line = brk < 0 ? rest : text.sliced(start, brk - start);
        start = brk < 0 ? text.size() : brk + 2;
        const TagMatch m = FindNextTag(line);
        if (!m.found()) {
            out.append(line);
        } else {
            out.commit(m.writeNormalized(out.reserve(12)));
            // The text in front of the tag and the rest are stripped as one, so that
            // no tag can form where they meet.
            joined.truncate(0);
            joined.append(line.first(m.position));
            joined.append(line.sliced(m.end()));
            StripInto(out, joined.view());
        }
        out.append(kCrLf16);
    }
    return out.take();
}

} // namespace lyrics
