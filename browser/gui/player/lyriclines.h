#pragma once
// The lyric lines of a playing song (the player strip's and the play-along preview's):
// lblLyrics0-4 show the lines around the current one, lblLyrics5 is the sung part of
// the current line drawn over lblLyrics2, lblLyrics6 is never shown. The hidden labels
// lbWork1 and lbWork2 measure the karaoke highlight.

#include "playback/playerstrip.h"

#include <QFrame>
#include <array>

class QLabel;

namespace browser {

class LyricLinesView : public QFrame {
    Q_OBJECT
public:
    explicit LyricLinesView(QWidget* parent = nullptr);

    /// Width of `text` as the highlight draws it; the first call of a tick measures in
    /// lbWork1 (up to the end of the sung piece), the second in lbWork2 (up to its start).
    int measure(const QString& text);
    /// A new tick begins: the next measure() uses lbWork1 again.
    void startTick() { nextWork_ = 0; }
    /// Shows the lines and the highlight of `view`.
    void show(const playback::StripView& view);
    void clear();
    QLabel* line(int k) const { return lines_[static_cast<size_t>(k)]; }

private:
    std::array<QLabel*, 7> lines_{};
    std::array<QLabel*, 2> work_{};
    int nextWork_ = 0;
};

} // namespace browser
