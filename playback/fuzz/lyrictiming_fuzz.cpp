// Feeds arbitrary lyrics texts to the lyric timer and reads the state at many positions.
#include "playback/lyrictiming.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    playback::LyricTimer timer;
    timer.SetAtMarkUse(playback::AtMarkUse(data[0] % 3));
    timer.SetTimeBase(playback::LyricsTimeBase(data[1] % 2));
    timer.SetWinAmpRatio(data[1] & 2 ? 0.9953125 : 1.0);
    timer.SetAdvanceMs(data[0]);
    timer.SetSongEndMs(200000);
    timer.SetText(QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)));
    for (qint64 ms = -1000; ms < 400000; ms += 997) {
        const playback::LyricState s = timer.StateAt(ms);
        if (s.integers[3] < 0)
            __builtin_trap();
        // What is sung at the segment's start and end is always a prefix of the line.
        if (!s.texts[5].startsWith(s.texts[4]) || !s.texts[4].startsWith(s.texts[3]))
            __builtin_trap();
    }
    return 0;
}
