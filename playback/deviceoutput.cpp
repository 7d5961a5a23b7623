#include "playback/deviceoutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>

namespace playback {
namespace {

constexpr int kBytesPerFrame = 4; // 16-bit stereo
// How long queued samples may sit unplayed before the device counts as gone.
constexpr auto kStallLimit = std::chrono::seconds(2);

} // namespace

DeviceOutput::DeviceOutput(const QAudioDevice& device)
    : device_(device)
    , devices_(std::make_unique<QMediaDevices>())
{
    QObject::connect(devices_.get(), &QMediaDevices::audioOutputsChanged, devices_.get(), [this] {
        const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
        const bool present = std::any_of(outputs.begin(), outputs.end(),
                                         [this](const QAudioDevice& d) { return d.id() == device_.id(); });
        if (!present)
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
    if (played != lastPlayed_ || suspended_ || played >= written_) {
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
            if (lastPlayed_ < written_ && Clock::now() - lastProgress_ > kStallLimit)
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
