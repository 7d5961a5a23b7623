// The song's amplitude envelope: loud where the bursts are, silent between them, with
// progress and cancel, computed on a thread of its own.
#include "playback/envelope.h"
#include "playback/tests/enginetesting.h"
#include "playback/tests/testsongs.h"

#include <gtest/gtest.h>

using namespace playback;

TEST(SongEnvelope, FollowsTheSoundAndCanBeCancelled)
{
    const QByteArray song = testsongs::EncodedBursts(6.0, 700);
    if (song.isEmpty())
        GTEST_SKIP() << "lame is needed to make the song";
    const QString path = testsongs::WriteTemp(QStringLiteral("envelope.mp3"), song);

    Envelope e;
    std::vector<int> percents;
    ASSERT_EQ(ComputeEnvelope(path, 600, &e, [&](int p) { percents.push_back(p); }), EnvelopeStatus::Done);
    EXPECT_EQ(e.sampleRate, 44100);
    EXPECT_EQ(e.Buckets(), 600);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    // Every burst (1.0 s, 1.7 s …) is loud; the middle of each gap is silent.
    for (int k = 0; k < 8; ++k) {
        const int burst = e.BucketAt(1000 + 700 * k + 10);
        EXPECT_GT(e.high[size_t(burst)], 12000) << "burst " << k;
        EXPECT_LT(e.low[size_t(burst)], -12000) << "burst " << k;
        EXPECT_GT(e.rms[size_t(burst)], 0.2f) << "burst " << k;
        const int gap = e.BucketAt(1000 + 700 * k + 350);
        EXPECT_LT(e.high[size_t(gap)], 300) << "gap " << k;
        EXPECT_LT(e.rms[size_t(gap)], 0.01f) << "gap " << k;
    }
    EXPECT_EQ(e.MsAt(e.BucketAt(2500)) / 10, 250);

    std::atomic_bool cancel{true};
    EXPECT_EQ(ComputeEnvelope(path, 600, &e, {}, &cancel), EnvelopeStatus::Cancelled);
    QString error;
    EXPECT_EQ(ComputeEnvelope(path + QStringLiteral(".missing"), 600, &e, {}, nullptr, &error), EnvelopeStatus::Failed);
    EXPECT_FALSE(error.isEmpty());

    // On its own thread, reporting on this one.
    EnvelopeJob job;
    int last = -1;
    bool done = false;
    QObject::connect(&job, &EnvelopeJob::progress, [&](int p) { last = p; });
    QObject::connect(&job, &EnvelopeJob::finished, [&](EnvelopeStatus s, const QString&) { done = s == EnvelopeStatus::Done; });
    job.Start(path, 300);
    ASSERT_TRUE(enginetesting::WaitFor([&] { return done; }, 10000));
    EXPECT_EQ(last, 100);
    EXPECT_EQ(job.Result().Buckets(), 300);
    EXPECT_GT(job.Result().high[size_t(job.Result().BucketAt(1010))], 12000);
}
