// FormMain: construction of the window's controls, menus and toolbar, the command
// dispatch and the window-level keys.
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/core/scan.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/embed/embedmenu.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/fileops/fileoperations.h"
#include "browser/gui/formoption.h"
#include "browser/gui/icons.h"
#include "browser/gui/lists/listsarea.h"
#include "browser/gui/lrc/lrcarea.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/tagcommands/tagcommands.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"
#include "browser/gui/titlelabel.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace browser {
namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QToolButton* MakeButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(false);
    return b;
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
    bench_.settings = services_.settings;
    bench_.prompter = services_.prompter;
    bench_.details = services_.details;
    bench_.engine = EngineLink(services_.engine);
    bench_.options = &options_;
    bench_.commands = &commands_;
    bench_.panes = {panes_[0].get(), panes_[1].get()};
    bench_.activePane = [this] { return activePane_; };

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(100);
    connect(timer1_, &QTimer::timeout, this, &FormMain::PressTimerFired);
    timerDrop_ = new QTimer(this);
    timerDrop_->setObjectName(QStringLiteral("TimerDrop"));
    timerDrop_->setSingleShot(true);

    registerWindowCommands();
    registerPaneCommands();
    lists_ = new ListsArea(bench_, *this, this);
    lists_->registerCommands(commands_);
    fileOps_ = new FileOperations(*this, bench_, this);
    fileOps_->registerCommands(commands_);
    fileOps_->quickFolders = [this] { return quick_->folders(); };
    buildActions();
    buildPopupMenus();
    buildMenus();
    buildToolBar();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("FrameClient"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    splitterMain_ = new QSplitter(Qt::Vertical, central);
    splitterMain_->setObjectName(QStringLiteral("SplitterMain"));
    splitterPanes_ = new QSplitter(Qt::Horizontal, splitterMain_);
    splitterPanes_->setObjectName(QStringLiteral("SplitterPanes"));
    for (int i = 0; i < 2; ++i) {
        paneUi_[static_cast<size_t>(i)].build(i, *panes_[static_cast<size_t>(i)], this);
        splitterPanes_->addWidget(paneUi_[static_cast<size_t>(i)].frame);
    }
    splitterMain_->addWidget(splitterPanes_);
    splitterMain_->addWidget(buildLowerArea());
    for (QSplitter* s : {splitterMain_, splitterPanes_}) {
        s->setChildrenCollapsible(false);
        s->setOpaqueResize(false);
    }
    splitterPanes_->handle(1)->setObjectName(QStringLiteral("ImgSplitter"));
    splitterMain_->handle(1)->setObjectName(QStringLiteral("ImgSplitter2"));
    splitterMain_->setStretchFactor(0, 1);
    splitterMain_->setStretchFactor(1, 0);
    connect(splitterMain_, &QSplitter::splitterMoved, this, &FormMain::onSplitterMoved);
    connect(splitterPanes_, &QSplitter::splitterMoved, this, &FormMain::onSplitterMoved);
    centralLayout->addWidget(splitterMain_);
    setCentralWidget(central);

    auto* sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("SB"));
    sbText_ = new QLabel(sb);
    sbText_->setObjectName(QStringLiteral("SBText"));
    sbText_->setTextFormat(Qt::PlainText);
    sbText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sb->addWidget(sbText_, 1);
    setStatusBar(sb);

    connectPane(0);
    connectPane(1);
    lists_->attach();
    connect(chkTextEdit_, &QCheckBox::toggled, this, &FormMain::ToggleEditMode);
    connect(comTextSave_, &QToolButton::clicked, this, [this] {
        SaveLyrics();
        const FilePane& p = pane(activePane_);
        if (p.selectedRow() >= 0)
            RefreshRow(activePane_, p.selectedRow());
        textLyrics_->setFocus();
    });
    connect(comTextAllCopy_, &QToolButton::clicked, this, &FormMain::CopyAllLyrics);
    connectLowerAreas();
    connectPlayer();
    registerPlayAlongCommands();
    lrc_ = new LrcArea(*this, bench_);
    lrc_->registerCommands(commands_);
    auto* embed = new EmbedMenu(*this, bench_, this);
    embed->registerCommands(commands_);
    embed->attachMenu(sources_->findChild<QMenu*>(QStringLiteral("mnImplant")));
    connect(qApp, &QApplication::focusChanged, this, &FormMain::onFocusChanged);
    qApp->installEventFilter(this);

    tagCommands_ = new TagCommands(*this, bench_);
    tagCommands_->registerCommands(commands_);

    resize(DesignSize());
    setMinimumSize(DesignSize());
    emptyLyricsPane();
    ClearShown(1);
    paintTitles();
}

FormMain::~FormMain()
{
    qApp->removeEventFilter(this);
    if (runningScan_)
        runningScan_->requestStop();
}

QWidget* FormMain::buildLowerArea()
{
    frameLower_ = new QWidget;
    frameLower_->setObjectName(QStringLiteral("FrameLower"));
    auto* lower = new QHBoxLayout(frameLower_);
    lower->setContentsMargins(2, 2, 2, 2);
    lower->setSpacing(4);

    // Buttons of a shown lyrics file.
    frameLyricsInfo_ = new QWidget(frameLower_);
    frameLyricsInfo_->setObjectName(QStringLiteral("FrameLyricsInfo"));
    auto* li = new QGridLayout(frameLyricsInfo_);
    li->setContentsMargins(0, 0, 0, 0);
    li->setSpacing(2);
    chkTextEdit_ = new QCheckBox(U("編集"), frameLyricsInfo_);
    chkTextEdit_->setObjectName(QStringLiteral("ChkTextEdit"));
    comTextSave_ = MakeButton(QStringLiteral("ComTextSave"), U("上書保存"), frameLyricsInfo_);
    comTextAllCopy_ = MakeButton(QStringLiteral("ComTextAllCopy"), U("全文コピー"), frameLyricsInfo_);
    comTimeTag_ = MakeButton(QStringLiteral("ComTimeTag"), U("タイムタグ"), frameLyricsInfo_);
    comHosei_ = MakeButton(QStringLiteral("ComHosei"), U("補正"), frameLyricsInfo_);
    comTimeTag_->setMenu(mnTimeTag_);
    comTimeTag_->setPopupMode(QToolButton::InstantPopup);
    comHosei_->setMenu(mnHosei_);
    comHosei_->setPopupMode(QToolButton::InstantPopup);
    li->addWidget(chkTextEdit_, 0, 0);
    li->addWidget(comTextSave_, 0, 1);
    li->addWidget(comTextAllCopy_, 1, 0, 1, 2);
    li->addWidget(comTimeTag_, 2, 0);
    li->addWidget(comHosei_, 2, 1);
    li->setRowStretch(3, 1);
    for (QWidget* w : {static_cast<QWidget*>(comTextSave_), static_cast<QWidget*>(comTextAllCopy_),
                       static_cast<QWidget*>(comTimeTag_), static_cast<QWidget*>(comHosei_), static_cast<QWidget*>(chkTextEdit_)}) {
        w->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        w->setFocusPolicy(Qt::TabFocus);
    }
    lower->addWidget(frameLyricsInfo_);

    // The shown song: the choice of its lyrics, its embedded lyrics, its stream facts.
    sources_ = new LyricSourceChooser(bench_, frameLower_);
    sources_->pollPlayer = [this] { return PollPlayer(); };
    lower->addWidget(sources_);
    sources_->hide();
    const int infoWidth = qMax(frameLyricsInfo_->sizeHint().width(), sources_->sizeHint().width());
    frameLyricsInfo_->setFixedWidth(infoWidth);
    sources_->setFixedWidth(infoWidth);

    // The lyrics pane.
    frameLyrics_ = new QWidget(frameLower_);
    frameLyrics_->setObjectName(QStringLiteral("FrameLyrics"));
    auto* ly = new QVBoxLayout(frameLyrics_);
    ly->setContentsMargins(0, 0, 0, 0);
    ly->setSpacing(1);
    auto* textTitle = new TitleLabel(frameLyrics_);
    textTitle->setObjectName(QStringLiteral("lblTextTitle"));
    textTitle->setAutoFillBackground(true);
    textTitle->setFrameShape(QFrame::StyledPanel);
    connect(textTitle, &TitleLabel::doubleClicked, this, &FormMain::enlargeLowerArea);
    lblTextTitle_ = textTitle;
    ly->addWidget(lblTextTitle_);
    textLyrics_ = new QTextEdit(frameLyrics_);
    textLyrics_->setObjectName(QStringLiteral("TextLyrics"));
    textLyrics_->setAcceptRichText(false);
    textLyrics_->setLineWrapMode(QTextEdit::NoWrap);
    textLyrics_->setReadOnly(true);
    connect(textLyrics_, &QTextEdit::textChanged, this, &FormMain::onLyricsTextChanged);
    ly->addWidget(textLyrics_, 1);
    lower->addWidget(frameLyrics_, 3);

    // The player strip: transport, position, and the song's lyric lines.
    player_ = new PlayerStrip(bench_, frameLower_);
    lower->addWidget(player_, 2);
    return frameLower_;
}

void FormMain::OpenOptions(int tab, bool firstRun)
{
    bool stored = false;
    if (services_.openOptions)
        stored = services_.openOptions(*this, tab, firstRun);
    else
        stored = ShowOptionsDialog(firstRun ? nullptr : this, options_, *services_.settings, *services_.prompter,
                                   static_cast<OptionTab>(tab));
    if (stored)
        timer1_->setInterval(PressIntervalMs(options_.fukaLyrics));
}

int FormMain::pressInterval() const
{
    return timer1_->interval();
}

void FormMain::ShowHelp()
{
    const QString help = WithTrailingSeparator(services_.programFolder) + QStringLiteral("mwex.chm");
    if (!services_.programFolder.isEmpty() && QFileInfo(help).isFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(help));
        return;
    }
    services_.prompter->message(U("mwex.chm が見つかりません。"), MessageIcon::Warning);
}

void FormMain::ShowAbout()
{
    services_.prompter->message(QStringLiteral("Melwick Ex\nVersion %1").arg(QStringLiteral(MWEX_VERSION_TEXT)),
                                MessageIcon::Information, MessageButtons::Ok, U("Melwick Ex について"));
}

void FormMain::connectLowerAreas()
{
    connect(sources_, &LyricSourceChooser::statusText, sbText_, &QLabel::setText);
    connect(sources_, &LyricSourceChooser::optionsRequested, this, [this](int tab) { OpenOptions(tab); });
    connect(sources_, &LyricSourceChooser::menuClosed, this, [this](playback::TransportState state) {
        if (state == playback::TransportState::Stopped)
            player_->playPauseButton()->setFocus();
        else
            player_->stopButton()->setFocus();
    });
}

playback::TransportState FormMain::PollPlayer()
{
    return player_->poll();
}

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

} // namespace browser
