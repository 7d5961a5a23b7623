#pragma once
// The song information editor in the window: the command "EditSong" (曲ファイル編集(&S),
// a double-click or Enter on a song row) opens FormSongInfo on the active pane's selected
// song and refreshes its row afterwards; and the about box.

#include "browser/gui/songinfo/formsonginfo.h"
#include "browser/gui/workbench.h"

#include <QObject>
#include <QString>

namespace browser {

class FormMain;

class SongInfoArea : public QObject {
    Q_OBJECT
public:
    /// The command key of "曲ファイル編集(&S)" (menu entry mnEditSong).
    static const QString kEditSong;

    SongInfoArea(FormMain& window, const Workbench& bench, QObject* parent = nullptr);

    void registerCommands(CommandRegistry& commands);

    /// The active pane lists songs (file view) and has a selected row.
    bool canEditSong() const;
    /// Opens the editor on the active pane's selected song.
    void EditSong();
    /// Opens the editor on a song row; the row is read again when the song changed (and
    /// renamed when the conversion gave it the ".mp3" name), and shown again when it is
    /// the shown song.
    SongInfoOutcome EditRow(int pane, int row);

    /// The about box over the window.
    void ShowAbout();

private:
    FormMain& window_;
    Workbench bench_;
};

} // namespace browser
