// Writes seed inputs for the song-file fuzzers into three folders:
//   songfiles_fuzz_seeds DIR   → DIR/probe, DIR/lyrics3, DIR/info
#include "songfiles/testdata/synth.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

void Put(const QString& dir, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: songfiles_fuzz_seeds DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString probe = root + QStringLiteral("/probe"), lyrics3 = root + QStringLiteral("/lyrics3"),
                  info = root + QStringLiteral("/info");
    const QByteArray tag = synth::Id3v1("Title", "Artist", "Album", "2000", "Comment", 17);
    const QByteArray block = synth::Lyrics3({{"IND", "11"}, {"LYR", "[00:01:00]la"}, {"ETT", "t"}, {"XYZ", "abc"}});
    QByteArray ilyc = block + tag;
    if (ilyc.size() % 2)
        ilyc.prepend('\0');
    const QByteArray list = synth::InfoList({{"INAM", QByteArray("name\0", 5)}, {"ICOP", QByteArray("c\0", 2)}, {"ILYC", ilyc}});

    synth::Frame f;
    Put(probe, QStringLiteral("cbr"), synth::MakeStream(f, 6) + tag);
    Put(probe, QStringLiteral("lyrics"), synth::MakeStream(f, 4, '\0') + synth::MakeStream(f, 2) + block + tag);
    Put(probe, QStringLiteral("xing"), synth::MakeInfoFrame(f, "Xing", 5, 0) + synth::MakeVbrStream(f, {9, 12, 5}, 5));
    Put(probe, QStringLiteral("vbri"), synth::MakeInfoFrame(f, "VBRI", 5, 0) + synth::MakeVbrStream(f, {9, 12, 5}, 5));
    Put(probe, QStringLiteral("vbr"), synth::MakeVbrStream(f, {9, 12, 5, 1}, 8) + "LYRICSBEGINoldLYRICSEND" + tag);
    Put(probe, QStringLiteral("rmp"), synth::Rmp(synth::MakeStream(f, 3), list));
    Put(probe, QStringLiteral("id3v2"), synth::Id3v2(20) + synth::MakeStream(f, 3));
    Put(probe, QStringLiteral("macbinary"), synth::MacBinaryHeader(3 * 417) + synth::MakeStream(f, 3));
    synth::Frame g;
    g.version = 3;
    g.layer = 2;
    g.bitRateIndex = 4;
    g.crc = true;
    Put(probe, QStringLiteral("mpeg25"), synth::MakeStream(g, 5));
    g.version = 2;
    g.layer = 1;
    Put(probe, QStringLiteral("mpeg2l1"), synth::MakeStream(g, 5));
    synth::Frame free;
    free.bitRateIndex = 0;
    free.freeLength = 700;
    Put(probe, QStringLiteral("free"), synth::MakeStream(free, 4));

    Put(lyrics3, QStringLiteral("block"), block);
    Put(lyrics3, QStringLiteral("dmy"), synth::Lyrics3({{"DMY", "xx"}, {"LYR", "x"}, {"EAL", "a"}, {"QQQ", ""}}));
    Put(info, QStringLiteral("list"), list.mid(8));
    Put(info, QStringLiteral("iid3"), synth::InfoList({{"IART", "a"}, {"IID3", tag}}).mid(8));
    return 0;
}
