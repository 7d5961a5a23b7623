#pragma once
// Song files built in code for the playback tests: synthetic MPEG audio frames (silent,
// so they decode to an exact, known number of samples), real audio encoded with lame,
// and the containers and tags that surround a stream (RMP, Lyrics3 v2, ID3v1).

#include <QByteArray>
#include <QString>

namespace testsongs {

/// `frames` silent MPEG layer III frames: MPEG 1 at 32000, 44100 and 48000 Hz (1152
/// samples a frame), MPEG 2 at 16000, 22050 and 24000 Hz (576 samples a frame).
QByteArray SilentFrames(int frames, int sampleRate = 44100);
/// Samples in one frame of SilentFrames at `sampleRate`.
int SamplesPerFrame(int sampleRate);
/// About `seconds` of silent frames.
QByteArray SilentSong(double seconds, int sampleRate = 44100);

/// An RMP file: "RIFF" form "RMP3" whose "data" chunk (stream at offset 20) holds
/// `mpeg`, followed by a LIST/INFO chunk.
QByteArray Rmp(const QByteArray& mpeg);

/// A Lyrics3 v2 block holding `lyrics` (CP932 bytes) as its LYR field.
QByteArray Lyrics3Block(const QByteArray& lyrics);
/// A 128-byte ID3v1 tag with the given title.
QByteArray Id3v1Tag(const QByteArray& title = "Title");

/// Real audio: a gliding tone of `seconds`, encoded at 128 kbit/s by lame. Empty when
/// lame is missing or fails (the caller skips the test then).
QByteArray EncodedTone(double seconds, int sampleRate = 44100);

/// Real audio: silence with a 20 ms burst of 1 kHz every `everyMs` from the first
/// second on, encoded by lame. Empty when lame is missing or fails.
QByteArray EncodedBursts(double seconds, int everyMs, int sampleRate = 44100);

/// Writes `bytes` to a file named `name` in a fresh temporary folder that lives until
/// the program ends; returns the path.
QString WriteTemp(const QString& name, const QByteArray& bytes);

} // namespace testsongs
