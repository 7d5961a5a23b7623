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
    custom_ = std::make_unique<TfrmCustomDlg>(main_->shareAnswerLabel());
    main_->folderDialog().setChooser(options_.folderChooser.get());

    connect(back_.get(), &TfrmBack::firstResized, this, [this] {
        back_->setWindowTitle(TfrmBack::CaptionFor(options_.version));
        // The main window comes once the resize is over.
        QMetaObject::invokeMethod(this, &SetupWindows::showMainWindow, Qt::QueuedConnection);
    });
    connect(main_.get(), &TfrmMain::eventClicked, this, &SetupWindows::onEventClicked);
    connect(main_.get(), &TfrmMain::referClicked, this, &SetupWindows::onReferClicked);
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
    if (state_ == PageState::Starting && !session_)
        initialise(); // the first showing
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
    main_->setFolder(session_->proposedFolder());
    const bool enabled = session_->optionsEnabled();
    if (!uninstalling) {
        const ShortcutPlaces places = session_->namedShortcutPlaces();
        main_->offerShortcuts(places.desktop, places.startMenu, places.startUp, places.sendTo, enabled);
    }
    main_->setMessage(session_->messageText());
    if (!uninstalling)
        main_->setFolderControlsEnabled(enabled);
    const QString title = uninstalling ? session_->uninstallTitle() : session_->setupTitle();
    back_->setTitle(title);
    main_->setWindowTitle(title);
    main_->setGroupTitles(S_ + QStringLiteral("フォルダ"), S_ + QStringLiteral("オプション"));
    main_->setEndCaption(S_ + QStringLiteral("終了(&E)"));
    main_->fitButtons({S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("開始(&S)"), S_ + QStringLiteral("終了(&E)"),
                       U_ + QStringLiteral("開始(&S)"), U_ + QStringLiteral("終了(&E)"), QStringLiteral("同意する(&A)"),
                       kDecline, kContinue});

    if (!uninstalling) {
        onEventClicked(); // the welcome page
        if (session_->earlierVersionFound())
            askUser(Prompt::UninstallFirst, QStringLiteral("警告"), session_->earlierVersionWarning(), Buttons::Ok,
                    Icon::Warning);
    } else {
        layOutUninstallPage();
    }
}

void SetupWindows::showFatalError()
{
    state_ = PageState::Fatal;
    back_->showCredit(session_->creditText());
    back_->setTitle(main_->windowTitle());
    // Nothing was read: the words are the defaults.
    const QString S = QStringLiteral("インストール");
    main_->setGroupTitles(S + QStringLiteral("フォルダ"), S + QStringLiteral("オプション"));
    main_->setMessage(session_->fatalText());
    main_->setFolderControlsEnabled(false);
    main_->setFatalButtons(QStringLiteral("処理開始(&S)"), kBareEnd);
    main_->showPage(TfrmMain::Page::Main);
}

void SetupWindows::layOutUninstallPage()
{
    state_ = PageState::Main;
    main_->setGroupTitles(U_ + QStringLiteral("フォルダ"), U_ + QStringLiteral("オプション"));
    main_->setButtons(U_ + QStringLiteral("開始(&S)"), U_ + QStringLiteral("終了(&E)"));
    const UninstallOptions options = session_->uninstallOptions();
    main_->applyUninstallLayout({U_, options.deleteAllOffered, options.iniFiles, options.gidFiles});
    main_->showPage(TfrmMain::Page::Main);
    main_->focusEventButton();
}

QString SetupWindows::readTextFile(const QString& path) const
{
    QString text;
    QString error;
    if (!common::ReadTextFile(path, text, nullptr, &error))
        text = error;
    return text;
}

PageOffers SetupWindows::currentOffers() const
{
    const auto exists = [](const QString& file) { return !file.isEmpty() && QFileInfo(file).isFile(); };
    return {exists(session_->licenceFile()), exists(session_->readmeFile()), session_->typePageVisible()};
}

void SetupWindows::onEventClicked()
{
    if (!session_ || ended_)
        return;
    const PageState next = NextPageState(state_, currentOffers());
    if (next == state_)
        return; // a running pass or the fatal page: the button does nothing
    enterPage(next);
}

/// Carries out one transition of the state table in pageflow.h.
void SetupWindows::enterPage(PageState next)
{
    const PageState from = state_;
    if (from == PageState::Welcome) {
        // The welcome page goes, and the window with it for a moment.
        main_->hideWelcome();
        main_->hide();
        options_.pacer->letEventsRun();
        options_.pacer->wait(1000);
        if (main_->isClosed() || ended_)
            return;
        main_->show();
    }
    state_ = next;
    switch (next) {
    case PageState::Welcome:
        showWelcomePage();
        break;
    case PageState::Licence:
        showLicencePage();
        break;
    case PageState::ReadMe:
        showReadMePage();
        break;
    case PageState::Type:
        showTypePage();
        break;
    case PageState::Main:
        showMainPage();
        break;
    case PageState::Running:
        showMainPage();
        if (from == PageState::Details)
            main_->setEventEnabled(false); // the pass waits for this button to go grey
        else
            startPass();
        break;
    case PageState::Starting:
    case PageState::Details:
    case PageState::Ended:
    case PageState::Fatal:
        break;
    }
}

void SetupWindows::showWelcomePage()
{
    const QString P = session_->read(u"Title", u"Program");
    main_->showWelcome(QStringLiteral("　") + P + QLatin1Char(' ') + S_ + QStringLiteral("プログラムへようこそ．この") + S_
                       + QStringLiteral("プログラムは，あなたのコンピュータに ") + P + QStringLiteral(" を") + S_
                       + QStringLiteral("します．\n\n　") + S_
                       + QStringLiteral("を開始する前に，必ず，すべてのWindowsプログラムを終了させてください．\n\n　「") + S_
                       + QStringLiteral("終了(E)」を選択すると，") + S_ + QStringLiteral("を行わずに") + S_
                       + QStringLiteral("プログラムを終了します．") + S_ + QStringLiteral("を続行する場合は，「") + S_
                       + QStringLiteral("続行(C)」を選択してください．"));
    main_->setButtons(S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("終了(&E)"));
}

void SetupWindows::showLicencePage()
{
    main_->setButtons(QStringLiteral("同意する(&A)"), kDecline);
    main_->showText(QStringLiteral("使用許諾契約書"), readTextFile(session_->licenceFile()), true,
                    session_->read(u"EULA", u"ScrollBars", QStringLiteral("ssVertical")));
}

void SetupWindows::showReadMePage()
{
    main_->setButtons(S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("終了(&E)"));
    main_->showText(session_->read(u"Readme", u"Title"), readTextFile(session_->readmeFile()), false,
                    session_->read(u"Readme", u"ScrollBars", QStringLiteral("ssVertical")));
}

void SetupWindows::showTypePage()
{
    main_->setMemoSilver(false);
    main_->showTypePage(QStringLiteral("　") + S_ + QStringLiteral("タイプ(") + S_
                            + QStringLiteral("するファイルの種類)を決定してください．決定しましたら「") + S_
                            + QStringLiteral("続行(C)」を選択してください．"),
                        session_->typeCaption(1), session_->typeCaption(2));
    main_->setButtons(S_ + QStringLiteral("続行(&C)"), S_ + QStringLiteral("終了(&E)"));
}

void SetupWindows::showMainPage()
{
    main_->setMemoSilver(false);
    main_->showPage(TfrmMain::Page::Main);
    main_->setButtons(S_ + QStringLiteral("開始(&S)"), S_ + QStringLiteral("終了(&E)"));
}

/// The mode decides which pass the start button runs, so that equal setup and
/// uninstall words cannot start the wrong one.
void SetupWindows::startPass()
{
    if (session_->uninstalling())
        runUninstall();
    else
        runInstall();
}

void SetupWindows::onReferClicked()
{
    TFolderDialog& dialog = main_->folderDialog();
    dialog.Directory = NativePath(main_->folder());
    if (dialog.Execute(main_.get()))
        main_->setFolder(WithTrailingSeparator(dialog.Directory));
}

void SetupWindows::runInstall()
{
    const TfrmMain::InstallPageChoices page = main_->installChoices();
    InstallChoices choices;
    choices.folder = page.folder;
    choices.type = page.type;
    choices.overwrite = page.overwrite;
    choices.desktop = page.desktop;
    choices.startMenu = page.startMenu;
    choices.startUp = page.startUp;
    choices.sendTo = page.sendTo;
    const PassOutcome outcome = RunInstall(*session_, *this, choices);
    passReturned(outcome);
}

void SetupWindows::runUninstall()
{
    UninstallChoices choices;
    choices.folder = main_->folder();
    const UninstallOptions offered = session_->uninstallOptions();
    const TfrmMain::UninstallPageChoices page = main_->takeUninstallChoices();
    if (offered.deleteAllOffered) {
        choices.deleteAll = page.first;
    } else {
        choices.iniFiles = page.first;
        choices.gidFiles = page.second;
    }
    const PassOutcome outcome = RunUninstall(*session_, *this, choices);
    passReturned(outcome);
}

void SetupWindows::passReturned(const PassOutcome& outcome)
{
    state_ = PageState::Ended;
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
    if (back_->isEnabled() || ClosesWithoutQuestion(state_))
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
        if (PassRunning(state_))
            cleanUpPending_ = true; // the pass still holds its work folder until it returns
        else
            session_->cleanUpWorkFolders();
    }
    maybeEnd();
}

void SetupWindows::onAbortClicked()
{
    if (!PassRunning(state_) || !main_->isEnabled())
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
    if (PassRunning(state_))
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
    if (ended_ || PassRunning(state_) || !main_->isClosed())
        return;
    ended_ = true;
    status_->closeWindow();
    back_->closeWindow();
    options_.pacer->letEventsRun();
    if (outcome_ && outcome_->status == PassOutcome::Status::Completed && outcome_->restartRequested)
        askAboutRestart();
    if (state_ == PageState::Fatal || !outcome_)
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
    // The answer also lands in the main window's hidden label, as the form always had it.
    main_->shareAnswerLabel()->clear();
    custom_->clearAnswer();
    custom_->setMessage(text);
    options_.prompter->runModal(*custom_);
    return custom_->lastAnswer();
}

void SetupWindows::showErrorDetails(const QString& caption, const QString& log)
{
    if (main_->isClosed())
        return;
    main_->showText(caption, log, false, QStringLiteral("ssVertical"));
    main_->setEventButton(kContinue);
    status_->hide();
    main_->show();
    main_->focusEventButton();
    state_ = PageState::Details;
    // The action button turns grey when the user has read enough (see enterPage).
    while (main_->eventEnabled() && !main_->isClosed())
        options_.pacer->wait(200);
    state_ = PageState::Running;
    main_->hide();
}

void SetupWindows::finishPass()
{
    back_->setEnabled(true);
    status_->closeWindow();
    main_->close();
}

} // namespace installer
