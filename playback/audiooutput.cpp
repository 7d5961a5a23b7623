#include "playback/audiooutput.h"

#include <algorithm>

namespace playback {

SilentOutput::SilentOutput(double speed, SteadyNow now)
    : speed_(speed > 0 ? speed : 1.0)
    , now_(std::move(now))
{
}

void SilentOutput::SetBufferMs(int ms)
{
    bufferMs_ = std::max(ms, 10);
}

bool SilentOutput::Start(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    rate_ = sampleRate;
    started_ = true;
    suspended_ = false;
    written_ = 0;
    base_ = 0;
    baseTime_ = Now();
    return true;
}

qint64 SilentOutput::PlayedAt(Clock::time_point now) const
{
    if (!started_)
        return 0;
    if (suspended_)
        return base_;
    const double seconds = std::chrono::duration<double>(now - baseTime_).count();
    const qint64 advanced = qint64(seconds * rate_ * speed_);
    return std::min(written_, base_ + std::max<qint64>(advanced, 0));
}

qint64 SilentOutput::FreeFrames()
{
    if (!started_)
        return 0;
    const qint64 capacity = qint64(rate_) * bufferMs_ / 1000;
    return std::max<qint64>(capacity - (written_ - PlayedAt(Now())), 0);
}

qint64 SilentOutput::Write(const qint16*, qint64 frames)
{
    if (!started_ || frames <= 0)
        return 0;
    const Clock::time_point now = Now();
    const qint64 played = PlayedAt(now);
    if (played >= written_ && !suspended_) {
        // The queue ran dry: the clock restarts with the new samples.
        base_ = played;
        baseTime_ = now;
    }
    const qint64 taken = std::min(frames, FreeFrames());
    written_ += taken;
    return taken;
}

qint64 SilentOutput::PlayedFrames()
{
    return PlayedAt(Now());
}

void SilentOutput::Suspend()
{
    if (!started_ || suspended_)
        return;
    base_ = PlayedAt(Now());
    suspended_ = true;
}

void SilentOutput::Resume()
{
    if (!started_ || !suspended_)
        return;
    suspended_ = false;
    baseTime_ = Now();
}

void SilentOutput::Stop()
{
    started_ = false;
    suspended_ = false;
    written_ = 0;
    base_ = 0;
}

OutputFactory SilentOutputFactory(double speed, SteadyNow now)
{
    return [speed, now] { return std::make_unique<SilentOutput>(speed, now); };
}

} // namespace playback
