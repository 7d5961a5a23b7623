#include "browser/gui/player/lyriclines.h"

#include <QLabel>
#include <QVBoxLayout>

namespace browser {

LyricLinesView::LyricLinesView(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("FrameLyricLines"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setFrameShape(QFrame::StyledPanel);
    auto* ll = new QVBoxLayout(this);
    ll->setContentsMargins(6, 2, 6, 2);
    ll->setSpacing(1);
    ll->addStretch(1);
    for (int k = 0; k < 7; ++k) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("lblLyrics%1").arg(k));
        l->setTextFormat(Qt::PlainText);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        l->setIndent(0);
        l->setMargin(0);
        lines_[static_cast<size_t>(k)] = l;
        if (k <= 4)
            ll->addWidget(l);
    }
    // The lines around the current one are dimmed; the current line stands out and
    // its sung part is drawn over it in the highlight colour.
    for (int k : {0, 1, 3, 4})
        lines_[static_cast<size_t>(k)]->setForegroundRole(QPalette::PlaceholderText);
    QFont current = lines_[2]->font();
    current.setBold(true);
    lines_[2]->setFont(current);
    QLabel* sung = lines_[5];
    sung->setParent(lines_[2]);
    sung->setFont(current);
    sung->setAutoFillBackground(true);
    sung->setBackgroundRole(QPalette::Base);
    sung->setForegroundRole(QPalette::Highlight);
    sung->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sung->move(0, 0);
    sung->resize(0, lines_[2]->sizeHint().height());
    lines_[6]->hide();
    for (int k = 0; k < 2; ++k) {
        auto* w = new QLabel(this);
        w->setObjectName(QStringLiteral("lbWork%1").arg(k + 1));
        w->setTextFormat(Qt::PlainText);
        w->setFont(current);
        w->hide();
        work_[static_cast<size_t>(k)] = w;
    }
    ll->addStretch(1);
}

int LyricLinesView::measure(const QString& text)
{
    QLabel* w = work_[static_cast<size_t>(nextWork_)];
    nextWork_ = (nextWork_ + 1) % 2;
    w->setText(text);
    return w->fontMetrics().horizontalAdvance(text);
}

void LyricLinesView::show(const playback::StripView& view)
{
    for (int k = 0; k < 5; ++k)
        lines_[static_cast<size_t>(k)]->setText(view.lines[static_cast<size_t>(k)]);
    QLabel* sung = lines_[5];
    sung->setText(view.current);
    sung->resize(qMin(view.highlightWidth, lines_[2]->width()), lines_[2]->height());
    sung->setVisible(!view.current.isEmpty());
}

void LyricLinesView::clear()
{
    for (QLabel* l : lines_)
        l->clear();
    lines_[5]->resize(0, lines_[2]->height());
}

} // namespace browser
