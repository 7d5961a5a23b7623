#include "installer/fileops.h"
#include "installer/folders.h"
#include "installer/session.h"

#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace installer;
using installertest::ListTree;
using installertest::TestMachine;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

int Permissions(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 07777);
}

qint64 MTimeNs(const QString& path)
{
    return fs::ModificationTime(path).value_or(-1);
}

void SetMTime(const QString& path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 123456789}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

QStringList Names(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class FileOpsTest : public ::testing::Test {
protected:
    TestMachine m;
    QString dir() const { return m.scratch(); }
};

TEST_F(FileOpsTest, CopyKeepsContentTimeAndExecutableBitsAndIsWritable)
{
    const QString src = dir() + "tool.sh";
    WriteBytes(src, "#!/bin/sh\necho hi\n");
    ::chmod(QFile::encodeName(src).constData(), 0555);
    SetMTime(src, 1000000000);
    const QString dst = dir() + "out/tool.sh";
    QDir().mkpath(dir() + "out");
    ASSERT_EQ(fs::CopyFileAtomically(src, dst), 0);
    EXPECT_EQ(ReadBytes(dst), ReadBytes(src));
    EXPECT_EQ(MTimeNs(dst), MTimeNs(src));
    EXPECT_EQ(Permissions(dst), 0755);
    EXPECT_EQ(Names(dir() + "out"), QStringList{"tool.sh"});
}

TEST_F(FileOpsTest, CopyReplacesAnExistingReadOnlyFile)
{
    const QString src = dir() + "a", dst = dir() + "b";
    WriteBytes(src, "new content");
    WriteBytes(dst, "old");
    ::chmod(QFile::encodeName(dst).constData(), 0444);
    ASSERT_EQ(fs::CopyFileAtomically(src, dst), 0);
    EXPECT_EQ(ReadBytes(dst), QByteArray("new content"));
}

TEST_F(FileOpsTest, CopyOfALargeFileCallsKeepAliveBetweenChunks)
{
    const QString src = dir() + "big", dst = dir() + "big.copy";
    WriteBytes(src, installertest::Payload(1, 20 * 1024 * 1024));
    int calls = 0;
    ASSERT_EQ(fs::CopyFileAtomically(src, dst, [&] { ++calls; }), 0);
    EXPECT_GE(calls, 2);
    EXPECT_EQ(ReadBytes(dst), ReadBytes(src));
}

TEST_F(FileOpsTest, FailedCopyLeavesTheOldDestinationAndNoTemporaryFile)
{
    const QString src = dir() + "src", dst = dir() + "dst";
    WriteBytes(src, installertest::Payload(2, 64 * 1024));
    WriteBytes(dst, "the old file");
    // Let every write beyond 16 KiB fail, as on a full disk.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int error = fs::CopyFileAtomically(src, dst);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(ReadBytes(dst), QByteArray("the old file"));
    EXPECT_EQ(Names(dir()), (QStringList{"dst", "src"}));
}

TEST_F(FileOpsTest, CopyRefusesFoldersAndMissingSources)
{
    WriteBytes(dir() + "f", "x");
    QDir().mkpath(dir() + "folder");
    EXPECT_EQ(fs::CopyFileAtomically(dir() + "folder", dir() + "g"), EISDIR);
    EXPECT_EQ(fs::CopyFileAtomically(dir() + "f", dir() + "folder"), EISDIR);
    EXPECT_EQ(fs::CopyFileAtomically(dir() + "none", dir() + "g"), ENOENT);
    EXPECT_EQ(fs::CopyFileAtomically(dir() + "f", dir() + "f/inside"), ENOTDIR);
    EXPECT_FALSE(QFile::exists(dir() + "g"));
}

TEST_F(FileOpsTest, CopyOverALinkReplacesTheLinkNotItsTarget)
{
    WriteBytes(dir() + "target", "precious");
    ASSERT_TRUE(QFile::link(dir() + "target", dir() + "link"));
    WriteBytes(dir() + "src", "payload");
    ASSERT_EQ(fs::CopyFileAtomically(dir() + "src", dir() + "link"), 0);
    EXPECT_EQ(ReadBytes(dir() + "target"), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(dir() + "link").isSymLink());
}

TEST_F(FileOpsTest, ExclusiveFilesNeverReuseAName)
{
    int error = 0;
    const QString a = fs::CreateExclusiveFile(dir() + "EXPAND-XXXXXX", &error);
    const QString b = fs::CreateExclusiveFile(dir() + "EXPAND-XXXXXX", &error);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::CreateExclusiveFile(dir() + "none/EXPAND-XXXXXX", &error).isEmpty());
    EXPECT_EQ(error, ENOENT);
}

TEST_F(FileOpsTest, FolderPathsAreCreatedLevelByLevel)
{
    EXPECT_TRUE(fs::CreateFolderPath(dir() + "a\\b/c/"));
    EXPECT_TRUE(fs::IsFolder(dir() + "a/b/c"));
    EXPECT_TRUE(fs::CreateFolderPath(dir() + "a/b/c"));
    WriteBytes(dir() + "file", "x");
    EXPECT_FALSE(fs::CreateFolderPath(dir() + "file/sub"));
    EXPECT_EQ(fs::MakeFolder(dir() + "a"), EEXIST);
    EXPECT_EQ(fs::MakeFolder(dir() + "x/y"), ENOENT);
}

TEST_F(FileOpsTest, DeletePathRemovesFilesFoldersAndWildcardMatchesIgnoringCase)
{
    const Protection none;
    QDir().mkpath(dir() + "app/sub/deeper");
    for (const char* name : {"app/a.ini", "app/B.INI", "app/keep.txt", "app/sub/x.ini", "app/sub/deeper/y"})
        WriteBytes(dir() + name, "x");
    EXPECT_EQ(fs::DeletePath(dir() + "app/*.INI", none), 0);
    EXPECT_EQ(Names(dir() + "app"), (QStringList{"keep.txt", "sub"}));
    EXPECT_EQ(fs::DeletePath(dir() + "app/sub", none), 0);
    EXPECT_EQ(Names(dir() + "app"), QStringList{"keep.txt"});
    EXPECT_EQ(fs::DeletePath(dir() + "app/none.txt", none), ENOENT);
    EXPECT_EQ(fs::DeletePath(dir() + "app/*.none", none), 0);
}

TEST_F(FileOpsTest, DeletePathNeverFollowsLinks)
{
    const Protection none;
    QDir().mkpath(dir() + "outside");
    WriteBytes(dir() + "outside/precious", "x");
    QDir().mkpath(dir() + "app");
    ASSERT_TRUE(QFile::link(dir() + "outside", dir() + "app/link"));
    ASSERT_EQ(fs::DeletePath(dir() + "app/*.*", none), 0);
    EXPECT_TRUE(QFile::exists(dir() + "outside/precious"));
    EXPECT_TRUE(Names(dir() + "app").isEmpty());
}

TEST_F(FileOpsTest, DeletePathRefusesProtectedFolders)
{
    const Protection p(m.environment(), FolderTable::Resolve(m.environment(), m.media(), nullptr));
    WriteBytes(m.desktop() + "note.txt", "x");
    WriteBytes(m.home() + "a.ini", "x");
    const auto before = ListTree(m.home());
    EXPECT_EQ(fs::DeletePath(m.desktop(), p), EPERM);
    EXPECT_EQ(fs::DeletePath(m.home() + "*.*", p), EPERM);
    EXPECT_EQ(fs::DeletePath(m.home() + "*.ini", p), EPERM);
    EXPECT_EQ(fs::DeletePath(m.programFiles() + "..\\..\\*.*", p), EPERM);
    EXPECT_EQ(ListTree(m.home()), before);
    // A protected folder met inside a deletion stays with its content.
    QDir().mkpath(m.programFiles() + "Tool");
    ASSERT_TRUE(QFile::link(m.desktop(), m.programFiles() + "Tool/desk"));
    EXPECT_EQ(fs::DeletePath(m.programFiles() + "Tool", p), 0);
    EXPECT_TRUE(QFile::exists(m.desktop() + "note.txt"));
}

TEST_F(FileOpsTest, ObserverSeesEveryChange)
{
    QStringList seen;
    fs::SetMutationObserver([&](const QString& path, const char* op) { seen << QString::fromLatin1(op) + ' ' + path; });
    WriteBytes(dir() + "a", "x");
    fs::CopyFileAtomically(dir() + "a", dir() + "b");
    fs::MakeFolder(dir() + "d");
    fs::RemoveFolder(dir() + "d");
    fs::RemoveFile(dir() + "b");
    fs::SetMutationObserver(nullptr);
    EXPECT_EQ(seen, (QStringList{"write " + dir() + "b", "mkdir " + dir() + "d", "rmdir " + dir() + "d",
                                 "remove " + dir() + "b"}));
}

TEST(WorkFolder, FirstFreeNumberIsTakenAndMadePrivate)
{
    TestMachine m;
    for (int n = 1; n <= 3; ++n)
        QDir().mkpath(m.tmp() + QStringLiteral("TSTMP%1").arg(n));
    const QString work = CreateWorkFolder(m.tmp());
    EXPECT_EQ(work, m.tmp() + "TSTMP4/");
    EXPECT_EQ(Permissions(work), 0700);
    EXPECT_EQ(CreateWorkFolder(m.tmp()), m.tmp() + "TSTMP5/");
}

TEST(WorkFolder, AllNinetyNineTakenUsesTheLastOnlyWhenItIsOurOwnFolder)
{
    TestMachine m;
    for (int n = 1; n <= 99; ++n)
        QDir().mkpath(m.tmp() + QStringLiteral("TSTMP%1").arg(n));
    EXPECT_EQ(CreateWorkFolder(m.tmp()), m.tmp() + "TSTMP99/");
    QDir(m.tmp() + "TSTMP99").removeRecursively();
    ASSERT_TRUE(QFile::link(m.scratch(), m.tmp() + "TSTMP99"));
    EXPECT_EQ(CreateWorkFolder(m.tmp()), "");
}

TEST(WorkFolder, MissingTemporaryFolderIsCreated)
{
    TestMachine m;
    EXPECT_EQ(CreateWorkFolder(m.scratch() + "newtmp/"), m.scratch() + "newtmp/TSTMP1/");
}
