#include "songfiles/id3v1.h"

#include "common/codepage.h"
#include "songfiles/riffinfo.h"

#include <algorithm>

namespace songfiles {
namespace {

QString DecodeField(QByteArrayView bytes)
{
    qsizetype n = bytes.size();
    while (n > 0 && bytes[n - 1] == ' ')
        --n;
    return common::DecodeCp932(bytes.first(n));
}

bool AppendField(QByteArray& out, const QString& field, qsizetype width, const char* name, QString* error)
{
    const bool allNul = !field.isEmpty() && std::all_of(field.begin(), field.end(), [](QChar c) { return c.isNull(); });
    QString why;
    std::optional<QByteArray> bytes = common::EncodeCp932Prefix(allNul ? QString() : field, width, &why);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(name), why);
        return false;
    }
    out.append(*bytes);
    out.append(width - bytes->size(), ' ');
    return true;
}

} // namespace

QString FieldText(const QString& field)
{
    QString text = field;
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

bool IsId3v1(QByteArrayView bytes)
{
    return bytes.size() == kId3v1Size && bytes.startsWith("TAG");
}

Id3v1Record ParseId3v1(QByteArrayView b)
{
    Id3v1Record r;
    r.title = DecodeField(b.sliced(3, 30));
    r.artist = DecodeField(b.sliced(33, 30));
    r.album = DecodeField(b.sliced(63, 30));
    r.year = DecodeField(b.sliced(93, 4));
    r.comment = DecodeField(b.sliced(97, 30));
    r.genre = static_cast<unsigned char>(b[127]);
    r.genreName = EngineGenreName(r.genre);
    return r;
}

std::optional<QByteArray> BuildId3v1(const Id3v1Record& r, QString* error)
{
    QByteArray out("TAG");
    out.reserve(kId3v1Size);
    if (!AppendField(out, r.title, 30, "title", error) || !AppendField(out, r.artist, 30, "artist", error)
        || !AppendField(out, r.album, 30, "album", error) || !AppendField(out, r.year, 4, "year", error)
        || !AppendField(out, r.comment, 30, "comment", error))
        return std::nullopt;
    const int genre = r.genre >= 0 && r.genre <= 255 ? r.genre : kNoGenre;
    out.append(static_cast<char>(genre));
    return out;
}

void MergeInfoIntoId3v1(const InfoValues& info, Id3v1Record& r, bool exGenres)
{
    const QString wanted = info.text(IGNR).trimmed().toLower();
    r.genre = kNoGenre;
    if (!wanted.isEmpty()) {
        for (int n = 0; n <= 255; ++n) {
            if (EngineGenreName(n).trimmed().toLower() == wanted) {
                r.genre = n;
                break;
            }
        }
    }
    if (!exGenres && r.genre > 148)
        r.genre = kNoGenre;
    r.genreName = EngineGenreName(r.genre);
    if (!info.bytes[IPRD].isEmpty())
        r.album = info.text(IPRD);
    if (!info.bytes[IART].isEmpty())
        r.artist = info.text(IART);
    if (!info.bytes[ICMT].isEmpty())
        r.comment = info.text(ICMT);
    if (!info.bytes[INAM].isEmpty())
        r.title = info.text(INAM);
    if (!info.bytes[ICRD].isEmpty())
        r.year = info.text(ICRD);
}

} // namespace songfiles
