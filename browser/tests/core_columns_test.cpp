#include "browser/core/columns.h"
#include "browser/core/filepane.h"
#include "browser/core/filerow.h"
#include "testing/browser/memorysettingsstore.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace browser;

namespace {
QStringList Keys(PaneMode mode)
{
    QStringList keys;
    for (const ColumnDef& c : ModeColumns(mode))
        keys << c.key;
    return keys;
}
} // namespace

TEST(Columns, EachModeHasItsColumnsInCreationOrder)
{
    EXPECT_EQ(Keys(PaneMode::Lyrics), QStringList({"filename", "size", "timestamp", "ext", "artist", "title", "tagtype",
                                                   "timetype", "taggingby", "match", "path"}));
    EXPECT_EQ(Keys(PaneMode::Song), QStringList({"filename", "size", "timestamp", "ext", "artist", "title", "album", "comment",
                                                 "tags", "version", "layer", "sr", "br", "playtime", "match", "path"}));
    EXPECT_EQ(ModeColumns(PaneMode::Lyrics).at(6).caption, QString::fromUtf8("タグ"));
    EXPECT_EQ(ModeColumns(PaneMode::Song).at(13).caption, QString::fromUtf8("演奏時間"));
    EXPECT_TRUE(ModeColumns(PaneMode::Song).at(2).alignRight);  // time is right-aligned for songs
    EXPECT_FALSE(ModeColumns(PaneMode::Lyrics).at(2).alignRight); // and left for lyrics
    EXPECT_EQ(ColumnIndex(PaneMode::Song, Col::Match), 14);
    EXPECT_EQ(ColumnIndex(PaneMode::Lyrics, Col::Album), -1);
}

TEST(Columns, KeysMapBothWays)
{
    for (int i = 0; i < kCellCount; ++i) {
        const Col col = static_cast<Col>(i);
        EXPECT_EQ(ColumnFromKey(ColumnKeyName(col)), col);
    }
    EXPECT_FALSE(ColumnFromKey(u"dummy").has_value());
    EXPECT_FALSE(ColumnFromKey(u"Artist").has_value()); // keys are exact
}

TEST(ColumnLayout, DefaultsAreTheTablesValues)
{
    const ColumnLayout layout;
    EXPECT_EQ(layout.width(PaneMode::Lyrics, 1), 1700);
    EXPECT_EQ(layout.width(PaneMode::Lyrics, 10), 500);
    EXPECT_EQ(layout.width(PaneMode::Song, 10), 250);
    EXPECT_EQ(layout.width(PaneMode::Song, 16), 1700);
    EXPECT_EQ(layout.position(PaneMode::Song, 7), 7);
    EXPECT_EQ(layout.displayOrder(PaneMode::Lyrics), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(ColumnLayout, StoredPositionsGiveTheDisplayOrder)
{
    ColumnLayout layout;
    // Column 11 ("path") first, then the rest in their order.
    for (int n = 1; n <= 10; ++n)
        layout.setPosition(PaneMode::Lyrics, n, n + 1);
    layout.setPosition(PaneMode::Lyrics, 11, 1);
    EXPECT_EQ(layout.displayOrder(PaneMode::Lyrics), QList<int>({11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    // Duplicate and out-of-range positions: the first column holding a position wins it,
    // the others stay where the moves leave them.
    ColumnLayout odd;
    odd.setPosition(PaneMode::Lyrics, 1, 2);
    odd.setPosition(PaneMode::Lyrics, 2, 2);
    odd.setPosition(PaneMode::Lyrics, 3, 99);
    const QList<int> order = odd.displayOrder(PaneMode::Lyrics);
    EXPECT_EQ(order.size(), 11);
    EXPECT_EQ(order.at(1), 1);
    EXPECT_EQ(QSet<int>(order.begin(), order.end()).size(), 11);
}

TEST(ColumnLayout, WrittenAndReadBackIdentical)
{
    ColumnLayout layout;
    layout.setWidth(PaneMode::Lyrics, 3, 1234);
    layout.setWidth(PaneMode::Song, 16, 3000);
    layout.setPosition(PaneMode::Song, 1, 16);
    layout.setPosition(PaneMode::Song, 16, 1);
    MemorySettingsStore store;
    StoreColumnLayout(store, layout);
    EXPECT_EQ(store.entries().size(), 2 * 11 + 2 * 16);
    EXPECT_EQ(store.text("LVS0", "3", {}), "1234");
    EXPECT_EQ(store.text("LVP1", "16", {}), "1");
    EXPECT_EQ(LoadColumnLayout(store), layout);
    EXPECT_EQ(LoadColumnLayout(MemorySettingsStore()), ColumnLayout());
}

TEST(Twips, StoredValuesSurviveTheConversionToPixels)
{
    EXPECT_EQ(TwipsToPixels(1700), 113);
    EXPECT_EQ(TwipsToPixels(1874), 125);
    EXPECT_EQ(KeepTwips(1700, 113), 1700); // unchanged width keeps its stored value
    EXPECT_EQ(KeepTwips(1700, 120), 1800); // a new width is stored from its pixels
}

TEST(CellText, SizesTimesAndStreamFacts)
{
    EXPECT_EQ(FormatLyricsSize(1234567), "1,234,567 B");
    EXPECT_EQ(FormatLyricsSize(999), "999 B");
    EXPECT_EQ(FormatLyricsSize(0), "0 B");
    EXPECT_EQ(FormatSongSize(1499), "1 kB");
    EXPECT_EQ(FormatSongSize(1500), "2 kB");
    EXPECT_EQ(FormatSongSize(4321987), "4,322 kB");
    EXPECT_EQ(FormatSongSize(100), "0 kB");
    EXPECT_EQ(FormatTimestamp(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6))), "2001/02/03 04:05:06");
    EXPECT_EQ(ExtensionCell("Song.MP3"), "mp3");
    EXPECT_EQ(ExtensionCell("a.text"), "ext");
    EXPECT_EQ(FormatPlayTime(65), "1:05");
    EXPECT_EQ(FormatPlayTime(0), "0:00");
    EXPECT_EQ(FormatPlayTime(3700), "61:40"); // an hour and more keeps counting minutes
    EXPECT_EQ(FormatMpegVersion(3), "2.5");
    EXPECT_EQ(FormatMpegVersion(1), "1");
    EXPECT_EQ(FormatSampleRate(44100), "44.1");
    EXPECT_EQ(FormatSampleRate(48000), "48");
    EXPECT_EQ(FormatSampleRate(22050), "22.05");
    EXPECT_EQ(FormatSampleRate(11025), "11.025");
}

TEST(PaneTitle, CountsPrefixTheFolderOnlyWhenRowsExist)
{
    EXPECT_EQ(PaneTitle("/music/", 0, 0), "/music/");
    EXPECT_EQ(PaneTitle("/music/", 12, 3), "(3 / 12) /music/");
    EXPECT_EQ(FolderFromTitle("(3 / 12) /music/"), "/music/");
    EXPECT_EQ(FolderFromTitle("/music/"), "/music/");
    // Only the first ") " ends the prefix, so folders may hold one too.
    EXPECT_EQ(FolderFromTitle(PaneTitle("/a) b/", 1, 0)), "/a) b/");
}

TEST(FilePane, SortingIsStableAndComparesTextsOrValues)
{
    FilePane pane(0);
    pane.mode = PaneMode::Lyrics;
    std::vector<FileRow> rows(4);
    const char* names[] = {"b.txt", "A.txt", "c.txt", "a2.txt"};
    const char* artists[] = {"x", "y", "x", ""};
    for (int i = 0; i < 4; ++i) {
        rows[i].name = QString::fromLatin1(names[i]);
        rows[i].setCell(Col::Artist, QString::fromLatin1(artists[i]));
    }
    pane.appendRows(std::move(rows));
    pane.setSelectedRow(2); // c.txt
    pane.sortRows(0, Qt::AscendingOrder);
    QStringList order;
    for (const FileRow& r : pane.rows())
        order << r.name;
    EXPECT_EQ(order, QStringList({"A.txt", "a2.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(pane.selectedRow(), 3);
    EXPECT_TRUE(pane.row(3).selected);

    pane.sortRows(ColumnIndex(PaneMode::Lyrics, Col::Artist), Qt::DescendingOrder);
    order.clear();
    for (const FileRow& r : pane.rows())
        order << r.name;
    // y, then the two x rows in their previous order, then the empty one.
    EXPECT_EQ(order, QStringList({"A.txt", "b.txt", "c.txt", "a2.txt"}));
    EXPECT_TRUE(pane.sorted);

    // Sizes compare as values, not as texts; an empty cell comes first.
    const char* sizes[] = {"39 B", "1,200 B", "5 B", ""};
    for (int i = 0; i < 4; ++i)
        pane.updateRow(i, [&](FileRow& r) { r.setCell(Col::Size, QString::fromLatin1(sizes[i])); });
    pane.sortRows(ColumnIndex(PaneMode::Lyrics, Col::Size), Qt::AscendingOrder);
    order.clear();
    for (const FileRow& r : pane.rows())
        order << r.cell(Col::Size);
    EXPECT_EQ(order, QStringList({"", "5 B", "39 B", "1,200 B"}));
    pane.resetSorting();
    EXPECT_FALSE(pane.sorted);
    EXPECT_EQ(pane.sortOrder, Qt::DescendingOrder);
}

TEST(FilePane, CheckedOrSelectedRowsAreCountedOnce)
{
    FilePane pane(1);
    std::vector<FileRow> rows(3);
    rows[0].checked = true;
    rows[1].checked = true;
    pane.appendRows(std::move(rows));
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
    pane.setSelectedRow(1);
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
    pane.setSelectedRow(2);
    EXPECT_EQ(pane.countCheckedOrSelected(), 3);
    pane.removeRow(2);
    EXPECT_EQ(pane.selectedRow(), -1);
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
}
