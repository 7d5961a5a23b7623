// Frame headers of every MPEG version and layer, and the information frames.
#include "songfiles/mpegframe.h"
#include "songfiles/testdata/synth.h"

#include <gtest/gtest.h>

using namespace songfiles;

namespace {

FrameHeader Decode(const synth::Frame& f)
{
    const auto h = DecodeFrameHeader(synth::Header(f));
    EXPECT_TRUE(h.has_value());
    return h.value_or(FrameHeader());
}

} // namespace

TEST(FrameHeaderDecoding, Mpeg1LayerThreeAt128kbps)
{
    const auto h = DecodeFrameHeader(QByteArray("\xFF\xFB\x90\x64", 4));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->version, Mpeg1);
    EXPECT_EQ(h->layer, 3);
    EXPECT_EQ(h->bitRate, 128);
    EXPECT_EQ(h->sampleRate, 44100);
    EXPECT_EQ(h->padding, 0);
    EXPECT_EQ(h->channelMode, 1);
    EXPECT_FALSE(h->hasCrc());
    EXPECT_EQ(h->frameLength, 417); // 144 × 128000 / 44100
    EXPECT_EQ(h->samplesPerFrame(), 1152);
}

TEST(FrameHeaderDecoding, SampleRatesAreHalvedForMpeg2AndQuarteredForMpeg25)
{
    const int rates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    for (int v = 1; v <= 3; ++v)
        for (int sr = 0; sr < 3; ++sr) {
            synth::Frame f;
            f.version = v;
            f.sampleRateIndex = sr;
            f.bitRateIndex = 5;
            EXPECT_EQ(Decode(f).sampleRate, rates[v - 1][sr]) << v << " " << sr;
            EXPECT_EQ(Decode(f).version, v);
        }
}

TEST(FrameHeaderDecoding, BitRateTablesByVersionAndLayer)
{
    struct Case {
        int version, layer, index, kbps;
    } cases[] = {
        {1, 1, 14, 448}, {1, 1, 1, 32}, {1, 2, 14, 384}, {1, 2, 2, 48}, {1, 3, 14, 320}, {1, 3, 2, 40},
        {2, 1, 14, 256}, {2, 1, 9, 144}, {2, 2, 14, 160}, {2, 3, 1, 8}, {3, 1, 14, 160}, {3, 3, 9, 80},
    };
    for (const Case& c : cases) {
        synth::Frame f;
        f.version = c.version;
        f.layer = c.layer;
        f.bitRateIndex = c.index;
        EXPECT_EQ(Decode(f).bitRate, c.kbps) << c.version << "/" << c.layer << "/" << c.index;
        EXPECT_EQ(BitRateKbps(c.version, c.layer, c.index), c.kbps);
    }
}

TEST(FrameHeaderDecoding, FrameLengthsFollowTheLayerFormulas)
{
    // Layer I: (12 × bit rate × 1000 / sample rate + padding) × 4.
    EXPECT_EQ(FrameLength(Mpeg1, 1, 32, 44100, 0), (12 * 32000 / 44100) * 4);
    EXPECT_EQ(FrameLength(Mpeg1, 1, 32, 44100, 1), (12 * 32000 / 44100 + 1) * 4);
    EXPECT_EQ(FrameLength(Mpeg2, 1, 256, 24000, 1), (12 * 256000 / 24000 + 1) * 4);
    // MPEG 1 layers II and III, MPEG 2 layer II: 144 × bit rate × 1000 / sample rate + padding.
    EXPECT_EQ(FrameLength(Mpeg1, 2, 192, 48000, 0), 576);
    EXPECT_EQ(FrameLength(Mpeg1, 3, 128, 44100, 1), 418);
    EXPECT_EQ(FrameLength(Mpeg2, 2, 64, 22050, 0), 144 * 64000 / 22050);
    // MPEG 2 layer III and every MPEG 2.5 frame: 72 × ….
    EXPECT_EQ(FrameLength(Mpeg2, 3, 64, 22050, 0), 72 * 64000 / 22050);
    EXPECT_EQ(FrameLength(Mpeg25, 3, 8, 8000, 1), 73);
    EXPECT_EQ(FrameLength(Mpeg25, 2, 32, 11025, 0), 72 * 32000 / 11025);
    EXPECT_EQ(FrameLength(Mpeg1, 3, 0, 44100, 1), 0);
}

TEST(FrameHeaderDecoding, LayerThreeSideInformationSizes)
{
    synth::Frame f;
    f.channelMode = 0;
    EXPECT_EQ(Decode(f).sideInfoSize(), 32);
    f.channelMode = 3;
    EXPECT_EQ(Decode(f).sideInfoSize(), 17);
    f.version = 2;
    f.bitRateIndex = 5;
    EXPECT_EQ(Decode(f).sideInfoSize(), 9);
    f.channelMode = 2;
    EXPECT_EQ(Decode(f).sideInfoSize(), 17);
    f.version = 3;
    EXPECT_EQ(Decode(f).sideInfoSize(), 17);
    EXPECT_EQ(Decode(f).samplesPerFrame(), 576);
    f.layer = 2;
    EXPECT_EQ(Decode(f).sideInfoSize(), 0);
    f.layer = 1;
    EXPECT_EQ(Decode(f).samplesPerFrame(), 384);
}

TEST(FrameHeaderDecoding, CrcAndPrivateBitsAreKept)
{
    synth::Frame f;
    f.crc = true;
    f.padding = 1;
    const FrameHeader h = Decode(f);
    EXPECT_TRUE(h.hasCrc());
    EXPECT_EQ(h.headerSize(), 6);
    EXPECT_EQ(h.padding, 1);
    EXPECT_EQ(h.frameLength, 418);
}

TEST(FrameHeaderDecoding, RefusesWhatIsNotAHeader)
{
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFF\xFB\xF0\x64", 4))) << "bit-rate index 15";
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFF\xFB\x9C\x64", 4))) << "sample-rate index 3";
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFF\xF9\x90\x64", 4))) << "layer 00";
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFF\xEB\x90\x64", 4))) << "version 01";
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFE\xFB\x90\x64", 4))) << "no sync";
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFF\xDB\x90\x64", 4))) << "no sync";
    EXPECT_FALSE(DecodeFrameHeader(QByteArray("\xFF\xFB\x90", 3))) << "short";
}

TEST(FrameHeaderDecoding, FreeFormatHasNoStatedLength)
{
    synth::Frame f;
    f.bitRateIndex = 0;
    const FrameHeader h = Decode(f);
    EXPECT_TRUE(h.isFreeFormat());
    EXPECT_EQ(h.bitRate, 0);
    EXPECT_EQ(h.frameLength, 0);
    // 640 kbit/s at 44.1 kHz makes frames of 2089 bytes.
    EXPECT_EQ(BitRateForFrameLength(h, 2089), 640);
}

TEST(InformationFrames, XingAndInfoGiveFrameAndByteCounts)
{
    synth::Frame f;
    for (int mode : {0, 3}) {
        f.channelMode = mode;
        const QByteArray xing = synth::MakeInfoFrame(f, "Xing", 1234, 567890);
        const auto h = ParseVbrHeader(Decode(f), xing);
        ASSERT_TRUE(h);
        EXPECT_EQ(h->kind, VbrHeader::Kind::Xing);
        EXPECT_EQ(h->frames.value_or(0), 1234u);
        EXPECT_EQ(h->bytes.value_or(0), 567890u);
    }
    f.version = 2;
    f.bitRateIndex = 8;
    const auto info = ParseVbrHeader(Decode(f), synth::MakeInfoFrame(f, "Info", 77, 0));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->kind, VbrHeader::Kind::Info);
    EXPECT_EQ(info->frames.value_or(0), 77u);
}

TEST(InformationFrames, VbriSitsThirtyTwoBytesBehindTheHeader)
{
    synth::Frame f;
    const auto h = ParseVbrHeader(Decode(f), synth::MakeInfoFrame(f, "VBRI", 4321, 99999));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->kind, VbrHeader::Kind::Vbri);
    EXPECT_EQ(h->frames.value_or(0), 4321u);
    EXPECT_EQ(h->bytes.value_or(0), 99999u);
}

TEST(InformationFrames, CutShortOrAbsentGivesNothing)
{
    synth::Frame f;
    const QByteArray xing = synth::MakeInfoFrame(f, "Xing", 10, 20);
    EXPECT_FALSE(ParseVbrHeader(Decode(f), xing.left(40)));
    EXPECT_FALSE(ParseVbrHeader(Decode(f), synth::MakeFrame(f)));
}
