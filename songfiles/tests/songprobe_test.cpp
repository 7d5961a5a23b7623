// Classifying song files, finding their blocks, measuring their streams, counting
// leading silence; on files built in code and on short MP3s encoded by lame.
#include "songfiles/mpeginfo.h"
#include "songfiles/silence.h"
#include "songfiles/songfile.h"
#include "songfiles/songlayout.h"
#include "songfiles/testdata/synth.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

using namespace songfiles;

namespace {

struct Probed {
    SongLayout layout;
    std::optional<MpegInfo> mpeg;
    int silence = 0;
    int reads = 0;
};

Probed Probe(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    SongReader reader(buffer);
    Probed p;
    auto layout = ProbeSongLayout(reader);
    EXPECT_TRUE(layout);
    if (!layout)
        return p;
    p.layout = *layout;
    if (layout->kind != kNotASong) {
        p.mpeg = MeasureMpeg(reader, *layout);
        if (p.mpeg)
            p.silence = SilentLeadFrames(reader, *layout, *p.mpeg);
    }
    p.reads = reader.readCount();
    return p;
}

SongKind KindOf(const QByteArray& bytes)
{
    return Probe(bytes).layout.kind;
}

const QByteArray kTag = synth::Id3v1("Title", "Artist");
const QByteArray kBlock = synth::Lyrics3({{"IND", "10"}, {"LYR", "words"}});

} // namespace

TEST(SongKindProbe, PlainStreamHasNoFlags)
{
    EXPECT_EQ(KindOf(synth::PlainMp3()), 0);
}

TEST(SongKindProbe, TagAndLyrics3BlockAtTheEnd)
{
    const QByteArray mp3 = synth::PlainMp3();
    EXPECT_EQ(KindOf(mp3 + kTag), MarkI);
    EXPECT_EQ(KindOf(mp3 + kBlock + kTag), MarkI | Lyrics3);
    EXPECT_EQ(KindOf(mp3 + kBlock), Lyrics3);
}

TEST(SongKindProbe, Lyrics3v1BlockIsEmbedded)
{
    const QByteArray v1 = "LYRICSBEGIN[00:01]old style lyricsLYRICSEND";
    EXPECT_EQ(KindOf(synth::PlainMp3() + v1 + kTag), MarkI | Embedded);
    EXPECT_EQ(KindOf(synth::PlainMp3() + v1), Embedded);
}

TEST(SongKindProbe, RiffFormTypeDecidesWaveAndRmp)
{
    const QByteArray list = synth::InfoList({{"INAM", "t\0"}});
    const QByteArray rmp = synth::Rmp(synth::PlainMp3(), list);
    EXPECT_EQ(KindOf(rmp), Rmp);
    QByteArray wave = rmp;
    wave.replace(8, 4, "WAVE");
    EXPECT_EQ(KindOf(wave), Wave);
    QByteArray avi = rmp;
    avi.replace(8, 4, "AVI ");
    EXPECT_EQ(KindOf(avi), kNotASong);
    const Probed p = Probe(rmp);
    EXPECT_EQ(p.layout.stream.offset, 20);
    ASSERT_TRUE(p.layout.listChunk);
}

TEST(SongKindProbe, RmpWithTagAndLyricsInItsInfoValues)
{
    QByteArray ilyc = kBlock + kTag;
    if (ilyc.size() % 2)
        ilyc.prepend('\0');
    EXPECT_EQ(KindOf(synth::Rmp(synth::PlainMp3(), synth::InfoList({{"INAM", "t\0"}, {"ILYC", ilyc}}))),
              Rmp | MarkI | Lyrics3);
    EXPECT_EQ(KindOf(synth::Rmp(synth::PlainMp3(), synth::InfoList({{"IID3", kTag}}))), Rmp | MarkI);
}

TEST(SongKindProbe, RmpWithOddDataAndPadByteStillFindsItsList)
{
    QByteArray stream = synth::PlainMp3();
    stream.append('\x55'); // odd size
    const Probed p = Probe(synth::Rmp(stream, synth::InfoList({{"INAM", "t\0"}})));
    EXPECT_EQ(p.layout.kind, Rmp);
    ASSERT_TRUE(p.layout.listChunk);
    EXPECT_EQ(p.layout.listChunk->header, 20 + stream.size() + 1);
}

TEST(SongKindProbe, RiffWithoutPadByteAfterOddDataStillFindsItsList)
{
    QByteArray stream = synth::PlainMp3();
    stream.append('\x55');
    QByteArray rmp = synth::Rmp(stream, synth::InfoList({{"INAM", "t\0"}}));
    rmp.remove(20 + stream.size(), 1); // the writer forgot the pad byte
    const Probed p = Probe(rmp);
    ASSERT_TRUE(p.layout.listChunk);
    EXPECT_EQ(p.layout.listChunk->header, 20 + stream.size());
}

TEST(SongKindProbe, RiffWithoutDataOrWithPcmIsNotASong)
{
    QByteArray noData = synth::Rmp(synth::PlainMp3(), {});
    noData.replace(12, 4, "junk");
    EXPECT_EQ(KindOf(noData), kNotASong);
    EXPECT_EQ(KindOf(synth::Rmp(QByteArray(4000, '\x10'), {})), kNotASong);
}

TEST(SongKindProbe, Id3v2TagInFront)
{
    const Probed p = Probe(synth::Id3v2(300) + synth::PlainMp3() + kTag);
    EXPECT_EQ(p.layout.kind, Id3v2 | MarkI);
    EXPECT_EQ(p.layout.stream.offset, 310);
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 128);
    // A tag reaching past the end, or a malformed header, is not a song.
    EXPECT_EQ(KindOf(synth::Id3v2(300).left(200)), kNotASong);
    QByteArray bad = synth::Id3v2(10) + synth::PlainMp3();
    bad[6] = char(0x80);
    EXPECT_EQ(KindOf(bad), kNotASong);
}

TEST(SongKindProbe, MacBinaryHeaderInFront)
{
    const QByteArray data = synth::PlainMp3() + kTag;
    QByteArray file = synth::MacBinaryHeader(data.size(), 100) + data;
    file.append(QByteArray(128 - data.size() % 128, '\0'));
    file.append(QByteArray(128, 'r')); // resource fork
    const Probed p = Probe(file);
    EXPECT_EQ(p.layout.kind, MacBinary | MarkI);
    EXPECT_EQ(p.layout.dataFork, (ByteRange{128, data.size()}));
    EXPECT_EQ(p.layout.stream.offset, 128);
    EXPECT_EQ(p.layout.id3v1.offset, 128 + data.size() - 128);
}

TEST(SongKindProbe, DamagedMacBinaryHeaderIsNotTrusted)
{
    const QByteArray data = synth::PlainMp3();
    QByteArray header = synth::MacBinaryHeader(data.size());
    header[124] = char(header[124] ^ 1); // CRC
    EXPECT_EQ(KindOf(header + data), kNotASong);
    QByteArray tooLong = synth::MacBinaryHeader(data.size() + 1000);
    EXPECT_EQ(KindOf(tooLong + data), kNotASong);
}

TEST(SongKindProbe, NoFrameWhereTheStreamStartsIsNotASong)
{
    EXPECT_EQ(KindOf({}), kNotASong);
    EXPECT_EQ(KindOf("TAG"), kNotASong);
    EXPECT_EQ(KindOf(QByteArray(5000, 'a')), kNotASong);
    EXPECT_EQ(KindOf(kTag), kNotASong);
    EXPECT_EQ(KindOf("junk" + synth::PlainMp3()), kNotASong);
    // A first header whose next frame is not where it says is not trusted either.
    QByteArray broken = synth::PlainMp3(3);
    broken[417] = 'x';
    EXPECT_EQ(KindOf(broken), kNotASong);
}

TEST(SongKindProbe, SingleFrameStreamIsASong)
{
    EXPECT_EQ(KindOf(synth::PlainMp3(1)), 0);
    EXPECT_EQ(KindOf(synth::PlainMp3(1) + kTag), MarkI);
}

TEST(SongKindProbe, LyricsBlockWithBadSizeDigitsIsNotFound)
{
    QByteArray block = kBlock;
    block.replace(block.size() - 15, 6, "999999");
    const Probed p = Probe(synth::PlainMp3() + block + kTag);
    EXPECT_EQ(p.layout.kind, MarkI);
    EXPECT_FALSE(p.layout.lyrics3.found());
    block.replace(block.size() - 15, 6, "00001x");
    EXPECT_EQ(KindOf(synth::PlainMp3() + block + kTag), MarkI);
}

TEST(SongKindProbe, ReadsStayFewAndSmall)
{
    const Probed p = Probe(synth::PlainMp3(2000) + kBlock + kTag);
    EXPECT_EQ(p.layout.kind, MarkI | Lyrics3);
    EXPECT_LE(p.reads, 16);
}

TEST(MpegStreamInfo, ConstantBitRateAcrossVersionsAndLayers)
{
    struct Case {
        int version, layer, index, sr, kbps, rate;
    } cases[] = {
        {1, 3, 9, 0, 128, 44100}, {1, 2, 10, 1, 192, 48000}, {1, 1, 4, 2, 128, 32000},
        {2, 3, 8, 0, 64, 22050},  {2, 2, 4, 1, 32, 24000},   {2, 1, 5, 2, 80, 16000},
        {3, 3, 4, 0, 32, 11025},  {3, 2, 2, 2, 16, 8000},
    };
    for (const Case& c : cases) {
        synth::Frame f;
        f.version = c.version;
        f.layer = c.layer;
        f.bitRateIndex = c.index;
        f.sampleRateIndex = c.sr;
        const QByteArray frame = synth::MakeFrame(f);
        const int frames = 500;
        const Probed p = Probe(synth::MakeStream(f, frames) + kTag);
        ASSERT_TRUE(p.mpeg) << c.version << "/" << c.layer;
        EXPECT_EQ(p.mpeg->version, c.version);
        EXPECT_EQ(p.mpeg->layer, c.layer);
        EXPECT_EQ(p.mpeg->bitRate, c.kbps);
        EXPECT_EQ(p.mpeg->sampleRate, c.rate);
        EXPECT_EQ(p.mpeg->method, MpegInfo::Method::ConstantRate);
        const double seconds = double(frames) * frame.size() * 8 / (c.kbps * 1000.0);
        EXPECT_EQ(p.mpeg->playSeconds, int(std::floor(seconds))) << c.version << "/" << c.layer;
    }
}

TEST(MpegStreamInfo, CrcProtectedStream)
{
    synth::Frame f;
    f.crc = true;
    f.channelMode = 3;
    const Probed p = Probe(synth::MakeStream(f, 1000));
    ASSERT_TRUE(p.mpeg);
    EXPECT_TRUE(p.mpeg->crc);
    EXPECT_EQ(p.mpeg->channelMode, 3);
    EXPECT_EQ(p.mpeg->playSeconds, 26); // 1000 × 1152 / 44100 = 26.1
}

TEST(MpegStreamInfo, FreeFormatLengthIsMeasured)
{
    synth::Frame f;
    f.bitRateIndex = 0;
    f.freeLength = 1306; // 400 kbit/s at 44.1 kHz
    const Probed p = Probe(synth::MakeStream(f, 400) + kTag);
    EXPECT_EQ(p.layout.kind, MarkI);
    EXPECT_EQ(p.layout.firstFrameLength, 1306);
    ASSERT_TRUE(p.mpeg);
    EXPECT_TRUE(p.mpeg->freeFormat);
    EXPECT_EQ(p.mpeg->bitRate, 400);
    EXPECT_EQ(p.mpeg->playSeconds, 10); // 400 × 1152 / 44100 = 10.4

    // The longest free-format frames: 640 kbit/s at 32 kHz.
    f.sampleRateIndex = 2;
    f.freeLength = 2880;
    const Probed big = Probe(synth::MakeStream(f, 50));
    EXPECT_EQ(big.layout.firstFrameLength, 2880);
    ASSERT_TRUE(big.mpeg);
    EXPECT_EQ(big.mpeg->bitRate, 640);
}

TEST(MpegStreamInfo, XingHeaderGivesExactVbrTime)
{
    synth::Frame f;
    const int frames = 2000;
    const QByteArray stream = synth::MakeInfoFrame(f, "Xing", frames, 0) + synth::MakeVbrStream(f, {9, 11, 5, 13}, frames);
    const Probed p = Probe(stream + kTag);
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 0);
    EXPECT_EQ(p.mpeg->method, MpegInfo::Method::InfoFrame);
    EXPECT_EQ(p.mpeg->frames, frames);
    EXPECT_EQ(p.mpeg->playSeconds, 52); // 2000 × 1152 / 44100 = 52.2
    EXPECT_LE(p.reads, 8) << "an information frame needs no walk";
}

TEST(MpegStreamInfo, InfoHeaderOfAConstantStreamKeepsItsBitRate)
{
    synth::Frame f;
    f.version = 2;
    f.bitRateIndex = 8;
    const Probed p = Probe(synth::MakeInfoFrame(f, "Info", 3000, 0) + synth::MakeStream(f, 3000));
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 64);
    EXPECT_EQ(p.mpeg->vbrHeader, VbrHeader::Kind::Info);
    EXPECT_EQ(p.mpeg->playSeconds, 78); // 3000 × 576 / 22050 = 78.4
}

TEST(MpegStreamInfo, VbriHeaderGivesExactVbrTime)
{
    synth::Frame f;
    const Probed p = Probe(synth::MakeInfoFrame(f, "VBRI", 100, 0) + synth::MakeVbrStream(f, {9, 12}, 100));
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 0);
    EXPECT_EQ(p.mpeg->vbrHeader, VbrHeader::Kind::Vbri);
    EXPECT_EQ(p.mpeg->frames, 100);
}

TEST(MpegStreamInfo, VbrWithoutHeaderIsMeasuredByWalkingFrames)
{
    synth::Frame f;
    const int frames = 3000;
    const QByteArray stream = synth::MakeVbrStream(f, {9, 9, 9, 14, 5, 9, 11}, frames);
    const Probed p = Probe(stream + kBlock + kTag);
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 0);
    EXPECT_EQ(p.mpeg->method, MpegInfo::Method::FrameWalk);
    EXPECT_EQ(p.mpeg->frames, frames);
    EXPECT_EQ(p.mpeg->playSeconds, 78); // 3000 × 1152 / 44100 = 78.4
    EXPECT_LE(p.reads, stream.size() / 65536 + 16) << "headers are walked through 64 KiB windows";
}

TEST(MpegStreamInfo, FileThatShrinksWhileItIsWalkedIsAReadError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vbr.mp3"));
    const QByteArray bytes = synth::MakeVbrStream(synth::Frame{}, {9, 11, 10, 12}, 3000) + kTag;
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(bytes), bytes.size());
    }
    SongFile song;
    ASSERT_TRUE(song.open(path));
    ASSERT_TRUE(QFile::resize(path, bytes.size() / 2)); // another program cuts the file
    EXPECT_FALSE(song.mpegInfo());
    EXPECT_TRUE(song.errorString().contains(QLatin1String("ended early"))) << qPrintable(song.errorString());
}

TEST(MpegStreamInfo, VbrChangingOnlyLateIsStillNoticed)
{
    synth::Frame f;
    QByteArray stream = synth::MakeStream(f, 1500);
    f.bitRateIndex = 13;
    stream += synth::MakeStream(f, 1500);
    const Probed p = Probe(stream);
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 0);
    EXPECT_EQ(p.mpeg->frames, 3000);
}

TEST(MpegStreamInfo, WalkSurvivesDamageInTheMiddle)
{
    synth::Frame f;
    QByteArray stream = synth::MakeVbrStream(f, {9, 11}, 1000);
    const qsizetype middle = stream.indexOf(synth::Header(f), stream.size() / 2);
    stream.insert(middle, QByteArray(300, 'j'));
    const Probed p = Probe(stream);
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->frames, 1000);
}

TEST(MpegStreamInfo, RmpStreamIsMeasuredInsideItsDataChunk)
{
    const Probed p = Probe(synth::Rmp(synth::PlainMp3(1000), synth::InfoList({{"IID3", kTag}})));
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->bitRate, 128);
    EXPECT_EQ(p.mpeg->stream, (ByteRange{20, 417 * 1000}));
    EXPECT_EQ(p.mpeg->playSeconds, 26);
}

TEST(LeadingSilence, FramesOfOnlyZeroAndFfBytesCount)
{
    synth::Frame f;
    const QByteArray stream = synth::MakeStream(f, 3, '\0') + synth::MakeStream(f, 2, '\xFF') + synth::MakeStream(f, 5, 'x');
    EXPECT_EQ(Probe(stream + kTag).silence, 5);
    QByteArray mixed = synth::MakeFrame(f, '\0');
    mixed[mixed.size() / 2] = '\xFF';
    EXPECT_EQ(Probe(mixed + synth::MakeStream(f, 4, 'x')).silence, 1);
}

TEST(LeadingSilence, HeaderCrcAndSideInformationAreNotExamined)
{
    synth::Frame f;
    f.crc = true;
    f.channelMode = 3;
    QByteArray silent = synth::MakeFrame(f, '\0');
    silent[4] = 'c';                  // CRC
    silent[6 + 16] = 's';             // last byte of the mono side information
    QByteArray loud = synth::MakeFrame(f, '\0');
    loud[6 + 17] = 'a';               // first byte of the main data
    EXPECT_EQ(Probe(silent + silent + loud + synth::MakeStream(f, 3, 'x')).silence, 2);
}

TEST(LeadingSilence, MpegTwoSideInformationSizes)
{
    synth::Frame f;
    f.version = 2;
    f.bitRateIndex = 8;
    f.channelMode = 0;
    QByteArray silent = synth::MakeFrame(f, '\0');
    silent[4 + 16] = 's'; // inside the 17 bytes of stereo side information
    EXPECT_EQ(Probe(silent + synth::MakeStream(f, 3, 'x')).silence, 1);
    f.channelMode = 3;
    QByteArray mono = synth::MakeFrame(f, '\0');
    mono[4 + 9] = 'a'; // first main-data byte after 9 bytes of side information
    EXPECT_EQ(Probe(mono + synth::MakeStream(f, 3, 'x')).silence, 0);
}

TEST(LeadingSilence, VbrFirstFrameIsCountedUnexamined)
{
    synth::Frame f;
    // No information frame; the bit rate varies, so the stream is VBR.
    QByteArray stream = synth::MakeFrame(f, 'x') + synth::MakeStream(f, 2, '\0');
    stream += synth::MakeVbrStream(f, {9, 12, 5}, 600, 'y');
    const Probed p = Probe(stream);
    ASSERT_TRUE(p.mpeg);
    ASSERT_EQ(p.mpeg->bitRate, 0);
    EXPECT_EQ(p.silence, 3);
}

TEST(LeadingSilence, InformationFrameIsSkippedAlsoForConstantStreams)
{
    synth::Frame f;
    const QByteArray stream = synth::MakeInfoFrame(f, "Info", 10, 0) + synth::MakeStream(f, 4, '\0') + synth::MakeStream(f, 6, 'x');
    EXPECT_EQ(Probe(stream).silence, 5);
}

TEST(LeadingSilence, RmpCountsFromItsStream)
{
    synth::Frame f;
    const QByteArray stream = synth::MakeStream(f, 7, '\0') + synth::MakeStream(f, 3, 'x');
    EXPECT_EQ(Probe(synth::Rmp(stream, synth::InfoList({{"IID3", kTag}}))).silence, 7);
}

TEST(LeadingSilence, LongSilenceIsCountedThroughWindows)
{
    synth::Frame f;
    const QByteArray silent = synth::MakeStream(f, 400, '\0'); // 10 s, past several read windows
    const Probed p = Probe(silent + synth::MakeStream(f, 600, 'x') + kTag);
    EXPECT_EQ(p.silence, 400);
    EXPECT_LE(p.reads, silent.size() / 65536 + 16) << "silent frames are read in 64 KiB windows, not one by one";
}

TEST(LeadingSilence, SilenceToTheEndOrRefusedKindsGiveZero)
{
    synth::Frame f;
    EXPECT_EQ(Probe(synth::MakeStream(f, 20, '\0') + kTag).silence, 0);
    EXPECT_EQ(Probe(synth::Id3v2(20) + synth::MakeStream(f, 3, '\0') + synth::MakeStream(f, 3, 'x')).silence, 0);
    QByteArray wave = synth::Rmp(synth::MakeStream(f, 3, '\0') + synth::MakeStream(f, 3, 'x'), {});
    wave.replace(8, 4, "WAVE");
    EXPECT_EQ(Probe(wave).silence, 0);
}

// Short real MP3s made by lame from a generated tone, with one second of digital silence
// in front.
class EncodedSongs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir;
        ASSERT_TRUE(dir_->isValid());
        const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
        ASSERT_FALSE(lame.isEmpty()) << "lame is needed (scripts/deps.sh installs it)";
        QByteArray pcm;
        const int rate = 44100;
        pcm.resize(4 * rate * 2);
        for (int i = 0; i < 4 * rate; ++i) {
            const double v = i < rate ? 0.0 : std::sin(2 * M_PI * 440.0 * i / rate) * 0.5 * (1 + std::sin(i / 3000.0));
            qToLittleEndian(static_cast<qint16>(v * 32767), pcm.data() + 2 * i);
        }
        const QString raw = dir_->filePath(QStringLiteral("tone.raw"));
        QFile f(raw);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(pcm) == pcm.size());
        f.close();
        auto encode = [&](const QStringList& mode, const QString& out) {
            QProcess p;
            p.start(lame, QStringList{"--quiet", "-r", "-s", "44.1", "--bitwidth", "16", "--signed", "--little-endian", "-m", "m"}
                              + mode + QStringList{raw, dir_->filePath(out)});
            ASSERT_TRUE(p.waitForFinished(60000));
            ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        };
        encode({"--cbr", "-b", "128"}, QStringLiteral("cbr.mp3"));
        encode({"-V", "4"}, QStringLiteral("vbr.mp3"));
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }
    static QString Path(const char* name) { return dir_->filePath(QLatin1String(name)); }
    static QTemporaryDir* dir_;
};
QTemporaryDir* EncodedSongs::dir_ = nullptr;

TEST_F(EncodedSongs, ConstantBitRateFileFromLame)
{
    SongFile song;
    ASSERT_TRUE(song.open(Path("cbr.mp3")));
    EXPECT_EQ(song.kind(), 0);
    const auto info = song.mpegInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->version, Mpeg1);
    EXPECT_EQ(info->layer, 3);
    EXPECT_EQ(info->channelMode, 3);
    EXPECT_EQ(info->bitRate, 128);
    EXPECT_EQ(info->sampleRate, 44100);
    EXPECT_EQ(info->playSeconds, 4);
    EXPECT_NEAR(info->durationMs, 4000, 60);
    // lame fills the main data of silent frames with its own bytes, so only its
    // information frame counts as silent.
    EXPECT_EQ(info->vbrHeader, VbrHeader::Kind::Info);
    EXPECT_EQ(SilentLeadFrames(Path("cbr.mp3")), 1);
}

TEST_F(EncodedSongs, VariableBitRateFileWithXingHeaderFromLame)
{
    SongFile song;
    ASSERT_TRUE(song.open(Path("vbr.mp3")));
    EXPECT_EQ(song.kind(), 0);
    const auto info = song.mpegInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->bitRate, 0);
    EXPECT_EQ(info->vbrHeader, VbrHeader::Kind::Xing);
    EXPECT_EQ(info->method, MpegInfo::Method::InfoFrame);
    EXPECT_EQ(info->playSeconds, 4);
    EXPECT_NEAR(info->durationMs, 4000, 60);
    EXPECT_EQ(SilentLeadFrames(Path("vbr.mp3")), 1);
}

TEST_F(EncodedSongs, VbrWithItsHeaderRemovedIsWalkedToTheSameTime)
{
    QFile f(Path("vbr.mp3"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const auto first = DecodeFrameHeader(bytes);
    ASSERT_TRUE(first);
    const Probed p = Probe(bytes.mid(first->frameLength));
    ASSERT_TRUE(p.mpeg);
    EXPECT_EQ(p.mpeg->method, MpegInfo::Method::FrameWalk);
    EXPECT_EQ(p.mpeg->bitRate, 0);
    EXPECT_NEAR(p.mpeg->durationMs, 4000, 60);
}

TEST(MpegStreamInfo, InformationFrameThatDisagreesWithTheFileIsNotTrusted)
{
    synth::Frame f; // 128 kbit/s, 44.1 kHz: 417-byte frames
    const quint32 stated = 11484; // 300 s
    const QByteArray whole = synth::MakeStream(f, int(stated));
    // A truncated copy keeps the header of the whole song: the play time is measured.
    const Probed cut = Probe(synth::MakeInfoFrame(f, "Xing", stated, quint32(whole.size())) + whole.left(whole.size() / 4) + kTag);
    ASSERT_TRUE(cut.mpeg);
    EXPECT_NE(cut.mpeg->method, MpegInfo::Method::InfoFrame);
    EXPECT_EQ(cut.mpeg->playSeconds, 74); // 2871 frames × 1152 / 44100 = 75.0, less the cut frame
    // A damaged header claims years for a few kilobytes.
    const Probed damaged = Probe(synth::MakeInfoFrame(f, "Xing", 0x7FFFFFF0u, 0) + synth::MakeStream(f, 16) + kTag);
    ASSERT_TRUE(damaged.mpeg);
    EXPECT_EQ(damaged.mpeg->playSeconds, 0);
    // A header that agrees with the file is still used.
    const Probed fine = Probe(synth::MakeInfoFrame(f, "Xing", 400, 0) + synth::MakeVbrStream(f, {9, 11, 5, 13}, 400) + kTag);
    EXPECT_EQ(fine.mpeg->method, MpegInfo::Method::InfoFrame);
}
