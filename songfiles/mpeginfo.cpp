#include "songfiles/mpeginfo.h"

#include <array>
#include <cmath>

namespace songfiles {
namespace {

constexpr qint64 kSampleWindow = 2048; // a stream is found again within this
constexpr qint64 kWalkWindow = 65536;  // frame headers are walked through reads this large
constexpr int kSpreadSamples = 4;
constexpr int kMaxResyncs = 32;

/// The offset in `window` (read at `pos`) of the first header of the stream of `first`,
/// within kSampleWindow bytes, that is followed by a second one or by the end; -1 if none.
qsizetype FindChained(QByteArrayView window, qint64 pos, qint64 end, const FrameHeader& first)
{
    const qsizetype limit = std::min<qsizetype>(kSampleWindow, window.size() - 4);
    for (qsizetype i = 0; i < limit; ++i) {
        if (std::uint8_t(window[i]) != 0xFF)
            continue;
        const auto h = DecodeFrameHeader(window.sliced(i, 4));
        if (!h || !h->sameStream(first) || h->frameLength < h->headerSize())
            continue;
        const qsizetype next = i + h->frameLength;
        if (next + 4 <= window.size()) {
            const auto h2 = DecodeFrameHeader(window.sliced(next, 4));
            if (!h2 || !h2->sameStream(first))
                continue;
        } else if (pos + next != end) {
            continue;
        }
        return i;
    }
    return -1;
}

/// Finds the stream again at or after `pos` (see FindChained); `found` is -1 when it is
/// not within reach. False when the read fails.
bool Resync(SongReader& reader, qint64 pos, qint64 end, const FrameHeader& first, qint64& found)
{
    found = -1;
    QByteArray window;
    if (!reader.readAt(pos, std::min(2 * kSampleWindow, end - pos), window))
        return false;
    const qsizetype at = FindChained(window, pos, end, first);
    if (at >= 0)
        found = pos + at;
    return true;
}

/// Walks the frames in a window at `pos` (from the first one found there) and clears
/// `constant` when one has a bit-rate index other than `index` (set by the first seen).
/// The window is read into `window`, which the caller keeps for the next one.
bool WindowBitRates(SongReader& reader, qint64 pos, qint64 end, const FrameHeader& first, int& index, bool& constant,
                    QByteArray& window)
{
    if (!reader.readAt(pos, std::min(2 * kSampleWindow, end - pos), window))
        return false;
    const QByteArrayView view(window);
    for (qsizetype i = FindChained(view, pos, end, first); i >= 0 && i + 4 <= view.size();) {
        const auto frame = DecodeFrameHeader(view.sliced(i, 4));
        if (!frame || !frame->sameStream(first) || frame->frameLength < frame->headerSize())
            break;
        if (index < 0)
            index = frame->bitRateIndex;
        else if (frame->bitRateIndex != index)
            constant = false;
        i += frame->frameLength;
    }
    return true;
}

/// Lengths of the frames of one stream by their header bytes, remembered by the byte
/// that varies (bit rate, sample rate, padding): the walk decodes each kind only once.
class FrameLengths {
public:
    explicit FrameLengths(const FrameHeader& first) : first_(first) { known_.fill(-1); }

    /// The length of the frame whose header is at `h`, or 0 when it is not a frame of
    /// this stream.
    int of(const char* h)
    {
        const auto b1 = std::uint8_t(h[1]), b2 = std::uint8_t(h[2]);
        if (std::uint8_t(h[0]) != 0xFF || (b1 & 0xFE) != (firstByte1() & 0xFE))
            return 0;
        int& known = known_[(b2 << 1) | (b1 & 1)];
        if (known < 0) {
            const auto header = DecodeFrameHeader(QByteArrayView(h, 4));
            known = header && header->sameStream(first_) && header->frameLength >= header->headerSize()
                ? header->frameLength
                : 0;
        }
        return known;
    }

private:
    std::uint8_t firstByte1() const
    {
        const int versionBits = first_.version == Mpeg1 ? 3 : first_.version == Mpeg2 ? 2 : 0;
        return std::uint8_t(0xE0 | (versionBits << 3) | ((4 - first_.layer) << 1));
    }

    FrameHeader first_;
    std::array<int, 512> known_;
};

double SecondsPerFrame(const FrameHeader& h)
{
    return double(h.samplesPerFrame()) / h.sampleRate;
}

/// Length in bytes of a frame of the stream of `h` at `kbps` (padding aside).
qint64 FrameLengthAt(const FrameHeader& h, int kbps)
{
    const qint64 bits = qint64(kbps) * 1000;
    if (h.layer == 1)
        return (12 * bits / h.sampleRate) * 4;
    if (h.version == Mpeg1 || h.layer == 2)
        return 144 * bits / h.sampleRate;
    return 72 * bits / h.sampleRate;
}

/// Whether the counts of an information frame fit a stream of `streamBytes` bytes: a
/// truncated copy or a damaged header states far more (or less) than the file holds.
bool VbrCountsFit(const FrameHeader& first, const VbrHeader& vbr, qint64 streamBytes)
{
    const double frames = double(*vbr.frames);
    const double slack = std::max(streamBytes * 0.1, double(8 * first.frameLength));
    if (vbr.bytes && *vbr.bytes > 0 && std::abs(double(*vbr.bytes) - double(streamBytes)) > slack)
        return false;
    // Every frame is at least as long as one at the lowest bit rate and at most as long
    // as one at the highest (plus padding).
    const double shortest = double(FrameLengthAt(first, BitRateKbps(first.version, first.layer, 1)));
    const double longest = double(FrameLengthAt(first, BitRateKbps(first.version, first.layer, 14)) + 4);
    if (frames * shortest > streamBytes + slack || frames * longest < streamBytes - slack)
        return false;
    // An Info frame belongs to a constant bit rate: the count must match it closely.
    if (vbr.kind == VbrHeader::Kind::Info && first.bitRate > 0
        && std::abs(frames * double(FrameLengthAt(first, first.bitRate)) - double(streamBytes)) > slack)
        return false;
    return true;
}

/// The facts every measurement starts from: those of the first frame.
MpegInfo StreamFacts(const FrameHeader& first, const SongLayout& layout)
{
    MpegInfo info;
    info.version = first.version;
    info.layer = first.layer;
    info.channelMode = first.channelMode;
    info.sampleRate = first.sampleRate;
    info.crc = first.hasCrc();
    info.freeFormat = first.isFreeFormat();
    info.stream = layout.stream;
    return info;
}

/// Sets the play time from `seconds`.
MpegInfo Finish(MpegInfo info, double seconds)
{
    info.durationMs = static_cast<qint64>(seconds * 1000.0);
    info.playSeconds = static_cast<int>(info.durationMs / 1000);
    return info;
}

/// Free format: every frame has the measured length (plus padding).
MpegInfo MeasureFreeFormat(MpegInfo info, const FrameHeader& first, const SongLayout& layout)
{
    const int length = layout.firstFrameLength - first.padding;
    info.bitRate = BitRateForFrameLength(first, length);
    info.frames = layout.stream.size / std::max(1, length);
    info.method = MpegInfo::Method::ConstantRate;
    return Finish(info, double(layout.stream.size) / length * SecondsPerFrame(first));
}

/// Whether every frame in a window at the start and in windows spread over the stream
/// has the bit rate of the first audio frame; `bitRateIndex` gets that rate's index.
/// False when a read fails.
bool LooksConstant(SongReader& reader, qint64 audioStart, qint64 end, const FrameHeader& first, int& bitRateIndex,
                   bool& constant)
{
    constant = true;
    bitRateIndex = -1;
    QByteArray window;
    for (int k = 0; constant && k <= kSpreadSamples; ++k) {
        const qint64 at = audioStart + (end - audioStart) * k / (kSpreadSamples + 1);
        if (k > 0 && at + 8 > end)
            break;
        if (!WindowBitRates(reader, at, end, first, bitRateIndex, constant, window))
            return false;
    }
    if (bitRateIndex < 0)
        bitRateIndex = first.bitRateIndex;
    return true;
}

/// Counts the frames of a variable bit rate stream without an information frame by
/// walking every frame header; nullopt when a read fails.
std::optional<qint64> WalkFrames(SongReader& reader, qint64 audioStart, qint64 end, const FrameHeader& first)
{
    qint64 frames = 0;
    qint64 walked = 0; // stream bytes covered by counted frames
    int resyncs = 0;
    FrameLengths lengths(first);
    // Headers are read through a window, so that a stream of small frames costs a few
    // reads rather than one per frame; every page of the file would be touched anyway.
    reader.adviseSequential(audioStart, end - audioStart);
    QByteArray window;
    qint64 windowAt = 0;
    qint64 pos = audioStart;
    while (pos + 4 <= end) {
        if (pos < windowAt || pos + 4 > windowAt + window.size()) {
            windowAt = pos;
            if (!reader.readAt(pos, std::min(kWalkWindow, end - pos), window))
                return std::nullopt;
        }
        const int length = lengths.of(window.constData() + (pos - windowAt));
        if (length > 0) {
            ++frames;
            walked += length;
            pos += length;
            continue;
        }
        // Damaged data: find the stream again a little further on.
        qint64 found = -1;
        if (++resyncs <= kMaxResyncs && !Resync(reader, pos + 1, end, first, found))
            return std::nullopt;
        if (found < 0) {
            // Nothing more to walk: estimate the rest from the average frame so far.
            if (frames > 0)
                frames += (end - pos) * frames / std::max<qint64>(1, walked);
            break;
        }
        pos = found;
    }
    return frames;
}

} // namespace

std::optional<MpegInfo> MeasureMpeg(SongReader& reader, const SongLayout& layout, QString* error)
{
    auto readFailed = [&]() -> std::optional<MpegInfo> {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    };
    if (!layout.firstFrame || layout.firstFrameLength <= 0) {
        if (error)
            *error = QStringLiteral("no MPEG stream");
        return std::nullopt;
    }
    const FrameHeader& first = *layout.firstFrame;
    const qint64 start = layout.stream.offset;
    const qint64 end = layout.stream.end();
    MpegInfo info = StreamFacts(first, layout);
    if (first.isFreeFormat())
        return MeasureFreeFormat(info, first, layout);

    // An information frame in front of the audio states the frame count.
    QByteArray frame;
    if (!reader.readAt(start, std::min<qint64>(first.frameLength, end - start), frame))
        return readFailed();
    const std::optional<VbrHeader> vbr = ParseVbrHeader(first, frame);
    if (vbr) {
        info.vbrHeader = vbr->kind;
        if (vbr->frames && *vbr->frames > 0 && VbrCountsFit(first, *vbr, end - start)) {
            info.method = MpegInfo::Method::InfoFrame;
            info.frames = *vbr->frames;
            info.bitRate = vbr->kind == VbrHeader::Kind::Info ? first.bitRate : 0;
            return Finish(info, double(info.frames) * SecondsPerFrame(first));
        }
    }
    const qint64 audioStart = vbr ? start + first.frameLength : start;

    bool constant = true;
    int bitRateIndex = -1;
    if (!LooksConstant(reader, audioStart, end, first, bitRateIndex, constant))
        return readFailed();
    if (constant) {
        info.method = MpegInfo::Method::ConstantRate;
        info.bitRate = BitRateKbps(first.version, first.layer, bitRateIndex);
        const double seconds = double(end - audioStart) * 8.0 / (info.bitRate * 1000.0);
        info.frames = static_cast<qint64>(seconds / SecondsPerFrame(first));
        return Finish(info, seconds);
    }

    // A variable bit rate without an information frame: walk the frame headers.
    const std::optional<qint64> frames = WalkFrames(reader, audioStart, end, first);
    if (!frames)
        return readFailed();
    info.method = MpegInfo::Method::FrameWalk;
    info.bitRate = 0;
    info.frames = *frames;
    return Finish(info, double(*frames) * SecondsPerFrame(first));
}

} // namespace songfiles
