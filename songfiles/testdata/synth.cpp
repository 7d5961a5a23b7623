#include "songfiles/testdata/synth.h"

#include "songfiles/macbinary.h"
#include "songfiles/mpegframe.h"

#include <QtEndian>

namespace synth {
namespace {

QByteArray Le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray Be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

QByteArray Field(const QByteArray& bytes, int width)
{
    QByteArray f = bytes.left(width);
    f.append(width - f.size(), '\0');
    return f;
}

} // namespace

QByteArray Header(const Frame& f)
{
    QByteArray h(4, '\0');
    const int versionBits = f.version == 1 ? 3 : f.version == 2 ? 2 : 0;
    const int layerBits = 4 - f.layer;
    h[0] = char(0xFF);
    h[1] = char(0xE0 | (versionBits << 3) | (layerBits << 1) | (f.crc ? 0 : 1));
    h[2] = char((f.bitRateIndex << 4) | (f.sampleRateIndex << 2) | (f.padding << 1));
    h[3] = char(f.channelMode << 6);
    return h;
}

int Length(const Frame& f)
{
    if (f.bitRateIndex == 0)
        return f.freeLength;
    const auto h = songfiles::DecodeFrameHeader(Header(f));
    return h ? h->frameLength : 0;
}

QByteArray MakeFrame(const Frame& f, char fill)
{
    const auto h = *songfiles::DecodeFrameHeader(Header(f));
    QByteArray frame = Header(f);
    if (f.crc)
        frame.append(2, '\0');
    frame.append(h.sideInfoSize(), '\0');
    frame.append(Length(f) - frame.size(), fill);
    return frame;
}

QByteArray MakeStream(const Frame& f, int count, char fill)
{
    QByteArray out;
    const QByteArray frame = MakeFrame(f, fill);
    out.reserve(frame.size() * count);
    for (int i = 0; i < count; ++i)
        out.append(frame);
    return out;
}

QByteArray MakeVbrStream(Frame f, const QList<int>& indexes, int count, char fill)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        f.bitRateIndex = indexes.at(i % indexes.size());
        out.append(MakeFrame(f, fill));
    }
    return out;
}

QByteArray MakeInfoFrame(const Frame& f, const char* kind, quint32 frames, quint32 bytes)
{
    const auto h = *songfiles::DecodeFrameHeader(Header(f));
    QByteArray frame(Length(f), '\0');
    frame.replace(0, 4, Header(f));
    if (QByteArray(kind) == "VBRI") {
        QByteArray v = "VBRI" + QByteArray("\x00\x01\x00\x00\x00\x50", 6) + Be32(bytes) + Be32(frames);
        frame.replace(36, v.size(), v);
    } else {
        QByteArray x = QByteArray(kind, 4) + Be32(3) + Be32(frames) + Be32(bytes);
        frame.replace(4 + (f.crc ? 2 : 0) + h.sideInfoSize(), x.size(), x);
    }
    return frame;
}

QByteArray Id3v1(const QByteArray& title, const QByteArray& artist, const QByteArray& album, const QByteArray& year,
                 const QByteArray& comment, int genre)
{
    QByteArray t = "TAG" + Field(title, 30) + Field(artist, 30) + Field(album, 30) + Field(year, 4) + Field(comment, 30);
    t.append(char(genre));
    return t;
}

QByteArray Lyrics3(const QList<std::pair<QByteArray, QByteArray>>& fields)
{
    QByteArray b = "LYRICSBEGIN";
    for (const auto& [id, value] : fields)
        b += id + QByteArray::number(value.size()).rightJustified(5, '0') + value;
    b += QByteArray::number(b.size()).rightJustified(6, '0') + "LYRICS200";
    return b;
}

QByteArray Id3v2(int paddingBytes)
{
    QByteArray t("ID3\x03\x00\x00", 6);
    const quint32 size = static_cast<quint32>(paddingBytes);
    t.append(char((size >> 21) & 0x7F));
    t.append(char((size >> 14) & 0x7F));
    t.append(char((size >> 7) & 0x7F));
    t.append(char(size & 0x7F));
    t.append(paddingBytes, '\0');
    return t;
}

QByteArray MacBinaryHeader(quint32 dataLength, quint32 resourceLength)
{
    QByteArray h(128, '\0');
    const QByteArray name = "song.mp3";
    h[1] = char(name.size());
    h.replace(2, name.size(), name);
    h.replace(65, 8, "MPG3hook");
    h.replace(83, 4, Be32(dataLength));
    h.replace(87, 4, Be32(resourceLength));
    h[122] = char(0x81);
    h[123] = char(0x81);
    const quint16 crc = songfiles::MacBinaryCrc(QByteArrayView(h).first(124));
    h[124] = char(crc >> 8);
    h[125] = char(crc & 0xFF);
    return h;
}

QByteArray Rmp(const QByteArray& stream, const QByteArray& listChunk)
{
    QByteArray body = "RMP3" + QByteArray("data") + Le32(static_cast<quint32>(stream.size())) + stream;
    if (stream.size() % 2)
        body.append('\0');
    body += listChunk;
    return "RIFF" + Le32(static_cast<quint32>(body.size())) + body;
}

QByteArray InfoList(const QList<std::pair<QByteArray, QByteArray>>& values)
{
    QByteArray data = "INFO";
    for (const auto& [id, value] : values) {
        data += id + Le32(static_cast<quint32>(value.size())) + value;
        if (value.size() % 2)
            data.append('\0');
    }
    return "LIST" + Le32(static_cast<quint32>(data.size())) + data;
}

QByteArray PlainMp3(int frames)
{
    return MakeStream(Frame{}, frames);
}

} // namespace synth
