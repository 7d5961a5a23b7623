// Opens arbitrary bytes as a song file, decodes everything and seeks around.
#include "playback/decoder.h"
#include "playback/streamrange.h"

#include <QFile>
#include <QString>
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = QStringLiteral("/tmp/mwex-decoder-fuzz-%1.mp3").arg(getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    playback::ByteRange range;
    if (playback::FindStreamRange(path, &range) != playback::StreamRangeError::None)
        return 0;
    if (range.begin < 0 || range.end > qint64(size) || range.begin > range.end)
        __builtin_trap();
    playback::Decoder d;
    if (d.Open(path, range) != playback::DecoderError::None)
        return 0;
    std::vector<qint16> buffer(4096 * 2);
    qint64 total = 0;
    while (qint64 n = d.Read(buffer.data(), 4096))
        total += n;
    const qint64 length = d.LengthSamples();
    for (qint64 target : {qint64(0), length / 2, length, length + 1000}) {
        const qint64 reached = d.Seek(target);
        if (reached > length)
            __builtin_trap();
        d.Read(buffer.data(), 4096);
    }
    return 0;
}
