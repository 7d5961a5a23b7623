#pragma once
// MPEG audio frame headers (MPEG 1, 2 and 2.5, layers I-III) and the VBR information
// frames that encoders put first in a stream (Xing/Info, VBRI).
//
// Bytes in, values out: nothing here touches a file.

#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace songfiles {

/// MPEG version as the engine reports it: 3 stands for MPEG 2.5.
enum MpegVersion : int { Mpeg1 = 1, Mpeg2 = 2, Mpeg25 = 3 };

/// A decoded 4-byte frame header.
struct FrameHeader {
    int version = 0;          // MpegVersion
    int layer = 0;            // 1 to 3
    bool protectionBit = true; // 0 on the wire means a 16-bit CRC follows the header
    int bitRateIndex = 0;     // 0 is the free format
    int bitRate = 0;          // kbit/s; 0 for the free format
    int sampleRateIndex = 0;
    int sampleRate = 0;       // Hz
    int padding = 0;          // 0 or 1
    bool privateBit = false;
    int channelMode = 0;      // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int modeExtension = 0;
    bool copyright = false;
    bool original = false;
    int emphasis = 0;
    /// Bytes from the first header byte to the next frame; 0 for the free format, whose
    /// length the header does not state.
    int frameLength = 0;

    bool hasCrc() const { return !protectionBit; }
    bool isFreeFormat() const { return bitRateIndex == 0; }
    bool isMono() const { return channelMode == 3; }
    /// Header bytes, the CRC included.
    int headerSize() const { return hasCrc() ? 6 : 4; }
    /// Layer III side information that follows the header (and CRC); 0 for layers I and II.
    int sideInfoSize() const;
    /// PCM samples per channel that one frame decodes to.
    int samplesPerFrame() const;
    /// True when `other` belongs to the same stream (version, layer, sample rate).
    bool sameStream(const FrameHeader& other) const
    {
        return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
    }
};

/// Decodes the four bytes at `bytes` (at least 4 must be there). Fails without the
/// 11-bit frame sync, on the reserved version, layer, bit-rate index 15 and sample-rate
/// index 3.
std::optional<FrameHeader> DecodeFrameHeader(QByteArrayView bytes);

/// Bit rate in kbit/s of `index` (0 to 14) for a version and layer; 0 for other indexes.
int BitRateKbps(int version, int layer, int index);

/// Frame length in bytes for the given values, rounded down; 0 when the bit rate is 0.
int FrameLength(int version, int layer, int bitRateKbps, int sampleRate, int padding);

/// The bit rate (kbit/s, rounded to the nearest) that makes frames of `frameLength`
/// bytes; used for free-format streams, whose frame length is measured.
int BitRateForFrameLength(const FrameHeader& header, int frameLength);

/// Information frame written in front of the audio by VBR (and some CBR) encoders.
struct VbrHeader {
    enum class Kind { Xing, Info, Vbri };
    Kind kind = Kind::Xing;
    std::optional<std::uint32_t> frames; // audio frames, the information frame excluded
    std::optional<std::uint32_t> bytes;  // stream bytes
};

/// Finds a Xing/Info or VBRI header in the bytes of the frame whose header is `header`
/// (`frame` starts at the header's first byte and may be cut short).
std::optional<VbrHeader> ParseVbrHeader(const FrameHeader& header, QByteArrayView frame);

} // namespace songfiles
