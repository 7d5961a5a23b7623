#include "playback/envelope.h"

#include "playback/decoder.h"
#include "playback/songstream.h"

#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace playback {

int Envelope::BucketAt(qint64 ms) const
{
    if (bucketFrames <= 0 || high.empty())
        return 0;
    const qint64 frame = ms * sampleRate / 1000;
    return int(std::clamp<qint64>(frame / bucketFrames, 0, qint64(high.size()) - 1));
}

qint64 Envelope::MsAt(int b) const
{
    return sampleRate > 0 ? qint64(b) * bucketFrames * 1000 / sampleRate : 0;
}

EnvelopeStatus ComputeEnvelope(const QString& path, int buckets, Envelope* out,
                               const std::function<void(int)>& progress, const std::atomic_bool* cancel,
                               QString* error)
{
    *out = Envelope();
    SongStream stream;
    QString why;
    if (FindSongStream(path, &stream, &why) != StreamError::None) {
        if (error)
            *error = why;
        return EnvelopeStatus::Failed;
    }
    Decoder decoder;
    if (decoder.Open(path, stream.range, &why) != DecoderError::None) {
        if (error)
            *error = why;
        return EnvelopeStatus::Failed;
    }
    buckets = std::max(buckets, 1);
    const qint64 length = decoder.LengthSamples();
    out->sampleRate = decoder.SampleRate();
    out->samples = length;
    out->bucketFrames = std::max<qint64>((length + buckets - 1) / buckets, 1);
    const int count = int((length + out->bucketFrames - 1) / out->bucketFrames);
    out->low.assign(size_t(count), 0);
    out->high.assign(size_t(count), 0);
    out->rms.assign(size_t(count), 0.0f);
    std::vector<double> sums(size_t(count), 0.0);

    constexpr qint64 kChunk = 1152 * 16;
    std::vector<qint16> pcm(size_t(kChunk) * Decoder::kChannels);
    qint64 position = 0;
    int reported = -1;
    while (qint64 n = decoder.Read(pcm.data(), kChunk)) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return EnvelopeStatus::Cancelled;
        qint64 i = 0;
        while (i < n && position + i < length) {
            const size_t b = size_t((position + i) / out->bucketFrames);
            const qint64 bucketEnd = std::min<qint64>(qint64(b + 1) * out->bucketFrames - position, n);
            qint16 lo = out->low[b], hi = out->high[b];
            double sum = 0;
            for (; i < bucketEnd; ++i) {
                const qint16 l = pcm[size_t(i) * 2], r = pcm[size_t(i) * 2 + 1];
                lo = std::min({lo, l, r});
                hi = std::max({hi, l, r});
                const double mid = (double(l) + double(r)) * 0.5;
                sum += mid * mid;
            }
            out->low[b] = lo;
            out->high[b] = hi;
            sums[b] += sum;
        }
        position += n;
        const int percent = int(std::min<qint64>(position * 100 / std::max<qint64>(length, 1), 100));
        if (progress && percent != reported) {
            reported = percent;
            progress(percent);
        }
    }
    for (int b = 0; b < count; ++b) {
        const qint64 frames = std::min<qint64>(out->bucketFrames, length - qint64(b) * out->bucketFrames);
        out->rms[size_t(b)] = frames > 0 ? float(std::sqrt(sums[size_t(b)] / double(frames)) / 32768.0) : 0.0f;
    }
    return EnvelopeStatus::Done;
}

EnvelopeJob::EnvelopeJob(QObject* parent)
    : QObject(parent)
{
}

EnvelopeJob::~EnvelopeJob()
{
    Cancel();
    Wait();
}

bool EnvelopeJob::Running() const
{
    return thread_ && thread_->isRunning();
}

void EnvelopeJob::Cancel()
{
    cancel_ = true;
}

void EnvelopeJob::Wait()
{
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
}

void EnvelopeJob::Start(const QString& path, int buckets)
{
    Cancel();
    Wait();
    cancel_ = false;
    result_ = Envelope();
    QPointer<EnvelopeJob> self(this);
    thread_ = QThread::create([this, self, path, buckets] {
        Envelope envelope;
        QString error;
        const EnvelopeStatus status = ComputeEnvelope(
            path, buckets, &envelope,
            [this, self](int percent) {
                QMetaObject::invokeMethod(this, [self, percent] {
                    if (self)
                        Q_EMIT self->progress(percent);
                }, Qt::QueuedConnection);
            },
            &cancel_, &error);
        QMetaObject::invokeMethod(this, [self, status, error, envelope = std::move(envelope)]() mutable {
            if (!self || self->cancel_)
                return;
            self->result_ = std::move(envelope);
            Q_EMIT self->finished(status, error);
        }, Qt::QueuedConnection);
    });
    thread_->start();
}

} // namespace playback
