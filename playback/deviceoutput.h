#pragma once
// Output to an audio device through QAudioSink (PulseAudio, PipeWire or ALSA).

#include "playback/audiooutput.h"

#include <QAudioDevice>
#include <memory>

class QAudioSink;
class QIODevice;
class QMediaDevices;

namespace playback {

class DeviceOutput final : public AudioOutput {
public:
    explicit DeviceOutput(const QAudioDevice& device);
    ~DeviceOutput() override;

    void SetBufferMs(int ms) override;
    bool Start(int sampleRate) override;
    qint64 FreeFrames() override;
    qint64 Write(const qint16* samples, qint64 frames) override;
    qint64 PlayedFrames() override;
    void Suspend() override;
    void Resume() override;
    void Stop() override;
    bool HasFailed() override;
    bool IsAudible() const override { return true; }

private:
    using Clock = std::chrono::steady_clock;

    QAudioDevice device_;
    std::unique_ptr<QMediaDevices> devices_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* io_ = nullptr;
    int rate_ = 0;
    int bufferMs_ = 250;
    qint64 written_ = 0;
    bool suspended_ = false;
    bool failed_ = false;
    // A device that takes samples but stops consuming them counts as gone.
    qint64 lastPlayed_ = 0;
    Clock::time_point lastProgress_;
};

} // namespace playback
