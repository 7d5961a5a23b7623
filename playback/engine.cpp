#include "playback/engine.h"

#include "common/textfile.h"
#include "lyrics/atblock.h"
#include "lyrics/linebreaks.h"
#include "playback/songstream.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace playback {
namespace {

// How far past the worker's last report a read-out may extrapolate the position (the
// worker reports at least every quarter second).
constexpr qint64 kMaxExtrapolationMs = 400;

} // namespace

QString EngineVersionText(int version)
{
    return QStringLiteral("%1.%2").arg(version / 100).arg(version % 100, 2, 10, QLatin1Char('0'));
}

/// Lives on the engine's worker thread: owns the transport and pumps it.
class Engine::Worker : public QObject {
public:
    Worker(OutputFactory output, Transport::Notify notify)
        : transport(std::move(output), std::move(notify))
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            transport.Pump();
            Update();
        });
    }

    /// Schedules the next pump; none while not playing.
    void Update()
    {
        const int due = transport.NextPumpMs();
        if (due < 0)
            timer.stop();
        else
            timer.start(due);
    }

    Transport transport;
    QTimer timer{this};
};

Engine::Engine(OutputFactory output, QObject* parent)
    : QObject(parent)
    , makeOutput_(std::move(output))
{
    thread_.setObjectName(QStringLiteral("mp3 engine"));
}

Engine::~Engine()
{
    vbmp3_free();
}

void Engine::EnsureWorker()
{
    if (worker_)
        return;
    auto notify = [this](Notification n, int value) {
        QMetaObject::invokeMethod(
            this, [this, n, value] { Deliver(int(n), value); }, Qt::QueuedConnection);
    };
    // The worker and everything it makes (audio sinks included) belong to the thread.
    worker_ = new Worker(makeOutput_, notify);
    worker_->transport.SetBuffering(buffering_);
    worker_->transport.SetFrameAlignedSeeks(frameAligned_);
    worker_->transport.SetClock(now_);
    worker_->transport.SetTempo(tempo_);
    worker_->moveToThread(&thread_);
    thread_.start(QThread::TimeCriticalPriority);
}

void Engine::RunOnWorker(const std::function<void()>& task)
{
    EnsureWorker();
    if (QThread::currentThread() == &thread_)
        task();
    else
        QMetaObject::invokeMethod(worker_, task, Qt::BlockingQueuedConnection);
}

void Engine::Deliver(int message, int value)
{
    Q_EMIT notified(message, value);
    if (callback_)
        callback_(message, value);
}

int Engine::vbmp3_init()
{
    EnsureWorker();
    return 1;
}

int Engine::vbmp3_callback(NotifyProc proc)
{
    callback_ = std::move(proc);
    return 1;
}

int Engine::vbmp3_stopCallback()
{
    callback_ = nullptr;
    return 1;
}

int Engine::vbmp3_free()
{
    if (!worker_)
        return 1;
    RunOnWorker([this] {
        worker_->transport.Unload();
        worker_->timer.stop();
        // Deleted on its own thread as the thread finishes.
        worker_->deleteLater();
    });
    worker_ = nullptr;
    thread_.quit();
    thread_.wait();
    ForgetSong();
    return 1;
}

double Engine::RatioForRate(int sampleRate)
{
    return sampleRate > 0 ? lyrics::WinAmpRatio(sampleRate) : 1.0;
}

int Engine::vbmp3_readLyrics3Data()
{
    songfiles::Lyrics3Record record;
    if (!IsOpen() || !vbmp3_getFileLyrics3InfoVB(songPath_, record) || record[songfiles::LYR].isEmpty())
        return 0;
    SetLyricsText(record[songfiles::LYR]);
    lyricsFromSong_ = true;
    return 1;
}

// Settings.

int Engine::vbmp3_setKaraokeUse(int on)
{
    lyrics_.SetKaraoke(on != 0);
    return 1;
}

int Engine::vbmp3_setLyricsNextAdjustTime(int ms)
{
    lyrics_.SetAdvanceMs(std::clamp(ms, 0, 60000));
    return 1;
}

int Engine::vbmp3_quickSeek(int on)
{
    frameAligned_ = on != 0;
    if (worker_)
        RunOnWorker([this] { worker_->transport.SetFrameAlignedSeeks(frameAligned_); });
    return 1;
}

int Engine::vbmp3_useAtMarkTag(int mode)
{
    if (mode < 0 || mode > 2)
        return 0;
    lyrics_.SetAtMarkUse(AtMarkUse(mode));
    return 1;
}

int Engine::vbmp3_setVbmp3Option(int bufferUnits, int refillUnits, int periodMs, int)
{
    buffering_.bufferMs = bufferUnits * 10;
    buffering_.refillMs = refillUnits * 10;
    buffering_.periodMs = periodMs;
    RunOnWorker([this] {
        worker_->transport.SetBuffering(buffering_);
        buffering_ = worker_->transport.buffering();
        worker_->Update();
    });
    return 1;
}

// Lyrics.

int Engine::vbmp3_setLyrics3Use(int on)
{
    lyrics3Use_ = on != 0;
    return 1;
}

int Engine::vbmp3_clearLyrics()
{
    lyrics_.Clear();
    lyricsFromSong_ = false;
    return 1;
}

void Engine::SetLyricsText(const QString& text)
{
    lyrics_.SetText(lyrics::NormalizeLineBreaks(text));
}

int Engine::vbmp3_setLyricsFile(const QString& path)
{
    QString text;
    if (!common::ReadTextFile(path, text))
        return 0;
    SetLyricsText(text);
    lyricsFromSong_ = false;
    return 1;
}

int Engine::vbmp3_setLyricsTime(int base)
{
    if (base != 0 && base != 1)
        return 0;
    lyrics_.SetTimeBase(LyricsTimeBase(base));
    return 1;
}

int Engine::vbmp3_getLyrics2(LyricState* state)
{
    if (!lyrics_.HasLyrics()) {
        if (state)
            *state = LyricState();
        return 0;
    }
    if (state)
        *state = lyrics_.StateAt(vbmp3_getWinampPlayMs());
    return 1;
}

// Transport.

int Engine::vbmp3_open(const QString& path, songfiles::MpegInfo* info)
{
    vbmp3_close();
    lastError_ = kErrNone;
    lastErrorText_.clear();
    auto fail = [this](int error, const QString& text) {
        lastError_ = error;
        lastErrorText_ = text;
        return 0;
    };
    SongStream stream;
    QString why;
    switch (FindSongStream(path, &stream, &why)) {
    case StreamError::None:
        break;
    case StreamError::CannotRead:
        return fail(kErrCannotRead, why);
    case StreamError::NotMpeg:
        return fail(kErrNotMpeg, why);
    }
    const songfiles::ByteRange range = stream.range;
    auto decoder = std::make_unique<Decoder>();
    QString message;
    switch (decoder->Open(path, range, &message)) {
    case DecoderError::None:
        break;
    case DecoderError::CannotRead:
        return fail(kErrCannotRead, message);
    case DecoderError::NoAudio:
        return fail(kErrNoAudio, message);
    case DecoderError::Library:
        return fail(kErrDecoder, message);
    }
    facts_ = decoder->Facts();
    if (info) {
        *info = songfiles::MpegInfo();
        info->version = facts_.mpegVersion;
        info->layer = facts_.layer;
        info->channelMode = facts_.channelMode;
        info->bitRate = facts_.bitRate;
        info->sampleRate = facts_.sampleRate;
        info->frames = facts_.frames;
        info->durationMs = facts_.samples * 1000 / facts_.sampleRate;
        info->playSeconds = int(facts_.samples / facts_.sampleRate);
        info->stream = range;
    }
    sampleRate_ = decoder->SampleRate();
    lengthSamples_ = decoder->LengthSamples();
    ratio_ = RatioForRate(sampleRate_);
    songPath_ = path;
    lastGeneration_ = 0;
    lastReported_ = 0;
    Decoder* handed = decoder.release();
    RunOnWorker([this, handed] {
        worker_->transport.Load(std::unique_ptr<Decoder>(handed));
        worker_->Update();
    });
    lyrics_.SetWinAmpRatio(ratio_);
    lyrics_.SetSongEndMs(StandardToWinAmpMs(lengthSamples_));
    if (lyrics3Use_ && !lyrics_.HasLyrics())
        vbmp3_readLyrics3Data();
    return 1;
}

int Engine::vbmp3_close()
{
    if (worker_) {
        RunOnWorker([this] {
            worker_->transport.Unload();
            worker_->Update();
        });
    }
    ForgetSong();
    return 1;
}

void Engine::ForgetSong()
{
    if (lyricsFromSong_)
        vbmp3_clearLyrics();
    songPath_.clear();
    facts_ = {};
    sampleRate_ = 0;
    lengthSamples_ = 0;
    ratio_ = 1.0;
    lyrics_.SetWinAmpRatio(1.0);
    lyrics_.SetSongEndMs(0);
}

int Engine::RunTransport(const std::function<bool(playback::Transport&)>& call)
{
    if (!IsOpen()) {
        lastError_ = kErrNotOpen;
        return 0;
    }
    bool ok = false;
    RunOnWorker([&] {
        ok = call(worker_->transport);
        worker_->Update();
    });
    return ok ? 1 : 0;
}

int Engine::vbmp3_play()
{
    return RunTransport([](playback::Transport& t) { return t.Play(); });
}

int Engine::vbmp3_pause()
{
    return RunTransport([](playback::Transport& t) { return t.Pause(); });
}

int Engine::vbmp3_restart()
{
    return RunTransport([](playback::Transport& t) { return t.Resume(); });
}

int Engine::vbmp3_stop()
{
    if (!IsOpen())
        return 1;
    return RunTransport([](playback::Transport& t) { return t.Stop(); });
}

int Engine::SeekSamples(qint64 sample)
{
    return RunTransport([sample](playback::Transport& t) { return t.Seek(sample); });
}

int Engine::SetTempo(double tempo)
{
    tempo_ = std::clamp(tempo, kMinTempo, kMaxTempo);
    RunOnWorker([this] {
        worker_->transport.SetTempo(tempo_);
        worker_->Update();
    });
    return 1;
}

int Engine::vbmp3_seek(int seconds)
{
    return SeekSamples(qint64(std::max(seconds, 0)) * sampleRate_);
}

qint64 Engine::vbmp3_getPlaySamples()
{
    if (!IsOpen() || !worker_)
        return 0;
    const PlayPosition p = worker_->transport.Position();
    if (p.generation != lastGeneration_) {
        lastGeneration_ = p.generation;
        lastReported_ = 0;
    }
    if (p.state == TransportState::Stopped) {
        lastReported_ = 0;
        return 0;
    }
    qint64 samples = p.played;
    if (p.state == TransportState::Playing && p.advancing) {
        // The worker reports every pump; in between the sound goes on at the sample rate.
        const auto now = now_ ? now_() : PlayPosition::Clock::now();
        const double seconds = std::chrono::duration<double>(now - p.at).count();
        const qint64 ahead = std::min<qint64>(qint64(seconds * sampleRate_ * p.tempo),
                                              sampleRate_ * kMaxExtrapolationMs / 1000);
        samples = std::min(p.played + std::max<qint64>(ahead, 0), std::max(p.queuedEnd, p.played));
    }
    samples = std::max(samples, lastReported_);
    lastReported_ = samples;
    return samples;
}

int Engine::vbmp3_getState(int* seconds)
{
    const qint64 samples = vbmp3_getPlaySamples();
    if (seconds)
        *seconds = sampleRate_ > 0 ? int(samples / sampleRate_) : 0;
    if (!IsOpen() || !worker_)
        return 0;
    return int(worker_->transport.Position().state);
}

qint64 Engine::StandardToWinAmpMs(qint64 samples) const
{
    if (sampleRate_ <= 0)
        return 0;
    return qint64(std::floor(double(samples) * 1000.0 / sampleRate_ * ratio_));
}

int Engine::vbmp3_getWinampPlayMs()
{
    return int(StandardToWinAmpMs(vbmp3_getPlaySamples()));
}

int Engine::vbmp3_getWinampTotalSec() const
{
    return int(StandardToWinAmpMs(lengthSamples_) / 1000);
}

bool Engine::Audible()
{
    if (!worker_)
        return false;
    bool audible = false;
    RunOnWorker([&] { audible = worker_->transport.Audible(); });
    return audible;
}

bool Engine::FellBack()
{
    if (!worker_)
        return false;
    bool fellBack = false;
    RunOnWorker([&] { fellBack = worker_->transport.FellBack(); });
    return fellBack;
}

} // namespace playback
