// mwex rewrites in a hostile environment: output that cannot be written, two writers at
// once, binary input, FIFOs and devices, hard links, huge files, ambiguous and duplicate
// encodings. Nothing may be lost, and a failure is never reported as success.
#include "programs/mwex/tests/clirunner.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using clitest::Mwex;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

// MPEG 1 layer III, 128 kbit/s, 44.1 kHz: 417-byte frames.
QByteArray Frames(int count)
{
    QByteArray frame("\xFF\xFB\x90\x40", 4);
    frame.append(32, '\0');
    frame.append(417 - frame.size(), 'U');
    return frame.repeated(count);
}

QByteArray Tag(const QByteArray& title)
{
    return "TAG" + title.leftJustified(30, '\0', true) + QByteArray(30, '\0') + QByteArray(30, '\0') + "2001"
        + QByteArray(30, '\0') + char(17);
}

QByteArray Le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

class MwexRewrite : public ::testing::Test {
protected:
    QString Put(const QByteArray& bytes, const QString& name)
    {
        const QString path = dir_.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }
    QStringList Files() const
    {
        QStringList l = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        l.sort();
        return l;
    }
    QTemporaryDir dir_;
};

/// Starts mwex without waiting for it.
std::unique_ptr<QProcess> Start(const QStringList& args)
{
    auto p = std::make_unique<QProcess>();
    p->start(testsupport::ProgramPath(QStringLiteral("mwex")), args);
    p->waitForStarted(10000);
    p->closeWriteChannel();
    return p;
}

int Finish(QProcess& p)
{
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST_F(MwexRewrite, OutputThatCannotBeWrittenExitsTwo)
{
    const QString lyrics = Put(Sjis("[00:01:00]歌\r\n"), QStringLiteral("kaze.lrc"));
    const QString song = Put(Frames(20) + "LYRICSBEGININD00002" "10" "LYR00003abc000032LYRICS200" + Tag("t"),
                             QStringLiteral("s.mp3"));
    const QStringList commands[] = {
        {QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"), lyrics},
        {QStringLiteral("song"), QStringLiteral("probe"), song},
        {QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), song},
    };
    for (const QStringList& args : commands) {
        QProcess p;
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(testsupport::ProgramPath(QStringLiteral("mwex")), args);
        ASSERT_TRUE(p.waitForStarted());
        EXPECT_EQ(Finish(p), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("cannot write standard output")) << args.join(' ').toStdString();
    }
}

TEST_F(MwexRewrite, TwoWritersAtOnceNeverLoseAChange)
{
    // Lyrics: each successful shift must be in the file.
    const QString lyrics = Put("[00:01:00]a\r\n", QStringLiteral("k.lrc"));
    int successes = 0;
    for (int round = 0; round < 4; ++round) {
        auto a = Start({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                        QStringLiteral("-i"), lyrics});
        auto b = Start({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                        QStringLiteral("-i"), lyrics});
        for (QProcess* p : {a.get(), b.get()}) {
            const int status = Finish(*p);
            if (status == 0)
                ++successes;
            else
                EXPECT_TRUE(p->readAllStandardError().contains("another program")) << status;
        }
    }
    const int seconds = 1 + successes;
    EXPECT_GE(successes, 1);
    EXPECT_EQ(ReadBytes(lyrics), QStringLiteral("[00:%1:00]a\r\n").arg(seconds, 2, 10, QLatin1Char('0')).toLatin1());

    // A song: two tag writers, each changing another field; both changes must be kept.
    const QString song = Put(Frames(3000) + Tag("old"), QStringLiteral("s.mp3"));
    for (int round = 0; round < 3; ++round) {
        const QString title = QStringLiteral("title%1").arg(round), artist = QStringLiteral("artist%1").arg(round);
        auto a = Start({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song,
                        QStringLiteral("--title"), title});
        auto b = Start({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song,
                        QStringLiteral("--artist"), artist});
        const int sa = Finish(*a), sb = Finish(*b);
        const QByteArray tag = ReadBytes(song).right(128);
        EXPECT_EQ(tag.mid(3, 30).startsWith(title.toLatin1()), sa == 0) << round;
        EXPECT_EQ(tag.mid(33, 30).startsWith(artist.toLatin1()), sb == 0) << round;
        EXPECT_EQ(sa, 0);
        EXPECT_EQ(sb, 0);
    }
    EXPECT_EQ(Files(), QStringList({QStringLiteral("k.lrc"), QStringLiteral("s.mp3")}));

    // A writer that holds the lock makes the other wait briefly, then fail clearly.
    QProcess holder;
    holder.start(QStringLiteral("flock"), {lyrics, QStringLiteral("sleep"), QStringLiteral("3")});
    ASSERT_TRUE(holder.waitForStarted());

    ::usleep(300 * 1000);
    QProcess late;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MWEX_LOCK_WAIT_MS"), QStringLiteral("200"));
    late.setProcessEnvironment(env);
    const QByteArray before = ReadBytes(lyrics);
    late.start(testsupport::ProgramPath(QStringLiteral("mwex")),
               {QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                QStringLiteral("-i"), lyrics});
    ASSERT_TRUE(late.waitForStarted());
    EXPECT_EQ(Finish(late), 2);
    EXPECT_TRUE(late.readAllStandardError().contains("being changed by another program"));
    EXPECT_EQ(ReadBytes(lyrics), before);
    holder.kill();
    holder.waitForFinished();
}

TEST_F(MwexRewrite, TextCommandsRefuseSongsFifosAndDevicesBeforeWritingAnything)
{
    const QByteArray mp3 = Frames(30) + Tag("t");
    const QString song = Put(mp3, QStringLiteral("a.mp3"));
    const auto r = Mwex({QStringLiteral("atblock"), QStringLiteral("add"), QStringLiteral("--song"), song,
                         QStringLiteral("--time-type"), QStringLiteral("standard"), QStringLiteral("-i"), song});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("not a lyrics text")) << r.err.toStdString();
    EXPECT_EQ(ReadBytes(song), mp3);
    const QString rmp = Put("RIFF" + Le32(4) + "RMP3", QStringLiteral("b.rmp"));
    EXPECT_EQ(Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("5"),
                    QStringLiteral("-i"), rmp})
                  .status,
              2);

    // Nothing blocks on a FIFO or reads a device without end.
    const QString fifo = dir_.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QStringList& args : {QStringList{QStringLiteral("song"), QStringLiteral("probe"), fifo},
                                    QStringList{QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), fifo},
                                    QStringList{QStringLiteral("tags"), QStringLiteral("classify"), fifo},
                                    QStringList{QStringLiteral("tags"), QStringLiteral("classify"), QStringLiteral("/dev/zero")}}) {
        const auto out = Mwex(args);
        EXPECT_EQ(out.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(out.err.contains("not a regular file")) << out.err.toStdString();
    }
}

TEST_F(MwexRewrite, HardLinkedSongsAreRefusedUnlessBreakLinksIsGiven)
{
    const QByteArray original = Frames(20) + Tag("old");
    const QString song = Put(original, QStringLiteral("a.mp3"));
    const QString other = dir_.filePath(QStringLiteral("b.mp3"));
    ASSERT_EQ(::link(QFile::encodeName(song).constData(), QFile::encodeName(other).constData()), 0);
    const QStringList args{QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song,
                           QStringLiteral("--title"), QStringLiteral("new")};
    const auto refused = Mwex(args);
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains("--break-links")) << refused.err.toStdString();
    EXPECT_EQ(ReadBytes(song), original);
    const QString lyrics = Put("[00:01:00]a\r\n", QStringLiteral("a.lrc"));
    ASSERT_EQ(::link(QFile::encodeName(lyrics).constData(), QFile::encodeName(lyrics + "2").constData()), 0);
    EXPECT_EQ(Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                    QStringLiteral("-i"), lyrics})
                  .status,
              2);
    EXPECT_EQ(ReadBytes(lyrics), "[00:01:00]a\r\n");

    const auto broken = Mwex(args + QStringList{QStringLiteral("--break-links")});
    EXPECT_EQ(broken.status, 0) << broken.err.toStdString();
    EXPECT_TRUE(ReadBytes(song).right(128).mid(3).startsWith("new"));
    EXPECT_EQ(ReadBytes(other), original);
}

TEST_F(MwexRewrite, SongsOver4GiBAreNotTurnedIntoRmpsWithWrappedSizes)
{
    // A sparse file: an MP3 stream followed by more than 4 GiB of nothing.
    const QString song = Put(Frames(20), QStringLiteral("h.mp3"));
    const qint64 huge = 4306968994;
    if (::truncate(QFile::encodeName(song).constData(), huge) != 0)
        GTEST_SKIP() << "the file system has no sparse files of this size";
    const auto r = Mwex({QStringLiteral("song"), QStringLiteral("to-rmp"), song});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("4 GiB")) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(song).size(), huge);

    // An RMP whose sizes have wrapped: to-mp3 must not trust them.
    const QByteArray stream = Frames(20);
    QByteArray rmp = "RIFF" + Le32(quint32((huge - 8) & 0xFFFFFFFF)) + "RMP3" + "data"
        + Le32(quint32((huge - 20) & 0xFFFFFFFF)) + stream;
    const QString wrapped = Put(rmp, QStringLiteral("w.rmp"));
    ASSERT_EQ(::truncate(QFile::encodeName(wrapped).constData(), huge), 0);
    const auto back = Mwex({QStringLiteral("song"), QStringLiteral("to-mp3"), wrapped});
    EXPECT_EQ(back.status, 2);
    EXPECT_EQ(QFileInfo(wrapped).size(), huge);
    EXPECT_EQ(Files(), QStringList({QStringLiteral("h.mp3"), QStringLiteral("w.rmp")}));
}

TEST_F(MwexRewrite, AmbiguousTextStaysCp932AndUntouchedLinesKeepTheirBytes)
{
    // "ﾎｼﾎｼ ﾐｴ" in CP932 is also valid UTF-8 ("μμ д") by accident: CP932 it is.
    const QString song = Put(Frames(40), QStringLiteral("s.mp3"));
    const QByteArray kana("[00:01:00]\xce\xbc\xce\xbc \xd0\xb4\r\n");
    const QString lyrics = Put(kana, QStringLiteral("k.lrc"));
    const auto add = Mwex({QStringLiteral("atblock"), QStringLiteral("add"), QStringLiteral("--song"), song,
                           QStringLiteral("--time-type"), QStringLiteral("standard"), QStringLiteral("--user-name"),
                           QStringLiteral("山田"), QStringLiteral("-i"), lyrics});
    ASSERT_EQ(add.status, 0) << add.err.toStdString();
    const QByteArray after = ReadBytes(lyrics);
    EXPECT_TRUE(after.startsWith(kana));
    EXPECT_TRUE(after.contains(Sjis("山田")));
    EXPECT_FALSE(after.contains(QByteArray("山田")));
    const auto embedded = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, lyrics});
    ASSERT_EQ(embedded.status, 0) << embedded.err.toStdString();
    const auto got = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), song});
    EXPECT_TRUE(got.out.startsWith(QStringLiteral("[00:01:00]ﾎｼﾎｼ ﾐｴ").toUtf8())) << got.out.toStdString();

    // The same words in UTF-8 have three-byte sequences: UTF-8 it is, and stays.
    const QByteArray utf8 = QStringLiteral("[00:01:00]星々 見え\r\n").toUtf8();
    const QString u = Put(utf8, QStringLiteral("u.lrc"));
    ASSERT_EQ(Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                    QStringLiteral("-i"), u})
                  .status,
              0);
    EXPECT_EQ(ReadBytes(u), QStringLiteral("[00:02:00]星々 見え\r\n").toUtf8());

    // NEC and IBM extension duplicates (≒ 0x8790, 纊 0xED40, ⅰ 0xEEEF) on lines the
    // shift does not change keep their bytes; embedding keeps all of the file's bytes.
    const QByteArray dup = "\x87\x90\xED\x40\xEE\xEF";
    const QByteArray text = "@Title=" + dup + "\r\n[00:01:00]" + dup + "\r\n" + Sjis("歌詞") + dup + "\r\n";
    const QString d = Put(text, QStringLiteral("d.lrc"));
    ASSERT_EQ(Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"), QStringLiteral("1000"),
                    QStringLiteral("-i"), d})
                  .status,
              0);
    const QByteArray shifted = ReadBytes(d);
    EXPECT_TRUE(shifted.startsWith("@Title=" + dup + "\r\n[00:02:00]")) << shifted.toHex().toStdString();
    EXPECT_TRUE(shifted.endsWith(Sjis("歌詞") + dup + "\r\n")) << shifted.toHex().toStdString();
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), song, d}).status, 0);
    EXPECT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), QStringLiteral("--raw"), song}).out,
              shifted);
}

TEST_F(MwexRewrite, Utf16LyricsAreRewrittenAsUtf16)
{
    for (const bool bigEndian : {false, true}) {
        const QString text = QStringLiteral("\uFEFF[00:01:00]歌詞\r\n");
        QByteArray bytes;
        for (QChar c : text) {
            const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
            bytes.append(bigEndian ? hi : lo);
            bytes.append(bigEndian ? lo : hi);
        }
        const QString path = Put(bytes, QStringLiteral("w.txt"));
        const auto r = Mwex({QStringLiteral("tags"), QStringLiteral("shift"), QStringLiteral("--ms"),
                             QStringLiteral("1000"), QStringLiteral("-i"), path});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QByteArray expected = bytes;
        const int at = text.indexOf(QLatin1Char('1')) * 2 + (bigEndian ? 1 : 0);
        expected[at] = '2';
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

TEST_F(MwexRewrite, SmallerInconsistencies)
{
    // A PCM WAVE file is named as a WAVE file.
    const QByteArray pcm = "RIFF" + Le32(36 + 8) + "WAVE" + "fmt " + Le32(16) + QByteArray("\x01\x00\x01\x00\x44\xAC\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00", 16)
        + "data" + Le32(8) + QByteArray(8, '\0');
    const QString wav = Put(pcm, QStringLiteral("a.wav"));
    const QString lyrics = Put("[00:01:00]a\r\n", QStringLiteral("a.txt"));
    const auto set = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("set"), wav, lyrics});
    EXPECT_EQ(set.status, 2);
    EXPECT_TRUE(set.err.contains("WAVE形式ファイルは対象外です")) << set.err.toStdString();
    EXPECT_TRUE(Mwex({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), wav,
                      QStringLiteral("--title"), QStringLiteral("x")})
                    .err.contains("WAVE形式ファイルは対象外です"));
    EXPECT_EQ(ReadBytes(wav), pcm);

    // A non-song ending in an empty Lyrics3 block has no lyrics: exit 1 with a message.
    const QString empty = Put("just text LYRICSBEGININD00002" "00" "000021LYRICS200", QStringLiteral("e.mp3"));
    const auto get = Mwex({QStringLiteral("song"), QStringLiteral("lyrics"), QStringLiteral("get"), empty});
    EXPECT_EQ(get.status, 1);
    EXPECT_TRUE(get.out.isEmpty());
    EXPECT_TRUE(get.err.contains("no embedded lyrics")) << get.err.toStdString();

    // song tags write keeps the Lyrics3 fields it does not edit, as lyrics set does.
    const QByteArray fields = "IND00002" "10" "LYR00003" "abc" "AUT00004" "Mori" "IMG00005" "a.jpg" "XYZ00003" "zzz";
    const QByteArray block = "LYRICSBEGIN" + fields + QByteArray::number(11 + fields.size()).rightJustified(6, '0') + "LYRICS200";
    const QString song = Put(Frames(20) + block + Tag("t"), QStringLiteral("s.mp3"));
    ASSERT_EQ(Mwex({QStringLiteral("song"), QStringLiteral("tags"), QStringLiteral("write"), song, QStringLiteral("--title"),
                    QStringLiteral("new")})
                  .status,
              0);
    const QByteArray after = ReadBytes(song);
    EXPECT_TRUE(after.contains("AUT00004Mori"));
    EXPECT_TRUE(after.contains("IMG00005a.jpg"));
    EXPECT_TRUE(after.contains("XYZ00003zzz"));
    EXPECT_TRUE(after.contains("LYR00003abc"));
}
