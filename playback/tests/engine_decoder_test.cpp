// The decoder: what part of a file is audio, exact lengths, seeking, and bad input.
#include "playback/decoder.h"
#include "playback/songstream.h"
#include "playback/tests/testsongs.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

using namespace playback;
using testsongs::WriteTemp;

namespace {

struct Opened {
    DecoderError error = DecoderError::Library;
    std::unique_ptr<Decoder> decoder;
};

/// Opens the stream the song-file probe finds; a file in which it finds none is handed
/// to the decoder whole, so that the decoder's own refusal is what is tested.
Opened OpenFile(const QString& path)
{
    Opened o;
    SongStream stream;
    if (FindSongStream(path, &stream) != StreamError::None)
        stream.range = songfiles::ByteRange{0, QFileInfo(path).size()};
    o.decoder = std::make_unique<Decoder>();
    o.error = o.decoder->Open(path, stream.range);
    return o;
}

Opened OpenBytes(const QString& name, const QByteArray& bytes)
{
    return OpenFile(WriteTemp(name, bytes));
}

std::vector<qint16> DecodeAll(Decoder& d)
{
    std::vector<qint16> all;
    std::vector<qint16> chunk(4096 * Decoder::kChannels);
    for (int guard = 0; guard < 100000; ++guard) {
        const qint64 n = d.Read(chunk.data(), 4096);
        if (n == 0)
            break;
        all.insert(all.end(), chunk.begin(), chunk.begin() + n * Decoder::kChannels);
    }
    return all;
}

qint64 DecodedFrames(Decoder& d)
{
    return qint64(DecodeAll(d).size()) / Decoder::kChannels;
}

} // namespace

TEST(DecoderStream, SilentFramesDecodeToExactlyTheirSamples)
{
    auto o = OpenBytes("plain.mp3", testsongs::SilentFrames(40));
    ASSERT_EQ(o.error, DecoderError::None);
    const StreamFacts& f = o.decoder->Facts();
    EXPECT_EQ(f.sampleRate, 44100);
    EXPECT_EQ(f.mpegVersion, 1);
    EXPECT_EQ(f.layer, 3);
    EXPECT_EQ(f.bitRate, 128);
    EXPECT_EQ(f.samplesPerFrame, 1152);
    EXPECT_EQ(f.frames, 40);
    EXPECT_EQ(f.samples, 40 * 1152);
    EXPECT_EQ(DecodedFrames(*o.decoder), 40 * 1152);
    EXPECT_TRUE(o.decoder->AtEnd());
}

TEST(DecoderStream, LowSampleRatesUseMpeg2Frames)
{
    auto o = OpenBytes("mpeg2.mp3", testsongs::SilentFrames(30, 22050));
    ASSERT_EQ(o.error, DecoderError::None);
    EXPECT_EQ(o.decoder->SampleRate(), 22050);
    EXPECT_EQ(o.decoder->Facts().mpegVersion, 2);
    EXPECT_EQ(o.decoder->Facts().samplesPerFrame, 576);
    EXPECT_EQ(DecodedFrames(*o.decoder), 30 * 576);
}

TEST(DecoderStream, RmpStreamIsReadFromItsDataChunk)
{
    const QByteArray mpeg = testsongs::SilentFrames(25, 48000);
    const QString path = WriteTemp("song.rmp", testsongs::Rmp(mpeg));
    SongStream stream;
    ASSERT_EQ(FindSongStream(path, &stream), StreamError::None);
    EXPECT_TRUE(stream.kind & songfiles::Rmp);
    EXPECT_EQ(stream.range.offset, 20);
    EXPECT_EQ(stream.range.size, mpeg.size());
    auto o = OpenFile(path);
    ASSERT_EQ(o.error, DecoderError::None);
    EXPECT_EQ(o.decoder->SampleRate(), 48000);
    EXPECT_EQ(DecodedFrames(*o.decoder), 25 * 1152);
}

TEST(DecoderStream, TrailingTagsAreNeverDecoded)
{
    // The Lyrics3 block carries whole MPEG frames as its lyrics: were the block read as
    // audio, they would add samples.
    const QByteArray mpeg = testsongs::SilentFrames(20);
    const QByteArray song = mpeg + testsongs::Lyrics3Block(testsongs::SilentFrames(6)) + testsongs::Id3v1Tag();
    const QString path = WriteTemp("tagged.mp3", song);
    SongStream stream;
    ASSERT_EQ(FindSongStream(path, &stream), StreamError::None);
    EXPECT_EQ(stream.range.offset, 0);
    EXPECT_EQ(stream.range.end(), mpeg.size());
    auto o = OpenFile(path);
    ASSERT_EQ(o.error, DecoderError::None);
    EXPECT_EQ(o.decoder->LengthSamples(), 20 * 1152);
    EXPECT_EQ(DecodedFrames(*o.decoder), 20 * 1152);
}

TEST(DecoderStream, GarbageBetweenFramesIsSkipped)
{
    QByteArray song = testsongs::SilentFrames(10);
    song += QByteArray(3000, 'x');
    song += testsongs::SilentFrames(10);
    auto o = OpenBytes("garbage.mp3", song);
    ASSERT_EQ(o.error, DecoderError::None);
    const qint64 frames = DecodedFrames(*o.decoder);
    EXPECT_GE(frames, 19 * 1152);
    EXPECT_LE(frames, 20 * 1152);
}

TEST(DecoderStream, TruncatedLastFrameEndsTheStream)
{
    QByteArray song = testsongs::SilentFrames(12);
    song.chop(200);
    auto o = OpenBytes("truncated.mp3", song);
    ASSERT_EQ(o.error, DecoderError::None);
    const qint64 frames = DecodedFrames(*o.decoder);
    EXPECT_GE(frames, 11 * 1152);
    EXPECT_LE(frames, 12 * 1152);
    EXPECT_TRUE(o.decoder->AtEnd());
}

TEST(DecoderFailure, FilesWithoutMpegAudioAreRefused)
{
    QByteArray noise(20000, '\0');
    std::srand(7);
    for (char& c : noise)
        c = char(std::rand() & 0x7F); // no 0xFF byte, so no frame sync anywhere
    EXPECT_EQ(OpenBytes("noise.mp3", noise).error, DecoderError::NoAudio);
    EXPECT_EQ(OpenBytes("text.mp3", "just some text\r\n").error, DecoderError::NoAudio);
    EXPECT_EQ(OpenBytes("empty.mp3", QByteArray()).error, DecoderError::NoAudio);
    EXPECT_EQ(OpenBytes("onlytag.mp3", testsongs::Id3v1Tag()).error, DecoderError::NoAudio);
}

TEST(DecoderFailure, MissingFileCannotBeRead)
{
    Decoder d;
    EXPECT_EQ(d.Open(QStringLiteral("/nonexistent/song.mp3"), songfiles::ByteRange{0, 1000}), DecoderError::CannotRead);
    EXPECT_FALSE(d.IsOpen());
    qint16 buffer[8];
    EXPECT_EQ(d.Read(buffer, 4), 0);
    EXPECT_EQ(d.Seek(0), -1);
}

TEST(DecoderFailure, WaveFilesAreNotMpeg)
{
    QByteArray wav("RIFF\x24\0\0\0WAVEfmt ", 16);
    const QString path = WriteTemp("sound.wav", wav + QByteArray(40, '\0'));
    SongStream stream;
    EXPECT_EQ(FindSongStream(path, &stream), StreamError::NotMpeg);
    EXPECT_EQ(FindSongStream(QStringLiteral("/nonexistent/song.mp3"), &stream), StreamError::CannotRead);
}

TEST(DecoderFailure, EveryPrefixOfAnRmpOpensOrFailsCleanly)
{
    const QByteArray rmp = testsongs::Rmp(testsongs::SilentFrames(3));
    for (int n = 0; n <= rmp.size(); n += 7) {
        auto o = OpenBytes("prefix.rmp", rmp.left(n));
        if (o.error == DecoderError::None) {
            EXPECT_LE(DecodedFrames(*o.decoder), 3 * 1152) << n;
        }
    }
}

class DecoderSeek : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const QByteArray mp3 = testsongs::EncodedTone(3.0);
        if (mp3.isEmpty())
            return;
        path_ = new QString(WriteTemp("tone.mp3", mp3));
        auto o = OpenFile(*path_);
        if (o.error == DecoderError::None)
            whole_ = new std::vector<qint16>(DecodeAll(*o.decoder));
    }
    static void TearDownTestSuite()
    {
        delete path_;
        delete whole_;
        path_ = nullptr;
        whole_ = nullptr;
    }
    void SetUp() override
    {
        if (!whole_)
            GTEST_SKIP() << "lame is not available";
    }
    static QString* path_;
    static std::vector<qint16>* whole_;
};
QString* DecoderSeek::path_ = nullptr;
std::vector<qint16>* DecoderSeek::whole_ = nullptr;

TEST_F(DecoderSeek, LandsOnTheExactSample)
{
    auto o = OpenFile(*path_);
    ASSERT_EQ(o.error, DecoderError::None);
    const qint64 length = o.decoder->LengthSamples();
    EXPECT_EQ(qint64(whole_->size()) / 2, length);
    for (qint64 target : {qint64(0), qint64(1), qint64(1151), qint64(50000), qint64(77777), length - 3000, qint64(12345)}) {
        ASSERT_EQ(o.decoder->Seek(target), target);
        EXPECT_EQ(o.decoder->Position(), target);
        std::vector<qint16> got(2000 * 2);
        const qint64 n = o.decoder->Read(got.data(), 2000);
        ASSERT_EQ(n, std::min<qint64>(2000, length - target));
        // The samples are those of the straight decode at that place: the decoder
        // re-primes the bit reservoir from the frames in front.
        int worst = 0;
        for (qint64 i = 0; i < n * 2; ++i)
            worst = std::max(worst, std::abs(got[size_t(i)] - (*whole_)[size_t(target * 2 + i)]));
        EXPECT_EQ(worst, 0) << "at " << target;
    }
}

TEST_F(DecoderSeek, FrameAlignedSeekRoundsDownToTheFrame)
{
    auto o = OpenFile(*path_);
    ASSERT_EQ(o.error, DecoderError::None);
    EXPECT_EQ(o.decoder->Seek(50000, true), 50000 - 50000 % 1152);
    EXPECT_EQ(o.decoder->Seek(2304, true), 2304);
}

TEST_F(DecoderSeek, SeekPastTheEndStopsAtTheEnd)
{
    auto o = OpenFile(*path_);
    ASSERT_EQ(o.error, DecoderError::None);
    const qint64 length = o.decoder->LengthSamples();
    EXPECT_EQ(o.decoder->Seek(length + 100000), length);
    qint16 buffer[64];
    EXPECT_EQ(o.decoder->Read(buffer, 32), 0);
    EXPECT_TRUE(o.decoder->AtEnd());
    // Seeking back makes it readable again.
    EXPECT_EQ(o.decoder->Seek(1000), 1000);
    EXPECT_FALSE(o.decoder->AtEnd());
    EXPECT_EQ(o.decoder->Read(buffer, 32), 32);
}
