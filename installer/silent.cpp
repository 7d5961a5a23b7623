#include "installer/silent.h"

#include "installer/passes.h"
#include "installer/session.h"
#include "installer/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace installer {
namespace {

QString AnswerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QStringLiteral("OK");
    case Answer::Cancel:
        return QStringLiteral("Cancel");
    case Answer::Yes:
        return QStringLiteral("Yes");
    case Answer::No:
        return QStringLiteral("No");
    }
    return {};
}

QString SharedAnswerName(SharedFileAnswer answer)
{
    switch (answer) {
    case SharedFileAnswer::Yes:
        return QStringLiteral("Yes");
    case SharedFileAnswer::No:
        return QStringLiteral("No");
    case SharedFileAnswer::Delete:
        return QStringLiteral("Delete");
    case SharedFileAnswer::Save:
        return QStringLiteral("Save");
    case SharedFileAnswer::None:
        break;
    }
    return QStringLiteral("(none)");
}

void WriteStderr(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

QString VersionLine()
{
    return QStringLiteral("Tovel! Setup 200x Version ") + VersionText(ProgramVersion());
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: setup [--silent [--dir DIR] [--type 1|2] [--no-overwrite]\n"
        "              [--shortcuts desktop,startmenu,startup,sendto] [--delete-all]\n"
        "              [--log FILE]]\n"
        "             [PATH-OF-UNSETUP.INI]\n"
        "\n"
        "Installs what SETUP.INI beside the program describes, or, given the path of an\n"
        "installation's UNSETUP.INI, removes that installation.\n"
        "\n"
        "  --silent         run without windows, answering every question by default\n"
        "  --dir DIR        install into DIR instead of the proposed folder\n"
        "  --type 1|2       the installation type, when the definition offers a choice\n"
        "  --no-overwrite   keep files that exist already (default: newer files replace them)\n"
        "  --shortcuts L    make only the shortcuts of these places (comma-separated);\n"
        "                   default: every place the definition names\n"
        "  --delete-all     at uninstall, when the installation offers it, also delete\n"
        "                   everything else in the install folder (files it did not create)\n"
        "  --log FILE       write every status text, question and answer, and the error log\n"
        "  --version        print the version\n"
        "  --help           print this help\n"
        "\n"
        "Default answers in silent mode: create the install folder: yes; overwrite an\n"
        "existing file: no; set a file association: yes; delete a shared or system library\n"
        "at uninstall: no (keep it); go on although disk space is short: no (stop); show the\n"
        "error details: no (they are in the log); restart now: no.\n"
        "\n"
        "A silent uninstall removes the files, shortcuts, folders and registry entries the\n"
        "installation recorded, and the files of the patterns its definition checks (*.INI,\n"
        "*.GID). Files the installation did not create stay, and so does the install folder\n"
        "when they are in it, unless --delete-all is given. Nothing outside the install\n"
        "folder and the standard folders an installation writes into is ever deleted.\n"
        "\n"
        "Exit status: 0 success, 1 some steps failed (see the error log), 2 a fatal error,\n"
        "a refusal that ends the installation, or an abort.\n");
}

namespace {

// The options without a value; false when `arg` is none of them.
bool SetFlag(const QString& arg, CommandLine& cl)
{
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
        cl.help = true;
    else if (arg == QLatin1String("--version"))
        cl.version = true;
    else if (arg == QLatin1String("--silent"))
        cl.silent = true;
    else if (arg == QLatin1String("--no-overwrite"))
        cl.noOverwrite = true;
    else if (arg == QLatin1String("--delete-all"))
        cl.deleteAll = true;
    else
        return false;
    return true;
}

enum class ValueArg { Other, Given, Missing };

// "--name VALUE" or "--name=VALUE": whether args[i] is this option and, if so, its value
// (`i` then steps over a separate value).
ValueArg OptionValue(const QStringList& args, qsizetype& i, QLatin1StringView name, QString& value)
{
    const QString& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size())
            return ValueArg::Missing;
        value = args[++i];
        return ValueArg::Given;
    }
    if (arg.size() > name.size() && arg.startsWith(name) && arg[name.size()] == QLatin1Char('=')) {
        value = arg.mid(name.size() + 1);
        return ValueArg::Given;
    }
    return ValueArg::Other;
}

std::optional<QStringList> ParseShortcutPlaces(const QString& value, QString* error)
{
    QStringList places;
    for (const QString& place : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString p = place.trimmed().toLower();
        if (p != QLatin1String("desktop") && p != QLatin1String("startmenu") && p != QLatin1String("startup")
            && p != QLatin1String("sendto")) {
            *error = QStringLiteral("unknown shortcut place \"%1\" (desktop, startmenu, startup, sendto)").arg(place);
            return std::nullopt;
        }
        places << p;
    }
    return places;
}

} // namespace

std::optional<CommandLine> ParseCommandLine(const QStringList& args, QString* error)
{
    CommandLine cl;
    auto fail = [error](const QString& why) -> std::optional<CommandLine> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--")) {
            cl.arguments << args.mid(i + 1);
            break;
        }
        if (SetFlag(arg, cl))
            continue;
        QString value;
        ValueArg v = ValueArg::Other;
        if ((v = OptionValue(args, i, QLatin1StringView("--dir"), value)) != ValueArg::Other) {
            if (v == ValueArg::Missing || value.isEmpty())
                return fail(QStringLiteral("--dir needs a folder"));
            cl.folder = value;
        } else if ((v = OptionValue(args, i, QLatin1StringView("--type"), value)) != ValueArg::Other) {
            if (v == ValueArg::Missing)
                return fail(QStringLiteral("--type needs 1 or 2"));
            if (value != QLatin1String("1") && value != QLatin1String("2"))
                return fail(QStringLiteral("--type must be 1 or 2, not \"%1\"").arg(value));
            cl.type = value.toInt();
        } else if ((v = OptionValue(args, i, QLatin1StringView("--shortcuts"), value)) != ValueArg::Other) {
            if (v == ValueArg::Missing)
                return fail(QStringLiteral("--shortcuts needs a list of places"));
            QString why;
            const std::optional<QStringList> places = ParseShortcutPlaces(value, &why);
            if (!places)
                return fail(why);
            cl.shortcuts = *places;
        } else if ((v = OptionValue(args, i, QLatin1StringView("--log"), value)) != ValueArg::Other) {
            if (v == ValueArg::Missing || value.isEmpty())
                return fail(QStringLiteral("--log needs a file"));
            cl.logFile = value;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        } else {
            cl.arguments << arg;
        }
    }
    const bool silentOptions = !cl.folder.isEmpty() || cl.type != 0 || cl.noOverwrite || cl.shortcuts || !cl.logFile.isEmpty()
        || cl.deleteAll;
    if (silentOptions && !cl.silent && !cl.help && !cl.version)
        return fail(QStringLiteral("--dir, --type, --no-overwrite, --shortcuts, --delete-all and --log need --silent"));
    return cl;
}

SilentFrontEnd::SilentFrontEnd(LogSink sink, const std::atomic<bool>* abort) : sink_(std::move(sink)), abort_(abort) {}

void SilentFrontEnd::log(const QString& label, const QString& text)
{
    if (!sink_)
        return;
    QString body = text;
    while (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    QStringList lines = body.split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            lines[i].prepend(QStringLiteral("    "));
    sink_(label + QStringLiteral(": ") + lines.join(QLatin1Char('\n')));
}

Answer SilentFrontEnd::DefaultAnswer(Prompt prompt)
{
    switch (prompt) {
    case Prompt::CreateFolder:
    case Prompt::FolderNotEmpty:
    case Prompt::Association:
        return Answer::Yes;
    case Prompt::Overwrite:
    case Prompt::SpaceShortage:
    case Prompt::DeleteFile:
    case Prompt::DeleteUnsharedLibrary:
    case Prompt::ShowErrorDetails:
    case Prompt::Restart:
        return Answer::No;
    case Prompt::DiskChange:
    default:
        return Answer::Ok;
    }
}

void SilentFrontEnd::showStatus(const QString& text)
{
    log(QStringLiteral("status"), text);
}

bool SilentFrontEnd::abortRequested()
{
    if (abort_ && abort_->load()) {
        log(QStringLiteral("abort"), QStringLiteral("セットアップを中断しました．"));
        return true;
    }
    return false;
}

Answer SilentFrontEnd::ask(const Message& message)
{
    Answer answer = DefaultAnswer(message.prompt);
    if (message.buttons == Buttons::Ok) {
        answer = Answer::Ok;
    } else if (message.prompt == Prompt::DiskChange) {
        // The same disk asked for again means its files are still missing: give up
        // rather than ask for ever.
        answer = message.text == lastDiskQuestion_ ? Answer::Cancel : Answer::Ok;
        lastDiskQuestion_ = message.text;
    }
    lastMessage_ = message.text;
    if (message.buttons == Buttons::Ok)
        log(QStringLiteral("message [%1]").arg(message.title), message.text);
    else
        log(QStringLiteral("question [%1]").arg(message.title), message.text + QStringLiteral("\n-> ") + AnswerName(answer));
    return answer;
}

SharedFileAnswer SilentFrontEnd::askSharedFile(const QString& text)
{
    const SharedFileAnswer answer = SharedFileAnswer::No;
    log(QStringLiteral("question [ファイル削除の確認]"), text + QStringLiteral("\n-> ") + SharedAnswerName(answer));
    return answer;
}

void SilentFrontEnd::showErrorDetails(const QString& caption, const QString& log)
{
    this->log(caption, log);
}

void SilentFrontEnd::note(const QString& text)
{
    log(QStringLiteral("note"), text);
}

namespace {

PassOutcome UninstallSilently(Session& session, SilentFrontEnd& frontEnd, const CommandLine& cl)
{
    UninstallChoices choices = DefaultUninstallChoices(session);
    if (choices.deleteAll && !cl.deleteAll) {
        // Without a window nobody has confirmed the box "everything in the folder":
        // files the installation did not create stay.
        choices.deleteAll = false;
        frontEnd.note(QStringLiteral("files the installation did not create are kept (give --delete-all to delete them)"));
    } else if (cl.deleteAll && !choices.deleteAll) {
        frontEnd.note(QStringLiteral("--delete-all is ignored: the installation does not offer it"));
    }
    if (!cl.folder.isEmpty())
        frontEnd.note(QStringLiteral("--dir is ignored: an uninstallation removes the folder its definition names"));
    frontEnd.log(QStringLiteral("folder"), choices.folder);
    return RunUninstall(session, frontEnd, choices);
}

/// The install choices of the definition, changed by the command line where it allows.
InstallChoices SilentInstallChoices(Session& session, SilentFrontEnd& frontEnd, const CommandLine& cl)
{
    InstallChoices choices = DefaultInstallChoices(session);
    const bool changeable = session.optionsEnabled();
    const bool optionsGiven = !cl.folder.isEmpty() || cl.noOverwrite || cl.shortcuts.has_value();
    if (changeable) {
        if (!cl.folder.isEmpty())
            choices.folder = QDir::current().absoluteFilePath(cl.folder);
        choices.overwrite = !cl.noOverwrite;
        if (cl.shortcuts) {
            // Only places the definition names can be chosen.
            choices.desktop = choices.desktop && cl.shortcuts->contains(QStringLiteral("desktop"));
            choices.startMenu = choices.startMenu && cl.shortcuts->contains(QStringLiteral("startmenu"));
            choices.startUp = choices.startUp && cl.shortcuts->contains(QStringLiteral("startup"));
            choices.sendTo = choices.sendTo && cl.shortcuts->contains(QStringLiteral("sendto"));
        }
    } else if (optionsGiven) {
        frontEnd.note(QStringLiteral("--dir, --no-overwrite and --shortcuts are ignored: the definition fixes them"));
    }
    if (cl.type == 2) {
        if (session.typePageVisible())
            choices.type = 2;
        else
            frontEnd.note(QStringLiteral("--type 2 is ignored: the definition offers no choice of type"));
    }
    return choices;
}

PassOutcome InstallSilently(Session& session, SilentFrontEnd& frontEnd, const CommandLine& cl)
{
    const InstallChoices choices = SilentInstallChoices(session, frontEnd, cl);
    if (!session.licenceFile().isEmpty() && QFileInfo::exists(session.licenceFile()))
        frontEnd.note(QStringLiteral("the licence is accepted by running silently: ") + session.licenceFile());
    if (session.earlierVersionFound())
        frontEnd.log(QStringLiteral("message [警告]"), session.earlierVersionWarning());
    frontEnd.log(QStringLiteral("folder"), choices.folder);
    return RunInstall(session, frontEnd, choices);
}

/// The questions the windows would ask before a restart; the silent mode never restarts
/// the machine itself.
void AnswerRestart(Session& session, SilentFrontEnd& frontEnd, const PassOutcome& outcome)
{
    if (outcome.status != PassOutcome::Status::Completed || !outcome.restartRequested)
        return;
    if (outcome.lockedFiles)
        frontEnd.ask({Prompt::LockedFiles, QStringLiteral("情報"),
                      QStringLiteral("ファイルのコピー時に，いくつかのファイルがロックされていました．\nこれらのファイルは，Windowsの再起動時に更新されます．"),
                      Buttons::Ok, Icon::Information});
    if (frontEnd.ask({Prompt::Restart, QStringLiteral("システム設定の変更"),
                      QStringLiteral("新しい設定を有効にするには，コンピュータを再起動する必要があります．\n今すぐ再起動しますか？"),
                      Buttons::YesNo, Icon::Question})
        == Answer::Yes) {
        session.services().rebooter->requestReboot();
    } else {
        frontEnd.ask({Prompt::RestartDeclined, QStringLiteral("警告"),
                      QStringLiteral("Windowsを再起動すると，セットアップは完了します．"), Buttons::Ok, Icon::Warning});
    }
}

} // namespace

int RunSilent(const CommandLine& cl, const SilentContext& context)
{
    QFile logFile;
    if (!cl.logFile.isEmpty()) {
        logFile.setFileName(QFileInfo(cl.logFile).absoluteFilePath());
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            WriteStderr(QStringLiteral("setup: cannot write the log %1: %2\n").arg(cl.logFile, logFile.errorString()));
            return kExitFatal;
        }
    }
    const auto sink = [&](const QString& line) {
        if (logFile.isOpen()) {
            logFile.write(line.toUtf8() + '\n');
            logFile.flush();
        }
        if (context.extraSink)
            context.extraSink(line);
    };
    SilentFrontEnd frontEnd(sink, context.abort);
    frontEnd.log(QStringLiteral("setup"), VersionLine());

    const auto finish = [&](int status, const QString& reason, const QString& errorLog) {
        if (!errorLog.isEmpty())
            frontEnd.log(QStringLiteral("error log"), errorLog);
        frontEnd.log(QStringLiteral("exit status"), QString::number(status));
        if (status != kExitSuccess && !logFile.isOpen()) {
            // Without a log file, say at least why on standard error.
            if (!reason.isEmpty())
                WriteStderr(QStringLiteral("setup: ") + reason + QLatin1Char('\n'));
            if (!errorLog.isEmpty())
                WriteStderr(errorLog);
        }
        return status;
    };

    InstanceLock lock(context.environment);
    if (!lock.tryLock())
        return finish(kExitFatal, QStringLiteral("another setup is running (%1)").arg(lock.path()), {});

    StartOptions start;
    start.environment = context.environment;
    start.arguments = cl.arguments;
    start.programPath = context.programPath;
    start.sourceFolder = context.sourceFolder;
    start.services = context.services;
    const std::unique_ptr<Session> session = Session::Start(start);
    frontEnd.log(QStringLiteral("mode"), session->uninstalling() ? QStringLiteral("UNSETUP") : QStringLiteral("SETUP"));
    if (session->hasFatalError()) {
        frontEnd.log(QStringLiteral("fatal"), session->fatalText());
        session->cleanUpWorkFolders();
        return finish(kExitFatal, session->fatalText().replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed(), {});
    }
    frontEnd.log(QStringLiteral("title"), session->uninstalling() ? session->uninstallTitle() : session->setupTitle());

    const PassOutcome outcome = session->uninstalling() ? UninstallSilently(*session, frontEnd, cl)
                                                        : InstallSilently(*session, frontEnd, cl);
    AnswerRestart(*session, frontEnd, outcome);
    session->cleanUpWorkFolders();

    switch (outcome.status) {
    case PassOutcome::Status::Aborted:
        return finish(kExitFatal, QStringLiteral("aborted"), outcome.errorLog);
    case PassOutcome::Status::Stopped:
        return finish(kExitFatal, frontEnd.lastMessage(), outcome.errorLog);
    case PassOutcome::Status::Completed:
        break;
    }
    if (outcome.errorCount > 0)
        return finish(kExitStepsFailed, QStringLiteral("some steps failed"), outcome.errorLog);
    return finish(kExitSuccess, {}, {});
}

} // namespace installer
