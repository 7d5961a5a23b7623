#pragma once
// The waveform strip of the play-along dialog: the song's amplitude envelope, the
// playhead, and markers at the old and new times of the two reference tags. A click
// asks to seek there. Times are song times in ms.

#include "playback/envelope.h"

#include <QWidget>
#include <array>

namespace browser {

class WaveformView : public QWidget {
    Q_OBJECT
public:
    explicit WaveformView(QWidget* parent = nullptr);

    void setEnvelope(const playback::Envelope& envelope);
    /// Shown while the envelope is being computed (0…100), -1 when done, or a failure text.
    void setProgress(int percent);
    void setFailure(const QString& text);
    /// The song's length in ms (the strip's width spans it even before the envelope).
    void setLength(qint64 ms);
    void setPlayhead(qint64 ms);
    /// Markers: 0 old first, 1 old last, 2 new first, 3 new last; -1 hides one.
    void setMarker(int index, qint64 ms);
    qint64 marker(int index) const { return markers_[static_cast<size_t>(index)]; }
    qint64 playhead() const { return playhead_; }
    /// The song time at x (in widget coordinates).
    qint64 timeAt(int x) const;
    int xAt(qint64 ms) const;

    QSize sizeHint() const override { return {480, 72}; }
    QSize minimumSizeHint() const override { return {120, 48}; }

Q_SIGNALS:
    void seekRequested(qint64 ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    playback::Envelope envelope_;
    qint64 length_ = 0;
    qint64 playhead_ = -1;
    std::array<qint64, 4> markers_{-1, -1, -1, -1};
    int progress_ = 0;
    QString failure_;
};

} // namespace browser
