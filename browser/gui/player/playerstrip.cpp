#include "browser/gui/player/playerstrip.h"

#include "browser/gui/icons.h"
#include "playback/engine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace browser {
namespace {

QToolButton* MakeButton(const QString& name, const char* text, const QString& image, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(text));
    b->setIcon(ButtonImage(image));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(false);
    return b;
}

} // namespace

PlayerStrip::PlayerStrip(EngineLink engine, QWidget* parent)
    : QFrame(parent)
    , engine_(engine)
{
    setObjectName(QStringLiteral("FramePlayer"));
    timerLyrics_ = new QTimer(this);
    timerLyrics_->setObjectName(QStringLiteral("TimerLyrics"));
    timerLyrics_->setInterval(50);
    timerPause_ = new QTimer(this);
    timerPause_->setObjectName(QStringLiteral("TimerPause"));
    timerPause_->setInterval(500);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    buildTransport();
    buildLyricLines();
    for (const char* name : {"lbWork1", "lbWork2"}) {
        auto* w = new QLabel(this);
        w->setObjectName(QString::fromLatin1(name));
        w->hide();
    }
}

void PlayerStrip::buildTransport()
{
    auto* transport = new QHBoxLayout;
    transport->setSpacing(2);
    comPlayPause_ = MakeButton(QStringLiteral("ComPlayPause"), "再生", QStringLiteral("Play"), this);
    comStop_ = MakeButton(QStringLiteral("ComStop"), "停止", QStringLiteral("Stop"), this);
    scSeek_ = new QScrollBar(Qt::Horizontal, this);
    scSeek_->setObjectName(QStringLiteral("scSeek"));
    scSeek_->setRange(0, 0);
    lblTime_ = new QLabel(QStringLiteral("---"), this);
    lblTime_->setObjectName(QStringLiteral("lblTime"));
    lblTime_->setAlignment(Qt::AlignCenter);
    lblTime_->setFrameShape(QFrame::StyledPanel);
    lblTime_->setMinimumWidth(lblTime_->fontMetrics().horizontalAdvance(QStringLiteral("PAUSE00")));
    transport->addWidget(comPlayPause_);
    transport->addWidget(comStop_);
    transport->addWidget(scSeek_, 1);
    transport->addWidget(lblTime_);
    static_cast<QVBoxLayout*>(layout())->addLayout(transport);
}

void PlayerStrip::buildLyricLines()
{
    auto* lines = new QFrame(this);
    lines->setObjectName(QStringLiteral("FrameLyricLines"));
    lines->setAutoFillBackground(true);
    lines->setBackgroundRole(QPalette::Base);
    lines->setFrameShape(QFrame::StyledPanel);
    auto* ll = new QVBoxLayout(lines);
    ll->setContentsMargins(4, 1, 4, 1);
    ll->setSpacing(0);
    for (int k = 0; k < 7; ++k) {
        auto* l = new QLabel(lines);
        l->setObjectName(QStringLiteral("lblLyrics%1").arg(k));
        l->setTextFormat(Qt::PlainText);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        lblLyrics_[static_cast<size_t>(k)] = l;
        if (k <= 4)
            ll->addWidget(l);
    }
    // Element 5 is the sung part of the current line (element 2) drawn over it;
    // element 6 is not shown.
    lblLyrics_[5]->setParent(lblLyrics_[2]);
    lblLyrics_[5]->setForegroundRole(QPalette::Highlight);
    lblLyrics_[5]->move(0, 0);
    lblLyrics_[5]->resize(0, lblLyrics_[2]->sizeHint().height());
    lblLyrics_[6]->hide();
    ll->addStretch(1);
    layout()->addWidget(lines);
    static_cast<QVBoxLayout*>(layout())->setStretchFactor(lines, 1);
}

void PlayerStrip::setPlayable(bool playable)
{
    comPlayPause_->setEnabled(playable);
    comStop_->setEnabled(playable);
}

void PlayerStrip::clearSong()
{
    if (playback::Engine* engine = engine_.engine()) {
        engine->vbmp3_stop();
        engine->vbmp3_close();
        poll();
    }
    timerLyrics_->stop();
    timerPause_->stop();
    resetPlayImage();
    setPlayable(false);
    for (QLabel* l : lblLyrics_)
        l->clear();
    lblTime_->setText(QStringLiteral("---"));
    scSeek_->setRange(0, 0);
    scSeek_->setValue(0);
}

playback::TransportState PlayerStrip::poll()
{
    const EngineLink::Poll now = engine_.poll();
    if (engine_ && now.seconds <= scSeek_->maximum())
        scSeek_->setValue(now.seconds);
    return now.state;
}

void PlayerStrip::notify(playback::Notification notification, int value)
{
    if (!accepting_)
        return;
    switch (notification) {
    case playback::Notification::Stopped:
        lblTime_->setText(QStringLiteral("STOP"));
        break;
    case playback::Notification::Position:
        lblTime_->setText(QStringLiteral("%1:%2").arg(value / 60, 2, 10, QLatin1Char('0')).arg(value % 60, 2, 10, QLatin1Char('0')));
        break;
    case playback::Notification::Paused:
        lblTime_->setText(QStringLiteral("PAUSE"));
        break;
    case playback::Notification::Finished:
        lblTime_->setText(QStringLiteral("DONE"));
        break;
    }
}

void PlayerStrip::showToolTips(bool on)
{
    comPlayPause_->setToolTip(on ? QString::fromUtf8("再生・一時停止") : QString());
    comStop_->setToolTip(on ? QString::fromUtf8("停止") : QString());
}

void PlayerStrip::resetPlayImage()
{
    comPlayPause_->setIcon(ButtonImage(QStringLiteral("Play")));
}

} // namespace browser
