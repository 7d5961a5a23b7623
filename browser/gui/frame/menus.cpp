// FormMain's frame: the menu bar, the toolbar and the pop-up menus. Every entry that runs
// a command carries its key; the command registry says whether it is enabled.
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"
#include "common/utf8text.h"

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
namespace {

using common::U;

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

} // namespace

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

    // Quick-access folders (their own area).
    quick_ = new QuickAccessMenu(*this);

    // Right click on a row.
    mnRightClick_ = new QMenu(this);
    mnRightClick_->setObjectName(QStringLiteral("mnRightClick"));
    const char* rightClick[] = {"この歌詞フォルダを PLP に設定", "-", "クリップボードのテキストをこの曲の歌詞にする",
                                "チェックファイルをプレイリストとして保存する", "-", "キャンセル"};
    for (int i = 0; i < 6; ++i) {
        // A separator has no caption: some styles draw a separator's text.
        const bool separator = QByteArray(rightClick[i]) == "-";
        QAction* a = makeAction(QStringLiteral("mnRightClickList%1").arg(i), separator ? QString() : U(rightClick[i]), mnRightClick_);
        a->setSeparator(separator);
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
    addCommand(mnFile_, QStringLiteral("mnFileLrcExport"), "LRC形式で保存…", QStringLiteral("LrcExport"));
    mnFile_->addSeparator();
    QAction* exit = makeAction(QStringLiteral("mnFileExit"), U("終了(&X)"), mnFile_);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    mnFile_->addAction(exit);
    connect(mnFile_, &QMenu::aboutToShow, this, &FormMain::PrepareFileMenu);
    buildEditMenu();
    buildOptionAndHelpMenus();
}

QAction* FormMain::addCommand(QMenu* menu, const QString& name, const char* caption, const QString& key)
{
    QAction* a = makeAction(name, U(caption), menu);
    a->setEnabled(commands_.contains(key));
    a->setData(key);
    connect(a, &QAction::triggered, this, [this, key] { RunCommand(key); });
    menu->addAction(a);
    return a;
}

void FormMain::buildEditMenu()
{
    QMenuBar* bar = menuBar();

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
}

void FormMain::buildOptionAndHelpMenus()
{
    QMenuBar* bar = menuBar();

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

void FormMain::ApplyToolTips()
{
    const bool on = mnOptionToolTip_->isChecked();
    for (QAction* a : std::as_const(toolbarActions_))
        a->setToolTip(on ? a->data().toString() : QString());
    for (FilePaneView* view : views_)
        view->showToolTips(on);
    sources_->showToolTips(on);
    player_->showToolTips(on);
    lyrics_->showToolTips(on);
}

void FormMain::PrepareFileMenu()
{
    // Each entry asks the registry (its key registered, its rule allowing it); the list
    // entries need rows in the active list, the left/right renames in both lists too,
    // and a list loaded from a data file is not read again.
    const bool rows = activePaneHasRows();
    const bool bothRows = rows && views_[static_cast<size_t>(1 - activePane_)]->hasRows();
    const bool fromDataFile = pane(activePane_).fromDataFile;
    const auto windowAllows = [&](const QString& key) {
        if (key == QLatin1String("RenameRtoL") || key == QLatin1String("RenameLtoR"))
            return bothRows;
        if (key == QLatin1String("ReSearch"))
            return rows && !fromDataFile;
        for (const char* listKey : {"Save", "Copy", "Move", "Delete", "RenameManual"})
            if (key == QLatin1String(listKey))
                return rows;
        return true;
    };
    for (QAction* a : mnFile_->findChildren<QAction*>()) {
        const QString key = a->data().toString();
        if (!key.isEmpty())
            a->setEnabled(commands_.isEnabled(key) && windowAllows(key));
    }
    if (QMenu* rename = mnFile_->findChild<QMenu*>(QStringLiteral("mnFileRename")))
        rename->menuAction()->setEnabled(rows);
}

void FormMain::PrepareEditMenu()
{
    // With rows in the active list: the check marks and the extraction; "補正変換" and
    // "歌詞ファイル編集" for a lyrics list, "曲ファイル編集" for a song list.
    const bool rows = activePaneHasRows();
    const bool lyricsList = rows && pane(activePane_).isLyricsMode();
    const bool songList = rows && !pane(activePane_).isLyricsMode();
    const auto windowAllows = [&](const QString& key) {
        if (key == QLatin1String("Hosei") || key == QLatin1String("EditLyrics"))
            return lyricsList;
        if (key == QLatin1String("EditSong"))
            return songList;
        return true;
    };
    for (QAction* a : mnEdit_->findChildren<QAction*>()) {
        const QString key = a->data().toString();
        if (!key.isEmpty())
            a->setEnabled(commands_.isEnabled(key) && windowAllows(key));
    }
    if (QMenu* check = mnEdit_->findChild<QMenu*>(QStringLiteral("mnEditCheck")))
        check->menuAction()->setEnabled(rows);
    mnSelectSearch_->menuAction()->setEnabled(rows);
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
    for (FilePaneView* view : views_)
        view->setTreeEnabled(enabled);
}

void FormMain::setMainMenusEnabled(bool enabled)
{
    for (QMenu* m : {mnFile_, mnEdit_, mnOption_, mnHelp_})
        m->menuAction()->setEnabled(enabled);
}

} // namespace browser
