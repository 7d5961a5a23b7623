#include "playback/songstream.h"

#include "songfiles/songfile.h"

namespace playback {

StreamError FindSongStream(const QString& path, SongStream* stream, QString* why)
{
    songfiles::SongFile song;
    if (!song.open(path)) {
        if (why)
            *why = song.errorString();
        return StreamError::CannotRead;
    }
    const songfiles::SongLayout& layout = song.layout();
    if (layout.kind == songfiles::kNotASong || !layout.stream.found() || layout.stream.size <= 0) {
        if (why)
            *why = layout.notASongReason.isEmpty() ? QStringLiteral("%1 is not an MP3 or RMP file").arg(path)
                                                   : QStringLiteral("%1: %2").arg(path, layout.notASongReason);
        return StreamError::NotMpeg;
    }
    stream->kind = layout.kind;
    stream->range = layout.stream;
    return StreamError::None;
}

} // namespace playback
