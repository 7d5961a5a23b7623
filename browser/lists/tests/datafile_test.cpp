// The file-list data file and the playlists: exact bytes, reading back, broken and
// hostile files, atomic replacement.
#include "browser/core/filepane.h"
#include "browser/lists/datafile.h"
#include "browser/lists/playlist.h"
#include "common/atomicfile.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;
using namespace browser::lists;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

FileRow LyricsRow(const char* name, const char* path, const char* tagType, bool checked)
{
    FileRow r;
    r.name = QString::fromUtf8(name);
    r.setCell(Col::Path, QString::fromUtf8(path));
    r.setCell(Col::Size, QStringLiteral("1,234 B"));
    r.setCell(Col::Timestamp, QStringLiteral("2024/05/06 07:08:09"));
    r.setCell(Col::Ext, r.name.right(3));
    r.setCell(Col::Artist, QStringLiteral("Artist"));
    r.setCell(Col::Title, QString::fromUtf8("春の歌"));
    r.setCell(Col::TagType, QString::fromUtf8(tagType));
    r.setCell(Col::TimeType, QStringLiteral("WinAmp"));
    r.setCell(Col::Match, QString::fromUtf8("○"));
    r.checked = checked;
    return r;
}

QByteArray LyricsRecord(int index, const QByteArray& name, const QByteArray& path, const char* tagType, bool checked)
{
    return "[" + QByteArray::number(index) + "]\r\nfilename=" + name
        + "\r\nsize=1,234 B\r\ntimestamp=2024/05/06 07:08:09\r\next=" + name.right(3) + "\r\nartist=Artist\r\ntitle="
        + Sjis("春の歌") + "\r\ntagtype=" + Sjis(tagType) + "\r\ntimetype=WinAmp\r\ntaggingby=\r\npath=" + path
        + "\r\ndummy=\r\nchecked=" + (checked ? "1" : "0") + "\r\n\r\n";
}

QByteArray Header(const char* mode, int max, const char* folder = "/music")
{
    return QByteArray("[Melwick Data File]\r\n\r\n[main]\r\ndata_version=1\r\nmode=") + mode + "\r\nmax="
        + QByteArray::number(max) + "\r\nfolder=" + folder + "\r\n\r\n";
}

std::vector<FileRow> TwoRows()
{
    return {LyricsRow("歌詞.txt", "/music/", "ｶﾗｵｹ", true), LyricsRow("b.lrc", "/music/sub/", "なし", false)};
}

QByteArray TwoRowsFile()
{
    return Header("lyrics", 2) + LyricsRecord(1, Sjis("歌詞.txt"), "/music/", "ｶﾗｵｹ", true)
        + LyricsRecord(2, "b.lrc", "/music/sub/", "なし", false);
}

FileExistsFn Existing(QSet<QString> paths)
{
    return [paths = std::move(paths)](const QString& p) { return paths.contains(p); };
}

TEST(DataFileWriter, WritesTheLayoutByteForByte)
{
    QString error;
    const std::optional<QByteArray> bytes = EncodeDataFile(PaneMode::Lyrics, QStringLiteral("/music"), TwoRows(), &error);
    ASSERT_TRUE(bytes) << error.toStdString();
    EXPECT_EQ(*bytes, TwoRowsFile());
}

TEST(DataFileWriter, AnEmptyListHasTheHeaderOnly)
{
    EXPECT_EQ(EncodeDataFile(PaneMode::Song, QStringLiteral("/"), {}), Header("song", 0, "/"));
    const DataFileLoad load = ParseDataFile(Header("lyrics", 0));
    EXPECT_EQ(load.status, DataFileLoad::Status::Loaded);
    EXPECT_EQ(load.mode, PaneMode::Lyrics);
    EXPECT_EQ(load.folder, QStringLiteral("/music"));
    EXPECT_TRUE(load.rows.empty());
}

TEST(DataFileWriter, RefusesTextsItCannotWriteAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.mlf"));
    WriteBytes(path, "old");
    std::vector<FileRow> rows = TwoRows();
    rows[1].name = QString::fromUtf8("smile😀.txt");
    QString error;
    EXPECT_FALSE(SaveDataFile(path, PaneMode::Lyrics, QStringLiteral("/music"), rows, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("U+1F600"))) << error.toStdString();
    rows[1].name = QStringLiteral("two\nlines.txt");
    EXPECT_FALSE(SaveDataFile(path, PaneMode::Lyrics, QStringLiteral("/music"), rows, &error));
    rows = TwoRows();
    rows[0].setCell(Col::Title, QStringLiteral("a\r\nb"));
    EXPECT_FALSE(SaveDataFile(path, PaneMode::Lyrics, QStringLiteral("/music"), rows, &error));
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));

    // A failing disk leaves the old file whole too.
    common::AtomicFile::SetFaultInjector([](common::AtomicFile::Step s, int) { return s != common::AtomicFile::Step::Commit; });
    EXPECT_FALSE(SaveDataFile(path, PaneMode::Lyrics, QStringLiteral("/music"), TwoRows(), &error));
    common::AtomicFile::SetFaultInjector(nullptr);
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));
    EXPECT_TRUE(SaveDataFile(path, PaneMode::Lyrics, QStringLiteral("/music"), TwoRows(), &error));
    EXPECT_EQ(ReadBytes(path), TwoRowsFile());
}

TEST(DataFileReader, ReadsBackWhatWasWritten)
{
    const DataFileLoad load = ParseDataFile(TwoRowsFile(), Existing({QString::fromUtf8("/music/歌詞.txt")}));
    ASSERT_EQ(load.status, DataFileLoad::Status::Loaded);
    ASSERT_EQ(load.rows.size(), 2u);
    const FileRow& a = load.rows[0];
    EXPECT_EQ(a.name, QString::fromUtf8("歌詞.txt"));
    EXPECT_EQ(a.fullPath(), QString::fromUtf8("/music/歌詞.txt"));
    EXPECT_EQ(a.cell(Col::Title), QString::fromUtf8("春の歌"));
    EXPECT_TRUE(a.checked);
    EXPECT_EQ(a.icon, 13);
    EXPECT_FALSE(a.dimmed);
    EXPECT_TRUE(a.cell(Col::Match).isEmpty()); // marks are recomputed, not stored
    EXPECT_EQ(load.rows[1].icon, 9);
    EXPECT_TRUE(load.rows[1].dimmed); // its file is gone
    EXPECT_EQ(EncodeDataFile(load.mode, load.folder, load.rows), TwoRowsFile());
}

TEST(DataFileReader, IgnoresMatchFilenameAndUnknownKeysInARecord)
{
    QByteArray file = TwoRowsFile();
    file.replace("dummy=\r\nchecked=1", "match=\x81\x9b\r\nfilename=evil.txt\r\nalbum=X\r\nnonsense=1\r\ndummy=\r\nchecked=1");
    const DataFileLoad load = ParseDataFile(file, Existing({}));
    ASSERT_EQ(load.status, DataFileLoad::Status::Loaded);
    EXPECT_EQ(load.rows[0].name, QString::fromUtf8("歌詞.txt"));
    EXPECT_TRUE(load.rows[0].cell(Col::Match).isEmpty());
    EXPECT_TRUE(load.rows[0].cell(Col::Album).isEmpty()); // not a lyrics column
    EXPECT_EQ(EncodeDataFile(load.mode, load.folder, load.rows), TwoRowsFile());
}

TEST(DataFileReader, RebuildsSongIconsFromTheirTexts)
{
    auto record = [](int i, const char* name, const char* tags) {
        return "[" + QByteArray::number(i) + "]\r\nfilename=" + name + "\r\ntags=" + tags
            + "\r\npath=/songs/\r\ndummy=\r\nchecked=0\r\n\r\n";
    };
    const QByteArray file = Header("song", 3) + record(1, "a.rmp", "R L") + record(2, "b.mp3", "E") + record(3, "c.mp3", "");
    const DataFileLoad load = ParseDataFile(file, [](const QString&) { return true; });
    ASSERT_EQ(load.rows.size(), 3u);
    EXPECT_EQ(load.mode, PaneMode::Song);
    EXPECT_EQ(load.rows[0].icon, 6);
    EXPECT_FALSE(load.rows[0].dimmed);
    EXPECT_EQ(load.rows[1].icon, 0);
    EXPECT_TRUE(load.rows[1].dimmed);
    EXPECT_EQ(load.rows[2].icon, 1);
}

TEST(DataFileReader, AnEmptyNameDoesNotShiftTheRecordsAfterIt)
{
    QByteArray file = TwoRowsFile();
    file.replace("filename=" + Sjis("歌詞.txt"), "filename=");
    const DataFileLoad load = ParseDataFile(file, Existing({}));
    EXPECT_EQ(load.status, DataFileLoad::Status::Loaded);
    ASSERT_EQ(load.rows.size(), 1u);
    EXPECT_EQ(load.rows[0].name, QStringLiteral("b.lrc"));
    EXPECT_EQ(load.rows[0].fullPath(), QStringLiteral("/music/sub/b.lrc"));
}

TEST(DataFileReader, RefusesRowsThatWouldLeaveTheirFolder)
{
    const QByteArray file = Header("lyrics", 7) + LyricsRecord(1, "../x.txt", "/music/", "", false)
        + LyricsRecord(2, "a/b.txt", "/music/", "", false) + LyricsRecord(3, "..", "/music/", "", false)
        + LyricsRecord(4, "c.txt", "music/", "", false) + LyricsRecord(5, "d.txt", "/music/../etc/", "", false)
        + LyricsRecord(6, "e.txt", "C:\\Music\\", "", false) + LyricsRecord(7, "f..g.txt", "\\home\\me\\", "", false);
    const DataFileLoad load = ParseDataFile(file, Existing({}));
    EXPECT_EQ(load.status, DataFileLoad::Status::Loaded);
    ASSERT_EQ(load.rows.size(), 1u);
    EXPECT_EQ(load.rows[0].fullPath(), QStringLiteral("/home/me/f..g.txt"));
    EXPECT_EQ(load.refused.size(), 6);
}

TEST(DataFileReader, HeaderFaultsLeaveThePaneAlone)
{
    FilePane pane(1), other(0);
    pane.mode = PaneMode::Song;
    pane.appendRow(LyricsRow("keep.mp3", "/songs/", "", false));
    for (const QByteArray& bad : {QByteArray("[Other File]\r\n"), QByteArray(), TwoRowsFile().replace("data_version=1", "data_version=2"),
                                  TwoRowsFile().replace("mode=lyrics", "mode=")}) {
        DataFileLoad load = ParseDataFile(bad);
        EXPECT_EQ(load.status, DataFileLoad::Status::NotDataFile) << bad.left(40).toStdString();
        EXPECT_FALSE(load.error.isEmpty());
        ApplyDataFile(pane, other, std::move(load));
        EXPECT_EQ(pane.rowCount(), 1);
        EXPECT_FALSE(pane.fromDataFile);
    }
}

TEST(DataFileReader, ALyricsListTurnsASongPaneIntoLyricsModeAndPairs)
{
    FilePane right(1), left(0);
    right.mode = PaneMode::Song;
    left.mode = PaneMode::Song;
    FileRow song;
    song.name = QStringLiteral("B.mp3");
    song.icon = 1;
    left.appendRow(song);
    ApplyDataFile(right, left, ParseDataFile(TwoRowsFile(), Existing({})));
    EXPECT_EQ(right.mode, PaneMode::Lyrics);
    EXPECT_TRUE(right.fromDataFile);
    EXPECT_EQ(right.rowCount(), 2);
    EXPECT_EQ(right.selectedRow(), 0);
    EXPECT_TRUE(right.row(1).paired());
    EXPECT_EQ(right.row(1).icon, 10);
    EXPECT_TRUE(left.row(0).paired());
}

TEST(DataFileReader, EveryTruncationKeepsTheWholeRowsReadAndReportsIt)
{
    const QByteArray file = QByteArray(TwoRowsFile() + LyricsRecord(3, "c.txt", "/music/", "", true)).replace("max=2", "max=3");
    const DataFileLoad full = ParseDataFile(file, Existing({}));
    ASSERT_EQ(full.rows.size(), 3u);
    const qsizetype modeValue = file.indexOf("mode=") + 6;  // a mode needs one letter
    const qsizetype countDigit = file.indexOf("max=") + 5;  // "max=" alone reads as 0 rows
    const qsizetype lastKey = file.lastIndexOf("checked=") + 7; // the last record is whole
    for (qsizetype n = 0; n < file.size(); ++n) {
        SCOPED_TRACE(n);
        const DataFileLoad load = ParseDataFile(file.left(n), Existing({}));
        if (n < modeValue) {
            EXPECT_EQ(load.status, DataFileLoad::Status::NotDataFile);
            continue;
        }
        ASSERT_LE(load.rows.size(), 3u);
        for (size_t i = 0; i < load.rows.size(); ++i)
            EXPECT_EQ(load.rows[i].name, full.rows[i].name);
        if (n < countDigit) {
            EXPECT_TRUE(load.rows.empty());
            continue;
        }
        const bool complete = n >= lastKey;
        EXPECT_EQ(load.status, complete ? DataFileLoad::Status::Loaded : DataFileLoad::Status::Failed);
        EXPECT_EQ(load.error.isEmpty(), complete);
        if (complete) {
            EXPECT_EQ(load.rows.size(), 3u);
        }
    }
}

TEST(DataFileReader, ReadsAFileOnDisk)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.mlf"));
    ASSERT_TRUE(SaveDataFile(path, PaneMode::Lyrics, QStringLiteral("/music"), TwoRows()));
    EXPECT_EQ(ReadDataFile(path, Existing({})).rows.size(), 2u);
    EXPECT_EQ(ReadDataFile(dir.filePath(QStringLiteral("missing.mlf"))).status, DataFileLoad::Status::NotDataFile);
}

TEST(Playlist, HoldsExactlyTheCheckedPathsAndReplacesAnOlderOneWhole)
{
    std::vector<FileRow> rows = {LyricsRow("a.mp3", "/music/", "", true), LyricsRow("b.mp3", "/music/", "", false),
                                 LyricsRow("曲.mp3", "/music/jp/", "", true), LyricsRow("c.rmp", "/other/", "", true)};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.m3u"));
    WriteBytes(path, QByteArray(4000, 'x'));
    ASSERT_TRUE(SavePlaylist(path, rows, PlaylistFormatForPath(path)));
    EXPECT_EQ(ReadBytes(path), "/music/a.mp3\r\n/music/jp/" + Sjis("曲.mp3") + "\r\n/other/c.rmp\r\n");

    const QString path8 = dir.filePath(QStringLiteral("list.m3u8"));
    rows[3].name = QString::fromUtf8("smile😀.mp3");
    ASSERT_TRUE(SavePlaylist(path8, rows, PlaylistFormatForPath(path8)));
    EXPECT_EQ(ReadBytes(path8), QString::fromUtf8("/music/a.mp3\r\n/music/jp/曲.mp3\r\n/other/smile😀.mp3\r\n").toUtf8());

    QString error;
    EXPECT_FALSE(SavePlaylist(path, rows, PlaylistFormat::M3u, &error)); // CP932 has no 😀
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadBytes(path), "/music/a.mp3\r\n/music/jp/" + Sjis("曲.mp3") + "\r\n/other/c.rmp\r\n");

    for (FileRow& r : rows)
        r.checked = false;
    EXPECT_EQ(EncodePlaylist(rows, PlaylistFormat::M3u), QByteArray());
}

TEST(Playlist, TheDialogStartsInTheRowsFolder)
{
    EXPECT_EQ(PlaylistStartFolder(LyricsRow("a.mp3", "/music/jp/", "", true)), QStringLiteral("/music/jp"));
    EXPECT_EQ(PlaylistStartFolder(LyricsRow("a.mp3", "/", "", true)), QStringLiteral("/"));
}

} // namespace
