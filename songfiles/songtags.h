#pragma once
// Reading and rewriting a song's tags: the ID3v1 tag and Lyrics3 block of an MP3 file,
// or the INFO values (with the ID3v1 tag and Lyrics3 block kept inside them) of an RMP.

#include "songfiles/id3v1.h"
#include "songfiles/lyrics3.h"
#include "songfiles/riffinfo.h"
#include "songfiles/songkind.h"

#include <QString>
#include <optional>

namespace songfiles {

/// Everything the song-information editor shows.
struct SongTags {
    SongKind kind = kNotASong;
    bool hasId3v1 = false;
    Id3v1Record id3v1;         // genre 250 and no genre name without a tag
    InfoValues info;           // RIFF files only
    QString lyrics;            // the LYR text of the Lyrics3 block at the end
    std::optional<Lyrics3Record> lyrics3; // that whole block, when it parses
};

/// Reads the tags of `path` into `tags`. Refuses files that are not songs or carry
/// ID3v2 or MacBinary; RIFF files (Rmp or Wave) must have an INFO list. A Lyrics3 block
/// that does not parse fails the read. On failure `tags` holds whatever was read.
bool ReadSongTags(const QString& path, SongTags& tags, QString* error = nullptr);

/// Rewrites the tags of `path` through a temporary file (see songrewrite.h).
/// RIFF: the INFO values are merged into the ID3v1 record; with lyrics, ILYC becomes a
///   Lyrics3 block (filled from the INFO values) followed by the tag, else IID3 becomes
///   the tag; the file is the chunks up to and including the data chunk, the other
///   chunks that are not an INFO list, and the new INFO list.
/// MP3: the audio in front of the old Lyrics3 block or tag, a Lyrics3 block (filled from
///   the record) when there are lyrics, and the tag built from the record.
/// Refuses WAVE, ID3v2 and MacBinary files, a file whose Lyrics3 block does not parse
/// (it would be lost unread), and text the code page cannot represent.
bool RewriteSongTags(const QString& path, const Id3v1Record& record, const InfoValues& info, bool exGenres,
                     const QString& lyrics, QString* error = nullptr);

} // namespace songfiles
