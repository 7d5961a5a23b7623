#pragma once
// One run of the installer: its mode, work folder, folder table, the definition copy and
// what is read from it at start. Both front ends build their pages from a Session and
// hand it to the install or uninstall pass.

#include "installer/folders.h"
#include "installer/profiles.h"
#include "installer/services.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace installer {

enum class Mode { Setup, Unsetup };

struct StartOptions {
    Environment environment;
    /// The program's arguments without the options; the first decides the mode.
    QStringList arguments;
    /// The running program, copied into the work folder as the future uninstaller.
    QString programPath;
    /// Where the definition and the payload lie; empty: the program's folder.
    QString sourceFolder;
    /// Services to use; missing ones are the real ones.
    Services services;
};

/// Which shortcut places the definition names ([ShortCut] Name*n*): these boxes are
/// offered and checked at first.
struct ShortcutPlaces {
    bool desktop = false;
    bool startMenu = false;
    bool startUp = false;
    bool sendTo = false;
};

/// The uninstall page's boxes as [UnSetupOption] CheckBox sets them.
struct UninstallOptions {
    bool deleteAllOffered = false; // one box "delete everything in the folder", checked
    bool iniFiles = false;         // "*.INIファイル"
    bool gidFiles = false;         // "*.GIDファイル"
};

class Session {
public:
    /// Runs the start steps: folder table, mode, work folder, self-copy, definition copy,
    /// and (when nothing fatal happened) reads the definition.
    static std::unique_ptr<Session> Start(StartOptions options);

    Mode mode() const { return mode_; }
    bool uninstalling() const { return mode_ == Mode::Unsetup; }

    /// Fatal start errors, one line each ("【致命的エラー  →  …】").
    const QStringList& fatalErrors() const { return fatal_; }
    bool hasFatalError() const { return !fatal_.isEmpty(); }
    /// The text the main page shows for them.
    QString fatalText() const;

    const Environment& environment() const { return env_; }
    const QString& sourceFolder() const { return sourceFolder_; }
    const QString& workFolder() const { return workFolder_; }
    const QString& definitionPath() const { return definitionPath_; }
    FolderTable& folders() { return folders_; }
    const FolderTable& folders() const { return folders_; }
    Services& services() { return services_; }
    Registry& registry() { return *services_.registry; }
    Profiles& profiles() { return profiles_; }

    /// ReadIniString on the definition copy.
    QString read(QStringView section, QStringView key, const QString& fallback = {});
    /// A numbered list of the definition read from 1 to its first empty value.
    QStringList readList(QStringView section, QStringView prefix);
    /// Macro expansion with the current folder table.
    QString expand(QStringView text) const { return folders_.expand(text); }
    /// A definition path as an absolute native path (relative ones are taken from the
    /// source folder, where the installer runs).
    QString absolutePath(QStringView text) const;

    // Read at start.
    QString setupWord() const { return setupWord_; }
    QString uninstallWord() const { return uninstallWord_; }
    QString setupTitle() const { return setupTitle_; }
    QString uninstallTitle() const { return uninstallTitle_; }
    /// The two credit lines, or the installer's own when the definition has none.
    QString creditText() const;
    int stepPause() const { return stepPause_; }
    QString programId() const { return programId_; }
    /// True when the uninstall title asks for no uninstall information ("Setup Only.").
    bool setupOnly() const;

    /// The proposed folder (install mode: the four sources; uninstall mode: the folder of
    /// the uninstall definition), expanded, with a trailing "/".
    QString proposedFolder() const { return proposedFolder_; }
    /// [Extend] Enabled is not "False": folder, browse, overwrite and shortcut boxes can
    /// be changed.
    bool optionsEnabled();
    ShortcutPlaces namedShortcutPlaces();
    /// The main page's message (the [TopMessage] lines, or the uninstall text).
    QString messageText();
    /// [SelectType] Visible is "True", and the two captions.
    bool typePageVisible();
    QString typeCaption(int type);
    /// The [EULA] / [Readme] file in the source folder, when named (may not exist).
    QString licenceFile();
    QString readmeFile();
    /// True when [Caution] UnInstallCheck names a file that exists in the proposed folder.
    bool earlierVersionFound();
    /// The warning shown then.
    QString earlierVersionWarning() const;
    UninstallOptions uninstallOptions();

    /// The uninstaller every installation registers: (Win) + "UNTS200X.EXE".
    QString uninstallerPath() const;
    /// (Win) + "TOSET98.INI".
    QString folderRecordPath() const;
    /// The folders an uninstallation never removes or empties.
    const Protection& protection() const;

    /// Empties and removes the work folder this run created (a TSTMPn folder that was
    /// there before keeps everything but this run's files). Called when the program ends.
    void cleanUpWorkFolders() const;

private:
    Session() = default;
    void readDefinition();
    QString computeProposedFolder();

    Mode mode_ = Mode::Setup;
    Environment env_;
    Services services_;
    Profiles profiles_;
    FolderTable folders_;
    QStringList fatal_;
    QString sourceFolder_, workFolder_, definitionPath_;
    QString setupWord_, uninstallWord_, setupTitle_, uninstallTitle_, copyRight1_, copyRight2_;
    QString programId_, proposedFolder_;
    int stepPause_ = 350;
    bool workFolderCreated_ = false;
    mutable std::unique_ptr<Protection> protection_;
};

/// The mode a first argument selects: uninstall when its file name is exactly
/// "UNSETUP.INI" (case matters).
Mode ModeOfArgument(const QString& firstArgument);

/// Creates the work folder (Tmp)TSTMPn for the first n (1..99) that does not exist, as a
/// private folder. When all exist, TSTMP99 is used if it is a real folder of this user;
/// otherwise empty is returned. `created` tells whether this call made the folder.
QString CreateWorkFolder(const QString& tempFolder, bool* created = nullptr);

/// The program's version ("a.b.c.d"), set by the build.
QString ProgramVersion();

} // namespace installer
