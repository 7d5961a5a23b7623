#pragma once
// Where decoded samples go: an audio device, or a silent sink that only keeps time.
//
// Every output takes interleaved 16-bit stereo and counts the sample frames that have
// been PLAYED (reached the listener, as far as the output can tell) since Start. An
// output is used from one thread only: the thread that created it.

#include <QString>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <memory>

namespace playback {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    /// Sets the buffer length in milliseconds for the next Start.
    virtual void SetBufferMs(int ms) = 0;
    /// Begins a fresh stream at `sampleRate`; the played count starts at 0.
    virtual bool Start(int sampleRate) = 0;
    /// Frames that Write would accept now.
    virtual qint64 FreeFrames() = 0;
    /// Queues up to `frames` frames; returns how many were taken.
    virtual qint64 Write(const qint16* samples, qint64 frames) = 0;
    /// Frames played since Start.
    virtual qint64 PlayedFrames() = 0;
    virtual void Suspend() = 0;
    virtual void Resume() = 0;
    /// Ends the stream and drops whatever has not been played.
    virtual void Stop() = 0;
    /// The device has gone or stopped working; the output cannot be used any more.
    virtual bool HasFailed() = 0;
    /// True for a device that makes sound, false for the silent output.
    virtual bool IsAudible() const = 0;
    /// How fast the output consumes samples relative to their sample rate.
    virtual double Speed() const { return 1.0; }
};

/// Makes the output to play through. Called on the thread that will use the output.
using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

/// The time source of the silent output and of position read-outs. Empty means the
/// steady clock; tests hand in a clock they move themselves (callable from any thread).
using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

/// An output without a device: it consumes samples at the rate a device would, so
/// positions, timing and the end of a song behave as with sound. A `speed` above 1 runs
/// the clock faster than real time (for tests that do not measure rates).
class SilentOutput final : public AudioOutput {
public:
    using Clock = std::chrono::steady_clock;

    explicit SilentOutput(double speed = 1.0, SteadyNow now = {});

    void SetBufferMs(int ms) override;
    bool Start(int sampleRate) override;
    qint64 FreeFrames() override;
    qint64 Write(const qint16* samples, qint64 frames) override;
    qint64 PlayedFrames() override;
    void Suspend() override;
    void Resume() override;
    void Stop() override;
    bool HasFailed() override { return false; }
    bool IsAudible() const override { return false; }
    double Speed() const override { return speed_; }

private:
    qint64 PlayedAt(Clock::time_point now) const;
    Clock::time_point Now() const { return now_ ? now_() : Clock::now(); }

    double speed_;
    SteadyNow now_;
    int bufferMs_ = 250;
    int rate_ = 0;
    bool started_ = false;
    bool suspended_ = false;
    qint64 written_ = 0;
    // The clock runs from `base_` frames at `baseTime_`; it stops when the queue is empty.
    qint64 base_ = 0;
    Clock::time_point baseTime_;
};

/// The silent output at real-time rate (or `speed` times it), on `now` when given.
OutputFactory SilentOutputFactory(double speed = 1.0, SteadyNow now = {});

/// The default audio device when there is one (QAudioSink), else the silent output.
OutputFactory DeviceOutputFactory();

} // namespace playback
