// The player strip's model on the silent output: seek bar steps and seek rules, the open
// failure, the pause blink, the time label, and the five lyric lines with the karaoke
// highlight.
#include "playback/playerstrip.h"
#include "playback/tests/enginetesting.h"
#include "playback/tests/testsongs.h"

#include <gtest/gtest.h>

using namespace playback;
using enginetesting::WaitFor;

namespace {

int TenPerChar(const QString& s)
{
    return int(s.size()) * 10;
}

} // namespace

TEST(PlayerStrip, SeekBarStepAndTimeLabel)
{
    const std::vector<std::pair<int, int>> table{{10, 1}, {14, 1}, {15, 2}, {25, 2}, {30, 3}, {35, 4}, {60, 1}, {75, 2}};
    for (auto [seconds, step] : table)
        EXPECT_EQ(PlayerStrip::LargeStep(seconds), step) << seconds << " s";
    Engine engine(SilentOutputFactory());
    PlayerStrip strip(engine, TenPerChar);
    strip.Notify(2, 65);
    EXPECT_EQ(strip.View().time, QStringLiteral("01:05"));
    strip.Notify(2, 600);
    EXPECT_EQ(strip.View().time, QStringLiteral("10:00"));
    strip.Notify(4, 0);
    EXPECT_EQ(strip.View().time, QStringLiteral("DONE"));
    strip.Notify(1, 0);
    EXPECT_EQ(strip.View().time, QStringLiteral("STOP"));
}

TEST(PlayerStrip, SeekAfterStopAndOpenFailure)
{
    Engine engine(SilentOutputFactory());
    PlayerStrip strip(engine, TenPerChar);
    std::vector<bool> panes;
    int sources = 0;
    strip.SetEnablePanes([&](bool on) { panes.push_back(on); });
    strip.SetApplyLyricSource([&] { ++sources; });

    strip.SetSong(testsongs::WriteTemp(QStringLiteral("missing-dir/none.mp3"), {}) + QStringLiteral("x"));
    EXPECT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::OpenFailed);
    EXPECT_EQ(strip.OpenErrorText(), QStringLiteral("ErrNo : 1 Open Error"));
    EXPECT_TRUE(strip.View().panesEnabled);
    EXPECT_TRUE(panes.empty());

    strip.SetSong(testsongs::WriteTemp(QStringLiteral("two-minutes.mp3"), testsongs::SilentSong(120.5)));
    ASSERT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::Started);
    EXPECT_EQ(strip.View().seekMaximum, 120);
    EXPECT_EQ(strip.View().largeStep, 2);
    EXPECT_TRUE(strip.View().pausePicture);
    EXPECT_TRUE(strip.View().lyricsTimer);
    EXPECT_FALSE(strip.View().panesEnabled);
    EXPECT_TRUE(strip.View().focusStop);
    strip.Stop();
    EXPECT_TRUE(strip.View().panesEnabled);
    EXPECT_FALSE(strip.View().focusStop);
    // After Stop: 0 does nothing, 5 plays from 5 s.
    EXPECT_FALSE(strip.SeekBarChanged(0));
    EXPECT_EQ(engine.vbmp3_getState(nullptr), 0);
    EXPECT_TRUE(strip.SeekBarChanged(5));
    int seconds = 0;
    EXPECT_EQ(engine.vbmp3_getState(&seconds), 1);
    EXPECT_EQ(seconds, 5);
    EXPECT_EQ(sources, 2);
    EXPECT_EQ(panes, (std::vector<bool>{false, true, false}));
    // While playing, moves inside the poll's own window do not seek.
    EXPECT_FALSE(strip.SeekBarChanged(6));
    EXPECT_TRUE(strip.SeekBarChanged(60));
    engine.vbmp3_getState(&seconds);
    EXPECT_EQ(seconds, 60);
    strip.Clear();
    EXPECT_EQ(strip.View().time, QStringLiteral("---"));
    EXPECT_FALSE(strip.Opened());
}

TEST(PlayerStrip, PauseBlinksTwoTicksOnOneOff)
{
    Engine engine(SilentOutputFactory());
    PlayerStrip strip(engine, TenPerChar);
    strip.SetSong(testsongs::WriteTemp(QStringLiteral("blink.mp3"), testsongs::SilentSong(10)));
    ASSERT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::Started);
    ASSERT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::Paused);
    EXPECT_TRUE(strip.View().pauseTimer);
    EXPECT_FALSE(strip.View().lyricsTimer);
    EXPECT_FALSE(strip.View().pausePicture);
    strip.Notify(3, 0);
    std::vector<QString> shown{strip.View().time};
    for (int i = 0; i < 6; ++i) {
        strip.PauseTick();
        shown.push_back(strip.View().time);
    }
    const QString p = QStringLiteral("PAUSE");
    EXPECT_EQ(shown, (std::vector<QString>{p, p, QString(), p, p, QString(), p}));
    ASSERT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::Resumed);
    EXPECT_FALSE(strip.View().pauseTimer);
    EXPECT_TRUE(strip.View().lyricsTimer);
}

TEST(PlayerStrip, LyricLinesAndKaraokeHighlight)
{
    Engine engine(SilentOutputFactory());
    QString text;
    for (int k = 1; k <= 8; ++k)
        text += k == 6 ? QStringLiteral("[00:06:00]abcd[00:06:50]efgh\r\n") : QStringLiteral("[00:0%1:00]line%1\r\n").arg(k);
    const QString lyricsPath = testsongs::WriteTemp(QStringLiteral("strip-lyrics.txt"), text.toUtf8());
    PlayerStrip strip(engine, TenPerChar);
    strip.SetSong(testsongs::WriteTemp(QStringLiteral("strip.mp3"), testsongs::SilentSong(12)));
    strip.SetApplyLyricSource([&] {
        engine.vbmp3_setLyrics3Use(0);
        engine.vbmp3_clearLyrics();
        engine.vbmp3_setLyricsFile(lyricsPath);
        engine.vbmp3_setLyricsTime(1);
        engine.vbmp3_setLyricsNextAdjustTime(100);
    });
    ASSERT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::Started);
    ASSERT_EQ(strip.PlayPause(), PlayerStrip::PlayResult::Paused);
    // Halfway through the first karaoke segment of line 6 (6.00 s to 6.50 s).
    ASSERT_NE(engine.SeekSamples(qint64(6.25 * 44100)), 0);
    strip.LyricsTick();
    const StripView& v = strip.View();
    EXPECT_EQ(v.lines, (std::array<QString, 5>{QStringLiteral("line4"), QStringLiteral("line5"), QStringLiteral("abcdefgh"),
                                               QStringLiteral("line7"), QStringLiteral("line8")}));
    EXPECT_EQ(v.current, QStringLiteral("abcdefgh"));
    EXPECT_NEAR(v.highlightWidth, 20, 1); // half of "abcd"
    // Into the second segment: "abcd" is sung, half of "efgh" more.
    ASSERT_NE(engine.SeekSamples(qint64(6.75 * 44100)), 0);
    strip.LyricsTick();
    EXPECT_NEAR(strip.View().highlightWidth, 60, 1);
    // Back to the start: the lines follow.
    ASSERT_NE(engine.SeekSamples(qint64(2.2 * 44100)), 0);
    strip.LyricsTick();
    EXPECT_EQ(strip.View().lines[2], QStringLiteral("line2"));
}
