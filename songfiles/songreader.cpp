#include "songfiles/songreader.h"

#include <QIODevice>

namespace songfiles {
namespace {
SongReader::FaultInjector& Injector()
{
    static SongReader::FaultInjector injector;
    return injector;
}
} // namespace

SongReader::SongReader(QIODevice& device) : device_(device), size_(device.size()) {}

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
    const int index = reads_++;
    if (const auto& inj = Injector(); inj && !inj(index))
        return fail(QStringLiteral("read error (injected failure)"));
    if (n == 0)
        return true;
    if (!device_.seek(pos))
        return fail(QStringLiteral("cannot seek: %1").arg(device_.errorString()));
    qint64 done = 0;
    while (done < n) {
        const qint64 got = device_.read(out + done, n - done);
        if (got <= 0)
            return fail(got == 0 ? QStringLiteral("the file ended early (it changed while being read)")
                                 : QStringLiteral("read error: %1").arg(device_.errorString()));
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
