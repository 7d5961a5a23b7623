// End-to-end tests of "mwex atblock …".
#include "programs/mwex/tests/clirunner.h"

#include "testing/testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using clitest::Mwex;

namespace {

QStringList Args(std::initializer_list<const char*> words)
{
    QStringList out;
    for (const char* w : words)
        out << QString::fromUtf8(w);
    return out;
}

QJsonObject ReadJson(const QStringList& args, const QByteArray& input)
{
    const auto r = Mwex(args, input);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith('\n'));
    EXPECT_EQ(r.out.count('\n'), 1);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
}

} // namespace

TEST(MwexAtblockRead, PrintsEveryFieldOfTheRecord)
{
    const QJsonObject o = ReadJson(Args({"atblock", "read"}),
                                   "[00:01:00]x\r\n@Artist=A \"q\"\r\n@Title=T\r\n@TimeRatio=0.9953125\r\n"
                                   "@Offset=-250\r\n@SilencemSec=26\r\n@TaggingBy=me\r\n@EditedBy=you\r\n");
    EXPECT_EQ(o.size(), 16);
    EXPECT_EQ(o["TaggingBy"].toString(), QStringLiteral("me"));
    EXPECT_EQ(o["EditedBy"].toString(), QStringLiteral("you"));
    EXPECT_EQ(o["TimeType"].toInt(), 1);
    EXPECT_EQ(o["SilenceMsec"].toInt(), 26);
    EXPECT_EQ(o["SilenceFrames"].toInt(), -1);
    EXPECT_EQ(o["TotalSec"].toInt(), 0);
    EXPECT_EQ(o["Frames"].toInt(), 0);
    EXPECT_EQ(o["TimeRatio"].toDouble(), 0.9953125);
    EXPECT_EQ(o["Offset"].toInt(), -250);
    EXPECT_TRUE(o["HasOffset"].toBool());
    EXPECT_EQ(o["Artist"].toString(), QStringLiteral("A \"q\""));
    EXPECT_EQ(o["Title"].toString(), QStringLiteral("T"));
    EXPECT_EQ(o["Album"].toString(), QString());
    EXPECT_EQ(o["BgFile"].toString(), QString());
    EXPECT_EQ(o["BgFolder"].toString(), QString());
    EXPECT_TRUE(o["NoOlderData"].toBool());
}

TEST(MwexAtblockRead, OlderKeysAndTheUsersTimeBase)
{
    const QByteArray older = "@taggingby=abc (def)\r\n@timetype=winamp\r\n@silence=100\r\n";
    QJsonObject o = ReadJson(Args({"atblock", "read"}), older);
    EXPECT_FALSE(o["NoOlderData"].toBool());
    EXPECT_EQ(o["TaggingBy"].toString(), QStringLiteral("abc"));
    EXPECT_EQ(o["EditedBy"].toString(), QStringLiteral("def"));
    EXPECT_EQ(o["SilenceMsec"].toInt(), 2612);
    EXPECT_EQ(o["SilenceFrames"].toInt(), 100);
    EXPECT_EQ(o["TimeRatio"].toDouble(), 0.995312);
    o = ReadJson(Args({"atblock", "read", "--user-time", "standard"}), older);
    EXPECT_EQ(o["TimeRatio"].toDouble(), 1.0);
    o = ReadJson(Args({"atblock", "read", "--user-time", "standard"}), "no block\r\n");
    EXPECT_EQ(o["TimeType"].toInt(), 0);
    EXPECT_EQ(o["TimeRatio"].toDouble(), 1.0);
}

TEST(MwexAtblockRead, ReadsShiftJisFilesAndWritesUtf8Json)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("s.lrc"));
    testsupport::WriteBytes(path, testsupport::Sjis("[00:01:00]歌\r\n@Title=朝のうた\r\n"));
    const QJsonObject o = ReadJson({QStringLiteral("atblock"), QStringLiteral("read"), path}, {});
    EXPECT_EQ(o["Title"].toString(), QString::fromUtf8("朝のうた"));
}

TEST(MwexAtblockRead, RefusesBadArguments)
{
    for (const QStringList& args : {Args({"atblock", "read", "--user-time", "x"}), Args({"atblock", "read", "a", "b"}),
                                    Args({"atblock", "read", "/nonexistent/file.lrc"})}) {
        const auto r = Mwex(args, "");
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count('\n'), 1);
    }
}

TEST(MwexAtblockUpdateOld, RewritesOlderKeys)
{
    const auto r = Mwex(Args({"atblock", "update-old"}),
                        "[00:01:00]a\r\n@taggingby=abc (def)\r\n@timetype=winamp\r\n@flames=10000\r\n@totalsec=261\r\n@silence=100\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("[00:01:00]a\r\n@TimeRatio=0.9953125\r\n@SilencemSec=2612\r\n@TaggingBy=abc\r\n@EditedBy=def\r\n"));
}

TEST(MwexAtblockUpdateOld, ExitsOneAndKeepsTheTextWithoutOlderKeys)
{
    const QByteArray text = "[00:01:00]a\r\n@TimeRatio=1\r\n";
    const auto r = Mwex(Args({"atblock", "update-old"}), text);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, text);
    EXPECT_TRUE(r.err.startsWith("mwex: "));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.lrc"));
    testsupport::WriteBytes(path, "[00:01:00]a\n");
    const auto inPlace = Mwex({QStringLiteral("atblock"), QStringLiteral("update-old"), QStringLiteral("-i"), path});
    EXPECT_EQ(inPlace.status, 1);
    EXPECT_EQ(testsupport::ReadBytes(path), QByteArray("[00:01:00]a\n"));
}

TEST(MwexAtblockHelp, BothCommandsExplainThemselves)
{
    for (const char* cmd : {"read", "update-old"}) {
        const auto r = Mwex({QStringLiteral("atblock"), QString::fromLatin1(cmd), QStringLiteral("--help")});
        EXPECT_EQ(r.status, 0) << cmd;
        EXPECT_TRUE(r.out.startsWith("usage: mwex atblock " + QByteArray(cmd) + " ")) << cmd;
    }
}
