// FormMain's side of the player strip: the hooks the strip needs from the window,
// EnablePanes, and the drop entry "演奏".
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/player/playerstrip.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace browser {

void FormMain::connectPlayer()
{
    player_->currentSong = [this] { return currentFile(); };
    player_->enablePanes = [this](bool on) { EnablePanes(on, false); };
    player_->applyLyricSource = [this] { ApplyLyricSource(); };
    player_->setPressInterval = [this](int ms) { timer1_->setInterval(ms); };
    RegisterPlayerCommands(commands_, *player_);
}

void FormMain::EnablePanes(bool enabled, bool keepSources)
{
    if (QToolBar* tb = findChild<QToolBar*>(QStringLiteral("TB")))
        tb->setEnabled(enabled);
    for (FilePaneView* view : views_) {
        PaneWidgets& ui = view->widgets();
        for (QWidget* w : {ui.frameButtons, ui.frameFile, ui.frameFolder})
            w->setEnabled(enabled);
    }
    lyrics_->buttonsFrame()->setEnabled(enabled);
    if (auto* implant = sources_->findChild<QToolButton*>(QStringLiteral("ComImplant")))
        implant->setEnabled(enabled);
    for (QMenu* m : {mnFile_, mnEdit_, mnOption_, mnHelp_})
        m->menuAction()->setEnabled(enabled);
    if (!keepSources)
        RebuildLyricSources();
}

void FormMain::PlayDroppedLyrics(int i, int row, const QString& droppedLyrics)
{
    FilePane& p = pane(i);
    if (row < 0 || row >= p.rowCount())
        return;
    if (p.row(row).dimmed) {
        services_.prompter->message(QString::fromUtf8("曲ファイルが対応外のため演奏できません。"), MessageIcon::Information);
        return;
    }
    SelectRow(i, row);
    listView(i)->setFocus();
    ShowRow(i, row);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sources_->setDroppedLyrics(droppedLyrics);
    sources_->chooseSource(LyricSource::Dropped);
    RebuildLyricSources();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (player_->playable())
        player_->playPause();
}

} // namespace browser
