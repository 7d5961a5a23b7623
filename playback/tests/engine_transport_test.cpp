// The transport state machine driven directly, with silent outputs that run faster
// than real time (these tests do not measure rates).
#include "playback/songstream.h"
#include "playback/transport.h"
#include "playback/tests/testsongs.h"

#include <gtest/gtest.h>
#include <chrono>
#include <thread>
#include <vector>

using namespace playback;

namespace {

constexpr double kFast = 20.0;

struct Event {
    Notification what;
    int value;
    bool operator==(const Event&) const = default;
};

std::unique_ptr<Decoder> OpenSong(const QByteArray& bytes)
{
    const QString path = testsongs::WriteTemp(QStringLiteral("transport.mp3"), bytes);
    SongStream stream;
    if (FindSongStream(path, &stream) != StreamError::None)
        return nullptr;
    auto d = std::make_unique<Decoder>();
    if (d->Open(path, stream.range) != DecoderError::None)
        return nullptr;
    return d;
}

/// A silent output that reports a lost device once it has played `failAfter` frames,
/// and from then on claims to have played nothing.
class FailingOutput final : public AudioOutput {
public:
    explicit FailingOutput(qint64 failAfter, bool startFails = false)
        : inner_(kFast), failAfter_(failAfter), startFails_(startFails) {}
    void SetBufferMs(int ms) override { inner_.SetBufferMs(ms); }
    bool Start(int rate) override { return !startFails_ && inner_.Start(rate); }
    qint64 FreeFrames() override { return failed_ ? 0 : inner_.FreeFrames(); }
    qint64 Write(const qint16* s, qint64 n) override { return failed_ ? 0 : inner_.Write(s, n); }
    qint64 PlayedFrames() override { return failed_ ? 0 : inner_.PlayedFrames(); }
    void Suspend() override { inner_.Suspend(); }
    void Resume() override { inner_.Resume(); }
    void Stop() override { inner_.Stop(); }
    bool HasFailed() override
    {
        if (!failed_ && inner_.PlayedFrames() >= failAfter_)
            failed_ = true;
        return failed_;
    }
    bool IsAudible() const override { return true; }

private:
    SilentOutput inner_;
    qint64 failAfter_;
    bool startFails_;
    bool failed_ = false;
};

class TransportTest : public ::testing::Test {
protected:
    void Make(OutputFactory factory = SilentOutputFactory(kFast))
    {
        transport_ = std::make_unique<Transport>(std::move(factory), [this](Notification n, int v) {
            events_.push_back({n, v});
        });
        transport_->SetBuffering({200, 100, 5});
    }

    void Load(double seconds = 2.0)
    {
        auto d = OpenSong(testsongs::SilentSong(seconds));
        ASSERT_TRUE(d);
        transport_->Load(std::move(d));
    }

    /// Pumps like the worker does until `done` or about two seconds have passed.
    template<class Done>
    bool PumpUntil(Done done)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            transport_->Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    qint64 Played() const { return transport_->Position().played; }

    std::unique_ptr<Transport> transport_;
    std::vector<Event> events_;
};

} // namespace

TEST_F(TransportTest, PlayStartsAtTheBeginningAndReportsSecondZero)
{
    Make();
    Load();
    EXPECT_EQ(transport_->State(), TransportState::Stopped);
    ASSERT_TRUE(transport_->Play());
    EXPECT_EQ(transport_->State(), TransportState::Playing);
    EXPECT_EQ(events_, (std::vector<Event>{{Notification::Position, 0}}));
    EXPECT_EQ(transport_->Position().state, TransportState::Playing);
    EXPECT_TRUE(PumpUntil([&] { return Played() > 1000; }));
}

TEST_F(TransportTest, PositionNotificationsFollowWholeSeconds)
{
    Make();
    Load(2.5);
    transport_->Play();
    ASSERT_TRUE(PumpUntil([&] { return transport_->State() == TransportState::Stopped; }));
    EXPECT_EQ(events_, (std::vector<Event>{{Notification::Position, 0},
                                           {Notification::Position, 1},
                                           {Notification::Position, 2},
                                           {Notification::Finished, 2}}));
}

TEST_F(TransportTest, EndOfSongFinishesThenStandsStoppedAtZero)
{
    Make();
    Load(1.0);
    transport_->Play();
    ASSERT_TRUE(PumpUntil([&] { return transport_->State() == TransportState::Stopped; }));
    ASSERT_FALSE(events_.empty());
    EXPECT_EQ(events_.back().what, Notification::Finished);
    EXPECT_EQ(std::count_if(events_.begin(), events_.end(), [](const Event& e) { return e.what == Notification::Stopped; }), 0);
    EXPECT_EQ(transport_->Position().state, TransportState::Stopped);
    EXPECT_EQ(Played(), 0);
    // Play again starts over.
    events_.clear();
    ASSERT_TRUE(transport_->Play());
    EXPECT_EQ(events_, (std::vector<Event>{{Notification::Position, 0}}));
}

TEST_F(TransportTest, PauseHoldsThePositionAndResumeGoesOn)
{
    Make();
    Load();
    transport_->Play();
    ASSERT_TRUE(PumpUntil([&] { return Played() > 20000; }));
    ASSERT_TRUE(transport_->Pause());
    EXPECT_EQ(transport_->State(), TransportState::Paused);
    const qint64 held = Played();
    EXPECT_EQ(events_.back(), (Event{Notification::Paused, int(held / 44100)}));
    for (int i = 0; i < 10; ++i)
        transport_->Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    transport_->Pump();
    EXPECT_EQ(Played(), held);
    EXPECT_FALSE(transport_->Pause());
    ASSERT_TRUE(transport_->Resume());
    EXPECT_EQ(events_.back(), (Event{Notification::Position, int(held / 44100)}));
    ASSERT_TRUE(PumpUntil([&] { return Played() > held + 5000; }));
}

TEST_F(TransportTest, StopNotifiesOnceAndRewinds)
{
    Make();
    Load();
    transport_->Play();
    ASSERT_TRUE(PumpUntil([&] { return Played() > 10000; }));
    events_.clear();
    EXPECT_TRUE(transport_->Stop());
    EXPECT_TRUE(transport_->Stop());
    EXPECT_EQ(events_, (std::vector<Event>{{Notification::Stopped, 0}}));
    EXPECT_EQ(transport_->State(), TransportState::Stopped);
    EXPECT_EQ(Played(), 0);
}

TEST_F(TransportTest, TransitionsThatDoNotApplyChangeNothing)
{
    Make();
    EXPECT_FALSE(transport_->Play()); // nothing loaded
    EXPECT_FALSE(transport_->Seek(100));
    Load();
    EXPECT_FALSE(transport_->Pause());
    EXPECT_FALSE(transport_->Resume());
    EXPECT_TRUE(events_.empty());
    transport_->Play();
    EXPECT_FALSE(transport_->Resume());
    EXPECT_TRUE(transport_->Play()); // already playing
    EXPECT_EQ(events_.size(), 1u);
}

TEST_F(TransportTest, SeekFromStoppedPlaysFromThere)
{
    Make();
    Load();
    ASSERT_TRUE(transport_->Seek(44100));
    EXPECT_EQ(transport_->State(), TransportState::Playing);
    EXPECT_EQ(Played(), 44100);
    EXPECT_EQ(events_, (std::vector<Event>{{Notification::Position, 1}}));
    ASSERT_TRUE(PumpUntil([&] { return Played() > 46000; }));
}

TEST_F(TransportTest, SeekWhilePausedStaysPausedAtTheNewPlace)
{
    Make();
    Load();
    transport_->Play();
    ASSERT_TRUE(PumpUntil([&] { return Played() > 10000; }));
    transport_->Pause();
    ASSERT_TRUE(transport_->Seek(60000));
    EXPECT_EQ(transport_->State(), TransportState::Paused);
    EXPECT_EQ(Played(), 60000);
    transport_->Pump();
    EXPECT_EQ(Played(), 60000);
    ASSERT_TRUE(transport_->Resume());
    ASSERT_TRUE(PumpUntil([&] { return Played() > 61000; }));
    EXPECT_LT(Played(), 80000);
}

TEST_F(TransportTest, SeekWhilePlayingJumpsBothWays)
{
    Make();
    Load();
    transport_->Play();
    ASSERT_TRUE(transport_->Seek(70000));
    EXPECT_EQ(Played(), 70000);
    ASSERT_TRUE(transport_->Seek(5000));
    EXPECT_EQ(Played(), 5000);
    EXPECT_EQ(transport_->State(), TransportState::Playing);
    transport_->SetFrameAlignedSeeks(true);
    ASSERT_TRUE(transport_->Seek(5000));
    EXPECT_EQ(Played(), 5000 - 5000 % 1152);
}

TEST_F(TransportTest, SeekBeyondTheEndFinishes)
{
    Make();
    Load(1.0);
    ASSERT_TRUE(transport_->Seek(10 * 44100));
    ASSERT_TRUE(PumpUntil([&] { return transport_->State() == TransportState::Stopped; }));
    EXPECT_EQ(events_.back().what, Notification::Finished);
}

TEST_F(TransportTest, PositionNeverRunsAheadOfWhatWasQueued)
{
    Make();
    Load();
    transport_->Play();
    for (int i = 0; i < 50; ++i) {
        transport_->Pump();
        const PlayPosition p = transport_->Position();
        if (p.state != TransportState::Playing)
            break;
        EXPECT_LE(p.played, p.queuedEnd);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST_F(TransportTest, LostDeviceFallsBackToSilenceAtTheSamePlace)
{
    Make([] { return std::make_unique<FailingOutput>(20000); });
    Load(1.0);
    transport_->Play();
    EXPECT_TRUE(transport_->Audible());
    qint64 lastSeen = 0;
    ASSERT_TRUE(PumpUntil([&] {
        if (!transport_->FellBack())
            lastSeen = Played();
        return transport_->FellBack();
    }));
    EXPECT_FALSE(transport_->Audible());
    EXPECT_EQ(transport_->State(), TransportState::Playing);
    // Playback goes on from where the device stopped, not from the start.
    EXPECT_GE(Played(), lastSeen);
    EXPECT_LT(Played(), lastSeen + 20000);
    ASSERT_TRUE(PumpUntil([&] { return transport_->State() == TransportState::Stopped; }));
    EXPECT_EQ(events_.back().what, Notification::Finished);
}

TEST_F(TransportTest, OutputThatCannotStartFallsBackAtOnce)
{
    Make([] { return std::make_unique<FailingOutput>(0, true); });
    Load(0.3);
    ASSERT_TRUE(transport_->Play());
    EXPECT_TRUE(transport_->FellBack());
    ASSERT_TRUE(PumpUntil([&] { return transport_->State() == TransportState::Stopped; }));
    EXPECT_EQ(events_.back().what, Notification::Finished);
}

TEST_F(TransportTest, MissingOutputFactoryUsesSilence)
{
    Make(OutputFactory());
    Load(0.5);
    ASSERT_TRUE(transport_->Play());
    EXPECT_FALSE(transport_->Audible());
}

TEST_F(TransportTest, UnloadWhilePlayingStops)
{
    Make();
    Load();
    transport_->Play();
    events_.clear();
    transport_->Unload();
    EXPECT_EQ(events_, (std::vector<Event>{{Notification::Stopped, 0}}));
    EXPECT_FALSE(transport_->IsLoaded());
    EXPECT_FALSE(transport_->Play());
}
