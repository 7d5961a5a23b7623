// FormMain: the start-up steps, the settings read at start and written at exit, and exit.
#include "browser/gui/formmain.h"
#include "browser/gui/quickaccess/quickaccessmenu.h"
#include "browser/gui/layout/windowlayout.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/player/playerstrip.h"

#include "browser/core/prompter.h"
#include "browser/core/scan.h"
#include "browser/core/settingsstore.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "playback/engine.h"
#include "songfiles/pathprobe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
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
        player_->poll();
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
    layout_->placeWindow(*services_.settings);
    player_->resetPlayImage();
    locate = 9;
    show();
    locate = 10;
    RestoreFolders();
    if (services_.openStartFolder)
        OpenStartFolderInBothPanes();
    locate = 11;
    UpdatePaneTitle(0);
    UpdatePaneTitle(1);
    locate = 12;
    paneView(0).focus();
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
        paneView(i).widgets().modeButtons[static_cast<size_t>(mode)]->setChecked(true);
    }
    quick_->load(store);

    mnOptionToolTip_->setChecked(LoadSetting(store, kInit, QStringLiteral("OpToolTip"), true));
    ApplyToolTips();

    colLayout_ = LoadColumnLayout(store, views_[0]->fittedColumnDefaults());

    for (int i = 0; i < 2; ++i) {
        const bool sub = LoadSetting(store, kInit, QStringLiteral("SubFolder%1").arg(i), 0) == 1;
        paneView(i).widgets().subFolder->setChecked(sub);
        pane(i).subFolders = sub;
    }

    for (auto it = toolbarActions_.cbegin(); it != toolbarActions_.cend(); ++it)
        if (it.key() != QLatin1String("Delete"))
            it.value()->setIcon(ButtonImage(it.key()));

    setAutoSelect(LoadSetting(store, kInit, QStringLiteral("AutoSelect"), 0) == 1);
    setAutoLoad(LoadSetting(store, kInit, QStringLiteral("OpLoad"), 1) == 1);
    setDeleteImage(LoadSetting(store, kInit, QStringLiteral("DustBox"), true));
    okuriMaxmSec_ = LoadSetting(store, QStringLiteral("Okuri"), QStringLiteral("MaxmSec"), 500);
    lyrics_->setFixedFont(options_.lyricsFixedFont);
}

void FormMain::FirstRun()
{
    options_.winAmpTime = true;
    options_.taggingBy.clear();
    services_.prompter->message(QString::fromUtf8("まず初期設定をしてください。"), MessageIcon::Information, MessageButtons::Ok,
                                QString::fromUtf8("Melwick Ex へようこそ"));
    OpenOptions(1, true);
}

void FormMain::RestoreFolders()
{
    const SettingsStore& store = *services_.settings;
    for (int i = 0; i < 2; ++i) {
        QString folder = LoadSetting(store, kInit, QStringLiteral("LastFolder%1").arg(i), QString());
        if (folder.isEmpty())
            folder = services_.startFolder;
        // A stored folder that is gone opens its nearest existing parent (or HOME).
        startFolders_[static_cast<size_t>(i)] = ChooseStartFolder(folder, QDir::homePath());
        ShowFolder(i, startFolders_[static_cast<size_t>(i)].shown);
    }
    layout_->restoreMaximized(store);
}

void FormMain::OpenStartFolderInBothPanes()
{
    const QString folder = services_.startFolder;
    if (!songfiles::FolderAccessible(folder))
        return;
    for (int i = 0; i < 2; ++i) {
        ShowFolder(i, folder);
        if (QDir::cleanPath(paneFolder(i)) != QDir::cleanPath(folder))
            continue;
        startFolders_[static_cast<size_t>(i)] = {};
        // Lyrics on the left, songs on the right.
        paneView(i).widgets().modeButtons[static_cast<size_t>(i)]->setChecked(true);
        pane(i).mode = i == 0 ? PaneMode::Lyrics : PaneMode::Song;
        SetActivePane(i);
        SwitchView(PaneView::File);
    }
    SetActivePane(0);
}

void FormMain::closeEvent(QCloseEvent* event)
{
    if (loading_ || closing_) {
        event->accept();
        return;
    }
    if (busy_.scan()) {
        // Closing stops a running scan; the window stays until the user closes it again.
        busy_.stopScan();
        event->ignore();
        return;
    }
    if (!lyrics_->settleUnsavedEdits()) {
        event->ignore(); // キャンセル: the window stays open with the edits
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
    lyrics_->offerSave();
    SaveWindowSettings();
    closing_ = true;
}

void FormMain::SaveWindowSettings()
{
    SettingsStore& store = *services_.settings;
    StoreSetting(store, kInit, QStringLiteral("version"), QStringLiteral("1.14"));
    StoreSetting(store, kInit, QStringLiteral("Mode0"), pane(0).isLyricsMode() ? 0 : 1);
    StoreSetting(store, kInit, QStringLiteral("Mode1"), pane(1).isLyricsMode() ? 0 : 1);
    layout_->store(store);

    quick_->store(store);

    StoreSetting(store, kInit, QStringLiteral("OpLoad"), autoLoad() ? 1 : 0);
    StoreSetting(store, kInit, QStringLiteral("OpToolTip"), mnOptionToolTip_->isChecked());

    for (FilePaneView* view : views_)
        if (view->showsFiles())
            view->captureColumnLayout();
    StoreColumnLayout(store, colLayout_);

    for (int i = 0; i < 2; ++i) {
        // A folder the pane fell back to at start is not written over the stored one.
        StoreSetting(store, kInit, QStringLiteral("LastFolder%1").arg(i), startFolders_[static_cast<size_t>(i)].toStore(paneFolder(i)));
        StoreSetting(store, kInit, QStringLiteral("SubFolder%1").arg(i), paneView(i).widgets().subFolder->isChecked() ? 1 : 0);
    }
    StoreSetting(store, kInit, QStringLiteral("AutoSelect"), autoSelect() ? 1 : 0);
    StoreSetting(store, kInit, QStringLiteral("DustBox"), dustBox_);
    StoreSetting(store, QStringLiteral("Okuri"), QStringLiteral("MaxmSec"), okuriMaxmSec_);
    store.sync();
}

} // namespace browser
