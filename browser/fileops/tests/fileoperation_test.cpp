// Copy, move, delete and rename through clsFileOperation on real files in a temporary
// folder, with a fake trash and injected failures.
#include "browser/fileops/fileoperation.h"
#include "browser/fileops/posixfs.h"
#include "browser/fileops/renamerules.h"
#include "browser/fileops/tests/faketrash.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <thread>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace fileops;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

// Bytes that differ by tag and position, so a misplaced or truncated copy shows.
QByteArray Content(const char* tag, int size = 5000)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2166136261u;
    for (const char* t = tag; *t; ++t)
        x = (x ^ quint8(*t)) * 16777619u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class FileOperationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        src = tmp.filePath(QStringLiteral("src"));
        dst = tmp.filePath(QStringLiteral("dst"));
        QDir().mkpath(src);
        QDir().mkpath(dst);
        op.setTrash(&trash);
    }
    QString write(const QString& folder, const QString& name, const QByteArray& bytes)
    {
        const QString path = folder + QLatin1Char('/') + name;
        WriteBytes(path, bytes);
        return path;
    }

    QTemporaryDir tmp;
    QString src, dst;
    fakes::FakeTrash trash{tmp.filePath(QStringLiteral("holding"))};
    clsFileOperation op;
};

} // namespace

TEST_F(FileOperationTest, DirectDeleteRemovesTheFilesAndTrashesNothing)
{
    const QString a = write(src, QStringLiteral("a.txt"), "a"), b = write(src, QStringLiteral("b.mp3"), "b");
    op.setAllowUndo(false);
    EXPECT_TRUE(op.Delete({a, b}));
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_FALSE(QFile::exists(b));
    EXPECT_TRUE(trash.trashed.isEmpty());

    const QString c = write(src, QStringLiteral("c.txt"), "c");
    op.setAllowUndo(true);
    EXPECT_TRUE(op.Delete({c}));
    EXPECT_EQ(trash.trashed, QStringList{c});
    EXPECT_FALSE(QFile::exists(c));
}

TEST_F(FileOperationTest, AFileTheTrashRefusesStaysAndIsReportedNeverDeleted)
{
    const QString a = write(src, QStringLiteral("a.txt"), "keep me"), b = write(src, QStringLiteral("b.txt"), "b");
    trash.refuse << a;
    op.setAllowUndo(true);
    EXPECT_FALSE(op.Delete({a, b}));
    EXPECT_EQ(ReadBytes(a), QByteArray("keep me"));
    EXPECT_FALSE(QFile::exists(b));
    ASSERT_EQ(op.lastResult().failures.size(), 1u);
    EXPECT_EQ(op.lastResult().failures[0].path, a);
    EXPECT_EQ(op.lastResult().completed, QStringList{b});
    EXPECT_TRUE(FailureReport(op.lastResult()).startsWith(QStringLiteral("次のファイルを処理できませんでした。\n\n") + a));
}

TEST_F(FileOperationTest, CopyingIntoTheSourcesOwnFolderAsksNothingAndChangesNothing)
{
    const QByteArray bytes = Content("own");
    const QString a = write(src, QStringLiteral("a.txt"), bytes), b = write(src, QStringLiteral("b.txt"), bytes);
    int questions = 0;
    op.setOverwriteDecider([&](OverwriteQuestion&) { ++questions; return true; });
    EXPECT_TRUE(op.Copy({a, b}, src + QLatin1Char('/')));
    EXPECT_TRUE(op.Move({a, b}, src));
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(op.lastResult().skipped, (QStringList{a, b}));
    EXPECT_EQ(ReadBytes(a), bytes);
    EXPECT_EQ(ReadBytes(b), bytes);
    EXPECT_EQ(Entries(src), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
}

TEST_F(FileOperationTest, ACopyThroughASymlinkedFolderNeverTruncatesTheSource)
{
    const QByteArray bytes = Content("self", 300000);
    const QString a = write(src, QStringLiteral("a.txt"), bytes);
    const QString link = tmp.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(src, link));
    op.setRespondDialog(true); // would answer "overwrite" if it were asked
    EXPECT_TRUE(op.Copy({a}, link));
    EXPECT_EQ(op.lastResult().skipped, QStringList{a});
    EXPECT_TRUE(op.Move({link + QStringLiteral("/a.txt")}, src));
    EXPECT_EQ(ReadBytes(a), bytes);
    EXPECT_EQ(Entries(src), QStringList{QStringLiteral("a.txt")});
}

TEST_F(FileOperationTest, ARefusedTargetKeepsItsBytesWhileTheOtherTwoAreCopied)
{
    const QString a = write(src, QStringLiteral("a.txt"), Content("a")), b = write(src, QStringLiteral("b.txt"), Content("b")),
                  c = write(src, QStringLiteral("c.txt"), Content("c"));
    const QString oldB = write(dst, QStringLiteral("b.txt"), "old b");
    QList<OverwriteQuestion> asked;
    op.setOverwriteDecider([&](OverwriteQuestion& q) { asked << q; return false; });
    EXPECT_TRUE(op.Copy({a, b, c}, dst));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].message, QStringLiteral("同名ファイルが存在しています。"));
    EXPECT_EQ(asked[0].sourcePath, b);
    EXPECT_EQ(asked[0].destinationPath, oldB);
    EXPECT_FALSE(asked[0].move);
    EXPECT_EQ(ReadBytes(dst + QStringLiteral("/a.txt")), Content("a"));
    EXPECT_EQ(ReadBytes(oldB), QByteArray("old b"));
    EXPECT_EQ(ReadBytes(dst + QStringLiteral("/c.txt")), Content("c"));
    EXPECT_EQ(op.lastResult().skipped, QStringList{b});

    // A refused move keeps its source; an accepted one replaces the target.
    op.setOverwriteDecider([&](OverwriteQuestion& q) { return q.sourcePath == a; });
    write(src, QStringLiteral("a.txt"), "new a");
    EXPECT_TRUE(op.Move({a, c}, dst));
    EXPECT_EQ(ReadBytes(dst + QStringLiteral("/a.txt")), QByteArray("new a"));
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(ReadBytes(c), Content("c"));
    EXPECT_EQ(Entries(dst), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
}

TEST_F(FileOperationTest, CopiesKeepModeAndTimeAndAClashCanGetAFreeName)
{
    const QString a = write(src, QStringLiteral("a.txt"), "a");
    ::chmod(QFile::encodeName(a).constData(), 0640);
    const QDateTime when(QDate(2003, 4, 5), QTime(6, 7, 8));
    QFile f(a);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    f.close();
    write(dst, QStringLiteral("a.txt"), "old");
    op.setRenameOnCollision(true);
    EXPECT_TRUE(op.Copy({a}, dst));
    const QFileInfo copy(dst + QStringLiteral("/a (2).txt"));
    EXPECT_EQ(ReadBytes(copy.filePath()), QByteArray("a"));
    EXPECT_EQ(copy.lastModified(), when);
    EXPECT_EQ(int(copy.permissions() & 0x0FFF), int(QFileInfo(a).permissions() & 0x0FFF));
    EXPECT_EQ(ReadBytes(dst + QStringLiteral("/a.txt")), QByteArray("old"));
}

TEST_F(FileOperationTest, RenameNeverReplacesAnExistingFile)
{
    const QString a = write(src, QStringLiteral("a.txt"), "a"), b = write(src, QStringLiteral("b.txt"), "b");
    EXPECT_FALSE(op.Rename(a, b));
    ASSERT_EQ(op.lastResult().failures.size(), 1u);
    EXPECT_EQ(RenameFailureMessage(op.lastResult().failures[0].error), QStringLiteral("同名ファイルが存在するためリネームできません。"));
    EXPECT_EQ(ReadBytes(a), QByteArray("a"));
    EXPECT_EQ(ReadBytes(b), QByteArray("b"));
    EXPECT_TRUE(op.Rename(a, src + QStringLiteral("/c.txt")));
    EXPECT_EQ(Entries(src), (QStringList{QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
}

namespace {
class CancelAfterFirstBytes : public OperationObserver {
public:
    bool progress(const Progress& p) override
    {
        reports << p;
        return p.bytesDone == 0;
    }
    QList<Progress> reports;
};
} // namespace

TEST_F(FileOperationTest, ACancelledCopyLeavesNoPartialFile)
{
    const QByteArray big = Content("big", 20 << 20);
    const QString a = write(src, QStringLiteral("big.mp3"), big);
    CancelAfterFirstBytes observer;
    op.setObserver(&observer);
    op.setShowDialog(true);
    const TransferPlan plan = op.PlanCopy({a}, dst);
    OperationResult result;
    std::thread worker([&] { result = op.Run(plan); });
    worker.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(Entries(dst).isEmpty());
    EXPECT_EQ(ReadBytes(a), big);
    ASSERT_GE(observer.reports.size(), 2);
    EXPECT_EQ(observer.reports[0].bytesTotal, big.size());
    EXPECT_EQ(observer.reports[0].currentPath, a);

    // Silent: the observer hears nothing and the copy completes.
    observer.reports.clear();
    op.setShowDialog(false);
    EXPECT_TRUE(op.Copy({a}, dst));
    EXPECT_TRUE(observer.reports.isEmpty());
    EXPECT_EQ(ReadBytes(dst + QStringLiteral("/big.mp3")), big);
}

namespace {
// Another file system than the temporary folder's, for moves that must copy.
QString OtherFileSystem(const QString& here)
{
    const QString shm = QStringLiteral("/dev/shm");
    const auto a = IdentityOf(here), b = IdentityOf(shm);
    if (!a || !b || a->device == b->device || !QFileInfo(shm).isWritable())
        return QString();
    return shm;
}
} // namespace

TEST_F(FileOperationTest, AMoveAcrossFileSystemsCopiesVerifiesThenRemovesTheSource)
{
    const QString other = OtherFileSystem(tmp.path());
    if (other.isEmpty())
        GTEST_SKIP() << "no second file system";
    QTemporaryDir far(other + QStringLiteral("/mwex-fileops-XXXXXX"));
    const QByteArray bytes = Content("far", 3 << 20);
    const QString a = write(src, QStringLiteral("a.mp3"), bytes);
    EXPECT_TRUE(op.Move({a}, far.path()));
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(ReadBytes(far.filePath(QStringLiteral("a.mp3"))), bytes);
    EXPECT_EQ(Entries(far.path()), QStringList{QStringLiteral("a.mp3")});
}

TEST_F(FileOperationTest, AFailureAtAnyStepLeavesEverySourceIntactAndNoTemporaryFile)
{
    const QString other = OtherFileSystem(tmp.path());
    QTemporaryDir far(other.isEmpty() ? QDir::tempPath() + QStringLiteral("/mwex-fileops-XXXXXX") : other + QStringLiteral("/mwex-fileops-XXXXXX"));
    const QByteArray bytes1 = Content("one", 100000), bytes2 = Content("two", 10 << 20);
    const QByteArray oldTarget = "the old target";

    struct Case {
        OperationKind kind;
        clsFileOperation::Step step;
        int occurrence; // which call of that step fails (0 = first)
        bool acrossFileSystems;
    };
    std::vector<Case> cases;
    for (bool across : {false, true}) {
        if (across && other.isEmpty())
            continue;
        for (OperationKind kind : {OperationKind::Copy, OperationKind::Move})
            for (auto step : {clsFileOperation::Step::Open, clsFileOperation::Step::Write, clsFileOperation::Step::Rename,
                              clsFileOperation::Step::Unlink})
                for (int occurrence : {0, 1, 2})
                    cases.push_back({kind, step, occurrence, across});
    }

    int injected = 0;
    for (const Case& c : cases) {
        const QString trace = QStringLiteral("%1 step %2 #%3 %4").arg(int(c.kind)).arg(int(c.step)).arg(c.occurrence).arg(c.acrossFileSystems ? "across" : "within");
        SCOPED_TRACE(trace.toStdString());
        QDir(src).removeRecursively();
        QDir().mkpath(src);
        const QString target = c.acrossFileSystems ? far.path() : dst;
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        const QString s1 = write(src, QStringLiteral("one.txt"), bytes1), s2 = write(src, QStringLiteral("two.mp3"), bytes2);
        write(target, QStringLiteral("two.mp3"), oldTarget);

        int seen = 0;
        bool fired = false;
        op.setRespondDialog(true); // replacing "two.mp3" is allowed
        op.setFaultInjector([&](clsFileOperation::Step step, const QString&) {
            if (step != c.step)
                return true;
            if (seen++ == c.occurrence) {
                fired = true;
                return false;
            }
            return true;
        });
        const bool ok = c.kind == OperationKind::Copy ? op.Copy({s1, s2}, target) : op.Move({s1, s2}, target);
        if (!fired) {
            EXPECT_TRUE(ok);
            continue;
        }
        ++injected;
        EXPECT_FALSE(ok);
        ASSERT_EQ(op.lastResult().failures.size(), 1u);
        const QString failed = op.lastResult().failures[0].path;
        // The failed file's source is whole; a moved one is whole at its target.
        for (const auto& [source, bytes] : {std::pair{s1, bytes1}, std::pair{s2, bytes2}}) {
            const QString name = QFileInfo(source).fileName();
            if (c.kind == OperationKind::Copy || source == failed)
                EXPECT_EQ(ReadBytes(source), bytes) << name.toStdString();
            else
                EXPECT_EQ(ReadBytes(target + QLatin1Char('/') + name), bytes) << name.toStdString();
        }
        // The target of the failed file is either untouched or the complete copy.
        const QString failedTarget = target + QLatin1Char('/') + QFileInfo(failed).fileName();
        if (QFile::exists(failedTarget)) {
            const QByteArray now = ReadBytes(failedTarget);
            EXPECT_TRUE(now == ReadBytes(failed) || (failed == s2 && now == oldTarget));
        }
        for (const QString& entry : Entries(target))
            EXPECT_FALSE(entry.startsWith(QStringLiteral(".mwex"))) << entry.toStdString();
    }
    op.setFaultInjector({});
    EXPECT_GE(injected, other.isEmpty() ? 10 : 28);
}

TEST_F(FileOperationTest, TheFreedesktopTrashKeepsTheFileAndWhereItCameFrom)
{
    const QString home = tmp.filePath(QStringLiteral("share/Trash"));
    FreedesktopTrash real(home);
    const QString a = write(src, QStringLiteral("歌詞 #1.txt"), "first"), again = src + QStringLiteral("/歌詞 #1.txt");
    QString error;
    ASSERT_TRUE(real.moveToTrash(a, &error)) << error.toStdString();
    WriteBytes(again, "second");
    ASSERT_TRUE(real.moveToTrash(again, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(ReadBytes(home + QStringLiteral("/files/歌詞 #1.txt")), QByteArray("first"));
    EXPECT_EQ(ReadBytes(home + QStringLiteral("/files/歌詞 #1.txt.2")), QByteArray("second"));

    const QByteArray info = ReadBytes(home + QStringLiteral("/info/歌詞 #1.txt.2.trashinfo"));
    const QByteArray path = QUrl::toPercentEncoding(QDir(src).absolutePath(), "/") + "/%E6%AD%8C%E8%A9%9E%20%231.txt";
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + path + "\nDeletionDate=")) << info.toStdString();
    const QDateTime deleted = QDateTime::fromString(QString::fromLatin1(info.mid(info.indexOf("DeletionDate=") + 13).trimmed()), Qt::ISODate);
    EXPECT_LE(qAbs(deleted.secsTo(QDateTime::currentDateTime())), 60);

    // A file that cannot be trashed is left alone.
    EXPECT_FALSE(real.moveToTrash(src + QStringLiteral("/none.txt"), &error));
    EXPECT_EQ(error, QStringLiteral("ファイルが見つかりません。"));
}
