// FilePaneView: a file the workbench itself wrote into the listed folder (the clipboard
// saved as a song's lyrics) gets its row at once, paired like a scanned one.
#include "browser/gui/panes/filepaneview.h"

#include "browser/core/details.h"
#include "browser/core/options.h"
#include "browser/gui/workbench.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace browser {

bool FilePaneView::addFileRow(const QString& path)
{
    FilePane& p = pane();
    const QFileInfo info(path);
    if (!showsFiles() || p.fromDataFile || !info.isFile())
        return false;
    const QString folder = QDir::cleanPath(info.absolutePath());
    const QString listed = QDir::cleanPath(p.folder);
    const bool inside = folder == listed || (ui_.subFolder->isChecked() && folder.startsWith(WithTrailingSeparator(listed)));
    const QString suffix = info.suffix().toLower();
    const bool kindFits = p.isLyricsMode() ? (suffix == QLatin1String("txt") || suffix == QLatin1String("kra") || suffix == QLatin1String("lrc"))
                                           : (suffix == QLatin1String("mp3") || suffix == QLatin1String("rmp"));
    if (!inside || !kindFits)
        return false;
    const QString full = WithTrailingSeparator(folder) + info.fileName();
    for (int r = 0; r < p.rowCount(); ++r)
        if (p.row(r).fullPath() == full)
            return refreshRow(r);
    FileRow row;
    row.name = info.fileName();
    FillFoundFileCells(row, p.mode, WithTrailingSeparator(folder), info.size(), info.lastModified());
    p.appendRow(std::move(row));
    const int added = p.rowCount() - 1;
    FilePane& other = bench_.pane(1 - index_);
    if (p.isLyricsMode())
        FillLyricsRow(p, added, other, *bench_.details, bench_.options->winAmpTime);
    else
        FillSongRow(p, added, other, *bench_.details);
    updateTitle();
    return true;
}

} // namespace browser
