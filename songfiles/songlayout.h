#pragma once
// The file-level layer: finds the blocks of a song file (RIFF chunks, MacBinary and
// ID3v2 headers, the MPEG stream, a Lyrics3 block and an ID3v1 tag at the end) and keeps
// their offsets. Reads are few and small: the first and last few kilobytes, plus a few
// bytes wherever a length field points.

#include "songfiles/mpegframe.h"
#include "songfiles/songkind.h"
#include "songfiles/songreader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <vector>

namespace songfiles {

struct RiffChunk {
    QByteArray id;        // four bytes
    qint64 header = -1;   // offset of the id
    qint64 size = 0;      // as stated by the chunk
    bool truncated = false; // the stated size runs past the end of the file
    qint64 data() const { return header + 8; }
    /// The data as far as the file holds it.
    ByteRange dataRange(qint64 fileSize) const;
};

struct SongLayout {
    qint64 fileSize = 0;
    SongKind kind = kNotASong;
    QString notASongReason; // why kind is -1

    // RIFF files: form type and chunks in file order.
    QByteArray riffForm;
    std::vector<RiffChunk> chunks;
    std::optional<RiffChunk> dataChunk;
    std::optional<RiffChunk> listChunk; // a LIST chunk whose data begin with "INFO"

    ByteRange macBinaryHeader; // the 128-byte header
    ByteRange dataFork;        // what follows it, as far as the header states
    ByteRange id3v2;           // the ID3v2 tag in front of the stream

    /// Where the tags at the end are looked for: the end of the file, or of the data fork
    /// of a MacBinary file.
    qint64 tagsEnd = 0;
    ByteRange id3v1;           // a final 128-byte tag
    QByteArray id3v1Bytes;
    ByteRange lyrics3;         // a Lyrics3 v2 block, "LYRICSBEGIN" to "LYRICS200"
    ByteRange lyrics3v1;       // a Lyrics3 v1 block, "LYRICSBEGIN" to "LYRICSEND"

    /// The MPEG stream: from its first frame to the first block behind it.
    ByteRange stream;
    std::optional<FrameHeader> firstFrame;
    /// Length of the first frame; measured for the free format.
    int firstFrameLength = 0;

    bool isRiff() const { return !riffForm.isEmpty(); }
};

/// Maps the blocks of the file behind `reader` and classifies it. Returns nullopt only
/// when a read fails (`error` says why); a file that is not a song is a layout whose
/// kind is -1.
std::optional<SongLayout> ProbeSongLayout(SongReader& reader, QString* error = nullptr);

/// The RIFF chunks after the 12-byte header, in order. A chunk whose size runs past the
/// end of the file ends the list (marked truncated). A pad byte after odd-sized data is
/// skipped when it is NUL, also in files that omit it. False on a read error.
bool WalkRiffChunks(SongReader& reader, std::vector<RiffChunk>& chunks);

/// The first chunk with `id` and a size other than 0 (a LIST chunk must hold an INFO
/// list); nullopt when there is none or it cannot be read.
std::optional<RiffChunk> FindChunk(SongReader& reader, QByteArrayView id);

/// Reads the 128 bytes in front of `end`; `tag` is set when they begin with "TAG".
/// False when the read fails (also for a file shorter than 128 bytes).
bool ReadId3v1(SongReader& reader, qint64 end, std::optional<QByteArray>& tag);

/// Finds a Lyrics3 v2 block that ends at `end` or just before a 128-byte tag there.
/// `block` is not found when there is no such block; false only when a read fails.
bool LocateLyrics3(SongReader& reader, qint64 end, ByteRange& block);

/// The whole block LocateLyrics3 finds, "LYRICSBEGIN" to "LYRICS200".
bool ReadLyrics3Bytes(SongReader& reader, qint64 end, std::optional<QByteArray>& block);

/// Whether a valid MPEG stream starts at `start`: a frame header there, followed within
/// [start, end) by a header of the same stream or by the end. Returns the header and
/// the frame's length (measured for the free format). `header` is empty when no stream
/// starts there; false only when a read fails.
bool ConfirmStreamStart(SongReader& reader, qint64 start, qint64 end, std::optional<FrameHeader>& header,
                        int* frameLength = nullptr);

} // namespace songfiles
