#pragma once
// Bounded random-access reads from a song file or any other seekable device.

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class QIODevice;

namespace songfiles {

/// A range of bytes in a file; offset -1 means "not there".
struct ByteRange {
    qint64 offset = -1;
    qint64 size = 0;
    bool found() const { return offset >= 0; }
    qint64 end() const { return offset + size; }
    bool operator==(const ByteRange&) const = default;
};

/// Reads exact byte ranges from a device and refuses any range outside it, so a length
/// read from a file can never lead to a read past its end.
class SongReader {
public:
    /// `device` must be open for reading and random access; its size is taken now.
    explicit SongReader(QIODevice& device);
    /// Reads an open file descriptor of a regular file of `size` bytes with pread; the
    /// descriptor stays the caller's.
    SongReader(int fd, qint64 size);

    qint64 size() const { return size_; }

    /// Reads `n` bytes at `pos` into `out`. False when the range is not inside the file
    /// or the read fails; errorString() says why.
    bool readAt(qint64 pos, qint64 n, QByteArray& out);
    /// Same into a caller's buffer of at least `n` bytes.
    bool readAt(qint64 pos, qint64 n, char* out);
    /// Reads up to `n` bytes at `pos`, fewer at the end of the file (none past it).
    bool readUpTo(qint64 pos, qint64 n, QByteArray& out);

    /// Tells the system that `n` bytes from `pos` will be read in order next, so that it
    /// reads ahead (a frame walk reads a whole stream).
    void adviseSequential(qint64 pos, qint64 n);

    /// Keeps bytes already read (at `pos`) to serve later reads inside them.
    void keep(qint64 pos, QByteArray bytes);
    /// The `n` bytes at `pos` when kept bytes hold them (valid until the next keep()),
    /// else nullptr; never reads.
    const char* keptAt(qint64 pos, qint64 n) const;

    /// Reads that went to the device.
    int readCount() const { return reads_; }
    QString errorString() const { return error_; }

    /// Test hook: called before every read with its index in this reader; returning false
    /// makes that read fail as an I/O error would. nullptr removes it.
    using FaultInjector = std::function<bool(int readIndex)>;
    static void SetFaultInjector(FaultInjector injector);

private:
    bool fail(const QString& why);

    bool readDevice(qint64 pos, qint64 n, char* out);

    QIODevice* device_ = nullptr;
    int handle_ = -1; // a file descriptor (of a QFile or given), read with pread
    qint64 size_ = 0;
    std::vector<std::pair<qint64, QByteArray>> kept_;
    int reads_ = 0;
    QString error_;
};

} // namespace songfiles
