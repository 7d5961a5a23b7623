#pragma once
// Where the MPEG audio stream of a song file lies, as the song-file probe finds it: the
// `data` chunk of an RMP, the file between a leading ID3v2 tag or MacBinary header and
// the trailing Lyrics3 block and ID3v1 tag of an MP3.

#include "songfiles/songkind.h"
#include "songfiles/songreader.h"

#include <QString>

namespace playback {

enum class StreamError { None, CannotRead, NotMpeg };

struct SongStream {
    songfiles::SongKind kind = songfiles::kNotASong;
    songfiles::ByteRange range;
};

/// Probes the song file at `path`. NotMpeg when it is not an MP3 or RMP file or holds no
/// MPEG stream; `why` (may be null) says why it failed.
StreamError FindSongStream(const QString& path, SongStream* stream, QString* why = nullptr);

} // namespace playback
