// mwex song …, end to end: probe output, embedded lyrics with the workbench's checks and
// messages, conversions and tag writing; files are left untouched on every error.
#include "programs/mwex/tests/clirunner.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using clitest::Mwex;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

// MPEG 1 layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417-byte frames.
QByteArray Frames(int count, char fill = 'U')
{
    QByteArray frame("\xFF\xFB\x90\x40", 4);
    frame.append(32, '\0');
    frame.append(417 - frame.size(), fill);
    return frame.repeated(count);
}

QByteArray Tag(const QByteArray& title, int genre = 17)
{
    QByteArray t = "TAG" + title.leftJustified(30, '\0', true) + QByteArray("Artist").leftJustified(30, '\0') + QByteArray(30, '\0')
        + "2001" + QByteArray(30, '\0');
    t.append(char(genre));
    return t;
}

QByteArray Le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray Riff(const char* form, const QByteArray& stream, const QByteArray& listData)
{
    QByteArray body = QByteArray(form) + "data" + Le32(stream.size()) + stream;
    if (stream.size() % 2)
        body.append('\0');
    if (!listData.isEmpty())
        body += "LIST" + Le32(listData.size()) + listData;
    return "RIFF" + Le32(body.size()) + body;
}

QByteArray MacBinary(const QByteArray& data)
{
    QByteArray h(128, '\0');
    h[1] = 4;
    h.replace(2, 4, "a.mp");
    qToBigEndian<quint32>(data.size(), h.data() + 83);
    return h + data; // MacBinary I: no CRC, zero tail
}

class MwexSong : public ::testing::Test {
protected:
    QString Put(const QByteArray& bytes, const QString& name = QStringLiteral("song.mp3"))
    {
        const QString path = dir_.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }
    QJsonObject ProbeOne(const QString& path)
    {
        const auto r = Mwex({QStringLiteral("song"), QStringLiteral("probe"), path});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.count('\n'), 1);
        return QJsonDocument::fromJson(r.out).object();
    }
    static QStringList Args(std::initializer_list<QString> words) { return QStringList(words); }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(MwexSong, ProbePrintsOneJsonLinePerFile)
{
    const QByteArray block = "LYRICSBEGIN" "IND00002" "11" "LYR00010" "[00:01:00]" "ETT00003" "abc" "000050" "LYRICS200";
    const QString a = Put(Frames(100) + block + Tag(Sjis("曲名")), QStringLiteral("a.mp3"));
    const QString b = Put("not a song at all", QStringLiteral("b.mp3"));
    const auto r = Mwex({QStringLiteral("song"), QStringLiteral("probe"), a, b});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(first["path"].toString(), a);
    EXPECT_EQ(first["kind"].toInt(), 48);
    EXPECT_EQ(first["flags"].toVariant().toStringList(), QStringList({"MarkI", "Lyrics3"}));
    EXPECT_EQ(first["mpeg"]["bitRate"].toInt(), 128);
    EXPECT_EQ(first["mpeg"]["sampleRate"].toInt(), 44100);
    EXPECT_EQ(first["mpeg"]["playSeconds"].toInt(), 2);
    EXPECT_EQ(first["id3v1"]["title"].toString(), QStringLiteral("曲名"));
    EXPECT_EQ(first["id3v1"]["genreName"].toString(), QStringLiteral("Rock"));
    EXPECT_EQ(first["lyrics3"]["lyr"].toString(), QStringLiteral("[00:01:00]"));
    EXPECT_EQ(first["lyrics3"]["ett"].toString(), QStringLiteral("abc"));
    EXPECT_TRUE(first["info"].isNull());
    EXPECT_EQ(first["silenceFrames"].toInt(), 0);
    const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(second["kind"].toInt(), -1);
    EXPECT_TRUE(second["mpeg"].isNull());
    EXPECT_TRUE(second["id3v1"].isNull());
}

TEST_F(MwexSong, ProbeShowsInfoValuesAndSilence)
{
    const QByteArray stream = Frames(3, '\0') + Frames(20);
    const QString path = Put(Riff("RMP3", stream, "INFO" "INAM" + Le32(4) + "abc" + '\0' + "IID3" + Le32(128) + Tag("t")),
                             QStringLiteral("a.rmp"));
    const QJsonObject o = ProbeOne(path);
    EXPECT_EQ(o["kind"].toInt(), 2 | 16);
    EXPECT_EQ(o["info"]["INAM"].toString(), QStringLiteral("abc"));
    EXPECT_EQ(o["info"]["ICOP"].toString(), QString());
    EXPECT_EQ(o["silenceFrames"].toInt(), 3);
}

TEST_F(MwexSong, ProbeOfAMissingFileIsAnErrorButTheOthersArePrinted)
{
    const QString a = Put(Frames(10));
    const auto r = Mwex({QStringLiteral("song"), QStringLiteral("probe"), dir_.filePath(QStringLiteral("nope.mp3")), a});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.count('\n'), 1);
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.startsWith("mwex: "));
}

TEST_F(MwexSong, EmbedGetDeleteRestoresTheSong)
{
    const QByteArray original = Frames(50) + Tag("Title");
    const QString song = Put(original);
    const QByteArray lyrics = Sjis("[00:01:00]一行目\r\n[00:02:00]二行目\r\n");
    const QString text = Put(lyrics, QStringLiteral("song.txt"));
    auto r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, text});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(ReadBytes(song).endsWith(Tag("Title")));
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), song});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("[00:01:00]一行目\r\n[00:02:00]二行目\r\n").toUtf8());
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), QStringLiteral("--raw"), song});
    EXPECT_EQ(r.out, lyrics);
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("delete"), song});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(ReadBytes(song), original);
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), song});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("読み出せませんでした。").toUtf8()));
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("delete"), song});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("アクセスに失敗しました。").toUtf8()));
}

TEST_F(MwexSong, EmbedAcceptsUtf8LyricsFilesAndStoresThemInTheCodePage)
{
    const QString song = Put(Frames(20));
    const QString text = Put(QByteArray("\xEF\xBB\xBF") + QStringLiteral("歌詞").toUtf8(), QStringLiteral("l.lrc"));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, text}).status, 0);
    EXPECT_TRUE(ReadBytes(song).contains("LYR00004" + Sjis("歌詞")));
}

TEST_F(MwexSong, LyricsOfExactly60000BytesAreEmbeddedOneMoreIsTooLarge)
{
    const QString song = Put(Frames(20) + Tag("x"));
    const QString ok = Put(QByteArray(60000, 'a'), QStringLiteral("ok.txt"));
    EXPECT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, ok}).status, 0);
    EXPECT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), song}).out, QByteArray(60000, 'a'));
    const QByteArray before = ReadBytes(song);
    const QString big = Put(QByteArray(60001, 'a'), QStringLiteral("big.txt"));
    const auto r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, big});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("歌詞が大きすぎます").toUtf8())) << r.err.toStdString();
    EXPECT_EQ(ReadBytes(song), before);
}

TEST_F(MwexSong, EmbedRefusesEmptyUnreadableAndUnrepresentableLyrics)
{
    const QByteArray original = Frames(20) + Tag("x");
    const QString song = Put(original);
    auto r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, Put({}, QStringLiteral("e.txt"))});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("歌詞ファイルが空です").toUtf8()));
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, dir_.filePath(QStringLiteral("none.txt"))});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("歌詞を読み込めませんでした").toUtf8()));
    r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song,
              Put(QStringLiteral("歌 😀").toUtf8(), QStringLiteral("emoji.txt"))});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("U+1F600")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_EQ(ReadBytes(song), original);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 3);
}

TEST_F(MwexSong, EmbedKindChecksGiveTheWorkbenchMessages)
{
    const QString lyrics = Put("la", QStringLiteral("l.txt"));
    auto embed = [&](const QByteArray& bytes, const char* name) {
        const QString song = Put(bytes, QLatin1String(name));
        const auto r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, lyrics});
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_EQ(ReadBytes(song), bytes) << name;
        return QString::fromUtf8(r.err);
    };
    EXPECT_TRUE(embed("plain text", "a.mp3").contains(QStringLiteral("MP3(RMP)ファイルではありません")));
    QByteArray id3v2("ID3\x03\0\0\0\0\0\x0A", 10);
    id3v2.append(10, '\0');
    EXPECT_TRUE(embed(id3v2 + Frames(5), "b.mp3").contains(QStringLiteral("ID3V2ファイルは対象外です")));
    EXPECT_TRUE(embed(Riff("WAVE", Frames(5), {}), "c.wav").contains(QStringLiteral("WAVE形式ファイルは対象外です")));
    EXPECT_TRUE(embed(Frames(5) + "LYRICSBEGINold lyricsLYRICSEND", "d.mp3").contains(QStringLiteral("すでに埋め込まれています")));
    // Both WAVE and embedded: the later check's message wins.
    EXPECT_TRUE(embed(Riff("WAVE", Frames(5), {}) + "LYRICSBEGINoldLYRICSEND", "e.wav")
                    .contains(QStringLiteral("すでに埋め込まれています")));
}

TEST_F(MwexSong, EmbedRemovesAMacBinaryHeaderFirst)
{
    const QByteArray data = Frames(10) + Tag("mac");
    const QString song = Put(MacBinary(data));
    const QString lyrics = Put("la la", QStringLiteral("l.txt"));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, lyrics}).status, 0);
    const QByteArray after = ReadBytes(song);
    EXPECT_TRUE(after.startsWith(Frames(10)));
    EXPECT_TRUE(after.endsWith(Tag("mac")));
    EXPECT_TRUE(after.contains("LYR00005la la"));
}

TEST_F(MwexSong, EmbedIntoAReadOnlySongIsRefused)
{
    const QByteArray original = Frames(10);
    const QString song = Put(original);
    QFile::setPermissions(song, QFileDevice::ReadOwner);
    const auto r = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, Put("x", QStringLiteral("l.txt"))});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("曲ファイルに書き込めません").toUtf8()));
    EXPECT_EQ(ReadBytes(song), original);
}

TEST_F(MwexSong, RmpLyricsGoIntoIlycOrWithIid3IntoIid3)
{
    const QByteArray rmp = Riff("RMP3", Frames(10), "INFO" "IID3" + Le32(128) + Tag("t"));
    const QString lyrics = Put("words", QStringLiteral("l.txt"));
    const QString a = Put(rmp, QStringLiteral("a.rmp"));
    const QString b = Put(rmp, QStringLiteral("b.rmp"));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), a, lyrics}).status, 0);
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), QStringLiteral("--iid3"), b, lyrics}).status, 0);
    const QJsonObject pa = ProbeOne(a), pb = ProbeOne(b);
    EXPECT_EQ(pa["kind"].toInt(), 2 | 16 | 32);
    EXPECT_EQ(pb["kind"].toInt(), 2 | 16 | 32);
    EXPECT_TRUE(pa["info"]["ILYC"].toString().contains(QStringLiteral("LYRICSBEGIN")));
    EXPECT_TRUE(pa["info"]["IID3"].toString().isEmpty());
    EXPECT_TRUE(pb["info"]["IID3"].toString().contains(QStringLiteral("LYRICSBEGIN")));
    EXPECT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), b}).out, "words");
}

TEST_F(MwexSong, ConversionsRoundTripToTheSameBytes)
{
    const QByteArray block = "LYRICSBEGIN" "IND00002" "10" "LYR00002" "la" "000034" "LYRICS200";
    const QByteArray original = Frames(30) + block + Tag("Title");
    const QString song = Put(original);
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("to-rmp"), song}).status, 0);
    const QByteArray rmp = ReadBytes(song);
    EXPECT_EQ(rmp.mid(8, 8), "RMP3data");
    EXPECT_EQ(rmp.mid(20, 30 * 417), Frames(30));
    const QJsonObject probed = ProbeOne(song);
    EXPECT_EQ(probed["info"]["INAM"].toString(), QStringLiteral("Title"));
    auto r = Mwex({QStringLiteral("song"), QStringLiteral("to-rmp"), song});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("書き換えに失敗しました。").toUtf8()));
    EXPECT_EQ(ReadBytes(song), rmp);
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("to-mp3"), song}).status, 0);
    EXPECT_EQ(ReadBytes(song), original);
}

TEST_F(MwexSong, CutMacBinaryLeavesTheDataFork)
{
    const QByteArray data = Frames(10);
    const QString song = Put(MacBinary(data) + QByteArray(128 - data.size() % 128, '\0'));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("cut-macbinary"), song}).status, 0);
    EXPECT_EQ(ReadBytes(song), data);
    const auto r = Mwex({QStringLiteral("song"), QStringLiteral("cut-macbinary"), song});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("マックバイナリを除去できませんでした").toUtf8()));
}

TEST_F(MwexSong, TagsWriteChangesOnlyTheGivenFields)
{
    const QString song = Put(Frames(10) + Tag("Old title", 17));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song, QStringLiteral("--album"),
                    QStringLiteral("アルバム"), QStringLiteral("--genre"), QStringLiteral("147")})
                  .status,
              0);
    const QJsonObject o = ProbeOne(song);
    EXPECT_EQ(o["id3v1"]["title"].toString(), QStringLiteral("Old title"));
    EXPECT_EQ(o["id3v1"]["artist"].toString(), QStringLiteral("Artist"));
    EXPECT_EQ(o["id3v1"]["album"].toString(), QStringLiteral("アルバム"));
    EXPECT_EQ(o["id3v1"]["year"].toString(), QStringLiteral("2001"));
    EXPECT_EQ(o["id3v1"]["genreName"].toString(), QStringLiteral("Synthpop"));
    EXPECT_EQ(ReadBytes(song).size(), 10 * 417 + 128);
}

TEST_F(MwexSong, TagsWriteOnAnRmpSetsInfoValues)
{
    const QString song = Put(Riff("RMP3", Frames(10), "INFO" "IID3" + Le32(128) + Tag("t")), QStringLiteral("a.rmp"));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song, QStringLiteral("--title"),
                    QStringLiteral("題名"), QStringLiteral("--info"), QStringLiteral("ICOP=(c) 2024"), QStringLiteral("--genre"),
                    QStringLiteral("255"), QStringLiteral("--ex-genre")})
                  .status,
              0);
    const QJsonObject o = ProbeOne(song);
    EXPECT_EQ(o["info"]["INAM"].toString(), QStringLiteral("題名"));
    EXPECT_EQ(o["info"]["ICOP"].toString(), QStringLiteral("(c) 2024"));
    EXPECT_EQ(o["info"]["IGNR"].toString(), QStringLiteral("Anime(J)"));
    EXPECT_EQ(o["id3v1"]["title"].toString(), QStringLiteral("題名"));
    EXPECT_EQ(o["id3v1"]["genre"].toInt(), 255);
}

TEST_F(MwexSong, TagsWriteRefusesBadInputAndWritesNothing)
{
    const QByteArray original = Frames(10) + Tag("keep");
    const QString song = Put(original);
    const QStringList bad[] = {
        {QStringLiteral("--title"), QStringLiteral("😀")},
        {QStringLiteral("--genre"), QStringLiteral("256")},
        {QStringLiteral("--genre"), QStringLiteral("rock")},
        {QStringLiteral("--info"), QStringLiteral("ICOP=x")},
    };
    for (const QStringList& extra : bad) {
        const auto r = Mwex(QStringList{QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song} + extra);
        EXPECT_EQ(r.status, 2) << extra.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
        EXPECT_EQ(ReadBytes(song), original);
    }
    const QString rmp = Put(Riff("RMP3", Frames(10), "INFO" "IID3" + Le32(128) + Tag("t")), QStringLiteral("a.rmp"));
    const QByteArray rmpBytes = ReadBytes(rmp);
    for (const char* item : {"IXYZ=1", "IID3=x", "INAMx"}) {
        const auto r = Mwex({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), rmp, QStringLiteral("--info"),
                             QLatin1String(item)});
        EXPECT_EQ(r.status, 2) << item;
        EXPECT_EQ(ReadBytes(rmp), rmpBytes);
    }
}

TEST_F(MwexSong, ProbeGivesTheSilenceInMilliseconds)
{
    const QJsonObject o = ProbeOne(Put(Frames(4, '\0') + Frames(10)));
    EXPECT_EQ(o["silenceFrames"].toInt(), 4);
    EXPECT_EQ(o["silenceMs"].toInt(), 104); // 4 × 1152 / 44.1 = 104.5
}

TEST_F(MwexSong, TagsConvertUsesTheSongsRateAndSilence)
{
    const QString song = Put(Frames(2, '\0') + Frames(20));
    auto r = Mwex({QStringLiteral("tags"), QStringLiteral("convert"), QStringLiteral("--kind"), QStringLiteral("2"),
                   QStringLiteral("--song"), song, QStringLiteral("--user-name"), QStringLiteral("わたし")},
                  Sjis("[01:00:00]歌\r\n"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(Sjis("[00:59:71]歌\r\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("@TimeRatio=0.9953125"));
    EXPECT_TRUE(r.out.contains("@SilencemSec=52"));
    EXPECT_TRUE(r.out.contains("@EditedBy=" + Sjis("わたし")));
}

TEST_F(MwexSong, TagsConvertFailureKeepsTheTextAndExitsOne)
{
    const QString song = Put(Frames(20));
    const QString lyrics = Put("no tags\r\n", QStringLiteral("l.txt"));
    auto r = Mwex({QStringLiteral("tags"), QStringLiteral("convert"), QStringLiteral("--kind"), QStringLiteral("3"),
                   QStringLiteral("--song"), song, QStringLiteral("-i"), lyrics});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("処理に失敗しました。").toUtf8()));
    EXPECT_EQ(ReadBytes(lyrics), "no tags\r\n");
    r = Mwex({QStringLiteral("tags"), QStringLiteral("convert"), QStringLiteral("--kind"), QStringLiteral("3"),
              QStringLiteral("--song"), Put("not a song", QStringLiteral("x.mp3"))},
             "[00:01:00]a");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "[00:01:00]a");
    for (const QStringList& bad : {QStringList{QStringLiteral("--song"), song},
                                   QStringList{QStringLiteral("--kind"), QStringLiteral("4"), QStringLiteral("--song"), song},
                                   QStringList{QStringLiteral("--kind"), QStringLiteral("1")},
                                   QStringList{QStringLiteral("--kind"), QStringLiteral("1"), QStringLiteral("--song"), song,
                                               QStringLiteral("--user-time"), QStringLiteral("local")}}) {
        r = Mwex(QStringList{QStringLiteral("tags"), QStringLiteral("convert")} + bad, "[00:01:00]a");
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(MwexSong, AtblockAddWritesFreshCorrectionData)
{
    const QString song = Put(Frames(3, '\0') + Frames(20));
    const QString lyrics = Put("@TaggingBy=someone\r\n[00:01:00]a\r\n", QStringLiteral("l.txt"));
    const auto r = Mwex({QStringLiteral("atblock"), QStringLiteral("add"), QStringLiteral("--song"), song, QStringLiteral("--time-type"),
                         QStringLiteral("standard"), QStringLiteral("--user-name"), QStringLiteral("me"), QStringLiteral("-i"), lyrics});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray text = ReadBytes(lyrics);
    EXPECT_TRUE(text.startsWith("[00:01:00]a\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("@TimeRatio=1\r\n"));
    EXPECT_TRUE(text.contains("@SilencemSec=78\r\n")); // 3 frames
    EXPECT_TRUE(text.contains("@TaggingBy=someone"));
    EXPECT_TRUE(text.contains("@EditedBy=me"));
    const auto missing = Mwex({QStringLiteral("atblock"), QStringLiteral("add"), QStringLiteral("--song"), song}, "x");
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains("--time-type"));
}
