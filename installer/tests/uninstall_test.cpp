// Installing and uninstalling again in a temporary home: everything an installation
// made goes, and the home is left as it was.
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

PassOutcome InstallDefaults(TestMachine& m, ScriptedFrontEnd& fe)
{
    auto session = m.start();
    EXPECT_FALSE(session->hasFatalError()) << session->fatalText().toStdString();
    const PassOutcome outcome = RunInstall(*session, fe, DefaultInstallChoices(*session));
    session->cleanUpWorkFolders();
    return outcome;
}

/// Uninstalls with the page's starting state, changed by `change`.
PassOutcome Uninstall(TestMachine& m, ScriptedFrontEnd& fe, const QString& unsetupIni,
                      const std::function<void(UninstallChoices&)>& change = {})
{
    auto session = m.start({unsetupIni});
    EXPECT_FALSE(session->hasFatalError()) << session->fatalText().toStdString();
    EXPECT_TRUE(session->uninstalling());
    UninstallChoices choices = DefaultUninstallChoices(*session);
    if (change)
        change(choices);
    const QString cwd = QDir::currentPath();
    const PassOutcome outcome = RunUninstall(*session, fe, choices);
    QDir::setCurrent(cwd);
    session->cleanUpWorkFolders();
    return outcome;
}

} // namespace

/// The full payload installed, used and uninstalled with one choice of the uninstall
/// page's boxes.
struct RoundTrip {
    const char* name;
    const char* option;    // [Extend] UnSetupOption
    const char* leftovers; // files of the install folder these boxes do not remove
};

void PrintTo(const RoundTrip& trip, std::ostream* os)
{
    *os << trip.name;
}

class FullRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(FullRoundTrip, UninstallLeavesTheHomeAsBefore)
{
    TestMachine m;
    const FullPayload payload = WriteFullPayload(m, QString::fromLatin1(GetParam().option));
    const Listing before = ListTree(m.home());

    ScriptedFrontEnd install;
    const PassOutcome installed = InstallDefaults(m, install);
    ASSERT_EQ(installed.errorCount, 0) << installed.errorLog.toStdString();
    SimulateProgramUse(payload);
    if (QString::fromLatin1(GetParam().option) == "DeleteAll") {
        QDir().mkpath(payload.app + "user/deep");
        WriteBytes(payload.app + "user/deep/notes.txt", "the user's own file");
    }
    QFile::remove(payload.serverLog);

    ScriptedFrontEnd fe;
    const PassOutcome removed = Uninstall(m, fe, payload.app + "UNSETUP.INI");
    EXPECT_EQ(removed.status, PassOutcome::Status::Completed);
    const Listing after = ListTree(m.home());

    const QStringList leftovers = QString::fromLatin1(GetParam().leftovers).split(',', Qt::SkipEmptyParts);
    Listing expected = before;
    if (!leftovers.isEmpty()) {
        // Files these boxes do not cover stay, and with them the folder.
        EXPECT_EQ(removed.errorCount, 1);
        EXPECT_EQ(removed.errorLog, "<SetupFolder> " + payload.app
                                        + U8("\nフォルダにファイルが残っているため，インストールフォルダを削除できませんでした．エクスプローラなどから，直接削除してください．\n\n"));
        const QString rel = QDir(m.home()).relativeFilePath(payload.app) + "/";
        expected[rel] = after.count(rel) ? after.at(rel) : ListedEntry{};
        for (const QString& name : leftovers)
            expected[rel + name] = after.count(rel + name) ? after.at(rel + name) : ListedEntry{};
    } else {
        EXPECT_EQ(removed.errorCount, 0) << removed.errorLog.toStdString();
    }
    EXPECT_EQ(expected, after) << DescribeDifference(expected, after);

    // The shared library nobody uses any more was asked about; the one counted by
    // another installation was not, and keeps its count.
    ASSERT_EQ(fe.sharedTexts.size(), 1);
    EXPECT_EQ(fe.sharedTexts[0], m.system() + U8("shared.dll\n\nこの共有ファイルは，現在，他のどのプログラムからも使われていません．\nしかし，今後，他のプログラムで使われる可能性があります．\nこのファイルを削除してもよろしいですか？"));
    FileRegistry registry(m.windows() + "registry.txt");
    EXPECT_EQ(SharedCount(registry, m.system() + "common.ocx"), 1);
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, ".txt", ""), "txtfile");
    // The server in the install folder was unregistered before it was deleted.
    EXPECT_EQ(ReadBytes(payload.serverLog), QFile::encodeName("unregister " + payload.app + "server.dll\n"));
    EXPECT_EQ(fe.statuses.front(), U8("アンインストールを行っています．．．"));
    EXPECT_EQ(fe.statuses.back(), U8("アンインストールを完了しました．"));
    ASSERT_EQ(fe.askedWith(Prompt::UninstallCompleted).size(), 1u);
    EXPECT_EQ(fe.askedWith(Prompt::UninstallCompleted)[0].title, U8("完了"));
}

INSTANTIATE_TEST_SUITE_P(EveryOption, FullRoundTrip,
                         ::testing::Values(RoundTrip{"IniFiles", "1,0,0,0", "TOOL.GID"},
                                           RoundTrip{"NoBoxes", "", "TOOL.GID,tool.ini"},
                                           RoundTrip{"GidFilesOnly", "0,1,0,0", "tool.ini"},
                                           RoundTrip{"IniAndGidFiles", "1,1,0,0", ""},
                                           RoundTrip{"DeleteAll", "DeleteAll", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CleanMachine, InstallerLeavesNoTraceOnAFreshHome)
{
    TestMachine m;
    m.writeDefinition("[Title]\nSetup=Tool\n[ProgramID]\nID=Tool\n[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool\n"
                      "[CopyFile]\nFile1=(App)\\a.txt\n[ShortCut]\nMake1=(App)\\a.txt\nName1=(Sen)\\Tool\n"
                      "[Registry]\nKey1=Software\\Tool\nName1=v\nValue1=(Int)1\n[DeleteRegistry]\nKey1=Software\\Tool\n");
    m.writeMedia("a.txt", "a");
    const Listing before = ListTree(m.home());
    ScriptedFrontEnd fe;
    ASSERT_EQ(InstallDefaults(m, fe).errorCount, 0);
    EXPECT_TRUE(QFile::exists(m.windows() + "UNTS200X.EXE"));
    EXPECT_TRUE(QFile::exists(m.windows() + "registry.txt"));
    ScriptedFrontEnd un;
    const PassOutcome removed = Uninstall(m, un, m.programFiles() + "Tool/UNSETUP.INI");
    EXPECT_EQ(removed.errorCount, 0) << removed.errorLog.toStdString();
    const Listing after = ListTree(m.home());
    EXPECT_EQ(before, after) << DescribeDifference(before, after);
    EXPECT_FALSE(QFile::exists(m.dataHome() + "tovel-setup"));
}

TEST(CleanMachine, FolderNamesOutsideTheJapaneseCodePageAreRecordedAndRemoved)
{
    TestMachine m;
    // A definition may be UTF-8 (with a byte-order mark) to name such folders at all.
    m.writeMedia("SETUP.INI", QString::fromUtf8("\xEF\xBB\xBF[Title]\r\nSetup=Tool\r\n[Extend]\r\nSetupSpeed=1\r\n"
                                                "[CopyFile]\r\nFile1=(App)\\a.txt\r\n[MakeFolder]\r\nFolder1=(App)\\données\r\n")
                                  .toUtf8());
    m.writeMedia("a.txt", "a");
    const Listing before = ListTree(m.home());
    const QString app = m.programFiles() + QString::fromUtf8("Outil été/");
    ScriptedFrontEnd fe;
    auto session = m.start();
    InstallChoices choices = DefaultInstallChoices(*session);
    choices.folder = app;
    ASSERT_EQ(RunInstall(*session, fe, choices).errorCount, 0);
    session->cleanUpWorkFolders();
    // "é" has no CP932 form: the uninstall definition is UTF-8 with a byte-order mark.
    const QByteArray unsetup = ReadBytes(app + "UNSETUP.INI");
    EXPECT_TRUE(unsetup.startsWith("\xEF\xBB\xBF[Information]"));
    EXPECT_TRUE(unsetup.contains(("File1=" + app + "a.txt\r\n").toUtf8()));
    ScriptedFrontEnd un;
    EXPECT_EQ(Uninstall(m, un, app + "UNSETUP.INI").errorCount, 0);
    EXPECT_EQ(before, ListTree(m.home())) << DescribeDifference(before, ListTree(m.home()));
}

TEST(CleanMachine, UninstallerStaysWhileAnotherInstallationNeedsIt)
{
    TestMachine m;
    const auto definition = [&](const char* id) {
        m.writeDefinition(QStringLiteral("[Title]\nSetup=%1\n[ProgramID]\nID=%1\n[Extend]\nSetupSpeed=1\n"
                                         "[DefaultFolder]\nFolder=(Prg)\\%1\n[CopyFile]\nFile1=(App)\\a.txt\n")
                              .arg(QString::fromLatin1(id)));
    };
    m.writeMedia("a.txt", "a");
    ScriptedFrontEnd fe;
    definition("One");
    InstallDefaults(m, fe);
    definition("Two");
    InstallDefaults(m, fe);
    EXPECT_EQ(ReadBytes(m.windows() + "TOSET98.INI"),
              QFile::encodeName("[One]\r\nFolder=" + m.programFiles() + "One/\r\n[Two]\r\nFolder=" + m.programFiles() + "Two/\r\n"));
    Uninstall(m, fe, m.programFiles() + "One/UNSETUP.INI");
    EXPECT_TRUE(QFile::exists(m.windows() + "UNTS200X.EXE"));
    EXPECT_EQ(ReadBytes(m.windows() + "TOSET98.INI"), QFile::encodeName("[Two]\r\nFolder=" + m.programFiles() + "Two/\r\n"));
    Uninstall(m, fe, m.programFiles() + "Two/UNSETUP.INI");
    EXPECT_FALSE(QFile::exists(m.windows() + "UNTS200X.EXE"));
    EXPECT_FALSE(QFile::exists(m.windows() + "TOSET98.INI"));
}

TEST(Reinstall, SameFolderKeepsEarlierRecordsWithoutDuplicates)
{
    TestMachine m;
    const QString app = m.programFiles() + "Tool/";
    const QString head = "[Title]\nSetup=Tool\n[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool\n"
                         "[Relate]\nName1=tvl\nFile1=open,(App)\\a.txt\n";
    for (const char* name : {"a.txt", "b.txt", "A.TXT", "lib.dll"})
        m.writeMedia(name, name);
    m.writeDefinition(head + "[MakeFolder]\nFolder1=(App)\\old\n[CopyFile]\nFile1=(App)\\a.txt\nFile2=(App)\\lib.dll,/S\n");
    ScriptedFrontEnd fe;
    InstallDefaults(m, fe);
    // The second version no longer marks lib.dll "/S", adds b.txt, a folder, and A.TXT,
    // which on this system is another file than a.txt.
    m.writeDefinition(head + "[MakeFolder]\nFolder1=(App)\\new\n[CopyFile]\nFile1=(App)\\a.txt\nFile2=(App)\\b.txt\n"
                             "File3=(App)\\lib.dll,/R\nFile4=(App)\\A.TXT\n");
    InstallDefaults(m, fe);
    const QString unsetup = common::DecodeCp932(ReadBytes(app + "UNSETUP.INI"));
    EXPECT_TRUE(unsetup.contains("[DeleteFolder]\r\nFolder1=" + app + "old/\r\nFolder2=" + app + "new/\r\n")) << unsetup.toStdString();
    EXPECT_TRUE(unsetup.contains("[DeleteFile]\r\nFile1=" + app + "a.txt\r\nFile2=" + app + "lib.dll,/R/S\r\nFile3=" + app
                                 + "UNSETUP.INI\r\nFile4=" + app + "b.txt\r\nFile5=" + app + "A.TXT\r\n["))
        << unsetup.toStdString();
    // One restore slot for the extension, whatever the number of installations.
    EXPECT_TRUE(unsetup.contains("[RestoreRelate]\r\nKey1=tvl,\r\n[")) << unsetup.toStdString();
    EXPECT_EQ(fe.askedWith(Prompt::Association).size(), 2u);

    // The kept "/S" lowers the count at the uninstallation; everything goes.
    ScriptedFrontEnd un;
    const PassOutcome removed = Uninstall(m, un, app + "UNSETUP.INI", [](UninstallChoices& c) { c.deleteAll = true; });
    EXPECT_EQ(removed.errorCount, 0) << removed.errorLog.toStdString();
    FileRegistry registry(m.windows() + "registry.txt");
    EXPECT_EQ(SharedCount(registry, app + "lib.dll"), 0);
    EXPECT_EQ(un.sharedTexts.size(), 1);
    EXPECT_FALSE(registry.keyExists(RegRoot::ClassesRoot, ".tvl"));
    EXPECT_FALSE(QFile::exists(app));
}

// ------------------------------------------------------------------ single behaviours

class UninstallBehaviour : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(app()); }
    TestMachine m;
    QString app() const { return m.programFiles() + "Tool/"; }
    /// Writes an uninstall definition as an installation would have.
    QString unsetup(const QString& body)
    {
        QDir().mkpath(app());
        const QString path = app() + "UNSETUP.INI";
        QString text = "[SetupFolder]\nFolder=" + app() + "\n" + body;
        text.replace("\n", "\r\n");
        WriteBytes(path, *common::EncodeCp932(text));
        return path;
    }
    FileRegistry registry{m.windows() + "registry.txt"};
    ScriptedFrontEnd fe;
};

TEST_F(UninstallBehaviour, SharedLibraryCountedThreeTimesLosesOneCount)
{
    WriteBytes(app() + "x.dll", "x");
    registry.setValue(RegRoot::LocalMachine, SharedDllsKey(), app() + "x.dll", RegValue::Dword(3));
    Uninstall(m, fe, unsetup("[DeleteFile]\nFile1=" + app() + "x.dll,/S\n"));
    EXPECT_EQ(SharedCount(registry, app() + "x.dll"), 2);
    EXPECT_TRUE(QFile::exists(app() + "x.dll"));
    EXPECT_TRUE(fe.sharedTexts.isEmpty());
}

TEST_F(UninstallBehaviour, CountedLibraryWithoutSharedOptionIsKept)
{
    WriteBytes(app() + "x.dll", "x");
    registry.setValue(RegRoot::LocalMachine, SharedDllsKey(), app() + "x.dll", RegValue::Dword(1));
    Uninstall(m, fe, unsetup("[DeleteFile]\nFile1=" + app() + "x.dll\n"));
    EXPECT_EQ(SharedCount(registry, app() + "x.dll"), 1);
    EXPECT_TRUE(QFile::exists(app() + "x.dll"));
}

TEST_F(UninstallBehaviour, DeleteAllAnswerIsRememberedForLaterSharedFiles)
{
    QString body = "[DeleteFile]\n";
    for (int n = 1; n <= 3; ++n) {
        const QString file = app() + QStringLiteral("s%1.dll").arg(n);
        WriteBytes(file, "x");
        registry.setValue(RegRoot::LocalMachine, SharedDllsKey(), file, RegValue::Dword(1));
        body += QStringLiteral("File%1=%2,/S\n").arg(n).arg(file);
    }
    fe.sharedAnswers = {SharedFileAnswer::No, SharedFileAnswer::Delete};
    Uninstall(m, fe, unsetup(body));
    EXPECT_EQ(fe.sharedTexts.size(), 2); // the third is not asked
    EXPECT_TRUE(QFile::exists(app() + "s1.dll"));
    EXPECT_FALSE(QFile::exists(app() + "s2.dll"));
    EXPECT_FALSE(QFile::exists(app() + "s3.dll"));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(SharedCount(registry, app() + QStringLiteral("s%1.dll").arg(n)), 0);
}

TEST_F(UninstallBehaviour, SaveAllAnswerKeepsEveryLaterSharedFile)
{
    QString body = "[DeleteFile]\n";
    for (int n = 1; n <= 3; ++n) {
        const QString file = app() + QStringLiteral("s%1.dll").arg(n);
        WriteBytes(file, "x");
        registry.setValue(RegRoot::LocalMachine, SharedDllsKey(), file, RegValue::Dword(1));
        body += QStringLiteral("File%1=%2,/S\n").arg(n).arg(file);
    }
    fe.sharedAnswers = {SharedFileAnswer::Save};
    Uninstall(m, fe, unsetup(body));
    EXPECT_EQ(fe.sharedTexts.size(), 1);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(QFile::exists(app() + QStringLiteral("s%1.dll").arg(n)));
}

TEST_F(UninstallBehaviour, UncountedLibraryInTheSystemFolderIsDeletedOnlyAfterAsking)
{
    QDir().mkpath(m.system());
    WriteBytes(m.system() + "sys.dll", "x");
    WriteBytes(m.system() + "kept.ocx", "x");
    WriteBytes(app() + "own.dll", "x");
    fe.answers[Prompt::DeleteUnsharedLibrary] = {Answer::Yes, Answer::No};
    Uninstall(m, fe,
              unsetup("[DeleteFile]\nFile1=" + m.system() + "sys.dll\nFile2=" + m.system() + "kept.ocx\nFile3=" + app()
                      + "own.dll\n"));
    const auto asked = fe.askedWith(Prompt::DeleteUnsharedLibrary);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, U8("ファイル削除の確認"));
    EXPECT_EQ(asked[0].text, m.system() + U8("sys.dll\n\nこのDLL/OCXファイルは，共有登録されていませんが，\n今後，他のプログラムで使われる可能性があります．\nこのファイルを削除してもよろしいですか？"));
    EXPECT_FALSE(QFile::exists(m.system() + "sys.dll"));
    EXPECT_TRUE(QFile::exists(m.system() + "kept.ocx"));
    EXPECT_FALSE(QFile::exists(app() + "own.dll"));
}

TEST_F(UninstallBehaviour, OptionsConfirmKeepAndForce)
{
    for (const char* name : {"c.dat", "l.dat", "f.dat"})
        WriteBytes(app() + name, "x");
    QDir().mkpath(m.system());
    WriteBytes(m.system() + "f.dll", "x");
    fe.answers[Prompt::DeleteFile] = {Answer::No};
    Uninstall(m, fe,
              unsetup("[DeleteFile]\nFile1=" + app() + "c.dat,/C\nFile2=" + app() + "l.dat,/L\nFile3=" + app()
                      + "f.dat,/F\nFile4=" + m.system() + "f.dll,/F\n"));
    ASSERT_EQ(fe.askedWith(Prompt::DeleteFile).size(), 1u);
    EXPECT_TRUE(fe.askedWith(Prompt::DeleteFile)[0].text.startsWith(app() + U8("c.dat\n\nこのファイルを削除してもよろしいですか？\n\n<<　注意　>>\n")));
    EXPECT_TRUE(QFile::exists(app() + "c.dat"));
    EXPECT_TRUE(QFile::exists(app() + "l.dat"));
    EXPECT_FALSE(QFile::exists(app() + "f.dat"));
    EXPECT_FALSE(QFile::exists(m.system() + "f.dll"));
    EXPECT_TRUE(fe.askedWith(Prompt::DeleteUnsharedLibrary).empty());
}

TEST_F(UninstallBehaviour, MissingRecordedFileIsLoggedButMissingExtraFileIsNot)
{
    const PassOutcome outcome = Uninstall(m, fe,
                                          unsetup("[DeleteFile]\nFile1=" + app() + "gone.txt\n[AddDeleteFile]\nFile1=" + app()
                                                  + "also-gone.txt\nFile2=" + app() + "*.none\n"));
    EXPECT_EQ(outcome.errorCount, 2); // gone.txt, and the folder still holding UNSETUP.INI
    EXPECT_TRUE(outcome.errorLog.startsWith("<File> " + app() + "gone.txt\n")) << outcome.errorLog.toStdString();
    EXPECT_FALSE(outcome.errorLog.contains("also-gone"));
    ASSERT_EQ(fe.askedWith(Prompt::ShowErrorDetails).size(), 1u);
    EXPECT_EQ(fe.askedWith(Prompt::ShowErrorDetails)[0].text, U8("アンインストールの過程で，一部の処理が失敗しました．\n詳細を表示しますか？"));
    EXPECT_EQ(fe.errorDetails, QStringList{U8("削除処理失敗　詳細表示\n") + outcome.errorLog});
}

TEST_F(UninstallBehaviour, ShortcutGroupGoesWithItsLastShortcutButTheMenuStays)
{
    QDir().mkpath(m.menu() + "Group");
    // Shortcuts as the installation wrote them: their program lies in the install folder.
    const QByteArray entry = "[Desktop Entry]\nType=Application\nExec=" + QFile::encodeName(app()) + "tool\n";
    WriteBytes(m.menu() + "Group/a.desktop", entry);
    WriteBytes(m.menu() + "top.desktop", entry);
    Uninstall(m, fe,
              unsetup("[DeleteShortCut]\nFile1=" + m.menu() + "Group/a.desktop\nFile2=" + m.menu() + "top.desktop\nFile3="
                      + m.desktop() + "none.desktop\n"));
    EXPECT_FALSE(QFile::exists(m.menu() + "Group"));
    EXPECT_TRUE(QFileInfo(m.menu()).isDir());
    EXPECT_TRUE(QFileInfo(m.desktop()).isDir());
}

TEST_F(UninstallBehaviour, FoldersAreRemovedLastFirstAndOnlyWhenEmpty)
{
    QDir().mkpath(app() + "data/sub");
    QDir().mkpath(m.scratch() + "outside");
    WriteBytes(m.scratch() + "outside/keep", "x");
    WriteBytes(app() + "data/sub/a.ini", "x");
    const PassOutcome outcome = Uninstall(m, fe,
                                          unsetup("[DeleteFolder]\nFolder1=" + app() + "data/\nFolder2=" + app()
                                                  + "data/sub/\nFolder3=" + m.scratch() + "outside/\n[UnSetupOption]\nCheckBox=1,0,0,0\n"
                                                  + "[DeleteFile]\nFile1=" + app() + "UNSETUP.INI\n"));
    EXPECT_FALSE(QFile::exists(app() + "data"));
    EXPECT_TRUE(QFile::exists(m.scratch() + "outside/keep"));
    EXPECT_EQ(outcome.errorCount, 1);
    EXPECT_TRUE(outcome.errorLog.startsWith("<Folder> " + m.scratch() + "outside/\n")) << outcome.errorLog.toStdString();
    EXPECT_FALSE(QFile::exists(app()));
}

TEST_F(UninstallBehaviour, AssociationWithoutAnEarlierValueLosesItsKey)
{
    registry.setValue(RegRoot::ClassesRoot, ".abc", "", RegValue::String("abc_auto_file"));
    registry.setValue(RegRoot::ClassesRoot, "abc_auto_file\\shell\\open\\command", "", RegValue::String("x"));
    registry.setValue(RegRoot::ClassesRoot, ".doc", "", RegValue::String("doc_auto_file"));
    registry.setValue(RegRoot::ClassesRoot, "doc_auto_file", "", RegValue::String("x"));
    registry.setValue(RegRoot::ClassesRoot, ".old", "", RegValue::String("old_auto_file"));
    registry.setValue(RegRoot::ClassesRoot, "old_auto_file", "", RegValue::String("kept"));
    Uninstall(m, fe, unsetup("[RestoreRelate]\nKey1=abc,\nKey3=doc,Word.Document\nKey20=old,old_auto_file\n"));
    EXPECT_FALSE(registry.keyExists(RegRoot::ClassesRoot, ".abc"));
    EXPECT_FALSE(registry.keyExists(RegRoot::ClassesRoot, "abc_auto_file"));
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, ".doc", ""), "Word.Document");
    EXPECT_FALSE(registry.keyExists(RegRoot::ClassesRoot, "doc_auto_file"));
    EXPECT_EQ(registry.stringValue(RegRoot::ClassesRoot, "old_auto_file", ""), "kept");
}

TEST_F(UninstallBehaviour, RegistryKeysAndTheUninstallEntryAreDeleted)
{
    registry.setValue(RegRoot::CurrentUser, "Software\\T\\Sub", "v", RegValue::Dword(1));
    registry.setValue(RegRoot::LocalMachine, "Software\\T", "v", RegValue::Dword(1));
    registry.setValue(RegRoot::Users, "(Foo)abc\\x", "v", RegValue::Dword(1));
    registry.setValue(RegRoot::CurrentUser, "(Foo)abc\\x", "v", RegValue::Dword(1));
    registry.setValue(RegRoot::LocalMachine, UninstallListKey() + "\\Tool", "DisplayName", RegValue::String("Tool"));
    registry.setValue(RegRoot::LocalMachine, "Keep", "v", RegValue::Dword(1));
    Uninstall(m, fe,
              unsetup("[DeleteRegistry]\nKey1=Software\\T\nKey2=(Local)Software\\T\\\nKey3=(Foo)abc\\x\nKey4=(Local)\n"
                      "[UnSetupRegistryKey]\nKey=" + UninstallListKey() + "\\Tool\n"));
    EXPECT_FALSE(registry.keyExists(RegRoot::CurrentUser, "Software\\T"));
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, "Software\\T"));
    EXPECT_FALSE(registry.keyExists(RegRoot::CurrentUser, "(Foo)abc\\x")); // the uninstall rule: the whole text
    EXPECT_TRUE(registry.keyExists(RegRoot::Users, "(Foo)abc\\x"));
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, UninstallListKey()));
    // "(Local)" alone names the root: it is never deleted.
    EXPECT_TRUE(registry.keyExists(RegRoot::LocalMachine, "Keep"));
}

TEST_F(UninstallBehaviour, FolderRecordSectionIsRemoved)
{
    QDir().mkpath(m.windows());
    WriteBytes(m.windows() + "TOSET98.INI", "[Other]\r\nFolder=/x/\r\n[Tool]\r\nFolder=/y/\r\n");
    Uninstall(m, fe, unsetup("[ProgramID]\nID=tool\n"));
    EXPECT_EQ(ReadBytes(m.windows() + "TOSET98.INI"), QByteArray("[Other]\r\nFolder=/x/\r\n"));
}

TEST_F(UninstallBehaviour, EmptyFolderTextStopsBeforeAnythingIsRemoved)
{
    WriteBytes(app() + "a.txt", "x");
    const QString path = unsetup("[DeleteFile]\nFile1=" + app() + "a.txt\n");
    const PassOutcome outcome = Uninstall(m, fe, path, [](UninstallChoices& c) { c.folder.clear(); });
    EXPECT_EQ(outcome.status, PassOutcome::Status::Stopped);
    ASSERT_EQ(fe.askedWith(Prompt::UninstallFolderUnknown).size(), 1u);
    EXPECT_EQ(fe.askedWith(Prompt::UninstallFolderUnknown)[0].text,
              U8("アンインストールフォルダが不明です．\nアンインストールは続行できません．"));
    EXPECT_TRUE(QFile::exists(app() + "a.txt"));
}

TEST_F(UninstallBehaviour, DeleteAllNeverTouchesTheHomeFolder)
{
    WriteBytes(m.home() + "precious.txt", "the user's");
    QDir().mkpath(m.home() + "Documents");
    WriteBytes(m.home() + "Documents/letter.txt", "x");
    const QString path = m.scratch() + "UNSETUP.INI";
    WriteBytes(path, QFile::encodeName("[SetupFolder]\r\nFolder=" + m.home() + "\r\n[UnSetupOption]\r\nCheckBox=DeleteAll\r\n"
                                       "[DeleteFolder]\r\nFolder1=" + m.home() + "Documents/\r\nFolder2=" + m.desktop() + "\r\n"));
    const Listing before = ListTree(m.home());
    const PassOutcome outcome = Uninstall(m, fe, path);
    const Listing after = ListTree(m.home());
    EXPECT_EQ(before, after) << DescribeDifference(before, after);
    EXPECT_EQ(outcome.errorCount, 1);
    EXPECT_TRUE(outcome.errorLog.startsWith("<SetupFolder> " + m.home() + "\n")) << outcome.errorLog.toStdString();
    EXPECT_FALSE(fe.notes.isEmpty());
}

TEST_F(UninstallBehaviour, InstallationIntoAFileSystemRootDeletesNothing)
{
    const QString path = m.scratch() + "UNSETUP.INI";
    WriteBytes(path, "[SetupFolder]\r\nFolder=/\r\n[UnSetupOption]\r\nCheckBox=DeleteAll\r\n");
    const PassOutcome outcome = Uninstall(m, fe, path);
    EXPECT_EQ(outcome.status, PassOutcome::Status::Completed);
    EXPECT_TRUE(QFileInfo("/usr").isDir());
    EXPECT_TRUE(outcome.errorLog.startsWith("<SetupFolder> /\n"));
}

TEST_F(UninstallBehaviour, InstallFolderInUseByAFileIsReported)
{
    WriteBytes(app() + "user.txt", "x");
    const PassOutcome outcome = Uninstall(m, fe, unsetup("[DeleteFile]\nFile1=" + app() + "UNSETUP.INI\n"));
    EXPECT_TRUE(QFile::exists(app() + "user.txt"));
    EXPECT_EQ(outcome.errorLog, "<SetupFolder> " + app()
                                    + U8("\nフォルダにファイルが残っているため，インストールフォルダを削除できませんでした．エクスプローラなどから，直接削除してください．\n\n"));
}
