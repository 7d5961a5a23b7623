#include "lyrics/tagops.h"

#include "lyrics/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace lyrics {
namespace {

const QLatin1StringView kCrLf("\r\n");
constexpr char16_t kBlank[] = u" ";
constexpr char16_t kCrLfUtf16[] = u"\r\n";

QStringView ChopTrailingBlanks(QStringView s)
{
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

qsizetype FindCrLf(QStringView s, qsizetype from)
{
    for (qsizetype p = s.indexOf(QLatin1Char('\r'), from); p >= 0; p = s.indexOf(QLatin1Char('\r'), p + 1)) {
        if (p + 1 < s.size() && s[p + 1] == QLatin1Char('\n'))
            return p;
    }
    return -1;
}

/// Calls `visit(line, terminator)` for each line of `text` split at CR LF.
template<class Visit>
void ForEachLine(QStringView text, Visit&& visit)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype brk = FindCrLf(text, start);
        if (brk < 0) {
            visit(text.sliced(start), QStringView());
            return;
        }
        visit(text.sliced(start, brk - start), text.sliced(brk, 2));
        start = brk + 2;
    }
}

int CountFullTags(QStringView s)
{
    int n = 0;
    for (qsizetype p = s.indexOf(QLatin1Char('[')); p >= 0; p = s.indexOf(QLatin1Char('['), p + 1)) {
        if (IsFullTagAt(s, p)) {
            ++n;
            p += kFullTagLength - 1;
        }
    }
    return n;
}

bool IsWrittenFullTag(const TagMatch& m)
{
    return m.layout == TagLayout::Hundredths && m.length == kFullTagLength;
}

} // namespace

bool TagCommandApplies(TagCommand command, TagKind kind)
{
    switch (command) {
    case TagCommand::UnifyHundredths:
    case TagCommand::UnifySeconds:
    case TagCommand::StripAll:
    case TagCommand::CheckOrder:
    case TagCommand::PlayAlong:
        return kind == TagKind::LineHead || kind == TagKind::Karaoke;
    case TagCommand::StripKaraoke:
    case TagCommand::LineAdvance:
    case TagCommand::RepairReversals:
        return kind == TagKind::Karaoke;
    case TagCommand::NormalizeLineHead:
        return kind == TagKind::LineHead;
    case TagCommand::Shift:
        return true;
    }
    return false;
}

QString UnifyTags(QStringView text, TagLayout layout)
{
    return RewriteTagTimes(text, [layout](const TagMatch& m) { return TagTime{m.msec(), layout}; });
}

QString ShiftAllTags(QStringView text, qint64 msec)
{
    return RewriteTagTimes(text, [msec](const TagMatch& m) { return TagTime{m.msec() + msec, m.layout}; });
}

namespace {

/// One tag's line in the expanded text of NormalizeLineHeadTags.
struct LineKey {
    std::uint32_t msec;
    qsizetype start; // of its tag
    qsizetype end;
};

/// Stable sort by time: two counting passes over 12-bit digits (times stay below 2^24).
void SortByTime(std::vector<LineKey>& keys)
{
    constexpr int kBits = 12;
    constexpr std::uint32_t kMask = (1u << kBits) - 1;
    std::vector<LineKey> other(keys.size());
    std::vector<size_t> count(kMask + 2);
    for (int shift = 0; shift < 2 * kBits; shift += kBits) {
        std::fill(count.begin(), count.end(), 0);
        for (const LineKey& k : keys)
            ++count[((k.msec >> shift) & kMask) + 1];
        for (size_t i = 1; i < count.size(); ++i)
            count[i] += count[i - 1];
        for (const LineKey& k : keys)
            other[count[(k.msec >> shift) & kMask]++] = k;
        keys.swap(other);
    }
}

} // namespace

QString NormalizeLineHeadTags(QStringView text)
{
    // Expand: one line per tag, each tag followed by the text behind the line's last tag.
    TextBuilder expanded(text.size() + text.size() / 4 + 16);
    const size_t expectedLines = size_t(text.count(QLatin1Char('\n'))) + 1;
    std::vector<LineKey> keys;
    keys.reserve(expectedLines + expectedLines / 4);
    qsizetype lastLineEnd = 0; // end of the expanded line of the last tag, terminator included
    std::vector<TagMatch> tags;
    ForEachLine(text, [&](QStringView line, QStringView terminator) {
        tags.clear();
        for (TagMatch m = FindNextTag(line); m.found(); m = FindNextTag(line, m.end()))
            tags.push_back(m);
        if (tags.empty()) {
            expanded.append(line);
            expanded.append(terminator);
            return;
        }
        const QStringView lineText = line.sliced(tags.back().end());
        for (size_t k = 0; k < tags.size(); ++k) {
            keys.push_back({std::uint32_t(tags[k].msec()), expanded.size(), 0});
            expanded.commit(tags[k].writeNormalized(expanded.reserve(12)));
            expanded.append(lineText);
            // A last line without a line break still gets one between its copies.
            expanded.append(k + 1 < tags.size() ? QStringView(kCrLfUtf16) : terminator);
            lastLineEnd = expanded.size();
        }
    });
    if (keys.empty())
        return expanded.take();

    // Each line runs to the next tag; the last one to its line's end.
    for (size_t i = 0; i + 1 < keys.size(); ++i)
        keys[i].end = keys[i + 1].start;
    keys.back().end = lastLineEnd;
    const qsizetype preambleEnd = keys.front().start;
    SortByTime(keys);

    const QStringView all = expanded.view();
    TextBuilder out(all.size() + 2);
    out.append(all.first(preambleEnd));
    // Only the text's last line can lack a line break; a record without one that no
    // longer comes last lends its missing break to the end of the text instead.
    bool movedBreak = false;
    constexpr size_t kAhead = 16; // the lines are gathered in time order: fetch ahead
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i + kAhead < keys.size())
            __builtin_prefetch(all.utf16() + keys[i + kAhead].start);
        const QStringView r = all.sliced(keys[i].start, keys[i].end - keys[i].start);
        out.append(r);
        if (i + 1 < keys.size() && !r.endsWith(kCrLf)) {
            out.append(kCrLfUtf16);
            movedBreak = true;
        }
    }
    if (movedBreak && out.endsWith(kCrLfUtf16))
        out.truncate(out.size() - 2);
    out.append(all.sliced(lastLineEnd));
    return out.take();
}

QString RepairKaraokeReversals(QStringView text)
{
    struct Full {
        qsizetype position;
        int msec;
        qsizetype source; // index of the tag whose text it takes
    };
    std::vector<Full> tags;
    tags.reserve(size_t(text.size() / 16));
    const char16_t* chars = text.utf16();
    for (qsizetype p = 0; p + kFullTagLength <= text.size();) {
        if (chars[p] != u'[' || !IsFullTagAt(text, p)) {
            ++p;
            continue;
        }
        auto two = [chars](qsizetype at) { return (chars[at] - u'0') * 10 + (chars[at + 1] - u'0'); };
        tags.push_back({p, two(p + 1) * 60000 + two(p + 4) * 1000 + two(p + 7) * 10, qsizetype(tags.size())});
        p += kFullTagLength;
    }
    if (tags.size() < 2)
        return text.toString();
    // Stepping back after each repair makes every tag the smallest of itself and all
    // tags after it: a suffix minimum, taken from the right.
    for (qsizetype i = qsizetype(tags.size()) - 2; i >= 0; --i) {
        if (tags[size_t(i) + 1].msec < tags[size_t(i)].msec) {
            tags[size_t(i)].msec = tags[size_t(i) + 1].msec;
            tags[size_t(i)].source = tags[size_t(i) + 1].source;
        }
    }
    TextBuilder out(text.size());
    qsizetype from = 0;
    for (const Full& t : tags) {
        out.append(text.sliced(from, t.position - from));
        out.append(text.sliced(tags[size_t(t.source)].position, kFullTagLength));
        from = t.position + kFullTagLength;
    }
    out.append(text.sliced(from));
    return out.take();
}

namespace {

/// DecomposeAdvanceLine without rebuilding the line's text: `a.Text` stays empty.
void DecomposeParts(QStringView line, QStringView terminator, AdvanceLine& a)
{
    a.Terminator = terminator;
    const TagMatch first = FindNextTag(line);
    if (!first.found())
        return;
    a.Tagged = true;
    const bool severalTags = FindNextTag(line, first.end()).found();
    const TagSplit head = SplitAtFirstFullTag(line);
    a.Before = head.before;
    a.HeadTag = head.tag;
    if (severalTags) {
        const QStringView rest = ChopTrailingBlanks(head.after);
        if (rest.size() == kFullTagLength && IsFullTagAt(rest, 0)) {
            a.HeadTag = rest; // the former head tag was an inserted advance tag
        } else {
            const TagSplit last = SplitAtLastFullTag(rest);
            a.Middle = last.before;
            a.LastTag = last.tag;
            a.After = last.after;
            if (a.Before.isEmpty() && IsFullTagAt(a.Middle, 0)) {
                a.HeadTag = a.Middle.first(kFullTagLength);
                a.Middle = a.Middle.sliced(kFullTagLength);
            }
            if (a.After.isEmpty() && IsFullTagAt(a.Middle, a.Middle.size() - kFullTagLength)) {
                a.LastTag = a.Middle.last(kFullTagLength);
                a.Middle.chop(kFullTagLength);
            }
            if (a.Middle == QLatin1String(" ") || a.Middle == QStringView(u"\u3000"))
                a.Middle = QStringView();
        }
        if (a.Before.isEmpty() && a.Middle.isEmpty() && a.After.isEmpty()) {
            a.NoLastTag = true;
            a.LastTag = QStringView();
        }
    } else {
        a.After = head.after;
        a.NoLastTag = true;
    }
    a.HeadMs = ParseTimeTag(a.HeadTag);
    a.LastMs = a.LastTag.isEmpty() ? 0 : ParseTimeTag(a.LastTag);
}

/// Appends the text DecomposeAdvanceLine gives a tagged line, or `line` itself for an
/// untagged one, optionally without its trailing blanks.
void AppendLineText(TextBuilder& out, const AdvanceLine& a, QStringView line, bool chopBlanks)
{
    const qsizetype start = out.size();
    if (!a.Tagged) {
        out.append(line);
    } else {
        out.append(a.Before);
        out.append(a.HeadTag);
        out.append(a.Middle);
        out.append(a.LastTag);
        out.append(a.After);
    }
    if (chopBlanks) {
        qsizetype n = out.size();
        while (n > start && out.at(n - 1) == u' ')
            --n;
        out.truncate(n);
    }
}

/// Where the line holding position `pos` starts (lines end at CR LF).
qsizetype LineStartOf(QStringView text, qsizetype pos)
{
    const char16_t* chars = text.utf16();
    for (qsizetype q = pos - 2; q >= 0; --q) {
        if (chars[q] == u'\r' && chars[q + 1] == u'\n')
            return q + 2;
    }
    return 0;
}

} // namespace

AdvanceLine DecomposeAdvanceLine(QStringView line, QStringView terminator)
{
    AdvanceLine a;
    DecomposeParts(line, terminator, a);
    if (!a.Tagged) {
        a.Text = line.toString();
        return a;
    }
    a.Text.reserve(line.size());
    a.Text.append(a.Before).append(a.HeadTag).append(a.Middle).append(a.LastTag).append(a.After);
    return a;
}

namespace {

struct TaggedSpan {
    qsizetype firstLine = -1; // where the first tagged line starts
    qsizetype lastLine = -1;  // where the last tagged line starts
};

// The first and last tagged lines, when every tag is written as "[mm:ss:hh]" and the
// tags span more than one line; otherwise nothing, and the text stays as it is.
std::optional<TaggedSpan> FindTaggedSpan(QStringView text)
{
    qsizetype firstTag = -1, lastTag = -1;
    for (TagMatch m = FindNextTag(text); m.found(); m = FindNextTag(text, m.end())) {
        if (!IsWrittenFullTag(m))
            return std::nullopt;
        if (firstTag < 0)
            firstTag = m.position;
        lastTag = m.position;
    }
    if (firstTag < 0)
        return std::nullopt;
    const TaggedSpan span{LineStartOf(text, firstTag), LineStartOf(text, lastTag)};
    if (span.firstLine == span.lastLine)
        return std::nullopt;
    return span;
}

// Ends the previous tagged line with the advance tag of `line` (when the previous line is
// open and `line` starts with its tag), then writes the untagged lines held back between
// them, then `line` itself.
void EmitTaggedLine(TextBuilder& out, const AdvanceLine& prev, AdvanceLine& line, TextBuilder& pending, int maxAdvance,
                    bool isLast)
{
    const bool prevOpen = prev.NoLastTag || (prev.After.isEmpty() && !prev.Middle.isEmpty() && !prev.LastTag.isEmpty());
    const bool startsWithTag = line.Before.isEmpty();
    char16_t advance[12];
    qsizetype advanceLength = 0;
    if (prevOpen && startsWithTag) {
        qint64 gap = qint64(line.HeadMs) - prev.LastMs;
        if (gap >= 1)
            advanceLength = WriteTimeTag(advance, line.HeadMs - std::min<qint64>(gap, maxAdvance), TagLayout::Hundredths) - advance;
    }
    if (line.NoLastTag)
        line.Middle = QStringView(kBlank);
    out.append(QStringView(advance, advanceLength));
    out.append(prev.Terminator);
    out.append(pending.view());
    pending.truncate(0);
    const qsizetype emittedStart = out.size();
    out.append(line.Before);
    out.append(QStringView(advance, advanceLength));
    out.append(line.HeadTag);
    out.append(line.Middle);
    out.append(line.LastTag);
    out.append(line.After);
    if (isLast) {
        // A closing line of tags only ("[advance][head] ") gets its head tag again, so
        // that it keeps a last tag.
        const QStringView emitted = out.view().sliced(emittedStart);
        if (emitted.size() == 2 * kFullTagLength + 1 && CountFullTags(emitted) >= 2)
            out.append(line.HeadTag);
        out.append(line.Terminator);
    }
}

} // namespace

QString AdjustLineAdvance(QStringView text, int maxAdvanceMsec, bool removeMode)
{
    const std::optional<TaggedSpan> span = FindTaggedSpan(text);
    if (!span)
        return text.toString();
    const qsizetype firstTagged = span->firstLine;
    const qsizetype lastTagged = span->lastLine;

    // The lines between the first and the last tagged one are taken one at a time.
    TextBuilder out(text.size() + text.size() / 4 + 32);
    const int maxAdvance = std::max(0, maxAdvanceMsec);
    AdvanceLine prev;
    AdvanceLine line;
    TextBuilder pending(256);
    ForEachLine(text, [&](QStringView l, QStringView terminator) {
        const qsizetype start = l.utf16() - text.utf16();
        line = AdvanceLine();
        if (start >= firstTagged && start <= lastTagged)
            DecomposeParts(l, terminator, line);
        else
            line.Terminator = terminator;
        if (removeMode || start < firstTagged) {
            AppendLineText(out, line, l, true);
            out.append(terminator);
        } else if (start == firstTagged) {
            AppendLineText(out, line, l, true);
            prev = line;
        } else if (start > lastTagged) {
            AppendLineText(out, line, l, false);
            out.append(terminator);
        } else if (!line.Tagged) {
            AppendLineText(pending, line, l, true);
            pending.append(terminator);
        } else {
            EmitTaggedLine(out, prev, line, pending, maxAdvance, start == lastTagged);
            prev = line;
        }
    });
    return out.take();
}

QString StripKaraokeTags(QStringView text)
{
    return KeepLeadingTagOnly(AdjustLineAdvance(text, 0, true));
}

std::vector<TagOrderEntry> ScanTagOrder(QStringView text)
{
    std::vector<TagOrderEntry> entries;
    int previous = 0;
    bool first = true;
    for (TagMatch m = FindNextTag(text); m.found(); m = FindNextTag(text, m.end())) {
        const int ms = m.msec();
        entries.push_back({m.position, m.length, ms, !first && ms < previous});
        previous = ms;
        first = false;
    }
    return entries;
}

std::optional<int> MaxAdvanceFromText(QStringView text)
{
    const std::optional<double> seconds = ParseNumber(text);
    if (!seconds || !std::isfinite(*seconds))
        return std::nullopt;
    const double hundredths = std::nearbyint(*seconds * 100);
    if (hundredths < 0 || hundredths * 10 > 999000)
        return std::nullopt;
    return int(hundredths) * 10;
}

int SlideAmountFromText(QStringView text)
{
    return std::clamp(RoundToInt(ParseLeadingNumber(text).value_or(0)), -32000, 32000);
}

std::optional<QString> SlideTextReplacement(QStringView text)
{
    const double v = ParseLeadingNumber(text).value_or(0);
    if (v > 32000)
        return QStringLiteral("32000");
    if (v < -32000)
        return QStringLiteral("-32000");
    return std::nullopt;
}

} // namespace lyrics
