#include "installer/gui/frmback.h"

#include "installer/gui/gradbox.h"
#include "installer/gui/look.h"
#include "installer/textrules.h"

#include <QCloseEvent>
#include <QLabel>

namespace installer {
namespace {

constexpr int kTitleLeft = 12;
constexpr int kTitleTop = 8;
constexpr int kShadowOffset = 2;
constexpr int kTitleSize = 32;
constexpr int kSmallestTitleSize = 12;

QLabel* MakeLabel(QWidget* parent, const char* name, const QColor& color, int pixelSize)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setItalic(true);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

TfrmBack::TfrmBack(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmBack"));
    setWindowIcon(SetupIcon());
    setMinimumSize(320, 240);

    GradBox = new TGradBox(this);
    GradBox->setObjectName(QStringLiteral("GradBox"));
    GradBox->setStartColor(Qt::blue);
    GradBox->setEndColor(Qt::black);
    GradBox->setGradStep(128);

    // Shadows first, so that the titles lie on top of them.
    lblBackTitle2 = MakeLabel(this, "lblBackTitle2", QColor(0, 128, 0), kTitleSize);
    lblBackTitle1 = MakeLabel(this, "lblBackTitle1", Qt::white, kTitleSize);
    lblPrgTitle2 = MakeLabel(this, "lblPrgTitle2", Qt::blue, 16);
    lblPrgTitle1 = MakeLabel(this, "lblPrgTitle1", Qt::white, 16);
    for (QLabel* label : {lblBackTitle1, lblBackTitle2})
        label->setFixedHeight(label->fontMetrics().height() + 4);
    for (QLabel* label : {lblPrgTitle1, lblPrgTitle2}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        label->hide();
    }
}

QString TfrmBack::CaptionFor(const QString& version)
{
    return QStringLiteral("Tovel! Setup 200x Version") + VersionText(version);
}

void TfrmBack::setTitle(const QString& title)
{
    lblBackTitle1->setText(title);
    lblBackTitle2->setText(title);
    placeTitle();
}

void TfrmBack::showCredit(const QString& text)
{
    for (QLabel* label : {lblPrgTitle1, lblPrgTitle2}) {
        label->setText(text);
        const QSize hint = label->sizeHint();
        label->resize(hint.width() + 8, hint.height());
    }
    placeCredit();
    lblPrgTitle2->show();
    lblPrgTitle1->show();
}

void TfrmBack::placeTitle()
{
    const int width = std::max(0, this->width() - 24);
    // The title's size shrinks from 32 pixels until the whole title fits, the slant of
    // its last glyph included, so that no glyph is cut at the edge.
    QFont font = lblBackTitle1->font();
    const QString title = lblBackTitle1->text();
    for (int size = kTitleSize; size >= kSmallestTitleSize; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(title) + metrics.height() / 3 <= width)
            break;
    }
    for (QLabel* label : {lblBackTitle1, lblBackTitle2}) {
        label->setFont(font);
        label->setFixedHeight(label->fontMetrics().height() + 4);
    }
    lblBackTitle1->setGeometry(kTitleLeft, kTitleTop, width, lblBackTitle1->height());
    lblBackTitle2->setGeometry(kTitleLeft + kShadowOffset, kTitleTop + kShadowOffset, width, lblBackTitle2->height());
}

void TfrmBack::placeCredit()
{
    const int right = width() - 24;
    const int bottom = height() - 48;
    lblPrgTitle1->move(right - lblPrgTitle1->width(), bottom - lblPrgTitle1->height());
    lblPrgTitle2->move(lblPrgTitle1->x() + kShadowOffset, lblPrgTitle1->y() + kShadowOffset);
}

void TfrmBack::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    GradBox->setGeometry(rect());
    placeTitle();
    if (lblPrgTitle1->isVisibleTo(this)) {
        // Keep the credit in its corner when the backdrop changes size later.
        placeCredit();
    } else if (!resizedOnce_) {
        resizedOnce_ = true;
        Q_EMIT firstResized();
    }
}

void TfrmBack::closeWindow()
{
    closing_ = true;
    close();
}

void TfrmBack::closeEvent(QCloseEvent* event)
{
    if (closing_)
        event->accept();
    else
        event->ignore();
}

} // namespace installer
