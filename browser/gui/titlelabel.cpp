#include "browser/gui/titlelabel.h"

#include <QPainter>
#include <QStyle>

namespace browser {

TitleLabel::TitleLabel(QWidget* parent)
    : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
    setMargin(2);
}

QSize TitleLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height()};
}

void TitleLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (autoFillBackground())
        p.fillRect(rect(), palette().brush(backgroundRole()));
    const QRect r = contentsRect().adjusted(margin() + 2, 0, -margin() - 2, 0);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.drawText(r, static_cast<int>(alignment()) | Qt::TextSingleLine, shown);
}

void TitleLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    Q_EMIT doubleClicked();
}

} // namespace browser
