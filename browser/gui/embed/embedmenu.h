#pragma once
// The 埋め込み menu (mnImplant) of the shown song: embed the lyrics file selected in the
// other pane, copy the embedded lyrics to the clipboard, save them as a text file, delete
// them; and the embed of a lyrics file dropped onto a song row. The checks, the rewrite
// and the messages are songfiles/embed.h; this area asks the questions, shows the
// messages, moves an embedded lyrics file to the trash and keeps the rows up to date.

#include "browser/gui/workbench.h"

#include <QObject>
#include <QString>
#include <memory>

class QMenu;

namespace fileops {
class Trash;
}

namespace browser {

class FormMain;

class EmbedMenu : public QObject {
    Q_OBJECT
public:
    // The command keys of the four entries (mnImplantMenu0 … 3).
    static const QString kEmbed;
    static const QString kCopy;
    static const QString kSave;
    static const QString kDelete;

    EmbedMenu(FormMain& window, const Workbench& bench, QObject* parent = nullptr);
    ~EmbedMenu() override;

    void registerCommands(CommandRegistry& commands);
    /// Gives the entries of `menu` (mnImplantMenu0 … 3) their commands and prepares their
    /// enabling whenever the menu opens.
    void attachMenu(QMenu* menu);
    /// The trash that DeleteAfterImplant uses (not owned); by default the user's own.
    void setTrash(fileops::Trash* trash);

    /// Whether the entries may run now: the embed, and copy/save/delete.
    bool canEmbed() const;
    bool canUseEmbedded() const;

    void Embed();
    void CopyLyrics();
    void SaveLyrics();
    void DeleteLyrics();
    /// The lyrics file `dropped` was dropped onto row `row` of `pane` (a song row).
    void DropEmbed(int pane, int row, const QString& dropped);

private:
    struct Song {
        int pane = -1;
        int row = -1;
        QString path;
    };
    /// The shown song and its row; pane −1 when no song is shown.
    Song shownSong() const;
    int songKind(const QString& path) const;
    /// The embed proper, from the menu (`dropped` empty) or a drop.
    void embedInto(const Song& song, const QString& lyrics, const QString& dropped);
    /// Removes the trashed lyrics file's row from the lyrics pane.
    void removeLyricsRow(int pane, const QString& dropped);
    void showSongAgain(const Song& song);
    fileops::Trash* trash();

    FormMain& window_;
    Workbench bench_;
    fileops::Trash* trash_ = nullptr;
    std::unique_ptr<fileops::Trash> ownTrash_;
};

} // namespace browser
