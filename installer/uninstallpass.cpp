// The uninstall pass: removes what an installation recorded in its UNSETUP.INI.
#include "installer/fileops.h"
#include "installer/operations.h"
#include "installer/passes.h"
#include "installer/registry.h"
#include "installer/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace installer {
namespace {

struct StopPass {};

class UninstallPass {
public:
    UninstallPass(Session& session, FrontEnd& frontEnd, const UninstallChoices& choices)
        : s_(session), fe_(frontEnd), choices_(choices), S_(session.setupWord()), U_(session.uninstallWord()),
          protection_(session.protection())
    {
    }

    PassOutcome run();

private:
    void status(const QString& text) { fe_.showStatus(text); }
    Answer ask(Prompt prompt, const QString& title, const QString& text, Buttons buttons, Icon icon)
    {
        return fe_.ask(Message{prompt, title, text, buttons, icon});
    }

    void fixRoots();
    bool insideRoots(const QString& path, const QStringList& roots) const;
    bool folderInside(const QString& folder, const QStringList& roots) const;
    bool insideInstallFolder(const QString& path) const;
    bool mayDelete(const QString& path, const QString& header, bool logRefusal);
    void deleteFiles(const QStringList& values, bool logFailures);
    bool decideDeletion(const QString& path, const QString& options);
    void deleteShortcuts();
    void deleteFolders();
    void deleteRegistryKeys();
    void restoreAssociations();
    void removeInstallFolder();
    void removeCreatedFolders();
    void offerErrorDetails();

    Session& s_;
    FrontEnd& fe_;
    UninstallChoices choices_;
    const QString S_, U_;
    Protection protection_;
    QString app_;
    QString appCanonical_;   // the install folder's real path; empty when it is protected
    QStringList roots_;         // real paths of the folders whose listed files may go
    QStringList shortcutRoots_; // and where listed shortcuts may go
    QStringList own_;           // the installer's own records
    QString patterns_;
    bool deleteAll_ = false;
    SharedFileAnswer shared_ = SharedFileAnswer::None;
    ErrorLog log_;
};

/// The real path of a folder (links resolved), or its clean form when it does not exist.
QString RealFolder(const QString& folder)
{
    const QString clean = CleanFolder(folder);
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    return canonical.isEmpty() ? clean : canonical;
}

/// A shortcut outside the install folder is this installation's when it is a desktop
/// entry whose program or working folder lies in the install folder.
bool PointsInto(const QString& path, const QString& app)
{
    if (!path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive) || app.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024)
        return false;
    return file.readAll().contains(fs::NativeName(WithoutTrailingSeparator(app)));
}

bool Within(const QString& realFolder, const QString& root)
{
    return !root.isEmpty() && (realFolder == root || realFolder.startsWith(root == QLatin1String("/") ? root : root + QLatin1Char('/')));
}

/// Where an uninstallation may delete: the install folder (unless it is a protected
/// folder) and the standard folders an installation writes into. Paths are compared by
/// their real folders, so a link inside cannot lead outside.
void UninstallPass::fixRoots()
{
    if (!protection_.isProtected(app_))
        appCanonical_ = RealFolder(app_);
    if (!appCanonical_.isEmpty())
        roots_ << appCanonical_;
    const FolderTable& folders = s_.folders();
    const auto add = [](QStringList& list, const QString& value) {
        if (!value.isEmpty() && CleanFolder(value) != QLatin1String("/") && QDir::isAbsolutePath(value))
            list << RealFolder(value);
    };
    // Files: the install folder and the installer's own folders ((Win), (Sys), send-to).
    add(roots_, s_.environment().installerDataFolder());
    for (Macro m : {Macro::Win, Macro::Sys, Macro::Sen})
        add(roots_, folders.value(m));
    // Shortcuts (and their empty group folders) also in the menus, desktop and autostart.
    shortcutRoots_ = roots_;
    for (Macro m : {Macro::Smn, Macro::Sta, Macro::Dsk, Macro::Sup, Macro::CSmn, Macro::CSta, Macro::CDsk, Macro::CSup})
        add(shortcutRoots_, folders.value(m));
    // The installer's own records are never an entry to delete.
    own_ = {s_.environment().registryStorePath(), s_.folderRecordPath(), s_.uninstallerPath()};
}

bool UninstallPass::insideRoots(const QString& path, const QStringList& roots) const
{
    if (!QDir::isAbsolutePath(path))
        return false; // a relative entry would depend on where the uninstaller runs
    const QString folder = RealFolder(FolderOf(CleanFolder(path)));
    return std::any_of(roots.begin(), roots.end(), [&](const QString& root) { return Within(folder, root); });
}

bool UninstallPass::folderInside(const QString& folder, const QStringList& roots) const
{
    if (!QDir::isAbsolutePath(folder))
        return false;
    const QString real = RealFolder(folder);
    return std::any_of(roots.begin(), roots.end(), [&](const QString& root) { return Within(real, root); });
}

bool UninstallPass::insideInstallFolder(const QString& folder) const
{
    return QDir::isAbsolutePath(folder) && Within(RealFolder(folder), appCanonical_);
}

/// An entry is deleted only when it lies in one of the roots and is not a folder (a
/// listed file never takes a folder with it). Anything else is skipped and logged.
bool UninstallPass::mayDelete(const QString& path, const QString& header, bool logRefusal)
{
    QString reason;
    const bool pattern = HasWildcard(FileNameOf(path));
    const QStringList& roots = header == QLatin1String("<ShortCut> ") ? shortcutRoots_ : roots_;
    if (pattern ? !insideInstallFolder(FolderOf(path)) : (!insideRoots(path, roots) || own_.contains(CleanFolder(path))))
        reason = S_ + QStringLiteral("先のフォルダの外にあるため，削除しませんでした．");
    else if (!pattern && fs::IsRealFolder(path))
        reason = QStringLiteral("フォルダのため，削除しませんでした．");
    else if (&roots == &shortcutRoots_ && !insideInstallFolder(FolderOf(path)) && !PointsInto(path, app_))
        reason = QStringLiteral("この") + S_ + QStringLiteral("で作成したショートカットではないため，削除しませんでした．");
    if (reason.isEmpty())
        return true;
    fe_.note(QStringLiteral("not deleted (outside the installation or a folder): ") + path);
    if (logRefusal)
        log_.add(header, path, reason);
    return false;
}

bool UninstallPass::decideDeletion(const QString& path, const QString& options)
{
    Registry& registry = s_.registry();
    const int count = SharedCount(registry, path);
    const QString title = QStringLiteral("ファイル削除の確認");
    if (count == 0) {
        if (HasText(options, u"/C"))
            return ask(Prompt::DeleteFile, title,
                       path + QStringLiteral("\n\nこのファイルを削除してもよろしいですか？\n\n<<　注意　>>\nDLL/OCXなどは他のプログラムでも使用される可能性があります．\n確実に使用されないことがわかっている場合のみ削除してください．"),
                       Buttons::YesNo, Icon::Question)
                == Answer::Yes;
        if (HasText(options, u"/L"))
            return false;
        if (HasText(options, u"/F"))
            return true;
        const QString win = s_.folders().value(Macro::Win);
        const QString sys = s_.folders().value(Macro::Sys);
        if (IsLibraryPath(path) && (path.startsWith(win, Qt::CaseInsensitive) || path.startsWith(sys, Qt::CaseInsensitive)))
            return ask(Prompt::DeleteUnsharedLibrary, title,
                       path + QStringLiteral("\n\nこのDLL/OCXファイルは，共有登録されていませんが，\n今後，他のプログラムで使われる可能性があります．\nこのファイルを削除してもよろしいですか？"),
                       Buttons::YesNo, Icon::Question)
                == Answer::Yes;
        return true;
    }
    if (!HasText(options, u"/S"))
        return false; // counted by another installation, not by this one
    if (ChangeSharedCount(registry, path, false) != 0)
        return false;
    if (shared_ != SharedFileAnswer::Delete && shared_ != SharedFileAnswer::Save) {
        shared_ = SharedFileAnswer::None;
        shared_ = fe_.askSharedFile(path
                                    + QStringLiteral("\n\nこの共有ファイルは，現在，他のどのプログラムからも使われていません．\nしかし，今後，他のプログラムで使われる可能性があります．\nこのファイルを削除してもよろしいですか？"));
    }
    return shared_ == SharedFileAnswer::Yes || shared_ == SharedFileAnswer::Delete;
}

void UninstallPass::deleteFiles(const QStringList& values, bool logFailures)
{
    for (const QString& value : values) {
        const PathEntry entry = SplitPathEntry(value);
        const QString path = NativePath(entry.path);
        if (path.isEmpty() || !mayDelete(path, QStringLiteral("<File> "), true) || !decideDeletion(path, entry.options))
            continue;
        const int error = DeleteFileSilently(s_, path);
        if (error && logFailures)
            log_.addSystemError(QStringLiteral("<File> "), path, error);
    }
}

void UninstallPass::deleteShortcuts()
{
    const FolderTable& folders = s_.folders();
    const QStringList kept = {folders.value(Macro::Sta), folders.value(Macro::Dsk), folders.value(Macro::Sup),
                              folders.value(Macro::Sen), folders.value(Macro::CSta), folders.value(Macro::CDsk),
                              folders.value(Macro::CSup)};
    for (const QString& value : s_.readList(u"DeleteShortCut", u"File")) {
        const QString path = NativePath(value);
        if (!mayDelete(path, QStringLiteral("<ShortCut> "), true))
            continue;
        if (const int error = DeleteFileSilently(s_, path))
            log_.addSystemError(QStringLiteral("<ShortCut> "), path, error);
        // The shortcut's group folder goes when it is empty; the standard folders stay.
        const QString folder = WithTrailingSeparator(FolderOf(path));
        const bool standard = std::any_of(kept.begin(), kept.end(), [&](const QString& k) { return SameText(k, folder); });
        if (!standard && !protection_.isProtected(folder) && folderInside(folder, shortcutRoots_))
            fs::RemoveFolder(folder);
    }
}

void UninstallPass::deleteFolders()
{
    const QStringList folders = s_.readList(u"DeleteFolder", u"Folder");
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        const QString folder = WithTrailingSeparator(NativePath(*it));
        if (QDir::isAbsolutePath(folder) && protection_.isProtected(folder)) {
            fe_.note(QStringLiteral("protected folder kept: ") + folder);
            continue;
        }
        if (!folderInside(folder, shortcutRoots_)) {
            log_.add(QStringLiteral("<Folder> "), folder, S_ + QStringLiteral("先のフォルダの外にあるため，削除しませんでした．"));
            continue;
        }
        // Patterns are deleted only in real folders inside the install folder, never
        // through a link that leads out of it.
        const bool inside = insideInstallFolder(folder) && !fs::IsLink(folder);
        const int error = inside ? DeleteInFolder(s_, folder, patterns_) : fs::RemoveFolder(folder);
        if (error && !(inside && deleteAll_))
            log_.addSystemError(QStringLiteral("<Folder> "), folder, error);
    }
}

void UninstallPass::deleteRegistryKeys()
{
    for (const QString& value : s_.readList(u"DeleteRegistry", u"Key")) {
        const RegistryKeyText key = SplitKeyTextForUninstall(value);
        DeleteRegistryKey(s_.registry(), key.root, key.key);
    }
}

void UninstallPass::restoreAssociations()
{
    Registry& registry = s_.registry();
    for (int n = 1; n <= 20; ++n) {
        const QString value = s_.read(u"RestoreRelate", QStringLiteral("Key%1").arg(n));
        if (value.isEmpty())
            continue;
        const qsizetype comma = value.indexOf(QLatin1Char(','));
        const QString extension = comma < 0 ? value : value.left(comma);
        const QString previous = comma < 0 ? QString() : value.mid(comma + 1);
        const QString dotKey = QLatin1Char('.') + extension;
        if (!previous.isEmpty() && registry.keyExists(RegRoot::ClassesRoot, dotKey))
            registry.setValue(RegRoot::ClassesRoot, dotKey, {}, RegValue::String(previous));
        else
            DeleteRegistryKey(registry, RegRoot::ClassesRoot, dotKey);
        if (!SameText(previous, extension + QStringLiteral("_auto_file")))
            DeleteRegistryKey(registry, RegRoot::ClassesRoot, extension + QStringLiteral("_auto_file"));
    }
}

void UninstallPass::removeInstallFolder()
{
    const FolderTable& folders = s_.folders();
    const QString header = QStringLiteral("<SetupFolder> ");
    for (Macro m : {Macro::Tmp, Macro::Win, Macro::Sys, Macro::Prg}) {
        if (SameText(app_, folders.value(m))) {
            fe_.note(QStringLiteral("the install folder is a system folder and stays: ") + app_);
            return;
        }
    }
    if (protection_.isProtected(app_)) {
        // The home folder, an XDG folder, a mount point or a folder above one: whatever
        // the definition says, nothing in it is deleted.
        fe_.note(QStringLiteral("the install folder is protected and stays: ") + app_);
        if (deleteAll_)
            log_.add(header, app_, U_ + QStringLiteral("フォルダは保護されたフォルダ(ホームフォルダなど)のため，何も削除しませんでした．"));
        return;
    }
    if (fs::IsLink(app_)) {
        // A link in place of the install folder: what it points to is not ours.
        fe_.note(QStringLiteral("the install folder is a link and stays: ") + app_);
        log_.add(header, app_, S_ + QStringLiteral("フォルダがリンクのため，削除しませんでした．"));
        return;
    }
    int error;
    if (deleteAll_) {
        fs::DeletePath(app_ + QStringLiteral("*.*"), protection_);
        error = fs::RemoveFolder(app_);
    } else {
        error = DeleteInFolder(s_, app_, patterns_);
    }
    if (error == 0)
        return;
    if (error == ENOTEMPTY || error == EEXIST || error == EACCES || error == EPERM) {
        const QString reason = deleteAll_ ? QStringLiteral("全ファイル・フォルダの削除を試みましたが，エラーが発生したため，")
                                          : QStringLiteral("フォルダにファイルが残っているため，");
        log_.add(header, app_, reason + S_ + QStringLiteral("フォルダを削除できませんでした．エクスプローラなどから，直接削除してください．"));
    } else {
        log_.addSystemError(header, app_, error);
    }
}

/// The standard folders the installation recorded as made by it go when they are empty.
/// Only folders of the standard chain count (a tampered entry elsewhere is ignored), and
/// only empty ones are removed, so the protected-folder rule has nothing to guard here.
/// A definition without the record (an older installation) leaves them all.
void UninstallPass::removeCreatedFolders()
{
    const QStringList chain = StandardFolderChain(s_);
    QStringList recorded;
    for (const QString& value : s_.readList(u"CreatedFolder", u"Folder")) {
        const QString folder = CleanFolder(NativePath(value));
        if (chain.contains(folder) && QDir::isAbsolutePath(value))
            recorded << folder;
        else
            fe_.note(QStringLiteral("recorded folder is not a standard folder and stays: ") + value);
    }
    // Deepest first, as the chain is ordered, so that a parent can follow its child.
    for (const QString& folder : chain) {
        if (!recorded.contains(folder) || !fs::IsFolder(folder) || fs::IsLink(folder))
            continue;
        if (fs::RemoveFolder(folder) == 0)
            fe_.note(QStringLiteral("removed the empty folder the installation made: ") + folder);
    }
}

void UninstallPass::offerErrorDetails()
{
    if (log_.empty())
        return;
    status(QStringLiteral("一部の処理に失敗しました．"));
    const Answer answer = ask(Prompt::ShowErrorDetails, QStringLiteral("警告"),
                              U_ + QStringLiteral("の過程で，一部の処理が失敗しました．\n詳細を表示しますか？"), Buttons::YesNo,
                              Icon::Warning);
    if (answer != Answer::Yes)
        return;
    fe_.showErrorDetails(QStringLiteral("削除処理失敗　詳細表示"), log_.text());
    fe_.pause(500, PauseKind::Fixed);
    fe_.showProgressWindow();
}

PassOutcome UninstallPass::run()
{
    PassOutcome outcome;
    try {
        deleteAll_ = choices_.deleteAll;
        if (!deleteAll_) {
            if (choices_.iniFiles)
                patterns_ += QStringLiteral("*.INI|");
            if (choices_.gidFiles)
                patterns_ += QStringLiteral("*.GID|");
        }
        fe_.hideMainWindow();
        fe_.showProgressWindow();
        status(U_ + QStringLiteral("を行っています．．．"));

        if (choices_.folder.trimmed().isEmpty()) {
            ask(Prompt::UninstallFolderUnknown, QStringLiteral("致命的エラー"),
                U_ + QStringLiteral("フォルダが不明です．\n") + U_ + QStringLiteral("は続行できません．"), Buttons::Ok, Icon::Stop);
            throw StopPass{};
        }
        if (!QDir::isAbsolutePath(NativePath(choices_.folder.trimmed()))) {
            // A relative folder would be taken from wherever the uninstaller runs.
            ask(Prompt::UninstallFolderUnknown, QStringLiteral("致命的エラー"),
                U_ + QStringLiteral("フォルダが絶対パスで書かれていません．\n") + choices_.folder.trimmed() + QStringLiteral("\n") + U_
                    + QStringLiteral("は続行できません．"),
                Buttons::Ok, Icon::Stop);
            throw StopPass{};
        }
        app_ = WithTrailingSeparator(CleanFolder(NativePath(choices_.folder.trimmed())));
        s_.folders().setInstallFolder(app_);
        fixRoots();

        if (!s_.programId().isEmpty())
            s_.profiles().removeSection(s_.folderRecordPath(), s_.programId());

        // Nothing to be removed may be the current folder.
        QDir::setCurrent(s_.folders().value(Macro::Tmp));

        deleteFiles(s_.readList(u"DeleteFile", u"File"), true);
        deleteFiles(s_.readList(u"AddDeleteFile", u"File"), false);
        deleteShortcuts();
        deleteFolders();
        deleteRegistryKeys();
        restoreAssociations();
        const QString entryKey = s_.read(u"UnSetupRegistryKey", u"Key");
        if (!entryKey.isEmpty())
            DeleteRegistryKey(s_.registry(), RegRoot::LocalMachine, entryKey);
        removeInstallFolder();
        TidyInstallerFolders(s_);
        removeCreatedFolders();
        offerErrorDetails();

        const QString done = U_ + QStringLiteral("を完了しました．");
        status(done);
        ask(Prompt::UninstallCompleted, QStringLiteral("完了"), done, Buttons::Ok, Icon::Information);
        fe_.finishPass();
    } catch (const StopPass&) {
        outcome.status = PassOutcome::Status::Stopped;
    }
    outcome.errorCount = log_.count();
    outcome.errorLog = log_.text();
    return outcome;
}

} // namespace

PassOutcome RunUninstall(Session& session, FrontEnd& frontEnd, const UninstallChoices& choices)
{
    return UninstallPass(session, frontEnd, choices).run();
}

UninstallChoices DefaultUninstallChoices(Session& session)
{
    UninstallChoices choices;
    choices.folder = session.proposedFolder();
    const UninstallOptions options = session.uninstallOptions();
    choices.deleteAll = options.deleteAllOffered;
    choices.iniFiles = options.iniFiles;
    choices.gidFiles = options.gidFiles;
    return choices;
}

void TidyInstallerFolders(Session& session)
{
    Registry& registry = session.registry();
    const QString uninstaller = session.uninstallerPath();
    bool needed = false;
    for (const QString& entry : registry.subKeys(RegRoot::LocalMachine, UninstallListKey())) {
        const QString command = registry.stringValue(RegRoot::LocalMachine, UninstallListKey() + QLatin1Char('\\') + entry,
                                                     QStringLiteral("UninstallString"));
        if (command.startsWith(uninstaller) || command.startsWith(QLatin1Char('"') + uninstaller))
            needed = true;
    }
    if (!needed && fs::IsFile(uninstaller))
        fs::RemoveFile(uninstaller);
    // TOSET98.INI goes when its last section has gone.
    const QString record = session.folderRecordPath();
    common::IniDocument doc;
    if (fs::IsFile(record) && common::LoadIniFile(record, doc) && doc.isEmpty())
        fs::RemoveFile(record);
    session.profiles().forget(record);
    const FolderTable& folders = session.folders();
    for (const QString& folder : {folders.value(Macro::Sys), folders.value(Macro::Win), folders.value(Macro::Sen),
                                  session.environment().installerDataFolder()})
        if (!folder.isEmpty() && fs::IsFolder(folder))
            fs::RemoveFolder(folder); // only when empty
}

} // namespace installer
