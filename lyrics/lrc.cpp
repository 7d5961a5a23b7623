#include "lyrics/lrc.h"

#include "common/atomicfile.h"
#include "common/codepage.h"
#include "common/textfile.h"

#include <QFile>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>
#include <vector>

namespace lyrics {
namespace {

const QLatin1StringView kCrLf("\r\n");
const QLatin1StringView kCarriedKey("mwex");
const QLatin1StringView kRatioKey("mwex-ratio");

/// One LRC time as written: "[01:23.45]" or "<01:23.45>".
struct Stamp {
    qint64 ms = 0;
    int digits = 0; // fraction digits: 0 (none) to 3
};

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

bool AllBlank(QStringView s)
{
    return std::all_of(s.begin(), s.end(), IsBlank);
}

/// Reads `open` minutes ":" seconds ("." fraction)? `close` at `pos`. Minutes may have
/// any number of digits (up to 6 are read; a larger time is refused by the caller's
/// range check), seconds 1 or 2, the fraction 1 to 3.
bool ParseStamp(QStringView s, qsizetype pos, char16_t open, char16_t close, Stamp* out, qsizetype* end)
{
    const qsizetype n = s.size();
    if (pos >= n || s[pos].unicode() != open)
        return false;
    qsizetype p = pos + 1;
    qint64 minutes = 0;
    qsizetype d = 0;
    while (p < n && IsDigit(s[p]) && d < 6) {
        minutes = minutes * 10 + (s[p].unicode() - u'0');
        ++p, ++d;
    }
    if (d == 0 || p >= n || s[p] != QLatin1Char(':'))
        return false;
    ++p;
    int seconds = 0;
    d = 0;
    while (p < n && IsDigit(s[p]) && d < 2) {
        seconds = seconds * 10 + (s[p].unicode() - u'0');
        ++p, ++d;
    }
    if (d == 0 || p >= n)
        return false;
    int fraction = 0;
    int digits = 0;
    if (s[p] == QLatin1Char('.')) {
        ++p;
        while (p < n && IsDigit(s[p]) && digits < 3) {
            fraction = fraction * 10 + (s[p].unicode() - u'0');
            ++p, ++digits;
        }
        if (digits == 0 || p >= n)
            return false;
    }
    if (s[p].unicode() != close)
        return false;
    static const int kUnit[] = {0, 100, 10, 1};
    out->ms = minutes * 60000 + seconds * 1000 + fraction * kUnit[digits];
    out->digits = digits;
    *end = p + 1;
    return true;
}

/// "[key:value]" filling a whole line (blanks after it allowed). The key is letters,
/// digits, "#", "-" or "_" and not only digits, so that no time tag is taken for one.
bool ParseIdTag(QStringView line, QStringView* key, QStringView* value)
{
    while (!line.isEmpty() && IsBlank(line.back()))
        line.chop(1);
    if (line.size() < 3 || line.front() != QLatin1Char('[') || line.back() != QLatin1Char(']'))
        return false;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return false;
    bool nonDigit = false;
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = line[i];
        const bool ok = c.isLetterOrNumber() || c == QLatin1Char('#') || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!ok || c.unicode() > 0x7F)
            return false;
        nonDigit |= !IsDigit(c);
    }
    if (!nonDigit)
        return false;
    *key = line.sliced(1, colon - 1);
    *value = line.sliced(colon + 1, line.size() - colon - 2);
    return true;
}

bool KeyIs(QStringView key, QLatin1StringView name)
{
    return key.compare(name, Qt::CaseInsensitive) == 0;
}

/// The ID tags that stand for @ lines (and our own markers).
bool IsMappedKey(QStringView key)
{
    for (const char* k : {"ti", "ar", "al", "by", "offset", "mwex", "mwex-ratio"})
        if (KeyIs(key, QLatin1StringView(k)))
            return true;
    return false;
}

/// Calls `f(line)` for each line without its break; returns whether the text ends
/// with a line break. Lines end at LF (a CR in front of it dropped), or at CR in a text
/// without any LF.
template<class F>
bool ForEachLine(QStringView text, F&& f)
{
    const QChar brk = text.contains(QLatin1Char('\n')) ? QLatin1Char('\n') : QLatin1Char('\r');
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype p = text.indexOf(brk, from);
        const bool last = p < 0;
        if (last)
            p = text.size();
        QStringView line = text.sliced(from, p - from);
        if (brk == QLatin1Char('\n') && line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        f(line);
        if (last)
            return false;
        from = p + 1;
    }
    return !text.isEmpty();
}

bool StartsWithKey(QStringView line, QLatin1StringView key)
{
    return line.startsWith(key, Qt::CaseInsensitive);
}

/// Whether an @ line states the time base of the tags.
bool StatesTimeBase(QStringView line)
{
    return StartsWithKey(line, QLatin1StringView("@timeratio")) || StartsWithKey(line, QLatin1StringView("@timetype"));
}

/// Where the program's block writes "@TimeRatio=": after the song facts, in front of
/// the offset, silence and tagger lines.
qsizetype RatioLinePosition(const QStringList& block)
{
    for (qsizetype i = 0; i < block.size(); ++i) {
        for (const char* k : {"@offset", "@silencemsec", "@taggingby", "@editedby"})
            if (StartsWithKey(block[i], QLatin1StringView(k)))
                return i;
    }
    return block.size();
}

/// An optionally signed whole number of at most 9 digits.
std::optional<int> ParseOffset(QStringView v)
{
    v = v.trimmed();
    bool negative = false;
    if (!v.isEmpty() && (v.front() == QLatin1Char('+') || v.front() == QLatin1Char('-'))) {
        negative = v.front() == QLatin1Char('-');
        v = v.sliced(1);
    }
    if (v.isEmpty() || v.size() > 9 || !std::all_of(v.begin(), v.end(), IsDigit))
        return std::nullopt;
    const int n = v.toInt();
    return negative ? -n : n;
}

int LayoutUnit(TagLayout layout)
{
    switch (layout) {
    case TagLayout::Seconds: return 1000;
    case TagLayout::Tenths: return 100;
    case TagLayout::Hundredths: return 10;
    case TagLayout::Millis: return 1;
    }
    return 1;
}

TagLayout LayoutFor(int digits, LrcLayout choice)
{
    switch (choice) {
    case LrcLayout::Hundredths: return TagLayout::Hundredths;
    case LrcLayout::Seconds: return TagLayout::Seconds;
    case LrcLayout::Millis: return TagLayout::Millis;
    case LrcLayout::Auto: return digits == 3 ? TagLayout::Millis : TagLayout::Hundredths;
    case LrcLayout::Keep: break;
    }
    static const TagLayout kByDigits[] = {TagLayout::Seconds, TagLayout::Tenths, TagLayout::Hundredths, TagLayout::Millis};
    return kByDigits[digits];
}

/// `ms` scaled by `ratio` onto the layout's grid (rounded to the nearest unit).
qint64 Scaled(qint64 ms, double ratio, int unit)
{
    if (ratio == 1)
        return ms;
    return std::llround(double(ms) * ratio / unit) * unit;
}

/// Appends "01:23.45" (or .456) between `open` and `close`; minutes get as many digits
/// as they need, at least two.
void AppendLrcTime(QString& out, qint64 ms, bool millis, char16_t open, char16_t close)
{
    char16_t buf[32];
    int n = 0;
    buf[n++] = open;
    const qint64 minutes = ms / 60000;
    char16_t digits[20];
    int m = 0;
    qint64 v = minutes;
    do {
        digits[m++] = char16_t(u'0' + v % 10);
        v /= 10;
    } while (v > 0);
    if (m < 2)
        digits[m++] = u'0';
    while (m > 0)
        buf[n++] = digits[--m];
    const int seconds = int(ms % 60000 / 1000);
    const int frac = int(ms % 1000);
    buf[n++] = u':';
    buf[n++] = char16_t(u'0' + seconds / 10);
    buf[n++] = char16_t(u'0' + seconds % 10);
    buf[n++] = u'.';
    if (millis) {
        buf[n++] = char16_t(u'0' + frac / 100);
        buf[n++] = char16_t(u'0' + frac / 10 % 10);
        buf[n++] = char16_t(u'0' + frac % 10);
    } else {
        buf[n++] = char16_t(u'0' + frac / 100);
        buf[n++] = char16_t(u'0' + frac / 10 % 10);
    }
    buf[n++] = close;
    out.append(QStringView(buf, n));
}

// ---- Import -----------------------------------------------------------------------

struct ImportLine {
    enum Kind { Text, Timed } kind = Text;
    QStringView text;                  // the whole line (Text) or what follows the time tags (Timed)
    QVarLengthArray<Stamp, 2> heads;   // the line's time tags
    qsizetype number = 0;              // 1-based, for messages
};

/// One output line: a line of the source, with all its heads or one of them.
struct ImportEntry {
    qsizetype line = 0;
    int head = -1;     // -1: every head of the line
    qint64 sortMs = 0; // the time it is ordered by (source time)
};

bool HasWordTags(QStringView body)
{
    for (qsizetype p = body.indexOf(QLatin1Char('<')); p >= 0; p = body.indexOf(QLatin1Char('<'), p + 1)) {
        Stamp w;
        qsizetype end = 0;
        if (ParseStamp(body, p, u'<', u'>', &w, &end))
            return true;
    }
    return false;
}

class Importer {
public:
    Importer(const LrcImportOptions& options, double ratio) : o_(options), ratio_(ratio) {}

    /// The tag for a source time; false when the result is beyond what a tag holds.
    bool AppendTag(QString& out, qint64 ms, int digits)
    {
        const TagLayout layout = LayoutFor(digits, o_.layout);
        const qint64 v = Scaled(ms, ratio_, LayoutUnit(layout));
        if (ms > kMaxTagMsec || v > kMaxTagMsec || v < 0)
            return false;
        AppendTimeTag(out, v, layout);
        return true;
    }

    /// Writes one entry; `closing` is the next entry's first time when lines are closed.
    bool Write(QString& out, const ImportLine& line, int head, const Stamp* closing)
    {
        const Stamp& first = line.heads[head < 0 ? 0 : head];
        if (head < 0) {
            for (const Stamp& h : line.heads)
                if (!AppendTag(out, h.ms, h.digits))
                    return false;
        } else if (!AppendTag(out, first.ms, first.digits)) {
            return false;
        }
        const qint64 shift = first.ms - line.heads[0].ms;
        const QStringView body = line.text;
        qsizetype from = 0;
        bool words = false;
        qint64 lastWord = -1;
        // "[00:16.00]<00:16.30>end": one word, starting later than its line. Written as
        // "[00:16:00][00:16:30]end" it would read as a line sung twice, so the line's own
        // time stands for the word.
        Stamp lone;
        qsizetype loneEnd = 0;
        const bool loneWord = ParseStamp(body, 0, u'<', u'>', &lone, &loneEnd) && !HasWordTags(body.sliced(loneEnd));
        for (qsizetype p = body.indexOf(QLatin1Char('<')); p >= 0; p = body.indexOf(QLatin1Char('<'), p + 1)) {
            Stamp w;
            qsizetype end = 0;
            if (!ParseStamp(body, p, u'<', u'>', &w, &end))
                continue;
            out.append(body.sliced(from, p - from));
            // "[00:12.00]<00:12.00>Hel": the first word starts with the line; one tag says both.
            const bool sameAsHead = !words && p == 0 && (w.ms == line.heads[0].ms || loneWord);
            if (!sameAsHead && !AppendTag(out, w.ms + shift, w.digits))
                return false;
            words = true;
            lastWord = w.ms + shift;
            from = end;
            p = end - 1;
        }
        out.append(body.sliced(from));
        if (closing && words && from < body.size() && closing->ms >= lastWord) {
            if (!AppendTag(out, closing->ms, closing->digits))
                return false;
        }
        return true;
    }

private:
    const LrcImportOptions& o_;
    double ratio_;
};

// ---- Export -----------------------------------------------------------------------

/// The ID tag for an @ line the LRC format has a tag for, or nullopt.
std::optional<QString> MappedIdTag(QStringView line)
{
    struct Map {
        const char* key;
        const char* tag;
    };
    static const Map kMap[] = {{"@title", "ti"}, {"@artist", "ar"}, {"@album", "al"}, {"@taggingby", "by"}, {"@offset", "offset"}};
    for (const Map& m : kMap) {
        const QLatin1StringView key(m.key);
        if (!StartsWithKey(line, key))
            continue;
        QStringView v = line.sliced(key.size());
        if (!v.isEmpty() && v.front() != QLatin1Char('=') && !IsBlank(v.front()))
            return std::nullopt; // a longer key
        while (!v.isEmpty() && (v.front() == QLatin1Char('=') || IsBlank(v.front())))
            v = v.sliced(1);
        while (!v.isEmpty() && IsBlank(v.back()))
            v.chop(1);
        QString out = QLatin1Char('[') + QLatin1StringView(m.tag) + QLatin1Char(':');
        if (QLatin1StringView(m.tag) == QLatin1StringView("offset")) {
            const std::optional<int> n = ParseOffset(v);
            if (!n)
                return std::nullopt;
            // The program adds its offset; LRC's positive offset moves the lyrics earlier.
            const int lrc = -*n;
            out += lrc > 0 ? QLatin1Char('+') + QString::number(lrc) : QString::number(lrc);
        } else {
            out += v;
        }
        return out + QLatin1Char(']');
    }
    return std::nullopt;
}

} // namespace

namespace {

struct LrcScan {
    bool dotted = false;    // an LRC time with a fraction, "[00:12.34]" or "<00:12.34>"
    bool program = false;   // a program tag with a fraction, "[00:12:34]"
    bool idTag = false;     // an ID tag that stands for an @ line
    bool plainHead = false; // a line starting with "[mm:ss]", which both read alike
};

LrcScan Scan(QStringView text)
{
    LrcScan f;
    ForEachLine(text, [&](QStringView line) {
        if (f.dotted && f.program)
            return;
        QStringView key, value;
        if (ParseIdTag(line, &key, &value)) {
            f.idTag |= IsMappedKey(key);
            return;
        }
        Stamp s;
        qsizetype end = 0;
        if (ParseStamp(line, 0, u'[', u']', &s, &end) && s.digits == 0)
            f.plainHead = true;
        for (qsizetype p = 0; p < line.size(); ++p) {
            const char16_t c = line[p].unicode();
            if (c != u'[' && c != u'<')
                continue;
            if (ParseStamp(line, p, c, c == u'[' ? u']' : u'>', &s, &end)) {
                f.dotted |= s.digits > 0;
                continue;
            }
            TagMatch m;
            if (c == u'[' && MatchTagAt(line, p, &m) && m.layout != TagLayout::Seconds)
                f.program = true;
        }
    });
    return f;
}

} // namespace

LrcContent DetectLrc(QStringView text)
{
    const LrcScan f = Scan(text);
    if (f.dotted)
        return f.program ? LrcContent::Mixed : LrcContent::Lrc;
    return !f.program && f.idTag && f.plainHead ? LrcContent::Lrc : LrcContent::None;
}

namespace {

/// An LRC text read line by line: its lines, and the @ block its ID tags make.
struct ImportSource {
    std::vector<ImportLine> lines;
    QStringList block;
    std::optional<double> recorded; // the ratio the file records ([mwex-ratio:])
    bool repeats = false;           // a line with several time tags
    bool endsWithBreak = false;
};

/// The @ line (or recorded ratio) for an ID tag; false when the tag stays a text line.
bool TakeIdTag(QStringView key, QStringView value, ImportSource& src, LrcImportResult& r)
{
    if (KeyIs(key, QLatin1StringView("ti")) || KeyIs(key, QLatin1StringView("ar")) || KeyIs(key, QLatin1StringView("al"))
        || KeyIs(key, QLatin1StringView("by"))) {
        const QString v = value.trimmed().toString();
        const char* at = KeyIs(key, QLatin1StringView("ti"))   ? "@Title="
                         : KeyIs(key, QLatin1StringView("ar")) ? "@Artist="
                         : KeyIs(key, QLatin1StringView("al")) ? "@Album="
                                                                : "@TaggingBy=";
        src.block << QLatin1StringView(at) + v;
        if (r.title.isEmpty() && KeyIs(key, QLatin1StringView("ti")))
            r.title = v;
        if (r.artist.isEmpty() && KeyIs(key, QLatin1StringView("ar")))
            r.artist = v;
        return true;
    }
    if (KeyIs(key, QLatin1StringView("offset"))) {
        if (const std::optional<int> n = ParseOffset(value)) {
            src.block << QStringLiteral("@Offset=") + QString::number(-*n);
            return true;
        }
    } else if (KeyIs(key, kCarriedKey) && value.startsWith(QLatin1Char('@'))) {
        src.block << value.toString();
        return true;
    } else if (KeyIs(key, kRatioKey)) {
        bool ok = false;
        const double v = value.trimmed().toDouble(&ok);
        if (ok && std::isfinite(v) && v > 0) {
            src.recorded = v;
            return true;
        }
    }
    // Any other ID tag stays as it is, as a plain text line.
    return false;
}

ImportSource ReadImportSource(QStringView lrc, LrcImportResult& r)
{
    ImportSource src;
    src.lines.reserve(size_t(lrc.size() / 24 + 4));
    qsizetype number = 0;
    src.endsWithBreak = ForEachLine(lrc, [&](QStringView text) {
        ++number;
        QStringView key, value;
        if (ParseIdTag(text, &key, &value) && TakeIdTag(key, value, src, r))
            return;
        ImportLine line;
        line.number = number;
        qsizetype pos = 0;
        Stamp s;
        qsizetype end = 0;
        while (ParseStamp(text, pos, u'[', u']', &s, &end)) {
            line.heads.append(s);
            pos = end;
        }
        if (line.heads.isEmpty()) {
            line.text = text;
        } else {
            line.kind = ImportLine::Timed;
            line.text = text.sliced(pos);
            src.repeats |= line.heads.size() > 1;
        }
        src.lines.push_back(std::move(line));
    });
    return src;
}

/// The time base: the paired song's, else the one the file records, else standard.
/// States it in the block where the file does not.
double ImportRatio(const LrcImportOptions& o, ImportSource& src, LrcImportResult& r)
{
    double ratio = 1;
    QStringList& block = src.block;
    if (o.songRatio) {
        ratio = *o.songRatio;
        r.timeBase = LrcTimeBase::SongRatio;
        block.removeIf([](const QString& l) { return StatesTimeBase(l); });
        block.insert(RatioLinePosition(block), QStringLiteral("@TimeRatio=") + FormatRatio(ratio));
    } else if (src.recorded) {
        ratio = *src.recorded;
    } else if (std::any_of(block.begin(), block.end(), [](const QString& l) { return StatesTimeBase(l); })) {
        ratio = ReadCorrectionData(block.join(kCrLf) + kCrLf, o.userTimeIsWinAmp).data.TimeRatio;
    } else {
        block.insert(RatioLinePosition(block), QStringLiteral("@TimeRatio=1"));
    }
    if (!o.songRatio && ratio != 1)
        r.timeBase = LrcTimeBase::RecordedRatio;
    return ratio;
}

/// Time order, each timed line taking the untimed lines behind it along; lines in front
/// of the first timed line stay on top.
std::vector<ImportEntry> SortedByTime(const std::vector<ImportEntry>& entries, const std::vector<ImportLine>& lines)
{
    struct Group {
        size_t from, to;
        qint64 ms;
    };
    std::vector<Group> groups;
    for (size_t e = 0; e < entries.size(); ++e) {
        const bool timed = lines[size_t(entries[e].line)].kind == ImportLine::Timed;
        if (timed || groups.empty())
            groups.push_back({e, e + 1, timed ? entries[e].sortMs : -1});
        else
            groups.back().to = e + 1;
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) { return a.ms < b.ms; });
    std::vector<ImportEntry> sorted;
    sorted.reserve(entries.size());
    for (const Group& g : groups)
        sorted.insert(sorted.end(), entries.begin() + qsizetype(g.from), entries.begin() + qsizetype(g.to));
    return sorted;
}

/// One entry per line, or per time of a line with several when they are expanded (a
/// word-timed line always: its word times belong to one singing of it).
std::vector<ImportEntry> ImportEntries(const ImportSource& src, const LrcImportOptions& o)
{
    const std::vector<ImportLine>& lines = src.lines;
    std::vector<ImportEntry> entries;
    entries.reserve(lines.size() + 8);
    bool expanded = false;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const ImportLine& l = lines[size_t(i)];
        if (l.kind == ImportLine::Text || l.heads.size() == 1) {
            entries.push_back({i, l.kind == ImportLine::Text ? -1 : 0, l.kind == ImportLine::Text ? 0 : l.heads[0].ms});
        } else if (o.expandRepeats || HasWordTags(l.text)) {
            expanded = true;
            for (int h = 0; h < l.heads.size(); ++h)
                entries.push_back({i, h, l.heads[h].ms});
        } else {
            entries.push_back({i, -1, l.heads[0].ms});
        }
    }
    if (expanded && src.repeats)
        return SortedByTime(entries, lines);
    return entries;
}

/// For each entry, the first time of the next timed entry when karaoke lines are closed.
std::vector<const Stamp*> ClosingTimes(const std::vector<ImportEntry>& entries, const std::vector<ImportLine>& lines,
                                       bool closeKaraokeLines)
{
    std::vector<const Stamp*> next(entries.size(), nullptr);
    if (!closeKaraokeLines)
        return next;
    const Stamp* following = nullptr;
    for (size_t e = entries.size(); e-- > 0;) {
        next[e] = following;
        const ImportLine& l = lines[size_t(entries[e].line)];
        if (l.kind == ImportLine::Timed)
            following = &l.heads[entries[e].head < 0 ? 0 : entries[e].head];
    }
    return next;
}

} // namespace

LrcImportResult ImportLrc(QStringView lrc, const LrcImportOptions& o)
{
    LrcImportResult r;
    // The input comes back unchanged on every failure.
    auto fail = [&r, lrc](LrcStatus status, QString message) {
        r.status = status;
        r.message = std::move(message);
        r.text = lrc.toString();
        return r;
    };
    switch (DetectLrc(lrc)) {
    case LrcContent::None:
        return fail(LrcStatus::NotLrc, QStringLiteral("no LRC time tags found; nothing converted"));
    case LrcContent::Mixed:
        return fail(LrcStatus::Mixed,
                    QStringLiteral("the text mixes LRC time tags with the program's own [mm:ss:xx] tags; left as it is"));
    case LrcContent::Lrc:
        break;
    }

    ImportSource src = ReadImportSource(lrc, r);
    const double ratio = ImportRatio(o, src, r);
    if (!std::isfinite(ratio) || ratio <= 0)
        return fail(LrcStatus::BadRatio, QStringLiteral("the time ratio %1 is not a positive number; nothing converted").arg(ratio));
    r.ratio = ratio;

    const std::vector<ImportEntry> entries = ImportEntries(src, o);
    const std::vector<const Stamp*> next = ClosingTimes(entries, src.lines, o.closeKaraokeLines);
    Importer importer(o, ratio);
    QString out;
    out.reserve(lrc.size() + lrc.size() / 8 + 64);
    for (size_t e = 0; e < entries.size(); ++e) {
        const ImportLine& l = src.lines[size_t(entries[e].line)];
        if (l.kind == ImportLine::Text) {
            out.append(l.text);
        } else {
            if (!importer.Write(out, l, entries[e].head, next[e]))
                return fail(LrcStatus::OutOfRange,
                            QStringLiteral("line %1: a time beyond 99:59.999, which a tag cannot hold; nothing converted")
                                .arg(l.number));
            ++r.timedLines;
        }
        out.append(kCrLf);
    }
    for (const QString& b : src.block)
        out.append(b).append(kCrLf);
    if (!src.endsWithBreak && out.endsWith(kCrLf))
        out.chop(2);
    r.text = std::move(out);
    r.status = LrcStatus::Converted;
    return r;
}

namespace {

/// The @ block becomes ID tags at the head of the file, in its own order.
void AppendIdTags(QString& out, const std::vector<QStringView>& at, double ratio, const LrcExportOptions& o)
{
    const qsizetype statements = std::count_if(at.begin(), at.end(), StatesTimeBase);
    // LRC is standard time, so a lone "@TimeRatio=1" goes without saying; the import
    // writes it back in its place.
    const bool unitRatioImplied = statements == 1 &&
                                  std::any_of(at.begin(), at.end(), [](QStringView l) { return l == QLatin1StringView("@TimeRatio=1"); });
    for (QStringView line : at) {
        if (unitRatioImplied && line == QLatin1StringView("@TimeRatio=1"))
            continue;
        if (const std::optional<QString> tag = MappedIdTag(line))
            out.append(*tag);
        else
            out.append(QLatin1Char('[')).append(kCarriedKey).append(QLatin1Char(':')).append(line).append(QLatin1Char(']'));
        out.append(o.lineBreak);
    }
    if (statements == 0) {
        // The time base came from the user's setting: record what the times were divided by.
        out.append(QLatin1Char('[')).append(kRatioKey).append(QLatin1Char(':')).append(FormatRatio(ratio));
        out.append(QLatin1Char(']')).append(o.lineBreak);
    }
}

/// Writes the lines of the text (without its @ lines) with LRC times.
class Exporter {
public:
    Exporter(QString& out, double ratio, const LrcExportOptions& o, LrcExportResult& r) : out_(out), ratio_(ratio), o_(o), r_(r) {}

    void Line(QStringView line)
    {
        tags_.clear();
        for (TagMatch m = FindNextTag(line); m.found(); m = FindNextTag(line, m.end()))
            tags_.append(m);
        if (tags_.isEmpty()) {
            out_.append(line).append(o_.lineBreak);
            return;
        }
        bool karaoke = false;
        for (qsizetype i = 1; i < tags_.size() && !karaoke; ++i)
            karaoke = tags_[i].position > tags_[i - 1].end();
        const QStringView before = line.first(tags_[0].position);
        if (!karaoke) {
            for (const TagMatch& m : tags_)
                Time(m, u'[', u']');
            out_.append(before).append(line.sliced(tags_.back().end()));
        } else {
            Time(tags_[0], u'[', u']');
            out_.append(before);
            Words(line);
        }
        out_.append(o_.lineBreak);
    }

private:
    void Time(const TagMatch& m, char16_t open, char16_t close)
    {
        const bool millis = o_.millis || m.layout == TagLayout::Millis;
        const int unit = millis ? 1 : 10;
        qint64 v = m.msec();
        v = ratio_ == 1 ? v - v % unit : std::llround(double(v) / ratio_ / unit) * unit;
        AppendLrcTime(out_, v, millis, open, close);
    }

    void Words(QStringView line)
    {
        for (qsizetype i = 0; i < tags_.size(); ++i) {
            const qsizetype from = tags_[i].end();
            const qsizetype to = i + 1 < tags_.size() ? tags_[i + 1].position : line.size();
            const QStringView segment = line.sliced(from, to - from);
            if (o_.enhanced) {
                // The first word's time is the line's. It goes without saying when no
                // word follows it at once ("[00:01.00] <00:01.20> word", "[00:01.00]<00:01.20>word").
                if (i > 0 || !AllBlank(segment))
                    Time(tags_[i], u'<', u'>');
            } else {
                r_.wordTimingDropped = true;
            }
            out_.append(segment);
        }
    }

    QString& out_;
    double ratio_;
    const LrcExportOptions& o_;
    LrcExportResult& r_;
    QVarLengthArray<TagMatch, 16> tags_;
};

} // namespace

LrcExportResult ExportLrc(QStringView text, const LrcExportOptions& o)
{
    LrcExportResult r;
    // The input comes back unchanged on every failure.
    auto fail = [&r, text](LrcExportStatus status, QString message) {
        r.status = status;
        r.message = std::move(message);
        r.text = text.toString();
        return r;
    };
    if (Scan(text).dotted)
        return fail(LrcExportStatus::AlreadyLrc, QStringLiteral("the text holds LRC tags already; nothing converted"));

    std::vector<QStringView> at;
    QString atLines;
    bool anyTag = false;
    const bool endsWithBreak = ForEachLine(text, [&](QStringView line) {
        if (line.startsWith(QLatin1Char('@'))) {
            at.push_back(line);
            atLines.append(line).append(kCrLf);
        } else if (!anyTag) {
            anyTag = FindNextTag(line).found();
        }
    });
    if (!anyTag)
        return fail(LrcExportStatus::NoTags, QStringLiteral("the text holds no time tags; nothing converted"));
    // The @ lines are what the export carries, so they alone say the time base.
    const CorrectionData data = ReadCorrectionData(atLines, o.userTimeIsWinAmp).data;
    r.title = data.Title;
    r.artist = data.Artist;
    // (Without any @ line the reading stops at once; the user's time base holds then too.)
    const double ratio = at.empty() ? (o.userTimeIsWinAmp ? kDefaultWinAmpRatio : 1.0) : data.TimeRatio;
    if (!std::isfinite(ratio) || ratio <= 0)
        return fail(LrcExportStatus::BadRatio,
                    QStringLiteral("the time ratio %1 is not a positive number; nothing converted").arg(ratio));
    r.ratio = ratio;

    QString out;
    out.reserve(text.size() + text.size() / 4 + 64);
    AppendIdTags(out, at, ratio, o);
    Exporter exporter(out, ratio, o, r);
    ForEachLine(text, [&](QStringView line) {
        if (!line.startsWith(QLatin1Char('@')))
            exporter.Line(line);
    });
    if (!endsWithBreak && out.endsWith(o.lineBreak))
        out.chop(o.lineBreak.size());
    r.text = std::move(out);
    r.status = LrcExportStatus::Converted;
    return r;
}

TitleArtist FindLrcTitleArtist(QStringView text)
{
    TitleArtist out;
    ForEachLine(text, [&](QStringView line) {
        QStringView key, value;
        if (!ParseIdTag(line, &key, &value))
            return;
        if (out.title.isEmpty() && KeyIs(key, QLatin1StringView("ti")))
            out.title = value.trimmed().toString();
        else if (out.artist.isEmpty() && KeyIs(key, QLatin1StringView("ar")))
            out.artist = value.trimmed().toString();
    });
    return out;
}

// ---- Files ------------------------------------------------------------------------

LrcDecoded DecodeLrcBytes(QByteArrayView bytes)
{
    LrcDecoded out;
    const bool le = bytes.startsWith("\xFF\xFE");
    const bool be = bytes.startsWith("\xFE\xFF");
    if ((le || be) && bytes.size() % 2 == 0) {
        const QByteArrayView body = bytes.sliced(2);
        QString text(body.size() / 2, Qt::Uninitialized);
        char16_t* d = reinterpret_cast<char16_t*>(text.data());
        const auto* s = reinterpret_cast<const unsigned char*>(body.data());
        for (qsizetype i = 0; i < text.size(); ++i)
            d[i] = le ? char16_t(s[2 * i] | s[2 * i + 1] << 8) : char16_t(s[2 * i] << 8 | s[2 * i + 1]);
        out.text = std::move(text);
        out.encoding = le ? LrcEncoding::Utf16Le : LrcEncoding::Utf16Be;
        return out;
    }
    common::DecodedText d = common::DecodeText(bytes);
    out.text = std::move(d.text);
    if (d.format.encoding == common::TextEncoding::Utf8)
        out.encoding = d.format.bom ? LrcEncoding::Utf8Bom : LrcEncoding::Utf8;
    else
        out.encoding = LrcEncoding::Cp932;
    return out;
}

std::optional<QByteArray> EncodeLrcBytes(QStringView text, LrcEncoding encoding, QString* error)
{
    switch (encoding) {
    case LrcEncoding::Cp932: return common::EncodeText(text, {common::TextEncoding::Cp932, false}, error);
    case LrcEncoding::Utf8: return common::EncodeText(text, {common::TextEncoding::Utf8, false}, error);
    case LrcEncoding::Utf8Bom: return common::EncodeText(text, {common::TextEncoding::Utf8, true}, error);
    case LrcEncoding::Utf16Le:
    case LrcEncoding::Utf16Be: break;
    }
    const bool le = encoding == LrcEncoding::Utf16Le;
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append(le ? "\xFF\xFE" : "\xFE\xFF", 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A lone surrogate is a byte the code page could not decode: UTF-16 cannot hold it.
        const bool paired = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (c.isSurrogate() && !paired && !(c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())) {
            if (error)
                *error = QStringLiteral("the text holds %1, which UTF-16 cannot hold").arg(common::DescribeCharacter(text, i));
            return std::nullopt;
        }
        const char16_t u = c.unicode();
        const char lo = char(u & 0xFF), hi = char(u >> 8);
        if (le)
            out.append(lo).append(hi);
        else
            out.append(hi).append(lo);
    }
    return out;
}

bool ReadLrcFile(const QString& path, LrcDecoded& decoded, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    decoded = DecodeLrcBytes(bytes);
    return true;
}

bool WriteLrcFile(const QString& path, QStringView text, LrcEncoding encoding, QString* error)
{
    QString reason;
    const std::optional<QByteArray> bytes = EncodeLrcBytes(text, encoding, &reason);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return common::WriteFileAtomically(path, *bytes, error);
}

} // namespace lyrics
