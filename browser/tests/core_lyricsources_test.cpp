#include "browser/core/filepane.h"
#include "browser/core/lyricsources.h"

#include "testing/browser/fakedetails.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;

namespace {

struct SourcesTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = QDir::cleanPath(dir.path()) + QLatin1Char('/');
        lyrics.mode = PaneMode::Lyrics;
        for (const char* name : {"song.txt", "other.lrc"}) {
            QFile f(root + QLatin1String(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("[00:01:00]x\r\n");
            FileRow r;
            r.name = QLatin1String(name);
            r.setCell(Col::Path, root);
            lyrics.appendRow(std::move(r));
        }
        QFile song(root + "song.mp3");
        ASSERT_TRUE(song.open(QIODevice::WriteOnly));
        song.write("x");
    }
    QTemporaryDir dir;
    QString root;
    FilePane lyrics{0};
    fakes::FakeDetails details;
};

} // namespace

TEST_F(SourcesTest, TheFirstAvailableSourceIsChosenAndTheUsersChoiceStays)
{
    LyricSourceChoice choice;
    choice.reset();
    choice.rebuild(root + "song.mp3", &lyrics, details, true);
    // No dropped file, no embedded lyrics, nothing selected: the same-named file.
    EXPECT_FALSE(choice.isAvailable(LyricSource::Dropped));
    EXPECT_FALSE(choice.isAvailable(LyricSource::Embedded));
    EXPECT_FALSE(choice.isAvailable(LyricSource::OppositeSelected));
    EXPECT_TRUE(choice.isAvailable(LyricSource::None));
    EXPECT_EQ(choice.chosen(), LyricSource::OppositeSameName);
    EXPECT_EQ(choice.chosenFile(), root + "song.txt");
    EXPECT_EQ(choice.statusText(root + "song.mp3"), "[ " + root + "song.mp3] / [ song.txt ]");

    // The other pane's selection comes before the same name, once the choice is redone.
    lyrics.setSelectedRow(1);
    choice.reset();
    choice.rebuild(root + "song.mp3", &lyrics, details, true);
    EXPECT_EQ(choice.chosen(), LyricSource::OppositeSelected);
    EXPECT_EQ(choice.path(LyricSource::OppositeSelected), root + "other.lrc");

    // "なし" chosen by the user stays through a rebuild.
    choice.choose(LyricSource::None);
    choice.rebuild(root + "song.mp3", &lyrics, details, true);
    EXPECT_EQ(choice.chosenIndex(), 4);
    EXPECT_TRUE(choice.chosenFile().isEmpty());
    EXPECT_EQ(choice.statusText(root + "song.mp3"), "[ " + root + QString::fromUtf8("song.mp3] / [ 歌詞なし ]"));
}

TEST_F(SourcesTest, EmbeddedLyricsAndTheTimeBaseFollowTheSong)
{
    details.songs.insert("song.mp3", fakes::FakeDetails::PlainSong(songkind::kLyrics3));
    LyricsDetails standard;
    standard.timeType = 2;
    details.lyrics.insert("song.txt", standard);

    LyricSourceChoice choice;
    choice.rebuild(root + "song.mp3", nullptr, details, true);
    EXPECT_EQ(choice.chosen(), LyricSource::Embedded);
    EXPECT_EQ(choice.timeBase(), TimeBase::WinAmp); // the user's setting: embedded tags say nothing

    choice.choose(LyricSource::OppositeSameName);
    choice.rebuild(root + "song.mp3", &lyrics, details, true);
    EXPECT_EQ(choice.timeBase(), TimeBase::Standard); // what the file says wins

    choice.clearChoice();
    EXPECT_FALSE(choice.chosen().has_value());
    EXPECT_FALSE(choice.timeBase().has_value());
}
