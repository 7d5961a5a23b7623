#include "installer/session.h"

#include "installer/registry.h"
#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace installer;
using installertest::TestMachine;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

TEST(StartMode, FirstArgumentNamedUnsetupIniSelectsUninstall)
{
    EXPECT_EQ(ModeOfArgument("/opt/tool/UNSETUP.INI"), Mode::Unsetup);
    EXPECT_EQ(ModeOfArgument("C:\\Tool\\UNSETUP.INI"), Mode::Unsetup);
    EXPECT_EQ(ModeOfArgument("/opt/tool/unsetup.ini"), Mode::Setup);
    EXPECT_EQ(ModeOfArgument(""), Mode::Setup);
    EXPECT_EQ(ModeOfArgument("/x/UNSETUP.INI.bak"), Mode::Setup);
}

TEST(Start, WorkFolderHoldsCopiesOfProgramAndDefinition)
{
    TestMachine m;
    QDir().mkpath(m.tmp() + "TSTMP1");
    m.writeDefinition("[Title]\nSetup=Tool\n");
    const auto s = m.start();
    ASSERT_FALSE(s->hasFatalError()) << s->fatalText().toStdString();
    EXPECT_EQ(s->mode(), Mode::Setup);
    EXPECT_EQ(s->workFolder(), m.tmp() + "TSTMP2/");
    EXPECT_EQ(s->definitionPath(), m.tmp() + "TSTMP2/SETUP.INI");
    EXPECT_EQ(ReadBytes(s->definitionPath()), ReadBytes(m.media() + "SETUP.INI"));
    EXPECT_EQ(ReadBytes(s->workFolder() + "SETUPB.EXE"), ReadBytes(m.programPath()));
    EXPECT_EQ(s->sourceFolder(), m.media());
    s->cleanUpWorkFolders();
    EXPECT_FALSE(QFile::exists(m.tmp() + "TSTMP1"));
    EXPECT_FALSE(QFile::exists(m.tmp() + "TSTMP2"));
}

TEST(Start, CleanUpLeavesForeignEntriesAlone)
{
    TestMachine m;
    m.writeDefinition("[Title]\nSetup=Tool\n");
    ASSERT_TRUE(QFile::link(m.scratch(), m.tmp() + "TSTMP7"));
    WriteBytes(m.scratch() + "keep", "x");
    const auto s = m.start();
    s->cleanUpWorkFolders();
    EXPECT_TRUE(QFile::exists(m.scratch() + "keep"));
    EXPECT_TRUE(QFileInfo(m.tmp() + "TSTMP7").isSymLink());
}

TEST(FatalStart, MissingDefinition)
{
    TestMachine m;
    const auto s = m.start();
    ASSERT_TRUE(s->hasFatalError());
    EXPECT_EQ(s->fatalErrors(), QStringList{QString::fromUtf8("【致命的エラー  →  iniファイル読み込み失敗】")});
    EXPECT_EQ(s->fatalText(), QString::fromUtf8("【致命的エラー  →  iniファイル読み込み失敗】\n\n処理は続行できません．"));
}

TEST(FatalStart, MissingUninstallDefinition)
{
    TestMachine m;
    const auto s = m.start({m.programFiles() + "Tool/UNSETUP.INI"});
    EXPECT_EQ(s->mode(), Mode::Unsetup);
    EXPECT_EQ(s->fatalErrors(), QStringList{QString::fromUtf8("【致命的エラー  →  iniファイル読み込み失敗】")});
}

TEST(FatalStart, NoUsableHomeMeansNoWindowsAndSystemFolder)
{
    TestMachine m;
    m.writeDefinition("[Title]\nSetup=Tool\n");
    StartOptions options;
    options.environment = m.environment();
    options.environment.home.clear();
    options.programPath = m.programPath();
    options.services = m.services();
    const auto s = Session::Start(options);
    EXPECT_EQ(s->fatalErrors(), (QStringList{QString::fromUtf8("【致命的エラー  →  Windowsフォルダ取得失敗】"),
                                             QString::fromUtf8("【致命的エラー  →  WindowsSystemフォルダ取得失敗】")}));
    s->cleanUpWorkFolders();
}

TEST(Definition, DefaultsWithAnEmptyDefinition)
{
    TestMachine m;
    m.writeDefinition("; nothing here\n");
    auto s = m.start();
    ASSERT_FALSE(s->hasFatalError());
    EXPECT_EQ(s->setupTitle(), "Tovel! Setup");
    EXPECT_EQ(s->uninstallTitle(), "Tovel! Setup");
    EXPECT_EQ(s->setupWord(), QString::fromUtf8("インストール"));
    EXPECT_EQ(s->uninstallWord(), QString::fromUtf8("アンインストール"));
    EXPECT_EQ(s->stepPause(), 350);
    EXPECT_EQ(s->proposedFolder(), m.programFiles());
    EXPECT_EQ(s->messageText(), QString::fromUtf8("インストールを行います．\n"));
    EXPECT_FALSE(s->typePageVisible());
    EXPECT_EQ(s->typeCaption(1), QString::fromUtf8("通常のインストールを行う．"));
    EXPECT_EQ(s->typeCaption(2), QString::fromUtf8("別方式のインストールを行う．"));
    EXPECT_TRUE(s->optionsEnabled());
    EXPECT_FALSE(s->setupOnly());
    EXPECT_EQ(s->creditText().count('\n'), 1);
    EXPECT_FALSE(s->earlierVersionFound());
    s->cleanUpWorkFolders();
}

TEST(Definition, ValuesAreReadWithTheirWordsAndLimits)
{
    TestMachine m;
    m.writeDefinition("[Extend]\nSetupString=セットアップ\nUnSetupString=削除\nSetupSpeed=0\nEnabled=False\n"
                      "[Title]\nSetup=道具\nCopyRight1=(C) 2001 Tovel\nCopyRight2=All rights reserved\n"
                      "UnSetup=道具 Setup Only.\n"
                      "[TopMessage]\nMessage2=二行目\n[SelectType]\nVisible=True\nType2=最小構成\n");
    auto s = m.start();
    EXPECT_EQ(s->setupWord(), QString::fromUtf8("セットアップ"));
    EXPECT_EQ(s->uninstallWord(), QString::fromUtf8("削除"));
    EXPECT_EQ(s->stepPause(), 1);
    EXPECT_EQ(s->setupTitle(), QString::fromUtf8("道具"));
    EXPECT_TRUE(s->setupOnly());
    EXPECT_EQ(s->creditText(), "(C) 2001 Tovel\nAll rights reserved");
    EXPECT_EQ(s->messageText(), QString::fromUtf8("\n二行目\n\n\n\n"));
    EXPECT_TRUE(s->typePageVisible());
    EXPECT_EQ(s->typeCaption(1), QString::fromUtf8("通常のセットアップを行う．"));
    EXPECT_EQ(s->typeCaption(2), QString::fromUtf8("最小構成"));
    EXPECT_FALSE(s->optionsEnabled());
    s->cleanUpWorkFolders();
}

TEST(Definition, ValueOfThreeHundredCharactersIsReadWhole)
{
    TestMachine m;
    const QString longTitle = QString::fromUtf8("長").repeated(300);
    m.writeDefinition("[Title]\nSetup=" + longTitle + "\n");
    auto s = m.start();
    EXPECT_EQ(s->setupTitle(), longTitle);
    s->cleanUpWorkFolders();
}

TEST(ProposedFolder, LaterSourcesReplaceEarlierOnesWhenTheyGiveText)
{
    TestMachine m;
    FileRegistry registry(m.windows() + "registry.txt");
    registry.setValue(RegRoot::LocalMachine, "SOFTWARE\\Tovel\\Tool", "Path", RegValue::String(m.root() + "fromlocal"));
    registry.setValue(RegRoot::CurrentUser, "SOFTWARE\\Tovel\\Tool", "Path", RegValue::String(m.root() + "fromuser"));
    const QString base = "[ProgramID]\nID=TovelTool\n[DefaultFolder]\nFolder=(Prg)\\Tool\n";

    m.writeDefinition(base);
    auto s = m.start();
    EXPECT_EQ(s->proposedFolder(), m.programFiles() + "Tool/");
    s->cleanUpWorkFolders();

    // An earlier installation of the same program ID recorded its folder.
    WriteBytes(m.windows() + "TOSET98.INI", ("[TovelTool]\r\nFolder=" + m.root() + "recorded\\\r\n").toUtf8());
    s = m.start();
    EXPECT_EQ(s->proposedFolder(), m.root() + "recorded/");
    s->cleanUpWorkFolders();

    m.writeDefinition(base + "ReferRegistry=(Local)SOFTWARE\\Tovel\\Tool,Path\n");
    s = m.start();
    EXPECT_EQ(s->proposedFolder(), m.root() + "fromlocal/");
    s->cleanUpWorkFolders();

    m.writeDefinition(base + "ReferRegistry=SOFTWARE\\Tovel\\Tool,Path\n");
    s = m.start();
    EXPECT_EQ(s->proposedFolder(), m.root() + "fromuser/");
    s->cleanUpWorkFolders();

    // A key that does not exist leaves the proposal as it was.
    m.writeDefinition(base + "ReferRegistry=(Local)SOFTWARE\\None,Path\n");
    s = m.start();
    EXPECT_EQ(s->proposedFolder(), m.root() + "recorded/");
    s->cleanUpWorkFolders();

    WriteBytes(m.home() + "paths.ini", ("[Install]\r\nDir=" + m.root() + "fromini\r\n").toUtf8());
    m.writeDefinition(base + "ReferRegistry=SOFTWARE\\Tovel\\Tool,Path\nReferIniFile=Install,Dir,(Win)..\\..\\..\\..\\paths.ini\n");
    s = m.start();
    EXPECT_EQ(s->proposedFolder(), m.root() + "fromini/");
    s->cleanUpWorkFolders();
}

TEST(ShortcutPlaces, NamedPlacesAreOfferedAndDefaultMeansTheStartMenu)
{
    TestMachine m;
    m.writeDefinition("[ShortCut]\nMake1=(App)\\a\nName1=(Dsk)\\A\nMake2=(App)\\b\nName2=(Sup)\\B\n");
    auto s = m.start();
    ShortcutPlaces p = s->namedShortcutPlaces();
    EXPECT_TRUE(p.desktop);
    EXPECT_FALSE(p.startMenu);
    EXPECT_TRUE(p.startUp);
    EXPECT_FALSE(p.sendTo);
    s->cleanUpWorkFolders();

    m.writeDefinition("[ShortCut]\nMake1=(App)\\a\nMake2=(App)\\b\nName2=(C_Dsk)\\B\nMake3=(App)\\c\nName3=(Sen)\\C\n");
    s = m.start();
    p = s->namedShortcutPlaces();
    EXPECT_TRUE(p.desktop);
    EXPECT_TRUE(p.startMenu); // Make1 without a Name goes to the start menu
    EXPECT_FALSE(p.startUp);
    EXPECT_TRUE(p.sendTo);
    s->cleanUpWorkFolders();
}

TEST(UninstallPage, CheckBoxFlagsAndDeleteAll)
{
    TestMachine m;
    m.writeDefinition("[UnSetupOption]\nCheckBox=1,0,0,0\n[SetupFolder]\nFolder=" + m.programFiles() + "Tool\\\n",
                      "UNSETUP.INI");
    auto s = m.start({m.media() + "UNSETUP.INI"});
    ASSERT_FALSE(s->hasFatalError());
    EXPECT_TRUE(s->uninstalling());
    UninstallOptions o = s->uninstallOptions();
    EXPECT_TRUE(o.iniFiles);
    EXPECT_FALSE(o.gidFiles);
    EXPECT_FALSE(o.deleteAllOffered);
    EXPECT_EQ(s->proposedFolder(), m.programFiles() + "Tool/");
    EXPECT_EQ(s->folders().value(Macro::App), m.programFiles() + "Tool/");
    EXPECT_EQ(s->messageText(), QString::fromUtf8("アンインストールを行います．\n\n開始するには，「アンインストール開始(S)」を選択してください．\n"));
    s->cleanUpWorkFolders();

    m.writeDefinition("[UnSetupOption]\nCheckBox=DeleteAll\n", "UNSETUP.INI");
    s = m.start({m.media() + "UNSETUP.INI"});
    o = s->uninstallOptions();
    EXPECT_TRUE(o.deleteAllOffered);
    s->cleanUpWorkFolders();

    m.writeDefinition("[Title]\nUnSetup=x\n", "UNSETUP.INI");
    s = m.start({m.media() + "UNSETUP.INI"});
    o = s->uninstallOptions();
    EXPECT_FALSE(o.iniFiles || o.gidFiles || o.deleteAllOffered);
    s->cleanUpWorkFolders();
}

TEST(Caution, EarlierVersionIsDetectedInTheProposedFolder)
{
    TestMachine m;
    m.writeDefinition("[DefaultFolder]\nFolder=(Prg)\\Tool\n[Caution]\nUnInstallCheck=\\bin\\old.exe\n");
    auto s = m.start();
    EXPECT_FALSE(s->earlierVersionFound());
    s->cleanUpWorkFolders();
    QDir().mkpath(m.programFiles() + "Tool/bin");
    WriteBytes(m.programFiles() + "Tool/bin/old.exe", "x");
    s = m.start();
    EXPECT_TRUE(s->earlierVersionFound());
    EXPECT_TRUE(s->earlierVersionWarning().startsWith(QString::fromUtf8("プログラムはチェック対象プログラムを検出しました．\n")));
    s->cleanUpWorkFolders();
}

TEST(Version, ProgramVersionIsTheProjectsAndShowsAsVersionText)
{
    EXPECT_EQ(ProgramVersion(), QStringLiteral(MWEX_VERSION_TEXT));
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d{2,}\\(Build:\\d{4,}\\)$").match(VersionText(ProgramVersion())).hasMatch())
        << VersionText(ProgramVersion()).toStdString();
}
