#pragma once
// The player strip (FramePlayer): play/pause and stop, the seek bar, the time label, the
// playing speed and the shown song's lyric lines with the karaoke highlight. The rules
// live in playback::PlayerStrip; this widget forwards its buttons, its seek bar, its two
// timers (TimerLyrics 50 ms, TimerPause 500 ms) and the engine's notifications there and
// paints what the model answers.

#include "browser/gui/workbench.h"
#include "playback/playerstrip.h"

#include <QFrame>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QScrollBar;
class QTimer;
class QToolButton;

namespace browser {

class CommandRegistry;
class LyricLinesView;

class PlayerStrip : public QFrame {
    Q_OBJECT
public:
    PlayerStrip(const Workbench& bench, QWidget* parent = nullptr);
    ~PlayerStrip() override;

    QToolButton* playPauseButton() const { return comPlayPause_; }
    QToolButton* stopButton() const { return comStop_; }

    // What the window hands in.
    /// The song of the shown row (asked when a song row becomes playable).
    std::function<QString()> currentSong;
    /// Enables or disables the rest of the window while playing (EnablePanes).
    std::function<void(bool enabled)> enablePanes;
    /// Gives the engine the chosen lyrics (ApplyLyricSource).
    std::function<void()> applyLyricSource;
    /// Sets the press-and-hold interval of the list rows (ms) before each start.
    std::function<void(int ms)> setPressInterval;

    /// A song row is shown: the transport can be used when the song is playable.
    void setPlayable(bool playable);
    /// No song is shown any more: the engine stops and closes it, the strip empties.
    void clearSong();
    /// Files are about to be moved, renamed or deleted: when the strip's song is one of
    /// them, the engine stops and closes it first.
    void releaseSongAmong(const QStringList& paths);
    /// Someone else has used the engine (the play-along dialog): the strip stops, and
    /// the next Play opens the song again.
    void releaseEngine();
    /// Asks the engine for its state and position, shows the position, returns the state.
    playback::TransportState poll();
    /// An engine notification; honoured only while `accepting`.
    void notify(playback::Notification notification, int value);
    void setAccepting(bool on) { accepting_ = on; }
    bool accepting() const { return accepting_; }
    void showToolTips(bool on);
    void resetPlayImage();

    // The handlers, public so that the window's commands and the tests can drive them.
    /// ComPlayPause_Click.
    void playPause();
    /// ComStop_Click.
    void stop();
    /// TimerLyrics_Timer.
    void lyricsTick();
    /// TimerPause_Timer.
    void pauseTick();
    bool playable() const;
    /// The speed choice: 100, 75 or 50 (%).
    void setSpeedPercent(int percent);

    const playback::StripView* view() const { return model_ ? &model_->View() : nullptr; }

private:
    void buildTransport();
    void paint();
    void seekBarMoved(int value);
    void applyOptions();

    Workbench bench_;
    std::unique_ptr<playback::PlayerStrip> model_;
    bool accepting_ = false;
    bool painting_ = false;
    QToolButton* comPlayPause_ = nullptr;
    QToolButton* comStop_ = nullptr;
    QScrollBar* scSeek_ = nullptr;
    QLabel* lblTime_ = nullptr;
    QComboBox* cboSpeed_ = nullptr;
    LyricLinesView* lines_ = nullptr;
    QTimer* timerLyrics_ = nullptr;
    QTimer* timerPause_ = nullptr;
};

/// Registers "PlayPause" and "Stop" (player/playercommands.cpp).
void RegisterPlayerCommands(CommandRegistry& commands, PlayerStrip& strip);

} // namespace browser
