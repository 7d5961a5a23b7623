#include "lyrics/tagops.h"

#include "common/utf8text.h"

#include <QRandomGenerator>
#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using namespace lyrics;

namespace {
using common::U;

QString Full(int msec)
{
    return FormatTimeTag(msec, TagLayout::Hundredths);
}

/// Full-layout tags with the given times, each followed by a letter.
QString KaraokeOf(const std::vector<int>& times)
{
    QString s;
    for (size_t i = 0; i < times.size(); ++i)
        s += Full(times[i]) + QChar(u'a' + int(i % 26));
    return s;
}

std::vector<int> FullTagTimes(const QString& text)
{
    std::vector<int> times;
    for (QStringView rest = text;;) {
        const TagSplit s = SplitAtFirstFullTag(rest);
        if (s.tag.isEmpty())
            return times;
        times.push_back(ParseTimeTag(s.tag));
        rest = s.after;
    }
}
} // namespace

TEST(TagCommands, EachAppliesToItsKindsOfText)
{
    const TagKind none = TagKind::None, head = TagKind::LineHead, kara = TagKind::Karaoke;
    for (TagCommand c : {TagCommand::UnifyHundredths, TagCommand::UnifySeconds, TagCommand::StripAll, TagCommand::CheckOrder,
                         TagCommand::PlayAlong}) {
        EXPECT_FALSE(TagCommandApplies(c, none));
        EXPECT_TRUE(TagCommandApplies(c, head));
        EXPECT_TRUE(TagCommandApplies(c, kara));
    }
    for (TagCommand c : {TagCommand::StripKaraoke, TagCommand::LineAdvance, TagCommand::RepairReversals}) {
        EXPECT_FALSE(TagCommandApplies(c, none));
        EXPECT_FALSE(TagCommandApplies(c, head));
        EXPECT_TRUE(TagCommandApplies(c, kara));
    }
    EXPECT_TRUE(TagCommandApplies(TagCommand::NormalizeLineHead, head));
    EXPECT_FALSE(TagCommandApplies(TagCommand::NormalizeLineHead, kara));
    EXPECT_FALSE(TagCommandApplies(TagCommand::NormalizeLineHead, none));
    EXPECT_TRUE(TagCommandApplies(TagCommand::Shift, none));
}

TEST(UnifyTags, RewritesEveryTagInOneLayout)
{
    EXPECT_EQ(UnifyTags(u"[00:12:3]x", TagLayout::Hundredths), U("[00:12:30]x"));
    EXPECT_EQ(UnifyTags(u"[00:12:3]x", TagLayout::Seconds), U("[00:12]x"));
    EXPECT_EQ(UnifyTags(u"[01:02:99]", TagLayout::Seconds), U("[01:02]"));
    EXPECT_EQ(UnifyTags(u"a[0:75:123]b[x]c\r\n[1:2]", TagLayout::Millis), U("a[01:15:123]b[x]c\r\n[01:02:000]"));
}

TEST(ShiftAllTags, MovesEveryTagInItsOwnLayoutAndClampsAtZero)
{
    EXPECT_EQ(ShiftAllTags(u"[00:00:30]", -500), U("[00:00:00]"));
    EXPECT_EQ(ShiftAllTags(u"[00:01]a[00:01:5]b[00:01:000]", 1234), U("[00:02]a[00:02:7]b[00:02:234]"));
    EXPECT_EQ(ShiftAllTags(u"no tags [x]", 1000), U("no tags [x]"));
    EXPECT_EQ(ShiftAllTags(u"[99:00:00]", 3600000), U("[99:59:99]"));
    EXPECT_EQ(ShiftAllTags(u"[00:01:00]", std::numeric_limits<qint64>::min()), U("[00:00:00]"));
}

TEST(NormalizeLineHeadTags, ExpandsSeveralHeadTagsAndSortsByTime)
{
    EXPECT_EQ(NormalizeLineHeadTags(u"[00:05:00][00:01:00]x\r\n"), U("[00:01:00]x\r\n[00:05:00]x\r\n"));
    EXPECT_EQ(NormalizeLineHeadTags(u"ab[00:03:00]c\r\n"), U("[00:03:00]c\r\n"));
    EXPECT_EQ(NormalizeLineHeadTags(u"[00:30:00][01:30:00]chorus\r\n[01:00:00]verse\r\n[07:00:00]end\r\n"),
              U("[00:30:00]chorus\r\n[01:00:00]verse\r\n[01:30:00]chorus\r\n[07:00:00]end\r\n"));
}

TEST(NormalizeLineHeadTags, KeepsPreambleUntaggedFollowersAndTail)
{
    EXPECT_EQ(NormalizeLineHeadTags(u"title\r\n[00:05:00]b\r\nafter b\r\n[00:01:00]a\r\n@TaggingBy=x\r\n"),
              U("title\r\n[00:01:00]a\r\n[00:05:00]b\r\nafter b\r\n@TaggingBy=x\r\n"));
}

TEST(NormalizeLineHeadTags, EqualTimesKeepTheirOrder)
{
    EXPECT_EQ(NormalizeLineHeadTags(u"[00:02]b\r\n[00:01]x\r\n[00:01:00]y\r\n"), U("[00:01]x\r\n[00:01:00]y\r\n[00:02]b\r\n"));
}

TEST(NormalizeLineHeadTags, ALastLineWithoutBreakIsNotGluedToAnother)
{
    EXPECT_EQ(NormalizeLineHeadTags(u"[00:05:00]b\r\n[00:01:00]a"), U("[00:01:00]a\r\n[00:05:00]b"));
    EXPECT_EQ(NormalizeLineHeadTags(u"[00:05:00][00:01:00]x"), U("[00:01:00]x\r\n[00:05:00]x"));
    EXPECT_EQ(NormalizeLineHeadTags(u"[00:01:00]a\r\n[00:05:00]b"), U("[00:01:00]a\r\n[00:05:00]b"));
}

TEST(NormalizeLineHeadTags, TagsKeepTheirWrittenFieldsAndSortByTime)
{
    // "[0:90]" is 90 s and stays written with 90 seconds; the largest tag sorts last.
    EXPECT_EQ(NormalizeLineHeadTags(u"[99:99:999]z\r\n[0:90]b\r\n[1:2:3]c\r\n[01:00]a\r\n"),
              U("[01:00]a\r\n[01:02:3]c\r\n[00:90]b\r\n[99:99:999]z\r\n"));
}

TEST(NormalizeLineHeadTags, TextWithoutTagsStays)
{
    EXPECT_EQ(NormalizeLineHeadTags(u"a\r\nb"), U("a\r\nb"));
    EXPECT_EQ(NormalizeLineHeadTags(u""), U(""));
}

TEST(RepairKaraokeReversals, EveryTagBecomesTheSmallestOfItsSuffix)
{
    EXPECT_EQ(RepairKaraokeReversals(KaraokeOf({10000, 12000, 11000, 13000})), KaraokeOf({10000, 11000, 11000, 13000}));
    EXPECT_EQ(RepairKaraokeReversals(KaraokeOf({30000, 20000, 10000})), KaraokeOf({10000, 10000, 10000}));
    EXPECT_EQ(RepairKaraokeReversals(U("pre") + KaraokeOf({5, 4})), U("pre") + KaraokeOf({4, 4}));
}

TEST(RepairKaraokeReversals, OtherLayoutsArePlainText)
{
    EXPECT_EQ(RepairKaraokeReversals(u"[00:30:00]a[00:20]b[00:10:00]"), U("[00:10:00]a[00:20]b[00:10:00]"));
    EXPECT_EQ(RepairKaraokeReversals(u"[00:30:00]a[00:20]b"), U("[00:30:00]a[00:20]b"));
}

TEST(RepairKaraokeReversals, MatchesTheStepBackRepairOnRandomTimes)
{
    // The repair as the menu describes it: on a reversal the earlier tag takes the later
    // one's value and the check steps back one pair.
    auto stepBack = [](std::vector<int> t) {
        size_t i = 1;
        while (i < t.size()) {
            if (t[i] < t[i - 1]) {
                t[i - 1] = t[i];
                if (i >= 2) {
                    --i;
                    continue;
                }
            }
            ++i;
        }
        return t;
    };
    QRandomGenerator rng(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> times(size_t(rng.bounded(2, 12)));
        for (int& t : times)
            t = rng.bounded(0, 8) * 10;
        ASSERT_EQ(FullTagTimes(RepairKaraokeReversals(KaraokeOf(times))), stepBack(times));
    }
}

TEST(DecomposeAdvanceLine, SplitsHeadMiddleAndLastTag)
{
    const QString line = U("[00:10:00]ab[00:12:00]");
    const AdvanceLine a = DecomposeAdvanceLine(line, u"\r\n");
    EXPECT_TRUE(a.Tagged);
    EXPECT_FALSE(a.NoLastTag);
    EXPECT_EQ(a.HeadMs, 10000);
    EXPECT_EQ(a.LastMs, 12000);
    EXPECT_EQ(a.Middle.toString(), U("ab"));
    EXPECT_TRUE(a.Before.isEmpty());
    EXPECT_TRUE(a.After.isEmpty());
    EXPECT_EQ(a.Text, line);
    EXPECT_EQ(a.Terminator.toString(), U("\r\n"));
}

TEST(DecomposeAdvanceLine, RecognisesInsertedAdvanceTags)
{
    // An advance tag at the end of a line, and one in front of a line's head tag.
    AdvanceLine a = DecomposeAdvanceLine(u"[00:10:00]ab[00:12:00][00:14:50]", {});
    EXPECT_EQ(a.Text, U("[00:10:00]ab[00:12:00]"));
    a = DecomposeAdvanceLine(u"[00:14:50][00:15:00]cd[00:16:00]", {});
    EXPECT_EQ(a.Text, U("[00:15:00]cd[00:16:00]"));
    EXPECT_EQ(a.HeadMs, 15000);
    // A closing line of tags only.
    a = DecomposeAdvanceLine(u"[00:14:50][00:15:00] [00:15:00]", {});
    EXPECT_EQ(a.Text, U("[00:15:00]"));
    EXPECT_TRUE(a.NoLastTag);
    a = DecomposeAdvanceLine(u"[00:14:50][00:15:00]  ", {});
    EXPECT_EQ(a.Text, U("[00:15:00]"));
    EXPECT_TRUE(a.NoLastTag);
}

TEST(DecomposeAdvanceLine, OneTagAndNoTag)
{
    AdvanceLine a = DecomposeAdvanceLine(u"x[00:01:00]yz", {});
    EXPECT_TRUE(a.NoLastTag);
    EXPECT_EQ(a.Before.toString(), U("x"));
    EXPECT_EQ(a.After.toString(), U("yz"));
    EXPECT_TRUE(a.LastTag.isEmpty());
    EXPECT_EQ(a.LastMs, 0);
    a = DecomposeAdvanceLine(u"plain  ", {});
    EXPECT_FALSE(a.Tagged);
    EXPECT_EQ(a.Text, U("plain  "));
    // A middle of one blank (or ideographic blank) counts as empty.
    a = DecomposeAdvanceLine(u"[00:01:00]\u3000[00:02:00]", {});
    EXPECT_TRUE(a.Middle.isEmpty());
    EXPECT_TRUE(a.NoLastTag);
}

TEST(AdjustLineAdvance, InsertsAnAdvanceTagAtMostTheMaximumEarly)
{
    const QString text = U("[00:10:00]ab[00:12:00]\r\n[00:15:00]cd[00:16:00]");
    EXPECT_EQ(AdjustLineAdvance(text, 500, false),
              U("[00:10:00]ab[00:12:00][00:14:50]\r\n[00:14:50][00:15:00]cd[00:16:00]"));
    // A gap of 0.3 s: 300 ms before the head tag.
    EXPECT_EQ(AdjustLineAdvance(u"[00:10:00]ab[00:12:00]\r\n[00:12:30]cd[00:16:00]", 500, false),
              U("[00:10:00]ab[00:12:00][00:12:00]\r\n[00:12:00][00:12:30]cd[00:16:00]"));
    // The next head tag equal to or before the previous last tag: none.
    for (const char* t : {"[00:10:00]ab[00:12:00]\r\n[00:12:00]cd[00:16:00]", "[00:10:00]ab[00:12:00]\r\n[00:11:00]cd[00:16:00]"})
        EXPECT_EQ(AdjustLineAdvance(U(t), 500, false), U(t));
}

TEST(AdjustLineAdvance, RemoveModeGivesTheLinesBack)
{
    const QString original = U("[00:10:00]ab[00:12:00]\r\n[00:15:00]cd[00:16:00]");
    const QString adjusted = AdjustLineAdvance(original, 500, false);
    EXPECT_EQ(AdjustLineAdvance(adjusted, 500, true), original);
}

TEST(AdjustLineAdvance, AClosingTagOnlyLineKeepsALastTag)
{
    const QString original = U("[00:10:00]ab[00:12:00]\r\n[00:15:00]\r\n");
    const QString adjusted = AdjustLineAdvance(original, 500, false);
    EXPECT_EQ(adjusted, U("[00:10:00]ab[00:12:00][00:14:50]\r\n[00:14:50][00:15:00] [00:15:00]\r\n"));
    EXPECT_EQ(AdjustLineAdvance(adjusted, 500, true), original);
}

TEST(AdjustLineAdvance, APreviousLineWithoutLastTagTakesTheFullMaximum)
{
    EXPECT_EQ(AdjustLineAdvance(u"[00:10:00]ab\r\n[00:15:00]cd[00:16:00]", 500, false),
              U("[00:10:00]ab[00:14:50]\r\n[00:14:50][00:15:00]cd[00:16:00]"));
}

TEST(AdjustLineAdvance, UntaggedLinesTravelAndTrailingLinesStay)
{
    EXPECT_EQ(AdjustLineAdvance(u"title  \r\n[00:10:00]ab[00:12:00]  \r\n  \r\n[00:15:00]cd[00:16:00]\r\nend  ", 500, false),
              U("title\r\n[00:10:00]ab[00:12:00][00:14:50]\r\n\r\n[00:14:50][00:15:00]cd[00:16:00]\r\nend  "));
}

TEST(AdjustLineAdvance, LeavesOtherTextsUnchanged)
{
    // A tag of another layout, a tag not written in full, or a single tagged line.
    for (const char* t : {"[00:10:00]ab[00:12]\r\n[00:15:00]cd[00:16:00]", "[0:10:00]ab[00:12:00]\r\n[00:15:00]cd[00:16:00]",
                          "[00:10:00]ab[00:12:00]\r\nplain", "", "no tags"}) {
        EXPECT_EQ(AdjustLineAdvance(U(t), 500, false), U(t)) << t;
        EXPECT_EQ(AdjustLineAdvance(U(t), 500, true), U(t)) << t;
    }
}

TEST(StripKaraokeTags, RemovesAdvanceTagsThenKeepsEachLinesFirstTag)
{
    EXPECT_EQ(StripKaraokeTags(u"[00:10:00]ab[00:12:00][00:14:50]\r\n[00:14:50][00:15:00]cd[00:16:00]"),
              U("[00:10:00]ab\r\n[00:15:00]cd\r\n"));
    // Tags of another layout skip the first step only.
    EXPECT_EQ(StripKaraokeTags(u"[00:10:00]a[00:12]b"), U("[00:10:00]ab\r\n"));
}

TEST(ScanTagOrder, MarksTagsEarlierThanTheirPredecessor)
{
    const std::vector<TagOrderEntry> e = ScanTagOrder(u"[00:02:00]a[00:01:00]b\r\n[0:3]c[00:03]");
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].position, 0);
    EXPECT_EQ(e[0].length, 10);
    EXPECT_FALSE(e[0].reversed);
    EXPECT_EQ(e[1].position, 11);
    EXPECT_EQ(e[1].msec, 1000);
    EXPECT_TRUE(e[1].reversed);
    EXPECT_EQ(e[2].position, 24);
    EXPECT_EQ(e[2].length, 5);
    EXPECT_FALSE(e[2].reversed);
    EXPECT_FALSE(e[3].reversed); // equal is not reversed
    EXPECT_TRUE(ScanTagOrder(u"none").empty());
}

TEST(DialogInput, MaximumAdvanceInSecondsWithTwoDecimals)
{
    EXPECT_EQ(MaxAdvanceFromText(u"0"), 0);
    EXPECT_EQ(MaxAdvanceFromText(u"999"), 999000);
    EXPECT_EQ(MaxAdvanceFromText(u"0.5"), 500);
    EXPECT_EQ(MaxAdvanceFromText(u"0.123"), 120);
    EXPECT_EQ(MaxAdvanceFromText(u" 1.29 "), 1290);
    EXPECT_EQ(MaxAdvanceFromText(u"999.01"), std::nullopt);
    EXPECT_EQ(MaxAdvanceFromText(u"-0.01"), std::nullopt);
    EXPECT_EQ(MaxAdvanceFromText(u"abc"), std::nullopt);
    EXPECT_EQ(MaxAdvanceFromText(u"1.5s"), std::nullopt);
    EXPECT_EQ(MaxAdvanceFromText(u"0,5"), std::nullopt);
    EXPECT_EQ(MaxAdvanceFromText(u""), std::nullopt);
    EXPECT_EQ(MaxAdvanceFromText(u"1e400"), std::nullopt);
}

TEST(DialogInput, ShiftAmountIsTheLeadingNumberWithinLimits)
{
    EXPECT_EQ(SlideAmountFromText(u"123.6ms"), 124);
    EXPECT_EQ(SlideAmountFromText(u"-250"), -250);
    EXPECT_EQ(SlideAmountFromText(u"abc"), 0);
    EXPECT_EQ(SlideAmountFromText(u"40000"), 32000);
    EXPECT_EQ(SlideAmountFromText(u"-1e9"), -32000);
    EXPECT_EQ(SlideTextReplacement(u"32001"), U("32000"));
    EXPECT_EQ(SlideTextReplacement(u"-32000.5"), U("-32000"));
    EXPECT_EQ(SlideTextReplacement(u"32000"), std::nullopt);
}
