#pragma once
// The amplitude envelope of a song for the waveform strip: the song decoded once
// through the engine's decoder, reduced to the smallest and largest sample and the RMS
// level of each bucket. Computed off the window thread, with progress and cancel.

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <vector>

namespace playback {

struct Envelope {
    int sampleRate = 0;
    qint64 samples = 0;       ///< the song's length in sample frames
    qint64 bucketFrames = 0;  ///< sample frames per bucket (the last may be shorter)
    std::vector<qint16> low;  ///< per bucket: the smallest sample of either channel
    std::vector<qint16> high; ///< per bucket: the largest sample
    std::vector<float> rms;   ///< per bucket: RMS of the mid signal, 0…1
    int Buckets() const { return int(high.size()); }
    /// The bucket that holds song time `ms`.
    int BucketAt(qint64 ms) const;
    /// The song time at the start of bucket `b` in ms.
    qint64 MsAt(int b) const;
};

enum class EnvelopeStatus { Done, Cancelled, Failed };

/// Decodes the song at `path` into `buckets` buckets. `progress` (may be empty) gets
/// 0…100 now and then; `cancel` (may be null) is checked between decoded chunks.
EnvelopeStatus ComputeEnvelope(const QString& path, int buckets, Envelope* out,
                               const std::function<void(int percent)>& progress = {},
                               const std::atomic_bool* cancel = nullptr, QString* error = nullptr);

/// Runs ComputeEnvelope on a thread of its own. Signals arrive on the thread that made
/// the job. Deleting the job cancels it and waits for the thread.
class EnvelopeJob : public QObject {
    Q_OBJECT
public:
    explicit EnvelopeJob(QObject* parent = nullptr);
    ~EnvelopeJob() override;

    /// Starts computing; a job already running is cancelled first.
    void Start(const QString& path, int buckets);
    void Cancel();
    bool Running() const;
    const Envelope& Result() const { return result_; }

Q_SIGNALS:
    void progress(int percent);
    /// `status` Done: Result() holds the envelope; `error` says why on Failed.
    void finished(playback::EnvelopeStatus status, const QString& error);

private:
    void Wait();

    QThread* thread_ = nullptr;
    std::atomic_bool cancel_{false};
    Envelope result_;
};

} // namespace playback
