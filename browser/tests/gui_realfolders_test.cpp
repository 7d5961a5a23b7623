// Real folders and daily use: the panes' folders at start and exit, a file deleted while
// edited, a save CP932 cannot hold, the command-line folder, keys and boxes of the lists,
// the lyrics chosen for a song, the save question, the clipboard row, the help.
#include "browser/tests/guifixture.h"

#include "browser/gui/filelistmodel.h"
#include "browser/gui/formoption.h"
#include "common/utf8text.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QUrl>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;
using testsupport::Sjis;

namespace {

using common::U;

class RealFoldersTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
    }
    int Row(int pane, const QString& name) { return static_cast<int>(RowNames(pane).indexOf(name)); }
    QCheckBox* Edit() { return Find<QCheckBox>("ChkTextEdit"); }
    bool Enabled(const char* name) { return Find<QWidget>(QString::fromLatin1(name))->isEnabled(); }
    /// The tree gets the focus as it does when the window is activated (once it has
    /// read its folders, so that it has a first folder it could move to).
    void FocusTree(int pane)
    {
        QTreeView* tree = Find<QTreeView>(QStringLiteral("FTV%1").arg(pane));
        for (int i = 0; i < 500 && tree->model()->rowCount(tree->rootIndex()) == 0; ++i)
            QTest::qWait(10);
        ASSERT_GT(tree->model()->rowCount(tree->rootIndex()), 0);
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(tree, &in);
        QApplication::processEvents();
    }
};

TEST_F(RealFoldersTest, APaneKeepsItsFolderAndAGoneFolderIsKeptForLater)
{
    // Pane 0 on the root folder; pane 1 on a folder that has gone since the last run.
    QDir().mkpath(folder + "/music");
    store.setText("Init", "LastFolder0", "/");
    store.setText("Init", "LastFolder1", folder + "/music/gone/deeper");
    FormMain& w = Open();
    EXPECT_EQ(w.paneFolder(0), "/");
    EXPECT_EQ(w.paneFolder(1), folder + "/music") << "the nearest existing parent";
    FocusTree(0);
    FocusTree(1);
    EXPECT_EQ(w.paneFolder(0), "/") << "getting the focus does not move to the first sub-folder";
    EXPECT_EQ(w.paneFolder(1), folder + "/music");
    Close();
    EXPECT_EQ(store.text("Init", "LastFolder0", {}), "/");
    EXPECT_EQ(store.text("Init", "LastFolder1", {}), folder + "/music/gone/deeper") << "the fallback is not saved";

    // A folder the user chooses is saved; a stored folder that is not absolute opens HOME.
    store.setText("Init", "LastFolder0", "C:\\Music");
    FormMain& again = Open();
    EXPECT_EQ(again.paneFolder(0), QDir::homePath());
    again.ShowFolder(1, folder);
    Close();
    EXPECT_EQ(store.text("Init", "LastFolder1", {}), folder);
}

TEST_F(RealFoldersTest, TheTreeScrollsToTheStoredFolderAtStart)
{
    // A folder deep below many others: the tree reads its parents after the start.
    for (int i = 0; i < 40; ++i)
        QDir().mkpath(folder + QStringLiteral("/d%1").arg(i, 2, 10, QLatin1Char('0')));
    const QString deep = folder + "/d39/inner/deepest";
    QDir().mkpath(deep);
    store.setText("Init", "LastFolder0", deep);
    Open();
    QTreeView* tree = Find<QTreeView>("FTV0");
    auto inView = [tree] {
        const QRect r = tree->visualRect(tree->currentIndex());
        return r.isValid() && tree->viewport()->rect().contains(r.center());
    };
    for (int i = 0; i < 1500 && !inView(); ++i)
        QTest::qWait(10);
    EXPECT_EQ(QDir::cleanPath(static_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex())), deep);
    EXPECT_TRUE(inView()) << "rect " << tree->visualRect(tree->currentIndex()).y() << " h " << tree->viewport()->height()
                          << " expanded parent " << tree->isExpanded(tree->currentIndex().parent()) << " root "
                          << static_cast<QFileSystemModel*>(tree->model())->filePath(tree->rootIndex()).toStdString()
                          << " visible " << tree->isVisible();
}

TEST_F(RealFoldersTest, LeavingEditModeAfterTheFileWasDeletedShowsItIsGone)
{
    Touch("gone.txt", "[00:01]la\r\n");
    FormMain& w = Open();
    ListFiles(0);
    w.ShowRow(0, Row(0, "gone.txt"));
    Edit()->click();
    QTest::keyClicks(Find<QTextEdit>("TextLyrics"), "unsaved");
    ASSERT_TRUE(QFile::remove(folder + "/gone.txt"));
    prompter.answer(Answer::No);
    Edit()->click();
    EXPECT_FALSE(w.inEditMode());
    EXPECT_EQ(w.lyricsText(), QString()) << "no unsaved text stays on screen";
    EXPECT_TRUE(Find<QLabel>("lblTextTitle")->text().contains(U("ファイルがありません")));
    EXPECT_FALSE(Enabled("ComTextSave"));
    EXPECT_FALSE(Enabled("ChkTextEdit"));
    EXPECT_TRUE(w.pane(0).row(Row(0, "gone.txt")).dimmed);
    EXPECT_FALSE(QFile::exists(folder + "/gone.txt"));
}

TEST_F(RealFoldersTest, ASaveCp932CannotHoldNamesTheCharactersAndOffersUtf8)
{
    const QString path = Touch("sjis.txt", Sjis("一行目\r\n二行目\r\n"));
    FormMain& w = Open();
    ListFiles(0);
    w.ShowRow(0, Row(0, "sjis.txt"));
    Edit()->click();
    const QString edited = U("一行目\r\n二行目 ☺ ok\r\n三 😀 ł\r\n");
    w.setLyricsText(edited);

    // いいえ: nothing is written and the edits stay unsaved.
    prompter.answer(Answer::No);
    Find<QAbstractButton>("ComTextSave")->click();
    ASSERT_EQ(prompter.prompts().size(), 1u);
    const QString question = prompter.prompts()[0].text;
    EXPECT_TRUE(question.contains(U("2 行目: '☺' (U+263A)"))) << question.toStdString();
    EXPECT_TRUE(question.contains(U("3 行目: '😀' (U+1F600)"))) << question.toStdString();
    EXPECT_TRUE(question.contains(U("3 行目: 'ł' (U+0142)"))) << question.toStdString();
    EXPECT_TRUE(question.contains(U("UTF-8 (BOM 付き) で保存しますか？")));
    EXPECT_EQ(prompter.prompts()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(path), Sjis("一行目\r\n二行目\r\n"));
    EXPECT_TRUE(Enabled("ComTextSave"));

    // はい: the file becomes UTF-8 with a BOM.
    prompter.answer(Answer::Yes);
    Find<QAbstractButton>("ComTextSave")->click();
    EXPECT_EQ(ReadBytes(path), QByteArray("\xEF\xBB\xBF") + edited.toUtf8());
    EXPECT_FALSE(Enabled("ComTextSave"));
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(RealFoldersTest, AFolderOnTheCommandLineOpensBothListsOnIt)
{
    const QString music = QFileInfo(Touch("music/a.txt", "[00:01]a\r\n")).path();
    Touch("music/a.mp3", QByteArray(4000, 'x'));
    store.setText("Init", "LastFolder0", folder);
    store.setText("Init", "Mode0", "1");
    store.setText("Init", "Mode1", "0");
    adjustServices = [music](FormMainServices& s) {
        s.startFolder = music;
        s.openStartFolder = true;
    };
    FormMain& w = Open();
    EXPECT_TRUE(w.paneView(0).showsFiles());
    EXPECT_TRUE(w.paneView(1).showsFiles());
    EXPECT_TRUE(w.IsLyricsMode(0));
    EXPECT_FALSE(w.IsLyricsMode(1));
    EXPECT_EQ(RowNames(0), QStringList{"a.txt"});
    EXPECT_EQ(RowNames(1), QStringList{"a.mp3"});
    EXPECT_EQ(w.pane(0).row(0).cell(Col::Match), U("○"));
    // Back in the folder view, the tree shows the folder chosen.
    ListFiles(0, false);
    QTreeView* tree = Find<QTreeView>("FTV0");
    EXPECT_EQ(QDir::cleanPath(static_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex())), music);
}

TEST_F(RealFoldersTest, ListKeysAndTheSubFolderBox)
{
    Touch("a.txt", "[00:01]a\r\n");
    Touch("b.txt", "[00:01]b\r\n");
    Touch("c.txt", "[00:01]c\r\n");
    Touch("sub/d.txt", "[00:01]d\r\n");
    FormMain& w = Open();
    ListFiles(0);
    EXPECT_EQ(RowNames(0), (QStringList{"a.txt", "b.txt", "c.txt"}));
    QTableView* list = w.listView(0);
    w.SelectRow(0, 1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(w.pane(0).selectedRow(), 2);
    EXPECT_EQ(w.currentFile(), folder + "/c.txt");
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(w.pane(0).selectedRow(), 0);
    EXPECT_EQ(w.currentFile(), folder + "/a.txt");

    // Ticking サブフォルダ lists the sub-folder's files at once.
    Find<QCheckBox>("ChkSubFolder0")->click();
    EXPECT_TRUE(RowNames(0).contains("d.txt"));
    EXPECT_EQ(RowNames(0).size(), 4);
}

TEST_F(RealFoldersTest, AutoSelectChoosesOnlyAPartnerAndTheLyricsPaneShowsIt)
{
    Touch("a.txt", "[00:01]partner\r\n");
    Touch("b.txt", "[00:01]unrelated\r\n");
    Touch("a.mp3", QByteArray(4000, 'x'));
    Touch("c.mp3", QByteArray(4000, 'x'));
    store.setText("Init", "AutoSelect", "1");
    FormMain& w = Open();
    // No song yet: the transport controls that would do nothing are disabled.
    for (const char* name : {"ComPlayPause", "ComStop", "scSeek"})
        EXPECT_FALSE(Enabled(name)) << name;
    ListFiles(0);
    ListFiles(1);
    w.ShowRow(0, Row(0, "b.txt"));
    EXPECT_EQ(w.lyricsText(), "[00:01]unrelated\r\n");

    // An unpaired song: the unrelated lyrics row is not its source.
    w.ShowRow(1, Row(1, "c.mp3"));
    EXPECT_EQ(w.pane(0).selectedRow(), -1);
    EXPECT_EQ(w.chosenSource(), static_cast<int>(LyricSource::None));
    EXPECT_EQ(Find<QLabel>("lblLyricsSource")->text(), U("歌詞: なし"));
    EXPECT_EQ(w.lyricsText(), QString()) << "the previous file's text is gone";

    // A paired song: its partner is chosen, named and shown.
    w.ShowRow(1, Row(1, "a.mp3"));
    EXPECT_EQ(w.pane(0).selectedRow(), Row(0, "a.txt"));
    EXPECT_EQ(Find<QLabel>("lblLyricsSource")->text(), U("歌詞: a.txt"));
    EXPECT_EQ(w.lyricsText(), "[00:01]partner\r\n");
    EXPECT_FALSE(Enabled("ChkTextEdit")) << "the partner's text is shown read only";
}

TEST_F(RealFoldersTest, TheSaveQuestionNamesTheFileAndCanBeCancelled)
{
    Touch("one.txt", "[00:01]one\r\n");
    Touch("two.txt", "[00:01]two\r\n");
    FormMain& w = Open();
    ListFiles(0);
    w.ShowRow(0, Row(0, "one.txt"));
    Edit()->click();
    QTest::keyClicks(Find<QTextEdit>("TextLyrics"), "z");
    prompter.answer(Answer::Cancel);
    w.ShowRow(0, Row(0, "two.txt"));
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].text, U("歌詞ファイルを保存しますか？\n\n") + folder + "/one.txt");
    EXPECT_EQ(prompter.prompts()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(w.currentFile(), folder + "/one.txt");
    EXPECT_EQ(w.pane(0).selectedRow(), Row(0, "one.txt"));
    EXPECT_TRUE(w.inEditMode());
    EXPECT_EQ(w.lyricsText(), "z[00:01]one\r\n");

    // Closing the window: キャンセル keeps it open with the edits.
    prompter.answer(Answer::Cancel);
    EXPECT_FALSE(w.close());
    EXPECT_EQ(w.lyricsText(), "z[00:01]one\r\n");
    EXPECT_EQ(ReadBytes(folder + "/one.txt"), "[00:01]one\r\n");
    prompter.answer(Answer::Yes);
    Close();
    EXPECT_EQ(ReadBytes(folder + "/one.txt"), "z[00:01]one\r\n");
}

TEST_F(RealFoldersTest, ClipboardLyricsJoinTheListPairedAtOnce)
{
    Touch("a.txt", "[00:01]a\r\n");
    Touch("new.mp3", QByteArray(4000, 'x'));
    FormMain& w = Open();
    ListFiles(0);
    ListFiles(1);
    w.ShowRow(1, Row(1, "new.mp3"));
    QApplication::clipboard()->setText("[00:01]from the clipboard\n");
    prompter.answerText(folder + "/new.txt");
    prompter.answer(Answer::Ok);
    w.RunRightClickEntry(2);
    ASSERT_TRUE(RowNames(0).contains("new.txt"));
    EXPECT_EQ(w.pane(0).row(Row(0, "new.txt")).cell(Col::Match), U("○"));
    EXPECT_EQ(w.pane(1).row(Row(1, "new.mp3")).cell(Col::Match), U("○"));
    EXPECT_EQ(w.lyricSource(static_cast<int>(LyricSource::OppositeSameName)), folder + "/new.txt");
}

TEST_F(RealFoldersTest, HelpOpensTheBundledHtmlAndFileDialogsStartAtTheSong)
{
    // The bundled help beside the program opens in the desktop's viewer.
    Touch("program/help/index.html", "<html></html>");
    QList<QUrl> opened;
    adjustServices = [&](FormMainServices& s) {
        s.programFolder = folder + "/program";
        s.openUrl = [&opened](const QUrl& url) {
            opened << url;
            return true;
        };
    };
    Touch("songs/s.mp3", QByteArray(4000, 'x'));
    FormMain& w = Open();
    Find<QAction>("mnHelpHelp")->trigger();
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(folder + "/program/help/index.html")});
    EXPECT_TRUE(prompter.prompts().empty());

    // "その他のファイル" starts in the shown song's folder.
    w.ShowFolder(1, folder + "/songs");
    ListFiles(1);
    w.ShowRow(1, 0);
    prompter.answerText(std::nullopt);
    Find<QAction>("mnSelectLyricsList5")->trigger();
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].file.folder, folder + "/songs");
}

TEST_F(RealFoldersTest, ThePluginIniCanBeClearedAndIsLookedForBesideTheSong)
{
    const QString ini = Touch("plugin.ini", "[Pemrick's Lyrics Common]\r\n");
    Options options;
    options.pluginIni = ini;
    FormOption dialog(options, store, prompter, OptionTab::Etc);
    dialog.setBrowseFolder(folder + "/songs");
    auto* clear = dialog.findChild<QPushButton*>("ComPluginIniClear");
    ASSERT_NE(clear, nullptr);
    clear->click();
    EXPECT_TRUE(dialog.shownValues().pluginIni.isEmpty());
    prompter.answerText(std::nullopt);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(dialog.findChild<QWidget*>("lblPluginIni"), &space);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].file.folder, folder + "/songs");
}

TEST_F(RealFoldersTest, TheLyricsCanUseAFixedWidthCjkFont)
{
    store.setText("Option", "LyricsFixedFont", "True");
    Open();
    QTextEdit* text = Find<QTextEdit>("TextLyrics");
    EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
    QFontMetrics metrics(text->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("ii")), metrics.horizontalAdvance(QStringLiteral("WW")));
}

} // namespace
