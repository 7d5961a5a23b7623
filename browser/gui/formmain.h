#pragma once
// FormMain: the workbench's main window, the composition root of its areas.
//
// Two file panes side by side (left = pane 0, right = pane 1), each with a button frame,
// a title and either its folder frame (drive list and folder tree) or its file frame
// (the list); below them the lower area with the lyrics pane and the player strip;
// toolbar `TB` on top and status bar `SB` at the bottom. The window reads its settings
// once at start (StartMainWindow) and writes them once when it closes.
//
// FormMain creates the areas (panes/FilePaneView ×2, lyrics/LyricsPane,
// lyrics/LyricSourceChooser, player/PlayerStrip, layout/WindowLayout), fills in the
// Workbench they share and connects their signals; it owns the frame (menus, toolbar,
// keys: frame/). Its public methods are kept for the areas' commands and the tests;
// most forward to the area that does the work.
//
// Every control carries its own objectName. Controls that exist once per pane, and the
// entries of menu arrays, are control arrays named by controlarray.h ("ListFile0",
// "lblTitle1", "mnFileFileList2"). Toolbar buttons are actions named by their key
// ("ReSearch"); their buttons are named "TB_" + key.

#include "browser/core/columns.h"
#include "browser/core/commandregistry.h"
#include "browser/core/drives.h"
#include "browser/core/filepane.h"
#include "browser/core/lyricsources.h"
#include "browser/core/options.h"
#include "browser/core/startfolder.h"
#include "browser/gui/busy.h"
#include "browser/gui/panes/filepaneview.h"
#include "browser/gui/panes/rowpress.h"
#include "browser/gui/workbench.h"
#include "playback/transport.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QMenu;
class QScrollBar;
class QSplitter;
class QTableView;
class QTextEdit;
class QTimer;
class QToolButton;
class QTreeView;
class QUrl;

namespace playback {
class Engine;
}

namespace browser {

class DetailsProvider;
class FileListModel;
class PaneScan;
class Prompter;
class SettingsStore;

class EmbedMenu;
class FileOperations;
class FormMain;
class ListsArea;
class LrcArea;
class LyricSourceChooser;
class LyricsPane;
class QuickAccessMenu;
class PlayerStrip;
class SongInfoArea;
class TagCommands;
class WindowLayout;

/// What the window needs from outside: the settings store, the prompter for every
/// message and dialog, the reader of row details, and a few program-level hooks.
struct FormMainServices {
    SettingsStore* settings = nullptr;
    Prompter* prompter = nullptr;
    const DetailsProvider* details = nullptr;
    /// The MP3 engine: initialised at start-up, freed at exit; none in some tests.
    playback::Engine* engine = nullptr;
    /// True when another instance of the program runs (start-up step 1).
    std::function<bool()> otherInstanceRunning;
    /// Replaces the options dialog (tests): called with the tab (1 "補正" … 4 "その他") and
    /// whether the first-run step opened it; returns whether the options were stored.
    /// Unset, the window shows FormOption.
    std::function<bool(FormMain& window, int tab, bool firstRun)> openOptions;
    /// Folder the panes show when no folder was stored (the program's argument).
    QString startFolder;
    /// Folder of the program (a help file "mwex.chm" may lie beside it).
    QString programFolder;
    /// Opens a page or file with the desktop's viewer; unset: QDesktopServices.
    std::function<bool(const QUrl& url)> openUrl;
    /// Where the bundled help pages are written; empty: the user's cache folder.
    QString helpFolder;
    /// The start folder was given on the command line: both panes open on it in file
    /// view (lyrics left, songs right).
    bool openStartFolder = false;
};

class FormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FormMain(FormMainServices services, QWidget* parent = nullptr);
    ~FormMain() override;

    /// The window's load event: runs every start-up step. Returns false when the window
    /// has closed itself (another instance runs, or a step failed).
    bool StartMainWindow();
    bool isLoading() const { return loading_; }
    /// Engine notifications are honoured only between start-up and the first step of exit.
    bool acceptsEngineNotifications() const;
    /// The engine's notifications, shown by the player strip.
    void OnEngineNotify(playback::Notification notification, int value);
    bool hasStarted() const { return started_; }

    // Settings held by the window.
    Options& options() { return options_; }
    const ColumnLayout& columnLayout() const { return colLayout_; }
    /// The context the areas share.
    Workbench& workbench() { return bench_; }

    // Panes (the part of the window every command works on).
    FilePane& pane(int i) { return *panes_[static_cast<size_t>(i)]; }
    FilePaneView& paneView(int i) { return *views_[static_cast<size_t>(i)]; }
    FileListModel& listModel(int i) { return paneView(i).model(); }
    QTableView* listView(int i) const { return views_[static_cast<size_t>(i)]->list(); }
    int activePane() const { return activePane_; }
    void SetActivePane(int pane);
    void FocusPane();
    bool IsLyricsMode(int pane) const;
    void SwitchView(PaneView view);
    /// Rebuilds a pane's columns and rows from its folder. False when stopped by the user.
    bool ScanPane(int pane);
    void ShowFolder(int pane, const QString& path);
    void DriveChanged(int pane);
    void BuildColumns(int pane);
    void CaptureColumns(int pane);
    void ResetColumns();
    void UpdatePaneTitle(int pane);
    /// Shows a pane's list in `mode` without scanning (a list loaded from a data file):
    /// the mode buttons locked, the file frame shown, the view recorded.
    void ShowListWithoutScan(int pane, PaneMode mode);
    /// The pane's "フィルター" check box.
    QCheckBox* filterBox(int pane) const;
    /// A click on a column header of a pane's list (logical column index).
    void SortByColumn(int pane, int column);
    void AutoSelectPartner(int pane, int row);
    /// Re-reads one row (after it was saved or changed on disk).
    bool RefreshRow(int pane, int row);
    /// Selects a row of a pane's list and scrolls it into view.
    void SelectRow(int pane, int row);
    QString paneFolder(int pane) const;

    /// Opens the options dialog modally on a tab; after it stored, the load settings
    /// (press interval, engine input pause) take effect at once.
    void OpenOptions(int tab, bool firstRun = false);
    /// The interval of the press-and-hold timer on list rows (ms).
    int pressInterval() const;

    /// The toolbar's click handler; menu entries and keys call it with their key.
    void RunCommand(const QString& key);
    /// The commands of every area, by key; menus and the toolbar ask it.
    const CommandRegistry& commands() const { return commands_; }
    bool autoLoad() const;
    bool autoSelect() const;
    /// The delete mode of the toolbar's "Delete": true for the trash ("Delete1").
    bool deleteToTrash() const { return dustBox_; }
    /// The file operations and the quick-access folders (areas of their own).
    FileOperations& fileOperations() { return *fileOps_; }
    QuickAccessMenu& quickAccess() { return *quick_; }

    // The lyrics pane.
    LyricsPane& lyricsPane() { return *lyrics_; }
    void ShowRow(int pane, int row);
    void ClearShown(int kind);
    bool AskSaveLyrics();
    /// The shown lyrics have edits that are not saved.
    bool lyricsModified() const;
    void SaveLyrics();
    void CopyAllLyrics();
    void RebuildLyricSources();
    void ApplyLyricSource();
    /// The lyric-source choice of the shown song.
    const LyricSourceChoice& lyricSources() const;
    /// The shown text with CR LF line breaks, every other character exactly as shown.
    QString lyricsText() const;
    /// Replaces the shown text (CR LF line breaks) as one edit that Ctrl+Z takes back.
    void setLyricsText(const QString& crlf);
    /// Checks or unchecks `ChkTextEdit` (when it is enabled), as a click would.
    void setEditMode(bool on);
    QString currentFile() const;
    int currentPane() const;
    int currentKind() const;
    bool inEditMode() const;
    /// The shown text has edits that are not saved (`ComTextSave` is enabled).
    bool hasUnsavedLyrics() const;
    int chosenSource() const { return lyricSources().chosenIndex(); }
    QString lyricSource(int entry) const { return lyricSources().path(static_cast<LyricSource>(entry)); }
    /// A bulk time-tag command holds edit mode: entering and leaving it then keep the
    /// splitter where it is.
    void setEditByCommand(bool on);
    bool editByCommand() const;
    /// Busy pointer on, and the window takes no input (calls nest).
    void setBusy(bool busy);
    /// The program recolours the text itself: its changes are not edits.
    void setRecolouring(bool on);
    /// "Okuri"/"MaxmSec": read at start, written at exit.
    int okuriMaxmSec() const { return okuriMaxmSec_; }
    void setOkuriMaxmSec(int ms) { okuriMaxmSec_ = ms; }
    /// Puts a text (CR LF breaks) into the lyrics pane in edit mode, as an unsaved edit.
    void EditLyricsText(const QString& text);
    /// Entry 0 of the lyric sources: the lyrics file last dropped onto the shown song.
    void setDroppedLyrics(const QString& path);
    /// Runs an entry of the row right-click menu on the active pane's selected row.
    void RunRightClickEntry(int entry);
    /// Pops up the row right-click menu for a row (shows the row first).
    void PopupRightClickMenu(int pane, int row, const QPoint& globalPos);
    /// Updates the enabled state of the right-click menu's entries.
    void PrepareRightClickMenu();

    // Player strip and play-along (player/formmain_player.cpp, playalong/formmain_playalong.cpp).
    PlayerStrip* player() const { return player_; }
    /// Enables or disables the rest of the window while a song plays; unless
    /// `keepSources`, the lyric sources are rebuilt.
    void EnablePanes(bool enabled, bool keepSources);
    /// Locks the window's frames, toolbar and menus while a modal tool window works on
    /// it, recording their enabled states; unlocking restores them. The window itself
    /// stays enabled, so dialogs and message boxes parented to it stay usable.
    void LockMainWindow(bool lock);
    /// Drop entry "演奏": plays the song of `row` with the dropped lyrics file.
    void PlayDroppedLyrics(int pane, int row, const QString& droppedLyrics);
    /// Drop entry "演奏合わせ": the play-along adjustment of the lyrics file of `row`
    /// against the dropped song; the file is rewritten when the dialog is accepted.
    void AdjustDroppedSong(int pane, int row, const QString& droppedSong);
    /// Entry 12 of the time-tag menu (command "PlayAlong"): the play-along adjustment of
    /// the lyrics pane's text against the song selected in the opposite list.
    void PlayAlongOnPane();
    /// Where the play-along work file goes (empty: the system's temporary folder).
    QString playAlongWorkFolder;

    // Layout, in twips.
    WindowLayout& windowLayout() { return *layout_; }
    void ApplyLayout(int x, int y);
    int splitX() const;
    int splitY() const;
    int splitXMax() const;
    int splitYMax() const;
    int minTopHeight() const;
    int minLeftWidth() const;
    int lowerMin() const { return kLowerMin; }
    int clientWidthTwips() const;
    int clientHeightTwips() const;
    /// Design size of the window, in pixels.
    static QSize DesignSize();

    static constexpr int kLowerMin = 1874;

Q_SIGNALS:
    /// The shown lyrics text was loaded, reloaded or emptied, or edit mode was left.
    void shownLyricsChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Composition (formmain.cpp).
    void fillWorkbench();
    void createAreas();
    void buildStatusBar();
    void connectPaneViews();
    void connectDrops(EmbedMenu& embed);
    void connectLowerAreas();
    void connectPlayer();
    void registerPlayAlongCommands();
    bool playAlongOnPaneEnabled() const;
    void registerWindowCommands();
    void registerPaneCommands();
    bool activePaneHasRows() const;
    void onEditModeChanged(bool editing, bool keepLayout);
    bool filterWhileBusy(QWidget* widget, QEvent* event);
    bool handledByArea(const QObject* watched) const;

    // Frame: menus and toolbar (frame/menus.cpp), keys (frame/keys.cpp), the row menu
    // (frame/rowmenu.cpp).
    void buildActions();
    void buildMenus();
    void buildEditMenu();
    void buildOptionAndHelpMenus();
    QAction* addCommand(QMenu* menu, const QString& name, const char* caption, const QString& key);
    void buildToolBar();
    void buildPopupMenus();
    QAction* makeAction(const QString& name, const QString& text, QObject* owner = nullptr);
    void ApplyToolTips();
    void PrepareFileMenu();
    void PrepareEditMenu();
    void setDeleteImage(bool dustBox);
    void setAutoLoad(bool on);
    void setAutoSelect(bool on);
    void setFolderTreesEnabled(bool enabled);
    void setMainMenusEnabled(bool enabled);
    bool FormKeyDown(QKeyEvent* event);
    void folderViewKey(int key);
    void ShowHelp();
    void ShowAbout();
    void SetPluginFolder();
    void SaveClipboardAsLyrics();

    // Start-up and exit (formmain_startup.cpp).
    void LoadAllSettings();
    void FirstRun();
    void RestoreFolders();
    void OpenStartFolderInBothPanes();
    void CloseMainWindow();
    void SaveWindowSettings();

    FormMainServices services_;
    Options options_;
    ColumnLayout colLayout_;
    std::array<std::unique_ptr<FilePane>, 2> panes_;
    int activePane_ = 0;
    BusyState busy_;
    RowPress press_;

    // Window state.
    bool loading_ = false;
    bool started_ = false;
    bool closing_ = false;
    int okuriMaxmSec_ = 500;
    std::array<StartFolder, 2> startFolders_;

    // Areas.
    Workbench bench_;
    std::array<FilePaneView*, 2> views_{};
    LyricsPane* lyrics_ = nullptr;
    PlayerStrip* player_ = nullptr;
    LyricSourceChooser* sources_ = nullptr;
    WindowLayout* layout_ = nullptr;
    ListsArea* lists_ = nullptr;
    std::array<bool, 12> lockedStates_{};
    TagCommands* tagCommands_ = nullptr;
    LrcArea* lrc_ = nullptr;

    QLabel* sbText_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timerDrop_ = nullptr;

    // Menus and actions.
    CommandRegistry commands_;
    QHash<QString, QAction*> toolbarActions_; // toolbar actions by key
    QMenu* mnFile_ = nullptr;
    QMenu* mnEdit_ = nullptr;
    QMenu* mnOption_ = nullptr;
    QMenu* mnHelp_ = nullptr;
    QAction* mnOptionAutoLoad_ = nullptr;
    QAction* mnOptionAutoSelect_ = nullptr;
    QAction* mnOptionToolTip_ = nullptr;
    QMenu* mnDeleteDrop_ = nullptr;
    QMenu* mnSelectSearch_ = nullptr;
    QuickAccessMenu* quick_ = nullptr;
    FileOperations* fileOps_ = nullptr;
    SongInfoArea* songInfo_ = nullptr;
    QMenu* mnRightClick_ = nullptr;
    std::array<QAction*, 6> mnRightClickList_{};
    QMenu* mnDropFile_ = nullptr;
    QMenu* mnHosei_ = nullptr;
    QMenu* mnTimeTag_ = nullptr;
    QToolButton* deleteButton_ = nullptr;
    bool dustBox_ = true;
};

} // namespace browser
