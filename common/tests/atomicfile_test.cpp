// The shared whole-file replacement: a full disk, a second writer, hard links, owners,
// modes, extended attributes and stale temporary files never cost a byte.
#include "common/atomicfile.h"
#include "common/textfile.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace common;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    QByteArray native(const char* name) const { return QFile::encodeName(path(name)); }
};

/// Makes every write past `bytes` fail as a full disk does (EFBIG instead of ENOSPC,
/// for this process only), and restores the limit on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

/// A child process that holds the lock of `path` until it is killed.
pid_t HoldLockInChild(const QByteArray& native)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(native.constData(), O_RDONLY);
        ::flock(fd, LOCK_EX);
        (void)!::write(ready[1], "x", 1);
        for (;;)
            ::pause();
    }
    char c;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return pid;
}

void Stop(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

} // namespace

TEST_F(AtomicFileTest, DiskFullAtTheLastWriteKeepsTheOldFileAndReportsIt)
{
    // A lyrics file rewritten by the text layer, as `tags shift -i` does: the new text
    // does not fit. The old file must stay whole and the failure must be reported.
    const QByteArray old = Sjis("[00:01:00]歌詞の一行目\r\n[00:02:00]二行目\r\n");
    WriteBytes(path("k.lrc"), old);
    const QString longer = QString::fromUtf8("[00:02:00]歌詞の一行目\r\n[00:03:00]二行目\r\n[00:04:00]三行目\r\n");
    QString error;
    {
        FileSizeLimit limit(old.size());
        EXPECT_FALSE(WriteTextFile(path("k.lrc"), longer, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadBytes(path("k.lrc")), old);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("k.lrc")});

    // The same with the injected fault: half of the last write lands, then the disk is full.
    for (AtomicFile::Step step : {AtomicFile::Step::Write, AtomicFile::Step::Sync}) {
        AtomicFile::SetFaultInjector([&](AtomicFile::Step s, int index) {
            return !(s == step && index == (step == AtomicFile::Step::Write ? 1 : 0));
        });
        AtomicFile file(path("k.lrc"));
        ASSERT_TRUE(file.open());
        EXPECT_TRUE(file.write("first piece "));
        const bool ok = file.write("last piece") && file.commit();
        AtomicFile::SetFaultInjector(nullptr);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(file.errorString().contains(QStringLiteral("space"))) << file.errorString().toStdString();
        EXPECT_EQ(ReadBytes(path("k.lrc")), old);
        EXPECT_EQ(entries(), QStringList{QStringLiteral("k.lrc")});
    }
}

TEST_F(AtomicFileTest, ASecondWriterWaitsBrieflyThenFailsAndAChangeUnderneathIsNotOverwritten)
{
    WriteBytes(path("a.txt"), "old");
    qputenv("MWEX_LOCK_WAIT_MS", "150");
    const pid_t holder = HoldLockInChild(native("a.txt"));
    ASSERT_GT(holder, 0);
    AtomicFile busy(path("a.txt"));
    EXPECT_FALSE(busy.open());
    EXPECT_EQ(busy.failure(), FileFailure::Busy);
    EXPECT_TRUE(busy.errorString().contains(QStringLiteral("another program"))) << busy.errorString().toStdString();
    Stop(holder);
    qunsetenv("MWEX_LOCK_WAIT_MS");
    EXPECT_EQ(ReadBytes(path("a.txt")), "old");

    // Someone who does not lock appends while the rewrite runs: the rewrite must not
    // replace the file with content made from the old state.
    FileLock lock;
    ASSERT_TRUE(lock.acquire(path("a.txt")));
    QByteArray read;
    ASSERT_TRUE(lock.readAll(100, read));
    QFile other(path("a.txt"));
    ASSERT_TRUE(other.open(QIODevice::Append));
    other.write(" and more");
    other.close();
    AtomicFile late(path("a.txt"));
    ASSERT_TRUE(late.open()); // shares this process's lock
    ASSERT_TRUE(late.write(read + " changed"));
    EXPECT_FALSE(late.commit());
    EXPECT_EQ(late.failure(), FileFailure::Changed);
    EXPECT_EQ(ReadBytes(path("a.txt")), "old and more");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.txt")});
}

TEST_F(AtomicFileTest, TheLockMovesToTheNewFileSoAWaitingWriterSeesTheNewContent)
{
    WriteBytes(path("a.txt"), "1");
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A second process: waits for the lock, then must read what the first wrote.
        char c;
        (void)!::read(go[0], &c, 1);
        FileLock mine;
        QByteArray bytes;
        const bool ok = mine.acquire(path("a.txt")) && mine.readAll(100, bytes) && bytes == "2"
            && WriteFileAtomically(path("a.txt"), bytes + "3");
        ::_exit(ok ? 0 : 1);
    }
    FileLock lock;
    ASSERT_TRUE(lock.acquire(path("a.txt")));
    (void)!::write(go[1], "x", 1);
    ::usleep(100 * 1000);
    ASSERT_TRUE(WriteFileAtomically(path("a.txt"), "2"));
    ::usleep(100 * 1000);
    lock.release();
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(path("a.txt")), "23");
}

TEST_F(AtomicFileTest, HardLinkedFilesNeedConsent)
{
    WriteBytes(path("a.txt"), "old");
    ASSERT_EQ(::link(native("a.txt").constData(), native("b.txt").constData()), 0);
    EXPECT_EQ(CheckRewrite(path("a.txt")).result, RewriteCheck::Result::NeedsConfirmation);
    QString error;
    EXPECT_FALSE(WriteFileAtomically(path("a.txt"), "new", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("hard links"))) << error.toStdString();
    EXPECT_EQ(ReadBytes(path("b.txt")), "old");
    {
        AllowBreakingLinks consent;
        EXPECT_EQ(CheckRewrite(path("a.txt")).result, RewriteCheck::Result::Ok);
        ASSERT_TRUE(WriteFileAtomically(path("a.txt"), "new"));
    }
    EXPECT_EQ(ReadBytes(path("a.txt")), "new");
    EXPECT_EQ(ReadBytes(path("b.txt")), "old");
}

TEST_F(AtomicFileTest, KeepsModeOwnerGroupAndExtendedAttributes)
{
    WriteBytes(path("s.mp3"), "old");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(native("s.mp3").constData(), 12345, 23456), 0);
    }
    ASSERT_EQ(::chmod(native("s.mp3").constData(), 04750), 0); // after chown, which clears setuid
    const bool xattrs = ::setxattr(native("s.mp3").constData(), "user.mwex.test", "value", 5, 0) == 0;
    ASSERT_TRUE(WriteFileAtomically(path("s.mp3"), "new"));
    struct stat st;
    ASSERT_EQ(::stat(native("s.mp3").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 04750u);
    if (root) {
        EXPECT_EQ(st.st_uid, 12345u);
        EXPECT_EQ(st.st_gid, 23456u);
    }
    if (xattrs) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(native("s.mp3").constData(), "user.mwex.test", value, sizeof value), 5);
        EXPECT_STREQ(value, "value");
    }
    EXPECT_EQ(ReadBytes(path("s.mp3")), "new");
    if (!root || !xattrs) {
        GTEST_SKIP() << "owner (needs root) or user xattrs (file system) not checked";
    }
}

TEST_F(AtomicFileTest, StaleTemporariesOfOurPatternAreRemovedAtTheNextRewrite)
{
    WriteBytes(path("song.mp3"), "old");
    const char* stale = ".mwex-ABCDEFGH.tmp";
    const char* fresh = ".mwex-QWERTYUI.tmp";
    const char* inUse = ".mwex-ZZZZZZZZ.tmp";
    const char* foreign = ".other-ABCDEFGH.tmp";
    for (const char* name : {stale, fresh, inUse, foreign})
        WriteBytes(path(name), QByteArray(1000, 'x'));
    const struct timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const char* name : {stale, inUse, foreign})
        ::utimensat(AT_FDCWD, native(name).constData(), old, 0);
    const pid_t holder = HoldLockInChild(native(inUse));
    ASSERT_TRUE(WriteFileAtomically(path("song.mp3"), "new"));
    Stop(holder);
    QStringList expected{QString::fromLatin1(inUse), QString::fromLatin1(fresh), QString::fromLatin1(foreign),
                         QStringLiteral("song.mp3")};
    expected.sort();
    QStringList found = entries();
    found.sort();
    EXPECT_EQ(found, expected);
}

TEST_F(AtomicFileTest, AnotherUsersFileIsNotTakenOverByARewrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two users";
    // In a folder everyone may write, a file of another user (writable by all): a rewrite
    // would make it the writer's, so it is refused and the file stays as it was.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    WriteBytes(path("shared.lrc"), "old");
    ASSERT_EQ(::chmod(native("shared.lrc").constData(), 0666), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        AtomicFile file(path("shared.lrc"));
        const bool wrote = file.open() && file.write("new") && file.commit();
        ::_exit(!wrote && file.failure() == FileFailure::Ownership ? 0 : 1);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path("shared.lrc")), "old");
    struct stat st;
    ASSERT_EQ(::stat(native("shared.lrc").constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}
