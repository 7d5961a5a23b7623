#include "common/atomicfile.h"

#include "common/utf8text.h"
#include "common/codepage.h"
#include "common/rawname.h"
#include "common/textfile.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::Sjis;

namespace {

using common::U;

void WriteNative(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

QByteArray ReadNative(const QByteArray& path)
{
    QByteArray bytes;
    QString error;
    EXPECT_TRUE(common::ReadRegularFile(common::PathFromNative(path), 1 << 20, bytes, &error)) << error.toStdString();
    return bytes;
}

} // namespace

TEST(RawName, NamesKeepTheirBytesAndShowAsCp932)
{
    // Shift_JIS (with "ソ" = 83 5C, a "\" as trail byte), Latin-1, a valid UTF-8 name
    // with a stray byte, an overlong "/" and a UTF-8 surrogate: every one comes back
    // byte for byte.
    const QByteArray names[] = {Sjis("旧名の歌.txt"), Sjis("ソースの歌.mp3"), QByteArray("caf\xE9.txt"),
                                U("歌").toUtf8() + "\xFF" + U("詞").toUtf8(), QByteArray("\xC0\xAF"),
                                QByteArray("\xED\xA0\x80"), U("普通の歌.txt").toUtf8()};
    for (const QByteArray& bytes : names) {
        const QString name = common::PathFromNative(bytes);
        EXPECT_EQ(common::NativePath(name), bytes) << bytes.toHex().toStdString();
        EXPECT_EQ(common::HasRawBytes(name), bytes != U("普通の歌.txt").toUtf8()) << bytes.toHex().toStdString();
    }
    EXPECT_EQ(common::PathFromNative(U("普通の歌.txt").toUtf8()), U("普通の歌.txt"));

    // People read the Shift_JIS parts as CP932, the UTF-8 parts as they are.
    const QString path = U("/音楽/") + common::PathFromNative(Sjis("旧フォルダ")) + QLatin1Char('/')
        + common::PathFromNative(Sjis("ソースの歌.mp3"));
    EXPECT_EQ(common::DisplayPath(path), U("/音楽/旧フォルダ/ソースの歌.mp3"));
    EXPECT_EQ(common::NativePath(path), U("/音楽/").toUtf8() + Sjis("旧フォルダ") + "/" + Sjis("ソースの歌.mp3"));

    // Data files written in CP932 get the name's very bytes back, duplicate codes too.
    const QByteArray duplicate = Sjis("旧フォルダ") + "/\x87\x90" + Sjis("の歌.txt");
    EXPECT_EQ(common::EncodeCp932(common::Cp932Reading(common::PathFromNative(duplicate))), duplicate);
    EXPECT_EQ(common::Cp932Reading(common::PathFromNative(Sjis("旧名の歌.txt"))), U("旧名の歌.txt"));

    // The rename proposal is the CP932 reading; bytes that are not CP932 get none.
    EXPECT_EQ(common::Utf8NameFor(common::PathFromNative(Sjis("ソースの歌.mp3"))), U("ソースの歌.mp3"));
    EXPECT_EQ(common::Utf8NameFor(common::PathFromNative(QByteArray("caf\xE9.txt"))), std::nullopt);
    EXPECT_EQ(common::Utf8NameFor(U("普通の歌.txt")), std::nullopt);
}

TEST(RawName, FilesQtCannotListAreFoundReadAndNeverWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path()) + "/";
    const QByteArray sjisText = Sjis("[00:01:00]旧名の歌\r\n");
    WriteNative(folder + Sjis("旧名の歌.txt"), sjisText);
    WriteNative(folder + "plain.txt", "plain");
    ASSERT_EQ(::mkdir((folder + Sjis("旧フォルダ")).constData(), 0755), 0);
    WriteNative(folder + Sjis("旧フォルダ") + "/inside.txt", "inside");

    // Qt's listing leaves both Shift_JIS names out; ours finds exactly those.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("plain.txt")});
    std::vector<common::RawEntry> found = common::ListEntriesQtSkips(dir.path());
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.isDir < b.isDir; });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(common::DisplayPath(found[0].name), U("旧名の歌.txt"));
    EXPECT_FALSE(found[0].isDir);
    EXPECT_EQ(found[0].size, sjisText.size());
    EXPECT_TRUE(found[0].modified.isValid());
    EXPECT_EQ(common::DisplayPath(found[1].name), U("旧フォルダ"));
    EXPECT_TRUE(found[1].isDir);
    // Inside a folder Qt cannot open, every entry is ours to list.
    const QString rawFolder = QString::fromLocal8Bit(folder) + found[1].name;
    const std::vector<common::RawEntry> inside = common::ListEntriesQtSkips(rawFolder);
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside[0].name, QStringLiteral("inside.txt"));

    // The escaped path reads the real file: text, probes and identity.
    const QString rawPath = QString::fromLocal8Bit(folder) + found[0].name;
    QString text;
    common::TextFormat format;
    ASSERT_TRUE(common::ReadTextFile(rawPath, text, &format));
    EXPECT_EQ(text, U("[00:01:00]旧名の歌\r\n"));
    EXPECT_EQ(format.encoding, common::TextEncoding::Cp932);
    ASSERT_TRUE(common::StatPath(rawPath).has_value());
    EXPECT_TRUE(common::StatPath(rawPath)->isRegular);
    EXPECT_TRUE(common::FileIdentity::OfPath(rawPath).has_value());
    EXPECT_EQ(ReadNative(folder + Sjis("旧フォルダ") + "/inside.txt"), QByteArray("inside"));

    // A write is refused with a reason, and the file keeps its bytes.
    QString error;
    EXPECT_FALSE(common::WriteTextFile(rawPath, U("書き換え"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not valid UTF-8"))) << error.toStdString();
    EXPECT_EQ(ReadNative(folder + Sjis("旧名の歌.txt")), sjisText);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("plain.txt")});

    // QTemporaryDir cannot see these names to remove them.
    ::unlink((folder + Sjis("旧名の歌.txt")).constData());
    ::unlink((folder + Sjis("旧フォルダ") + "/inside.txt").constData());
    ::rmdir((folder + Sjis("旧フォルダ")).constData());
}
