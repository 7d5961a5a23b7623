#include "playback/transport.h"

#include <SoundTouch.h>
#include <algorithm>
#include <cmath>

namespace playback {
namespace {

constexpr qint64 kChunkFrames = 4608; // decoded per step: four MPEG-1 frames

void ToFloat(const qint16* in, float* out, qint64 frames)
{
    for (qint64 i = 0; i < frames * Decoder::kChannels; ++i)
        out[i] = float(in[i]) * (1.0f / 32768.0f);
}

void ToInt16(const float* in, qint16* out, qint64 frames)
{
    for (qint64 i = 0; i < frames * Decoder::kChannels; ++i)
        out[i] = qint16(std::lrint(std::clamp(in[i] * 32768.0f, -32768.0f, 32767.0f)));
}

} // namespace

Transport::Transport(OutputFactory output, Notify notify)
    : makeOutput_(std::move(output))
    , notify_(std::move(notify))
    , pcm_(kChunkFrames * Decoder::kChannels)
{
}

Transport::~Transport()
{
    stretch_.reset();
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
    fed_ = 0;
    padded_ = 0;
    carryFrames_ = 0;
    carryOffset_ = 0;
    restartOnResume_ = false;
    ResetStretch();
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

void Transport::ResetStretch()
{
    flushed_ = false;
    if (tempo_ == 1.0 || !decoder_) {
        stretch_.reset();
        return;
    }
    if (!stretch_)
        stretch_ = std::make_unique<soundtouch::SoundTouch>();
    stretch_->clear();
    stretch_->setSampleRate(uint(decoder_->SampleRate()));
    stretch_->setChannels(Decoder::kChannels);
    stretch_->setTempo(tempo_);
    stretchBuf_.resize(size_t(kChunkFrames) * Decoder::kChannels);
}

void Transport::SetTempo(double tempo)
{
    tempo = std::clamp(tempo, kMinTempo, kMaxTempo);
    if (tempo == tempo_)
        return;
    if (!decoder_ || state_ == TransportState::Stopped) {
        tempo_ = tempo;
        return;
    }
    // Go on from the exact sample reached, through a fresh stream at the new tempo.
    const qint64 position = base_ + ToSong(PlayedOut());
    tempo_ = tempo;
    const bool aligned = frameAligned_;
    frameAligned_ = false;
    if (state_ == TransportState::Playing) {
        StartAt(position);
        Publish(base_, true);
    } else {
        output_->Stop();
        outputStarted_ = false;
        base_ = std::max<qint64>(decoder_->Seek(position, false), 0);
        queued_ = fed_ = padded_ = carryFrames_ = carryOffset_ = 0;
        restartOnResume_ = true;
        Publish(base_, false);
    }
    frameAligned_ = aligned;
}

qint64 Transport::ToSong(qint64 outputFrames) const
{
    if (tempo_ == 1.0)
        return std::min(outputFrames, fed_);
    // The stretcher starts a little into the song and stays that far ahead: measured
    // with bursts at known places, the sound leads output frames × tempo by about
    // 36 ms × (1 / tempo − 1), so that is added to keep positions on what is heard.
    const double lead = 0.036 * (1.0 / tempo_ - 1.0) * (decoder_ ? decoder_->SampleRate() : 0);
    return std::min(qint64(std::floor(double(outputFrames) * tempo_ + lead)), fed_);
}

bool Transport::Drained() const
{
    return decoder_->AtEnd() && carryFrames_ == 0
           && (!stretch_ || (flushed_ && stretch_->numSamples() == 0));
}

void Transport::FallBack()
{
    // The failed output's count cannot be trusted: go on from the last reported place,
    // moved on by the time since (the sound went on until the device went away).
    qint64 position;
    {
        std::lock_guard lock(mutex_);
        const double since = std::chrono::duration<double>(Now() - published_.at).count();
        position = std::min(published_.played + qint64(since * decoder_->SampleRate() * tempo_), base_ + ToSong(queued_));
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
            if (!stretch_)
                fed_ += taken;
            if (carryFrames_ > 0)
                break;
            continue;
        }
        if (stretch_) {
            // Slowed: the decoder feeds the stretcher, the output takes what comes out.
            if (stretch_->numSamples() > 0) {
                const uint n = stretch_->receiveSamples(stretchBuf_.data(), uint(kChunkFrames));
                ToInt16(stretchBuf_.data(), pcm_.data(), n);
                carryFrames_ = n;
                carryOffset_ = 0;
                continue;
            }
            if (!decoder_->AtEnd()) {
                const qint64 n = decoder_->Read(pcm_.data(), kChunkFrames);
                if (n > 0) {
                    ToFloat(pcm_.data(), stretchBuf_.data(), n);
                    stretch_->putSamples(stretchBuf_.data(), uint(n));
                    fed_ += n;
                }
                continue;
            }
            if (!flushed_) {
                stretch_->flush();
                flushed_ = true;
                continue;
            }
        } else if (!decoder_->AtEnd()) {
            carryFrames_ = decoder_->Read(pcm_.data(), std::min(free, kChunkFrames));
            carryOffset_ = 0;
            continue;
        }
        // Silence after the last sample lets a device that waits for a full buffer
        // before it starts play the song's tail as well.
        const qint64 n = std::min({free, padTarget - padded_, kChunkFrames});
        if (n <= 0)
            break;
        std::fill(pcm_.begin(), pcm_.begin() + n * Decoder::kChannels, qint16(0));
        const qint64 taken = output_->Write(pcm_.data(), n);
        padded_ += taken;
        if (taken < n)
            break;
    }
}

qint64 Transport::PlayedOut()
{
    if (!output_ || !outputStarted_)
        return 0;
    return std::min(output_->PlayedFrames(), queued_);
}

qint64 Transport::Played()
{
    return ToSong(PlayedOut());
}

void Transport::Publish(qint64 played, bool advancing)
{
    std::lock_guard lock(mutex_);
    published_.state = state_;
    published_.played = played;
    published_.queuedEnd = state_ == TransportState::Stopped ? 0 : base_ + ToSong(queued_);
    published_.advancing = advancing;
    published_.at = Now();
    published_.tempo = tempo_;
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
        queued_ = fed_ = padded_ = carryFrames_ = carryOffset_ = 0;
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
    const qint64 end = base_ + fed_;
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
    const qint64 playedOut = PlayedOut();
    const double speed = output_->Speed();
    // Milliseconds until the output has played `frames` more of its own frames.
    auto ms = [rate, speed](double frames) { return qint64(frames * 1000 / rate / speed); };
    qint64 due = kLongestMs;
    // Refill: at the refill mark, or when half of what is queued has played if the
    // output holds less than twice the mark.
    const qint64 ahead = queued_ + padded_ - playedOut;
    const qint64 mark = rate * buffering_.refillMs / 1000;
    if (!Drained() || padded_ < rate * buffering_.bufferMs / 1000)
        due = std::min(due, ms(double(std::max(ahead - mark, ahead / 2))));
    // The next whole second of the song, for the position notification.
    const qint64 position = base_ + ToSong(playedOut);
    due = std::min(due, ms(double((position / rate + 1) * rate - position) / tempo_) + 1);
    // The song's last sample.
    if (Drained())
        due = std::min(due, ms(double(queued_ - playedOut)) + 1);
    return int(std::max<qint64>(due, buffering_.periodMs));
}

void Transport::Pump()
{
    if (state_ != TransportState::Playing || !decoder_)
        return;
    if (output_->HasFailed())
        FallBack();
    Fill();
    const qint64 playedOut = PlayedOut();
    const qint64 played = ToSong(playedOut);
    Publish(base_ + played, true);
    NotifySecond(base_ + played, false);
    if (Drained() && playedOut >= queued_)
        Finish();
}

} // namespace playback
