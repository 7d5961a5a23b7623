#pragma once
// The stream facts of a song: MPEG version, layer, channel mode, bit rate, sample rate
// and play time, measured from frame headers without decoding any audio.

#include "songfiles/mpegframe.h"
#include "songfiles/songlayout.h"

#include <optional>

namespace songfiles {

struct MpegInfo {
    int version = 0;     // 1, 2, or 3 for MPEG 2.5
    int layer = 0;       // 1 to 3
    int channelMode = 0; // 3 is mono
    int bitRate = 0;     // kbit/s; 0 for a variable bit rate
    int sampleRate = 0;  // Hz
    int playSeconds = 0; // whole seconds, rounded down

    /// How the play time was found.
    enum class Method {
        InfoFrame,      // the frame count of a Xing/Info or VBRI header
        ConstantRate,   // stream bytes at the constant bit rate
        FrameWalk,      // every frame header counted (VBR without an information frame)
    };
    Method method = Method::ConstantRate;
    std::optional<VbrHeader::Kind> vbrHeader;
    bool crc = false;
    bool freeFormat = false;
    qint64 frames = 0;      // audio frames (estimated for ConstantRate)
    qint64 durationMs = 0;
    ByteRange stream;
};

/// Measures the stream of a file whose layout has a first frame. Play time is exact for
/// constant bit rates and for streams with an information frame. Other streams whose bit
/// rate is seen to vary (every frame in 8 KiB windows at the start and at four places
/// spread over the stream is looked at) are measured by walking every frame header, one
/// read per 64 KiB.
/// nullopt when the layout has no stream or a read fails.
std::optional<MpegInfo> MeasureMpeg(SongReader& reader, const SongLayout& layout, QString* error = nullptr);

} // namespace songfiles
