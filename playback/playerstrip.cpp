#include "playback/playerstrip.h"

#include "lyrics/numbers.h"

#include <cmath>

namespace playback {
namespace {

QString CutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

PlayerStrip::PlayerStrip(Engine& engine, Measure measure)
    : engine_(engine)
    , measure_(std::move(measure))
{
}

int PlayerStrip::LargeStep(int seconds)
{
    if (seconds < 11)
        return 1;
    return std::max(lyrics::RoundToInt(seconds / (seconds >= 51 ? 50.0 : 10.0)), 1);
}

QString PlayerStrip::PositionText(int seconds)
{
    seconds = std::max(seconds, 0);
    return QStringLiteral("%1:%2").arg(seconds / 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

int PlayerStrip::PressHoldIntervalMs(int fukaLyrics)
{
    return fukaLyrics == 2 ? 400 : fukaLyrics == 1 ? 20 : 1;
}

int PlayerStrip::PumpIntervalMs(int fukaInputSleep)
{
    return fukaInputSleep == 2 ? 25 : fukaInputSleep == 1 ? 5 : 1;
}

void PlayerStrip::SetSong(const QString& path)
{
    if (path != song_)
        opened_ = false;
    song_ = path;
}

int PlayerStrip::Poll()
{
    int seconds = 0;
    const int state = engine_.vbmp3_getState(&seconds);
    lastPosition_ = seconds;
    view_.seekValue = std::min(seconds, view_.seekMaximum);
    return state;
}

void PlayerStrip::SetEngineOptions()
{
    engine_.vbmp3_setVbmp3Option(32, 16, PumpIntervalMs(inputSleep_), 0);
}

void PlayerStrip::ApplyLyricSource()
{
    if (applyLyricSource_)
        applyLyricSource_();
}

void PlayerStrip::EnablePanes(bool on)
{
    view_.panesEnabled = on;
    if (enablePanes_)
        enablePanes_(on);
}

void PlayerStrip::UpdateFocus()
{
    view_.focusStop = Poll() != int(TransportState::Stopped);
}

PlayerStrip::PlayResult PlayerStrip::PlayPause()
{
    stoppedByUser_ = false;
    PlayResult result = PlayResult::Started;
    switch (TransportState(Poll())) {
    case TransportState::Playing:
        view_.pausePicture = false;
        engine_.vbmp3_pause();
        view_.lyricsTimer = false;
        pauseBlink_ = 1;
        view_.pauseTimer = true;
        result = PlayResult::Paused;
        break;
    case TransportState::Paused:
        view_.pausePicture = true;
        engine_.vbmp3_restart();
        view_.lyricsTimer = true;
        view_.pauseTimer = false;
        result = PlayResult::Resumed;
        break;
    case TransportState::Stopped:
        if (song_.isEmpty())
            return PlayResult::NoSong;
        if (!opened_) {
            view_.time = QStringLiteral("Read...");
            engine_.vbmp3_close();
            engine_.vbmp3_stop();
            view_.lyricsTimer = false;
            songfiles::MpegInfo info;
            if (!engine_.vbmp3_open(song_, &info)) {
                openError_ = QStringLiteral("ErrNo : %1 Open Error").arg(engine_.vbmp3_getLastErrorNo());
                view_.time = QStringLiteral("---");
                return PlayResult::OpenFailed;
            }
            opened_ = true;
            view_.seekMaximum = info.playSeconds;
            view_.largeStep = LargeStep(info.playSeconds);
        }
        SetEngineOptions();
        ApplyLyricSource();
        engine_.vbmp3_play();
        Poll();
        view_.lyricsTimer = true;
        view_.pauseTimer = false;
        view_.pausePicture = true;
        EnablePanes(false);
        break;
    }
    UpdateFocus();
    return result;
}

void PlayerStrip::Stop()
{
    engine_.vbmp3_stop();
    stoppedByUser_ = true;
    view_.pausePicture = false;
    view_.lyricsTimer = false;
    view_.pauseTimer = false;
    EnablePanes(true);
    UpdateFocus();
}

bool PlayerStrip::SeekBarChanged(int value)
{
    view_.seekValue = value;
    if (view_.largeStep < 2 || (stoppedByUser_ && value == 0))
        return false;
    bool sought = false;
    if (stoppedByUser_) {
        SetEngineOptions();
        ApplyLyricSource();
        view_.pausePicture = true;
        EnablePanes(false);
        engine_.vbmp3_seek(value);
        sought = true;
    } else if (value >= lastPosition_ + view_.largeStep || value < lastPosition_) {
        engine_.vbmp3_seek(value);
        sought = true;
    }
    stoppedByUser_ = false;
    view_.lyricsTimer = true;
    UpdateFocus();
    return sought;
}

void PlayerStrip::LyricsTick()
{
    const int now = engine_.vbmp3_getWinampPlayMs();
    LyricState s;
    engine_.vbmp3_getLyrics2(&s);
    view_.lines = {s.texts[7], s.texts[6], s.texts[5], s.texts[1], s.texts[0]};
    view_.current = s.texts[5];
    if (s.integers[3] != 0) {
        const QString upToEnd = CutAtNul(s.texts[4]);
        if (upToEnd.isEmpty()) {
            view_.highlightWidth = 0;
        } else {
            const int w1 = measure_ ? measure_(upToEnd) : 0;
            const int w2 = measure_ ? measure_(CutAtNul(s.texts[3])) : 0;
            const int width = int(std::floor(double(w1 - w2) * (double(now) - s.integers[0]) / s.integers[3])) + w2;
            if (width >= 0)
                view_.highlightWidth = width;
        }
    }
    Poll();
}

void PlayerStrip::PauseTick()
{
    // "PAUSE" for two ticks, nothing for one.
    if (pauseBlink_ == 2) {
        view_.time.clear();
        pauseBlink_ = 0;
        return;
    }
    if (pauseBlink_ == 0)
        view_.time = QStringLiteral("PAUSE");
    ++pauseBlink_;
}

void PlayerStrip::Notify(int message, int value)
{
    switch (message) {
    case 1: view_.time = QStringLiteral("STOP"); break;
    case 2: view_.time = PositionText(value); break;
    case 3: view_.time = QStringLiteral("PAUSE"); break;
    case 4: view_.time = QStringLiteral("DONE"); break;
    default: break;
    }
}

void PlayerStrip::Clear()
{
    engine_.vbmp3_stop();
    engine_.vbmp3_close();
    opened_ = false;
    stoppedByUser_ = false;
    song_.clear();
    const bool panes = view_.panesEnabled;
    view_ = StripView();
    view_.panesEnabled = panes;
    Poll();
}

} // namespace playback
