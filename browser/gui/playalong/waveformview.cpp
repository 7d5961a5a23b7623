#include "browser/gui/playalong/waveformview.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace browser {
namespace {

constexpr int kMargin = 2;

} // namespace

WaveformView::WaveformView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PicWave"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(72);
}

void WaveformView::setEnvelope(const playback::Envelope& envelope)
{
    envelope_ = envelope;
    if (envelope_.sampleRate > 0)
        length_ = envelope_.samples * 1000 / envelope_.sampleRate;
    progress_ = -1;
    update();
}

void WaveformView::setProgress(int percent)
{
    progress_ = percent;
    update();
}

void WaveformView::setFailure(const QString& text)
{
    failure_ = text;
    progress_ = -1;
    update();
}

void WaveformView::setLength(qint64 ms)
{
    if (envelope_.Buckets() == 0)
        length_ = ms;
    update();
}

void WaveformView::setPlayhead(qint64 ms)
{
    if (ms == playhead_)
        return;
    playhead_ = ms;
    update();
}

void WaveformView::setMarker(int index, qint64 ms)
{
    if (markers_[static_cast<size_t>(index)] == ms)
        return;
    markers_[static_cast<size_t>(index)] = ms;
    update();
}

qint64 WaveformView::timeAt(int x) const
{
    const int w = width() - 2 * kMargin;
    if (w <= 0 || length_ <= 0)
        return 0;
    return std::clamp<qint64>(qint64(x - kMargin) * length_ / w, 0, length_);
}

int WaveformView::xAt(qint64 ms) const
{
    const int w = width() - 2 * kMargin;
    if (length_ <= 0)
        return kMargin;
    return kMargin + int(std::clamp<qint64>(ms, 0, length_) * w / length_);
}

void WaveformView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect area = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int mid = area.center().y();
    const double half = area.height() / 2.0;

    const int buckets = envelope_.Buckets();
    if (buckets > 0 && area.width() > 0) {
        const QColor peak = pal.color(QPalette::Highlight).lighter(150);
        const QColor body = pal.color(QPalette::Highlight);
        for (int x = 0; x < area.width(); ++x) {
            const int b0 = int(qint64(x) * buckets / area.width());
            const int b1 = std::max(b0 + 1, int(qint64(x + 1) * buckets / area.width()));
            int lo = 0, hi = 0;
            float rms = 0;
            for (int b = b0; b < std::min(b1, buckets); ++b) {
                lo = std::min<int>(lo, envelope_.low[size_t(b)]);
                hi = std::max<int>(hi, envelope_.high[size_t(b)]);
                rms = std::max(rms, envelope_.rms[size_t(b)]);
            }
            const int px = area.left() + x;
            p.setPen(peak);
            p.drawLine(px, mid - int(hi / 32768.0 * half), px, mid - int(lo / 32768.0 * half));
            p.setPen(body);
            const int r = int(std::min(1.0f, rms * 1.4142f) * half);
            p.drawLine(px, mid - r, px, mid + r);
        }
    } else {
        p.setPen(pal.color(QPalette::PlaceholderText));
        QString text = failure_;
        if (text.isEmpty())
            text = progress_ >= 0 ? QString::fromUtf8("波形を読み込んでいます… %1%").arg(progress_) : QString();
        p.drawText(area, Qt::AlignCenter, text);
    }
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(area.left(), mid, area.right(), mid);

    // Old reference times dashed, new ones solid; first in green, last in orange.
    const QColor colours[2] = {QColor(0, 150, 60), QColor(220, 110, 0)};
    for (int k = 0; k < 4; ++k) {
        const qint64 ms = markers_[size_t(k)];
        if (ms < 0 || length_ <= 0)
            continue;
        QPen pen(colours[k % 2], k < 2 ? 1 : 2, k < 2 ? Qt::DashLine : Qt::SolidLine);
        p.setPen(pen);
        const int x = xAt(ms);
        p.drawLine(x, area.top(), x, area.bottom());
    }
    if (playhead_ >= 0 && length_ > 0) {
        p.setPen(QPen(QColor(200, 0, 0), 1));
        const int x = xAt(playhead_);
        p.drawLine(x, rect().top(), x, rect().bottom());
    }
}

void WaveformView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || length_ <= 0)
        return;
    Q_EMIT seekRequested(timeAt(int(event->position().x())));
}

} // namespace browser
