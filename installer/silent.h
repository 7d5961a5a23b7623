#pragma once
// The silent front end: `setup --silent` runs an installation or an uninstallation with
// no windows. Every question gets its documented default answer, and a log records
// every status text, every question with its answer, every message and the error log.
//
// Exit status: 0 success, 1 some steps failed (the error log is not empty), 2 a fatal
// error, a refusal that ends the program, or an abort (SIGINT/SIGTERM).

#include "installer/frontend.h"
#include "installer/services.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>

namespace installer {

constexpr int kExitSuccess = 0;
constexpr int kExitStepsFailed = 1;
constexpr int kExitFatal = 2;

struct CommandLine {
    bool help = false;
    bool version = false;
    bool silent = false;
    QString folder;                        // --dir
    int type = 0;                          // --type (0: not given)
    bool noOverwrite = false;              // --no-overwrite
    bool deleteAll = false;                // --delete-all (uninstall)
    std::optional<QStringList> shortcuts;  // --shortcuts: desktop, startmenu, startup, sendto
    QString logFile;                       // --log
    QStringList arguments;                 // the rest; the first may be an UNSETUP.INI
};

/// Parses the program's arguments (without the program name); nullopt with `error` on a
/// mistake.
std::optional<CommandLine> ParseCommandLine(const QStringList& args, QString* error);
/// The --help text.
QString UsageText();
/// "Tovel! Setup 200x Version 1.00(Build:0000)".
QString VersionLine();

/// Answers questions with the documented defaults and writes one log line (or a few,
/// for multi-line texts) per event.
class SilentFrontEnd : public FrontEnd {
public:
    using LogSink = std::function<void(const QString& line)>;
    /// `abort` (optional) is polled by the abort check.
    explicit SilentFrontEnd(LogSink sink, const std::atomic<bool>* abort = nullptr);

    /// The default answer to a question.
    static Answer DefaultAnswer(Prompt prompt);

    void hideMainWindow() override {}
    void showProgressWindow() override {}
    void showStatus(const QString& text) override;
    void showProgressFrame(bool) override {}
    void setProgress(int, int, int) override {}
    void setAbortEnabled(bool) override {}
    bool abortRequested() override;
    /// The silent mode never waits.
    void pause(int, PauseKind) override {}
    Answer ask(const Message& message) override;
    SharedFileAnswer askSharedFile(const QString& text) override;
    void showErrorDetails(const QString& caption, const QString& log) override;
    void finishPass() override {}
    void note(const QString& text) override;

    /// Writes a labelled entry to the log.
    void log(const QString& label, const QString& text);
    /// The text of the last message or question.
    const QString& lastMessage() const { return lastMessage_; }

private:
    LogSink sink_;
    const std::atomic<bool>* abort_;
    QString lastDiskQuestion_;
    QString lastMessage_;
};

/// What a silent run needs besides the command line.
struct SilentContext {
    Environment environment;
    QString programPath;
    QString sourceFolder; // empty: the program's folder
    Services services;    // missing ones are the real ones
    /// Where log lines go besides --log (e.g. standard error); may be empty.
    SilentFrontEnd::LogSink extraSink;
    /// Set by the signal handlers of the program; polled by the abort check.
    const std::atomic<bool>* abort = nullptr;
};

/// Runs the silent mode; gives the exit status.
int RunSilent(const CommandLine& commandLine, const SilentContext& context);

} // namespace installer
