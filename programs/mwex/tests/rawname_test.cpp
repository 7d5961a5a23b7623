// mwex on paths whose file names are not UTF-8 (Shift_JIS names from old Windows
// archives): the arguments keep their bytes, reads work, rewrites are refused.
#include "common/atomicfile.h"
#include "common/codepage.h"
#include "common/rawname.h"
#include "programs/mwex/tests/clirunner.h"
#include "testing/folders/oddfolder.h"
#include "testing/testsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cstdio>

namespace {

/// Runs mwex in `folder` with `args` followed by every name there, through the shell's
/// glob, so that the program gets the names' real bytes as arguments.
clitest::Run MwexOnEveryFileIn(const QString& folder, const QStringList& args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" *"),
                                                    testsupport::ProgramPath(QStringLiteral("mwex"))}
                                           + args);
    clitest::Run r;
    if (!p.waitForFinished(60000)) {
        ADD_FAILURE() << "mwex did not finish";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

TEST(MwexRawNames, ShiftJisPathsAreReadAndNeverRewritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const testfolder::TreeGuard cleanup(dir.path());
    QString error;
    const std::optional<testfolder::OddFolder> odd = testfolder::MakeOddFolder(dir.path() + QStringLiteral("/odd"), &error);
    ASSERT_TRUE(odd) << error.toStdString();
    // One folder holding only the Shift_JIS lyrics, one only the Shift_JIS song.
    const QByteArray lyricsFolder = QFile::encodeName(dir.path()) + "/lyrics";
    const QByteArray songFolder = QFile::encodeName(dir.path()) + "/song";
    ASSERT_EQ(::mkdir(lyricsFolder.constData(), 0755), 0);
    ASSERT_EQ(::mkdir(songFolder.constData(), 0755), 0);
    const QByteArray lyricsName = *common::EncodeCp932(QString::fromUtf8(testfolder::kSjisLyricsShown));
    const QByteArray songName = *common::EncodeCp932(QString::fromUtf8(testfolder::kSjisSongShown));
    ASSERT_EQ(::rename(common::NativePath(odd->sjisLyrics).constData(), (lyricsFolder + "/" + lyricsName).constData()), 0);
    ASSERT_EQ(::rename(common::NativePath(odd->sjisSong).constData(), (songFolder + "/" + songName).constData()), 0);
    const QByteArray lyricsBytes = *common::EncodeCp932(testfolder::SjisLyricsText());

    clitest::Run r = MwexOnEveryFileIn(QString::fromLocal8Bit(lyricsFolder), {QStringLiteral("tags"), QStringLiteral("classify")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("karaoke\n"));

    r = MwexOnEveryFileIn(QString::fromLocal8Bit(songFolder), {QStringLiteral("song"), QStringLiteral("probe")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    // The path as JSON keeps every byte: escapes a script's surrogateescape decoding maps back.
    EXPECT_TRUE(r.out.startsWith("{\"path\":\"\\udc8b\\udc8c\\udc96\\udcbc")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\"playSeconds\":2")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\"title\":\"Old name\"")) << r.out.toStdString();

    // A data file of the folder holds the name's Shift_JIS bytes; read back, the row is
    // the file on disk again.
    const QString mlf = dir.path() + QStringLiteral("/list.mlf");
    const clitest::Run saved = clitest::Mwex({QStringLiteral("list"), QStringLiteral("save"), QStringLiteral("--mode"),
                                              QStringLiteral("lyrics"), QString::fromLocal8Bit(lyricsFolder),
                                              QStringLiteral("-o"), mlf});
    EXPECT_EQ(saved.status, 0) << saved.err.toStdString();
    EXPECT_TRUE(testsupport::ReadBytes(mlf).contains("filename=" + lyricsName + "\r\n"));
    const clitest::Run shown = clitest::Mwex({QStringLiteral("list"), QStringLiteral("show"), mlf});
    EXPECT_EQ(shown.status, 0) << shown.err.toStdString();
    EXPECT_TRUE(shown.out.contains("\"filename\":\"\\udc8b\\udc8c\\udc96\\udcbc")) << shown.out.toStdString();
    EXPECT_TRUE(shown.out.contains("\"dimmed\":false")) << shown.out.toStdString();

    // A rewrite in place is refused with the reason, and the file keeps its bytes.
    r = MwexOnEveryFileIn(QString::fromLocal8Bit(lyricsFolder),
                          {QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                           QStringLiteral("-i")});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("not valid UTF-8")) << r.err.toStdString();
    QByteArray now;
    ASSERT_TRUE(common::ReadRegularFile(common::PathFromNative(lyricsFolder + "/" + lyricsName), 1 << 20, now, &error))
        << error.toStdString();
    EXPECT_EQ(now, lyricsBytes);
}
