#include "lyrics/tagops.h"

#include "lyrics/numbers.h"

#include <algorithm>
#include <cmath>

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
    return RewriteTags(text, [layout](const TagMatch& m, QString& out) { AppendTimeTag(out, m.msec(), layout); });
}

QString ShiftAllTags(QStringView text, qint64 msec)
{
    return RewriteTags(text, [msec](const TagMatch& m, QString& out) { AppendTimeTag(out, m.msec() + msec, m.layout); });
}

QString NormalizeLineHeadTags(QStringView text)
{
    // Expand: one line per tag, each tag followed by the text behind the line's last tag.
    struct Record {
        int msec;
        qsizetype start; // of its tag in `expanded`
        qsizetype end;
    };
    QString expanded;
    expanded.reserve(text.size() + text.size() / 4 + 16);
    std::vector<Record> records;
    qsizetype lastLineEnd = 0; // end of the expanded line of the last tag, terminator included
    std::vector<TagMatch> tags;
    ForEachLine(text, [&](QStringView line, QStringView terminator) {
        tags.clear();
        for (TagMatch m = FindNextTag(line); m.found(); m = FindNextTag(line, m.end()))
            tags.push_back(m);
        if (tags.empty()) {
            expanded.append(line).append(terminator);
            return;
        }
        const QStringView lineText = line.sliced(tags.back().end());
        for (size_t k = 0; k < tags.size(); ++k) {
            records.push_back({tags[k].msec(), expanded.size(), 0});
            tags[k].appendNormalized(expanded);
            expanded.append(lineText);
            // A last line without a line break still gets one between its copies.
            expanded.append(k + 1 < tags.size() ? QStringView(kCrLfUtf16) : terminator);
            lastLineEnd = expanded.size();
        }
    });
    if (records.empty())
        return expanded;

    // Each record runs to the next tag; the last one to its line's end.
    for (size_t i = 0; i + 1 < records.size(); ++i)
        records[i].end = records[i + 1].start;
    records.back().end = lastLineEnd;
    const qsizetype preambleEnd = records.front().start;
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.msec < b.msec; });

    const QStringView all(expanded);
    QString out;
    out.reserve(expanded.size() + 2);
    out.append(all.first(preambleEnd));
    // Only the text's last line can lack a line break; a record without one that no
    // longer comes last lends its missing break to the end of the text instead.
    bool movedBreak = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const QStringView r = all.sliced(records[i].start, records[i].end - records[i].start);
        out.append(r);
        if (i + 1 < records.size() && !r.endsWith(kCrLf)) {
            out.append(kCrLf);
            movedBreak = true;
        }
    }
    if (movedBreak && out.endsWith(kCrLf))
        out.chop(2);
    out.append(all.sliced(lastLineEnd));
    return out;
}

QString RepairKaraokeReversals(QStringView text)
{
    struct Full {
        qsizetype position;
        int msec;
        qsizetype source; // index of the tag whose text it takes
    };
    std::vector<Full> tags;
    qsizetype offset = 0;
    for (QStringView rest = text;;) {
        const TagSplit s = SplitAtFirstFullTag(rest);
        if (s.tag.isEmpty())
            break;
        const qsizetype pos = offset + s.before.size();
        tags.push_back({pos, ParseTimeTag(s.tag), qsizetype(tags.size())});
        offset = pos + kFullTagLength;
        rest = s.after;
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
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (const Full& t : tags) {
        out.append(text.sliced(from, t.position - from));
        out.append(text.sliced(tags[size_t(t.source)].position, kFullTagLength));
        from = t.position + kFullTagLength;
    }
    out.append(text.sliced(from));
    return out;
}

AdvanceLine DecomposeAdvanceLine(QStringView line, QStringView terminator)
{
    AdvanceLine a;
    a.Terminator = terminator;
    const TagMatch first = FindNextTag(line);
    if (!first.found()) {
        a.Text = line.toString();
        return a;
    }
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
    a.Text.reserve(line.size());
    a.Text.append(a.Before).append(a.HeadTag).append(a.Middle).append(a.LastTag).append(a.After);
    return a;
}

QString AdjustLineAdvance(QStringView text, int maxAdvanceMsec, bool removeMode)
{
    // Only texts whose every tag is written as "[mm:ss:hh]" are handled.
    for (TagMatch m = FindNextTag(text); m.found(); m = FindNextTag(text, m.end())) {
        if (!IsWrittenFullTag(m))
            return text.toString();
    }
    std::vector<AdvanceLine> lines;
    qsizetype firstTagged = -1, lastTagged = -1;
    ForEachLine(text, [&](QStringView line, QStringView terminator) {
        lines.push_back(DecomposeAdvanceLine(line, terminator));
        if (lines.back().Tagged) {
            if (firstTagged < 0)
                firstTagged = qsizetype(lines.size()) - 1;
            lastTagged = qsizetype(lines.size()) - 1;
        }
    });
    if (firstTagged < 0 || firstTagged == lastTagged)
        return text.toString();

    QString out;
    out.reserve(text.size() + text.size() / 4 + 32);
    if (removeMode) {
        for (const AdvanceLine& l : lines)
            out.append(ChopTrailingBlanks(l.Text)).append(l.Terminator);
        return out;
    }

    const int maxAdvance = std::max(0, maxAdvanceMsec);
    for (qsizetype i = 0; i <= firstTagged; ++i) {
        out.append(ChopTrailingBlanks(lines[size_t(i)].Text));
        if (i < firstTagged)
            out.append(lines[size_t(i)].Terminator);
    }
    const AdvanceLine* prev = &lines[size_t(firstTagged)];
    QString pending;
    QString emitted;
    for (qsizetype j = firstTagged + 1; j <= lastTagged; ++j) {
        AdvanceLine& line = lines[size_t(j)];
        if (!line.Tagged) {
            pending.append(ChopTrailingBlanks(line.Text)).append(line.Terminator);
            continue;
        }
        const bool prevOpen = prev->NoLastTag || (prev->After.isEmpty() && !prev->Middle.isEmpty() && !prev->LastTag.isEmpty());
        const bool startsWithTag = line.Before.isEmpty();
        QString advance;
        if (prevOpen && startsWithTag) {
            qint64 gap = qint64(line.HeadMs) - prev->LastMs;
            if (gap >= 1)
                advance = FormatTimeTag(line.HeadMs - std::min<qint64>(gap, maxAdvance), TagLayout::Hundredths);
        }
        if (line.NoLastTag)
            line.Middle = QStringView(kBlank);
        emitted.clear();
        emitted.append(line.Before).append(advance).append(line.HeadTag).append(line.Middle).append(line.LastTag).append(line.After);
        out.append(advance).append(prev->Terminator).append(pending).append(emitted);
        pending.clear();
        prev = &line;
    }
    // A closing line of tags only ("[advance][head] ") gets its head tag again, so that
    // it keeps a last tag.
    if (emitted.size() == 2 * kFullTagLength + 1 && CountFullTags(emitted) >= 2)
        out.append(prev->HeadTag);
    out.append(prev->Terminator);
    for (size_t i = size_t(lastTagged) + 1; i < lines.size(); ++i)
        out.append(lines[i].Text).append(lines[i].Terminator);
    return out;
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
