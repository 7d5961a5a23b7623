// The engine calls end to end, on the engine's worker thread, with silent outputs.
#include "playback/engine.h"
#include "playback/tests/enginetesting.h"
#include "playback/tests/testsongs.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace playback;
using namespace enginetesting;

namespace {

constexpr double kFast = 20.0;

QString Song(const QString& name, double seconds, int rate = 44100)
{
    return testsongs::WriteTemp(name, testsongs::SilentSong(seconds, rate));
}

/// A silent output whose device goes away after `failAfter` frames.
class VanishingOutput final : public AudioOutput {
public:
    explicit VanishingOutput(qint64 failAfter) : inner_(1.0), failAfter_(failAfter) {}
    void SetBufferMs(int ms) override { inner_.SetBufferMs(ms); }
    bool Start(int rate) override { return inner_.Start(rate); }
    qint64 FreeFrames() override { return gone_ ? 0 : inner_.FreeFrames(); }
    qint64 Write(const qint16* s, qint64 n) override { return gone_ ? 0 : inner_.Write(s, n); }
    qint64 PlayedFrames() override { return gone_ ? 0 : inner_.PlayedFrames(); }
    void Suspend() override { inner_.Suspend(); }
    void Resume() override { inner_.Resume(); }
    void Stop() override { inner_.Stop(); }
    bool HasFailed() override { return gone_ = gone_ || inner_.PlayedFrames() >= failAfter_; }
    bool IsAudible() const override { return true; }

private:
    SilentOutput inner_;
    qint64 failAfter_;
    bool gone_ = false;
};

} // namespace

TEST(EngineTransport, CallsFollowTheStateMachineAndNotifyOnTheCallingThread)
{
    Engine engine(SilentOutputFactory(kFast));
    ASSERT_EQ(engine.vbmp3_init(), 1);
    NoteRecorder rec(engine);
    songfiles::MpegInfo info;
    ASSERT_NE(engine.vbmp3_open(Song("seq.mp3", 3.0), &info), 0);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(info.playSeconds, int(engine.LengthSamples() / 44100));
    EXPECT_EQ(info.playSeconds, 3);
    int seconds = -1;
    EXPECT_EQ(engine.vbmp3_getState(&seconds), 0);
    EXPECT_EQ(seconds, 0);

    ASSERT_NE(engine.vbmp3_play(), 0);
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 1);
    ASSERT_TRUE(WaitFor([&] { return engine.vbmp3_getPlaySamples() > 30000; }));
    ASSERT_NE(engine.vbmp3_pause(), 0);
    EXPECT_EQ(engine.vbmp3_getState(&seconds), 2);
    const qint64 held = engine.vbmp3_getPlaySamples();
    ASSERT_NE(engine.vbmp3_restart(), 0);
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 1);
    EXPECT_GE(engine.vbmp3_getPlaySamples(), held);
    ASSERT_NE(engine.vbmp3_stop(), 0);
    EXPECT_EQ(engine.vbmp3_getState(&seconds), 0);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(engine.vbmp3_getPlaySamples(), 0);
    Drain();

    ASSERT_GE(rec.notes.size(), 4u);
    EXPECT_EQ(rec.notes.front(), (Note{2, 0}));
    std::vector<int> kinds;
    for (const Note& n : rec.notes)
        if (kinds.empty() || kinds.back() != n.message)
            kinds.push_back(n.message);
    EXPECT_EQ(kinds, (std::vector<int>{2, 3, 2, 1}));
    EXPECT_EQ(rec.offThread, 0);

    ASSERT_NE(engine.vbmp3_close(), 0);
    EXPECT_EQ(engine.vbmp3_play(), 0);
    EXPECT_EQ(engine.vbmp3_getLastErrorNo(), kErrNotOpen);
}

TEST(EngineTransport, PositionsAdvanceAtRealTimeRate)
{
    Engine engine(SilentOutputFactory(1.0));
    ASSERT_NE(engine.vbmp3_open(Song("rate.mp3", 3.0), nullptr), 0);
    ASSERT_NE(engine.vbmp3_play(), 0);
    ASSERT_TRUE(WaitFor([&] { return engine.vbmp3_getPlaySamples() > 4410; }));
    QElapsedTimer clock;
    clock.start();
    const qint64 first = engine.vbmp3_getPlaySamples();
    ASSERT_TRUE(WaitFor([&] { return clock.elapsed() >= 1500; }));
    const qint64 last = engine.vbmp3_getPlaySamples();
    const double wall = clock.nsecsElapsed() / 1e9;
    const double played = double(last - first) / 44100;
    EXPECT_NEAR(played / wall, 1.0, 0.02) << "played " << played << " s in " << wall << " s";
}

TEST(EngineTransport, PositionsNeverGoBackWhilePlaying)
{
    Engine engine(SilentOutputFactory(1.0));
    ASSERT_NE(engine.vbmp3_open(Song("mono.mp3", 2.0), nullptr), 0);
    engine.vbmp3_play();
    qint64 last = 0;
    int reads = 0;
    WaitFor([&] {
        const qint64 now = engine.vbmp3_getPlaySamples();
        EXPECT_GE(now, last);
        last = now;
        return ++reads > 300;
    });
}

TEST(EngineSeek, LandsWithinOneFrameOfTheTarget)
{
    Engine engine(SilentOutputFactory(1.0));
    ASSERT_NE(engine.vbmp3_open(Song("seek.mp3", 4.0), nullptr), 0);
    engine.vbmp3_play();
    ASSERT_NE(engine.vbmp3_seek(2), 0);
    qint64 at = engine.vbmp3_getPlaySamples();
    EXPECT_GE(at, 2 * 44100);
    EXPECT_LT(at, 2 * 44100 + 1152);
    ASSERT_NE(engine.SeekSamples(100000), 0);
    at = engine.vbmp3_getPlaySamples();
    EXPECT_GE(at, 100000);
    EXPECT_LT(at, 100000 + 1152);
    engine.vbmp3_quickSeek(1);
    ASSERT_NE(engine.SeekSamples(100000), 0);
    at = engine.vbmp3_getPlaySamples();
    EXPECT_GE(at, 100000 - 1152);
    EXPECT_LT(at, 100000);
    // Backwards too.
    engine.vbmp3_quickSeek(0);
    ASSERT_NE(engine.vbmp3_seek(1), 0);
    at = engine.vbmp3_getPlaySamples();
    EXPECT_GE(at, 44100);
    EXPECT_LT(at, 44100 + 1152);
}

TEST(EngineSeek, FromStoppedPlaybackResumesThere)
{
    Engine engine(SilentOutputFactory(1.0));
    NoteRecorder rec(engine);
    ASSERT_NE(engine.vbmp3_open(Song("resume.mp3", 4.0), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_stop();
    ASSERT_NE(engine.vbmp3_seek(2), 0);
    int seconds = -1;
    EXPECT_EQ(engine.vbmp3_getState(&seconds), 1);
    EXPECT_EQ(seconds, 2);
    Drain();
    EXPECT_EQ(rec.notes.back(), (Note{2, 2}));
}

TEST(EngineSeek, WhilePausedMovesWithoutPlaying)
{
    Engine engine(SilentOutputFactory(1.0));
    ASSERT_NE(engine.vbmp3_open(Song("paused.mp3", 4.0), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_pause();
    ASSERT_NE(engine.vbmp3_seek(3), 0);
    int seconds = -1;
    EXPECT_EQ(engine.vbmp3_getState(&seconds), 2);
    EXPECT_EQ(seconds, 3);
    EXPECT_EQ(engine.vbmp3_getPlaySamples(), 3 * 44100);
    QThread::msleep(30);
    EXPECT_EQ(engine.vbmp3_getPlaySamples(), 3 * 44100);
    engine.vbmp3_restart();
    ASSERT_TRUE(WaitFor([&] { return engine.vbmp3_getPlaySamples() > 3 * 44100 + 441; }));
}

TEST(EngineTransport, EndOfSongGivesFinishedThenStopped)
{
    Engine engine(SilentOutputFactory(kFast));
    NoteRecorder rec(engine);
    ASSERT_NE(engine.vbmp3_open(Song("end.mp3", 2.2), nullptr), 0);
    engine.vbmp3_play();
    ASSERT_TRUE(WaitFor([&] { return rec.Has(4); }));
    EXPECT_EQ(rec.notes.back(), (Note{4, 2}));
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 0);
    EXPECT_EQ(engine.vbmp3_getPlaySamples(), 0);
    Drain();
    EXPECT_EQ(rec.notes.back().message, 4); // the label keeps "DONE"
    // The song stays opened: play starts it again.
    rec.notes.clear();
    ASSERT_NE(engine.vbmp3_play(), 0);
    Drain();
    EXPECT_EQ(rec.notes.front(), (Note{2, 0}));
}

TEST(EngineTransport, StoppedCallbackReceivesNothingMore)
{
    Engine engine(SilentOutputFactory(kFast));
    NoteRecorder rec(engine);
    ASSERT_NE(engine.vbmp3_open(Song("quiet.mp3", 1.0), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_stopCallback();
    engine.vbmp3_stop();
    WaitFor([] { return false; }, 100);
    EXPECT_TRUE(rec.notes.empty());
}

TEST(EngineTransport, FreeReleasesAndTheEngineCanStartAgain)
{
    Engine engine(SilentOutputFactory(kFast));
    ASSERT_NE(engine.vbmp3_open(Song("free.mp3", 1.0), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_stop();
    engine.vbmp3_stopCallback();
    ASSERT_EQ(engine.vbmp3_free(), 1);
    EXPECT_FALSE(engine.IsOpen());
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 0);
    ASSERT_EQ(engine.vbmp3_init(), 1);
    ASSERT_NE(engine.vbmp3_open(Song("free.mp3", 1.0), nullptr), 0);
    EXPECT_NE(engine.vbmp3_play(), 0);
}

TEST(EngineClock, WinAmpClockScalesStandardTime)
{
    Engine engine(SilentOutputFactory(1.0));
    ASSERT_NE(engine.vbmp3_open(Song("clock441.mp3", 12.0), nullptr), 0);
    const qint64 length = engine.LengthSamples();
    EXPECT_EQ(engine.vbmp3_getWinampTotalSec(), int(double(length) / 44100 * 0.9953125));
    engine.vbmp3_play();
    engine.vbmp3_pause();
    engine.SeekSamples(441000); // 10 s
    EXPECT_EQ(engine.vbmp3_getWinampPlayMs(), 9953);

    ASSERT_NE(engine.vbmp3_open(Song("clock48.mp3", 2.0, 48000), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_pause();
    engine.SeekSamples(48000);
    EXPECT_EQ(engine.vbmp3_getWinampPlayMs(), 1000);
    EXPECT_DOUBLE_EQ(engine.WinAmpRatio(), 1.0);
}

TEST(EngineOutput, LostDeviceFallsBackToSilenceAndPlaysOn)
{
    Engine engine([] { return std::make_unique<VanishingOutput>(20000); });
    NoteRecorder rec(engine);
    ASSERT_NE(engine.vbmp3_open(Song("vanish.mp3", 0.8), nullptr), 0);
    engine.vbmp3_play();
    EXPECT_TRUE(engine.Audible());
    ASSERT_TRUE(WaitFor([&] { return engine.FellBack(); }));
    EXPECT_FALSE(engine.Audible());
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 1);
    // It goes on from about where the device went away (found at the next pump, at most
    // a quarter second later), not from the start.
    const qint64 at = engine.vbmp3_getPlaySamples();
    EXPECT_GE(at, 20000 - 1152);
    EXPECT_LE(at, 20000 + 44100 * 3 / 10);
    ASSERT_TRUE(WaitFor([&] { return rec.Has(4); }));
}

TEST(EngineBadFiles, OpenFailsWithAnErrorNumber)
{
    Engine engine(SilentOutputFactory(kFast));
    EXPECT_EQ(engine.vbmp3_open(QStringLiteral("/nonexistent/none.mp3"), nullptr), 0);
    EXPECT_EQ(engine.vbmp3_getLastErrorNo(), kErrCannotRead);
    EXPECT_FALSE(engine.LastErrorText().isEmpty());

    EXPECT_EQ(engine.vbmp3_open(testsongs::WriteTemp("text.mp3", "not a song at all\r\n"), nullptr), 0);
    EXPECT_EQ(engine.vbmp3_getLastErrorNo(), kErrNotMpeg);

    QByteArray wav("RIFF\x24\0\0\0WAVEfmt ", 16);
    EXPECT_EQ(engine.vbmp3_open(testsongs::WriteTemp("sound.wav", wav + QByteArray(40, '\0')), nullptr), 0);
    EXPECT_EQ(engine.vbmp3_getLastErrorNo(), kErrNotMpeg);

    EXPECT_EQ(engine.vbmp3_open(testsongs::WriteTemp("empty.mp3", QByteArray()), nullptr), 0);
    EXPECT_EQ(engine.vbmp3_getLastErrorNo(), kErrNotMpeg);

    // A failed open leaves nothing opened.
    EXPECT_FALSE(engine.IsOpen());
    EXPECT_EQ(engine.vbmp3_play(), 0);
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 0);

    // A good file opens after the failures, with the error number cleared.
    EXPECT_NE(engine.vbmp3_open(Song("good.mp3", 0.5), nullptr), 0);
    EXPECT_EQ(engine.vbmp3_getLastErrorNo(), kErrNone);
}

TEST(EngineBadFiles, DamagedSongsPlayWhatCanBeDecodedToTheEnd)
{
    QByteArray garbage = testsongs::SilentFrames(20);
    garbage += QByteArray(5000, '\x55');
    garbage += testsongs::SilentFrames(20);
    QByteArray truncated = testsongs::SilentFrames(30);
    truncated.chop(300);
    QByteArray badRmp = testsongs::Rmp(testsongs::SilentFrames(30));
    badRmp.chop(badRmp.size() / 2); // the data chunk claims more than the file holds

    Engine engine(SilentOutputFactory(kFast));
    NoteRecorder rec(engine);
    for (const auto& [name, bytes] : {std::pair{"garbage.mp3", garbage}, std::pair{"truncated.mp3", truncated},
                                      std::pair{"short.rmp", badRmp}}) {
        rec.notes.clear();
        ASSERT_NE(engine.vbmp3_open(testsongs::WriteTemp(name, bytes), nullptr), 0) << name;
        ASSERT_NE(engine.vbmp3_play(), 0) << name;
        EXPECT_TRUE(WaitFor([&] { return rec.Has(4); })) << name;
    }
}
