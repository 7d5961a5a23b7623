// The song information editor (曲情報): loading and its modes, Write with the exact tag
// bytes, Cancel, the genre box with and without the extended genres, the conversions
// (RMP → MP3 keeps text lyrics and takes the ".mp3" name unless it is taken), hard links
// and a song changed behind the editor's back; and the row it refreshes in the window.
// With MWEX_SCREENSHOT_DIR set, the three modes are saved as PNGs.
#include "browser/tests/guifixture.h"

#include "browser/core/options.h"
#include "browser/gui/songinfo/formabout.h"
#include "browser/gui/songinfo/formsonginfo.h"
#include "browser/gui/songinfo/songinfoarea.h"
#include "common/gui/japaneseui.h"
#include "common/utf8text.h"
#include "playback/decoder.h"
#include "songfiles/embed.h"
#include "songfiles/songedit.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <unistd.h>

using namespace browser;
using testsupport::ReadBytes;

namespace {

using common::U;

/// An ID3v1 tag as the editor writes it: fields padded with blanks.
QByteArray Tag(const QByteArray& title, const QByteArray& artist, const QByteArray& album, const QByteArray& year,
               const QByteArray& comment, int genre)
{
    const auto pad = [](QByteArray f, int n) { return f.leftJustified(n, ' ', true); };
    return "TAG" + pad(title, 30) + pad(artist, 30) + pad(album, 30) + pad(year, 4) + pad(comment, 30) + char(genre);
}

/// A value for an INFO list: text with its NUL.
QByteArray Z(const char* utf8)
{
    return testsupport::Sjis(utf8) + '\0';
}

const QByteArray kOldTag = synth::Id3v1("Title", "Artist", "Album", "1999", "Comment", 17);

class SongInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        bench.prompter = &prompter;
        bench.options = &options;
    }
    QString Touch(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    std::unique_ptr<FormSongInfo> Open(const QString& path)
    {
        auto form = std::make_unique<FormSongInfo>(bench, path);
        form->resize(form->sizeHint());
        return form;
    }
    template <class T>
    static T* Find(QWidget* form, const char* name)
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QString Info(QWidget* form) { return Find<QLabel>(form, "lblInfo")->text(); }
    static QString Box(QWidget* form, const char* name) { return Find<QLineEdit>(form, name)->text(); }
    static void Click(QWidget* form, const char* name) { Find<QPushButton>(form, name)->click(); }
    static void ChooseGenre(QWidget* form, const QString& name)
    {
        auto* combo = Find<QComboBox>(form, "ComboGenre");
        const int i = combo->findText(name);
        ASSERT_GE(i, 0) << name.toStdString();
        combo->setCurrentIndex(i);
    }
    /// Saves the shown dialog as build/shots/<name>.png when MWEX_SCREENSHOT_DIR is set.
    static void Shot(QWidget* form, const char* name)
    {
        const QString shots = qEnvironmentVariable("MWEX_SCREENSHOT_DIR");
        if (shots.isEmpty())
            return;
        common::ApplyJapaneseUiFont(*qApp);
        form->setFont(QApplication::font());
        form->adjustSize();
        form->show();
        QApplication::processEvents();
        EXPECT_TRUE(form->grab().save(QDir(shots).filePath(QString::fromLatin1(name) + QStringLiteral(".png"))));
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    Options options;
    Workbench bench;
};

class SongInfoWindowTest : public fakes::WindowTest {};

} // namespace

// An MP3 of 3725 s with a Lyrics3 block: mode 1, the stream line with the minutes within
// the hour, the ID3v1 fields and genre.
TEST_F(SongInfoTest, AnMp3OpensInModeOneWithItsStreamLine)
{
    // 142926 frames of 417 bytes at 128 kbit/s: 3725.01 s.
    const QByteArray stream = synth::MakeStream(synth::Frame{}, 142926);
    const QString path = Touch("long.mp3", stream + synth::Lyrics3({{"IND", "10"}, {"LYR", "la"}}) + kOldTag);
    auto form = Open(path);

    EXPECT_EQ(form->mode(), FormSongInfo::Mode::Mp3);
    EXPECT_EQ(Info(form.get()), QStringLiteral("MP3 L3V2 44.1kHz 128bps Stereo 02:05"));
    EXPECT_EQ(Box(form.get(), "TxtTitle"), QStringLiteral("Title"));
    EXPECT_EQ(Box(form.get(), "TxtYear"), QStringLiteral("1999"));
    EXPECT_EQ(Find<QComboBox>(form.get(), "ComboGenre")->currentText(), QStringLiteral("Rock"));
    EXPECT_TRUE(Find<QPushButton>(form.get(), "ComRMP")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(form.get(), "ComMP3")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(form.get(), "TxtCopyright")->isEnabled());
    Shot(form.get(), "songinfo-mode1-mp3");
}

// An RMP shows its INFO texts, falls back to the ID3v1 tag for an empty one, and shows
// lyrics kept as a Lyrics3 block as "(LYRICS3)", which is not edited. An ID3v2 file is
// refused: mode 0.
TEST_F(SongInfoTest, AnRmpPrefersInfoAndAnId3v2FileOpensInModeZero)
{
    QByteArray blockAndTag = synth::Lyrics3({{"IND", "10"}, {"LYR", "la"}}) + synth::Id3v1("T", "Tag artist");
    if (blockAndTag.size() % 2)
        blockAndTag.prepend('\0');
    const QString rmp = Touch("a.rmp", synth::Rmp(synth::PlainMp3(20), synth::InfoList({{"INAM", Z("情報のタイトル")},
                                                                                        {"IART", Z("")},
                                                                                        {"IGNR", Z("Anime")},
                                                                                        {"ICOP", Z("(c) me")},
                                                                                        {"ILYC", blockAndTag}})));
    auto form = Open(rmp);
    EXPECT_EQ(form->mode(), FormSongInfo::Mode::Rmp);
    EXPECT_EQ(Info(form.get()), QStringLiteral("RMP L3V2 44.1kHz 128bps Stereo 00:00"));
    EXPECT_EQ(Box(form.get(), "TxtTitle"), U("情報のタイトル"));
    EXPECT_EQ(Box(form.get(), "TxtArtist"), QStringLiteral("Tag artist"));
    EXPECT_EQ(Box(form.get(), "TxtGenre"), QStringLiteral("Anime"));
    EXPECT_EQ(Box(form.get(), "TxtCopyright"), QStringLiteral("(c) me"));
    auto* lyrics = Find<QPlainTextEdit>(form.get(), "TxtLyrics");
    EXPECT_EQ(lyrics->toPlainText(), QStringLiteral("(LYRICS3)"));
    EXPECT_FALSE(lyrics->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(form.get(), "ComRMP")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(form.get(), "ComMP3")->isEnabled());
    Shot(form.get(), "songinfo-mode2-rmp");

    const QString v2 = Touch("v2.mp3", synth::Id3v2(16) + synth::PlainMp3(10) + kOldTag);
    auto refused = Open(v2);
    EXPECT_EQ(refused->mode(), FormSongInfo::Mode::Unreadable);
    EXPECT_EQ(Info(refused.get()), U("(読み込みエラーまたは対応外ファイルです。)"));
    EXPECT_TRUE(Box(refused.get(), "TxtTitle").isEmpty());
    for (const char* name : {"ComWrite", "ComRMP", "ComMP3"})
        EXPECT_FALSE(Find<QPushButton>(refused.get(), name)->isEnabled()) << name;
    EXPECT_FALSE(Find<QLineEdit>(refused.get(), "TxtTitle")->isEnabled());
    EXPECT_FALSE(Find<QLabel>(refused.get(), "lblLyrics")->isEnabled());
    EXPECT_FALSE(Find<QPlainTextEdit>(refused.get(), "TxtLyrics")->isEnabled());
    Shot(refused.get(), "songinfo-mode0-refused");
}

// Cancel leaves every byte; Write puts the boxes into a new ID3v1 tag at the very end and
// keeps the audio and the lyrics.
TEST_F(SongInfoTest, WriteEndsTheSongInTheEditedTagAndCancelLeavesIt)
{
    const QByteArray audio = synth::PlainMp3(20);
    const QByteArray lyrics = synth::Lyrics3({{"IND", "10"}, {"LYR", "la la"}});
    const QString path = Touch("a.mp3", audio + lyrics + kOldTag);
    const QByteArray before = ReadBytes(path);
    {
        auto form = Open(path);
        Find<QLineEdit>(form.get(), "TxtTitle")->setText(QStringLiteral("Never written"));
        Click(form.get(), "ComCancel");
        EXPECT_FALSE(form->outcome().changed);
    }
    EXPECT_EQ(ReadBytes(path), before);

    auto form = Open(path);
    Find<QLineEdit>(form.get(), "TxtTitle")->setText(QStringLiteral("New title"));
    Find<QLineEdit>(form.get(), "TxtComment")->setText(QStringLiteral("A comment longer than thirty bytes"));
    ChooseGenre(form.get(), QStringLiteral("JPop"));
    Click(form.get(), "ComWrite");
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(form->outcome().changed);
    const QByteArray after = ReadBytes(path);
    EXPECT_EQ(after.right(128), Tag("New title", "Artist", "Album", "1999", "A comment longer than thirty b", 146));
    EXPECT_TRUE(after.startsWith(audio));
    songfiles::Lyrics3Record record;
    ASSERT_TRUE(songfiles::ReadEmbeddedLyrics3(path, record));
    EXPECT_EQ(record[songfiles::LYR], QStringLiteral("la la"));
    EXPECT_EQ(record[songfiles::ETT], QStringLiteral("New title"));
}

// The three genre cases: no genre stays 250; "Anime(J)" with the extended genres is 255;
// "(なし)" without them is 250.
TEST_F(SongInfoTest, GenreBoxWritesTheNumbersOfBothTables)
{
    const QByteArray audio = synth::PlainMp3(10);
    const auto genreAfter = [&](bool ex, const QString& choice, int genre) {
        options.useExGenre = ex;
        const QString path = Touch(QStringLiteral("g%1.mp3").arg(genre), audio + synth::Id3v1("T", {}, {}, {}, {}, genre));
        auto form = Open(path);
        if (choice.isEmpty())
            EXPECT_EQ(Find<QComboBox>(form.get(), "ComboGenre")->currentIndex(), -1);
        else
            ChooseGenre(form.get(), choice);
        Click(form.get(), "ComWrite");
        return static_cast<unsigned char>(ReadBytes(path).back());
    };
    EXPECT_EQ(genreAfter(false, QString(), 250), 250);
    EXPECT_EQ(genreAfter(true, QStringLiteral("Anime(J)"), 1), 255);
    EXPECT_EQ(genreAfter(false, U("(なし)"), 2), 250);
    // A song of genre 255 shows it again with the extended genres on.
    options.useExGenre = true;
    auto form = Open(dir.filePath(QStringLiteral("g1.mp3")));
    EXPECT_EQ(Find<QComboBox>(form.get(), "ComboGenre")->currentText(), QStringLiteral("Anime(J)"));
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(QLatin1Char('|')).toStdString();
}

// RMP → MP3: lyrics kept as ILYC text end up in the MP3's Lyrics3 block, and a.rmp
// becomes a.mp3. When b.mp3 exists, it is left alone, the user is told, and the
// converted song keeps its name.
TEST_F(SongInfoTest, ConvertingAnRmpToMp3KeepsTextLyricsAndTakesTheMp3Name)
{
    const QByteArray stream = synth::PlainMp3(20);
    const QByteArray list = synth::InfoList({{"INAM", Z("Song")}, {"IART", Z("Singer")}, {"IGNR", Z("pop")},
                                             {"ILYC", Z("[00:01:00]la\r\n[00:02:00]lu\r\n")}});
    const QString a = Touch("a.rmp", synth::Rmp(stream, list));
    auto form = Open(a);
    ASSERT_EQ(form->mode(), FormSongInfo::Mode::Rmp);
    Find<QLineEdit>(form.get(), "TxtAlbum")->setText(QStringLiteral("Album"));
    Click(form.get(), "ComMP3");
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(QLatin1Char('|')).toStdString();
    const QString mp3 = dir.filePath(QStringLiteral("a.mp3"));
    EXPECT_EQ(form->outcome().path, mp3);
    EXPECT_FALSE(QFile::exists(a));
    const QByteArray out = ReadBytes(mp3);
    EXPECT_TRUE(out.startsWith(stream));
    EXPECT_EQ(out.right(128), Tag("Song", "Singer", "Album", "", "", 13));
    songfiles::Lyrics3Record record;
    ASSERT_TRUE(songfiles::ReadEmbeddedLyrics3(mp3, record));
    EXPECT_EQ(record[songfiles::LYR], QStringLiteral("[00:01:00]la\r\n[00:02:00]lu\r\n"));

    const QString b = Touch("b.rmp", synth::Rmp(stream, list));
    const QString taken = Touch("b.mp3", "someone else's song");
    auto second = Open(b);
    Click(second.get(), "ComMP3");
    EXPECT_EQ(prompter.messages(), QStringList{U(songfiles::embedmsg::kRenameExists)});
    EXPECT_EQ(ReadBytes(taken), QByteArray("someone else's song"));
    EXPECT_EQ(second->outcome().path, b);
    ASSERT_TRUE(songfiles::ReadEmbeddedLyrics3(b, record));
    EXPECT_EQ(record[songfiles::LYR], QStringLiteral("[00:01:00]la\r\n[00:02:00]lu\r\n"));
}

// A song with a second name is rewritten only after the user agreed (the other name keeps
// the old bytes); a song changed after it was read is not written, and the user is told.
TEST_F(SongInfoTest, HardLinksNeedConsentAndAChangedSongIsNotOverwritten)
{
    const QByteArray song = synth::PlainMp3(10) + kOldTag;
    const QString path = Touch("a.mp3", song);
    const QString other = dir.filePath(QStringLiteral("other.mp3"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);

    auto form = Open(path);
    Find<QLineEdit>(form.get(), "TxtTitle")->setText(QStringLiteral("Mine"));
    prompter.answer(Answer::Cancel);
    Click(form.get(), "ComWrite");
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ReadBytes(path), song);
    EXPECT_FALSE(form->outcome().changed);

    prompter.answer(Answer::Ok);
    Click(form.get(), "ComWrite");
    EXPECT_EQ(ReadBytes(path).right(128), Tag("Mine", "Artist", "Album", "1999", "Comment", 17));
    EXPECT_EQ(ReadBytes(other), song);

    prompter.clear();
    auto stale = Open(other);
    Touch("other.mp3", song + "more");
    Click(stale.get(), "ComWrite");
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].startsWith(U("書き込めませんでした。"))) << prompter.messages()[0].toStdString();
    EXPECT_EQ(ReadBytes(other), song + "more");
    EXPECT_FALSE(stale->outcome().changed);
}

// In the window: the editor opened by Enter on a song row renames the row after the conversion to
// MP3; the about box names the engine and its decoder's version.
TEST_F(SongInfoWindowTest, TheSongRowFollowsTheEditorAndTheAboutBoxNamesTheEngine)
{
    MarkNotFirstRun();
    Touch("songs/a.rmp", synth::Rmp(synth::PlainMp3(10), synth::InfoList({{"INAM", Z("Song")}})));
    store.setText("Init", "Folder1", folder + QStringLiteral("/songs"));
    FormMain& w = Open();
    w.ShowFolder(1, folder + QStringLiteral("/songs"));
    ListFiles(1);
    w.SetActivePane(1);
    w.SelectRow(1, 0);

    // Enter on the song row opens the editor (a double click does the same).
    WhenShown([](QWidget* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("ComMP3"))->click(); });
    QTest::keyClick(Find<QTableView>("ListFile1"), Qt::Key_Return);
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(RowNames(1), QStringList{QStringLiteral("a.mp3")});
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/songs/a.mp3")));

    FormAbout about(engine.get(), &w);
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblEngine"))->text(),
              U("MP3エンジン 1.00 (libmpg123 %1)").arg(playback::DecoderLibraryVersion()));
    EXPECT_TRUE(playback::DecoderLibraryVersion().contains(QLatin1Char('.')));
}
