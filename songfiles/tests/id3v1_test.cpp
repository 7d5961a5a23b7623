// The ID3v1 tag: reading, building at whole characters, merging INFO values, genres.
#include "songfiles/genres.h"
#include "songfiles/id3v1.h"
#include "songfiles/riffinfo.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <gtest/gtest.h>

using namespace songfiles;
using testsupport::Sjis;

TEST(Id3v1Tag, ParsesFieldsFromTheirFixedPlaces)
{
    const QByteArray raw = synth::Id3v1(Sjis("夜明けの歌"), "Artist", "Album", "1999", "Comment", 17);
    ASSERT_TRUE(IsId3v1(raw));
    const Id3v1Record r = ParseId3v1(raw);
    EXPECT_EQ(FieldText(r.title), QStringLiteral("夜明けの歌"));
    EXPECT_EQ(FieldText(r.artist), QStringLiteral("Artist"));
    EXPECT_EQ(FieldText(r.album), QStringLiteral("Album"));
    EXPECT_EQ(r.year, QStringLiteral("1999"));
    EXPECT_EQ(FieldText(r.comment), QStringLiteral("Comment"));
    EXPECT_EQ(r.genre, 17);
    EXPECT_EQ(r.genreName, QStringLiteral("Rock"));
}

TEST(Id3v1Tag, OnlyOneHundredTwentyEightBytesBeginningWithTagAreATag)
{
    QByteArray raw = synth::Id3v1("x");
    EXPECT_FALSE(IsId3v1(raw.left(127)));
    raw[0] = 'X';
    EXPECT_FALSE(IsId3v1(raw));
}

TEST(Id3v1Tag, BuildsBlankPaddedFieldsAndTheGenreByte)
{
    Id3v1Record r;
    r.title = QStringLiteral("Title");
    r.year = QStringLiteral("2001");
    r.genre = 13;
    const auto bytes = BuildId3v1(r);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 128);
    EXPECT_EQ(bytes->mid(0, 3), "TAG");
    EXPECT_EQ(bytes->mid(3, 30), QByteArray("Title").leftJustified(30, ' '));
    EXPECT_EQ(bytes->mid(33, 30), QByteArray(30, ' '));
    EXPECT_EQ(bytes->mid(93, 4), "2001");
    EXPECT_EQ(bytes->at(127), char(13));
}

TEST(Id3v1Tag, FieldOfOnlyNulsIsWrittenAsBlanks)
{
    Id3v1Record r;
    r.artist = QString(128, QChar(0));
    const auto bytes = BuildId3v1(r);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->mid(33, 30), QByteArray(30, ' '));
}

TEST(Id3v1Tag, LongAsciiTitleIsCutAtThirtyBytes)
{
    Id3v1Record r;
    r.title = QString(40, QLatin1Char('a'));
    const auto bytes = BuildId3v1(r);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->mid(3, 30), QByteArray(30, 'a'));
    EXPECT_EQ(bytes->at(33), ' ');
}

TEST(Id3v1Tag, DoubleByteCharacterSplitAtTheFieldEndIsDroppedNotHalved)
{
    const QChar a(u'あ');
    Id3v1Record r;
    r.title = QString(16, a); // 32 bytes: cut after the 15th character
    const auto bytes = BuildId3v1(r);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->mid(3, 30), QByteArray("\x82\xA0").repeated(15));
    EXPECT_EQ(FieldText(ParseId3v1(*bytes).title), QString(15, a));
    r.title = QStringLiteral("a") + QString(15, a); // 31 bytes: the last character would be halved
    const auto odd = BuildId3v1(r);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->at(3 + 29), ' ');
    EXPECT_EQ(FieldText(ParseId3v1(*odd).title), QStringLiteral("a") + QString(14, a));
}

TEST(Id3v1Tag, RefusesCharactersTheCodePageCannotHold)
{
    Id3v1Record r;
    r.comment = QStringLiteral("smile 😀");
    QString error;
    EXPECT_FALSE(BuildId3v1(r, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("comment"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("U+1F600"))) << error.toStdString();
}

TEST(Id3v1Tag, ReadBuildReadGivesTheSameBytes)
{
    QByteArray nulPadded = synth::Id3v1(Sjis("曲名"), "a", "b", "12", "c", 255); // fields padded with NULs
    const auto once = BuildId3v1(ParseId3v1(nulPadded));
    ASSERT_TRUE(once);
    EXPECT_EQ(*once, nulPadded);
    const auto twice = BuildId3v1(ParseId3v1(*once));
    EXPECT_EQ(*twice, *once);
    // Undecodable bytes survive too.
    QByteArray odd = nulPadded;
    odd[3] = char(0x81);
    odd[4] = char(0x20);
    EXPECT_EQ(*BuildId3v1(ParseId3v1(odd)), odd);
}

TEST(Id3v1Tag, FieldTextCutsAtTheFirstNulAndDropsTrailingBlanks)
{
    EXPECT_EQ(FieldText(QStringLiteral("abc  ")), QStringLiteral("abc"));
    EXPECT_EQ(FieldText(QString::fromUtf16(u"ab\0cd", 5)), QStringLiteral("ab"));
    EXPECT_EQ(FieldText(QStringLiteral(" a b")), QStringLiteral(" a b"));
}

TEST(MergingInfoIntoId3v1, GenreIsFoundByTrimmedLowerCaseName)
{
    InfoValues info;
    info.setText(IGNR, QStringLiteral("rock "));
    Id3v1Record r;
    MergeInfoIntoId3v1(info, r, false);
    EXPECT_EQ(r.genre, 17);
    EXPECT_EQ(r.genreName, QStringLiteral("Rock"));
}

TEST(MergingInfoIntoId3v1, EmptyOrUnknownGenreBecomes250)
{
    InfoValues info;
    Id3v1Record r;
    r.genre = 3;
    MergeInfoIntoId3v1(info, r, true);
    EXPECT_EQ(r.genre, kNoGenre);
    EXPECT_TRUE(r.genreName.isEmpty());
    info.setText(IGNR, QStringLiteral("Gamelan"));
    MergeInfoIntoId3v1(info, r, true);
    EXPECT_EQ(r.genre, kNoGenre);
}

TEST(MergingInfoIntoId3v1, ExtendedGenresNeedTheSetting)
{
    InfoValues info;
    info.setText(IGNR, QStringLiteral("Anime(J)"));
    Id3v1Record on, off;
    MergeInfoIntoId3v1(info, on, true);
    MergeInfoIntoId3v1(info, off, false);
    EXPECT_EQ(on.genre, 255);
    EXPECT_EQ(on.genreName, QStringLiteral("Anime(J)"));
    EXPECT_EQ(off.genre, kNoGenre);
    info.setText(IGNR, QStringLiteral("Synthpop"));
    MergeInfoIntoId3v1(info, off, false);
    EXPECT_EQ(off.genre, 147);
}

TEST(MergingInfoIntoId3v1, EmptyInfoTextsKeepTheTagTexts)
{
    InfoValues info;
    info.setText(INAM, QStringLiteral("新しい曲名"));
    info.setText(ICRD, QStringLiteral("2024"));
    Id3v1Record r;
    r.title = QStringLiteral("old");
    r.artist = QStringLiteral("kept artist");
    r.comment = QStringLiteral("kept comment");
    MergeInfoIntoId3v1(info, r, false);
    EXPECT_EQ(r.title, QStringLiteral("新しい曲名"));
    EXPECT_EQ(r.year, QStringLiteral("2024"));
    EXPECT_EQ(r.artist, QStringLiteral("kept artist"));
    EXPECT_EQ(r.comment, QStringLiteral("kept comment"));
}

TEST(GenreNames, TableHas148NamesThenBlanksThenTheSettingDependentTail)
{
    const QStringList on = GenreTable(true), off = GenreTable(false);
    ASSERT_EQ(on.size(), 256);
    EXPECT_EQ(on[0], QStringLiteral("Blues"));
    EXPECT_EQ(on[147], QStringLiteral("Synthpop"));
    EXPECT_EQ(on[79], QStringLiteral("Hard Rock"));
    for (int i = 148; i <= 250; ++i)
        EXPECT_TRUE(on[i].isEmpty()) << i;
    EXPECT_EQ(on.mid(251), QStringList({"Seiyu", "Tecno Ambient", "Moemoe", "Tokusatsu", "Anime(J)"}));
    EXPECT_EQ(off.mid(251), QStringList({"", "", "", "", QStringLiteral("(なし)")}));
    EXPECT_EQ(EngineGenreName(255), QStringLiteral("Anime(J)"));
    EXPECT_TRUE(EngineGenreName(250).isEmpty());
    EXPECT_TRUE(GenreName(-1, true).isEmpty());
    EXPECT_TRUE(GenreName(256, true).isEmpty());
}
