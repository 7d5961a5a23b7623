// Installing a payload of 2,000 files totalling 200 MB, against `cp -r` of the same
// payload in the same run.
//
// Each iteration runs /bin/cp -r of the payload and then the install pass into fresh
// folders (SetupSpeed at its minimum, 1 ms). BM_InstallAgainstCopy waits every pause
// the pass asks for, as the windows do; BM_SilentInstallAgainstCopy never waits, as the
// silent mode. The counters give cp -r, the installation, its pauses and its own work
// (its time minus the pauses), and their ratios.
#include "installer/passes.h"
#include "installer/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFiles = 2000;
constexpr qint64 kTotalBytes = 200LL * 1000 * 1000;

/// The payload on the "installation medium" and a home to install into, made once.
struct Bench {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/installer-bench-XXXXXX")};
    QString root, media, payload, home;
    qint64 bytes = 0;

    Bench()
    {
        root = dir.path() + QLatin1Char('/');
        media = root + QStringLiteral("media/");
        payload = media;
        home = root + QStringLiteral("home/");
        QDir().mkpath(media);
        QDir().mkpath(home + QStringLiteral("tmp"));
        QDir().mkpath(home + QStringLiteral(".local/opt"));
        QRandomGenerator random(2024);
        QString definition = QStringLiteral("[Title]\r\nSetup=Bench\r\n[Extend]\r\nSetupSpeed=1\r\n"
                                            "[DefaultFolder]\r\nFolder=(Prg)\\Bench\r\n[MakeFolder]\r\n");
        for (int d = 0; d < 20; ++d)
            definition += QStringLiteral("Folder%1=(App)\\d%2\r\n").arg(d + 1).arg(d);
        definition += QStringLiteral("[CopyFile]\r\n");
        // Sizes vary from 20 % to 180 % of the mean and add up to 200 MB.
        std::vector<double> weights(kFiles);
        double weightSum = 0;
        for (double& w : weights) {
            w = 0.2 + 1.6 * random.generateDouble();
            weightSum += w;
        }
        std::vector<qint64> sizes(kFiles);
        qint64 sum = 0;
        for (int i = 0; i < kFiles; ++i) {
            sizes[i] = qint64(double(kTotalBytes) * weights[i] / weightSum);
            sum += sizes[i];
        }
        sizes.back() += kTotalBytes - sum;
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (char& c : block)
            c = char(random.bounded(256));
        for (int i = 0; i < kFiles; ++i) {
            const QString name = QStringLiteral("f%1.bin").arg(i, 4, 10, QLatin1Char('0'));
            QFile file(media + name);
            file.open(QIODevice::WriteOnly);
            const int offset = int(random.bounded(1 << 19));
            file.write(block.constData() + offset, std::min<qint64>(sizes[i], block.size() - offset));
            for (qint64 left = sizes[i] - file.size(); left > 0;)
                left -= file.write(block.constData(), std::min<qint64>(left, block.size()));
            bytes += file.size();
            definition += QStringLiteral("File%1=(App)\\d%2\\%3\r\n").arg(i + 1).arg(i % 20).arg(name);
        }
        QFile ini(media + QStringLiteral("SETUP.INI"));
        ini.open(QIODevice::WriteOnly);
        ini.write(definition.toLatin1());
        QFile program(media + QStringLiteral("setup"));
        program.open(QIODevice::WriteOnly);
        program.write("#!/bin/sh\n");
    }

    installer::Environment environment() const
    {
        installer::Environment env;
        env.home = home;
        env.tempDir = home + QStringLiteral("tmp");
        env.runtimeDir = root;
        return env;
    }
    /// A fresh folder per run: deleting a tree and creating the next one in its place
    /// would measure the file system's handling of just-freed inodes, not the copy.
    /// The targets stay until the program ends for the same reason.
    QString target(const char* what)
    {
        targets << root + QStringLiteral("%1-%2/").arg(QLatin1String(what)).arg(targets.size() + 1);
        return targets.back();
    }
    QStringList targets;
};

Bench& TheBench()
{
    static Bench bench;
    return bench;
}

/// A front end that waits as the windows would (or not at all) and keeps count.
class TimingFrontEnd : public installer::FrontEnd {
public:
    explicit TimingFrontEnd(bool wait) : wait_(wait) {}
    void hideMainWindow() override {}
    void showProgressWindow() override {}
    void showStatus(const QString&) override { ++statuses; }
    void showProgressFrame(bool) override {}
    void setProgress(int, int, int) override {}
    void setAbortEnabled(bool) override {}
    bool abortRequested() override { return false; }
    void pause(int milliseconds, installer::PauseKind) override
    {
        ++pauses;
        if (!wait_)
            return;
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        paused += Clock::now() - start;
    }
    installer::Answer ask(const installer::Message& m) override
    {
        return m.buttons == installer::Buttons::YesNo ? installer::Answer::Yes : installer::Answer::Ok;
    }
    installer::SharedFileAnswer askSharedFile(const QString&) override { return installer::SharedFileAnswer::No; }
    void showErrorDetails(const QString&, const QString&) override {}
    void finishPass() override {}

    Clock::duration paused{};
    int pauses = 0;
    int statuses = 0;

private:
    bool wait_;
};

/// `cp -r` of the payload into a fresh folder; seconds.
double CopyOnce(Bench& bench, benchmark::State& state)
{
    const QString target = bench.target("cp");
    ::sync();
    const auto start = Clock::now();
    if (QProcess::execute(QStringLiteral("/bin/cp"), {QStringLiteral("-r"), bench.payload, target}) != 0)
        state.SkipWithError("cp -r failed");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct InstallTimes {
    double total = 0;
    double paused = 0;
    int pauses = 0;
};

/// One installation into a fresh folder.
InstallTimes InstallOnce(Bench& bench, benchmark::State& state, bool wait)
{
    installer::StartOptions options;
    options.environment = bench.environment();
    options.programPath = bench.media + QStringLiteral("setup");
    TimingFrontEnd frontEnd(wait);
    const QString target = bench.target("install");
    ::sync();
    const auto start = Clock::now();
    auto session = installer::Session::Start(options);
    installer::InstallChoices choices = installer::DefaultInstallChoices(*session);
    choices.folder = target;
    const installer::PassOutcome outcome = installer::RunInstall(*session, frontEnd, choices);
    session->cleanUpWorkFolders();
    InstallTimes times;
    times.total = std::chrono::duration<double>(Clock::now() - start).count();
    times.paused = std::chrono::duration<double>(frontEnd.paused).count();
    times.pauses = frontEnd.pauses;
    if (outcome.status != installer::PassOutcome::Status::Completed || outcome.errorCount != 0)
        state.SkipWithError("the installation failed");
    return times;
}

/// Each iteration copies the payload with cp -r and installs it, one right after the
/// other, so that both meet the same state of a shared machine. The iteration's time is
/// the installer's own work; the counters hold the rest.
void Compare(benchmark::State& state, bool wait)
{
    Bench& bench = TheBench();
    double copy = 0, total = 0, paused = 0;
    int pauses = 0;
    for (auto _ : state) {
        copy += CopyOnce(bench, state);
        const InstallTimes times = InstallOnce(bench, state, wait);
        total += times.total;
        paused += times.paused;
        pauses = times.pauses;
        state.SetIterationTime(times.total - times.paused);
    }
    const double n = double(state.iterations());
    state.counters["cp_r_s"] = copy / n;
    state.counters["install_s"] = total / n;
    state.counters["paused_s"] = paused / n;
    state.counters["own_work_s"] = (total - paused) / n;
    state.counters["own_work_per_cp_r"] = (total - paused) / copy;
    state.counters["total_per_cp_r"] = total / copy;
    state.counters["pauses"] = pauses;
    state.counters["MB"] = double(bench.bytes) / 1e6;
}

/// SetupSpeed at its minimum (1 ms): the front end waits every pause, as the windows do.
void BM_InstallAgainstCopy(benchmark::State& state)
{
    Compare(state, true);
}

/// The same without waiting, as the silent mode runs.
void BM_SilentInstallAgainstCopy(benchmark::State& state)
{
    Compare(state, false);
}

BENCHMARK(BM_SilentInstallAgainstCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_InstallAgainstCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TheBench(); // build the payload before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
