#include "songfiles/songkind.h"

namespace songfiles {

QStringList SongKindFlagNames(SongKind kind)
{
    static const std::pair<SongKindFlag, const char*> kNames[] = {
        {Wave, "Wave"}, {Rmp, "Rmp"}, {Id3v2, "Id3v2"}, {MacBinary, "MacBinary"},
        {MarkI, "MarkI"}, {Lyrics3, "Lyrics3"}, {Embedded, "Embedded"},
    };
    QStringList names;
    if (kind == kNotASong)
        return names;
    for (const auto& [flag, name] : kNames)
        if (kind & flag)
            names << QLatin1String(name);
    return names;
}

} // namespace songfiles
