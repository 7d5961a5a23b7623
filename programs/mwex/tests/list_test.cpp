// mwex list …, mwex names …, end to end: a folder saved as a data file byte for byte,
// the rows read back as JSON, broken files, the name filter and the loose comparison.
#include "programs/mwex/tests/clirunner.h"
#include "testing/testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using clitest::Mwex;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

const QDateTime kTime(QDate(2024, 5, 6), QTime(7, 8, 9));

class ListCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Put(const QString& relative, const QByteArray& bytes)
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        WriteBytes(path, bytes);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
        EXPECT_TRUE(f.setFileTime(kTime, QFileDevice::FileModificationTime));
        return path;
    }
    QList<QJsonObject> Show(const QString& mlf, int expectedStatus = 0)
    {
        const clitest::Run r = Mwex({"list", "show", mlf});
        EXPECT_EQ(r.status, expectedStatus) << r.err.toStdString();
        QList<QJsonObject> out;
        for (const QByteArray& line : r.out.split('\n'))
            if (!line.isEmpty())
                out << QJsonDocument::fromJson(line).object();
        return out;
    }
    QTemporaryDir dir;
};

QByteArray Record(int i, const QByteArray& name, qint64 size, const QByteArray& ext, const QByteArray& artist,
                  const QByteArray& title, const QByteArray& tagType, const QByteArray& taggingBy, const QByteArray& path)
{
    return "[" + QByteArray::number(i) + "]\r\nfilename=" + name + "\r\nsize=" + QByteArray::number(size)
        + " B\r\ntimestamp=2024/05/06 07:08:09\r\next=" + ext + "\r\nartist=" + artist + "\r\ntitle=" + title
        + "\r\ntagtype=" + tagType + "\r\ntimetype=\r\ntaggingby=" + taggingBy + "\r\npath=" + path
        + "\r\ndummy=\r\nchecked=0\r\n\r\n";
}

TEST_F(ListCli, SavesAFolderAsThePaneListsIt)
{
    const QByteArray song = Sjis("@title=春の歌\r\n@artist=Miku\r\n@TaggingBy=me\r\nあいう\r\n");
    const QByteArray lrc = "[00:01:00]la\r\n[00:02:00]la\r\n[00:03:00]la\r\n";
    Put(QString::fromUtf8("歌詞.txt"), song);
    Put(QStringLiteral("b.lrc"), lrc);
    Put(QStringLiteral("sub/c.txt"), "x");
    Put(QStringLiteral(".hidden/d.txt"), "x");
    Put(QStringLiteral("e.mp3"), "x");
    const QString mlf = dir.filePath(QStringLiteral("out.mlf"));

    const clitest::Run r = Mwex({"list", "save", dir.path(), "--subfolders", "-o", mlf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray root = dir.path().toUtf8();
    const QByteArray expected = "[Melwick Data File]\r\n\r\n[main]\r\ndata_version=1\r\nmode=lyrics\r\nmax=3\r\nfolder=" + root
        + "\r\n\r\n"
        + Record(1, Sjis("歌詞.txt"), song.size(), "txt", "Miku", Sjis("春の歌"), Sjis("なし"), "me", root + "/")
        + Record(2, "c.txt", 1, "txt", "", "", Sjis("なし"), "", root + "/sub/")
        + Record(3, "b.lrc", lrc.size(), "lrc", "", "", Sjis("行頭"), "", root + "/");
    EXPECT_EQ(ReadBytes(mlf), expected);

    // Without sub-folders the sub-folder's file is left out; saving again gives the same bytes.
    ASSERT_EQ(Mwex({"list", "save", dir.path(), "-o", mlf}).status, 0);
    const QByteArray flat = ReadBytes(mlf);
    EXPECT_FALSE(flat.contains("c.txt"));
    ASSERT_EQ(Mwex({"list", "save", dir.path(), "--mode", "lyrics", "-o", mlf}).status, 0);
    EXPECT_EQ(ReadBytes(mlf), flat);
}

TEST_F(ListCli, ShowsEveryRowAsJson)
{
    Put(QString::fromUtf8("歌詞.txt"), Sjis("@title=春の歌\r\nあ\r\n"));
    Put(QStringLiteral("b.lrc"), "[00:01:00]la\r\n[00:02:00]la\r\n");
    const QString mlf = dir.filePath(QStringLiteral("out.mlf"));
    ASSERT_EQ(Mwex({"list", "save", dir.path(), "-o", mlf}).status, 0);
    const QList<QJsonObject> rows = Show(mlf);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["filename"].toString(), QString::fromUtf8("歌詞.txt"));
    EXPECT_EQ(rows[0]["title"].toString(), QString::fromUtf8("春の歌"));
    EXPECT_EQ(rows[0]["fullPath"].toString(), dir.filePath(QString::fromUtf8("歌詞.txt")));
    EXPECT_EQ(rows[0]["checked"].toBool(true), false);
    EXPECT_EQ(rows[0]["icon"].toInt(), 9);
    EXPECT_EQ(rows[1]["icon"].toInt(), 11);
    EXPECT_FALSE(rows[1]["dimmed"].toBool(true));
    EXPECT_FALSE(rows[0].contains("match"));

    // A file gone since the save is dimmed; a cut file prints the rows read and fails.
    QFile::remove(dir.filePath(QStringLiteral("b.lrc")));
    EXPECT_TRUE(Show(mlf)[1]["dimmed"].toBool());
    const QByteArray bytes = ReadBytes(mlf);
    WriteBytes(mlf, bytes.left(bytes.indexOf("[2]") + 20));
    EXPECT_EQ(Show(mlf, 1).size(), 1);
    WriteBytes(mlf, "[Some Other File]\r\n");
    const clitest::Run bad = Mwex({"list", "show", mlf});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.contains(QString::fromUtf8("ファイルの読み込みに失敗しました。").toUtf8()));
}

TEST_F(ListCli, ListsSongsWithTheirStreamFacts)
{
    QByteArray frame("\xFF\xFB\x90\x40", 4);
    frame.append(417 - 4, '\0');
    Put(QStringLiteral("a.mp3"), frame.repeated(40));
    Put(QStringLiteral("b.rmp"), "not a song");
    const QString mlf = dir.filePath(QStringLiteral("songs.mlf"));
    ASSERT_EQ(Mwex({"list", "save", dir.path(), "--mode", "songs", "-o", mlf}).status, 0);
    EXPECT_TRUE(ReadBytes(mlf).contains("\r\nmode=song\r\nmax=2\r\n"));
    const QList<QJsonObject> rows = Show(mlf);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["br"].toString(), QStringLiteral("128"));
    EXPECT_EQ(rows[0]["sr"].toString(), QStringLiteral("44.1"));
    EXPECT_EQ(rows[0]["size"].toString(), QStringLiteral("17 kB"));
    EXPECT_EQ(rows[0]["icon"].toInt(), 1);
    EXPECT_EQ(rows[1]["tags"].toString(), QStringLiteral("E"));
    EXPECT_TRUE(rows[1]["dimmed"].toBool());
}

TEST_F(ListCli, RefusesNamesTheFileCannotHoldAndBadInput)
{
    Put(QString::fromUtf8("smile😀.txt"), "x");
    const QString mlf = dir.filePath(QStringLiteral("out.mlf"));
    const clitest::Run r = Mwex({"list", "save", dir.path(), "-o", mlf});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("U+1F600")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(mlf));
    EXPECT_EQ(Mwex({"list", "save", dir.filePath("missing"), "-o", mlf}).status, 2);
    EXPECT_EQ(Mwex({"list", "save", dir.path(), "--mode", "videos", "-o", mlf}).status, 2);
    EXPECT_EQ(Mwex({"list", "save", dir.path()}).status, 2);
}

TEST(NamesCli, FilterPrintsThePassingNames)
{
    clitest::Run r = Mwex({"names", "filter", "*(live)*", "Song (Live).mp3", "song live.mp3", "(live).txt.bak"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("Song (Live).mp3\n(live).txt.bak\n"));
    r = Mwex({"names", "filter", "--case-sensitive", "*(live)*", "Song (Live).mp3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    r = Mwex({"names", "filter", "--partial", "adm", "readme.txt", "admin.txt", "x.adm"});
    EXPECT_EQ(r.out, QByteArray("readme.txt\nadmin.txt\n"));
    EXPECT_EQ(Mwex({"names", "filter", "readme.txt", "readme.txt"}).status, 1);
}

TEST(NamesCli, MatchAnswersByExitStatus)
{
    EXPECT_EQ(Mwex({"names", "match", "ソング", "ｿﾝｸﾞ"}).status, 0);
    EXPECT_EQ(Mwex({"names", "match", "ＳＯＮＧ", "song"}).status, 0);
    EXPECT_EQ(Mwex({"names", "match", "song-02", "Song-01"}).status, 1);
    EXPECT_EQ(Mwex({"names", "match", "only one"}).status, 2);
}

} // namespace
