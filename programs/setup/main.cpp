// setup: installs what SETUP.INI beside it describes, or removes an installation given
// the path of its UNSETUP.INI. With --silent it runs without windows; otherwise it opens
// the installer's windows.
#include "installer/silent.h"

#ifdef MWEX_SETUP_WINDOWS
#include "common/gui/japaneseui.h"
#include "installer/gui/look.h"
#include "installer/gui/setupwindows.h"

#include <QApplication>
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>
#endif
#include <QCoreApplication>
#include <atomic>
#include <memory>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> g_abort{false};

void OnSignal(int)
{
    g_abort.store(true);
}

#ifdef MWEX_SETUP_WINDOWS
int g_signalPipe[2] = {-1, -1};

void OnWindowSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
#endif

void Print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

/// The silent mode, help, version and command-line mistakes: no window system needed.
int RunWithoutWindows(int argc, char** argv)
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

    // An interrupt aborts the pass at its next abort check, like the abort button.
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    installer::SilentContext context;
    context.environment = installer::Environment::FromProcess();
    context.programPath = QCoreApplication::applicationFilePath();
    context.abort = &g_abort;
    return installer::RunSilent(*commandLine, context);
}

int RunWithWindows(int argc, char** argv)
{
#ifdef MWEX_SETUP_WINDOWS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        Print(stderr, QStringLiteral("setup: no display to open the windows on; run it with --silent (see --help)\n"));
        return installer::kExitFatal;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("setup"));
    // The restart question comes after the last window has closed.
    QApplication::setQuitOnLastWindowClosed(false);
    common::InstallQtJapaneseTranslation(app);
    common::ApplyJapaneseUiFont(app);
    QApplication::setWindowIcon(installer::SetupIcon());

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const auto commandLine = installer::ParseCommandLine(args, nullptr);
    installer::WindowOptions options;
    options.environment = installer::Environment::FromProcess();
    options.arguments = commandLine ? commandLine->arguments : args;
    options.programPath = QCoreApplication::applicationFilePath();
    installer::SetupWindows windows(options);
    QObject::connect(&windows, &installer::SetupWindows::ended, &app, [](int status) { QCoreApplication::exit(status); },
                     Qt::QueuedConnection);
    // Another installer runs: end at once, without a word.
    if (!windows.start())
        return installer::kExitFatal;
    // Termination signals end the windows the way an abort does, so that the work
    // folder and the lock go with them: the handler only writes to a pipe, and the
    // event loop does the rest.
    std::unique_ptr<QSocketNotifier> notifier;
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &windows, [&windows] {
            char bytes[16];
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            windows.terminate();
        });
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            std::signal(sig, OnWindowSignal);
    }
    return app.exec();
#else
    (void)argc;
    (void)argv;
    Print(stderr, QStringLiteral("setup: this build has no windows; run it with --silent (see --help)\n"));
    return installer::kExitFatal;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    // Decide before any application object exists: the silent mode must not need a
    // window system.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const auto commandLine = installer::ParseCommandLine(args, nullptr);
    if (!commandLine || commandLine->help || commandLine->version || commandLine->silent)
        return RunWithoutWindows(argc, argv);
    return RunWithWindows(argc, argv);
}
