// FormMain: the composition root. It creates the window's areas, fills in the Workbench
// they share, connects their signals, and forwards its public methods to them.
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/gui/embed/embedmenu.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/fileops/fileoperations.h"
#include "browser/gui/formoption.h"
#include "browser/gui/help/helpfile.h"
#include "browser/gui/help/helppages.h"
#include "browser/gui/icons.h"
#include "browser/gui/layout/windowlayout.h"
#include "browser/gui/lists/listsarea.h"
#include "browser/gui/lrc/lrcarea.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/panes/panecommands.h"
#include "browser/gui/panes/panedragdrop.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"
#include "browser/gui/songinfo/songinfoarea.h"
#include "browser/gui/rawnames/rawnames.h"
#include "browser/gui/tagcommands/tagcommands.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace browser {

static_assert(FormMain::kLowerMin == WindowLayout::kLowerMin);

namespace {

// The folder of the song the user works on: the shown song, else a selected song row.
QString SelectedSongFolder(FormMain& w)
{
    if (w.currentKind() == 1 && !w.currentFile().isEmpty())
        return QFileInfo(w.currentFile()).absolutePath();
    for (int i : {w.activePane(), 1 - w.activePane()}) {
        const FilePane& p = w.pane(i);
        if (!p.isLyricsMode() && p.selectedRow() >= 0 && p.selectedRow() < p.rowCount())
            return QFileInfo(p.row(p.selectedRow()).fullPath()).absolutePath();
    }
    return {};
}

} // namespace

QSize FormMain::DesignSize()
{
    return {1000, 700};
}

FormMain::FormMain(FormMainServices services, QWidget* parent)
    : QMainWindow(parent)
    , services_(std::move(services))
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Melwick Ex"));
    setWindowIcon(ApplicationIcon());
    panes_[0] = std::make_unique<FilePane>(0, this);
    panes_[1] = std::make_unique<FilePane>(1, this);
    panes_[0]->mode = PaneMode::Lyrics;
    panes_[1]->mode = PaneMode::Song;
    fillWorkbench();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(100);
    press_.timer = timer1_;
    timerDrop_ = new QTimer(this);
    timerDrop_->setObjectName(QStringLiteral("TimerDrop"));
    timerDrop_->setSingleShot(true);

    registerWindowCommands();
    RegisterPaneCommands(commands_, bench_);
    lists_ = new ListsArea(bench_, *this, this);
    lists_->registerCommands(commands_);
    fileOps_ = new FileOperations(*this, bench_, this);
    fileOps_->registerCommands(commands_);
    fileOps_->quickFolders = [this] { return quick_->folders(); };
    fileOps_->stopPlaybackOf = [this](const QStringList& paths) { player_->releaseSongAmong(paths); };
    buildActions();
    buildPopupMenus();
    buildMenus();
    buildToolBar();
    createAreas();
    songInfo_ = new SongInfoArea(*this, bench_, this);
    songInfo_->registerCommands(commands_);
    buildStatusBar();
    connectPaneViews();
    lists_->attach();
    connectLowerAreas();
    connectPlayer();
    registerPlayAlongCommands();
    lrc_ = new LrcArea(*this, bench_);
    lrc_->registerCommands(commands_);
    auto* rawNames = new RawNames(*this, bench_, this);
    rawNames->setObjectName(QStringLiteral("RawNames"));
    rawNames->registerCommands(commands_);
    rawNames->attachRowMenu(mnRightClick_, mnRightClickList_[4]);
    auto* embed = new EmbedMenu(*this, bench_, this);
    embed->registerCommands(commands_);
    embed->attachMenu(sources_->findChild<QMenu*>(QStringLiteral("mnImplant")));
    qApp->installEventFilter(this);

    tagCommands_ = new TagCommands(*this, bench_);
    tagCommands_->registerCommands(commands_);

    connectDrops(*embed);

    resize(DesignSize());
    setMinimumSize(DesignSize());
    ClearShown(1);
    SetActivePane(0);
}

void FormMain::connectDrops(EmbedMenu& embed)
{
    // Files dropped onto a row: the drop menu's entries and their handlers.
    PaneDragDrop::Handlers drops;
    drops.rename = [this](int i, int row, const QString& f) { fileOps_->DropRename(i, row, f); };
    drops.play = [this](int i, int row, const QString& f) { PlayDroppedLyrics(i, row, f); };
    drops.embed = [&embed](int i, int row, const QString& f) { embed.DropEmbed(i, row, f); };
    drops.correct = [this](int i, int row, const QString& f) { tagCommands_->DropCorrection(i, row, f); };
    drops.adjust = [this](int i, int row, const QString& f) { AdjustDroppedSong(i, row, f); };
    auto* dragDrop = new PaneDragDrop(bench_, *mnDropFile_, *timerDrop_, std::move(drops), this);
    dragDrop->attach();
    for (FilePaneView* view : views_)
        connect(view, &FilePaneView::rowDragRequested, dragDrop, &PaneDragDrop::startRowDrag);
}

FormMain::~FormMain()
{
    qApp->removeEventFilter(this);
    busy_.stopScan();
}

void FormMain::fillWorkbench()
{
    bench_.settings = services_.settings;
    bench_.prompter = services_.prompter;
    bench_.details = services_.details;
    bench_.engine = EngineLink(services_.engine);
    bench_.options = &options_;
    bench_.commands = &commands_;
    bench_.panes = {panes_[0].get(), panes_[1].get()};
    bench_.activePane = [this] { return activePane_; };
    bench_.columns = &colLayout_;
    bench_.busy = &busy_;
    bench_.autoLoad = [this] { return autoLoad(); };
    bench_.autoSelect = [this] { return autoSelect(); };
    bench_.runCommand = [this](const QString& key) { RunCommand(key); };
    bench_.windowKeys = [this](QKeyEvent* event) { return FormKeyDown(event); };
}

void FormMain::createAreas()
{
    for (int i = 0; i < 2; ++i) {
        views_[static_cast<size_t>(i)] = new FilePaneView(i, bench_, press_, this);
        views_[static_cast<size_t>(i)]->build(services_.startFolder);
    }
    bench_.views = views_;
    sources_ = new LyricSourceChooser(bench_);
    sources_->pollPlayer = [this] { return player_->poll(); };
    player_ = new PlayerStrip(bench_);
    bench_.player = player_;
    lyrics_ = new LyricsPane(bench_, *sources_, *player_, this);
    lyrics_->build(mnTimeTag_, mnHosei_);
    bench_.lyrics = lyrics_;
    QWidget* lower = WindowLayout::BuildLowerArea(lyrics_->buttonsFrame(), sources_, lyrics_->textFrame(), player_);
    layout_ = new WindowLayout(*this);
    layout_->build(views_[0]->widgets(), views_[1]->widgets(), lower);
}

void FormMain::buildStatusBar()
{
    auto* sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("SB"));
    sbText_ = new QLabel(sb);
    sbText_->setObjectName(QStringLiteral("SBText"));
    sbText_->setTextFormat(Qt::PlainText);
    sbText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sb->addWidget(sbText_, 1);
    setStatusBar(sb);
}

void FormMain::connectPaneViews()
{
    for (FilePaneView* view : views_) {
        connect(view, &FilePaneView::activated, this, &FormMain::SetActivePane);
        connect(view, &FilePaneView::fileListClosing, lyrics_, &LyricsPane::clearIfShownFrom);
        connect(view, &FilePaneView::rowShowRequested, this, &FormMain::ShowRow);
        connect(view, &FilePaneView::editRequested, lyrics_, &LyricsPane::requestEdit);
        connect(view, &FilePaneView::songEditRequested, songInfo_, &SongInfoArea::EditRow);
        connect(view, &FilePaneView::rowMenuRequested, this, &FormMain::PopupRightClickMenu);
        connect(view, &FilePaneView::quickMenuRequested, quick_, &QuickAccessMenu::Popup);
    }
}

void FormMain::connectLowerAreas()
{
    connect(lyrics_, &LyricsPane::statusText, sbText_, &QLabel::setText);
    connect(lyrics_, &LyricsPane::editModeChanged, this, &FormMain::onEditModeChanged);
    connect(lyrics_, &LyricsPane::enlargeRequested, layout_, &WindowLayout::enlargeLower);
    connect(lyrics_, &LyricsPane::shownLyricsChanged, this, &FormMain::shownLyricsChanged);
    connect(sources_, &LyricSourceChooser::statusText, sbText_, &QLabel::setText);
    connect(sources_, &LyricSourceChooser::optionsRequested, this, [this](int tab) { OpenOptions(tab); });
    connect(sources_, &LyricSourceChooser::menuClosed, this, [this](playback::TransportState state) {
        if (state == playback::TransportState::Stopped)
            player_->playPauseButton()->setFocus();
        else
            player_->stopButton()->setFocus();
    });
}

void FormMain::onEditModeChanged(bool editing, bool keepLayout)
{
    // While the lyrics are edited the folder trees and the main menus are held, and the
    // lower area grows to the top limit (a bulk command keeps the splitter where it is).
    setFolderTreesEnabled(!editing);
    setMainMenusEnabled(!editing);
    if (keepLayout)
        return;
    if (editing)
        layout_->enlargeLower();
    else
        layout_->restoreLower();
}

bool FormMain::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (filterWhileBusy(widget, event))
        return true;
    // Key preview: the window sees every key of its controls first.
    if (watched == qApp || !widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    // Tool tips off: no control shows one (a toolbar button would show its action's text).
    if (type == QEvent::ToolTip && !mnOptionToolTip_->isChecked())
        return true;
    if (type == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        bench_.escapeHeld = false;
    // Edit mode: the lyrics text keeps the focus; clicks elsewhere in the panes are refused.
    if (lyrics_->inEditMode() && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        for (const FilePaneView* view : views_) {
            if (view->frame()->isAncestorOf(widget)) {
                lyrics_->focusText();
                return true;
            }
        }
    }
    if (type == QEvent::KeyPress && watched == focusWidget() && !handledByArea(watched))
        return FormKeyDown(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

bool FormMain::handledByArea(const QObject* watched) const
{
    // The lists, the trees and the lyrics text pass their keys to the window themselves.
    return lyrics_->handlesKeysOf(watched) || views_[0]->handlesKeysOf(watched) || views_[1]->handlesKeysOf(watched);
}

bool FormMain::filterWhileBusy(QWidget* widget, QEvent* event)
{
    // While busy the window takes no input; Escape asks a running scan to stop. Keys are
    // also swallowed while a command holds edit mode.
    if (!widget || widget->window() != this)
        return false;
    if (!busy_.busy()) {
        const QEvent::Type t = event->type();
        return lyrics_ && lyrics_->editByCommand()
            && (t == QEvent::KeyPress || t == QEvent::KeyRelease || t == QEvent::ShortcutOverride);
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            busy_.stopScan();
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

void FormMain::OpenOptions(int tab, bool firstRun)
{
    bool stored = false;
    if (services_.openOptions)
        stored = services_.openOptions(*this, tab, firstRun);
    else
        stored = ShowOptionsDialog(firstRun ? nullptr : this, options_, *services_.settings, *services_.prompter,
                                   static_cast<OptionTab>(tab), SelectedSongFolder(*this));
    if (stored) {
        timer1_->setInterval(PressIntervalMs(options_.fukaLyrics));
        lyrics_->setFixedFont(options_.lyricsFixedFont);
    }
}

int FormMain::pressInterval() const
{
    return timer1_->interval();
}

void FormMain::ShowHelp()
{
    // Help beside the program (an installed copy, or an old mwex.chm) is used first;
    // otherwise the pages bundled in the program open in the desktop's browser.
    const auto open = [this](const QString& path) {
        const QUrl url = QUrl::fromLocalFile(path);
        return services_.openUrl ? services_.openUrl(url) : QDesktopServices::openUrl(url);
    };
    if (const QString beside = FindHelpFile(services_.programFolder); !beside.isEmpty() && open(beside))
        return;
    QString why;
    const QString page = ExtractBundledHelp(&why, services_.helpFolder);
    if (page.isEmpty() || !open(page))
        services_.prompter->message(QString::fromUtf8("ヘルプを開けませんでした。\n") + (page.isEmpty() ? why : page),
                                    MessageIcon::Warning);
}

void FormMain::ShowAbout()
{
    songInfo_->ShowAbout();
}

void FormMain::RunCommand(const QString& key)
{
    QAction* a = toolbarActions_.value(key);
    if (a && !a->isEnabled())
        return;
    commands_.run(key);
}

void FormMain::registerWindowCommands()
{
    // The toolbar's toggles: the option menu's check marks follow them.
    commands_.add(QStringLiteral("AutoLoad"), [this] { mnOptionAutoLoad_->setChecked(autoLoad()); });
    commands_.add(QStringLiteral("AutoSelect"), [this] { mnOptionAutoSelect_->setChecked(autoSelect()); });
    commands_.add(QStringLiteral("Help"), [this] { ShowHelp(); });
}

bool FormMain::activePaneHasRows() const
{
    return views_[static_cast<size_t>(activePane_)]->hasRows();
}

// The engine and the player strip -------------------------------------------------

void FormMain::OnEngineNotify(playback::Notification notification, int value)
{
    player_->notify(notification, value);
}

bool FormMain::acceptsEngineNotifications() const
{
    return player_->accepting();
}

const LyricSourceChoice& FormMain::lyricSources() const
{
    return sources_->choice();
}

void FormMain::setDroppedLyrics(const QString& path)
{
    sources_->setDroppedLyrics(path);
}

void FormMain::RebuildLyricSources()
{
    sources_->rebuild();
}

void FormMain::ApplyLyricSource()
{
    sources_->applyToEngine();
}

// The panes ---------------------------------------------------------------------

void FormMain::SetActivePane(int i)
{
    activePane_ = i;
    for (FilePaneView* view : views_)
        view->paintTitle(view->index() == activePane_);
}

void FormMain::FocusPane() { paneView(activePane_).focus(); }
bool FormMain::IsLyricsMode(int i) const { return views_[static_cast<size_t>(i)]->isLyricsMode(); }
void FormMain::SwitchView(PaneView view) { paneView(activePane_).switchView(view); }
bool FormMain::ScanPane(int i) { return paneView(i).scan(); }
void FormMain::ShowFolder(int i, const QString& path) { paneView(i).showFolder(path); }
void FormMain::DriveChanged(int i) { paneView(i).driveChanged(); }
void FormMain::BuildColumns(int i) { paneView(i).buildColumns(); }
void FormMain::CaptureColumns(int i) { paneView(i).captureColumns(); }
void FormMain::UpdatePaneTitle(int i) { paneView(i).updateTitle(); }
void FormMain::SortByColumn(int i, int column) { paneView(i).sortByColumn(column); }
void FormMain::AutoSelectPartner(int i, int row) { paneView(i).autoSelectPartner(row); }
bool FormMain::RefreshRow(int i, int row) { return paneView(i).refreshRow(row); }
void FormMain::SelectRow(int i, int row) { paneView(i).selectRow(row); }
QCheckBox* FormMain::filterBox(int i) const { return views_[static_cast<size_t>(i)]->widgets().filter; }

void FormMain::ShowListWithoutScan(int i, PaneMode mode)
{
    PaneWidgets& ui = paneView(i).widgets();
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

QString FormMain::paneFolder(int i) const { return views_[static_cast<size_t>(i)]->folder(); }

void FormMain::ResetColumns()
{
    colLayout_ = views_[0]->fittedColumnDefaults();
    for (FilePaneView* view : views_)
        if (view->showsFiles())
            view->applyColumnLayout();
}

// The lyrics pane -----------------------------------------------------------------

void FormMain::ShowRow(int i, int row) { lyrics_->showRow(i, row); }
void FormMain::ClearShown(int kind) { lyrics_->clearShown(kind); }
bool FormMain::AskSaveLyrics() { return lyrics_->askSave(); }
bool FormMain::lyricsModified() const { return !lyrics_->currentFile().isEmpty() && lyrics_->hasUnsavedEdits(); }
void FormMain::SaveLyrics() { lyrics_->save(); }
void FormMain::CopyAllLyrics() { lyrics_->copyAll(); }
QString FormMain::lyricsText() const { return lyrics_->text(); }
QString FormMain::currentFile() const { return lyrics_->currentFile(); }
int FormMain::currentPane() const { return lyrics_->currentPane(); }
int FormMain::currentKind() const { return lyrics_->currentKind(); }
bool FormMain::inEditMode() const { return lyrics_ && lyrics_->inEditMode(); }
void FormMain::setEditByCommand(bool on) { lyrics_->setEditByCommand(on); }
bool FormMain::editByCommand() const { return lyrics_->editByCommand(); }
void FormMain::setLyricsText(const QString& crlf) { lyrics_->setText(crlf); }
void FormMain::setEditMode(bool on) { lyrics_->setEditMode(on); }
bool FormMain::hasUnsavedLyrics() const { return lyrics_->hasUnsavedEdits(); }
void FormMain::EditLyricsText(const QString& text) { lyrics_->editText(text); }

void FormMain::setBusy(bool busy)
{
    if (busy)
        busy_.begin();
    else
        busy_.end();
}
void FormMain::setRecolouring(bool on) { lyrics_->setRecolouring(on); }

// The layout ----------------------------------------------------------------------

void FormMain::ApplyLayout(int x, int y) { layout_->apply(x, y); }
int FormMain::splitX() const { return layout_->splitX(); }
int FormMain::splitY() const { return layout_->splitY(); }
int FormMain::splitXMax() const { return layout_->splitXMax(); }
int FormMain::splitYMax() const { return layout_->splitYMax(); }
int FormMain::minTopHeight() const { return layout_->minTopHeight(); }
int FormMain::minLeftWidth() const { return layout_->minLeftWidth(); }
int FormMain::clientWidthTwips() const { return layout_->clientWidthTwips(); }
int FormMain::clientHeightTwips() const { return layout_->clientHeightTwips(); }

void FormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (layout_)
        layout_->windowResized();
}

void FormMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (layout_)
        layout_->windowMoved();
}

void FormMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && layout_)
        layout_->windowStateChanged();
}

} // namespace browser
