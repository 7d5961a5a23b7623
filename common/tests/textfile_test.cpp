#include "common/atomicfile.h"
#include "common/textfile.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace common;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST_F(TextFileTest, ReadsCp932ByDefaultAndWritesTheSameBytesBack)
{
    const QByteArray bytes = Sjis("[00:01:00]歌詞\r\n@TaggingBy=誰か\r\n");
    WriteBytes(path("a.txt"), bytes);
    QString text;
    TextFormat format;
    ASSERT_TRUE(ReadTextFile(path("a.txt"), text, &format));
    EXPECT_EQ(format.encoding, TextEncoding::Cp932);
    EXPECT_EQ(text, QString::fromUtf8("[00:01:00]歌詞\r\n@TaggingBy=誰か\r\n"));
    ASSERT_TRUE(WriteTextFile(path("a.txt"), text, format));
    EXPECT_EQ(ReadBytes(path("a.txt")), bytes);
}

TEST_F(TextFileTest, Utf8FilesKeepTheirEncodingAndBomState)
{
    for (const QByteArray& bytes : {QByteArray("\xEF\xBB\xBF[00:01]\xE6\xAD\x8C\r\n"), QByteArray("[00:01]\xE6\xAD\x8C\r\n"),
                                    QByteArray("\xEF\xBB\xBFplain ascii")}) {
        WriteBytes(path("u.lrc"), bytes);
        QString text;
        TextFormat format;
        ASSERT_TRUE(ReadTextFile(path("u.lrc"), text, &format));
        EXPECT_EQ(format.encoding, TextEncoding::Utf8);
        EXPECT_FALSE(text.startsWith(QChar(0xFEFF)));
        ASSERT_TRUE(WriteTextFile(path("u.lrc"), text)); // keeps the format found on disk
        EXPECT_EQ(ReadBytes(path("u.lrc")), bytes);
    }
}

TEST_F(TextFileTest, PureAsciiIsCp932)
{
    EXPECT_EQ(DecodeText("[00:01:00]abc\r\n").format, TextFormat{});
}

TEST_F(TextFileTest, RefusesTextTheEncodingCannotHoldAndKeepsTheOldFile)
{
    WriteBytes(path("a.txt"), Sjis("古い"));
    QString error;
    EXPECT_FALSE(WriteTextFile(path("a.txt"), QString::fromUtf8("新しい😀"), TextFormat{}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadBytes(path("a.txt")), Sjis("古い"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary left behind
}

TEST_F(TextFileTest, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    WriteBytes(path("a.txt"), "old");
    for (auto failing : {AtomicFile::Step::Open, AtomicFile::Step::Write, AtomicFile::Step::Commit}) {
        AtomicFile::SetFaultInjector([failing](AtomicFile::Step step, int) { return step != failing; });
        EXPECT_FALSE(WriteTextFile(path("a.txt"), QStringLiteral("new"), TextFormat{}));
        AtomicFile::SetFaultInjector(nullptr);
        EXPECT_EQ(ReadBytes(path("a.txt")), QByteArray("old"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt")});
    }
}

TEST_F(TextFileTest, WriteIntoAReadOnlyFolderFailsCleanly)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    WriteBytes(path("a.txt"), "old");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString error;
    EXPECT_FALSE(WriteTextFile(path("a.txt"), QStringLiteral("new"), TextFormat{}, &error));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadBytes(path("a.txt")), QByteArray("old"));
}

TEST_F(TextFileTest, MissingFileIsAReadError)
{
    QString text, error;
    EXPECT_FALSE(ReadTextFile(path("none.txt"), text, nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
}
