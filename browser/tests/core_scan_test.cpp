#include "browser/core/filepane.h"
#include "browser/core/scan.h"

#include "browser/core/librarydetails.h"
#include "testing/browser/fakedetails.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace browser;

namespace {

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = WithTrailingSeparator(dir.path());
        left.mode = PaneMode::Lyrics;
        right.mode = PaneMode::Song;
    }
    void Touch(const QString& relative, const QByteArray& bytes = "x")
    {
        const QString path = root + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    bool Scan(FilePane& pane, bool subFolders, bool autoLoad = true, std::function<bool(const QString&)> filter = {})
    {
        FilePane& other = &pane == &left ? right : left;
        ScanRequest request;
        request.folder = root;
        request.mode = pane.mode;
        request.subFolders = subFolders;
        request.autoLoad = autoLoad;
        request.nameFilter = std::move(filter);
        PaneScan scan(pane, other, fake, request);
        return scan.exec();
    }
    static QStringList Listed(const FilePane& pane, const QString& root)
    {
        QStringList out;
        for (const FileRow& r : pane.rows())
            out << r.fullPath().mid(root.size());
        return out;
    }

    QTemporaryDir dir;
    QString root;
    FilePane left{0};
    FilePane right{1};
    fakes::FakeDetails fake;
};

} // namespace

TEST_F(ScanTest, PatternsOfTheMode)
{
    EXPECT_EQ(ScanPatterns(PaneMode::Lyrics), QStringList({"*.txt", "*.kra", "*.lrc"}));
    EXPECT_EQ(ScanPatterns(PaneMode::Song), QStringList({"*.mp3", "*.rmp"}));
}

TEST_F(ScanTest, EveryTxtOfTheTreeComesBeforeAnyKra)
{
    Touch("b.kra");
    Touch("a.txt");
    Touch("c.lrc");
    Touch("sub/z.txt");
    Touch("sub/deeper/y.txt");
    Touch("sub/x.kra");
    Touch("other/w.txt");
    Touch("notes.doc");
    ASSERT_TRUE(Scan(left, true));
    EXPECT_EQ(Listed(left, root), QStringList({"a.txt", "other/w.txt", "sub/z.txt", "sub/deeper/y.txt", "b.kra", "sub/x.kra",
                                               "c.lrc"}));
}

TEST_F(ScanTest, WithoutSubFoldersOnlyTheFolderItselfIsListed)
{
    Touch("a.txt");
    Touch("sub/b.txt");
    ASSERT_TRUE(Scan(left, false));
    EXPECT_EQ(Listed(left, root), QStringList({"a.txt"}));
}

TEST_F(ScanTest, FoldersBeginningWithADotAreNotEntered)
{
    Touch("a.txt");
    Touch(".hidden/b.txt");
    Touch("seen/.c.txt");
    ASSERT_TRUE(Scan(left, true));
    EXPECT_EQ(Listed(left, root), QStringList({"a.txt", "seen/.c.txt"}));
}

TEST_F(ScanTest, PatternsIgnoreLetterCase)
{
    Touch("Loud.MP3");
    Touch("quiet.mp3");
    Touch("wrapped.Rmp");
    Touch("lyrics.txt");
    ASSERT_TRUE(Scan(right, false));
    EXPECT_EQ(Listed(right, root), QStringList({"Loud.MP3", "quiet.mp3", "wrapped.Rmp"}));
}

TEST_F(ScanTest, AnEmptyFolderGivesAnEmptyList)
{
    ASSERT_TRUE(Scan(left, true));
    EXPECT_TRUE(left.isEmpty());
    EXPECT_EQ(PaneTitle(root, left.rowCount(), left.countCheckedOrSelected()), root);
}

TEST_F(ScanTest, RowsCarryTheFoundFileCells)
{
    Touch("Song.TXT", QByteArray(1234, 'x'));
    ASSERT_TRUE(Scan(left, false));
    ASSERT_EQ(left.rowCount(), 1);
    const FileRow& r = left.row(0);
    EXPECT_EQ(r.name, "Song.TXT");
    EXPECT_EQ(r.cell(Col::Path), root);
    EXPECT_EQ(r.cell(Col::Size), "1,234 B");
    EXPECT_EQ(r.cell(Col::Ext), "txt");
    EXPECT_EQ(r.cell(Col::Timestamp), FormatTimestamp(QFileInfo(root + "Song.TXT").lastModified()));
    EXPECT_EQ(r.icon, icons::kLyricsUntagged);
}

TEST_F(ScanTest, WithoutAutoLoadRowsHaveNoDetailsAndNoIcon)
{
    Touch("a.mp3", QByteArray(2600, 'x'));
    fake.songs.insert("a.mp3", fakes::FakeDetails::PlainSong(songkind::kRmp));
    ASSERT_TRUE(Scan(right, false, false));
    ASSERT_EQ(right.rowCount(), 1);
    EXPECT_EQ(right.row(0).icon, 0);
    EXPECT_EQ(right.row(0).cell(Col::Size), "3 kB");
    EXPECT_TRUE(right.row(0).cell(Col::Tags).isEmpty());
    EXPECT_TRUE(right.row(0).cell(Col::PlayTime).isEmpty());
    ASSERT_TRUE(Scan(right, false, true));
    EXPECT_EQ(right.row(1).icon, 5);
    EXPECT_EQ(right.row(1).cell(Col::PlayTime), "1:05");
}

TEST_F(ScanTest, ScanningTheSecondPanePairsWithTheFirst)
{
    Touch("one.txt");
    Touch("Two.lrc");
    Touch("one.mp3");
    Touch("two.mp3");
    Touch("three.mp3");
    ASSERT_TRUE(Scan(left, false));
    ASSERT_TRUE(Scan(right, false));
    for (const FileRow& r : left.rows())
        EXPECT_TRUE(r.paired()) << r.name.toStdString();
    EXPECT_EQ(right.row(0).name, "one.mp3");
    EXPECT_TRUE(right.row(0).paired());
    EXPECT_FALSE(right.row(1).paired()); // three.mp3
    EXPECT_TRUE(right.row(2).paired());
}

TEST_F(ScanTest, UnreadableLyricsStayListedAndDimmed)
{
    Touch("bad.txt");
    fake.unreadable.insert("bad.txt");
    ASSERT_TRUE(Scan(left, false));
    ASSERT_EQ(left.rowCount(), 1);
    EXPECT_TRUE(left.row(0).dimmed);
    EXPECT_EQ(left.row(0).icon, icons::kLyricsUntagged);
}

TEST_F(ScanTest, TheNameFilterSkipsFiles)
{
    Touch("keep.txt");
    Touch("drop.txt");
    ASSERT_TRUE(Scan(left, false, true, [](const QString& name) { return name.startsWith("keep"); }));
    EXPECT_EQ(Listed(left, root), QStringList({"keep.txt"}));
}

TEST_F(ScanTest, ALinkBackToAParentFolderIsEnteredOnce)
{
    Touch("a.txt");
    Touch("sub/b.txt");
    ASSERT_TRUE(QFile::link(root, root + "sub/loop"));
    ASSERT_TRUE(Scan(left, true));
    EXPECT_EQ(Listed(left, root), QStringList({"a.txt", "sub/b.txt"}));
}

namespace {
// What QDirIterator lists of `folder` for `pattern` (files; or sub-folders not beginning
// with "."), in name order.
QStringList QtListing(const QString& folder, const QString& pattern, bool folders)
{
    QStringList names;
    QDirIterator it(folder, folders ? QStringList() : QStringList{pattern},
                    (folders ? QDir::Dirs | QDir::NoDotAndDotDot : QDir::Files) | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (!folders || !it.fileName().startsWith(QLatin1Char('.')))
            names << it.fileName();
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}
void QtWalk(const QString& folder, const QString& pattern, QStringList& out)
{
    for (const QString& name : QtListing(folder, pattern, false))
        out << folder + name;
    for (const QString& dir : QtListing(folder, pattern, true))
        QtWalk(folder + dir + QLatin1Char('/'), pattern, out);
}
} // namespace

TEST_F(ScanTest, OneReadingOfEachFolderListsWhatQtListsWithTheCellsQtReads)
{
    // Over 256 files (the first of them go out before the rest is sorted), extensions in
    // any case, hidden files, a name that is only an extension, a Kelvin sign where a "k"
    // could be, special files, a link to a folder named like lyrics, sub-folders.
    QRandomGenerator random(7);
    const QStringList exts = {"txt", "TXT", "Kra", "lrc", "LrC", "mp3", "doc", "txt.bak"};
    for (int i = 0; i < 700; ++i) {
        const QString name = QStringLiteral("%1 Song %2.%3").arg(QChar(u'a' + random.bounded(26))).arg(random.bounded(100000)).arg(exts.at(i % exts.size()));
        Touch(name, QByteArray(random.bounded(5000), 'x'));
        const QDateTime when = QDateTime::fromSecsSinceEpoch(random.bounded(100000000, 2100000000));
        QFile f(root + name);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    for (const QString& name : QStringList{".hidden.txt", ".txt", QString::fromUtf8("kelvin.\u212Ara"), "UPPER.KRA", "sub/inner.txt",
                                           "sub/Inner.lrc", "sub/deep/x.kra", ".skipped/y.txt"})
        Touch(name);
    testsupport::MakeSpecialFiles(root);
    QTemporaryDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), root + "linked.txt"));
    ASSERT_TRUE(QFile(outside.path() + "/z.txt").open(QIODevice::WriteOnly));

    ASSERT_TRUE(Scan(left, true, false));
    QStringList expected;
    for (const QString& pattern : ScanPatterns(PaneMode::Lyrics))
        QtWalk(root, pattern, expected);
    QStringList listed;
    for (const FileRow& r : left.rows())
        listed << r.fullPath();
    ASSERT_EQ(listed, expected);
    for (const FileRow& r : left.rows()) {
        const QFileInfo info(r.fullPath());
        EXPECT_EQ(r.cell(Col::Timestamp), FormatTimestamp(info.lastModified())) << r.name.toStdString();
        EXPECT_EQ(r.cell(Col::Size), FormatLyricsSize(info.size())) << r.name.toStdString();
    }
}

TEST_F(ScanTest, SpecialFilesNeverHoldUpAScan)
{
    // A FIFO, dangling and self-referring links and an empty MP3 named like lyrics and
    // songs: read with the real details reader, the scan ends, lists them dimmed and
    // reads the ordinary files around them.
    Touch("good.txt", "[00:01:00]a[00:02:00]b\r\n");
    const QStringList special = testsupport::MakeSpecialFiles(root);
    ASSERT_TRUE(special.contains("fifo.txt"));
    LibraryDetailsProvider real;
    for (FilePane* pane : {&left, &right}) {
        ScanRequest request;
        request.folder = root;
        request.mode = pane->mode;
        PaneScan scan(*pane, pane == &left ? right : left, real, request);
        EXPECT_TRUE(scan.exec());
    }
    QStringList dimmed;
    for (const FilePane* pane : {&left, &right}) {
        for (const FileRow& r : pane->rows()) {
            if (r.dimmed)
                dimmed << r.name;
        }
    }
    const QStringList listed = Listed(left, root) + Listed(right, root);
    EXPECT_TRUE(listed.contains("good.txt"));
    for (const QString& name : special) {
        if (name != "empty.mp3") {
            EXPECT_TRUE(!listed.contains(name) || dimmed.contains(name)) << name.toStdString();
        }
    }
    const int good = int(Listed(left, root).indexOf("good.txt"));
    ASSERT_GE(good, 0);
    EXPECT_FALSE(left.row(good).dimmed);
    EXPECT_EQ(left.row(good).icon, icons::kLyricsKaraoke);
}

namespace {
// Holds the walk at its eleventh file until the gate opens.
class GatedDetails : public fakes::FakeDetails {
public:
    std::optional<LyricsDetails> readLyrics(const QString& path, bool winAmp) const override
    {
        if (++reads_ > 10)
            while (!open)
                QThread::msleep(1);
        return FakeDetails::readLyrics(path, winAmp);
    }
    std::atomic<bool> open{false};

private:
    mutable std::atomic<int> reads_{0};
};
} // namespace

TEST_F(ScanTest, AStopRequestEndsTheScanKeepingTheRowsFound)
{
    for (int i = 0; i < 60; ++i)
        Touch(QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0')));
    GatedDetails gated;
    ScanRequest request;
    request.folder = root;
    request.mode = PaneMode::Lyrics;
    PaneScan scan(left, right, gated, request);
    bool stoppedSeen = false;
    QObject::connect(&scan, &PaneScan::finished, [&](bool stopped) { stoppedSeen = stopped; });
    QObject::connect(&scan, &PaneScan::progress, [&](int rows) {
        if (rows > 0) {
            scan.requestStop();
            gated.open = true;
        }
    });
    EXPECT_FALSE(scan.exec());
    EXPECT_TRUE(stoppedSeen);
    EXPECT_GE(left.rowCount(), 1);
    EXPECT_LT(left.rowCount(), 60);
    // The rows that were listed are complete rows in walk order.
    for (int i = 0; i < left.rowCount(); ++i) {
        EXPECT_EQ(left.row(i).name, QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0')));
        EXPECT_EQ(left.row(i).icon, icons::kLyricsUntagged);
    }
}

TEST_F(ScanTest, LargeFoldersAreHandedOverInSeveralSlices)
{
    for (int i = 0; i < 200; ++i)
        Touch(QStringLiteral("s%1.mp3").arg(i));
    // Songs that take a moment each to read, as real files do.
    class SlowDetails : public fakes::FakeDetails {
    public:
        SongDetails readSong(const QString& path) const override
        {
            QThread::usleep(300);
            return FakeDetails::readSong(path);
        }
    } slow;
    ScanRequest request;
    request.folder = root;
    request.mode = PaneMode::Song;
    PaneScan scan(right, left, slow, request);
    int slices = 0;
    int lastRows = -1;
    bool growing = true;
    QObject::connect(&scan, &PaneScan::progress, [&](int rows) {
        ++slices;
        growing = growing && rows >= lastRows;
        lastRows = rows;
    });
    // A timer of the same event loop must get its turn while the scan runs.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    EXPECT_TRUE(scan.exec());
    EXPECT_EQ(right.rowCount(), 200);
    EXPECT_GT(slices, 1);
    EXPECT_TRUE(growing);
    EXPECT_GT(ticks, 0);
}
