#pragma once
// The details provider of the program: lyrics files through the lyrics library, songs
// through the MP3 engine's file calls.

#include "browser/core/details.h"

namespace browser {

class LibraryDetailsProvider : public DetailsProvider {
public:
    /// Reads the whole file (CP932 or UTF-8), normalises its line breaks and reports its
    /// tag kind, the time base of its correction data, its "@TaggingBy=" value and its
    /// title and artist.
    std::optional<LyricsDetails> readLyrics(const QString& path, bool userWinAmpTime) const override;
    /// The engine's classification and tag and stream information of a song.
    SongDetails readSong(const QString& path) const override;
    int songKind(const QString& path) const override;
};

/// The value of "@TaggingBy=" (case as written): the text after it up to the next CR;
/// nullopt when the text has no such key.
std::optional<QString> TaggingByValue(const QString& text);

} // namespace browser
