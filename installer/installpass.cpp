// The install pass: from the start button to the end of the program.
#include "installer/fileops.h"
#include "installer/operations.h"
#include "installer/passes.h"
#include "installer/registry.h"
#include "installer/session.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <array>
#include <cerrno>
#include <cmath>

namespace installer {
namespace {

const QString kFileHeader = QStringLiteral("<File> ");
const QString kFolderHeader = QStringLiteral("<Folder> ");
const QString kSetupFileHeader = QStringLiteral("<SetupFile> ");
const QString kShortcutHeader = QStringLiteral("<ShortCut> ");
const QString kSourceMissing = QStringLiteral("コピー元のファイルが見つかりません．");

struct CopyEntryFields;

/// Thrown out of the pass's steps by an abort check; caught in run().
struct AbortPass {};
/// The user (or a fatal condition) stopped the installation.
struct StopPass {};

class InstallPass {
public:
    InstallPass(Session& session, FrontEnd& frontEnd, const InstallChoices& choices)
        : s_(session), fe_(frontEnd), choices_(choices), S_(session.setupWord()), U_(session.uninstallWord())
    {
    }

    PassOutcome run();

private:
    void status(const QString& text) { fe_.showStatus(text); }
    void pause() { fe_.pause(s_.stepPause(), PauseKind::Step); }
    void checkAbort()
    {
        if (fe_.abortRequested())
            throw AbortPass{};
    }
    Answer ask(Prompt prompt, const QString& title, const QString& text, Buttons buttons, Icon icon)
    {
        return fe_.ask(Message{prompt, title, text, buttons, icon});
    }
    [[noreturn]] void stop()
    {
        ask(Prompt::InstallStopped, S_ + QStringLiteral("中止"), S_ + QStringLiteral("を続行できませんでした．"),
            Buttons::Ok, Icon::Stop);
        throw StopPass{};
    }

    QStringList copyList();
    QString findSource(const QString& name);
    void readAssociations();
    void checkSpace();
    void fixInstallFolder();
    void refuseUnusableFolder();
    void warnAboutOwnFiles();
    void readEarlierInstallation();
    void makeFolders();
    void copyFiles();
    void copyEntry(int number, const QString& text);
    CopyEntryFields splitEntry(QString text);
    QString askForNextDisk(const QString& sourceName);
    bool shouldCopyOver(const QString& copySource, const QString& destination);
    void copyPresentFile(const QString& source, QString destination, const QString& options);
    void makeShortcuts();
    void writeRegistry();
    void writeIniFiles();
    void readUninstallLists();
    void setAssociations();
    void placeUninstaller();
    void recordFolder();
    void writeUninstallDefinition();
    bool writeDefinitionEntries(const QString& file);
    void offerErrorDetails();
    void finish();

    Session& s_;
    FrontEnd& fe_;
    InstallChoices choices_;
    const QString S_, U_;
    QString app_;

    ErrorLog log_;
    QStringList folderList_, fileList_, shortcutList_, registryList_, extraList_;
    std::vector<std::pair<QString, QString>> associations_;
    std::array<QString, 20> restore_;
    QStringList entries_;
    int fileCount_ = 0;
    int processed_ = 0;
    qint64 totalBytes_ = 0;
    qint64 bytesDone_ = 0;
    bool sizesKnown_ = true;
    int disk_ = 1;
    bool locked_ = false;
    bool restart_ = false;
    bool uninstallRecorded_ = false; // UNSETUP.INI written and the uninstall entry made
    QSet<QString> earlierShared_; // shared files the earlier installation counted
    QHash<QString, QString> sourceNames_; // folded name -> name in the source folder
    bool sourceNamesRead_ = false;
    QStringList standardBefore_; // the standard folders that existed before the pass
};

QStringList InstallPass::copyList()
{
    QStringList list;
    for (int n = 1;; ++n) {
        QString value;
        if (choices_.type == 2)
            value = s_.read(u"CopyFile", QStringLiteral("File%1_2").arg(n));
        if (value.isEmpty())
            value = s_.read(u"CopyFile", QStringLiteral("File%1").arg(n));
        if (value.isEmpty())
            return list;
        list << value;
    }
}

/// The payload file of that name in the source folder. Definitions written on Windows
/// may spell a name in another case than the file has; a unique match ignoring case is
/// taken then.
QString InstallPass::findSource(const QString& name)
{
    const QString exact = s_.sourceFolder() + name;
    if (name.isEmpty() || fs::IsFile(exact))
        return exact;
    if (!sourceNamesRead_) {
        sourceNamesRead_ = true;
        QHash<QString, int> seen;
        const QStringList names = QDir(s_.sourceFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& entry : names) {
            const QString folded = entry.toCaseFolded();
            sourceNames_.insert(folded, entry);
            seen[folded] += 1;
        }
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            if (it.value() > 1)
                sourceNames_.remove(it.key()); // ambiguous: only the exact name counts
    }
    const auto it = sourceNames_.constFind(name.toCaseFolded());
    return it == sourceNames_.cend() ? exact : s_.sourceFolder() + *it;
}

void InstallPass::readAssociations()
{
    for (int n = 1; n <= 20; ++n) {
        const QString name = s_.read(u"Relate", QStringLiteral("Name%1").arg(n));
        const QString file = s_.read(u"Relate", QStringLiteral("File%1").arg(n));
        if (!name.isEmpty() && !file.isEmpty())
            associations_.emplace_back(name, file);
    }
}

void InstallPass::checkSpace()
{
    entries_ = copyList();
    fileCount_ = int(entries_.size());
    for (const QString& entry : entries_) {
        const QString destination = FieldOf(entry, 1);
        const QString name = FileNameOf(s_.expand(destination.left(destination.indexOf(QLatin1Char('|')))));
        const auto size = fs::FileSize(findSource(name));
        if (!size) {
            sizesKnown_ = false;
            continue;
        }
        if (sizesKnown_)
            totalBytes_ += std::max<qint64>(*size, 1);
    }
    if (!sizesKnown_)
        return;
    status(QStringLiteral("ディスクの空き容量をチェックしています．．．"));
    const qint64 free = s_.services().diskSpace->freeBytes(s_.absolutePath(choices_.folder));
    if (totalBytes_ >= free) {
        const QString text = free < 0
            ? QStringLiteral("ディスクの空き容量取得関数が失敗しました．\n") + S_ + QStringLiteral("に必要なディスク容量は ")
                + QString::number(totalBytes_) + QStringLiteral(" Byteです．\n空き容量があるようであれば，") + S_
                + QStringLiteral("を続行してください．\n\n") + S_ + QStringLiteral("を続行しますか？")
            : QStringLiteral("ディスクの空き容量が不足しているため，エラーになる可能性があります．\nこのまま") + S_
                + QStringLiteral("を続行しますか？");
        if (ask(Prompt::SpaceShortage, QStringLiteral("空き容量不足"), text, Buttons::YesNo, Icon::Question) != Answer::Yes)
            stop();
    }
    pause();
}

void InstallPass::fixInstallFolder()
{
    QString folder = choices_.folder.trimmed();
    if (folder.isEmpty())
        stop(); // an empty folder box would mean the root folder
    // "~/" in a typed folder means the home folder, as in a shell.
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/")))
        folder = s_.environment().homeFolder() + folder.mid(2);
    folder = CleanFolder(s_.absolutePath(folder));
    app_ = WithTrailingSeparator(folder);
    refuseUnusableFolder();
    if (fs::IsFolder(app_)) {
        warnAboutOwnFiles();
    } else {
        const Answer answer = ask(Prompt::CreateFolder, QStringLiteral("フォルダ作成"),
                                  app_ + QStringLiteral("\n\nこのフォルダは存在しません．作成してもよろしいですか？"),
                                  Buttons::YesNo, Icon::Question);
        if (answer != Answer::Yes)
            stop();
        if (!fs::CreateFolderPath(app_)) {
            ask(Prompt::FolderCreationFailed, QStringLiteral("致命的エラー"),
                S_ + QStringLiteral("フォルダの作成に失敗しました．\n\nプログラム作者へご報告ください．"), Buttons::Ok,
                Icon::Stop);
            stop();
        }
    }
    s_.folders().setInstallFolder(app_);
    // The installer's own folders ((Win) with the registry, (Sys)) exist from here on.
    fs::CreateFolderPath(s_.folders().value(Macro::Sys));
}

/// An install folder that the uninstaller could not remove safely is refused before
/// anything is written: the root, the home folder and the other protected folders, and
/// a name the uninstall definition cannot record.
void InstallPass::refuseUnusableFolder()
{
    QString reason;
    if (s_.protection().isProtected(app_))
        reason = QStringLiteral("このフォルダはシステムやユーザーの大切なフォルダ(ホームフォルダなど)のため，") + S_
            + QStringLiteral("フォルダにはできません．");
    else
        reason = UnrepresentablePathReason(app_);
    if (reason.isEmpty())
        return;
    ask(Prompt::FolderRefused, S_ + QStringLiteral("フォルダの確認"), app_ + QStringLiteral("\n\n") + reason + QStringLiteral("\n別のフォルダを指定してください．"),
        Buttons::Ok, Icon::Stop);
    stop();
}

/// A folder that already holds files (and no earlier installation of ours): its files
/// are the user's, and an uninstallation keeps them unless told to delete everything.
void InstallPass::warnAboutOwnFiles()
{
    if (fs::IsFile(app_ + QStringLiteral("UNSETUP.INI")) || QDir(app_).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return;
    const Answer answer = ask(Prompt::FolderNotEmpty, S_ + QStringLiteral("フォルダの確認"),
                              app_ + QStringLiteral("\n\nこのフォルダには既にファイルがあります．\n") + U_ + QStringLiteral("では，")
                                  + S_ + QStringLiteral("でコピーしたファイルだけが削除され，元からあるファイルは残ります．\n\nこのフォルダに")
                                  + S_ + QStringLiteral("してもよろしいですか？"),
                              Buttons::YesNo, Icon::Question);
    if (answer != Answer::Yes)
        stop();
}

void InstallPass::readEarlierInstallation()
{
    const QString definition = app_ + QStringLiteral("UNSETUP.INI");
    const QString copy = s_.workFolder() + QStringLiteral("UNSETUPB.INI");
    if (!fs::IsFile(definition))
        return;
    CopyWithAttributes(definition, copy);
    Profiles& profiles = s_.profiles();
    for (int n = 1; n <= 20; ++n) {
        const QString value = profiles.read(definition, u"RestoreRelate", QStringLiteral("Key%1").arg(n));
        if (value.isEmpty())
            continue;
        // One slot per extension.
        const bool known = std::any_of(restore_.begin(), restore_.end(), [&](const QString& slot) {
            return !slot.isEmpty() && SameText(FieldOf(slot, 1), FieldOf(value, 1));
        });
        if (known)
            continue;
        for (QString& slot : restore_) {
            if (slot.isEmpty()) {
                slot = value;
                break;
            }
        }
    }
    const auto readList = [&](const char* section, const char* prefix, QStringList& list) {
        for (int n = 1;; ++n) {
            const QString value = profiles.read(copy, QString::fromLatin1(section), QString::fromLatin1(prefix) + QString::number(n));
            if (value.isEmpty())
                return;
            list << value;
        }
    };
    readList("DeleteFolder", "Folder", folderList_);
    readList("DeleteFile", "File", fileList_);
    readList("DeleteShortCut", "File", shortcutList_);
    readList("DeleteRegistry", "Key", registryList_);
    readList("AddDeleteFile", "File", extraList_);
    for (const QString& value : fileList_) {
        const PathEntry entry = SplitPathEntry(value);
        if (HasText(entry.options, u"/S"))
            earlierShared_.insert(entry.path);
    }
}

void InstallPass::makeFolders()
{
    for (const QString& value : s_.readList(u"MakeFolder", u"Folder")) {
        const QString folder = s_.absolutePath(s_.expand(WithTrailingSeparator(value)));
        status(QStringLiteral("フォルダを作成しています．．．\nCreating -> ") + folder);
        checkAbort();
        const int error = fs::MakeFolder(folder);
        if (error == 0 || error == EEXIST) {
            folderList_ << folder;
        } else {
            log_.addSystemError(kFolderHeader, folder, error);
        }
        pause();
    }
}

void InstallPass::copyFiles()
{
    fe_.showProgressFrame(true);
    for (int n = 0; n < entries_.size(); ++n)
        copyEntry(n + 1, entries_[n]);
    fe_.showProgressFrame(false);
    fileList_ << app_ + QStringLiteral("UNSETUP.INI");
}

/// An entry of [CopyFile] split into its fields: "(Dch)" for the next disk, the source
/// name and where it goes, the options.
struct CopyEntryFields {
    bool nextDisk = false;
    QString sourceName;
    QString destination;
    QString options;
};

CopyEntryFields InstallPass::splitEntry(QString text)
{
    // The entry is split into its fields before the macros are expanded: a folder whose
    // name holds a comma or a bar must not split the entry.
    CopyEntryFields f;
    if (text.startsWith(QLatin1String("(Dch)"), Qt::CaseInsensitive)) {
        f.nextDisk = true;
        text = text.mid(5);
    }
    f.options = s_.expand(FieldOf(text, 2));
    const QString target = FieldOf(text, 1);
    if (const qsizetype bar = target.indexOf(QLatin1Char('|')); bar >= 0) {
        const QString before = s_.expand(target.left(bar));
        const QString folder = FolderOf(before);
        const QString newName = WithLeadingSeparator(s_.expand(target.mid(bar + 1)));
        f.destination = folder.isEmpty() ? newName.mid(1) : folder + newName;
        f.sourceName = FileNameOf(before);
    } else {
        const QString expanded = s_.expand(target);
        if (expanded.endsWith(QLatin1Char('_')))
            f.destination = FolderOf(expanded) + QStringLiteral("AUTO.EXT");
        else
            f.destination = expanded;
        f.sourceName = FileNameOf(expanded);
    }
    f.destination = s_.absolutePath(f.destination);
    return f;
}

QString InstallPass::askForNextDisk(const QString& sourceName)
{
    ++disk_;
    QString source;
    do {
        const Answer answer = ask(Prompt::DiskChange, QStringLiteral("ディスク交換"),
                                  QString::number(disk_) + QStringLiteral("枚目のディスクに交換してください．"),
                                  Buttons::OkCancel, Icon::Information);
        if (answer == Answer::Cancel) {
            ask(Prompt::InstallStopped, QStringLiteral("致命的エラー"), S_ + QStringLiteral("を続行できませんでした．"),
                Buttons::Ok, Icon::Stop);
            throw StopPass{};
        }
        sourceNamesRead_ = false; // another disk: read its names again
        sourceNames_.clear();
        source = findSource(sourceName);
    } while (!fs::IsFile(source));
    return source;
}

bool InstallPass::shouldCopyOver(const QString& copySource, const QString& destination)
{
    if (!fs::Exists(destination))
        return true;
    if (!choices_.overwrite)
        return ask(Prompt::Overwrite, QStringLiteral("上書き確認"),
                   destination + QStringLiteral("\n\nこのファイルは既に存在します．\n上書きしてもよろしいですか？"),
                   Buttons::YesNo, Icon::Question)
            == Answer::Yes;
    const auto sourceTime = fs::ModificationTime(copySource);
    const auto destinationTime = fs::ModificationTime(destination);
    return sourceTime && destinationTime && *sourceTime > *destinationTime;
}

void InstallPass::copyPresentFile(const QString& source, QString destination, const QString& options)
{
    QString copySource = source;
    QString expandedTemp;
    bool expansionFailed = false;
    if (source.endsWith(QLatin1Char('_'))) {
        const ExpandedFile expanded = ExpandCompressed(s_, source, destination);
        destination = expanded.destination;
        if (expanded.ok()) {
            copySource = expandedTemp = expanded.tempPath;
        } else {
            expansionFailed = true;
            log_.add(kFileHeader, source, expanded.message);
        }
    }
    status(QStringLiteral("ファイルをコピーしています．．．\nCopying -> ") + destination);
    if (fe_.abortRequested()) {
        if (!expandedTemp.isEmpty())
            fs::RemoveFile(expandedTemp);
        throw AbortPass{};
    }
    if (!expansionFailed) {
        bool copy = shouldCopyOver(copySource, destination);
        // A reinstallation into the same folder counts a shared file once: the
        // earlier installation's count is this installation's count.
        if (HasText(options, u"/S") && !earlierShared_.contains(destination))
            ChangeSharedCount(s_.registry(), destination, true);
        if (HasText(options, u"/W"))
            copy = false;
        const int error = copy ? CopyWithAttributes(copySource, destination, &fe_) : 0;
        if (HasText(options, u"/R") && fs::Exists(destination))
            RegisterServer(s_, destination, true, &fe_);
        if (error == 0)
            fileList_ << JoinPathEntry(destination, options);
        else
            log_.addSystemError(kFileHeader, destination, error);
    }
    if (!expandedTemp.isEmpty())
        fs::RemoveFile(expandedTemp);
    if (sizesKnown_) {
        // The size now: a source that changed or went away since the size pass makes
        // the progress count entries instead.
        const auto size = fs::FileSize(source);
        if (size) {
            bytesDone_ += std::max<qint64>(*size, 1);
        } else {
            sizesKnown_ = false;
            ask(Prompt::SizeUnknown, QStringLiteral("内部エラー"),
                QStringLiteral("ファイルサイズの取得に失敗したため，進行状況の表示方法を変更します．"), Buttons::Ok,
                Icon::Warning);
        }
    }
}

void InstallPass::copyEntry(int number, const QString& text)
{
    const CopyEntryFields f = splitEntry(text);
    QString source = findSource(f.sourceName);
    if (f.nextDisk)
        source = askForNextDisk(f.sourceName);

    if (fs::IsFile(source)) {
        copyPresentFile(source, f.destination, f.options);
    } else {
        status(QStringLiteral("ファイルが存在しないためコピーをスキップしています．．．\nSkipping -> ") + f.destination);
        checkAbort();
        log_.add(kFileHeader, source, kSourceMissing);
    }

    ++processed_;
    const int percent = sizesKnown_ && totalBytes_ > 0 ? int(std::llround(double(bytesDone_) * 100.0 / double(totalBytes_)))
                                                      : (fileCount_ > 0 ? number * 100 / fileCount_ : 100);
    fe_.setProgress(std::clamp(percent, 0, 100), processed_, fileCount_);
    checkAbort();
    pause();
}

void InstallPass::makeShortcuts()
{
    for (int n = 1;; ++n) {
        const QString make = s_.read(u"ShortCut", QStringLiteral("Make%1").arg(n));
        if (make.isEmpty())
            return;
        QString name = s_.read(u"ShortCut", QStringLiteral("Name%1").arg(n), QStringLiteral("Default"));
        if (name.isEmpty())
            name = QStringLiteral("Default");
        const bool isDefault = SameText(name, u"Default");
        bool wanted = true;
        if (HasText(name, u"Dsk)"))
            wanted = choices_.desktop;
        else if (HasText(name, u"Sta)") || isDefault)
            wanted = choices_.startMenu;
        else if (HasText(name, u"Sup)"))
            wanted = choices_.startUp;
        else if (HasText(name, u"Sen)"))
            wanted = choices_.sendTo;
        if (!wanted)
            continue;
        const QString expandedMake = s_.expand(make);
        const QString arguments = FieldOf(expandedMake, 2);
        const QString target = s_.absolutePath(FieldOf(expandedMake, 1));
        QString link = isDefault ? FileNameOf(target) : name;
        if (!link.contains(QLatin1Char('(')) && !link.contains(QLatin1Char(')')))
            link.prepend(QStringLiteral("(Sta)"));
        link = s_.expand(link);
        const QString workFolder = FieldOf(link, 2);
        link = FieldOf(link, 1);
        QString shown = link;
        if (shown.startsWith(QLatin1Char('\\')))
            shown.remove(0, 1);
        shown = NativePath(shown); // one kind of separator on the status line
        status(QStringLiteral("ショートカットを作成しています．．．\nCreateTarget -> ") + target
               + QStringLiteral("\nCreating -> ") + shown);
        checkAbort();
        int error = 0;
        const QString made = CreateShortcut(s_, target, link, workFolder, arguments, &error);
        pause();
        // A shortcut that could not be made is reported, and never recorded as an empty
        // entry (which would end the uninstall list early).
        if (made.isEmpty())
            log_.addSystemError(kShortcutHeader, s_.absolutePath(link), error ? error : EIO);
        else
            shortcutList_ << made;
    }
}

void InstallPass::writeRegistry()
{
    Registry& registry = s_.registry();
    for (int n = 1;; ++n) {
        const QString keyText = s_.read(u"Registry", QStringLiteral("Key%1").arg(n));
        if (keyText.isEmpty())
            return;
        const QString name = s_.read(u"Registry", QStringLiteral("Name%1").arg(n));
        QString value = s_.read(u"Registry", QStringLiteral("Value%1").arg(n));
        status(QStringLiteral("レジストリを設定しています．．．"));
        checkAbort();
        const RegistryKeyText key = SplitKeyTextForInstall(keyText);
        registry.createKey(key.root, key.key);
        if (value.isEmpty())
            continue;
        const bool noTrailing = HasText(value, u"(Pdd)");
        if (noTrailing)
            value.remove(QStringLiteral("(Pdd)"), Qt::CaseInsensitive);
        value = s_.expand(value);
        const QString type = value.left(5);
        QString data = value.mid(5);
        if (noTrailing) {
            data = WithoutTrailingSeparator(data);
            value = WithoutTrailingSeparator(value);
        }
        RegValue typed;
        if (SameText(type, u"(Str)")) {
            typed = RegValue::String(data);
        } else if (SameText(type, u"(Int)") || SameText(type, u"(Dwd)")) {
            typed = RegValue::Dword(quint32(LeadingInteger(data)));
        } else if (SameText(type, u"(Bin)")) {
            const quint32 number = LeadingHex(data);
            QByteArray bytes(4, '\0');
            for (int i = 0; i < 4; ++i)
                bytes[i] = char((number >> (8 * i)) & 0xFF);
            typed = RegValue::Binary(bytes);
        } else if (SameText(type, u"(Exp)")) {
            typed = RegValue::Expand(data);
        } else {
            typed = RegValue::String(value);
        }
        if (!registry.setValue(key.root, key.key, name, typed))
            fe_.note(QStringLiteral("registry value not written: %1\\%2 %3").arg(RootName(key.root), key.key, name));
    }
}

void InstallPass::writeIniFiles()
{
    for (const QString& data : s_.readList(u"IniFile", u"Data")) {
        status(QStringLiteral("Iniファイルを設定しています．．．"));
        checkAbort();
        const QString expanded = s_.expand(data);
        QString file = NativePath(FieldOf(expanded, 4));
        if (file.isEmpty())
            continue;
        if (!file.contains(QLatin1Char('/')))
            file = s_.folders().value(Macro::Win) + file; // a bare name lives in the Windows folder
        file = s_.absolutePath(file);
        if (!s_.profiles().write(file, FieldOf(expanded, 1), FieldOf(expanded, 2), FieldOf(expanded, 3)))
            fe_.note(QStringLiteral("INI entry not written: ") + file);
    }
}

void InstallPass::readUninstallLists()
{
    registryList_ << s_.readList(u"DeleteRegistry", u"Key");
    for (const QString& value : s_.readList(u"AddDeleteFile", u"File"))
        extraList_ << s_.absolutePath(s_.expand(value));
}

void InstallPass::setAssociations()
{
    Registry& registry = s_.registry();
    for (const auto& [name, file] : associations_) {
        status(QStringLiteral("関連付けを設定しています．．．"));
        checkAbort();
        const QString extension = FieldOf(name, 1);
        QString description = FieldOf(name, 2);
        if (description.isEmpty())
            description = name + QStringLiteral(" File");
        const QString expanded = s_.expand(file);
        const QString verb = FieldOf(expanded, 1);
        const QString program = NativePath(FieldOf(expanded, 2));
        QString command = program.contains(QLatin1Char(' ')) ? QLatin1Char('"') + program + QLatin1Char('"') : program;
        for (int field : {3, 4})
            if (const QString arg = FieldOf(expanded, field); !arg.isEmpty())
                command += QLatin1Char(' ') + arg;
        const Answer answer = ask(Prompt::Association, QStringLiteral("関連付けの確認"),
                                  QStringLiteral("拡張子 *.") + extension + QStringLiteral(" を\n") + program
                                      + QStringLiteral("\nに関連付けします．よろしいですか？"),
                                  Buttons::YesNo, Icon::Question);
        if (answer != Answer::Yes)
            continue;
        const QString dotKey = QLatin1Char('.') + extension;
        const QString classKey = extension + QStringLiteral("_auto_file");
        registry.createKey(RegRoot::ClassesRoot, dotKey);
        // Remember what the extension meant before, once per extension.
        const bool recorded = std::any_of(restore_.begin(), restore_.end(), [&](const QString& slot) {
            return !slot.isEmpty() && SameText(FieldOf(slot, 1), extension);
        });
        if (!recorded) {
            for (QString& slot : restore_) {
                if (slot.isEmpty()) {
                    slot = extension + QLatin1Char(',') + registry.stringValue(RegRoot::ClassesRoot, dotKey, {});
                    break;
                }
            }
        }
        registry.setValue(RegRoot::ClassesRoot, dotKey, {}, RegValue::String(classKey));
        registry.setValue(RegRoot::ClassesRoot, classKey, {}, RegValue::String(description));
        registry.setValue(RegRoot::ClassesRoot, classKey + QStringLiteral("\\DefaultIcon"), {},
                          RegValue::String(program + QLatin1Char(',') + FieldOf(expanded, 5)));
        registry.setValue(RegRoot::ClassesRoot, classKey + QStringLiteral("\\shell\\") + verb + QStringLiteral("\\command"), {},
                          RegValue::String(command));
    }
}

void InstallPass::placeUninstaller()
{
    status(U_ + QStringLiteral("情報を更新しています．しばらくお待ちください．．．"));
    fe_.setAbortEnabled(false);
    const QString uninstaller = s_.uninstallerPath();
    const QString self = s_.workFolder() + QStringLiteral("SETUPB.EXE");
    const auto installed = fs::ModificationTime(uninstaller);
    const auto ours = fs::ModificationTime(self);
    if (!installed || (ours && *installed < *ours)) {
        if (const int error = CopyWithAttributes(self, uninstaller))
            log_.addSystemError(kSetupFileHeader, uninstaller, error);
    }
}

void InstallPass::recordFolder()
{
    const QString record = s_.folderRecordPath();
    s_.profiles().forget(record);
    if (!s_.programId().isEmpty())
        s_.profiles().write(record, s_.programId(), u"Folder", app_);
}

void InstallPass::writeUninstallDefinition()
{
    if (s_.setupOnly())
        return;
    Profiles& profiles = s_.profiles();
    const QString file = app_ + QStringLiteral("UNSETUP.INI");
    // The old definition is replaced in one step when the new one is complete: a failed
    // write keeps it.
    profiles.forget(file);
    profiles.setDeferred(true);
    // The definition is CP932 like every definition. A path that CP932 cannot hold (a
    // home folder named in another script) would be lost, and its file never removed:
    // then the whole definition is written again as UTF-8.
    profiles.startDocument(file, common::IniDocument::Encoding::Cp932);
    if (!writeDefinitionEntries(file)) {
        profiles.startDocument(file, common::IniDocument::Encoding::Utf8);
        writeDefinitionEntries(file);
    }

    QString error;
    if (!profiles.flush(&error)) {
        // Without its uninstall definition the installation cannot be removed again: no
        // uninstall entry points at a file that is not there.
        profiles.setDeferred(false);
        profiles.forget(file);
        log_.add(kFileHeader, file, error);
        fe_.note(QStringLiteral("uninstall definition not written: ") + file + QStringLiteral(": ") + error);
        return;
    }
    profiles.setDeferred(false);

    const QString unsetupKey = s_.read(u"Title", u"UnSetupKey", s_.uninstallTitle());
    const QString entryKey = UninstallListKey() + QLatin1Char('\\') + unsetupKey;
    Registry& registry = s_.registry();
    registry.setValue(RegRoot::LocalMachine, entryKey, QStringLiteral("DisplayName"),
                      RegValue::String(s_.read(u"Title", u"UnSetupDisplay", unsetupKey)));
    registry.setValue(RegRoot::LocalMachine, entryKey, QStringLiteral("UninstallString"),
                      RegValue::String(s_.uninstallerPath() + QStringLiteral(" \"") + file + QLatin1Char('"')));
    uninstallRecorded_ = true;
}

bool InstallPass::writeDefinitionEntries(const QString& file)
{
    Profiles& profiles = s_.profiles();
    bool complete = true;
    const auto write = [&](QStringView section, QStringView key, const QString& value) {
        complete = profiles.write(file, section, key, value) && complete;
    };
    write(u"Information", u"Message1", QStringLiteral("Tovel! Setup 200x UnSetup(UnInstall) Initialize File"));
    write(u"Information", u"Message2", QStringLiteral("！！！　警告　！！！"));
    write(u"Information", u"Message3", QStringLiteral("このファイルをエディタなどで書き換えたり，削除しないでください．"));
    write(u"Information", u"Message4", QStringLiteral("書き換えた場合，") + U_ + QStringLiteral("動作の保証はできません．"));
    write(u"Title", u"UnSetup", s_.uninstallTitle());
    write(u"SetupFolder", u"Folder", app_);

    // Paths are compared with their case (this system's file names are case-sensitive);
    // registry keys ignore it.
    const auto writeList = [&](const char* what, const QString& section, const QString& prefix, const QStringList& list,
                               bool keepShared, Qt::CaseSensitivity cs) {
        status(U_ + QStringLiteral("情報(") + QString::fromUtf8(what)
               + QStringLiteral(")を更新しています．しばらくお待ちください．．．"));
        KeyNumberIndex index(profiles, file, section, prefix, cs);
        for (QString entry : list) {
            if (entry.isEmpty())
                continue;
            const int n = index.find(entry);
            const QString key = prefix + QString::number(n);
            if (keepShared) {
                // Only the option field counts: paths such as "/usr/share" hold "/S" too.
                const PathEntry old = SplitPathEntry(profiles.read(file, section, key));
                const PathEntry now = SplitPathEntry(entry);
                if (HasText(old.options, u"/S") && !HasText(now.options, u"/S"))
                    entry = JoinPathEntry(now.path, now.options + QStringLiteral("/S"));
            }
            write(section, key, entry);
            index.written(n, entry);
        }
    };
    writeList("削除フォルダ", QStringLiteral("DeleteFolder"), QStringLiteral("Folder"), folderList_, false, Qt::CaseSensitive);
    writeList("削除ファイル", QStringLiteral("DeleteFile"), QStringLiteral("File"), fileList_, true, Qt::CaseSensitive);
    writeList("削除ショートカット", QStringLiteral("DeleteShortCut"), QStringLiteral("File"), shortcutList_, false,
              Qt::CaseSensitive);
    writeList("削除レジストリ", QStringLiteral("DeleteRegistry"), QStringLiteral("Key"), registryList_, false,
              Qt::CaseInsensitive);
    writeList("追加削除ファイル", QStringLiteral("AddDeleteFile"), QStringLiteral("File"), extraList_, false,
              Qt::CaseSensitive);
    status(U_ + QStringLiteral("情報(復元関連付け)を更新しています．しばらくお待ちください．．．"));
    for (int i = 0; i < 20; ++i)
        if (!restore_[i].isEmpty())
            write(u"RestoreRelate", QStringLiteral("Key%1").arg(i + 1), restore_[i]);

    const QString option = s_.read(u"Extend", u"UnSetupOption");
    if (!option.isEmpty())
        write(u"UnSetupOption", u"CheckBox", option);
    write(u"Extend", u"SetupString", S_);
    write(u"Extend", u"UnSetupString", U_);
    const QString unsetupKey = s_.read(u"Title", u"UnSetupKey", s_.uninstallTitle());
    write(u"UnSetupRegistryKey", u"Key", UninstallListKey() + QLatin1Char('\\') + unsetupKey);
    write(u"ProgramID", u"ID", s_.programId());

    // The standard folders this installation had to create (kept from an earlier one
    // too), so that the uninstallation removes them again when they are left empty.
    KeyNumberIndex created(profiles, file, QStringLiteral("CreatedFolder"), QStringLiteral("Folder"), Qt::CaseSensitive);
    for (const QString& folder : StandardFolderChain(s_)) {
        if (standardBefore_.contains(folder) || !fs::IsFolder(folder))
            continue;
        const QString entry = WithTrailingSeparator(folder);
        const int n = created.find(entry);
        write(u"CreatedFolder", QStringLiteral("Folder%1").arg(n), entry);
        created.written(n, entry);
    }
    return complete;
}

void InstallPass::offerErrorDetails()
{
    if (log_.empty())
        return;
    status(S_ + QStringLiteral("で一部の処理が失敗しました．"));
    const Answer answer = ask(Prompt::ShowErrorDetails, QStringLiteral("警告"),
                              QStringLiteral("フォルダの作成・ファイルのコピーで，一部の処理が失敗しました．\n詳細を表示しますか？"),
                              Buttons::YesNo, Icon::Warning);
    if (answer != Answer::Yes)
        return;
    fe_.showErrorDetails(QStringLiteral("作成・コピー処理失敗　詳細表示"), log_.text());
    fe_.pause(500, PauseKind::Fixed);
    fe_.showProgressWindow();
}

void InstallPass::finish()
{
    QString action = s_.read(u"ExecuteFile", u"File");
    if (locked_)
        action = QStringLiteral("WINDOWS_REBOOT");
    const bool reboot = action == QLatin1String("WINDOWS_REBOOT");
    if (!reboot) {
        const QString done = S_ + QStringLiteral("が完了しました．");
        status(done);
        QString text = done;
        if (uninstallRecorded_)
            text += QStringLiteral("\n\nプログラムの") + U_ + QStringLiteral("は，\n「アプリケーションの追加と削除」から行ってください．");
        ask(Prompt::InstallCompleted, QStringLiteral("完了"), text, Buttons::Ok, Icon::Information);
    }
    if (reboot) {
        restart_ = true;
    } else if (!action.isEmpty()) {
        const QString expanded = s_.expand(action);
        const QString program = s_.absolutePath(FieldOf(expanded, 1));
        QString why;
        if (!s_.services().opener->open(program, FieldOf(expanded, 2), &why)) {
            fe_.note(QStringLiteral("could not open ") + program + QStringLiteral(": ") + why);
            ask(Prompt::ExecuteFailed, QStringLiteral("警告"),
                QStringLiteral("終了後プログラムの起動に失敗しました．\niniファイルの記述ミスの可能性があります．\nプログラム提供者へご報告ください．"),
                Buttons::Ok, Icon::Warning);
        }
    }
}

PassOutcome InstallPass::run()
{
    PassOutcome outcome;
    for (const QString& folder : StandardFolderChain(s_))
        if (fs::IsFolder(folder))
            standardBefore_ << folder;
    try {
        fe_.hideMainWindow();
        fe_.pause(500, PauseKind::Fixed);
        fe_.showProgressWindow();

        status(S_ + QStringLiteral("を開始します．．．"));
        fe_.pause(1000, PauseKind::Fixed);

        status(S_ + QStringLiteral("の情報を作成しています．．．"));
        readAssociations();
        pause();

        status(S_ + QStringLiteral("に必要な容量を調べています．．．"));
        checkAbort();
        pause();
        checkSpace();

        status(S_ + QStringLiteral("フォルダをチェックしています．．．"));
        checkAbort();
        fixInstallFolder();

        readEarlierInstallation();
        fe_.setAbortEnabled(true);
        makeFolders();
        copyFiles();
        makeShortcuts();
        writeRegistry();
        writeIniFiles();
        readUninstallLists();
        setAssociations();
        placeUninstaller();
        recordFolder();
        writeUninstallDefinition();
        offerErrorDetails();
        finish();
        fe_.finishPass();
    } catch (const AbortPass&) {
        outcome.status = PassOutcome::Status::Aborted;
    } catch (const StopPass&) {
        outcome.status = PassOutcome::Status::Stopped;
    }
    s_.profiles().setDeferred(false);
    outcome.errorCount = log_.count();
    outcome.errorLog = log_.text();
    outcome.restartRequested = restart_;
    outcome.lockedFiles = locked_;
    return outcome;
}

} // namespace

PassOutcome RunInstall(Session& session, FrontEnd& frontEnd, const InstallChoices& choices)
{
    return InstallPass(session, frontEnd, choices).run();
}

InstallChoices DefaultInstallChoices(Session& session)
{
    InstallChoices choices;
    choices.folder = session.proposedFolder();
    const ShortcutPlaces places = session.namedShortcutPlaces();
    choices.desktop = places.desktop;
    choices.startMenu = places.startMenu;
    choices.startUp = places.startUp;
    choices.sendTo = places.sendTo;
    return choices;
}

} // namespace installer
