#include "songfiles/songreader.h"

#include <QFile>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace songfiles {
namespace {
SongReader::FaultInjector& Injector()
{
    static SongReader::FaultInjector injector;
    return injector;
}
} // namespace

SongReader::SongReader(int fd, qint64 size) : handle_(fd), size_(size)
{
    kept_.reserve(3); // the head, the tail and the start of a stream further in
}

SongReader::SongReader(QIODevice& device) : device_(&device), size_(device.size())
{
#ifdef Q_OS_UNIX
    // One pread per read instead of a seek and a read through the device.
    if (auto* file = qobject_cast<QFile*>(&device); file && !(file->openMode() & QIODevice::WriteOnly))
        handle_ = file->handle();
#endif
}

void SongReader::keep(qint64 pos, QByteArray bytes)
{
    kept_.emplace_back(pos, std::move(bytes));
}

const char* SongReader::keptAt(qint64 pos, qint64 n) const
{
    for (const auto& [at, bytes] : kept_)
        if (pos >= at && n >= 0 && n <= at + bytes.size() - pos)
            return bytes.constData() + (pos - at);
    return nullptr;
}

void SongReader::adviseSequential(qint64 pos, qint64 n)
{
#if defined(Q_OS_UNIX) && defined(POSIX_FADV_SEQUENTIAL)
    if (handle_ >= 0 && n > 0) {
        ::posix_fadvise(handle_, static_cast<off_t>(pos), static_cast<off_t>(n), POSIX_FADV_SEQUENTIAL);
        ::posix_fadvise(handle_, static_cast<off_t>(pos), static_cast<off_t>(n), POSIX_FADV_WILLNEED);
    }
#else
    Q_UNUSED(pos);
    Q_UNUSED(n);
#endif
}

void SongReader::SetFaultInjector(FaultInjector injector)
{
    Injector() = std::move(injector);
}

bool SongReader::fail(const QString& why)
{
    error_ = why;
    return false;
}

bool SongReader::readAt(qint64 pos, qint64 n, char* out)
{
    if (pos < 0 || n < 0 || pos > size_ || n > size_ - pos)
        return fail(QStringLiteral("a block points outside the file"));
    for (const auto& [at, bytes] : kept_) {
        if (pos >= at && n <= at + bytes.size() - pos) {
            if (n > 0)
                std::memcpy(out, bytes.constData() + (pos - at), static_cast<size_t>(n));
            return true;
        }
    }
    const int index = reads_++;
    if (const auto& inj = Injector(); inj && !inj(index))
        return fail(QStringLiteral("read error (injected failure)"));
    return n == 0 || readDevice(pos, n, out);
}

bool SongReader::readDevice(qint64 pos, qint64 n, char* out)
{
    qint64 done = 0;
#ifdef Q_OS_UNIX
    if (handle_ >= 0) {
        while (done < n) {
            const ssize_t got = ::pread(handle_, out + done, static_cast<size_t>(n - done), static_cast<off_t>(pos + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return fail(got == 0 ? QStringLiteral("the file ended early (it changed while being read)")
                                     : QStringLiteral("read error: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            done += got;
        }
        return true;
    }
#endif
    if (!device_ || !device_->seek(pos))
        return fail(QStringLiteral("cannot seek: %1").arg(device_ ? device_->errorString() : QString()));
    while (done < n) {
        const qint64 got = device_->read(out + done, n - done);
        if (got <= 0)
            return fail(got == 0 ? QStringLiteral("the file ended early (it changed while being read)")
                                 : QStringLiteral("read error: %1").arg(device_->errorString()));
        done += got;
    }
    return true;
}

bool SongReader::readAt(qint64 pos, qint64 n, QByteArray& out)
{
    if (pos < 0 || n < 0 || pos > size_ || n > size_ - pos)
        return fail(QStringLiteral("a block points outside the file"));
    out.resize(n);
    if (!readAt(pos, n, out.data())) {
        out.clear();
        return false;
    }
    return true;
}

bool SongReader::readUpTo(qint64 pos, qint64 n, QByteArray& out)
{
    if (pos < 0 || n < 0 || pos > size_)
        return fail(QStringLiteral("a block points outside the file"));
    return readAt(pos, std::min(n, size_ - pos), out);
}

} // namespace songfiles
