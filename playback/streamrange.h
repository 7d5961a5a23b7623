#pragma once
// Where the MPEG audio stream of a song file lies.
//
// TEMPORARY: a minimal probe of our own until the song-file probe (RIFF data chunk,
// trailing Lyrics3 block and ID3v1 tag) is available to this library; replace every use
// of FindStreamRange with it then.

#include <QString>
#include <QtGlobal>

namespace playback {

/// A byte range [begin, end) of a file.
struct ByteRange {
    qint64 begin = 0;
    qint64 end = 0;
    qint64 size() const { return end - begin; }
};

enum class StreamRangeError { None, CannotRead, NotMpeg };

/// The byte range of the audio stream in the song file at `path`: the `data` chunk of a
/// RIFF file, else the file without a trailing ID3v1 tag and Lyrics3 v2 block.
StreamRangeError FindStreamRange(const QString& path, ByteRange* range);

} // namespace playback
