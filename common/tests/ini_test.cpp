#include "common/ini.h"

#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using common::IniDocument;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

IniDocument Doc(const QByteArray& bytes)
{
    return IniDocument::FromBytes(bytes);
}

QString Value(const IniDocument& doc, const char* section, const char* key)
{
    return doc.value(QString::fromUtf8(section), QString::fromUtf8(key), QStringLiteral("<none>"));
}

} // namespace

TEST(IniLookup, SectionAndKeyNamesIgnoreCaseAndSurroundingBlanks)
{
    const auto doc = Doc("[Extend]\r\nSetupSpeed=120\r\n  [ Title ]  \r\n  Setup   =  My Tool  \r\n");
    EXPECT_EQ(Value(doc, "extend", "SETUPSPEED"), "120");
    EXPECT_EQ(Value(doc, "TITLE", "setup"), "My Tool");
    EXPECT_EQ(Value(doc, " title ", " Setup "), "My Tool");
}

TEST(IniLookup, FirstSectionAndFirstKeyWin)
{
    const auto doc = Doc("[A]\nk=1\nk=2\n[a]\nk=3\nonly=4\n");
    EXPECT_EQ(Value(doc, "A", "k"), "1");
    // The second [a] is never consulted, not even for keys the first one lacks.
    EXPECT_EQ(Value(doc, "A", "only"), "<none>");
    EXPECT_EQ(doc.sections(), QStringList{"A"});
}

TEST(IniLookup, MissingSectionOrKeyGivesTheFallback)
{
    const auto doc = Doc("[A]\nk=1\n");
    EXPECT_EQ(Value(doc, "B", "k"), "<none>");
    EXPECT_EQ(Value(doc, "A", "x"), "<none>");
    EXPECT_FALSE(doc.value(QStringLiteral("A"), QStringLiteral("x")).has_value());
}

TEST(IniLookup, OnePairOfMatchingQuotesIsRemoved)
{
    const auto doc = Doc("[A]\nd=\"two words\"\ns='single'\nm=\"mixed'\nn=\"\"x\"\"\nq=\"\n");
    EXPECT_EQ(Value(doc, "A", "d"), "two words");
    EXPECT_EQ(Value(doc, "A", "s"), "single");
    EXPECT_EQ(Value(doc, "A", "m"), "\"mixed'");
    EXPECT_EQ(Value(doc, "A", "n"), "\"x\"");
    EXPECT_EQ(Value(doc, "A", "q"), "\"");
}

TEST(IniLookup, CommentsAndLinesWithoutEqualsAreNotKeys)
{
    const auto doc = Doc("[A]\n;k=commented\nk\nk=real\n");
    EXPECT_EQ(Value(doc, "A", "k"), "real");
    EXPECT_EQ(doc.keys(QStringLiteral("A")), QStringList{"k"});
}

TEST(IniLookup, KeysBeforeTheFirstSectionBelongToNoSection)
{
    const auto doc = Doc("k=0\n[A]\nk=1\n");
    EXPECT_EQ(Value(doc, "A", "k"), "1");
    EXPECT_EQ(doc.sections(), QStringList{"A"});
}

TEST(IniLookup, ValueKeepsEqualsSignsAfterTheFirst)
{
    const auto doc = Doc("[A]\nexpr=a=b=c\n");
    EXPECT_EQ(Value(doc, "A", "expr"), "a=b=c");
}

TEST(IniLookup, VeryLongValuesAreReadWhole)
{
    const QByteArray longValue(100000, 'x');
    const auto doc = Doc("[A]\nlong=" + longValue + "\n");
    EXPECT_EQ(Value(doc, "A", "long").size(), 100000);
}

TEST(IniCodePage, JapaneseNamesAndValuesAreCp932)
{
    const auto doc = Doc(Sjis("[拡張]\r\n文字=インストール\r\n"));
    EXPECT_EQ(Value(doc, "拡張", "文字"), QString::fromUtf8("インストール"));
}

TEST(IniCodePage, TrailBytesThatLookLikeBracketsOrBackslashDoNotSplitNames)
{
    // "ゾ" is 83 5D (a "]" trail byte), "セ" is 83 5B ("["), "ソ" is 83 5C ("\").
    const auto doc = Doc(Sjis("[ゾセ]\nソ=ゾ\\ソ\n[x]\n"));
    EXPECT_EQ(doc.sections(), (QStringList{QString::fromUtf8("ゾセ"), "x"}));
    EXPECT_EQ(Value(doc, "ゾセ", "ソ"), QString::fromUtf8("ゾ\\ソ"));
}

TEST(IniCodePage, BytesThatAreNotCp932SurviveAnEdit)
{
    // 0x80 and 0xA0 are not characters in CP932; the line around them is never touched.
    const QByteArray original = "[A]\nraw=\x80\xA0\xFD\nk=1\n";
    auto doc = Doc(original);
    ASSERT_TRUE(doc.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\nraw=\x80\xA0\xFD\nk=2\n"));
}

TEST(IniCodePage, Utf8FileWithByteOrderMarkIsReadAndWrittenAsUtf8)
{
    const QByteArray original = "\xEF\xBB\xBF[A]\r\nk=" + QString::fromUtf8("歌詞").toUtf8() + "\r\n";
    auto doc = Doc(original);
    EXPECT_EQ(doc.encoding(), IniDocument::Encoding::Utf8);
    EXPECT_EQ(Value(doc, "A", "k"), QString::fromUtf8("歌詞"));
    ASSERT_TRUE(doc.setValue(QStringLiteral("A"), QStringLiteral("n"), QString::fromUtf8("😀")));
    EXPECT_EQ(doc.toBytes(), original + "n=" + QString::fromUtf8("😀").toUtf8() + "\r\n");
}

TEST(IniCodePage, CharacterWithoutCp932FormIsRefused)
{
    auto doc = Doc("[A]\nk=1\n");
    QString error;
    EXPECT_FALSE(doc.setValue(QStringLiteral("A"), QStringLiteral("k"), QString::fromUtf8("😀"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\nk=1\n"));
}

TEST(IniWrite, ReplacingAValueKeepsEveryOtherByte)
{
    const QByteArray original = "; head\r\n\r\n[A]\r\n  Key = old  \r\n\tother=x\r\n\r\n[B]\nk=1\n";
    auto doc = Doc(original);
    ASSERT_TRUE(doc.setValue(QStringLiteral("a"), QStringLiteral("KEY"), QStringLiteral("new")));
    EXPECT_EQ(doc.toBytes(), QByteArray("; head\r\n\r\n[A]\r\n  Key=new\r\n\tother=x\r\n\r\n[B]\nk=1\n"));
}

TEST(IniWrite, NewKeyGoesAfterTheSectionsLastKey)
{
    auto doc = Doc("[A]\r\nk=1\r\n; note\r\n\r\n[B]\r\nx=1\r\n");
    ASSERT_TRUE(doc.setValue(QStringLiteral("A"), QStringLiteral("n"), QStringLiteral("2")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\r\nk=1\r\nn=2\r\n; note\r\n\r\n[B]\r\nx=1\r\n"));
}

TEST(IniWrite, NewKeyInASectionWithoutKeysFollowsTheHeader)
{
    auto doc = Doc("[A]\n\n[B]\n");
    ASSERT_TRUE(doc.setValue(QStringLiteral("A"), QStringLiteral("n"), QStringLiteral("2")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\nn=2\n\n[B]\n"));
}

TEST(IniWrite, NewSectionIsAppendedWithTheFilesLineEnding)
{
    auto doc = Doc("[A]\nk=1");
    ASSERT_TRUE(doc.setValue(QStringLiteral("B"), QStringLiteral("x"), QStringLiteral("y")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\nk=1\n[B]\nx=y\n"));
    EXPECT_EQ(Value(doc, "b", "X"), "y");
}

TEST(IniWrite, EmptyDocumentGetsCrLfLines)
{
    IniDocument doc;
    ASSERT_TRUE(doc.setValue(QStringLiteral("ProgramID"), QStringLiteral("Folder"), QStringLiteral("/opt/x/")));
    ASSERT_TRUE(doc.setValue(QStringLiteral("ProgramID"), QStringLiteral("Other"), QString()));
    EXPECT_EQ(doc.toBytes(), QByteArray("[ProgramID]\r\nFolder=/opt/x/\r\nOther=\r\n"));
    EXPECT_EQ(Value(doc, "ProgramID", "Other"), "");
}

TEST(IniWrite, ManyKeysStayInOrderAndAreFoundAgain)
{
    IniDocument doc;
    for (int n = 1; n <= 3000; ++n)
        ASSERT_TRUE(doc.setValue(QStringLiteral("DeleteFile"), QStringLiteral("File%1").arg(n), QStringLiteral("v%1").arg(n)));
    EXPECT_EQ(Value(doc, "deletefile", "File1"), "v1");
    EXPECT_EQ(Value(doc, "deletefile", "File3000"), "v3000");
    const auto again = Doc(doc.toBytes());
    EXPECT_EQ(again.keys(QStringLiteral("DeleteFile")).size(), 3000);
    EXPECT_EQ(again.toBytes(), doc.toBytes());
}

TEST(IniWrite, UnsafeNamesAndValuesAreRefused)
{
    auto doc = Doc("[A]\nk=1\n");
    EXPECT_FALSE(doc.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1\n[Evil]\nx=1")));
    EXPECT_FALSE(doc.setValue(QStringLiteral("A"), QStringLiteral("a=b"), QStringLiteral("1")));
    EXPECT_FALSE(doc.setValue(QStringLiteral("A"), QString(), QStringLiteral("1")));
    EXPECT_FALSE(doc.setValue(QString(), QStringLiteral("k"), QStringLiteral("1")));
    EXPECT_FALSE(doc.setValue(QStringLiteral("A\rB"), QStringLiteral("k"), QStringLiteral("1")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\nk=1\n"));
}

TEST(IniWrite, RemovingAKeyTakesOnlyItsLine)
{
    auto doc = Doc("[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=3\r\n");
    EXPECT_TRUE(doc.removeKey(QStringLiteral("a"), QStringLiteral("K")));
    EXPECT_FALSE(doc.removeKey(QStringLiteral("a"), QStringLiteral("K")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\r\nj=2\r\n[B]\r\nk=3\r\n"));
    EXPECT_EQ(Value(doc, "A", "j"), "2");
}

TEST(IniWrite, RemovingASectionTakesItsHeaderAndLines)
{
    auto doc = Doc("[A]\nk=1\n\n[MyApp]\nFolder=/x/\n; c\n\n[C]\nk=3\n");
    EXPECT_TRUE(doc.removeSection(QStringLiteral("myapp")));
    EXPECT_EQ(doc.toBytes(), QByteArray("[A]\nk=1\n\n[C]\nk=3\n"));
    EXPECT_EQ(Value(doc, "C", "k"), "3");
    EXPECT_TRUE(doc.removeSection(QStringLiteral("A")));
    EXPECT_TRUE(doc.removeSection(QStringLiteral("C")));
    EXPECT_TRUE(doc.isEmpty());
}

TEST(IniWrite, WriteThenReadRoundTripsEveryByte)
{
    const QByteArray original = Sjis("[拡張]\r\nキー=値\r\n\r\n[B]\nx=\"quoted\"\n");
    const auto doc = Doc(original);
    EXPECT_EQ(doc.toBytes(), original);
    EXPECT_EQ(Doc(doc.toBytes()).toBytes(), original);
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(IniFileTest, ReadingAMissingFileGivesTheFallbackAndCreatesNothing)
{
    EXPECT_EQ(common::ReadProfileString(path("none.ini"), u"A", u"k", QStringLiteral("dflt")), "dflt");
    EXPECT_TRUE(common::DeleteProfileKey(path("none.ini"), u"A", u"k"));
    EXPECT_TRUE(common::DeleteProfileSection(path("none.ini"), u"A"));
    EXPECT_FALSE(QFile::exists(path("none.ini")));
}

TEST_F(IniFileTest, WriteCreatesTheFileAndKeepsTheRestOfAnExistingOne)
{
    const QString file = path("plugin.ini");
    ASSERT_TRUE(common::WriteProfileString(file, u"Pemrick's Lyrics Common", u"LyricsFolder", u"/music/lyrics"));
    EXPECT_EQ(ReadBytes(file), QByteArray("[Pemrick's Lyrics Common]\r\nLyricsFolder=/music/lyrics\r\n"));

    WriteBytes(file, Sjis("; 設定\n[Other]\nx=1\n[Pemrick's Lyrics Common]\nLyricsFolder=old\nmore=2\n"));
    ASSERT_TRUE(common::WriteProfileString(file, u"pemrick's lyrics common", u"lyricsfolder", QString::fromUtf8("/歌詞")));
    EXPECT_EQ(ReadBytes(file), Sjis("; 設定\n[Other]\nx=1\n[Pemrick's Lyrics Common]\nLyricsFolder=/歌詞\nmore=2\n"));
    EXPECT_EQ(common::ReadProfileString(file, u"Pemrick's Lyrics Common", u"LyricsFolder"), QString::fromUtf8("/歌詞"));
}

TEST_F(IniFileTest, WritingTheValueAKeyHasAlreadyLeavesTheFileAlone)
{
    const QString file = path("same.ini");
    WriteBytes(file, "[A]\r\nk=1\r\n");
    const auto modified = QFileInfo(file).fileTime(QFileDevice::FileModificationTime);
    ::usleep(20000);
    ASSERT_TRUE(common::WriteProfileString(file, u"a", u"K", u"1"));
    EXPECT_EQ(QFileInfo(file).fileTime(QFileDevice::FileModificationTime), modified);
    common::IniDocument doc = common::IniDocument::FromBytes("[A]\r\nk=1\r\n");
    const quint64 revision = doc.revision();
    ASSERT_TRUE(doc.setValue(u"A", u"k", u"1"));
    EXPECT_EQ(doc.revision(), revision);
    ASSERT_TRUE(doc.setValue(u"A", u"k", u"2"));
    EXPECT_GT(doc.revision(), revision);
}

TEST_F(IniFileTest, DeletingKeysAndSectionsRewritesOnlyWhatChanged)
{
    const QString file = path("TOSET98.INI");
    WriteBytes(file, "[One]\r\nFolder=/a/\r\n[Two]\r\nFolder=/b/\r\n");
    ASSERT_TRUE(common::DeleteProfileSection(file, u"one"));
    EXPECT_EQ(ReadBytes(file), QByteArray("[Two]\r\nFolder=/b/\r\n"));
    ASSERT_TRUE(common::DeleteProfileKey(file, u"two", u"folder"));
    EXPECT_EQ(ReadBytes(file), QByteArray("[Two]\r\n"));
}

TEST_F(IniFileTest, FailedWriteLeavesTheFileAsItWas)
{
    const QString file = path("a.ini");
    WriteBytes(file, "[A]\nk=1\n");
    QString error;
    EXPECT_FALSE(common::WriteProfileString(file, u"A", u"k", QString::fromUtf8("😀"), &error));
    EXPECT_EQ(ReadBytes(file), QByteArray("[A]\nk=1\n"));
    // Devices and pipes are no INI files: reading them could block.
    EXPECT_EQ(common::ReadProfileString(QStringLiteral("/dev/zero"), u"A", u"k", QStringLiteral("dflt")), "dflt");
    common::IniDocument doc;
    EXPECT_FALSE(common::LoadIniFile(QStringLiteral("/dev/null"), doc, &error));
    // A folder where the file should be cannot be written either.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("d.ini")));
    EXPECT_FALSE(common::WriteProfileString(path("d.ini"), u"A", u"k", u"1", &error));
}
