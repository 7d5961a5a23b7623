#pragma once
// The command table and shared plumbing of `mwex`, the command-line front end.
//
// Each command group (tags, atblock, song, play) lives in its own file and registers
// its commands with a static `mwex::Registrar`. Exit status: 0 success, 1 a command's
// own "found something / did not apply" answer, 2 bad input (nothing written).

#include "common/atomicfile.h"
#include "common/textfile.h"

#include <QByteArrayView>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace mwex {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;

struct Command {
    QStringList words;     // e.g. {"tags", "classify"}
    QString synopsis;      // options and arguments, e.g. "--ms N [FILE]"
    QString summary;       // one line for the command list
    QString details;       // shown by --help below the synopsis (optional)
    /// Declares the command's options on the parser (optional).
    std::function<void(QCommandLineParser&)> options;
    /// Runs with the parsed options; positional arguments are parser.positionalArguments().
    std::function<int(const QCommandLineParser&)> run;
};

void Register(Command command);
const std::vector<Command>& Commands();

struct Registrar {
    explicit Registrar(Command command) { Register(std::move(command)); }
};

/// Runs the program with its arguments (without the program name).
int Main(const QStringList& args);

// Output. Messages on standard error are one line: "mwex: <message>".
void WriteStdout(QByteArrayView bytes);
void PrintLine(const QString& line); // UTF-8 plus "\n" on standard output
int Error(const QString& message, int status = kExitBadInput);

/// Flushes and closes standard output at the end of a run: a failed write (a full disk,
/// /dev/full, a closed pipe) turns `status` into 2 with a message.
int FinishOutput(int status);

/// Reads a whole input: a file path (a regular file), or standard input for "" or "-";
/// at most common::kMaxTextFileBytes.
std::optional<QByteArray> ReadInputBytes(const QString& pathOrDash, QString* error);

/// A text input decoded by the text-file rule, its line breaks normalised to CR LF.
struct TextInput {
    QString path; // empty for standard input
    QByteArray bytes;
    QString text;              // with CR LF line breaks
    common::TextFormat format;
    QString loneBreak;         // "\n" or "\r" when the input used that break alone
};
std::optional<TextInput> ReadTextInput(const QString& pathOrDash, QString* error);

/// The answer of a text operation.
struct FilterResult {
    enum class Kind { Ok, Failed, BadInput };
    Kind kind = Kind::Ok;
    QString text;    // the new text (Ok), or the unchanged text (Failed)
    QString message; // why it failed
    static FilterResult Ok(QString text) { return {Kind::Ok, std::move(text), {}}; }
    static FilterResult Failed(QString text, QString message) { return {Kind::Failed, std::move(text), std::move(message)}; }
    static FilterResult BadInput(QString message) { return {Kind::BadInput, {}, std::move(message)}; }
};
using TextOperation = std::function<FilterResult(const QString& text)>;

/// Adds -i/--in-place (and --break-links) to a parser; text filters call it from their
/// options function.
void AddInPlaceOption(QCommandLineParser& parser);

/// Adds --break-links: rewrite a file that has several names (hard links) anyway.
void AddBreakLinksOption(QCommandLineParser& parser);

/// What a command holds while it rewrites one file: the file's lock, from before the
/// file is read until after it is written, and the consent to break hard links.
struct RewriteGuard {
    common::FileLock lock;
    std::optional<common::AllowBreakingLinks> breakLinks;
};
/// Checks that `path` may be rewritten (a file with hard links needs --break-links; the
/// owner must be kept) and locks it. Returns nullopt when the rewrite may go ahead,
/// else the message that refuses it.
std::optional<QString> GuardRewrite(const QCommandLineParser& parser, const QString& path, RewriteGuard& guard);

/// Applies `op` to every input (the positional arguments, or standard input) and writes
/// the results to standard output or, with --in-place, back into each file (atomically,
/// only files whose text the operation changed: a file left alone keeps its bytes, line
/// breaks included). Every input is read and processed before anything is
/// written, so bad input leaves every file as it was. A Failed result outputs the text
/// unchanged and makes the exit status 1.
int RunTextFilter(const QCommandLineParser& parser, const TextOperation& op);
/// The inputs of a filter command (standard input when none is given), or the exit
/// status of the message that refuses them (--in-place without files, several files
/// to standard output).
std::optional<int> FilterInputs(const QCommandLineParser& parser, bool inPlace, QStringList& inputs);

/// Adds --user-time winamp|standard (the user's own time base, default winamp).
void AddUserTimeOption(QCommandLineParser& parser);
/// A time-base option: winamp → true, standard → false, `fallback` when the option is
/// not given (nullopt fallback: the option is required); nullopt with `error` otherwise.
std::optional<bool> ParseTimeBase(const QCommandLineParser& parser, const QString& option, std::optional<bool> fallback,
                                  QString* error);
/// The --user-time value: true for WinAmp time; nullopt (with `error`) for a bad value.
std::optional<bool> ParseUserTime(const QCommandLineParser& parser, QString* error);

/// `s` as a JSON string literal. Control characters and lone surrogates (bytes the code
/// page could not decode) are escaped, so output stays valid UTF-8.
QString JsonString(const QString& s);

/// Parses a whole decimal integer option value; reports a bad value through `error`.
std::optional<qint64> ParseInteger(const QString& value, const QString& optionName, QString* error);

} // namespace mwex
