#include "songfiles/lyrics3.h"

#include "common/codepage.h"
#include "lyrics/timetag.h"
#include "songfiles/id3v1.h"
#include "songfiles/riffinfo.h"

namespace songfiles {
namespace {

constexpr const char* kIds[kLyrics3FieldCount] = {"IND", "LYR", "INF", "IMG", "AUT", "EAL", "EAR", "ETT"};

int KnownField(QByteArrayView id)
{
    for (int i = 0; i < kLyrics3FieldCount; ++i)
        if (id == QByteArrayView(kIds[i], 3))
            return i;
    return -1;
}

QByteArray Padded(qint64 value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

} // namespace

std::optional<qint64> Lyrics3Digits(QByteArrayView digits)
{
    qint64 v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

QByteArrayView Lyrics3FieldId(int field)
{
    return field >= 0 && field < kLyrics3FieldCount ? QByteArrayView(kIds[field], 3) : QByteArrayView();
}

std::optional<Lyrics3Record> ParseLyrics3(QByteArrayView block, QString* error, Lyrics3Decoding decoding)
{
    auto fail = [&](const char* why) -> std::optional<Lyrics3Record> {
        if (error)
            *error = QLatin1String(why);
        return std::nullopt;
    };
    if (block.size() < kLyrics3MarkersSize || !block.startsWith("LYRICSBEGIN") || !block.endsWith("LYRICS200"))
        return fail("not a Lyrics3 v2 block");
    // Fields followed by the six size digits.
    const QByteArrayView rest = block.sliced(11, block.size() - 11 - 9);
    const std::optional<qint64> size = Lyrics3Digits(rest.last(6));
    if (!size || *size != rest.size() + 5)
        return fail("the Lyrics3 size digits do not match the block");
    const QByteArrayView fields = rest.first(rest.size() - 6);

    Lyrics3Record record;
    qsizetype p = 0;
    while (p < fields.size()) {
        if (fields.size() - p < 8)
            return fail("a Lyrics3 field head runs past the end of the block");
        const QByteArrayView id = fields.sliced(p, 3);
        const qint64 n = Lyrics3Digits(fields.sliced(p + 3, 5)).value_or(0);
        const int known = KnownField(id);
        if (n > fields.size() - p - 8)
            return fail("a Lyrics3 field runs past the end of the block");
        if (n > 0) {
            const QByteArrayView value = fields.sliced(p + 8, n);
            if (known >= 0)
                record[known] = decoding == Lyrics3Decoding::Exact ? common::DecodeCp932Exact(value) : common::DecodeCp932(value);
            else if (id != "DMY")
                record.other.append(fields.sliced(p, 8 + n));
        } else if (known < 0) {
            record.other.append(id);
            record.other.append("00000");
        }
        p += 8 + n;
    }
    return record;
}

std::optional<QByteArray> BuildLyrics3(const Lyrics3Record& source, Lyrics3Padding padding, QString* error)
{
    Lyrics3Record record = source;
    record[IND] = Lyrics3Indicator(record[LYR]);
    QByteArray out("LYRICSBEGIN");
    for (int i = 0; i < kLyrics3FieldCount; ++i) {
        QString why;
        std::optional<QByteArray> value = common::EncodeCp932(record[i], &why);
        if (!value) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(QLatin1String(kIds[i]), why);
            return std::nullopt;
        }
        if (value->size() > kLyrics3MaxFieldSize) {
            if (error)
                *error = QStringLiteral("%1: %2 bytes do not fit in a Lyrics3 field (at most %3)")
                             .arg(QLatin1String(kIds[i]))
                             .arg(value->size())
                             .arg(kLyrics3MaxFieldSize);
            return std::nullopt;
        }
        out.append(kIds[i], 3);
        out.append(Padded(value->size(), 5));
        out.append(*value);
    }
    out.append(record.other);
    if (out.size() > 999999) {
        if (error)
            *error = QStringLiteral("the Lyrics3 block is too large (%1 bytes)").arg(out.size());
        return std::nullopt;
    }
    out.append(Padded(out.size(), 6));
    out.append("LYRICS200");
    if (padding == Lyrics3Padding::EvenLength && out.size() % 2)
        out.prepend('\0');
    return out;
}

QString Lyrics3Indicator(const QString& lyrics)
{
    if (lyrics.isEmpty())
        return QStringLiteral("00");
    return lyrics::HasTags(lyrics, true) ? QStringLiteral("11") : QStringLiteral("10");
}

Lyrics3Record FillLyrics3FromInfo(const InfoValues& info, const QString& lyrics)
{
    Lyrics3Record r;
    if (!lyrics.isEmpty())
        r[LYR] = lyrics;
    r[ETT] = info.text(INAM);
    r[EAR] = info.text(IART);
    r[EAL] = info.text(IPRD);
    r[INF] = info.text(ICMT);
    return r;
}

Lyrics3Record FillLyrics3FromId3v1(const Id3v1Record& tag, const QString& lyrics)
{
    Lyrics3Record r;
    if (!lyrics.isEmpty())
        r[LYR] = lyrics;
    r[ETT] = FieldText(tag.title);
    r[EAR] = FieldText(tag.artist);
    r[EAL] = FieldText(tag.album);
    r[INF] = FieldText(tag.comment);
    return r;
}

} // namespace songfiles
