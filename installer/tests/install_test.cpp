// The install pass, run in a temporary home through a scripted front end.
#include "common/codepage.h"
#include "installer/fileops.h"
#include "installer/operations.h"
#include "installer/passes.h"
#include "installer/registry.h"
#include "installer/session.h"

#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace installer;
using namespace installertest;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

QString U8(const char* text)
{
    return QString::fromUtf8(text);
}

/// Installs with the choices the pages start with.
PassOutcome Install(TestMachine& m, ScriptedFrontEnd& fe, const std::function<void(InstallChoices&)>& change = {})
{
    auto session = m.start();
    EXPECT_FALSE(session->hasFatalError()) << session->fatalText().toStdString();
    InstallChoices choices = DefaultInstallChoices(*session);
    if (change)
        change(choices);
    const PassOutcome outcome = RunInstall(*session, fe, choices);
    session->cleanUpWorkFolders();
    return outcome;
}

QString Unsetup(const QString& app)
{
    return common::DecodeCp932(ReadBytes(app + "UNSETUP.INI"));
}

} // namespace

class FullInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        payload = WriteFullPayload(m, "1,0,0,0");
        outcome = Install(m, fe);
    }
    TestMachine m;
    FullPayload payload;
    ScriptedFrontEnd fe;
    PassOutcome outcome;
    FileRegistry registry{m.windows() + "registry.txt"};
};

TEST_F(FullInstall, CompletesWithoutErrors)
{
    EXPECT_EQ(outcome.status, PassOutcome::Status::Completed);
    EXPECT_EQ(outcome.errorCount, 0) << outcome.errorLog.toStdString();
    EXPECT_FALSE(outcome.restartRequested);
    EXPECT_EQ(fe.events.back(), "finish");
}

TEST_F(FullInstall, PlainCompressedAndRenamedFilesArrive)
{
    const QString app = payload.app;
    EXPECT_EQ(ReadBytes(app + "readme.txt"), Sjis("お読みください\r\n"));
    // AUTO.EXT: the name from the header (mscompress stores none, so the "_" goes), in
    // upper case.
    EXPECT_EQ(ReadBytes(app + "DATA.TXT"), QByteArray("data line\n").repeated(300));
    EXPECT_EQ(ReadBytes(app + "doc/NOTES.TXT"), QByteArray("notes from disk 2"));
    EXPECT_EQ(ReadBytes(app + "bin/run.sh"), ReadBytes(m.media() + "tool.sh"));
    EXPECT_TRUE(QFileInfo(app + "bin/run.sh").isExecutable());
    EXPECT_EQ(ReadBytes(app + "doc/manual.txt"), QByteArray("the manual"));
    EXPECT_EQ(ReadBytes(m.system() + "shared.dll"), QByteArray("a shared library"));
    EXPECT_TRUE(QFile::exists(app + "server.dll"));
    EXPECT_FALSE(QFile::exists(app + "later.dat")); // "/W": never copied
    EXPECT_FALSE(QFile::exists(app + "AUTO.EXT"));
    // Copies keep the source's time.
    EXPECT_EQ(fs::ModificationTime(app + "readme.txt"), fs::ModificationTime(m.media() + "readme.txt"));
}

TEST_F(FullInstall, SharedCountsAndServerRegistration)
{
    EXPECT_EQ(SharedCount(registry, m.system() + "shared.dll"), 1);
    // Counted 1 by another installation: raised to 2, the file left as it was.
    EXPECT_EQ(SharedCount(registry, m.system() + "common.ocx"), 2);
    EXPECT_EQ(ReadBytes(payload.serverLog),
              QFile::encodeName("register " + payload.app + "server.dll\nregister " + m.system() + "common.ocx\n"));
}

TEST_F(FullInstall, DiskChangeAsksForTheSecondDisk)
{
    const auto asked = fe.askedWith(Prompt::DiskChange);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, U8("2枚目のディスクに交換してください．"));
    EXPECT_EQ(asked[0].title, U8("ディスク交換"));
    EXPECT_EQ(asked[0].buttons, Buttons::OkCancel);
}

TEST_F(FullInstall, ShortcutsForEveryPlace)
{
    const QString app = payload.app;
    const QString defaultLink = m.menu() + "run.sh.desktop";
    ASSERT_TRUE(QFile::exists(defaultLink));
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(defaultLink)).contains("Exec=\"" + app + "bin/run.sh\" --fast\n"));
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(defaultLink)).contains("Path=" + app + "bin\n"));
    EXPECT_TRUE(QFile::exists(m.desktop() + "Tovel Readme.desktop"));
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(m.autostart() + "Tovel Tool.desktop")).contains("--startup"));
    EXPECT_TRUE(QFile::exists(m.dataHome() + "tovel-setup/sendto/Tovel Tool.desktop"));
    const QString grouped = QString::fromUtf8(ReadBytes(m.menu() + "Tovel Group/Tovel Tool.desktop"));
    EXPECT_TRUE(grouped.contains("Path=" + app + "data\n")) << grouped.toStdString();
    EXPECT_TRUE(fe.statuses.contains(U8("ショートカットを作成しています．．．\nCreateTarget -> ") + app + "bin/run.sh\nCreating -> "
                                     + m.menu() + "run.sh"));
}

TEST_F(FullInstall, RegistryValuesOfEveryType)
{
    const QString key = "Software\\Tovel\\Tool";
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, key, "Folder"), RegValue::String(payload.app.chopped(1)));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, key, "Count"), RegValue::Dword(42));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, key, "Flags"), RegValue::Dword(7));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, key, "Mask"), RegValue::Binary(QByteArray("\xff\0\0\0", 4)));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, key, "Bin"), RegValue::Expand(payload.app + "bin"));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, key, ""), RegValue::String("plain text"));
    EXPECT_TRUE(registry.keyExists(RegRoot::LocalMachine, "SOFTWARE\\Tovel\\Tool\\Empty"));
    EXPECT_TRUE(registry.valueNames(RegRoot::LocalMachine, "SOFTWARE\\Tovel\\Tool\\Empty").isEmpty());
    EXPECT_EQ(registry.value(RegRoot::Users, ".DEFAULT\\Software\\Tovel", "User"), RegValue::String("yes"));
    EXPECT_EQ(registry.value(RegRoot::ClassesRoot, "TovelTool.Document", ""), RegValue::String("Tovel Document"));
}

TEST_F(FullInstall, IniEntriesAndFolderRecord)
{
    EXPECT_EQ(ReadBytes(payload.app + "tool.ini"), QFile::encodeName("[Main]\r\nFolder=" + payload.app + "\r\nName=Tovel Tool\r\n"));
    EXPECT_EQ(ReadBytes(m.windows() + "TOSET98.INI"), QFile::encodeName("[TovelTool]\r\nFolder=" + payload.app + "\r\n"));
}

TEST_F(FullInstall, AssociationsRememberWhatExtensionsMeantBefore)
{
    EXPECT_EQ(fe.askedWith(Prompt::Association).size(), 2u);
    EXPECT_EQ(fe.askedWith(Prompt::Association)[0].text,
              U8("拡張子 *.tvl を\n") + payload.app + U8("bin/run.sh\nに関連付けします．よろしいですか？"));
    const QString run = payload.app + "bin/run.sh";
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, ".tvl", ""), "tvl_auto_file");
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, "tvl_auto_file", ""), "Tovel Document");
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, "tvl_auto_file\\DefaultIcon", ""), run + ",0");
    // The program's path holds a space, so the command quotes it.
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, "tvl_auto_file\\shell\\open\\command", ""), '"' + run + "\" \"%1\"");
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, ".txt", ""), "txt_auto_file");
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, "txt_auto_file", ""), "txt File");
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, "txt_auto_file\\shell\\edit\\command", ""), '"' + run + "\" --edit \"%1\"");
    const QString unsetup = Unsetup(payload.app);
    EXPECT_TRUE(unsetup.contains("[RestoreRelate]\r\nKey1=tvl,\r\nKey2=txt,txtfile\r\n")) << unsetup.toStdString();
}

TEST_F(FullInstall, UninstallDefinitionRecordsEverything)
{
    const QString a = payload.app;
    const QString expected = U8("[Information]\r\n"
                                "Message1=Tovel! Setup 200x UnSetup(UnInstall) Initialize File\r\n"
                                "Message2=！！！　警告　！！！\r\n"
                                "Message3=このファイルをエディタなどで書き換えたり，削除しないでください．\r\n"
                                "Message4=書き換えた場合，アンインストール動作の保証はできません．\r\n"
                                "[Title]\r\nUnSetup=Tovel Tool\r\n[SetupFolder]\r\nFolder=")
        + a + "\r\n[DeleteFolder]\r\nFolder1=" + a + "doc/\r\nFolder2=" + a + "bin/\r\nFolder3=" + a + "data/\r\nFolder4=" + a
        + "cache/\r\n[DeleteFile]\r\nFile1=" + a + "readme.txt\r\nFile2=" + a + "DATA.TXT\r\nFile3=" + a
        + "doc/NOTES.TXT\r\nFile4=" + a + "bin/run.sh\r\nFile5=" + a + "doc/manual.txt\r\nFile6=" + m.system()
        + "shared.dll,/S\r\nFile7=" + a + "server.dll,/R\r\nFile8=" + m.system() + "common.ocx,/S/R\r\nFile9=" + a
        + "later.dat,/W\r\nFile10=" + a + "UNSETUP.INI\r\n[DeleteShortCut]\r\nFile1=" + m.menu() + "run.sh.desktop\r\nFile2="
        + m.desktop() + "Tovel Readme.desktop\r\nFile3=" + m.autostart() + "Tovel Tool.desktop\r\nFile4=" + m.dataHome()
        + "tovel-setup/sendto/Tovel Tool.desktop\r\nFile5=" + m.menu()
        + "Tovel Group/Tovel Tool.desktop\r\n[DeleteRegistry]\r\nKey1=(Cuser)Software\\Tovel\r\nKey2=(Local)SOFTWARE\\Tovel\r\n"
          "Key3=(Users).DEFAULT\\Software\\Tovel\r\nKey4=(Class)TovelTool.Document\r\n[AddDeleteFile]\r\nFile1="
        + a + "cache/*.tmp\r\nFile2=" + a + "log.txt\r\n[RestoreRelate]\r\nKey1=tvl,\r\nKey2=txt,txtfile\r\n"
        + U8("[UnSetupOption]\r\nCheckBox=1,0,0,0\r\n[Extend]\r\nSetupString=インストール\r\nUnSetupString=アンインストール\r\n")
        + "[UnSetupRegistryKey]\r\nKey=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TovelTool\r\n"
          "[ProgramID]\r\nID=TovelTool\r\n"
          // The standard folder the installation had to make.
          "[CreatedFolder]\r\nFolder1="
        + m.dataHome() + "tovel-setup/sendto/\r\n";
    EXPECT_EQ(common::DecodeCp932(ReadBytes(a + "UNSETUP.INI")), expected);
}

TEST_F(FullInstall, UninstallerAndUninstallEntry)
{
    EXPECT_EQ(ReadBytes(m.windows() + "UNTS200X.EXE"), ReadBytes(m.programPath()));
    EXPECT_TRUE(QFileInfo(m.windows() + "UNTS200X.EXE").isExecutable());
    const QString key = UninstallListKey() + "\\TovelTool";
    EXPECT_EQ(registry.stringValue(RegRoot::LocalMachine, key, "DisplayName"), "Tovel Tool 1.0");
    EXPECT_EQ(registry.stringValue(RegRoot::LocalMachine, key, "UninstallString"),
              m.windows() + "UNTS200X.EXE \"" + payload.app + "UNSETUP.INI\"");
}

TEST_F(FullInstall, CompletionMessageAndProgramOpenedAfterwards)
{
    const auto done = fe.askedWith(Prompt::InstallCompleted);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].title, U8("完了"));
    EXPECT_EQ(done[0].text, U8("インストールが完了しました．\n\nプログラムのアンインストールは，\n「アプリケーションの追加と削除」から行ってください．"));
    EXPECT_EQ(m.opener->opened, QStringList{payload.app + "bin/run.sh|--first-run"});
}

TEST_F(FullInstall, StatusTextsFollowTheStepsInOrder)
{
    const QStringList expectedOrder = {
        U8("インストールを開始します．．．"),
        U8("インストールの情報を作成しています．．．"),
        U8("インストールに必要な容量を調べています．．．"),
        U8("ディスクの空き容量をチェックしています．．．"),
        U8("インストールフォルダをチェックしています．．．"),
        U8("フォルダを作成しています．．．\nCreating -> ") + payload.app + "doc/",
        U8("ファイルをコピーしています．．．\nCopying -> ") + payload.app + "readme.txt",
        U8("ファイルをコピーしています．．．\nCopying -> ") + payload.app + "DATA.TXT",
        U8("レジストリを設定しています．．．"),
        U8("Iniファイルを設定しています．．．"),
        U8("関連付けを設定しています．．．"),
        U8("アンインストール情報を更新しています．しばらくお待ちください．．．"),
        U8("アンインストール情報(削除フォルダ)を更新しています．しばらくお待ちください．．．"),
        U8("アンインストール情報(削除ファイル)を更新しています．しばらくお待ちください．．．"),
        U8("アンインストール情報(削除ショートカット)を更新しています．しばらくお待ちください．．．"),
        U8("アンインストール情報(削除レジストリ)を更新しています．しばらくお待ちください．．．"),
        U8("アンインストール情報(追加削除ファイル)を更新しています．しばらくお待ちください．．．"),
        U8("アンインストール情報(復元関連付け)を更新しています．しばらくお待ちください．．．"),
        U8("インストールが完了しました．"),
    };
    qsizetype at = 0;
    for (const QString& text : expectedOrder) {
        const qsizetype found = fe.statuses.indexOf(text, at);
        ASSERT_GE(found, 0) << "missing or out of order: " << text.toStdString();
        at = found + 1;
    }
    EXPECT_EQ(fe.statuses.front(), expectedOrder.front());
    EXPECT_EQ(fe.statuses.back(), expectedOrder.back());
}

TEST_F(FullInstall, ProgressAndPausesAndWindowSteps)
{
    ASSERT_EQ(fe.progress.size(), 9);
    EXPECT_EQ(fe.progress.back(), "100%(9/9)");
    EXPECT_EQ(fe.events.mid(0, 2), (QStringList{"hideMain", "showProgress"}));
    EXPECT_TRUE(fe.events.contains("frame+"));
    EXPECT_TRUE(fe.events.contains("frame-"));
    EXPECT_EQ(fe.pauses[0], std::make_pair(500, PauseKind::Fixed));
    EXPECT_EQ(fe.pauses[1], std::make_pair(1000, PauseKind::Fixed));
    int stepPauses = 0;
    for (const auto& [ms, kind] : fe.pauses)
        if (kind == PauseKind::Step) {
            EXPECT_EQ(ms, 1);
            ++stepPauses;
        }
    // Relations, size, space, four folders, nine files, five shortcuts.
    EXPECT_EQ(stepPauses, 1 + 1 + 1 + 4 + 9 + 5);
    EXPECT_FALSE(fe.abortEnabled); // disabled again before the uninstall information
}

// ------------------------------------------------------------------ single behaviours

class InstallBehaviour : public ::testing::Test {
protected:
    TestMachine m;
    ScriptedFrontEnd fe;
    QString app() const { return m.programFiles() + "Tool/"; }
    void definition(const QString& body)
    {
        m.writeDefinition("[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool\n" + body);
    }
};

TEST_F(InstallBehaviour, RefusingToCreateTheFolderStopsBeforeAnythingIsCopied)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    fe.answers[Prompt::CreateFolder] = {Answer::No};
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.status, PassOutcome::Status::Stopped);
    const auto stopped = fe.askedWith(Prompt::InstallStopped);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].title, U8("インストール中止"));
    EXPECT_EQ(stopped[0].text, U8("インストールを続行できませんでした．"));
    EXPECT_EQ(fe.askedWith(Prompt::CreateFolder)[0].text,
              app() + U8("\n\nこのフォルダは存在しません．作成してもよろしいですか？"));
    EXPECT_FALSE(QFile::exists(app()));
}

TEST_F(InstallBehaviour, FolderThatCannotBeCreatedIsAFatalError)
{
    definition("");
    WriteBytes(m.scratch() + "file", "x");
    const PassOutcome outcome = Install(m, fe, [&](InstallChoices& c) { c.folder = m.scratch() + "file/sub"; });
    EXPECT_EQ(outcome.status, PassOutcome::Status::Stopped);
    ASSERT_EQ(fe.askedWith(Prompt::FolderCreationFailed).size(), 1u);
    EXPECT_EQ(fe.askedWith(Prompt::FolderCreationFailed)[0].text,
              U8("インストールフォルダの作成に失敗しました．\n\nプログラム作者へご報告ください．"));
}

TEST_F(InstallBehaviour, EmptyFolderBoxNeverMeansTheRootFolder)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    const PassOutcome outcome = Install(m, fe, [](InstallChoices& c) { c.folder = "  "; });
    EXPECT_EQ(outcome.status, PassOutcome::Status::Stopped);
    EXPECT_TRUE(fe.askedWith(Prompt::CreateFolder).empty());
    EXPECT_EQ(fe.askedWith(Prompt::InstallStopped).size(), 1u);
}

TEST_F(InstallBehaviour, TypedFolderMayStartWithTheHomeFolder)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    Install(m, fe, [](InstallChoices& c) { c.folder = "~/apps/Tool"; });
    EXPECT_EQ(ReadBytes(m.home() + "apps/Tool/a.txt"), QByteArray("a"));
}

TEST_F(InstallBehaviour, SpaceShortageAsksAndNoStops)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", QByteArray(100, 'a'));
    m.diskSpace->bytes = 100; // not smaller than the total: ask
    fe.answers[Prompt::SpaceShortage] = {Answer::No};
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.status, PassOutcome::Status::Stopped);
    const auto asked = fe.askedWith(Prompt::SpaceShortage);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, U8("空き容量不足"));
    EXPECT_EQ(asked[0].text, U8("ディスクの空き容量が不足しているため，エラーになる可能性があります．\nこのままインストールを続行しますか？"));
    EXPECT_EQ(m.diskSpace->asked, QStringList{app()});
    EXPECT_FALSE(QFile::exists(app()));
}

TEST_F(InstallBehaviour, FailedSpaceQueryNamesTheSizeNeeded)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\nFile2=(App)\\empty.txt\n");
    m.writeMedia("a.txt", QByteArray(100, 'a'));
    m.writeMedia("empty.txt", "");
    m.diskSpace->bytes = -1;
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.status, PassOutcome::Status::Completed);
    const auto asked = fe.askedWith(Prompt::SpaceShortage);
    ASSERT_EQ(asked.size(), 1u);
    // An empty file counts as one byte.
    EXPECT_TRUE(asked[0].text.contains(U8("インストールに必要なディスク容量は 101 Byteです．"))) << asked[0].text.toStdString();
}

TEST_F(InstallBehaviour, MissingSourceSkipsTheSpaceCheckAndCountsEntries)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\nFile2=(App)\\missing.txt\nFile3=(App)\\c.txt\nFile4=(App)\\d.txt\n");
    for (const char* name : {"a.txt", "c.txt", "d.txt"})
        m.writeMedia(name, QByteArray(1000, 'x'));
    m.diskSpace->bytes = 0;
    const PassOutcome outcome = Install(m, fe);
    EXPECT_TRUE(fe.askedWith(Prompt::SpaceShortage).empty());
    EXPECT_TRUE(m.diskSpace->asked.isEmpty());
    EXPECT_EQ(fe.progress, (QStringList{"25%(1/4)", "50%(2/4)", "75%(3/4)", "100%(4/4)"}));
    EXPECT_EQ(outcome.errorCount, 1);
    EXPECT_EQ(outcome.errorLog, "<File> " + m.media() + U8("missing.txt\nコピー元のファイルが見つかりません．\n\n"));
    EXPECT_TRUE(fe.statuses.contains(U8("ファイルが存在しないためコピーをスキップしています．．．\nSkipping -> ") + app() + "missing.txt"));
    // The error-details question, answered "Yes", shows the log.
    ASSERT_EQ(fe.askedWith(Prompt::ShowErrorDetails).size(), 1u);
    EXPECT_EQ(fe.askedWith(Prompt::ShowErrorDetails)[0].text,
              U8("フォルダの作成・ファイルのコピーで，一部の処理が失敗しました．\n詳細を表示しますか？"));
    EXPECT_EQ(fe.errorDetails, QStringList{U8("作成・コピー処理失敗　詳細表示\n") + outcome.errorLog});
    EXPECT_TRUE(fe.statuses.contains(U8("インストールで一部の処理が失敗しました．")));
}

TEST_F(InstallBehaviour, ProgressFollowsBytesWhenSizesAreKnown)
{
    definition("[CopyFile]\nFile1=(App)\\small.txt\nFile2=(App)\\big.txt\n");
    m.writeMedia("small.txt", QByteArray(100, 'x'));
    m.writeMedia("big.txt", QByteArray(300, 'x'));
    Install(m, fe);
    EXPECT_EQ(fe.progress, (QStringList{"25%(1/2)", "100%(2/2)"}));
}

TEST_F(InstallBehaviour, OverwriteOnReplacesOnlyByNewerFiles)
{
    definition("[CopyFile]\nFile1=(App)\\old.txt\nFile2=(App)\\new.txt\n");
    m.writeMedia("old.txt", "media old");
    m.writeMedia("new.txt", "media new");
    QDir().mkpath(app());
    WriteBytes(app() + "old.txt", "installed, newer");
    WriteBytes(app() + "new.txt", "installed, older");
    const auto setTime = [](const QString& path, qint64 s) {
        const struct timespec t[2] = {{s, 0}, {s, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0);
    };
    setTime(m.media() + "old.txt", 1000);
    setTime(app() + "old.txt", 2000);
    setTime(m.media() + "new.txt", 3000);
    setTime(app() + "new.txt", 2000);
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(ReadBytes(app() + "old.txt"), QByteArray("installed, newer"));
    EXPECT_EQ(ReadBytes(app() + "new.txt"), QByteArray("media new"));
    EXPECT_TRUE(fe.askedWith(Prompt::Overwrite).empty());
    // Not copying counts as success: the file is still recorded.
    EXPECT_TRUE(common::DecodeCp932(ReadBytes(app() + "UNSETUP.INI")).contains("File1=" + app() + "old.txt\r\n"));
    EXPECT_EQ(outcome.errorCount, 0);
}

TEST_F(InstallBehaviour, OverwriteOffAsksForEveryExistingFile)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\nFile2=(App)\\b.txt\n");
    m.writeMedia("a.txt", "new a");
    m.writeMedia("b.txt", "new b");
    QDir().mkpath(app());
    WriteBytes(app() + "a.txt", "old a");
    WriteBytes(app() + "b.txt", "old b");
    fe.answers[Prompt::Overwrite] = {Answer::Yes, Answer::No};
    Install(m, fe, [](InstallChoices& c) { c.overwrite = false; });
    const auto asked = fe.askedWith(Prompt::Overwrite);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, app() + U8("a.txt\n\nこのファイルは既に存在します．\n上書きしてもよろしいですか？"));
    EXPECT_EQ(asked[0].title, U8("上書き確認"));
    EXPECT_EQ(ReadBytes(app() + "a.txt"), QByteArray("new a"));
    EXPECT_EQ(ReadBytes(app() + "b.txt"), QByteArray("old b"));
}

TEST_F(InstallBehaviour, NeverCopiedSharedFileStillRaisesItsCount)
{
    definition("[CopyFile]\nFile1=(App)\\lib.dll,/S/W\nFile2=(App)\\there.dll,/S\n");
    m.writeMedia("lib.dll", "x");
    m.writeMedia("there.dll", "x");
    QDir().mkpath(app());
    WriteBytes(app() + "there.dll", "already there, not counted");
    Install(m, fe);
    FileRegistry registry(m.windows() + "registry.txt");
    EXPECT_FALSE(QFile::exists(app() + "lib.dll"));
    EXPECT_EQ(SharedCount(registry, app() + "lib.dll"), 1);
    // An existing file without a count is taken as used once already.
    EXPECT_EQ(SharedCount(registry, app() + "there.dll"), 2);
}

TEST_F(InstallBehaviour, SecondTypeTakesTheAlternativeEntries)
{
    definition("[CopyFile]\nFile1=(App)\\full.txt\nFile1_2=(App)\\small.txt\nFile2=(App)\\both.txt\n");
    for (const char* name : {"full.txt", "small.txt", "both.txt"})
        m.writeMedia(name, name);
    Install(m, fe, [](InstallChoices& c) { c.type = 2; });
    EXPECT_TRUE(QFile::exists(app() + "small.txt"));
    EXPECT_TRUE(QFile::exists(app() + "both.txt"));
    EXPECT_FALSE(QFile::exists(app() + "full.txt"));
}

TEST_F(InstallBehaviour, GapInTheCopyListEndsIt)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\nFile3=(App)\\c.txt\n");
    m.writeMedia("a.txt", "a");
    m.writeMedia("c.txt", "c");
    Install(m, fe);
    EXPECT_TRUE(QFile::exists(app() + "a.txt"));
    EXPECT_FALSE(QFile::exists(app() + "c.txt"));
}

TEST_F(InstallBehaviour, NamesDifferingOnlyInCaseFromTheMediaAreFound)
{
    definition("[CopyFile]\nFile1=(App)\\ReadMe.TXT\n");
    m.writeMedia("README.TXT", "text");
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.errorCount, 0);
    EXPECT_EQ(ReadBytes(app() + "ReadMe.TXT"), QByteArray("text"));
}

TEST_F(InstallBehaviour, ThirdEntryMarkedForADiskChangeAsksForDiskTwoUntilItsFileIsThere)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\nFile2=(App)\\b.txt\nFile3=(Dch)(App)\\c.txt\nFile4=(Dch)(App)\\d.txt\n");
    for (const char* name : {"a.txt", "b.txt", "d.txt"})
        m.writeMedia(name, name);
    int asked = 0;
    fe.onAsk = [&](const Message& message) {
        // The second time disk 2 is asked for, the "disk" with c.txt is in.
        if (message.prompt == Prompt::DiskChange && ++asked == 2)
            m.writeMedia("c.txt", "from disk 2");
    };
    const PassOutcome outcome = Install(m, fe);
    const auto disks = fe.askedWith(Prompt::DiskChange);
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[0].text, U8("2枚目のディスクに交換してください．"));
    EXPECT_EQ(disks[1].text, U8("2枚目のディスクに交換してください．"));
    EXPECT_EQ(disks[2].text, U8("3枚目のディスクに交換してください．"));
    EXPECT_EQ(ReadBytes(app() + "c.txt"), QByteArray("from disk 2"));
    EXPECT_EQ(outcome.errorCount, 0);
}

TEST_F(InstallBehaviour, CancelledDiskChangeEndsTheInstallation)
{
    definition("[CopyFile]\nFile1=(App)\\a.txt\nFile2=(Dch)(App)\\b.txt\n");
    m.writeMedia("a.txt", "a");
    fe.answers[Prompt::DiskChange] = {Answer::Cancel};
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.status, PassOutcome::Status::Stopped);
    const auto stopped = fe.askedWith(Prompt::InstallStopped);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].title, U8("致命的エラー"));
    EXPECT_TRUE(QFile::exists(app() + "a.txt")); // nothing already copied is removed
}

TEST_F(InstallBehaviour, RegistrationFailuresAreShownAndTheInstallationGoesOn)
{
    definition("[CopyFile]\nFile1=(App)\\fake.dll,/R\nFile2=(App)\\plain.dll,/R\nFile3=(App)\\failing.dll,/R\nFile4=(App)\\z.txt\n");
    m.writeMedia("fake.dll", "not a library");
    QFile::copy(QStringLiteral(NOENTRY_PATH), m.media() + "plain.dll");
    QFile::copy(QStringLiteral(TESTSERVER_PATH), m.media() + "failing.dll");
    m.writeMedia("z.txt", "z");
    qputenv("TOVEL_TESTSERVER_FAIL", "1");
    const PassOutcome outcome = Install(m, fe);
    qunsetenv("TOVEL_TESTSERVER_FAIL");
    const auto failures = fe.askedWith(Prompt::RegisterFailed);
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[0].title, "OCX/DLL登録エラー(LoadLibrary)");
    EXPECT_EQ(failures[0].text, app() + U8("fake.dllの読み込みに失敗しました．"));
    EXPECT_EQ(failures[1].title, "OCX/DLL登録エラー(GetProcAddress)");
    EXPECT_EQ(failures[1].text, app() + U8("plain.dllのDllRegisterServerエントリが見つかりません．"));
    EXPECT_EQ(failures[2].title, "OCX/DLL登録エラー(Procedure)");
    EXPECT_EQ(failures[2].text, app() + U8("failing.dllのDllRegisterServer関数が失敗しました．"));
    EXPECT_EQ(failures[0].icon, Icon::Warning);
    EXPECT_TRUE(QFile::exists(app() + "z.txt"));
    EXPECT_EQ(outcome.errorCount, 0);
}

TEST_F(InstallBehaviour, DamagedCompressedFileIsLoggedAndNothingIsLeftUnderItsName)
{
    definition("[CopyFile]\nFile1=(App)\\bad.tx_\nFile2=(App)\\plain.tx_|\\plain.txt\n");
    QByteArray bad = MakeSzdd("0123456789", 'T');
    bad[10] = 100; // longer than the data
    m.writeMedia("bad.tx_", bad);
    m.writeMedia("plain.tx_", "not compressed at all");
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.errorCount, 1);
    EXPECT_TRUE(outcome.errorLog.startsWith("<File> " + m.media() + "bad.tx_\n")) << outcome.errorLog.toStdString();
    EXPECT_FALSE(QFile::exists(app() + "BAD.TXT"));
    EXPECT_FALSE(QFile::exists(app() + "AUTO.EXT"));
    // A file that only looks compressed is taken as it is, as the system's LZ copy does.
    EXPECT_EQ(ReadBytes(app() + "plain.txt"), QByteArray("not compressed at all"));
}

TEST_F(InstallBehaviour, FolderThatCannotBeMadeIsLogged)
{
    definition("[MakeFolder]\nFolder1=(App)\\a\\b\nFolder2=(App)\\c\n");
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.errorCount, 1);
    EXPECT_TRUE(outcome.errorLog.startsWith("<Folder> " + app() + "a/b/\n")) << outcome.errorLog.toStdString();
    EXPECT_TRUE(QFile::exists(app() + "c"));
}

TEST_F(InstallBehaviour, ShortcutBoxesDecideWhichShortcutsAreMade)
{
    definition("[CopyFile]\nFile1=(App)\\tool\n[ShortCut]\nMake1=(App)\\tool\nName1=Default\nMake2=(App)\\tool\n"
               "Name2=(Dsk)\\Tool\nMake3=(App)\\tool\nName3=(App)\\Tool Link\n");
    m.writeMedia("tool", "x");
    Install(m, fe, [](InstallChoices& c) {
        c.startMenu = false;
        c.desktop = true;
    });
    EXPECT_FALSE(QFile::exists(m.menu() + "tool.desktop"));
    EXPECT_TRUE(QFile::exists(m.desktop() + "Tool.desktop"));
    EXPECT_TRUE(QFile::exists(app() + "Tool Link.desktop")); // no place box governs it
}

TEST_F(InstallBehaviour, ReadyMadeShortcutIsCopied)
{
    definition("[CopyFile]\nFile1=(App)\\Tool.desktop\n[ShortCut]\nMake1=(App)\\Tool.desktop\nName1=(Dsk)\\My Tool\n");
    m.writeMedia("Tool.desktop", "[Desktop Entry]\nType=Application\nName=Ready\nExec=true\n");
    Install(m, fe, [](InstallChoices& c) { c.desktop = true; });
    EXPECT_EQ(ReadBytes(m.desktop() + "My Tool.desktop"), ReadBytes(m.media() + "Tool.desktop"));
}

TEST_F(InstallBehaviour, DeclinedAssociationChangesNothing)
{
    definition("[Relate]\nName1=abc\nFile1=open,(App)\\x\n");
    fe.answers[Prompt::Association] = {Answer::No};
    Install(m, fe);
    FileRegistry registry(m.windows() + "registry.txt");
    EXPECT_FALSE(registry.keyExists(RegRoot::ClassesRoot, ".abc"));
    EXPECT_FALSE(common::DecodeCp932(ReadBytes(app() + "UNSETUP.INI")).contains("RestoreRelate"));
}

TEST_F(InstallBehaviour, SetupOnlyWritesNoUninstallInformation)
{
    m.writeDefinition("[Title]\nSetup=Patch\nUnSetup=Patch Setup Only.\n[ProgramID]\nID=Patch\n[Extend]\nSetupSpeed=1\n"
                      "[DefaultFolder]\nFolder=(Prg)\\Tool\n[CopyFile]\nFile1=(App)\\a.txt\n");
    m.writeMedia("a.txt", "a");
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.errorCount, 0);
    EXPECT_TRUE(QFile::exists(app() + "a.txt"));
    EXPECT_FALSE(QFile::exists(app() + "UNSETUP.INI"));
    FileRegistry registry(m.windows() + "registry.txt");
    EXPECT_TRUE(registry.subKeys(RegRoot::LocalMachine, UninstallListKey()).isEmpty());
    ASSERT_EQ(fe.askedWith(Prompt::InstallCompleted).size(), 1u);
    EXPECT_EQ(fe.askedWith(Prompt::InstallCompleted)[0].text, U8("インストールが完了しました．"));
    EXPECT_TRUE(QFile::exists(m.windows() + "TOSET98.INI"));
}

TEST_F(InstallBehaviour, RestartInsteadOfCompletionMessage)
{
    definition("[ExecuteFile]\nFile=WINDOWS_REBOOT\n");
    const PassOutcome outcome = Install(m, fe);
    EXPECT_TRUE(outcome.restartRequested);
    EXPECT_TRUE(fe.askedWith(Prompt::InstallCompleted).empty());
    EXPECT_TRUE(m.opener->opened.isEmpty());
    EXPECT_EQ(m.rebooter->requests, 0); // the front end asks after the windows are gone
}

TEST_F(InstallBehaviour, ProgramThatDoesNotStartIsReported)
{
    definition("[ExecuteFile]\nFile=(App)\\nothing.sh\n");
    m.opener->succeed = false;
    Install(m, fe);
    const auto failed = fe.askedWith(Prompt::ExecuteFailed);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].text, U8("終了後プログラムの起動に失敗しました．\niniファイルの記述ミスの可能性があります．\nプログラム提供者へご報告ください．"));
}

TEST_F(InstallBehaviour, AbortStopsAtTheNextCheckAndLeavesNoPartialFile)
{
    definition("[CopyFile]\nFile1=(App)\\a.bin\nFile2=(App)\\b.bin\nFile3=(App)\\c.bin\n");
    for (const char* name : {"a.bin", "b.bin", "c.bin"})
        m.writeMedia(name, Payload(5, 100000));
    fe.abortAtStatus = "b.bin";
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.status, PassOutcome::Status::Aborted);
    EXPECT_TRUE(QFile::exists(app() + "a.bin"));
    EXPECT_FALSE(QFile::exists(app() + "b.bin"));
    EXPECT_EQ(QDir(app()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"a.bin"});
    EXPECT_FALSE(QFile::exists(app() + "UNSETUP.INI"));
}

TEST_F(InstallBehaviour, IniEntryWithABareFileNameGoesToTheWindowsFolder)
{
    definition("[IniFile]\nData1=Sec,Key,(App),TOOL.INI\n");
    Install(m, fe);
    EXPECT_EQ(ReadBytes(m.windows() + "TOOL.INI"), QFile::encodeName("[Sec]\r\nKey=" + app() + "\r\n"));
}

TEST_F(InstallBehaviour, EmptyShortcutResultIsLoggedAndNotRecorded)
{
    WriteBytes(m.scratch() + "blocker", "file");
    definition("[ShortCut]\nMake1=(App)\\tool\nName1=" + m.scratch() + "blocker\\Link,(App)\n");
    const PassOutcome outcome = Install(m, fe);
    EXPECT_EQ(outcome.errorCount, 1);
    EXPECT_TRUE(outcome.errorLog.startsWith("<ShortCut> " + m.scratch() + "blocker/Link")) << outcome.errorLog.toStdString();
    EXPECT_FALSE(common::DecodeCp932(ReadBytes(app() + "UNSETUP.INI")).contains("[DeleteShortCut]"));
}
