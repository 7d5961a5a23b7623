#pragma once
// The install pass and the uninstall pass. Each runs once, from the start button to the
// end of the program, showing and asking everything through the front end.

#include "installer/frontend.h"

#include <QString>

namespace installer {

class Session;

/// The user's choices on the install pages.
struct InstallChoices {
    QString folder;          // the folder box text
    int type = 1;            // 1 or 2 (the type page)
    bool overwrite = true;   // chkOverWrite: replace existing files by newer ones
    bool desktop = false;    // chkSCutDesktop
    bool startMenu = false;  // chkSCutStartMenu
    bool startUp = false;    // chkSCutStartUp
    bool sendTo = false;     // chkSCutSendTo
};

/// The user's choices on the uninstall page.
struct UninstallChoices {
    QString folder;          // the folder box text ([SetupFolder] Folder)
    bool iniFiles = false;   // delete *.INI in the folders of the installation
    bool gidFiles = false;   // delete *.GID there
    bool deleteAll = false;  // delete everything in the install folder
};

struct PassOutcome {
    enum class Status {
        Completed, // the pass ran to its end (maybe with errors in the log)
        Stopped,   // the user or a fatal condition stopped it; the program ends
        Aborted,   // the abort check saw the user's abort
    };
    Status status = Status::Completed;
    int errorCount = 0;
    QString errorLog;
    /// The run ends with a system restart ([ExecuteFile] File "WINDOWS_REBOOT").
    bool restartRequested = false;
    /// Some destinations were in use and are replaced at the restart (never on this
    /// system: copies replace files by renaming).
    bool lockedFiles = false;
};

PassOutcome RunInstall(Session& session, FrontEnd& frontEnd, const InstallChoices& choices);
PassOutcome RunUninstall(Session& session, FrontEnd& frontEnd, const UninstallChoices& choices);

/// The choices the install pages start with: the proposed folder, type 1, overwrite on,
/// the boxes of the places the definition names.
InstallChoices DefaultInstallChoices(Session& session);
/// The uninstall page's starting state from [UnSetupOption] CheckBox.
UninstallChoices DefaultUninstallChoices(Session& session);

/// After the last installation is removed: the installer's own files that no
/// installation needs any more (the uninstaller, an empty TOSET98.INI) and its empty
/// folders are removed.
void TidyInstallerFolders(Session& session);

} // namespace installer
