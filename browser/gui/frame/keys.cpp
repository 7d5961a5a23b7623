// FormMain's key bindings: the window-level keys (F1 … F7, Ctrl+arrows, Ctrl+E) and the
// keys of the file lists, which run commands by key through the registry.
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/player/playerstrip.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace browser {
void FormMain::MoveSelectedRow(int paneIndex, int step)
{
    FilePane& p = pane(paneIndex);
    const int row = p.selectedRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= p.rowCount())
        return;
    if (p.sorted) {
        p.resetSorting();
        listModel(paneIndex).setSortArrow(-1, 0);
    }
    p.swapRows(row, to);
    paneUi_[static_cast<size_t>(paneIndex)].list->scrollTo(listModel(paneIndex).index(to, 0));
}

void FormMain::FormKeyDown(QKeyEvent* event, bool* handled)
{
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (key == Qt::Key_Escape) {
        escHeld_ = true;
        return;
    }
    if (ctrl && key == Qt::Key_E) {
        if (chkTextEdit_->isEnabled()) {
            chkTextEdit_->click();
            *handled = true;
        }
        return;
    }
    if (inEditMode())
        return;
    PaneWidgets& ui = paneUi_[static_cast<size_t>(activePane_)];
    FilePane& p = pane(activePane_);
    const bool folderView = p.view == PaneView::Folder;
    *handled = true;
    switch (key) {
    case Qt::Key_F1:
        if (!folderView)
            SwitchView(PaneView::Folder);
        return;
    case Qt::Key_F2:
        if (folderView)
            SwitchView(PaneView::File);
        return;
    case Qt::Key_F3:
        if (folderView && !p.isLyricsMode())
            ui.modeButtons[0]->click();
        return;
    case Qt::Key_F4:
        if (folderView && p.isLyricsMode())
            ui.modeButtons[1]->click();
        return;
    case Qt::Key_F5:
        if (folderView && ui.filter->isEnabled())
            ui.filter->click();
        return;
    case Qt::Key_F6:
        if (folderView)
            ui.subFolder->click();
        return;
    case Qt::Key_F7:
        if (folderView)
            ui.quick->click(); // the quick-access pop-up of the active pane
        return;
    default:
        break;
    }
    if (ctrl && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        ApplyLayout(key == Qt::Key_Left ? clientWidthTwips() : 0, clientHeightTwips());
        SetActivePane(key == Qt::Key_Left ? 0 : 1);
        FocusPane();
        return;
    }
    if (ctrl && key == Qt::Key_Up) {
        ApplyLayout((clientWidthTwips() - PixelsToTwips(splitterPanes_->handleWidth())) / 2, clientHeightTwips());
        FocusPane();
        return;
    }
    if (ctrl && key == Qt::Key_Down) {
        if (currentKind_ == 0 && !currentFile_.isEmpty()) {
            ApplyLayout(isMaximized() ? splitXMax_ : splitX_, minTopHeight_);
            textLyrics_->setFocus();
        }
        return;
    }
    *handled = false;
}

void FormMain::ListKeyDown(int paneIndex, QKeyEvent* event, bool* handled)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    QString command;
    switch (event->key()) {
    case Qt::Key_R:
        command = ctrl ? QStringLiteral("ReSearch") : QString();
        break;
    case Qt::Key_A:
        command = ctrl ? QStringLiteral("SelectAll") : QString();
        break;
    case Qt::Key_D:
        command = ctrl ? QStringLiteral("SelectNone") : QString();
        break;
    case Qt::Key_I:
        command = ctrl ? QStringLiteral("SelectInverse") : QString();
        break;
    case Qt::Key_S:
        command = ctrl ? QStringLiteral("SelectSearch") : QString();
        break;
    case Qt::Key_Delete:
        command = QStringLiteral("SelectClear");
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (event->modifiers() == Qt::ShiftModifier) {
            MoveSelectedRow(paneIndex, event->key() == Qt::Key_Up ? -1 : 1);
            *handled = true;
            return;
        }
        break;
    case Qt::Key_Backspace:
        SetActivePane(paneIndex);
        SwitchView(PaneView::Folder);
        *handled = true;
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (pane(paneIndex).view == PaneView::File) {
            if (pane(paneIndex).isLyricsMode()) {
                if (chkTextEdit_->isEnabled() && !chkTextEdit_->isChecked())
                    chkTextEdit_->click();
            } else {
                RowDoubleClick(paneIndex);
            }
            *handled = true;
        }
        return;
    default:
        break;
    }
    if (escHeld_ && !event->text().isEmpty()) {
        SetActivePane(paneIndex);
        SwitchView(PaneView::Folder);
        *handled = true;
        return;
    }
    if (!command.isEmpty()) {
        RunCommand(command);
        *handled = true;
    }
}

} // namespace browser
