// The installer's windows driven as a user drives them, in a temporary home: the page
// sequence, the end and abort rules, the error-details page, the uninstall page's boxes,
// and the restart question after the windows have gone.
#include "installer/gui/frmback.h"
#include "installer/gui/frmmain.h"
#include "installer/gui/frmstatus.h"
#include "installer/gui/look.h"
#include "installer/registry.h"
#include "installer/operations.h"
#include "installer/session.h"
#include "installer/tests/guitestkit.h"
#include "testing/testsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

using namespace installer;
using namespace guitest;
using namespace installertest;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

class Flow : public WindowsTest {
protected:
    /// A definition of two plain files; `extend` and `copy` add lines to [Extend] and
    /// [CopyFile], `extra` adds sections.
    void WriteSimpleDefinition(const QString& extra = {}, const QString& extend = {}, const QString& copy = {})
    {
        m.writeDefinition("[Title]\nSetup=ツール\nProgram=ツール 1.0\n[Extend]\nSetupSpeed=1\n" + extend
                          + "[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\one.txt\nFile2=(App)\\two.txt\n" + copy
                          + extra);
        m.writeMedia("one.txt", "one");
        m.writeMedia("two.txt", "two");
    }
    QString App() const { return m.programFiles() + "Tool/"; }

    /// Records the page and buttons whenever the test clicks.
    QString Buttons() const { return EventButton()->text() + " | " + EndButton()->text(); }

    TfrmStatus* Status() const { return windows->frmStatus(); }
};

} // namespace

TEST_F(Flow, WithoutOptionalPagesWelcomeLeadsToTheMainPageAndStartInstalls)
{
    WriteSimpleDefinition();
    Start();
    ASSERT_TRUE(Main()->isVisible());
    EXPECT_FALSE(windows->frmBack()->isEnabled());
    EXPECT_EQ(VisiblePage(), "fraTitle");
    EXPECT_EQ(Buttons(), U8("インストール続行(&C) | インストール終了(&E)"));
    EXPECT_EQ(Main()->focusWidget(), EventButton());
    EXPECT_EQ(Control<QLabel>(Main(), "lblTitleKind")->text(), U8("汎用32Bitインストーラ"));
    EXPECT_EQ(Control<QLabel>(Main(), "lblTitleProduct")->text(), "Tovel! Setup 200x");
    EXPECT_EQ(Control<QLabel>(Main(), "lblTitleMessage")->text(),
              U8("　ツール 1.0 インストールプログラムへようこそ．このインストールプログラムは，あなたのコンピュータに ツール 1.0 "
                 "をインストールします．\n\n　インストールを開始する前に，必ず，すべてのWindowsプログラムを終了させてください．"
                 "\n\n　「インストール終了(E)」を選択すると，インストールを行わずにインストールプログラムを終了します．"
                 "インストールを続行する場合は，「インストール続行(C)」を選択してください．"));

    // Leaving the welcome page hides the window for a second.
    pacer->waits.clear();
    Click(EventButton());
    EXPECT_EQ(pacer->waits, std::vector<int>{1000});
    EXPECT_TRUE(Main()->isVisible());
    EXPECT_EQ(VisiblePage(), "main");
    EXPECT_EQ(Buttons(), U8("インストール開始(&S) | インストール終了(&E)"));
    EXPECT_EQ(Control<QGroupBox>(Main(), "grpSetupFolder")->title(), U8("インストールフォルダ"));
    EXPECT_EQ(Control<QGroupBox>(Main(), "grpOption")->title(), U8("インストールオプション"));
    EXPECT_EQ(Control<QLabel>(Main(), "lblMessage")->text(), U8("インストールを行います．\n"));
    EXPECT_EQ(Control<QLineEdit>(Main(), "txtFolder")->text(), App());
    EXPECT_TRUE(Control<QCheckBox>(Main(), "chkOverWrite")->isChecked());
    EXPECT_FALSE(windows->hasEnded());
    EXPECT_TRUE(QFileInfo(m.tmp() + "TSTMP1/SETUP.INI").isFile());

    // The progress window is alive while the pass runs: texts and counter repaint.
    QStringList seenStatus, seenCounter;
    bool mainHiddenWhileCopying = true;
    pacer->onIdle = [&] {
        if (!Status()->isVisible())
            return;
        const QString text = Status()->lblMessage->text();
        if (!text.isEmpty() && (seenStatus.isEmpty() || seenStatus.last() != text))
            seenStatus << text;
        const QString counter = Status()->lblStatus->text();
        if (Status()->fraStatus->isVisible() && (seenCounter.isEmpty() || seenCounter.last() != counter))
            seenCounter << counter;
        mainHiddenWhileCopying = mainHiddenWhileCopying && !Main()->isVisible();
    };
    Click(EventButton());
    EXPECT_EQ(ReadBytes(App() + "one.txt"), "one");
    EXPECT_EQ(ReadBytes(App() + "two.txt"), "two");
    EXPECT_TRUE(QFileInfo(App() + "UNSETUP.INI").isFile());
    EXPECT_TRUE(mainHiddenWhileCopying);
    ASSERT_FALSE(seenStatus.isEmpty());
    EXPECT_EQ(seenStatus.first(), U8("インストールを開始します．．．"));
    EXPECT_TRUE(seenStatus.contains(U8("ファイルをコピーしています．．．\nCopying -> ") + App() + "one.txt"));
    EXPECT_EQ(seenStatus.last(), U8("インストールが完了しました．"));
    EXPECT_EQ(seenCounter, (QStringList{"0%(0/0)", "50%(1/2)", "100%(2/2)"}));
    EXPECT_EQ(Status()->prgStatus->value(), 100);

    ASSERT_EQ(prompter->askedWith(Prompt::InstallCompleted).size(), 1u);
    EXPECT_EQ(prompter->askedWith(Prompt::InstallCompleted)[0].text,
              U8("インストールが完了しました．\n\nプログラムのアンインストールは，\n「アプリケーションの追加と削除」から行ってください．"));
    EXPECT_FALSE(prompter->wasAsked(Prompt::ConfirmEnd));
    // The pass closed every window and the program ended.
    EXPECT_FALSE(Main()->isVisible());
    EXPECT_FALSE(Status()->isVisible());
    EXPECT_FALSE(windows->frmBack()->isVisible());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 0);
    EXPECT_TRUE(WorkFolders().isEmpty());
    EXPECT_EQ(m.rebooter->requests, 0);
}

TEST_F(Flow, LicenceReadmeAndTypePagesComeInOrderAndTheChosenTypeIsInstalled)
{
    WriteSimpleDefinition("[EULA]\nFile=\\licence.txt\nScrollBars=ssBoth\n[Readme]\nFile=readme.txt\nTitle=お読みください\n"
                          "[SelectType]\nVisible=True\nType1=標準\nType2=最小\n",
                          {}, "File2_2=(App)\\small.txt\n");
    m.writeMedia("licence.txt", Sjis("第1条　使用許諾\r\n"));
    m.writeMedia("readme.txt", Sjis("お読みください\r\n"));
    m.writeMedia("small.txt", "small");
    Start();
    EXPECT_EQ(VisiblePage(), "fraTitle");
    Click(EventButton());

    EXPECT_EQ(VisiblePage(), "fraReadme");
    auto* memo = Control<QPlainTextEdit>(Main(), "txtReadme");
    EXPECT_EQ(Control<QGroupBox>(Main(), "fraReadme")->title(), U8("使用許諾契約書"));
    EXPECT_EQ(Buttons(), U8("同意する(&A) | 同意しない(&N)"));
    EXPECT_EQ(memo->toPlainText(), U8("第1条　使用許諾\n"));
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(192, 192, 192));
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    Click(EventButton());

    EXPECT_EQ(VisiblePage(), "fraReadme");
    EXPECT_EQ(Control<QGroupBox>(Main(), "fraReadme")->title(), U8("お読みください"));
    EXPECT_EQ(Buttons(), U8("インストール続行(&C) | インストール終了(&E)"));
    EXPECT_EQ(memo->toPlainText(), U8("お読みください\n"));
    EXPECT_NE(memo->palette().color(QPalette::Base), QColor(192, 192, 192));
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    Click(EventButton());

    EXPECT_EQ(VisiblePage(), "fraSelectType");
    EXPECT_EQ(Control<QLabel>(Main(), "lblSelectTypeMsg")->text(),
              U8("　インストールタイプ(インストールするファイルの種類)を決定してください．決定しましたら「インストール続行(C)」を選択してください．"));
    EXPECT_EQ(Control<QLabel>(Main(), "lblTypeKind")->text(), U8("汎用32Bitセットアッププログラム"));
    auto* type1 = Control<QRadioButton>(Main(), "optSelectType1");
    auto* type2 = Control<QRadioButton>(Main(), "optSelectType2");
    EXPECT_EQ(type1->text(), U8("標準"));
    EXPECT_EQ(type2->text(), U8("最小"));
    EXPECT_TRUE(type1->isChecked());
    EXPECT_EQ(Buttons(), U8("インストール続行(&C) | インストール終了(&E)"));
    Click(type2);
    Click(EventButton());

    EXPECT_EQ(VisiblePage(), "main");
    EXPECT_EQ(Buttons(), U8("インストール開始(&S) | インストール終了(&E)"));
    Click(EventButton());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(ReadBytes(App() + "one.txt"), "one");
    EXPECT_EQ(ReadBytes(App() + "small.txt"), "small"); // File2_2 replaced File2
    EXPECT_FALSE(QFile::exists(App() + "two.txt"));
}

TEST_F(Flow, NamedButMissingLicenceIsSkippedAndUnknownScrollBarsKeepTheVerticalOne)
{
    WriteSimpleDefinition("[EULA]\nFile=missing.txt\n[Readme]\nFile=readme.txt\nScrollBars=Both\n");
    m.writeMedia("readme.txt", "read me");
    Start();
    Click(EventButton());
    EXPECT_EQ(VisiblePage(), "fraReadme");
    EXPECT_EQ(Buttons(), U8("インストール続行(&C) | インストール終了(&E)"));
    auto* memo = Control<QPlainTextEdit>(Main(), "txtReadme");
    EXPECT_EQ(memo->toPlainText(), "read me");
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    Click(EventButton());
    EXPECT_EQ(VisiblePage(), "main"); // no type page
}

TEST_F(Flow, DecliningTheLicenceEndsWithoutAQuestionAndInstallsNothing)
{
    WriteSimpleDefinition("[EULA]\nFile=licence.txt\n");
    m.writeMedia("licence.txt", "terms");
    Start();
    Click(EventButton());
    ASSERT_EQ(EndButton()->text(), U8("同意しない(&N)"));
    Click(EndButton());
    EXPECT_TRUE(prompter->asked.empty());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 2);
    EXPECT_FALSE(windows->frmBack()->isVisible());
    EXPECT_FALSE(QFile::exists(App()));
    EXPECT_TRUE(WorkFolders().isEmpty());
}

TEST_F(Flow, EndingBeforeTheInstallationAsksForConfirmation)
{
    WriteSimpleDefinition();
    Start();
    prompter->answers[Prompt::ConfirmEnd] = {Answer::No, Answer::Yes};
    Click(EndButton());
    ASSERT_EQ(prompter->askedWith(Prompt::ConfirmEnd).size(), 1u);
    const Message asked = prompter->askedWith(Prompt::ConfirmEnd)[0];
    EXPECT_EQ(asked.title, U8("終了確認"));
    EXPECT_EQ(asked.text, U8("インストール/アンインストールは終了していません．\n終了してもよろしいですか？"));
    EXPECT_EQ(asked.buttons, Buttons::YesNo);
    EXPECT_EQ(asked.icon, Icon::Question);
    EXPECT_EQ(prompter->owners.back(), Main());
    EXPECT_TRUE(Main()->isVisible());
    EXPECT_FALSE(windows->hasEnded());
    EXPECT_FALSE(WorkFolders().isEmpty());

    // Escape is the same as the end button; this time the answer is yes.
    Click(EventButton());
    EXPECT_EQ(VisiblePage(), "main");
    Main()->reject();
    EXPECT_EQ(prompter->askedWith(Prompt::ConfirmEnd).size(), 2u);
    EXPECT_TRUE(windows->frmBack()->isEnabled());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 2);
    EXPECT_TRUE(WorkFolders().isEmpty());
    EXPECT_FALSE(QFile::exists(App()));
}

TEST_F(Flow, EarlierVersionWarningComesWithTheWelcomePage)
{
    WriteSimpleDefinition("[Caution]\nUnInstallCheck=\\old.exe\n");
    QDir().mkpath(App());
    WriteBytes(App() + "old.exe", "old");
    QString pageWhenWarned;
    prompter->onAsk = [&](const Message&) { pageWhenWarned = VisiblePage(); };
    Start();
    ASSERT_EQ(prompter->askedWith(Prompt::UninstallFirst).size(), 1u);
    const Message warning = prompter->askedWith(Prompt::UninstallFirst)[0];
    EXPECT_EQ(warning.title, U8("警告"));
    EXPECT_TRUE(warning.text.startsWith(U8("プログラムはチェック対象プログラムを検出しました．")));
    EXPECT_EQ(pageWhenWarned, "fraTitle");
}

TEST_F(Flow, OptionsFixedByTheDefinitionCannotBeChanged)
{
    WriteSimpleDefinition("[ShortCut]\nMake1=(App)\\one.txt\nName1=(Dsk)\\One\nMake2=(App)\\two.txt\nName2=(Sen)\\Two\n",
                          "Enabled=False\n");
    Start();
    Click(EventButton());
    for (const char* name : {"txtFolder", "btnRefer", "chkOverWrite", "chkSCutDesktop", "chkSCutStartMenu",
                             "chkSCutStartUp", "chkSCutSendTo"})
        EXPECT_FALSE(Control<QWidget>(Main(), name)->isEnabled()) << name;
    // Named places are checked all the same; the others are not.
    EXPECT_TRUE(Control<QCheckBox>(Main(), "chkSCutDesktop")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(Main(), "chkSCutSendTo")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(Main(), "chkSCutStartMenu")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(Main(), "chkSCutStartUp")->isChecked());
}

TEST_F(Flow, ShortcutBoxesOfNamedPlacesAreOfferedAndDecide)
{
    WriteSimpleDefinition("[ShortCut]\nMake1=(App)\\one.txt\nName1=(Dsk)\\One\nMake2=(App)\\two.txt\nName2=(Sta)\\Two\n");
    Start();
    Click(EventButton());
    auto* desktop = Control<QCheckBox>(Main(), "chkSCutDesktop");
    auto* menu = Control<QCheckBox>(Main(), "chkSCutStartMenu");
    EXPECT_TRUE(desktop->isEnabled() && desktop->isChecked());
    EXPECT_TRUE(menu->isEnabled() && menu->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(Main(), "chkSCutStartUp")->isEnabled());
    Click(desktop); // no desktop shortcut, please
    Click(EventButton());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_FALSE(QFile::exists(m.desktop() + "One.desktop"));
    EXPECT_TRUE(QFile::exists(m.menu() + "Two.desktop"));
}

TEST_F(Flow, AbortMidCopyStopsAtTheNextCheckAndEndsTheProgram)
{
    m.writeDefinition("[Title]\nSetup=ツール\n[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\n"
                      "File1=(App)\\f1.dat\nFile2=(App)\\f2.dat\nFile3=(App)\\f3.dat\nFile4=(App)\\f4.dat\nFile5=(App)\\f5.dat\n");
    for (int i = 1; i <= 5; ++i)
        m.writeMedia(QString("f%1.dat").arg(i), Payload(i, 1000));
    Start();
    Click(EventButton());

    bool abortDisabledBeforeCopying = true;
    int clicks = 0;
    prompter->answers[Prompt::ConfirmAbort] = {Answer::No, Answer::Yes};
    pacer->onIdle = [&] {
        TfrmStatus* status = Status();
        if (!status->isVisible())
            return;
        if (status->lblMessage->text().contains(U8("必要な容量を調べています")))
            abortDisabledBeforeCopying = abortDisabledBeforeCopying && !status->btnAbort->isEnabled();
        // The user presses abort after the first file (says no), then after the second.
        const QString counter = status->lblStatus->text();
        if ((clicks == 0 && counter == "20%(1/5)") || (clicks == 1 && counter == "40%(2/5)")) {
            ++clicks;
            Click(status->btnAbort);
        }
    };
    Click(EventButton());
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(abortDisabledBeforeCopying);

    const auto questions = prompter->askedWith(Prompt::ConfirmAbort);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].title, U8("中断の確認"));
    EXPECT_EQ(questions[0].text,
              U8("ここでセットアップを中断すると，すでにコピー済みのファイルは削除されません．\n"
                 "一度，セットアップを完了してから，アンセットアップ(アンインストール)することをおすすめします．\n\n"
                 "本当にセットアップを中断しますか？"));
    ASSERT_EQ(prompter->askedWith(Prompt::Aborted).size(), 1u);
    EXPECT_EQ(prompter->askedWith(Prompt::Aborted)[0].title, U8("中断"));
    EXPECT_EQ(prompter->askedWith(Prompt::Aborted)[0].text, U8("セットアップを中断しました．"));
    EXPECT_EQ(prompter->askedWith(Prompt::Aborted)[0].icon, Icon::Warning);

    // Two files arrived; the abort was seen before the third.
    EXPECT_TRUE(QFile::exists(App() + "f1.dat"));
    EXPECT_TRUE(QFile::exists(App() + "f2.dat"));
    for (const char* name : {"f3.dat", "f4.dat", "f5.dat", "UNSETUP.INI"})
        EXPECT_FALSE(QFile::exists(App() + name)) << name;
    ASSERT_TRUE(windows->outcome().has_value());
    EXPECT_EQ(windows->outcome()->status, PassOutcome::Status::Aborted);
    EXPECT_FALSE(prompter->wasAsked(Prompt::InstallCompleted));
    EXPECT_FALSE(prompter->wasAsked(Prompt::ConfirmEnd));
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 2);
    EXPECT_FALSE(Status()->isVisible());
    EXPECT_FALSE(windows->frmBack()->isVisible());
    EXPECT_TRUE(WorkFolders().isEmpty());
}

TEST_F(Flow, LongCopyKeepsTheWindowsAliveAndAnAbortDuringItWaitsForTheFile)
{
    m.writeDefinition("[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\big.bin\n"
                      "File2=(App)\\after.txt\n");
    const QByteArray big = Payload(7, 17 * 1024 * 1024 + 5);
    m.writeMedia("big.bin", big);
    m.writeMedia("after.txt", "after");
    Start();
    Click(EventButton());

    QString statusDuringCopy;
    prompter->answers[Prompt::ConfirmAbort] = {Answer::Yes};
    pacer->onIdle = [&] {
        // The first chunk is copied: the user sees what is being copied and aborts.
        if (pacer->keepAlives == 1 && statusDuringCopy.isEmpty()) {
            statusDuringCopy = Status()->lblMessage->text();
            Click(Status()->btnAbort);
        }
    };
    Click(EventButton());
    EXPECT_EQ(statusDuringCopy, U8("ファイルをコピーしています．．．\nCopying -> ") + App() + "big.bin");
    // The copy went on to the end of the file; the abort was seen before the next one.
    EXPECT_GE(pacer->keepAlives, 2);
    EXPECT_EQ(ReadBytes(App() + "big.bin"), big);
    EXPECT_FALSE(QFile::exists(App() + "after.txt"));
    EXPECT_EQ(windows->outcome()->status, PassOutcome::Status::Aborted);
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_TRUE(WorkFolders().isEmpty());
}

TEST_F(Flow, RefusedFolderCreationEndsTheProgram)
{
    WriteSimpleDefinition();
    Start();
    Click(EventButton());
    prompter->answers[Prompt::CreateFolder] = {Answer::No};
    Click(EventButton());
    EXPECT_TRUE(prompter->wasAsked(Prompt::InstallStopped));
    EXPECT_EQ(windows->outcome()->status, PassOutcome::Status::Stopped);
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 2);
    EXPECT_FALSE(Main()->isVisible());
    EXPECT_FALSE(Status()->isVisible());
    EXPECT_FALSE(QFile::exists(App()));
    EXPECT_TRUE(WorkFolders().isEmpty());
}

TEST_F(Flow, ErrorDetailsPageWaitsForContinue)
{
    WriteSimpleDefinition({}, {}, "File3=(App)\\missing.txt\n");
    Start();
    Click(EventButton());
    prompter->answers[Prompt::ShowErrorDetails] = {Answer::Yes};

    struct Seen {
        QString page, caption, log, buttons;
        bool statusHidden = false, endHidden = false, vertical = false, centred = false;
        int waitsBeforeClick = 0;
    } seen;
    bool clicked = false;
    pacer->onWait = [&](int ms) {
        if (clicked || ms != 200)
            return;
        ++seen.waitsBeforeClick;
        if (seen.waitsBeforeClick < 3)
            return; // the user reads for a while
        seen.page = VisiblePage();
        seen.caption = Control<QGroupBox>(Main(), "fraReadme")->title();
        seen.log = Control<QPlainTextEdit>(Main(), "txtReadme")->toPlainText();
        seen.buttons = EventButton()->text();
        seen.statusHidden = !Status()->isVisible();
        seen.endHidden = !EndButton()->isVisible();
        seen.vertical = Control<QPlainTextEdit>(Main(), "txtReadme")->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
        seen.centred = std::abs(EventButton()->geometry().center().x() - Main()->width() / 2) <= 1;
        clicked = true;
        Click(EventButton());
        EXPECT_FALSE(EventButton()->isEnabled()); // the button greys out; the wait ends
    };
    Click(EventButton());
    ASSERT_TRUE(clicked);
    EXPECT_EQ(seen.page, "fraReadme");
    EXPECT_EQ(seen.caption, U8("作成・コピー処理失敗　詳細表示"));
    EXPECT_EQ(seen.log, "<File> " + m.media() + U8("missing.txt\nコピー元のファイルが見つかりません．\n\n"));
    EXPECT_EQ(seen.buttons, U8("続行(&C)"));
    EXPECT_TRUE(seen.statusHidden);
    EXPECT_TRUE(seen.endHidden);
    EXPECT_TRUE(seen.vertical);
    EXPECT_TRUE(seen.centred);
    EXPECT_EQ(seen.waitsBeforeClick, 3);

    const auto question = prompter->askedWith(Prompt::ShowErrorDetails);
    ASSERT_EQ(question.size(), 1u);
    EXPECT_EQ(question[0].text, U8("フォルダの作成・ファイルのコピーで，一部の処理が失敗しました．\n詳細を表示しますか？"));
    // After the page the pass goes on to its end.
    EXPECT_TRUE(prompter->wasAsked(Prompt::InstallCompleted));
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 1);
    EXPECT_EQ(ReadBytes(App() + "one.txt"), "one");
}

TEST_F(Flow, RestartQuestionComesAfterTheWindowsHaveGone)
{
    WriteSimpleDefinition("[ExecuteFile]\nFile=WINDOWS_REBOOT\n");
    Start();
    Click(EventButton());
    bool windowsGone = false;
    prompter->onAsk = [&](const Message& message) {
        if (message.prompt == Prompt::Restart)
            windowsGone = !Main()->isVisible() && !Status()->isVisible() && !windows->frmBack()->isVisible();
    };
    prompter->answers[Prompt::Restart] = {Answer::Yes};
    Click(EventButton());
    EXPECT_TRUE(windowsGone);
    EXPECT_FALSE(prompter->wasAsked(Prompt::InstallCompleted));
    EXPECT_EQ(m.rebooter->requests, 1);
    EXPECT_FALSE(prompter->wasAsked(Prompt::RestartDeclined));
    EXPECT_EQ(prompter->owners.back(), nullptr);
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 0);
}

TEST_F(Flow, DeclinedRestartSaysTheInstallationCompletesAtTheNextRestart)
{
    WriteSimpleDefinition("[ExecuteFile]\nFile=WINDOWS_REBOOT\n");
    Start();
    Click(EventButton());
    prompter->answers[Prompt::Restart] = {Answer::No};
    Click(EventButton());
    EXPECT_EQ(m.rebooter->requests, 0);
    const auto declined = prompter->askedWith(Prompt::RestartDeclined);
    ASSERT_EQ(declined.size(), 1u);
    EXPECT_EQ(declined[0].title, U8("警告"));
    EXPECT_EQ(declined[0].text, U8("Windowsを再起動すると，セットアップは完了します．"));
    EXPECT_EQ(declined[0].icon, Icon::Warning);
}

TEST_F(Flow, SecondInstallerEndsAtOnceWithoutAWindow)
{
    WriteSimpleDefinition();
    InstanceLock other(m.environment());
    ASSERT_TRUE(other.tryLock());
    installer::WindowOptions options;
    options.environment = m.environment();
    options.programPath = m.programPath();
    options.prompter = prompter;
    options.pacer = pacer;
    SetupWindows second(options);
    EXPECT_FALSE(second.start());
    Settle();
    EXPECT_FALSE(second.frmBack()->isVisible());
    EXPECT_FALSE(second.frmMain()->isVisible());
    EXPECT_TRUE(prompter->asked.empty());
    EXPECT_TRUE(second.hasEnded());
    EXPECT_TRUE(WorkFolders().isEmpty());
}

// ---- uninstall ------------------------------------------------------------------------

namespace {

/// An uninstall definition for a folder with two files.
QString WriteUninstallDefinition(TestMachine& m, const QString& option)
{
    const QString app = m.programFiles() + "Tool/";
    QDir().mkpath(app);
    WriteBytes(app + "one.txt", "one");
    WriteBytes(app + "settings.ini", "[x]\r\n");
    WriteBytes(app + "help.gid", "gid");
    const QString ini = app + "UNSETUP.INI";
    QString text = "[Title]\r\nUnSetup=ツール\r\n[SetupFolder]\r\nFolder=" + app + "\r\n[DeleteFile]\r\nFile1=" + app
        + "one.txt\r\nFile2=" + ini + "\r\n";
    if (!option.isNull())
        text += "[UnSetupOption]\r\nCheckBox=" + option + "\r\n";
    WriteBytes(ini, Sjis(text.toUtf8().constData()));
    return ini;
}

} // namespace

TEST_F(Flow, UninstallPageOffersTheBoxesOfTheUninstallDefinition)
{
    const QString ini = WriteUninstallDefinition(m, "1,0,0,0");
    Start({ini});
    EXPECT_EQ(VisiblePage(), "main"); // no welcome page
    EXPECT_EQ(Main()->windowTitle(), U8("ツール"));
    EXPECT_EQ(Buttons(), U8("アンインストール開始(&S) | アンインストール終了(&E)"));
    EXPECT_EQ(Control<QGroupBox>(Main(), "grpSetupFolder")->title(), U8("アンインストールフォルダ"));
    EXPECT_EQ(Control<QGroupBox>(Main(), "grpOption")->title(), U8("アンインストールオプション"));
    EXPECT_EQ(Control<QLabel>(Main(), "lblMessage")->text(),
              U8("アンインストールを行います．\n\n開始するには，「アンインストール開始(S)」を選択してください．\n"));
    auto* folder = Control<QLineEdit>(Main(), "txtFolder");
    EXPECT_EQ(folder->text(), m.programFiles() + "Tool/");
    EXPECT_TRUE(folder->isReadOnly());
    EXPECT_FALSE(Control<QPushButton>(Main(), "btnRefer")->isEnabled());

    auto* overwrite = Control<QCheckBox>(Main(), "chkOverWrite");
    auto* frame = Control<QGroupBox>(Main(), "fraShortCut");
    auto* group = Control<QGroupBox>(Main(), "grpOption");
    EXPECT_FALSE(overwrite->isVisible());
    EXPECT_EQ(frame->title(), U8("ファイルの追加削除"));
    EXPECT_EQ(frame->y(), overwrite->y());
    EXPECT_EQ(frame->height(), group->height() - 24);

    auto* ini1 = Control<QCheckBox>(Main(), "chkSCutDesktop");
    auto* gid = Control<QCheckBox>(Main(), "chkSCutStartMenu");
    auto* third = Control<QCheckBox>(Main(), "chkSCutStartUp");
    auto* fourth = Control<QCheckBox>(Main(), "chkSCutSendTo");
    EXPECT_EQ(ini1->text(), U8("*.INIファイル"));
    EXPECT_TRUE(ini1->isChecked());
    EXPECT_TRUE(ini1->isEnabled());
    EXPECT_EQ(gid->text(), U8("*.GIDファイル"));
    EXPECT_FALSE(gid->isChecked());
    EXPECT_TRUE(gid->isEnabled());
    for (QCheckBox* box : {third, fourth}) {
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_FALSE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
    }
    auto* info = Control<QLabel>(Main(), "lblUnSetupInfo");
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->y(), ini1->geometry().bottom() + 1 + 2);
    EXPECT_EQ(info->text(),
              U8("　アンインストールフォルダの中で，コピーされたファイル以外に追加削除するファイルをチェック(選択)してください．"));

    // The user adds the help index; both patterns go, and with them the folder.
    Click(gid);
    Click(EventButton());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 0);
    EXPECT_FALSE(QFile::exists(m.programFiles() + "Tool"));
    ASSERT_EQ(prompter->askedWith(Prompt::UninstallCompleted).size(), 1u);
    EXPECT_EQ(prompter->askedWith(Prompt::UninstallCompleted)[0].text, U8("アンインストールを完了しました．"));
    EXPECT_FALSE(prompter->wasAsked(Prompt::ConfirmEnd));
    EXPECT_TRUE(WorkFolders().isEmpty());
}

TEST_F(Flow, UninstallPageWithoutOptionsLeavesBothBoxesUnchecked)
{
    const QString ini = WriteUninstallDefinition(m, QString());
    Start({ini});
    EXPECT_FALSE(Control<QCheckBox>(Main(), "chkSCutDesktop")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(Main(), "chkSCutStartMenu")->isChecked());
    // Nothing but the recorded files goes: the folder stays with the user's files and
    // the failure is offered in detail.
    prompter->answers[Prompt::ShowErrorDetails] = {Answer::Yes};
    pacer->onWait = [&](int ms) {
        if (ms == 200 && EventButton()->isVisible() && EventButton()->isEnabled()) {
            EXPECT_EQ(Control<QGroupBox>(Main(), "fraReadme")->title(), U8("削除処理失敗　詳細表示"));
            Click(EventButton());
        }
    };
    Click(EventButton());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 1);
    EXPECT_FALSE(QFile::exists(m.programFiles() + "Tool/one.txt"));
    EXPECT_TRUE(QFile::exists(m.programFiles() + "Tool/settings.ini"));
    EXPECT_TRUE(QFile::exists(m.programFiles() + "Tool/help.gid"));
}

TEST_F(Flow, DeleteAllOffersOneBoxAcrossTheFrame)
{
    const QString ini = WriteUninstallDefinition(m, "DeleteAll");
    Start({ini});
    auto* all = Control<QCheckBox>(Main(), "chkSCutDesktop");
    auto* frame = Control<QGroupBox>(Main(), "fraShortCut");
    EXPECT_EQ(all->text(), U8("アンインストールフォルダ以下の全ファイル・フォルダ"));
    EXPECT_TRUE(all->isChecked());
    EXPECT_TRUE(all->isEnabled());
    EXPECT_EQ(all->width(), frame->width() - 16);
    for (const char* name : {"chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo"}) {
        EXPECT_FALSE(Control<QCheckBox>(Main(), name)->isVisible()) << name;
        EXPECT_FALSE(Control<QCheckBox>(Main(), name)->isChecked()) << name;
    }
    Click(EventButton());
    EXPECT_EQ(windows->exitStatus(), 0);
    EXPECT_FALSE(QFile::exists(m.programFiles() + "Tool"));
}

TEST_F(Flow, EndingTheUninstallerBeforeItStartsAsksAndRemovesNothing)
{
    const QString ini = WriteUninstallDefinition(m, "1,1,0,0");
    Start({ini});
    prompter->answers[Prompt::ConfirmEnd] = {Answer::Yes};
    Click(EndButton());
    EXPECT_TRUE(prompter->wasAsked(Prompt::ConfirmEnd));
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_TRUE(QFile::exists(m.programFiles() + "Tool/one.txt"));
}

// ---- a whole installation and its removal -----------------------------------------------

TEST_F(Flow, FullInstallAndUninstallThroughTheWindowsLeaveTheHomeAsBefore)
{
    const FullPayload payload = WriteFullPayload(m, "1,1,0,0");
    const Listing before = ListTree(m.home());

    Start();
    Click(EventButton()); // welcome
    ASSERT_EQ(VisiblePage(), "main");
    Click(EventButton()); // start
    ASSERT_TRUE(windows->outcome().has_value());
    EXPECT_EQ(windows->outcome()->errorCount, 0) << windows->outcome()->errorLog.toStdString();
    EXPECT_EQ(windows->exitStatus(), 0);
    // The disk change and the associations were asked through message boxes.
    ASSERT_EQ(prompter->askedWith(Prompt::DiskChange).size(), 1u);
    EXPECT_EQ(prompter->askedWith(Prompt::DiskChange)[0].text, U8("2枚目のディスクに交換してください．"));
    EXPECT_EQ(prompter->askedWith(Prompt::Association).size(), 2u);
    EXPECT_EQ(m.opener->opened, QStringList{payload.app + "bin/run.sh|--first-run"});
    EXPECT_TRUE(QFile::exists(payload.app + "UNSETUP.INI"));
    EXPECT_TRUE(QFile::exists(m.windows() + "UNTS200X.EXE"));
    EXPECT_TRUE(QFile::exists(m.desktop() + "Tovel Readme.desktop"));
    EXPECT_TRUE(WorkFolders().isEmpty());

    SimulateProgramUse(payload);
    QFile::remove(payload.serverLog);
    prompter->asked.clear();
    prompter->dialogButtons = {"btnDelete"};
    Start({payload.app + "UNSETUP.INI"});
    EXPECT_TRUE(Control<QCheckBox>(Main(), "chkSCutDesktop")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(Main(), "chkSCutStartMenu")->isChecked());
    Click(EventButton());
    EXPECT_EQ(windows->exitStatus(), 0) << windows->outcome()->errorLog.toStdString();
    // The shared library nobody uses any more was asked about in the four-button dialog.
    ASSERT_EQ(prompter->dialogTexts.size(), 1);
    EXPECT_EQ(prompter->dialogTexts[0],
              m.system() + U8("shared.dll\n\nこの共有ファイルは，現在，他のどのプログラムからも使われていません．\n"
                              "しかし，今後，他のプログラムで使われる可能性があります．\nこのファイルを削除してもよろしいですか？"));
    EXPECT_TRUE(prompter->wasAsked(Prompt::UninstallCompleted));
    EXPECT_TRUE(WorkFolders().isEmpty());

    const Listing after = ListTree(m.home());
    EXPECT_EQ(before, after) << DescribeDifference(before, after);
}
