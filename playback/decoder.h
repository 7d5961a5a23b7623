#pragma once
// MPEG audio decoding with libmpg123, fed from our own reader.
//
// The decoder sees only the byte range of the audio stream (the `data` chunk of an RMP,
// the file without its trailing tags for an MP3), so tags are never decoded as audio.
// Output is always interleaved 16-bit stereo at the sample rate of the stream's first
// frame; positions count sample frames (one left/right pair) from the stream's start.

#include "songfiles/songreader.h"

#include <QString>
#include <QtGlobal>
#include <memory>

namespace playback {

/// What the first frame of a stream says, and what the index scan measured.
struct StreamFacts {
    int mpegVersion = 0;   ///< 1 MPEG 1, 2 MPEG 2, 3 MPEG 2.5
    int layer = 0;         ///< 1 to 3
    int channelMode = 0;   ///< 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int bitRate = 0;       ///< kbit/s of the first frame; 0 when the stream is VBR or ABR
    int sampleRate = 0;    ///< Hz
    int samplesPerFrame = 0;
    qint64 frames = 0;     ///< MPEG frames in the stream
    qint64 samples = 0;    ///< decoded length in sample frames
};

enum class DecoderError { None, CannotRead, NoAudio, Library };

/// The version of the decoding library (libmpg123) the engine was built with: "1.31.2".
QString DecoderLibraryVersion();

class Decoder {
public:
    static constexpr int kChannels = 2;

    Decoder();
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    /// Opens the stream in `range` of the file and indexes every frame, so that seeks
    /// are sample-accurate. On failure returns the kind of failure and the reason in
    /// `message`.
    DecoderError Open(const QString& path, songfiles::ByteRange range, QString* message = nullptr);
    void Close();
    bool IsOpen() const;

    const StreamFacts& Facts() const { return facts_; }
    int SampleRate() const { return facts_.sampleRate; }
    qint64 LengthSamples() const { return facts_.samples; }

    /// Decodes up to `maxFrames` sample frames into `out` (2 × maxFrames values).
    /// Returns how many were decoded; 0 means the end of the stream (or an
    /// unrecoverable decoding error, which ends the stream where it happens).
    qint64 Read(qint16* out, qint64 maxFrames);
    bool AtEnd() const { return atEnd_; }

    /// The sample frame that the next Read starts with.
    qint64 Position() const;

    /// Moves to `sample` (clamped to the stream). With `frameAligned` the position is
    /// rounded down to the start of its MPEG frame, which avoids decoding into the
    /// frame. Returns the position reached, or -1 when the seek failed.
    qint64 Seek(qint64 sample, bool frameAligned = false);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    StreamFacts facts_;
    bool atEnd_ = false;
};

} // namespace playback
