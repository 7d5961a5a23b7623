// The window's panes: scan, pairing, titles, sorting, columns, folders.
#include "browser/tests/guifixture.h"

#include "browser/gui/filelistmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace browser;
using browser::fakes::WindowTest;

namespace {

class PaneTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        Touch("a.txt");
        Touch("Song.TXT");
        Touch("b.kra");
        Touch("sub/c.lrc");
        Touch(".hidden/d.txt");
        Touch("song.mp3");
        Touch("a.mp3");
        Touch("a.rmp");
        Touch("z.mp3");
        LyricsDetails karaoke;
        karaoke.tagKind = 2;
        fake.lyrics.insert("a.txt", karaoke);
    }
    QString Title(int pane) { return Find<QLabel>(QStringLiteral("lblTitle%1").arg(pane))->text(); }
    int Arrow(int pane, int column)
    {
        return window->listModel(pane).headerData(column, Qt::Horizontal, FileListModel::SortArrowRole).toInt();
    }
    void ClickHeader(int pane, int column)
    {
        QHeaderView* header = window->listView(pane)->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 4, 4));
    }
};

} // namespace

TEST_F(PaneTest, ListingBothPanesPairsSameNamedFiles)
{
    FormMain& w = Open();
    ListFiles(0);
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "Song.TXT", "b.kra"}));
    EXPECT_EQ(Title(0), "(0 / 3) " + folder);
    EXPECT_FALSE(w.pane(0).row(0).paired()); // the right pane lists nothing yet
    ListFiles(1);
    EXPECT_EQ(RowNames(1), QStringList({"a.mp3", "song.mp3", "z.mp3", "a.rmp"}));
    const FilePane& left = w.pane(0);
    const FilePane& right = w.pane(1);
    EXPECT_EQ(left.row(0).icon, icons::kLyricsKaraoke + 1); // a.txt: karaoke, paired once
    EXPECT_TRUE(left.row(1).paired());                       // Song.TXT ~ song.mp3
    EXPECT_FALSE(left.row(2).paired());                      // b.kra
    EXPECT_EQ(right.row(0).icon, icons::kSong + 2);
    EXPECT_TRUE(right.row(3).paired()); // a.rmp
    EXPECT_FALSE(right.row(2).paired());
    EXPECT_EQ(w.listModel(1).data(w.listModel(1).index(0, w.listModel(1).columnOfKey("match")), Qt::DisplayRole).toString(),
              PairMark());
    // The mode buttons are locked while a pane lists files.
    EXPECT_FALSE(Find<QWidget>("OptFileTypeLeft0")->isEnabled());
}

TEST_F(PaneTest, BackToTheFoldersEmptiesTheListAndTheOtherPanesMarks)
{
    FormMain& w = Open();
    ListFiles(0);
    ListFiles(1);
    ASSERT_TRUE(w.pane(0).row(0).paired());
    ListFiles(1, false);
    EXPECT_TRUE(w.pane(1).isEmpty());
    EXPECT_EQ(w.listModel(1).columnCount(), 0);
    EXPECT_FALSE(w.pane(0).row(0).paired());
    EXPECT_EQ(w.pane(0).row(0).icon, icons::kLyricsKaraoke);
    EXPECT_EQ(Title(1), folder);
    EXPECT_TRUE(Find<QWidget>("FrameFolder1")->isVisible());
    EXPECT_FALSE(Find<QWidget>("FrameFile1")->isVisible());
}

TEST_F(PaneTest, SubFoldersAreListedButNotThoseBeginningWithADot)
{
    FormMain& w = Open();
    Find<QCheckBox>("ChkSubFolder0")->click();
    EXPECT_TRUE(w.pane(0).subFolders);
    ListFiles(0);
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "Song.TXT", "b.kra", "c.lrc"}));
    EXPECT_EQ(w.pane(0).row(3).cell(Col::Path), folder + "/sub/");
}

TEST_F(PaneTest, WithoutAutoLoadRowsHaveNoDetails)
{
    FormMain& w = Open();
    Find<QAction>("mnOptionAutoLoad")->trigger();
    EXPECT_FALSE(Find<QAction>("AutoLoad")->isChecked());
    ListFiles(0);
    ListFiles(1);
    for (int p = 0; p < 2; ++p) {
        for (const FileRow& r : w.pane(p).rows()) {
            EXPECT_EQ(r.icon, 0);
            EXPECT_FALSE(r.paired());
            EXPECT_FALSE(r.cell(Col::Size).isEmpty());
            EXPECT_TRUE(r.cell(Col::TagType).isEmpty());
        }
    }
}

TEST_F(PaneTest, AnEmptyFolderShowsItsFolderAloneAsTitle)
{
    QDir().mkpath(folder + "/empty");
    store.setText("Init", "LastFolder0", folder + "/empty");
    Open();
    ListFiles(0);
    EXPECT_EQ(Title(0), folder + "/empty");
    EXPECT_TRUE(window->pane(0).isEmpty());
}

TEST_F(PaneTest, ModeButtonsChooseWhatIsListed)
{
    FormMain& w = Open();
    Find<QAbstractButton>("OptFileTypeLeft1")->click();
    EXPECT_EQ(w.pane(0).mode, PaneMode::Song);
    ListFiles(0);
    EXPECT_EQ(RowNames(0), QStringList({"a.mp3", "song.mp3", "z.mp3", "a.rmp"}));
    EXPECT_EQ(w.listModel(0).columnCount(), 17); // 16 and the dummy column
    Close();
    EXPECT_EQ(store.text("Init", "Mode0", {}), "1");
}

TEST_F(PaneTest, HeaderClicksToggleTheSortOrderWithArrows)
{
    FormMain& w = Open();
    ListFiles(0);
    ClickHeader(0, 0);
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "b.kra", "Song.TXT"}));
    EXPECT_EQ(Arrow(0, 0), 2);
    ClickHeader(0, 0);
    EXPECT_EQ(RowNames(0), QStringList({"Song.TXT", "b.kra", "a.txt"}));
    EXPECT_EQ(Arrow(0, 0), 1);
    const int ext = w.listModel(0).columnOfKey("ext");
    ClickHeader(0, ext); // another column toggles the order again
    EXPECT_EQ(Arrow(0, 0), 0);
    EXPECT_EQ(Arrow(0, ext), 2);
    EXPECT_EQ(RowNames(0), QStringList({"b.kra", "Song.TXT", "a.txt"}));
    EXPECT_EQ(w.pane(0).sortKey, ext);
    // After a rebuild the first click sorts ascending again.
    Find<QAction>("ReSearch")->trigger();
    EXPECT_EQ(Arrow(0, ext), 0);
    ClickHeader(0, 0);
    EXPECT_EQ(Arrow(0, 0), 2);
}

TEST_F(PaneTest, ColumnWidthsAndOrderAreKeptInTwips)
{
    store.setText("LVS0", "2", "1500");
    store.setText("LVP0", "11", "1");
    for (int n = 1; n <= 10; ++n)
        store.setText("LVP0", QString::number(n), QString::number(n + 1));
    FormMain& w = Open();
    ListFiles(0);
    QHeaderView* header = w.listView(0)->horizontalHeader();
    const int path = w.listModel(0).columnOfKey("path");
    EXPECT_EQ(header->visualIndex(path), 0);
    EXPECT_EQ(header->sectionSize(1), 100);
    // Widths not stored are the table's, or wider where the font needs it.
    EXPECT_EQ(header->sectionSize(0), TwipsToPixels(w.columnLayout().width(PaneMode::Lyrics, 1)));
    EXPECT_GE(w.columnLayout().width(PaneMode::Lyrics, 1), 1700);
    EXPECT_GE(header->sectionSize(w.listModel(0).columnOfKey("timestamp")),
              header->fontMetrics().horizontalAdvance("2000/00/00 00:00:00"));
    header->resizeSection(0, 200);
    header->moveSection(header->visualIndex(path), 10);
    Close();
    EXPECT_EQ(store.text("LVS0", "1", {}), "3000");
    EXPECT_EQ(store.text("LVS0", "2", {}), "1500"); // untouched widths keep their stored value
    EXPECT_EQ(store.text("LVP0", "11", {}), "11");
    EXPECT_EQ(store.text("LVP0", "1", {}), "1");
    EXPECT_EQ(store.text("LVS1", "16", {}), "1700");
}

TEST_F(PaneTest, ResetColumnsRestoresTheDefaults)
{
    store.setText("LVS0", "1", "3000");
    store.setText("LVP0", "1", "2");
    store.setText("LVP0", "2", "1");
    FormMain& w = Open();
    ListFiles(0);
    QHeaderView* header = w.listView(0)->horizontalHeader();
    EXPECT_EQ(header->visualIndex(0), 1);
    EXPECT_EQ(header->sectionSize(0), 200);
    Find<QAction>("mnOptionResetColumns")->trigger();
    EXPECT_EQ(header->visualIndex(0), 0);
    EXPECT_LT(header->sectionSize(0), 200);
    EXPECT_EQ(header->sectionSize(0), TwipsToPixels(w.columnLayout().width(PaneMode::Lyrics, 1)));
    EXPECT_EQ(w.columnLayout().position(PaneMode::Lyrics, 2), 2);
}

TEST_F(PaneTest, ReSearchListsTheFolderAgainAndShowsTheFirstRow)
{
    FormMain& w = Open();
    ListFiles(0);
    Touch("new.lrc", "[00:01]x\r\n");
    Find<QAction>("ReSearch")->trigger();
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "Song.TXT", "b.kra", "new.lrc"}));
    EXPECT_EQ(w.pane(0).selectedRow(), 0);
    EXPECT_EQ(w.currentFile(), folder + "/a.txt");
    EXPECT_EQ(Title(0), "(1 / 4) " + folder);
}

TEST_F(PaneTest, ShowFolderKeepsThePreviousFolderWhenThePathCannotBeEntered)
{
    FormMain& w = Open();
    QDir().mkpath(folder + "/sub/deeper");
    w.ShowFolder(0, folder + "/sub/deeper");
    EXPECT_EQ(w.paneFolder(0), folder + "/sub/deeper");
    EXPECT_EQ(Title(0), folder + "/sub/deeper");
    w.ShowFolder(0, folder + "/missing");
    EXPECT_EQ(w.paneFolder(0), folder + "/sub/deeper");
    EXPECT_EQ(Title(0), folder + "/sub/deeper");
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(PaneTest, AnInaccessibleDriveIsRefusedWithAWarning)
{
    FormMain& w = Open();
    auto* drives = Find<QComboBox>("DRV0");
    const int before = drives->currentIndex();
    drives->addItem("/nonexistent-drive", "/nonexistent-drive");
    drives->setCurrentIndex(drives->count() - 1);
    w.DriveChanged(0);
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("/nonexistent-drive にアクセスできません。")});
    EXPECT_EQ(drives->currentIndex(), before);
    EXPECT_EQ(w.paneFolder(0), folder);
}

TEST_F(PaneTest, TheFolderTreeSetsThePaneFolder)
{
    FormMain& w = Open();
    QDir().mkpath(folder + "/sub");
    w.ShowFolder(1, folder + "/sub");
    EXPECT_EQ(w.paneFolder(1), folder + "/sub");
    ListFiles(1);
    EXPECT_TRUE(w.pane(1).isEmpty());
    ListFiles(1, false);
    w.ShowFolder(1, folder);
    ListFiles(1);
    EXPECT_EQ(w.pane(1).rowCount(), 4);
    Close();
    EXPECT_EQ(store.text("Init", "LastFolder1", {}), folder);
}

TEST_F(PaneTest, CheckingARowCountsInTheTitle)
{
    FormMain& w = Open();
    ListFiles(1);
    FileListModel& model = w.listModel(1);
    model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(w.pane(1).row(2).checked);
    EXPECT_EQ(Title(1), "(1 / 4) " + folder);
    w.SelectRow(1, 0);
    EXPECT_EQ(Title(1), "(2 / 4) " + folder);
}

TEST_F(PaneTest, TheTreesNoticesWhileTheListIsReadLeaveItsTitleAlone)
{
    Open();
    // The tree reports a changed selection whenever the window's events run, as it does
    // when it re-reads a folder another program changed (a file added or removed beside
    // the chosen folder).
    QItemSelectionModel* tree = Find<QTreeView>("FTV0")->selectionModel();
    QTimer notices;
    notices.setInterval(0);
    QObject::connect(&notices, &QTimer::timeout, [tree] { Q_EMIT tree->selectionChanged({}, {}); });
    notices.start();
    ListFiles(0);
    notices.stop();
    EXPECT_EQ(Title(0), "(0 / 3) " + folder);
}

TEST_F(PaneTest, RefreshingCheckedRowsRereadsTheirFiles)
{
    FormMain& w = Open();
    ListFiles(0);
    FileListModel& model = w.listModel(0);
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole); // Song.TXT
    Touch("Song.TXT", QByteArray(2048, 'y'));
    Touch("a.txt", QByteArray(4096, 'y')); // not checked: stays as listed
    QMenu* edit = Find<QMenu>("mnEdit");
    Q_EMIT edit->aboutToShow();
    QAction* refresh = Find<QAction>("mnEditCheckRefresh");
    ASSERT_TRUE(refresh->isEnabled());
    refresh->trigger();
    EXPECT_EQ(w.pane(0).row(1).cell(Col::Size), "2,048 B");
    EXPECT_EQ(w.pane(0).row(0).cell(Col::Size), "1 B");
}

TEST_F(PaneTest, TheFileMenuOffersReSearchOnlyForAListedPane)
{
    Open();
    QMenu* file = Find<QMenu>("mnFile");
    Q_EMIT file->aboutToShow();
    EXPECT_FALSE(Find<QAction>("mnFileReSearch")->isEnabled());
    ListFiles(0);
    Q_EMIT file->aboutToShow();
    EXPECT_TRUE(Find<QAction>("mnFileReSearch")->isEnabled());
    EXPECT_TRUE(Find<QAction>("mnFileFileList0")->isEnabled()); // a listed pane with rows can be copied from
}

TEST_F(PaneTest, FunctionKeysSwitchViewsAndModesInTheFolderView)
{
    FormMain& w = Open();
    QWidget* tree = Find<QWidget>("FTV0");
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_F4);
    EXPECT_EQ(w.pane(0).mode, PaneMode::Song);
    QTest::keyClick(tree, Qt::Key_F6);
    EXPECT_TRUE(Find<QCheckBox>("ChkSubFolder0")->isChecked());
    QTest::keyClick(tree, Qt::Key_F3);
    EXPECT_EQ(w.pane(0).mode, PaneMode::Lyrics);
    QTest::keyClick(tree, Qt::Key_F2);
    EXPECT_EQ(w.pane(0).view, PaneView::File);
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "Song.TXT", "b.kra", "c.lrc"}));
    // F3-F7 do nothing while the pane lists files.
    QTest::keyClick(w.listView(0), Qt::Key_F4);
    EXPECT_EQ(w.pane(0).mode, PaneMode::Lyrics);
    QTest::keyClick(w.listView(0), Qt::Key_F1);
    EXPECT_EQ(w.pane(0).view, PaneView::Folder);
}

TEST_F(PaneTest, ShiftArrowsMoveTheSelectedRowAndEndTheSorting)
{
    FormMain& w = Open();
    ListFiles(0);
    ClickHeader(0, 0);
    ASSERT_EQ(RowNames(0), QStringList({"a.txt", "b.kra", "Song.TXT"}));
    w.SelectRow(0, 0);
    QTableView* list = w.listView(0);
    QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier); // the first row stays first
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "b.kra", "Song.TXT"}));
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(RowNames(0), QStringList({"b.kra", "a.txt", "Song.TXT"}));
    EXPECT_EQ(w.pane(0).selectedRow(), 1);
    EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 1);
    EXPECT_FALSE(w.pane(0).sorted);
    EXPECT_EQ(Arrow(0, 0), 0);
    EXPECT_EQ(w.pane(0).row(1).icon, icons::kLyricsKaraoke); // the row moves whole
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier); // the last row stays last
    EXPECT_EQ(RowNames(0), QStringList({"b.kra", "Song.TXT", "a.txt"}));
}

TEST_F(PaneTest, EscapeStopsARunningScan)
{
    for (int i = 0; i < 20; ++i)
        Touch(QStringLiteral("many%1.txt").arg(i, 2, 10, QLatin1Char('0')));
    fake.holdAfter = 3;
    FormMain& w = Open();
    QTimer::singleShot(20, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(Find<QWidget>("FTV0"), &escape);
        fake.released = true;
    });
    ListFiles(0);
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("読み込みを途中で中断しました。")});
    EXPECT_GE(w.pane(0).rowCount(), 3);
    EXPECT_LT(w.pane(0).rowCount(), 23);
    EXPECT_EQ(w.pane(0).view, PaneView::File); // the rows found so far are listed
    EXPECT_EQ(Title(0), QStringLiteral("(0 / %1) ").arg(w.pane(0).rowCount()) + folder);
}
