#include "lyrics/correction.h"

#include "common/utf8text.h"
#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using namespace lyrics;

namespace {
using common::U;

constexpr SongFacts kSong44k{44100, 0};
constexpr SongFacts kSong48k{48000, 0};

CorrectionData Lyrics(const QString& text, bool userWinAmp = true)
{
    return ReadCorrectionData(text, userWinAmp).data;
}

/// The first line of a text.
QString FirstLine(const QString& text)
{
    return text.left(text.indexOf(QLatin1String("\r\n")));
}
} // namespace

TEST(ShiftBySilenceOrOffset, OffsetWinsOverSilence)
{
    CorrectionData lyrics;
    lyrics.HasOffset = true;
    lyrics.Offset = 1000;
    lyrics.SilenceMsec = 500;
    CorrectionData target;
    target.SilenceMsec = 200;
    target.HasOffset = true;
    EXPECT_EQ(ShiftBySilenceOrOffset(100, lyrics, target), 1100);
    EXPECT_TRUE(target.HasOffset);
}

TEST(ShiftBySilenceOrOffset, SilenceDifferenceOnlyWhenBothAreKnown)
{
    CorrectionData lyrics;
    lyrics.SilenceMsec = 500;
    CorrectionData target;
    target.SilenceMsec = 200;
    target.HasOffset = true;
    EXPECT_EQ(ShiftBySilenceOrOffset(1000, lyrics, target), 700);
    EXPECT_FALSE(target.HasOffset);
    EXPECT_EQ(ShiftBySilenceOrOffset(100, lyrics, target), 0); // never negative
    lyrics.SilenceMsec = -1;
    EXPECT_EQ(ShiftBySilenceOrOffset(1000, lyrics, target), 1000);
    lyrics.HasOffset = true;
    lyrics.Offset = -5000;
    EXPECT_EQ(ShiftBySilenceOrOffset(1000, lyrics, target), 0);
}

TEST(ConvertTags, WinAmpToStandardDividesByTheLyricsRatio)
{
    QString text = U("[01:00:00]la\r\n@TimeRatio=0.9953125\r\n@TaggingBy=T\r\n");
    const CorrectionData lyrics = Lyrics(text);
    ASSERT_TRUE(ConvertTags(text, kSong44k, lyrics, ConversionKind::WinAmpToStandard, U("me")));
    EXPECT_EQ(text, U("[01:00:28]la\r\n@TimeRatio=1\r\n@SilencemSec=0\r\n@TaggingBy=T\r\n@EditedBy=me\r\n"));
}

TEST(ConvertTags, StandardToWinAmpMultipliesByTheSongsRatio)
{
    QString text = U("[01:00:00]la\r\n@TimeRatio=1\r\n");
    ASSERT_TRUE(ConvertTags(text, kSong44k, Lyrics(text), ConversionKind::StandardToWinAmp, U("me")));
    EXPECT_EQ(FirstLine(text), U("[00:59:71]la"));
    EXPECT_TRUE(text.contains(U("@TimeRatio=0.9953125\r\n")));
    // A 48 kHz song has ratio 1: the time stays.
    QString other = U("[01:00:00]la\r\n@TimeRatio=1\r\n");
    ASSERT_TRUE(ConvertTags(other, kSong48k, Lyrics(other), ConversionKind::StandardToWinAmp, U("me")));
    EXPECT_EQ(FirstLine(other), U("[01:00:00]la"));
}

TEST(ConvertTags, WinAmpToWinAmpGoesThroughStandardTime)
{
    // 44.1 kHz WinAmp time to a 48 kHz song's WinAmp time (ratio 1).
    QString text = U("[01:00:00]la\r\n@TimeRatio=0.9953125\r\n");
    ASSERT_TRUE(ConvertTags(text, kSong48k, Lyrics(text), ConversionKind::WinAmpToWinAmp, U("me")));
    EXPECT_EQ(FirstLine(text), U("[01:00:28]la"));
    EXPECT_TRUE(text.contains(U("@TimeRatio=1\r\n")));
}

TEST(ConvertTags, MovesBySilenceDifferenceAndNeverBelowZero)
{
    QString text = U("[00:00:20]a[00:01:00]b\r\n@TimeRatio=1\r\n@SilencemSec=500\r\n");
    ASSERT_TRUE(ConvertTags(text, SongFacts{44100, 200}, Lyrics(text), ConversionKind::StandardToStandard, U("me")));
    EXPECT_EQ(FirstLine(text), U("[00:00:00]a[00:00:70]b"));
    EXPECT_TRUE(text.contains(U("@SilencemSec=200\r\n")));
}

TEST(ConvertTags, AppliesTheOffsetInsteadOfSilenceAndZeroesIt)
{
    QString text = U("[00:01:00]a\r\n@TimeRatio=1\r\n@Offset=1000\r\n@SilencemSec=500\r\n");
    ASSERT_TRUE(ConvertTags(text, SongFacts{44100, 200}, Lyrics(text), ConversionKind::StandardToStandard, U("me")));
    EXPECT_EQ(FirstLine(text), U("[00:02:00]a"));
    EXPECT_TRUE(text.contains(U("@Offset=0\r\n")));
    EXPECT_TRUE(text.contains(U("@SilencemSec=200\r\n")));
}

TEST(ConvertTags, KeepsEachTagsLayoutAndTheSongFacts)
{
    QString text = U("[00:01]a[00:02:5]b[00:03:000]\r\n@Artist=A\r\n@Title=T\r\n@Album=L\r\n@bgfile=f\r\n@TimeRatio=1\r\n");
    ASSERT_TRUE(ConvertTags(text, kSong44k, Lyrics(text), ConversionKind::StandardToStandard, U("me")));
    EXPECT_EQ(text, U("[00:01]a[00:02:5]b[00:03:000]\r\n@Artist=A\r\n@Title=T\r\n@Album=L\r\n@Bgfile=f\r\n"
                      "@TimeRatio=1\r\n@SilencemSec=0\r\n@TaggingBy=\r\n@EditedBy=me\r\n"));
}

TEST(ConvertTags, FailsAndLeavesTheTextWithoutTagsOrSong)
{
    for (int kind = 0; kind < 4; ++kind) {
        QString text = U("no tags\r\n@TimeRatio=1\r\n");
        const QString before = text;
        EXPECT_FALSE(ConvertTags(text, kSong44k, Lyrics(text), ConversionKind(kind), U("me"))) << kind;
        EXPECT_EQ(text, before);
    }
    QString text = U("[00:01:00]x");
    EXPECT_FALSE(ConvertTags(text, SongFacts{0, 0}, Lyrics(text), ConversionKind::StandardToStandard, U("me")));
    QString empty;
    EXPECT_FALSE(ConvertTags(empty, kSong44k, CorrectionData{}, ConversionKind::StandardToStandard, U("me")));
    // A ratio that is not positive cannot be divided by.
    QString negative = U("[00:01:00]x\r\n@TimeRatio=-1\r\n");
    EXPECT_FALSE(ConvertTags(negative, kSong44k, Lyrics(negative), ConversionKind::WinAmpToStandard, U("me")));
    EXPECT_EQ(negative, U("[00:01:00]x\r\n@TimeRatio=-1\r\n"));
}

TEST(ConvertTags, HugeTimesStayTags)
{
    QString text = U("[99:99:99]x\r\n@TimeRatio=0.001\r\n");
    ASSERT_TRUE(ConvertTags(text, kSong44k, Lyrics(text), ConversionKind::WinAmpToStandard, U("me")));
    EXPECT_EQ(FirstLine(text), U("[99:59:99]x"));
}

TEST(ApplyOffset, ShiftsByTheOffsetInTheTagsTimeBase)
{
    QString text = U("[00:01:00]a[00:00:10]b\r\n@TimeRatio=0.9953125\r\n@Offset=-150\r\n@TaggingBy=T\r\n");
    ASSERT_TRUE(ApplyOffset(text, Lyrics(text)));
    // int(-150 / 0.9953125) = -151
    EXPECT_EQ(text, U("[00:00:84]a[00:00:00]b\r\n@TimeRatio=0.9953125\r\n@Offset=0\r\n@TaggingBy=T\r\n"));
}

TEST(ApplyOffset, FailsOnEmptyText)
{
    QString text;
    CorrectionData d;
    d.TimeRatio = 1;
    EXPECT_FALSE(ApplyOffset(text, d));
    EXPECT_TRUE(text.isEmpty());
}

TEST(AddCorrectionData, WritesTheSongsFactsAndKeepsTagTimes)
{
    QString text = U("[00:01:00]a\r\n@timetype=winamp\r\n@Title=T\r\n@Offset=5\r\n");
    CorrectionData lyrics = Lyrics(text);
    lyrics.TimeType = TimeBase::WinAmp;
    ASSERT_TRUE(AddCorrectionData(text, SongFacts{22050, 52}, lyrics, U("me")));
    EXPECT_EQ(text, U("[00:01:00]a\r\n@Title=T\r\n@TimeRatio=0.9953125\r\n@SilencemSec=52\r\n@TaggingBy=me\r\n"));
}

TEST(AddCorrectionData, TheUserBecomesEditorWhenATaggerIsNamed)
{
    QString text = U("[00:01:00]a\r\n@TaggingBy=first\r\n");
    CorrectionData lyrics = Lyrics(text);
    lyrics.TimeType = TimeBase::Standard;
    ASSERT_TRUE(AddCorrectionData(text, kSong44k, lyrics, U("me")));
    EXPECT_EQ(text, U("[00:01:00]a\r\n@TimeRatio=1\r\n@SilencemSec=0\r\n@TaggingBy=first\r\n@EditedBy=me\r\n"));
}

TEST(AddCorrectionData, FailsWithoutTimeTypeSongOrText)
{
    QString text = U("[00:01:00]a");
    CorrectionData lyrics = Lyrics(text);
    lyrics.TimeType = TimeBase::NotStated;
    EXPECT_FALSE(AddCorrectionData(text, kSong44k, lyrics, U("me")));
    lyrics.TimeType = TimeBase::WinAmp;
    EXPECT_FALSE(AddCorrectionData(text, SongFacts{0, 0}, lyrics, U("me")));
    EXPECT_EQ(text, U("[00:01:00]a"));
    QString empty;
    EXPECT_FALSE(AddCorrectionData(empty, kSong44k, lyrics, U("me")));
}

TEST(UpdateOldCorrectionData, RewritesOlderKeysAsCurrentOnes)
{
    QString text = U("[00:01:00]a\r\n@taggingby=abc (def)\r\n@timetype=winamp\r\n@flames=10000\r\n@totalsec=261\r\n@silence=100\r\n");
    const CorrectionReading r = ReadCorrectionData(text, true);
    ASSERT_TRUE(UpdateOldCorrectionData(text, r));
    EXPECT_EQ(text, U("[00:01:00]a\r\n@TimeRatio=0.9953125\r\n@SilencemSec=2612\r\n@TaggingBy=abc\r\n@EditedBy=def\r\n"));
}

TEST(UpdateOldCorrectionData, FailsWithoutOlderKeys)
{
    QString text = U("[00:01:00]a\r\n@TimeRatio=1\r\n");
    EXPECT_FALSE(UpdateOldCorrectionData(text, ReadCorrectionData(text, true)));
    EXPECT_EQ(text, U("[00:01:00]a\r\n@TimeRatio=1\r\n"));
}

TEST(CorrectionMenu, WithoutSongOnlyOffsetAndUpdateCanBeOffered)
{
    const CorrectionMenu m = CorrectionMenuState(ReadCorrectionData(U("@timetype=winamp\r\n@Offset=10"), true), std::nullopt);
    EXPECT_TRUE(m[4]);
    EXPECT_TRUE(m[7]);
    for (int i : {0, 1, 2, 3, 6})
        EXPECT_FALSE(m[i]) << i;
    const CorrectionMenu zero = CorrectionMenuState(ReadCorrectionData(U("@Offset=0"), true), std::nullopt);
    EXPECT_FALSE(zero[4]);
    EXPECT_FALSE(zero[7]);
}

TEST(CorrectionMenu, WinAmpLyricsOfferWinAmpSources)
{
    const CorrectionReading lyrics = ReadCorrectionData(U("@TimeRatio=0.9953125\r\n@SilencemSec=26"), true);
    CorrectionMenu m = CorrectionMenuState(lyrics, SongFacts{44100, 26});
    EXPECT_TRUE(m[1]);
    EXPECT_TRUE(m[6]);
    EXPECT_FALSE(m[0]); // same ratio, same silence
    EXPECT_FALSE(m[2]);
    EXPECT_FALSE(m[3]);
    EXPECT_TRUE(CorrectionMenuState(lyrics, SongFacts{44100, 100})[0]);  // silence differs
    EXPECT_TRUE(CorrectionMenuState(lyrics, SongFacts{48000, 26})[0]);   // ratio differs
}

TEST(CorrectionMenu, StandardLyricsOfferStandardSources)
{
    const CorrectionReading lyrics = ReadCorrectionData(U("@TimeRatio=1\r\n@SilencemSec=26"), true);
    CorrectionMenu m = CorrectionMenuState(lyrics, SongFacts{44100, 26});
    EXPECT_TRUE(m[2]);
    EXPECT_FALSE(m[3]);
    EXPECT_FALSE(m[0]);
    EXPECT_FALSE(m[1]);
    EXPECT_TRUE(CorrectionMenuState(lyrics, SongFacts{44100, 0})[3]);
    // An offset takes the place of the silence difference.
    const CorrectionReading withOffset = ReadCorrectionData(U("@TimeRatio=1\r\n@SilencemSec=26\r\n@Offset=0"), true);
    EXPECT_FALSE(CorrectionMenuState(withOffset, SongFacts{44100, 0})[3]);
}
