#include "installer/services.h"

#include "installer/fileops.h"
#include "installer/tests/testhome.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace installer;
using installertest::TestMachine;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

class SzddTest : public ::testing::Test {
protected:
    TestMachine m;
    SzddExpander expander;
    QString out() const
    {
        const QString path = m.scratch() + "out";
        WriteBytes(path, "");
        return path;
    }
};

TEST_F(SzddTest, FilesMadeByMscompressExpandToTheOriginal)
{
    const QByteArray original = QByteArray("hello hello hello world\n").repeated(500) + installertest::Payload(3, 5000);
    const QString plain = m.scratch() + "readme.txt";
    WriteBytes(plain, original);
    const QString compressed = installertest::Mscompress(plain);
    ASSERT_FALSE(compressed.isEmpty()) << "mscompress (scripts/deps.sh) is needed";
    EXPECT_LT(QFileInfo(compressed).size(), original.size());
    const QString target = out();
    const auto result = expander.expand(compressed, target);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(ReadBytes(target), original);
    EXPECT_EQ(result.missingChar, 0);
}

TEST_F(SzddTest, HeaderKeepsTheMissingCharacterOfTheName)
{
    const QString compressed = m.scratch() + "NOTES.TX_";
    WriteBytes(compressed, installertest::MakeSzdd("note text", 'T'));
    const QString target = out();
    const auto result = expander.expand(compressed, target);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.missingChar, 'T');
    EXPECT_EQ(ReadBytes(target), QByteArray("note text"));
    EXPECT_EQ(ExpandedName("NOTES.TX_", 'T'), "NOTES.TXT");
    EXPECT_EQ(ExpandedName("notes.tx_", 't'), "NOTES.TXT");
    EXPECT_EQ(ExpandedName("readme.txt_", 0), "README.TXT");
    EXPECT_EQ(ExpandedName("plain.txt", 0), "PLAIN.TXT");
}

TEST_F(SzddTest, StreamLongerThanItsHeaderIsAnErrorAndNeverWrittenBeyondIt)
{
    QByteArray szdd = installertest::MakeSzdd("0123456789abcdef", 'X');
    // The header claims 10 bytes; the stream holds 16: damaged, not a 10-byte file.
    szdd[10] = 10;
    const QString compressed = m.scratch() + "long.da_";
    WriteBytes(compressed, szdd);
    const QString target = out();
    const auto result = expander.expand(compressed, target);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QString::fromUtf8("圧縮ファイルが壊れています．"));
    EXPECT_EQ(ReadBytes(target), QByteArray("0123456789"));
}

TEST_F(SzddTest, StreamShorterThanItsHeaderIsAnError)
{
    QByteArray szdd = installertest::MakeSzdd("0123456789", 'X');
    szdd[10] = 100;
    const QString compressed = m.scratch() + "short.da_";
    WriteBytes(compressed, szdd);
    const auto result = expander.expand(compressed, out());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.message.isEmpty());
}

TEST_F(SzddTest, UncompressedAndMissingFilesAreRecognised)
{
    WriteBytes(m.scratch() + "plain.tx_", "just text");
    const auto plain = expander.expand(m.scratch() + "plain.tx_", out());
    EXPECT_FALSE(plain.ok);
    EXPECT_TRUE(plain.notCompressed);
    const auto missing = expander.expand(m.scratch() + "none.tx_", out());
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.notCompressed);
    EXPECT_FALSE(missing.message.isEmpty());
}

TEST_F(SzddTest, EveryTruncationOfAFileIsRefusedCleanly)
{
    const QByteArray full = installertest::MakeSzdd(QByteArray("abcdefgh").repeated(8), 'Z');
    for (qsizetype n = 0; n < full.size(); ++n) {
        const QString compressed = m.scratch() + "cut.da_";
        WriteBytes(compressed, full.left(n));
        const auto result = expander.expand(compressed, out());
        EXPECT_FALSE(result.ok) << "prefix of " << n << " bytes";
    }
}

TEST(DesktopEntries, ExecLineQuotesArgumentsAsTheDesktopRulesSay)
{
    EXPECT_EQ(DesktopExecLine("/opt/tool/run", ""), "/opt/tool/run");
    EXPECT_EQ(DesktopExecLine("/opt/my tool/run", "-x \"two words\" 100%"),
              "\"/opt/my tool/run\" -x \"two words\" 100%%");
    EXPECT_EQ(DesktopExecLine("/opt/run", "$HOME a\\b"), "/opt/run \"\\$HOME\" \"a\\\\b\"");
    EXPECT_EQ(SplitCommandLine(" a  \"b c\" \"\" d"), (QStringList{"a", "b c", "", "d"}));
}

TEST(DesktopEntries, WrittenEntryNamesProgramFolderAndArguments)
{
    TestMachine m;
    DesktopEntryWriter writer;
    const QString program = m.scratch() + "run.sh";
    WriteBytes(program, "#!/bin/sh\n");
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString file = writer.fileFor(m.menu() + "Tool Group/Tool");
    EXPECT_EQ(file, m.menu() + "Tool Group/Tool.desktop");
    QDir().mkpath(m.menu() + "Tool Group");
    ASSERT_EQ(writer.write(file, program, m.scratch(), "--fast"), 0);
    EXPECT_EQ(QString::fromUtf8(ReadBytes(file)), "[Desktop Entry]\nType=Application\nName=Tool\nExec=" + program
                                                      + " --fast\nPath=" + m.scratch().chopped(1) + "\n");
    EXPECT_TRUE(QFileInfo(file).isExecutable());
}

TEST(DesktopEntries, DocumentTargetsAreOpenedWithTheDesktopsApplication)
{
    TestMachine m;
    DesktopEntryWriter writer;
    const QString doc = m.scratch() + "read me.txt";
    WriteBytes(doc, "text");
    const QString file = m.scratch() + "Readme.desktop";
    ASSERT_EQ(writer.write(file, doc, m.scratch(), ""), 0);
    const QString text = QString::fromUtf8(ReadBytes(file));
    EXPECT_TRUE(text.contains("xdg-open \"" + doc + "\"\n")) << text.toStdString();
}

TEST(Servers, RegistrationCallsTheLibrarysEntryPoints)
{
    TestMachine m;
    const QString log = m.scratch() + "calls.log";
    qputenv("TOVEL_TESTSERVER_LOG", QFile::encodeName(log));
    const QString copy = m.scratch() + "server.dll";
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESTSERVER_PATH), copy));
    DlopenRegistrar registrar;
    EXPECT_EQ(registrar.call(copy, true), ServerRegistrar::Result::Ok);
    EXPECT_EQ(registrar.call(copy, false), ServerRegistrar::Result::Ok);
    EXPECT_EQ(ReadBytes(log), QFile::encodeName("register " + copy + "\nunregister " + copy + "\n"));
    qputenv("TOVEL_TESTSERVER_FAIL", "1");
    EXPECT_EQ(registrar.call(copy, true), ServerRegistrar::Result::Failed);
    qunsetenv("TOVEL_TESTSERVER_FAIL");
    qunsetenv("TOVEL_TESTSERVER_LOG");
    EXPECT_EQ(registrar.call(QStringLiteral(NOENTRY_PATH), true), ServerRegistrar::Result::EntryMissing);
    WriteBytes(m.scratch() + "fake.dll", "not a library");
    EXPECT_EQ(registrar.call(m.scratch() + "fake.dll", true), ServerRegistrar::Result::LoadFailed);
    EXPECT_EQ(registrar.call(m.scratch() + "none.dll", true), ServerRegistrar::Result::LoadFailed);
}

TEST(DiskSpaceQuery, FreeSpaceOfAFolderNotYetCreated)
{
    TestMachine m;
    StatvfsDiskSpace space;
    const qint64 free = space.freeBytes(m.programFiles() + "Tool/sub/");
    EXPECT_GT(free, 0);
    EXPECT_EQ(space.freeBytes("relative/path"), -1);
}

TEST(Helpers, SystemProgramsAreFoundByAbsolutePathOnly)
{
    const QString sh = FindSystemProgram("sh");
    EXPECT_TRUE(sh.startsWith('/'));
    EXPECT_TRUE(FindSystemProgram("no-such-program-here").isEmpty());
}

TEST(SingleInstance, SecondLockFailsUntilTheFirstIsReleased)
{
    TestMachine m;
    auto first = std::make_unique<InstanceLock>(m.environment());
    EXPECT_EQ(first->path(), m.runtime() + "TOVSETUP.lock");
    ASSERT_TRUE(first->tryLock());
    // A second installer runs in another process: QLockFile only refuses across processes.
    QProcess other;
    other.setProcessEnvironment(m.processEnvironment());
    other.start(QStringLiteral(SETUP_PROGRAM_PATH), {"--silent"});
    ASSERT_TRUE(other.waitForFinished(30000));
    EXPECT_EQ(other.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(other.readAllStandardError()).contains("another setup is running"));
    first.reset();
    EXPECT_FALSE(QFile::exists(m.runtime() + "TOVSETUP.lock"));
}

TEST(DesktopOpening, ProgramsStartAndMissingFilesFail)
{
    TestMachine m;
    const QString marker = m.scratch() + "marker";
    const QString script = m.scratch() + "post.sh";
    WriteBytes(script, "#!/bin/sh\necho \"$1\" > \"$2\"\n");
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    DesktopOpener opener;
    QString error;
    ASSERT_TRUE(opener.open(script, "done \"" + marker + "\"", &error)) << error.toStdString();
    for (int i = 0; i < 500 && QFileInfo(marker).size() == 0; ++i)
        QThread::msleep(10);
    EXPECT_EQ(ReadBytes(marker), QByteArray("done\n"));
    EXPECT_FALSE(opener.open(m.scratch() + "none", "", &error));
    EXPECT_FALSE(error.isEmpty());
}
