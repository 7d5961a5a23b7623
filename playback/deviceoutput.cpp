#include "playback/deviceoutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>

namespace playback {
namespace {

constexpr int kBytesPerFrame = 4; // 16-bit stereo
// How long a running stream may go without playing a sample before the device counts
// as gone. Devices can take a second or two to wake up; a stream that is fed but does
// not move for longer than this is dead (its device was removed with nowhere to go).
constexpr auto kStallLimit = std::chrono::seconds(4);

} // namespace

DeviceOutput::DeviceOutput(const QAudioDevice& device)
    : device_(device)
    , devices_(std::make_unique<QMediaDevices>())
{
    // When our device goes, the sound server moves the stream to another device if
    // there is one; only when no device is left is the output lost at once.
    QObject::connect(devices_.get(), &QMediaDevices::audioOutputsChanged, devices_.get(), [this] {
        if (QMediaDevices::audioOutputs().isEmpty())
            failed_ = true;
    });
}

DeviceOutput::~DeviceOutput()
{
    Stop();
}

void DeviceOutput::SetBufferMs(int ms)
{
    bufferMs_ = std::max(ms, 20);
}

bool DeviceOutput::Start(int sampleRate)
{
    Stop();
    if (failed_ || sampleRate <= 0)
        return false;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    sink_ = std::make_unique<QAudioSink>(device_, format);
    sink_->setBufferSize(qsizetype(sampleRate) * bufferMs_ / 1000 * kBytesPerFrame);
    io_ = sink_->start();
    if (!io_ || sink_->error() == QAudio::OpenError || sink_->error() == QAudio::FatalError) {
        failed_ = true;
        sink_.reset();
        io_ = nullptr;
        return false;
    }
    rate_ = sampleRate;
    written_ = 0;
    suspended_ = false;
    lastPlayed_ = 0;
    lastProgress_ = Clock::now();
    return true;
}

qint64 DeviceOutput::FreeFrames()
{
    if (!sink_ || suspended_)
        return 0;
    return std::max<qint64>(sink_->bytesFree(), 0) / kBytesPerFrame;
}

qint64 DeviceOutput::Write(const qint16* samples, qint64 frames)
{
    if (!io_ || frames <= 0)
        return 0;
    const qint64 bytes = io_->write(reinterpret_cast<const char*>(samples), frames * kBytesPerFrame);
    if (bytes < 0) {
        failed_ = true;
        return 0;
    }
    written_ += bytes / kBytesPerFrame;
    return bytes / kBytesPerFrame;
}

qint64 DeviceOutput::PlayedFrames()
{
    if (!sink_)
        return 0;
    const qint64 played = std::min(written_, sink_->processedUSecs() * rate_ / 1000000);
    if (played != lastPlayed_ || suspended_) {
        lastPlayed_ = played;
        lastProgress_ = Clock::now();
    }
    return played;
}

void DeviceOutput::Suspend()
{
    if (sink_ && !suspended_) {
        sink_->suspend();
        suspended_ = true;
    }
}

void DeviceOutput::Resume()
{
    if (sink_ && suspended_) {
        sink_->resume();
        suspended_ = false;
        lastProgress_ = Clock::now();
    }
}

void DeviceOutput::Stop()
{
    if (sink_) {
        sink_->stop();
        sink_.reset();
    }
    io_ = nullptr;
    written_ = 0;
    suspended_ = false;
}

bool DeviceOutput::HasFailed()
{
    if (failed_)
        return true;
    if (sink_) {
        const QAudio::Error e = sink_->error();
        if (e == QAudio::OpenError || e == QAudio::IOError || e == QAudio::FatalError)
            failed_ = true;
        else if (!suspended_) {
            PlayedFrames();
            if (Clock::now() - lastProgress_ > kStallLimit)
                failed_ = true;
        }
    }
    return failed_;
}

OutputFactory DeviceOutputFactory()
{
    return []() -> std::unique_ptr<AudioOutput> {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return std::make_unique<SilentOutput>();
        return std::make_unique<DeviceOutput>(device);
    };
}

} // namespace playback
