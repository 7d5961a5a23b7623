// FormMain: the two file panes — folder view, scan, columns, sorting, titles, and the
// mouse and keys on their rows.
#include "browser/gui/formmain.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/player/playerstrip.h"

#include "browser/core/details.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "browser/core/scan.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "songfiles/pathprobe.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace browser {
namespace {

bool FolderReachable(const QString& path)
{
    return songfiles::FolderAccessible(path);
}

} // namespace

void FormMain::registerPaneCommands()
{
    // "ファイルリストの更新": a listed folder (not a loaded file list) is read again.
    commands_.add(QStringLiteral("ReSearch"), [this] { ReSearch(); }, [this] {
        return !pane(activePane_).fromDataFile && paneUi_[static_cast<size_t>(activePane_)].frameFile->isVisibleTo(this);
    });
    commands_.add(QStringLiteral("RefreshChecked"), [this] { RefreshCheckedRows(); }, [this] { return activePaneHasRows(); });
}

bool FormMain::activePaneHasRows() const
{
    return paneUi_[static_cast<size_t>(activePane_)].frameFile->isVisibleTo(this) && !panes_[static_cast<size_t>(activePane_)]->isEmpty();
}

void FormMain::connectPane(int i)
{
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    FilePane& p = pane(i);

    ui.driveList = ListDrives();
    for (const Drive& d : std::as_const(ui.driveList))
        ui.drives->addItem(d.label, d.root);
    const QString start = services_.startFolder.isEmpty() ? QDir::currentPath() : services_.startFolder;
    const int drive = qMax(0, DriveIndexFor(ui.driveList, start));
    ui.drives->setCurrentIndex(drive);
    p.lastDrive = ui.driveList.value(drive).root;
    p.folder = p.lastDrive;

    connect(ui.viewGroup, &QButtonGroup::idClicked, this, [this, i](int id) { onViewClicked(i, id); });
    connect(ui.modeGroup, &QButtonGroup::idClicked, this, [this, i](int id) { onModeClicked(i, id); });
    connect(ui.subFolder, &QCheckBox::clicked, this, [this, i](bool on) {
        pane(i).subFolders = on;
        SetActivePane(i);
        FocusPane();
    });
    connect(ui.quick, &QToolButton::clicked, this, [this, i] { quick_->Popup(i); });
    connect(ui.drives, &QComboBox::activated, this, [this, i](int) { DriveChanged(i); });
    connect(ui.tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, i](const QModelIndex& current) { onTreeCurrentChanged(i, current); });
    connect(ui.list->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, i](int column) { SortByColumn(i, column); });
    connect(ui.list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, i] {
        const QModelIndexList rows = paneUi_[static_cast<size_t>(i)].list->selectionModel()->selectedRows();
        pane(i).setSelectedRow(rows.isEmpty() ? -1 : rows.first().row());
        UpdatePaneTitle(i);
    });
    connect(ui.model, &FileListModel::checkChanged, this, [this, i] {
        timer1_->stop();
        UpdatePaneTitle(i);
    });
    ui.model->rowIcon = [](int number) { return RowStateIcon(number); };
    ui.model->arrowIcon = [](int arrow) { return SortArrowIcon(arrow); };
}

QString FormMain::paneFolder(int i) const
{
    return panes_[static_cast<size_t>(i)]->folder;
}

void FormMain::SetActivePane(int i)
{
    activePane_ = i;
    paintTitles();
}

void FormMain::paintTitles()
{
    for (int i = 0; i < 2; ++i) {
        QLabel* title = paneUi_[static_cast<size_t>(i)].title;
        QPalette pal = title->palette();
        const bool active = i == activePane_;
        pal.setColor(QPalette::Window, QApplication::palette().color(active ? QPalette::Highlight : QPalette::Button));
        pal.setColor(QPalette::WindowText, QApplication::palette().color(active ? QPalette::HighlightedText : QPalette::ButtonText));
        title->setPalette(pal);
        title->setBackgroundRole(QPalette::Window);
        title->setForegroundRole(QPalette::WindowText);
    }
}

void FormMain::FocusPane()
{
    const PaneWidgets& ui = paneUi_[static_cast<size_t>(activePane_)];
    if (ui.tree->isVisibleTo(this) && ui.tree->isEnabled())
        ui.tree->setFocus();
    if (ui.list->isVisibleTo(this))
        ui.list->setFocus();
}

bool FormMain::IsLyricsMode(int i) const
{
    return paneUi_[static_cast<size_t>(i)].modeButtons[0]->isChecked();
}

void FormMain::onModeClicked(int i, int mode)
{
    pane(i).mode = mode == 0 ? PaneMode::Lyrics : PaneMode::Song;
    SetActivePane(i);
    FocusPane();
}

void FormMain::onViewClicked(int i, int view)
{
    SetActivePane(i);
    SwitchView(view == 0 ? PaneView::Folder : PaneView::File);
}

void FormMain::setBusy(bool busy)
{
    if (busy) {
        if (busy_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void FormMain::SwitchView(PaneView view)
{
    const int i = activePane_;
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    FilePane& p = pane(i);
    setBusy(true);
    if (p.view == view) {
        if (view == PaneView::Folder)
            ui.tree->setFocus();
        else
            ui.list->setFocus();
        setBusy(false);
        return;
    }
    if (view == PaneView::Folder) {
        for (QToolButton* b : ui.modeButtons)
            b->setEnabled(true);
        if (currentPane_ == i && !currentFile_.isEmpty())
            ClearShown(currentKind_);
        CaptureColumns(i);
        ui.frameFile->hide();
        ui.frameFolder->show();
        setPaneTitleText(i, p.folder);
        ui.tree->setFocus();
    } else {
        p.fromDataFile = false;
        for (QToolButton* b : ui.modeButtons)
            b->setEnabled(false);
        ScanPane(i);
        ui.frameFolder->hide();
        ui.frameFile->show();
        ui.list->setFocus();
    }
    p.view = view;
    ui.viewButtons[view == PaneView::Folder ? 0 : 1]->setChecked(true);
    setBusy(false);
}

bool FormMain::ScanPane(int i)
{
    FilePane& p = pane(i);
    setBusy(true);
    p.mode = IsLyricsMode(i) ? PaneMode::Lyrics : PaneMode::Song;
    BuildColumns(i);
    ScanRequest request;
    request.folder = WithTrailingSeparator(p.folder);
    request.mode = p.mode;
    request.subFolders = paneUi_[static_cast<size_t>(i)].subFolder->isChecked();
    request.autoLoad = autoLoad();
    request.userWinAmpTime = options_.winAmpTime;
    if (p.filterOn)
        request.nameFilter = p.nameFilter;
    PaneScan scan(p, pane(1 - i), *services_.details, request);
    runningScan_ = &scan;
    connect(&scan, &PaneScan::progress, this, [this, i, folder = p.folder](int rows) {
        setPaneTitleText(i, PaneTitle(folder, rows, pane(i).countCheckedOrSelected()));
    });
    const bool complete = scan.exec();
    runningScan_ = nullptr;
    UpdatePaneTitle(i);
    setBusy(false);
    if (!complete)
        services_.prompter->message(QString::fromUtf8("読み込みを途中で中断しました。"), MessageIcon::Warning);
    QCoreApplication::processEvents();
    return complete;
}

void FormMain::BuildColumns(int i)
{
    FilePane& p = pane(i);
    p.clearRows();
    p.resetSorting();
    p.sortKey = 0;
    listModel(i).setColumnsPresent(true);
    applyColumnLayout(i);
}

void FormMain::applyColumnLayout(int i)
{
    QHeaderView* header = paneUi_[static_cast<size_t>(i)].list->horizontalHeader();
    const PaneMode mode = pane(i).mode;
    const int count = ModeColumnCount(mode);
    if (listModel(i).columnCount() != count + 1)
        return;
    for (int v = 0; v < header->count(); ++v)
        header->moveSection(header->visualIndex(v), v);
    for (int n = 1; n <= count; ++n)
        header->resizeSection(n - 1, TwipsToPixels(colLayout_.width(mode, n)));
    const QList<int> order = colLayout_.displayOrder(mode);
    for (qsizetype v = 0; v < order.size(); ++v)
        header->moveSection(header->visualIndex(order.at(v) - 1), static_cast<int>(v));
}

void FormMain::captureColumnLayout(int i)
{
    const QHeaderView* header = paneUi_[static_cast<size_t>(i)].list->horizontalHeader();
    const PaneMode mode = pane(i).mode;
    const int count = ModeColumnCount(mode);
    if (listModel(i).columnCount() != count + 1)
        return;
    for (int n = 1; n <= count; ++n) {
        colLayout_.setPosition(mode, n, header->visualIndex(n - 1) + 1);
        colLayout_.setWidth(mode, n, KeepTwips(colLayout_.width(mode, n), header->sectionSize(n - 1)));
    }
}

void FormMain::CaptureColumns(int i)
{
    FilePane& p = pane(i);
    captureColumnLayout(i);
    ClearPairMarks(pane(1 - i));
    p.clearRows();
    listModel(i).setColumnsPresent(false);
    p.resetSorting();
    setPaneTitleText(i, p.folder);
}

ColumnLayout FormMain::fittedColumnDefaults() const
{
    // The table's widths, widened where the window's font needs more room for a column's
    // caption (with its sort arrow) or a typical value, so nothing common is clipped.
    const QTableView* list = paneUi_[0].list;
    const QFontMetrics text = list->fontMetrics();
    const QFontMetrics header = list->horizontalHeader()->fontMetrics();
    const int arrow = list->iconSize().width() + 8;
    const int padding = 14;
    ColumnLayout layout;
    for (PaneMode mode : {PaneMode::Lyrics, PaneMode::Song}) {
        const QList<ColumnDef>& cols = ModeColumns(mode);
        for (qsizetype n = 1; n <= cols.size(); ++n) {
            const ColumnDef& c = cols.at(n - 1);
            QString sample;
            int extra = padding;
            switch (c.col) {
            case Col::Filename:
                sample = QString::fromUtf8("あいうえおかき.txt");
                extra += list->iconSize().width() * 2 + 12; // check box and icon
                break;
            case Col::Size:
                sample = mode == PaneMode::Lyrics ? QStringLiteral("999,999 B") : QStringLiteral("99,999 kB");
                break;
            case Col::Timestamp:
                sample = QStringLiteral("2000/00/00 00:00:00");
                break;
            case Col::Artist:
            case Col::Title:
            case Col::Album:
            case Col::Comment:
            case Col::TaggingBy:
                sample = QString::fromUtf8("あいうえおか");
                break;
            case Col::TimeType:
                sample = QStringLiteral("WinAmp");
                break;
            case Col::Tags:
                sample = QStringLiteral("I R L V");
                break;
            case Col::Sr:
                sample = QStringLiteral("44.1");
                break;
            case Col::PlayTime:
                sample = QStringLiteral("99:59");
                break;
            default:
                break;
            }
            const int needed = qMax(text.horizontalAdvance(sample) + extra, header.horizontalAdvance(c.caption) + arrow + padding);
            layout.setWidth(mode, static_cast<int>(n), qMax(DefaultColumnWidth(mode, static_cast<int>(n)), PixelsToTwips(needed)));
        }
    }
    return layout;
}

void FormMain::ResetColumns()
{
    colLayout_ = fittedColumnDefaults();
    for (int i = 0; i < 2; ++i)
        if (paneUi_[static_cast<size_t>(i)].frameFile->isVisibleTo(this))
            applyColumnLayout(i);
}

void FormMain::setPaneTitleText(int i, const QString& text)
{
    paneUi_[static_cast<size_t>(i)].title->setText(text);
}

void FormMain::UpdatePaneTitle(int i)
{
    const FilePane& p = pane(i);
    setPaneTitleText(i, PaneTitle(p.titleFolder(), p.rowCount(), p.countCheckedOrSelected()));
}

void FormMain::ShowListWithoutScan(int i, PaneMode mode)
{
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    FilePane& p = pane(i);
    p.mode = mode;
    ui.modeButtons[mode == PaneMode::Lyrics ? 0 : 1]->setChecked(true);
    for (QToolButton* b : ui.modeButtons)
        b->setEnabled(false);
    ui.viewButtons[1]->setChecked(true);
    ui.frameFolder->hide();
    ui.frameFile->show();
    p.view = PaneView::File;
}

QCheckBox* FormMain::filterBox(int i) const
{
    return paneUi_[static_cast<size_t>(i)].filter;
}

void FormMain::SortByColumn(int i, int column)
{
    SetActivePane(i);
    FilePane& p = pane(i);
    const Qt::SortOrder order = p.sortOrder == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    p.sortRows(column, order);
    listModel(i).setSortArrow(column, order == Qt::DescendingOrder ? 1 : 2);
    QTableView* list = paneUi_[static_cast<size_t>(i)].list;
    if (p.selectedRow() >= 0)
        list->scrollTo(listModel(i).index(p.selectedRow(), 0));
}

void FormMain::SelectRow(int i, int row)
{
    QTableView* list = paneUi_[static_cast<size_t>(i)].list;
    if (row < 0 || row >= pane(i).rowCount())
        return;
    const QModelIndex index = listModel(i).index(row, 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    pane(i).setSelectedRow(row);
    list->scrollTo(index);
}

void FormMain::selectRowQuietly(int i, int row)
{
    const bool old = suppressSelection_;
    suppressSelection_ = true;
    SelectRow(i, row);
    suppressSelection_ = old;
}

void FormMain::AutoSelectPartner(int i, int row)
{
    if (!autoSelect())
        return;
    const int partner = FindPartnerRow(pane(i), row, pane(1 - i));
    if (partner >= 0)
        selectRowQuietly(1 - i, partner);
}

bool FormMain::RefreshRow(int i, int row)
{
    const bool ok = browser::RefreshRow(pane(i), row, pane(1 - i), *services_.details, options_.winAmpTime);
    UpdatePaneTitle(i);
    return ok;
}

void FormMain::ReSearch()
{
    const int i = activePane_;
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    if (pane(i).fromDataFile || !ui.frameFile->isVisibleTo(this))
        return;
    textLyrics_->setFocus();
    player_->playPauseButton()->setFocus();
    ui.list->hide();
    ClearShown(0);
    CaptureColumns(i);
    ScanPane(i);
    if (!pane(i).isEmpty()) {
        SelectRow(i, 0);
        ShowRow(i, 0);
    }
    ui.list->show();
    ui.list->setFocus();
}

void FormMain::RefreshCheckedRows()
{
    const int i = activePane_;
    setBusy(true);
    const int remembered = pane(i).selectedRow();
    int refreshed = 0;
    for (int row = 0; row < pane(i).rowCount(); ++row) {
        if (!pane(i).row(row).checked)
            continue;
        RefreshRow(i, row);
        if (++refreshed % 10 == 0) {
            selectRowQuietly(i, row);
            QCoreApplication::processEvents();
        }
    }
    if (remembered >= 0)
        selectRowQuietly(i, remembered);
    setBusy(false);
}

QString FormMain::treeFolder(int i) const
{
    return paneFolder(i);
}

bool FormMain::setDriveFor(int i, const QString& path)
{
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    const int drive = DriveIndexFor(ui.driveList, path);
    if (drive < 0)
        return false;
    const QString root = ui.driveList.at(drive).root;
    if (!FolderReachable(root))
        return false;
    ui.drives->setCurrentIndex(drive);
    if (pane(i).lastDrive != root || ui.tree->rootIndex() != ui.folders->index(root)) {
        ui.folders->setRootPath(root);
        ui.tree->setRootIndex(ui.folders->index(root));
    }
    pane(i).lastDrive = root;
    return true;
}

bool FormMain::setTreeFolder(int i, const QString& path)
{
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    const QString clean = QDir::cleanPath(path);
    if (!FolderReachable(clean))
        return false;
    if (clean == QDir::cleanPath(pane(i).lastDrive)) {
        ui.tree->selectionModel()->clearCurrentIndex();
        ui.tree->clearSelection();
        pane(i).folder = clean;
        return true;
    }
    const QModelIndex index = ui.folders->index(clean);
    if (!index.isValid())
        return false;
    ui.tree->setCurrentIndex(index);
    // The folder is not expanded: listing a folder of many thousand files in the tree
    // would hold up the window while the scan runs.
    ui.tree->scrollTo(index);
    pane(i).folder = clean;
    return true;
}

void FormMain::ShowFolder(int i, const QString& path)
{
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    const int rememberedDrive = ui.drives->currentIndex();
    const QString rememberedFolder = pane(i).folder;
    bool ok = !path.isEmpty() && setDriveFor(i, path);
    if (ok) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ok = setTreeFolder(i, path);
    }
    if (!ok) {
        ui.drives->setCurrentIndex(rememberedDrive);
        setDriveFor(i, ui.driveList.value(rememberedDrive).root);
        if (!setTreeFolder(i, rememberedFolder))
            setTreeFolder(i, pane(i).lastDrive);
        ui.tree->setFocus();
    }
    if (pane(i).view == PaneView::Folder)
        setPaneTitleText(i, pane(i).folder);
    else
        UpdatePaneTitle(i);
}

void FormMain::DriveChanged(int i)
{
    SetActivePane(i);
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    const QString root = ui.drives->currentData().toString();
    if (FolderReachable(root)) {
        setDriveFor(i, root);
        setTreeFolder(i, root);
    } else {
        services_.prompter->message(root + QString::fromUtf8(" にアクセスできません。"), MessageIcon::Warning);
        const int back = DriveIndexFor(ui.driveList, pane(i).lastDrive);
        if (back >= 0)
            ui.drives->setCurrentIndex(back);
    }
    setPaneTitleText(i, pane(i).folder);
    ui.tree->setFocus();
}

void FormMain::onTreeCurrentChanged(int i, const QModelIndex& index)
{
    if (!index.isValid())
        return;
    pane(i).folder = paneUi_[static_cast<size_t>(i)].folders->filePath(index);
    if (pane(i).view == PaneView::Folder)
        setPaneTitleText(i, pane(i).folder);
}

void FormMain::RowMouseDown(int i, int row, bool shift)
{
    if (handlingPress_)
        return;
    pressedRow_ = row;
    pressedPane_ = i;
    pressedShift_ = shift;
    doubleClicked_ = false;
    timer1_->start();
}

void FormMain::PressTimerFired()
{
    timer1_->stop();
    if (pressedRow_ < 0)
        return;
    const int i = pressedPane_;
    const int row = pressedRow_;
    pressedRow_ = -1;
    handlingPress_ = true;
    ShowRow(i, row);
    selectRowQuietly(i, row);
    handlingPress_ = false;
}

void FormMain::RowMouseUp()
{
    if (doubleClicked_)
        return;
    timer1_->stop();
    if (pressedRow_ < 0)
        return;
    const int i = pressedPane_;
    const int row = pressedRow_;
    pressedRow_ = -1;
    handlingPress_ = true;
    ShowRow(i, row);
    handlingPress_ = false;
}

void FormMain::RowDoubleClick(int i)
{
    timer1_->stop();
    doubleClicked_ = true;
    pressedRow_ = -1;
    if (pane(i).isLyricsMode()) {
        if (chkTextEdit_->isEnabled() && !chkTextEdit_->isChecked())
            chkTextEdit_->click();
    }
}

void FormMain::ListKeyUp(int i, QKeyEvent* event)
{
    const int key = event->key();
    if (QGuiApplication::mouseButtons() != Qt::NoButton || key == Qt::Key_Shift || key == Qt::Key_Control
        || (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) || event->isAutoRepeat())
        return;
    if (!timer1_->isActive())
        ShowRow(i, pane(i).selectedRow());
}

void FormMain::ListFocusIn(int i)
{
    SetActivePane(i);
    if (handlingPress_ || timer1_->isActive() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    const int row = pane(i).selectedRow();
    if (row < 0 || (currentPane_ == i && currentFile_ == pane(i).row(row).fullPath()))
        return; // nothing selected, or already shown
    ShowRow(i, row);
    paneUi_[static_cast<size_t>(i)].list->scrollTo(listModel(i).index(row, 0));
}

bool FormMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    auto* widget = qobject_cast<QWidget*>(watched);
    if (filterWhileBusy(widget, event))
        return true;

    // Key preview: the window sees every key of its controls first.
    if (watched == qApp || !widget)
        return QMainWindow::eventFilter(watched, event);
    if (type == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && widget->window() == this)
        escHeld_ = false;

    // Edit mode: the lyrics text keeps the focus; clicks elsewhere in the panes are refused.
    if (inEditMode() && widget->window() == this
        && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        for (const PaneWidgets& ui : paneUi_) {
            if (ui.frame->isAncestorOf(widget)) {
                textLyrics_->setFocus();
                return true;
            }
        }
    }
    if (watched == textLyrics_ && type == QEvent::KeyPress)
        return lyricsKeyPress(static_cast<QKeyEvent*>(event));

    for (int i = 0; i < 2; ++i) {
        if (std::optional<bool> handled = filterPaneEvent(i, watched, event))
            return *handled;
    }

    // Splitter handles: a double click centres the vertical one or moves the horizontal one.
    if (type == QEvent::MouseButtonDblClick) {
        if (watched == splitterPanes_->handle(1)) {
            splitterDoubleClicked(true);
            return true;
        }
        if (watched == splitterMain_->handle(1)) {
            splitterDoubleClicked(false);
            return true;
        }
    }
    if (watched == centralWidget() && type == QEvent::Resize)
        placeSplitters();

    if (type == QEvent::KeyPress && widget->window() == this && watched == focusWidget()) {
        bool handled = false;
        FormKeyDown(static_cast<QKeyEvent*>(event), &handled);
        return handled;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool FormMain::filterWhileBusy(QWidget* widget, QEvent* event)
{
    // While busy the window takes no input; Escape asks a running scan to stop. Keys are
    // also swallowed while a command holds edit mode.
    if (!widget || widget->window() != this)
        return false;
    if (busy_ <= 0) {
        const QEvent::Type t = event->type();
        return editByCommand_ && (t == QEvent::KeyPress || t == QEvent::KeyRelease || t == QEvent::ShortcutOverride);
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && runningScan_)
            runningScan_->requestStop();
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}

bool FormMain::lyricsKeyPress(QKeyEvent* key)
{
    if (inEditMode() && !editByCommand_ && (key->key() == Qt::Key_Escape || escHeld_)) {
        escHeld_ = key->key() == Qt::Key_Escape;
        chkTextEdit_->setChecked(false);
        return true;
    }
    bool handled = false;
    if (key->modifiers() & Qt::ControlModifier)
        FormKeyDown(key, &handled);
    return handled;
}

std::optional<bool> FormMain::filterPaneEvent(int i, QObject* watched, QEvent* event)
{
    PaneWidgets& ui = paneUi_[static_cast<size_t>(i)];
    const QEvent::Type type = event->type();
    if ((watched == ui.title && type == QEvent::MouseButtonPress) || (watched == ui.drives && type == QEvent::FocusIn)) {
        SetActivePane(i);
        return false;
    }
    if (watched == ui.tree) {
        if (type == QEvent::FocusIn)
            SetActivePane(i);
        if (type != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            SetActivePane(i);
            SwitchView(PaneView::File);
            return true;
        }
        bool handled = false;
        FormKeyDown(key, &handled);
        return handled;
    }
    if (watched == ui.list) {
        if (type == QEvent::FocusIn) {
            ListFocusIn(i);
        } else if (type == QEvent::KeyPress) {
            bool handled = false;
            FormKeyDown(static_cast<QKeyEvent*>(event), &handled);
            if (!handled)
                ListKeyDown(i, static_cast<QKeyEvent*>(event), &handled);
            return handled;
        } else if (type == QEvent::KeyRelease) {
            ListKeyUp(i, static_cast<QKeyEvent*>(event));
        }
        return false;
    }
    if (watched == ui.list->viewport())
        return listMouseEvent(i, event);
    return std::nullopt;
}

bool FormMain::listMouseEvent(int i, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QModelIndex index = paneUi_[static_cast<size_t>(i)].list->indexAt(mouse->position().toPoint());
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
        if (index.isValid()) {
            SetActivePane(i);
            PopupRightClickMenu(i, index.row(), mouse->globalPosition().toPoint());
        }
        return true;
    }
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (type == QEvent::MouseButtonPress && index.isValid())
        RowMouseDown(i, index.row(), mouse->modifiers() & Qt::ShiftModifier);
    else if (type == QEvent::MouseButtonRelease)
        RowMouseUp();
    else if (type == QEvent::MouseButtonDblClick && index.isValid())
        RowDoubleClick(i);
    return false;
}

} // namespace browser
