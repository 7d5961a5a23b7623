#include "songfiles/genres.h"

#include <array>

namespace songfiles {
namespace {

constexpr std::array<const char*, 148> kNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-tecno",
    "Ambient", "Trip-Hop", "Vocal", "Juzz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk/Rock", "National Folk", "Swing", "Fast-Fusion", "Bedob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantagarde", "Gothic Rock", "Progressive Rock", "Psychadelic Rock",
    "Symphonic Rock", "Slow Rock", "Big band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "SpeechChanson", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass",
    "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhytmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella",
    "Euro-House", "Dance Hall", "Goa", "Dram & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Chiristian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop",
};

// 251-255 with the extended genres on.
constexpr std::array<const char*, 5> kExtended = {"Seiyu", "Tecno Ambient", "Moemoe", "Tokusatsu", "Anime(J)"};

} // namespace

QString GenreName(int number, bool exGenres)
{
    if (number >= 0 && number < static_cast<int>(kNames.size()))
        return QString::fromLatin1(kNames[static_cast<size_t>(number)]);
    if (number >= 251 && number <= 255) {
        if (exGenres)
            return QString::fromLatin1(kExtended[static_cast<size_t>(number - 251)]);
        if (number == 255)
            return QStringLiteral("(なし)");
    }
    return {};
}

QStringList GenreTable(bool exGenres)
{
    QStringList table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i)
        table << GenreName(i, exGenres);
    return table;
}

QString EngineGenreName(int number)
{
    return GenreName(number, true);
}

} // namespace songfiles
