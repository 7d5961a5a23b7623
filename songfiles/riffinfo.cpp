#include "songfiles/riffinfo.h"

#include "common/codepage.h"

#include <QtEndian>

namespace songfiles {
namespace {

constexpr const char* kIds[kInfoCount] = {"INAM", "IART", "IPRD", "ICMT", "ICRD", "IGNR", "ICOP", "IENG", "ISRC",
                                          "ISFT", "IKEY", "ITCH", "ICMS", "IMED", "ISBJ", "IMP3", "ILYC", "IID3"};

void AppendLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void AppendChunk(QByteArray& out, int index, QByteArrayView data)
{
    out.append(kIds[index], 4);
    AppendLe32(out, static_cast<quint32>(data.size()));
    out.append(data);
    if (data.size() % 2)
        out.append('\0'); // RIFF pad byte, not counted in the size
}

} // namespace

QByteArrayView InfoId(int index)
{
    return index >= 0 && index < kInfoCount ? QByteArrayView(kIds[index], 4) : QByteArrayView();
}

int InfoIndexOf(QByteArrayView id)
{
    for (int i = 0; i < kInfoCount; ++i)
        if (id == QByteArrayView(kIds[i], 4))
            return i;
    return -1;
}

QString InfoValues::text(int index) const
{
    return common::DecodeCp932(bytes.at(static_cast<size_t>(index)));
}

bool InfoValues::setText(int index, const QString& text, QString* error)
{
    QString why;
    std::optional<QByteArray> encoded = common::EncodeCp932(text, &why);
    if (!encoded) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QString::fromLatin1(kIds[index]), why);
        return false;
    }
    bytes.at(static_cast<size_t>(index)) = std::move(*encoded);
    return true;
}

bool HoldsLyrics3AndTag(QByteArrayView value)
{
    return value.size() >= 137 + 11 && value.sliced(value.size() - 137, 12) == "LYRICS200TAG"
        && value.contains("LYRICSBEGIN");
}

bool HoldsLyrics3Block(QByteArrayView value)
{
    return value.contains("LYRICSBEGIN");
}

std::optional<InfoValues> ReadInfoList(QByteArrayView data, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<InfoValues> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (data.size() < 4 || data.first(4) != "INFO")
        return fail(QStringLiteral("the LIST chunk is not an INFO list"));
    InfoValues values;
    qsizetype p = 4;
    while (data.size() - p >= 8) {
        if (data[p] == '\0') {
            ++p; // pad byte after an odd-sized value
            if (data.size() - p < 8)
                break;
        }
        const QByteArrayView id = data.sliced(p, 4);
        const quint32 size = qFromLittleEndian<quint32>(data.data() + p + 4);
        p += 8;
        if (size > static_cast<quint64>(data.size() - p))
            return fail(QStringLiteral("an INFO value runs past the end of the list"));
        const int index = InfoIndexOf(id);
        if (index < 0)
            return fail(QStringLiteral("unknown INFO id \"%1\"").arg(QString::fromLatin1(id.toByteArray().toPercentEncoding(" "))));
        QByteArrayView value = data.sliced(p, size);
        p += size;
        const bool whole = index == IID3 || (index == ILYC && value.contains("LYRICSBEGIN"));
        if (!whole) {
            const qsizetype nul = value.indexOf('\0');
            if (nul >= 0)
                value.truncate(nul);
        }
        values.bytes[static_cast<size_t>(index)] = value.toByteArray();
    }
    return values;
}

QByteArray WriteInfoList(const InfoValues& values, qint64 writePosition)
{
    QByteArray out;
    if (writePosition % 2)
        out.append('\0');
    const qsizetype start = out.size();
    out.append("LIST");
    AppendLe32(out, 0); // patched below
    out.append("INFO");
    const bool ilycBlock = HoldsLyrics3AndTag(values.bytes[ILYC]);
    for (int i = 0; i < kInfoCount; ++i) {
        const QByteArray& v = values.bytes[static_cast<size_t>(i)];
        if (i == IID3) {
            if (!ilycBlock && !v.isEmpty())
                AppendChunk(out, i, v);
        } else if (i == ILYC && HoldsLyrics3Block(v)) {
            // Read whole, written whole: a Lyrics3 block (with or without its tag).
            AppendChunk(out, i, v);
        } else {
            // Code-page text, a NUL, and a second NUL to make the length even.
            QByteArray text = v;
            text.append('\0');
            if (text.size() % 2)
                text.append('\0');
            AppendChunk(out, i, text);
        }
    }
    qToLittleEndian(static_cast<quint32>(out.size() - start - 8), out.data() + start + 4);
    return out;
}

} // namespace songfiles
