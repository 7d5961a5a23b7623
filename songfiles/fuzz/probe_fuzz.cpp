// Fuzzes the song-file probe: layout, stream measurement, leading silence and every
// block the layout finds, on arbitrary file bytes.
#include "songfiles/id3v1.h"
#include "songfiles/lyrics3.h"
#include "songfiles/mpeginfo.h"
#include "songfiles/riffinfo.h"
#include "songfiles/silence.h"
#include "songfiles/songlayout.h"

#include <QBuffer>
#include <cstdlib>

using namespace songfiles;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    SongReader reader(buffer);
    const std::optional<SongLayout> layout = ProbeSongLayout(reader);
    if (!layout)
        abort(); // reads of an in-memory file never fail
    const SongLayout& L = *layout;
    auto inside = [&](ByteRange r) { return !r.found() || (r.offset >= 0 && r.size >= 0 && r.end() <= L.fileSize); };
    if (!inside(L.stream) || !inside(L.id3v1) || !inside(L.lyrics3) || !inside(L.lyrics3v1) || !inside(L.dataFork))
        abort();
    if (L.kind == kNotASong)
        return 0;
    if (std::optional<MpegInfo> info = MeasureMpeg(reader, L)) {
        if (info->playSeconds < 0 || info->sampleRate <= 0)
            abort();
        const int silence = SilentLeadFrames(reader, L, *info);
        if (silence < 0 || silence > 32767)
            abort();
    }
    if (L.id3v1.found())
        (void)BuildId3v1(ParseId3v1(L.id3v1Bytes));
    std::optional<QByteArray> block;
    if (!ReadLyrics3Bytes(reader, L.tagsEnd, block))
        abort();
    if (block)
        (void)ParseLyrics3(*block);
    if (L.listChunk) {
        QByteArray list;
        if (!reader.readAt(L.listChunk->data(), L.listChunk->size, list))
            abort();
        (void)ReadInfoList(list);
    }
    return 0;
}
