// The lyrics pane: showing rows, edit mode, saving, copying, lyric sources, right click.
#include "browser/tests/guifixture.h"

#include "browser/gui/filelistmodel.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;
using testsupport::Sjis;

namespace {

class LyricsPaneTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        Touch("lf.txt", Sjis("[00:01:00]一行目\n[00:02:00]二行目\n"));
        Touch("song.txt", "[00:01]la\r\n");
        Touch("song.mp3", QByteArray(4000, 'x'));
        Touch("other.mp3", QByteArray(4000, 'x'));
        Touch("broken.mp3", "no");
        fake.songs.insert("broken.mp3", fakes::FakeDetails::PlainSong(songkind::kNotSong));
        fake.songs.insert("other.mp3", fakes::FakeDetails::PlainSong(songkind::kLyrics3));
    }
    int Row(int pane, const QString& name)
    {
        return static_cast<int>(RowNames(pane).indexOf(name));
    }
    QTextEdit* Text() { return Find<QTextEdit>("TextLyrics"); }
    QCheckBox* Edit() { return Find<QCheckBox>("ChkTextEdit"); }
    bool Enabled(const char* name) { return Find<QWidget>(QString::fromLatin1(name))->isEnabled(); }
    QString Status() { return Find<QLabel>("SBText")->text(); }
    /// Opens the window with both panes listing files.
    FormMain& OpenListing()
    {
        FormMain& w = Open();
        ListFiles(0);
        ListFiles(1);
        return w;
    }
};

} // namespace

TEST_F(LyricsPaneTest, ALyricsRowIsShownWithCrLfLineBreaks)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    EXPECT_EQ(w.lyricsText(), QString::fromUtf8("[00:01:00]一行目\r\n[00:02:00]二行目\r\n"));
    EXPECT_EQ(Find<QLabel>("lblTextTitle")->text(), "lf.txt");
    EXPECT_TRUE(Edit()->isEnabled());
    EXPECT_FALSE(Edit()->isChecked());
    EXPECT_TRUE(Enabled("ComTextAllCopy"));
    EXPECT_FALSE(Enabled("ComTextSave"));
    EXPECT_TRUE(Text()->isReadOnly());
    EXPECT_EQ(Status(), "[ " + folder + "/lf.txt ]");
    EXPECT_EQ(w.currentKind(), 0);
    EXPECT_EQ(w.currentPane(), 0);
    EXPECT_TRUE(Find<QWidget>("FrameLyricsInfo")->isVisible());
    EXPECT_FALSE(Find<QWidget>("FrameMpegInfo")->isVisible());
    EXPECT_EQ(w.pane(0).selectedRow(), Row(0, "lf.txt"));
}

TEST_F(LyricsPaneTest, AnUnreadableLyricsRowEmptiesThePane)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    fake.unreadable.insert("song.txt");
    w.pane(0).updateRow(Row(0, "song.txt"), [](FileRow& r) { r.icon = 0; });
    w.ShowRow(0, Row(0, "song.txt"));
    EXPECT_TRUE(w.lyricsText().isEmpty());
    EXPECT_FALSE(Edit()->isEnabled());
    EXPECT_FALSE(Enabled("ComTextAllCopy"));
    EXPECT_TRUE(w.pane(0).row(Row(0, "song.txt")).dimmed);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(LyricsPaneTest, ClickingARowShowsIt)
{
    FormMain& w = OpenListing();
    QTableView* list = w.listView(0);
    const QRect rect = list->visualRect(w.listModel(0).index(Row(0, "song.txt"), 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(w.currentFile(), folder + "/song.txt");
    EXPECT_EQ(w.lyricsText(), "[00:01]la\r\n");
    // The arrow key moves the selection; releasing it shows the new row.
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(w.currentFile(), folder + "/lf.txt");
}

TEST_F(LyricsPaneTest, EditModeMovesTheSplitterAndLocksTheRest)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    const int before = w.splitY();
    Edit()->click();
    EXPECT_TRUE(w.inEditMode());
    EXPECT_EQ(w.splitY(), w.minTopHeight());
    EXPECT_FALSE(Text()->isReadOnly());
    EXPECT_FALSE(Find<QTreeView>("FTV0")->isEnabled());
    EXPECT_FALSE(Find<QMenu>("mnFile")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("mnHelp")->menuAction()->isEnabled());
    EXPECT_TRUE(Enabled("ComTimeTag"));
    EXPECT_TRUE(Enabled("ComHosei"));
    EXPECT_FALSE(Enabled("ComTextSave"));
    // Leaving without changes asks nothing.
    Edit()->click();
    EXPECT_FALSE(w.inEditMode());
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_EQ(w.splitY(), before);
    EXPECT_TRUE(Text()->isReadOnly());
    EXPECT_TRUE(Find<QTreeView>("FTV0")->isEnabled());
    EXPECT_TRUE(Find<QMenu>("mnFile")->menuAction()->isEnabled());
    EXPECT_FALSE(Enabled("ComTimeTag"));
}

TEST_F(LyricsPaneTest, DiscardingEditsShowsTheFileAgain)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    const QByteArray original = ReadBytes(folder + "/lf.txt");
    Edit()->click();
    QTest::keyClicks(Text(), "abc");
    EXPECT_TRUE(Enabled("ComTextSave"));
    prompter.answer(Answer::No);
    Edit()->click();
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("歌詞ファイルを保存しますか？")});
    EXPECT_EQ(prompter.prompts()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(w.lyricsText(), QString::fromUtf8("[00:01:00]一行目\r\n[00:02:00]二行目\r\n"));
    EXPECT_FALSE(Enabled("ComTextSave"));
    EXPECT_EQ(ReadBytes(folder + "/lf.txt"), original);
}

TEST_F(LyricsPaneTest, SavingEditsWritesCrLfInTheFilesEncoding)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    Edit()->click();
    QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("新"));
    QApplication::sendEvent(Text(), &typed);
    prompter.answer(Answer::Yes);
    Edit()->click();
    EXPECT_EQ(ReadBytes(folder + "/lf.txt"), Sjis("新[00:01:00]一行目\r\n[00:02:00]二行目\r\n"));
    EXPECT_FALSE(Enabled("ComTextSave"));
    EXPECT_FALSE(w.inEditMode());
}

TEST_F(LyricsPaneTest, TheSaveButtonSavesAndRefreshesTheRow)
{
    FormMain& w = OpenListing();
    const int row = Row(0, "song.txt");
    w.ShowRow(0, row);
    Edit()->click();
    QTest::keyClicks(Text(), "[00:00]");
    Find<QAbstractButton>("ComTextSave")->click();
    EXPECT_EQ(ReadBytes(folder + "/song.txt"), "[00:00][00:01]la\r\n");
    EXPECT_EQ(w.pane(0).row(row).cell(Col::Size), "18 B");
    EXPECT_TRUE(w.inEditMode());
    EXPECT_FALSE(Enabled("ComTextSave"));
    EXPECT_TRUE(Text()->hasFocus() || !QApplication::focusWidget());
}

TEST_F(LyricsPaneTest, AFileThatCannotBeWrittenKeepsTheEdits)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "song.txt"));
    Edit()->click();
    QTest::keyClicks(Text(), "x");
    QFile::remove(folder + "/song.txt");
    Find<QAbstractButton>("ComTextSave")->click();
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("保存できませんでした。")});
    EXPECT_EQ(w.lyricsText(), "x[00:01]la\r\n");
    EXPECT_TRUE(Enabled("ComTextSave"));
}

TEST_F(LyricsPaneTest, EscapeLeavesEditMode)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    Edit()->click();
    ASSERT_TRUE(w.inEditMode());
    QTest::keyClick(Text(), Qt::Key_Escape);
    EXPECT_FALSE(w.inEditMode());
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(LyricsPaneTest, InEditModeAClickOnAListIsRefused)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    Edit()->click();
    QTableView* list = w.listView(0);
    const QRect rect = list->visualRect(w.listModel(0).index(Row(0, "song.txt"), 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(w.currentFile(), folder + "/lf.txt");
    EXPECT_TRUE(w.inEditMode());
}

TEST_F(LyricsPaneTest, ShowingAnotherRowAsksAboutUnsavedEdits)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    Edit()->click();
    QTest::keyClicks(Text(), "z");
    prompter.answer(Answer::Yes);
    w.ShowRow(0, Row(0, "song.txt"));
    // The question before another row is shown names the file.
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("歌詞ファイルを保存しますか？\n\n") + folder + "/lf.txt"});
    EXPECT_TRUE(ReadBytes(folder + "/lf.txt").startsWith("z["));
    EXPECT_FALSE(w.inEditMode());
    EXPECT_TRUE(Find<QMenu>("mnFile")->menuAction()->isEnabled());
    EXPECT_EQ(w.lyricsText(), "[00:01]la\r\n");
}

TEST_F(LyricsPaneTest, ExitOffersToSaveUnsavedEdits)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "song.txt"));
    Edit()->click();
    QTest::keyClicks(Text(), "q");
    prompter.answer(Answer::Yes);
    Close();
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("歌詞ファイルを保存しますか？\n\n") + folder + "/song.txt"});
    EXPECT_EQ(ReadBytes(folder + "/song.txt"), "q[00:01]la\r\n");
}

TEST_F(LyricsPaneTest, CopyAllPutsTheWholeTextOnTheClipboard)
{
    FormMain& w = OpenListing();
    QApplication::clipboard()->setText("untouched");
    w.CopyAllLyrics(); // nothing shown: the clipboard stays as it was
    EXPECT_EQ(QApplication::clipboard()->text(), "untouched");
    w.ShowRow(0, Row(0, "lf.txt"));
    Find<QAbstractButton>("ComTextAllCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("[00:01:00]一行目\r\n[00:02:00]二行目\r\n"));
    EXPECT_FALSE(Text()->textCursor().hasSelection());
}

TEST_F(LyricsPaneTest, ASongRowEnablesThePlayerAndChoosesTheSameNamedLyrics)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "song.mp3"));
    EXPECT_TRUE(Find<QWidget>("FrameMpegInfo")->isVisible());
    EXPECT_FALSE(Find<QWidget>("FrameLyricsInfo")->isVisible());
    for (const char* b : {"ComPlayPause", "ComStop", "ComSelectLyrics", "ComImplant"})
        EXPECT_TRUE(Enabled(b)) << b;
    EXPECT_EQ(w.currentKind(), 1);
    EXPECT_EQ(w.chosenSource(), 3);
    EXPECT_EQ(w.lyricSource(3), folder + "/song.txt");
    EXPECT_TRUE(Find<QAction>("mnSelectLyricsList3")->isChecked());
    EXPECT_FALSE(Find<QAction>("mnSelectLyricsList1")->isEnabled()); // no embedded lyrics
    EXPECT_EQ(Status(), "[ " + folder + "/song.mp3] / [ song.txt ]");
}

TEST_F(LyricsPaneTest, TheOtherPanesSelectedLyricsComeFirst)
{
    FormMain& w = OpenListing();
    w.SelectRow(0, Row(0, "lf.txt"));
    w.ShowRow(1, Row(1, "song.mp3"));
    EXPECT_EQ(w.chosenSource(), 2);
    EXPECT_EQ(w.lyricSource(2), folder + "/lf.txt");
    EXPECT_TRUE(Find<QAction>("mnSelectLyricsList3")->isEnabled());
}

TEST_F(LyricsPaneTest, ASongWithoutLyricsChoosesEmbeddedOrNone)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "other.mp3"));
    EXPECT_EQ(w.chosenSource(), 1);
    EXPECT_EQ(Status(), "[ " + folder + QString::fromUtf8("/other.mp3] / [ 埋め込み歌詞 ]"));
    fake.songs.remove("other.mp3");
    w.ShowRow(1, Row(1, "song.mp3"));
    w.ShowRow(1, Row(1, "other.mp3"));
    EXPECT_EQ(w.chosenSource(), 4);
    EXPECT_EQ(Status(), "[ " + folder + QString::fromUtf8("/other.mp3] / [ 歌詞なし ]"));
    for (int k : {0, 1, 2, 3})
        EXPECT_FALSE(Find<QAction>(QStringLiteral("mnSelectLyricsList%1").arg(k))->isEnabled()) << k;
    EXPECT_TRUE(Find<QAction>("mnSelectLyricsList5")->isEnabled());
}

TEST_F(LyricsPaneTest, OtherFileIsChosenInAFileDialog)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "other.mp3"));
    prompter.answerText(folder + "/lf.txt");
    Find<QAction>("mnSelectLyricsList5")->trigger();
    ASSERT_EQ(prompter.prompts().size(), 1u);
    const auto& request = prompter.prompts()[0].file;
    EXPECT_EQ(request.title, QString::fromUtf8("表示する歌詞ファイルを選んでください。"));
    EXPECT_EQ(request.filter, QString::fromUtf8("歌詞ファイル(*.txt;*.kra;*.lrc)|*.txt;*.kra;*.lrc"));
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(w.chosenSource(), 5);
    EXPECT_EQ(w.lyricSource(5), folder + "/lf.txt");
    // Cancelling unchecks the entry; the first enabled one is chosen again.
    prompter.answerText(std::nullopt);
    Find<QAction>("mnSelectLyricsList5")->trigger();
    EXPECT_FALSE(Find<QAction>("mnSelectLyricsList5")->isChecked());
    EXPECT_EQ(w.chosenSource(), 1);
}

TEST_F(LyricsPaneTest, TheTimeBaseFollowsTheChosenLyrics)
{
    LyricsDetails standard;
    standard.timeType = 2;
    fake.lyrics.insert("song.txt", standard);
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "song.mp3"));
    EXPECT_TRUE(Find<QAction>("mnSelectLyricsTimeType1")->isChecked());
    EXPECT_FALSE(Find<QAction>("mnSelectLyricsTimeType0")->isChecked());
    Find<QAction>("mnSelectLyricsTimeType0")->trigger();
    EXPECT_TRUE(Find<QAction>("mnSelectLyricsTimeType0")->isChecked());
    EXPECT_FALSE(Find<QAction>("mnSelectLyricsTimeType1")->isChecked());
}

TEST_F(LyricsPaneTest, AnUnsupportedSongDisablesThePlayer)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "broken.mp3"));
    EXPECT_TRUE(w.pane(1).row(Row(1, "broken.mp3")).dimmed);
    EXPECT_EQ(w.pane(1).row(Row(1, "broken.mp3")).cell(Col::Tags), "E");
    for (const char* b : {"ComPlayPause", "ComStop", "ComSelectLyrics", "ComImplant"})
        EXPECT_FALSE(Enabled(b)) << b;
}

TEST_F(LyricsPaneTest, AutoSelectPicksThePartnerInTheOtherPane)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "song.mp3"));
    EXPECT_EQ(w.pane(0).selectedRow(), -1);
    Find<QAction>("AutoSelect")->trigger();
    EXPECT_TRUE(Find<QAction>("mnOptionAutoSelect")->isChecked());
    w.ShowRow(1, Row(1, "song.mp3"));
    EXPECT_EQ(w.pane(0).selectedRow(), Row(0, "song.txt"));
    EXPECT_EQ(w.currentFile(), folder + "/song.mp3"); // selecting the partner does not show it
}

TEST_F(LyricsPaneTest, RightClickShowsTheRowAndOffersTheEntriesOfItsMode)
{
    FormMain& w = OpenListing();
    QTableView* list = w.listView(0);
    const QRect rect = list->visualRect(w.listModel(0).index(Row(0, "song.txt"), 1));
    QStringList enabled;
    WhenShown([&](QWidget* menu) {
        for (QAction* a : menu->actions())
            if (a->isEnabled() && !a->isSeparator())
                enabled << a->text();
        menu->close();
    });
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rect.center());
    EXPECT_EQ(w.currentFile(), folder + "/song.txt");
    EXPECT_EQ(enabled, QStringList{QString::fromUtf8("キャンセル")}); // no plugin.ini set

    w.options().pluginIni = Touch("plugin.ini", "[Pemrick's Lyrics Common]\r\n");
    w.PrepareRightClickMenu();
    EXPECT_TRUE(Find<QAction>("mnRightClickList0")->isEnabled());
    EXPECT_FALSE(Find<QAction>("mnRightClickList2")->isEnabled());

    QApplication::clipboard()->setText("text");
    w.ShowRow(1, Row(1, "song.mp3"));
    w.PrepareRightClickMenu();
    EXPECT_FALSE(Find<QAction>("mnRightClickList0")->isEnabled());
    EXPECT_TRUE(Find<QAction>("mnRightClickList2")->isEnabled());
    QApplication::clipboard()->clear();
    w.PrepareRightClickMenu();
    EXPECT_FALSE(Find<QAction>("mnRightClickList2")->isEnabled());
}

TEST_F(LyricsPaneTest, ClipboardTextBecomesTheSongsLyricsFile)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "song.mp3"));
    QApplication::clipboard()->setText(QString::fromUtf8("[00:01]歌\n[00:02]詞\n"));
    const QString target = folder + "/song.txt";
    prompter.answerText(target);
    prompter.answer(Answer::Ok);
    w.RunRightClickEntry(2);
    ASSERT_GE(prompter.prompts().size(), 1u);
    const auto& request = prompter.prompts()[0].file;
    EXPECT_EQ(request.title, QString::fromUtf8("クリップボードから保存"));
    EXPECT_EQ(request.fileName, "song.txt");
    EXPECT_EQ(request.folder, folder + "/");
    EXPECT_EQ(request.defaultExtension, ".txt");
    EXPECT_EQ(request.filter, QString::fromUtf8("歌詞ファイル|*.txt;*.lrc;*.kra"));
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(ReadBytes(target), Sjis("[00:01]歌\r\n[00:02]詞\r\n"));
    EXPECT_EQ(prompter.messages().last(), target + QString::fromUtf8(" に保存しました。"));
}

TEST_F(LyricsPaneTest, ClipboardTextOutsideShiftJisIsKeptAsUtf8)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "song.mp3"));
    QApplication::clipboard()->setText(QString::fromUtf8("🎵 la"));
    prompter.answerText(folder + "/emoji.txt");
    prompter.answer(Answer::Ok);
    w.RunRightClickEntry(2);
    EXPECT_EQ(ReadBytes(folder + "/emoji.txt"), QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("🎵 la").toUtf8());
}

TEST_F(LyricsPaneTest, CancellingTheClipboardSaveWritesNothing)
{
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "song.mp3"));
    QApplication::clipboard()->setText("x");
    prompter.answerText(std::nullopt);
    w.RunRightClickEntry(2);
    EXPECT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(ReadBytes(folder + "/song.txt"), "[00:01]la\r\n");
}

TEST_F(LyricsPaneTest, PluginFolderNeedsThePluginIni)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    w.RunRightClickEntry(0);
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("WinAmpのPlugin.iniをオプションで指定してください。")});
}

TEST_F(LyricsPaneTest, SwitchingThePaneToFoldersClearsItsShownRow)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    ListFiles(0, false);
    EXPECT_TRUE(w.currentFile().isEmpty());
    EXPECT_TRUE(w.lyricsText().isEmpty());
    EXPECT_TRUE(Status().isEmpty());
}

TEST_F(LyricsPaneTest, RecolouringByTheProgramIsNoEdit)
{
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, "lf.txt"));
    Edit()->click();
    w.setRecolouring(true);
    QTextCursor cursor(Text()->document());
    cursor.select(QTextCursor::LineUnderCursor);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    cursor.mergeCharFormat(red);
    w.setRecolouring(false);
    EXPECT_FALSE(Enabled("ComTextSave"));
    Edit()->click();
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(LyricsPaneTest, ThePluginFolderIsWrittenIntoThePluginIni)
{
    const QByteArray before = "; WinAmp lyrics plug-in\r\n[Pemrick's Lyrics Common]\r\nLyricsFolder=C:\\old\\\r\nFont=MS Gothic\r\n[Other]\r\nx=1\r\n";
    const QString ini = Touch("plugin.ini", before);
    FormMain& w = OpenListing();
    w.options().pluginIni = ini;
    w.ShowRow(0, Row(0, "lf.txt"));
    prompter.answer(Answer::Ok);
    w.RunRightClickEntry(0);
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("WinAmp起動中ならば、WinAmpを再起動してください。")});
    EXPECT_EQ(prompter.prompts()[0].icon, MessageIcon::Information);
    QByteArray expected = before;
    expected.replace("C:\\old\\", (folder + "/").toUtf8());
    EXPECT_EQ(ReadBytes(ini), expected); // the rest of the file is kept byte for byte
}

TEST_F(LyricsPaneTest, AVanishedPluginIniIsReportedNotCreated)
{
    FormMain& w = OpenListing();
    w.options().pluginIni = folder + "/gone/plugin.ini";
    w.ShowRow(0, Row(0, "lf.txt"));
    w.RunRightClickEntry(0);
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("WinAmpのPlugin.iniをオプションで指定してください。")});
    EXPECT_FALSE(QFile::exists(folder + "/gone/plugin.ini"));
}

TEST_F(LyricsPaneTest, TheEngineGetsTheChosenLyricsAndTimeBase)
{
    QFile::copy(testsupport::SourceDir() + "/demo/kaze.mp3", folder + "/kaze.mp3");
    QFile::copy(testsupport::SourceDir() + "/demo/kaze.lrc", folder + "/kaze.lrc");
    FormMain& w = OpenListing();
    w.ShowRow(1, Row(1, "kaze.mp3"));
    ASSERT_EQ(w.chosenSource(), 3);
    ASSERT_TRUE(engine->vbmp3_open(folder + "/kaze.mp3", nullptr));
    w.ApplyLyricSource();
    playback::LyricState state;
    EXPECT_EQ(engine->vbmp3_getLyrics2(&state), 1);
    // "なし": the song plays without lyrics.
    Find<QAction>("mnSelectLyricsList4")->trigger();
    EXPECT_EQ(w.chosenSource(), 4);
    w.ApplyLyricSource();
    EXPECT_EQ(engine->vbmp3_getLyrics2(&state), 0);
    // Showing another song closes this one in the engine.
    w.ShowRow(1, Row(1, "song.mp3"));
    EXPECT_FALSE(engine->IsOpen());
}

TEST_F(LyricsPaneTest, EngineNotificationsShowOnTheTimeLabelUntilExit)
{
    FormMain& w = OpenListing();
    QLabel* time = Find<QLabel>("lblTime");
    EXPECT_TRUE(w.acceptsEngineNotifications());
    w.OnEngineNotify(playback::Notification::Position, 75);
    EXPECT_EQ(time->text(), "01:15");
    w.OnEngineNotify(playback::Notification::Paused, 0);
    EXPECT_EQ(time->text(), "PAUSE");
    w.OnEngineNotify(playback::Notification::Finished, 0);
    EXPECT_EQ(time->text(), "DONE");
    w.OnEngineNotify(playback::Notification::Stopped, 0);
    EXPECT_EQ(time->text(), "STOP");
    w.close();
    EXPECT_FALSE(w.acceptsEngineNotifications());
    w.OnEngineNotify(playback::Notification::Position, 5);
    EXPECT_EQ(time->text(), "STOP");
}
