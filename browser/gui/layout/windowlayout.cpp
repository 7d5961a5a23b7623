// WindowLayout: window placement, the two splitters and the lower area, in twips.
#include "browser/gui/layout/windowlayout.h"

#include "browser/core/columns.h"
#include "browser/core/settingsstore.h"
#include "browser/gui/formmain.h"
#include "browser/gui/panes/panewidgets.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace browser {
namespace {

const QString kInit = QStringLiteral("Init");

// The least height of the folder frames (pixels): the horizontal splitter never
// comes higher than the folder frames' top plus this.
constexpr int kFolderFrameDesignHeight = 150;

} // namespace

WindowLayout::WindowLayout(QMainWindow& window)
    : QObject(&window)
    , window_(window)
{
    setObjectName(QStringLiteral("WindowLayout"));
}

QWidget* WindowLayout::BuildLowerArea(QWidget* lyricsButtons, QWidget* songInfo, QWidget* lyricsText, QWidget* player)
{
    auto* frameLower = new QWidget;
    frameLower->setObjectName(QStringLiteral("FrameLower"));
    auto* lower = new QHBoxLayout(frameLower);
    lower->setContentsMargins(2, 2, 2, 2);
    lower->setSpacing(4);
    lower->addWidget(lyricsButtons);
    lower->addWidget(songInfo);
    songInfo->hide();
    const int infoWidth = qMax(lyricsButtons->sizeHint().width(), songInfo->sizeHint().width());
    lyricsButtons->setFixedWidth(infoWidth);
    songInfo->setFixedWidth(infoWidth);
    lower->addWidget(lyricsText, 3);
    lower->addWidget(player, 2);
    return frameLower;
}

void WindowLayout::build(const PaneWidgets& left, const PaneWidgets& right, QWidget* lower)
{
    left_ = &left;
    right_ = &right;
    frameLower_ = lower;
    central_ = new QWidget(&window_);
    central_->setObjectName(QStringLiteral("FrameClient"));
    auto* centralLayout = new QVBoxLayout(central_);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    splitterMain_ = new QSplitter(Qt::Vertical, central_);
    splitterMain_->setObjectName(QStringLiteral("SplitterMain"));
    splitterPanes_ = new QSplitter(Qt::Horizontal, splitterMain_);
    splitterPanes_->setObjectName(QStringLiteral("SplitterPanes"));
    splitterPanes_->addWidget(left.frame);
    splitterPanes_->addWidget(right.frame);
    splitterMain_->addWidget(splitterPanes_);
    splitterMain_->addWidget(lower);
    for (QSplitter* s : {splitterMain_, splitterPanes_}) {
        s->setChildrenCollapsible(false);
        s->setOpaqueResize(false);
        connect(s, &QSplitter::splitterMoved, this, &WindowLayout::onSplitterMoved);
    }
    splitterPanes_->handle(1)->setObjectName(QStringLiteral("ImgSplitter"));
    splitterMain_->handle(1)->setObjectName(QStringLiteral("ImgSplitter2"));
    splitterMain_->setStretchFactor(0, 1);
    splitterMain_->setStretchFactor(1, 0);
    centralLayout->addWidget(splitterMain_);
    window_.setCentralWidget(central_);
    for (QObject* o : {static_cast<QObject*>(central_), static_cast<QObject*>(splitterPanes_->handle(1)),
                       static_cast<QObject*>(splitterMain_->handle(1))})
        o->installEventFilter(this);
}

bool WindowLayout::eventFilter(QObject* watched, QEvent* event)
{
    // Splitter handles: a double click centres the vertical one or moves the horizontal one.
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == splitterPanes_->handle(1)) {
            splitterDoubleClicked(true);
            return true;
        }
        if (watched == splitterMain_->handle(1)) {
            splitterDoubleClicked(false);
            return true;
        }
    }
    if (watched == central_ && event->type() == QEvent::Resize)
        placeSplitters();
    return QObject::eventFilter(watched, event);
}

int WindowLayout::menuBarHeightTwips() const
{
    return PixelsToTwips(window_.menuBar()->isNativeMenuBar() ? 0 : window_.menuBar()->sizeHint().height());
}

int WindowLayout::centralTopTwips() const
{
    const QToolBar* tb = window_.findChild<QToolBar*>(QStringLiteral("TB"));
    return PixelsToTwips(tb && !tb->isHidden() ? qMax(tb->height(), tb->sizeHint().height()) : 0);
}

int WindowLayout::clientWidthTwips() const
{
    return PixelsToTwips(window_.width());
}

int WindowLayout::clientHeightTwips() const
{
    return PixelsToTwips(window_.height()) - menuBarHeightTwips();
}

int WindowLayout::currentX() const
{
    return window_.isMaximized() ? splitXMax_ : splitX_;
}

int WindowLayout::currentY() const
{
    return window_.isMaximized() ? splitYMax_ : splitY_;
}

void WindowLayout::placeWindow(const SettingsStore& store)
{
    placing_ = true;
    const QSize design = FormMain::DesignSize();
    minWidth_ = PixelsToTwips(design.width());
    minHeight_ = PixelsToTwips(design.height());
    minLeftWidth_ = PixelsToTwips(left_->frameButtons->sizeHint().width() + 4);
    const int folderTop = centralTopTwips()
                          + PixelsToTwips(2 + left_->frameButtons->sizeHint().height() + 2 + left_->title->sizeHint().height() + 2);
    minTopHeight_ = folderTop + PixelsToTwips(kFolderFrameDesignHeight);

    const QScreen* screen = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = screen->geometry();
    const QRect available = screen->availableGeometry();
    const int designLeft = PixelsToTwips(available.x() + qMax(0, (available.width() - design.width()) / 2));
    const int designTop = PixelsToTwips(available.y() + qMax(0, (available.height() - design.height()) / 2));
    int top = LoadSetting(store, kInit, QStringLiteral("Top"), designTop);
    int left = LoadSetting(store, kInit, QStringLiteral("Left"), designLeft);
    const int width = qMax(LoadSetting(store, kInit, QStringLiteral("Width"), minWidth_), minWidth_);
    const int height = qMax(LoadSetting(store, kInit, QStringLiteral("Height"), minHeight_), minHeight_);
    if (top < 0 || top > PixelsToTwips(screenRect.height()))
        top = 0;
    if (left < 0 || left > PixelsToTwips(screenRect.width()))
        left = 0;
    normLeft_ = left;
    normTop_ = top;
    normWidth_ = width;
    normHeight_ = height;
    // Placement is kept for the client area: its position does not depend on window
    // decorations that are only known once the window is shown.
    window_.setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
    splitX_ = splitXMax_ = minTopHeight_;
    splitY_ = splitYMax_ = kLowerMin;

    const int vsplit = PixelsToTwips(splitterPanes_->handleWidth());
    const int hsplit = PixelsToTwips(splitterMain_->handleWidth());
    const int x = LoadSetting(store, kInit, QStringLiteral("SplitterX"), (clientWidthTwips() - vsplit) / 2);
    // Without a stored height the lower area (the lyrics) takes about a third of the window.
    const int lower = LoadSetting(store, kInit, QStringLiteral("SplitterY"), qMax(kLowerMin, clientHeightTwips() / 3));
    placed_ = true;
    apply(x, clientHeightTwips() - lower - hsplit);
    placing_ = false;
}

void WindowLayout::restoreMaximized(const SettingsStore& store)
{
    if (LoadSetting(store, kInit, QStringLiteral("WindowState"), 0) != 2)
        return;
    window_.showMaximized();
    QCoreApplication::processEvents();
    const int vsplit = PixelsToTwips(splitterPanes_->handleWidth());
    apply(LoadSetting(store, kInit, QStringLiteral("SplitterXM"), (clientWidthTwips() - vsplit) / 2),
          LoadSetting(store, kInit, QStringLiteral("SplitterYM"), kLowerMin));
}

void WindowLayout::store(SettingsStore& store) const
{
    StoreSetting(store, kInit, QStringLiteral("Top"), normTop_);
    StoreSetting(store, kInit, QStringLiteral("Left"), normLeft_);
    StoreSetting(store, kInit, QStringLiteral("Width"), normWidth_);
    StoreSetting(store, kInit, QStringLiteral("Height"), normHeight_);
    StoreSetting(store, kInit, QStringLiteral("SplitterX"), splitX_);
    // The lower area's height in the normal state, measured from the bottom edge.
    const int normalClientHeight = normHeight_ - menuBarHeightTwips();
    StoreSetting(store, kInit, QStringLiteral("SplitterY"),
                 normalClientHeight - splitY_ - PixelsToTwips(splitterMain_->handleWidth()));
    StoreSetting(store, kInit, QStringLiteral("SplitterXM"), splitXMax_);
    StoreSetting(store, kInit, QStringLiteral("SplitterYM"), splitYMax_);
    StoreSetting(store, kInit, QStringLiteral("WindowState"), window_.isMaximized() ? 2 : 0);
}

void WindowLayout::apply(int x, int y)
{
    const bool maximized = window_.isMaximized();
    const bool minimized = window_.isMinimized();
    if (!minimized && !maximized && !placing_) {
        normLeft_ = KeepTwips(normLeft_, window_.geometry().x());
        normTop_ = KeepTwips(normTop_, window_.geometry().y());
        normWidth_ = KeepTwips(normWidth_, window_.width());
        normHeight_ = KeepTwips(normHeight_, window_.height());
    }
    const int clientWidth = clientWidthTwips();
    const int clientHeight = clientHeightTwips();
    x = qMax(minLeftWidth_, qMin(x, clientWidth - minLeftWidth_));
    if (y < minTopHeight_)
        y = minTopHeight_;
    if (y > clientHeight - kLowerMin)
        y = clientHeight - kLowerMin;
    if (maximized) {
        splitXMax_ = x;
        splitYMax_ = y;
    } else if (!minimized) {
        splitX_ = x;
        splitY_ = y;
    }
    if (!minimized)
        placeSplitters();
}

void WindowLayout::placeSplitters()
{
    if (!placed_)
        return;
    const int xPx = TwipsToPixels(currentX());
    const int yPx = TwipsToPixels(currentY());
    const int panesWidth = qMax(splitterPanes_->width(), window_.width());
    splitterPanes_->setSizes({xPx, qMax(1, panesWidth - xPx - splitterPanes_->handleWidth())});
    const int centralTop = TwipsToPixels(centralTopTwips());
    const int mainHeight = splitterMain_->height();
    const int top = qMax(1, yPx - centralTop);
    splitterMain_->setSizes({top, qMax(1, mainHeight - top - splitterMain_->handleWidth())});
    // The panes may not become narrower than the button frame, nor the lower area lower
    // than its least height, when the user drags a splitter.
    const int minLeft = TwipsToPixels(minLeftWidth_);
    left_->frame->setMinimumWidth(minLeft);
    right_->frame->setMinimumWidth(qMax(0, minLeft - splitterPanes_->handleWidth()));
    splitterPanes_->setMinimumHeight(qMax(0, TwipsToPixels(minTopHeight_) - centralTop));
    frameLower_->setMinimumHeight(
        qMax(0, TwipsToPixels(kLowerMin) - window_.statusBar()->sizeHint().height() - splitterMain_->handleWidth()));
}

void WindowLayout::onSplitterMoved()
{
    if (!placed_)
        return;
    const int x = KeepTwips(currentX(), splitterPanes_->sizes().value(0));
    const int y = KeepTwips(currentY(), TwipsToPixels(centralTopTwips()) + splitterMain_->sizes().value(0));
    apply(x, y);
}

void WindowLayout::splitterDoubleClicked(bool vertical)
{
    if (vertical) {
        apply(centreX(), currentY());
        return;
    }
    // The smaller part grows: a short lower area to the top limit, a tall one to its least height.
    if (frameLower_->height() < splitterPanes_->height())
        apply(currentX(), minTopHeight_);
    else
        apply(currentX(), clientHeightTwips() - kLowerMin);
}

void WindowLayout::enlargeLower()
{
    savedSplitterY_ = currentY();
    apply(currentX(), minTopHeight_);
}

void WindowLayout::restoreLower()
{
    apply(currentX(), savedSplitterY_);
}

void WindowLayout::showOnePane(int pane)
{
    apply(pane == 0 ? clientWidthTwips() : 0, clientHeightTwips());
}

int WindowLayout::centreX() const
{
    return (clientWidthTwips() - PixelsToTwips(splitterPanes_->handleWidth())) / 2;
}

void WindowLayout::centrePanes()
{
    apply(centreX(), clientHeightTwips());
}

void WindowLayout::lowerToTop()
{
    apply(currentX(), minTopHeight_);
}

void WindowLayout::windowResized()
{
    if (!placed_ || placing_)
        return;
    if (window_.isMaximized())
        apply(splitXMax_, splitYMax_);
    else if (!window_.isMinimized())
        apply(splitX_, splitY_);
}

void WindowLayout::windowMoved()
{
    if (placed_ && !placing_ && window_.windowState() == Qt::WindowNoState) {
        normLeft_ = KeepTwips(normLeft_, window_.geometry().x());
        normTop_ = KeepTwips(normTop_, window_.geometry().y());
    }
}

void WindowLayout::windowStateChanged()
{
    if (placed_)
        placeSplitters();
}

} // namespace browser
