// Files whose names are not UTF-8 (Shift_JIS names): listed, read and shown.
#include "browser/core/details.h"

#include "common/utf8text.h"
#include "browser/core/filepane.h"
#include "browser/core/librarydetails.h"
#include "browser/core/rawnamescan.h"
#include "browser/core/scan.h"
#include "common/codepage.h"
#include "common/rawname.h"
#include "playback/decoder.h"
#include "songfiles/songfile.h"
#include "testing/folders/oddfolder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;

namespace {

using common::U;

int RowShown(const FilePane& pane, const QString& shownPath)
{
    for (int r = 0; r < pane.rowCount(); ++r)
        if (common::DisplayPath(pane.row(r).fullPath()) == shownPath)
            return r;
    return -1;
}

} // namespace

TEST(RawNameScan, ShiftJisNamesAreListedReadPairedAndShownAsCp932)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const testfolder::TreeGuard cleanup(dir.path() + QStringLiteral("/音楽"));
    QString error;
    const std::optional<testfolder::OddFolder> odd = testfolder::MakeOddFolder(dir.path() + QStringLiteral("/音楽"), &error);
    ASSERT_TRUE(odd) << error.toStdString();
    const QString shownRoot = common::DisplayPath(odd->folder);

    FilePane left(0);
    FilePane right(1);
    left.mode = PaneMode::Lyrics;
    right.mode = PaneMode::Song;
    const LibraryDetailsProvider provider;
    ScanRequest request;
    request.folder = odd->folder;
    request.subFolders = true;
    request.mode = PaneMode::Song;
    ASSERT_TRUE(PaneScan(right, left, provider, request).exec());
    request.mode = PaneMode::Lyrics;
    ASSERT_TRUE(PaneScan(left, right, provider, request).exec());

    // Every Shift_JIS-named file is a row, also in a Shift_JIS-named sub-folder.
    QStringList rawRows;
    for (const FilePane* pane : {&left, &right})
        for (const FileRow& r : pane->rows())
            if (common::HasRawBytes(r.fullPath()))
                rawRows << common::DisplayPath(r.fullPath()).mid(shownRoot.size());
    rawRows.sort();
    EXPECT_EQ(rawRows, QStringList({U("ソースの歌.txt"), U("旧フォルダ/中の歌.txt"), U("旧名の歌.mp3"), U("旧名の歌.txt")}));

    // The lyrics row: read (karaoke tags, its @Title), paired with the song of the same
    // Shift_JIS name, and shown read as CP932 with the mark.
    const int lyricsRow = RowShown(left, shownRoot + U("旧名の歌.txt"));
    ASSERT_GE(lyricsRow, 0);
    const FileRow& lyrics = left.row(lyricsRow);
    EXPECT_FALSE(lyrics.dimmed);
    EXPECT_EQ(lyrics.icon, icons::kLyricsKaraoke + 1);
    EXPECT_EQ(lyrics.cell(Col::Title), U("旧名の歌"));
    EXPECT_EQ(lyrics.cell(Col::Size), QStringLiteral("%1 B").arg(common::EncodeCp932(testfolder::SjisLyricsText())->size()));
    EXPECT_TRUE(lyrics.paired());
    EXPECT_EQ(ShownCell(lyrics, Col::Filename), RawNameMark() + U("旧名の歌.txt"));
    EXPECT_TRUE(ShownToolTip(lyrics, Col::Filename).contains(U("UTF-8 に変換")));
    const int innerRow = RowShown(left, shownRoot + U("旧フォルダ/中の歌.txt"));
    ASSERT_GE(innerRow, 0);
    EXPECT_EQ(ShownCell(left.row(innerRow), Col::Path), shownRoot + U("旧フォルダ/"));
    EXPECT_FALSE(left.row(innerRow).dimmed);

    // The song row: probed and measured by its real bytes.
    const int songRow = RowShown(right, shownRoot + U("旧名の歌.mp3"));
    ASSERT_GE(songRow, 0);
    EXPECT_FALSE(right.row(songRow).dimmed);
    EXPECT_EQ(right.row(songRow).cell(Col::PlayTime), QStringLiteral("0:02"));
    EXPECT_EQ(right.row(songRow).cell(Col::Title), QStringLiteral("Old name"));
    EXPECT_TRUE(right.row(songRow).paired());

    // Refreshing a row re-reads it from disk; the decoder opens the song for playing.
    EXPECT_TRUE(RefreshRow(left, lyricsRow, right, provider, true));
    EXPECT_EQ(left.row(lyricsRow).icon, icons::kLyricsKaraoke + 1);
    playback::Decoder decoder;
    QString why;
    const songfiles::FileStamp stamp = songfiles::FileStamp::Of(odd->sjisSong);
    ASSERT_GT(stamp.size, 0);
    EXPECT_EQ(decoder.Open(odd->sjisSong, songfiles::ByteRange{0, stamp.size - 128}, &why), playback::DecoderError::None)
        << why.toStdString();
    EXPECT_GT(decoder.LengthSamples(), 44100);
}
