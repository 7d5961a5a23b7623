#include "browser/core/details.h"
#include "browser/core/filepane.h"
#include "browser/core/pairing.h"

#include "testing/browser/fakedetails.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;

namespace {

// Adds a row as a scan would (details read: lyrics icon 9, song icon 1) and pairs it.
int AddRead(FilePane& pane, FilePane& other, const QString& name)
{
    FileRow r;
    r.name = name;
    r.setCell(Col::Path, QStringLiteral("/x/"));
    pane.appendRow(std::move(r));
    const int row = pane.rowCount() - 1;
    if (pane.isLyricsMode())
        ApplyLyricsDetails(pane, row, other, LyricsDetails{});
    else
        ApplySongDetails(pane, row, other, fakes::FakeDetails::PlainSong());
    return row;
}

int AddUnread(FilePane& pane, const QString& name)
{
    FileRow r;
    r.name = name;
    pane.appendRow(std::move(r));
    return pane.rowCount() - 1;
}

struct Panes {
    FilePane left{0};
    FilePane right{1};
    Panes()
    {
        left.mode = PaneMode::Lyrics;
        right.mode = PaneMode::Song;
    }
};

} // namespace

TEST(Pairing, StemsDropTheLastThreeCharactersOrTheRealExtension)
{
    EXPECT_EQ(NameStem("Song.TXT"), "song.");
    EXPECT_EQ(NameStem("song.text"), "song.t");
    EXPECT_EQ(NameStem("ab"), "");
    EXPECT_EQ(ExtensionStem("song.text"), "song");
    EXPECT_EQ(ExtensionStem("My.Song.Mp3"), "my.song");
    EXPECT_EQ(ExtensionStem("README"), "readme");
}

TEST(Pairing, SameNameIgnoringCasePairsBothRows)
{
    Panes p;
    AddRead(p.left, p.right, "Song.TXT");
    AddRead(p.right, p.left, "song.mp3");
    EXPECT_EQ(p.left.row(0).cell(Col::Match), PairMark());
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged + 1);
    EXPECT_EQ(p.right.row(0).cell(Col::Match), PairMark());
    EXPECT_EQ(p.right.row(0).icon, icons::kSong + 2);
}

TEST(Pairing, PairRowComparesTheLastThreeCharactersButRepairAllTheExtension)
{
    Panes p;
    AddRead(p.left, p.right, "song.text");
    AddRead(p.right, p.left, "song.mp3");
    EXPECT_FALSE(p.left.row(0).paired());
    EXPECT_FALSE(p.right.row(0).paired());
    RepairAll(p.left, p.right);
    EXPECT_TRUE(p.left.row(0).paired());
    EXPECT_TRUE(p.right.row(0).paired());
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged + 1);
}

TEST(Pairing, TwoSongsOfOneNameMarkTheLyricsRowOnce)
{
    Panes p;
    AddRead(p.left, p.right, "a.txt");
    AddRead(p.right, p.left, "a.mp3");
    AddRead(p.right, p.left, "a.rmp");
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged + 1);
    EXPECT_TRUE(p.right.row(0).paired());
    EXPECT_TRUE(p.right.row(1).paired());
    RepairAll(p.left, p.right); // nothing changes on a second pass
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged + 1);
    EXPECT_EQ(p.right.row(1).icon, icons::kSong + 2);
}

TEST(Pairing, RowsWithoutDetailsAreNeverMarked)
{
    Panes p;
    AddUnread(p.right, "a.mp3");
    AddRead(p.left, p.right, "a.txt");
    EXPECT_FALSE(p.right.row(0).paired());
    EXPECT_EQ(p.right.row(0).icon, 0);
    RepairAll(p.left, p.right);
    EXPECT_FALSE(p.right.row(0).paired());
    EXPECT_EQ(p.right.row(0).icon, 0);
    // The read row itself is marked: its partner exists.
    EXPECT_TRUE(p.left.row(0).paired());
}

TEST(Pairing, EmptyingOneListRemovesTheMarksOfTheOther)
{
    Panes p;
    AddRead(p.left, p.right, "a.txt");
    AddRead(p.left, p.right, "b.txt");
    AddRead(p.right, p.left, "a.mp3");
    ASSERT_TRUE(p.left.row(0).paired());
    p.right.clearRows();
    RepairAll(p.left, p.right);
    EXPECT_FALSE(p.left.row(0).paired());
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged);
}

TEST(Pairing, RepairAllUnmarksRowsWhosePartnerWentAway)
{
    Panes p;
    AddRead(p.left, p.right, "a.txt");
    AddRead(p.right, p.left, "a.mp3");
    AddRead(p.right, p.left, "b.mp3");
    p.right.removeRow(0);
    RepairAll(p.left, p.right);
    EXPECT_FALSE(p.left.row(0).paired());
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged);
    EXPECT_FALSE(p.right.row(0).paired());
}

TEST(Pairing, ClearPairMarksLowersTheIconsByTheIncrement)
{
    Panes p;
    AddRead(p.left, p.right, "a.txt");
    AddRead(p.right, p.left, "a.mp3");
    ClearPairMarks(p.right);
    EXPECT_FALSE(p.right.row(0).paired());
    EXPECT_EQ(p.right.row(0).icon, icons::kSong);
    EXPECT_TRUE(p.left.row(0).paired()); // the other pane keeps its marks
}

TEST(Pairing, PartnerLookupFindsTheFirstSameNamedRow)
{
    Panes p;
    AddRead(p.left, p.right, "x.txt");
    AddRead(p.left, p.right, "A.kra");
    AddRead(p.left, p.right, "a.txt");
    AddRead(p.right, p.left, "a.mp3");
    EXPECT_EQ(FindPartnerRow(p.right, 0, p.left), 1);
    EXPECT_EQ(FindPartnerRow(p.left, 0, p.right), -1);
    EXPECT_EQ(FindSameStemRow(p.left, "A.MP3"), 1);
    // After sorting the index follows the new order.
    p.left.sortRows(0, Qt::DescendingOrder);
    EXPECT_EQ(p.left.row(FindPartnerRow(p.right, 0, p.left)).name.toLower().left(2), "a.");
}

TEST(RowDetails, LyricsKindsGiveIconAndTagText)
{
    Panes p;
    AddUnread(p.left, "a.txt");
    LyricsDetails d;
    d.tagKind = 2;
    d.timeType = 1;
    d.taggingBy = QString::fromUtf8("山田");
    d.title = QString::fromUtf8("曲");
    d.artist = QString::fromUtf8("歌手");
    EXPECT_TRUE(ApplyLyricsDetails(p.left, 0, p.right, d));
    const FileRow& r = p.left.row(0);
    EXPECT_EQ(r.icon, icons::kLyricsKaraoke);
    EXPECT_EQ(r.cell(Col::TagType), QString::fromUtf8("ｶﾗｵｹ"));
    EXPECT_EQ(r.cell(Col::TimeType), "WinAmp");
    EXPECT_EQ(r.cell(Col::TaggingBy), QString::fromUtf8("山田"));
    EXPECT_EQ(r.cell(u"title"), QString::fromUtf8("曲"));

    // A later read without a stated time base or tagger leaves those cells as they were.
    d.tagKind = 1;
    d.timeType = 0;
    d.taggingBy.reset();
    ApplyLyricsDetails(p.left, 0, p.right, d);
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsLineHead);
    EXPECT_EQ(p.left.row(0).cell(Col::TagType), QString::fromUtf8("行頭"));
    EXPECT_EQ(p.left.row(0).cell(Col::TimeType), "WinAmp");
    EXPECT_EQ(p.left.row(0).cell(Col::TaggingBy), QString::fromUtf8("山田"));
    d.timeType = 2;
    ApplyLyricsDetails(p.left, 0, p.right, d);
    EXPECT_EQ(p.left.row(0).cell(Col::TimeType), QString::fromUtf8("標準"));
}

TEST(RowDetails, UnreadableLyricsAreDimmedAndKeepTheirRow)
{
    Panes p;
    AddUnread(p.left, "a.txt");
    AddRead(p.right, p.left, "a.mp3");
    EXPECT_FALSE(ApplyLyricsDetails(p.left, 0, p.right, std::nullopt));
    EXPECT_TRUE(p.left.row(0).dimmed);
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsUntagged + 1); // still paired
    EXPECT_TRUE(ApplyLyricsDetails(p.left, 0, p.right, LyricsDetails{}));
    EXPECT_FALSE(p.left.row(0).dimmed);
}

TEST(RowDetails, SongKindGivesIconDimmingAndFlagLetters)
{
    Panes p;
    struct Case {
        int kind;
        int icon;
        bool dimmed;
        const char* tags;
    } cases[] = {
        {0, 1, false, ""},
        {songkind::kRmp, 5, false, "R"},
        {songkind::kRmp | songkind::kLyrics3, 6, false, "R L"},
        {songkind::kLyrics3, 2, false, "L"},
        {songkind::kId3v2, 1, true, "2"},
        {songkind::kWave, 1, true, "W"},
        {songkind::kMacBinary | songkind::kMarkI, 1, true, "I M"},
        {songkind::kNotSong, 1, true, "E"},
    };
    for (const Case& c : cases) {
        p.right.clearRows();
        AddUnread(p.right, "s.mp3");
        SongDetails d = fakes::FakeDetails::PlainSong(c.kind);
        EXPECT_TRUE(ApplySongDetails(p.right, 0, p.left, d));
        EXPECT_EQ(p.right.row(0).icon, c.icon) << c.kind;
        EXPECT_EQ(p.right.row(0).dimmed, c.dimmed) << c.kind;
        EXPECT_EQ(p.right.row(0).cell(Col::Tags), QString::fromLatin1(c.tags)) << c.kind;
    }
    EXPECT_EQ(SongTagsCell(0x7f & ~songkind::kEmbedded, true), "I R L W 2 M V");
}

TEST(RowDetails, SongCellsComeFromTheLongTagsBeforeTheId3v1Tag)
{
    Panes p;
    AddUnread(p.right, "s.mp3");
    SongDetails d = fakes::FakeDetails::PlainSong();
    d.longTags.title = QString::fromUtf8("長いタイトル") + QChar(0) + QStringLiteral("junk");
    d.id3v1.title = QStringLiteral("short");
    d.longTags.artist = QStringLiteral("   ");
    d.id3v1.artist = QStringLiteral("Artist                        ");
    d.id3v1.album = QStringLiteral("Album");
    d.stream = StreamInfo{3, 3, 0, 11025, 3700};
    ApplySongDetails(p.right, 0, p.left, d);
    const FileRow& r = p.right.row(0);
    EXPECT_EQ(r.cell(Col::Title), QString::fromUtf8("長いタイトル"));
    EXPECT_EQ(r.cell(Col::Artist), "Artist");
    EXPECT_EQ(r.cell(Col::Album), "Album");
    EXPECT_EQ(r.cell(Col::Comment), "");
    EXPECT_EQ(r.cell(Col::Version), "2.5");
    EXPECT_EQ(r.cell(Col::Br), "VBR");
    EXPECT_EQ(r.cell(Col::Sr), "11.025");
    EXPECT_EQ(r.cell(Col::PlayTime), "61:40");
    EXPECT_EQ(r.cell(Col::Tags), "V");
}

TEST(RowDetails, MissingSongIsDimmedWithTheSongIcon)
{
    Panes p;
    AddUnread(p.right, "gone.mp3");
    SongDetails d;
    EXPECT_FALSE(ApplySongDetails(p.right, 0, p.left, d));
    EXPECT_TRUE(p.right.row(0).dimmed);
    EXPECT_EQ(p.right.row(0).icon, icons::kSong);
}

TEST(RowDetails, RefreshRowRereadsTheFileOrDimsAGoneOne)
{
    QTemporaryDir dir;
    const QString folder = WithTrailingSeparator(dir.path());
    QFile f(folder + "a.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("12345");
    f.close();
    Panes p;
    FileRow r;
    r.name = "a.txt";
    FillFoundFileCells(r, PaneMode::Lyrics, folder, 1, QDateTime::currentDateTime());
    p.left.appendRow(r);
    fakes::FakeDetails fake;
    LyricsDetails karaoke;
    karaoke.tagKind = 2;
    fake.lyrics.insert("a.txt", karaoke);
    EXPECT_TRUE(RefreshRow(p.left, 0, p.right, fake, true));
    EXPECT_EQ(p.left.row(0).cell(Col::Size), "5 B");
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsKaraoke);
    QFile::remove(folder + "a.txt");
    EXPECT_FALSE(RefreshRow(p.left, 0, p.right, fake, true));
    EXPECT_TRUE(p.left.row(0).dimmed);
    EXPECT_EQ(p.left.row(0).icon, icons::kLyricsKaraoke);
}
