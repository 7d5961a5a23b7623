// Corrections that take the song's sample rate and leading silence from the song file.
#include "lyrics/atblock.h"
#include "songfiles/songcorrection.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace songfiles;
using lyrics::ConversionKind;

namespace {

class SongCorrection : public ::testing::Test {
protected:
    QString Song(const synth::Frame& f, int silentFrames, const char* name = "song.mp3")
    {
        const QString path = dir_.filePath(QLatin1String(name));
        testsupport::WriteBytes(path, synth::MakeStream(f, silentFrames, '\0') + synth::MakeStream(f, 30, 'x'));
        return path;
    }
    QTemporaryDir dir_;
};

lyrics::CorrectionData Data(double ratio, int silence = -1)
{
    lyrics::CorrectionData d;
    d.TimeRatio = ratio;
    d.SilenceMsec = silence;
    return d;
}

} // namespace

TEST_F(SongCorrection, FactsAreTheSampleRateAndTheSilenceInMilliseconds)
{
    synth::Frame f;
    const auto facts = SongFactsOf(Song(f, 5));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->sampleRate, 44100);
    EXPECT_EQ(facts->silenceMsec, 130); // 5 × 1152 / 44.1 = 130.6
    f.version = 2;
    f.bitRateIndex = 8;
    f.sampleRateIndex = 1;
    const auto mpeg2 = SongFactsOf(Song(f, 2, "b.mp3"));
    ASSERT_TRUE(mpeg2);
    EXPECT_EQ(mpeg2->sampleRate, 24000);
}

TEST_F(SongCorrection, MissingOrUnreadableSongsHaveNoFacts)
{
    QString error;
    EXPECT_FALSE(SongFactsOf(dir_.filePath(QStringLiteral("none.mp3")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist")));
    const QString text = dir_.filePath(QStringLiteral("a.txt"));
    testsupport::WriteBytes(text, "just text");
    EXPECT_FALSE(SongFactsOf(text, &error));
}

TEST_F(SongCorrection, StandardToWinAmpUsesTheSongsRatio)
{
    // int(60 000 × 0.9953125) = 59 718 → [00:59:71].
    QString text = QStringLiteral("[01:00:00]歌\r\n");
    ASSERT_TRUE(ConvertTagsForSong(text, Song(synth::Frame{}, 0), Data(1), ConversionKind::StandardToWinAmp, QStringLiteral("me")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[00:59:71]歌\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("@TimeRatio=0.9953125")));
    EXPECT_TRUE(text.contains(QStringLiteral("@EditedBy=me")));
}

TEST_F(SongCorrection, SilenceDifferenceMovesTheTags)
{
    // Lyrics made against 500 ms of silence, song with 5 frames (130 ms): −370 ms.
    QString text = QStringLiteral("[00:01:00]a\r\n[00:00:20]b\r\n");
    ASSERT_TRUE(ConvertTagsForSong(text, Song(synth::Frame{}, 5), Data(1, 500), ConversionKind::StandardToStandard, {}));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[00:00:63]a\r\n[00:00:00]b\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("@SilencemSec=130")));
}

TEST_F(SongCorrection, FailuresLeaveTheTextAlone)
{
    const QString song = Song(synth::Frame{}, 0);
    QString empty;
    EXPECT_FALSE(ConvertTagsForSong(empty, song, Data(1), ConversionKind::StandardToStandard, {}));
    QString untagged = QStringLiteral("no tags\r\n");
    EXPECT_FALSE(ConvertTagsForSong(untagged, song, Data(1), ConversionKind::StandardToStandard, {}));
    EXPECT_EQ(untagged, QStringLiteral("no tags\r\n"));
    QString tagged = QStringLiteral("[00:01:00]x");
    EXPECT_FALSE(ConvertTagsForSong(tagged, dir_.filePath(QStringLiteral("gone.mp3")), Data(1), ConversionKind::StandardToStandard, {}));
    EXPECT_EQ(tagged, QStringLiteral("[00:01:00]x"));
}

TEST_F(SongCorrection, AddingCorrectionDataRecordsTheSongAndKeepsTheTimes)
{
    QString text = QStringLiteral("[00:01:00]a\r\n");
    lyrics::CorrectionData d = Data(0.5);
    d.TimeType = lyrics::TimeBase::WinAmp;
    ASSERT_TRUE(AddCorrectionDataForSong(text, Song(synth::Frame{}, 5), d, QStringLiteral("me")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[00:01:00]a\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("@TimeRatio=0.9953125")));
    EXPECT_TRUE(text.contains(QStringLiteral("@SilencemSec=130")));
    EXPECT_TRUE(text.contains(QStringLiteral("@TaggingBy=me")));
    QString standard = QStringLiteral("[00:01:00]a\r\n");
    d.TimeType = lyrics::TimeBase::Standard;
    ASSERT_TRUE(AddCorrectionDataForSong(standard, Song(synth::Frame{}, 0), d, {}));
    EXPECT_TRUE(standard.contains(QStringLiteral("@TimeRatio=1\r\n"))) << standard.toStdString();
    QString unstated = QStringLiteral("[00:01:00]a\r\n");
    d.TimeType = lyrics::TimeBase::NotStated;
    EXPECT_FALSE(AddCorrectionDataForSong(unstated, Song(synth::Frame{}, 0), d, {}));
}
