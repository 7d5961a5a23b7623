#include "playback/streamrange.h"

#include <QFile>

namespace playback {
namespace {

quint32 LittleEndian32(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}

QByteArray ReadAt(QFile& f, qint64 pos, qint64 n)
{
    if (pos < 0 || !f.seek(pos))
        return {};
    QByteArray b = f.read(n);
    return b.size() == n ? b : QByteArray();
}

} // namespace

StreamRangeError FindStreamRange(const QString& path, ByteRange* range)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return StreamRangeError::CannotRead;
    const qint64 length = f.size();
    const QByteArray head = ReadAt(f, 0, 12);
    if (head.startsWith("RIFF")) {
        if (head.mid(8, 4) == "WAVE")
            return StreamRangeError::NotMpeg;
        for (qint64 pos = 12; pos + 8 <= length;) {
            const QByteArray chunk = ReadAt(f, pos, 8);
            if (chunk.isEmpty())
                break;
            const qint64 size = LittleEndian32(chunk, 4);
            if (chunk.startsWith("data")) {
                range->begin = pos + 8;
                range->end = std::min(length, range->begin + size);
                return StreamRangeError::None;
            }
            pos += 8 + size + (size & 1);
        }
        return StreamRangeError::NotMpeg;
    }
    qint64 end = length;
    if (end >= 128 && ReadAt(f, end - 128, 3) == "TAG")
        end -= 128;
    if (end >= 15 + 11 && ReadAt(f, end - 9, 9) == "LYRICS200") {
        bool ok = false;
        const qint64 size = ReadAt(f, end - 15, 6).toLongLong(&ok);
        const qint64 start = end - 15 - size;
        if (ok && size >= 0 && start >= 0 && ReadAt(f, start, 11) == "LYRICSBEGIN")
            end = start;
    }
    range->begin = 0;
    range->end = end;
    return StreamRangeError::None;
}

} // namespace playback
