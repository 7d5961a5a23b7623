#include "songfiles/mpegframe.h"

#include <cmath>

namespace songfiles {
namespace {

// kbit/s by bit-rate index 0-14 (index 0, the free format, is 0).
constexpr int kBitRates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG 1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG 1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG 1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG 2 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // the rest
};

constexpr int kSampleRates[3] = {44100, 48000, 32000};

int BitRateTable(int version, int layer)
{
    if (version == Mpeg1)
        return layer - 1;
    if (version == Mpeg2 && layer == 1)
        return 3;
    return 4;
}

std::uint32_t BigEndian32(QByteArrayView b, qsizetype at)
{
    return (std::uint32_t(std::uint8_t(b[at])) << 24) | (std::uint32_t(std::uint8_t(b[at + 1])) << 16)
        | (std::uint32_t(std::uint8_t(b[at + 2])) << 8) | std::uint32_t(std::uint8_t(b[at + 3]));
}

std::optional<VbrHeader> ParseXing(QByteArrayView frame, qsizetype at)
{
    if (at + 8 > frame.size())
        return std::nullopt;
    const QByteArrayView tag = frame.sliced(at, 4);
    VbrHeader h;
    if (tag == "Xing")
        h.kind = VbrHeader::Kind::Xing;
    else if (tag == "Info")
        h.kind = VbrHeader::Kind::Info;
    else
        return std::nullopt;
    const std::uint32_t flags = BigEndian32(frame, at + 4);
    qsizetype p = at + 8;
    if (flags & 1) {
        if (p + 4 > frame.size())
            return std::nullopt;
        h.frames = BigEndian32(frame, p);
        p += 4;
    }
    if (flags & 2) {
        if (p + 4 > frame.size())
            return std::nullopt;
        h.bytes = BigEndian32(frame, p);
    }
    return h;
}

} // namespace

int FrameHeader::sideInfoSize() const
{
    if (layer != 3)
        return 0;
    if (version == Mpeg1)
        return isMono() ? 17 : 32;
    return isMono() ? 9 : 17;
}

int FrameHeader::samplesPerFrame() const
{
    if (layer == 1)
        return 384;
    if (layer == 3 && version != Mpeg1)
        return 576;
    return 1152;
}

int BitRateKbps(int version, int layer, int index)
{
    if (index < 0 || index > 14 || layer < 1 || layer > 3)
        return 0;
    return kBitRates[BitRateTable(version, layer)][index];
}

int FrameLength(int version, int layer, int bitRateKbps, int sampleRate, int padding)
{
    if (bitRateKbps <= 0 || sampleRate <= 0)
        return 0;
    const long long bps = static_cast<long long>(bitRateKbps) * 1000;
    if (layer == 1)
        return static_cast<int>((12 * bps / sampleRate + padding) * 4);
    if (version == Mpeg1 || (version == Mpeg2 && layer == 2))
        return static_cast<int>(144 * bps / sampleRate + padding);
    return static_cast<int>(72 * bps / sampleRate + padding);
}

int BitRateForFrameLength(const FrameHeader& h, int frameLength)
{
    if (frameLength <= 0 || h.sampleRate <= 0)
        return 0;
    double bytesPerFrame = frameLength;
    if (h.layer == 1)
        bytesPerFrame = frameLength / 4.0 - h.padding;
    else
        bytesPerFrame = frameLength - h.padding;
    int factor = 72;
    if (h.layer == 1)
        factor = 12;
    else if (h.version == Mpeg1 || (h.version == Mpeg2 && h.layer == 2))
        factor = 144;
    return static_cast<int>(std::lround(bytesPerFrame * h.sampleRate / factor / 1000.0));
}

std::optional<FrameHeader> DecodeFrameHeader(QByteArrayView bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    const auto b0 = std::uint8_t(bytes[0]), b1 = std::uint8_t(bytes[1]), b2 = std::uint8_t(bytes[2]),
               b3 = std::uint8_t(bytes[3]);
    if (b0 != 0xFF || (b1 & 0xE0) != 0xE0)
        return std::nullopt;
    FrameHeader h;
    switch ((b1 >> 3) & 3) {
    case 3: h.version = Mpeg1; break;
    case 2: h.version = Mpeg2; break;
    case 0: h.version = Mpeg25; break;
    default: return std::nullopt; // reserved
    }
    switch ((b1 >> 1) & 3) {
    case 3: h.layer = 1; break;
    case 2: h.layer = 2; break;
    case 1: h.layer = 3; break;
    default: return std::nullopt; // reserved
    }
    h.protectionBit = (b1 & 1) != 0;
    h.bitRateIndex = b2 >> 4;
    if (h.bitRateIndex == 15)
        return std::nullopt;
    h.sampleRateIndex = (b2 >> 2) & 3;
    if (h.sampleRateIndex == 3)
        return std::nullopt;
    h.sampleRate = kSampleRates[h.sampleRateIndex];
    if (h.version == Mpeg2)
        h.sampleRate /= 2;
    else if (h.version == Mpeg25)
        h.sampleRate /= 4;
    h.padding = (b2 >> 1) & 1;
    h.privateBit = (b2 & 1) != 0;
    h.channelMode = b3 >> 6;
    h.modeExtension = (b3 >> 4) & 3;
    h.copyright = (b3 & 8) != 0;
    h.original = (b3 & 4) != 0;
    h.emphasis = b3 & 3;
    h.bitRate = BitRateKbps(h.version, h.layer, h.bitRateIndex);
    h.frameLength = FrameLength(h.version, h.layer, h.bitRate, h.sampleRate, h.padding);
    return h;
}

std::optional<VbrHeader> ParseVbrHeader(const FrameHeader& header, QByteArrayView frame)
{
    // Xing/Info sits right after the side information. Encoders differ on whether a CRC
    // moves it, so both places are tried.
    const qsizetype xingAt = 4 + header.sideInfoSize();
    if (auto h = ParseXing(frame, xingAt))
        return h;
    if (header.hasCrc())
        if (auto h = ParseXing(frame, xingAt + 2))
            return h;
    // VBRI always sits 32 bytes after the header.
    constexpr qsizetype vbriAt = 36;
    if (vbriAt + 18 <= frame.size() && frame.sliced(vbriAt, 4) == "VBRI") {
        VbrHeader h;
        h.kind = VbrHeader::Kind::Vbri;
        h.bytes = BigEndian32(frame, vbriAt + 10);
        h.frames = BigEndian32(frame, vbriAt + 14);
        return h;
    }
    return std::nullopt;
}

} // namespace songfiles
