#include "playback/transport.h"

#include <algorithm>

namespace playback {
namespace {

constexpr qint64 kChunkFrames = 4608; // decoded per step: four MPEG-1 frames

} // namespace

Transport::Transport(OutputFactory output, Notify notify)
    : makeOutput_(std::move(output))
    , notify_(std::move(notify))
    , pcm_(kChunkFrames * Decoder::kChannels)
{
}

Transport::~Transport()
{
    if (output_)
        output_->Stop();
}

void Transport::SetBuffering(const Buffering& buffering)
{
    buffering_.bufferMs = std::clamp(buffering.bufferMs, 40, 5000);
    buffering_.refillMs = std::clamp(buffering.refillMs, 0, buffering_.bufferMs);
    buffering_.periodMs = std::clamp(buffering.periodMs, 1, 100);
}

void Transport::Load(std::unique_ptr<Decoder> decoder)
{
    Unload();
    decoder_ = std::move(decoder);
    state_ = TransportState::Stopped;
    Publish(0, false);
}

void Transport::Unload()
{
    if (state_ != TransportState::Stopped)
        Stop();
    if (output_)
        output_->Stop();
    outputStarted_ = false;
    decoder_.reset();
    Publish(0, false);
}

bool Transport::EnsureOutput()
{
    if (!output_ && makeOutput_)
        output_ = makeOutput_();
    if (!output_) {
        output_ = std::make_unique<SilentOutput>();
        fellBack_ = true;
    }
    return true;
}

bool Transport::StartAt(qint64 sample)
{
    EnsureOutput();
    output_->Stop();
    outputStarted_ = false;
    const qint64 reached = decoder_->Seek(sample, frameAligned_);
    if (reached < 0)
        return false;
    base_ = reached;
    queued_ = 0;
    padded_ = 0;
    carryFrames_ = 0;
    carryOffset_ = 0;
    restartOnResume_ = false;
    output_->SetBufferMs(buffering_.bufferMs);
    if (!output_->Start(decoder_->SampleRate())) {
        // No usable device: keep time with the silent output instead.
        output_ = std::make_unique<SilentOutput>();
        fellBack_ = true;
        output_->SetBufferMs(buffering_.bufferMs);
        output_->Start(decoder_->SampleRate());
    }
    outputStarted_ = true;
    {
        std::lock_guard lock(mutex_);
        ++published_.generation;
    }
    Fill();
    return true;
}

void Transport::FallBack()
{
    // The failed output's count cannot be trusted: go on from the last reported place,
    // moved on by the time since (the sound went on until the device went away).
    qint64 position;
    {
        std::lock_guard lock(mutex_);
        const double since = std::chrono::duration<double>(PlayPosition::Clock::now() - published_.at).count();
        position = std::min(published_.played + qint64(since * decoder_->SampleRate()), base_ + queued_);
    }
    output_ = std::make_unique<SilentOutput>();
    fellBack_ = true;
    if (state_ == TransportState::Playing)
        StartAt(position);
}

void Transport::Fill()
{
    if (!outputStarted_ || !decoder_)
        return;
    const qint64 rate = decoder_->SampleRate();
    const qint64 queuedNow = queued_ + padded_ - output_->PlayedFrames();
    if (queued_ > 0 && queuedNow * 1000 >= rate * buffering_.refillMs)
        return;
    const qint64 padTarget = rate * buffering_.bufferMs / 1000;
    for (int step = 0; step < 256; ++step) {
        const qint64 free = output_->FreeFrames();
        if (free <= 0)
            break;
        if (carryFrames_ > 0) {
            const qint64 taken = output_->Write(pcm_.data() + carryOffset_ * Decoder::kChannels,
                                                std::min(carryFrames_, free));
            carryOffset_ += taken;
            carryFrames_ -= taken;
            queued_ += taken;
            if (carryFrames_ > 0)
                break;
            continue;
        }
        if (decoder_->AtEnd()) {
            // Silence after the last sample lets a device that waits for a full
            // buffer before it starts play the song's tail as well.
            const qint64 n = std::min({free, padTarget - padded_, kChunkFrames});
            if (n <= 0)
                break;
            std::fill(pcm_.begin(), pcm_.begin() + n * Decoder::kChannels, qint16(0));
            const qint64 taken = output_->Write(pcm_.data(), n);
            padded_ += taken;
            if (taken < n)
                break;
            continue;
        }
        const qint64 n = decoder_->Read(pcm_.data(), std::min(free, kChunkFrames));
        carryFrames_ = n;
        carryOffset_ = 0;
    }
}

qint64 Transport::Played()
{
    if (!output_ || !outputStarted_)
        return 0;
    return std::min(output_->PlayedFrames(), queued_);
}

void Transport::Publish(qint64 played, bool advancing)
{
    std::lock_guard lock(mutex_);
    published_.state = state_;
    published_.played = played;
    published_.queuedEnd = state_ == TransportState::Stopped ? 0 : base_ + queued_;
    published_.advancing = advancing;
    published_.at = PlayPosition::Clock::now();
}

PlayPosition Transport::Position() const
{
    std::lock_guard lock(mutex_);
    return published_;
}

bool Transport::Audible() const
{
    return output_ && output_->IsAudible();
}

void Transport::NotifySecond(qint64 position, bool force)
{
    const int rate = decoder_ ? decoder_->SampleRate() : 0;
    if (rate <= 0)
        return;
    const qint64 second = position / rate;
    if (force || second != lastSecond_) {
        lastSecond_ = second;
        if (notify_)
            notify_(Notification::Position, int(second));
    }
}

bool Transport::Play()
{
    if (!decoder_)
        return false;
    switch (state_) {
    case TransportState::Playing:
        return true;
    case TransportState::Paused:
        return Resume();
    case TransportState::Stopped:
        break;
    }
    if (!StartAt(0))
        return false;
    state_ = TransportState::Playing;
    Publish(base_, true);
    NotifySecond(base_, true);
    return true;
}

bool Transport::Pause()
{
    if (state_ != TransportState::Playing)
        return false;
    const qint64 position = base_ + Played();
    output_->Suspend();
    state_ = TransportState::Paused;
    Publish(position, false);
    if (notify_)
        notify_(Notification::Paused, int(position / decoder_->SampleRate()));
    return true;
}

bool Transport::Resume()
{
    if (state_ != TransportState::Paused)
        return false;
    if (restartOnResume_) {
        if (!StartAt(base_))
            return false;
    } else {
        output_->Resume();
    }
    state_ = TransportState::Playing;
    const qint64 position = base_ + Played();
    Publish(position, true);
    NotifySecond(position, true);
    return true;
}

bool Transport::Stop()
{
    if (state_ == TransportState::Stopped)
        return true;
    if (output_)
        output_->Stop();
    outputStarted_ = false;
    state_ = TransportState::Stopped;
    {
        std::lock_guard lock(mutex_);
        ++published_.generation;
    }
    Publish(0, false);
    if (notify_)
        notify_(Notification::Stopped, 0);
    return true;
}

bool Transport::Seek(qint64 sample)
{
    if (!decoder_)
        return false;
    sample = std::clamp<qint64>(sample, 0, decoder_->LengthSamples());
    switch (state_) {
    case TransportState::Stopped:
    case TransportState::Playing:
        if (!StartAt(sample))
            return false;
        state_ = TransportState::Playing;
        Publish(base_, true);
        NotifySecond(base_, true);
        return true;
    case TransportState::Paused: {
        // Drop the queued audio now; the output restarts at the new place on resume.
        output_->Stop();
        outputStarted_ = false;
        const qint64 reached = decoder_->Seek(sample, frameAligned_);
        if (reached < 0)
            return false;
        base_ = reached;
        queued_ = padded_ = carryFrames_ = carryOffset_ = 0;
        restartOnResume_ = true;
        {
            std::lock_guard lock(mutex_);
            ++published_.generation;
        }
        Publish(base_, false);
        return true;
    }
    }
    return false;
}

void Transport::Finish()
{
    const qint64 end = base_ + queued_;
    output_->Stop();
    outputStarted_ = false;
    state_ = TransportState::Stopped;
    {
        std::lock_guard lock(mutex_);
        ++published_.generation;
    }
    Publish(0, false);
    if (notify_)
        notify_(Notification::Finished, int(end / decoder_->SampleRate()));
}

int Transport::NextPumpMs()
{
    if (state_ != TransportState::Playing || !decoder_ || !outputStarted_)
        return -1;
    constexpr qint64 kLongestMs = 250;
    const qint64 rate = decoder_->SampleRate();
    const qint64 played = Played();
    const double speed = output_->Speed();
    auto ms = [rate, speed](qint64 frames) { return qint64(double(frames) * 1000 / rate / speed); };
    qint64 due = kLongestMs;
    // Refill: at the refill mark, or when half of what is queued has played if the
    // output holds less than twice the mark.
    const qint64 ahead = queued_ + padded_ - played;
    const qint64 mark = rate * buffering_.refillMs / 1000;
    if (!decoder_->AtEnd() || carryFrames_ > 0 || padded_ < rate * buffering_.bufferMs / 1000)
        due = std::min(due, ms(std::max(ahead - mark, ahead / 2)));
    // The next whole second, for the position notification.
    const qint64 position = base_ + played;
    due = std::min(due, ms((position / rate + 1) * rate - position) + 1);
    // The song's last sample.
    if (decoder_->AtEnd() && carryFrames_ == 0)
        due = std::min(due, ms(queued_ - played) + 1);
    return int(std::max<qint64>(due, buffering_.periodMs));
}

void Transport::Pump()
{
    if (state_ != TransportState::Playing || !decoder_)
        return;
    if (output_->HasFailed())
        FallBack();
    Fill();
    const qint64 played = Played();
    Publish(base_ + played, true);
    NotifySecond(base_ + played, false);
    if (decoder_->AtEnd() && carryFrames_ == 0 && played >= queued_)
        Finish();
}

} // namespace playback
