// Engine benchmarks: decoding speed, CPU use while playing in real time with the
// workbench's lyric poll, the cost of one lyric-state read-out, and the latency between
// vbmp3_getPlaySamples and the sound (needs an audio device that can be recorded from
// its monitor, e.g. a PulseAudio null sink: see measure_latency.sh).
#include "playback/decoder.h"
#include "playback/engine.h"
#include "playback/envelope.h"
#include "playback/playerstrip.h"
#include "playback/lyrictiming.h"
#include "playback/songstream.h"
#include "playback/tests/testsongs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

using namespace playback;

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

const QString& TonePath()
{
    static const QString path = testsongs::WriteTemp(QStringLiteral("bench-tone.mp3"), testsongs::EncodedTone(30.0));
    return path;
}

/// 150 karaoke lines of ten segments each, two seconds a line.
const QString& LyricsPath()
{
    static const QString path = [] {
        QString text;
        for (int line = 0; line < 150; ++line) {
            for (int piece = 0; piece < 10; ++piece) {
                const int ms = line * 2000 + piece * 200;
                text += QStringLiteral("[%1:%2:%3]").arg(ms / 60000, 2, 10, QLatin1Char('0'))
                            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                            .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0'));
                text += QString::fromUtf8("うた");
            }
            text += QStringLiteral("\r\n");
        }
        return testsongs::WriteTemp(QStringLiteral("bench-lyrics.txt"), text.toUtf8());
    }();
    return path;
}

void BM_DecodeWholeSong(benchmark::State& state)
{
    SongStream stream;
    if (TonePath().isEmpty() || FindSongStream(TonePath(), &stream) != StreamError::None) {
        state.SkipWithError("lame is needed to make the song");
        return;
    }
    std::vector<qint16> buffer(4608 * 2);
    double audioSeconds = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        Decoder d;
        if (d.Open(TonePath(), stream.range) != DecoderError::None) {
            state.SkipWithError("cannot open the song");
            return;
        }
        qint64 frames = 0;
        while (qint64 n = d.Read(buffer.data(), 4608))
            frames += n;
        benchmark::DoNotOptimize(buffer.data());
        cpu += ThreadCpuSeconds() - start;
        audioSeconds += double(frames) / d.SampleRate();
    }
    state.counters["x_realtime"] = audioSeconds / cpu;
}
BENCHMARK(BM_DecodeWholeSong)->Unit(benchmark::kMillisecond)->Iterations(5);

// Plays 10 s in real time while a 50 ms timer reads position and lyric state the way
// the player strip does. Arguments: output (0 silent, 1 default device, 2 none: the
// song stays stopped, which measures the poll alone), pump interval in ms (the third
// buffering integer: 1, 5 or 25).
void BM_PlayWithLyricPoll(benchmark::State& state)
{
    const bool device = state.range(0) == 1;
    const bool play = state.range(0) != 2;
    const int period = int(state.range(1));
    for (auto _ : state) {
        Engine engine(device ? DeviceOutputFactory() : SilentOutputFactory());
        engine.vbmp3_init();
        engine.vbmp3_setKaraokeUse(1);
        engine.vbmp3_setLyricsNextAdjustTime(500);
        engine.vbmp3_useAtMarkTag(2);
        if (!engine.vbmp3_open(TonePath(), nullptr)) {
            state.SkipWithError("cannot open the song");
            return;
        }
        engine.vbmp3_setVbmp3Option(32, 16, period, 0);
        engine.vbmp3_setLyricsFile(LyricsPath());
        engine.vbmp3_setLyricsTime(0);
        if (device && !engine.Audible()) {
            engine.vbmp3_play();
            if (!engine.Audible()) {
                state.SkipWithError("no audio device");
                return;
            }
            engine.vbmp3_stop();
        }
        QEventLoop loop;
        QTimer poll;
        int polls = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            LyricState s;
            benchmark::DoNotOptimize(engine.vbmp3_getWinampPlayMs());
            benchmark::DoNotOptimize(engine.vbmp3_getWinampTotalSec());
            engine.vbmp3_getLyrics2(&s);
            int seconds = 0;
            engine.vbmp3_getState(&seconds);
            ++polls;
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = Clock::now();
        if (play)
            engine.vbmp3_play();
        poll.start(50);
        loop.exec();
        const double cpu = ProcessCpuSeconds() - cpu0;
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        engine.vbmp3_stop();
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["polls"] = polls;
        state.SetIterationTime(wall);
    }
}
BENCHMARK(BM_PlayWithLyricPoll)
    ->ArgNames({"device", "period_ms"})
    ->Args({2, 1})
    ->Args({0, 1})->Args({0, 5})->Args({0, 25})
    ->Args({1, 1})->Args({1, 5})->Args({1, 25})
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LyricStateAt(benchmark::State& state)
{
    QString text;
    {
        QFile f(LyricsPath());
        f.open(QIODevice::ReadOnly);
        text = QString::fromUtf8(f.readAll());
    }
    LyricTimer timer;
    timer.SetText(text);
    timer.SetSongEndMs(300000);
    qint64 ms = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(timer.StateAt(ms));
        ms = (ms + 50) % 300000;
    }
}
BENCHMARK(BM_LyricStateAt);

/// The song for the latency probe: silence with a 50 ms burst every half second.
struct BurstSong {
    QString path;
    std::vector<qint64> onsets; // in samples, as the decoder delivers them
};

const BurstSong& Bursts()
{
    static const BurstSong song = [] {
        BurstSong s;
        const int rate = 44100;
        const int frames = 5 * rate;
        std::vector<qint16> pcm(size_t(frames) * 2, 0);
        for (int k = 0; k < 7; ++k) {
            const int at = rate + k * rate / 2;
            for (int i = 0; i < rate / 20; ++i)
                pcm[size_t(at + i) * 2] = pcm[size_t(at + i) * 2 + 1] = qint16(16000 * std::sin(2 * M_PI * 1000.0 * i / rate));
        }
        QByteArray wav("RIFF");
        auto le32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char(v >> (8 * i))); };
        le32(36 + frames * 4);
        wav.append("WAVEfmt ");
        le32(16);
        wav.append("\x01\x00\x02\x00", 4);
        le32(rate);
        le32(rate * 4);
        wav.append("\x04\x00\x10\x00", 4);
        wav.append("data");
        le32(frames * 4);
        wav.append(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size() * 2));
        const QString wavPath = testsongs::WriteTemp(QStringLiteral("bursts.wav"), wav);
        s.path = wavPath + QStringLiteral(".mp3");
        const QString cmd = QStringLiteral("lame --quiet -b 192 '%1' '%2'").arg(wavPath, s.path);
        if (std::system(cmd.toLocal8Bit().constData()) != 0)
            return BurstSong{};
        // Where the decoder puts the bursts.
        SongStream stream;
        Decoder d;
        if (FindSongStream(s.path, &stream) != StreamError::None || d.Open(s.path, stream.range) != DecoderError::None)
            return BurstSong{};
        std::vector<qint16> buf(1152 * 2);
        qint64 pos = 0;
        qint64 quietSince = 0;
        while (qint64 n = d.Read(buf.data(), 1152)) {
            for (qint64 i = 0; i < n; ++i, ++pos) {
                if (std::abs(buf[size_t(i) * 2]) > 3000) {
                    if (pos - quietSince > rate / 10)
                        s.onsets.push_back(pos);
                    quietSince = pos;
                }
            }
        }
        return s;
    }();
    return song;
}

/// Records the default sink's monitor and notes when each burst arrives.
class MonitorRecorder {
public:
    bool Start(int seconds)
    {
        const QString cmd = QStringLiteral("timeout %1 parec --raw --format=s16le --rate=44100 --channels=1 "
                                           "--latency-msec=2 -d @DEFAULT_MONITOR@")
                                .arg(seconds);
        pipe_ = popen(cmd.toLocal8Bit().constData(), "r");
        if (!pipe_)
            return false;
        reader_ = std::thread([this] { Run(); });
        return true;
    }
    void Finish()
    {
        if (reader_.joinable())
            reader_.join();
        if (pipe_)
            pclose(pipe_);
        pipe_ = nullptr;
    }
    std::vector<Clock::time_point> Onsets()
    {
        std::lock_guard lock(mutex_);
        return onsets_;
    }
    qint64 Received() const { return received_; }

private:
    void Run()
    {
        constexpr int kChunk = 32;
        qint16 chunk[kChunk];
        qint64 quiet = 0;
        for (;;) {
            const size_t got = fread(chunk, sizeof(qint16), kChunk, pipe_);
            const auto arrived = Clock::now();
            if (got == 0)
                break;
            for (size_t i = 0; i < got; ++i) {
                if (std::abs(chunk[i]) > 3000) {
                    if (quiet > 4410) {
                        // The sample left the sink (got - i) samples before the chunk arrived.
                        std::lock_guard lock(mutex_);
                        onsets_.push_back(arrived - std::chrono::microseconds(qint64(got - i) * 1000000 / 44100));
                    }
                    quiet = 0;
                } else {
                    ++quiet;
                }
            }
            received_ += qint64(got);
        }
    }

    FILE* pipe_ = nullptr;
    std::thread reader_;
    std::mutex mutex_;
    std::vector<Clock::time_point> onsets_;
    std::atomic<qint64> received_{0};
};

// Time from vbmp3_getPlaySamples reaching a burst's first sample to that sample
// arriving at the device's monitor. Positive: the report comes before the sound.
void BM_PlaySamplesToSoundLatency(benchmark::State& state)
{
    const BurstSong& song = Bursts();
    if (song.onsets.size() < 5) {
        state.SkipWithError("lame is needed to make the song");
        return;
    }
    for (auto _ : state) {
        Engine engine(DeviceOutputFactory());
        engine.vbmp3_init();
        if (!engine.vbmp3_open(song.path, nullptr)) {
            state.SkipWithError("cannot open the song");
            return;
        }
        engine.vbmp3_setVbmp3Option(32, 16, 1, 0);
        MonitorRecorder recorder;
        if (!recorder.Start(12)) {
            state.SkipWithError("parec is needed");
            return;
        }
        for (int i = 0; i < 300 && recorder.Received() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (recorder.Received() == 0) {
            recorder.Finish();
            state.SkipWithError("nothing to record from: no PulseAudio sink monitor");
            return;
        }
        engine.vbmp3_play();
        if (!engine.Audible()) {
            recorder.Finish();
            state.SkipWithError("no audio device");
            return;
        }
        std::vector<Clock::time_point> reported;
        while (engine.vbmp3_getState(nullptr) != 0) {
            const qint64 s = engine.vbmp3_getPlaySamples();
            const auto now = Clock::now();
            while (reported.size() < song.onsets.size() && s >= song.onsets[reported.size()])
                reported.push_back(now - std::chrono::microseconds((s - song.onsets[reported.size()]) * 1000000 / 44100));
            std::this_thread::sleep_for(std::chrono::microseconds(250));
            QCoreApplication::processEvents();
        }
        recorder.Finish();
        const auto heard = recorder.Onsets();
        const size_t n = std::min(heard.size(), reported.size());
        if (n < 5 || heard.size() != song.onsets.size()) {
            state.SkipWithError("the bursts were not all recorded");
            return;
        }
        double sum = 0, lo = 1e9, hi = -1e9;
        for (size_t k = 0; k < n; ++k) {
            const double ms = std::chrono::duration<double, std::milli>(heard[k] - reported[k]).count();
            sum += ms;
            lo = std::min(lo, ms);
            hi = std::max(hi, ms);
        }
        state.counters["latency_ms_mean"] = sum / double(n);
        state.counters["latency_ms_min"] = lo;
        state.counters["latency_ms_max"] = hi;
        state.counters["bursts"] = double(n);
    }
}
BENCHMARK(BM_PlaySamplesToSoundLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

// The waveform's envelope of a 5-minute song (decoded once, 2 000 buckets).
void BM_EnvelopeFiveMinutes(benchmark::State& state)
{
    static const QString path = testsongs::WriteTemp(QStringLiteral("bench-5min.mp3"), testsongs::EncodedTone(300.0));
    if (path.isEmpty() || QFileInfo(path).size() == 0) {
        state.SkipWithError("lame is needed to make the song");
        return;
    }
    for (auto _ : state) {
        Envelope e;
        if (ComputeEnvelope(path, 2000, &e) != EnvelopeStatus::Done) {
            state.SkipWithError("cannot decode the song");
            return;
        }
        benchmark::DoNotOptimize(e.high.data());
    }
}
BENCHMARK(BM_EnvelopeFiveMinutes)->Unit(benchmark::kMillisecond)->Iterations(3);

// The player strip on the silent output for 10 s with its 50 ms lyrics tick: how long
// after the engine's position crosses a line's tag the strip shows that line, and the
// process's CPU share meanwhile. Argument: tempo in percent (100, 75, 50).
void BM_StripTagDelayAndCpu(benchmark::State& state)
{
    const double tempo = double(state.range(0)) / 100.0;
    // A line every 737 ms, so the tags fall at every phase of the 50 ms tick.
    static const QString lyricsPath = [] {
        QString text;
        for (int k = 0; k < 40; ++k) {
            const int ms = 300 + k * 737;
            text += QStringLiteral("[%1:%2:%3]line%4\r\n").arg(ms / 60000, 2, 10, QLatin1Char('0'))
                        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0')).arg(ms % 1000 / 10, 2, 10, QLatin1Char('0')).arg(k);
        }
        return testsongs::WriteTemp(QStringLiteral("bench-strip.txt"), text.toUtf8());
    }();
    for (auto _ : state) {
        Engine engine(SilentOutputFactory());
        engine.vbmp3_init();
        engine.vbmp3_setKaraokeUse(1);
        engine.vbmp3_setLyricsNextAdjustTime(0);
        PlayerStrip strip(engine, [](const QString& s) { return int(s.size()) * 12; });
        strip.SetSong(TonePath());
        strip.SetInputSleep(1);
        strip.SetApplyLyricSource([&] {
            engine.vbmp3_clearLyrics();
            engine.vbmp3_setLyricsFile(lyricsPath);
            engine.vbmp3_setLyricsTime(1);
        });
        engine.SetTempo(tempo);
        if (strip.PlayPause() != PlayerStrip::PlayResult::Started) {
            state.SkipWithError("cannot play the song");
            return;
        }
        QEventLoop loop;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QString shown;
        std::vector<double> delays;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            strip.LyricsTick();
            if (strip.View().lines[2] != shown) {
                shown = strip.View().lines[2];
                // The tag of line k is at 300 + 737 k ms of song time.
                const int k = shown.mid(4).toInt();
                const double now = double(engine.vbmp3_getPlaySamples()) * 1000.0 / engine.SampleRate();
                if (!shown.isEmpty() && k > 0)
                    delays.push_back(now - (300.0 + 737.0 * k));
            }
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = Clock::now();
        tick.start(50);
        loop.exec();
        const double cpu = ProcessCpuSeconds() - cpu0;
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        strip.Stop();
        double sum = 0, hi = 0;
        for (double d : delays) {
            sum += d;
            hi = std::max(hi, d);
        }
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["delay_ms_mean"] = delays.empty() ? -1 : sum / double(delays.size());
        state.counters["delay_ms_max"] = hi;
        state.counters["lines"] = double(delays.size());
        state.SetIterationTime(wall);
    }
}
BENCHMARK(BM_StripTagDelayAndCpu)->ArgName("tempo_pct")->Arg(100)->Arg(50)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
