// `mwex song probe` over the 2,000-file probe corpus as a whole process, against a
// TagLib-based probe program (probe_taglib) and the I/O floor (probe_io_floor: open,
// read the first and last 4 KiB, close), each the best of N runs, interleaved.
//   probe_process_bench [--corpus FOLDER] [--runs N] [--mwex PATH]
// The helper programs are looked for beside this one; --mwex defaults to the mwex of
// this build.
#include "songfiles/bench/probecorpus.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds = -1; // -1: the program could not be run or failed
    qint64 outputBytes = 0;
};

/// Runs `program` with `args`, draining its standard output through a pipe.
Run Time(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return {};
    }
    char buffer[65536];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) != 0;)
        if (got > 0)
            run.outputBytes += got;
        else if (errno != EINTR)
            break;
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        run.seconds = -1;
    return run;
}

struct Contender {
    const char* name;
    QString program;
    QStringList args;
    Run best;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString folder;
    int runs = 5;
#ifdef MWEX_BINARY
    QString mwex = QStringLiteral(MWEX_BINARY);
#else
    QString mwex;
#endif
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--corpus") && i + 1 < args.size())
            folder = args[++i];
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--mwex") && i + 1 < args.size())
            mwex = args[++i];
        else {
            std::fprintf(stderr, "usage: probe_process_bench [--corpus FOLDER] [--runs N] [--mwex PATH]\n");
            return 2;
        }
    }
    std::unique_ptr<QTemporaryDir> temporary;
    if (folder.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        folder = temporary->path();
    }
    const probebench::Corpus corpus = probebench::MakeCorpus(folder);
    QStringList files;
    for (const QString& f : corpus.all)
        files << f;
    const QString here = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    std::vector<Contender> contenders = {
        {"mwex song probe", mwex, QStringList{QStringLiteral("song"), QStringLiteral("probe")} + files, {}},
        {"probe_taglib", here + QStringLiteral("probe_taglib"), files, {}},
        {"I/O floor", here + QStringLiteral("probe_io_floor"), files, {}},
        {"mwex start-up (1 file)", mwex, {QStringLiteral("song"), QStringLiteral("probe"), files.first()}, {}},
    };
    for (int r = 0; r <= runs; ++r) { // run 0 warms the cache
        for (Contender& c : contenders) {
            if (!QFileInfo(c.program).isExecutable())
                continue;
            const Run run = Time(c.program, c.args);
            if (r > 0 && run.seconds >= 0 && (c.best.seconds < 0 || run.seconds < c.best.seconds))
                c.best = run;
        }
    }
    std::printf("whole processes over %lld files (best of %d runs)\n", static_cast<long long>(files.size()), runs);
    for (const Contender& c : contenders) {
        if (c.best.seconds < 0)
            std::printf("  %-24s not run (%s)\n", c.name, qPrintable(c.program));
        else
            std::printf("  %-24s %8.1f ms   output %7lld bytes\n", c.name, c.best.seconds * 1000,
                        static_cast<long long>(c.best.outputBytes));
    }
    const double probe = contenders[0].best.seconds, taglib = contenders[1].best.seconds,
                 floor = contenders[2].best.seconds;
    if (probe > 0 && floor > 0)
        std::printf("  mwex / I/O floor          %7.2fx   (goal: at most 2x)\n", probe / floor);
    if (probe > 0 && taglib > 0)
        std::printf("  TagLib / mwex             %7.2fx   (above 1: mwex is faster)\n", taglib / probe);
    return 0;
}
