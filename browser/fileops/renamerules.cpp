#include "browser/fileops/renamerules.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace fileops {

namespace {

bool Exists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

NameParts SplitName(const QString& fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {fileName, QString()};
    return {fileName.left(dot), fileName.mid(dot + 1)};
}

QString JoinName(const QString& base, const QString& extension)
{
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

QString CheckNewName(const QString& base)
{
    if (base.isEmpty())
        return QStringLiteral("新しい名前が空です。");
    if (base == QLatin1String(".") || base == QLatin1String(".."))
        return QStringLiteral("「.」と「..」はファイル名に使えません。");
    if (base.contains(QLatin1Char('/')) || base.contains(QLatin1Char('\\')) || base.contains(QChar(u'\0')))
        return QStringLiteral("ファイル名に「/」「\\」やNUL文字は使えません。");
    return QString();
}

RowRename PrepareRowRename(const QString& folder, const QString& oldName, const QString& newName)
{
    RowRename r;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    r.oldPath = prefix + oldName;
    if (!Exists(r.oldPath)) {
        r.check = RenameCheck::NotFound;
        r.message = QStringLiteral("対象ファイルが見つかりません。");
        r.warning = true;
        return r;
    }
    const NameParts oldParts = SplitName(oldName);
    const QString newBase = SplitName(newName).base;
    if (oldParts.base.compare(newBase, Qt::CaseInsensitive) == 0) {
        r.check = RenameCheck::SameName;
        r.message = QStringLiteral("すでに同じファイル名です。");
        return r;
    }
    if (const QString why = CheckNewName(newBase); !why.isEmpty()) {
        r.check = RenameCheck::InvalidName;
        r.message = why;
        r.warning = true;
        return r;
    }
    r.newName = JoinName(newBase, oldParts.extension);
    r.newPath = prefix + r.newName;
    if (Exists(r.newPath)) {
        r.check = RenameCheck::Exists;
        r.message = QStringLiteral("同名ファイルが存在するためリネームできません。");
        r.warning = true;
        return r;
    }
    r.question = RenameQuestion(oldName, r.newName);
    return r;
}

QString RenameQuestion(const QString& oldName, const QString& newName)
{
    return oldName + QStringLiteral("　　を、\n\n") + newName + QStringLiteral("　　に\n\nリネームします。よろしいですか？");
}

QString RenameFailureMessage(int error)
{
    return error == EEXIST ? QStringLiteral("同名ファイルが存在するためリネームできません。")
                           : QStringLiteral("リネームできませんでした。");
}

QString ManualRenamePrompt()
{
    return QStringLiteral("新しい名前(拡張子を除く)を入力してください。");
}

std::optional<QString> ManualRenameName(const QString& typed, const QString& currentBase)
{
    if (typed.isEmpty() || typed.compare(currentBase, Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return typed + QStringLiteral(".aaa");
}

std::vector<int> OperationRows(const std::vector<browser::FileRow>& rows, int currentRow, bool multiSelection,
                               const std::function<bool(const QString& path)>& exists)
{
    const auto present = [&](const browser::FileRow& row) {
        return exists ? exists(row.fullPath()) : QFileInfo::exists(row.fullPath());
    };
    std::vector<int> set;
    for (int i = 0; i < int(rows.size()); ++i) {
        const bool taken = i == currentRow || (multiSelection && rows[size_t(i)].checked);
        if (taken && present(rows[size_t(i)]))
            set.push_back(i);
    }
    return set;
}

QString DeleteQuestion(int count, bool toTrash)
{
    return QStringLiteral("選択された") + QString::number(count) + QStringLiteral("個のファイルを")
        + (toTrash ? QStringLiteral("ごみ箱に移動しますか?") : QStringLiteral("削除しますか?"));
}

} // namespace fileops
