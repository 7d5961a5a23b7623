// End-to-end tests of "mwex tags …".
#include "programs/mwex/tests/clirunner.h"

#include "testing/testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using clitest::Mwex;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

QStringList Args(std::initializer_list<const char*> words)
{
    QStringList out;
    for (const char* w : words)
        out << QString::fromUtf8(w);
    return out;
}

/// A bad-input answer: exit 2, one "mwex: " line on standard error, nothing on standard output.
void ExpectBadInput(const clitest::Run& r)
{
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith("mwex: ")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
}

const QByteArray kKaraoke = "[00:10:00]ab[00:12:00]\r\n[00:15:00]cd[00:16:00]\r\n";
const QByteArray kLineHead = "[00:05:00][00:01:00]x\r\n[00:03:00]y\r\n";

} // namespace

TEST(MwexTagsClassify, PrintsTheKind)
{
    EXPECT_EQ(Mwex(Args({"tags", "classify"}), "plain\r\n").out, QByteArray("none\n"));
    EXPECT_EQ(Mwex(Args({"tags", "classify", "-"}), kLineHead).out, QByteArray("linehead\n"));
    const auto r = Mwex(Args({"tags", "classify"}), kKaraoke);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("karaoke\n"));
}

TEST(MwexTagsClassify, ReadsTheBundledSample)
{
    const auto r = Mwex({QStringLiteral("tags"), QStringLiteral("classify"), testsupport::SourceDir() + "/demo/sample.lrc"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("karaoke\n"));
}

TEST(MwexTagsUnify, RewritesTagsInTheChosenLayout)
{
    auto r = Mwex(Args({"tags", "unify", "--layout", "seconds"}), "[1:2:99]a[00:03:5]b\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("[01:02]a[00:03]b\r\n"));
    r = Mwex(Args({"tags", "unify", "--layout", "hundredths"}), "[00:12:3]a\n[00:13]b\n");
    EXPECT_EQ(r.out, QByteArray("[00:12:30]a\r\n[00:13:00]b\r\n")); // line breaks normalised
}

TEST(MwexTagsUnify, NeedsAKnownLayout)
{
    ExpectBadInput(Mwex(Args({"tags", "unify"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "unify", "--layout", "tenths"}), kKaraoke));
}

TEST(MwexTagsStrip, RemovesAllTagsOrOnlyKaraokeTags)
{
    EXPECT_EQ(Mwex(Args({"tags", "strip"}), kKaraoke).out, QByteArray("ab\r\ncd\r\n"));
    EXPECT_EQ(Mwex(Args({"tags", "strip-karaoke"}), kKaraoke).out, QByteArray("[00:10:00]ab\r\n[00:15:00]cd\r\n"));
    // Karaoke only: a line-head text stays as it is.
    EXPECT_EQ(Mwex(Args({"tags", "strip-karaoke"}), kLineHead).out, kLineHead);
}

TEST(MwexTagsNormalize, SortsLineHeadTextsAndLeavesKaraokeAlone)
{
    EXPECT_EQ(Mwex(Args({"tags", "normalize"}), kLineHead).out,
              QByteArray("[00:01:00]x\r\n[00:03:00]y\r\n[00:05:00]x\r\n"));
    EXPECT_EQ(Mwex(Args({"tags", "normalize"}), kKaraoke).out, kKaraoke);
}

TEST(MwexTagsShift, MovesEveryTagAndClampsAtZero)
{
    EXPECT_EQ(Mwex(Args({"tags", "shift", "--ms", "-500"}), "[00:00:30]a[00:01]b\r\n").out, QByteArray("[00:00:00]a[00:00]b\r\n"));
    EXPECT_EQ(Mwex(Args({"tags", "shift", "--ms", "1500"}), "x[0:1:5]\r\n").out, QByteArray("x[00:03:0]\r\n"));
}

TEST(MwexTagsShift, RefusesBadAmounts)
{
    ExpectBadInput(Mwex(Args({"tags", "shift"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "shift", "--ms", "ten"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "shift", "--ms", "99999999999"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "shift", "--ms", "1.5"}), kKaraoke));
}

TEST(MwexTagsAdvance, InsertsAndRemovesAdvanceTags)
{
    const auto adjusted = Mwex(Args({"tags", "advance", "--max-ms", "500"}), kKaraoke);
    EXPECT_EQ(adjusted.status, 0);
    EXPECT_EQ(adjusted.out, QByteArray("[00:10:00]ab[00:12:00][00:14:50]\r\n[00:14:50][00:15:00]cd[00:16:00]\r\n"));
    const auto removed = Mwex(Args({"tags", "advance", "--remove"}), adjusted.out);
    EXPECT_EQ(removed.out, kKaraoke);
}

TEST(MwexTagsAdvance, NeedsExactlyOneModeAndAValidMaximum)
{
    ExpectBadInput(Mwex(Args({"tags", "advance"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "advance", "--remove", "--max-ms", "5"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "advance", "--max-ms", "-1"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "advance", "--max-ms", "999001"}), kKaraoke));
}

TEST(MwexTagsRepairReversals, RepairsKaraokeTags)
{
    EXPECT_EQ(Mwex(Args({"tags", "repair-reversals"}), "[00:10:00]a[00:12:00]b[00:11:00]c[00:13:00]\r\n").out,
              QByteArray("[00:10:00]a[00:11:00]b[00:11:00]c[00:13:00]\r\n"));
}

TEST(MwexTagsCheckOrder, ListsReversedTagsWithTheirLineAndExitsOne)
{
    const auto r = Mwex(Args({"tags", "check-order"}), "[00:02:00]a\r\n[00:03:00]b[0:1:5]\r\nc\r\n[00:00:10]d\r\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QByteArray("2 [0:1:5]\n4 [00:00:10]\n"));
    const auto ok = Mwex(Args({"tags", "check-order"}), kKaraoke);
    EXPECT_EQ(ok.status, 0);
    EXPECT_TRUE(ok.out.isEmpty());
}

TEST(MwexTagsRescale, MapsTheReferenceTimes)
{
    const auto r = Mwex(Args({"tags", "rescale", "--from", "10000,70000", "--to", "12000,71000"}),
                        "[00:10:00]a[00:40:00]b\r\n[01:10:00]c[00:04:00]\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("[00:12:00]a[00:41:50]b\r\n[01:11:00]c[00:06:10]\r\n"));
}

TEST(MwexTagsRescale, ReportsTheOrderFailureAndBadTimes)
{
    const auto r = Mwex(Args({"tags", "rescale", "--from", "70000,10000", "--to", "1,2"}), kKaraoke);
    ExpectBadInput(r);
    EXPECT_TRUE(r.err.contains("最後のタイムタグが最初のタイムタグより")) << r.err.toStdString();
    ExpectBadInput(Mwex(Args({"tags", "rescale", "--from", "1", "--to", "1,2"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "rescale", "--from", "1,x", "--to", "1,2"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "rescale", "--from", "-1,5", "--to", "1,2"}), kKaraoke));
    ExpectBadInput(Mwex(Args({"tags", "rescale", "--to", "1,2"}), kKaraoke));
}

TEST(MwexTagsApplyOffset, ShiftsAndZeroesTheOffset)
{
    const auto r = Mwex(Args({"tags", "apply-offset"}), "[00:01:00]a\r\n@TimeRatio=0.9953125\r\n@Offset=-150\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("[00:00:84]a\r\n@TimeRatio=0.9953125\r\n@Offset=0\r\n@TaggingBy=\r\n"));
    // Without an offset nothing happens.
    EXPECT_EQ(Mwex(Args({"tags", "apply-offset"}), kKaraoke).out, kKaraoke);
    ExpectBadInput(Mwex(Args({"tags", "apply-offset", "--user-time", "local"}), kKaraoke));
}

TEST(MwexTagsFiles, EncodingOfTheFileIsKept)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sjis = dir.filePath(QStringLiteral("a.txt"));
    WriteBytes(sjis, Sjis("[00:01:00]歌[00:02:00]詞\r\n"));
    auto r = Mwex({QStringLiteral("tags"), QStringLiteral("strip"), sjis});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Sjis("歌詞\r\n"));
    const QString utf8 = dir.filePath(QStringLiteral("b.txt"));
    WriteBytes(utf8, "\xEF\xBB\xBF" + QByteArray("[00:01:00]歌[00:02:00]詞\r\n"));
    r = Mwex({QStringLiteral("tags"), QStringLiteral("strip"), utf8});
    EXPECT_EQ(r.out, "\xEF\xBB\xBF" + QByteArray("歌詞\r\n"));
}

TEST(MwexTagsFiles, InPlaceRewritesOnlyChangedFilesKeepingTheirLineBreaks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = dir.filePath(QStringLiteral("a.lrc"));
    const QString b = dir.filePath(QStringLiteral("b.lrc"));
    const QString c = dir.filePath(QStringLiteral("c.lrc"));
    const QString d = dir.filePath(QStringLiteral("d.lrc"));
    WriteBytes(a, "[00:01:00]x\n[00:04:00]z\n");
    WriteBytes(b, "plain\n"); // not tagged: left alone
    WriteBytes(c, "[00:02]y\r\n");
    WriteBytes(d, "[00:05]w\r");
    const auto r = Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                         QStringLiteral("-i"), a, b, c, d});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(ReadBytes(a), QByteArray("[00:02:00]x\n[00:05:00]z\n"));
    EXPECT_EQ(ReadBytes(b), QByteArray("plain\n"));
    EXPECT_EQ(ReadBytes(c), QByteArray("[00:03]y\r\n"));
    EXPECT_EQ(ReadBytes(d), QByteArray("[00:06]w\r"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4); // no temporary files left
}

TEST(MwexTagsFiles, BadInputWritesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = dir.filePath(QStringLiteral("a.lrc"));
    WriteBytes(a, "[00:01:00]x\r\n");
    ExpectBadInput(Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("10"),
                         QStringLiteral("-i"), a, dir.filePath(QStringLiteral("missing.lrc"))}));
    EXPECT_EQ(ReadBytes(a), QByteArray("[00:01:00]x\r\n"));
    ExpectBadInput(Mwex({QStringLiteral("tags"), QStringLiteral("strip"), QStringLiteral("--bogus"), a}));
    ExpectBadInput(Mwex({QStringLiteral("tags"), QStringLiteral("classify"), a, a}));
    EXPECT_EQ(ReadBytes(a), QByteArray("[00:01:00]x\r\n"));
}

TEST(MwexTagsHelp, EveryTagsCommandExplainsItself)
{
    for (const char* cmd : {"classify", "unify", "strip", "strip-karaoke", "normalize", "shift", "advance",
                            "repair-reversals", "check-order", "rescale", "apply-offset"}) {
        const auto r = Mwex({QStringLiteral("tags"), QString::fromLatin1(cmd), QStringLiteral("--help")});
        EXPECT_EQ(r.status, 0) << cmd;
        EXPECT_TRUE(r.out.startsWith("usage: mwex tags " + QByteArray(cmd) + " ")) << cmd;
    }
    const auto group = Mwex(Args({"tags", "--help"}));
    EXPECT_EQ(group.status, 0);
    EXPECT_TRUE(group.out.contains("mwex tags check-order"));
}
