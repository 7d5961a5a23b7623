// The silent mode: its command line, its answers and log, and the `setup` program run
// as a user would run it.
#include "installer/silent.h"

#include "installer/registry.h"
#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace installer;
using namespace installertest;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

QString U8(const char* text)
{
    return QString::fromUtf8(text);
}

CommandLine Parse(const QStringList& args)
{
    QString error;
    const auto cl = ParseCommandLine(args, &error);
    EXPECT_TRUE(cl.has_value()) << error.toStdString();
    return cl.value_or(CommandLine{});
}

QString ParseError(const QStringList& args)
{
    QString error;
    EXPECT_FALSE(ParseCommandLine(args, &error).has_value());
    return error;
}

struct ProgramRun {
    int status = -1;
    QString out, err;
};

/// Runs a program with the machine's environment.
ProgramRun Execute(const TestMachine& m, const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessEnvironment(m.processEnvironment());
    process.setWorkingDirectory(m.scratch());
    process.start(program, args);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "timed out: " << program.toStdString();
        process.kill();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

/// The real program beside its definition, as on an installation medium.
QString PlaceSetup(TestMachine& m)
{
    const QString program = m.media() + "setup";
    QFile::remove(program);
    EXPECT_TRUE(QFile::copy(QStringLiteral(SETUP_PROGRAM_PATH), program));
    return program;
}

} // namespace

TEST(SilentCommandLine, OptionsAndTheUninstallDefinition)
{
    const CommandLine cl = Parse({"--silent", "--dir", "/opt/x", "--type", "2", "--no-overwrite", "--shortcuts",
                                  "desktop,StartMenu", "--log=/tmp/l.txt", "/opt/x/UNSETUP.INI"});
    EXPECT_TRUE(cl.silent);
    EXPECT_EQ(cl.folder, "/opt/x");
    EXPECT_EQ(cl.type, 2);
    EXPECT_TRUE(cl.noOverwrite);
    ASSERT_TRUE(cl.shortcuts.has_value());
    EXPECT_EQ(*cl.shortcuts, (QStringList{"desktop", "startmenu"}));
    EXPECT_EQ(cl.logFile, "/tmp/l.txt");
    EXPECT_EQ(cl.arguments, QStringList{"/opt/x/UNSETUP.INI"});
    EXPECT_TRUE(Parse({"--silent", "--shortcuts", ""}).shortcuts->isEmpty());
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(SilentCommandLine, MistakesAreNamed)
{
    EXPECT_TRUE(ParseError({"--silent", "--type", "3"}).contains("--type"));
    EXPECT_TRUE(ParseError({"--silent", "--shortcuts", "desk"}).contains("desk"));
    EXPECT_TRUE(ParseError({"--silent", "--dir"}).contains("--dir"));
    EXPECT_TRUE(ParseError({"--silent", "--frobnicate"}).contains("--frobnicate"));
    EXPECT_TRUE(ParseError({"--dir", "/x"}).contains("--silent"));
}

TEST(SilentAnswers, DocumentedDefaults)
{
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::CreateFolder), Answer::Yes);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::Overwrite), Answer::No);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::Association), Answer::Yes);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::DeleteFile), Answer::No);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::DeleteUnsharedLibrary), Answer::No);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::SpaceShortage), Answer::No);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::ShowErrorDetails), Answer::No);
    EXPECT_EQ(SilentFrontEnd::DefaultAnswer(Prompt::Restart), Answer::No);
    QStringList lines;
    SilentFrontEnd fe([&](const QString& line) { lines << line; });
    EXPECT_EQ(fe.askSharedFile("x"), SharedFileAnswer::No);
    // A disk asked for twice in a row is not coming: give up.
    const Message disk{Prompt::DiskChange, "t", "2", Buttons::OkCancel, Icon::Information};
    EXPECT_EQ(fe.ask(disk), Answer::Ok);
    EXPECT_EQ(fe.ask(disk), Answer::Cancel);
    EXPECT_EQ(lines.last(), "question [t]: 2\n    -> Cancel");
}

TEST(SilentLog, EveryEventIsALabelledEntryWithIndentedContinuationLines)
{
    QStringList lines;
    SilentFrontEnd fe([&](const QString& line) { lines << line; });
    fe.showStatus(U8("コピー中\nCopying -> /x"));
    fe.ask({Prompt::CreateFolder, U8("フォルダ作成"), U8("/x/\n\n作成？"), Buttons::YesNo, Icon::Question});
    fe.ask({Prompt::InstallCompleted, U8("完了"), U8("完了しました．"), Buttons::Ok, Icon::Information});
    fe.note("remark");
    EXPECT_EQ(lines, (QStringList{U8("status: コピー中\n    Copying -> /x"), U8("question [フォルダ作成]: /x/\n\n    作成？\n    -> Yes"),
                                  U8("message [完了]: 完了しました．"), "note: remark"}));
}

class SilentRun : public ::testing::Test {
protected:
    TestMachine m;
    QStringList log;
    int run(const QStringList& args, const std::atomic<bool>* abort = nullptr)
    {
        QString error;
        const auto cl = ParseCommandLine(args, &error);
        EXPECT_TRUE(cl.has_value()) << error.toStdString();
        SilentContext context;
        context.environment = m.environment();
        context.programPath = m.programPath();
        context.services = m.services();
        context.extraSink = [this](const QString& line) { log << line; };
        context.abort = abort;
        const QString cwd = QDir::currentPath();
        const int status = RunSilent(*cl, context);
        QDir::setCurrent(cwd);
        return status;
    }
    bool logged(const QString& text) const
    {
        return std::any_of(log.begin(), log.end(), [&](const QString& line) { return line.contains(text); });
    }
};

TEST_F(SilentRun, InstallWithOptionsThenUninstall)
{
    m.writeDefinition("[Title]\nSetup=Tool\n[Extend]\nSetupSpeed=5000\n[DefaultFolder]\nFolder=(Prg)\\Tool\n"
                      "[SelectType]\nVisible=True\n[CopyFile]\nFile1=(App)\\a.txt\nFile1_2=(App)\\b.txt\n"
                      "[ShortCut]\nMake1=(App)\\b.txt\nName1=(Dsk)\\B\nMake2=(App)\\b.txt\nName2=(Sup)\\B\n");
    m.writeMedia("a.txt", "a");
    m.writeMedia("b.txt", "b");
    const Listing before = ListTree(m.home());
    const QString dir = m.programFiles() + "Other";
    EXPECT_EQ(run({"--silent", "--dir", dir, "--type", "2", "--shortcuts", "startup"}), kExitSuccess);
    EXPECT_TRUE(QFile::exists(dir + "/b.txt"));
    EXPECT_FALSE(QFile::exists(dir + "/a.txt"));
    EXPECT_TRUE(QFile::exists(m.autostart() + "B.desktop"));
    EXPECT_FALSE(QFile::exists(m.desktop() + "B.desktop"));
    EXPECT_TRUE(logged(U8("question [フォルダ作成]")));
    EXPECT_EQ(log.last(), "exit status: 0");
    EXPECT_EQ(QDir(m.tmp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});

    log.clear();
    EXPECT_EQ(run({"--silent", "--dir", "/ignored", dir + "/UNSETUP.INI"}), kExitSuccess);
    EXPECT_TRUE(logged("mode: UNSETUP"));
    EXPECT_TRUE(logged("--dir is ignored"));
    EXPECT_EQ(ListTree(m.home()), before) << DescribeDifference(before, ListTree(m.home()));
}

TEST_F(SilentRun, ExistingFilesAreKeptWithNoOverwrite)
{
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "new");
    QDir().mkpath(m.programFiles() + "Tool");
    WriteBytes(m.programFiles() + "Tool/a.txt", "old");
    EXPECT_EQ(run({"--silent", "--no-overwrite"}), kExitSuccess);
    EXPECT_EQ(ReadBytes(m.programFiles() + "Tool/a.txt"), QByteArray("old"));
    EXPECT_TRUE(logged(U8("question [上書き確認]")));
    EXPECT_TRUE(logged("-> No"));
}

TEST_F(SilentRun, LockedDefinitionIgnoresTheFolderOption)
{
    m.writeDefinition("[Extend]\nEnabled=False\n[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    EXPECT_EQ(run({"--silent", "--dir", m.home() + "elsewhere"}), kExitSuccess);
    EXPECT_TRUE(QFile::exists(m.programFiles() + "Tool/a.txt"));
    EXPECT_FALSE(QFile::exists(m.home() + "elsewhere"));
    EXPECT_TRUE(logged("are ignored"));
}

TEST_F(SilentRun, FailedStepsGiveStatusOneAndTheErrorLog)
{
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\missing.txt\n");
    EXPECT_EQ(run({"--silent"}), kExitStepsFailed);
    EXPECT_TRUE(logged(U8("error log: <File> ") + m.media() + "missing.txt"));
    EXPECT_TRUE(logged(U8("question [警告]")));
}

TEST_F(SilentRun, SpaceShortageStops)
{
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    m.diskSpace->bytes = 0;
    EXPECT_EQ(run({"--silent"}), kExitFatal);
    EXPECT_TRUE(logged(U8("question [空き容量不足]")));
    EXPECT_TRUE(logged(U8("インストールを続行できませんでした．")));
    EXPECT_FALSE(QFile::exists(m.programFiles() + "Tool"));
}

TEST_F(SilentRun, AbortStopsTheInstallation)
{
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    const std::atomic<bool> abort{true};
    EXPECT_EQ(run({"--silent"}, &abort), kExitFatal);
    EXPECT_TRUE(logged(U8("abort: セットアップを中断しました．")));
    EXPECT_EQ(QDir(m.tmp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
}

TEST_F(SilentRun, RestartIsNeverRequestedSilently)
{
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[ExecuteFile]\nFile=WINDOWS_REBOOT\n");
    EXPECT_EQ(run({"--silent"}), kExitSuccess);
    EXPECT_EQ(m.rebooter->requests, 0);
    EXPECT_TRUE(logged(U8("Windowsを再起動すると，セットアップは完了します．")));
}

TEST_F(SilentRun, EarlierVersionWarningIsLogged)
{
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[Caution]\nUnInstallCheck=old.exe\n");
    QDir().mkpath(m.programFiles() + "Tool");
    WriteBytes(m.programFiles() + "Tool/old.exe", "x");
    EXPECT_EQ(run({"--silent"}), kExitSuccess);
    EXPECT_TRUE(logged(U8("message [警告]: プログラムはチェック対象プログラムを検出しました．")));
}

TEST(SetupProgram, SilentInstallAndUninstallLeaveTheHomeAsBefore)
{
    TestMachine m;
    const QString program = PlaceSetup(m);
    m.writeDefinition("[Title]\nSetup=ツール\n[ProgramID]\nID=Tool\n[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool\n"
                      "[CopyFile]\nFile1=(App)\\readme.txt\nFile2=(App)\\data.tx_\n[ShortCut]\nMake1=(App)\\readme.txt\n"
                      "Name1=(Dsk)\\Read me\n[Registry]\nKey1=Software\\Tool\nName1=Folder\nValue1=(Str)(App)(Pdd)\n"
                      "[DeleteRegistry]\nKey1=Software\\Tool\n");
    m.writeMedia("readme.txt", "read me");
    m.writeMedia("data.tx_", MakeSzdd("data", 'T'));
    const Listing before = ListTree(m.home());
    const QString logFile = m.scratch() + "install.log";
    const ProgramRun install = Execute(m, program, {"--silent", "--log", logFile});
    EXPECT_EQ(install.status, 0) << install.err.toStdString();
    const QString app = m.programFiles() + "Tool/";
    EXPECT_EQ(ReadBytes(app + "DATA.TXT"), QByteArray("data"));
    EXPECT_TRUE(QFile::exists(m.desktop() + "Read me.desktop"));
    const QString log = QString::fromUtf8(ReadBytes(logFile));
    EXPECT_TRUE(log.startsWith("setup: Tovel! Setup 200x Version ")) << log.toStdString();
    EXPECT_TRUE(log.contains(U8("status: インストールを開始します．．．\n")));
    EXPECT_TRUE(log.contains(U8("message [完了]: インストールが完了しました．")));
    EXPECT_TRUE(log.endsWith("exit status: 0\n"));
    // The uninstaller placed in the Windows folder is the program itself.
    EXPECT_EQ(ReadBytes(m.windows() + "UNTS200X.EXE"), ReadBytes(program));

    const ProgramRun uninstall = Execute(m, m.windows() + "UNTS200X.EXE", {"--silent", app + "UNSETUP.INI"});
    EXPECT_EQ(uninstall.status, 0) << uninstall.err.toStdString();
    const Listing after = ListTree(m.home());
    EXPECT_EQ(before, after) << DescribeDifference(before, after);
}

TEST(SetupProgram, FatalStartsExitWithTwoAndSayWhy)
{
    TestMachine m;
    const QString program = PlaceSetup(m);
    ProgramRun run = Execute(m, program, {"--silent"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(U8("iniファイル読み込み失敗"))) << run.err.toStdString();
    EXPECT_TRUE(QDir(m.tmp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    run = Execute(m, program, {"--silent", m.scratch() + "UNSETUP.INI"});
    EXPECT_EQ(run.status, 2);

    QProcessEnvironment env = m.processEnvironment();
    env.remove("HOME");
    QProcess process;
    process.setProcessEnvironment(env);
    m.writeDefinition("[Title]\nSetup=x\n");
    process.start(program, {"--silent"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(U8("Windowsフォルダ取得失敗")));
}

TEST(SetupProgram, HelpVersionAndUsageErrors)
{
    TestMachine m;
    const QString program = QStringLiteral(SETUP_PROGRAM_PATH);
    ProgramRun run = Execute(m, program, {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, VersionLine() + "\n");
    run = Execute(m, program, {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("Exit status"));
    run = Execute(m, program, {"--silent", "--type", "9"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--type"));
    run = Execute(m, program, {});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--silent"));
}

TEST(SetupProgram, StepsThatFailGiveExitStatusOne)
{
    TestMachine m;
    const QString program = PlaceSetup(m);
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\missing.txt\n");
    const ProgramRun run = Execute(m, program, {"--silent"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("<File> " + m.media() + "missing.txt")) << run.err.toStdString();
}
