#include "browser/lists/playlist.h"

#include "common/atomicfile.h"
#include "common/codepage.h"

#include <QDir>

namespace browser::lists {

QString PlaylistFailedMessage()
{
    return QString::fromUtf8("処理に失敗しました。");
}

std::optional<QByteArray> EncodePlaylist(std::span<const FileRow> rows, PlaylistFormat format, QString* error)
{
    QByteArray out;
    for (const FileRow& r : rows) {
        if (!r.checked)
            continue;
        const QString path = r.fullPath();
        if (path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n'))) {
            if (error)
                *error = QString::fromUtf8("%1 に改行が含まれています。").arg(path);
            return std::nullopt;
        }
        if (format == PlaylistFormat::M3u8) {
            out += path.toUtf8();
        } else {
            QString why;
            const std::optional<QByteArray> bytes = common::EncodeCp932(path, &why);
            if (!bytes) {
                if (error)
                    *error = QString::fromUtf8("%1 は m3u に保存できません (%2)。m3u8 (UTF-8) を選んでください。").arg(path, why);
                return std::nullopt;
            }
            out += *bytes;
        }
        out += "\r\n";
    }
    return out;
}

bool SavePlaylist(const QString& path, std::span<const FileRow> rows, PlaylistFormat format, QString* error)
{
    const std::optional<QByteArray> bytes = EncodePlaylist(rows, format, error);
    if (!bytes)
        return false;
    return common::WriteFileAtomically(path, *bytes, error);
}

QString PlaylistStartFolder(const FileRow& selected)
{
    QString folder = selected.cell(Col::Path);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')) && folder != QDir::rootPath())
        folder.chop(1);
    return folder;
}

PlaylistFormat PlaylistFormatForPath(const QString& path)
{
    return path.endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive) ? PlaylistFormat::M3u8 : PlaylistFormat::M3u;
}

} // namespace browser::lists
