// The RIFF INFO list: reading values, writing them in the fixed order.
#include "songfiles/riffinfo.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace songfiles;
using testsupport::Sjis;

namespace {

QByteArray ListData(const QByteArray& chunk)
{
    return chunk.mid(8);
}

} // namespace

TEST(InfoListReading, TextValuesAreCutAtTheirFirstNul)
{
    const QByteArray list = synth::InfoList({{"INAM", Sjis("曲名") + QByteArray("\0\0", 2)}, {"IART", QByteArray("ab\0cd\0", 6)}});
    const auto v = ReadInfoList(ListData(list));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->text(INAM), QStringLiteral("曲名"));
    EXPECT_EQ(v->bytes[IART], QByteArray("ab"));
    EXPECT_TRUE(v->bytes[IPRD].isEmpty());
}

TEST(InfoListReading, Lyrics3AndTagValuesAreKeptWhole)
{
    const QByteArray block = synth::Lyrics3({{"LYR", "x"}});
    const QByteArray tag = synth::Id3v1("t");
    QByteArray ilyc = block + tag;
    if (ilyc.size() % 2)
        ilyc.prepend('\0');
    const auto v = ReadInfoList(ListData(synth::InfoList({{"ILYC", ilyc}, {"IID3", tag}})));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->bytes[ILYC], ilyc);
    EXPECT_EQ(v->bytes[IID3], tag);
    EXPECT_TRUE(HoldsLyrics3AndTag(v->bytes[ILYC]));
    EXPECT_FALSE(HoldsLyrics3AndTag(v->bytes[IID3]));
}

TEST(InfoListReading, OddValueWithPadByteIsFollowedCorrectly)
{
    const auto v = ReadInfoList(ListData(synth::InfoList({{"INAM", "abc"}, {"IART", "de\0\0"}})));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->bytes[INAM], "abc");
    EXPECT_EQ(v->bytes[IART], "de");
}

TEST(InfoListReading, UnknownIdFailsTheWholeRead)
{
    QString error;
    EXPECT_FALSE(ReadInfoList(ListData(synth::InfoList({{"INAM", "a\0"}, {"IXYZ", "b\0"}})), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("IXYZ")));
}

TEST(InfoListReading, SizePastTheEndOrNotInfoIsRefused)
{
    QByteArray data = ListData(synth::InfoList({{"INAM", "abcd"}}));
    qToLittleEndian<quint32>(5, data.data() + 8);
    EXPECT_FALSE(ReadInfoList(data));
    qToLittleEndian<quint32>(0xFFFFFFFF, data.data() + 8);
    EXPECT_FALSE(ReadInfoList(data));
    EXPECT_FALSE(ReadInfoList(QByteArray("INFX")));
    EXPECT_TRUE(ReadInfoList(QByteArray("INFO")));
    for (qsizetype n = 0; n < 4; ++n)
        EXPECT_FALSE(ReadInfoList(QByteArray("INFO").left(n)));
}

TEST(InfoListWriting, EveryTextIdIsWrittenInOrderEmptyOnesAsTwoNuls)
{
    InfoValues v;
    v.setText(INAM, QStringLiteral("ab"));  // "ab\0" + pad NUL
    v.setText(IART, QStringLiteral("abc")); // "abc\0"
    const QByteArray list = WriteInfoList(v);
    EXPECT_EQ(list.left(4), "LIST");
    EXPECT_EQ(qFromLittleEndian<quint32>(list.constData() + 4), quint32(list.size() - 8));
    EXPECT_EQ(list.mid(8, 4), "INFO");
    QByteArray expected = "INAM" + QByteArray("\x04\0\0\0ab\0\0", 8) + "IART" + QByteArray("\x04\0\0\0abc\0", 8);
    for (const char* id : {"IPRD", "ICMT", "ICRD", "IGNR", "ICOP", "IENG", "ISRC", "ISFT", "IKEY", "ITCH", "ICMS", "IMED",
                           "ISBJ", "IMP3", "ILYC"})
        expected += QByteArray(id) + QByteArray("\x02\0\0\0\0\0", 6);
    EXPECT_EQ(list.mid(12), expected); // an empty IID3 is left out
}

TEST(InfoListWriting, IlycHoldingABlockAndTagLeavesIid3Out)
{
    InfoValues v;
    const QByteArray tag = synth::Id3v1("t");
    QByteArray value = synth::Lyrics3({{"LYR", "xy"}}) + tag;
    if (value.size() % 2)
        value.prepend('\0');
    v.bytes[ILYC] = value;
    v.bytes[IID3] = tag;
    const QByteArray list = WriteInfoList(v);
    EXPECT_TRUE(list.endsWith(value));
    EXPECT_FALSE(list.contains("IID3"));
    const auto back = ReadInfoList(list.mid(8));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bytes[ILYC], value);
}

TEST(InfoListWriting, Iid3TagEndsTheList)
{
    InfoValues v;
    v.setText(ILYC, QStringLiteral("plain lyrics"));
    v.bytes[IID3] = synth::Id3v1("t");
    const QByteArray list = WriteInfoList(v);
    EXPECT_TRUE(list.endsWith("IID3" + QByteArray("\x80\0\0\0", 4) + v.bytes[IID3]));
}

TEST(InfoListWriting, OddWritePositionGetsAPadByteFirst)
{
    InfoValues v;
    const QByteArray even = WriteInfoList(v, 20);
    const QByteArray odd = WriteInfoList(v, 21);
    EXPECT_EQ(odd, '\0' + even);
}

TEST(InfoListWriting, WriteReadWriteGivesTheSameBytes)
{
    InfoValues v;
    const char* texts[] = {"タイトル", "歌手", "アルバム", "注釈", "2024", "Anime", "著作権", "技師", "出典", "ソフト", "鍵", "技術", "依頼"};
    for (int i = 0; i < 13; ++i)
        ASSERT_TRUE(v.setText(i, QString::fromUtf8(texts[i])));
    v.bytes[ILYC] = "LYRICSBEGIN without a tag"; // kept whole, not as text
    v.bytes[IID3] = synth::Id3v1("t");
    const QByteArray once = WriteInfoList(v);
    const auto back = ReadInfoList(once.mid(8));
    ASSERT_TRUE(back);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(back->text(i), QString::fromUtf8(texts[i]));
    EXPECT_EQ(back->bytes[ILYC], v.bytes[ILYC]);
    EXPECT_EQ(*back, v);
    EXPECT_EQ(WriteInfoList(*back), once);
}

TEST(InfoListWriting, OddBlockWithoutTagInIlycStaysTheSameAcrossRoundTrips)
{
    // Found by fuzzing: such a value once gained a terminator on each write, which moved
    // "LYRICS200TAG" and turned it into a block-and-tag value that hid IID3.
    InfoValues v;
    QByteArray ilyc = "LYRICSBEGIN" + QByteArray(63, 'x') + "LYRICS200TAG" + QByteArray(126, '\0');
    v.bytes[ILYC] = ilyc;
    v.bytes[IID3] = synth::Id3v1("t");
    ASSERT_FALSE(HoldsLyrics3AndTag(ilyc));
    const auto once = ReadInfoList(WriteInfoList(v).mid(8));
    ASSERT_TRUE(once);
    EXPECT_EQ(*once, v);
}

TEST(InfoValuesText, RefusesCharactersTheCodePageCannotHold)
{
    InfoValues v;
    v.setText(INAM, QStringLiteral("old"));
    QString error;
    EXPECT_FALSE(v.setText(INAM, QStringLiteral("🎵"), &error));
    EXPECT_EQ(v.bytes[INAM], "old");
    EXPECT_TRUE(error.startsWith(QStringLiteral("INAM")));
    EXPECT_EQ(InfoIndexOf("IID3"), IID3);
    EXPECT_EQ(InfoIndexOf("NOPE"), -1);
    EXPECT_EQ(InfoId(ICMS), "ICMS");
}
