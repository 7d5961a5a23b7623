// setup: installs what SETUP.INI beside it describes, or removes an installation given
// the path of its UNSETUP.INI.
#include "installer/silent.h"

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> g_abort{false};

void OnSignal(int)
{
    g_abort.store(true);
}

void Print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("setup"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    QString error;
    const auto commandLine = installer::ParseCommandLine(args, &error);
    if (!commandLine) {
        Print(stderr, QStringLiteral("setup: %1\n%2").arg(error, installer::UsageText()));
        return installer::kExitFatal;
    }
    if (commandLine->help) {
        Print(stdout, installer::UsageText());
        return installer::kExitSuccess;
    }
    if (commandLine->version) {
        Print(stdout, installer::VersionLine() + QLatin1Char('\n'));
        return installer::kExitSuccess;
    }
    if (!commandLine->silent) {
        Print(stderr, QStringLiteral("setup: this build has no windows; run it with --silent (see --help)\n"));
        return installer::kExitFatal;
    }

    // An interrupt aborts the pass at its next abort check, like the abort button.
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    installer::SilentContext context;
    context.environment = installer::Environment::FromProcess();
    context.programPath = QCoreApplication::applicationFilePath();
    context.abort = &g_abort;
    return installer::RunSilent(*commandLine, context);
}
