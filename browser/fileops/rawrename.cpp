#include "browser/fileops/rawrename.h"

#include "browser/fileops/posixfs.h"
#include "common/rawname.h"

#include <QSet>
#include <algorithm>
#include <sys/stat.h>

namespace fileops {
namespace {

QString WithSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool Present(const QString& path)
{
    struct stat st;
    return ::lstat(common::NativePath(path).constData(), &st) == 0;
}

} // namespace

std::vector<RawRename> PlanRawRenames(const QString& folder, const QStringList& names)
{
    std::vector<RawRename> plan;
    QSet<QString> taken; // new names of the plan, in lower case too: some file systems ignore case
    for (const QString& name : names) {
        if (!common::HasRawBytes(name))
            continue;
        RawRename r;
        r.folder = WithSlash(folder);
        r.oldName = name;
        const std::optional<QString> utf8 = common::Utf8NameFor(name);
        if (!utf8) {
            r.status = RawRename::Status::NoName;
        } else {
            r.newName = *utf8;
            if (Present(r.newPath()))
                r.status = RawRename::Status::Exists;
            else if (taken.contains(r.newName.toLower()))
                r.status = RawRename::Status::Duplicate;
            else
                r.status = RawRename::Status::Ready;
            taken.insert(r.newName.toLower());
        }
        plan.push_back(std::move(r));
    }
    return plan;
}

std::vector<RawRename> PlanFolderRawRenames(const QString& folder)
{
    QStringList names;
    if (!common::HasRawBytes(folder)) // inside a folder Qt cannot see, every name would come
        for (const common::RawEntry& e : common::ListEntriesQtSkips(folder))
            names << e.name;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return common::DisplayPath(a).compare(common::DisplayPath(b), Qt::CaseInsensitive) < 0;
    });
    return PlanRawRenames(folder, names);
}

QString RawRenameStatusText(RawRename::Status status)
{
    switch (status) {
    case RawRename::Status::Ready: return QStringLiteral("変換します");
    case RawRename::Status::Exists: return QStringLiteral("同名のファイルがあるため変換しません");
    case RawRename::Status::Duplicate: return QStringLiteral("新しい名前が他と重なるため変換しません");
    case RawRename::Status::NoName: return QStringLiteral("Shift_JIS として読めないため変換しません");
    }
    return QString();
}

RawRenameResult ApplyRawRenames(const std::vector<RawRename>& plan)
{
    RawRenameResult result;
    for (const RawRename& r : plan) {
        if (r.status != RawRename::Status::Ready)
            continue;
        const int err = RenameNoReplace(common::NativePath(r.oldPath()), common::NativePath(r.newPath()));
        if (err == 0)
            result.renamed.push_back(r);
        else
            result.failed.push_back({r, err});
    }
    return result;
}

QString RawRenameReport(const std::vector<RawRename>& plan, const RawRenameResult& result)
{
    QStringList lines;
    for (const auto& [r, err] : result.failed)
        lines << QStringLiteral("%1 → %2: %3").arg(common::DisplayPath(r.oldName), r.newName, ReasonFor(err));
    for (const RawRename& r : plan)
        if (r.status != RawRename::Status::Ready)
            lines << QStringLiteral("%1: %2").arg(common::DisplayPath(r.oldName), RawRenameStatusText(r.status));
    if (lines.isEmpty())
        return QString();
    const int shown = 10;
    QString text = QStringLiteral("%1 個のファイルの名前を変換できませんでした。\n\n").arg(lines.size());
    text += lines.mid(0, shown).join(QLatin1Char('\n'));
    if (lines.size() > shown)
        text += QStringLiteral("\n… ほか %1 個").arg(lines.size() - shown);
    return text;
}

} // namespace fileops
