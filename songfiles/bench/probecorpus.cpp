#include "songfiles/bench/probecorpus.h"

#include "songfiles/testdata/synth.h"

#include <QDir>
#include <QFile>

namespace probebench {
namespace {

constexpr int kFiles = 2000;

int SongSeconds()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("MWEX_BENCH_SONG_SECONDS", &ok);
    return ok && s > 0 ? s : 30;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString NameOf(int i)
{
    const auto category = static_cast<Category>(i % kCategories);
    return QStringLiteral("%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(category == RmpFile ? "rmp" : "mp3");
}

/// File `i`: its category is i mod 5; tags and length vary with i.
QByteArray Song(int i, int seconds)
{
    const synth::Frame f;
    const QList<int> vbrRates = {9, 11, 10, 12, 9, 13, 11, 8, 10};
    const int frames = static_cast<int>((seconds + i % 7) * 44100.0 / 1152);
    const QByteArray title = "Song number " + QByteArray::number(i);
    const QByteArray tag = synth::Id3v1(title, "Artist", "Album", "2001", "generated", i % 148);
    const QByteArray block = synth::Lyrics3(
        {{"IND", "11"}, {"LYR", QByteArray("[00:01:00]la la la\r\n").repeated(20)}, {"ETT", title}, {"EAR", "Artist"}});
    switch (static_cast<Category>(i % kCategories)) {
    case CbrInfo:
        return synth::MakeInfoFrame(f, "Info", frames, 0) + synth::MakeStream(f, frames) + tag;
    case CbrBare:
        return synth::MakeStream(f, frames);
    case VbrXing:
        return synth::MakeInfoFrame(f, "Xing", frames, 0) + synth::MakeVbrStream(f, vbrRates, frames) + block + tag;
    case VbrBare:
        return synth::MakeVbrStream(f, vbrRates, frames) + tag;
    case RmpFile: {
        QByteArray ilyc = block + tag;
        if (ilyc.size() % 2)
            ilyc.prepend('\0');
        return synth::Rmp(synth::MakeStream(f, frames),
                          synth::InfoList({{"INAM", title + '\0'}, {"IART", QByteArray("Artist\0", 7)}, {"ILYC", ilyc}}));
    }
    default:
        return {};
    }
}

} // namespace

const char* CategoryName(int category)
{
    static const char* const names[kCategories] = {"CBR+Info+tag", "CBR bare", "VBR+Xing+tag+Lyrics3",
                                                   "VBR no header+tag", "RMP+INFO+Lyrics3"};
    return category >= 0 && category < kCategories ? names[category] : "?";
}

Corpus MakeCorpus(const QString& folder)
{
    Corpus c;
    c.folder = folder;
    QDir().mkpath(folder);
    const QDir dir(folder);
    const int seconds = SongSeconds();
    for (int i = 0; i < kFiles; ++i) {
        const QString path = dir.filePath(NameOf(i));
        if (!QFile::exists(path))
            Write(path, Song(i, seconds));
        c.files[static_cast<size_t>(i % kCategories)].push_back(path);
        c.all.push_back(path);
    }
    return c;
}

} // namespace probebench
