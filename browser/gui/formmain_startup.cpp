// FormMain: start-up, settings, window placement and splitters, and exit.
#include "browser/gui/formmain.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/player/playerstrip.h"

#include "browser/core/prompter.h"
#include "browser/core/scan.h"
#include "browser/core/settingsstore.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "playback/engine.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace browser {
namespace {

const QString kInit = QStringLiteral("Init");

// The least height of the folder frames (pixels): the horizontal splitter never
// comes higher than the folder frames' top plus this.
constexpr int kFolderFrameDesignHeight = 150;

struct StartError {
    int number = 0;
    QString source;
    QString description;
};

// "ErrorCode: 5MelwickEx, LoaceteNum: 6 でエラーが発生しました。" and the description.
QString StartErrorText(const StartError& error, int locate)
{
    auto number = [](int n) { return n >= 0 ? QStringLiteral(" %1").arg(n) : QString::number(n); };
    return QStringLiteral("ErrorCode:") + number(error.number) + error.source + QStringLiteral(", LoaceteNum:") + number(locate)
           + QString::fromUtf8(" でエラーが発生しました。") + QLatin1Char('\n') + error.description;
}

} // namespace

bool FormMain::StartMainWindow()
{
    int locate = -1;
    loading_ = true;
    auto fail = [&](const StartError& error) {
        services_.prompter->message(StartErrorText(error, locate), MessageIcon::Critical);
        close();
        return false;
    };
    if (services_.otherInstanceRunning && services_.otherInstanceRunning()) {
        close();
        return false;
    }
    locate = 0;
    if (!services_.settings)
        return fail({1, QStringLiteral("MelwickEx"), QStringLiteral("no settings store")});
    if (playback::Engine* engine = services_.engine) {
        if (!engine->vbmp3_init())
            return fail({engine->vbmp3_getLastErrorNo(), QStringLiteral("vbmp3"), engine->LastErrorText()});
        locate = 1;
        PollPlayer();
        locate = 2;
        bench_.engine.listen([this](playback::Notification n, int value) { OnEngineNotify(n, value); });
        locate = 3;
        player_->setAccepting(true);
        locate = 4;
        engine->vbmp3_setKaraokeUse(1);
        locate = 5;
        engine->vbmp3_setLyricsNextAdjustTime(500);
        engine->vbmp3_quickSeek(0);
        engine->vbmp3_useAtMarkTag(2);
    }
    setWindowState(Qt::WindowNoState);
    locate = 6;
    LoadAllSettings();
    locate = 7;
    DriveChanged(0);
    DriveChanged(1);
    locate = 8;
    ApplyWindowPlacement();
    locate = 9;
    show();
    locate = 10;
    RestoreFoldersAndMaximized();
    locate = 11;
    UpdatePaneTitle(0);
    UpdatePaneTitle(1);
    locate = 12;
    paneUi_[0].tree->setFocus();
    locate = 13;
    loading_ = false;
    started_ = true;
    return true;
}

void FormMain::LoadAllSettings()
{
    const SettingsStore& store = *services_.settings;
    options_ = LoadOptions(store);
    if (LoadSetting(store, kInit, QStringLiteral("version"), -1.0) == -1.0)
        FirstRun();

    for (int i = 0; i < 2; ++i) {
        const int mode = LoadSetting(store, kInit, QStringLiteral("Mode%1").arg(i), i) == 1 ? 1 : 0;
        pane(i).mode = mode == 0 ? PaneMode::Lyrics : PaneMode::Song;
        paneUi_[static_cast<size_t>(i)].modeButtons[static_cast<size_t>(mode)]->setChecked(true);
    }

    quick_->load(store);

    mnOptionToolTip_->setChecked(LoadSetting(store, kInit, QStringLiteral("OpToolTip"), true));
    ApplyToolTips();

    colLayout_ = LoadColumnLayout(store, fittedColumnDefaults());

    for (int i = 0; i < 2; ++i) {
        const bool sub = LoadSetting(store, kInit, QStringLiteral("SubFolder%1").arg(i), 0) == 1;
        paneUi_[static_cast<size_t>(i)].subFolder->setChecked(sub);
        pane(i).subFolders = sub;
    }

    for (auto it = toolbarActions_.cbegin(); it != toolbarActions_.cend(); ++it)
        if (it.key() != QLatin1String("Delete"))
            it.value()->setIcon(ButtonImage(it.key()));

    setAutoSelect(LoadSetting(store, kInit, QStringLiteral("AutoSelect"), 0) == 1);
    setAutoLoad(LoadSetting(store, kInit, QStringLiteral("OpLoad"), 1) == 1);
    setDeleteImage(LoadSetting(store, kInit, QStringLiteral("DustBox"), true));
    okuriMaxmSec_ = LoadSetting(store, QStringLiteral("Okuri"), QStringLiteral("MaxmSec"), 500);
}

void FormMain::FirstRun()
{
    options_.winAmpTime = true;
    options_.taggingBy.clear();
    services_.prompter->message(QString::fromUtf8("まず初期設定をしてください。"), MessageIcon::Information, MessageButtons::Ok,
                                QString::fromUtf8("Melwick Ex へようこそ"));
    OpenOptions(1, true);
}

int FormMain::menuBarHeightTwips() const
{
    return PixelsToTwips(menuBar()->isNativeMenuBar() ? 0 : menuBar()->sizeHint().height());
}

int FormMain::centralTopTwips() const
{
    const QToolBar* tb = findChild<QToolBar*>(QStringLiteral("TB"));
    return PixelsToTwips(tb && !tb->isHidden() ? qMax(tb->height(), tb->sizeHint().height()) : 0);
}

int FormMain::clientWidthTwips() const
{
    return PixelsToTwips(width());
}

int FormMain::clientHeightTwips() const
{
    return PixelsToTwips(height()) - menuBarHeightTwips();
}

void FormMain::ApplyWindowPlacement()
{
    const SettingsStore& store = *services_.settings;
    placing_ = true;
    const QSize design = DesignSize();
    minWidth_ = PixelsToTwips(design.width());
    minHeight_ = PixelsToTwips(design.height());
    const PaneWidgets& left = paneUi_[0];
    minLeftWidth_ = PixelsToTwips(left.frameButtons->sizeHint().width() + 4);
    const int folderTop = centralTopTwips()
                          + PixelsToTwips(2 + left.frameButtons->sizeHint().height() + 2 + left.title->sizeHint().height() + 2);
    minTopHeight_ = folderTop + PixelsToTwips(kFolderFrameDesignHeight);

    const QRect screen = (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->geometry();
    const QRect available = (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const int designLeft = PixelsToTwips(available.x() + qMax(0, (available.width() - design.width()) / 2));
    const int designTop = PixelsToTwips(available.y() + qMax(0, (available.height() - design.height()) / 2));
    int top = LoadSetting(store, kInit, QStringLiteral("Top"), designTop);
    int left_ = LoadSetting(store, kInit, QStringLiteral("Left"), designLeft);
    int width = LoadSetting(store, kInit, QStringLiteral("Width"), minWidth_);
    int height = LoadSetting(store, kInit, QStringLiteral("Height"), minHeight_);
    width = qMax(width, minWidth_);
    height = qMax(height, minHeight_);
    if (top < 0 || top > PixelsToTwips(screen.height()))
        top = 0;
    if (left_ < 0 || left_ > PixelsToTwips(screen.width()))
        left_ = 0;
    normLeft_ = left_;
    normTop_ = top;
    normWidth_ = width;
    normHeight_ = height;
    // Placement is kept for the client area: its position does not depend on window
    // decorations that are only known once the window is shown.
    setGeometry(TwipsToPixels(left_), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
    splitX_ = splitXMax_ = minTopHeight_;
    splitY_ = splitYMax_ = kLowerMin;

    const int vsplit = PixelsToTwips(splitterPanes_->handleWidth());
    const int hsplit = PixelsToTwips(splitterMain_->handleWidth());
    const int x = LoadSetting(store, kInit, QStringLiteral("SplitterX"), (clientWidthTwips() - vsplit) / 2);
    const int lower = LoadSetting(store, kInit, QStringLiteral("SplitterY"), kLowerMin);
    placed_ = true;
    ApplyLayout(x, clientHeightTwips() - lower - hsplit);
    placing_ = false;
    player_->resetPlayImage();
}

void FormMain::ApplyLayout(int x, int y)
{
    const bool maximized = isMaximized();
    const bool minimized = isMinimized();
    if (!minimized && !maximized && !placing_) {
        normLeft_ = KeepTwips(normLeft_, geometry().x());
        normTop_ = KeepTwips(normTop_, geometry().y());
        normWidth_ = KeepTwips(normWidth_, width());
        normHeight_ = KeepTwips(normHeight_, height());
    }
    const int clientWidth = clientWidthTwips();
    const int clientHeight = clientHeightTwips();
    if (x < minLeftWidth_)
        x = minLeftWidth_;
    if (x > clientWidth - minLeftWidth_)
        x = clientWidth - minLeftWidth_;
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

void FormMain::placeSplitters()
{
    if (!placed_)
        return;
    const bool maximized = isMaximized();
    const int xPx = TwipsToPixels(maximized ? splitXMax_ : splitX_);
    const int yPx = TwipsToPixels(maximized ? splitYMax_ : splitY_);
    const int panesWidth = qMax(splitterPanes_->width(), width());
    splitterPanes_->setSizes({xPx, qMax(1, panesWidth - xPx - splitterPanes_->handleWidth())});
    const int centralTop = TwipsToPixels(centralTopTwips());
    const int mainHeight = splitterMain_->height();
    const int top = qMax(1, yPx - centralTop);
    splitterMain_->setSizes({top, qMax(1, mainHeight - top - splitterMain_->handleWidth())});
    // The panes may not become narrower than the button frame, nor the lower area lower
    // than its least height, when the user drags a splitter.
    const int minLeft = TwipsToPixels(minLeftWidth_);
    paneUi_[0].frame->setMinimumWidth(minLeft);
    paneUi_[1].frame->setMinimumWidth(qMax(0, minLeft - splitterPanes_->handleWidth()));
    splitterPanes_->setMinimumHeight(qMax(0, TwipsToPixels(minTopHeight_) - centralTop));
    frameLower_->setMinimumHeight(
        qMax(0, TwipsToPixels(kLowerMin) - statusBar()->sizeHint().height() - splitterMain_->handleWidth()));
}

void FormMain::onSplitterMoved()
{
    if (!placed_)
        return;
    const bool maximized = isMaximized();
    const int x = KeepTwips(maximized ? splitXMax_ : splitX_, splitterPanes_->sizes().value(0));
    const int y = KeepTwips(maximized ? splitYMax_ : splitY_,
                            TwipsToPixels(centralTopTwips()) + splitterMain_->sizes().value(0));
    ApplyLayout(x, y);
}

void FormMain::splitterDoubleClicked(bool vertical)
{
    const bool maximized = isMaximized();
    const int x = maximized ? splitXMax_ : splitX_;
    const int y = maximized ? splitYMax_ : splitY_;
    if (vertical) {
        ApplyLayout((clientWidthTwips() - PixelsToTwips(splitterPanes_->handleWidth())) / 2, y);
        return;
    }
    // The smaller part grows: a short lower area to the top limit, a tall one to its least height.
    if (frameLower_->height() < splitterPanes_->height())
        ApplyLayout(x, minTopHeight_);
    else
        ApplyLayout(x, clientHeightTwips() - kLowerMin);
}

void FormMain::RestoreFoldersAndMaximized()
{
    const SettingsStore& store = *services_.settings;
    for (int i = 0; i < 2; ++i) {
        QString folder = LoadSetting(store, kInit, QStringLiteral("LastFolder%1").arg(i), QString());
        if (folder.isEmpty())
            folder = services_.startFolder;
        ShowFolder(i, folder);
    }
    if (LoadSetting(store, kInit, QStringLiteral("WindowState"), 0) == 2) {
        showMaximized();
        QCoreApplication::processEvents();
        const int vsplit = PixelsToTwips(splitterPanes_->handleWidth());
        ApplyLayout(LoadSetting(store, kInit, QStringLiteral("SplitterXM"), (clientWidthTwips() - vsplit) / 2),
                    LoadSetting(store, kInit, QStringLiteral("SplitterYM"), kLowerMin));
    }
}

void FormMain::closeEvent(QCloseEvent* event)
{
    if (loading_ || closing_) {
        event->accept();
        return;
    }
    if (runningScan_) {
        // Closing stops a running scan; the window stays until the user closes it again.
        runningScan_->requestStop();
        event->ignore();
        return;
    }
    CloseMainWindow();
    event->accept();
}

void FormMain::CloseMainWindow()
{
    player_->setAccepting(false);
    if (playback::Engine* engine = services_.engine) {
        engine->vbmp3_stop();
        engine->vbmp3_stopCallback();
        engine->vbmp3_free();
    }
    if (comTextSave_->isEnabled() && AskSaveLyrics())
        SaveLyrics();
    SaveWindowSettings();
    closing_ = true;
}

void FormMain::SaveWindowSettings()
{
    SettingsStore& store = *services_.settings;
    const bool maximized = isMaximized();
    StoreSetting(store, kInit, QStringLiteral("version"), QStringLiteral("1.14"));
    StoreSetting(store, kInit, QStringLiteral("Mode0"), pane(0).isLyricsMode() ? 0 : 1);
    StoreSetting(store, kInit, QStringLiteral("Mode1"), pane(1).isLyricsMode() ? 0 : 1);
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
    StoreSetting(store, kInit, QStringLiteral("WindowState"), maximized ? 2 : 0);

    quick_->store(store);

    StoreSetting(store, kInit, QStringLiteral("OpLoad"), autoLoad() ? 1 : 0);
    StoreSetting(store, kInit, QStringLiteral("OpToolTip"), mnOptionToolTip_->isChecked());

    for (int i = 0; i < 2; ++i)
        if (paneUi_[static_cast<size_t>(i)].frameFile->isVisibleTo(this))
            captureColumnLayout(i);
    StoreColumnLayout(store, colLayout_);

    for (int i = 0; i < 2; ++i) {
        StoreSetting(store, kInit, QStringLiteral("LastFolder%1").arg(i), paneFolder(i));
        StoreSetting(store, kInit, QStringLiteral("SubFolder%1").arg(i), paneUi_[static_cast<size_t>(i)].subFolder->isChecked() ? 1 : 0);
    }
    StoreSetting(store, kInit, QStringLiteral("AutoSelect"), autoSelect() ? 1 : 0);
    StoreSetting(store, kInit, QStringLiteral("DustBox"), dustBox_);
    StoreSetting(store, QStringLiteral("Okuri"), QStringLiteral("MaxmSec"), okuriMaxmSec_);
    store.sync();
}

void FormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!placed_ || placing_)
        return;
    if (isMaximized())
        ApplyLayout(splitXMax_, splitYMax_);
    else if (!isMinimized())
        ApplyLayout(splitX_, splitY_);
}

void FormMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (placed_ && !placing_ && windowState() == Qt::WindowNoState) {
        normLeft_ = KeepTwips(normLeft_, geometry().x());
        normTop_ = KeepTwips(normTop_, geometry().y());
    }
}

void FormMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && placed_)
        placeSplitters();
}

} // namespace browser
