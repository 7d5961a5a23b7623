// FormMain's key bindings: the window-level keys (F1 … F7, Ctrl+arrows, Ctrl+E). The file
// lists, the folder trees and the lyrics text pass their keys here first; their own keys
// are theirs (FilePaneView, LyricsPane).
#include "browser/gui/formmain.h"

#include "browser/gui/layout/windowlayout.h"
#include "browser/gui/lyrics/lyricspane.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QToolButton>

namespace browser {

bool FormMain::FormKeyDown(QKeyEvent* event)
{
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (key == Qt::Key_Escape) {
        bench_.escapeHeld = true;
        return false;
    }
    if (ctrl && key == Qt::Key_E)
        return lyrics_->toggleEdit();
    if (lyrics_->inEditMode())
        return false;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F7) {
        folderViewKey(key);
        return true;
    }
    if (ctrl && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        layout_->showOnePane(key == Qt::Key_Left ? 0 : 1);
        SetActivePane(key == Qt::Key_Left ? 0 : 1);
        FocusPane();
        return true;
    }
    if (ctrl && key == Qt::Key_Up) {
        layout_->centrePanes();
        FocusPane();
        return true;
    }
    if (ctrl && key == Qt::Key_Down) {
        if (lyrics_->showsLyricsFile()) {
            layout_->lowerToTop();
            lyrics_->focusText();
        }
        return true;
    }
    return false;
}

void FormMain::folderViewKey(int key)
{
    // F1 folders, F2 files; in the folder view F3/F4 lyrics/songs, F5 filter,
    // F6 sub-folders, F7 quick access.
    FilePaneView& view = paneView(activePane_);
    PaneWidgets& ui = view.widgets();
    const FilePane& p = view.pane();
    const bool folderView = p.view == PaneView::Folder;
    if (key == Qt::Key_F1 && !folderView)
        SwitchView(PaneView::Folder);
    else if (key == Qt::Key_F2 && folderView)
        SwitchView(PaneView::File);
    if (!folderView)
        return;
    if (key == Qt::Key_F3 && !p.isLyricsMode())
        ui.modeButtons[0]->click();
    else if (key == Qt::Key_F4 && p.isLyricsMode())
        ui.modeButtons[1]->click();
    else if (key == Qt::Key_F5 && ui.filter->isEnabled())
        ui.filter->click();
    else if (key == Qt::Key_F6)
        ui.subFolder->click();
    else if (key == Qt::Key_F7)
        ui.quick->click(); // the quick-access pop-up of the active pane
}

} // namespace browser
