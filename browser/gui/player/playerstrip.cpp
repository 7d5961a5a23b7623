#include "browser/gui/player/playerstrip.h"

#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "browser/gui/icons.h"
#include "browser/gui/player/lyriclines.h"
#include "playback/engine.h"

#include <QApplication>
#include <QComboBox>
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

QString NotificationText(playback::Notification n, int value)
{
    switch (n) {
    case playback::Notification::Stopped: return QStringLiteral("STOP");
    case playback::Notification::Position: return playback::PlayerStrip::PositionText(value);
    case playback::Notification::Paused: return QStringLiteral("PAUSE");
    case playback::Notification::Finished: return QStringLiteral("DONE");
    }
    return {};
}

} // namespace

PlayerStrip::PlayerStrip(const Workbench& bench, QWidget* parent)
    : QFrame(parent)
    , bench_(bench)
{
    setObjectName(QStringLiteral("FramePlayer"));
    timerLyrics_ = new QTimer(this);
    timerLyrics_->setObjectName(QStringLiteral("TimerLyrics"));
    timerLyrics_->setInterval(50);
    connect(timerLyrics_, &QTimer::timeout, this, &PlayerStrip::lyricsTick);
    timerPause_ = new QTimer(this);
    timerPause_->setObjectName(QStringLiteral("TimerPause"));
    timerPause_->setInterval(500);
    connect(timerPause_, &QTimer::timeout, this, &PlayerStrip::pauseTick);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    buildTransport();
    lines_ = new LyricLinesView(this);
    layout->addWidget(lines_, 1);

    if (playback::Engine* engine = bench_.engine.engine()) {
        model_ = std::make_unique<playback::PlayerStrip>(*engine, [this](const QString& text) { return lines_->measure(text); });
        model_->SetEnablePanes([this](bool on) {
            if (enablePanes)
                enablePanes(on);
        });
        model_->SetApplyLyricSource([this] {
            if (applyLyricSource)
                applyLyricSource();
        });
    }
}

PlayerStrip::~PlayerStrip() = default;

void PlayerStrip::buildTransport()
{
    auto* transport = new QHBoxLayout;
    transport->setSpacing(2);
    comPlayPause_ = MakeButton(QStringLiteral("ComPlayPause"), "再生", QStringLiteral("Play"), this);
    comStop_ = MakeButton(QStringLiteral("ComStop"), "停止", QStringLiteral("Stop"), this);
    connect(comPlayPause_, &QToolButton::clicked, this, &PlayerStrip::playPause);
    connect(comStop_, &QToolButton::clicked, this, &PlayerStrip::stop);
    scSeek_ = new QScrollBar(Qt::Horizontal, this);
    scSeek_->setObjectName(QStringLiteral("scSeek"));
    scSeek_->setRange(0, 0);
    // A drag seeks once, where it is let go.
    scSeek_->setTracking(false);
    scSeek_->setEnabled(false); // until a song has a length to seek in
    connect(scSeek_, &QScrollBar::valueChanged, this, &PlayerStrip::seekBarMoved);
    lblTime_ = new QLabel(QStringLiteral("---"), this);
    lblTime_->setObjectName(QStringLiteral("lblTime"));
    lblTime_->setAlignment(Qt::AlignCenter);
    lblTime_->setFrameShape(QFrame::StyledPanel);
    lblTime_->setMinimumWidth(lblTime_->fontMetrics().horizontalAdvance(QStringLiteral("PAUSE00")));
    cboSpeed_ = new QComboBox(this);
    cboSpeed_->setObjectName(QStringLiteral("CboSpeed"));
    for (int percent : {100, 75, 50})
        cboSpeed_->addItem(QStringLiteral("%1%").arg(percent), percent);
    cboSpeed_->setFocusPolicy(Qt::TabFocus);
    connect(cboSpeed_, &QComboBox::currentIndexChanged, this,
            [this](int index) { setSpeedPercent(cboSpeed_->itemData(index).toInt()); });
    transport->addWidget(comPlayPause_);
    transport->addWidget(comStop_);
    transport->addWidget(scSeek_, 1);
    transport->addWidget(lblTime_);
    transport->addWidget(cboSpeed_);
    static_cast<QVBoxLayout*>(layout())->addLayout(transport);
}

bool PlayerStrip::playable() const
{
    return comPlayPause_->isEnabled();
}

void PlayerStrip::setPlayable(bool playable)
{
    comPlayPause_->setEnabled(playable);
    comStop_->setEnabled(playable);
    if (playable && model_ && currentSong)
        model_->SetSong(currentSong());
}

void PlayerStrip::applyOptions()
{
    // SetEngineOptions: the press interval of the rows and the engine's input pause.
    if (!bench_.options)
        return;
    if (setPressInterval)
        setPressInterval(playback::PlayerStrip::PressHoldIntervalMs(bench_.options->fukaLyrics));
    if (model_)
        model_->SetInputSleep(bench_.options->fukaInputSleep);
}

void PlayerStrip::playPause()
{
    if (!model_)
        return;
    applyOptions();
    const bool opening = !model_->Opened() && poll() == playback::TransportState::Stopped;
    if (opening) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        lblTime_->setText(QStringLiteral("Read..."));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    const playback::PlayerStrip::PlayResult result = model_->PlayPause();
    if (opening)
        QApplication::restoreOverrideCursor();
    paint();
    if (result == playback::PlayerStrip::PlayResult::OpenFailed) {
        // The window stays usable; the message names the engine's error number.
        bench_.prompter->message(model_->OpenErrorText(), MessageIcon::None);
        comPlayPause_->setFocus();
        return;
    }
    (model_->View().focusStop ? comStop_ : comPlayPause_)->setFocus();
}

void PlayerStrip::stop()
{
    if (!model_)
        return;
    model_->Stop();
    paint();
    (model_->View().focusStop ? comStop_ : comPlayPause_)->setFocus();
}

void PlayerStrip::seekBarMoved(int value)
{
    if (painting_ || !model_)
        return;
    applyOptions();
    model_->SeekBarChanged(value);
    paint();
    (model_->View().focusStop ? comStop_ : comPlayPause_)->setFocus();
}

void PlayerStrip::lyricsTick()
{
    if (!model_)
        return;
    lines_->startTick();
    model_->LyricsTick();
    paint();
}

void PlayerStrip::pauseTick()
{
    if (!model_)
        return;
    model_->PauseTick();
    lblTime_->setText(model_->View().time);
}

void PlayerStrip::setSpeedPercent(int percent)
{
    const int index = cboSpeed_->findData(percent);
    if (index < 0)
        return;
    if (cboSpeed_->currentIndex() != index)
        cboSpeed_->setCurrentIndex(index); // comes back here through the signal
    else if (model_)
        model_->SetTempo(percent / 100.0);
}

void PlayerStrip::paint()
{
    const playback::StripView& v = model_->View();
    painting_ = true;
    lines_->show(v);
    lblTime_->setText(v.time);
    scSeek_->setRange(0, v.seekMaximum);
    scSeek_->setPageStep(v.largeStep);
    scSeek_->setValue(v.seekValue);
    scSeek_->setEnabled(v.seekMaximum > 0);
    comPlayPause_->setIcon(ButtonImage(v.pausePicture ? QStringLiteral("Pause") : QStringLiteral("Play")));
    if (v.lyricsTimer != timerLyrics_->isActive())
        v.lyricsTimer ? timerLyrics_->start() : timerLyrics_->stop();
    if (v.pauseTimer != timerPause_->isActive())
        v.pauseTimer ? timerPause_->start() : timerPause_->stop();
    painting_ = false;
}

void PlayerStrip::releaseSongAmong(const QStringList& paths)
{
    if (model_ && !model_->Song().isEmpty() && paths.contains(model_->Song()))
        clearSong();
}

void PlayerStrip::clearSong()
{
    if (model_) {
        model_->Clear();
        paint();
    }
    timerLyrics_->stop();
    timerPause_->stop();
    resetPlayImage();
    setPlayable(false);
    lines_->clear();
    lblTime_->setText(QStringLiteral("---"));
    painting_ = true;
    scSeek_->setRange(0, 0);
    scSeek_->setValue(0);
    scSeek_->setEnabled(false);
    painting_ = false;
}

void PlayerStrip::releaseEngine()
{
    if (!model_)
        return;
    if (poll() != playback::TransportState::Stopped)
        model_->Stop();
    model_->ForgetOpened();
    paint();
}

playback::TransportState PlayerStrip::poll()
{
    const EngineLink::Poll now = bench_.engine.poll();
    if (bench_.engine && now.seconds <= scSeek_->maximum()) {
        painting_ = true;
        scSeek_->setValue(now.seconds);
        painting_ = false;
    }
    return now.state;
}

void PlayerStrip::notify(playback::Notification notification, int value)
{
    if (!accepting_)
        return;
    if (model_) {
        model_->Notify(static_cast<int>(notification), value);
        lblTime_->setText(model_->View().time);
    } else {
        lblTime_->setText(NotificationText(notification, value));
    }
}

void PlayerStrip::showToolTips(bool on)
{
    comPlayPause_->setToolTip(on ? QString::fromUtf8("再生・一時停止") : QString());
    comStop_->setToolTip(on ? QString::fromUtf8("停止") : QString());
    cboSpeed_->setToolTip(on ? QString::fromUtf8("再生速度（音程はそのまま）") : QString());
}

void PlayerStrip::resetPlayImage()
{
    comPlayPause_->setIcon(ButtonImage(QStringLiteral("Play")));
}

} // namespace browser
