#include "browser/tests/guifixture.h"
#include <QAbstractButton>
#include <QTableView>
#include <QTextEdit>
#include <QCoreApplication>
using browser::fakes::WindowTest;
using namespace browser;
TEST_F(WindowTest, Grab)
{
    MarkNotFirstRun();
    const char* names[] = {"さくらの歌", "夜明けのうた", "Morning Song", "風のささやき", "unpaired"};
    for (const char* n : names) {
        Touch(QString::fromUtf8(n) + ".txt", "[00:01:00]abc\n[00:02:00]def\n");
    }
    for (int i = 0; i < 4; ++i)
        Touch(QString::fromUtf8(names[i]) + ".mp3", QByteArray(300000, 'x'));
    LyricsDetails d; d.tagKind = 2; d.timeType = 1; d.title = QString::fromUtf8("さくらの歌"); d.artist = QString::fromUtf8("メルウィック合唱団"); d.taggingBy = QString::fromUtf8("デモ作者");
    fake.lyrics.insert(QString::fromUtf8("さくらの歌.txt"), d);
    SongDetails s = fakes::FakeDetails::PlainSong(); s.id3v1.title = QString::fromUtf8("さくらの歌"); s.id3v1.artist = QString::fromUtf8("メルウィック合唱団");
    fake.songs.insert(QString::fromUtf8("さくらの歌.mp3"), s);
    FormMain& w = Open();
    w.resize(1100, 720);
    ListFiles(0);
    ListFiles(1);
    w.ShowRow(0, 0);
    QCoreApplication::processEvents();
    w.grab().save("/tmp/grab.png");
}
