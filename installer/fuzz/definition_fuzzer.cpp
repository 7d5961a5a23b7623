// Fuzzes the definitions and both passes. A definition of any bytes is started and read
// the way the pages read it; then the pass runs in a fixed sandbox with canary files
// around it: an install definition is installed into a fixed folder and the uninstall
// definition it wrote is uninstalled again; an uninstall definition is uninstalled
// directly. Nothing may crash, and no pass may delete anything outside the run's work
// folder, the install folder and the installer's own folder.
//
// Input: the first byte picks the mode (bit 0: an UNSETUP.INI given as the first
// argument) and the uninstall page's boxes (bit 1: delete all, bit 2: *.INI, bit 3:
// *.GID); the rest is the definition. The sandbox lies at a fixed place (/tmp/tsfz/) so
// that definitions can name its paths.
#include "installer/fileops.h"
#include "installer/folders.h"
#include "installer/passes.h"
#include "installer/registry.h"
#include "installer/session.h"
#include "installer/silent.h"
#include "installer/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRoot = QStringLiteral("/tmp/tsfz/");
const QString kHome = kRoot + QStringLiteral("h/");
const QString kMedia = kRoot + QStringLiteral("m/");
const QString kTmp = kHome + QStringLiteral("tmp/");
const QString kApp = kHome + QStringLiteral(".local/opt/Tool/");

/// Files that must outlive every run unless they lie in the run's install folder.
const QStringList& Canaries()
{
    static const QStringList files = {kHome + "thesis/chapter1.txt", kHome + "notes.ini", kRoot + "o/keep.INI",
                                      kHome + "Desktop/photo.txt", kHome + ".local/opt/OtherApp/data.txt",
                                      kHome + ".local/share/applications/other.desktop", kHome + ".config/app.ini",
                                      kApp + "tool.txt", kApp + "sub/inner.INI"};
    return files;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void Plant()
{
    for (const QString& path : Canaries())
        if (!QFileInfo::exists(path))
            Write(path, "canary");
    QDir().mkpath(kTmp);
    if (!QFileInfo(kApp + "link").isSymLink()) {
        QFile::remove(kApp + "link");
        QFile::link(kRoot + "o", kApp + "link"); // a way out of the install folder
    }
    if (!QFileInfo::exists(kMedia + "setup")) {
        Write(kMedia + "setup", "#!/bin/sh\n");
        Write(kMedia + "tool.txt", "tool");
    }
}

struct State {
    QString workFolder;
    QString installFolder; // real path, once the pass has fixed it
    QString ownFolder;     // the installer's data folder
    QStringList shortcutFolders;
};
State& Current()
{
    static State state;
    return state;
}

/// Thrown by the watcher for a write outside the sandbox: an install definition may
/// write wherever it says, but not on the fuzzing machine.
struct Escape {};

QString RealPathOf(const QString& path)
{
    const QString bare = installer::WithoutTrailingSeparator(installer::NativePath(path));
    const QFileInfo info(bare);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

bool Within(const QString& real, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString f = installer::WithoutTrailingSeparator(folder);
    return real == f || real.startsWith(f + QLatin1Char('/'));
}

void Watch(const QString& path, const char* operation)
{
    const QString op = QString::fromLatin1(operation);
    const QString real = RealPathOf(path);
    if (op != QLatin1String("remove") && op != QLatin1String("rmdir")) {
        if (!Within(real, kRoot.chopped(1)))
            throw Escape{};
        return;
    }
    struct stat st {};
    if (::lstat(QFile::encodeName(real).constData(), &st) != 0)
        return; // nothing there: nothing deleted
    if (op == QLatin1String("rmdir") && S_ISDIR(st.st_mode)
        && !QDir(real).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return; // a folder with something in it cannot be removed
    const State& s = Current();
    if (Within(real, s.workFolder) || Within(real, s.installFolder) || Within(real, s.ownFolder))
        return;
    // Empty shortcut group folders and shortcut files in the menus, desktop, autostart.
    for (const QString& folder : s.shortcutFolders) {
        if (!Within(real, folder))
            continue;
        if (op == QLatin1String("rmdir") && QDir(real).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            return;
        if (op == QLatin1String("remove") && real.endsWith(QLatin1String(".desktop")) && !s.installFolder.isEmpty()) {
            QFile file(real);
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(QFile::encodeName(s.installFolder)))
                return; // a shortcut to the installation
        }
    }
    std::fprintf(stderr, "deleted outside the installation: %s %s\n", operation, real.toLocal8Bit().constData());
    std::abort();
}

class NoOpener : public installer::ShellOpener {
public:
    bool open(const QString&, const QString&, QString*) override { return true; }
};
class NoRebooter : public installer::Rebooter {
public:
    bool requestReboot() override { return false; }
};
class AmpleSpace : public installer::DiskSpace {
public:
    qint64 freeBytes(const QString&) override { return qint64(1) << 40; }
};
class NoServers : public installer::ServerRegistrar {
public:
    Result call(const QString&, bool) override { return Result::Ok; }
};

installer::StartOptions Options(const QStringList& arguments)
{
    installer::StartOptions options;
    options.environment.home = kHome;
    options.environment.tempDir = kTmp;
    options.environment.runtimeDir = kRoot;
    options.programPath = kMedia + QStringLiteral("setup");
    options.arguments = arguments;
    options.services.opener = std::make_shared<NoOpener>();
    options.services.rebooter = std::make_shared<NoRebooter>();
    options.services.diskSpace = std::make_shared<AmpleSpace>();
    options.services.servers = std::make_shared<NoServers>();
    return options;
}

void ReadEverything(installer::Session& s)
{
    using namespace installer;
    (void)s.creditText();
    (void)s.optionsEnabled();
    (void)s.messageText();
    (void)s.typePageVisible();
    (void)s.typeCaption(1);
    (void)s.typeCaption(2);
    (void)s.licenceFile();
    (void)s.readmeFile();
    (void)s.earlierVersionFound();
    (void)s.uninstallOptions();
    const common::IniDocument& doc = s.profiles().document(s.definitionPath());
    for (const QString& section : doc.sections()) {
        for (const QString& key : doc.keys(section)) {
            const QString value = doc.value(section, key, QString());
            const QString expanded = s.folders().expand(value);
            (void)SplitPathEntry(expanded);
            (void)SplitKeyTextForInstall(value);
            (void)SplitKeyTextForUninstall(value);
            (void)LeadingInteger(value);
            (void)LeadingHex(value);
            (void)VersionText(value);
        }
    }
}

/// One pass on a started session, watched.
void RunPass(const installer::StartOptions& options, uint8_t boxes, bool install)
{
    using namespace installer;
    const auto session = Session::Start(options);
    State& state = Current();
    state = State();
    state.workFolder = session->workFolder();
    state.ownFolder = session->environment().installerDataFolder();
    for (Macro m : {Macro::Smn, Macro::Sta, Macro::Dsk, Macro::Sup, Macro::CSmn, Macro::CSta, Macro::CDsk, Macro::CSup})
        state.shortcutFolders << session->folders().value(m);
    if (!session->hasFatalError()) {
        ReadEverything(*session);
        SilentFrontEnd frontEnd({});
        try {
            if (install) {
                InstallChoices choices = DefaultInstallChoices(*session);
                choices.folder = kApp;
                state.installFolder = QFileInfo(kApp).canonicalFilePath();
                RunInstall(*session, frontEnd, choices);
            } else {
                UninstallChoices choices = DefaultUninstallChoices(*session);
                choices.deleteAll = choices.deleteAll && (boxes & 2);
                choices.iniFiles = boxes & 4;
                choices.gidFiles = boxes & 8;
                // The install folder the pass will fix, as the watcher must know it.
                const QString folder = NativePath(choices.folder.trimmed());
                if (QDir::isAbsolutePath(folder) && !session->protection().isProtected(folder)) {
                    const QString real = QFileInfo(CleanFolder(folder)).canonicalFilePath();
                    state.installFolder = real.isEmpty() ? CleanFolder(folder) : real;
                }
                RunUninstall(*session, frontEnd, choices);
            }
        } catch (const Escape&) {
        }
    }
    session->cleanUpWorkFolders();
}

void CheckCanaries()
{
    const State& s = Current();
    for (const QString& path : Canaries()) {
        if (QFileInfo::exists(path))
            continue;
        const QString real = RealPathOf(path);
        if (Within(real, s.installFolder) || Within(real, s.workFolder))
            continue;
        std::fprintf(stderr, "canary lost: %s\n", path.toLocal8Bit().constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QDir(kRoot).removeRecursively();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Plant();
    const QString cwd = QDir::currentPath(); // the uninstall pass moves to (Tmp)
    const bool uninstall = data[0] & 1;
    const QByteArray definition(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    installer::fs::SetMutationObserver(Watch);
    if (uninstall) {
        const QString path = kRoot + QStringLiteral("u/UNSETUP.INI");
        Write(path, definition);
        ::chmod(QFile::encodeName(path).constData(), 0644);
        RunPass(Options({path}), data[0], false);
    } else {
        Write(kMedia + QStringLiteral("SETUP.INI"), definition);
        RunPass(Options({}), data[0], true);
        CheckCanaries();
        // The installation removed again through the definition it wrote.
        const QString written = kApp + QStringLiteral("UNSETUP.INI");
        if (QFileInfo::exists(written))
            RunPass(Options({written}), data[0], false);
        QFile::remove(kMedia + QStringLiteral("SETUP.INI"));
    }
    CheckCanaries();
    installer::fs::SetMutationObserver(nullptr);
    QDir::setCurrent(cwd);
    return 0;
}
