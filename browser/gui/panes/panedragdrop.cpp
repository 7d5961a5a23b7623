// Drag and drop on the file lists: rows dragged out, files dropped onto a row and the
// drop menu.
#include "browser/gui/panes/panedragdrop.h"

#include "browser/core/filepane.h"
#include "browser/gui/busy.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/panes/filepaneview.h"
#include "browser/gui/workbench.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>

namespace browser {
namespace {

// The drop menu's entries in their order (their index is the handler's).
const char* const kEntries[] = {"mnDropFileRename", "mnDropFilePlay", "mnDropFileImplant", "mnDropFileHosei",
                                "mnDropFileAdjust", "mnDropFileCancel"};
constexpr int kCancel = 5;

/// The row under a drag, drawn over the list: a tinted band with a frame.
class DropHighlight : public QWidget {
public:
    explicit DropHighlight(QWidget* viewport)
        : QWidget(viewport)
    {
        setObjectName(QStringLiteral("DropHighlight"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QColor colour = palette().color(QPalette::Highlight);
        painter.setPen(QPen(colour, 2));
        colour.setAlpha(60);
        painter.setBrush(colour);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    return files;
}

} // namespace

const QString PaneDragDrop::kPaneFormat = QStringLiteral("application/x-melwickex-pane");

PaneDragDrop::PaneDragDrop(const Workbench& bench, QMenu& dropMenu, QTimer& timerDrop, Handlers handlers, QObject* parent)
    : QObject(parent)
    , bench_(bench)
    , menu_(dropMenu)
    , timerDrop_(timerDrop)
    , handlers_(std::move(handlers))
{
    setObjectName(QStringLiteral("PaneDragDrop"));
    autoScroll_ = new QTimer(this);
    autoScroll_->setObjectName(QStringLiteral("DropAutoScroll"));
    autoScroll_->setInterval(60);
    connect(autoScroll_, &QTimer::timeout, this, &PaneDragDrop::autoScrollStep);
}

void PaneDragDrop::attach()
{
    for (int i = 0; i < 2; ++i) {
        QTableView* view = list(i);
        view->setAcceptDrops(true);
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
    }
    for (int entry = 0; entry <= kCancel; ++entry)
        if (QAction* a = menu_.findChild<QAction*>(QString::fromLatin1(kEntries[entry])))
            connect(a, &QAction::triggered, this, [this, entry] { chosen_ = entry; });
    connect(&timerDrop_, &QTimer::timeout, this, &PaneDragDrop::showDropMenu);
}

QTableView* PaneDragDrop::list(int pane) const
{
    return bench_.view(pane).list();
}

int PaneDragDrop::paneOfViewport(const QObject* watched) const
{
    for (int i = 0; i < 2; ++i)
        if (watched == list(i)->viewport())
            return i;
    return -1;
}

bool PaneDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    const int pane = paneOfViewport(watched);
    if (pane < 0)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return dragEvent(pane, event);
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return mouseEvent(pane, static_cast<QMouseEvent*>(event));
    default:
        return QObject::eventFilter(watched, event);
    }
}

// Dragging rows out ------------------------------------------------------------------

void PaneDragDrop::startRowDrag(int pane, int row, bool withChecked)
{
    // The drag follows the pointer once it moves with the button still down; a press
    // released where it was is only a click.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
        return;
    armed_ = {pane, row, withChecked, QCursor::pos()};
}

bool PaneDragDrop::mouseEvent(int pane, QMouseEvent* event)
{
    if (event->type() != QEvent::MouseMove) {
        armed_ = {};
        return false;
    }
    if (armed_.pane != pane || !(event->buttons() & Qt::LeftButton))
        return false;
    if ((event->globalPosition().toPoint() - armed_.pressedAt).manhattanLength() < QApplication::startDragDistance())
        return false;
    runDrag();
    return true;
}

QMimeData* PaneDragDrop::dragData(int pane, int row, bool withChecked) const
{
    QList<QUrl> urls;
    for (const QString& path : DragPaths(bench_.pane(pane), row, withChecked))
        urls << QUrl::fromLocalFile(path);
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setData(kPaneFormat, QByteArray::number(pane));
    return data;
}

void PaneDragDrop::runDrag()
{
    const Armed a = armed_;
    armed_ = {};
    const FilePane& p = bench_.pane(a.pane);
    if (a.row < 0 || a.row >= p.rowCount())
        return;
    auto* drag = new QDrag(list(a.pane));
    drag->setMimeData(dragData(a.pane, a.row, a.withChecked));
    const QIcon icon = bench_.view(a.pane).model().data(bench_.view(a.pane).model().index(a.row, 0), Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull())
        drag->setPixmap(icon.pixmap(24, 24));
    dragSourcePane_ = a.pane;
    // Copy is proposed: a program that takes the files may move them when the user asks.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    dragSourcePane_ = -1;
    // A drop on the other list keeps its highlight until its menu has closed.
}

// Files dragged over and dropped onto a list -----------------------------------------

bool PaneDragDrop::acceptable(int pane, const QMimeData* data) const
{
    // Nothing is dropped while the window works or the lyrics are being edited: the
    // lists take no clicks then either.
    if ((bench_.busy && bench_.busy->busy()) || (bench_.lyrics && bench_.lyrics->inEditMode()))
        return false;
    if (LocalFiles(data).isEmpty())
        return false;
    if (data->hasFormat(kPaneFormat) && data->data(kPaneFormat).toInt() == pane)
        return false; // rows of this very list
    return !bench_.pane(pane).isEmpty();
}

int PaneDragDrop::rowAt(int pane, const QPoint& viewportPos) const
{
    const QModelIndex index = list(pane)->indexAt(viewportPos);
    return index.isValid() && index.row() < bench_.pane(pane).rowCount() ? index.row() : -1;
}

bool PaneDragDrop::dragEvent(int pane, QEvent* event)
{
    if (event->type() == QEvent::DragLeave) {
        autoScroll_->stop();
        clearHighlight();
        return true;
    }
    auto* drag = static_cast<QDropEvent*>(event);
    if (event->type() == QEvent::Drop) {
        autoScroll_->stop();
        drop(pane, drag);
        return true;
    }
    followEdge(pane, acceptable(pane, drag->mimeData()) ? drag->position().toPoint() : QPoint(-1, -1));
    const int row = acceptable(pane, drag->mimeData()) ? rowAt(pane, drag->position().toPoint()) : -1;
    if (row < 0) {
        clearHighlight();
        // Entering is still accepted so the moves over the list's rows arrive.
        if (event->type() == QEvent::DragEnter && acceptable(pane, drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    setHighlight(pane, row);
    // The dropped files themselves are never taken away from where they lie.
    if (drag->possibleActions() & Qt::CopyAction)
        drag->setDropAction(Qt::CopyAction);
    drag->accept();
    return true;
}

void PaneDragDrop::drop(int pane, QDropEvent* event)
{
    const int row = acceptable(pane, event->mimeData()) ? rowAt(pane, event->position().toPoint()) : -1;
    if (row < 0) {
        clearHighlight();
        event->ignore();
        return;
    }
    setHighlight(pane, row);
    dropSource_ = LocalFiles(event->mimeData()).constFirst();
    dropTarget_ = bench_.pane(pane).row(row).fullPath();
    dropPane_ = pane;
    dropRow_ = row;
    dropAt_ = list(pane)->viewport()->mapToGlobal(event->position().toPoint());
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    event->accept();
    // The menu opens once the drop is over, so the program the files came from is free.
    timerDrop_.start();
}

void PaneDragDrop::prepareMenu()
{
    const DropMenuState state = DropMenuFor(dropSource_, dropTarget_);
    const bool on[] = {state.rename && bool(handlers_.rename), state.play && bool(handlers_.play),
                       state.embed && bool(handlers_.embed),   state.correct && bool(handlers_.correct),
                       state.adjust && bool(handlers_.adjust), state.cancel};
    for (int entry = 0; entry <= kCancel; ++entry)
        if (QAction* a = menu_.findChild<QAction*>(QString::fromLatin1(kEntries[entry])))
            a->setEnabled(on[entry]);
}

void PaneDragDrop::showDropMenu()
{
    timerDrop_.stop();
    if (dropSource_.isEmpty())
        return;
    prepareMenu();
    chosen_ = -1;
    if (QWidget* window = list(dropPane_)->window())
        window->activateWindow();
    menu_.exec(dropAt_);
    const QString dropped = dropSource_;
    const QString target = dropTarget_;
    const int pane = dropPane_;
    const int row = dropRow_;
    dropSource_.clear();
    clearHighlight();
    // The row must still be the one the file was dropped on.
    const FilePane& p = bench_.pane(pane);
    if (row < 0 || row >= p.rowCount() || p.row(row).fullPath() != target)
        return;
    const DropHandler* handler = nullptr;
    switch (chosen_) {
    case 0:
        handler = &handlers_.rename;
        break;
    case 1:
        handler = &handlers_.play;
        break;
    case 2:
        handler = &handlers_.embed;
        break;
    case 3:
        handler = &handlers_.correct;
        break;
    case 4:
        handler = &handlers_.adjust;
        break;
    default:
        break;
    }
    chosen_ = -1;
    if (handler && *handler)
        (*handler)(pane, row, dropped);
}

void PaneDragDrop::followEdge(int pane, const QPoint& viewportPos)
{
    const QWidget* viewport = list(pane)->viewport();
    const int margin = qMax(8, list(pane)->verticalHeader()->defaultSectionSize() / 2);
    const bool nearEdge = viewportPos.x() >= 0 && (viewportPos.y() < margin || viewportPos.y() >= viewport->height() - margin);
    scrollPane_ = pane;
    scrollPos_ = viewportPos;
    if (!nearEdge)
        autoScroll_->stop();
    else if (!autoScroll_->isActive())
        autoScroll_->start();
}

void PaneDragDrop::autoScrollStep()
{
    QTableView* view = list(scrollPane_);
    QScrollBar* bar = view->verticalScrollBar();
    const int before = bar->value();
    bar->setValue(before + (scrollPos_.y() < view->viewport()->height() / 2 ? -1 : 1) * bar->singleStep());
    if (bar->value() == before) {
        autoScroll_->stop();
        return;
    }
    // The row under the pointer is now another one.
    const int row = rowAt(scrollPane_, scrollPos_);
    if (row >= 0) {
        clearHighlight();
        setHighlight(scrollPane_, row);
    }
}

// The drop target's highlight -------------------------------------------------------

int PaneDragDrop::highlightedRow(int pane) const
{
    return highlight_ && highlightPane_ == pane ? highlightRow_ : -1;
}

void PaneDragDrop::setHighlight(int pane, int row)
{
    if (highlight_ && highlightPane_ == pane && highlightRow_ == row)
        return;
    clearHighlight();
    QTableView* view = list(pane);
    auto* band = new DropHighlight(view->viewport());
    band->setGeometry(0, view->rowViewportPosition(row), view->viewport()->width(), view->rowHeight(row));
    band->show();
    band->raise();
    highlight_ = band;
    highlightPane_ = pane;
    highlightRow_ = row;
}

void PaneDragDrop::clearHighlight()
{
    delete highlight_.data();
    highlight_ = nullptr;
    highlightPane_ = -1;
    highlightRow_ = -1;
}

} // namespace browser
