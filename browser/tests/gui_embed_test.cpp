// The 埋め込み menu of the shown song and the drop embed: enabling, embedding with the
// lyrics file going to the (fake) trash, copy, save, delete, the exact-path row removal.
#include "browser/tests/guifixture.h"

#include "browser/fileops/tests/faketrash.h"
#include "browser/gui/embed/embedmenu.h"
#include "common/utf8text.h"
#include "songfiles/lyrics3.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <unistd.h>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;
using testsupport::Sjis;

namespace {

using common::U;

const QByteArray kTag = synth::Id3v1("Title", "Artist", "Album", "1999", "Comment", 17);

class EmbedWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        trash = std::make_unique<fileops::fakes::FakeTrash>(dir.path() + QStringLiteral("/.trash"));
        songBytes = synth::PlainMp3(20) + kTag;
        QDir().mkpath(folder + QStringLiteral("/lyr"));
        QDir().mkpath(folder + QStringLiteral("/songs"));
    }
    /// Left pane: the lyrics folder, right pane: the songs folder, both listing files.
    FormMain& OpenPanes()
    {
        store.setText("Init", "Folder0", folder + QStringLiteral("/lyr"));
        store.setText("Init", "Folder1", folder + QStringLiteral("/songs"));
        FormMain& w = Open();
        w.ShowFolder(0, folder + QStringLiteral("/lyr"));
        w.ShowFolder(1, folder + QStringLiteral("/songs"));
        ListFiles(0);
        ListFiles(1);
        w.findChild<EmbedMenu*>(QStringLiteral("EmbedMenu"))->setTrash(trash.get());
        return w;
    }
    int Row(int pane, const QString& name) { return static_cast<int>(RowNames(pane).indexOf(name)); }
    /// Shows the lyrics row and then the song row, as the user's two clicks do.
    void Choose(const QString& lyrics, const QString& song)
    {
        window->ShowRow(0, Row(0, lyrics));
        window->ShowRow(1, Row(1, song));
    }
    /// Opens the menu as its button does and reads the enabling of the four entries.
    QList<bool> MenuState()
    {
        QMenu* menu = Find<QMenu>("mnImplant");
        Q_EMIT menu->aboutToShow();
        QList<bool> on;
        for (int i = 0; i < 4; ++i)
            on << Find<QAction>(QStringLiteral("mnImplantMenu%1").arg(i))->isEnabled();
        return on;
    }
    void Trigger(int entry)
    {
        QMenu* menu = Find<QMenu>("mnImplant");
        Q_EMIT menu->aboutToShow();
        Find<QAction>(QStringLiteral("mnImplantMenu%1").arg(entry))->trigger();
    }
    std::unique_ptr<fileops::fakes::FakeTrash> trash;
    QByteArray songBytes;
};

} // namespace

TEST_F(EmbedWindowTest, MenuEnablingFollowsTheSongKindAndTheLyricsSelection)
{
    const QByteArray lyrics = "[00:01:00]la\r\n";
    Touch("lyr/a.txt", lyrics);
    Touch("songs/a.mp3", songBytes);
    Touch("songs/v2.mp3", synth::Id3v2(16) + synth::PlainMp3(10));
    Touch("songs/junk.mp3", "not a song at all");
    Touch("songs/lyr3.mp3", synth::PlainMp3(10) + synth::Lyrics3({{"IND", "10"}, {"LYR", "la"}}) + kTag);
    OpenPanes();

    Choose("a.txt", "a.mp3");
    EXPECT_EQ(MenuState(), (QList<bool>{true, false, false, false}));
    Choose("a.txt", "lyr3.mp3");
    EXPECT_EQ(MenuState(), (QList<bool>{true, true, true, true}));
    // Kind −1 counts as every flag: nothing may be done with it.
    Choose("a.txt", "junk.mp3");
    EXPECT_EQ(MenuState(), (QList<bool>{false, false, false, false}));
    Choose("a.txt", "v2.mp3");
    EXPECT_EQ(MenuState(), (QList<bool>{false, false, false, false}));
    // No lyrics file any more: no embed.
    window->ShowRow(1, Row(1, "a.mp3"));
    QFile::remove(folder + QStringLiteral("/lyr/a.txt"));
    EXPECT_EQ(MenuState(), (QList<bool>{false, false, false, false}));
}

TEST_F(EmbedWindowTest, EmbedPutsTheLyricsInTrashesTheFileAndSelectsThePreviousRow)
{
    const QByteArray lyrics = Sjis("[00:01:00]さくら\r\n");
    Touch("lyr/0.txt", "x");
    Touch("lyr/a.txt", lyrics);
    Touch("lyr/b.txt", "y");
    const QString song = Touch("songs/a.rmp", songBytes);
    store.setText("Option", "DeleteAfterImplant", "True");
    OpenPanes();
    ASSERT_EQ(RowNames(0), (QStringList{"0.txt", "a.txt", "b.txt"}));

    Choose("a.txt", "a.rmp");
    Trigger(0);
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(QLatin1Char('|')).toStdString();
    // RenameMP3 is on by default: the song is a.mp3 now, and its row says so.
    const QString mp3 = folder + QStringLiteral("/songs/a.mp3");
    EXPECT_FALSE(QFile::exists(song));
    const QByteArray out = ReadBytes(mp3);
    EXPECT_EQ(out.right(128), kTag);
    EXPECT_EQ(out.mid(out.size() - 137, 9), "LYRICS200");
    const auto parsed = songfiles::ParseLyrics3(out.mid(songBytes.size() - 128, out.size() - songBytes.size()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)[songfiles::LYR], U("[00:01:00]さくら\r\n"));
    EXPECT_EQ(RowNames(1), QStringList{"a.mp3"});

    EXPECT_EQ(trash->trashed, QStringList{folder + QStringLiteral("/lyr/a.txt")});
    EXPECT_EQ(RowNames(0), (QStringList{"0.txt", "b.txt"}));
    EXPECT_EQ(window->pane(0).selectedRow(), 0);
}

TEST_F(EmbedWindowTest, AFailedTrashKeepsTheLyricsFileAndItsRow)
{
    const QString lyrics = Touch("lyr/a.txt", "[00:01:00]la\r\n");
    Touch("songs/a.mp3", songBytes);
    store.setText("Option", "DeleteAfterImplant", "True");
    OpenPanes();
    trash->refuse << lyrics;
    Choose("a.txt", "a.mp3");
    Trigger(0);
    EXPECT_TRUE(QFile::exists(lyrics));
    EXPECT_EQ(RowNames(0), QStringList{"a.txt"});
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().startsWith(U("歌詞ファイルをごみ箱に移動できませんでした。")));
    EXPECT_TRUE(ReadBytes(folder + QStringLiteral("/songs/a.mp3")).contains("LYRICS200"));
}

TEST_F(EmbedWindowTest, NameQuestionCancelAndTooLargeLeaveTheSong)
{
    Touch("lyr/other.txt", "[00:01:00]la\r\n");
    Touch("lyr/a.txt", QByteArray(60001, 'a'));
    const QString song = Touch("songs/a.mp3", songBytes);
    OpenPanes();
    Choose("other.txt", "a.mp3");
    prompter.answer(Answer::Cancel);
    Trigger(0);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_EQ(prompter.messages().first(), U("選択された歌詞ファイルのファイル名が合っていませんが、埋め込みますか？"));
    EXPECT_EQ(ReadBytes(song), songBytes);
    EXPECT_TRUE(window->isEnabled());

    prompter.clear();
    Choose("a.txt", "a.mp3");
    Trigger(0);
    EXPECT_EQ(prompter.messages(), QStringList{U("歌詞が大きすぎます")});
    EXPECT_EQ(ReadBytes(song), songBytes);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(EmbedWindowTest, CopySaveAndDeleteTheEmbeddedLyrics)
{
    const QByteArray lyrics = Sjis("[00:01:00]歌\r\n");
    Touch("lyr/x.txt", "y");
    const QString song = Touch("songs/s.mp3", synth::PlainMp3(10) + synth::Lyrics3({{"IND", "11"}, {"LYR", lyrics}}) + kTag);
    OpenPanes();
    Choose("x.txt", "s.mp3");

    Trigger(1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), U("[00:01:00]歌\r\n"));

    const QString saved = folder + QStringLiteral("/saved.txt");
    prompter.answerText(saved);
    Trigger(2);
    EXPECT_EQ(ReadBytes(saved), lyrics);
    const auto& dialog = prompter.prompts().back();
    EXPECT_EQ(dialog.text, U("埋め込み歌詞の保存"));
    EXPECT_EQ(dialog.file.fileName, QStringLiteral("s.txt"));
    EXPECT_EQ(dialog.file.folder, folder + QStringLiteral("/songs"));
    EXPECT_EQ(dialog.file.filter, U("歌詞ファイル|*.txt;*.lrc;*.kra"));
    prompter.answerText(std::nullopt); // Cancel: quietly nothing
    Trigger(2);
    EXPECT_TRUE(prompter.messages().isEmpty());

    Trigger(3);
    EXPECT_EQ(ReadBytes(song), synth::PlainMp3(10) + kTag);
    EXPECT_EQ(MenuState(), (QList<bool>{true, false, false, false}));
}

TEST_F(EmbedWindowTest, DropEmbedRemovesTheRowOfExactlyTheDroppedPath)
{
    Touch("lyr/a.txt", "[00:01:00]small\r\n");
    const QString upper = Touch("lyr/A.txt", "[00:01:00]LARGE\r\n");
    Touch("songs/a.mp3", songBytes);
    store.setText("Option", "DeleteAfterImplant", "True");
    FormMain& w = OpenPanes();
    ASSERT_EQ(RowNames(0).size(), 2);
    auto* embed = w.findChild<EmbedMenu*>(QStringLiteral("EmbedMenu"));
    embed->DropEmbed(1, Row(1, "a.mp3"), upper);
    EXPECT_EQ(RowNames(0), QStringList{"a.txt"});
    EXPECT_EQ(trash->trashed, QStringList{upper});
    EXPECT_TRUE(ReadBytes(folder + QStringLiteral("/songs/a.mp3")).contains("LARGE"));

    // The drop's own checks end the command with their message.
    embed->DropEmbed(1, Row(1, "a.mp3"), folder + QStringLiteral("/lyr/a.text"));
    EXPECT_EQ(prompter.messages().last(), U("歌詞ファイル以外は埋め込めません。"));
}

TEST_F(EmbedWindowTest, ASongWithSeveralNamesIsRewrittenOnlyAfterTheQuestion)
{
    const QByteArray withLyrics = synth::PlainMp3(10) + synth::Lyrics3({{"IND", "11"}, {"LYR", "[00:01:00]la"}}) + kTag;
    Touch("lyr/x.txt", "y");
    const QString song = Touch("songs/s.mp3", withLyrics);
    const QString other = folder + QStringLiteral("/other-name.mp3");
    ASSERT_EQ(::link(QFile::encodeName(song).constData(), QFile::encodeName(other).constData()), 0);
    OpenPanes();
    Choose("x.txt", "s.mp3");

    prompter.answer(Answer::No);
    Trigger(3);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().contains(U("ハードリンク"))) << prompter.messages().first().toStdString();
    EXPECT_EQ(ReadBytes(song), withLyrics);

    prompter.clear();
    prompter.answer(Answer::Yes);
    Trigger(3);
    EXPECT_EQ(ReadBytes(song), synth::PlainMp3(10) + kTag); // this name has its own file now
    EXPECT_EQ(ReadBytes(other), withLyrics);                // the other name keeps the old content
}
