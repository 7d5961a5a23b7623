// The lists area: the file-list data file (Save / Open) and the playlist of the checked
// rows. Files are written whole or not at all (the old file stays until the new one is
// complete); a data file is checked before the pane is touched.
#include "browser/gui/lists/listsarea.h"

#include "browser/core/filepane.h"
#include "browser/core/prompter.h"
#include "browser/gui/formmain.h"
#include "browser/gui/workbench.h"
#include "browser/lists/datafile.h"
#include "browser/lists/playlist.h"
#include "common/utf8text.h"

#include <QApplication>
#include <QFileInfo>
#include <QTableView>

namespace browser {
namespace {

using common::U;

const char* const kDataFileFilter = "Melwick形式データファイル(*.mlf)|*.mlf";

/// The busy pointer for the lifetime of the guard.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

/// A message with the reason below it, when there is one.
QString WithReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : message + QStringLiteral("\n\n") + reason;
}

} // namespace

void ListsArea::saveList()
{
    const int i = active();
    const FilePane& p = bench_.pane(i);
    FileDialogRequest request;
    request.title = U("ファイルリストの保存");
    request.filter = U(kDataFileFilter);
    request.defaultExtension = QStringLiteral(".mlf");
    request.folder = p.fromDataFile ? QString() : p.folder;
    request.confirmOverwrite = true;
    const std::optional<QString> path = bench_.prompter->saveFile(request);
    if (!path || path->isEmpty())
        return;
    // The folder the title shows: a scanned list's folder as the tree reports it (the
    // command line writes the same text), a loaded list's own "folder=".
    const QString folder = p.fromDataFile ? p.loadedFolder : lists::ListFolderText(p.folder);
    QString why;
    bool saved = false;
    {
        BusyPointer busy;
        saved = lists::SaveDataFile(*path, p.mode, folder, p.rows(), &why);
    }
    if (!saved)
        bench_.prompter->message(WithReason(lists::SaveFailedMessage(), why), MessageIcon::Information);
}

void ListsArea::openList()
{
    const int i = active();
    FileDialogRequest request;
    request.title = U("ファイルリストを開く");
    request.filter = U(kDataFileFilter);
    request.defaultExtension = QStringLiteral(".mlf");
    request.mustExist = true;
    const std::optional<QString> path = bench_.prompter->openFile(request);
    if (!path || path->isEmpty() || !QFileInfo(*path).isFile())
        return;

    std::optional<BusyPointer> busy(std::in_place);
    lists::DataFileLoad load = lists::ReadDataFile(*path);
    if (!load.headerRead()) {
        // Not a data file (or unreadable from its first line): the pane stays as it was.
        busy.reset();
        bench_.prompter->message(WithReason(lists::LoadFailedMessage(), load.error), MessageIcon::Information);
        return;
    }
    FilePane& p = bench_.pane(i);
    if (p.view == PaneView::File) {
        if (window_.currentPane() == i && !window_.currentFile().isEmpty())
            window_.ClearShown(window_.currentKind());
        window_.CaptureColumns(i);
    }
    window_.ShowListWithoutScan(i, load.mode);
    window_.BuildColumns(i);
    const lists::DataFileLoad::Status status = load.status;
    const QString error = load.error;
    const QStringList refused = load.refused;
    p.loadedFolder = load.folder;
    lists::ApplyDataFile(p, bench_.pane(1 - i), std::move(load));
    window_.UpdatePaneTitle(i);
    if (!p.isEmpty()) {
        window_.SelectRow(i, 0);
        window_.ShowRow(i, 0);
        window_.AutoSelectPartner(i, 0);
    }
    window_.listView(i)->setFocus();
    busy.reset();
    if (status == lists::DataFileLoad::Status::Failed)
        bench_.prompter->message(WithReason(lists::LoadFailedMessage(), error), MessageIcon::Information);
    if (!refused.isEmpty()) {
        // Rows that would point outside their folder are left out; say which.
        QStringList shown = refused.mid(0, 10);
        if (refused.size() > shown.size())
            shown << QStringLiteral("… (%1)").arg(refused.size());
        bench_.prompter->message(U("次の行は読み込みませんでした。") + QStringLiteral("\n\n") + shown.join(QLatin1Char('\n')),
                                 MessageIcon::Information);
    }
}

void ListsArea::savePlaylist()
{
    const int i = active();
    const FilePane& p = bench_.pane(i);
    QString why;
    const std::optional<QByteArray> text = lists::EncodePlaylist(p.rows(), lists::PlaylistFormat::M3u8, &why);
    if (text && text->isEmpty())
        return; // no row is checked
    FileDialogRequest request;
    request.title = U("プレイリスト保存");
    request.folder = lists::PlaylistStartFolder(p.row(p.selectedRow()));
    request.defaultExtension = QStringLiteral(".m3u");
    request.filter = U("プレイリストファイル|*.m3u|m3u8 (UTF-8)|*.m3u8");
    request.confirmOverwrite = true;
    const std::optional<QString> path = bench_.prompter->saveFile(request);
    if (!path || path->isEmpty())
        return;
    bool saved = false;
    {
        BusyPointer busy;
        saved = lists::SavePlaylist(*path, p.rows(), lists::PlaylistFormatForPath(*path), &why);
    }
    if (!saved)
        bench_.prompter->message(WithReason(lists::PlaylistFailedMessage(), why), MessageIcon::Warning);
}

} // namespace browser
