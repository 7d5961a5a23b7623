#include "installer/profiles.h"

#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "installer/tests/testhome.h"

#include <gtest/gtest.h>

using namespace installer;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

class ProfilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file(const char* name = "UNSETUP.INI") const { return dir.filePath(QString::fromLatin1(name)); }
    Profiles profiles;
};

TEST_F(ProfilesTest, ReadIniStringReadsValuesOfAnyLength)
{
    const QByteArray v255(255, 'a'), v256(256, 'b'), v300(300, 'c'), v70000(70000, 'd');
    WriteBytes(file(), "[A]\r\nv255=" + v255 + "\r\nv256=" + v256 + "\r\nv300=" + v300 + "\r\nlong=" + v70000 + "\r\n");
    EXPECT_EQ(profiles.read(file(), u"A", u"v255").toLatin1(), v255);
    EXPECT_EQ(profiles.read(file(), u"A", u"v256").toLatin1(), v256);
    EXPECT_EQ(profiles.read(file(), u"a", u"V300").toLatin1(), v300);
    EXPECT_EQ(profiles.read(file(), u"A", u"long").size(), 70000);
    EXPECT_EQ(profiles.read(file(), u"A", u"none", "dflt"), "dflt");
    EXPECT_EQ(profiles.read(file("missing.ini"), u"A", u"x", "dflt"), "dflt");
}

TEST_F(ProfilesTest, ChangesOnDiskAreSeenAndWritesGoThroughAtOnce)
{
    WriteBytes(file(), "[A]\nk=1\n");
    EXPECT_EQ(profiles.read(file(), u"A", u"k"), "1");
    WriteBytes(file(), "[A]\nk=22\n");
    EXPECT_EQ(profiles.read(file(), u"A", u"k"), "22");
    ASSERT_TRUE(profiles.write(file(), u"A", u"n", u"3"));
    EXPECT_EQ(ReadBytes(file()), QByteArray("[A]\nk=22\nn=3\n"));
    ASSERT_TRUE(profiles.removeSection(file(), u"a"));
    EXPECT_EQ(ReadBytes(file()), QByteArray(""));
}

TEST_F(ProfilesTest, DeferredWritesWaitForFlush)
{
    profiles.setDeferred(true);
    ASSERT_TRUE(profiles.write(file(), u"DeleteFile", u"File1", u"/a"));
    ASSERT_TRUE(profiles.write(file(), u"DeleteFile", u"File2", u"/b"));
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_EQ(profiles.read(file(), u"DeleteFile", u"File2"), "/b");
    ASSERT_TRUE(profiles.flush());
    EXPECT_EQ(ReadBytes(file()), QByteArray("[DeleteFile]\r\nFile1=/a\r\nFile2=/b\r\n"));
}

TEST_F(ProfilesTest, FailedFlushIsReported)
{
    profiles.setDeferred(true);
    const QString bad = dir.filePath("no/such/folder/UNSETUP.INI");
    ASSERT_TRUE(profiles.write(bad, u"A", u"k", u"1"));
    QString error;
    EXPECT_FALSE(profiles.flush(&error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(ProfilesTest, UnreadableFileIsNeverOverwritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(profiles.write(dir.filePath("folder.ini"), u"A", u"k", u"1"));
}

TEST_F(ProfilesTest, FindKeyNumberStopsAtTheFirstEmptyValueOrTheSameFirstField)
{
    WriteBytes(file(), "[DeleteFile]\nFile1=/app/a.txt\nFile2=/app/B.DLL,/S\nFile3=/app/c.txt\nFile5=/app/e.txt\n");
    EXPECT_EQ(FindKeyNumber(profiles, file(), "DeleteFile", "File", "/app/a.txt"), 1);
    EXPECT_EQ(FindKeyNumber(profiles, file(), "DeleteFile", "File", "/APP/b.dll,/R"), 2);
    EXPECT_EQ(FindKeyNumber(profiles, file(), "DeleteFile", "File", "/app/new.txt"), 4);
    // The gap at 4 ends the list: File5 is never compared.
    EXPECT_EQ(FindKeyNumber(profiles, file(), "DeleteFile", "File", "/app/e.txt"), 4);
    EXPECT_EQ(FindKeyNumber(profiles, file(), "Missing", "File", "/x"), 1);
}

TEST_F(ProfilesTest, KeyNumberIndexAgreesWithFindKeyNumberWhileAListIsWritten)
{
    WriteBytes(file(), "[DeleteFile]\nFile1=/app/a.txt\nFile2=/app/b.dll,/S\n");
    const QStringList entries = {"/app/c.txt", "/app/A.TXT", "/app/d.txt,/R", "/app/c.txt,/S", "/app/e.txt", "/app/b.dll"};
    Profiles reference;
    QTemporaryDir other;
    const QString copy = other.filePath("UNSETUP.INI");
    QFile::copy(file(), copy);
    KeyNumberIndex index(profiles, file(), "DeleteFile", "File");
    for (const QString& entry : entries) {
        const int expected = FindKeyNumber(reference, copy, "DeleteFile", "File", entry);
        const int n = index.find(entry);
        EXPECT_EQ(n, expected) << entry.toStdString();
        profiles.write(file(), u"DeleteFile", QStringLiteral("File%1").arg(n), entry);
        reference.write(copy, u"DeleteFile", QStringLiteral("File%1").arg(n), entry);
        index.written(n, entry);
    }
    EXPECT_EQ(ReadBytes(file()), QByteArray("[DeleteFile]\nFile1=/app/A.TXT\nFile2=/app/b.dll\nFile3=/app/c.txt,/S\n"
                                            "File4=/app/d.txt,/R\nFile5=/app/e.txt\n"));
}

TEST_F(ProfilesTest, PathListsCompareFirstFieldsWithTheirCase)
{
    WriteBytes(file(), "[DeleteFile]\nFile1=/app/a.txt\n");
    EXPECT_EQ(FindKeyNumber(profiles, file(), "DeleteFile", "File", "/app/A.TXT"), 1);
    EXPECT_EQ(FindKeyNumber(profiles, file(), "DeleteFile", "File", "/app/A.TXT", Qt::CaseSensitive), 2);
    KeyNumberIndex index(profiles, file(), "DeleteFile", "File", Qt::CaseSensitive);
    EXPECT_EQ(index.find("/app/A.TXT"), 2);
    EXPECT_EQ(index.find("/app/a.txt,/S"), 1);
}
