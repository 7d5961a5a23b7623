// The `setup` program without --silent: it opens windows, so only the ways it ends at
// once are run here (the windows themselves are driven in the other window tests).
#include "installer/services.h"
#include "installer/tests/testhome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace installertest;

namespace {

struct ProgramRun {
    int status = -1;
    QString out, err;
};

ProgramRun Execute(const QProcessEnvironment& env, const QString& workDir, const QStringList& args)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(QStringLiteral(SETUP_PROGRAM_PATH), args);
    ProgramRun run;
    if (!process.waitForFinished(30000)) {
        ADD_FAILURE() << "setup did not end";
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(SetupProgramWindows, SecondInstallerEndsAtOnceWithoutAWord)
{
    TestMachine m;
    m.writeDefinition("[Title]\nSetup=Tool\n");
    installer::InstanceLock first(m.environment());
    ASSERT_TRUE(first.tryLock());
    QProcessEnvironment env = m.processEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const ProgramRun run = Execute(env, m.scratch(), {});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_FALSE(run.err.contains("setup:")) << run.err.toStdString();
    EXPECT_TRUE(QDir(m.tmp()).entryList({"TSTMP*"}, QDir::Dirs).isEmpty());
}

TEST(SetupProgramWindows, WithoutADisplayItPointsToTheSilentMode)
{
    TestMachine m;
    QProcessEnvironment env = m.processEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    const ProgramRun run = Execute(env, m.scratch(), {});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--silent")) << run.err.toStdString();
}
