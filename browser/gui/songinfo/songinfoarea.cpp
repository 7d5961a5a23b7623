#include "browser/gui/songinfo/songinfoarea.h"

#include "browser/core/commandregistry.h"
#include "browser/core/filepane.h"
#include "browser/core/filerow.h"
#include "browser/gui/formmain.h"
#include "browser/gui/songinfo/formabout.h"

#include <QFileInfo>

namespace browser {

const QString SongInfoArea::kEditSong = QStringLiteral("EditSong");

SongInfoArea::SongInfoArea(FormMain& window, const Workbench& bench, QObject* parent)
    : QObject(parent)
    , window_(window)
    , bench_(bench)
{
    setObjectName(QStringLiteral("SongInfoArea"));
}

void SongInfoArea::registerCommands(CommandRegistry& commands)
{
    commands.add(kEditSong, [this] { EditSong(); }, [this] { return canEditSong(); });
}

bool SongInfoArea::canEditSong() const
{
    if (!bench_.activePane)
        return false;
    const int active = bench_.activePane();
    if (active < 0 || active > 1)
        return false;
    const FilePane& p = bench_.pane(active);
    return !p.isLyricsMode() && p.view == PaneView::File && p.selectedRow() >= 0 && p.selectedRow() < p.rowCount();
}

void SongInfoArea::EditSong()
{
    if (!canEditSong())
        return;
    const int active = bench_.activePane();
    EditRow(active, bench_.pane(active).selectedRow());
}

SongInfoOutcome SongInfoArea::EditRow(int pane, int row)
{
    FilePane& p = bench_.pane(pane);
    if (row < 0 || row >= p.rowCount())
        return {};
    const QString path = p.row(row).fullPath();
    const bool shown = window_.currentPane() == pane && window_.currentFile() == path;
    const SongInfoOutcome outcome = FormSongInfo::Open(bench_, path, &window_);
    if (!outcome.changed)
        return outcome;
    if (outcome.path != path) {
        const QString name = QFileInfo(outcome.path).fileName();
        p.updateRow(row, [&](FileRow& r) {
            r.name = name;
            r.setCell(Col::Ext, ExtensionCell(name));
        });
    }
    window_.RefreshRow(pane, row);
    if (shown)
        window_.ShowRow(pane, row);
    return outcome;
}

void SongInfoArea::ShowAbout()
{
    FormAbout::Show(bench_.engine.engine(), &window_);
}

} // namespace browser
