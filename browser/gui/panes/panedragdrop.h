#pragma once
// Drag and drop on the file lists of both panes. A row held for the press interval can
// be dragged out as a file list (with Shift at the press, together with every checked
// row); files dragged in from elsewhere (another program or the other pane) highlight the
// row under the pointer, and a drop on a row pops up the drop menu `mnDropFile` once the
// drop has finished (timer "TimerDrop"). The menu's entries run the handlers FormMain
// gives: rename the target, play, embed, correct, play-along adjustment.
//
// The object filters the events of both lists' viewports; it never changes the rows.

#include "browser/core/dragdrop.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>

class QDropEvent;
class QMenu;
class QMimeData;
class QMouseEvent;
class QTableView;
class QTimer;
class QWidget;

namespace browser {

struct Workbench;

class PaneDragDrop : public QObject {
    Q_OBJECT
public:
    /// A drop menu entry's handler: the target row of `pane` and the dropped file.
    using DropHandler = std::function<void(int pane, int row, const QString& dropped)>;
    struct Handlers {
        DropHandler rename;  // "リネーム"
        DropHandler play;    // "演奏"
        DropHandler embed;   // "埋め込み"
        DropHandler correct; // "補正"
        DropHandler adjust;  // "演奏合わせ"
    };
    /// The data format that names the pane a drag of rows started from.
    static const QString kPaneFormat;

    PaneDragDrop(const Workbench& bench, QMenu& dropMenu, QTimer& timerDrop, Handlers handlers, QObject* parent = nullptr);

    /// Starts watching both lists (after the panes are built).
    void attach();

    /// StartRowDrag: the press on `row` of `pane` was held long enough; moving the pointer
    /// with the button still down drags the row out (`withChecked`: Shift was held at the
    /// press, the checked rows go along).
    void startRowDrag(int pane, int row, bool withChecked);
    /// SupplyDragData: the file list such a drag carries.
    QMimeData* dragData(int pane, int row, bool withChecked) const;
    /// The pane a running drag of rows started from, −1 when none runs.
    int dragSourcePane() const { return dragSourcePane_; }

    /// The highlighted drop target of a pane's list, −1 when none.
    int highlightedRow(int pane) const;
    /// The first dropped file and the target row's path of the drop waiting for its menu.
    QString dropSource() const { return dropSource_; }
    QString dropTarget() const { return dropTarget_; }
    /// TimerDrop's handler: pops up the drop menu for the last drop and runs the chosen entry.
    void showDropMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Armed {
        int pane = -1;
        int row = -1;
        bool withChecked = false;
        QPoint pressedAt; // global
    };
    int paneOfViewport(const QObject* watched) const;
    QTableView* list(int pane) const;
    /// Whether a drag with `data` may be dropped on `pane`: local files, not from that pane.
    bool acceptable(int pane, const QMimeData* data) const;
    int rowAt(int pane, const QPoint& viewportPos) const;
    void setHighlight(int pane, int row);
    void clearHighlight();
    bool dragEvent(int pane, QEvent* event);
    /// Near the top or bottom edge of a list a drag scrolls it, so far rows can be reached.
    void followEdge(int pane, const QPoint& viewportPos);
    void autoScrollStep();
    void drop(int pane, QDropEvent* event);
    bool mouseEvent(int pane, QMouseEvent* event);
    void runDrag();
    void prepareMenu();

    const Workbench& bench_;
    QMenu& menu_;
    QTimer& timerDrop_;
    Handlers handlers_;
    Armed armed_;
    int dragSourcePane_ = -1;
    QPointer<QWidget> highlight_;
    int highlightPane_ = -1;
    int highlightRow_ = -1;
    QTimer* autoScroll_ = nullptr;
    int scrollPane_ = -1;
    QPoint scrollPos_;
    // The drop waiting for its menu.
    QString dropSource_;
    QString dropTarget_;
    int dropPane_ = -1;
    int dropRow_ = -1;
    QPoint dropAt_;
    int chosen_ = -1;
};

} // namespace browser
