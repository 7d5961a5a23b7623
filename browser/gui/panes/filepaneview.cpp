// FilePaneView: the folder view, scan, columns, sorting, title, and the mouse and keys on
// the rows of one file pane.
#include "browser/gui/panes/filepaneview.h"

#include "browser/core/details.h"
#include "browser/core/options.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "browser/core/scan.h"
#include "browser/gui/busy.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/panes/rowpress.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/workbench.h"
#include "common/utf8text.h"
#include "songfiles/pathprobe.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace browser {
namespace {

bool FolderReachable(const QString& path)
{
    return songfiles::FolderAccessible(path);
}

using common::U;

} // namespace

FilePaneView::FilePaneView(int index, Workbench& bench, RowPress& press, QObject* parent)
    : QObject(parent)
    , index_(index)
    , bench_(bench)
    , press_(press)
{
    setObjectName(QStringLiteral("PaneView%1").arg(index));
}

FilePane& FilePaneView::pane() const
{
    return bench_.pane(index_);
}

void FilePaneView::build(const QString& startFolder)
{
    ui_.build(index_, pane(), this);
    FilePane& p = pane();
    ui_.driveList = ListDrives();
    for (const Drive& d : std::as_const(ui_.driveList))
        ui_.drives->addItem(d.label, d.root);
    const QString start = startFolder.isEmpty() ? QDir::currentPath() : startFolder;
    const int drive = qMax(0, DriveIndexFor(ui_.driveList, start));
    ui_.drives->setCurrentIndex(drive);
    p.lastDrive = ui_.driveList.value(drive).root;
    p.folder = p.lastDrive;
    connectControls();
    for (QObject* o : {static_cast<QObject*>(ui_.title), static_cast<QObject*>(ui_.drives), static_cast<QObject*>(ui_.tree),
                       static_cast<QObject*>(ui_.list), static_cast<QObject*>(ui_.list->viewport()),
                       static_cast<QObject*>(ui_.tree->viewport())})
        o->installEventFilter(this);
}

void FilePaneView::connectControls()
{
    connect(ui_.viewGroup, &QButtonGroup::idClicked, this, &FilePaneView::onViewClicked);
    connect(ui_.modeGroup, &QButtonGroup::idClicked, this, &FilePaneView::onModeClicked);
    connect(ui_.subFolder, &QCheckBox::clicked, this, [this](bool on) {
        pane().subFolders = on;
        activate();
        focus();
        // A shown list follows the box at once.
        if (showsFiles() && !pane().fromDataFile)
            research();
    });
    connect(ui_.quick, &QToolButton::clicked, this, [this] {
        activate();
        Q_EMIT quickMenuRequested(index_);
    });
    connect(ui_.drives, &QComboBox::activated, this, [this](int) { driveChanged(); });
    connect(ui_.tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &FilePaneView::onTreeCurrentChanged);
    // A click makes the folder current before selecting it.
    connect(ui_.tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { onTreeCurrentChanged(ui_.tree->currentIndex()); });
    connect(ui_.folders, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        // The folder chosen before the tree had read its parents comes into view as they
        // are read (each listing read may push it down), until the user moves the tree.
        Q_UNUSED(loaded);
        const QModelIndex current = ui_.tree->currentIndex();
        if (scrollPending_ && current.isValid() && ui_.tree->selectionModel()->isSelected(current))
            ui_.tree->scrollTo(current, QAbstractItemView::PositionAtCenter);
    });
    connect(ui_.list->horizontalHeader(), &QHeaderView::sectionClicked, this, &FilePaneView::sortByColumn);
    connect(ui_.list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = ui_.list->selectionModel()->selectedRows();
        pane().setSelectedRow(rows.isEmpty() ? -1 : rows.first().row());
        updateTitle();
    });
    connect(ui_.model, &FileListModel::checkChanged, this, [this] {
        press_.timer->stop();
        updateTitle();
    });
    connect(press_.timer, &QTimer::timeout, this, [this] {
        if (press_.pane == index_)
            pressTimerFired();
    });
    ui_.model->rowIcon = [](int number) { return RowStateIcon(number); };
    ui_.model->arrowIcon = [](int arrow) { return SortArrowIcon(arrow); };
}

bool FilePaneView::showsFiles() const
{
    return ui_.frameFile->isVisibleTo(ui_.frame->window());
}

bool FilePaneView::hasRows() const
{
    return showsFiles() && !pane().isEmpty();
}

bool FilePaneView::isLyricsMode() const
{
    return ui_.modeButtons[0]->isChecked();
}

QString FilePaneView::folder() const
{
    return pane().folder;
}

void FilePaneView::activate()
{
    Q_EMIT activated(index_);
}

void FilePaneView::paintTitle(bool active)
{
    QPalette pal = ui_.title->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(active ? QPalette::Highlight : QPalette::Button));
    pal.setColor(QPalette::WindowText, QApplication::palette().color(active ? QPalette::HighlightedText : QPalette::ButtonText));
    ui_.title->setPalette(pal);
    ui_.title->setBackgroundRole(QPalette::Window);
    ui_.title->setForegroundRole(QPalette::WindowText);
}

void FilePaneView::focus()
{
    QWidget* window = ui_.frame->window();
    if (ui_.tree->isVisibleTo(window) && ui_.tree->isEnabled())
        ui_.tree->setFocus();
    if (ui_.list->isVisibleTo(window))
        ui_.list->setFocus();
}

void FilePaneView::onModeClicked(int mode)
{
    pane().mode = mode == 0 ? PaneMode::Lyrics : PaneMode::Song;
    activate();
    focus();
}

void FilePaneView::onViewClicked(int view)
{
    activate();
    switchView(view == 0 ? PaneView::Folder : PaneView::File);
}

void FilePaneView::switchView(PaneView view)
{
    FilePane& p = pane();
    bench_.busy->begin();
    if (p.view == view) {
        if (view == PaneView::Folder)
            ui_.tree->setFocus();
        else
            ui_.list->setFocus();
        bench_.busy->end();
        return;
    }
    if (view == PaneView::Folder) {
        for (QToolButton* b : ui_.modeButtons)
            b->setEnabled(true);
        Q_EMIT fileListClosing(index_);
        captureColumns();
        ui_.frameFile->hide();
        ui_.frameFolder->show();
        setTitleText(p.folder);
        ui_.tree->setFocus();
    } else {
        // The pane shows its list from here on: the tree's selection notices delivered
        // while the scan runs (the tree re-reads a folder another program changed) must
        // not put the bare folder back into the title of the list.
        p.view = view;
        p.fromDataFile = false;
        for (QToolButton* b : ui_.modeButtons)
            b->setEnabled(false);
        scan();
        ui_.frameFolder->hide();
        ui_.frameFile->show();
        ui_.list->setFocus();
    }
    p.view = view;
    ui_.viewButtons[view == PaneView::Folder ? 0 : 1]->setChecked(true);
    bench_.busy->end();
}

bool FilePaneView::scan()
{
    FilePane& p = pane();
    bench_.busy->begin();
    p.mode = isLyricsMode() ? PaneMode::Lyrics : PaneMode::Song;
    buildColumns();
    ScanRequest request;
    request.folder = WithTrailingSeparator(p.folder);
    request.mode = p.mode;
    request.subFolders = ui_.subFolder->isChecked();
    request.autoLoad = bench_.autoLoad();
    request.userWinAmpTime = bench_.options->winAmpTime;
    if (p.filterOn)
        request.nameFilter = p.nameFilter;
    PaneScan scan(p, bench_.pane(1 - index_), *bench_.details, request);
    bench_.busy->setScan(&scan);
    connect(&scan, &PaneScan::progress, this, [this, folder = p.folder](int rows) {
        setTitleText(PaneTitle(folder, rows, pane().countCheckedOrSelected()));
    });
    const bool complete = scan.exec();
    bench_.busy->setScan(nullptr);
    updateTitle();
    bench_.busy->end();
    if (!complete)
        bench_.prompter->message(U("読み込みを途中で中断しました。"), MessageIcon::Warning);
    QCoreApplication::processEvents();
    return complete;
}

void FilePaneView::research()
{
    if (pane().fromDataFile || !showsFiles())
        return;
    // The focus leaves the list before it is hidden.
    bench_.lyrics->focusText();
    bench_.player->playPauseButton()->setFocus();
    ui_.list->hide();
    bench_.lyrics->clearShown(0);
    captureColumns();
    scan();
    if (!pane().isEmpty()) {
        selectRow(0);
        bench_.lyrics->showRow(index_, 0);
    }
    ui_.list->show();
    ui_.list->setFocus();
}

void FilePaneView::refreshCheckedRows()
{
    FilePane& p = pane();
    bench_.busy->begin();
    const int remembered = p.selectedRow();
    int refreshed = 0;
    for (int row = 0; row < p.rowCount(); ++row) {
        if (!p.row(row).checked)
            continue;
        refreshRow(row);
        if (++refreshed % 10 == 0) {
            selectRowQuietly(row);
            QCoreApplication::processEvents();
        }
    }
    if (remembered >= 0)
        selectRowQuietly(remembered);
    bench_.busy->end();
}

void FilePaneView::buildColumns()
{
    FilePane& p = pane();
    p.clearRows();
    p.resetSorting();
    p.sortKey = 0;
    model().setColumnsPresent(true);
    applyColumnLayout();
}

void FilePaneView::applyColumnLayout()
{
    QHeaderView* header = ui_.list->horizontalHeader();
    const PaneMode mode = pane().mode;
    const int count = ModeColumnCount(mode);
    if (model().columnCount() != count + 1)
        return;
    const ColumnLayout& columns = *bench_.columns;
    for (int v = 0; v < header->count(); ++v)
        header->moveSection(header->visualIndex(v), v);
    for (int n = 1; n <= count; ++n)
        header->resizeSection(n - 1, TwipsToPixels(columns.width(mode, n)));
    const QList<int> order = columns.displayOrder(mode);
    for (qsizetype v = 0; v < order.size(); ++v)
        header->moveSection(header->visualIndex(order.at(v) - 1), static_cast<int>(v));
}

void FilePaneView::captureColumnLayout()
{
    const QHeaderView* header = ui_.list->horizontalHeader();
    const PaneMode mode = pane().mode;
    const int count = ModeColumnCount(mode);
    if (model().columnCount() != count + 1)
        return;
    ColumnLayout& columns = *bench_.columns;
    for (int n = 1; n <= count; ++n) {
        columns.setPosition(mode, n, header->visualIndex(n - 1) + 1);
        columns.setWidth(mode, n, KeepTwips(columns.width(mode, n), header->sectionSize(n - 1)));
    }
}

void FilePaneView::captureColumns()
{
    FilePane& p = pane();
    captureColumnLayout();
    ClearPairMarks(bench_.pane(1 - index_));
    p.clearRows();
    model().setColumnsPresent(false);
    p.resetSorting();
    setTitleText(p.folder);
}

namespace {

// A typical value of a column, to measure its width with.
QString ColumnSample(Col col, PaneMode mode)
{
    switch (col) {
    case Col::Filename:
        return U("あいうえおかき.txt");
    case Col::Size:
        return mode == PaneMode::Lyrics ? QStringLiteral("999,999 B") : QStringLiteral("99,999 kB");
    case Col::Timestamp:
        return QStringLiteral("2000/00/00 00:00:00");
    case Col::Artist:
    case Col::Title:
    case Col::Album:
    case Col::Comment:
    case Col::TaggingBy:
        return U("あいうえおか");
    case Col::TimeType:
        return QStringLiteral("WinAmp");
    case Col::Tags:
        return QStringLiteral("I R L V");
    case Col::Sr:
        return QStringLiteral("44.1");
    case Col::PlayTime:
        return QStringLiteral("99:59");
    default:
        return {};
    }
}

} // namespace

ColumnLayout FilePaneView::fittedColumnDefaults() const
{
    // The table's widths, widened where the window's font needs more room for a column's
    // caption (with its sort arrow) or a typical value, so nothing common is clipped.
    const QTableView* list = ui_.list;
    const QFontMetrics text = list->fontMetrics();
    const QFontMetrics header = list->horizontalHeader()->fontMetrics();
    const int arrow = list->iconSize().width() + 8;
    const int padding = 14;
    ColumnLayout layout;
    for (PaneMode mode : {PaneMode::Lyrics, PaneMode::Song}) {
        const QList<ColumnDef>& cols = ModeColumns(mode);
        for (qsizetype n = 1; n <= cols.size(); ++n) {
            const ColumnDef& c = cols.at(n - 1);
            int extra = padding;
            if (c.col == Col::Filename)
                extra += list->iconSize().width() * 2 + 12; // check box and icon
            const int needed = qMax(text.horizontalAdvance(ColumnSample(c.col, mode)) + extra,
                                    header.horizontalAdvance(c.caption) + arrow + padding);
            layout.setWidth(mode, static_cast<int>(n), qMax(DefaultColumnWidth(mode, static_cast<int>(n)), PixelsToTwips(needed)));
        }
    }
    return layout;
}

void FilePaneView::setTitleText(const QString& text)
{
    ui_.title->setText(text);
}

void FilePaneView::updateTitle()
{
    const FilePane& p = pane();
    setTitleText(PaneTitle(p.titleFolder(), p.rowCount(), p.countCheckedOrSelected()));
}

void FilePaneView::sortByColumn(int column)
{
    activate();
    FilePane& p = pane();
    const Qt::SortOrder order = p.sortOrder == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    p.sortRows(column, order);
    model().setSortArrow(column, order == Qt::DescendingOrder ? 1 : 2);
    if (p.selectedRow() >= 0)
        ui_.list->scrollTo(model().index(p.selectedRow(), 0));
}

void FilePaneView::selectRow(int row)
{
    if (row < 0 || row >= pane().rowCount())
        return;
    const QModelIndex index = model().index(row, 0);
    ui_.list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    pane().setSelectedRow(row);
    ui_.list->scrollTo(index);
}

void FilePaneView::selectRowQuietly(int row)
{
    const bool old = press_.selectingQuietly;
    press_.selectingQuietly = true;
    selectRow(row);
    press_.selectingQuietly = old;
}

bool FilePaneView::selectingQuietly() const
{
    return press_.selectingQuietly;
}

void FilePaneView::autoSelectPartner(int row)
{
    if (!bench_.autoSelect())
        return;
    const int partner = FindPartnerRow(pane(), row, bench_.pane(1 - index_));
    if (partner >= 0)
        bench_.view(1 - index_).selectRowQuietly(partner);
    else if (bench_.view(1 - index_).hasRows())
        bench_.view(1 - index_).list()->selectionModel()->clear(); // no unrelated file stays chosen
}

bool FilePaneView::refreshRow(int row)
{
    const bool ok = browser::RefreshRow(pane(), row, bench_.pane(1 - index_), *bench_.details, bench_.options->winAmpTime);
    updateTitle();
    return ok;
}

void FilePaneView::setTreeEnabled(bool enabled)
{
    ui_.tree->setEnabled(enabled);
}

void FilePaneView::showToolTips(bool on)
{
    ui_.filter->setToolTip(on ? U("フィルター設定 … ") : QString());
    ui_.subFolder->setToolTip(on ? U("サブフォルダも読み込む") : QString());
    ui_.quick->setToolTip(on ? U("クイックアクセス … ") : QString());
    ui_.viewButtons[0]->setToolTip(on ? U("フォルダ一覧へ切り替え") : QString());
    ui_.viewButtons[1]->setToolTip(on ? U("ファイル一覧へ切り替え") : QString());
    ui_.modeButtons[0]->setToolTip(on ? U("歌詞モード") : QString());
    ui_.modeButtons[1]->setToolTip(on ? U("曲モード") : QString());
}

// The folder view ------------------------------------------------------------------

bool FilePaneView::setDriveFor(const QString& path)
{
    const int drive = DriveIndexFor(ui_.driveList, path);
    if (drive < 0)
        return false;
    const QString root = ui_.driveList.at(drive).root;
    if (!FolderReachable(root))
        return false;
    ui_.drives->setCurrentIndex(drive);
    if (pane().lastDrive != root || ui_.tree->rootIndex() != ui_.folders->index(root)) {
        ui_.folders->setRootPath(root);
        ui_.tree->setRootIndex(ui_.folders->index(root));
    }
    pane().lastDrive = root;
    return true;
}

bool FilePaneView::setTreeFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (!FolderReachable(clean))
        return false;
    if (clean == QDir::cleanPath(pane().lastDrive)) {
        ui_.tree->selectionModel()->clearCurrentIndex();
        ui_.tree->clearSelection();
        pane().folder = clean;
        return true;
    }
    const QModelIndex index = ui_.folders->index(clean);
    if (!index.isValid())
        return false;
    ui_.tree->setCurrentIndex(index);
    // The folder is not expanded: listing a folder of many thousand files in the tree
    // would hold up the window while the scan runs.
    ui_.tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    scrollPending_ = true;
    pane().folder = clean;
    return true;
}

void FilePaneView::showFolder(const QString& path)
{
    const int rememberedDrive = ui_.drives->currentIndex();
    const QString rememberedFolder = pane().folder;
    bool ok = !path.isEmpty() && setDriveFor(path);
    if (ok) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ok = setTreeFolder(path);
    }
    if (!ok) {
        ui_.drives->setCurrentIndex(rememberedDrive);
        setDriveFor(ui_.driveList.value(rememberedDrive).root);
        if (!setTreeFolder(rememberedFolder))
            setTreeFolder(pane().lastDrive);
        ui_.tree->setFocus();
    }
    if (pane().view == PaneView::Folder)
        setTitleText(pane().folder);
    else
        updateTitle();
}

void FilePaneView::driveChanged()
{
    activate();
    const QString root = ui_.drives->currentData().toString();
    if (FolderReachable(root)) {
        setDriveFor(root);
        setTreeFolder(root);
    } else {
        bench_.prompter->message(root + U(" にアクセスできません。"), MessageIcon::Warning);
        const int back = DriveIndexFor(ui_.driveList, pane().lastDrive);
        if (back >= 0)
            ui_.drives->setCurrentIndex(back);
    }
    setTitleText(pane().folder);
    ui_.tree->setFocus();
}

void FilePaneView::onTreeCurrentChanged(const QModelIndex& index)
{
    // Only a chosen (selected) folder counts: a tree on its drive's root has no current
    // folder, and getting the focus makes its first folder current without selecting it.
    if (!index.isValid() || !ui_.tree->selectionModel()->isSelected(index))
        return;
    pane().folder = ui_.folders->filePath(index);
    if (pane().view == PaneView::Folder)
        setTitleText(pane().folder);
}

// Events of the pane's controls -----------------------------------------------------

bool FilePaneView::handlesKeysOf(const QObject* watched) const
{
    return watched == ui_.tree || watched == ui_.list;
}

bool FilePaneView::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((watched == ui_.title && type == QEvent::MouseButtonPress) || (watched == ui_.drives && type == QEvent::FocusIn)) {
        activate();
        return false;
    }
    if (watched == ui_.tree->viewport() && (type == QEvent::MouseButtonPress || type == QEvent::Wheel))
        scrollPending_ = false; // the user moves the tree now
    if (watched == ui_.tree) {
        if (type == QEvent::FocusIn)
            activate();
        if (type == QEvent::KeyPress)
            scrollPending_ = false;
        return type == QEvent::KeyPress && treeKeyPress(static_cast<QKeyEvent*>(event));
    }
    if (watched == ui_.list) {
        if (type == QEvent::FocusIn) {
            listFocusIn();
        } else if (type == QEvent::KeyPress) {
            bool handled = bench_.windowKeys(static_cast<QKeyEvent*>(event));
            if (!handled)
                listKeyDown(static_cast<QKeyEvent*>(event), &handled);
            return handled;
        } else if (type == QEvent::KeyRelease) {
            listKeyUp(static_cast<QKeyEvent*>(event));
        }
        return false;
    }
    if (watched == ui_.list->viewport())
        return listMouseEvent(event);
    return QObject::eventFilter(watched, event);
}

bool FilePaneView::treeKeyPress(QKeyEvent* key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        activate();
        switchView(PaneView::File);
        return true;
    }
    return bench_.windowKeys(key);
}

bool FilePaneView::listMouseEvent(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QModelIndex index = ui_.list->indexAt(mouse->position().toPoint());
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
        if (index.isValid()) {
            activate();
            Q_EMIT rowMenuRequested(index_, index.row(), mouse->globalPosition().toPoint());
        }
        return true;
    }
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (type == QEvent::MouseButtonPress && index.isValid())
        rowMouseDown(index.row(), mouse->modifiers() & Qt::ShiftModifier);
    else if (type == QEvent::MouseButtonRelease)
        rowMouseUp();
    else if (type == QEvent::MouseButtonDblClick && index.isValid())
        rowDoubleClick();
    return false;
}

void FilePaneView::rowMouseDown(int row, bool shift)
{
    if (press_.handling)
        return;
    press_.row = row;
    press_.pane = index_;
    press_.shift = shift;
    press_.doubleClicked = false;
    press_.timer->start();
}

void FilePaneView::pressTimerFired()
{
    press_.timer->stop();
    if (press_.row < 0)
        return;
    const int row = press_.row;
    press_.row = -1;
    press_.handling = true;
    Q_EMIT rowShowRequested(index_, row);
    selectRowQuietly(row);
    Q_EMIT rowDragRequested(index_, row, press_.shift);
    press_.handling = false;
}

void FilePaneView::rowMouseUp()
{
    if (press_.doubleClicked)
        return;
    press_.timer->stop();
    if (press_.row < 0)
        return;
    const int pressedPane = press_.pane;
    const int row = press_.row;
    press_.row = -1;
    press_.handling = true;
    Q_EMIT rowShowRequested(pressedPane, row);
    press_.handling = false;
}

void FilePaneView::rowDoubleClick()
{
    press_.timer->stop();
    press_.doubleClicked = true;
    press_.row = -1;
    if (pane().isLyricsMode())
        Q_EMIT editRequested();
    else if (pane().view == PaneView::File && pane().selectedRow() >= 0)
        Q_EMIT songEditRequested(index_, pane().selectedRow());
}

void FilePaneView::listKeyDown(QKeyEvent* event, bool* handled)
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
            moveSelectedRow(event->key() == Qt::Key_Up ? -1 : 1);
            *handled = true;
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (pane().rowCount() > 0 && !(event->modifiers() & Qt::ShiftModifier)) {
            selectRow(event->key() == Qt::Key_Home ? 0 : pane().rowCount() - 1);
            *handled = true; // shown when the key is released
            return;
        }
        break;
    case Qt::Key_Backspace:
        activate();
        switchView(PaneView::Folder);
        *handled = true;
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (pane().view == PaneView::File) {
            if (pane().isLyricsMode())
                Q_EMIT editRequested();
            else
                rowDoubleClick();
            *handled = true;
        }
        return;
    default:
        break;
    }
    if (bench_.escapeHeld && !event->text().isEmpty()) {
        activate();
        switchView(PaneView::Folder);
        *handled = true;
        return;
    }
    if (!command.isEmpty()) {
        bench_.runCommand(command);
        *handled = true;
    }
}

void FilePaneView::moveSelectedRow(int step)
{
    FilePane& p = pane();
    const int row = p.selectedRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= p.rowCount())
        return;
    if (p.sorted) {
        p.resetSorting();
        model().setSortArrow(-1, 0);
    }
    p.swapRows(row, to);
    ui_.list->scrollTo(model().index(to, 0));
}

void FilePaneView::listKeyUp(QKeyEvent* event)
{
    const int key = event->key();
    if (QGuiApplication::mouseButtons() != Qt::NoButton || key == Qt::Key_Shift || key == Qt::Key_Control
        || (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) || event->isAutoRepeat())
        return;
    if (!press_.timer->isActive())
        Q_EMIT rowShowRequested(index_, pane().selectedRow());
}

void FilePaneView::listFocusIn()
{
    activate();
    if (press_.handling || press_.timer->isActive() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    const int row = pane().selectedRow();
    if (row < 0 || (bench_.lyrics->currentPane() == index_ && bench_.lyrics->currentFile() == pane().row(row).fullPath()))
        return; // nothing selected, or already shown
    Q_EMIT rowShowRequested(index_, row);
    ui_.list->scrollTo(model().index(row, 0));
}

} // namespace browser
