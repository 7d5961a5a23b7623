// An uninstallation deletes only what the installation put there, a definition cannot
// steer either pass outside its folders, and a failure is never reported as success.
// Every test runs the real `setup` program in a temporary home, with canary files
// outside the install folder that must survive.
#include "installer/registry.h"
#include "installer/silent.h"

#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace installer;
using namespace installertest;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

QString U8(const char* text)
{
    return QString::fromUtf8(text);
}

struct Outcome {
    int status = -1;
    QString out, err, log;
};

/// A machine with the real program on its medium, canary files around the places an
/// installation writes to, and helpers to run the program as a user would.
class Hardening : public ::testing::Test {
protected:
    TestMachine m;
    QString program;
    QStringList canaries;

    void SetUp() override
    {
        program = m.media() + "setup";
        QFile::remove(program);
        ASSERT_TRUE(QFile::copy(QStringLiteral(SETUP_PROGRAM_PATH), program));
        for (const QString& path : {m.home() + "thesis/chapter1.txt", m.home() + "notes.ini", m.scratch() + "outside/keep.INI",
                                    m.desktop() + "photo.txt", m.programFiles() + "OtherApp/data.txt",
                                    m.tmp() + "mine.txt"})
            plant(path);
    }

    void TearDown() override
    {
        for (const QString& path : canaries)
            EXPECT_EQ(ReadBytes(path), QByteArray("canary")) << "lost: " << path.toStdString();
    }

    void plant(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        WriteBytes(path, "canary");
        canaries << path;
    }

    Outcome run(const QString& binary, const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(m.processEnvironment());
        process.setWorkingDirectory(m.scratch());
        const QString logFile = m.scratch() + "run.log";
        QFile::remove(logFile);
        QStringList all = args;
        if (all.value(0) == QLatin1String("--silent"))
            all.insert(1, "--log=" + logFile);
        process.start(binary, all);
        Outcome r;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "timed out";
            process.kill();
            return r;
        }
        r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromUtf8(process.readAllStandardOutput());
        r.err = QString::fromUtf8(process.readAllStandardError());
        if (QFileInfo::exists(logFile))
            r.log = QString::fromUtf8(ReadBytes(logFile));
        return r;
    }
    Outcome install(const QStringList& args = {}) { return run(program, QStringList{"--silent"} + args); }
    /// The placed uninstaller, as the uninstall entry starts it.
    Outcome uninstall(const QString& unsetupIni, const QStringList& args = {})
    {
        return run(m.windows() + "UNTS200X.EXE", QStringList{"--silent"} + args + QStringList{unsetupIni});
    }
    /// The program given a hand-made uninstall definition.
    Outcome uninstallWithProgram(const QString& unsetupIni, const QStringList& args = {})
    {
        return run(program, QStringList{"--silent"} + args + QStringList{unsetupIni});
    }

    /// An uninstall definition as a tampered or hand-made one would be.
    QString writeUnsetup(const QString& folder, const QString& body)
    {
        QDir().mkpath(folder);
        const QString path = folder + "UNSETUP.INI";
        WriteBytes(path, (QStringLiteral("[SetupFolder]\r\nFolder=") + folder + "\r\n" + body).toUtf8());
        ::chmod(QFile::encodeName(path).constData(), 0644);
        return path;
    }

    QStringList uninstallEntries()
    {
        FileRegistry registry(m.windows() + "registry.txt");
        return registry.subKeys(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    }
};

/// A definition that installs tool.txt into (Prg)/Tool; `extend` adds keys to [Extend].
QString ToolDefinition(const QString& extend = {})
{
    return "[Extend]\nSetupSpeed=1\n" + extend + "[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\tool.txt\n";
}
const QString kToolDefinition = ToolDefinition();

} // namespace

// A comma in the install folder: the copies arrive, the uninstallation removes exactly
// that folder, and the unrelated folder whose name is the part before the comma stays.
// A folder the format cannot record is refused, and a listed folder is never deleted.
TEST_F(Hardening, CommaInTheInstallFolderRoundTrips)
{
    plant(m.home() + "My Apps/old/data.txt");
    m.writeDefinition(kToolDefinition);
    m.writeMedia("tool.txt", "tool");
    const QString app = m.home() + "My Apps, v2/";
    Outcome r = install({"--dir", app});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.log.toStdString();
    EXPECT_EQ(ReadBytes(app + "tool.txt"), QByteArray("tool"));

    r = uninstall(app + "UNSETUP.INI");
    EXPECT_EQ(r.status, 0) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(app));
    EXPECT_TRUE(QFileInfo::exists(m.home() + "My Apps/old"));

    r = install({"--dir", m.home() + "odd,/x"});
    EXPECT_EQ(r.status, kExitFatal);
    EXPECT_TRUE(r.log.contains(U8("「,」で終わるフォルダ名は使えません．"))) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m.home() + "odd,"));

    // An entry naming a folder (an old definition split at the comma) deletes nothing.
    const QString fake = writeUnsetup(m.scratch() + "fake/", "[DeleteFile]\r\nFile1=" + m.home() + "My Apps\r\n");
    r = uninstallWithProgram(fake);
    EXPECT_EQ(r.status, kExitStepsFailed);
    EXPECT_TRUE(r.log.contains(U8("先のフォルダの外にあるため，削除しませんでした．"))) << r.log.toStdString();
}

// A tampered uninstall definition: absolute paths outside the installation, a pattern
// outside it, a folder and a link out of it are skipped and logged; the superuser
// refuses a definition that others can write or another user owns.
TEST_F(Hardening, UninstallDefinitionCannotReachOutside)
{
    const QString app = m.programFiles() + "Evil/";
    plant(app + "own.txt");
    canaries.removeLast(); // the installation's own file goes
    QDir().mkpath(app + "sub");
    ASSERT_TRUE(QFile::link(m.scratch() + "outside", app + "sub/link"));
    const QString body = "[DeleteFile]\r\nFile1=" + m.home() + "thesis/chapter1.txt\r\nFile2=" + m.scratch() + "outside\r\n"
        + "File3=" + app + "own.txt\r\nFile4=" + app + "sub/link/keep.INI\r\nFile5=thesis/chapter1.txt\r\n"
        + "[AddDeleteFile]\r\nFile1=" + m.home() + "*.ini\r\nFile2=" + app + "sub/link/*.INI\r\n"
        + "[DeleteFolder]\r\nFolder1=" + app + "sub/link/\r\n[UnSetupOption]\r\nCheckBox=1,0,0,0\r\n";
    const QString definition = writeUnsetup(app, body);
    Outcome r = uninstallWithProgram(definition);
    EXPECT_EQ(r.status, kExitStepsFailed) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(app + "own.txt"));
    EXPECT_GE(r.log.count(U8("先のフォルダの外にあるため，削除しませんでした．")), 5) << r.log.toStdString();

    if (::geteuid() != 0)
        GTEST_SKIP() << "the superuser's checks need the superuser";
    plant(app + "own.txt");
    const QString again = writeUnsetup(app, "[DeleteFile]\r\nFile1=" + app + "own.txt\r\n");
    ::chmod(QFile::encodeName(again).constData(), 0666);
    r = uninstallWithProgram(again);
    EXPECT_EQ(r.status, kExitFatal);
    EXPECT_TRUE(r.log.contains(U8("書き込み権限が安全ではありません"))) << r.log.toStdString();
    ::chmod(QFile::encodeName(again).constData(), 0644);
    ASSERT_EQ(::chown(QFile::encodeName(again).constData(), 4321, 4321), 0);
    r = uninstallWithProgram(again);
    EXPECT_EQ(r.status, kExitFatal);
}

// A silent uninstallation offered "delete everything" keeps the user's own files in a
// folder that held them before, unless --delete-all is given; the installation warns.
TEST_F(Hardening, SilentDeleteAllKeepsTheUsersFilesUnlessAskedTo)
{
    const QString app = m.home() + "thesis/";
    m.writeDefinition(ToolDefinition("UnSetupOption=DeleteAll\n"));
    m.writeMedia("tool.txt", "tool");
    Outcome r = install({"--dir", app});
    ASSERT_EQ(r.status, 0) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains(U8("このフォルダには既にファイルがあります．"))) << r.log.toStdString();

    r = uninstall(app + "UNSETUP.INI");
    EXPECT_EQ(r.status, kExitStepsFailed) << r.log.toStdString(); // the folder stays, and says so
    EXPECT_FALSE(QFileInfo::exists(app + "tool.txt"));
    EXPECT_FALSE(QFileInfo::exists(app + "UNSETUP.INI"));

    r = run(program, {"--help"});
    EXPECT_TRUE(r.out.contains("--delete-all"));
    EXPECT_TRUE(r.out.contains("Files the installation did not create stay"));

    // Asked for explicitly: the folder goes with everything in it.
    r = install({"--dir", app});
    ASSERT_EQ(r.status, 0);
    canaries.removeAll(app + "chapter1.txt");
    r = uninstall(app + "UNSETUP.INI", {"--delete-all"});
    EXPECT_EQ(r.status, 0) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(app));
}

// Pattern deletion never follows a link out of the install folder; an INI write never
// writes through a link planted under its name.
TEST_F(Hardening, LinksInsideTheInstallFolderLeadNowhere)
{
    m.writeDefinition(ToolDefinition("UnSetupOption=1,0,0,0\n")
                      + "[MakeFolder]\nFolder1=(App)\\data\n[IniFile]\nData1=Settings,Key,Value,(App)\\melwick.ini\n");
    m.writeMedia("tool.txt", "tool");
    const QString app = m.programFiles() + "Tool/";
    QDir().mkpath(app);
    ASSERT_TRUE(QFile::link(m.scratch() + "outside/keep.INI", app + "melwick.ini"));
    WriteBytes(app + "UNSETUP.INI", "[SetupFolder]\r\nFolder=" + app.toUtf8() + "\r\n"); // no "folder not empty" question
    Outcome r = install();
    ASSERT_EQ(r.status, 0) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo(app + "melwick.ini").isSymLink());
    EXPECT_TRUE(ReadBytes(app + "melwick.ini").contains("[Settings]"));

    ASSERT_TRUE(QDir(app + "data").removeRecursively());
    ASSERT_TRUE(QFile::link(m.scratch() + "outside", app + "data"));
    r = uninstall(app + "UNSETUP.INI");
    EXPECT_LE(r.status, kExitStepsFailed) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(app + "melwick.ini"));
}

// Shared files: the option field alone decides, so a path through ".../share/..." keeps
// the "/S" of the earlier installation, and the count goes with the last uninstall.
TEST_F(Hardening, SharedCountSurvivesAReinstallThroughShareFolders)
{
    const QString shared = m.system() + "shared.dll";
    m.writeMedia("shared.dll", "lib");
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(Sys)\\shared.dll,/S\n");
    ASSERT_EQ(install().status, 0);
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(Sys)\\shared.dll\n");
    ASSERT_EQ(install().status, 0);
    const QByteArray unsetup = ReadBytes(m.programFiles() + "Tool/UNSETUP.INI");
    EXPECT_TRUE(unsetup.contains(QFile::encodeName(shared) + ",/S\r\n")) << unsetup.toStdString();

    const Outcome r = uninstall(m.programFiles() + "Tool/UNSETUP.INI");
    EXPECT_EQ(r.status, 0) << r.log.toStdString();
    FileRegistry registry(m.windows() + "registry.txt");
    EXPECT_FALSE(registry.value(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", shared));
}

// Compressed files: a stream longer than its header says is damaged, not cut short; an
// expanded file is readable by others like a plain copy; bytes of a definition that are
// no CP932 character stay in the folder names it creates.
TEST_F(Hardening, CompressedFilesAndOddNamesInstallFaithfully)
{
    QByteArray lying = MakeSzdd(QByteArray(20500, 'x'), 'T');
    lying[10] = 10, lying[11] = 0, lying[12] = 0, lying[13] = 0;
    m.writeMedia("lying.tx_", lying);
    m.writeMedia("good.tx_", MakeSzdd("good", 'T'));
    QByteArray definition = "[DefaultFolder]\r\nFolder=(Prg)\\Tool\r\n[CopyFile]\r\nFile1=(App)\\lying.tx_\r\n"
                            "File2=(App)\\good.tx_\r\n[MakeFolder]\r\nFolder1=(App)\\d\xFFir\r\n";
    m.writeMedia("SETUP.INI", definition);
    const Outcome r = install();
    EXPECT_EQ(r.status, kExitStepsFailed);
    EXPECT_TRUE(r.log.contains(U8("圧縮ファイルが壊れています．"))) << r.log.toStdString();
    const QString app = m.programFiles() + "Tool/";
    EXPECT_FALSE(QFileInfo::exists(app + "LYING.TXT"));
    EXPECT_EQ(QFileInfo(app + "GOOD.TXT").permissions() & 0x0004, QFileInfo(m.media() + "good.tx_").permissions() & 0x0004);
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(app) + "d\xFFir", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_FALSE(QFileInfo::exists(app + "d?ir"));

    EXPECT_EQ(uninstall(app + "UNSETUP.INI").status, 0);
    EXPECT_FALSE(QFileInfo::exists(app));
}

// Definitions that cannot be read and folders that cannot hold an installation stop at
// the start with nothing written; a failed UNSETUP.INI registers no uninstall entry.
TEST_F(Hardening, UnusableDefinitionsAndFoldersAreFailuresNotInstallations)
{
    m.writeMedia("SETUP.INI", QByteArray("[Title]\r\nSetup=x\r\n\0\0\0\x01\x02", 23));
    Outcome r = install();
    EXPECT_EQ(r.status, kExitFatal);
    EXPECT_TRUE(r.log.contains(U8("iniファイル読み込み失敗"))) << r.log.toStdString();
    QFile big(m.media() + "SETUP.INI");
    ASSERT_TRUE(big.resize(qint64(65) * 1024 * 1024));
    r = install();
    EXPECT_EQ(r.status, kExitFatal);
    big.remove();
    EXPECT_EQ(QDir(m.programFiles()).entryList(QDir::Files), QStringList{});

    m.writeDefinition(kToolDefinition);
    m.writeMedia("tool.txt", "tool");
    for (const QString& folder : {QStringLiteral("/"), m.home(), m.programFiles()}) {
        r = install({"--dir", folder});
        EXPECT_EQ(r.status, kExitFatal) << folder.toStdString();
        EXPECT_TRUE(r.log.contains(U8("フォルダにはできません．"))) << r.log.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(m.home() + "tool.txt"));

    const QString app = m.programFiles() + "Tool/";
    QDir().mkpath(app + "UNSETUP.INI"); // a folder where the file must go
    r = install();
    EXPECT_EQ(r.status, kExitStepsFailed);
    EXPECT_TRUE(r.log.contains("<File> " + app + "UNSETUP.INI")) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains(U8("アプリケーションの追加と削除")));
    EXPECT_TRUE(uninstallEntries().isEmpty());
}

// A relative install folder in an uninstall definition is refused before anything is
// deleted (it would be taken from where the uninstaller lies).
TEST_F(Hardening, RelativeUninstallFolderIsRefused)
{
    m.writeDefinition(kToolDefinition);
    m.writeMedia("tool.txt", "tool");
    ASSERT_EQ(install().status, 0);
    const QString definition = m.scratch() + "rel/UNSETUP.INI";
    QDir().mkpath(m.scratch() + "rel");
    WriteBytes(definition, "[SetupFolder]\r\nFolder=.\r\n[UnSetupOption]\r\nCheckBox=DeleteAll\r\n");
    const Outcome r = uninstallWithProgram(definition, {"--delete-all"});
    EXPECT_EQ(r.status, kExitFatal);
    EXPECT_TRUE(r.log.contains(U8("フォルダが絶対パスで書かれていません．"))) << r.log.toStdString();
    EXPECT_TRUE(QFileInfo::exists(m.windows() + "UNTS200X.EXE"));
    EXPECT_TRUE(QFileInfo::exists(definition));
}

// The work folder: one the user already had keeps its content; a terminated windowed
// installer removes its own work folder and lock as an interrupt does.
TEST_F(Hardening, WorkFoldersOfOthersAreKeptAndSignalsCleanUp)
{
    plant(m.tmp() + "TSTMP1/planted.txt");
    m.writeDefinition(kToolDefinition);
    m.writeMedia("tool.txt", "tool");
    ASSERT_EQ(install().status, 0);
    EXPECT_FALSE(QFileInfo::exists(m.tmp() + "TSTMP2"));

    for (int sig : {SIGTERM, SIGHUP}) {
        QProcess process;
        QProcessEnvironment env = m.processEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted());
        // The window is up once its work folder holds the definition copy.
        for (int i = 0; i < 300 && !QFileInfo::exists(m.tmp() + "TSTMP2/SETUP.INI"); ++i)
            QThread::msleep(20);
        ASSERT_TRUE(QFileInfo::exists(m.tmp() + "TSTMP2/SETUP.INI"));
        ::kill(pid_t(process.processId()), sig);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_FALSE(QFileInfo::exists(m.tmp() + "TSTMP2")) << sig;
        EXPECT_EQ(QDir(m.runtime()).entryList(QDir::Files | QDir::Hidden), QStringList{}) << sig;
    }
}

// The standard folders an installation had to make (the menu, autostart and their
// parents) go with its uninstallation when they are left empty; folders that were there
// before, or still hold something, stay. An older definition without the record still
// uninstalls and leaves them, and a recorded folder outside the standard ones stays.
TEST_F(Hardening, UninstallRemovesTheEmptyStandardFoldersItMade)
{
    const QString config = m.home() + ".config/";
    for (const QString& folder : {m.menu(), m.autostart(), config})
        ASSERT_TRUE(QDir().rmdir(folder)) << folder.toStdString();
    m.writeDefinition(ToolDefinition() + "[ShortCut]\nMake1=(App)\\tool.txt\nName1=(Sta)\\Tool\n"
                                         "Make2=(App)\\tool.txt\nName2=(Sup)\\Tool\n");
    m.writeMedia("tool.txt", "tool");
    const QString app = m.programFiles() + "Tool/";

    Outcome r = install();
    ASSERT_EQ(r.status, 0) << r.log.toStdString();
    ASSERT_TRUE(QFileInfo::exists(m.menu() + "Tool.desktop"));
    ASSERT_TRUE(QFileInfo::exists(m.autostart() + "Tool.desktop"));
    r = uninstall(app + "UNSETUP.INI");
    EXPECT_EQ(r.status, 0) << r.log.toStdString();
    for (const QString& folder : {m.menu(), m.autostart(), config})
        EXPECT_FALSE(QFileInfo::exists(folder)) << folder.toStdString();
    EXPECT_TRUE(QFileInfo::exists(m.desktop()));      // there before, with the user's photo
    EXPECT_TRUE(QFileInfo::exists(m.programFiles())); // holds another program

    // A definition written before the record existed: the uninstallation completes and
    // the folders stay. A recorded folder that is not a standard one is not touched.
    ASSERT_EQ(install().status, 0);
    const QString unsetup = app + "UNSETUP.INI";
    QByteArray text = ReadBytes(unsetup);
    const qsizetype at = text.indexOf("[CreatedFolder]");
    ASSERT_GE(at, 0);
    const qsizetype next = text.indexOf("\r\n[", at);
    text.remove(at, next < 0 ? text.size() - at : next + 2 - at);
    const QString stranger = m.scratch() + "empty/";
    QDir().mkpath(stranger);
    text += "[CreatedFolder]\r\nFolder1=" + stranger.toUtf8() + "\r\n";
    WriteBytes(unsetup, text);
    r = uninstall(unsetup);
    EXPECT_EQ(r.status, 0) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m.menu() + "Tool.desktop"));
    EXPECT_TRUE(QFileInfo::exists(m.menu()));
    EXPECT_TRUE(QFileInfo::exists(m.autostart()));
    EXPECT_TRUE(QFileInfo::exists(stranger));
}
