#pragma once
// The folder table behind the definition's folder macros, resolved from HOME and the
// XDG variables, and the folders the uninstaller never removes.
//
// Every folder value ends in "/". (App) and (Set) have no value until the install folder
// is fixed; until then "(App)" stays in a text as it is.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <array>

namespace installer {

class Registry;

/// What the folder table depends on: the user's home and the XDG variables.
struct Environment {
    QString home;       // HOME
    QString dataHome;   // XDG_DATA_HOME as set (used only when absolute)
    QString configHome; // XDG_CONFIG_HOME
    QString cacheHome;  // XDG_CACHE_HOME
    QString stateHome;  // XDG_STATE_HOME
    QString runtimeDir; // XDG_RUNTIME_DIR
    QString tempDir;    // TMPDIR
    QString desktopDir; // XDG_DESKTOP_DIR, when set in the environment
    /// Running as the superuser: the common (C_*) folders are the system-wide ones.
    bool systemWide = false;

    static Environment FromProcess();
    static Environment FromVariables(const QProcessEnvironment& env, bool systemWide);

    /// Absolute home folder with a trailing "/", or empty when HOME is unusable.
    QString homeFolder() const;
    QString dataFolder() const;   // XDG_DATA_HOME or ~/.local/share, with "/"
    QString configFolder() const; // XDG_CONFIG_HOME or ~/.config
    QString cacheFolder() const;
    QString stateFolder() const;
    QString tempFolder() const;    // TMPDIR or /tmp, with "/"
    QString runtimeFolder() const; // XDG_RUNTIME_DIR or empty
    /// The XDG user folder named NAME in user-dirs.dirs ("DESKTOP", "MUSIC", …), falling
    /// back to the default under the home folder.
    QString userFolder(const QString& name) const;
    /// The installer's own folders: (Win) and the send-to folder live under it.
    QString installerDataFolder() const; // <data>/tovel-setup/
    QString windowsFolder() const;       // <data>/tovel-setup/windows/
    /// Where the file-backed registry lives.
    QString registryStorePath() const;
};

enum class Macro { App, Prg, Win, Sys, Tmp, Boo, Set, Edr, Smn, Sta, Dsk, Sup, Sen, CSmn, CSta, CDsk, CSup };
constexpr int kMacroCount = 17;

/// The macro as written in definitions, e.g. "(C_Smn)".
QString MacroName(Macro macro);

class FolderTable {
public:
    /// Resolves every folder. (Prg) reads ProgramFilesDir from `registry` when given.
    static FolderTable Resolve(const Environment& env, const QString& sourceFolder, const Registry* registry);

    QString value(Macro macro) const { return values_[int(macro)]; }
    bool hasValue(Macro macro) const { return known_[int(macro)]; }
    void setValue(Macro macro, const QString& folder);
    /// Fixes (App) and with it (Set), the root of its file system.
    void setInstallFolder(const QString& folder);

    bool windowsFolderFound() const { return windowsFound_; }
    bool systemFolderFound() const { return systemFound_; }

    /// Replaces the macros in their fixed order, each occurrence (any case) by its value;
    /// a separator right after a value that ends in one is dropped, so "(App)\data"
    /// gives one separator. An inserted value is never searched again, so a folder
    /// whose name looks like a macro cannot make the expansion run away.
    QString expand(QStringView text) const;

private:
    std::array<QString, kMacroCount> values_;
    std::array<bool, kMacroCount> known_{};
    bool windowsFound_ = false;
    bool systemFound_ = false;
};

/// The mount point of the file system holding `path` ("/" for the root), with "/".
QString FileSystemRootOf(const QString& path);

/// Folders that are never removed or emptied, whatever a definition says: the root and
/// every mount point, the home folder, the XDG base and user folders, the table's
/// standard folders, and every folder above one of these.
class Protection {
public:
    Protection() = default;
    Protection(const Environment& env, const FolderTable& folders, const QStringList& extra = {});
    void add(const QString& folder);
    /// True when `folder` is one of the protected folders or lies above one of them.
    bool isProtected(const QString& folder) const;
    const QStringList& folders() const { return folders_; }

private:
    QStringList folders_; // clean absolute paths without trailing "/"
};

/// A clean absolute form of a folder path for comparisons ("/a/b", "/" for the root).
QString CleanFolder(const QString& path);

} // namespace installer
