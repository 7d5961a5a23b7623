// Embedding lyrics into large songs: time and peak memory of EmbedLyricsFile on songs of
// 1, 20 and 200 MB, against a plain copy of the same file as the disk's yardstick.
//   embed_bench [FOLDER]   (default: a temporary folder; the songs are removed afterwards)
// Each size runs in a child process of its own, so that its peak resident size is its own.
#include "songfiles/embed.h"
#include "songfiles/testdata/synth.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long PeakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Writes a CBR song of about `megabytes` MB in 1 MB steps (the generator stays small).
bool MakeSong(const QString& path, int megabytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block = synth::PlainMp3(2508); // 2508 frames of 418 bytes ≈ 1 MB
    for (int i = 0; i < megabytes; ++i)
        if (f.write(block) != block.size())
            return false;
    return f.write(synth::Id3v1("Title", "Artist")) == 128 && f.flush();
}

double CopySeconds(const QString& from, const QString& to)
{
    QElapsedTimer t;
    t.start();
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return -1;
    QFile f(to);
    if (f.open(QIODevice::ReadWrite))
        ::fsync(f.handle());
    const double s = t.nsecsElapsed() / 1e9;
    QFile::remove(to);
    return s;
}

// In the child: one embed, then the figures on standard output.
int RunOne(const QString& folder, int megabytes)
{
    const QString song = QDir(folder).filePath(QStringLiteral("song%1.mp3").arg(megabytes));
    const QString lyrics = QDir(folder).filePath(QStringLiteral("song%1.txt").arg(megabytes));
    if (!MakeSong(song, megabytes))
        return 1;
    QFile l(lyrics);
    if (!l.open(QIODevice::WriteOnly) || l.write(QByteArray("[00:01:00]la la la\r\n").repeated(2000)) <= 0)
        return 1;
    l.close();
    const double copy = CopySeconds(song, song + QStringLiteral(".copy"));
    const long before = PeakKb();
    QElapsedTimer t;
    t.start();
    const songfiles::EmbedResult r = songfiles::EmbedLyricsFile({song, lyrics});
    const double embed = t.nsecsElapsed() / 1e9;
    const long after = PeakKb();
    QFile::remove(song);
    QFile::remove(lyrics);
    if (!r.ok()) {
        std::fprintf(stderr, "embed failed: %s\n", qPrintable(r.failure.detail + r.failure.text));
        return 1;
    }
    std::printf("%4d MB  embed %7.3f s (%6.0f MB/s)  copy %7.3f s  ratio %4.2f  peak %6ld kB (+%ld kB)\n", megabytes,
                embed, megabytes / embed, copy, embed / copy, after, after - before);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    int failures = 0;
    for (int megabytes : {1, 20, 200}) {
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            const int rc = RunOne(folder, megabytes);
            std::fflush(stdout);
            ::_exit(rc);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        failures += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failures == 0 ? 0 : 1;
}
