#pragma once
// Test helpers: a temporary machine (a home with the usual XDG folders, a temporary
// folder inside it, a runtime folder and installation media beside it), listings of
// the home folder to compare before and after, a scripted front end, and compressed
// payload files.

#include "installer/frontend.h"
#include "installer/session.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

/// Readable test output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace installertest {

/// One entry of a listing: its type ('d', 'f' or 'l'), permissions and content (a
/// link's target for links).
struct ListedEntry {
    char type = 'f';
    int mode = 0;
    QByteArray content;
    bool operator==(const ListedEntry&) const = default;
};
using Listing = std::map<QString, ListedEntry>;
inline void PrintTo(const ListedEntry& entry, std::ostream* os)
{
    *os << entry.type << ' ' << std::oct << entry.mode << std::dec << ' ' << entry.content.size() << " bytes";
}

/// Every entry below `folder`, by path relative to it.
Listing ListTree(const QString& folder);
/// A readable account of how two listings differ (empty when they are equal).
std::string DescribeDifference(const Listing& before, const Listing& after);

/// Records the shortcut-free services that would reach outside a test.
class RecordingOpener;
class RecordingRebooter;
class FixedDiskSpace;

class TestMachine {
public:
    TestMachine();

    QString root() const { return dir_.path() + QLatin1Char('/'); }
    QString home() const { return root() + QStringLiteral("home/"); }
    QString media() const { return root() + QStringLiteral("media/"); }
    QString tmp() const { return home() + QStringLiteral("tmp/"); }
    QString runtime() const { return root() + QStringLiteral("run/"); }
    QString scratch() const { return root() + QStringLiteral("scratch/"); }
    QString dataHome() const { return home() + QStringLiteral(".local/share/"); }
    QString windows() const { return dataHome() + QStringLiteral("tovel-setup/windows/"); }
    QString system() const { return windows() + QStringLiteral("system/"); }
    QString programFiles() const { return home() + QStringLiteral(".local/opt/"); }
    QString menu() const { return dataHome() + QStringLiteral("applications/"); }
    QString desktop() const { return home() + QStringLiteral("Desktop/"); }
    QString autostart() const { return home() + QStringLiteral(".config/autostart/"); }

    installer::Environment environment() const;
    QProcessEnvironment processEnvironment() const;

    /// Writes SETUP.INI into the media folder: UTF-8 text in, CP932 with CR LF out.
    void writeDefinition(const QString& text, const QString& name = QStringLiteral("SETUP.INI"));
    /// Writes a file into the media folder.
    QString writeMedia(const QString& name, const QByteArray& bytes);
    /// A stand-in for the installer program in the media folder.
    QString programPath() const { return media() + QStringLiteral("setup"); }

    /// Starts a session as the program would, with the test's recording services.
    std::unique_ptr<installer::Session> start(const QStringList& arguments = {});
    installer::Services services() const { return services_; }

    std::shared_ptr<RecordingOpener> opener;
    std::shared_ptr<RecordingRebooter> rebooter;
    std::shared_ptr<FixedDiskSpace> diskSpace;

private:
    QTemporaryDir dir_;
    installer::Services services_;
};

class RecordingOpener : public installer::ShellOpener {
public:
    bool open(const QString& file, const QString& parameters, QString* error) override;
    QStringList opened; // "file|parameters"
    bool succeed = true;
};

class RecordingRebooter : public installer::Rebooter {
public:
    bool requestReboot() override
    {
        ++requests;
        return true;
    }
    int requests = 0;
};

class FixedDiskSpace : public installer::DiskSpace {
public:
    qint64 freeBytes(const QString& folder) override
    {
        asked << folder;
        return bytes;
    }
    qint64 bytes = qint64(1) << 40;
    QStringList asked;
};

/// A front end driven by a script: answers by prompt (queued answers first, then a
/// default), records everything it is shown.
class ScriptedFrontEnd : public installer::FrontEnd {
public:
    void hideMainWindow() override { events << QStringLiteral("hideMain"); }
    void showProgressWindow() override { events << QStringLiteral("showProgress"); }
    void showStatus(const QString& text) override;
    void showProgressFrame(bool visible) override { events << (visible ? QStringLiteral("frame+") : QStringLiteral("frame-")); }
    void setProgress(int percent, int processed, int total) override;
    void setAbortEnabled(bool enabled) override { abortEnabled = enabled; }
    bool abortRequested() override;
    void pause(int milliseconds, installer::PauseKind kind) override;
    installer::Answer ask(const installer::Message& message) override;
    installer::SharedFileAnswer askSharedFile(const QString& text) override;
    void showErrorDetails(const QString& caption, const QString& log) override;
    void finishPass() override { events << QStringLiteral("finish"); }
    void note(const QString& text) override { notes << text; }

    /// The messages asked with this prompt.
    std::vector<installer::Message> askedWith(installer::Prompt prompt) const;

    std::map<installer::Prompt, std::deque<installer::Answer>> answers;
    std::deque<installer::SharedFileAnswer> sharedAnswers;
    installer::SharedFileAnswer sharedDefault = installer::SharedFileAnswer::Yes;
    std::function<void(const installer::Message&)> onAsk;
    /// Abort once this status text (or one containing it) has been shown.
    QString abortAtStatus;

    QStringList statuses;
    QStringList events;
    QStringList notes;
    QStringList progress;    // the counter texts
    QStringList sharedTexts;
    std::vector<installer::Message> asked;
    QStringList errorDetails; // caption + "\n" + log
    std::vector<std::pair<int, installer::PauseKind>> pauses;
    bool abortEnabled = false;
    bool aborted = false;
};

/// The payload that exercises every kind of entry: plain files, SZDD files (made by
/// mscompress and by the test), renames, "AUTO.EXT", shared files ("/S"), servers ("/R"),
/// "/W", a disk change, folders, shortcuts for every place, registry values of every
/// type, INI entries, associations, registry keys and extra files to delete, and a
/// program to open at the end. `uninstallOption` becomes [Extend] UnSetupOption.
///
/// It also prepares the machine as another installation left it: an association for
/// ".txt" and a shared library in (Sys) with its count, both of which the payload uses.
struct FullPayload {
    QString app;         // where it installs
    QString serverLog;   // the test server's record of (un)registrations
};
FullPayload WriteFullPayload(TestMachine& m, const QString& uninstallOption = {});
/// What a program would add to its folder while it runs: the "/W" file, files for
/// [AddDeleteFile], a help index (*.GID).
void SimulateProgramUse(const FullPayload& payload);

/// An SZDD file holding `data` (all literals), with `missingChar` in its header.
QByteArray MakeSzdd(const QByteArray& data, char missingChar);
/// Compresses `path` with the Debian mscompress tool; gives the compressed file's path
/// ("name_"), or empty when the tool failed.
QString Mscompress(const QString& path);

/// Bytes of a pseudo-random payload of `size` bytes.
QByteArray Payload(int seed, qsizetype size);

} // namespace installertest
