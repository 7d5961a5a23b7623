// Lyric timing: the lines and karaoke segment shown at chosen positions.
#include "playback/lyrictiming.h"

#include <gtest/gtest.h>

using namespace playback;

namespace {

const QString kLineHead = QStringLiteral(
    "title line without a tag\r\n"
    "[00:01:00]one\r\n"
    "[00:03:00]two\r\n"
    "\r\n"
    "an untagged line\r\n"
    "[00:05:00]three\r\n"
    "[00:07:00]four\r\n"
    "[00:09:00]five\r\n");

const QString kKaraoke = QString::fromUtf8(
    "[00:01:00]あい[00:01:50]うえ[00:02:00]お\r\n"
    "[00:03:00]か[00:03:40]き[00:04:00]\r\n"
    "[00:06:00]さしす\r\n");

LyricTimer Timer(const QString& text)
{
    LyricTimer t;
    t.SetText(text);
    t.SetSongEndMs(12000);
    return t;
}

} // namespace

TEST(LyricLines, BeforeTheFirstLineOnlyTheComingLinesAreShown)
{
    const LyricState s = Timer(kLineHead).StateAt(0);
    EXPECT_EQ(s.texts[7], QString());
    EXPECT_EQ(s.texts[6], QString());
    EXPECT_EQ(s.texts[5], QString());
    EXPECT_EQ(s.texts[1], QStringLiteral("one"));
    EXPECT_EQ(s.texts[0], QStringLiteral("two"));
    EXPECT_EQ(s.integers[1], -1);
    EXPECT_EQ(s.integers[3], 0);
}

TEST(LyricLines, ALineBecomesCurrentTheAdvanceBeforeItsTag)
{
    LyricTimer t = Timer(kLineHead);
    EXPECT_EQ(t.StateAt(499).texts[5], QString());
    EXPECT_EQ(t.StateAt(500).texts[5], QStringLiteral("one"));
    t.SetAdvanceMs(0);
    EXPECT_EQ(t.StateAt(999).texts[5], QString());
    EXPECT_EQ(t.StateAt(1000).texts[5], QStringLiteral("one"));
}

TEST(LyricLines, UntaggedLinesAreSkippedAndNeighboursFollowTextOrder)
{
    const LyricState s = Timer(kLineHead).StateAt(6600); // "four" from 6500
    EXPECT_EQ(s.texts[7], QStringLiteral("two"));
    EXPECT_EQ(s.texts[6], QStringLiteral("three"));
    EXPECT_EQ(s.texts[5], QStringLiteral("four"));
    EXPECT_EQ(s.texts[1], QStringLiteral("five"));
    EXPECT_EQ(s.texts[0], QString());
    EXPECT_EQ(s.integers[1], 6); // the text's seventh line
}

TEST(LyricLines, LineHeadLineSweepsItsTextToTheNextLinesTag)
{
    LyricTimer t = Timer(kLineHead);
    // In the advance: nothing is sung yet.
    LyricState s = t.StateAt(700);
    EXPECT_EQ(s.integers[0], 500);
    EXPECT_EQ(s.integers[3], 500);
    EXPECT_EQ(s.integers[2], 0);
    EXPECT_EQ(s.texts[3], QString());
    EXPECT_EQ(s.texts[4], QString());
    // From its tag the whole line is swept until the next line's tag.
    s = t.StateAt(1500);
    EXPECT_EQ(s.integers[0], 1000);
    EXPECT_EQ(s.integers[3], 2000);
    EXPECT_EQ(s.integers[2], 1);
    EXPECT_EQ(s.texts[3], QString());
    EXPECT_EQ(s.texts[4], QStringLiteral("one"));
    EXPECT_EQ(s.texts[2], QString());
    // The last line sweeps to the song's end.
    s = t.StateAt(9500);
    EXPECT_EQ(s.texts[5], QStringLiteral("five"));
    EXPECT_EQ(s.integers[0], 9000);
    EXPECT_EQ(s.integers[3], 3000);
}

TEST(LyricKaraoke, SegmentsRunFromTagToTag)
{
    LyricTimer t = Timer(kKaraoke);
    LyricState s = t.StateAt(1200);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("あいうえお"));
    EXPECT_EQ(s.integers[0], 1000);
    EXPECT_EQ(s.integers[3], 500);
    EXPECT_EQ(s.texts[3], QString());
    EXPECT_EQ(s.texts[4], QString::fromUtf8("あい"));
    EXPECT_EQ(s.texts[2], QString::fromUtf8("うえお"));

    s = t.StateAt(1700);
    EXPECT_EQ(s.integers[0], 1500);
    EXPECT_EQ(s.integers[3], 500);
    EXPECT_EQ(s.texts[3], QString::fromUtf8("あい"));
    EXPECT_EQ(s.texts[4], QString::fromUtf8("あいうえ"));

    // After the line's last tag its tail is swept up to the next line's first tag.
    s = t.StateAt(2100);
    EXPECT_EQ(s.integers[0], 2000);
    EXPECT_EQ(s.integers[3], 1000);
    EXPECT_EQ(s.texts[3], QString::fromUtf8("あいうえ"));
    EXPECT_EQ(s.texts[4], QString::fromUtf8("あいうえお"));
}

TEST(LyricKaraoke, AClosingTagHoldsTheWholeLine)
{
    const LyricState s = Timer(kKaraoke).StateAt(4200);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("かき"));
    EXPECT_EQ(s.integers[0], 4000);
    EXPECT_EQ(s.integers[3], 2000);
    EXPECT_EQ(s.texts[3], QString::fromUtf8("かき"));
    EXPECT_EQ(s.texts[4], QString::fromUtf8("かき"));
}

TEST(LyricKaraoke, WithoutKaraokeLinesAreTimedButNoSegmentIsGiven)
{
    LyricTimer t = Timer(kKaraoke);
    t.SetKaraoke(false);
    const LyricState s = t.StateAt(1700);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("あいうえお"));
    EXPECT_EQ(s.integers[3], 0);
    EXPECT_EQ(s.integers[2], -1);
    EXPECT_EQ(s.texts[3], QString());
    EXPECT_EQ(s.texts[4], QString());
}

TEST(LyricTimeBase, StandardTimeTagsAreMovedOntoTheWinAmpClock)
{
    LyricTimer t = Timer(QStringLiteral("[00:10:00]ten\r\n[00:20:00]twenty\r\n"));
    t.SetWinAmpRatio(0.9953125);
    // WinAmp-time tags are on the WinAmp clock already.
    t.SetTimeBase(LyricsTimeBase::WinAmp);
    EXPECT_EQ(t.StateAt(10000).integers[0], 10000);
    EXPECT_EQ(t.StateAt(9499).texts[5], QString());
    EXPECT_EQ(t.StateAt(9500).texts[5], QStringLiteral("ten"));
    // Standard-time tags: 10 000 ms of real time is 9 953 ms on the WinAmp clock.
    t.SetTimeBase(LyricsTimeBase::Standard);
    const LyricState s = t.StateAt(10000);
    EXPECT_EQ(s.integers[0], 9953);
    EXPECT_EQ(s.integers[3], 19906 - 9953);
    EXPECT_EQ(t.StateAt(9452).texts[5], QString());
    EXPECT_EQ(t.StateAt(9453).texts[5], QStringLiteral("ten"));
}

TEST(LyricAtLines, OffsetIsAppliedAndAtLinesAreHidden)
{
    const QString text = QStringLiteral("[00:02:00]two\r\n[00:04:00]four\r\n@[00:05:00]tagged at line\r\n@Offset=-250\r\n");
    LyricTimer t = Timer(text);
    t.SetAtMarkUse(AtMarkUse::HideAndOffset);
    LyricState s = t.StateAt(2000);
    EXPECT_EQ(s.texts[5], QStringLiteral("two"));
    EXPECT_EQ(s.integers[0], 1750);
    EXPECT_EQ(s.texts[1], QStringLiteral("four"));
    EXPECT_EQ(s.texts[0], QString());
    EXPECT_EQ(t.StateAt(6000).texts[5], QStringLiteral("four"));

    t.SetAtMarkUse(AtMarkUse::Hide);
    s = t.StateAt(2000);
    EXPECT_EQ(s.integers[0], 2000);
    EXPECT_EQ(s.texts[0], QString());

    t.SetAtMarkUse(AtMarkUse::Show);
    EXPECT_EQ(t.StateAt(2000).texts[0], QStringLiteral("@tagged at line"));
}

TEST(LyricAtLines, NegativeResultsOfTheOffsetBecomeZero)
{
    LyricTimer t = Timer(QStringLiteral("[00:00:10]early\r\n[00:02:00]late\r\n@Offset=-500\r\n"));
    const LyricState s = t.StateAt(0);
    EXPECT_EQ(s.texts[5], QStringLiteral("early"));
    EXPECT_EQ(s.integers[0], 0);
}

TEST(LyricText, LoneLineBreaksAndEmptyTextsAreHandled)
{
    LyricTimer t = Timer(QStringLiteral("[00:01]a\n[00:02]b\r[00:03]c"));
    EXPECT_EQ(t.StateAt(2600).texts[5], QStringLiteral("c"));
    EXPECT_EQ(t.StateAt(2600).texts[6], QStringLiteral("b"));
    t.Clear();
    EXPECT_FALSE(t.HasLyrics());
    EXPECT_EQ(t.StateAt(2600), LyricState());
    t.SetText(QStringLiteral("no tags here\r\nat all\r\n"));
    EXPECT_TRUE(t.HasLyrics());
    EXPECT_EQ(t.StateAt(2600), LyricState());
}

TEST(LyricText, ReversedTagsNeverGiveNegativeLengths)
{
    LyricTimer t = Timer(QStringLiteral("[00:05:00]a[00:04:00]b\r\n[00:03:00]c\r\n"));
    for (qint64 ms = 0; ms < 8000; ms += 50) {
        const LyricState s = t.StateAt(ms);
        EXPECT_GE(s.integers[3], 0) << ms;
    }
}
