// Fuzzes the RIFF INFO list reader; what it reads must write and read back unchanged.
#include "songfiles/riffinfo.h"
#include "songfiles/songedit.h"

#include <cstdlib>

using namespace songfiles;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<InfoValues> values = ReadInfoList(bytes);
    if (!values)
        return 0;
    for (const QByteArray& v : values->bytes) {
        QByteArray block, tag;
        if (SplitLyrics3AndTag(v, block, tag) && (tag.size() != 128 || !block.startsWith("LYRICSBEGIN")))
            abort();
    }
    const QByteArray once = WriteInfoList(*values);
    const std::optional<InfoValues> back = ReadInfoList(QByteArrayView(once).sliced(8));
    if (!back)
        abort();
    // Everything comes back, except an IID3 that a Lyrics3 block with its tag in ILYC
    // replaces.
    InfoValues expected = *values;
    if (HoldsLyrics3AndTag(expected.bytes[ILYC]))
        expected.bytes[IID3].clear();
    if (*back != expected)
        abort();
    const QByteArray twice = WriteInfoList(*back);
    const std::optional<InfoValues> third = ReadInfoList(QByteArrayView(twice).sliced(8));
    if (!third || *third != *back || WriteInfoList(*third) != twice)
        abort();
    return 0;
}
