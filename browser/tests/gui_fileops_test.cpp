// The window's file operations (copy, move, delete, renames) and quick-access folders.
#include "browser/tests/guifixture.h"

#include "browser/fileops/tests/faketrash.h"
#include "browser/gui/fileops/fileoperations.h"
#include "browser/gui/fileops/formaskcopy.h"
#include "browser/gui/fileops/formselectfolder.h"
#include "browser/gui/fileops/operationprogress.h"
#include "browser/gui/quickaccess/formquicklistedit.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

using namespace browser;
using browser::fakes::WindowTest;

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Saves a picture of a window when MWEX_SHOT_DIR names a folder (to look at the dialogs).
void Shot(QWidget* w, const char* name)
{
    const QString dir = qEnvironmentVariable("MWEX_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w->grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png"));
}

class FileOpsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        Touch("a.txt", "[00:01:00]a");
        Touch("b.txt", "bee");
        Touch("c.txt", "sea");
        LyricsDetails karaoke;
        karaoke.tagKind = 2;
        fake.lyrics.insert("a.txt", karaoke);
        trash = std::make_unique<fileops::fakes::FakeTrash>(folder + "/.trash"); // hidden: never listed
    }
    FileOperations& Start()
    {
        Open();
        window->show();
        ListFiles(0);
        FileOperations& ops = window->fileOperations();
        ops.operation().setTrash(trash.get());
        ops.progressDelayMs = 0;
        return ops;
    }
    void Check(int pane, int row, bool on = true)
    {
        window->pane(pane).updateRow(row, [on](FileRow& r) { r.checked = on; });
    }
    QString Path(const char* relative) const { return folder + QLatin1Char('/') + QString::fromUtf8(relative); }

    std::unique_ptr<fileops::fakes::FakeTrash> trash;
};

} // namespace

TEST_F(FileOpsTest, DeleteAsksExactlyHonoursTheModeAndReportsWhatTheTrashRefused)
{
    Start();
    ASSERT_EQ(RowNames(0), QStringList({"a.txt", "b.txt", "c.txt"}));
    Check(0, 0);
    Check(0, 1);
    window->SelectRow(0, 2);
    window->SetActivePane(0);

    // Direct mode: cancelling the question changes nothing, and the current row's check
    // mark (taken for the operation) is off again.
    Find<QAction>("Direct")->trigger();
    prompter.answer(Answer::Cancel);
    window->RunCommand("Delete");
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].text, QString::fromUtf8("選択された3個のファイルを削除しますか?"));
    EXPECT_EQ(prompter.prompts()[0].icon, MessageIcon::Question);
    EXPECT_EQ(prompter.prompts()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(RowNames(0).size(), 3);
    EXPECT_FALSE(window->pane(0).row(2).checked);

    // Confirmed: the files are gone for good, nothing reached the trash, the rows left.
    prompter.answer(Answer::Ok);
    window->RunCommand("Delete");
    EXPECT_FALSE(QFile::exists(Path("a.txt")) || QFile::exists(Path("b.txt")) || QFile::exists(Path("c.txt")));
    EXPECT_TRUE(trash->trashed.isEmpty());
    EXPECT_TRUE(RowNames(0).isEmpty());
    EXPECT_EQ(Find<QLabel>("lblTitle0")->text(), folder);

    // Trash mode: a refused file stays on disk and in the list, and is reported once.
    Touch("d.txt");
    Touch("e.txt");
    window->RunCommand("ReSearch");
    ASSERT_EQ(RowNames(0), QStringList({"d.txt", "e.txt"}));
    Find<QAction>("DustBox")->trigger();
    trash->refuse << Path("e.txt");
    Check(0, 1);
    window->SelectRow(0, 0);
    prompter.clear();
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Ok);
    window->RunCommand("Delete");
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_EQ(prompter.prompts()[0].text, QString::fromUtf8("選択された2個のファイルをごみ箱に移動しますか?"));
    EXPECT_EQ(trash->trashed, QStringList({Path("d.txt")}));
    EXPECT_TRUE(QFile::exists(Path("e.txt")));
    EXPECT_EQ(RowNames(0), QStringList({"e.txt"}));
    EXPECT_TRUE(prompter.prompts()[1].text.contains(Path("e.txt")));
    EXPECT_EQ(prompter.prompts()[1].icon, MessageIcon::Warning);
    EXPECT_TRUE(window->pane(0).row(0).checked); // it was checked before, and stays so
    EXPECT_EQ(window->pane(0).selectedRow(), 0);
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(FileOpsTest, CopyLeavesOutItsOwnFolderAndCopiesAllButTheRefusedTarget)
{
    FileOperations& ops = Start();
    Touch("dest/a.txt", "old a");
    Touch("dest/b.txt", "old b");
    Touch("dest/c.txt", "old c");
    LyricsDetails lineHead;
    lineHead.tagKind = 1;
    fake.lyrics.insert("b.txt", lineHead);
    QString destination = folder;
    std::vector<fileops::OverwriteQuestion> asked;
    SelectFolderRequest request;
    ops.chooseDestination = [&](const SelectFolderRequest& r) {
        request = r;
        return std::optional<QString>(destination);
    };
    ops.askOverwrite = [&](fileops::OverwriteQuestion& q) {
        asked.push_back(q);
        return !q.sourcePath.endsWith("b.txt");
    };
    for (int row = 0; row < 3; ++row)
        Check(0, row);
    window->SelectRow(0, 0);

    // Into the sources' own folder: nothing is asked and nothing changes.
    window->RunCommand("Copy");
    EXPECT_FALSE(request.move);
    EXPECT_EQ(request.startFolder, folder);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(Bytes(Path("a.txt")), "[00:01:00]a");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 3);

    // Into a folder holding all three: "b.txt" is refused at the question.
    destination = Path("dest");
    window->RunCommand("Copy");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].message, QString::fromUtf8("同名ファイルが存在しています。"));
    EXPECT_EQ(asked[0].sourceTagKind, QString::fromUtf8("カラオケタグ"));
    EXPECT_EQ(asked[1].sourceTagKind, QString::fromUtf8("行頭タグ"));
    EXPECT_EQ(asked[2].destinationTagKind, QString::fromUtf8("タグなし"));
    EXPECT_EQ(asked[0].destinationPath, Path("dest/a.txt"));
    EXPECT_FALSE(asked[0].move);
    EXPECT_EQ(Bytes(Path("dest/a.txt")), "[00:01:00]a");
    EXPECT_EQ(Bytes(Path("dest/b.txt")), "old b");
    EXPECT_EQ(Bytes(Path("dest/c.txt")), "sea");
    EXPECT_EQ(QDir(Path("dest")).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary left
    EXPECT_EQ(RowNames(0), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_TRUE(prompter.prompts().empty());

    // The question's dialog shows both files and answers by its buttons.
    fileops::OverwriteQuestion q = asked[1];
    q.move = true;
    FormAskCopy dialog(q);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ファイルの移動"));
    EXPECT_EQ(dialog.findChild<QLabel*>("lbl10")->text(), QString::fromUtf8("移動元ファイル"));
    EXPECT_EQ(dialog.findChild<QLabel*>("lblFileName1")->text(), Path("dest/b.txt"));
    EXPECT_EQ(dialog.findChild<QLabel*>("lblState0")->text(), QString::fromUtf8("行頭タグ"));
    dialog.show();
    Shot(&dialog, "FormAskCopy");
    dialog.findChild<QPushButton*>("ComOK")->click();
    EXPECT_TRUE(q.answer);
}

TEST_F(FileOpsTest, ARefusedMoveKeepsItsRowAndTheCurrentRowsCheck)
{
    FileOperations& ops = Start();
    Touch("dest/b.txt", "old b");
    ops.chooseDestination = [&](const SelectFolderRequest& r) {
        EXPECT_TRUE(r.move);
        return std::optional<QString>(Path("dest"));
    };
    ops.askOverwrite = [](fileops::OverwriteQuestion& q) {
        EXPECT_TRUE(q.move);
        return false;
    };
    Check(0, 0);
    window->SelectRow(0, 1); // b.txt: current, not checked
    window->RunCommand("Move");
    EXPECT_EQ(RowNames(0), QStringList({"b.txt", "c.txt"}));
    EXPECT_FALSE(QFile::exists(Path("a.txt")));
    EXPECT_EQ(Bytes(Path("dest/a.txt")), "[00:01:00]a");
    EXPECT_EQ(Bytes(Path("b.txt")), "bee");
    EXPECT_EQ(Bytes(Path("dest/b.txt")), "old b");
    EXPECT_FALSE(window->pane(0).row(0).checked);
    EXPECT_EQ(window->pane(0).selectedRow(), 0);
    EXPECT_EQ(Find<QLabel>("lblTitle0")->text(), "(1 / 2) " + folder);
}

TEST_F(FileOpsTest, RenamesAskExactlyAndRefuseWhatTheyMust)
{
    Touch("Song.mp3");
    Touch("other.mp3");
    FileOperations& ops = Start();
    ListFiles(1);
    window->SelectRow(0, 0);
    window->SetActivePane(0);

    // By hand: the typed text is the whole new base; the question is exact.
    prompter.answerText(QStringLiteral("b.lrc"));
    prompter.answer(Answer::Ok);
    window->RunCommand("RenameManual");
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_EQ(prompter.prompts()[0].text, QString::fromUtf8("新しい名前(拡張子を除く)を入力してください。"));
    EXPECT_EQ(prompter.prompts()[1].text,
              QString::fromUtf8("a.txt　　を、\n\nb.lrc.txt　　に\n\nリネームします。よろしいですか？"));
    EXPECT_EQ(Bytes(Path("b.lrc.txt")), "[00:01:00]a");
    EXPECT_EQ(window->pane(0).row(0).name, "b.lrc.txt");

    // A path is not a name; an existing target is refused and untouched.
    prompter.clear();
    prompter.answerText(QStringLiteral("../x"));
    prompter.answer(Answer::Ok);
    prompter.answerText(QStringLiteral("c"));
    prompter.answer(Answer::Ok);
    window->RunCommand("RenameManual");
    window->RunCommand("RenameManual");
    ASSERT_EQ(prompter.messages().size(), 2); // input boxes are not messages
    EXPECT_EQ(prompter.prompts()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(prompter.messages()[1], QString::fromUtf8("同名ファイルが存在するためリネームできません。"));
    EXPECT_EQ(Bytes(Path("c.txt")), "sea");
    EXPECT_TRUE(QFile::exists(Path("b.lrc.txt")));

    // To the partner's name: a case-only difference is the same name.
    prompter.clear();
    prompter.answer(Answer::Ok);
    ops.RenameRow(QStringLiteral("song.txt"), window->pane(1).rows().front().name == "Song.mp3" ? 0 : 1, 1);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_EQ(prompter.messages()[0], QString::fromUtf8("すでに同じファイル名です。"));
    EXPECT_EQ(prompter.prompts()[0].icon, MessageIcon::Information);

    // "RenameLtoR": the right pane's current file takes the left one's base.
    prompter.clear();
    window->SelectRow(0, 2);                                       // c.txt
    window->SelectRow(1, RowNames(1).indexOf("other.mp3"));
    prompter.answer(Answer::Ok);
    window->RunCommand("RenameLtoR");
    EXPECT_TRUE(QFile::exists(Path("c.mp3")));
    EXPECT_TRUE(RowNames(1).contains("c.mp3"));
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(FileOpsTest, QuickAccessAddsOnceRoundTripsAmpersandsAndHidesItsSeparatorWhenEmptied)
{
    QDir().mkpath(Path("A&B"));
    QDir().mkpath(Path("gone"));
    Open();
    window->show();
    QuickAccessMenu& quick = window->quickAccess();
    window->SetActivePane(0);
    window->ShowFolder(0, Path("A&B"));
    ASSERT_EQ(window->paneFolder(0), Path("A&B"));
    quick.AddCurrentFolder();
    quick.AddCurrentFolder();
    window->ShowFolder(0, Path("gone"));
    quick.AddCurrentFolder();
    EXPECT_EQ(quick.folders(), QStringList({Path("A&B"), Path("gone")}));
    QAction* first = Find<QAction>("mnQuickList1");
    EXPECT_EQ(first->text(), QString(Path("A&B")).replace("&", "&&"));
    EXPECT_TRUE(Find<QAction>("z_mnQuickSep")->isVisible());

    // An entry leads the pane to its folder; a folder that is gone leaves it in place.
    window->ShowFolder(0, folder);
    first->trigger();
    EXPECT_EQ(window->paneFolder(0), Path("A&B"));
    QDir(Path("gone")).removeRecursively();
    Find<QAction>("mnQuickList2")->trigger();
    EXPECT_EQ(window->paneFolder(0), Path("A&B"));
    quick.Prepare(1);
    EXPECT_EQ(Find<QAction>("mnQuickSame")->text(), QString::fromUtf8("左と同じフォルダを選択"));

    // F7 in the folder view opens the pop-up.
    QMenu* shown = nullptr;
    WhenShown([&](QWidget* w) {
        shown = qobject_cast<QMenu*>(w);
        w->close();
    });
    window->SetActivePane(0);
    QTest::keyClick(window->findChild<QTreeView*>("FTV0"), Qt::Key_F7);
    EXPECT_EQ(shown, quick.menu());

    // The destination dialog offers the same folders in the same order.
    SelectFolderRequest request;
    request.startFolder = folder;
    request.quickFolders = quick.folders();
    request.otherPaneFolder = Path("A&B");
    FormSelectFolder select(request, store, prompter);
    EXPECT_EQ(select.windowTitle(), QString::fromUtf8("コピー先のフォルダの選択"));
    EXPECT_EQ(select.findChild<QAction*>("mnQuickList1")->data().toString(), Path("A&B"));
    select.findChild<QAction*>("mnInverse")->trigger();
    EXPECT_EQ(select.currentFolder(), Path("A&B"));
    select.show();
    QTest::qWait(50);
    Shot(&select, "FormSelectFolder");
    select.findChild<QPushButton*>("ComOK")->click();
    EXPECT_FALSE(select.cancelled());
    EXPECT_FALSE(store.text("SelectFolder", "Width", {}).isEmpty());

    // Exit writes the path itself, with its one "&".
    Close();
    EXPECT_EQ(store.text("Init", "QuickListMax", {}), "2");
    EXPECT_EQ(store.text("Init", "QuickList1", {}), Path("A&B"));

    // The editor: deleting every row and confirming empties the list and hides the separator.
    Open();
    window->show();
    QuickAccessMenu& again = window->quickAccess();
    EXPECT_EQ(again.folders(), QStringList({Path("A&B"), Path("gone")}));
    WhenShown([&](QWidget* w) {
        auto* list = w->findChild<QListWidget*>("List1");
        Shot(w, "FormQuickListEdit");
        list->setCurrentRow(1);
        w->findChild<QPushButton*>("ComUp")->click();
        EXPECT_EQ(list->item(0)->text(), Path("gone"));
        EXPECT_EQ(list->currentRow(), 0);
        w->findChild<QPushButton*>("ComDel")->click();
        EXPECT_EQ(list->currentRow(), 0); // the new first row
        w->findChild<QPushButton*>("ComDel")->click();
        EXPECT_EQ(list->count(), 0);
        w->findChild<QPushButton*>("ComOK")->click();
    });
    again.Edit();
    EXPECT_TRUE(again.folders().isEmpty());
    EXPECT_FALSE(Find<QAction>("z_mnQuickSep")->isVisible());
    EXPECT_FALSE(Find<QAction>("mnQuickEdit")->isEnabled());
    EXPECT_EQ(window->findChild<QAction*>("mnQuickList1"), nullptr);
}

TEST_F(FileOpsTest, TheProgressWindowShowsLongWorkAndItsCancelLeavesNothingHalfDone)
{
    // A copy held at its first file: the window appears, stays responsive, and its
    // cancel stops the work without a partial file.
    Touch("big.bin", QByteArray(4 << 20, 'x'));
    QDir().mkpath(Path("dest"));
    fileops::clsFileOperation op;
    op.setShowDialog(true);
    std::atomic<bool> release{false};
    op.setFaultInjector([&](fileops::clsFileOperation::Step step, const QString&) {
        while (step == fileops::clsFileOperation::Step::Write && !release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return true;
    });
    const fileops::TransferPlan plan = op.PlanCopy({Path("big.bin")}, Path("dest"));
    OperationProgress* seen = nullptr;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    WhenShown([&](QWidget* w) {
        seen = qobject_cast<OperationProgress*>(w);
        QTimer::singleShot(100, w, [w, &release] {
            Shot(w, "OperationProgress");
            w->findChild<QPushButton*>("ComCancel")->click();
            release.store(true);
        });
    });
    const fileops::OperationResult result = OperationProgress::Run(op, plan, nullptr, 50);
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(result.cancelled);
    EXPECT_GT(ticks, 5); // the window thread kept running its timers
    EXPECT_TRUE(QDir(Path("dest")).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());
    EXPECT_EQ(Bytes(Path("big.bin")).size(), 4 << 20);
}
