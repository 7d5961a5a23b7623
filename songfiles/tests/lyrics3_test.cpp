// The Lyrics3 v2 block: parsing, building, padding and round trips.
#include "songfiles/id3v1.h"
#include "songfiles/lyrics3.h"
#include "songfiles/riffinfo.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <gtest/gtest.h>

using namespace songfiles;
using testsupport::Sjis;

TEST(Lyrics3Parsing, ReadsKnownFieldsDecodedFromTheCodePage)
{
    const QByteArray block = synth::Lyrics3({{"IND", "11"}, {"LYR", Sjis("[00:01:00]歌詞\r\n二行目")}, {"ETT", Sjis("曲名")},
                                             {"EAR", "Artist"}, {"EAL", "Album"}, {"INF", "info"}});
    const auto r = ParseLyrics3(block);
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[IND], QStringLiteral("11"));
    EXPECT_EQ((*r)[LYR], QStringLiteral("[00:01:00]歌詞\r\n二行目"));
    EXPECT_EQ((*r)[ETT], QStringLiteral("曲名"));
    EXPECT_EQ((*r)[EAR], QStringLiteral("Artist"));
    EXPECT_EQ((*r)[EAL], QStringLiteral("Album"));
    EXPECT_EQ((*r)[INF], QStringLiteral("info"));
    EXPECT_TRUE(r->other.isEmpty());
}

TEST(Lyrics3Parsing, UnknownFieldsAreKeptWholeAndDummiesDropped)
{
    const auto r = ParseLyrics3(synth::Lyrics3({{"XYZ", "abc"}, {"DMY", "zzzz"}, {"LYR", "la"}}));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->other, QByteArray("XYZ00003abc"));
    EXPECT_EQ((*r)[LYR], QStringLiteral("la"));
    const auto empty = ParseLyrics3(synth::Lyrics3({{"QQQ", ""}, {"LYR", ""}}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->other, QByteArray("QQQ00000"));
}

TEST(Lyrics3Parsing, LaterFieldReplacesAnEarlierOne)
{
    const auto r = ParseLyrics3(synth::Lyrics3({{"LYR", "first"}, {"LYR", "second"}}));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[LYR], QStringLiteral("second"));
}

TEST(Lyrics3Parsing, SizeDigitsOffByOneAreRefused)
{
    QByteArray block = synth::Lyrics3({{"LYR", "text"}});
    const qsizetype digits = block.size() - 9 - 6;
    const int size = block.mid(digits, 6).toInt();
    block.replace(digits, 6, QByteArray::number(size + 1).rightJustified(6, '0'));
    EXPECT_FALSE(ParseLyrics3(block));
    block.replace(digits, 6, QByteArray::number(size - 1).rightJustified(6, '0'));
    EXPECT_FALSE(ParseLyrics3(block));
}

TEST(Lyrics3Parsing, FieldRunningPastTheEndIsRefused)
{
    QByteArray block = synth::Lyrics3({{"LYR", "text"}});
    block.replace(11 + 3, 5, "00009");
    EXPECT_FALSE(ParseLyrics3(block));
}

TEST(Lyrics3Parsing, EveryTruncatedPrefixAndSuffixIsRefusedCleanly)
{
    const QByteArray block = synth::Lyrics3({{"IND", "10"}, {"LYR", "abc"}, {"ETT", "t"}});
    for (qsizetype n = 0; n < block.size(); ++n) {
        EXPECT_FALSE(ParseLyrics3(block.left(n))) << n;
        EXPECT_FALSE(ParseLyrics3(block.right(n))) << n;
    }
}

TEST(Lyrics3Parsing, LargeLyricsFieldsAreRead)
{
    // The program embeds up to 60000 bytes of lyrics, so such fields must read back.
    const QByteArray lyrics(40000, 'x');
    const auto r = ParseLyrics3(synth::Lyrics3({{"LYR", lyrics}}));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[LYR].size(), 40000);
}

TEST(Lyrics3Building, WritesAllEightFieldsInOrderWithSizes)
{
    Lyrics3Record r;
    r[LYR] = QStringLiteral("歌");
    r[ETT] = QStringLiteral("T");
    const auto block = BuildLyrics3(r, Lyrics3Padding::None);
    ASSERT_TRUE(block);
    const QByteArray expected = "LYRICSBEGIN" "IND00002" "10" "LYR00002" + Sjis("歌") +
        "INF00000" "IMG00000" "AUT00000" "EAL00000" "EAR00000" "ETT00001" "T";
    EXPECT_EQ(block->left(expected.size()), expected);
    EXPECT_EQ(block->mid(expected.size()), QByteArray::number(expected.size()).rightJustified(6, '0') + "LYRICS200");
}

TEST(Lyrics3Building, OtherFieldsFollowTheStandardOnes)
{
    Lyrics3Record r;
    r.other = "XYZ00003abc";
    const auto block = BuildLyrics3(r, Lyrics3Padding::None);
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->left(block->size() - 15).endsWith("ETT00000XYZ00003abc"));
}

TEST(Lyrics3Building, OddBlockGetsALeadingNulOnlyForInfoValues)
{
    Lyrics3Record r;
    r[LYR] = QStringLiteral("x");
    // 11 + 8 field heads of 8 + IND 2 + LYR 1 + 6 + 9 = 93 bytes.
    const auto plain = BuildLyrics3(r, Lyrics3Padding::None);
    const auto even = BuildLyrics3(r, Lyrics3Padding::EvenLength);
    ASSERT_TRUE(plain && even);
    EXPECT_EQ(plain->size(), 93);
    EXPECT_EQ(even->size(), 94);
    EXPECT_EQ(*even, '\0' + *plain);
    r[LYR] = QStringLiteral("xy");
    EXPECT_EQ(BuildLyrics3(r, Lyrics3Padding::EvenLength)->size(), 94);
}

TEST(Lyrics3Building, IndicatorFollowsTheLyrics)
{
    Lyrics3Record r;
    r[IND] = QStringLiteral("99");
    EXPECT_TRUE(BuildLyrics3(r, Lyrics3Padding::None)->startsWith("LYRICSBEGININD0000200"));
    r[LYR] = QStringLiteral("no tags here");
    EXPECT_TRUE(BuildLyrics3(r, Lyrics3Padding::None)->startsWith("LYRICSBEGININD0000210"));
    r[LYR] = QStringLiteral("one [0:5] tag is enough");
    EXPECT_TRUE(BuildLyrics3(r, Lyrics3Padding::None)->startsWith("LYRICSBEGININD0000211"));
    EXPECT_EQ(Lyrics3Indicator(QStringLiteral("[01.23]")), QStringLiteral("10")) << "a dot is no separator";
}

TEST(Lyrics3Building, RefusesTextTheCodePageCannotHold)
{
    Lyrics3Record r;
    r[LYR] = QStringLiteral("歌詞 🎵");
    QString error;
    EXPECT_FALSE(BuildLyrics3(r, Lyrics3Padding::None, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("LYR"))) << error.toStdString();
}

TEST(Lyrics3Building, RefusesAFieldTooLargeForItsDigits)
{
    Lyrics3Record r;
    r[LYR] = QString(100000, QLatin1Char('a'));
    EXPECT_FALSE(BuildLyrics3(r, Lyrics3Padding::None));
    r[LYR] = QString(99999, QLatin1Char('a'));
    EXPECT_TRUE(BuildLyrics3(r, Lyrics3Padding::None));
}

TEST(Lyrics3Building, BuildParseBuildGivesTheSameBytes)
{
    Lyrics3Record r;
    r[LYR] = QStringLiteral("[00:01:00]一行目\r\n[00:02:00]二行目\r\n");
    r[INF] = QStringLiteral("コメント");
    r[EAL] = QStringLiteral("アルバム");
    r[EAR] = QStringLiteral("歌手");
    r[ETT] = QStringLiteral("曲");
    r.other = "XYZ00003abc";
    const auto once = BuildLyrics3(r, Lyrics3Padding::None);
    ASSERT_TRUE(once);
    const auto parsed = ParseLyrics3(*once);
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)[LYR], r[LYR]);
    EXPECT_EQ(parsed->other, r.other);
    EXPECT_EQ(*BuildLyrics3(*parsed, Lyrics3Padding::None), *once);
}

TEST(Lyrics3Filling, FromInfoValuesAndFromTheTag)
{
    InfoValues info;
    info.setText(INAM, QStringLiteral("名前"));
    info.setText(IART, QStringLiteral("人"));
    info.setText(IPRD, QStringLiteral("盤"));
    info.setText(ICMT, QStringLiteral("注"));
    const Lyrics3Record a = FillLyrics3FromInfo(info, QStringLiteral("歌"));
    EXPECT_EQ(a[ETT], QStringLiteral("名前"));
    EXPECT_EQ(a[EAR], QStringLiteral("人"));
    EXPECT_EQ(a[EAL], QStringLiteral("盤"));
    EXPECT_EQ(a[INF], QStringLiteral("注"));
    EXPECT_EQ(a[LYR], QStringLiteral("歌"));

    Id3v1Record tag;
    tag.title = QString::fromUtf16(u"Title  \0junk", 12);
    tag.artist = QStringLiteral("Artist   ");
    const Lyrics3Record b = FillLyrics3FromId3v1(tag, QString());
    EXPECT_EQ(b[ETT], QStringLiteral("Title"));
    EXPECT_EQ(b[EAR], QStringLiteral("Artist"));
    EXPECT_TRUE(b[LYR].isEmpty());
}
