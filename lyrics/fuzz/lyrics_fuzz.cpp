// libFuzzer target over the tag scanner and every lyrics text operation.
//
// Input: 16 bytes of parameters (shift, rescale references, song facts, advance), then
// the text (UTF-8, or CP932 when the first byte's lowest bit is set). Each operation
// runs and its invariants are checked; a broken invariant aborts with a message.
#include "common/codepage.h"
#include "lyrics/atblock.h"
#include "lyrics/correction.h"
#include "lyrics/linebreaks.h"
#include "lyrics/numbers.h"
#include "lyrics/rescale.h"
#include "lyrics/tagops.h"
#include "lyrics/timetag.h"

#include <QList>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace lyrics;

namespace {

#define CHECK(cond)                                                                  \
    do {                                                                             \
        if (!(cond)) {                                                               \
            std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #cond); \
            std::abort();                                                            \
        }                                                                            \
    } while (0)

struct Params {
    uint8_t bytes[16] = {};
    int u16(int i) const { return bytes[i] | bytes[i + 1] << 8; }
    int32_t i32(int i) const
    {
        uint32_t v = 0;
        std::memcpy(&v, bytes + i, 4);
        return int32_t(v);
    }
};

int Unit(TagLayout layout)
{
    switch (layout) {
    case TagLayout::Seconds: return 1000;
    case TagLayout::Tenths: return 100;
    case TagLayout::Hundredths: return 10;
    case TagLayout::Millis: return 1;
    }
    return 1;
}

int Truncated(qint64 msec, TagLayout layout)
{
    const qint64 v = std::clamp<qint64>(msec, 0, kMaxTagMsec);
    return int(v / Unit(layout) * Unit(layout));
}

std::vector<TagMatch> Tags(QStringView text)
{
    std::vector<TagMatch> tags;
    for (TagMatch m = FindNextTag(text); m.found(); m = FindNextTag(text, m.end()))
        tags.push_back(m);
    return tags;
}

/// Every tag a rewrite writes is in normalised form (what FormatTimeTag writes).
void CheckWritten(const std::vector<TagMatch>& tags, QStringView text)
{
    for (const TagMatch& m : tags)
        CHECK(text.sliced(m.position, m.length) == m.normalized());
}

void CheckScanner(const QString& text)
{
    const std::vector<TagMatch> tags = Tags(text);
    qsizetype last = 0;
    QString between;
    for (const TagMatch& m : tags) {
        CHECK(m.position >= last);
        CHECK(text[m.position] == QLatin1Char('[') && text[m.end() - 1] == QLatin1Char(']'));
        CHECK(m.length >= 5 && m.length <= 12);
        TagLayout layout = TagLayout::Seconds;
        const QString normalized = m.normalized();
        CHECK(ParseTimeTag(normalized, &layout) == m.msec());
        CHECK(layout == m.layout);
        CHECK(m.msec() >= 0 && m.msec() <= 99 * 60000 + 99 * 1000 + 999);
        between += QStringView(text).sliced(last, m.position - last);
        last = m.end();
    }
    between += QStringView(text).sliced(last);

    // TakeNextTag visits the same tags and accumulates the same text around them.
    QString before;
    size_t i = 0;
    for (QStringView rest = text;;) {
        const NextTag n = TakeNextTag(rest, before);
        if (n.tag.isEmpty())
            break;
        CHECK(i < tags.size() && n.tag == tags[i].normalized());
        ++i;
        rest = n.rest;
    }
    CHECK(i == tags.size());
    CHECK(before == between);

    CHECK(HasTags(text, true) == (tags.size() >= 1));
    CHECK(HasTags(text, false) == (tags.size() >= 2));
    const TagKind kind = ClassifyTagKind(text);
    if (tags.empty())
        CHECK(kind == TagKind::None);

    const QString stripped = StripAllTags(text);
    CHECK(!HasTags(stripped, true));
    CHECK(stripped.size() <= between.size());
    if (!HasTags(between, true))
        CHECK(stripped == between); // nothing formed where tags were taken out

    for (const TagSplit& s : {SplitAtFirstFullTag(text), SplitAtLastFullTag(text)}) {
        CHECK(s.before.size() + s.tag.size() + s.after.size() == text.size());
        CHECK(s.before.toString() + s.tag.toString() + s.after.toString() == text);
        CHECK(s.tag.isEmpty() ? s.after.isEmpty() : IsFullTagAt(s.tag, 0) && s.tag.size() == kFullTagLength);
    }
    const TagSplit first = SplitAtFirstFullTag(text);
    for (qsizetype p = 0; p < first.before.size(); ++p)
        CHECK(!IsFullTagAt(text, p));
    const TagSplit lastSplit = SplitAtLastFullTag(text);
    for (qsizetype p = 0; p < lastSplit.after.size(); ++p)
        CHECK(!IsFullTagAt(lastSplit.after, p));

    const QString keep = KeepLeadingTagOnly(text);
    for (QStringView line : QStringView(keep).split(u"\r\n")) {
        const std::vector<TagMatch> t = Tags(line);
        CHECK(t.size() <= 1);
        CHECK(t.empty() || t[0].position == 0);
    }

    const std::vector<TagOrderEntry> order = ScanTagOrder(text);
    CHECK(order.size() == tags.size());
    for (size_t k = 0; k < order.size(); ++k) {
        CHECK(order[k].position == tags[k].position && order[k].length == tags[k].length);
        CHECK(order[k].reversed == (k > 0 && tags[k].msec() < tags[k - 1].msec()));
    }
}

void CheckFormat(const Params& p)
{
    for (int i = 0; i + 4 <= 16; i += 4) {
        const qint64 v = p.i32(i);
        for (TagLayout layout : {TagLayout::Seconds, TagLayout::Tenths, TagLayout::Hundredths, TagLayout::Millis}) {
            const QString tag = FormatTimeTag(v, layout);
            TagLayout got = TagLayout::Seconds;
            CHECK(ParseTimeTag(tag, &got) == Truncated(v, layout));
            CHECK(got == layout);
            const TagMatch m = FindNextTag(tag);
            CHECK(m.found() && m.position == 0 && m.length == tag.size() && m.msec() == Truncated(v, layout));
            CHECK(FormatTimeTag(v, layout, false) == tag.mid(1, tag.size() - 2));
        }
    }
}

void CheckTagOperations(const QString& text, const Params& p)
{
    const std::vector<TagMatch> in = Tags(text);
    const qsizetype negativeIn = text.count(QLatin1String("[-"));

    const TagLayout layout = TagLayout(1 + p.bytes[0] / 2 % 4);
    const QString unified = UnifyTags(text, layout);
    const std::vector<TagMatch> u = Tags(unified);
    CHECK(u.size() == in.size());
    CheckWritten(u, unified);
    for (size_t i = 0; i < u.size(); ++i) {
        CHECK(u[i].layout == layout);
        CHECK(u[i].msec() == Truncated(in[i].msec(), layout));
    }

    const qint64 shift = p.i32(1);
    const QString shifted = ShiftAllTags(text, shift);
    const std::vector<TagMatch> s = Tags(shifted);
    CHECK(s.size() == in.size());
    CheckWritten(s, shifted);
    CHECK(shifted.count(QLatin1String("[-")) <= negativeIn);
    for (size_t i = 0; i < s.size(); ++i) {
        CHECK(s[i].layout == in[i].layout);
        CHECK(s[i].msec() == Truncated(in[i].msec() + shift, in[i].layout));
    }

    const QString normalized = NormalizeLineHeadTags(text);
    const std::vector<TagMatch> n = Tags(normalized);
    CHECK(n.size() == in.size());
    for (size_t i = 1; i < n.size(); ++i)
        CHECK(n[i - 1].msec() <= n[i].msec());
    // A line with n tags becomes n lines; no other line break comes or goes.
    qsizetype breaks = text.count(u"\r\n");
    for (QStringView line : QStringView(text).split(u"\r\n")) {
        const qsizetype tagsInLine = qsizetype(Tags(line).size());
        breaks += tagsInLine > 1 ? tagsInLine - 1 : 0;
    }
    CHECK(normalized.count(u"\r\n") == breaks);

    auto fullTimes = [](const QString& t) {
        std::vector<int> times;
        for (QStringView rest = t;;) {
            const TagSplit sp = SplitAtFirstFullTag(rest);
            if (sp.tag.isEmpty())
                return times;
            times.push_back(ParseTimeTag(sp.tag));
            rest = sp.after;
        }
    };
    const QString repaired = RepairKaraokeReversals(text);
    const std::vector<int> before = fullTimes(text), after = fullTimes(repaired);
    CHECK(repaired.size() == text.size());
    CHECK(after.size() == before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        CHECK(after[i] <= before[i]);
        if (i > 0)
            CHECK(after[i - 1] <= after[i]);
    }

    const int maxAdvance = p.bytes[15] * 100;
    for (bool remove : {false, true}) {
        const QString adjusted = AdjustLineAdvance(text, maxAdvance, remove);
        const std::vector<TagMatch> a = Tags(adjusted);
        CHECK(adjusted.count(QLatin1String("[-")) <= negativeIn);
        bool allFull = true;
        for (const TagMatch& m : in)
            allFull = allFull && m.layout == TagLayout::Hundredths && m.length == kFullTagLength;
        if (!allFull) {
            CHECK(adjusted == text);
            continue;
        }
        for (const TagMatch& m : a)
            CHECK(m.layout == TagLayout::Hundredths && m.length == kFullTagLength);
        if (remove)
            CHECK(a.size() <= in.size());
    }
    const QString karaokeStripped = StripKaraokeTags(text);
    CHECK(Tags(karaokeStripped).size() <= in.size());

    // Rescale, with references either from the parameters or the text's own tags.
    int f = std::min(p.u16(5) * 100, kMaxTagMsec), l = std::min(p.u16(7) * 100, kMaxTagMsec);
    if ((p.bytes[0] & 2) && !in.empty()) {
        f = in.front().msec();
        l = in.back().msec();
    }
    const int f2 = std::min(p.u16(9) * 100, kMaxTagMsec), l2 = std::min(p.u16(11) * 100, kMaxTagMsec);
    const RescaleResult r = RescaleTags(text, f, l, f2, l2);
    CHECK(r.ok == ((f2 == f && l2 == l) || (f < l && f2 < l2)));
    if (!r.ok) {
        CHECK(r.text == text && !r.message.isEmpty());
    } else {
        const std::vector<TagMatch> t = Tags(r.text);
        CHECK(t.size() == in.size());
        CheckWritten(f2 == f && l2 == l ? std::vector<TagMatch>{} : t, r.text);
        CHECK(r.text.count(QLatin1String("[-")) <= negativeIn);
        for (size_t i = 0; i < t.size(); ++i) {
            CHECK(t[i].layout == in[i].layout);
            if (in[i].msec() == f)
                CHECK(t[i].msec() == Truncated(f2, in[i].layout));
        }
    }
}

void CheckCorrection(const QString& text, const Params& p)
{
    static const int rates[] = {0, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    const SongFacts song{rates[p.bytes[13] % 10], p.bytes[14] * 20};
    for (bool userWinAmp : {false, true}) {
        const CorrectionReading reading = ReadCorrectionData(text, userWinAmp);
        const CorrectionData& d = reading.data;
        CHECK(std::isfinite(d.TimeRatio));
        CHECK(d.TimeType == TimeBase::NotStated || d.TimeType == TimeBase::WinAmp || d.TimeType == TimeBase::Standard);
        if (text.isEmpty())
            CHECK(d.TimeRatio == 0);
        else
            CHECK(d.TimeRatio != 0);

        const QString block = AppendAtBlock(text, d);
        CHECK(block.endsWith(u"\r\n"));
        CHECK(block.contains(u"@TaggingBy="));

        const bool hasTags = HasTags(text, true);
        for (int kind = 0; kind < 4; ++kind) {
            QString t = text;
            const bool ok = ConvertTags(t, song, d, ConversionKind(kind), QStringLiteral("user"));
            if (!ok)
                CHECK(t == text);
            if (kind >= 2)
                CHECK(ok == (!text.isEmpty() && song.sampleRate > 0 && hasTags));
            if (ok)
                CHECK(t.contains(u"@EditedBy=user\r\n"));
        }
        QString t = text;
        if (!ApplyOffset(t, d))
            CHECK(t == text);
        t = text;
        CorrectionData chosen = d;
        chosen.TimeType = userWinAmp ? TimeBase::WinAmp : TimeBase::Standard;
        CHECK(AddCorrectionData(t, song, chosen, QStringLiteral("user")) == (!text.isEmpty() && song.sampleRate > 0));
        t = text;
        CHECK(UpdateOldCorrectionData(t, reading) == (!text.isEmpty() && !reading.NoOlderData));
        const CorrectionMenu menu = CorrectionMenuState(reading, song);
        CHECK(menu[6]);
        CHECK(!CorrectionMenuState(reading, std::nullopt)[6]);
    }

    const TitleArtist ta = FindTitleArtist(text);
    CHECK(!HasTags(ta.title, true) && !HasTags(ta.artist, true));
    CHECK(StripAtLines(text).size() <= text.size());

    const double ratio = LeadingNumber(text);
    if (std::isfinite(ratio) && ratio > 0) {
        const double back = LeadingNumber(FormatRatio(ratio));
        CHECK(std::fabs(back - ratio) <= std::fabs(ratio) * 1e-14);
    }
    const std::optional<int> advance = MaxAdvanceFromText(text);
    if (advance)
        CHECK(*advance >= 0 && *advance <= 999000 && *advance % 10 == 0);
    const int slide = SlideAmountFromText(text);
    CHECK(slide >= -32000 && slide <= 32000);
}

void CheckLineBreaks(const QString& text)
{
    const QString n = NormalizeLineBreaks(text);
    const bool cr = text.contains(u'\r'), lf = text.contains(u'\n');
    if (cr != lf) {
        CHECK(n.count(u'\r') == n.count(u'\n'));
        CHECK(n.count(u"\r\n") == n.count(u'\r'));
    } else {
        CHECK(n == text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Params p;
    const size_t head = std::min<size_t>(size, sizeof p.bytes);
    std::memcpy(p.bytes, data, head);
    const QByteArray bytes(reinterpret_cast<const char*>(data + head), qsizetype(size - head));
    const QString text = (p.bytes[0] & 1) ? common::DecodeCp932(bytes) : QString::fromUtf8(bytes);

    CheckFormat(p);
    CheckScanner(text);
    CheckTagOperations(text, p);
    CheckCorrection(text, p);
    CheckLineBreaks(text);
    return 0;
}
