#pragma once
// Synthetic song files built in code: MPEG frames of any version and layer, information
// frames, MacBinary headers, ID3 tags, Lyrics3 blocks and RMP containers. Used by the
// tests, the benchmark's corpus and the fuzzers' seeds.

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace synth {

struct Frame {
    int version = 1;       // 1, 2, 3 (MPEG 2.5)
    int layer = 3;
    int bitRateIndex = 9;  // 128 kbit/s for MPEG 1 layer III
    int sampleRateIndex = 0;
    int padding = 0;
    bool crc = false;
    int channelMode = 1;   // joint stereo
    /// Length of a free-format frame (bit-rate index 0), padding included.
    int freeLength = 0;
};

/// The four header bytes.
QByteArray Header(const Frame& f);
/// Frame length in bytes (the free length for index 0).
int Length(const Frame& f);
/// One frame whose main data is `fill` (a CRC of 0 and zero side information when the
/// layer has them).
QByteArray MakeFrame(const Frame& f, char fill = '\x55');
/// `count` frames of `fill`.
QByteArray MakeStream(const Frame& f, int count, char fill = '\x55');
/// A stream whose frames take their bit-rate index from `indexes` in turn.
QByteArray MakeVbrStream(Frame f, const QList<int>& indexes, int count, char fill = '\x55');
/// An information frame ("Xing", "Info" or "VBRI") stating `frames` and `bytes`.
QByteArray MakeInfoFrame(const Frame& f, const char* kind, quint32 frames, quint32 bytes);

/// A 128-byte ID3v1 tag from CP932 field bytes.
QByteArray Id3v1(const QByteArray& title, const QByteArray& artist = {}, const QByteArray& album = {},
                 const QByteArray& year = {}, const QByteArray& comment = {}, int genre = 250);
/// A Lyrics3 v2 block from (id, value) fields in order.
QByteArray Lyrics3(const QList<std::pair<QByteArray, QByteArray>>& fields);
/// An ID3v2.3 tag with `paddingBytes` of zeros.
QByteArray Id3v2(int paddingBytes);
/// A MacBinary II header for a data fork of `dataLength` bytes (valid CRC).
QByteArray MacBinaryHeader(quint32 dataLength, quint32 resourceLength = 0);

/// RIFF "RMP3": data chunk with `stream`, a pad byte when odd, then `listChunk`.
QByteArray Rmp(const QByteArray& stream, const QByteArray& listChunk);
/// A LIST/INFO chunk from (id, raw value) pairs written as given.
QByteArray InfoList(const QList<std::pair<QByteArray, QByteArray>>& values);

/// A simple song: CBR MPEG 1 layer III at 128 kbit/s, `frames` frames.
QByteArray PlainMp3(int frames = 40);

} // namespace synth
