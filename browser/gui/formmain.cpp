// FormMain: construction of the window's controls, menus and toolbar, the command
// dispatch and the window-level keys.
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/core/scan.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/formoption.h"
#include "browser/gui/icons.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/player/playerstrip.h"
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

struct ToolbarButton {
    const char* key;
    const char* tip;
    bool toggle;
};

// The toolbar in its order; an empty key is a separator.
const ToolbarButton kToolbar[] = {
    {"Open", "ファイルリストを開く", false},
    {"Save", "ファイルリストの保存", false},
    {"", "", false},
    {"Copy", "ファイルのコピー", false},
    {"Move", "ファイルの移動", false},
    {"Delete", "ファイルの削除", false},
    {"", "", false},
    {"RenameRtoL", "リネーム(左のファイル名を右のファイル名に合わせる)", false},
    {"RenameLtoR", "リネーム(右のファイル名を左のファイル名に合わせる)", false},
    {"RenameManual", "手動リネーム", false},
    {"", "", false},
    {"ReSearch", "ファイルリストの更新", false},
    {"AutoLoad", "オートリード", true},
    {"", "", false},
    {"SelectAll", "全チェック", false},
    {"SelectInverse", "チェックの反転", false},
    {"SelectNone", "チェックを外す", false},
    {"SelectClear", "チェックファイルをリストから削除", false},
    {"SelectSearch", "ファイル抽出 … ", false},
    {"", "", false},
    {"AutoSelect", "オートセレクト", true},
    {"", "", false},
    {"Help", "ヘルプ", false},
};

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
    splitterPanes_->addWidget(buildPane(0));
    splitterPanes_->addWidget(buildPane(1));
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
    connect(qApp, &QApplication::focusChanged, this, &FormMain::onFocusChanged);
    qApp->installEventFilter(this);

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

QAction* FormMain::makeAction(const QString& name, const QString& text, QObject* owner)
{
    auto* a = new QAction(text, owner ? owner : this);
    a->setObjectName(name);
    return a;
}

void FormMain::buildActions()
{
    for (const ToolbarButton& b : kToolbar) {
        if (!*b.key)
            continue;
        const QString key = QString::fromLatin1(b.key);
        QAction* a = makeAction(key, key);
        a->setData(U(b.tip));
        a->setCheckable(b.toggle);
        a->setEnabled(commands_.contains(key));
        connect(a, &QAction::triggered, this, [this, key] { RunCommand(key); });
        toolbarActions_.insert(key, a);
    }
    toolbarActions_.value(QStringLiteral("AutoLoad"))->setChecked(true);
}

void FormMain::buildPopupMenus()
{
    // "Delete" drop-down: recycle bin or direct deletion.
    mnDeleteDrop_ = new QMenu(this);
    mnDeleteDrop_->setObjectName(QStringLiteral("mnDeleteDrop"));
    QAction* dust = makeAction(QStringLiteral("DustBox"), U("ごみ箱へ移動"), mnDeleteDrop_);
    QAction* direct = makeAction(QStringLiteral("Direct"), U("直接削除"), mnDeleteDrop_);
    for (QAction* a : {dust, direct})
        a->setCheckable(true);
    mnDeleteDrop_->addAction(dust);
    mnDeleteDrop_->addAction(direct);
    connect(dust, &QAction::triggered, this, [this] { setDeleteImage(true); });
    connect(direct, &QAction::triggered, this, [this] { setDeleteImage(false); });

    // "ファイル抽出(&E)": extraction by condition and by the other pane.
    mnSelectSearch_ = new QMenu(U("ファイル抽出(&E)"), this);
    mnSelectSearch_->setObjectName(QStringLiteral("mnSelectSearch"));
    const char* searchList[] = {"対応ファイルが存在するものを全て抽出(&A)", "選択ファイルから検索（ファイル名判断）(&F)",
                                "選択ファイルから全て抽出（タグ情報判断）(&T)"};
    for (int i = 0; i < 3; ++i)
        mnSelectSearch_->addAction(makeAction(QStringLiteral("mnSelectSearchList%1").arg(i), U(searchList[i]), mnSelectSearch_));
    mnSelectSearch_->addSeparator();
    mnSelectSearch_->addAction(makeAction(QStringLiteral("mnSelectSearchCondition"), U("条件抽出(&C)"), mnSelectSearch_));
    for (QAction* a : mnSelectSearch_->actions())
        a->setEnabled(false);

    // Quick-access folders: entry 0 is a fixed placeholder, never a folder.
    mnQuick_ = new QMenu(QStringLiteral("QuickPopup"), this);
    mnQuick_->setObjectName(QStringLiteral("z_mnQuick"));
    QAction* placeholder = makeAction(QStringLiteral("mnQuickList0"), QStringLiteral("(QuickList)"), mnQuick_);
    placeholder->setVisible(false);
    mnQuick_->addAction(placeholder);
    quickSep_ = mnQuick_->addSeparator();
    quickSep_->setObjectName(QStringLiteral("z_mnQuickSep"));
    quickSep_->setVisible(false);
    mnQuick_->addAction(makeAction(QStringLiteral("mnQuickAdd"), U("このフォルダを追加"), mnQuick_));
    mnQuick_->addAction(makeAction(QStringLiteral("mnQuickEdit"), U("クイックアクセスの編集"), mnQuick_));
    mnQuick_->addSeparator()->setObjectName(QStringLiteral("z_mnQuickSep2"));
    mnQuick_->addAction(makeAction(QStringLiteral("mnQuickSame"), U("右と同じフォルダを選択"), mnQuick_));
    for (QAction* a : mnQuick_->actions())
        if (!a->isSeparator())
            a->setEnabled(false);

    // Right click on a row.
    mnRightClick_ = new QMenu(this);
    mnRightClick_->setObjectName(QStringLiteral("mnRightClick"));
    const char* rightClick[] = {"この歌詞フォルダを PLP に設定", "-", "クリップボードのテキストをこの曲の歌詞にする",
                                "チェックファイルをプレイリストとして保存する", "-", "キャンセル"};
    for (int i = 0; i < 6; ++i) {
        QAction* a = makeAction(QStringLiteral("mnRightClickList%1").arg(i), U(rightClick[i]), mnRightClick_);
        a->setSeparator(QByteArray(rightClick[i]) == "-");
        connect(a, &QAction::triggered, this, [this, i] { RunRightClickEntry(i); });
        mnRightClick_->addAction(a);
        mnRightClickList_[static_cast<size_t>(i)] = a;
    }

    // A file dropped onto a row.
    mnDropFile_ = new QMenu(this);
    mnDropFile_->setObjectName(QStringLiteral("mnDropFile"));
    const char* drop[][2] = {{"mnDropFileRename", "リネーム"}, {"mnDropFilePlay", "演奏"},    {"mnDropFileImplant", "埋め込み"},
                             {"mnDropFileHosei", "補正"},      {"mnDropFileAdjust", "演奏合わせ"}, {"", "-"},
                             {"mnDropFileCancel", "キャンセル"}};
    for (const auto& d : drop) {
        if (!*d[0]) {
            mnDropFile_->addSeparator();
            continue;
        }
        QAction* a = makeAction(QString::fromLatin1(d[0]), U(d[1]), mnDropFile_);
        a->setEnabled(QByteArray(d[0]) == "mnDropFileCancel");
        mnDropFile_->addAction(a);
    }

    // Correction and time-tag commands of the shown lyrics.
    mnHosei_ = new QMenu(this);
    mnHosei_->setObjectName(QStringLiteral("mnHosei"));
    mnTimeTag_ = new QMenu(this);
    mnTimeTag_->setObjectName(QStringLiteral("mnTimeTag"));
}

void FormMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));

    mnFile_ = bar->addMenu(U("ファイル(&F)"));
    mnFile_->setObjectName(QStringLiteral("mnFile"));
    auto addCommand = [this](QMenu* menu, const QString& name, const char* caption, const QString& key) {
        QAction* a = makeAction(name, U(caption), menu);
        a->setEnabled(commands_.contains(key));
        a->setData(key);
        connect(a, &QAction::triggered, this, [this, key] { RunCommand(key); });
        menu->addAction(a);
        return a;
    };
    addCommand(mnFile_, QStringLiteral("mnFileOpen"), "ファイルリストを開く(&O)", QStringLiteral("Open"));
    addCommand(mnFile_, QStringLiteral("mnFileSave"), "ファイルリストの保存(&S)", QStringLiteral("Save"));
    mnFile_->addSeparator();
    addCommand(mnFile_, QStringLiteral("mnFileReSearch"), "ファイルリストの更新(&R)", QStringLiteral("ReSearch"));
    mnFile_->addSeparator();
    addCommand(mnFile_, QStringLiteral("mnFileFileList0"), "ファイルのコピー(&C)", QStringLiteral("Copy"));
    addCommand(mnFile_, QStringLiteral("mnFileFileList1"), "ファイルの移動(&M)", QStringLiteral("Move"));
    addCommand(mnFile_, QStringLiteral("mnFileFileList2"), "ファイルの削除(&D)", QStringLiteral("Delete"));
    QMenu* rename = mnFile_->addMenu(U("リネーム(&R)"));
    rename->setObjectName(QStringLiteral("mnFileRename"));
    addCommand(rename, QStringLiteral("mnFileRenameList0"), "左のファイル名を右のファイル名に合わせる(&L)", QStringLiteral("RenameRtoL"));
    addCommand(rename, QStringLiteral("mnFileRenameList1"), "右のファイル名を左のファイル名に合わせる(&R)", QStringLiteral("RenameLtoR"));
    addCommand(rename, QStringLiteral("mnFileRenameList2"), "手動リネーム(&M)", QStringLiteral("RenameManual"));
    mnFile_->addSeparator();
    QAction* exit = makeAction(QStringLiteral("mnFileExit"), U("終了(&X)"), mnFile_);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    mnFile_->addAction(exit);
    connect(mnFile_, &QMenu::aboutToShow, this, &FormMain::PrepareFileMenu);

    mnEdit_ = bar->addMenu(U("編集(&E)"));
    mnEdit_->setObjectName(QStringLiteral("mnEdit"));
    QMenu* check = mnEdit_->addMenu(U("チェックマーク(&C)"));
    check->setObjectName(QStringLiteral("mnEditCheck"));
    addCommand(check, QStringLiteral("mnEditCheckList0"), "全てチェック(&A)", QStringLiteral("SelectAll"));
    addCommand(check, QStringLiteral("mnEditCheckList1"), "チェックの反転(&I)", QStringLiteral("SelectInverse"));
    addCommand(check, QStringLiteral("mnEditCheckList2"), "チェックのクリア(&C)", QStringLiteral("SelectNone"));
    addCommand(check, QStringLiteral("mnEditCheckList3"), "チェックファイルをリストから削除(&D)", QStringLiteral("SelectClear"));
    check->addSeparator();
    addCommand(check, QStringLiteral("mnEditCheckRefresh"), "チェックファイルの詳細情報更新(&R)", QStringLiteral("RefreshChecked"));
    mnEdit_->addMenu(mnSelectSearch_);
    mnEdit_->addSeparator();
    addCommand(mnEdit_, QStringLiteral("mnEditLyrics"), "歌詞ファイル編集(&L)", QStringLiteral("EditLyrics"));
    addCommand(mnEdit_, QStringLiteral("mnEditSong"), "曲ファイル編集(&S)", QStringLiteral("EditSong"));
    mnEdit_->addSeparator();
    addCommand(mnEdit_, QStringLiteral("mnEditHosei"), "補正変換(&H)", QStringLiteral("Hosei"));
    connect(mnEdit_, &QMenu::aboutToShow, this, &FormMain::PrepareEditMenu);

    mnOption_ = bar->addMenu(U("オプション(&O)"));
    mnOption_->setObjectName(QStringLiteral("mnOption"));
    mnOptionAutoLoad_ = makeAction(QStringLiteral("mnOptionAutoLoad"), U("オートリード(&R)"), mnOption_);
    mnOptionAutoSelect_ = makeAction(QStringLiteral("mnOptionAutoSelect"), U("オートセレクト(&S)"), mnOption_);
    mnOptionToolTip_ = makeAction(QStringLiteral("mnOptionToolTip"), U("ツールチップを表示する(&T)"), mnOption_);
    for (QAction* a : {mnOptionAutoLoad_, mnOptionAutoSelect_, mnOptionToolTip_}) {
        a->setCheckable(true);
        mnOption_->addAction(a);
    }
    mnOptionAutoLoad_->setChecked(true);
    mnOptionToolTip_->setChecked(true);
    connect(mnOptionAutoLoad_, &QAction::triggered, this, [this](bool on) { setAutoLoad(on); });
    connect(mnOptionAutoSelect_, &QAction::triggered, this, [this](bool on) { setAutoSelect(on); });
    connect(mnOptionToolTip_, &QAction::triggered, this, [this] { ApplyToolTips(); });
    QAction* reset = makeAction(QStringLiteral("mnOptionResetColumns"), U("ファイルリストの列幅と順番の初期化(&I)"), mnOption_);
    connect(reset, &QAction::triggered, this, &FormMain::ResetColumns);
    mnOption_->addAction(reset);
    mnOption_->addSeparator();
    QAction* other = makeAction(QStringLiteral("mnOptionOther"), U("その他のオプション(&O)"), mnOption_);
    connect(other, &QAction::triggered, this, [this] { OpenOptions(1); });
    mnOption_->addAction(other);

    mnHelp_ = bar->addMenu(U("ヘルプ(&H)"));
    mnHelp_->setObjectName(QStringLiteral("mnHelp"));
    QAction* help = makeAction(QStringLiteral("mnHelpHelp"), U("Melwickのヘルプ(&H)"), mnHelp_);
    connect(help, &QAction::triggered, this, [this] { RunCommand(QStringLiteral("Help")); });
    mnHelp_->addAction(help);
    QAction* about = makeAction(QStringLiteral("mnHelpAbout"), U("Melwickについて(&A)"), mnHelp_);
    connect(about, &QAction::triggered, this, &FormMain::ShowAbout);
    mnHelp_->addAction(about);
}

void FormMain::buildToolBar()
{
    auto* tb = new QToolBar(this);
    tb->setObjectName(QStringLiteral("TB"));
    tb->setMovable(false);
    tb->setFloatable(false);
    tb->setIconSize(QSize(24, 24));
    tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tb->toggleViewAction()->setVisible(false);
    for (const ToolbarButton& b : kToolbar) {
        if (!*b.key) {
            tb->addSeparator();
            continue;
        }
        QAction* a = toolbarActions_.value(QString::fromLatin1(b.key));
        tb->addAction(a);
        if (QWidget* w = tb->widgetForAction(a)) {
            w->setObjectName(QStringLiteral("TB_") + a->objectName());
            if (a->objectName() == QLatin1String("Delete")) {
                deleteButton_ = qobject_cast<QToolButton*>(w);
                deleteButton_->setMenu(mnDeleteDrop_);
                deleteButton_->setPopupMode(QToolButton::MenuButtonPopup);
            } else if (a->objectName() == QLatin1String("SelectSearch")) {
                auto* button = qobject_cast<QToolButton*>(w);
                button->setMenu(mnSelectSearch_);
                button->setPopupMode(QToolButton::DelayedPopup);
            }
        }
    }
    addToolBar(Qt::TopToolBarArea, tb);
}

QWidget* FormMain::buildPane(int i)
{
    PaneUi& ui = paneUi_[static_cast<size_t>(i)];
    const QString n = QString::number(i);
    const QString side = i == 0 ? QStringLiteral("Left") : QStringLiteral("Right");
    ui.frame = new QWidget;
    ui.frame->setObjectName(QStringLiteral("FramePane") + n);
    auto* layout = new QVBoxLayout(ui.frame);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);

    ui.frameButtons = new QWidget(ui.frame);
    ui.frameButtons->setObjectName(QStringLiteral("FrameButtons") + n);
    auto* buttons = new QHBoxLayout(ui.frameButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(2);
    ui.viewGroup = new QButtonGroup(ui.frameButtons);
    ui.modeGroup = new QButtonGroup(ui.frameButtons);
    const char* views[] = {"フォルダ", "ファイル"};
    const QStyle::StandardPixmap viewIcons[] = {QStyle::SP_DirIcon, QStyle::SP_FileDialogDetailedView};
    const char* modes[] = {"歌詞", "曲"};
    for (int k = 0; k < 2; ++k) {
        QToolButton* v = MakeButton(QStringLiteral("OptWindows%1%2").arg(side).arg(k), U(views[k]), ui.frameButtons);
        v->setIcon(style()->standardIcon(viewIcons[k]));
        v->setToolButtonStyle(Qt::ToolButtonIconOnly);
        v->setCheckable(true);
        ui.viewGroup->addButton(v, k);
        ui.viewButtons[static_cast<size_t>(k)] = v;
        buttons->addWidget(v);
    }
    buttons->addSpacing(4);
    for (int k = 0; k < 2; ++k) {
        QToolButton* m = MakeButton(QStringLiteral("OptFileType%1%2").arg(side).arg(k), U(modes[k]), ui.frameButtons);
        m->setCheckable(true);
        ui.modeGroup->addButton(m, k);
        ui.modeButtons[static_cast<size_t>(k)] = m;
        buttons->addWidget(m);
    }
    buttons->addSpacing(4);
    ui.filter = new QCheckBox(U("フィルター"), ui.frameButtons);
    ui.filter->setObjectName(QStringLiteral("ChkFilter") + n);
    ui.filter->setEnabled(false);
    buttons->addWidget(ui.filter);
    ui.subFolder = new QCheckBox(U("サブフォルダ"), ui.frameButtons);
    ui.subFolder->setObjectName(QStringLiteral("ChkSubFolder") + n);
    buttons->addWidget(ui.subFolder);
    buttons->addStretch(1);
    ui.quick = MakeButton(QStringLiteral("ComQuick") + n, U("クイックアクセス"), ui.frameButtons);
    ui.quick->setIcon(QIcon::fromTheme(QStringLiteral("bookmarks"), style()->standardIcon(QStyle::SP_DirLinkIcon)));
    ui.quick->setToolButtonStyle(Qt::ToolButtonIconOnly);
    buttons->addWidget(ui.quick);
    ui.viewButtons[0]->setChecked(true);
    ui.modeButtons[i == 0 ? 0 : 1]->setChecked(true);
    layout->addWidget(ui.frameButtons);

    auto* title = new TitleLabel(ui.frame);
    title->setObjectName(QStringLiteral("lblTitle") + n);
    title->setAutoFillBackground(true);
    title->setFrameShape(QFrame::StyledPanel);
    ui.title = title;
    layout->addWidget(title);

    ui.frameFolder = new QWidget(ui.frame);
    ui.frameFolder->setObjectName(QStringLiteral("FrameFolder") + n);
    auto* folder = new QVBoxLayout(ui.frameFolder);
    folder->setContentsMargins(0, 0, 0, 0);
    folder->setSpacing(2);
    ui.drives = new QComboBox(ui.frameFolder);
    ui.drives->setObjectName(QStringLiteral("DRV") + n);
    ui.drives->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui.drives->setMinimumContentsLength(8);
    folder->addWidget(ui.drives);
    ui.folders = new QFileSystemModel(this);
    ui.folders->setObjectName(QStringLiteral("FolderModel") + n);
    ui.folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    ui.folders->setReadOnly(true);
    ui.tree = new QTreeView(ui.frameFolder);
    ui.tree->setObjectName(QStringLiteral("FTV") + n);
    ui.tree->setModel(ui.folders);
    for (int c = 1; c < ui.folders->columnCount(); ++c)
        ui.tree->setColumnHidden(c, true);
    ui.tree->setHeaderHidden(true);
    ui.tree->setUniformRowHeights(true);
    ui.tree->setAnimated(false);
    ui.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    folder->addWidget(ui.tree, 1);
    layout->addWidget(ui.frameFolder, 1);

    ui.frameFile = new QWidget(ui.frame);
    ui.frameFile->setObjectName(QStringLiteral("FrameFile") + n);
    auto* file = new QVBoxLayout(ui.frameFile);
    file->setContentsMargins(0, 0, 0, 0);
    ui.model = new FileListModel(*panes_[static_cast<size_t>(i)], this);
    ui.list = new QTableView(ui.frameFile);
    ui.list->setObjectName(QStringLiteral("ListFile") + n);
    ui.list->setModel(ui.model);
    ui.list->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.list->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.list->setShowGrid(false);
    ui.list->setWordWrap(false);
    ui.list->setTextElideMode(Qt::ElideRight);
    ui.list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    ui.list->setContextMenuPolicy(Qt::NoContextMenu);
    ui.list->verticalHeader()->hide();
    ui.list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui.list->verticalHeader()->setDefaultSectionSize(ui.list->fontMetrics().height() + 6);
    ui.list->horizontalHeader()->setSectionsMovable(true);
    ui.list->horizontalHeader()->setHighlightSections(false);
    ui.list->horizontalHeader()->setStretchLastSection(true);
    ui.list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui.list->horizontalHeader()->setSectionsClickable(true);
    ui.list->setIconSize(QSize(16, 16));
    file->addWidget(ui.list);
    layout->addWidget(ui.frameFile, 1);
    ui.frameFile->hide();
    return ui.frame;
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
    player_ = new PlayerStrip(bench_.engine, frameLower_);
    lower->addWidget(player_, 2);
    return frameLower_;
}

void FormMain::ApplyToolTips()
{
    const bool on = mnOptionToolTip_->isChecked();
    for (QAction* a : std::as_const(toolbarActions_))
        a->setToolTip(on ? a->data().toString() : QString());
    for (int i = 0; i < 2; ++i) {
        const PaneUi& ui = paneUi_[static_cast<size_t>(i)];
        ui.filter->setToolTip(on ? U("フィルター設定 … ") : QString());
        ui.subFolder->setToolTip(on ? U("サブフォルダも読み込む") : QString());
        ui.quick->setToolTip(on ? U("クイックアクセス … ") : QString());
        ui.viewButtons[0]->setToolTip(on ? U("フォルダ一覧へ切り替え") : QString());
        ui.viewButtons[1]->setToolTip(on ? U("ファイル一覧へ切り替え") : QString());
        ui.modeButtons[0]->setToolTip(on ? U("歌詞モード") : QString());
        ui.modeButtons[1]->setToolTip(on ? U("曲モード") : QString());
    }
    sources_->showToolTips(on);
    player_->showToolTips(on);
    const std::pair<QWidget*, const char*> tips[] = {
        {chkTextEdit_, "編集開始・終了"}, {comTextSave_, "上書保存"},     {comTextAllCopy_, "全文コピー"},
        {comTimeTag_, "タイムタグ … "},   {comHosei_, "補正 … "},
    };
    for (const auto& [widget, tip] : tips)
        widget->setToolTip(on ? U(tip) : QString());
}

void FormMain::PrepareFileMenu()
{
    // Each entry asks the registry: its key must be registered and its rule allow it.
    for (QAction* a : mnFile_->findChildren<QAction*>())
        if (!a->data().toString().isEmpty())
            a->setEnabled(commands_.isEnabled(a->data().toString()));
}

void FormMain::PrepareEditMenu()
{
    for (QAction* a : mnEdit_->findChildren<QAction*>())
        if (!a->data().toString().isEmpty())
            a->setEnabled(commands_.isEnabled(a->data().toString()));
    const bool hasRows = activePaneHasRows();
    if (QMenu* check = mnEdit_->findChild<QMenu*>(QStringLiteral("mnEditCheck")))
        check->menuAction()->setEnabled(hasRows);
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

void FormMain::setDeleteImage(bool dustBox)
{
    dustBox_ = dustBox;
    QAction* del = toolbarActions_.value(QStringLiteral("Delete"));
    const QString image = dustBox ? QStringLiteral("Delete1") : QStringLiteral("Delete2");
    del->setProperty("image", image);
    del->setIcon(ButtonImage(image));
    for (QAction* a : mnDeleteDrop_->actions())
        a->setChecked((a->objectName() == QLatin1String("DustBox")) == dustBox);
}

bool FormMain::autoLoad() const
{
    return toolbarActions_.value(QStringLiteral("AutoLoad"))->isChecked();
}

bool FormMain::autoSelect() const
{
    return toolbarActions_.value(QStringLiteral("AutoSelect"))->isChecked();
}

void FormMain::setAutoLoad(bool on)
{
    toolbarActions_.value(QStringLiteral("AutoLoad"))->setChecked(on);
    mnOptionAutoLoad_->setChecked(on);
}

void FormMain::setAutoSelect(bool on)
{
    toolbarActions_.value(QStringLiteral("AutoSelect"))->setChecked(on);
    mnOptionAutoSelect_->setChecked(on);
}

void FormMain::setFolderTreesEnabled(bool enabled)
{
    for (const PaneUi& ui : paneUi_)
        ui.tree->setEnabled(enabled);
}

void FormMain::setMainMenusEnabled(bool enabled)
{
    for (QMenu* m : {mnFile_, mnEdit_, mnOption_, mnHelp_})
        m->menuAction()->setEnabled(enabled);
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
    PaneUi& ui = paneUi_[static_cast<size_t>(activePane_)];
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
            ui.quick->showMenu();
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
