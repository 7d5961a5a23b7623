#include "installer/gui/setupwindows.h"

#include "common/textfile.h"
#include "installer/gui/frmback.h"
#include "installer/gui/frmcustomdlg.h"
#include "installer/gui/frmmain.h"
#include "installer/gui/frmstatus.h"
#include "installer/gui/look.h"
#include "installer/gui/qtprompter.h"
#include "installer/session.h"
#include "installer/textrules.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

namespace installer {
namespace {

const QString kContinue = QStringLiteral("続行(&C)");
const QString kDecline = QStringLiteral("同意しない(&N)");
const QString kBareEnd = QStringLiteral("終了(&E)");

void KeepAbove(QWidget* window, QWidget* below)
{
    window->winId();
    below->winId();
    if (window->windowHandle() && below->windowHandle())
        window->windowHandle()->setTransientParent(below->windowHandle());
}

} // namespace

SetupWindows::SetupWindows(WindowOptions options, QObject* parent) : QObject(parent), options_(std::move(options))
{
    if (!options_.prompter)
        options_.prompter = std::make_shared<QtPrompter>();
    if (!options_.folderChooser)
        options_.folderChooser = std::make_shared<QtFolderChooser>();
    if (!options_.pacer)
        options_.pacer = std::make_shared<EventLoopPacer>();
    if (options_.version.isEmpty())
        options_.version = ProgramVersion();

    // The four windows, in this order.
    back_ = std::make_unique<TfrmBack>();
    main_ = std::make_unique<TfrmMain>();
    status_ = std::make_unique<TfrmStatus>();
    custom_ = std::make_unique<TfrmCustomDlg>(main_->lblFormShare);
    main_->dlgFolder.setChooser(options_.folderChooser.get());

    connect(back_.get(), &TfrmBack::firstResized, this, [this] {
        back_->setWindowTitle(TfrmBack::CaptionFor(options_.version));
        // The main window comes once the resize is over.
        QMetaObject::invokeMethod(this, &SetupWindows::showMainWindow, Qt::QueuedConnection);
    });
    connect(main_->btnEvent, &QPushButton::clicked, this, &SetupWindows::onEventClicked);
    connect(main_->btnEnd, &QPushButton::clicked, main_.get(), &QWidget::close);
    connect(main_->btnRefer, &QPushButton::clicked, this, &SetupWindows::onReferClicked);
    connect(status_->btnAbort, &QPushButton::clicked, this, &SetupWindows::onAbortClicked);
    connect(main_.get(), &TfrmMain::closed, this, &SetupWindows::onMainClosed);
    main_->setCloseGuard([this] { return mayCloseMain(); });
}

SetupWindows::~SetupWindows() = default;

bool SetupWindows::start()
{
    lock_ = std::make_unique<InstanceLock>(options_.environment);
    if (!lock_->tryLock()) {
        ended_ = true;
        exitStatus_ = 2;
        return false;
    }
    back_->setEnabled(false);
    // The whole screen also where no window manager maximizes windows.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        back_->setGeometry(screen->availableGeometry());
    back_->showMaximized();
    return true;
}

void SetupWindows::showMainWindow()
{
    if (ended_ || main_->isClosed())
        return;
    back_->setEnabled(false);
    KeepAbove(main_.get(), back_.get());
    KeepAbove(status_.get(), back_.get());
    main_->showCentred();
    // The first showing, while the action button has no caption yet.
    if (main_->btnEvent->text().isEmpty())
        initialise();
}

void SetupWindows::initialise()
{
    StartOptions start;
    start.environment = options_.environment;
    start.arguments = options_.arguments;
    start.programPath = options_.programPath;
    start.sourceFolder = options_.sourceFolder;
    start.services = options_.services;
    session_ = Session::Start(start);
    if (session_->hasFatalError()) {
        showFatalError();
        return;
    }
    S_ = session_->setupWord();
    U_ = session_->uninstallWord();
    const bool uninstalling = session_->uninstalling();

    back_->showCredit(session_->creditText());
    main_->txtFolder->setText(session_->proposedFolder());
    const bool enabled = session_->optionsEnabled();
    if (!uninstalling) {
        const ShortcutPlaces places = session_->namedShortcutPlaces();
        const std::pair<QCheckBox*, bool> boxes[] = {{main_->chkSCutDesktop, places.desktop},
                                                     {main_->chkSCutStartMenu, places.startMenu},
                                                     {main_->chkSCutStartUp, places.startUp},
                                                     {main_->chkSCutSendTo, places.sendTo}};
        for (const auto& [box, named] : boxes) {
            box->setEnabled(named && enabled);
            box->setChecked(named);
        }
    }
    main_->lblMessage->setText(session_->messageText());
    if (!uninstalling) {
        main_->txtFolder->setEnabled(enabled);
        main_->btnRefer->setEnabled(enabled);
        main_->chkOverWrite->setEnabled(enabled);
    }
    const QString title = uninstalling ? session_->uninstallTitle() : session_->setupTitle();
    back_->setTitle(title);
    main_->setWindowTitle(title);
    main_->grpSetupFolder->setTitle(S_ + QStringLiteral("フォルダ"));
    main_->grpOption->setTitle(S_ + QStringLiteral("オプション"));
    main_->btnEnd->setText(S_ + QStringLiteral("終了(&E)"));
    main_->fitButtons({S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("開始(&S)"), S_ + QStringLiteral("終了(&E)"),
                       U_ + QStringLiteral("開始(&S)"), U_ + QStringLiteral("終了(&E)"), QStringLiteral("同意する(&A)"),
                       kDecline, kContinue});

    if (!uninstalling) {
        welcomePending_ = licencePending_ = readmePending_ = typePending_ = true;
        onEventClicked();
        if (session_->earlierVersionFound())
            askUser(Prompt::UninstallFirst, QStringLiteral("警告"), session_->earlierVersionWarning(), Buttons::Ok,
                    Icon::Warning);
    } else {
        layOutUninstallPage();
    }
}

void SetupWindows::showFatalError()
{
    fatal_ = true;
    back_->showCredit(session_->creditText());
    back_->setTitle(main_->windowTitle());
    // Nothing was read: the words are the defaults.
    const QString S = QStringLiteral("インストール");
    main_->grpSetupFolder->setTitle(S + QStringLiteral("フォルダ"));
    main_->grpOption->setTitle(S + QStringLiteral("オプション"));
    main_->lblMessage->setText(session_->fatalText());
    for (QWidget* w : {static_cast<QWidget*>(main_->txtFolder), static_cast<QWidget*>(main_->btnRefer),
                       static_cast<QWidget*>(main_->chkOverWrite)})
        w->setEnabled(false);
    main_->btnEvent->setText(QStringLiteral("処理開始(&S)"));
    main_->btnEvent->setEnabled(false);
    main_->btnEnd->setText(kBareEnd);
    main_->btnEnd->setEnabled(true);
    main_->btnEnd->setDefault(true);
    main_->btnEnd->setFocus();
    main_->showPage(TfrmMain::Page::Main);
}

void SetupWindows::layOutUninstallPage()
{
    main_->grpSetupFolder->setTitle(U_ + QStringLiteral("フォルダ"));
    main_->txtFolder->setReadOnly(true);
    // The folder to remove is the one the installation recorded; browsing for another
    // one would point the uninstallation at a folder it never made.
    main_->btnRefer->setEnabled(false);
    main_->btnEvent->setText(U_ + QStringLiteral("開始(&S)"));
    main_->btnEnd->setText(U_ + QStringLiteral("終了(&E)"));
    main_->btnEvent->setEnabled(true);
    main_->btnEnd->setEnabled(true);
    main_->grpOption->setTitle(U_ + QStringLiteral("オプション"));
    const UninstallOptions options = session_->uninstallOptions();
    main_->applyUninstallLayout({U_, options.deleteAllOffered, options.iniFiles, options.gidFiles});
    main_->showPage(TfrmMain::Page::Main);
    main_->btnEvent->setFocus();
}

void SetupWindows::showTextFile(const QString& path)
{
    QString text;
    QString error;
    if (!common::ReadTextFile(path, text, nullptr, &error))
        text = error;
    main_->txtReadme->setPlainText(text);
}

void SetupWindows::onEventClicked()
{
    if (!session_ || fatal_ || ended_ || (passRunning_ && !waitingForDetails_))
        return;
    TfrmMain& f = *main_;
    const QString remembered = f.btnEvent->text();
    const auto setButtons = [&](const QString& event, const QString& end) {
        f.btnEvent->setText(event);
        f.btnEnd->setText(end);
        f.btnEvent->setEnabled(true);
        f.btnEnd->setEnabled(true);
        f.btnEvent->setFocus();
    };

    if (welcomePending_) {
        welcomePending_ = false;
        f.showPage(TfrmMain::Page::Welcome);
        const QString P = session_->read(u"Title", u"Program");
        f.lblTitleMessage->setText(
            QStringLiteral("　") + P + QLatin1Char(' ') + S_ + QStringLiteral("プログラムへようこそ．この") + S_
            + QStringLiteral("プログラムは，あなたのコンピュータに ") + P + QStringLiteral(" を") + S_
            + QStringLiteral("します．\n\n　") + S_
            + QStringLiteral("を開始する前に，必ず，すべてのWindowsプログラムを終了させてください．\n\n　「") + S_
            + QStringLiteral("終了(E)」を選択すると，") + S_ + QStringLiteral("を行わずに") + S_
            + QStringLiteral("プログラムを終了します．") + S_ + QStringLiteral("を続行する場合は，「") + S_
            + QStringLiteral("続行(C)」を選択してください．"));
        setButtons(S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("終了(&E)"));
        return;
    }
    if (f.fraTitle->isVisible()) {
        f.fraTitle->hide();
        f.hide();
        options_.pacer->letEventsRun();
        options_.pacer->wait(1000);
        if (f.isClosed() || ended_)
            return;
        f.show();
    }
    if (licencePending_) {
        licencePending_ = false;
        const QString file = session_->licenceFile();
        if (!file.isEmpty() && QFileInfo(file).isFile()) {
            f.fraReadme->setTitle(QStringLiteral("使用許諾契約書"));
            setButtons(QStringLiteral("同意する(&A)"), kDecline);
            f.setMemoSilver(true);
            showTextFile(file);
            f.setMemoScrollBars(session_->read(u"EULA", u"ScrollBars", QStringLiteral("ssVertical")));
            f.showPage(TfrmMain::Page::Text);
            return;
        }
    }
    f.setMemoSilver(false);
    if (readmePending_) {
        readmePending_ = false;
        const QString file = session_->readmeFile();
        if (!file.isEmpty() && QFileInfo(file).isFile()) {
            setButtons(S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("終了(&E)"));
            showTextFile(file);
            f.fraReadme->setTitle(session_->read(u"Readme", u"Title"));
            f.setMemoScrollBars(session_->read(u"Readme", u"ScrollBars", QStringLiteral("ssVertical")));
            f.showPage(TfrmMain::Page::Text);
            return;
        }
    }
    if (typePending_) {
        typePending_ = false;
        if (session_->typePageVisible()) {
            f.lblSelectTypeMsg->setText(QStringLiteral("　") + S_ + QStringLiteral("タイプ(") + S_
                                        + QStringLiteral("するファイルの種類)を決定してください．決定しましたら「") + S_
                                        + QStringLiteral("続行(C)」を選択してください．"));
            f.optSelectType1->setText(session_->typeCaption(1));
            f.optSelectType2->setText(session_->typeCaption(2));
            setButtons(S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("終了(&E)"));
            f.showPage(TfrmMain::Page::Type);
            return;
        }
    }

    f.showPage(TfrmMain::Page::Main);
    setButtons(S_ + QStringLiteral("開始(&S)"), S_ + QStringLiteral("終了(&E)"));
    if (waitingForDetails_) {
        // "続行(&C)" on the error-details page: the pass waits for this button to go grey.
        if (remembered == kContinue)
            f.btnEvent->setEnabled(false);
        return;
    }
    // The mode decides which pass a start button runs, so that equal setup and
    // uninstall words cannot start the wrong one.
    if (session_->uninstalling()) {
        if (remembered == U_ + QStringLiteral("開始(&S)"))
            runUninstall();
    } else if (remembered == S_ + QStringLiteral("開始(&S)")) {
        runInstall();
    }
}

void SetupWindows::onReferClicked()
{
    TfrmMain& f = *main_;
    f.dlgFolder.Directory = NativePath(f.txtFolder->text());
    if (f.dlgFolder.Execute(&f))
        f.txtFolder->setText(WithTrailingSeparator(f.dlgFolder.Directory));
}

void SetupWindows::runInstall()
{
    TfrmMain& f = *main_;
    InstallChoices choices;
    choices.folder = f.txtFolder->text();
    choices.type = f.optSelectType2->isChecked() ? 2 : 1;
    choices.overwrite = f.chkOverWrite->isChecked();
    choices.desktop = f.chkSCutDesktop->isChecked();
    choices.startMenu = f.chkSCutStartMenu->isChecked();
    choices.startUp = f.chkSCutStartUp->isChecked();
    choices.sendTo = f.chkSCutSendTo->isChecked();
    passRunning_ = true;
    const PassOutcome outcome = RunInstall(*session_, *this, choices);
    passReturned(outcome);
}

void SetupWindows::runUninstall()
{
    TfrmMain& f = *main_;
    UninstallChoices choices;
    choices.folder = f.txtFolder->text();
    const UninstallOptions offered = session_->uninstallOptions();
    if (offered.deleteAllOffered) {
        choices.deleteAll = f.chkSCutDesktop->isChecked();
    } else {
        choices.iniFiles = f.chkSCutDesktop->isChecked();
        choices.gidFiles = f.chkSCutStartMenu->isChecked();
    }
    for (QCheckBox* box : {f.chkSCutDesktop, f.chkSCutStartMenu, f.chkSCutStartUp, f.chkSCutSendTo})
        box->setEnabled(false);
    passRunning_ = true;
    const PassOutcome outcome = RunUninstall(*session_, *this, choices);
    passReturned(outcome);
}

void SetupWindows::passReturned(const PassOutcome& outcome)
{
    passRunning_ = false;
    outcome_ = outcome;
    // Whatever way the pass ended, the program ends with it.
    back_->setEnabled(true);
    status_->closeWindow();
    if (!main_->isClosed())
        main_->close();
    if (cleanUpPending_) {
        cleanUpPending_ = false;
        session_->cleanUpWorkFolders();
    }
    maybeEnd();
}

bool SetupWindows::mayCloseMain()
{
    const QString end = main_->btnEnd->text();
    if (back_->isEnabled() || end == kDecline || end == kBareEnd)
        return true;
    const QString text = S_ + QLatin1Char('/') + U_ + QStringLiteral("は終了していません．\n終了してもよろしいですか？");
    if (askUser(Prompt::ConfirmEnd, QStringLiteral("終了確認"), text, Buttons::YesNo, Icon::Question) != Answer::Yes)
        return false;
    back_->setEnabled(true);
    return true;
}

void SetupWindows::onMainClosed()
{
    options_.pacer->letEventsRun();
    // Desktop menus watch their folders themselves: nothing needs telling about new
    // associations or shortcuts.
    if (session_) {
        if (passRunning_)
            cleanUpPending_ = true; // the pass still holds its work folder until it returns
        else
            session_->cleanUpWorkFolders();
    }
    maybeEnd();
}

void SetupWindows::onAbortClicked()
{
    if (!passRunning_ || !main_->isEnabled())
        return;
    const QString text = QStringLiteral(
        "ここでセットアップを中断すると，すでにコピー済みのファイルは削除されません．\n"
        "一度，セットアップを完了してから，アンセットアップ(アンインストール)することをおすすめします．\n\n"
        "本当にセットアップを中断しますか？");
    if (askUser(Prompt::ConfirmAbort, QStringLiteral("中断の確認"), text, Buttons::YesNo, Icon::Question) != Answer::Yes)
        return;
    main_->setEnabled(false); // the pass sees this at its next abort check
    back_->setEnabled(true);
    status_->closeWindow();
    askUser(Prompt::Aborted, QStringLiteral("中断"), QStringLiteral("セットアップを中断しました．"), Buttons::Ok, Icon::Warning);
    main_->close();
}

void SetupWindows::terminate()
{
    if (ended_)
        return;
    if (passRunning_)
        main_->setEnabled(false); // the pass stops at its next abort check
    back_->setEnabled(true);      // no question on closing
    status_->closeWindow();
    if (!main_->isClosed())
        main_->close();
    else
        maybeEnd();
}

void SetupWindows::maybeEnd()
{
    if (ended_ || passRunning_ || !main_->isClosed())
        return;
    ended_ = true;
    status_->closeWindow();
    back_->closeWindow();
    options_.pacer->letEventsRun();
    if (outcome_ && outcome_->status == PassOutcome::Status::Completed && outcome_->restartRequested)
        askAboutRestart();
    if (fatal_ || !outcome_)
        exitStatus_ = 2;
    else if (outcome_->status != PassOutcome::Status::Completed)
        exitStatus_ = 2;
    else
        exitStatus_ = outcome_->errorCount > 0 ? 1 : 0;
    lock_.reset();
    Q_EMIT ended(exitStatus_);
}

void SetupWindows::askAboutRestart()
{
    if (outcome_->lockedFiles)
        askUser(Prompt::LockedFiles, QStringLiteral("情報"),
                QStringLiteral("ファイルのコピー時に，いくつかのファイルがロックされていました．\n"
                               "これらのファイルは，Windowsの再起動時に更新されます．"),
                Buttons::Ok, Icon::Information);
    const Answer answer =
        askUser(Prompt::Restart, QStringLiteral("システム設定の変更"),
                QStringLiteral("新しい設定を有効にするには，コンピュータを再起動する必要があります．\n今すぐ再起動しますか？"),
                Buttons::YesNo, Icon::Question);
    // A restart that could not be requested leaves the user where a declined one does.
    if (answer != Answer::Yes || !session_->services().rebooter->requestReboot())
        askUser(Prompt::RestartDeclined, QStringLiteral("警告"), QStringLiteral("Windowsを再起動すると，セットアップは完了します．"),
                Buttons::Ok, Icon::Warning);
}

QWidget* SetupWindows::activeOwner() const
{
    if (status_->isVisible())
        return status_.get();
    if (main_->isVisible())
        return main_.get();
    return nullptr;
}

Answer SetupWindows::askUser(Prompt prompt, const QString& title, const QString& text, Buttons buttons, Icon icon)
{
    return ask(Message{prompt, title, text, buttons, icon});
}

// ---- FrontEnd -------------------------------------------------------------------------

void SetupWindows::hideMainWindow()
{
    main_->hide();
    main_->centreEventButton();
    options_.pacer->letEventsRun();
}

void SetupWindows::showProgressWindow()
{
    if (main_->isClosed())
        return;
    status_->showCentred();
    options_.pacer->letEventsRun();
}

void SetupWindows::showStatus(const QString& text)
{
    status_->lblMessage->setText(text);
    options_.pacer->letEventsRun();
}

void SetupWindows::showProgressFrame(bool visible)
{
    status_->fraStatus->setVisible(visible);
    options_.pacer->letEventsRun();
}

void SetupWindows::setProgress(int percent, int processed, int total)
{
    status_->prgStatus->setValue(percent);
    status_->lblStatus->setText(QStringLiteral("%1%(%2/%3)").arg(percent).arg(processed).arg(total));
    options_.pacer->letEventsRun();
}

void SetupWindows::setAbortEnabled(bool enabled)
{
    status_->btnAbort->setEnabled(enabled);
}

bool SetupWindows::abortRequested()
{
    return !main_->isEnabled();
}

void SetupWindows::pause(int milliseconds, PauseKind)
{
    options_.pacer->wait(milliseconds);
}

void SetupWindows::keepAlive()
{
    options_.pacer->keepAlive();
}

Answer SetupWindows::ask(const Message& message)
{
    const Answer answer = options_.prompter->ask(message, activeOwner());
    return message.buttons == Buttons::Ok ? Answer::Ok : answer;
}

SharedFileAnswer SetupWindows::askSharedFile(const QString& text)
{
    main_->lblFormShare->clear();
    custom_->setMessage(text);
    options_.prompter->runModal(*custom_);
    const QString answer = main_->lblFormShare->text();
    if (answer == QLatin1String("Yes"))
        return SharedFileAnswer::Yes;
    if (answer == QLatin1String("No"))
        return SharedFileAnswer::No;
    if (answer == QLatin1String("Delete"))
        return SharedFileAnswer::Delete;
    if (answer == QLatin1String("Save"))
        return SharedFileAnswer::Save;
    return SharedFileAnswer::None;
}

void SetupWindows::showErrorDetails(const QString& caption, const QString& log)
{
    if (main_->isClosed())
        return;
    TfrmMain& f = *main_;
    f.fraReadme->setTitle(caption);
    f.setMemoSilver(false);
    f.txtReadme->setPlainText(log);
    f.setMemoScrollBars(QStringLiteral("ssVertical"));
    f.showPage(TfrmMain::Page::Text);
    f.btnEvent->setText(kContinue);
    f.btnEvent->setEnabled(true);
    status_->hide();
    f.show();
    f.btnEvent->setFocus();
    waitingForDetails_ = true;
    while (f.btnEvent->isEnabled() && !f.isClosed())
        options_.pacer->wait(200);
    waitingForDetails_ = false;
    f.hide();
}

void SetupWindows::finishPass()
{
    back_->setEnabled(true);
    status_->closeWindow();
    main_->close();
}

} // namespace installer
