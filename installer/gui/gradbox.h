#pragma once
// TGradBox: a graphic control that fills itself with colour bands running from a start
// colour to an end colour, top to bottom (vertical) or left to right (horizontal).

#include <QColor>
#include <QVector>
#include <QWidget>

namespace installer {

class TGradBox : public QWidget {
    Q_OBJECT
public:
    enum class Direction { Vertical, Horizontal };

    explicit TGradBox(QWidget* parent = nullptr);

    QColor StartColor() const { return start_; }
    QColor EndColor() const { return end_; }
    int GradStep() const { return step_; }
    Direction direction() const { return direction_; }

    /// Each setter repaints the control and raises changed().
    void setStartColor(const QColor& color);
    void setEndColor(const QColor& color);
    /// 0..255; values outside are clamped.
    void setGradStep(int steps);
    void setDirection(Direction direction);

    QSize sizeHint() const override { return {128, 128}; }

    struct Band {
        int from = 0;   // first pixel along the direction
        int length = 0; // pixels along the direction
        QColor color;
    };
    /// The bands a box `extent` pixels long (height when vertical, width when horizontal)
    /// is painted with, in order; the last one reaches the far edge when the regular bands
    /// end before it. Bands wholly outside the box are left out.
    static QVector<Band> Bands(QColor start, QColor end, int steps, int extent);
    /// The colour a display of `depth` bits per pixel shows for `color`.
    static QColor NearestDeviceColor(const QColor& color, int depth);

Q_SIGNALS:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void touch();

    QColor start_ = Qt::white;
    QColor end_ = Qt::black;
    int step_ = 128;
    Direction direction_ = Direction::Vertical;
};

} // namespace installer
