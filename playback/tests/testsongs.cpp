#include "playback/tests/testsongs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <vector>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <memory>

namespace testsongs {
namespace {

void AppendLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QTemporaryDir& TempDir()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

int SamplesPerFrame(int sampleRate)
{
    return sampleRate >= 32000 ? 1152 : 576;
}

QByteArray SilentFrames(int frames, int sampleRate)
{
    const bool mpeg1 = sampleRate >= 32000;
    int rateIndex = 0;
    switch (sampleRate) {
    case 44100: case 22050: rateIndex = 0; break;
    case 48000: case 24000: rateIndex = 1; break;
    case 32000: case 16000: rateIndex = 2; break;
    default: return {};
    }
    // MPEG 1 layer III at 128 kbit/s (index 9), MPEG 2 layer III at 64 kbit/s (index 8).
    const int kbps = mpeg1 ? 128 : 64;
    const int bitRateIndex = mpeg1 ? 9 : 8;
    const int length = (mpeg1 ? 144 : 72) * kbps * 1000 / sampleRate;
    QByteArray frame(length, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(mpeg1 ? 0xFB : 0xF3); // layer III, no CRC
    frame[2] = char(bitRateIndex << 4 | rateIndex << 2);
    frame[3] = char(0x00); // stereo
    // All-zero side information and main data: every granule decodes to silence.
    QByteArray out;
    out.reserve(qsizetype(length) * frames);
    for (int i = 0; i < frames; ++i)
        out.append(frame);
    return out;
}

QByteArray SilentSong(double seconds, int sampleRate)
{
    const int frames = int(std::ceil(seconds * sampleRate / SamplesPerFrame(sampleRate)));
    return SilentFrames(frames, sampleRate);
}

QByteArray Rmp(const QByteArray& mpeg)
{
    QByteArray info("INFO");
    const QByteArray title("Song\0\0", 6);
    info.append("INAM");
    AppendLe32(info, quint32(title.size()));
    info.append(title);

    QByteArray out("RIFF");
    AppendLe32(out, 0); // patched below
    out.append("RMP3");
    out.append("data");
    AppendLe32(out, quint32(mpeg.size()));
    out.append(mpeg);
    if (mpeg.size() % 2)
        out.append('\0');
    out.append("LIST");
    AppendLe32(out, quint32(info.size()));
    out.append(info);
    qToLittleEndian(quint32(out.size() - 8), out.data() + 4);
    return out;
}

QByteArray Lyrics3Block(const QByteArray& lyrics)
{
    auto field = [](const char* id, const QByteArray& value) {
        return QByteArray(id) + QByteArray::number(value.size()).rightJustified(5, '0') + value;
    };
    QByteArray block = "LYRICSBEGIN" + field("IND", "11") + field("LYR", lyrics);
    block += QByteArray::number(block.size()).rightJustified(6, '0') + "LYRICS200";
    return block;
}

QByteArray Id3v1Tag(const QByteArray& title)
{
    QByteArray tag = "TAG" + title.left(30).leftJustified(30, ' ');
    tag += QByteArray(30, ' ') + QByteArray(30, ' ') + "2024" + QByteArray(30, ' ');
    tag.append(char(12));
    return tag;
}

namespace {

/// Encodes interleaved stereo samples with lame at 128 kbit/s.
QByteArray EncodePcm(const std::vector<qint16>& stereo, int sampleRate, const QString& name)
{
    const qint64 frames = qint64(stereo.size() / 2);
    QByteArray wav("RIFF");
    AppendLe32(wav, quint32(36 + frames * 4));
    wav.append("WAVEfmt ");
    AppendLe32(wav, 16);
    const char fmt[] = {1, 0, 2, 0};
    wav.append(fmt, 4);
    AppendLe32(wav, quint32(sampleRate));
    AppendLe32(wav, quint32(sampleRate * 4));
    const char align[] = {4, 0, 16, 0};
    wav.append(align, 4);
    wav.append("data");
    AppendLe32(wav, quint32(frames * 4));
    for (qint16 v : stereo) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    }
    const QString in = WriteTemp(name + QStringLiteral(".wav"), wav);
    const QString out = in + QStringLiteral(".mp3");
    QProcess lame;
    lame.start(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), in, out});
    if (!lame.waitForFinished(30000) || lame.exitStatus() != QProcess::NormalExit || lame.exitCode() != 0)
        return {};
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

QByteArray EncodedTone(double seconds, int sampleRate)
{
    const int frames = int(seconds * sampleRate);
    std::vector<qint16> pcm(size_t(frames) * 2);
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        // 200 Hz gliding to 2 kHz: every stretch of the signal looks different.
        const double f = 200.0 + 1800.0 * i / frames;
        phase += 2 * M_PI * f / sampleRate;
        const qint16 v = qint16(12000 * std::sin(phase));
        pcm[size_t(i) * 2] = v;
        pcm[size_t(i) * 2 + 1] = qint16(-v);
    }
    return EncodePcm(pcm, sampleRate, QStringLiteral("tone-%1").arg(sampleRate));
}

QByteArray EncodedBursts(double seconds, int everyMs, int sampleRate)
{
    const int frames = int(seconds * sampleRate);
    std::vector<qint16> pcm(size_t(frames) * 2, 0);
    for (qint64 at = sampleRate; at + sampleRate / 50 < frames; at += qint64(everyMs) * sampleRate / 1000) {
        for (int i = 0; i < sampleRate / 50; ++i) {
            const qint16 v = qint16(16000 * std::sin(2 * M_PI * 1000.0 * i / sampleRate));
            pcm[size_t(at + i) * 2] = pcm[size_t(at + i) * 2 + 1] = v;
        }
    }
    return EncodePcm(pcm, sampleRate, QStringLiteral("bursts-%1-%2").arg(everyMs).arg(sampleRate));
}

QString WriteTemp(const QString& name, const QByteArray& bytes)
{
    const QString path = TempDir().filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

} // namespace testsongs
