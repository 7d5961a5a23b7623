// FormMain's side of the play-along adjustment: LockMainWindow, the drop entry
// "演奏合わせ" and the time-tag command "PlayAlong" on the lyrics pane.
#include "browser/gui/formmain.h"

#include "browser/core/prompter.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/lyrics/lyricspane.h"
#include "browser/gui/playalong/formplayadjust.h"
#include "browser/gui/player/playerstrip.h"
#include "common/textfile.h"
#include "common/utf8text.h"
#include "lyrics/timetag.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QMenu>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

namespace browser {
namespace {

using common::U;

} // namespace

void FormMain::LockMainWindow(bool lock)
{
    // The twelve items whose states are kept, in their order; "ヘルプ(&H)" is only
    // disabled and enabled again.
    auto* tb = findChild<QToolBar*>(QStringLiteral("TB"));
    const PaneWidgets& ui0 = paneView(0).widgets();
    const PaneWidgets& ui1 = paneView(1).widgets();
    const std::array<QObject*, 12> items{ui0.frameButtons,         ui1.frameButtons,         ui0.frameFolder,
                                          ui1.frameFolder,          ui0.frameFile,            ui1.frameFile,
                                          lyrics_->buttonsFrame(),  sources_,                 tb,
                                          mnFile_->menuAction(),   mnEdit_->menuAction(),   mnOption_->menuAction()};
    const auto enabledOf = [](QObject* o) {
        if (auto* a = qobject_cast<QAction*>(o))
            return a->isEnabled();
        auto* w = qobject_cast<QWidget*>(o);
        return w && !w->testAttribute(Qt::WA_ForceDisabled);
    };
    const auto setEnabledOf = [](QObject* o, bool on) {
        if (auto* a = qobject_cast<QAction*>(o))
            a->setEnabled(on);
        else if (auto* w = qobject_cast<QWidget*>(o))
            w->setEnabled(on);
    };
    for (size_t k = 0; k < items.size(); ++k) {
        if (lock) {
            lockedStates_[k] = enabledOf(items[k]);
            setEnabledOf(items[k], false);
        } else {
            setEnabledOf(items[k], lockedStates_[k]);
        }
    }
    mnHelp_->menuAction()->setEnabled(!lock);
}

void FormMain::AdjustDroppedSong(int i, int row, const QString& droppedSong)
{
    FilePane& p = pane(i);
    if (row < 0 || row >= p.rowCount())
        return;
    LockMainWindow(true);
    setBusy(true);
    const QString lyricsPath = p.row(row).fullPath();
    QString text;
    const bool read = QFileInfo(lyricsPath).isFile() && common::ReadTextFile(lyricsPath, text);
    setBusy(false);
    if (!read) {
        LockMainWindow(false);
        services_.prompter->message(U("歌詞ファイルを読み込めませんでした。"), MessageIcon::Warning);
        return;
    }
    // The dialog opens the song in the engine: the strip opens its own again on Play.
    player_->releaseEngine();
    PlayAlongContext context;
    context.engine = services_.engine;
    context.settings = services_.settings;
    context.prompter = services_.prompter;
    context.options = &options_;
    context.mainWindow = this;
    context.workFolder = playAlongWorkFolder;
    if (context.engine && RunPlayAlong(context, text, lyricsPath, droppedSong)) {
        if (!common::WriteTextFile(lyricsPath, text)) {
            services_.prompter->message(U("歌詞ファイルを書き込めませんでした。"), MessageIcon::Warning);
        } else {
            RefreshRow(i, row);
            if (currentKind() == 0 && currentFile() == lyricsPath && !inEditMode())
                ShowRow(i, row);
        }
    }
    LockMainWindow(false);
}

bool FormMain::playAlongOnPaneEnabled() const
{
    if (!lyrics_ || currentKind() != 0 || currentFile().isEmpty() || currentPane() < 0 || !lyrics_->canEdit())
        return false;
    const FilePane& other = *panes_[static_cast<size_t>(1 - currentPane())];
    if (other.isLyricsMode() || other.isEmpty() || other.selectedRow() < 0)
        return false;
    const lyrics::TagKind kind = lyrics::ClassifyTagKind(lyricsText());
    return kind == lyrics::TagKind::LineHead || kind == lyrics::TagKind::Karaoke;
}

void FormMain::PlayAlongOnPane()
{
    if (!playAlongOnPaneEnabled() || !services_.engine)
        return;
    const FilePane& other = pane(1 - currentPane());
    const QString song = other.row(other.selectedRow()).fullPath();
    const QString lyricsPath = currentFile();
    const bool wasEditing = inEditMode();
    const bool wasByCommand = lyrics_->editByCommand();
    lyrics_->setEditByCommand(true);
    if (!wasEditing)
        lyrics_->setEditMode(true);
    LockMainWindow(true);
    player_->releaseEngine();
    const QString before = lyricsText();
    QString text = before;
    PlayAlongContext context;
    context.engine = services_.engine;
    context.settings = services_.settings;
    context.prompter = services_.prompter;
    context.options = &options_;
    context.mainWindow = this;
    context.workFolder = playAlongWorkFolder;
    if (RunPlayAlong(context, text, lyricsPath, song) && text != before) {
        QString box = text;
        box.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        lyrics_->textBox()->setPlainText(box); // an edit: the save button comes on
        if (!wasEditing)
            SaveLyrics();
    }
    LockMainWindow(false);
    if (!wasEditing)
        lyrics_->setEditMode(false);
    lyrics_->setEditByCommand(wasByCommand);
}

void FormMain::registerPlayAlongCommands()
{
    commands_.add(QStringLiteral("PlayAlong"), [this] { PlayAlongOnPane(); }, [this] { return playAlongOnPaneEnabled(); });
}

} // namespace browser
