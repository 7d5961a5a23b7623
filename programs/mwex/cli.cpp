#include "programs/mwex/cli.h"

#include "common/atomicfile.h"
#include "lyrics/linebreaks.h"

#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <cstdio>

namespace mwex {
namespace {

std::vector<Command>& Table()
{
    static std::vector<Command> table;
    return table;
}

QString Joined(const QStringList& words)
{
    return words.join(QLatin1Char(' '));
}

void PrintUsageList(const QStringList& prefix)
{
    std::vector<const Command*> list;
    for (const Command& c : Table())
        if (c.words.mid(0, prefix.size()) == prefix)
            list.push_back(&c);
    std::sort(list.begin(), list.end(), [](const Command* a, const Command* b) { return Joined(a->words) < Joined(b->words); });
    QString text;
    if (prefix.isEmpty()) {
        text += QStringLiteral("usage: mwex COMMAND [OPTIONS] [ARGS]\n\n"
                               "Time-tagged lyrics and song files from the command line. Text input is a\n"
                               "file, or standard input when it is missing or \"-\"; text output goes to\n"
                               "standard output, or back into each file with -i/--in-place.\n"
                               "Exit status: 0 done, 1 the command's own negative answer, 2 bad input.\n\n"
                               "commands:\n");
    } else {
        text += QStringLiteral("usage: mwex %1 COMMAND [OPTIONS] [ARGS]\n\ncommands:\n").arg(Joined(prefix));
    }
    for (const Command* c : list)
        text += QStringLiteral("  mwex %1 %2\n      %3\n").arg(Joined(c->words), c->synopsis, c->summary);
    text += QStringLiteral("\n\"mwex COMMAND --help\" describes one command.\n");
    WriteStdout(text.toUtf8());
}

} // namespace

void Register(Command command)
{
    Table().push_back(std::move(command));
}

const std::vector<Command>& Commands()
{
    return Table();
}

namespace {
int gStdoutErrno = 0; // the first failed write to standard output
}

void WriteStdout(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (std::fwrite(bytes.data(), 1, static_cast<size_t>(bytes.size()), stdout) != static_cast<size_t>(bytes.size())
        && !gStdoutErrno)
        gStdoutErrno = errno ? errno : EIO;
}

int FinishOutput(int status)
{
    int err = gStdoutErrno;
    if (std::fflush(stdout) != 0 && !err)
        err = errno ? errno : EIO;
    if (std::ferror(stdout) && !err)
        err = EIO;
    if (std::fclose(stdout) != 0 && !err)
        err = errno ? errno : EIO;
    if (!err)
        return status;
    return Error(QStringLiteral("cannot write standard output: %1").arg(QString::fromLocal8Bit(std::strerror(err))));
}

void PrintLine(const QString& line)
{
    WriteStdout((line + QLatin1Char('\n')).toUtf8());
}

int Error(const QString& message, int status)
{
    QString oneLine = message;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fputs(("mwex: " + oneLine + "\n").toUtf8().constData(), stderr);
    return status;
}

std::optional<QByteArray> ReadInputBytes(const QString& pathOrDash, QString* error)
{
    const bool isStdin = pathOrDash.isEmpty() || pathOrDash == QLatin1String("-");
    QByteArray bytes;
    if (!isStdin) {
        if (!common::ReadRegularFile(pathOrDash, common::kMaxTextFileBytes, bytes, error))
            return std::nullopt;
        return bytes;
    }
    // Standard input may be a pipe or a terminal: read to its end, but no more than a text
    // file may hold.
    char buffer[65536];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
        bytes.append(buffer, static_cast<qsizetype>(n));
        if (bytes.size() > common::kMaxTextFileBytes) {
            *error = QStringLiteral("standard input is too large (more than %1 bytes)").arg(common::kMaxTextFileBytes);
            return std::nullopt;
        }
        if (n < sizeof buffer) {
            if (std::ferror(stdin)) {
                *error = QStringLiteral("cannot read standard input: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
                return std::nullopt;
            }
            break;
        }
    }
    return bytes;
}

namespace {

/// Decodes the bytes of a text input; refuses bytes that are not text.
std::optional<TextInput> DecodeTextInput(const QString& pathOrDash, QByteArray bytes, QString* error)
{
    QString why;
    if (!common::IsTextContent(bytes, &why)) {
        const QString name = pathOrDash.isEmpty() || pathOrDash == QLatin1String("-") ? QStringLiteral("standard input")
                                                                                      : pathOrDash;
        *error = QStringLiteral("%1 is not a lyrics text: %2; nothing was written").arg(name, why);
        return std::nullopt;
    }
    TextInput in;
    in.path = pathOrDash == QLatin1String("-") ? QString() : pathOrDash;
    in.bytes = std::move(bytes);
    common::DecodedText decoded = common::DecodeText(in.bytes);
    in.loneBreak = lyrics::LoneLineBreak(decoded.text);
    in.text = lyrics::NormalizeLineBreaks(decoded.text);
    in.format = decoded.format;
    return in;
}

} // namespace

std::optional<TextInput> ReadTextInput(const QString& pathOrDash, QString* error)
{
    std::optional<QByteArray> bytes = ReadInputBytes(pathOrDash, error);
    if (!bytes)
        return std::nullopt;
    return DecodeTextInput(pathOrDash, std::move(*bytes), error);
}

void AddInPlaceOption(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption({QStringLiteral("i"), QStringLiteral("in-place")},
                                        QStringLiteral("Write each result back into its file.")));
    AddBreakLinksOption(parser);
}

void AddBreakLinksOption(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(QStringLiteral("break-links"),
                                        QStringLiteral("Rewrite a file that has several names (hard links): the name "
                                                       "given gets a file of its own, the others keep the old content.")));
}

std::optional<QString> GuardRewrite(const QCommandLineParser& parser, const QString& path, RewriteGuard& guard)
{
    if (parser.optionNames().contains(QStringLiteral("break-links")))
        guard.breakLinks.emplace();
    const common::RewriteCheck check = common::CheckRewrite(path);
    if (check.result == common::RewriteCheck::Result::NeedsConfirmation)
        return check.message + QStringLiteral(" Nothing was written; use --break-links to rewrite it anyway.");
    if (check.result == common::RewriteCheck::Result::Refused)
        return check.message;
    QString why;
    if (!guard.lock.acquire(path, &why))
        return why;
    return std::nullopt;
}

std::optional<int> FilterInputs(const QCommandLineParser& parser, bool inPlace, QStringList& inputs)
{
    inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        inputs << QString();
    if (inPlace && inputs.contains(QString()))
        return Error(QStringLiteral("--in-place needs file arguments"));
    if (inPlace && inputs.contains(QStringLiteral("-")))
        return Error(QStringLiteral("--in-place cannot write to standard input"));
    if (!inPlace && inputs.size() > 1)
        return Error(QStringLiteral("several files need --in-place"));
    return std::nullopt;
}

int RunTextFilter(const QCommandLineParser& parser, const TextOperation& op)
{
    const bool inPlace = parser.isSet(QStringLiteral("in-place"));
    QStringList inputs;
    if (const std::optional<int> refused = FilterInputs(parser, inPlace, inputs))
        return *refused;

    struct Result {
        TextInput input;
        QByteArray out;
        bool changed; // the operation changed the text
        std::unique_ptr<RewriteGuard> guard; // -i: the file stays locked until it is written
    };
    std::vector<Result> results;
    int status = kExitOk;
    for (const QString& name : inputs) {
        QString error;
        std::optional<TextInput> in;
        std::unique_ptr<RewriteGuard> guard;
        if (inPlace) {
            // The lock covers the read, the operation and the write, so that two
            // writers of one file never lose a change.
            guard = std::make_unique<RewriteGuard>();
            if (const std::optional<QString> refused = GuardRewrite(parser, name, *guard))
                return Error(*refused);
            QByteArray bytes;
            if (!guard->lock.readAll(common::kMaxTextFileBytes, bytes, &error))
                return Error(error);
            in = DecodeTextInput(name, std::move(bytes), &error);
        } else {
            in = ReadTextInput(name, &error);
        }
        if (!in)
            return Error(error);
        FilterResult r = op(in->text);
        if (r.kind == FilterResult::Kind::BadInput)
            return Error(r.message);
        if (r.kind == FilterResult::Kind::Failed) {
            status = kExitFailed;
            if (!r.message.isEmpty())
                Error(name.isEmpty() ? r.message : name + QStringLiteral(": ") + r.message, kExitFailed);
        }
        // Lines the operation did not change keep their bytes. A file rewritten in place
        // keeps its LF or CR line breaks, as the window's batch does; standard output
        // gets CR LF.
        const QString text = inPlace ? lyrics::RestoreLineBreaks(r.text, in->loneBreak) : r.text;
        std::optional<QByteArray> out = common::EncodeTextKeepingLines(text, in->format, in->bytes, &error);
        if (!out)
            return Error((name.isEmpty() ? QString() : name + QStringLiteral(": ")) + error);
        const bool changed = r.text != in->text;
        results.push_back({std::move(*in), std::move(*out), changed, std::move(guard)});
    }
    for (const Result& r : results) {
        if (!inPlace) {
            WriteStdout(r.out);
            continue;
        }
        // A file the operation left alone keeps its bytes, line breaks included.
        if (!r.changed || r.out == r.input.bytes)
            continue;
        QString error;
        if (!common::WriteFileAtomically(r.input.path, r.out, &error))
            return Error(error);
    }
    return status;
}

std::optional<bool> ParseTimeBase(const QCommandLineParser& parser, const QString& option, std::optional<bool> fallback,
                                  QString* error)
{
    if (!parser.isSet(option)) {
        if (!fallback)
            *error = QStringLiteral("--%1 winamp|standard is required").arg(option);
        return fallback;
    }
    const QString v = parser.value(option);
    if (v == QLatin1String("winamp"))
        return true;
    if (v == QLatin1String("standard"))
        return false;
    *error = QStringLiteral("--%1: \"%2\" is neither winamp nor standard").arg(option, v);
    return std::nullopt;
}

std::optional<bool> ParseUserTime(const QCommandLineParser& parser, QString* error)
{
    return ParseTimeBase(parser, QStringLiteral("user-time"), true, error);
}

void AddUserTimeOption(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(QStringLiteral("user-time"),
                                        QStringLiteral("The user's own time base, used when the lyrics do not state "
                                                       "theirs: winamp (default) or standard."),
                                        QStringLiteral("BASE")));
}

QString JsonString(const QString& s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    qsizetype plain = 0; // start of the run of characters copied as they are
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != u'"' && u != u'\\' && !c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        out += QStringView(s).sliced(plain, i - plain);
        plain = i + 1;
        switch (u) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            // Control characters, and bytes the code page could not decode (kept as
            // lone surrogates), are escaped so that the line stays valid UTF-8.
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        }
    }
    out += QStringView(s).sliced(plain);
    out += QLatin1Char('"');
    return out;
}

std::optional<qint64> ParseInteger(const QString& value, const QString& optionName, QString* error)
{
    bool ok = false;
    const qint64 v = value.trimmed().toLongLong(&ok);
    if (!ok) {
        *error = QStringLiteral("--%1: \"%2\" is not a whole number").arg(optionName, value);
        return std::nullopt;
    }
    return v;
}

int Main(const QStringList& args)
{
    // Longest command whose words start the argument list.
    const Command* found = nullptr;
    for (const Command& c : Table()) {
        if (args.mid(0, c.words.size()) == c.words && (!found || c.words.size() > found->words.size()))
            found = &c;
    }
    if (!found) {
        if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
            PrintUsageList({});
            return args.isEmpty() ? kExitBadInput : kExitOk;
        }
        // A group name alone, or with --help, lists its commands.
        QStringList prefix;
        for (const QString& a : args) {
            if (a.startsWith(QLatin1Char('-')))
                break;
            prefix << a;
        }
        while (!prefix.isEmpty()) {
            const bool known = std::any_of(Table().begin(), Table().end(),
                                           [&](const Command& c) { return c.words.mid(0, prefix.size()) == prefix; });
            if (known)
                break;
            prefix.removeLast();
        }
        if (!prefix.isEmpty()) {
            const bool help = args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
            PrintUsageList(prefix);
            return help && args.size() == prefix.size() + 1 ? kExitOk : kExitBadInput;
        }
        return Error(QStringLiteral("unknown command \"%1\" (see mwex --help)").arg(args.join(QLatin1Char(' '))));
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(found->summary);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    if (found->options)
        found->options(parser);
    QStringList parseArgs{QStringLiteral("mwex")};
    parseArgs += args.mid(found->words.size());
    if (!parser.parse(parseArgs))
        return Error(QStringLiteral("%1: %2").arg(Joined(found->words), parser.errorText()));
    if (parser.isSet(help)) {
        QString text = QStringLiteral("usage: mwex %1 %2\n\n%3\n").arg(Joined(found->words), found->synopsis, found->summary);
        if (!found->details.isEmpty())
            text += QLatin1Char('\n') + found->details + QLatin1Char('\n');
        // QCommandLineParser's own option list, without its generated usage line.
        QString options = parser.helpText();
        const qsizetype at = options.indexOf(QLatin1String("Options:"));
        if (at >= 0)
            text += QLatin1Char('\n') + options.mid(at);
        WriteStdout(text.toUtf8());
        return kExitOk;
    }
    return found->run(parser);
}

} // namespace mwex
