#include "songfiles/songinfo.h"

#include "songfiles/genres.h"

namespace songfiles {
namespace {

/// The numbers below this one are the standard genres, shown at their own index.
constexpr int kStandardGenres = 148;
/// The extended genres 251-255 are shown at 148-152.
constexpr int kExtendedShift = 103;

QString CutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

InfoIndex SongInfoFieldValue(SongInfoField field)
{
    static constexpr InfoIndex kValues[kSongInfoFieldCount] = {INAM, IART, IPRD, ICMT, ICRD, IGNR, ICOP,
                                                               ISRC, IENG, ISFT, IKEY, ILYC, ITCH, ICMS};
    return kValues[field];
}

QStringList GenreBoxEntries(bool exGenres)
{
    QStringList entries;
    for (const QString& name : GenreTable(exGenres))
        if (!name.isEmpty())
            entries << name;
    return entries;
}

int GenreBoxIndex(int genre, bool exGenres)
{
    if (genre >= 0 && genre < kStandardGenres)
        return genre;
    if (exGenres && genre > kNoGenre && genre <= 255)
        return genre - kExtendedShift;
    return -1;
}

int GenreFromBoxIndex(int index, bool exGenres)
{
    if (index < 0)
        return kNoGenre;
    if (index < kStandardGenres)
        return index;
    return exGenres ? index + kExtendedShift : kNoGenre;
}

QString SongInfoLine(bool isRmp, bool hasLyrics3, const MpegInfo& mpeg)
{
    QString line = isRmp ? QStringLiteral("RMP ") : QStringLiteral("MP3 ");
    if (hasLyrics3)
        line += QStringLiteral("L3V2 ");
    line += QString::number(mpeg.sampleRate / 1000.0) + QStringLiteral("kHz ");
    line += QString::number(mpeg.bitRate) + QStringLiteral("bps ");
    line += mpeg.channelMode == 3 ? QStringLiteral("Mono ") : QStringLiteral("Stereo ");
    const int seconds = qMax(0, mpeg.playSeconds);
    line += QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return line;
}

QString ShortenPath(const QString& path, int width, const std::function<int(const QString&)>& measure)
{
    if (path.size() <= 3 || measure(path) <= width)
        return path;
    const QString head = path.left(3) + QStringLiteral("...");
    QString tail = path.mid(3);
    while (!tail.isEmpty() && measure(head + tail) > width)
        tail.remove(0, 1);
    return head + tail;
}

SongInfoFields FieldsFromTags(const SongTags& tags)
{
    SongInfoFields f;
    const QString id3[] = {tags.id3v1.title, tags.id3v1.artist, tags.id3v1.album, tags.id3v1.comment, tags.id3v1.year};
    const SongInfoField own[] = {FieldTitle, FieldArtist, FieldAlbum, FieldComment, FieldYear};
    for (int i = 0; i < 5; ++i) {
        const QString info = CutAtNul(tags.info.text(SongInfoFieldValue(own[i])));
        f[own[i]] = info.isEmpty() ? CutAtNul(id3[i]) : info;
    }
    const QString genre = CutAtNul(tags.info.text(IGNR));
    f[FieldGenre] = genre.isEmpty() ? CutAtNul(tags.id3v1.genreName) : genre;
    if (!IsRiffKind(tags.kind))
        return f;
    for (SongInfoField field : {FieldCopyright, FieldSource, FieldEngineer, FieldSoftware, FieldKeywords,
                                FieldTechnician, FieldCommissioned})
        f[field] = CutAtNul(tags.info.text(SongInfoFieldValue(field)));
    const QByteArray& lyrics = tags.info.bytes[ILYC];
    f.lyricsIsBlock = HasFlag(tags.kind, Lyrics3) && lyrics.startsWith("LYRICSBEGIN");
    f[FieldLyrics] = f.lyricsIsBlock ? QStringLiteral("(LYRICS3)") : CutAtNul(tags.info.text(ILYC));
    return f;
}

bool ApplyFields(const SongInfoFields& fields, int genre, bool isRmp, bool writeLyrics, SongTags& tags, QString* error)
{
    Id3v1Record& r = tags.id3v1;
    r.title = fields[FieldTitle];
    r.artist = fields[FieldArtist];
    r.album = fields[FieldAlbum];
    r.comment = fields[FieldComment];
    r.year = fields[FieldYear];
    r.genre = genre;
    r.genreName = EngineGenreName(genre);
    if (!isRmp)
        return true;
    InfoValues info = tags.info;
    for (int f = 0; f < kSongInfoFieldCount; ++f) {
        const auto field = static_cast<SongInfoField>(f);
        if (field == FieldLyrics && !writeLyrics)
            continue;
        QString why;
        if (!info.setText(SongInfoFieldValue(field), fields[field], &why)) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(QString::fromLatin1(InfoId(SongInfoFieldValue(field))), why);
            return false;
        }
    }
    tags.info = info;
    return true;
}

} // namespace songfiles
