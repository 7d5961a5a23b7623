#include "installer/session.h"

#include "installer/fileops.h"
#include "installer/operations.h"
#include "installer/registry.h"
#include "installer/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef MWEX_VERSION_TEXT
#define MWEX_VERSION_TEXT "0.0.0.0"
#endif

namespace installer {
namespace {

const QString kUnsetupIni = QStringLiteral("UNSETUP.INI");
const QString kSetupIni = QStringLiteral("SETUP.INI");

/// A folder that this user owns and that is not a symbolic link.
bool IsOwnFolder(const QString& folder)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(WithoutTrailingSeparator(folder)).constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && st.st_uid == ::getuid();
}

/// As the superuser, an uninstall definition that another user owns or may change would
/// let that user choose what is deleted: it is refused.
QString UnsafeDefinitionReason(const QString& path)
{
    if (::geteuid() != 0)
        return {};
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {}; // missing: the copy fails and says so
    if (st.st_uid != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("【致命的エラー  →  iniファイルの所有者または書き込み権限が安全ではありません】");
    return {};
}

/// A definition is an INI text: a file over the loader's limit or with NUL bytes (a
/// binary file) is not read as an empty definition.
bool ReadableDefinition(const QString& path)
{
    common::IniDocument doc;
    if (!common::LoadIniFile(path, doc))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return !file.readAll().contains('\0');
}

} // namespace

QString ProgramVersion()
{
    return QStringLiteral(MWEX_VERSION_TEXT);
}

Mode ModeOfArgument(const QString& firstArgument)
{
    return FileNameOf(firstArgument) == kUnsetupIni ? Mode::Unsetup : Mode::Setup;
}

QString CreateWorkFolder(const QString& tempFolder, bool* created)
{
    if (created)
        *created = true;
    const QString tmp = WithTrailingSeparator(tempFolder);
    for (int n = 1; n <= 99; ++n) {
        const QString candidate = tmp + QStringLiteral("TSTMP%1/").arg(n);
        if (fs::Exists(candidate))
            continue;
        fs::ReportMutation(candidate, "mkdir");
        // Created exclusively and private: another user cannot plant anything in it.
        if (::mkdir(QFile::encodeName(WithoutTrailingSeparator(candidate)).constData(), 0700) == 0)
            return candidate;
        if (errno != EEXIST) {
            // A missing temporary folder: create its levels once, then try again.
            if (!fs::CreateFolderPath(tmp))
                return {};
            if (::mkdir(QFile::encodeName(WithoutTrailingSeparator(candidate)).constData(), 0700) == 0)
                return candidate;
        }
    }
    const QString last = tmp + QStringLiteral("TSTMP99/");
    if (created)
        *created = false;
    return IsOwnFolder(last) ? last : QString();
}

std::unique_ptr<Session> Session::Start(StartOptions options)
{
    std::unique_ptr<Session> s(new Session);
    s->env_ = options.environment;
    s->services_ = std::move(options.services);
    s->services_.completeWithReal(s->env_);

    s->sourceFolder_ = options.sourceFolder.isEmpty() ? FolderOf(QFileInfo(options.programPath).absoluteFilePath())
                                                      : WithTrailingSeparator(CleanFolder(options.sourceFolder));
    s->folders_ = FolderTable::Resolve(s->env_, s->sourceFolder_, s->services_.registry.get());
    if (!s->folders_.windowsFolderFound())
        s->fatal_ << QStringLiteral("【致命的エラー  →  Windowsフォルダ取得失敗】");
    if (!s->folders_.systemFolderFound())
        s->fatal_ << QStringLiteral("【致命的エラー  →  WindowsSystemフォルダ取得失敗】");

    const QString first = options.arguments.value(0);
    s->mode_ = ModeOfArgument(first);

    s->workFolder_ = CreateWorkFolder(s->folders_.value(Macro::Tmp), &s->workFolderCreated_);
    if (!s->workFolder_.isEmpty()) {
        if (!options.programPath.isEmpty())
            CopyWithAttributes(options.programPath, s->workFolder_ + QStringLiteral("SETUPB.EXE"));
        if (s->uninstalling()) {
            s->definitionPath_ = s->workFolder_ + kUnsetupIni;
            const QString given = QFileInfo(NativePath(first)).absoluteFilePath();
            if (const QString why = UnsafeDefinitionReason(given); !why.isEmpty())
                s->fatal_ << why;
            else
                CopyWithAttributes(given, s->definitionPath_);
        } else {
            s->definitionPath_ = s->workFolder_ + kSetupIni;
            const QString source = s->sourceFolder_ + kSetupIni;
            if (fs::IsFile(source))
                CopyWithAttributes(source, s->definitionPath_);
        }
    }
    if (s->definitionPath_.isEmpty() || !fs::IsFile(s->definitionPath_) || !ReadableDefinition(s->definitionPath_))
        s->fatal_ << QStringLiteral("【致命的エラー  →  iniファイル読み込み失敗】");
    if (s->fatal_.isEmpty()) {
        s->profiles_.pin(s->definitionPath_);
        s->readDefinition();
    }
    return s;
}

QString Session::fatalText() const
{
    QString text;
    for (const QString& line : fatal_)
        text += line + QLatin1Char('\n');
    return text + QStringLiteral("\n処理は続行できません．");
}

QString Session::read(QStringView section, QStringView key, const QString& fallback)
{
    if (definitionPath_.isEmpty())
        return fallback;
    return profiles_.read(definitionPath_, section, key, fallback);
}

QStringList Session::readList(QStringView section, QStringView prefix)
{
    QStringList values;
    for (int n = 1;; ++n) {
        const QString value = read(section, prefix.toString() + QString::number(n));
        if (value.isEmpty())
            return values;
        values << value;
    }
}

QString Session::absolutePath(QStringView text) const
{
    const QString path = NativePath(text);
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return path;
    return sourceFolder_ + path;
}

void Session::readDefinition()
{
    setupWord_ = read(u"Extend", u"SetupString", QStringLiteral("インストール"));
    uninstallWord_ = read(u"Extend", u"UnSetupString", QStringLiteral("アンインストール"));
    copyRight1_ = read(u"Title", u"CopyRight1");
    copyRight2_ = read(u"Title", u"CopyRight2");
    const qint64 speed = LeadingInteger(read(u"Extend", u"SetupSpeed", QStringLiteral("350")));
    stepPause_ = int(std::clamp<qint64>(speed, 1, std::numeric_limits<int>::max()));
    setupTitle_ = read(u"Title", u"Setup", QStringLiteral("Tovel! Setup"));
    uninstallTitle_ = read(u"Title", u"UnSetup", setupTitle_);
    programId_ = read(u"ProgramID", u"ID");
    if (uninstalling()) {
        const QString folder = read(u"SetupFolder", u"Folder");
        if (!folder.isEmpty())
            folders_.setInstallFolder(WithTrailingSeparator(absolutePath(expand(folder))));
    }
    proposedFolder_ = computeProposedFolder();
}

QString Session::computeProposedFolder()
{
    if (uninstalling()) {
        const QString folder = read(u"SetupFolder", u"Folder");
        // A relative folder stays as written: the uninstall pass refuses it rather than
        // take it from wherever the uninstaller lies.
        return folder.isEmpty() ? QString() : WithTrailingSeparator(NativePath(expand(folder)));
    }
    QString proposal = read(u"DefaultFolder", u"Folder", QStringLiteral("(Prg)\\"));
    if (!programId_.isEmpty()) {
        const QString recorded = profiles_.read(folderRecordPath(), programId_, u"Folder", proposal);
        if (!recorded.isEmpty())
            proposal = recorded;
    }
    const QString refer = read(u"DefaultFolder", u"ReferRegistry");
    if (!refer.isEmpty()) {
        const RegistryKeyText key = SplitKeyTextForInstall(FieldOf(refer, 1));
        if (registry().keyExists(key.root, key.key)) {
            const QString value = registry().stringValue(key.root, key.key, FieldOf(refer, 2));
            if (!value.isEmpty())
                proposal = value;
        }
    }
    const QString referIni = expand(read(u"DefaultFolder", u"ReferIniFile"));
    if (!referIni.isEmpty()) {
        QString file = NativePath(FieldOf(referIni, 3));
        if (!file.isEmpty()) {
            // A bare INI name means the Windows folder, as for the system's profile calls.
            if (!file.contains(QLatin1Char('/')))
                file = folders_.value(Macro::Win) + file;
            const QString value = profiles_.read(absolutePath(file), FieldOf(referIni, 1), FieldOf(referIni, 2));
            if (!value.isEmpty())
                proposal = value;
        }
    }
    return WithTrailingSeparator(NativePath(expand(proposal)));
}

QString Session::creditText() const
{
    if (copyRight1_.isEmpty() && copyRight2_.isEmpty())
        return QStringLiteral("Tovel! Setup 200x Professional\n汎用32Bitインストーラ");
    return copyRight1_ + QLatin1Char('\n') + copyRight2_;
}

bool Session::setupOnly() const
{
    return HasText(uninstallTitle_, u"Setup Only.");
}

bool Session::optionsEnabled()
{
    return read(u"Extend", u"Enabled") != QLatin1String("False");
}

ShortcutPlaces Session::namedShortcutPlaces()
{
    ShortcutPlaces places;
    for (int n = 1;; ++n) {
        QString name = read(u"ShortCut", QStringLiteral("Name%1").arg(n));
        const QString make = read(u"ShortCut", QStringLiteral("Make%1").arg(n));
        if (name.isEmpty() && make.isEmpty())
            break;
        // A shortcut without a place (or with "Default") goes into the start menu, so it
        // names that place too.
        if (name.isEmpty() || SameText(name, u"Default"))
            name = QStringLiteral("(Sta)");
        if (HasText(name, u"Dsk)"))
            places.desktop = true;
        if (HasText(name, u"Sta)"))
            places.startMenu = true;
        if (HasText(name, u"Sup)"))
            places.startUp = true;
        if (HasText(name, u"Sen)"))
            places.sendTo = true;
    }
    return places;
}

QString Session::messageText()
{
    if (uninstalling())
        return uninstallWord_ + QStringLiteral("を行います．\n\n開始するには，「") + uninstallWord_
            + QStringLiteral("開始(S)」を選択してください．\n");
    QString text;
    bool any = false;
    for (int n = 1; n <= 5; ++n) {
        const QString line = read(u"TopMessage", QStringLiteral("Message%1").arg(n));
        any = any || !line.isEmpty();
        text += line + QLatin1Char('\n');
    }
    return any ? text : setupWord_ + QStringLiteral("を行います．\n");
}

bool Session::typePageVisible()
{
    return read(u"SelectType", u"Visible", QStringLiteral("False")) == QLatin1String("True");
}

QString Session::typeCaption(int type)
{
    if (type == 2)
        return read(u"SelectType", u"Type2", QStringLiteral("別方式の") + setupWord_ + QStringLiteral("を行う．"));
    return read(u"SelectType", u"Type1", QStringLiteral("通常の") + setupWord_ + QStringLiteral("を行う．"));
}

QString Session::licenceFile()
{
    const QString name = WithoutLeadingSeparator(read(u"EULA", u"File"));
    return name.isEmpty() ? QString() : sourceFolder_ + NativePath(name);
}

QString Session::readmeFile()
{
    const QString name = WithoutLeadingSeparator(read(u"Readme", u"File"));
    return name.isEmpty() ? QString() : sourceFolder_ + NativePath(name);
}

bool Session::earlierVersionFound()
{
    const QString name = WithoutLeadingSeparator(read(u"Caution", u"UnInstallCheck", QStringLiteral("NoData")));
    return !name.isEmpty() && fs::Exists(proposedFolder_ + NativePath(name));
}

QString Session::earlierVersionWarning() const
{
    return QStringLiteral("プログラムはチェック対象プログラムを検出しました．\nパッケージ配布者は，前バージョンのプログラムの")
        + uninstallWord_ + QStringLiteral("を推奨しています．\n") + setupWord_
        + QStringLiteral("はこのまま続行できますが，予期せぬ結果を招く可能性があります．\nできる限り中断して，前バージョンの")
        + uninstallWord_ + QStringLiteral("を行うことをおすすめします．");
}

UninstallOptions Session::uninstallOptions()
{
    UninstallOptions options;
    const QString value = read(u"UnSetupOption", u"CheckBox", QStringLiteral("0,0,0,0"));
    if (SameText(value, u"DeleteAll")) {
        options.deleteAllOffered = true;
        return options;
    }
    options.iniFiles = value.mid(0, 1) == QLatin1String("1");
    options.gidFiles = value.mid(2, 1) == QLatin1String("1");
    return options;
}

QString Session::uninstallerPath() const
{
    return folders_.value(Macro::Win) + QStringLiteral("UNTS200X.EXE");
}

QString Session::folderRecordPath() const
{
    return folders_.value(Macro::Win) + QStringLiteral("TOSET98.INI");
}

const Protection& Session::protection() const
{
    if (!protection_)
        protection_ = std::make_unique<Protection>(env_, folders_, QStringList{workFolder_});
    return *protection_;
}

void Session::cleanUpWorkFolders() const
{
    if (workFolder_.isEmpty() || !IsOwnFolder(workFolder_))
        return; // missing, a link, or another user's: never touched
    if (!workFolderCreated_) {
        // A folder that was there before this run (all 99 names taken): only the files
        // this run put there go.
        for (const QString& name : {QStringLiteral("SETUPB.EXE"), kSetupIni, kUnsetupIni, QStringLiteral("UNSETUPB.INI")})
            if (fs::IsFile(workFolder_ + name))
                fs::RemoveFile(workFolder_ + name);
        return;
    }
    if (DIR* dir = ::opendir(QFile::encodeName(workFolder_).constData())) {
        QStringList files;
        while (const dirent* entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (name != QLatin1String(".") && name != QLatin1String(".."))
                files << name;
        }
        ::closedir(dir);
        for (const QString& name : files) {
            struct stat st {};
            if (::lstat(QFile::encodeName(workFolder_ + name).constData(), &st) == 0 && !S_ISDIR(st.st_mode))
                fs::RemoveFile(workFolder_ + name);
        }
    }
    fs::RemoveFolder(workFolder_);
    // Work folders that earlier runs left empty go as well; one with anything in it stays.
    const QString tmp = folders_.value(Macro::Tmp);
    for (int n = 1; n <= 99; ++n) {
        const QString folder = tmp + QStringLiteral("TSTMP%1/").arg(n);
        if (folder != workFolder_ && IsOwnFolder(folder) && QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            fs::RemoveFolder(folder);
    }
}

} // namespace installer
