// mwex play: playing silently with a trace of the lyric state.
#include "programs/mwex/tests/clirunner.h"
#include "testing/testsupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using clitest::Mwex;

namespace {

/// About `seconds` of silent MPEG 1 layer III frames at 44 100 Hz, 128 kbit/s.
QByteArray SilentMp3(double seconds)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    QByteArray out;
    for (int i = 0; i < int(seconds * 44100 / 1152) + 1; ++i)
        out += frame;
    return out;
}

QByteArray Lyrics3(const QByteArray& lyrics)
{
    QByteArray block = "LYRICSBEGININD00002" "11" "LYR" + QByteArray::number(lyrics.size()).rightJustified(5, '0') + lyrics;
    return block + QByteArray::number(block.size()).rightJustified(6, '0') + "LYRICS200";
}

class PlayCommand : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        testsupport::WriteBytes(path, bytes);
        return path;
    }
    static QList<QByteArrayList> Lines(const QByteArray& out)
    {
        QList<QByteArrayList> lines;
        for (const QByteArray& line : out.split('\n'))
            if (!line.isEmpty())
                lines.append(line.split('\t'));
        return lines;
    }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(PlayCommand, TracePrintsEachChangeOfTheLyricState)
{
    const QString song = Write("song.mp3", SilentMp3(2.2));
    const QString lyrics = Write("song.txt", testsupport::Sjis("[00:01:00]一行目\r\n[00:01:80]二[00:02:00]行目\r\n"));
    const auto r = Mwex({QStringLiteral("play"), song, QStringLiteral("--lyrics"), lyrics, QStringLiteral("--silent"),
                         QStringLiteral("--trace")});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 5);
    for (const auto& fields : lines)
        ASSERT_EQ(fields.size(), 10) << fields.join('|').constData();
    const QByteArray first = QString::fromUtf8("一行目").toUtf8();
    const QByteArray second = QString::fromUtf8("二行目").toUtf8();
    // Before the first line: only the coming lines.
    EXPECT_EQ(lines[0][3], QByteArray());
    EXPECT_EQ(lines[0][4], first);
    EXPECT_EQ(lines[0][5], second);
    bool sweep = false;
    bool karaoke = false;
    int lastMs = -1;
    for (const auto& f : lines) {
        EXPECT_GE(f[0].toInt(), lastMs);
        lastMs = f[0].toInt();
        // The head-tagged line sweeps its text from its tag to the next line's tag.
        if (f[3] == first && f[6] == "1000" && f[7] == "800" && f[8].isEmpty() && f[9] == first)
            sweep = true;
        // The karaoke line's first segment covers its first character.
        if (f[2] == first && f[3] == second && f[6] == "1800" && f[7] == "200" && f[8].isEmpty()
            && f[9] == QString::fromUtf8("二").toUtf8())
            karaoke = true;
    }
    EXPECT_TRUE(sweep) << r.out.constData();
    EXPECT_TRUE(karaoke) << r.out.constData();
}

TEST_F(PlayCommand, StandardTimeBaseMovesTheTagsOntoTheWinAmpClock)
{
    const QString song = Write("std.mp3", SilentMp3(1.2));
    const QString lyrics = Write("std.txt", "[00:00:80]x\r\n");
    const auto r = Mwex({QStringLiteral("play"), song, QStringLiteral("--lyrics"), lyrics, QStringLiteral("--silent"),
                         QStringLiteral("--trace"), QStringLiteral("--time-base"), QStringLiteral("standard")});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    bool found = false;
    for (const auto& f : Lines(r.out))
        if (f[3] == "x" && f[6] == "796") // 800 ms × 0.9953125
            found = true;
    EXPECT_TRUE(found) << r.out.constData();
}

TEST_F(PlayCommand, EmbeddedLyricsAreTimed)
{
    const QString song = Write("emb.mp3", SilentMp3(1.0) + Lyrics3("[00:00:30]embedded\r\n"));
    const auto r = Mwex({QStringLiteral("play"), song, QStringLiteral("--embedded"), QStringLiteral("--silent"),
                         QStringLiteral("--trace")});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("\tembedded\t")) << r.out.constData();
}

TEST_F(PlayCommand, FromAndForLimitWhatIsPlayed)
{
    const QString song = Write("long.mp3", SilentMp3(5.0));
    const QString lyrics = Write("long.txt", "[00:00:10]a\r\n[00:03:00]b\r\n[00:04:50]c\r\n");
    QElapsedTimer clock;
    clock.start();
    const auto r = Mwex({QStringLiteral("play"), song, QStringLiteral("--lyrics"), lyrics, QStringLiteral("--silent"),
                         QStringLiteral("--trace"), QStringLiteral("--from"), QStringLiteral("2.8"), QStringLiteral("--for"),
                         QStringLiteral("0.5")});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_LT(clock.elapsed(), 2500);
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_GE(lines.first()[0].toInt(), 2780);
    EXPECT_EQ(lines.first()[3], "b");
    for (const auto& f : lines)
        EXPECT_NE(f[3], "c"); // "c" becomes current at 4 s only
}

TEST_F(PlayCommand, SongThatCannotBeOpenedIsBadInput)
{
    const QString text = Write("notes.mp3", "these are notes, not music\r\n");
    auto r = Mwex({QStringLiteral("play"), text, QStringLiteral("--silent")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.startsWith("mwex: "));
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.out.isEmpty());

    r = Mwex({QStringLiteral("play"), dir_.filePath("missing.mp3"), QStringLiteral("--silent")});
    EXPECT_EQ(r.status, 2);
}

TEST_F(PlayCommand, BadOptionsAreRefusedBeforePlaying)
{
    const QString song = Write("opt.mp3", SilentMp3(0.5));
    EXPECT_EQ(Mwex({QStringLiteral("play"), song, QStringLiteral("--time-base"), QStringLiteral("sideways")}).status, 2);
    EXPECT_EQ(Mwex({QStringLiteral("play"), song, QStringLiteral("--from"), QStringLiteral("-1")}).status, 2);
    EXPECT_EQ(Mwex({QStringLiteral("play"), song, QStringLiteral("--for"), QStringLiteral("soon")}).status, 2);
    EXPECT_EQ(Mwex({QStringLiteral("play"), song, QStringLiteral("--lyrics"), dir_.filePath("none.txt"),
                    QStringLiteral("--silent")}).status, 2);
    EXPECT_EQ(Mwex({QStringLiteral("play"), song, QStringLiteral("--embedded"), QStringLiteral("--silent")}).status, 2);
    EXPECT_EQ(Mwex({QStringLiteral("play"), song, QStringLiteral("--embedded"), QStringLiteral("--lyrics"),
                    dir_.filePath("x.txt")}).status, 2);
    EXPECT_EQ(Mwex({QStringLiteral("play")}).status, 2);
}

TEST_F(PlayCommand, PlaysToTheEndWithoutTrace)
{
    const QString song = Write("plain.mp3", SilentMp3(0.4));
    const auto r = Mwex({QStringLiteral("play"), song, QStringLiteral("--silent")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
}
