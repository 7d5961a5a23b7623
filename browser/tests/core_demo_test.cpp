// The bundled demo folder keeps what it promises: small real MP3s at several sample rates
// (one VBR) with a CP932 ID3v1 tag and no ID3v2 tag, and lyrics files in CP932 (one in
// UTF-8) with CR LF line ends, paired by name with the songs except where meant not to be.
#include "common/codepage.h"

#include "common/utf8text.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using common::U;

QString Demo(const QString& name)
{
    return testsupport::SourceDir() + QStringLiteral("/demo/") + name;
}

// Sample rate of the first MPEG audio frame header, 0 when there is none at the start.
int SampleRate(const QByteArray& bytes)
{
    if (bytes.size() < 4 || uchar(bytes[0]) != 0xFF || (uchar(bytes[1]) & 0xE0) != 0xE0)
        return 0;
    const int version = (uchar(bytes[1]) >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int index = (uchar(bytes[2]) >> 2) & 3;
    static const int base[] = {44100, 48000, 32000, 0};
    const int divisor = version == 3 ? 1 : version == 2 ? 2 : version == 0 ? 4 : 0;
    return divisor ? base[index] / divisor : 0;
}

struct DemoSong {
    const char* name;
    int sampleRate;
    bool vbr;
    const char* title;
};

const DemoSong kSongs[] = {
    {"hoshizora.mp3", 44100, false, "ほしぞら"},
    {"kaze.mp3", 48000, false, "風のみち"},
    {"雨あがり.mp3", 44100, true, "雨あがり"},
    {"Hashiru.mp3", 32000, false, "走る"},
    {"chime.mp3", 22050, false, "チャイム"},
};

TEST(DemoFolder, SongsAreSmallMp3sAtTheirSampleRatesWithAnId3v1TagOnly)
{
    for (const DemoSong& song : kSongs) {
        SCOPED_TRACE(song.name);
        const QByteArray bytes = testsupport::ReadBytes(Demo(U(song.name)));
        ASSERT_GT(bytes.size(), 4000);
        EXPECT_LT(bytes.size(), 60 * 1024);
        EXPECT_FALSE(bytes.startsWith("ID3"));
        EXPECT_EQ(SampleRate(bytes), song.sampleRate);
        // lame marks the first frame of a VBR song "Xing" (a CBR one "Info", when it fits).
        EXPECT_EQ(bytes.left(200).contains("Xing"), song.vbr);
        const QByteArray tag = bytes.right(128);
        ASSERT_TRUE(tag.startsWith("TAG"));
        const QByteArray title = tag.mid(3, 30);
        EXPECT_EQ(common::DecodeCp932(title.left(title.indexOf('\0'))), U(song.title));
    }
}

struct DemoLyrics {
    const char* name;
    bool utf8;
    const char* partner; // the song of the same name, or nullptr
    const char* firstTaggedLine;
};

const DemoLyrics kLyrics[] = {
    {"hoshizora.kra", false, "hoshizora.mp3", "[00:00:40]夜[00:00:65]空[00:00:90]に"},
    {"kaze.lrc", false, "kaze.mp3", "[00:00:40]風が通る"},
    {"雨あがり.txt", false, "雨あがり.mp3", "[00:00:49]雨[00:00:89]あ"},
    {"hashiru.txt", true, "Hashiru.mp3", "[00:00:30]走れ走れ"},
    {"夕ぐれ.lrc", false, nullptr, "[00:00:40]夕ぐれの道を"},
    {"下書き.txt", false, nullptr, nullptr},
};

TEST(DemoFolder, LyricsAreCp932OrUtf8WithCrLfAndPairAsIntended)
{
    const QStringList files = QDir(Demo(QString())).entryList(QDir::Files);
    for (const DemoLyrics& lyrics : kLyrics) {
        SCOPED_TRACE(lyrics.name);
        const QByteArray bytes = testsupport::ReadBytes(Demo(U(lyrics.name)));
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        EXPECT_EQ(common::IsValidUtf8(bytes), lyrics.utf8);
        const QString text = lyrics.utf8 ? QString::fromUtf8(bytes) : common::DecodeCp932(bytes);
        if (lyrics.firstTaggedLine)
            EXPECT_TRUE(text.contains(U(lyrics.firstTaggedLine))) << text.toStdString();
        else
            EXPECT_FALSE(text.contains(QLatin1String("[00:")));

        // Pairing: same name without the extension, ignoring case.
        const QString stem = QFileInfo(U(lyrics.name)).completeBaseName().toLower();
        QStringList partners;
        for (const QString& f : files)
            if (f.endsWith(QLatin1String(".mp3")) && QFileInfo(f).completeBaseName().toLower() == stem)
                partners << f;
        EXPECT_EQ(partners, lyrics.partner ? QStringList{U(lyrics.partner)} : QStringList{});
    }
}

TEST(DemoFolder, TheWinAmpTimedLyricsCarryTheirAtBlock)
{
    const QString text = common::DecodeCp932(testsupport::ReadBytes(Demo(U("雨あがり.txt"))));
    EXPECT_TRUE(text.endsWith(U("@Title=雨あがり\r\n@Artist=デモ楽団\r\n@TimeRatio=0.9953125\r\n@SilencemSec=500\r\n"
                                "@TaggingBy=デモ作者\r\n")));
}

} // namespace
