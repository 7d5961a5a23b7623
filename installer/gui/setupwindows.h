#pragma once
// The installer's windowed front end: the backdrop (TfrmBack), the main window with its
// pages (TfrmMain), the progress window (TfrmStatus) and the shared-file question
// (TfrmCustomDlg), and the flow that leads the user from the welcome page through an
// installation or an uninstallation to the end, including the restart question after
// the windows have gone.
//
// Start: the backdrop appears maximized; on its first resize it takes its caption and
// the main window comes. The main window's first showing runs the session's start steps
// and fills the pages. In install mode the action button (btnEvent) then steps through
// welcome, licence, read-me and type pages to the main page, whose start button runs the
// install pass; in uninstall mode the main page comes at once. The passes run inside the
// start button's handler and keep the windows alive by letting events run at every
// status text, pause and copied chunk; the abort button is honoured at the pass's next
// abort check.
//
// Exit status (as for the silent mode): 0 the pass completed, 1 it completed with failed
// steps, 2 a fatal start error, a refusal, an abort, or an end before any pass ran.

#include "installer/frontend.h"
#include "installer/gui/pageflow.h"
#include "installer/gui/prompter.h"
#include "installer/passes.h"
#include "installer/services.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

namespace installer {

class Session;
class TfrmBack;
class TfrmCustomDlg;
class TfrmMain;
class TfrmStatus;

struct WindowOptions {
    Environment environment;
    /// The program's arguments; the first may be the path of an UNSETUP.INI.
    QStringList arguments;
    /// The running program (copied into the work folder as the future uninstaller).
    QString programPath;
    /// Where the definition and the payload lie; empty: the program's folder.
    QString sourceFolder;
    /// Services to use; missing ones are the real ones.
    Services services;
    /// Message boxes and modal dialogs; null: Qt's.
    std::shared_ptr<Prompter> prompter;
    /// The folder browser of the "参照(&R)" button; null: the desktop's.
    std::shared_ptr<FolderChooser> folderChooser;
    /// Waits; null: real ones.
    std::shared_ptr<Pacer> pacer;
    /// The program's version "a.b.c.d"; empty: the version the build set.
    QString version;
};

class SetupWindows : public QObject, private FrontEnd {
    Q_OBJECT
public:
    explicit SetupWindows(WindowOptions options, QObject* parent = nullptr);
    ~SetupWindows() override;

    /// Takes the single-instance lock and shows the backdrop; the main window follows
    /// once events run. False (and nothing shown) when another installer runs.
    bool start();

    /// A termination signal (SIGTERM, SIGHUP, SIGINT): a running pass is aborted as by
    /// the abort button (without asking), the windows close and the work folder and the
    /// lock go, as at any other end.
    void terminate();

    bool hasEnded() const { return ended_; }
    int exitStatus() const { return exitStatus_; }
    /// The pass's outcome, once a pass has run.
    const std::optional<PassOutcome>& outcome() const { return outcome_; }
    /// The run's session (after the main window's first showing).
    Session* session() const { return session_.get(); }

    TfrmBack* frmBack() const { return back_.get(); }
    TfrmMain* frmMain() const { return main_.get(); }
    TfrmStatus* frmStatus() const { return status_.get(); }
    TfrmCustomDlg* frmCustomDlg() const { return custom_.get(); }

    /// What the passes noted that no window shows.
    const QStringList& notes() const { return notes_; }

Q_SIGNALS:
    /// The windows have gone and the restart question (if any) has been answered.
    void ended(int exitStatus);

private:
    void showMainWindow();
    void initialise();
    void showFatalError();
    void layOutUninstallPage();
    void onEventClicked();
    PageOffers currentOffers() const;
    void enterPage(PageState next);
    void showWelcomePage();
    void showLicencePage();
    void showReadMePage();
    void showTypePage();
    void showMainPage();
    void startPass();
    void onReferClicked();
    void onAbortClicked();
    bool mayCloseMain();
    void onMainClosed();
    void runInstall();
    void runUninstall();
    void passReturned(const PassOutcome& outcome);
    void maybeEnd();
    void askAboutRestart();
    Answer askUser(Prompt prompt, const QString& title, const QString& text, Buttons buttons, Icon icon);
    QWidget* activeOwner() const;
    QString readTextFile(const QString& path) const;

    // FrontEnd
    void hideMainWindow() override;
    void showProgressWindow() override;
    void showStatus(const QString& text) override;
    void showProgressFrame(bool visible) override;
    void setProgress(int percent, int processed, int total) override;
    void setAbortEnabled(bool enabled) override;
    bool abortRequested() override;
    void pause(int milliseconds, PauseKind kind) override;
    void keepAlive() override;
    Answer ask(const Message& message) override;
    SharedFileAnswer askSharedFile(const QString& text) override;
    void showErrorDetails(const QString& caption, const QString& log) override;
    void finishPass() override;
    void note(const QString& text) override { notes_ << text; }

    WindowOptions options_;
    std::unique_ptr<InstanceLock> lock_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TfrmBack> back_;
    std::unique_ptr<TfrmMain> main_;
    std::unique_ptr<TfrmStatus> status_;
    std::unique_ptr<TfrmCustomDlg> custom_;

    QString S_, U_;
    PageState state_ = PageState::Starting;
    bool cleanUpPending_ = false;
    bool ended_ = false;
    int exitStatus_ = 2;
    std::optional<PassOutcome> outcome_;
    QStringList notes_;
};

} // namespace installer
