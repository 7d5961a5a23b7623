// FormMain's row menu: the right-click menu of a list row and its entries.
#include "browser/gui/formmain.h"

#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "common/ini.h"
#include "common/textfile.h"
#include "common/utf8text.h"
#include "lyrics/linebreaks.h"
#include "songfiles/pathprobe.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>

namespace browser {
namespace {

using common::U;

} // namespace

void FormMain::PrepareRightClickMenu()
{
    const FilePane& p = pane(activePane_);
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    mnRightClickList_[0]->setEnabled(p.isLyricsMode() && !options_.pluginIni.isEmpty());
    mnRightClickList_[2]->setEnabled(!p.isLyricsMode() && clip && clip->hasText());
    mnRightClickList_[3]->setEnabled(commands_.isEnabled(QStringLiteral("SavePlaylist")));
    mnRightClickList_[5]->setEnabled(true);
}

void FormMain::PopupRightClickMenu(int i, int row, const QPoint& globalPos)
{
    ShowRow(i, row);
    PrepareRightClickMenu();
    mnRightClick_->exec(globalPos);
}

void FormMain::RunRightClickEntry(int entry)
{
    const int i = activePane_;
    if (!paneView(i).showsFiles() || pane(i).isEmpty() || pane(i).selectedRow() < 0)
        return;
    if (entry == 0)
        SetPluginFolder();
    else if (entry == 2)
        SaveClipboardAsLyrics();
    else if (entry == 3)
        RunCommand(QStringLiteral("SavePlaylist"));
}

void FormMain::SetPluginFolder()
{
    const FilePane& p = pane(activePane_);
    const QString folder = WithTrailingSeparator(p.row(p.selectedRow()).cell(Col::Path));
    if (!songfiles::FileExists(options_.pluginIni)) {
        services_.prompter->message(U("WinAmpのPlugin.iniをオプションで指定してください。"), MessageIcon::Warning);
        return;
    }
    if (!common::WriteProfileString(options_.pluginIni, u"Pemrick's Lyrics Common", u"LyricsFolder", folder)) {
        services_.prompter->message(U("処理に失敗しました。"), MessageIcon::Warning);
        return;
    }
    services_.prompter->message(U("WinAmp起動中ならば、WinAmpを再起動してください。"), MessageIcon::Information);
}

void FormMain::SaveClipboardAsLyrics()
{
    const FilePane& p = pane(activePane_);
    const FileRow& row = p.row(p.selectedRow());
    const QString text = QApplication::clipboard()->text();
    FileDialogRequest request;
    request.title = U("クリップボードから保存");
    request.folder = WithTrailingSeparator(row.cell(Col::Path));
    request.defaultExtension = QStringLiteral(".txt");
    request.filter = U("歌詞ファイル|*.txt;*.lrc;*.kra");
    request.fileName = ExtensionStem(row.name).isEmpty() ? QString() : QFileInfo(row.name).completeBaseName() + QStringLiteral(".txt");
    request.confirmOverwrite = true;
    const std::optional<QString> path = services_.prompter->saveFile(request);
    if (!path || path->isEmpty())
        return;
    // The file is replaced in one step, so a failed write leaves any old file intact.
    const QString crlf = lyrics::NormalizeLineBreaks(text);
    common::TextFormat format;
    if (!common::EncodeText(crlf, format))
        format = {common::TextEncoding::Utf8, true};
    if (!common::WriteTextFile(*path, crlf, format)) {
        services_.prompter->message(U("処理に失敗しました。"), MessageIcon::Warning);
        return;
    }
    // The new file's row comes into the lyrics list at once, paired with the song.
    for (FilePaneView* view : views_)
        if (view->isLyricsMode() && view->addFileRow(*path) && currentKind() == 1)
            RebuildLyricSources();
    services_.prompter->message(*path + U(" に保存しました。"), MessageIcon::Information);
}

} // namespace browser
