#pragma once
// The classification of a song file, as the engine's file-type call reports it.

#include <QStringList>

namespace songfiles {

/// -1 when the file is not an MP3 or RMP file, else a set of SongKindFlag values.
using SongKind = int;
constexpr SongKind kNotASong = -1;

enum SongKindFlag : int {
    Wave = 1,       // a RIFF WAVE file with an MPEG stream: refused by every tag operation
    Rmp = 2,        // a RIFF "RMP3" file with an MPEG stream in its data chunk
    Id3v2 = 4,      // begins with an ID3v2 tag: refused by every tag operation
    MacBinary = 8,  // begins with a MacBinary header, which must be cut off before writing
    MarkI = 16,     // ends with an ID3v1 tag (shown as "I")
    Lyrics3 = 32,   // carries a Lyrics3 v2 block
    Embedded = 64,  // carries lyrics in a form that is not replaced (a Lyrics3 v1 block)
};

inline bool HasFlag(SongKind kind, SongKindFlag flag)
{
    return kind != kNotASong && (kind & flag) != 0;
}

/// Treated as RIFF by the tag routines.
inline bool IsRiffKind(SongKind kind)
{
    return HasFlag(kind, Rmp) || HasFlag(kind, Wave);
}

/// A song the player and the tag editor accept: not -1, and none of Wave, Id3v2, MacBinary.
inline bool IsPlayableKind(SongKind kind)
{
    return kind != kNotASong && !(kind & (Wave | Id3v2 | MacBinary));
}

/// The names of the set flags, in value order ("Rmp", "Lyrics3" …); empty for -1.
QStringList SongKindFlagNames(SongKind kind);

} // namespace songfiles
