#include "playback/decoder.h"

#include "common/atomicfile.h"

#include <QFile>
#include <mpg123.h>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace playback {
namespace {

/// The reader handed to libmpg123: a file seen through a byte range, so that offset 0
/// is the range's first byte and the end of the range is the end of the stream.
struct RangeReader {
    QFile file;
    songfiles::ByteRange range;
    qint64 pos = 0; // relative to range.offset

    static mpg123_ssize_t Read(void* handle, void* buffer, size_t bytes)
    {
        auto* r = static_cast<RangeReader*>(handle);
        const qint64 left = r->range.size - r->pos;
        const qint64 want = std::min<qint64>(qint64(bytes), std::max<qint64>(left, 0));
        if (want == 0)
            return 0;
        if (!r->file.seek(r->range.offset + r->pos))
            return -1;
        const qint64 got = r->file.read(static_cast<char*>(buffer), want);
        if (got < 0)
            return -1;
        r->pos += got;
        return mpg123_ssize_t(got);
    }

    static off_t Seek(void* handle, off_t offset, int whence)
    {
        auto* r = static_cast<RangeReader*>(handle);
        qint64 target;
        switch (whence) {
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = r->pos + offset; break;
        case SEEK_END: target = r->range.size + offset; break;
        default: return -1;
        }
        if (target < 0 || target > r->range.size)
            return -1;
        r->pos = target;
        return off_t(target);
    }
};

bool LibraryReady()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
#if MPG123_API_VERSION < 46
        ok = mpg123_init() == MPG123_OK;
#else
        ok = true; // the library initialises itself
#endif
    });
    return ok;
}

} // namespace

QString DecoderLibraryVersion()
{
    return QStringLiteral(MWEX_MPG123_VERSION);
}

struct Decoder::Impl {
    mpg123_handle* mh = nullptr;
    RangeReader reader;

    ~Impl()
    {
        if (mh) {
            mpg123_close(mh);
            mpg123_delete(mh);
        }
    }
};

Decoder::Decoder() = default;
Decoder::~Decoder() = default;

bool Decoder::IsOpen() const
{
    return d_ != nullptr;
}

void Decoder::Close()
{
    d_.reset();
    facts_ = {};
    atEnd_ = false;
}

DecoderError Decoder::Open(const QString& path, songfiles::ByteRange range, QString* message)
{
    Close();
    auto fail = [&](DecoderError kind, const QString& why) {
        if (message)
            *message = why;
        d_.reset();
        facts_ = {};
        return kind;
    };
    if (!LibraryReady())
        return fail(DecoderError::Library, QStringLiteral("the MPEG decoder library cannot be initialised"));

    auto impl = std::make_unique<Impl>();
    // By the name's real bytes (it may not be UTF-8), and only a regular file: a FIFO
    // would block.
    QString openError;
    const int fd = common::OpenRegularFile(path, &openError);
    if (fd < 0)
        return fail(DecoderError::CannotRead, openError);
    if (!impl->reader.file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(DecoderError::CannotRead, QStringLiteral("cannot open %1: %2").arg(path, impl->reader.file.errorString()));
    }
    const qint64 fileSize = impl->reader.file.size();
    const qint64 begin = std::clamp<qint64>(range.offset, 0, fileSize);
    const qint64 end = std::clamp<qint64>(range.offset + range.size, begin, fileSize);
    impl->reader.range = songfiles::ByteRange{begin, end - begin};
    if (end == begin)
        return fail(DecoderError::NoAudio, QStringLiteral("the file holds no audio data"));

    int err = MPG123_OK;
    impl->mh = mpg123_new(nullptr, &err);
    if (!impl->mh)
        return fail(DecoderError::Library, QStringLiteral("cannot create an MPEG decoder: %1").arg(QString::fromUtf8(mpg123_plain_strerror(err))));
    mpg123_handle* mh = impl->mh;
    // Quiet; always stereo; skip junk of any length between frames; index every frame.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0);
    mpg123_param(mh, MPG123_RESYNC_LIMIT, -1, 0);
    mpg123_param(mh, MPG123_INDEX_SIZE, -1000, 0);
    if (mpg123_replace_reader_handle(mh, &RangeReader::Read, &RangeReader::Seek, nullptr) != MPG123_OK
        || mpg123_open_handle(mh, &impl->reader) != MPG123_OK)
        return fail(DecoderError::NoAudio, QStringLiteral("cannot start decoding: %1").arg(QString::fromUtf8(mpg123_strerror(mh))));

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return fail(DecoderError::NoAudio, QStringLiteral("no MPEG audio frame found"));
    // One output format for the whole stream: a later frame at another rate is resampled.
    mpg123_format_none(mh);
    if (mpg123_format(mh, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
        return fail(DecoderError::NoAudio, QStringLiteral("unsupported sample rate %1 Hz").arg(rate));
    if (mpg123_scan(mh) != MPG123_OK)
        return fail(DecoderError::NoAudio, QStringLiteral("cannot index the MPEG frames: %1").arg(QString::fromUtf8(mpg123_strerror(mh))));

    mpg123_frameinfo2 info{};
    mpg123_info2(mh, &info);
    facts_.mpegVersion = info.version == MPG123_1_0 ? 1 : info.version == MPG123_2_0 ? 2 : 3;
    facts_.layer = info.layer;
    facts_.channelMode = info.mode;
    facts_.bitRate = info.vbr == MPG123_CBR ? info.bitrate : 0;
    facts_.sampleRate = int(rate);
    facts_.samplesPerFrame = std::max(mpg123_spf(mh), 1);
    facts_.frames = std::max<off_t>(mpg123_framelength(mh), 0);
    facts_.samples = std::max<off_t>(mpg123_length(mh), 0);
    if (facts_.samples == 0)
        return fail(DecoderError::NoAudio, QStringLiteral("no MPEG audio frame found"));
    if (mpg123_seek(mh, 0, SEEK_SET) < 0)
        return fail(DecoderError::NoAudio, QStringLiteral("cannot rewind the stream: %1").arg(QString::fromUtf8(mpg123_strerror(mh))));
    d_ = std::move(impl);
    atEnd_ = false;
    return DecoderError::None;
}

qint64 Decoder::Read(qint16* out, qint64 maxFrames)
{
    if (!d_ || atEnd_ || maxFrames <= 0)
        return 0;
    const size_t bytesWanted = size_t(maxFrames) * kChannels * sizeof(qint16);
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    size_t total = 0;
    // A format message or a resync can return without data; a few empty rounds are
    // allowed before the stream counts as ended.
    int emptyRounds = 0;
    while (total < bytesWanted) {
        size_t done = 0;
        const int rc = mpg123_read(d_->mh, bytes + total, bytesWanted - total, &done);
        total += done;
        if (rc == MPG123_DONE || rc == MPG123_ERR || (rc != MPG123_OK && rc != MPG123_NEW_FORMAT)) {
            atEnd_ = true;
            break;
        }
        if (done == 0 && ++emptyRounds > 64) {
            atEnd_ = true;
            break;
        }
    }
    return qint64(total / (kChannels * sizeof(qint16)));
}

qint64 Decoder::Position() const
{
    if (!d_)
        return 0;
    const off_t pos = mpg123_tell(d_->mh);
    return pos < 0 ? 0 : pos;
}

qint64 Decoder::Seek(qint64 sample, bool frameAligned)
{
    if (!d_)
        return -1;
    sample = std::clamp<qint64>(sample, 0, facts_.samples);
    if (frameAligned)
        sample -= sample % facts_.samplesPerFrame;
    const off_t reached = mpg123_seek(d_->mh, off_t(sample), SEEK_SET);
    if (reached < 0)
        return -1;
    atEnd_ = false;
    return reached;
}

} // namespace playback
