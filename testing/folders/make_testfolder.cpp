// mwex_make_testfolder FOLDER [SJIS_COUNT]: writes the odd test folder (Shift_JIS names,
// UTF-16 lyrics, a FIFO, a dangling link, an unreadable file, a zero-byte MP3) into
// FOLDER, plus SJIS_COUNT more Shift_JIS-named lyrics files, and lists what it made.
#include "testing/folders/oddfolder.h"

#include "common/rawname.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mwex_make_testfolder FOLDER [SJIS_COUNT]\n");
        return 2;
    }
    const QString folder = common::PathFromNative(QByteArrayView(argv[1]));
    QString error;
    const std::optional<testfolder::OddFolder> made = testfolder::MakeOddFolder(folder, &error);
    if (!made || (argc == 3 && !testfolder::AddSjisLyrics(folder, QByteArray(argv[2]).toInt(), &error))) {
        std::fprintf(stderr, "mwex_make_testfolder: %s\n", error.toUtf8().constData());
        return 1;
    }
    for (const QString& path : {made->sjisLyrics, made->sjisSong, made->sjisBackslash, made->sjisInner, made->utf8Lyrics,
                                made->utf16le, made->utf16be, made->fifo, made->dangling, made->unreadable,
                                made->emptySong})
        std::printf("%s\n", common::DisplayPath(path).toUtf8().constData());
    return 0;
}
