#pragma once
// Everything the install and uninstall passes show or ask goes through this interface,
// so that the installer's windows and its silent mode are two front ends of one engine.
//
// The engine calls these in the order the passes define; a front end decides how to
// show them (windows, a log file, a test script).
//
// A front end drives one run like this (see RunSilent for the silent one):
//  1. InstanceLock::tryLock(); when it fails another installer runs: end at once.
//  2. Session::Start(); with Session::hasFatalError() show fatalText() and stop there.
//  3. Build the pages from the Session (titles, words, messageText(), proposedFolder(),
//     optionsEnabled(), namedShortcutPlaces(), typeCaption(), licenceFile(),
//     readmeFile(), earlierVersionFound(), uninstallOptions()), starting from
//     DefaultInstallChoices() / DefaultUninstallChoices().
//  4. RunInstall() or RunUninstall() with the user's choices and this front end.
//  5. PassOutcome: Aborted and Stopped end the program; restartRequested asks for the
//     restart after the windows are gone (Services::rebooter).
//  6. Session::cleanUpWorkFolders() when the program ends.

#include "common/prompt.h"

#include <QString>

namespace installer {

/// Every message the passes and the program show, so that a front end can answer a
/// question by what it asks rather than by its text.
enum class Prompt {
    // install pass
    SpaceShortage,        // Yes/No: go on although space may be short (or the query failed)
    InstallStopped,       // the installation cannot go on (after a refusal)
    CreateFolder,         // Yes/No: create the missing install folder
    FolderCreationFailed, // the install folder could not be created
    FolderRefused,        // the install folder is a protected folder or cannot be recorded
    FolderNotEmpty,       // Yes/No: install into a folder that already holds files
    DiskChange,           // OK/Cancel: insert the next disk
    Overwrite,            // Yes/No: replace an existing file
    SizeUnknown,          // progress falls back to counting entries
    RegisterFailed,       // a library could not be registered (three titles)
    Association,          // Yes/No: associate an extension with a program
    ShowErrorDetails,     // Yes/No: show the error log
    InstallCompleted,
    ExecuteFailed,        // the program to open afterwards did not start
    // uninstall pass
    UninstallFolderUnknown,
    DeleteFile,           // Yes/No: delete a file marked "/C"
    DeleteUnsharedLibrary,// Yes/No: delete a library in the system folders that has no count
    UninstallCompleted,
    // window flow (shown by the front ends themselves)
    UninstallFirst,       // the [Caution] warning about an earlier version
    ConfirmEnd,           // Yes/No: end the installer although it has not finished
    ConfirmAbort,         // Yes/No: abort the running installation
    Aborted,              // the installation was aborted
    LockedFiles,
    Restart,              // Yes/No: restart now
    RestartDeclined,
};

// The message-box words both programs share.
using Buttons = common::MessageButtons;
using Icon = common::MessageIcon;
using Answer = common::Answer;

struct Message {
    Prompt prompt;
    QString title;
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

/// The four buttons of the shared-file question (TfrmCustomDlg): the caption it leaves in
/// lblFormShare. None when the dialog was closed without an answer.
enum class SharedFileAnswer { None, Yes, No, Delete, Save };

enum class PauseKind {
    Step,  // the step pause of [Extend] SetupSpeed
    Fixed, // the fixed waits of the pass (1000 ms at the start, 500 ms around windows)
};

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    /// The pass begins: the main window hides (its end button hidden, its action button
    /// centred).
    virtual void hideMainWindow() = 0;
    /// The progress window appears.
    virtual void showProgressWindow() = 0;

    /// A status text for the progress window; the front end lets pending events run so
    /// the window repaints.
    virtual void showStatus(const QString& text) = 0;
    /// The progress frame with bar and counter appears or hides.
    virtual void showProgressFrame(bool visible) = 0;
    /// Bar at `percent` (0..100); the counter reads percent + "%(" + processed + "/" +
    /// total + ")".
    virtual void setProgress(int percent, int processed, int total) = 0;
    virtual void setAbortEnabled(bool enabled) = 0;
    /// The abort check: true when the user has aborted (the pass then stops at once).
    virtual bool abortRequested() = 0;
    /// A wait that keeps the front end responsive.
    virtual void pause(int milliseconds, PauseKind kind) = 0;
    /// Called between chunks of a long copy, so that windows can repaint.
    virtual void keepAlive() {}

    /// A message box; the answer for Buttons::Ok is always Ok.
    virtual Answer ask(const Message& message) = 0;
    /// The four-button question about a shared file that no program uses any more.
    virtual SharedFileAnswer askSharedFile(const QString& text) = 0;
    /// The error-details page: shows `log` on the main window's text page under
    /// `caption` and returns when the user pressed "続行(&C)"; the progress window is
    /// hidden meanwhile and the main window hidden again before returning.
    virtual void showErrorDetails(const QString& caption, const QString& log) = 0;
    /// The pass has ended: the backdrop is enabled, the progress window and the main
    /// window close.
    virtual void finishPass() = 0;

    /// Something worth recording that no window shows (kept by the silent log).
    virtual void note(const QString& text) { (void)text; }
};

} // namespace installer
