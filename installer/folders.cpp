#include "installer/folders.h"

#include "installer/registry.h"
#include "installer/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <unistd.h>

namespace installer {
namespace {

/// An XDG variable counts only when it holds an absolute path.
QString AbsoluteFolder(const QString& value)
{
    if (value.isEmpty() || !value.startsWith(QLatin1Char('/')))
        return {};
    return WithTrailingSeparator(QDir::cleanPath(value));
}

const QString kProgramFilesKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion");

} // namespace

Environment Environment::FromVariables(const QProcessEnvironment& env, bool systemWide)
{
    Environment e;
    e.home = env.value(QStringLiteral("HOME"));
    e.dataHome = env.value(QStringLiteral("XDG_DATA_HOME"));
    e.configHome = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    e.cacheHome = env.value(QStringLiteral("XDG_CACHE_HOME"));
    e.stateHome = env.value(QStringLiteral("XDG_STATE_HOME"));
    e.runtimeDir = env.value(QStringLiteral("XDG_RUNTIME_DIR"));
    e.tempDir = env.value(QStringLiteral("TMPDIR"));
    e.desktopDir = env.value(QStringLiteral("XDG_DESKTOP_DIR"));
    e.systemWide = systemWide;
    return e;
}

Environment Environment::FromProcess()
{
    return FromVariables(QProcessEnvironment::systemEnvironment(), ::geteuid() == 0);
}

QString Environment::homeFolder() const
{
    return AbsoluteFolder(home);
}

namespace {
QString BaseFolder(const QString& variable, const QString& home, const char* fallback)
{
    if (QString folder = AbsoluteFolder(variable); !folder.isEmpty())
        return folder;
    if (home.isEmpty())
        return {};
    return home + QLatin1String(fallback);
}
} // namespace

QString Environment::dataFolder() const
{
    return BaseFolder(dataHome, homeFolder(), ".local/share/");
}

QString Environment::configFolder() const
{
    return BaseFolder(configHome, homeFolder(), ".config/");
}

QString Environment::cacheFolder() const
{
    return BaseFolder(cacheHome, homeFolder(), ".cache/");
}

QString Environment::stateFolder() const
{
    return BaseFolder(stateHome, homeFolder(), ".local/state/");
}

QString Environment::tempFolder() const
{
    if (QString folder = AbsoluteFolder(tempDir); !folder.isEmpty())
        return folder;
    return QStringLiteral("/tmp/");
}

QString Environment::runtimeFolder() const
{
    return AbsoluteFolder(runtimeDir);
}

QString Environment::userFolder(const QString& name) const
{
    static const QHash<QString, QString> defaults = {
        {QStringLiteral("DESKTOP"), QStringLiteral("Desktop")},
        {QStringLiteral("DOCUMENTS"), QStringLiteral("Documents")},
        {QStringLiteral("DOWNLOAD"), QStringLiteral("Downloads")},
        {QStringLiteral("MUSIC"), QStringLiteral("Music")},
        {QStringLiteral("PICTURES"), QStringLiteral("Pictures")},
        {QStringLiteral("PUBLICSHARE"), QStringLiteral("Public")},
        {QStringLiteral("TEMPLATES"), QStringLiteral("Templates")},
        {QStringLiteral("VIDEOS"), QStringLiteral("Videos")},
    };
    const QString homeDir = homeFolder();
    if (name == QLatin1String("DESKTOP"))
        if (QString folder = AbsoluteFolder(desktopDir); !folder.isEmpty())
            return folder;
    // user-dirs.dirs lines read: XDG_MUSIC_DIR="$HOME/Music"
    const QString config = configFolder();
    if (!config.isEmpty()) {
        QFile file(config + QStringLiteral("user-dirs.dirs"));
        if (file.open(QIODevice::ReadOnly)) {
            const QString key = QStringLiteral("XDG_%1_DIR").arg(name);
            const QStringList lines = QString::fromUtf8(file.read(64 * 1024)).split(QLatin1Char('\n'));
            for (QString line : lines) {
                line = line.trimmed();
                if (!line.startsWith(key + QLatin1Char('=')))
                    continue;
                QString value = line.mid(key.size() + 1).trimmed();
                if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                    value = value.mid(1, value.size() - 2);
                if (value.startsWith(QLatin1String("$HOME"))) {
                    if (homeDir.isEmpty())
                        break;
                    value = homeDir + value.mid(5);
                }
                if (QString folder = AbsoluteFolder(value); !folder.isEmpty())
                    return folder;
                break;
            }
        }
    }
    if (homeDir.isEmpty())
        return {};
    return homeDir + defaults.value(name, name) + QLatin1Char('/');
}

QString Environment::installerDataFolder() const
{
    const QString data = dataFolder();
    return data.isEmpty() ? QString() : data + QStringLiteral("tovel-setup/");
}

QString Environment::windowsFolder() const
{
    const QString base = installerDataFolder();
    return base.isEmpty() ? QString() : base + QStringLiteral("windows/");
}

QString Environment::registryStorePath() const
{
    const QString win = windowsFolder();
    return win.isEmpty() ? QString() : win + QStringLiteral("registry.txt");
}

QString MacroName(Macro macro)
{
    static const char* const names[kMacroCount] = {"(App)", "(Prg)", "(Win)", "(Sys)", "(Tmp)", "(Boo)",
                                                   "(Set)", "(Edr)", "(Smn)", "(Sta)", "(Dsk)", "(Sup)",
                                                   "(Sen)", "(C_Smn)", "(C_Sta)", "(C_Dsk)", "(C_Sup)"};
    return QString::fromLatin1(names[int(macro)]);
}

QString FileSystemRootOf(const QString& path)
{
    // The nearest existing folder decides (the path itself may not exist yet).
    QString probe = QDir::cleanPath(NativePath(path));
    while (!probe.isEmpty() && probe != QLatin1String("/") && !QFileInfo::exists(probe))
        probe = QFileInfo(probe).path();
    const QStorageInfo info(probe.isEmpty() ? QStringLiteral("/") : probe);
    if (!info.isValid() || info.rootPath().isEmpty())
        return QStringLiteral("/");
    return WithTrailingSeparator(info.rootPath());
}

void FolderTable::setValue(Macro macro, const QString& folder)
{
    values_[int(macro)] = folder;
    known_[int(macro)] = true;
}

void FolderTable::setInstallFolder(const QString& folder)
{
    setValue(Macro::App, folder);
    setValue(Macro::Set, FileSystemRootOf(folder));
}

FolderTable FolderTable::Resolve(const Environment& env, const QString& sourceFolder, const Registry* registry)
{
    FolderTable table;
    const QString root = QStringLiteral("/");
    const QString home = env.homeFolder();
    const QString data = env.dataFolder();
    const QString config = env.configFolder();
    const auto orRoot = [&](const QString& folder) { return folder.isEmpty() ? root : folder; };

    const QString win = env.windowsFolder();
    // Usable: a folder, or one that can be made because the nearest existing folder
    // above it is a folder.
    const auto usable = [](const QString& folder) {
        if (folder.isEmpty())
            return false;
        QString probe = QDir::cleanPath(folder);
        while (probe != QLatin1String("/") && !QFileInfo::exists(probe))
            probe = QFileInfo(probe).path();
        return QFileInfo(probe).isDir();
    };
    table.windowsFound_ = usable(win);
    table.systemFound_ = table.windowsFound_ && usable(win + QStringLiteral("system/"));
    table.setValue(Macro::Win, orRoot(win));
    table.setValue(Macro::Sys, win.isEmpty() ? root : win + QStringLiteral("system/"));

    QString tmp = env.tempFolder();
    if (!QFileInfo(tmp).isDir())
        tmp = sourceFolder;
    table.setValue(Macro::Tmp, tmp);

    QString prg;
    if (registry) {
        const QString dir = registry->stringValue(RegRoot::LocalMachine, kProgramFilesKey, QStringLiteral("ProgramFilesDir"));
        if (!dir.isEmpty() && QFileInfo(NativePath(dir)).isDir())
            prg = WithTrailingSeparator(NativePath(dir));
    }
    if (prg.isEmpty())
        prg = home.isEmpty() ? root : home + QStringLiteral(".local/opt/");
    table.setValue(Macro::Prg, prg);

    table.setValue(Macro::Boo, FileSystemRootOf(table.value(Macro::Win)));
    table.setValue(Macro::Edr, FileSystemRootOf(sourceFolder));

    const QString menu = data.isEmpty() ? root : data + QStringLiteral("applications/");
    const QString desktop = orRoot(env.userFolder(QStringLiteral("DESKTOP")));
    const QString startup = config.isEmpty() ? root : config + QStringLiteral("autostart/");
    table.setValue(Macro::Smn, menu);
    table.setValue(Macro::Sta, menu);
    table.setValue(Macro::Dsk, desktop);
    table.setValue(Macro::Sup, startup);
    table.setValue(Macro::Sen, data.isEmpty() ? root : env.installerDataFolder() + QStringLiteral("sendto/"));
    if (env.systemWide) {
        table.setValue(Macro::CSmn, QStringLiteral("/usr/local/share/applications/"));
        table.setValue(Macro::CSta, QStringLiteral("/usr/local/share/applications/"));
        table.setValue(Macro::CDsk, desktop); // there is no desktop shared by all users
        table.setValue(Macro::CSup, QStringLiteral("/etc/xdg/autostart/"));
    } else {
        table.setValue(Macro::CSmn, menu);
        table.setValue(Macro::CSta, menu);
        table.setValue(Macro::CDsk, desktop);
        table.setValue(Macro::CSup, startup);
    }
    return table;
}

QString FolderTable::expand(QStringView text) const
{
    QString out = text.toString();
    // Characters that came from a macro value are never searched again.
    std::vector<char> inserted(out.size(), 0);
    for (int m = 0; m < kMacroCount; ++m) {
        if (!known_[m])
            continue; // (App) and (Set) stay as they are until the install folder is fixed
        const QString name = MacroName(Macro(m));
        const QString& value = values_[m];
        qsizetype from = 0;
        for (;;) {
            qsizetype at = out.indexOf(name, from, Qt::CaseInsensitive);
            while (at >= 0 && std::any_of(inserted.begin() + at, inserted.begin() + at + name.size(), [](char c) { return c; }))
                at = out.indexOf(name, at + 1, Qt::CaseInsensitive);
            if (at < 0)
                break;
            qsizetype length = name.size();
            if (!value.isEmpty() && IsSeparator(value.back()) && at + length < out.size() && IsSeparator(out[at + length]))
                ++length; // one separator between the value and the rest
            out.replace(at, length, value);
            inserted.erase(inserted.begin() + at, inserted.begin() + at + length);
            inserted.insert(inserted.begin() + at, value.size(), 1);
            from = at + value.size();
        }
    }
    return out;
}

QString CleanFolder(const QString& path)
{
    QString clean = QDir::cleanPath(NativePath(path));
    if (clean.isEmpty())
        return clean;
    if (!clean.startsWith(QLatin1Char('/')))
        clean = QDir::cleanPath(QDir::current().absoluteFilePath(clean));
    return clean;
}

namespace {
QString Canonical(const QString& clean)
{
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    return canonical.isEmpty() ? clean : canonical;
}

bool SameOrAbove(const QString& candidate, const QString& protectedFolder)
{
    if (candidate == QLatin1String("/"))
        return true;
    return protectedFolder == candidate || protectedFolder.startsWith(candidate + QLatin1Char('/'));
}
} // namespace

Protection::Protection(const Environment& env, const FolderTable& folders, const QStringList& extra)
{
    add(QStringLiteral("/"));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        add(volume.rootPath());
    for (const QString& folder : {env.homeFolder(), env.dataFolder(), env.configFolder(), env.cacheFolder(),
                                  env.stateFolder(), env.runtimeFolder(), env.tempFolder(), env.installerDataFolder()})
        add(folder);
    for (const char* name : {"DESKTOP", "DOCUMENTS", "DOWNLOAD", "MUSIC", "PICTURES", "PUBLICSHARE", "TEMPLATES", "VIDEOS"})
        add(env.userFolder(QString::fromLatin1(name)));
    if (const QString home = env.homeFolder(); !home.isEmpty()) {
        add(home + QStringLiteral(".local/bin"));
        add(home + QStringLiteral(".local/lib"));
    }
    for (int m = 0; m < kMacroCount; ++m)
        if (folders.hasValue(Macro(m)) && Macro(m) != Macro::App)
            add(folders.value(Macro(m)));
    for (const QString& folder : extra)
        add(folder);
}

void Protection::add(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const QString clean = CleanFolder(folder);
    if (clean.isEmpty())
        return;
    for (const QString& form : {clean, Canonical(clean)})
        if (!folders_.contains(form))
            folders_.append(form);
}

bool Protection::isProtected(const QString& folder) const
{
    const QString clean = CleanFolder(folder);
    if (clean.isEmpty())
        return true;
    const QString canonical = Canonical(clean);
    for (const QString& p : folders_)
        if (SameOrAbove(clean, p) || SameOrAbove(canonical, p))
            return true;
    return false;
}

} // namespace installer
