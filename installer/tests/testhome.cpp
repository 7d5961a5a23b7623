#include "installer/tests/testhome.h"

#include "installer/fileops.h"
#include "installer/operations.h"
#include "installer/registry.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace installertest {

namespace {
void Walk(const QString& base, const QString& relative, Listing& out)
{
    const QString folder = base + relative;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    QStringList names;
    while (const dirent* e = ::readdir(dir)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    ::closedir(dir);
    for (const QString& name : names) {
        const QString rel = relative + name;
        const QByteArray path = QFile::encodeName(base + rel);
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            continue;
        ListedEntry entry;
        entry.mode = int(st.st_mode & 07777);
        if (S_ISDIR(st.st_mode)) {
            entry.type = 'd';
            out[rel + QLatin1Char('/')] = entry;
            Walk(base, rel + QLatin1Char('/'), out);
        } else if (S_ISLNK(st.st_mode)) {
            entry.type = 'l';
            entry.content = QFile::encodeName(QFile::symLinkTarget(base + rel));
            entry.mode = 0;
            out[rel] = entry;
        } else {
            entry.type = 'f';
            QFile f(base + rel);
            if (f.open(QIODevice::ReadOnly))
                entry.content = f.readAll();
            out[rel] = entry;
        }
    }
}
} // namespace

Listing ListTree(const QString& folder)
{
    Listing out;
    Walk(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'), QString(), out);
    return out;
}

std::string DescribeDifference(const Listing& before, const Listing& after)
{
    std::ostringstream out;
    for (const auto& [path, entry] : before) {
        const auto it = after.find(path);
        if (it == after.end())
            out << "  gone:    " << path.toStdString() << "\n";
        else if (!(it->second == entry))
            out << "  changed: " << path.toStdString() << " (" << entry.type << " " << std::oct << entry.mode << " "
                << entry.content.size() << " bytes -> " << it->second.type << " " << it->second.mode << std::dec << " "
                << it->second.content.size() << " bytes)\n"
                << (entry.content.size() < 2000 ? "    before: " + entry.content.toStdString() + "\n    after:  "
                                                         + it->second.content.toStdString() + "\n"
                                                   : std::string());
    }
    for (const auto& [path, entry] : after)
        if (!before.count(path))
            out << "  new:     " << path.toStdString() << "\n";
    return out.str();
}

TestMachine::TestMachine()
{
    EXPECT_TRUE(dir_.isValid());
    for (const QString& folder : {home(), media(), tmp(), runtime(), scratch(), menu(), desktop(), autostart(), programFiles()})
        EXPECT_TRUE(QDir().mkpath(folder)) << folder.toStdString();
    ::chmod(QFile::encodeName(runtime()).constData(), 0700);
    testsupport::WriteBytes(programPath(), QByteArrayLiteral("#!/bin/sh\nexit 0\n"));
    ::chmod(QFile::encodeName(programPath()).constData(), 0755);
    opener = std::make_shared<RecordingOpener>();
    rebooter = std::make_shared<RecordingRebooter>();
    diskSpace = std::make_shared<FixedDiskSpace>();
    services_.opener = opener;
    services_.rebooter = rebooter;
    services_.diskSpace = diskSpace;
}

installer::Environment TestMachine::environment() const
{
    installer::Environment env;
    env.home = home();
    env.tempDir = tmp();
    env.runtimeDir = runtime();
    env.systemWide = false;
    return env;
}

QProcessEnvironment TestMachine::processEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_DESKTOP_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home());
    env.insert(QStringLiteral("TMPDIR"), tmp());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
    return env;
}

void TestMachine::writeDefinition(const QString& text, const QString& name)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    writeMedia(name, testsupport::Sjis(crlf.toUtf8().constData()));
}

QString TestMachine::writeMedia(const QString& name, const QByteArray& bytes)
{
    const QString path = media() + name;
    testsupport::WriteBytes(path, bytes);
    return path;
}

std::unique_ptr<installer::Session> TestMachine::start(const QStringList& arguments)
{
    installer::StartOptions options;
    options.environment = environment();
    options.arguments = arguments;
    options.programPath = programPath();
    options.services = services_;
    return installer::Session::Start(options);
}

bool RecordingOpener::open(const QString& file, const QString& parameters, QString* error)
{
    opened << file + QLatin1Char('|') + parameters;
    if (!succeed && error)
        *error = QStringLiteral("refused by the test");
    return succeed;
}

void ScriptedFrontEnd::showStatus(const QString& text)
{
    statuses << text;
    if (!abortAtStatus.isEmpty() && text.contains(abortAtStatus))
        aborted = true;
}

void ScriptedFrontEnd::setProgress(int percent, int processed, int total)
{
    progress << QStringLiteral("%1%(%2/%3)").arg(percent).arg(processed).arg(total);
}

bool ScriptedFrontEnd::abortRequested()
{
    return aborted;
}

void ScriptedFrontEnd::pause(int milliseconds, installer::PauseKind kind)
{
    pauses.emplace_back(milliseconds, kind);
}

installer::Answer ScriptedFrontEnd::ask(const installer::Message& message)
{
    asked.push_back(message);
    if (onAsk)
        onAsk(message);
    if (message.buttons == installer::Buttons::Ok)
        return installer::Answer::Ok;
    auto it = answers.find(message.prompt);
    if (it != answers.end() && !it->second.empty()) {
        const installer::Answer answer = it->second.front();
        it->second.pop_front();
        return answer;
    }
    return message.buttons == installer::Buttons::YesNo ? installer::Answer::Yes : installer::Answer::Ok;
}

installer::SharedFileAnswer ScriptedFrontEnd::askSharedFile(const QString& text)
{
    sharedTexts << text;
    if (!sharedAnswers.empty()) {
        const auto answer = sharedAnswers.front();
        sharedAnswers.pop_front();
        return answer;
    }
    return sharedDefault;
}

void ScriptedFrontEnd::showErrorDetails(const QString& caption, const QString& log)
{
    errorDetails << caption + QLatin1Char('\n') + log;
    events << QStringLiteral("errorDetails");
}

std::vector<installer::Message> ScriptedFrontEnd::askedWith(installer::Prompt prompt) const
{
    std::vector<installer::Message> out;
    for (const auto& m : asked)
        if (m.prompt == prompt)
            out.push_back(m);
    return out;
}

QByteArray MakeSzdd(const QByteArray& data, char missingChar)
{
    QByteArray out("SZDD\x88\xF0\x27\x33", 8);
    out.append('A');
    out.append(missingChar);
    const quint32 length = quint32(data.size());
    for (int i = 0; i < 4; ++i)
        out.append(char((length >> (8 * i)) & 0xFF));
    // Every control byte 0xFF: eight literal bytes follow.
    for (qsizetype i = 0; i < data.size(); i += 8) {
        out.append(char(0xFF));
        out.append(data.mid(i, 8));
    }
    return out;
}

QString Mscompress(const QString& path)
{
    QProcess process;
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    process.start(QStringLiteral("/usr/bin/mscompress"), {QFileInfo(path).fileName()});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QString compressed = path + QLatin1Char('_');
    return QFile::exists(compressed) ? compressed : QString();
}

QByteArray Payload(int seed, qsizetype size)
{
    QRandomGenerator random(quint32(seed + 1));
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

FullPayload WriteFullPayload(TestMachine& m, const QString& uninstallOption)
{
    FullPayload payload;
    payload.app = m.programFiles() + QStringLiteral("Tovel Tool/");
    payload.serverLog = m.scratch() + QStringLiteral("server.log");
    qputenv("TOVEL_TESTSERVER_LOG", QFile::encodeName(payload.serverLog));

    m.writeMedia(QStringLiteral("readme.txt"), testsupport::Sjis("お読みください\r\n"));
    m.writeMedia(QStringLiteral("data.txt"), QByteArray("data line\n").repeated(300));
    Mscompress(m.media() + QStringLiteral("data.txt"));
    QFile::remove(m.media() + QStringLiteral("data.txt"));
    m.writeMedia(QStringLiteral("notes.tx_"), MakeSzdd("notes from disk 2", 'T'));
    m.writeMedia(QStringLiteral("manual.tx_"), MakeSzdd("the manual", 0));
    const QString tool = m.writeMedia(QStringLiteral("tool.sh"), "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                    | QFileDevice::ExeOther);
    m.writeMedia(QStringLiteral("shared.dll"), "a shared library");
    QFile::copy(QStringLiteral(TESTSERVER_PATH), m.media() + QStringLiteral("server.dll"));
    QFile::copy(QStringLiteral(TESTSERVER_PATH), m.media() + QStringLiteral("common.ocx"));
    m.writeMedia(QStringLiteral("later.dat"), "never copied");

    // Left by another installation: the same shared library with its count, and the
    // usual association of ".txt".
    QDir().mkpath(m.system());
    QFile::copy(m.media() + QStringLiteral("common.ocx"), m.system() + QStringLiteral("common.ocx"));
    const auto time = installer::fs::ModificationTime(m.media() + QStringLiteral("common.ocx"));
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time.value_or(0) / 1000000000, time.value_or(0) % 1000000000}};
    ::utimensat(AT_FDCWD, QFile::encodeName(m.system() + QStringLiteral("common.ocx")).constData(), times, 0);
    installer::FileRegistry registry(m.windows() + QStringLiteral("registry.txt"));
    registry.setValue(installer::RegRoot::ClassesRoot, QStringLiteral(".txt"), {}, installer::RegValue::String(QStringLiteral("txtfile")));
    registry.setValue(installer::RegRoot::ClassesRoot, QStringLiteral("txtfile"), {},
                      installer::RegValue::String(QStringLiteral("Text Document")));
    registry.setValue(installer::RegRoot::LocalMachine, installer::SharedDllsKey(), m.system() + QStringLiteral("common.ocx"),
                      installer::RegValue::Dword(1));

    QString definition = QStringLiteral(R"([Title]
Setup=Tovel Tool
UnSetup=Tovel Tool
Program=Tovel Tool
UnSetupKey=TovelTool
UnSetupDisplay=Tovel Tool 1.0
[ProgramID]
ID=TovelTool
[Extend]
SetupSpeed=1
UnSetupOption=@OPTION@
[DefaultFolder]
Folder=(Prg)\Tovel Tool
[MakeFolder]
Folder1=(App)\doc
Folder2=(App)\bin
Folder3=(App)\data
Folder4=(App)\cache
[CopyFile]
File1=(App)\readme.txt
File2=(App)\data.txt_
File3=(Dch)(App)\doc\notes.tx_
File4=(App)\bin\tool.sh|\run.sh
File5=(App)\doc\manual.tx_|\manual.txt
File6=(Sys)\shared.dll,/S
File7=(App)\server.dll,/R
File8=(Sys)\common.ocx,/S/R
File9=(App)\later.dat,/W
[ShortCut]
Make1=(App)\bin\run.sh,--fast
Name1=Default
Make2=(App)\readme.txt
Name2=(Dsk)\Tovel Readme
Make3=(App)\bin\run.sh,--startup
Name3=(Sup)\Tovel Tool
Make4=(App)\bin\run.sh
Name4=(Sen)\Tovel Tool
Make5=(App)\bin\run.sh
Name5=(Sta)\Tovel Group\Tovel Tool,(App)\data
[Registry]
Key1=(Cuser)Software\Tovel\Tool
Name1=Folder
Value1=(Str)(App)(Pdd)
Key2=(Cuser)Software\Tovel\Tool
Name2=Count
Value2=(Int)42
Key3=(Cuser)Software\Tovel\Tool
Name3=Flags
Value3=(Dwd)7
Key4=(Cuser)Software\Tovel\Tool
Name4=Mask
Value4=(Bin)ff
Key5=(Cuser)Software\Tovel\Tool
Name5=Bin
Value5=(Exp)(App)\bin
Key6=(Cuser)Software\Tovel\Tool
Name6=
Value6=plain text
Key7=(Local)SOFTWARE\Tovel\Tool\Empty
Name7=
Value7=
Key8=(Users).DEFAULT\Software\Tovel
Name8=User
Value8=(Str)yes
Key9=(Class)TovelTool.Document
Name9=
Value9=(Str)Tovel Document
[IniFile]
Data1=Main,Folder,(App),(App)\tool.ini
Data2=Main,Name,Tovel Tool,(App)\tool.ini
[Relate]
Name1=tvl,Tovel Document
File1=open,(App)\bin\run.sh,"%1",,0
Name3=txt
File3=edit,(App)\bin\run.sh,--edit,"%1",1
[DeleteRegistry]
Key1=(Cuser)Software\Tovel
Key2=(Local)SOFTWARE\Tovel
Key3=(Users).DEFAULT\Software\Tovel
Key4=(Class)TovelTool.Document
[AddDeleteFile]
File1=(App)\cache\*.tmp
File2=(App)\log.txt
[ExecuteFile]
File=(App)\bin\run.sh,--first-run
)");
    m.writeDefinition(definition.replace(QStringLiteral("@OPTION@"), uninstallOption));
    return payload;
}

void SimulateProgramUse(const FullPayload& payload)
{
    testsupport::WriteBytes(payload.app + QStringLiteral("later.dat"), "made by the program");
    testsupport::WriteBytes(payload.app + QStringLiteral("cache/a.tmp"), "cache");
    testsupport::WriteBytes(payload.app + QStringLiteral("cache/B.TMP"), "cache");
    testsupport::WriteBytes(payload.app + QStringLiteral("log.txt"), "log");
    testsupport::WriteBytes(payload.app + QStringLiteral("TOOL.GID"), "help index");
}

} // namespace installertest
