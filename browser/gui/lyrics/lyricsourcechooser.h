#pragma once
// The shown song's frame (FrameMpegInfo): the "歌詞選択" button with its menu of lyric
// sources and time bases, the "埋め込み" button with the embedded-lyrics menu, and the
// song's stream facts. The choice itself is the LyricSourceChoice model; the menu shows
// it and passes the user's picks to it.

#include "browser/core/lyricsources.h"
#include "browser/gui/workbench.h"

#include <QWidget>
#include <array>

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace browser {

struct FileRow;

class LyricSourceChooser : public QWidget {
    Q_OBJECT
public:
    LyricSourceChooser(const Workbench& bench, QWidget* parent = nullptr);

    /// Asks the player strip for the play state (polling shows its position).
    std::function<playback::TransportState()> pollPlayer;

    /// The row shown in `pane` (any kind); empty when none is.
    void setShownFile(int pane, const QString& file);
    /// A song row is shown: its stream facts and its buttons.
    void showSong(const FileRow& row);
    /// A lyrics row is shown instead: no song's sources.
    void forgetSources();
    /// No song is shown any more.
    void clearSong();
    /// Re-reads the available sources and fills in the choice (the "歌詞選択" menu).
    void rebuild();
    /// Gives the engine the chosen lyrics and their time base.
    void applyToEngine();

    const LyricSourceChoice& choice() const { return choice_; }
    void setDroppedLyrics(const QString& path) { choice_.setPath(LyricSource::Dropped, path); }
    /// Checks `source` alone (the drop entry "演奏" checks the dropped file).
    void chooseSource(LyricSource source)
    {
        choice_.choose(source);
        showChoice();
    }
    void showToolTips(bool on);

Q_SIGNALS:
    /// The status bar text for the chosen lyrics.
    void statusText(const QString& text);
    /// The embedded-lyrics menu's "オプション" entry: the options dialog on a tab.
    void optionsRequested(int tab);
    /// The menu has closed; the player strip takes the focus.
    void menuClosed(playback::TransportState state);

private:
    void buildMenus();
    void choose(int entry);
    void chooseTimeBase(int entry);
    void showChoice();

    Workbench bench_;
    LyricSourceChoice choice_;
    QString song_;
    int songPane_ = -1;
    QToolButton* comSelectLyrics_ = nullptr;
    QToolButton* comImplant_ = nullptr;
    QLabel* lblMpegInfo_ = nullptr;
    QLabel* lblLyricsSource_ = nullptr; // the chosen lyrics' name
    QMenu* mnSelectLyrics_ = nullptr;
    std::array<QAction*, LyricSourceChoice::kCount> mnSelectLyricsList_{};
    std::array<QAction*, 2> mnSelectLyricsTimeType_{};
    QMenu* mnImplant_ = nullptr;
};

} // namespace browser
