// Copy, move and trash of many files with clsFileOperation, timed in the same run against
// the system's own tools: `cp -r`, `mv`, `gio trash` and a trash written by hand (info
// file + rename, nothing else). Our operations run on a worker thread, as the window runs
// them, with a progress observer attached, while the main thread's event loop is timed:
// "stall" is the longest gap between two 10 ms timer ticks.
//
//   fileops_bench [--files N] [--mb TOTAL] [--rounds R] [--dir FOLDER] [--other FOLDER] [--only PART]
// Defaults: 1000 files, 1024 MB in all, 3 rounds (best kept), FOLDER = $MWEX_BENCH_DIR or
// /tmp/mwex-fileops-bench, the second file system /dev/shm/mwex-fileops-bench. PART is
// copy, move or trash. Copies are also timed for as many lyrics-sized files (4 KB), where
// the cost of each file counts rather than its bytes.
#include "browser/fileops/fileoperation.h"
#include "browser/fileops/posixfs.h"
#include "browser/fileops/trash.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace fileops;

namespace {

struct Options {
    int files = 1000;
    qint64 totalMb = 1024;
    int rounds = 3;
    QString dir;
    QString other = QStringLiteral("/dev/shm/mwex-fileops-bench");
    QString only; // copy, move or trash: that part alone
};

class CountingObserver : public OperationObserver {
public:
    bool progress(const Progress&) override
    {
        ++calls;
        return true;
    }
    std::atomic<int> calls{0};
};

void Fill(const QString& folder, int files, qint64 bytesEach)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QByteArray block(int(std::min<qint64>(bytesEach, 1 << 20)), Qt::Uninitialized);
    quint32 x = 12345;
    for (char& c : block) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = char(x);
    }
    for (int i = 0; i < files; ++i) {
        QFile f(folder + QStringLiteral("/song%1.mp3").arg(i, 4, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(f.fileName()));
        block[0] = char(i);
        for (qint64 left = bytesEach; left > 0; left -= block.size())
            f.write(block.constData(), std::min<qint64>(left, block.size()));
    }
}

QStringList FilesIn(const QString& folder)
{
    QStringList paths;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        paths << folder + QLatin1Char('/') + name;
    return paths;
}

void Fresh(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

void Shell(const QString& command)
{
    if (QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}) != 0)
        qFatal("failed: %s", qPrintable(command));
}

QString Quote(const QString& path)
{
    return QLatin1Char('\'') + QString(path).replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

struct Timing {
    double seconds = 0;
    double stallMs = 0;
};

// Runs `work` on a worker thread while this thread's event loop ticks every 10 ms.
Timing OnWorker(const std::function<void()>& work)
{
    QEventLoop loop;
    QElapsedTimer sinceTick;
    double stall = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        stall = std::max(stall, double(sinceTick.nsecsElapsed()) / 1e6 - 10.0);
        sinceTick.restart();
    });
    std::atomic<bool> done{false};
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    tick.start();
    std::thread worker([&] {
        work();
        done = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return Timing{double(clock.nsecsElapsed()) / 1e9, std::max(0.0, stall)};
}

double Timed(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e9;
}

// The least a trash can do: an exclusive info file, then a rename into files/.
bool HandTrash(const QString& trash, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const QByteArray info = QFile::encodeName(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(path, "/") + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + "\n";
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok && ::rename(QFile::encodeName(path).constData(), QFile::encodeName(trash + QStringLiteral("/files/") + name).constData()) == 0;
}

void Row(const char* what, double ours, double theirs, const char* tool, double stallMs)
{
    std::printf("%-30s %9.3f s %9.3f s  %-12s %6.2fx   %7.1f ms\n", what, ours, theirs, tool, ours / theirs, stallMs);
    std::fflush(stdout);
}

Options ParseOptions(const QStringList& args)
{
    Options o;
    o.dir = qEnvironmentVariable("MWEX_BENCH_DIR", QStringLiteral("/tmp/mwex-fileops-bench"));
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--files")) o.files = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--mb")) o.totalMb = args[i + 1].toLongLong();
        else if (args[i] == QLatin1String("--rounds")) o.rounds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--dir")) o.dir = args[i + 1];
        else if (args[i] == QLatin1String("--other")) o.other = args[i + 1];
        else if (args[i] == QLatin1String("--only")) o.only = args[i + 1];
    }
    return o;
}

bool Wanted(const Options& o, const char* part)
{
    return o.only.isEmpty() || o.only == QLatin1String(part);
}

// Copies `src` into `target` with clsFileOperation and with `cp -r`, taking turns.
void BenchCopy(clsFileOperation& op, const Options& o, const char* label, const QString& src, const QString& target)
{
    Timing best{1e9, 0};
    double reference = 1e9;
    // The two take turns going first, so that neither always meets the other's writeback.
    for (int r = 0; r < 2 * o.rounds; ++r) {
        Fresh(target);
        Shell(QStringLiteral("sync"));
        if ((r + r / 2) % 2 == 0) {
            const Timing t = OnWorker([&] {
                if (!op.Copy(FilesIn(src), target))
                    qFatal("copy failed: %s", qPrintable(FailureReport(op.lastResult())));
            });
            best.seconds = std::min(best.seconds, t.seconds);
            best.stallMs = std::max(best.stallMs, t.stallMs);
        } else {
            reference = std::min(reference, Timed([&] { Shell(QStringLiteral("cp -r %1/. %2/").arg(Quote(src), Quote(target))); }));
        }
    }
    Row(label, best.seconds, reference, "cp -r", best.stallMs);
    Fresh(target);
}

// Moves the files of `src` to `target` and back with clsFileOperation and with `mv`.
void BenchMove(clsFileOperation& op, const Options& o, const char* label, const QString& src, const QString& target)
{
    Timing best{1e9, 0};
    double reference = 1e9;
    for (int r = 0; r < o.rounds; ++r) {
        Fresh(target);
        Shell(QStringLiteral("sync"));
        const Timing t = OnWorker([&] {
            if (!op.Move(FilesIn(src), target))
                qFatal("move failed: %s", qPrintable(FailureReport(op.lastResult())));
        });
        best.seconds = std::min(best.seconds, t.seconds);
        best.stallMs = std::max(best.stallMs, t.stallMs);
        Shell(QStringLiteral("mv -t %1 %2/*").arg(Quote(src), Quote(target)));
        Shell(QStringLiteral("sync"));
        reference = std::min(reference, Timed([&] { Shell(QStringLiteral("mv -t %1 %2/*").arg(Quote(target), Quote(src))); }));
        Shell(QStringLiteral("mv -t %1 %2/*").arg(Quote(src), Quote(target)));
    }
    Row(label, best.seconds, reference, "mv", best.stallMs);
    Fresh(target);
}

// gio trash into a trash of the bench's own; false when gio is missing or failed.
bool GioTrash(const QString& data, const QString& trashSrc, double& best)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    p.setProcessEnvironment(env);
    best = std::min(best, Timed([&] {
        p.start(QStringLiteral("gio"), QStringList{QStringLiteral("trash")} + FilesIn(trashSrc));
        p.waitForFinished(-1);
    }));
    return p.exitCode() == 0 && QDir(trashSrc).isEmpty(QDir::Files);
}

// Trash: small files on the bench's own file system, into trash folders of the bench.
void BenchTrash(clsFileOperation& op, const Options& o)
{
    const QString trashSrc = o.dir + QStringLiteral("/trashme");
    const QString data = o.dir + QStringLiteral("/data");
    Timing bestTrash{1e9, 0};
    double hand = 1e9, gio = 1e9;
    bool haveGio = !QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty();
    for (int r = 0; r < o.rounds; ++r) {
        QDir(data).removeRecursively();
        Fill(trashSrc, o.files, 1024);
        FreedesktopTrash trash(data + QStringLiteral("/Trash"));
        op.setTrash(&trash);
        op.setAllowUndo(true);
        const Timing t = OnWorker([&] {
            if (!op.Delete(FilesIn(trashSrc)))
                qFatal("trash failed: %s", qPrintable(FailureReport(op.lastResult())));
        });
        op.setTrash(nullptr);
        op.setAllowUndo(false);
        bestTrash.seconds = std::min(bestTrash.seconds, t.seconds);
        bestTrash.stallMs = std::max(bestTrash.stallMs, t.stallMs);

        QDir(data).removeRecursively();
        Fill(trashSrc, o.files, 1024);
        const QString handTrash = data + QStringLiteral("/HandTrash");
        QDir().mkpath(handTrash + QStringLiteral("/files"));
        QDir().mkpath(handTrash + QStringLiteral("/info"));
        const QStringList files = FilesIn(trashSrc);
        hand = std::min(hand, Timed([&] {
            for (const QString& f : files)
                if (!HandTrash(handTrash, f))
                    qFatal("hand trash failed");
        }));

        if (haveGio) {
            QDir(data).removeRecursively();
            Fill(trashSrc, o.files, 1024);
            haveGio = GioTrash(data, trashSrc, gio);
        }
    }
    Row("trash", bestTrash.seconds, hand, "by hand", bestTrash.stallMs);
    if (haveGio)
        Row("trash", bestTrash.seconds, gio, "gio trash", bestTrash.stallMs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Options o = ParseOptions(app.arguments());
    const qint64 bytesEach = o.totalMb * 1024 * 1024 / o.files;
    const QString src = o.dir + QStringLiteral("/src"), near = o.dir + QStringLiteral("/near"), far = o.other + QStringLiteral("/far");
    Fill(src, o.files, bytesEach);
    QDir().mkpath(o.other);
    const bool across = IdentityOf(o.dir) && IdentityOf(o.other) && IdentityOf(o.dir)->device != IdentityOf(o.other)->device;
    std::printf("%d files of %lld bytes (%lld MB) in %s; other file system %s%s; best of %d rounds\n\n", o.files,
                bytesEach, o.totalMb, qPrintable(o.dir), qPrintable(o.other), across ? "" : " (SAME DEVICE!)", o.rounds);
    std::printf("%-30s %11s %11s  %-12s %7s   %s\n", "operation", "ours", "reference", "tool", "ratio", "window stall");

    clsFileOperation op;
    CountingObserver observer;
    op.setObserver(&observer);
    op.setShowDialog(true);
    if (Wanted(o, "copy")) {
        BenchCopy(op, o, "copy, same file system", src, near);
        BenchCopy(op, o, "copy, across file systems", src, far);
        // Lyrics-sized files: what each file costs besides its bytes.
        const QString small = o.dir + QStringLiteral("/small");
        Fill(small, o.files, 4096);
        BenchCopy(op, o, "copy 4 KB files, same fs", small, near);
        BenchCopy(op, o, "copy 4 KB files, across", small, far);
        QDir(small).removeRecursively();
    }
    if (Wanted(o, "move")) {
        BenchMove(op, o, "move, same file system", src, near);
        BenchMove(op, o, "move, across file systems", src, far);
    }
    if (Wanted(o, "trash"))
        BenchTrash(op, o);
    std::printf("\nprogress reports received: %d\n", observer.calls.load());

    QDir(o.dir).removeRecursively();
    QDir(o.other).removeRecursively();
    return 0;
}
