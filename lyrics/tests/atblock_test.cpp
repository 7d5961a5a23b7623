#include "lyrics/atblock.h"

#include "common/utf8text.h"

#include <QLocale>
#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using namespace lyrics;

namespace {
using common::U;

CorrectionReading Read(const char* text, bool userWinAmp = true)
{
    return ReadCorrectionData(U(text), userWinAmp);
}
} // namespace

TEST(FindAtValue, TakesTheFirstHitIgnoringCaseUpToTheLineEnd)
{
    const QString text = U("x\r\n@TITLE= = Song  \r\n@title=second\r\n");
    EXPECT_EQ(FindAtValue(text, QLatin1StringView("@title")), U("Song  "));
    EXPECT_EQ(FindAtValue(text, QLatin1StringView("@artist")), U(""));
    // A key inside a line or inside a longer key counts too.
    EXPECT_EQ(FindAtValue(u"lyric @album=A", QLatin1StringView("@album")), U("A"));
    EXPECT_EQ(FindAtValue(u"@silencemsec=5", QLatin1StringView("@silence")), U("msec=5"));
    EXPECT_EQ(FindAtValue(u"@offset=12", QLatin1StringView("@offset")), U("12"));
}

TEST(FindKey, FoldsAsciiCaseOnly)
{
    EXPECT_EQ(FindKey(u"abc TiTlE:", QLatin1StringView("title:")), 4);
    EXPECT_EQ(FindKey(u"xx", QLatin1StringView("title")), -1);
    // The Kelvin sign is not a "k".
    EXPECT_EQ(FindKey(u"@ta\u212Aggingby", QLatin1StringView("@takggingby")), -1);
}

TEST(ReadCorrectionData, EmptyTextGivesTheResetRecord)
{
    const CorrectionReading r = Read("");
    EXPECT_TRUE(r.NoOlderData);
    EXPECT_EQ(r.data, CorrectionData{});
}

TEST(ReadCorrectionData, SplitsTheEditorOutOfAnOlderTaggingBy)
{
    CorrectionReading r = Read("@taggingby=abc (def)");
    EXPECT_EQ(r.data.TaggingBy, U("abc"));
    EXPECT_EQ(r.data.EditedBy, U("def"));
    EXPECT_FALSE(r.NoOlderData);

    r = Read("@taggingby=abc ()");
    EXPECT_EQ(r.data.TaggingBy, U("abc"));
    EXPECT_EQ(r.data.EditedBy, U(""));
    EXPECT_TRUE(r.NoOlderData);

    r = Read("@TaggingBy=me (x)\r\n@EditedBy=you");
    EXPECT_EQ(r.data.TaggingBy, U("me"));
    EXPECT_EQ(r.data.EditedBy, U("you"));

    r = Read("@TaggingBy=plain (name");
    EXPECT_EQ(r.data.TaggingBy, U("plain (name"));
}

TEST(ReadCorrectionData, CurrentRatioAloneMeansStandardTime)
{
    const CorrectionReading r = Read("@TimeRatio=1\r\n");
    EXPECT_EQ(r.data.TimeType, TimeBase::Standard);
    EXPECT_EQ(r.data.TimeRatio, 1.0);
    EXPECT_TRUE(r.NoOlderData);
    const CorrectionReading w = Read("@TimeRatio= 0.9953125 \r\n");
    EXPECT_EQ(w.data.TimeType, TimeBase::WinAmp);
    EXPECT_EQ(w.data.TimeRatio, 0.9953125);
}

TEST(ReadCorrectionData, OlderTimeTypeWithFramesDerivesTheRatio)
{
    const CorrectionReading r = Read("@timetype=WinAmp\r\n@flames=10000\r\n@totalsec=261\r\n");
    EXPECT_EQ(r.data.TimeType, TimeBase::WinAmp);
    EXPECT_EQ(r.data.Frames, 10000);
    EXPECT_EQ(r.data.TotalSec, 261);
    EXPECT_EQ(r.data.TimeRatio, 0.9953125);
    EXPECT_FALSE(r.NoOlderData);
}

TEST(ReadCorrectionData, OlderTimeTypeWithoutFramesFollowsTheUsersTimeBase)
{
    EXPECT_EQ(Read("@timetype=winamp", true).data.TimeRatio, 0.995312);
    EXPECT_EQ(Read("@timetype=winamp", false).data.TimeRatio, 1.0);
    EXPECT_EQ(Read("@timetype=normal", true).data.TimeRatio, 1.0);
    EXPECT_EQ(Read("@timetype=normal", true).data.TimeType, TimeBase::Standard);
    // Nothing stated: the user's time base, and the type stays "not stated".
    EXPECT_EQ(Read("lyrics", true).data.TimeRatio, 0.995312);
    EXPECT_EQ(Read("lyrics", false).data.TimeRatio, 1.0);
    EXPECT_EQ(Read("lyrics", true).data.TimeType, TimeBase::NotStated);
    EXPECT_EQ(Read("@timetype=other", true).data.TimeType, TimeBase::NotStated);
    EXPECT_TRUE(Read("@timetype=other", true).NoOlderData);
}

TEST(ReadCorrectionData, OlderSilenceInFramesIsConverted)
{
    CorrectionReading r = Read("@silence=100\r\n");
    EXPECT_EQ(r.data.SilenceMsec, 2612);
    EXPECT_EQ(r.data.SilenceFrames, 100);
    EXPECT_FALSE(r.NoOlderData);

    r = Read("@SilencemSec=300\r\n@silence=100\r\n");
    EXPECT_EQ(r.data.SilenceMsec, 300);
    EXPECT_EQ(r.data.SilenceFrames, -1);
    EXPECT_TRUE(r.NoOlderData);

    r = Read("nothing");
    EXPECT_EQ(r.data.SilenceMsec, -1);
    EXPECT_EQ(r.data.SilenceFrames, -1);
}

TEST(ReadCorrectionData, AnEmptyCurrentSilenceIsNotReadAsOlderData)
{
    // "@silence" also starts "@silencemsec"; its value must not be taken for frames.
    const CorrectionReading r = Read("@SilencemSec=\r\n");
    EXPECT_EQ(r.data.SilenceMsec, -1);
    EXPECT_EQ(r.data.SilenceFrames, -1);
    EXPECT_TRUE(r.NoOlderData);
    const CorrectionReading both = Read("@SilencemSec=\r\n@silence=10\r\n");
    EXPECT_EQ(both.data.SilenceMsec, 261);
    EXPECT_EQ(both.data.SilenceFrames, -1); // the text holds "@silencemsec"
}

TEST(ReadCorrectionData, OffsetIsPresentOnlyWithAValue)
{
    CorrectionReading r = Read("@Offset=-250\r\n");
    EXPECT_TRUE(r.data.HasOffset);
    EXPECT_EQ(r.data.Offset, -250);
    r = Read("@Offset=\r\n");
    EXPECT_FALSE(r.data.HasOffset);
    r = Read("@Offset=abc\r\n");
    EXPECT_TRUE(r.data.HasOffset);
    EXPECT_EQ(r.data.Offset, 0);
}

TEST(ReadCorrectionData, NumbersRoundHalvesToEvenAndStayInRange)
{
    EXPECT_EQ(Read("@Offset=2.5").data.Offset, 2);
    EXPECT_EQ(Read("@Offset=3.5").data.Offset, 4);
    EXPECT_EQ(Read("@Offset=-2.5x").data.Offset, -2);
    EXPECT_EQ(Read("@Offset=99999999999999").data.Offset, std::numeric_limits<int>::max());
    EXPECT_EQ(Read("@SilencemSec=12abc").data.SilenceMsec, 12);
}

TEST(ReadCorrectionData, SongFactsAndCarriedFields)
{
    const CorrectionReading r = Read("@Artist=A B  \r\n@title=T\r\n@ALBUM=Al\r\n@bgfile=f.jpg\r\n@bgfolder=dir\r\n");
    EXPECT_EQ(r.data.Artist, U("A B"));
    EXPECT_EQ(r.data.Title, U("T"));
    EXPECT_EQ(r.data.Album, U("Al"));
    EXPECT_EQ(r.data.BgFile, U("f.jpg"));
    EXPECT_EQ(r.data.BgFolder, U("dir"));
}

TEST(ReadCorrectionData, DecimalPointIsAlwaysADot)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Read("@TimeRatio=0.9953125").data.TimeRatio, 0.9953125);
    // "0,9953125" reads as 0, that is no ratio: the user's time base decides.
    EXPECT_EQ(Read("@TimeRatio=0,9953125", false).data.TimeRatio, 1.0);
    CorrectionData d;
    d.TimeRatio = 0.9953125;
    EXPECT_TRUE(AppendAtBlock(u"", d).contains(U("@TimeRatio=0.9953125\r\n")));
    QLocale::setDefault(saved);
}

TEST(StripAtLines, RemovesTheFirstLineOfEachKnownKey)
{
    EXPECT_EQ(StripAtLines(u"a\r\n@Title=x\r\nb\r\n@TITLE=y\r\n"), U("a\r\nb\r\n@TITLE=y\r\n"));
    // A lyric line holding a key is cut from the key to its line end.
    EXPECT_EQ(StripAtLines(u"sing @title here\r\nnext"), U("sing next"));
    EXPECT_EQ(StripAtLines(u"x\r\n@bgfolder=last"), U("x\r\n"));
    EXPECT_EQ(StripAtLines(u""), U(""));
    EXPECT_EQ(StripAtLines(u"@samplerate=44100\r\n@unknown=1\r\n"), U("@unknown=1\r\n"));
}

TEST(StripAtLines, RemovesBothSilenceLinesInEitherOrder)
{
    EXPECT_EQ(StripAtLines(u"@silence=1\r\n@SilencemSec=2\r\nx"), U("x"));
    EXPECT_EQ(StripAtLines(u"@SilencemSec=2\r\n@silence=1\r\nx"), U("x"));
    EXPECT_EQ(StripAtLines(u"@SilencemSec=2\r\n@SilencemSec=3\r\nx"), U("x"));
    EXPECT_EQ(StripAtLines(u"@silence=1\r\n@silence=2\r\nx"), U("@silence=2\r\nx"));
}

TEST(AppendAtBlock, WritesTheCurrentKeysInOrder)
{
    CorrectionData d;
    d.TimeRatio = 1.0;
    d.SilenceMsec = 300;
    d.TaggingBy = U("A");
    EXPECT_EQ(AppendAtBlock(u"[00:01:00]la\r\n", d), U("[00:01:00]la\r\n@TimeRatio=1\r\n@SilencemSec=300\r\n@TaggingBy=A\r\n"));

    CorrectionData full;
    full.Artist = U("歌手");
    full.Title = U("曲");
    full.Album = U("盤");
    full.BgFile = U("b.png");
    full.BgFolder = U("bg");
    full.TimeRatio = 0.9953125;
    full.HasOffset = true;
    full.Offset = -20;
    full.SilenceMsec = 0;
    full.EditedBy = U("E");
    EXPECT_EQ(AppendAtBlock(u"x", full),
              U("x\r\n@Artist=歌手\r\n@Title=曲\r\n@Album=盤\r\n@Bgfile=b.png\r\n@Bgfolder=bg\r\n"
                "@TimeRatio=0.9953125\r\n@Offset=-20\r\n@SilencemSec=0\r\n@TaggingBy=\r\n@EditedBy=E\r\n"));
}

TEST(AppendAtBlock, ReplacesAnOldBlockAndStartsOnItsOwnLine)
{
    CorrectionData d;
    d.TaggingBy = U("me");
    EXPECT_EQ(AppendAtBlock(u"@timetype=winamp\r\n@flames=3\r\n", d), U("\r\n@TaggingBy=me\r\n"));
    EXPECT_EQ(AppendAtBlock(u"lyric\r\n@TaggingBy=old\r\n", d), U("lyric\r\n@TaggingBy=me\r\n"));
}

TEST(AppendAtBlock, WhatItWritesReadsBack)
{
    CorrectionData d;
    d.TaggingBy = U("tagger");
    d.EditedBy = U("editor");
    d.TimeRatio = 0.9953125;
    d.SilenceMsec = 26;
    d.HasOffset = true;
    d.Offset = 150;
    d.Artist = U("a");
    d.Title = U("t");
    const CorrectionReading r = ReadCorrectionData(AppendAtBlock(u"[00:01:00]x\r\n", d), false);
    EXPECT_TRUE(r.NoOlderData);
    CorrectionData expected = d;
    expected.TimeType = TimeBase::WinAmp;
    EXPECT_EQ(r.data, expected);
}

TEST(FormatRatio, FifteenSignificantDigitsWithoutExponentOrTrailingZeros)
{
    EXPECT_EQ(FormatRatio(1.0), U("1"));
    EXPECT_EQ(FormatRatio(0.9953125), U("0.9953125"));
    EXPECT_EQ(FormatRatio(26.0 / (1152000.0 / 44100)), U("0.9953125"));
    EXPECT_EQ(FormatRatio(1.0 / 3), U("0.333333333333333"));
    EXPECT_EQ(FormatRatio(0.00001), U("0.00001"));
    EXPECT_EQ(FormatRatio(12345.5), U("12345.5"));
    EXPECT_EQ(FormatRatio(1e17), U("100000000000000000"));
}

TEST(FindTitleArtist, TriesTheAtKeyThenTheColonForms)
{
    TitleArtist ta = FindTitleArtist(u"@title=[00:01:00]Song\r\n@Artist = Band\r\n");
    EXPECT_EQ(ta.title, U("Song"));
    EXPECT_EQ(ta.artist, U("Band"));
    ta = FindTitleArtist(u"[00:00:00]Title: 歌\r\n[00:00:10]ARTIST : 人\r\n");
    EXPECT_EQ(ta.title, U("歌"));
    EXPECT_EQ(ta.artist, U("人"));
    ta = FindTitleArtist(u"@title=\r\ntitle:fallback");
    EXPECT_EQ(ta.title, U("fallback"));
    ta = FindTitleArtist(u"nothing here");
    EXPECT_EQ(ta.title, U(""));
    EXPECT_EQ(ta.artist, U(""));
}

TEST(FrameArithmetic, SampleRateFromFramesAndTotalSeconds)
{
    EXPECT_EQ(SampleRateFromFrames(10000, 261), 44100);
    EXPECT_EQ(SampleRateFromFrames(0, 261), 44100);
    EXPECT_EQ(SampleRateFromFrames(100, 0), 44100);
    // One second of frames at each rate.
    for (int rate : {48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000}) {
        const qint64 frames = qint64(rate) * 100 / 1152;
        EXPECT_EQ(SampleRateFromFrames(frames, 100), rate) << rate;
    }
    EXPECT_EQ(SampleRateFromFrames(std::numeric_limits<qint64>::max(), 1), 48000);
}

TEST(FrameArithmetic, WinAmpRatioIsOneOnlyForWholeMillisecondFrames)
{
    for (int rate : {48000, 32000, 24000, 16000, 12000, 8000})
        EXPECT_EQ(WinAmpRatio(rate, 1152), 1.0) << rate;
    for (int rate : {44100, 22050, 11025})
        EXPECT_EQ(WinAmpRatio(rate, 1152), 0.9953125) << rate;
    EXPECT_EQ(WinAmpRatio(0, 1152), 1.0);
}

TEST(FrameArithmetic, FramesToMsecTruncates)
{
    EXPECT_EQ(FramesToMsec(100, 44100, 1152), 2612);
    EXPECT_EQ(FramesToMsec(0, 44100, 1152), 0);
    EXPECT_EQ(FramesToMsec(1000, 48000, 1152), 24000);
    EXPECT_EQ(FramesToMsec(5, 0, 1152), 0);
}
