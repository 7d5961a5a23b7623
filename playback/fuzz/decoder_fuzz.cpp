// Opens arbitrary bytes as a song file, decodes everything and seeks around: nothing
// may crash, hang or touch memory it does not own.
#include "playback/decoder.h"
#include "playback/songstream.h"

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
    playback::SongStream stream;
    if (playback::FindSongStream(path, &stream) != playback::StreamError::None)
        return 0;
    if (stream.range.offset < 0 || stream.range.size < 0 || stream.range.end() > qint64(size))
        __builtin_trap();
    playback::Decoder d;
    if (d.Open(path, stream.range) != playback::DecoderError::None)
        return 0;
    std::vector<qint16> buffer(4096 * 2);
    const qint64 length = d.LengthSamples();
    // Decoding ends; junk that changes layer or rate midway may decode to more samples
    // than the first frame's layout let the index scan count, which is harmless.
    while (d.Read(buffer.data(), 4096) > 0) {
    }
    // Seeks in junk that changes layer midway may land far from the target; they must
    // only never fail to come back or break the decoder.
    for (qint64 target : {qint64(0), length / 2, length, length + 1000}) {
        if (d.Seek(target) >= 0)
            d.Read(buffer.data(), 4096);
    }
    return 0;
}
