#include "installer/gui/look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextLayout>
#include <QTextOption>
#include <QTranslator>
#include <functional>

namespace installer {
namespace {

QTextOption WrapAnywhere(Qt::Alignment alignment)
{
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A box seen from the front, with a disk sliding into it.
    QLinearGradient body(0, 0, 0, s);
    body.setColorAt(0, QColor(70, 110, 230));
    body.setColorAt(1, QColor(10, 20, 110));
    p.setPen(QPen(QColor(0, 0, 60), std::max(1.0, s / 32)));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(s * 0.08, s * 0.30, s * 0.84, s * 0.62), s * 0.08, s * 0.08);
    p.setBrush(QColor(240, 240, 240));
    p.drawRect(QRectF(s * 0.28, s * 0.06, s * 0.44, s * 0.38));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(s * 0.38, s * 0.08, s * 0.24, s * 0.12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    QPainterPath arrow;
    arrow.moveTo(s * 0.50, s * 0.86);
    arrow.lineTo(s * 0.32, s * 0.62);
    arrow.lineTo(s * 0.44, s * 0.62);
    arrow.lineTo(s * 0.44, s * 0.48);
    arrow.lineTo(s * 0.56, s * 0.48);
    arrow.lineTo(s * 0.56, s * 0.62);
    arrow.lineTo(s * 0.68, s * 0.62);
    arrow.closeSubpath();
    p.drawPath(arrow);
    return pixmap;
}

} // namespace

QIcon SetupIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(DrawIcon(size));
    return icon;
}



void BringToFront(QWidget* window)
{
    // The offscreen platform of the tests has no stacking order to change.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    window->raise();
    window->activateWindow();
}

namespace {

/// Lays out `text` in lines of `width` pixels that break at blanks or, failing that,
/// anywhere; calls `draw` (when given) for each line at its top. Gives the height used.
int LayOutWrapped(const QFont& font, const QString& text, int width,
                  const std::function<void(const QTextLayout&, const QTextLine&, int top)>& draw = {})
{
    const QFontMetrics metrics(font);
    int top = 0;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(WrapAnywhere(Qt::AlignLeft));
        layout.beginLayout();
        int lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, lines * metrics.lineSpacing()));
            ++lines;
        }
        layout.endLayout();
        if (draw)
            for (int i = 0; i < layout.lineCount(); ++i)
                draw(layout, layout.lineAt(i), top);
        top += std::max(1, lines) * metrics.lineSpacing();
    }
    return top;
}

} // namespace

int WrappedTextHeight(const QFont& font, const QString& text, int width)
{
    return LayOutWrapped(font, text, width);
}

int WrapLabel::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    return WrappedTextHeight(font(), text(), width - m.left() - m.right()) + m.top() + m.bottom();
}

void WrapLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    // Measured and drawn by the same layout, so that heightForWidth is what shows.
    LayOutWrapped(font(), text(), area.width(), [&](const QTextLayout&, const QTextLine& line, int top) {
        line.draw(&painter, QPointF(area.left(), area.top() + top));
    });
}

int WrapRadioButton::indicatorSpace() const
{
    return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this)
           + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
}

QRect WrapRadioButton::textRect(int width) const
{
    const int left = indicatorSpace();
    const QRect bounds = fontMetrics().boundingRect(QRect(left, 1, std::max(1, width - left - 2), 100000),
                                                    Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic,
                                                    text());
    return QRect(left, 1, std::max(1, width - left - 2), bounds.height());
}

int WrapRadioButton::heightForWidth(int width) const
{
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
    return std::max(indicator, textRect(width).height()) + 2;
}

QSize WrapRadioButton::sizeHint() const
{
    if (width() <= indicatorSpace())
        return QRadioButton::sizeHint();
    return QSize(width(), heightForWidth(width()));
}

void WrapRadioButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect text = textRect(width());
    // The indicator beside the first line.
    const int indicatorWidth = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this);
    const int indicatorHeight = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
    const int firstLine = fontMetrics().height();
    option.rect = QRect(0, text.top() + std::max(0, (firstLine - indicatorHeight) / 2), indicatorWidth, indicatorHeight);
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, option);
    painter.drawItemText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                         isEnabled(), this->text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = text.adjusted(-1, 0, 1, 1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace installer
