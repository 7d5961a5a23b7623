#include "installer/folders.h"
#include "installer/registry.h"

#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace installer;
using installertest::TestMachine;

namespace {

FolderTable Table(const TestMachine& m, const Registry* registry = nullptr)
{
    return FolderTable::Resolve(m.environment(), m.media(), registry);
}

} // namespace

TEST(FolderTable, EveryMacroHasItsLinuxFolder)
{
    TestMachine m;
    const FolderTable t = Table(m);
    EXPECT_EQ(t.value(Macro::Win), m.windows());
    EXPECT_EQ(t.value(Macro::Sys), m.system());
    EXPECT_EQ(t.value(Macro::Prg), m.programFiles());
    EXPECT_EQ(t.value(Macro::Tmp), m.tmp());
    EXPECT_EQ(t.value(Macro::Smn), m.menu());
    EXPECT_EQ(t.value(Macro::Sta), m.menu());
    EXPECT_EQ(t.value(Macro::Dsk), m.desktop());
    EXPECT_EQ(t.value(Macro::Sup), m.autostart());
    EXPECT_EQ(t.value(Macro::Sen), m.dataHome() + "tovel-setup/sendto/");
    EXPECT_EQ(t.value(Macro::CSmn), m.menu());
    EXPECT_EQ(t.value(Macro::CSta), m.menu());
    EXPECT_EQ(t.value(Macro::CDsk), m.desktop());
    EXPECT_EQ(t.value(Macro::CSup), m.autostart());
    EXPECT_EQ(t.value(Macro::Boo), FileSystemRootOf(m.windows()));
    EXPECT_EQ(t.value(Macro::Edr), FileSystemRootOf(m.media()));
    EXPECT_TRUE(t.value(Macro::Boo).endsWith('/'));
    EXPECT_FALSE(t.hasValue(Macro::App));
    EXPECT_FALSE(t.hasValue(Macro::Set));
    EXPECT_TRUE(t.windowsFolderFound());
    EXPECT_TRUE(t.systemFolderFound());
}

TEST(FolderTable, XdgVariablesAndUserDirsAreHonoured)
{
    TestMachine m;
    Environment env = m.environment();
    env.dataHome = m.root() + "data";
    env.configHome = m.root() + "config";
    QDir().mkpath(m.root() + "config");
    testsupport::WriteBytes(m.root() + "config/user-dirs.dirs",
                            "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_MUSIC_DIR=\"/srv/music\"\n");
    const FolderTable t = FolderTable::Resolve(env, m.media(), nullptr);
    EXPECT_EQ(t.value(Macro::Win), m.root() + "data/tovel-setup/windows/");
    EXPECT_EQ(t.value(Macro::Sta), m.root() + "data/applications/");
    EXPECT_EQ(t.value(Macro::Sup), m.root() + "config/autostart/");
    EXPECT_EQ(t.value(Macro::Dsk), m.home() + "Schreibtisch/");
    EXPECT_EQ(env.userFolder("MUSIC"), "/srv/music/");
    EXPECT_EQ(env.userFolder("VIDEOS"), m.home() + "Videos/");

    // Relative XDG values are ignored, as the XDG rules say; XDG_DESKTOP_DIR wins.
    env.dataHome = "relative/data";
    env.desktopDir = m.root() + "desk";
    const FolderTable u = FolderTable::Resolve(env, m.media(), nullptr);
    EXPECT_EQ(u.value(Macro::Win), m.windows());
    EXPECT_EQ(u.value(Macro::Dsk), m.root() + "desk/");
}

TEST(FolderTable, CommonFoldersAreSystemWideOnlyForTheSuperuser)
{
    TestMachine m;
    Environment env = m.environment();
    env.systemWide = true;
    const FolderTable t = FolderTable::Resolve(env, m.media(), nullptr);
    EXPECT_EQ(t.value(Macro::CSta), "/usr/local/share/applications/");
    EXPECT_EQ(t.value(Macro::CSup), "/etc/xdg/autostart/");
    EXPECT_EQ(t.value(Macro::Sta), m.menu());
}

TEST(FolderTable, ProgramFilesComesFromTheRegistryWhenItNamesAFolder)
{
    TestMachine m;
    FileRegistry registry(m.scratch() + "reg.txt");
    const QString key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    ASSERT_TRUE(registry.setValue(RegRoot::LocalMachine, key, "ProgramFilesDir", RegValue::String(m.root() + "apps")));
    EXPECT_EQ(Table(m, &registry).value(Macro::Prg), m.programFiles()); // not a folder yet
    QDir().mkpath(m.root() + "apps");
    EXPECT_EQ(Table(m, &registry).value(Macro::Prg), m.root() + "apps/");
}

TEST(FolderTable, UnusableHomeMeansNoWindowsFolder)
{
    TestMachine m;
    Environment env = m.environment();
    env.home = "not/absolute";
    const FolderTable t = FolderTable::Resolve(env, m.media(), nullptr);
    EXPECT_FALSE(t.windowsFolderFound());
    EXPECT_FALSE(t.systemFolderFound());
    // A (Win) that exists as a file is no folder either.
    testsupport::WriteBytes(m.dataHome() + "tovel-setup", "file");
    EXPECT_FALSE(Table(m).windowsFolderFound());
}

TEST(MacroExpansion, InstallFolderFollowedBySeparatorGivesOneSeparator)
{
    TestMachine m;
    FolderTable t = Table(m);
    t.setInstallFolder("/opt/tools/");
    EXPECT_EQ(t.expand(u"(App)\\data"), "/opt/tools/data");
    EXPECT_EQ(t.expand(u"(App)/data"), "/opt/tools/data");
    EXPECT_EQ(t.expand(u"(app)\\data"), "/opt/tools/data");
    EXPECT_EQ(t.expand(u"(APP)data"), "/opt/tools/data");
    EXPECT_EQ(t.expand(u"(App)\\\\data"), "/opt/tools/\\data"); // only one separator is dropped
}

TEST(MacroExpansion, SeveralAndRepeatedMacrosAreAllReplaced)
{
    TestMachine m;
    FolderTable t = Table(m);
    t.setInstallFolder("/opt/tools/");
    EXPECT_EQ(t.expand(u"(App)\\a,(Win)\\b,(app)\\c,(Tmp)x"),
              "/opt/tools/a," + m.windows() + "b,/opt/tools/c," + m.tmp() + "x");
    EXPECT_EQ(t.expand(u"(C_Smn)\\x|(Smn)\\y"), m.menu() + "x|" + m.menu() + "y");
}

TEST(MacroExpansion, AppStaysLiteralUntilTheFolderIsFixed)
{
    TestMachine m;
    const FolderTable t = Table(m);
    EXPECT_EQ(t.expand(u"(App)\\x;(Set)"), "(App)\\x;(Set)");
    EXPECT_EQ(t.expand(u"(Prg)\\Tool\\"), m.programFiles() + "Tool\\");
}

TEST(MacroExpansion, SetIsTheRootOfTheInstallFoldersFileSystem)
{
    TestMachine m;
    FolderTable t = Table(m);
    t.setInstallFolder(m.programFiles() + "Tool/");
    EXPECT_EQ(t.value(Macro::Set), FileSystemRootOf(m.programFiles()));
    EXPECT_EQ(t.expand(u"(Set)\\x"), FileSystemRootOf(m.programFiles()) + "x");
}

TEST(MacroExpansion, MacrosAreReplacedInTheFixedOrder)
{
    // (App) comes first: a macro inside its value is not expanded again, and a later
    // macro written after it still is.
    TestMachine m;
    FolderTable t = Table(m);
    t.setInstallFolder("/opt/(Win)/(App)/");
    EXPECT_EQ(t.expand(u"(App)\\x (Win)"), "/opt/(Win)/(App)/x " + m.windows());
}

TEST(MacroExpansion, FolderNamedLikeAMacroCannotMakeExpansionRunAway)
{
    TestMachine m;
    FolderTable t = Table(m);
    t.setValue(Macro::Tmp, "/tmp/(Tmp)/");
    EXPECT_EQ(t.expand(u"(Tmp)(tmp)"), "/tmp/(Tmp)//tmp/(Tmp)/");
}

TEST(Protection, HomeXdgFoldersMountPointsAndEverythingAboveThemAreProtected)
{
    TestMachine m;
    const FolderTable t = Table(m);
    const Protection p(m.environment(), t);
    for (const QString& folder : {QStringLiteral("/"), m.home(), m.home() + "..", m.dataHome(), m.desktop(),
                                  m.home() + "Music/", m.home() + ".config/", m.home() + ".local/", m.programFiles(),
                                  m.menu(), m.windows(), m.tmp(), m.root()})
        EXPECT_TRUE(p.isProtected(folder)) << folder.toStdString();
    EXPECT_FALSE(p.isProtected(m.programFiles() + "Tool/"));
    EXPECT_FALSE(p.isProtected(m.home() + "apps/Tool"));
    EXPECT_FALSE(p.isProtected(m.menu() + "Tool Group/"));
}

TEST(Protection, LinksToProtectedFoldersAreProtectedToo)
{
    TestMachine m;
    const Protection p(m.environment(), Table(m));
    ASSERT_TRUE(QFile::link(m.home(), m.scratch() + "myhome"));
    EXPECT_TRUE(p.isProtected(m.scratch() + "myhome"));
}
