#include "common/atomicfile.h"
#include "common/codepage.h"
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

TEST_F(TextFileTest, AmbiguousHalfWidthKatakanaIsCp932AndUtf16KeepsItsForm)
{
    // CP932 half-width katakana that happen to be valid two-byte UTF-8 ("ﾏｲ ﾐｷ" reads as
    // "ϲ з", "ﾘｽ" as "ؽ"): CP932 unless there is a BOM or a longer UTF-8 sequence.
    for (const char* kana : {"[00:01:00]ﾏｲ ﾐｷ\r\n", "[00:02:00]ﾘｽ\r\n"}) {
        const QByteArray cp932 = Sjis(kana);
        ASSERT_TRUE(IsValidUtf8(cp932));
        const DecodedText d = DecodeText(cp932);
        EXPECT_EQ(d.format.encoding, TextEncoding::Cp932) << kana;
        EXPECT_EQ(d.text, QString::fromUtf8(kana));
        // The same words in UTF-8 use three-byte sequences and stay UTF-8.
        EXPECT_EQ(DecodeText(QByteArray(kana)).format.encoding, TextEncoding::Utf8);
        EXPECT_EQ(DecodeText("\xEF\xBB\xBF" + cp932).format, (TextFormat{TextEncoding::Utf8, true}));
    }
    // UTF-16 with a BOM, either byte order: read, and written back as UTF-16.
    const QString text = QStringLiteral("[00:01:00]歌詞 ﾏｲ\r\n");
    for (TextEncoding e : {TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        const std::optional<QByteArray> bytes = EncodeText(text, {e, true});
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(bytes->startsWith(e == TextEncoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF"));
        WriteBytes(path("w.txt"), *bytes);
        QString read;
        TextFormat format;
        ASSERT_TRUE(ReadTextFile(path("w.txt"), read, &format));
        EXPECT_EQ(format.encoding, e);
        EXPECT_EQ(read, text);
        ASSERT_TRUE(WriteTextFile(path("w.txt"), read + QStringLiteral("[00:02:00]次\r\n")));
        EXPECT_EQ(ReadBytes(path("w.txt")), *EncodeText(read + QStringLiteral("[00:02:00]次\r\n"), {e, true}));
    }
}

TEST_F(TextFileTest, SavingAnEditKeepsTheBytesOfUntouchedCp932Lines)
{
    // NEC and IBM duplicates: ≒ as 0x8790 (preferred 0x81E0), 纊 as 0xED40 (0xFA5C),
    // ⅰ as 0xEEEF (0xFA40).
    const QByteArray dup("\x87\x90\xED\x40\xEE\xEF");
    const QByteArray first = "[00:01:00]" + dup + "\r\n";
    WriteBytes(path("d.lrc"), first + "[00:02:00]old\r\n");
    QString text;
    ASSERT_TRUE(ReadTextFile(path("d.lrc"), text));
    text.replace(QStringLiteral("old"), QStringLiteral("新"));
    ASSERT_TRUE(WriteTextFile(path("d.lrc"), text));
    EXPECT_EQ(ReadBytes(path("d.lrc")), first + "[00:02:00]" + Sjis("新") + "\r\n");
    // A file there that is not text is not overwritten.
    WriteBytes(path("s.mp3"), QByteArray("\xFF\xFB\x90\x40", 4) + QByteArray(100, '\0'));
    QString error;
    EXPECT_FALSE(WriteTextFile(path("s.mp3"), QStringLiteral("x"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("MP3"))) << error.toStdString();
}
