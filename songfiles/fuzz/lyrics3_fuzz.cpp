// Fuzzes the Lyrics3 v2 parser; a block that parses must build and parse back the same.
#include "songfiles/lyrics3.h"

#include <cstdlib>

using namespace songfiles;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<Lyrics3Record> record = ParseLyrics3(bytes);
    if (!record)
        return 0;
    const std::optional<QByteArray> built = BuildLyrics3(*record, Lyrics3Padding::None);
    if (!built)
        abort(); // every parsed value fits its field again
    const std::optional<Lyrics3Record> again = ParseLyrics3(*built);
    if (!again || again->other != record->other)
        abort();
    for (int i = LYR; i < kLyrics3FieldCount; ++i)
        if ((*again)[i] != (*record)[i])
            abort();
    const std::optional<QByteArray> padded = BuildLyrics3(*record, Lyrics3Padding::EvenLength);
    if (!padded || padded->size() % 2 || !padded->endsWith(*built))
        abort();
    return 0;
}
