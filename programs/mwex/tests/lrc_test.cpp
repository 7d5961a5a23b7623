// End-to-end tests of "mwex lrc …".
#include "programs/mwex/tests/clirunner.h"

#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
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

/// UTF-16 little-endian bytes with a byte-order mark.
QByteArray Utf16Le(const char* utf8)
{
    QByteArray out("\xFF\xFE");
    for (const QChar c : QString::fromUtf8(utf8))
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out;
}

void ExpectBadInput(const clitest::Run& r)
{
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith("mwex: ")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
}

} // namespace

TEST(MwexLrcImport, ConvertsInPlaceKeepingUtf16AndSaysWhichTimeBase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("歌.lrc"));
    WriteBytes(path, Utf16Le("[ti:歌]\r\n[offset:-500]\r\n[00:01.50]あ\r\n[01:02.125]い\r\n"));
    const auto r = Mwex({QStringLiteral("lrc"), QStringLiteral("import"), QStringLiteral("-i"), path});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, ("mwex: " + path + ": times kept in standard time\n").toUtf8());
    EXPECT_EQ(ReadBytes(path), Utf16Le("[00:01:50]あ\r\n[01:02:125]い\r\n@Title=歌\r\n@TimeRatio=1\r\n@Offset=500\r\n"));

    // Standard input to standard output, in another layout and encoding.
    const auto s = Mwex(Args({"lrc", "import", "--layout", "seconds", "--encoding", "cp932"}), "[00:01.50]\xe3\x81\x82\n");
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.out, Sjis("[00:01]あ\r\n@TimeRatio=1\r\n"));
}

TEST(MwexLrcImport, ConvertsToTheSongsWinAmpTime)
{
    const QString song = testsupport::SourceDir() + QStringLiteral("/demo/hoshizora.mp3"); // 44 100 Hz
    const QByteArray lrc = "[01:00.00]x\n";
    const auto winAmp = Mwex({QStringLiteral("lrc"), QStringLiteral("import"), QStringLiteral("--song"), song}, lrc);
    EXPECT_EQ(winAmp.status, 0) << winAmp.err.toStdString();
    EXPECT_EQ(winAmp.out, QByteArray("[00:59:72]x\r\n@TimeRatio=0.9953125\r\n"));
    EXPECT_EQ(winAmp.err, QByteArray("mwex: times converted from standard time to the song's WinAmp time "
                                     "(@TimeRatio=0.9953125)\n"));
    const auto standard = Mwex({QStringLiteral("lrc"), QStringLiteral("import"), QStringLiteral("--song"), song,
                                QStringLiteral("--user-time"), QStringLiteral("standard")},
                               lrc);
    EXPECT_EQ(standard.out, QByteArray("[01:00:00]x\r\n@TimeRatio=1\r\n"));
    const auto song48k = Mwex({QStringLiteral("lrc"), QStringLiteral("import"), QStringLiteral("--song"),
                               testsupport::SourceDir() + QStringLiteral("/demo/kaze.mp3")},
                              lrc);
    EXPECT_EQ(song48k.out, standard.out);
    EXPECT_EQ(song48k.err, QByteArray("mwex: times kept in standard time for the song (@TimeRatio=1)\n"));

    ExpectBadInput(Mwex(Args({"lrc", "import", "--song", "/nonexistent/song.mp3"}), lrc));
}

TEST(MwexLrcImport, LeavesAMixedFileAloneWithAMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mixed.lrc"));
    const QByteArray mixed = "[00:01.00]a\n[00:02:00]b\n";
    WriteBytes(path, mixed);
    const auto r = Mwex({QStringLiteral("lrc"), QStringLiteral("import"), QStringLiteral("-i"), path});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, ("mwex: " + path +
                      ": the text mixes LRC time tags with the program's own [mm:ss:xx] tags; left as it is\n")
                         .toUtf8());
    EXPECT_EQ(ReadBytes(path), mixed);
    // To standard output the text goes through unchanged.
    EXPECT_EQ(Mwex(Args({"lrc", "import"}), mixed).out, mixed);
    EXPECT_EQ(Mwex(Args({"lrc", "detect"}), mixed).out, QByteArray("mixed\n"));
    EXPECT_EQ(Mwex(Args({"lrc", "detect"}), "[00:01.00]a\n").out, QByteArray("lrc\n"));
}

TEST(MwexLrcExport, WritesLrcKeepingTheBom)
{
    const QByteArray karaoke = "\xEF\xBB\xBF[00:10:00]ab[00:12:00]\r\n@TimeRatio=1\r\n@TaggingBy=me\r\n";
    auto r = Mwex(Args({"lrc", "export", "--enhanced"}), karaoke);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("\xEF\xBB\xBF[by:me]\r\n[00:10.00]<00:10.00>ab<00:12.00>\r\n"));

    r = Mwex(Args({"lrc", "export", "--ms", "--lf", "--encoding", "utf16"}), karaoke);
    EXPECT_EQ(r.out, Utf16Le("[by:me]\n[00:10.000]ab\n"));
    EXPECT_EQ(r.err, QByteArray("mwex: karaoke tags left out (--enhanced keeps them as word times)\n"));

    r = Mwex(Args({"lrc", "export"}), "no tags\r\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QByteArray("no tags\r\n"));
    EXPECT_EQ(r.err, QByteArray("mwex: the text holds no time tags; nothing converted\n"));

    ExpectBadInput(Mwex(Args({"lrc", "export", "--encoding", "latin1"}), karaoke));
    ExpectBadInput(Mwex(Args({"lrc", "import", "--layout", "tenths"}), karaoke));
}

TEST(MwexLrcRoundTrip, DemoKaraokeFileComesBackByteForByte)
{
    QTemporaryDir dir;
    for (const char* name : {"hoshizora.kra", "sample.lrc", "kaze.lrc"}) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        const QByteArray original = ReadBytes(testsupport::SourceDir() + QStringLiteral("/demo/") + QString::fromUtf8(name));
        WriteBytes(path, original);
        const auto e = Mwex({QStringLiteral("lrc"), QStringLiteral("export"), QStringLiteral("--enhanced"),
                             QStringLiteral("-i"), path});
        EXPECT_EQ(e.status, 0) << e.err.toStdString();
        EXPECT_NE(ReadBytes(path), original);
        const auto i = Mwex({QStringLiteral("lrc"), QStringLiteral("import"), QStringLiteral("-i"), path});
        EXPECT_EQ(i.status, 0) << i.err.toStdString();
        EXPECT_EQ(ReadBytes(path), original) << name;
    }
}
