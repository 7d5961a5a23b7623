#include "songfiles/silence.h"

#include "common/atomicfile.h"

#include <QFile>

#include <unistd.h>

namespace songfiles {

namespace {

constexpr qint64 kWindow = 65536; // frames past the kept head are read in windows this large

/// Frame bytes in order through one window: bytes the reader keeps are used as they are,
/// others are read a window at a time, so that a long silence costs a few reads.
class FrameBytes {
public:
    FrameBytes(SongReader& reader, qint64 end) : reader_(reader), end_(end) {}

    /// The `n` bytes at `pos` (inside the stream), or nullptr when a read fails.
    const char* at(qint64 pos, qint64 n)
    {
        if (const char* kept = reader_.keptAt(pos, n))
            return kept;
        if (pos < windowAt_ || pos + n > windowAt_ + window_.size()) {
            windowAt_ = pos;
            if (!reader_.readAt(pos, std::max(n, std::min(kWindow, end_ - pos)), window_))
                return nullptr;
        }
        return window_.constData() + (pos - windowAt_);
    }

private:
    SongReader& reader_;
    qint64 end_;
    QByteArray window_;
    qint64 windowAt_ = 0;
};

} // namespace

int SilentLeadFrames(SongReader& reader, const SongLayout& layout, const MpegInfo& info)
{
    constexpr int kMaxCount = 32767;
    if (layout.kind == kNotASong || (layout.kind & (Wave | Id3v2 | MacBinary)) || !layout.firstFrame)
        return 0;
    const FrameHeader& first = *layout.firstFrame;
    const qint64 end = layout.stream.end();
    qint64 pos = layout.stream.offset;
    int count = 0;
    if (info.bitRate == 0 || info.vbrHeader) {
        if (layout.firstFrameLength <= 0)
            return 0;
        pos += layout.firstFrameLength;
        count = 1;
    }
    FrameBytes bytes(reader, end);
    while (count <= kMaxCount) {
        if (pos + 4 > end)
            return 0;
        const char* b = bytes.at(pos, 4);
        if (!b)
            return 0;
        const auto h = DecodeFrameHeader(QByteArrayView(b, 4));
        if (!h || !h->sameStream(first))
            return 0;
        const int length = h->isFreeFormat() ? layout.firstFrameLength - first.padding + h->padding : h->frameLength;
        if (length <= h->headerSize() || pos + length > end)
            return 0;
        const char* frame = bytes.at(pos, length);
        if (!frame)
            return 0;
        for (qsizetype i = h->headerSize() + h->sideInfoSize(); i < length; ++i) {
            const auto c = std::uint8_t(frame[i]);
            if (c != 0x00 && c != 0xFF)
                return count;
        }
        ++count;
        pos += length;
    }
    return 0;
}

int SilentLeadFrames(const QString& path)
{
    // Only a regular file: a FIFO or device would block or never end.
    const int fd = common::OpenRegularFile(path, nullptr);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    SongReader reader(file);
    const std::optional<SongLayout> layout = ProbeSongLayout(reader);
    if (!layout || layout->kind == kNotASong)
        return 0;
    const std::optional<MpegInfo> info = MeasureMpeg(reader, *layout);
    return info ? SilentLeadFrames(reader, *layout, *info) : 0;
}

} // namespace songfiles
