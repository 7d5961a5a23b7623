#pragma once
// The file and system operations the install and uninstall passes share: copying with
// attributes, expansion of compressed files, shortcuts, self-registration, shared-file
// counts, silent deletion and registry-key deletion; and the error log both passes keep.

#include "installer/frontend.h"
#include "installer/textrules.h"

#include <QString>

namespace installer {

class Registry;
class Session;

/// The error log of a pass: blocks of a header line (header + path), the message and an
/// empty line.
class ErrorLog {
public:
    void add(const QString& header, const QString& path, const QString& message);
    /// A block whose message is the system's text for `error`.
    void addSystemError(const QString& header, const QString& path, int error);
    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    const QString& text() const { return text_; }

private:
    QString text_;
    int count_ = 0;
};

/// CopyWithAttributes: the destination is replaced atomically by a copy of the source
/// that is writable by its owner ("archive only"). 0 or an errno value.
int CopyWithAttributes(const QString& source, const QString& destination, FrontEnd* frontEnd = nullptr);

struct ExpandedFile {
    int error = 0;        // errno, or -1 for a damaged compressed file (see message)
    QString message;
    QString tempPath;     // the expanded data, in the work folder (delete after use)
    QString destination;  // the final destination ("AUTO.EXT" resolved)
    bool ok() const { return error == 0; }
};
/// ExpandCompressed: expands `source` into an exclusively created temporary file in the
/// work folder (with the source's modification time) and resolves "AUTO.EXT" in
/// `destination` to the expanded name from the header, in upper case. A source that is
/// not compressed is taken as it is.
ExpandedFile ExpandCompressed(Session& session, const QString& source, const QString& destination);

/// CreateShortcut: gives the path of the shortcut file made, or empty (`error` then says
/// why).
QString CreateShortcut(Session& session, const QString& target, const QString& linkName, const QString& workFolder,
                       const QString& arguments, int* error = nullptr);

/// RegisterServer: registers (or unregisters) a self-registering library. During
/// installation (`frontEnd` given) failures are shown; unregistering ignores them.
bool RegisterServer(Session& session, const QString& path, bool registering, FrontEnd* frontEnd);

/// The shared-file count of a path (0 when absent or unreadable).
int SharedCount(const Registry& registry, const QString& path);
/// ChangeSharedCount: raises or lowers the count; gives the new count.
int ChangeSharedCount(Registry& registry, const QString& path, bool raise);

/// True for the names treated as self-registering libraries: ".OCX" or ".DLL" anywhere
/// (any case), and shared objects (".so", ".so.N").
bool IsLibraryPath(const QString& path);

/// DeleteFileSilently: ENOENT for a missing path without wildcards; a library is
/// unregistered first; then the path (or every match of the pattern) is deleted.
int DeleteFileSilently(Session& session, const QString& pathOrPattern);
/// DeleteInFolder: deletes each pattern of "A|B|…" in the folder, then removes the
/// folder when empty; gives the result of that removal.
int DeleteInFolder(Session& session, const QString& folder, const QString& patterns);
/// DeleteRegistryKey: deletes the key with everything below it. An empty key (the root
/// itself) is never deleted.
void DeleteRegistryKey(Registry& registry, RegRoot root, const QString& key);

/// The standard folders an installation may create on its way (the menus, desktop,
/// autostart, send-to, program and installer folders) with their parents up to the
/// home folder, deepest first. An installation records which of them it created, so
/// that its uninstallation can remove them again when they are left empty.
QStringList StandardFolderChain(Session& session);

/// The registry key of the system's shared-file counts.
QString SharedDllsKey();
/// The registry key under which installations register for removal.
QString UninstallListKey();

} // namespace installer
