#pragma once
// The ID3v1 genre table, numbered 0 to 255.

#include <QString>
#include <QStringList>

namespace songfiles {

/// Genre number that means "no genre".
constexpr int kNoGenre = 250;

/// The table the song-information editor offers: names 0-147, 148-250 empty, and
/// 251-255 the extended Japanese genres when `exGenres` is on, else four empty entries
/// and "(なし)" at 255. Numbers outside 0-255 give an empty name.
QString GenreName(int number, bool exGenres);

/// All 256 entries of GenreName, in number order, empty ones included.
QStringList GenreTable(bool exGenres);

/// The name the engine gives a genre number: names 0-147 and the extended genres
/// 251-255 (the engine knows nothing of the editor's setting); empty otherwise.
QString EngineGenreName(int number);

} // namespace songfiles
