#include "installer/gui/gradbox.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace installer {
namespace {

/// Halves go to the even neighbour, as the control's arithmetic always did.
int RoundEven(double value)
{
    return int(std::nearbyint(value));
}

int Channel(int start, int end, int n, int i)
{
    return std::clamp(start + RoundEven(double(end - start) / n * i), 0, 255);
}

/// The nearest value a channel of `bits` bits can show, scaled back to 0..255.
int Quantize(int value, int bits)
{
    const int levels = (1 << bits) - 1;
    return RoundEven(RoundEven(value * levels / 255.0) * 255.0 / levels);
}

} // namespace

TGradBox::TGradBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

void TGradBox::touch()
{
    update();
    Q_EMIT changed();
}

void TGradBox::setStartColor(const QColor& color)
{
    start_ = color;
    touch();
}

void TGradBox::setEndColor(const QColor& color)
{
    end_ = color;
    touch();
}

void TGradBox::setGradStep(int steps)
{
    step_ = std::clamp(steps, 0, 255);
    touch();
}

void TGradBox::setDirection(Direction direction)
{
    direction_ = direction;
    touch();
}

QColor TGradBox::NearestDeviceColor(const QColor& color, int depth)
{
    const QColor rgb = color.toRgb();
    if (depth >= 24 || depth <= 8)
        return QColor(rgb.red(), rgb.green(), rgb.blue());
    const int greenBits = depth == 16 ? 6 : 5;
    return QColor(Quantize(rgb.red(), 5), Quantize(rgb.green(), greenBits), Quantize(rgb.blue(), 5));
}

QVector<TGradBox::Band> TGradBox::Bands(QColor start, QColor end, int steps, int extent)
{
    QVector<Band> bands;
    if (extent <= 0)
        return bands;
    start = start.toRgb();
    end = end.toRgb();
    const int n = std::clamp(steps, 0, 255) + 1;
    const int size = std::max(1, RoundEven(double(extent) / n));
    QColor last;
    for (int i = 0; i <= n; ++i) {
        last = QColor(Channel(start.red(), end.red(), n, i), Channel(start.green(), end.green(), n, i),
                      Channel(start.blue(), end.blue(), n, i));
        const int from = i * size;
        if (from < extent)
            bands.push_back({from, std::min(size, extent - from), last});
    }
    const int covered = (n + 1) * size;
    if (covered < extent)
        bands.push_back({covered, extent - covered, last});
    return bands;
}

void TGradBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int depth = painter.device()->depth();
    const bool vertical = direction_ == Direction::Vertical;
    const QVector<Band> bands = Bands(NearestDeviceColor(start_, depth), NearestDeviceColor(end_, depth), step_,
                                      vertical ? height() : width());
    for (const Band& band : bands) {
        const QRect rect = vertical ? QRect(0, band.from, width(), band.length) : QRect(band.from, 0, band.length, height());
        painter.fillRect(rect, band.color);
    }
}

} // namespace installer
