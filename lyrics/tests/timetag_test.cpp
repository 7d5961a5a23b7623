#include "lyrics/timetag.h"

#include "common/utf8text.h"

#include <QStringList>
#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using namespace lyrics;

namespace {
using common::U;

/// The normalised tags TakeNextTag finds, in order, and the rebuilt text without them.
struct Walk {
    QStringList tags;
    QString rest;
};
Walk WalkTags(const QString& text)
{
    Walk w;
    QStringView rest = text;
    for (;;) {
        NextTag n = TakeNextTag(rest, w.rest);
        if (n.tag.isEmpty())
            break;
        w.tags << n.tag;
        rest = n.rest;
    }
    return w;
}
} // namespace

TEST(TagScanner, NormalisesShortFieldsOfEveryShape)
{
    const struct {
        const char* in;
        const char* normalized;
        TagLayout layout;
    } cases[] = {
        {"[12:34:56]", "[12:34:56]", TagLayout::Hundredths}, {"[12:34]", "[12:34]", TagLayout::Seconds},
        {"[12:34:5]", "[12:34:5]", TagLayout::Tenths},       {"[12:34:567]", "[12:34:567]", TagLayout::Millis},
        {"[1:34:56]", "[01:34:56]", TagLayout::Hundredths},  {"[1:34:567]", "[01:34:567]", TagLayout::Millis},
        {"[1:34:5]", "[01:34:5]", TagLayout::Tenths},        {"[1:34]", "[01:34]", TagLayout::Seconds},
        {"[12:3:56]", "[12:03:56]", TagLayout::Hundredths},  {"[12:3:567]", "[12:03:567]", TagLayout::Millis},
        {"[12:3:5]", "[12:03:5]", TagLayout::Tenths},        {"[12:3]", "[12:03]", TagLayout::Seconds},
        {"[1:2:56]", "[01:02:56]", TagLayout::Hundredths},   {"[1:2:567]", "[01:02:567]", TagLayout::Millis},
        {"[1:2:3]", "[01:02:3]", TagLayout::Tenths},         {"[1:2]", "[01:02]", TagLayout::Seconds},
    };
    for (const auto& c : cases) {
        const QString text = U(c.in);
        const TagMatch m = FindNextTag(text);
        ASSERT_TRUE(m.found()) << c.in;
        EXPECT_EQ(m.length, text.size()) << c.in;
        EXPECT_EQ(m.normalized(), U(c.normalized)) << c.in;
        EXPECT_EQ(m.layout, c.layout) << c.in;
        EXPECT_EQ(ParseTimeTag(m.normalized()), m.msec()) << c.in;
    }
}

TEST(TagScanner, PadsFieldsAndRefusesADotSeparator)
{
    const TagMatch m = FindNextTag(U("x[1:2:3]y"));
    EXPECT_EQ(m.normalized(), U("[01:02:3]"));
    EXPECT_EQ(m.msec(), 62300);
    EXPECT_EQ(m.layout, TagLayout::Tenths);
    EXPECT_EQ(FindNextTag(U("[1:23]")).normalized(), U("[01:23]"));
    EXPECT_FALSE(FindNextTag(U("[01:23.45]")).found());
    EXPECT_EQ(FindNextTag(U("[01:23:45]")).msec(), 83450);
}

TEST(TagScanner, RefusesWhatIsNotATag)
{
    for (const char* s : {"[", "[]", "[1]", "[:]", "[1:]", "[:1]", "[123:45]", "[12:345]", "[12:34:5678]",
                          "[12:34:]", "[12:34", "[ 1:23]", "[1:23 ]", "[a:bc]", "[12-34]", "[12:34:56:78]",
                          "[１２:３４]", "12:34]"}) {
        EXPECT_FALSE(FindNextTag(U(s)).found()) << s;
    }
}

TEST(TagScanner, FindsTheTagBehindBracketsThatAreNoTag)
{
    const QString text = U("a[b][[00:01]c");
    const TagMatch m = FindNextTag(text);
    ASSERT_TRUE(m.found());
    EXPECT_EQ(m.position, 5);
    EXPECT_EQ(m.length, 7);
}

TEST(ParseTimeTag, ReadsEachLayoutWithOrWithoutBrackets)
{
    TagLayout layout = TagLayout::Seconds;
    EXPECT_EQ(ParseTimeTag(u"[01:23:45]", &layout), 83450);
    EXPECT_EQ(layout, TagLayout::Hundredths);
    EXPECT_EQ(ParseTimeTag(u"01:23:4", &layout), 83400);
    EXPECT_EQ(layout, TagLayout::Tenths);
    EXPECT_EQ(ParseTimeTag(u"[01:23:456", &layout), 83456);
    EXPECT_EQ(layout, TagLayout::Millis);
    EXPECT_EQ(ParseTimeTag(u"01:23]", &layout), 83000);
    EXPECT_EQ(layout, TagLayout::Seconds);
    EXPECT_EQ(ParseTimeTag(u"[00:75:00]"), 75000); // seconds have no upper limit
    EXPECT_EQ(ParseTimeTag(u"[99:99:999]"), 99 * 60000 + 99 * 1000 + 999);
}

TEST(ParseTimeTag, OtherLengthsAndNonDigitsGiveZeroAndKeepTheLayout)
{
    TagLayout layout = TagLayout::Millis;
    EXPECT_EQ(ParseTimeTag(u"[1:23]", &layout), 0);
    EXPECT_EQ(ParseTimeTag(u"", &layout), 0);
    EXPECT_EQ(ParseTimeTag(u"[100:00:00]", &layout), 0);
    EXPECT_EQ(ParseTimeTag(u"ab:cd:ef", &layout), 0);
    EXPECT_EQ(layout, TagLayout::Millis);
}

TEST(FormatTimeTag, TruncatesDigitsInEveryLayout)
{
    EXPECT_EQ(FormatTimeTag(83459, TagLayout::Seconds), U("[01:23]"));
    EXPECT_EQ(FormatTimeTag(83459, TagLayout::Millis), U("[01:23:459]"));
    EXPECT_EQ(FormatTimeTag(83459, TagLayout::Tenths), U("[01:23:4]"));
    EXPECT_EQ(FormatTimeTag(83459, TagLayout::Hundredths), U("[01:23:45]"));
    EXPECT_EQ(FormatTimeTag(1999, TagLayout::Tenths), U("[00:01:9]"));
    EXPECT_EQ(FormatTimeTag(1999, TagLayout::Seconds), U("[00:01]"));
    EXPECT_EQ(FormatTimeTag(75000, TagLayout::Hundredths, false), U("01:15:00"));
    EXPECT_EQ(FormatTimeTag(7, TagLayout::Millis), U("[00:00:007]"));
}

TEST(FormatTimeTag, ClampsToWhatATagCanHold)
{
    EXPECT_EQ(FormatTimeTag(-1, TagLayout::Hundredths), U("[00:00:00]"));
    EXPECT_EQ(FormatTimeTag(std::numeric_limits<qint64>::min(), TagLayout::Seconds), U("[00:00]"));
    // 100 minutes would need a third minute digit that no reader accepts.
    EXPECT_EQ(FormatTimeTag(6000000, TagLayout::Hundredths), U("[99:59:99]"));
    EXPECT_EQ(FormatTimeTag(std::numeric_limits<qint64>::max(), TagLayout::Millis), U("[99:59:999]"));
    EXPECT_EQ(FormatTimeTag(kMaxTagMsec, TagLayout::Millis), U("[99:59:999]"));
}

TEST(FormatTimeTag, ParsingAFormattedTagGivesTheTimeBackToItsPrecision)
{
    const struct {
        TagLayout layout;
        int unit;
    } layouts[] = {{TagLayout::Seconds, 1000}, {TagLayout::Tenths, 100}, {TagLayout::Hundredths, 10}, {TagLayout::Millis, 1}};
    for (int ms = 0; ms <= kMaxTagMsec; ms += 997) {
        for (const auto& l : layouts) {
            TagLayout got = TagLayout::Seconds;
            ASSERT_EQ(ParseTimeTag(FormatTimeTag(ms, l.layout), &got), ms / l.unit * l.unit);
            ASSERT_EQ(got, l.layout);
        }
    }
}

TEST(TakeNextTag, AppendsTheTextInFrontAndReturnsTheRest)
{
    QString before = U("x");
    const QString text = U("a[b][00:01]c");
    const NextTag n = TakeNextTag(text, before);
    EXPECT_EQ(before, U("xa[b]"));
    EXPECT_EQ(n.tag, U("[00:01]"));
    EXPECT_EQ(n.rest.toString(), U("c"));
}

TEST(TakeNextTag, WithoutTagAllTextGoesToTheAccumulator)
{
    QString before = U(">");
    NextTag n = TakeNextTag(u"plain [text]", before);
    EXPECT_TRUE(n.tag.isEmpty());
    EXPECT_TRUE(n.rest.isEmpty());
    EXPECT_EQ(before, U(">plain [text]"));
    n = TakeNextTag(u"", before);
    EXPECT_EQ(before, U(">plain [text]"));
}

TEST(TakeNextTag, LoopVisitsEveryTagAndRebuildsTheText)
{
    const Walk w = WalkTags(U("[0:01:00]あ[0:02:0]い\r\n[1:2]う"));
    EXPECT_EQ(w.tags, (QStringList{U("[00:01:00]"), U("[00:02:0]"), U("[01:02]")}));
    EXPECT_EQ(w.rest, U("あい\r\nう"));
}

TEST(SplitAtFullTag, FirstSplitsAtTheFirstHundredthsTagOnly)
{
    const QString text = U("[x] [y] [00:01:00]z");
    const TagSplit s = SplitAtFirstFullTag(text);
    EXPECT_EQ(s.before.toString(), U("[x] [y] "));
    EXPECT_EQ(s.tag.toString(), U("[00:01:00]"));
    EXPECT_EQ(s.after.toString(), U("z"));
    const QString onlySeconds = U("a[00:01]b[0:01:00]");
    const TagSplit none = SplitAtFirstFullTag(onlySeconds);
    EXPECT_EQ(none.before.toString(), onlySeconds);
    EXPECT_TRUE(none.tag.isEmpty());
    EXPECT_TRUE(none.after.isEmpty());
}

TEST(SplitAtFullTag, LastSplitsAtTheLastHundredthsTag)
{
    const QString text = U("a[00:01:00]b[00:02:00]c[x]");
    const TagSplit s = SplitAtLastFullTag(text);
    EXPECT_EQ(s.before.toString(), U("a[00:01:00]b"));
    EXPECT_EQ(s.tag.toString(), U("[00:02:00]"));
    EXPECT_EQ(s.after.toString(), U("c[x]"));
    const QString trailing = U("abc[x]");
    EXPECT_EQ(SplitAtLastFullTag(trailing).before.toString(), trailing);
    EXPECT_TRUE(SplitAtLastFullTag(trailing).tag.isEmpty());
}

TEST(SplitAtFullTag, PartsAlwaysJoinToTheText)
{
    for (const char* s : {"", "[", "[00:00:00]", "x[00:00:0", "[00:00:00][00:00:01]", "[[00:11:22]]", "ab[00:01:00"}) {
        const QString text = U(s);
        for (const TagSplit& sp : {SplitAtFirstFullTag(text), SplitAtLastFullTag(text)})
            EXPECT_EQ(sp.before.toString() + sp.tag.toString() + sp.after.toString(), text) << s;
    }
    EXPECT_EQ(SplitAtFirstFullTag(u"[00:00:00][00:00:01]").after.toString(), U("[00:00:01]"));
    EXPECT_EQ(SplitAtLastFullTag(u"[00:00:00][00:00:01]").before.toString(), U("[00:00:00]"));
}

TEST(HasTags, CountsOneOrTwo)
{
    EXPECT_TRUE(HasTags(u"a[00:01]", true));
    EXPECT_FALSE(HasTags(u"a[00:01]", false));
    EXPECT_TRUE(HasTags(u"[00:01]x[0:2]", false));
    EXPECT_FALSE(HasTags(u"", true));
    EXPECT_FALSE(HasTags(u"[01:23.45]", true));
}

TEST(ClassifyTagKind, TellsNoneLineHeadAndKaraoke)
{
    EXPECT_EQ(ClassifyTagKind(u""), TagKind::None);
    EXPECT_EQ(ClassifyTagKind(u"just words\r\nmore"), TagKind::None);
    EXPECT_EQ(ClassifyTagKind(u"[00:01:00]line\r\n[00:02:00]line"), TagKind::LineHead);
    EXPECT_EQ(ClassifyTagKind(u"[00:01:00][00:20:00]text"), TagKind::LineHead);
    EXPECT_EQ(ClassifyTagKind(u"[00:01:00]a[00:02:00]b"), TagKind::Karaoke);
    EXPECT_EQ(ClassifyTagKind(u"[00:01:00] [00:02:00]"), TagKind::Karaoke);
    // Text in front of a line's first tag does not make it karaoke.
    EXPECT_EQ(ClassifyTagKind(u"title [00:01:00]text"), TagKind::LineHead);
}

TEST(ClassifyTagKind, LooksAtTheFirstSixteenLinesOnly)
{
    QString text;
    for (int i = 0; i < 16; ++i)
        text += U("no tag\r\n");
    EXPECT_EQ(ClassifyTagKind(text + U("[00:01:00]a[00:02:00]b\r\n")), TagKind::None);
    QString lineHeads;
    for (int i = 0; i < 15; ++i)
        lineHeads += U("[00:01:00]x\r\n");
    EXPECT_EQ(ClassifyTagKind(lineHeads + U("[00:01:00]a[00:02:00]b")), TagKind::Karaoke);
    EXPECT_EQ(ClassifyTagKind(lineHeads + U("[00:01:00]x\r\n[00:01:00]a[00:02:00]b")), TagKind::LineHead);
}

TEST(ClassifyTagKind, CountsLinesAtCarriageReturns)
{
    // A lone CR ends a line; a lone LF does not.
    EXPECT_EQ(ClassifyTagKind(u"[00:01:00]a\r[00:02:00]b"), TagKind::LineHead);
    EXPECT_EQ(ClassifyTagKind(u"[00:01:00]a\n[00:02:00]b"), TagKind::Karaoke);
}

TEST(StripAllTags, RemovesEveryTagAndKeepsTheRest)
{
    EXPECT_EQ(StripAllTags(u"[00:01:00]あ[0:2]い\r\n[x]う[01:23.45]"), U("あい\r\n[x]う[01:23.45]"));
    EXPECT_EQ(StripAllTags(u""), U(""));
    EXPECT_EQ(StripAllTags(u"]]][[["), U("]]][[["));
}

TEST(StripAllTags, LeavesNoTagThatFormsWhenAnInnerOneGoes)
{
    EXPECT_EQ(StripAllTags(u"a[[00:01]00:02]b"), U("ab"));
    EXPECT_EQ(StripAllTags(u"[[[0:1]0:1]0:1]"), U(""));
    EXPECT_EQ(StripAllTags(u"[1[00:01]:2]"), U(""));
    EXPECT_FALSE(HasTags(StripAllTags(u"[0[0[00:00]0:00]0:00]x"), true));
}

TEST(KeepLeadingTagOnly, MovesTheFirstTagToTheHeadAndDropsTheOthers)
{
    EXPECT_EQ(KeepLeadingTagOnly(u"abc[00:01:00]de[00:02:00]f"), U("[00:01:00]abcdef\r\n"));
    EXPECT_EQ(KeepLeadingTagOnly(u"[0:1]x[0:2]\r\nno tag\r\n"), U("[00:01]x\r\nno tag\r\n"));
    EXPECT_EQ(KeepLeadingTagOnly(u""), U(""));
}

TEST(KeepLeadingTagOnly, EndsEveryLineWithCrLfAndKeepsALoneFinalLf)
{
    EXPECT_EQ(KeepLeadingTagOnly(u"a"), U("a\r\n"));
    EXPECT_EQ(KeepLeadingTagOnly(u"a\r\n\n"), U("a\r\n\n"));
    EXPECT_EQ(KeepLeadingTagOnly(u"a\r\n\r\n"), U("a\r\n\r\n"));
}

TEST(KeepLeadingTagOnly, NoSecondTagFormsWhereTheTwoHalvesMeet)
{
    EXPECT_EQ(KeepLeadingTagOnly(u"[0[00:01:00]0:05]x"), U("[00:01:00]x\r\n"));
}

TEST(RewriteTags, CopiesEverythingButTheTags)
{
    const QString out = RewriteTags(u"a[0:1]b[x]c[00:02:00]", [](const TagMatch& m, QString& o) {
        o += QString::number(m.msec());
    });
    EXPECT_EQ(out, U("a1000b[x]c2000"));
}
