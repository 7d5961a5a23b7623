// Embedding a lyrics file into a song as the window and the command line do it: the
// bytes of the result, the limits, the questions, the kind checks and the rename.
#include "common/codepage.h"

#include "common/utf8text.h"
#include "songfiles/embed.h"
#include "songfiles/lyrics3.h"
#include "songfiles/songfile.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace songfiles;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

using common::U;

class EmbedTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Put(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }
    QTemporaryDir dir_;
};

const QByteArray kTag = synth::Id3v1("Title", "Artist", "Album", "1999", "Comment", 17);

TEST_F(EmbedTest, EmbeddedSongEndsInBlockAndTagWithTheLyricsText)
{
    const QByteArray audio = synth::PlainMp3(20);
    const QString song = Put(QStringLiteral("a.mp3"), audio + kTag);
    const QByteArray lyrics = Sjis("[00:01:00]さくら\r\n[00:02:00]さくら\r\n");
    const QString lyricsPath = Put(QStringLiteral("a.txt"), lyrics);
    bool asked = false;
    const EmbedResult r = EmbedLyricsFile({song, lyricsPath}, [&] { return asked = true; });
    ASSERT_TRUE(r.ok()) << r.failure.text.toStdString() << r.failure.detail.toStdString();
    EXPECT_FALSE(asked); // same base name: no question

    const QByteArray out = ReadBytes(song);
    EXPECT_TRUE(out.startsWith(audio));
    EXPECT_EQ(out.right(128), kTag);
    EXPECT_EQ(out.mid(out.size() - 137, 9), "LYRICS200");
    const QByteArray block = out.mid(audio.size(), out.size() - 128 - audio.size());
    const QByteArray expected = "LYRICSBEGIN" "IND00002" "11" "LYR" + QByteArray::number(lyrics.size()).rightJustified(5, '0') + lyrics;
    EXPECT_TRUE(block.startsWith(expected)) << block.left(60).toStdString();
    EXPECT_EQ(block.right(15), QByteArray::number(block.size() - 15).rightJustified(6, '0') + "LYRICS200");
    const std::optional<Lyrics3Record> parsed = ParseLyrics3(block);
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)[LYR], common::DecodeCp932(lyrics));

    // Lyrics without time tags are marked so: IND "10", not a fixed "11".
    Put(QStringLiteral("a.txt"), Sjis("さくら\r\n"));
    ASSERT_TRUE(EmbedLyricsFile({song, lyricsPath}).ok());
    EXPECT_TRUE(ReadBytes(song).mid(audio.size()).startsWith("LYRICSBEGININD0000210LYR"));
}

TEST_F(EmbedTest, SixtyThousandBytesFitOneMoreIsRefusedAndEmptyOrUnreadableLyricsToo)
{
    const QString song = Put(QStringLiteral("s.mp3"), synth::PlainMp3(10) + kTag);
    const QString fits = Put(QStringLiteral("s.txt"), QByteArray(60000, 'a'));
    ASSERT_TRUE(EmbedLyricsFile({song, fits}).ok());
    const QByteArray before = ReadBytes(song);
    EXPECT_TRUE(before.contains(QByteArray(60000, 'a')));

    const QString big = Put(QStringLiteral("s.lrc"), QByteArray(60001, 'b'));
    EmbedResult r = EmbedLyricsFile({song, big});
    EXPECT_EQ(r.status, EmbedResult::Status::Failed);
    EXPECT_EQ(r.failure.text, U(embedmsg::kTooLarge));
    EXPECT_EQ(ReadBytes(song), before);

    r = EmbedLyricsFile({song, Put(QStringLiteral("s.kra"), {})});
    EXPECT_EQ(r.failure.text, U("歌詞ファイルが空です"));
    r = EmbedLyricsFile({song, dir_.filePath(QStringLiteral("missing.txt"))});
    EXPECT_EQ(r.failure.text, U("歌詞を読み込めませんでした"));
    QFile(song).setPermissions(QFileDevice::ReadOwner);
    if (!QFile(song).open(QIODevice::ReadWrite)) { // root writes anyway
        r = EmbedLyricsFile({song, fits});
        EXPECT_EQ(r.failure.text, U("曲ファイルに書き込めません"));
    }
    QFile(song).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadBytes(song), before);
}

TEST_F(EmbedTest, CancelOnTheNameQuestionLeavesTheSongUnchanged)
{
    const QByteArray bytes = synth::PlainMp3(10) + kTag;
    const QString song = Put(QStringLiteral("Song.mp3"), bytes);
    const QString other = Put(QStringLiteral("other.txt"), "[00:01:00]la\r\n");
    int questions = 0;
    EmbedResult r = EmbedLyricsFile({song, other}, [&] { ++questions; return false; });
    EXPECT_EQ(r.status, EmbedResult::Status::Cancelled);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(ReadBytes(song), bytes);

    // The base names are compared without case: "SONG.TXT" belongs to "Song.mp3".
    const QString same = Put(QStringLiteral("SONG.TXT"), "[00:01:00]la\r\n");
    r = EmbedLyricsFile({song, same}, [&] { ++questions; return false; });
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(questions, 1);
}

TEST_F(EmbedTest, RenameToMp3NeverReplacesAnExistingFile)
{
    const QString lyrics = Put(QStringLiteral("a.txt"), "[00:01:00]la\r\n");
    const QString rmp = Put(QStringLiteral("a.rmp"), synth::PlainMp3(10) + kTag);
    EmbedRequest request{rmp, lyrics};
    request.renameMp3 = true;
    EmbedResult r = EmbedLyricsFile(request);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.renameNote.isEmpty());
    EXPECT_EQ(r.songPath, dir_.filePath(QStringLiteral("a.mp3")));
    EXPECT_FALSE(QFile::exists(rmp));
    EXPECT_TRUE(ReadBytes(r.songPath).contains("LYRICS200"));

    // With a.mp3 there, a second a.rmp keeps its name and a.mp3 its bytes.
    const QByteArray mp3Bytes = ReadBytes(r.songPath);
    const QString again = Put(QStringLiteral("a.rmp"), synth::PlainMp3(12) + kTag);
    request.songPath = again;
    r = EmbedLyricsFile(request);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.renameNote.text, U("同名ファイルがあるためmp3にリネームはできませんでした。"));
    EXPECT_EQ(r.songPath, again);
    EXPECT_TRUE(ReadBytes(again).contains("LYRICS200"));
    EXPECT_EQ(ReadBytes(dir_.filePath(QStringLiteral("a.mp3"))), mp3Bytes);

    // The rename itself refuses an existing name even when asked directly.
    bool existed = false;
    QString why;
    EXPECT_FALSE(RenameNoReplace(again, dir_.filePath(QStringLiteral("a.mp3")), &why, &existed));
    EXPECT_TRUE(existed);
    EXPECT_EQ(ReadBytes(dir_.filePath(QStringLiteral("a.mp3"))), mp3Bytes);
}

TEST_F(EmbedTest, KindCheckInItsOrder)
{
    // A path that is no file: the MacBinary removal fails there, as it would on a song
    // whose header cannot be cut.
    const QString none = dir_.filePath(QStringLiteral("none.mp3"));
    struct Case {
        SongKind kind;
        const char* message;
    };
    const Case cases[] = {
        {kNotASong, "MP3(RMP)ファイルではありません"}, // no removal tried
        {Rmp | Lyrics3, ""},
        {MarkI, ""},
        {Wave, "WAVE形式ファイルは対象外です"},
        {Wave | Id3v2, "ID3V2ファイルは対象外です"},
        {Wave | Embedded, "すでに埋め込まれています"},
        {Id3v2 | Embedded, "すでに埋め込まれています"},
        {Wave | MacBinary, "マックバイナリを除去できませんでした"},
        {Embedded | MacBinary, "マックバイナリを除去できませんでした"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckKindForEmbed(none, c.kind).text, U(c.message)) << c.kind;

    // A real MacBinary song loses its header and then takes the lyrics.
    const QByteArray stream = synth::PlainMp3(10) + kTag;
    const QString mac = Put(QStringLiteral("m.mp3"), synth::MacBinaryHeader(stream.size()) + stream);
    ASSERT_TRUE(CheckKindForEmbed(mac, MacBinary).isEmpty());
    EXPECT_TRUE(ReadBytes(mac).startsWith(stream.left(4)));
    // An ID3v2 song is refused through the whole embed, its bytes unchanged.
    const QByteArray v2 = synth::Id3v2(16) + synth::PlainMp3(10);
    const QString v2Path = Put(QStringLiteral("v.mp3"), v2);
    const EmbedResult r = EmbedLyricsFile({v2Path, Put(QStringLiteral("v.txt"), "la\r\n")});
    EXPECT_EQ(r.failure.text, U("ID3V2ファイルは対象外です"));
    EXPECT_EQ(ReadBytes(v2Path), v2);
}

TEST_F(EmbedTest, DropChecksSaveAndDelete)
{
    const QString song = Put(QStringLiteral("d.mp3"), synth::PlainMp3(10) + kTag);
    const QString upper = Put(QStringLiteral("x.TXT"), "la\r\n");
    const QString text = Put(QStringLiteral("x.text"), "la\r\n");
    EXPECT_TRUE(CheckDropEmbed(upper, song).isEmpty());
    EXPECT_EQ(CheckDropEmbed(text, song).text, U("歌詞ファイル以外は埋め込めません。"));
    EXPECT_EQ(CheckDropEmbed(dir_.filePath(QStringLiteral("gone.lrc")), song).text, U("歌詞ファイルが読み込めません。"));
    EXPECT_EQ(CheckDropEmbed(upper, dir_.filePath(QStringLiteral("gone.mp3"))).text, U("曲ファイルが見つかりません。"));
    EXPECT_EQ(CheckDropEmbed(upper, upper).text, U("曲ファイルが対象外です。"));

    const QByteArray lyrics = Sjis("[00:01:00]ｶﾀｶﾅ①\r\n");
    ASSERT_TRUE(EmbedLyricsFile({song, Put(QStringLiteral("d.txt"), lyrics)}).ok());
    QString copied;
    ASSERT_TRUE(ReadEmbeddedLyricsText(song, copied));
    EXPECT_EQ(copied, common::DecodeCp932(lyrics));

    // Save replaces an existing file whole; a read-only one is refused and kept.
    const QString saved = Put(QStringLiteral("saved.txt"), QByteArray(500, 'z'));
    EXPECT_TRUE(SaveEmbeddedLyrics(song, saved).isEmpty());
    EXPECT_EQ(ReadBytes(saved), lyrics);
    QFile(saved).setPermissions(QFileDevice::ReadOwner);
    EXPECT_EQ(SaveEmbeddedLyrics(song, saved).text, U("書き込みに失敗しました。"));
    EXPECT_EQ(ReadBytes(saved), lyrics);

    const QByteArray before = synth::PlainMp3(10) + kTag;
    EXPECT_TRUE(DeleteEmbeddedLyrics(song).isEmpty());
    EXPECT_EQ(ReadBytes(song), before);
    EXPECT_EQ(DeleteEmbeddedLyrics(song).text, U("アクセスに失敗しました。"));
    EmbedMessage why;
    EXPECT_FALSE(ReadEmbeddedLyricsText(song, copied, &why));
    EXPECT_EQ(why.text, U("読み出せませんでした。"));
}

} // namespace
