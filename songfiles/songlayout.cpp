#include "songfiles/songlayout.h"

#include "songfiles/id3v1.h"
#include "songfiles/lyrics3.h"
#include "songfiles/macbinary.h"

#include <QtEndian>

namespace songfiles {
namespace {

constexpr qint64 kHeadSize = 4096;
constexpr qint64 kTailSize = 4096;
constexpr int kMaxChunks = 256;
constexpr qint64 kLyrics3v1MaxSize = 11 + 5100 + 9; // "LYRICSBEGIN", at most 5100 bytes, "LYRICSEND"
constexpr qint64 kFreeFormatMaxLength = 4096;        // longer than any free-format frame

/// A header of the same stream as `first` in `bytes` at `at` (4 bytes must be there).
bool SameStreamAt(QByteArrayView bytes, qsizetype at, const FrameHeader& first)
{
    if (at < 0 || at + 4 > bytes.size())
        return false;
    const auto h = DecodeFrameHeader(bytes.sliced(at, 4));
    return h && h->sameStream(first);
}

/// Frame length of a free-format stream: the distance to the next header of the same
/// stream with the same bit-rate index, confirmed by the header after that (padding may
/// change the distance by one).
int MeasureFreeFormat(QByteArrayView window, const FrameHeader& first, qint64 bytesToEnd)
{
    auto freeAt = [&](qsizetype at) {
        if (at + 4 > window.size())
            return false;
        const auto h = DecodeFrameHeader(window.sliced(at, 4));
        return h && h->sameStream(first) && h->isFreeFormat();
    };
    const qsizetype longest = std::min<qsizetype>(kFreeFormatMaxLength, window.size() - 4);
    for (qsizetype d = first.headerSize() + first.sideInfoSize() + 1; d <= longest; ++d) {
        if (!freeAt(d))
            continue;
        const qsizetype base = d - first.padding;
        // The next frame is base or base + 1 bytes long, or the stream ends.
        if (d + base >= bytesToEnd - 1 || freeAt(d + base) || freeAt(d + base + 1))
            return static_cast<int>(d);
    }
    // A single frame that fills the stream.
    if (bytesToEnd <= window.size())
        return static_cast<int>(bytesToEnd);
    return 0;
}

/// Sets `header` when a valid stream starts at `start`; false only when a read fails.
bool Confirm(SongReader& in, qint64 start, qint64 end, std::optional<FrameHeader>& header, int* lengthOut)
{
    header.reset();
    if (start < 0 || end - start < 4)
        return true;
    QByteArray bytes;
    if (!in.readAt(start, 4, bytes))
        return false;
    std::optional<FrameHeader> first = DecodeFrameHeader(bytes);
    if (!first)
        return true;
    int length = first->frameLength;
    if (first->isFreeFormat()) {
        QByteArray window;
        if (!in.readUpTo(start, std::min(2 * kFreeFormatMaxLength + 8, end - start), window))
            return false;
        length = MeasureFreeFormat(window, *first, end - start);
    }
    if (length < first->headerSize())
        return true;
    const qint64 next = start + length;
    if (next != end) {
        // Another frame of the same stream must follow (a stream of one frame ends here).
        if (next + 4 > end)
            return true;
        if (!in.readAt(next, 4, bytes))
            return false;
        if (!SameStreamAt(bytes, 0, *first))
            return true;
    }
    if (lengthOut)
        *lengthOut = length;
    header = first;
    return true;
}

bool Locate(SongReader& in, qint64 end, ByteRange& block)
{
    block = {};
    QByteArray marker;
    qint64 markerAt = end - 9;
    if (markerAt < 0)
        return true;
    if (!in.readAt(markerAt, 9, marker))
        return false;
    if (marker != "LYRICS200") {
        markerAt = end - 128 - 9;
        if (markerAt < 0)
            return true;
        if (!in.readAt(markerAt, 9, marker))
            return false;
        if (marker != "LYRICS200")
            return true;
    }
    if (markerAt < 6)
        return true;
    QByteArray digits;
    if (!in.readAt(markerAt - 6, 6, digits))
        return false;
    const std::optional<qint64> size = Lyrics3Digits(digits);
    if (!size)
        return true;
    const qint64 start = markerAt - 6 - *size;
    if (start < 0 || *size < 11)
        return true;
    QByteArray begin;
    if (!in.readAt(start, 11, begin))
        return false;
    if (begin == "LYRICSBEGIN")
        block = {start, *size + 15};
    return true;
}

/// A Lyrics3 v1 block ending at `end`: "LYRICSEND" there, "LYRICSBEGIN" at most 5100
/// lyrics bytes before it.
bool LocateV1(SongReader& in, qint64 end, qint64 floor, ByteRange& block)
{
    block = {};
    if (end - floor < 20)
        return true;
    QByteArray marker;
    if (!in.readAt(end - 9, 9, marker))
        return false;
    if (marker != "LYRICSEND")
        return true;
    const qint64 from = std::max(floor, end - kLyrics3v1MaxSize);
    QByteArray window;
    if (!in.readAt(from, end - 9 - from, window))
        return false;
    const qsizetype at = window.indexOf("LYRICSBEGIN");
    if (at >= 0)
        block = {from + at, end - (from + at)};
    return true;
}

/// The size of an ID3v2 tag whose 10-byte header is `h`, or 0 when it is not one.
qint64 Id3v2Size(QByteArrayView h)
{
    if (h.size() < 10 || !h.startsWith("ID3"))
        return 0;
    const auto at = [&](int i) { return std::uint8_t(h[i]); };
    if (at(3) == 0xFF || at(4) == 0xFF || ((at(6) | at(7) | at(8) | at(9)) & 0x80))
        return 0;
    qint64 size = 10 + ((qint64(at(6)) << 21) | (qint64(at(7)) << 14) | (qint64(at(8)) << 7) | qint64(at(9)));
    if (at(3) >= 4 && (at(5) & 0x10))
        size += 10; // footer
    return size;
}

bool Walk(SongReader& in, std::vector<RiffChunk>& chunks)
{
    chunks.clear();
    const qint64 size = in.size();
    qint64 p = 12;
    while (p + 8 <= size && static_cast<int>(chunks.size()) < kMaxChunks) {
        QByteArray h;
        if (!in.readAt(p, 8, h))
            return false;
        // A NUL in front of a chunk id is the pad byte of odd-sized data before it, also
        // where the writer did not count it.
        if (h[0] == '\0') {
            ++p;
            if (p + 8 > size)
                break;
            if (!in.readAt(p, 8, h))
                return false;
        }
        RiffChunk c;
        c.id = h.first(4);
        c.header = p;
        c.size = qFromLittleEndian<quint32>(h.constData() + 4);
        c.truncated = c.size > size - c.data();
        chunks.push_back(c);
        if (c.truncated)
            break;
        p = c.data() + c.size;
    }
    return true;
}

} // namespace

ByteRange RiffChunk::dataRange(qint64 fileSize) const
{
    const qint64 start = data();
    return {start, std::max<qint64>(0, std::min(size, fileSize - start))};
}

bool WalkRiffChunks(SongReader& reader, std::vector<RiffChunk>& chunks)
{
    return Walk(reader, chunks);
}

std::optional<RiffChunk> FindChunk(SongReader& reader, QByteArrayView id)
{
    std::vector<RiffChunk> chunks;
    if (!WalkRiffChunks(reader, chunks))
        return std::nullopt;
    for (const RiffChunk& c : chunks) {
        if (c.id != id || c.size == 0)
            continue;
        if (id == "LIST") {
            QByteArray type;
            if (c.truncated || c.size < 4 || !reader.readAt(c.data(), 4, type) || type != "INFO")
                continue;
        }
        return c;
    }
    return std::nullopt;
}

bool ReadId3v1(SongReader& reader, qint64 end, std::optional<QByteArray>& tag)
{
    tag.reset();
    QByteArray bytes;
    if (end - kId3v1Size < 0 || !reader.readAt(end - kId3v1Size, kId3v1Size, bytes))
        return false;
    if (IsId3v1(bytes))
        tag = std::move(bytes);
    return true;
}

bool LocateLyrics3(SongReader& reader, qint64 end, ByteRange& block)
{
    return Locate(reader, end, block);
}

bool ReadLyrics3Bytes(SongReader& reader, qint64 end, std::optional<QByteArray>& block)
{
    block.reset();
    ByteRange range;
    if (!LocateLyrics3(reader, end, range))
        return false;
    if (!range.found())
        return true;
    QByteArray bytes;
    if (!reader.readAt(range.offset, range.size, bytes))
        return false;
    block = std::move(bytes);
    return true;
}

bool ConfirmStreamStart(SongReader& reader, qint64 start, qint64 end, std::optional<FrameHeader>& header, int* frameLength)
{
    return Confirm(reader, start, end, header, frameLength);
}

namespace {

/// Where the probe expects the MPEG stream, and the kinds found on the way.
struct StreamPlace {
    int flags = 0;
    qint64 start = 0;
    qint64 end = -1;               // set for RIFF files
    const char* notASong = nullptr; // why the file is not a song, once that is known
};

/// Reads the first and last few kilobytes, which answer most questions, and keeps them
/// in the reader (one page each where the file allows). False when a read fails.
bool ReadEnds(SongReader& reader, qint64 fileSize, QByteArray& head)
{
    if (!reader.readUpTo(0, kHeadSize, head))
        return false;
    reader.keep(0, head);
    if (fileSize > head.size()) {
        QByteArray tail;
        if (!reader.readAt(fileSize - kTailSize, kTailSize, tail))
            return false;
        reader.keep(fileSize - kTailSize, std::move(tail));
    }
    return true;
}

/// RIFF: the form type "WAVE" gives Wave, "RMP3" gives Rmp, any other form is not a
/// song; the stream is the data chunk. False when a read fails.
bool PlaceRiffStream(SongReader& in, const QByteArray& head, SongLayout& L, StreamPlace& place)
{
    L.riffForm = head.sliced(8, 4);
    if (L.riffForm == "WAVE")
        place.flags |= Wave;
    else if (L.riffForm == "RMP3")
        place.flags |= Rmp;
    else {
        place.notASong = "a RIFF file of another form";
        return true;
    }
    if (!Walk(in, L.chunks))
        return false;
    for (const RiffChunk& c : L.chunks) {
        if (c.id == "data" && !L.dataChunk && c.size > 0) {
            L.dataChunk = c;
        } else if (c.id == "LIST" && !L.listChunk && !c.truncated && c.size >= 4) {
            QByteArray type;
            if (!in.readAt(c.data(), 4, type))
                return false;
            if (type == "INFO")
                L.listChunk = c;
        }
    }
    if (!L.dataChunk) {
        place.notASong = "a RIFF file without a data chunk";
        return true;
    }
    const ByteRange data = L.dataChunk->dataRange(L.fileSize);
    place.start = data.offset;
    place.end = data.end();
    return true;
}

/// Other files: a valid MacBinary header (checked fields and CRC, see
/// ParseMacBinaryHeader) gives MacBinary, the stream is in the data fork and the tags
/// are looked for at its end; a leading "ID3" with a well-formed header gives Id3v2 and
/// the stream follows the tag; anything else must start with the stream. False when a
/// read fails.
bool PlacePlainStream(SongReader& in, const QByteArray& head, SongLayout& L, StreamPlace& place)
{
    if (const auto mac = ParseMacBinaryHeader(head); mac && kMacBinaryHeaderSize + qint64(mac->dataForkLength) <= L.fileSize) {
        place.flags |= MacBinary;
        L.macBinaryHeader = {0, kMacBinaryHeaderSize};
        L.dataFork = {kMacBinaryHeaderSize, qint64(mac->dataForkLength)};
        L.tagsEnd = L.dataFork.end();
        place.start = kMacBinaryHeaderSize;
    }
    if (place.start + 10 > L.tagsEnd)
        return true;
    QByteArray id3;
    if (!in.readAt(place.start, 10, id3))
        return false;
    if (const qint64 size = Id3v2Size(id3)) {
        place.flags |= Id3v2;
        L.id3v2 = {place.start, size};
        place.start += size;
        if (place.start >= L.tagsEnd)
            place.notASong = "an ID3v2 tag that fills the file";
    }
    return true;
}

/// The tags at the end: an ID3v1 tag, a Lyrics3 v2 block, or else a Lyrics3 v1 block
/// (lyrics we cannot replace: Embedded). For RIFF files they can only be the last INFO
/// values, so they count only behind the stream (at or after `floor`). False when a
/// read fails.
bool FindEndTags(SongReader& in, qint64 floor, SongLayout& L, int& flags)
{
    if (L.tagsEnd - kId3v1Size >= floor) {
        QByteArray bytes;
        if (!in.readAt(L.tagsEnd - kId3v1Size, kId3v1Size, bytes))
            return false;
        if (IsId3v1(bytes)) {
            flags |= MarkI;
            L.id3v1 = {L.tagsEnd - kId3v1Size, kId3v1Size};
            L.id3v1Bytes = bytes;
        }
    }
    ByteRange block;
    if (!Locate(in, L.tagsEnd, block))
        return false;
    if (block.found() && block.offset >= floor) {
        flags |= Lyrics3;
        L.lyrics3 = block;
        return true;
    }
    const qint64 end = L.id3v1.found() ? L.id3v1.offset : L.tagsEnd;
    if (!LocateV1(in, end, floor, block))
        return false;
    if (block.found()) {
        flags |= Embedded;
        L.lyrics3v1 = block;
    }
    return true;
}

/// A song has a valid frame where its stream starts: sets the layout's first frame
/// when there is one. False when a read fails.
bool FindFirstFrame(SongReader& reader, qint64 headSize, SongLayout& L)
{
    const qint64 start = L.stream.offset;
    const qint64 end = L.stream.end();
    if (start + 4 > headSize && start + 4 <= end) {
        QByteArray more;
        if (!reader.readUpTo(start, kHeadSize, more))
            return false;
        reader.keep(start, std::move(more));
    }
    int length = 0;
    if (!Confirm(reader, start, end, L.firstFrame, &length))
        return false;
    L.firstFrameLength = L.firstFrame ? length : 0;
    return true;
}

} // namespace

std::optional<SongLayout> ProbeSongLayout(SongReader& reader, QString* error)
{
    auto readFailed = [&]() -> std::optional<SongLayout> {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    };
    SongLayout L;
    L.fileSize = reader.size();
    L.tagsEnd = L.fileSize;
    auto notASong = [&](const char* why) {
        L.kind = kNotASong;
        L.notASongReason = QLatin1String(why);
        return L;
    };
    QByteArray head;
    if (!ReadEnds(reader, L.fileSize, head))
        return readFailed();

    // Where the MPEG stream should start, and what wraps it.
    StreamPlace place;
    const bool riff = head.size() >= 12 && head.startsWith("RIFF");
    if (!(riff ? PlaceRiffStream(reader, head, L, place) : PlacePlainStream(reader, head, L, place)))
        return readFailed();
    if (place.notASong)
        return notASong(place.notASong);

    const qint64 floor = place.end >= 0 ? place.end : place.start;
    if (!FindEndTags(reader, floor, L, place.flags))
        return readFailed();
    qint64 streamEnd = place.end;
    if (streamEnd < 0) {
        streamEnd = L.tagsEnd;
        for (const ByteRange& r : {L.lyrics3, L.lyrics3v1, L.id3v1})
            if (r.found())
                streamEnd = std::min(streamEnd, r.offset);
    }
    L.stream = {place.start, std::max<qint64>(0, streamEnd - place.start)};

    if (!FindFirstFrame(reader, head.size(), L))
        return readFailed();
    if (!L.firstFrame)
        return notASong("no MPEG audio frame where the stream starts");
    L.kind = place.flags;
    return L;
}

} // namespace songfiles
