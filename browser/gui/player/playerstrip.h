#pragma once
// The player strip (FramePlayer): play/pause and stop, the seek bar, the time label and
// the shown song's lyric lines with the karaoke highlight. The transport buttons are
// enabled for a playable song; playing itself is not wired up yet.

#include "browser/gui/player/enginelink.h"

#include <QFrame>
#include <array>

class QLabel;
class QScrollBar;
class QTimer;
class QToolButton;

namespace browser {

class PlayerStrip : public QFrame {
    Q_OBJECT
public:
    PlayerStrip(EngineLink engine, QWidget* parent = nullptr);

    QToolButton* playPauseButton() const { return comPlayPause_; }
    QToolButton* stopButton() const { return comStop_; }

    /// A song row is shown: the transport can be used when the song is playable.
    void setPlayable(bool playable);
    /// No song is shown any more: the engine stops and closes it, the strip empties.
    void clearSong();
    /// Asks the engine for its state and position, shows the position, returns the state.
    playback::TransportState poll();
    /// An engine notification; honoured only while `accepting`.
    void notify(playback::Notification notification, int value);
    void setAccepting(bool on) { accepting_ = on; }
    bool accepting() const { return accepting_; }
    void showToolTips(bool on);
    void resetPlayImage();

private:
    void buildTransport();
    void buildLyricLines();

    EngineLink engine_;
    bool accepting_ = false;
    QToolButton* comPlayPause_ = nullptr;
    QToolButton* comStop_ = nullptr;
    QScrollBar* scSeek_ = nullptr;
    QLabel* lblTime_ = nullptr;
    std::array<QLabel*, 7> lblLyrics_{};
    QTimer* timerLyrics_ = nullptr;
    QTimer* timerPause_ = nullptr;
};

} // namespace browser
