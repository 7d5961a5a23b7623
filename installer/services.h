#pragma once
// The system services the installer uses, each behind a small interface with a real
// implementation; tests replace the ones that would reach outside the test (restart,
// opening programs) or that they need to steer (free space).

#include "installer/folders.h"

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

namespace installer {

class Registry;

/// LZ ("SZDD") expansion.
class Expander {
public:
    struct Result {
        bool ok = false;
        int error = 0;         // errno for file errors, else 0
        QString message;       // why it failed
        char missingChar = 0;  // the last character of the expanded name, 0 when not stored
        bool notCompressed = false; // the file has no SZDD header
    };
    virtual ~Expander() = default;
    /// Expands `compressed` into the existing file `output` (replacing its content). The
    /// output never exceeds the length the header gives; a shorter result is an error.
    virtual Result expand(const QString& compressed, const QString& output) = 0;
};

/// The expanded name of a compressed file: its name with the trailing "_" replaced by
/// the character stored in the header (dropped when none is stored), in upper case.
QString ExpandedName(const QString& compressedName, char missingChar);

/// Expansion with libmspack.
class SzddExpander final : public Expander {
public:
    Result expand(const QString& compressed, const QString& output) override;
};

/// Shortcuts: here freedesktop desktop entries.
class ShortcutWriter {
public:
    virtual ~ShortcutWriter() = default;
    /// The file name a shortcut gets for a link name ("…/tool" -> "…/tool.desktop").
    virtual QString fileFor(const QString& linkName) const = 0;
    /// Writes the shortcut file; errno on failure, else 0.
    virtual int write(const QString& file, const QString& target, const QString& workFolder,
                      const QString& arguments) = 0;
};

class DesktopEntryWriter final : public ShortcutWriter {
public:
    QString fileFor(const QString& linkName) const override;
    int write(const QString& file, const QString& target, const QString& workFolder, const QString& arguments) override;
};

/// The Exec line of a desktop entry: the program and the arguments split as a Windows
/// command line splits them, each quoted as the desktop-entry rules require.
QString DesktopExecLine(const QString& program, const QString& arguments);
/// Splits a command-line text: blanks separate, double quotes group.
QStringList SplitCommandLine(const QString& text);

/// Self-registering libraries.
class ServerRegistrar {
public:
    enum class Result { Ok, LoadFailed, EntryMissing, Failed };
    virtual ~ServerRegistrar() = default;
    /// Loads the library, calls DllRegisterServer (or DllUnregisterServer), unloads it.
    virtual Result call(const QString& path, bool registering) = 0;
};

class DlopenRegistrar final : public ServerRegistrar {
public:
    Result call(const QString& path, bool registering) override;
};

/// Free space for the space check.
class DiskSpace {
public:
    virtual ~DiskSpace() = default;
    /// Bytes available to the user on the file system of `folder` (the nearest existing
    /// folder above it), or -1 when it cannot be found out.
    virtual qint64 freeBytes(const QString& folder) = 0;
};

class StatvfsDiskSpace final : public DiskSpace {
public:
    qint64 freeBytes(const QString& folder) override;
};

/// The system restart at the end.
class Rebooter {
public:
    virtual ~Rebooter() = default;
    virtual bool requestReboot() = 0;
};

/// Asks systemd (by the program's absolute path) to restart the machine.
class SystemdRebooter final : public Rebooter {
public:
    bool requestReboot() override;
};

/// Opening a program or document after the installation.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    /// Starts `file` with `parameters` when it is a program, else opens it with the
    /// desktop's default application. False (with `error`) when nothing could be started.
    virtual bool open(const QString& file, const QString& parameters, QString* error) = 0;
};

class DesktopOpener final : public ShellOpener {
public:
    bool open(const QString& file, const QString& parameters, QString* error) override;
};

/// Finds a helper program in the standard system folders; gives its absolute path or
/// empty. Helpers are never looked up through PATH.
QString FindSystemProgram(const QString& name);

/// The lock that keeps a second installer from running: a lock file in the runtime
/// folder.
class InstanceLock {
public:
    explicit InstanceLock(const Environment& env);
    /// True when this process now holds the lock; false when another installer runs.
    bool tryLock();
    QString path() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

/// All services of one run.
struct Services {
    std::shared_ptr<Registry> registry;
    std::shared_ptr<Expander> expander;
    std::shared_ptr<ShortcutWriter> shortcuts;
    std::shared_ptr<ServerRegistrar> servers;
    std::shared_ptr<DiskSpace> diskSpace;
    std::shared_ptr<Rebooter> rebooter;
    std::shared_ptr<ShellOpener> opener;

    /// Fills every missing service with its real implementation for `env`.
    void completeWithReal(const Environment& env);
};

} // namespace installer
