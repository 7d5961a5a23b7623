// Slowed playback on the silent output, driven by a hand-moved clock: what is heard at
// half and three-quarter speed is captured at the same song time as at full speed.
#include "playback/engine.h"
#include "playback/playalong.h"
#include "playback/songstream.h"
#include "playback/tests/enginetesting.h"
#include "playback/tests/testsongs.h"
#include "playback/transport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

using namespace playback;
using enginetesting::ManualClock;

namespace {

/// The silent output, keeping every sample written so the test can "hear" them.
class RecordingOutput final : public AudioOutput {
public:
    RecordingOutput(SteadyNow now, std::vector<qint16>* heard, SilentOutput** self)
        : inner_(1.0, std::move(now)), heard_(heard)
    {
        *self = &inner_;
    }
    void SetBufferMs(int ms) override { inner_.SetBufferMs(ms); }
    bool Start(int rate) override
    {
        heard_->clear();
        return inner_.Start(rate);
    }
    qint64 FreeFrames() override { return inner_.FreeFrames(); }
    qint64 Write(const qint16* s, qint64 n) override
    {
        const qint64 taken = inner_.Write(s, n);
        heard_->insert(heard_->end(), s, s + taken * 2);
        return taken;
    }
    qint64 PlayedFrames() override { return inner_.PlayedFrames(); }
    void Suspend() override { inner_.Suspend(); }
    void Resume() override { inner_.Resume(); }
    void Stop() override { inner_.Stop(); }
    bool HasFailed() override { return false; }
    bool IsAudible() const override { return false; }

private:
    SilentOutput inner_;
    std::vector<qint16>* heard_;
};

/// Plays the bursts song at `tempo` and captures (standard time, no lag) the moment
/// each burst starts to be heard.
std::vector<int> CapturesAt(const QString& path, double tempo)
{
    ManualClock clock;
    std::vector<qint16> written;
    SilentOutput* output = nullptr;
    Transport transport([&] { return std::make_unique<RecordingOutput>(clock.Source(), &written, &output); }, {});
    transport.SetClock(clock.Source());
    transport.SetBuffering({320, 160, 5});
    SongStream stream;
    auto decoder = std::make_unique<Decoder>();
    if (FindSongStream(path, &stream) != StreamError::None || decoder->Open(path, stream.range) != DecoderError::None)
        return {};
    const int rate = decoder->SampleRate();
    transport.Load(std::move(decoder));
    transport.SetTempo(tempo);

    PlayAlong model;
    model.Load(QStringLiteral("[00:01:00]a\r\n[00:02:00]b\r\n"), false);
    std::vector<int> captures;
    qint64 heardUpTo = 0;
    qint64 quiet = rate;
    transport.Play();
    for (int step = 0; step < 20000 && transport.State() == TransportState::Playing; ++step) {
        clock.Advance(std::chrono::microseconds(2000));
        transport.Pump();
        const qint64 played = transport.Position().played;
        // What the output has played (heard) by now.
        const qint64 outPlayed = output ? std::min<qint64>(output->PlayedFrames(), qint64(written.size() / 2)) : 0;
        for (; heardUpTo < outPlayed; ++heardUpTo) {
            if (std::abs(written[size_t(heardUpTo) * 2]) > 3000) {
                if (quiet > rate / 10)
                    captures.push_back(model.Capture(Reference::First, played, rate));
                quiet = 0;
            } else {
                ++quiet;
            }
        }
    }
    return captures;
}

} // namespace

TEST(SlowedPlayback, CapturesAtHalfAndThreeQuarterSpeedMatchFullSpeed)
{
    const QByteArray song = testsongs::EncodedBursts(6.0, 700);
    if (song.isEmpty())
        GTEST_SKIP() << "lame is needed to make the song";
    const QString path = testsongs::WriteTemp(QStringLiteral("tempo-bursts.mp3"), song);
    const std::vector<int> full = CapturesAt(path, 1.0);
    const std::vector<int> half = CapturesAt(path, 0.5);
    const std::vector<int> slow = CapturesAt(path, 0.75);
    ASSERT_EQ(full.size(), 8u);
    ASSERT_EQ(half.size(), full.size());
    ASSERT_EQ(slow.size(), full.size());
    // One MPEG frame of 1 152 samples at 44 100 Hz is 26 ms.
    for (size_t k = 0; k < full.size(); ++k) {
        EXPECT_NEAR(full[k], 1000 + 700 * int(k), 26) << "burst " << k;
        EXPECT_NEAR(half[k], full[k], 26) << "burst " << k;
        EXPECT_NEAR(slow[k], full[k], 26) << "burst " << k;
    }
}

TEST(SlowedPlayback, EngineKeepsSongTimeAndFinishesAtHalfSpeed)
{
    // The engine's read-outs at half speed advance at half the clock's rate, and the song
    // still ends with its own length.
    ManualClock clock;
    Engine engine(SilentOutputFactory(1.0, clock.Source()));
    engine.SetClock(clock.Source());
    enginetesting::NoteRecorder rec(engine);
    const QString path = testsongs::WriteTemp(QStringLiteral("half.mp3"), testsongs::SilentSong(1.5));
    songfiles::MpegInfo info;
    ASSERT_NE(engine.vbmp3_open(path, &info), 0);
    engine.SetTempo(0.5);
    // Five seconds queued: the output never runs dry between the worker's pumps.
    engine.vbmp3_setVbmp3Option(500, 400, 1, 0);
    EXPECT_EQ(engine.Tempo(), 0.5);
    ASSERT_NE(engine.vbmp3_play(), 0);
    qint64 at1s = -1;
    for (int ms = 0; ms < 4000 && engine.vbmp3_getState(nullptr) != 0; ms += 5) {
        if (ms == 1000) {
            // The clock stands still while the worker catches up: the read-out is exact.
            enginetesting::WaitFor([] { return false; }, 300);
            at1s = engine.vbmp3_getPlaySamples();
        }
        clock.Advance(std::chrono::milliseconds(5));
        enginetesting::WaitFor([] { return false; }, 1);
    }
    enginetesting::Drain();
    // One second of clock at half speed is half a second of song (within a frame).
    EXPECT_NEAR(double(at1s), 0.5 * 44100 + 0.036 * 44100, 1152.0);
    EXPECT_TRUE(rec.Has(4));
}
