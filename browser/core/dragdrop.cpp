#include "browser/core/dragdrop.h"

#include "browser/core/filepane.h"

namespace browser {
namespace {

bool IsLyricsExtension(const QString& ext)
{
    return ext == QLatin1String("txt") || ext == QLatin1String("kra") || ext == QLatin1String("lrc");
}

bool IsSongExtension(const QString& ext)
{
    return ext == QLatin1String("mp3") || ext == QLatin1String("rmp");
}

} // namespace

QString DropExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1).toLower();
}

DropMenuState DropMenuFor(const QString& droppedPath, const QString& targetPath)
{
    const QString source = DropExtension(droppedPath);
    const QString target = DropExtension(targetPath);
    DropMenuState state;
    if (IsSongExtension(target) && IsLyricsExtension(source)) {
        state.embed = true;
        state.play = true;
    }
    if (IsLyricsExtension(target) && IsSongExtension(source)) {
        state.correct = true;
        state.adjust = true;
    }
    return state;
}

QStringList DragPaths(const FilePane& pane, int row, bool withChecked)
{
    QStringList paths;
    if (row >= 0 && row < pane.rowCount())
        paths << pane.row(row).fullPath();
    if (withChecked) {
        for (const FileRow& r : pane.rows()) {
            const QString path = r.fullPath();
            if (r.checked && !paths.contains(path))
                paths << path;
        }
    }
    return paths;
}

} // namespace browser
