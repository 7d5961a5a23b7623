#include "browser/core/rawnamescan.h"

#include "common/rawname.h"

#include <QRegularExpression>

#include <climits>
#include <cstdlib>

namespace browser {
namespace {

QString CanonicalPath(const QString& path)
{
    char resolved[PATH_MAX];
    if (!::realpath(common::NativePath(path).constData(), resolved))
        return QString();
    return common::PathFromNative(QByteArrayView(resolved));
}

} // namespace

void AddFilesQtSkips(const QString& folder, const QString& pattern, std::vector<FoundFile>& files)
{
    std::vector<common::RawEntry> entries = common::ListEntriesQtSkips(folder);
    if (entries.empty())
        return;
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern),
                                   QRegularExpression::CaseInsensitiveOption);
    for (common::RawEntry& e : entries) {
        // The escapes are lone surrogates, which a regular expression refuses to look at:
        // match a copy in which they are replacement characters (patterns are ASCII).
        QString matchable = e.name;
        for (QChar& c : matchable)
            if (c.isSurrogate())
                c = QChar(QChar::ReplacementCharacter);
        if (e.isDir || !match.match(matchable).hasMatch())
            continue;
        files.push_back({std::move(e.name), folder, e.size, e.modified});
    }
}

void AddFoldersQtSkips(const QString& folder, QStringList& names, QSet<QString>& visited)
{
    for (const common::RawEntry& e : common::ListEntriesQtSkips(folder)) {
        if (!e.isDir || e.name.startsWith(QLatin1Char('.')))
            continue;
        const QString canonical = CanonicalPath(folder + e.name);
        if (canonical.isEmpty() || visited.contains(canonical))
            continue;
        visited.insert(canonical);
        names << e.name;
    }
}

QString RawNameMark()
{
    return QStringLiteral("〔SJIS〕");
}

QString ShownCell(const FileRow& row, Col col)
{
    if (col == Col::Filename && common::HasRawBytes(row.name))
        return RawNameMark() + common::DisplayPath(row.name);
    if (col == Col::Path)
        return common::DisplayPath(row.cell(col));
    return row.cell(col);
}

QString ShownToolTip(const FileRow& row, Col col)
{
    const QString shown = ShownCell(row, col);
    if (col != Col::Filename || !common::HasRawBytes(row.name))
        return shown;
    return shown + QStringLiteral("\nこのファイル名は UTF-8 ではありません (Shift_JIS として表示しています)。"
                                  "\n右クリックメニューの「ファイル名を UTF-8 に変換」で直せます。");
}

} // namespace browser
