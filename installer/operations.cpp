#include "installer/operations.h"

#include "installer/fileops.h"
#include "installer/registry.h"
#include "installer/services.h"
#include "installer/session.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace installer {

void ErrorLog::add(const QString& header, const QString& path, const QString& message)
{
    text_ += header + path + QLatin1Char('\n') + message + QStringLiteral("\n\n");
    ++count_;
}

void ErrorLog::addSystemError(const QString& header, const QString& path, int error)
{
    add(header, path, fs::SystemMessage(error));
}

QString SharedDllsKey()
{
    return QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
}

QStringList StandardFolderChain(Session& session)
{
    const FolderTable& folders = session.folders();
    const QString home = CleanFolder(session.environment().homeFolder());
    QStringList chain;
    const auto add = [&](const QString& value) {
        if (value.isEmpty())
            return;
        QString folder = CleanFolder(value);
        if (folder.isEmpty() || folder == QLatin1String("/"))
            return;
        // A folder in the home folder brings the parents an installation may have had
        // to make with it; a system-wide one stands alone.
        const bool inHome = !home.isEmpty() && home != QLatin1String("/") && folder.startsWith(home + QLatin1Char('/'));
        while (!folder.isEmpty() && folder != home) {
            if (!chain.contains(folder))
                chain << folder;
            if (!inHome)
                break;
            folder = folder.left(folder.lastIndexOf(QLatin1Char('/')));
        }
    };
    for (Macro m : {Macro::Prg, Macro::Smn, Macro::Sta, Macro::Dsk, Macro::Sup, Macro::Sen, Macro::Sys, Macro::Win,
                    Macro::CSmn, Macro::CSta, Macro::CDsk, Macro::CSup})
        if (folders.hasValue(m))
            add(folders.value(m));
    add(session.environment().installerDataFolder());
    std::stable_sort(chain.begin(), chain.end(),
                     [](const QString& a, const QString& b) { return a.count(QLatin1Char('/')) > b.count(QLatin1Char('/')); });
    return chain;
}

QString UninstallListKey()
{
    return QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
}

int CopyWithAttributes(const QString& source, const QString& destination, FrontEnd* frontEnd)
{
    // A read-only destination needs no change first: it is replaced by renaming, and the
    // copy is always writable by its owner.
    std::function<void()> keepAlive;
    if (frontEnd)
        keepAlive = [frontEnd] { frontEnd->keepAlive(); };
    return fs::CopyFileAtomically(source, destination, keepAlive);
}

ExpandedFile ExpandCompressed(Session& session, const QString& source, const QString& destination)
{
    ExpandedFile result;
    result.destination = destination;
    int error = 0;
    // An exclusive name in the private work folder, never a fixed name in a shared one.
    result.tempPath = fs::CreateExclusiveFile(session.workFolder() + QStringLiteral("EXPAND-XXXXXX"), &error);
    if (result.tempPath.isEmpty()) {
        result.error = error ? error : EIO;
        result.message = fs::SystemMessage(result.error);
        return result;
    }
    const Expander::Result expanded = session.services().expander->expand(source, result.tempPath);
    QString expandedName;
    if (expanded.ok) {
        expandedName = ExpandedName(FileNameOf(source), expanded.missingChar);
    } else if (expanded.notCompressed) {
        // Not compressed after all: like the system's LZ copy, take the file as it is.
        result.error = fs::CopyFileAtomically(source, result.tempPath);
        if (result.error)
            result.message = fs::SystemMessage(result.error);
        expandedName = FileNameOf(source);
    } else {
        result.error = expanded.error ? expanded.error : -1;
        result.message = expanded.error ? fs::SystemMessage(expanded.error) : expanded.message;
    }
    if (!result.ok()) {
        fs::RemoveFile(result.tempPath);
        result.tempPath.clear();
        return result;
    }
    // The expanded file carries the compressed file's time, so that "newer" keeps its
    // meaning when an existing file is replaced.
    // and its permissions, as a plain copy keeps them (the temporary file is private).
    struct stat st {};
    if (::stat(QFile::encodeName(source).constData(), &st) == 0) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::utimensat(AT_FDCWD, QFile::encodeName(result.tempPath).constData(), times, 0);
        ::chmod(QFile::encodeName(result.tempPath).constData(), st.st_mode & 0777);
    }
    if (SameText(FileNameOf(destination), u"AUTO.EXT"))
        result.destination = FolderOf(destination) + expandedName;
    return result;
}

QString CreateShortcut(Session& session, const QString& target, const QString& linkNameIn, const QString& workFolderIn,
                       const QString& arguments, int* error)
{
    ShortcutWriter& writer = *session.services().shortcuts;
    const QString linkName = session.absolutePath(linkNameIn);
    const QString file = writer.fileFor(linkName);
    QString workFolder = NativePath(workFolderIn);
    if (workFolder.isEmpty() || !fs::IsFolder(workFolder))
        workFolder = FolderOf(NativePath(target));
    workFolder = WithTrailingSeparator(workFolder);
    const QString folder = FolderOf(file);
    if (!fs::IsFolder(folder))
        fs::CreateFolderPath(folder);
    int result = 0;
    if (HasText(target, u".LNK") || HasText(target, u".desktop"))
        result = CopyWithAttributes(NativePath(target), file); // a ready-made shortcut
    else
        result = writer.write(file, NativePath(target), workFolder, arguments);
    if (error)
        *error = result;
    return result == 0 ? file : QString();
}

bool RegisterServer(Session& session, const QString& path, bool registering, FrontEnd* frontEnd)
{
    const ServerRegistrar::Result result = session.services().servers->call(path, registering);
    if (result == ServerRegistrar::Result::Ok)
        return true;
    if (!registering || !frontEnd)
        return false;
    Message message{Prompt::RegisterFailed, {}, {}, Buttons::Ok, Icon::Warning};
    switch (result) {
    case ServerRegistrar::Result::LoadFailed:
        message.title = QStringLiteral("OCX/DLL登録エラー(LoadLibrary)");
        message.text = path + QStringLiteral("の読み込みに失敗しました．");
        break;
    case ServerRegistrar::Result::EntryMissing:
        message.title = QStringLiteral("OCX/DLL登録エラー(GetProcAddress)");
        message.text = path + QStringLiteral("のDllRegisterServerエントリが見つかりません．");
        break;
    default:
        message.title = QStringLiteral("OCX/DLL登録エラー(Procedure)");
        message.text = path + QStringLiteral("のDllRegisterServer関数が失敗しました．");
        break;
    }
    frontEnd->ask(message);
    return false;
}

int SharedCount(const Registry& registry, const QString& path)
{
    const auto value = registry.value(RegRoot::LocalMachine, SharedDllsKey(), path);
    if (!value)
        return 0;
    if (value->type == RegValue::Type::Dword)
        return int(std::min<quint32>(value->dword, quint32(std::numeric_limits<int>::max())));
    if (value->type == RegValue::Type::Binary && value->binary.size() == 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(value->binary.constData());
        return int((b[0] | b[1] << 8 | b[2] << 16 | quint32(b[3]) << 24) & 0x7FFFFFFF);
    }
    return 0;
}

int ChangeSharedCount(Registry& registry, const QString& path, bool raise)
{
    int count = SharedCount(registry, path);
    if (raise) {
        if (count == 0 && fs::Exists(path))
            count = 1; // a file that is there already is in use by someone
        const int updated = count + 1;
        registry.setValue(RegRoot::LocalMachine, SharedDllsKey(), path, RegValue::Dword(quint32(updated)));
        return updated;
    }
    const int updated = count - 1;
    if (count == 1 || updated < 0)
        registry.deleteValue(RegRoot::LocalMachine, SharedDllsKey(), path);
    else
        registry.setValue(RegRoot::LocalMachine, SharedDllsKey(), path, RegValue::Dword(quint32(updated)));
    return updated;
}

bool IsLibraryPath(const QString& path)
{
    if (HasText(path, u".OCX") || HasText(path, u".DLL"))
        return true;
    const QString name = FileNameOf(path);
    return name.endsWith(QLatin1String(".so")) || name.contains(QLatin1String(".so."));
}

int DeleteFileSilently(Session& session, const QString& pathOrPattern)
{
    const QString path = NativePath(pathOrPattern);
    const bool wildcard = HasWildcard(FileNameOf(path));
    if (!wildcard && !fs::Exists(path))
        return ENOENT;
    if (!wildcard && IsLibraryPath(path) && fs::IsFile(path))
        RegisterServer(session, path, false, nullptr);
    return fs::DeletePath(path, session.protection());
}

int DeleteInFolder(Session& session, const QString& folderIn, const QString& patterns)
{
    const QString folder = WithTrailingSeparator(NativePath(folderIn));
    for (const QString& pattern : patterns.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        DeleteFileSilently(session, folder + pattern);
    if (session.protection().isProtected(folder))
        return EPERM;
    return fs::RemoveFolder(folder);
}

void DeleteRegistryKey(Registry& registry, RegRoot root, const QString& key)
{
    if (KeyParts(key).isEmpty())
        return; // the root itself is never deleted
    for (int attempt = 0; attempt < 99 && registry.keyExists(root, key); ++attempt)
        registry.deleteKey(root, key);
}

} // namespace installer
