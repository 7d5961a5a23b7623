// The window's lists: the name filter and its dialog, the check-mark keys, the extraction
// pop-up and its condition dialog, the data file (Save / Open) and the playlist.
#include "browser/tests/guifixture.h"

#include "browser/core/librarydetails.h"
#include "browser/gui/filelistmodel.h"
#include "common/utf8text.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

using common::U;

/// Saves a picture of a widget when MWEX_SHOT_DIR names a folder (scripts/screenshot-lists.sh).
void Shot(QWidget* w, const char* name)
{
    const QString dir = qEnvironmentVariable("MWEX_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

class ListsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
    }
    QString Title(int pane) { return Find<QLabel>(QStringLiteral("lblTitle%1").arg(pane))->text(); }
    QTableView* List(int pane) { return Find<QTableView>(QStringLiteral("ListFile%1").arg(pane)); }
    void Key(int pane, int key, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        List(pane)->setFocus();
        QTest::keyClick(List(pane), static_cast<Qt::Key>(key), mods);
    }
    int RowOf(int pane, const QString& name) { return static_cast<int>(RowNames(pane).indexOf(name)); }
    QStringList CheckedNames(int pane)
    {
        QStringList out;
        for (const FileRow& r : window->pane(pane).rows())
            if (r.checked)
                out << r.name;
        out.sort();
        return out;
    }
    QList<bool> Checks(int pane)
    {
        QList<bool> out;
        for (const FileRow& r : window->pane(pane).rows())
            out << r.checked;
        return out;
    }
    void Check(int pane, int row, bool on = true)
    {
        FileListModel& m = window->listModel(pane);
        m.setData(m.index(row, 0), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }
    /// Clicks the pane's filter box; the dialog gets `text` (and the mode) and OK, or Cancel
    /// when `text` is empty. Returns the combo box's entries as the dialog showed them.
    QStringList Filter(int pane, const QString& text, bool wildcard = true)
    {
        QStringList shown;
        QCheckBox* box = Find<QCheckBox>(QStringLiteral("ChkFilter%1").arg(pane));
        box->setChecked(false);
        WhenShown([&](QWidget* dialog) {
            EXPECT_EQ(dialog->objectName(), "FormFilter");
            auto* combo = dialog->findChild<QComboBox*>("ComboFilter");
            dialog->findChild<QRadioButton*>(wildcard ? "OptMode0" : "OptMode1")->click();
            for (int k = 0; k < combo->count(); ++k)
                shown << combo->itemText(k);
            Shot(dialog, "formfilter");
            if (text.isEmpty()) {
                dialog->findChild<QPushButton*>("ComCancel")->click();
                return;
            }
            combo->setEditText(text);
            dialog->findChild<QPushButton*>("ComOK")->click();
        });
        box->click();
        return shown;
    }
    /// Saves the active pane's list through the toolbar's "Save".
    QByteArray SaveList(const QString& name)
    {
        const QString path = dir.filePath(name);
        prompter.answerText(path);
        window->RunCommand("Save");
        return ReadBytes(path);
    }
    void OpenList(int pane, const QString& path)
    {
        window->SetActivePane(pane);
        prompter.answerText(path);
        window->RunCommand("Open");
    }
};

} // namespace

TEST_F(ListsTest, FilterDialogKeepsItsHistoryAndCancelTurnsTheBoxOff)
{
    for (const char* name : {"apple.txt", "avocado.txt", "banana.txt", "cherry.lrc", "a.txt.kra"})
        Touch(name);
    FormMain& w = Open();
    QCheckBox* box = Find<QCheckBox>("ChkFilter0");
    ASSERT_TRUE(box->isEnabled());

    // Confirmed texts go to the front of their mode's history, without duplicates.
    EXPECT_EQ(Filter(0, "b*"), QStringList());
    EXPECT_EQ(Filter(0, "a*"), QStringList({"b*"}));
    EXPECT_EQ(Filter(0, "c*"), QStringList({"a*", "b*"}));
    EXPECT_EQ(Filter(0, "a*"), QStringList({"c*", "a*", "b*"}));
    EXPECT_EQ(Filter(0, "ERR", false), QStringList()); // the partial-match history is its own
    EXPECT_EQ(store.text("Filter", "String0-0", {}), "a*");
    EXPECT_EQ(store.text("Filter", "String0-1", {}), "c*");
    EXPECT_EQ(store.text("Filter", "String1-0", {}), "ERR");

    // Cancel turns the box off again; the next scan lists the folder whole.
    EXPECT_EQ(Filter(0, {}), QStringList({"a*", "c*", "b*"}));
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(w.pane(0).filterOn);
    ListFiles(0);
    EXPECT_EQ(RowNames(0).size(), 5);

    // Confirmed while the files are listed, the filter narrows the list at once (base
    // names only: "a.txt.kra" is matched as "a.txt"); the scan applies it too.
    Filter(0, "a*");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(RowNames(0), QStringList({"apple.txt", "avocado.txt", "a.txt.kra"}));
    EXPECT_EQ(Title(0), "(1 / 3) " + folder);
    box->click(); // off: the folder is listed whole again
    EXPECT_EQ(RowNames(0).size(), 5);
    ListFiles(0, false);
    Filter(0, "RR", false); // partial match, case ignored
    ListFiles(0);
    EXPECT_EQ(RowNames(0), QStringList({"cherry.lrc"}));
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(ListsTest, CheckMarkKeysAndSelectClearWorkOnTheListOnly)
{
    const QStringList names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    for (const QString& n : names)
        Touch(n);
    Touch("b.mp3");
    Touch("c.mp3");
    FormMain& w = Open();
    ListFiles(1);
    ListFiles(0);
    ASSERT_EQ(RowNames(0), names);
    ASSERT_TRUE(w.pane(1).row(0).paired());

    Key(0, Qt::Key_A);
    EXPECT_EQ(Checks(0), QList<bool>({true, true, true, true}));
    Key(0, Qt::Key_D);
    EXPECT_EQ(Checks(0), QList<bool>({false, false, false, false}));
    Check(0, 1);
    Key(0, Qt::Key_I);
    EXPECT_EQ(Checks(0), QList<bool>({true, false, true, true}));
    Check(0, 3, false);

    // Delete takes the checked rows off the list, not off the disk; the partner of a
    // removed row loses its mark.
    Key(0, Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(RowNames(0), QStringList({"b.txt", "d.txt"}));
    EXPECT_EQ(Title(0), "(1 / 2) " + folder);
    for (const QString& n : names)
        EXPECT_TRUE(QFileInfo::exists(folder + "/" + n)) << n.toStdString();
    EXPECT_TRUE(w.pane(1).row(0).paired());  // b.mp3
    EXPECT_FALSE(w.pane(1).row(1).paired()); // c.mp3
    EXPECT_EQ(w.currentFile(), folder + "/b.txt");

    // All rows checked: the list empties and the lower area with it.
    Key(0, Qt::Key_A);
    Key(0, Qt::Key_Delete, Qt::NoModifier);
    EXPECT_TRUE(w.pane(0).isEmpty());
    EXPECT_TRUE(w.currentFile().isEmpty());
    EXPECT_FALSE(w.pane(1).row(0).paired());
    EXPECT_EQ(Title(0), folder);
    EXPECT_FALSE(w.commands().isEnabled("SelectAll"));
}

TEST_F(ListsTest, ExtractionPopupAndConditionDialogCheckRows)
{
    for (const char* name : {"Song-01.txt", "song 01.lrc", "my song-01 live.txt", "song-02.txt", "other.txt"})
        Touch(name);
    Touch("song-01.mp3");
    Touch("Other.mp3");
    fake.songs.insert("song-01.mp3", fake.PlainSong());
    FormMain& w = Open();
    ListFiles(1);
    ListFiles(0);
    QMenu* popup = Find<QMenu>("mnSelectSearch");
    Q_EMIT popup->aboutToShow();
    EXPECT_FALSE(Find<QAction>("mnSelectSearchList1")->isEnabled()); // nothing selected on the right
    EXPECT_TRUE(Find<QAction>("mnSelectSearchCondition")->isEnabled());

    // Entry 1 compares the names loosely with the other list's selected row.
    w.SelectRow(1, RowOf(1, "song-01.mp3"));
    w.SelectRow(0, RowOf(0, "other.txt"));
    Q_EMIT popup->aboutToShow();
    for (const char* entry : {"mnSelectSearchList0", "mnSelectSearchList1", "mnSelectSearchList2"})
        EXPECT_TRUE(Find<QAction>(entry)->isEnabled()) << entry;
    Find<QAction>("mnSelectSearchList1")->trigger();
    EXPECT_EQ(CheckedNames(0), QStringList({"Song-01.txt", "my song-01 live.txt", "song 01.lrc"}));
    EXPECT_TRUE(w.pane(0).row(w.pane(0).selectedRow()).checked);
    Key(0, Qt::Key_D);
    Find<QAction>("mnSelectSearchList0")->trigger(); // the same name in the other list
    EXPECT_EQ(CheckedNames(0), QStringList({"Song-01.txt", "other.txt"}));
    Key(0, Qt::Key_D);

    // The condition dialog: "を含む" on the file name, case ignored; earlier checks stay.
    Check(0, RowOf(0, "other.txt"));
    WhenShown([&](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "FormSelectCondition");
        EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), U("左側のリストから、"));
        auto* combo = dialog->findChild<QComboBox*>("Combo1");
        EXPECT_EQ(combo->currentText(), U("ファイル名"));
        EXPECT_EQ(combo->count(), 11);
        dialog->findChild<QLineEdit*>("Text1")->setText("SONG-0");
        dialog->findChild<QRadioButton*>("Option12")->click();
        Shot(dialog, "formselectcondition");
        dialog->findChild<QPushButton*>("ComOK")->click();
    });
    Find<QAction>("mnSelectSearchCondition")->trigger();
    EXPECT_EQ(CheckedNames(0), QStringList({"Song-01.txt", "my song-01 live.txt", "other.txt", "song-02.txt"}));
    EXPECT_TRUE(w.pane(0).row(w.pane(0).selectedRow()).name.contains("ong-0"));
    EXPECT_EQ(Title(0).left(8), "(4 / 5) ");
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(ListsTest, SavedListMatchesTheCommandLineWhateverTheColumnOrder)
{
    // The program's own details reader, as `mwex list save` uses it.
    LibraryDetailsProvider real;
    Touch(U("歌詞.txt"), Sjis("[00:01:00]ラ\r\n@TaggingBy=me\r\n"));
    Touch("plain.lrc", "no tags\r\n");
    Touch("b.kra", "[00:02:00]x[00:03:00]y\r\n");
    {
        engine = std::make_unique<playback::Engine>(playback::SilentOutputFactory());
        FormMainServices s;
        s.engine = engine.get();
        s.settings = &store;
        s.prompter = &prompter;
        s.details = &real;
        s.startFolder = folder;
        s.otherInstanceRunning = [] { return false; };
        s.openOptions = [](FormMain&, int, bool) { return false; };
        window = std::make_unique<FormMain>(std::move(s));
        ASSERT_TRUE(window->StartMainWindow());
    }
    ListFiles(0);
    ASSERT_EQ(window->pane(0).rowCount(), 3);
    const QByteArray saved = SaveList("window.mlf");

    QProcess mwex;
    mwex.start(testsupport::ProgramPath("mwex"),
               {"list", "save", folder, "--mode", "lyrics", "-o", dir.filePath("cli.mlf")});
    ASSERT_TRUE(mwex.waitForFinished(60000));
    ASSERT_EQ(mwex.exitCode(), 0) << mwex.readAllStandardError().toStdString();
    EXPECT_EQ(saved, ReadBytes(dir.filePath("cli.mlf")));
    EXPECT_TRUE(saved.contains("\r\nfilename=" + Sjis("歌詞.txt") + "\r\nsize="));
    EXPECT_TRUE(saved.contains("\r\ntaggingby=me\r\npath="));
    EXPECT_FALSE(saved.contains("\r\nmatch="));

    // Columns moved by the user change nothing in the file.
    QHeaderView* header = List(0)->horizontalHeader();
    header->moveSection(header->visualIndex(10), 0);
    header->moveSection(header->visualIndex(4), 2);
    EXPECT_EQ(SaveList("moved.mlf"), saved);
    EXPECT_TRUE(prompter.prompts()[0].file.confirmOverwrite);
    EXPECT_EQ(prompter.prompts()[0].file.title, U("ファイルリストの保存"));
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(ListsTest, OpenedListTakesItsModeDimsMissingFilesAndIsNotRescanned)
{
    Touch("here.txt");
    Touch("new.txt");
    Touch("tune.mp3");
    const QByteArray path = QFile::encodeName(folder + "/");
    const QByteArray lyricsList = "[Melwick Data File]\r\n\r\n[main]\r\ndata_version=1\r\nmode=lyrics\r\nmax=2\r\n"
                                  "folder=" + Sjis("/アーカイブ/歌詞") + "\r\n\r\n"
                                  "[1]\r\nfilename=here.txt\r\nsize=1 B\r\ntagtype=" + Sjis("行頭") + "\r\nmatch=x\r\npath=" + path
                                  + "\r\ndummy=\r\nchecked=1\r\n\r\n"
                                    "[2]\r\nfilename=gone.txt\r\ntagtype=" + Sjis("ｶﾗｵｹ") + "\r\npath=" + path
                                  + "\r\ndummy=\r\nchecked=0\r\n\r\n";
    WriteBytes(dir.filePath("lyrics.mlf"), lyricsList);
    const QByteArray songList = "[Melwick Data File]\r\n\r\n[main]\r\ndata_version=1\r\nmode=song\r\nmax=2\r\nfolder=/m\r\n\r\n"
                                "[1]\r\nfilename=tune.mp3\r\ntags=R L\r\npath=" + path + "\r\ndummy=\r\nchecked=0\r\n\r\n"
                                "[2]\r\nfilename=here.mp3\r\ntags=E\r\npath=" + path + "\r\ndummy=\r\nchecked=0\r\n\r\n";
    WriteBytes(dir.filePath("songs.mlf"), songList);
    WriteBytes(dir.filePath("not.mlf"), "[Something Else]\r\n");
    FormMain& w = Open();
    ListFiles(0);
    ASSERT_EQ(RowNames(0), QStringList({"here.txt", "new.txt"}));

    // Not a data file: a message, and the list stays as it was.
    OpenList(0, dir.filePath("not.mlf"));
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].startsWith(U("ファイルの読み込みに失敗しました。\n"))); // and why
    EXPECT_EQ(RowNames(0), QStringList({"here.txt", "new.txt"}));

    // A lyrics list into the song-mode right pane, still showing its folders.
    ASSERT_FALSE(w.pane(1).isLyricsMode());
    OpenList(1, dir.filePath("lyrics.mlf"));
    EXPECT_EQ(prompter.prompts().back().file.title, U("ファイルリストを開く"));
    EXPECT_TRUE(w.pane(1).isLyricsMode());
    EXPECT_TRUE(Find<QAbstractButton>("OptFileTypeRight0")->isChecked());
    EXPECT_FALSE(Find<QWidget>("OptFileTypeRight0")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("FrameFile1")->isVisible());
    EXPECT_EQ(RowNames(1), QStringList({"here.txt", "gone.txt"}));
    FileListModel& m = w.listModel(1);
    EXPECT_EQ(m.data(m.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(m.data(m.index(0, 0), FileListModel::DimmedRole).toBool());
    EXPECT_TRUE(m.data(m.index(1, 0), FileListModel::DimmedRole).toBool()); // gone.txt
    EXPECT_EQ(w.pane(1).row(1).icon, icons::kLyricsKaraoke);
    // "match=x" is ignored; the mark comes from the left pane's own here.txt.
    EXPECT_EQ(m.data(m.index(0, m.columnOfKey("match")), Qt::DisplayRole).toString(), PairMark());
    EXPECT_EQ(Title(1), U("(1 / 2) /アーカイブ/歌詞"));
    Shot(w.findChild<QWidget*>("FramePane1"), "loadedpane");

    // Clicking rows keeps the data file's folder as the title; ReSearch and Ctrl+R do nothing.
    w.ShowRow(1, 1);
    EXPECT_EQ(Title(1), U("(2 / 2) /アーカイブ/歌詞"));
    EXPECT_FALSE(w.commands().isEnabled("ReSearch"));
    Key(1, Qt::Key_R);
    w.RunCommand("ReSearch");
    EXPECT_EQ(RowNames(1), QStringList({"here.txt", "gone.txt"}));
    EXPECT_EQ(Title(1), U("(2 / 2) /アーカイブ/歌詞"));

    // A song list into the lyrics-mode left pane: icons from the texts, "E" rows dimmed.
    OpenList(0, dir.filePath("songs.mlf"));
    EXPECT_FALSE(w.pane(0).isLyricsMode());
    EXPECT_EQ(w.pane(0).row(0).icon, 6);
    EXPECT_EQ(w.pane(0).row(1).icon, 0);
    EXPECT_TRUE(w.listModel(0).data(w.listModel(0).index(1, 0), FileListModel::DimmedRole).toBool());
    EXPECT_TRUE(w.pane(1).row(0).paired());  // here.txt pairs with here.mp3 ...
    EXPECT_FALSE(w.pane(0).row(1).paired()); // ... which, unread (icon 0), is not marked itself
    EXPECT_EQ(prompter.messages().size(), 1);

    // Back to the folders and to the files: the folder is scanned again.
    ListFiles(1, false);
    ListFiles(1);
    EXPECT_EQ(RowNames(1), QStringList({"here.txt", "new.txt"}));
    EXPECT_TRUE(w.commands().isEnabled("ReSearch"));
}

TEST_F(ListsTest, PlaylistOfTheCheckedRowsFromTheRightClickMenu)
{
    Touch("sub/one.mp3");
    Touch(U("二.mp3"));
    Touch("three.mp3");
    FormMain& w = Open();
    Find<QCheckBox>("ChkSubFolder1")->click();
    ListFiles(1);
    ASSERT_EQ(RowNames(1), QStringList({"three.mp3", U("二.mp3"), "one.mp3"}));
    Check(1, 0);
    Check(1, 2);
    Check(1, 1);
    w.SelectRow(1, 2);
    const QString m3u8 = dir.filePath("list.m3u8");
    WriteBytes(m3u8, QByteArray(4000, 'z')); // an older, longer playlist
    prompter.answerText(m3u8);
    w.RunRightClickEntry(3);
    EXPECT_EQ(ReadBytes(m3u8), (folder + "/three.mp3\r\n" + folder + U("/二.mp3\r\n") + folder + "/sub/one.mp3\r\n").toUtf8());
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].file.folder, folder + "/sub");
    EXPECT_EQ(prompter.prompts()[0].file.title, U("プレイリスト保存"));

    // Plain ".m3u" is CP932, as the old players read it.
    const QString m3u = dir.filePath("list.m3u");
    prompter.answerText(m3u);
    w.RunRightClickEntry(3);
    EXPECT_EQ(ReadBytes(m3u), QFile::encodeName(folder) + "/three.mp3\r\n" + QFile::encodeName(folder) + "/" + Sjis("二.mp3")
                                  + "\r\n" + QFile::encodeName(folder) + "/sub/one.mp3\r\n");
    // Nothing checked: no dialog at all.
    Key(1, Qt::Key_D);
    w.RunRightClickEntry(3);
    EXPECT_EQ(prompter.prompts().size(), 2u);
}
