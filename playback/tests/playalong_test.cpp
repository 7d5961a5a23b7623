// The play-along adjustment's model: tagged lines and the default references, capture
// with the reaction lag, hand-edited new times and jumps, and the rescaled text with
// its new correction block.
#include "playback/playalong.h"

#include <gtest/gtest.h>

using namespace playback;
using R = Reference;

namespace {

const QString kSong = QStringLiteral(
    "曲名\r\n"
    "[00:00:50]\r\n"
    "[00:05:00][00:05:50]歌い出し\r\n"
    "[00:10:00]words\r\n"
    "[00:40:00]まんなか\r\n"
    "[01:00:00]終わり[01:02:00]\r\n"
    "[01:10:00]  \r\n");

} // namespace

TEST(PlayAlongModel, TaggedLinesAndDefaultReferences)
{
    const std::vector<TaggedLine> lines = BuildTaggedLines(kSong);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].lineNumber, 2);
    EXPECT_EQ(lines[1].tags, (std::vector<QString>{QStringLiteral("[00:05:00]"), QStringLiteral("[00:05:50]")}));
    EXPECT_EQ(lines[1].after, QStringLiteral("歌い出し"));
    EXPECT_FALSE(lines[0].visible);
    EXPECT_TRUE(lines[2].visible); // text after the line's only tag counts
    EXPECT_FALSE(lines[5].visible);

    PlayAlong m;
    ASSERT_TRUE(m.Load(kSong, false));
    // First: the first line with text, its advance tag passed over; last: the last line
    // with text, its closing tag passed over.
    EXPECT_EQ(m.Line(R::First), 1);
    EXPECT_EQ(m.Tag(R::First), 2);
    EXPECT_EQ(m.OldText(R::First), QStringLiteral("00:05:50"));
    EXPECT_EQ(m.Line(R::Last), 4);
    EXPECT_EQ(m.Tag(R::Last), 1);
    EXPECT_EQ(m.OldMs(R::Last), 60000);
    EXPECT_EQ(m.NewText(R::Last), QStringLiteral("01:00:00"));
    // Arrow keys move within the line's tags; the lines cannot meet.
    EXPECT_TRUE(m.MoveTag(R::Last, 1));
    EXPECT_EQ(m.OldText(R::Last), QStringLiteral("01:02:00"));
    EXPECT_FALSE(m.MoveTag(R::Last, 1));
    EXPECT_EQ(m.SetLine(R::First, 5), 3);
    EXPECT_EQ(m.SetLine(R::Last, 0), 4);

    // No line with text: the first and the last tagged lines.
    ASSERT_TRUE(m.Load(QStringLiteral("[00:01:00]\r\n[00:02:00] \r\n[00:03:00]"), true));
    EXPECT_EQ(m.Line(R::First), 0);
    EXPECT_EQ(m.Line(R::Last), 2);
    EXPECT_TRUE(m.WinAmpTime());
    // The lyrics' own time type wins over the user's.
    ASSERT_TRUE(m.Load(QStringLiteral("[00:01:00]a\r\n[00:02:00]b\r\n@TimeRatio=1\r\n"), true));
    EXPECT_FALSE(m.WinAmpTime());

    EXPECT_FALSE(m.Load(QStringLiteral("[00:01:00]only one\r\nno tag\r\n"), false));
    EXPECT_EQ(PlayAlong::TooFewLinesMessage(), QStringLiteral("タイムタグがある行が２行以上ないと調整できません。"));
}

TEST(PlayAlongModel, CaptureWithReactionLag)
{
    PlayAlong m;
    ASSERT_TRUE(m.Load(kSong, false));
    EXPECT_EQ(m.SetTimeRagText(u"-100.6"), QStringLiteral("-101"));
    EXPECT_EQ(m.SetTimeRagText(u"lag"), QStringLiteral("0"));
    EXPECT_EQ(m.SetTimeRagText(u"-100"), QStringLiteral("-100"));
    // 300 ms after the old first tag (5 500) with a lag of -100: both fields move 200 ms.
    EXPECT_EQ(m.Capture(R::First, qint64(5.8 * 44100), 44100), 5700);
    EXPECT_EQ(m.NewText(R::First), QStringLiteral("00:05:70"));
    EXPECT_EQ(m.NewText(R::Last), QStringLiteral("01:00:20"));
    // The last capture moves only its own field.
    EXPECT_EQ(m.Capture(R::Last, qint64(61 * 44100), 44100), 60900);
    EXPECT_EQ(m.NewText(R::First), QStringLiteral("00:05:70"));
    EXPECT_EQ(m.NewText(R::Last), QStringLiteral("01:00:90"));
    // WinAmp time: the clock runs at 0.9953125 of real time at 44 100 Hz.
    m.SetWinAmpTime(true);
    EXPECT_EQ(m.NewText(R::First), QStringLiteral("00:05:50")); // back to the old time
    EXPECT_EQ(m.Capture(R::First, qint64(5.8 * 44100), 44100), 5672);
    // Never below 0.
    EXPECT_EQ(m.Capture(R::First, 0, 44100), 0);
    EXPECT_EQ(m.NewText(R::First), QStringLiteral("00:00:00"));
}

TEST(PlayAlongModel, HandEditedTimesAndJumps)
{
    EXPECT_EQ(PlayAlong::ParseNewTime(u"00:41:50"), 41500);
    EXPECT_EQ(PlayAlong::ParseNewTime(u" [01:02] "), 62000);
    EXPECT_EQ(PlayAlong::ParseNewTime(u"1:02:345"), 62345);
    EXPECT_FALSE(PlayAlong::ParseNewTime(u""));
    EXPECT_FALSE(PlayAlong::ParseNewTime(u"abc"));
    EXPECT_FALSE(PlayAlong::ParseNewTime(u"00:41:5x"));
    EXPECT_FALSE(PlayAlong::ParseNewTime(u"00:41:50 extra"));

    PlayAlong m;
    ASSERT_TRUE(m.Load(kSong, false));
    m.SetNewText(R::First, QStringLiteral("00:41:50"));
    EXPECT_EQ(m.JumpSeconds(R::First, 300), 38);
    EXPECT_EQ(m.JumpSeconds(R::First, 40), 37);
    m.SetNewText(R::First, QStringLiteral("00:01:00"));
    EXPECT_EQ(m.JumpSeconds(R::First, 300), 0);
    EXPECT_EQ(PlayAlong::BackSeconds(10), 7);
    EXPECT_FALSE(PlayAlong::BackSeconds(3));
    EXPECT_EQ(PlayAlong::ForwardSeconds(10, 100), 13);
    EXPECT_FALSE(PlayAlong::ForwardSeconds(94, 100));

    // A field that is not a time is refused, never read as 0; nothing is written.
    m.SetNewText(R::First, QStringLiteral("zz"));
    EXPECT_FALSE(m.JumpSeconds(R::First, 300));
    const lyrics::RescaleResult r = m.Rescale();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, PlayAlong::BadNewTimeMessage());
    EXPECT_EQ(r.text, kSong);
    QString message;
    EXPECT_FALSE(m.Accept({44100, 300}, QStringLiteral("me"), &message));
    EXPECT_EQ(message, PlayAlong::BadNewTimeMessage());
}

TEST(PlayAlongModel, AcceptRescalesAndAppendsTheCorrectionBlock)
{
    const QString text = QStringLiteral("[00:04:00]前\r\n[00:10:00]最初\r\n[00:40:00]中\r\n[01:10:00]最後\r\n");
    PlayAlong m;
    ASSERT_TRUE(m.Load(text, false));
    EXPECT_EQ(m.SetLine(R::First, 1), 1);
    ASSERT_EQ(m.OldMs(R::First), 10000);
    ASSERT_EQ(m.OldMs(R::Last), 70000);
    m.SetNewText(R::First, QStringLiteral("00:12:00"));
    m.SetNewText(R::Last, QStringLiteral("01:11:00"));
    QString message;
    const std::optional<QString> out = m.Accept({44100, 300}, QStringLiteral("tester"), &message);
    ASSERT_TRUE(out) << message.toStdString();
    EXPECT_EQ(*out, QStringLiteral("[00:06:10]前\r\n[00:12:00]最初\r\n[00:41:50]中\r\n[01:11:00]最後\r\n"
                                   "@TimeRatio=1\r\n@SilencemSec=300\r\n@TaggingBy=tester\r\n"));
    // WinAmp time writes the song's ratio.
    m.SetWinAmpTime(true);
    m.SetNewText(R::First, QStringLiteral("00:12:00"));
    m.SetNewText(R::Last, QStringLiteral("01:11:00"));
    EXPECT_TRUE(m.Accept({44100, 0}, QStringLiteral("tester"), &message)->endsWith(
        QStringLiteral("@TimeRatio=0.9953125\r\n@SilencemSec=0\r\n@TaggingBy=tester\r\n")));
    // Last not after first: the order message, no text.
    m.SetNewText(R::Last, QStringLiteral("00:11:00"));
    EXPECT_FALSE(m.Accept({44100, 0}, QStringLiteral("tester"), &message));
    EXPECT_EQ(message, lyrics::RescaleOrderMessage());
}
