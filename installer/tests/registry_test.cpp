#include "installer/registry.h"

#include "testing/testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include "installer/tests/testhome.h"

#include <gtest/gtest.h>

using namespace installer;

class RegistryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString store() const { return dir.filePath("windows/registry.txt"); }
};

TEST_F(RegistryTest, ValuesOfEveryTypeSurviveAReload)
{
    {
        FileRegistry reg(store());
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Tovel", "Str", RegValue::String("a \"quoted\" \\ text")));
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Tovel", "Exp", RegValue::Expand("%HOME%/bin")));
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Tovel", "Dw", RegValue::Dword(0xFFFFFFFF)));
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Tovel", "Bin", RegValue::Binary(QByteArray("\xff\0\0\0", 4))));
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Tovel", "", RegValue::String(QString::fromUtf8("既定 ✓"))));
        ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, "MIME\\text/plain", "Line", RegValue::String("two\nlines\t")));
        // A byte CP932 could not decode is kept as a lone surrogate and must survive.
        ASSERT_TRUE(reg.setValue(RegRoot::Users, "x", "raw", RegValue::String(QString(QChar(0xDC80 + 0xA0)))));
    }
    FileRegistry again(store());
    EXPECT_EQ(again.value(RegRoot::CurrentUser, "software\\TOVEL", "str"), RegValue::String("a \"quoted\" \\ text"));
    EXPECT_EQ(again.value(RegRoot::CurrentUser, "Software\\Tovel", "Exp"), RegValue::Expand("%HOME%/bin"));
    EXPECT_EQ(again.value(RegRoot::CurrentUser, "Software\\Tovel", "Dw"), RegValue::Dword(0xFFFFFFFF));
    EXPECT_EQ(again.value(RegRoot::CurrentUser, "Software\\Tovel", "Bin"), RegValue::Binary(QByteArray("\xff\0\0\0", 4)));
    EXPECT_EQ(again.value(RegRoot::CurrentUser, "Software\\Tovel", ""), RegValue::String(QString::fromUtf8("既定 ✓")));
    EXPECT_EQ(again.value(RegRoot::ClassesRoot, "MIME\\text/plain", "line"), RegValue::String("two\nlines\t"));
    EXPECT_EQ(again.value(RegRoot::Users, "x", "raw"), RegValue::String(QString(QChar(0xDC80 + 0xA0))));
    EXPECT_EQ(again.subKeys(RegRoot::ClassesRoot, "MIME"), QStringList{"text/plain"});
    EXPECT_EQ(again.stringValue(RegRoot::CurrentUser, "Software\\Tovel", "Dw"), "4294967295");
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    FileRegistry reg(store());
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "SOFTWARE\\Tovel", "Count", RegValue::Dword(1)));
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "software\\tovel", "COUNT", RegValue::Dword(2)));
    EXPECT_EQ(reg.subKeys(RegRoot::LocalMachine, ""), QStringList{"SOFTWARE"});
    EXPECT_EQ(reg.valueNames(RegRoot::LocalMachine, "SOFTWARE\\Tovel"), QStringList{"Count"});
    EXPECT_EQ(reg.value(RegRoot::LocalMachine, "Software\\Tovel", "count"), RegValue::Dword(2));
    EXPECT_TRUE(reg.keyExists(RegRoot::LocalMachine, "\\software\\TOVEL\\"));
    EXPECT_FALSE(reg.keyExists(RegRoot::CurrentUser, "software\\tovel"));
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubtreeAndPrunesEmptyParents)
{
    FileRegistry reg(store());
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, "tvl_auto_file\\shell\\open\\command", "", RegValue::String("run %1")));
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, "tvl_auto_file", "", RegValue::String("Tovel")));
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "SOFTWARE\\A\\B\\Uninstall\\Tool", "DisplayName", RegValue::String("Tool")));
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "SOFTWARE\\Keep", "v", RegValue::Dword(1)));
    ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, "Software\\Empty"));

    EXPECT_TRUE(reg.deleteKey(RegRoot::ClassesRoot, "tvl_auto_file"));
    EXPECT_FALSE(reg.keyExists(RegRoot::ClassesRoot, "tvl_auto_file\\shell"));
    EXPECT_TRUE(reg.deleteKey(RegRoot::LocalMachine, "SOFTWARE\\A\\B\\Uninstall\\Tool"));
    EXPECT_FALSE(reg.keyExists(RegRoot::LocalMachine, "SOFTWARE\\A"));
    EXPECT_TRUE(reg.keyExists(RegRoot::LocalMachine, "SOFTWARE\\Keep"));
    // A key created on purpose stays although it is empty.
    EXPECT_TRUE(FileRegistry(store()).keyExists(RegRoot::CurrentUser, "Software\\Empty"));
    EXPECT_FALSE(reg.deleteKey(RegRoot::CurrentUser, ""));
    EXPECT_FALSE(reg.deleteKey(RegRoot::CurrentUser, "Nothing"));
}

TEST_F(RegistryTest, DeletingTheLastValuePrunesTheKey)
{
    FileRegistry reg(store());
    const QString key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, key, "/x/a.dll", RegValue::Dword(1)));
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, key, "/x/b.dll", RegValue::Dword(2)));
    EXPECT_TRUE(reg.deleteValue(RegRoot::LocalMachine, key, "/X/A.DLL"));
    EXPECT_FALSE(reg.deleteValue(RegRoot::LocalMachine, key, "/x/a.dll"));
    EXPECT_TRUE(reg.keyExists(RegRoot::LocalMachine, key));
    EXPECT_TRUE(reg.deleteValue(RegRoot::LocalMachine, key, "/x/b.dll"));
    EXPECT_FALSE(reg.keyExists(RegRoot::LocalMachine, "SOFTWARE"));
}

TEST_F(RegistryTest, EmptyRegistryLeavesNoStoreAndAnUndoRestoresTheBytes)
{
    FileRegistry reg(store());
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, ".txt", "", RegValue::String("txtfile")));
    const QByteArray before = testsupport::ReadBytes(store());
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, ".txt", "", RegValue::String("txt_auto_file")));
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, "txt_auto_file\\shell\\open\\command", "", RegValue::String("x")));
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "SOFTWARE\\T", "n", RegValue::Dword(3)));
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, ".txt", "", RegValue::String("txtfile")));
    ASSERT_TRUE(reg.deleteKey(RegRoot::ClassesRoot, "txt_auto_file"));
    ASSERT_TRUE(reg.deleteKey(RegRoot::LocalMachine, "SOFTWARE\\T"));
    EXPECT_EQ(testsupport::ReadBytes(store()), before);
    ASSERT_TRUE(reg.deleteKey(RegRoot::ClassesRoot, ".txt"));
    EXPECT_FALSE(QFile::exists(store()));
}

TEST_F(RegistryTest, ChangesMadeByAnotherProcessAreSeen)
{
    FileRegistry a(store());
    FileRegistry b(store());
    ASSERT_TRUE(a.setValue(RegRoot::CurrentUser, "k", "v", RegValue::Dword(1)));
    EXPECT_EQ(b.value(RegRoot::CurrentUser, "k", "v"), RegValue::Dword(1));
    ASSERT_TRUE(b.setValue(RegRoot::CurrentUser, "k", "w", RegValue::Dword(2)));
    EXPECT_EQ(a.valueNames(RegRoot::CurrentUser, "k"), (QStringList{"v", "w"}));
}

TEST_F(RegistryTest, DamagedStoreIsNeitherReadNorOverwritten)
{
    QDir().mkpath(dir.filePath("windows"));
    const QByteArray damaged = "Tovel! Setup registry 1\n[HKEY_CURRENT_USER\\x]\n\"v\"=dword:zz\n";
    testsupport::WriteBytes(store(), damaged);
    FileRegistry reg(store());
    EXPECT_FALSE(reg.value(RegRoot::CurrentUser, "x", "v").has_value());
    EXPECT_FALSE(reg.setValue(RegRoot::CurrentUser, "x", "v", RegValue::Dword(1)));
    EXPECT_FALSE(reg.lastError().isEmpty());
    EXPECT_EQ(testsupport::ReadBytes(store()), damaged);
    testsupport::WriteBytes(store(), "some other file\n");
    EXPECT_FALSE(reg.keyExists(RegRoot::CurrentUser, "x"));
}

TEST_F(RegistryTest, StoreTextIsOrderedAndReadable)
{
    FileRegistry reg(store());
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "B", "z", RegValue::Dword(42)));
    ASSERT_TRUE(reg.setValue(RegRoot::LocalMachine, "a", "y", RegValue::Binary(QByteArray("\x01\xab", 2))));
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, ".tvl", "", RegValue::String("tvl_auto_file")));
    ASSERT_TRUE(reg.createKey(RegRoot::Users, "empty\\key"));
    EXPECT_EQ(testsupport::ReadBytes(store()), QByteArray("Tovel! Setup registry 1\n"
                                                          "[HKEY_CLASSES_ROOT\\.tvl]\n"
                                                          "@=str:\"tvl_auto_file\"\n"
                                                          "[HKEY_LOCAL_MACHINE\\a]\n"
                                                          "\"y\"=hex:01,ab\n"
                                                          "[HKEY_LOCAL_MACHINE\\B]\n"
                                                          "\"z\"=dword:0000002a\n"
                                                          "[HKEY_USERS\\empty\\key]\n"));
}
