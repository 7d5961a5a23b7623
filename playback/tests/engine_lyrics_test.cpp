// The engine's lyric calls: lyrics from a file or from the song, in either time base,
// read at chosen positions of a paused song.
#include "playback/engine.h"
#include "playback/tests/enginetesting.h"
#include "playback/tests/testsongs.h"
#include "testing/testsupport.h"

#include <gtest/gtest.h>

using namespace playback;

namespace {

// Line-head lines, a karaoke line, an untagged line and the @ block with an offset.
const char* kLyrics =
    "[00:02:00]はじめの行\r\n"
    "\r\n"
    "[00:04:00]か[00:04:50]ら[00:05:00]お[00:05:50]け\r\n"
    "[00:08:00]おわり\r\n"
    "@Title=テスト\r\n"
    "@Offset=-300\r\n"
    "@TaggingBy=tester\r\n";

class EngineLyrics : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine_.vbmp3_init();
        engine_.vbmp3_setKaraokeUse(1);
        engine_.vbmp3_setLyricsNextAdjustTime(500);
        engine_.vbmp3_quickSeek(0);
        engine_.vbmp3_useAtMarkTag(2);
        ASSERT_NE(engine_.vbmp3_open(testsongs::WriteTemp("lyrics-song.mp3", testsongs::SilentSong(12.0)), nullptr), 0);
        lyricsPath_ = testsongs::WriteTemp("lyrics-song.txt", testsupport::Sjis(kLyrics));
        ASSERT_NE(engine_.vbmp3_setLyricsFile(lyricsPath_), 0);
        // Playing, then paused: a seek sets the position exactly and it stays there.
        ASSERT_NE(engine_.vbmp3_play(), 0);
        ASSERT_NE(engine_.vbmp3_pause(), 0);
    }

    /// The lyric state with the song standing at `ms` of standard time.
    LyricState At(qint64 ms)
    {
        EXPECT_NE(engine_.SeekSamples(ms * 44100 / 1000), 0);
        LyricState s;
        EXPECT_NE(engine_.vbmp3_getLyrics2(&s), 0);
        return s;
    }

    Engine engine_{SilentOutputFactory()};
    QString lyricsPath_;
};

} // namespace

TEST_F(EngineLyrics, WinAmpTimeTagsWithTheOffsetApplied)
{
    engine_.vbmp3_setLyricsTime(0);
    // 1 800 ms of standard time is 1 791 ms on the WinAmp clock; the first tag is at
    // 2 000 - 300 = 1 700, so the first line is being swept.
    LyricState s = At(1800);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("はじめの行"));
    EXPECT_EQ(s.texts[1], QString::fromUtf8("からおけ"));
    EXPECT_EQ(s.texts[0], QString::fromUtf8("おわり"));
    EXPECT_EQ(s.integers[0], 1700);
    EXPECT_EQ(s.integers[3], 2000);
    EXPECT_EQ(s.texts[3], QString());
    EXPECT_EQ(s.texts[4], QString::fromUtf8("はじめの行"));

    // The karaoke line runs from tag to tag (offset applied: 3 700, 4 200, 4 700, 5 200).
    s = At(3900); // 3 881 on the WinAmp clock
    EXPECT_EQ(s.texts[6], QString::fromUtf8("はじめの行"));
    EXPECT_EQ(s.texts[5], QString::fromUtf8("からおけ"));
    EXPECT_EQ(s.texts[1], QString::fromUtf8("おわり"));
    EXPECT_EQ(s.integers[0], 3700);
    EXPECT_EQ(s.integers[3], 500);
    EXPECT_EQ(s.texts[3], QString());
    EXPECT_EQ(s.texts[4], QString::fromUtf8("か"));
    s = At(4500); // 4 478
    EXPECT_EQ(s.integers[0], 4200);
    EXPECT_EQ(s.texts[3], QString::fromUtf8("か"));
    EXPECT_EQ(s.texts[4], QString::fromUtf8("から"));
    s = At(4800); // 4 777
    EXPECT_EQ(s.integers[0], 4700);
    EXPECT_EQ(s.integers[3], 500);
    EXPECT_EQ(s.texts[3], QString::fromUtf8("から"));
    EXPECT_EQ(s.texts[4], QString::fromUtf8("からお"));
    // After the last tag the rest of the line is swept up to the next line's tag.
    s = At(5300); // 5 275
    EXPECT_EQ(s.integers[0], 5200);
    EXPECT_EQ(s.integers[3], 2500);
    EXPECT_EQ(s.texts[3], QString::fromUtf8("からお"));
    EXPECT_EQ(s.texts[4], QString::fromUtf8("からおけ"));

    // No @ line is ever shown.
    s = At(11000);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("おわり"));
    EXPECT_EQ(s.texts[1], QString());
    EXPECT_EQ(s.texts[0], QString());
}

TEST_F(EngineLyrics, StandardTimeTagsAreReadOnTheWinAmpClock)
{
    engine_.vbmp3_setLyricsTime(1);
    // The tag at 2 000 - 300 = 1 700 ms of standard time is 1 692 on the WinAmp clock.
    LyricState s = At(1800);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("はじめの行"));
    EXPECT_EQ(s.integers[0], 1692);
    EXPECT_EQ(s.integers[3], 3682 - 1692); // up to 3 700 standard = 3 682
    // The karaoke line becomes current 500 ms before 3 682, at 3 182 on the WinAmp
    // clock, which is 3 197 ms of standard time.
    EXPECT_EQ(At(3190).texts[5], QString::fromUtf8("はじめの行"));
    EXPECT_EQ(At(3200).texts[5], QString::fromUtf8("からおけ"));
}

TEST_F(EngineLyrics, WithoutTheOffsetUseTheTagsAreTakenAsWritten)
{
    engine_.vbmp3_setLyricsTime(0);
    engine_.vbmp3_useAtMarkTag(1);
    const LyricState s = At(2100); // 2 090 WinAmp
    EXPECT_EQ(s.integers[0], 2000);
    EXPECT_EQ(s.texts[0], QString::fromUtf8("おわり"));
}

TEST_F(EngineLyrics, ClearedLyricsGiveAnEmptyState)
{
    engine_.vbmp3_clearLyrics();
    LyricState s;
    EXPECT_EQ(engine_.vbmp3_getLyrics2(&s), 0);
    EXPECT_EQ(s, LyricState());
    EXPECT_EQ(engine_.vbmp3_setLyricsFile(QStringLiteral("/nonexistent/lyrics.txt")), 0);
    EXPECT_EQ(engine_.vbmp3_getLyrics2(&s), 0);
}

TEST_F(EngineLyrics, UnchangedSettingsKeepTheStateWhileTheSongStands)
{
    engine_.vbmp3_setLyricsTime(0);
    const LyricState first = At(4500);
    LyricState again;
    engine_.vbmp3_getLyrics2(&again);
    EXPECT_EQ(first, again);
}

namespace {

/// A paused engine on a song whose lyrics are embedded, at `ms` of standard time.
LyricState EmbeddedAt(Engine& engine, qint64 ms)
{
    EXPECT_NE(engine.SeekSamples(ms * 44100 / 1000), 0);
    LyricState s;
    EXPECT_NE(engine.vbmp3_getLyrics2(&s), 0);
    return s;
}

} // namespace

TEST(EngineEmbeddedLyrics, Lyrics3BlockOfAnMp3IsTimed)
{
    const QByteArray song = testsongs::SilentSong(6.0)
        + testsongs::Lyrics3Block(testsupport::Sjis("[00:01:00]うめこみ[00:02:00]歌詞\r\n[00:04:00]二行目\r\n"))
        + testsongs::Id3v1Tag();
    Engine engine(SilentOutputFactory());
    ASSERT_NE(engine.vbmp3_open(testsongs::WriteTemp("embedded.mp3", song), nullptr), 0);
    // The tags at the end are not audio: the length is that of the frames alone.
    EXPECT_EQ(engine.LengthSamples(), testsongs::SilentSong(6.0).size() / 417 * 1152);
    engine.vbmp3_setLyrics3Use(0);
    engine.vbmp3_clearLyrics();
    ASSERT_NE(engine.vbmp3_readLyrics3Data(), 0);
    engine.vbmp3_setLyricsTime(0);
    engine.vbmp3_play();
    engine.vbmp3_pause();
    LyricState s = EmbeddedAt(engine, 1500); // 1 492 on the WinAmp clock
    EXPECT_EQ(s.texts[5], QString::fromUtf8("うめこみ歌詞"));
    EXPECT_EQ(s.texts[1], QString::fromUtf8("二行目"));
    EXPECT_EQ(s.integers[0], 1000);
    EXPECT_EQ(s.integers[3], 1000);
    EXPECT_EQ(s.texts[4], QString::fromUtf8("うめこみ"));
    s = EmbeddedAt(engine, 4200);
    EXPECT_EQ(s.texts[6], QString::fromUtf8("うめこみ歌詞"));
    EXPECT_EQ(s.texts[5], QString::fromUtf8("二行目"));
}

TEST(EngineEmbeddedLyrics, RmpLyricsEmbeddedByTheEngineAreTimed)
{
    Engine engine(SilentOutputFactory());
    const QString path = testsongs::WriteTemp("embedded.rmp", testsongs::Rmp(testsongs::SilentSong(3.0)));
    songfiles::Lyrics3Record record;
    record[songfiles::LYR] = QString::fromUtf8("[00:00:80]アール\r\n[00:02:00]エムピー\r\n");
    ASSERT_TRUE(engine.vbmp3_setLyrics3InsField(0));
    ASSERT_TRUE(engine.vbmp3_setFileLyrics3InfoVB(path, record)) << engine.lastError().toStdString();
    ASSERT_NE(engine.vbmp3_open(path, nullptr), 0);
    ASSERT_NE(engine.vbmp3_readLyrics3Data(), 0);
    engine.vbmp3_play();
    engine.vbmp3_pause();
    const LyricState s = EmbeddedAt(engine, 900);
    EXPECT_EQ(s.texts[5], QString::fromUtf8("アール"));
    EXPECT_EQ(s.texts[1], QString::fromUtf8("エムピー"));
    EXPECT_EQ(s.integers[0], 800);
}

TEST(EngineEmbeddedLyrics, SongWithoutEmbeddedLyricsHasNone)
{
    Engine engine(SilentOutputFactory());
    EXPECT_EQ(engine.vbmp3_readLyrics3Data(), 0); // nothing opened
    ASSERT_NE(engine.vbmp3_open(testsongs::WriteTemp("bare.mp3", testsongs::SilentSong(1.0)), nullptr), 0);
    EXPECT_EQ(engine.vbmp3_readLyrics3Data(), 0);
    LyricState s;
    EXPECT_EQ(engine.vbmp3_getLyrics2(&s), 0);
}

TEST(EngineEmbeddedLyrics, Lyrics3UseTakesTheSongsLyricsAtOpenUntilItCloses)
{
    const QByteArray song = testsongs::SilentSong(2.0) + testsongs::Lyrics3Block("[00:00:50]auto\r\n");
    Engine engine(SilentOutputFactory());
    engine.vbmp3_setLyrics3Use(1);
    ASSERT_NE(engine.vbmp3_open(testsongs::WriteTemp("auto.mp3", song), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_pause();
    EXPECT_EQ(EmbeddedAt(engine, 600).texts[5], QStringLiteral("auto"));
    engine.vbmp3_close();
    LyricState s;
    EXPECT_EQ(engine.vbmp3_getLyrics2(&s), 0);
    // Lyrics given by file stay with the engine across songs.
    const QString file = testsongs::WriteTemp("kept.txt", "[00:00:50]kept\r\n");
    ASSERT_NE(engine.vbmp3_setLyricsFile(file), 0);
    ASSERT_NE(engine.vbmp3_open(testsongs::WriteTemp("auto.mp3", song), nullptr), 0);
    engine.vbmp3_play();
    engine.vbmp3_pause();
    EXPECT_EQ(EmbeddedAt(engine, 600).texts[5], QStringLiteral("kept"));
}
