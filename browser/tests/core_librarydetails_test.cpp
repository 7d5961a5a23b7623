#include "browser/core/librarydetails.h"

#include "testing/testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;

namespace {
QString Demo(const char* name)
{
    return testsupport::SourceDir() + QStringLiteral("/demo/") + QString::fromUtf8(name);
}
} // namespace

TEST(LibraryDetails, LyricsFilesGiveTagKindTimeBaseTaggerTitleAndArtist)
{
    const LibraryDetailsProvider provider;
    const std::optional<LyricsDetails> kaze = provider.readLyrics(Demo("kaze.lrc"), true);
    ASSERT_TRUE(kaze);
    EXPECT_EQ(kaze->tagKind, 1);
    EXPECT_EQ(kaze->timeType, 2); // "@TimeRatio=1": standard time
    EXPECT_EQ(kaze->taggingBy.value_or(QString()), QString::fromUtf8("デモ作者"));
    EXPECT_EQ(kaze->title, QString::fromUtf8("風のみち"));
    EXPECT_EQ(kaze->artist, QString::fromUtf8("デモ楽団"));

    const std::optional<LyricsDetails> rain = provider.readLyrics(Demo("雨あがり.txt"), false);
    ASSERT_TRUE(rain);
    EXPECT_EQ(rain->tagKind, 2);
    EXPECT_EQ(rain->timeType, 1);

    const std::optional<LyricsDetails> draft = provider.readLyrics(Demo("下書き.txt"), true);
    ASSERT_TRUE(draft);
    EXPECT_EQ(draft->tagKind, 0);
    EXPECT_EQ(draft->timeType, 0);
    EXPECT_FALSE(draft->taggingBy.has_value());
    EXPECT_TRUE(draft->title.isEmpty());
}

TEST(LibraryDetails, LineBreaksAreNormalisedBeforeReading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lf.txt");
    testsupport::WriteBytes(path, "[00:01]a[00:02]b\n@TaggingBy=someone\n@title=T\n");
    const std::optional<LyricsDetails> d = LibraryDetailsProvider().readLyrics(path, true);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->tagKind, 2);
    EXPECT_EQ(d->taggingBy.value_or(QString()), "someone");
    EXPECT_EQ(d->title, "T");
}

TEST(LibraryDetails, AMissingLyricsFileCannotBeRead)
{
    EXPECT_FALSE(LibraryDetailsProvider().readLyrics(Demo("missing.txt"), true).has_value());
}

TEST(LibraryDetails, SongsGiveKindTagsAndStream)
{
    const LibraryDetailsProvider provider;
    const SongDetails kaze = provider.readSong(Demo("kaze.mp3"));
    EXPECT_TRUE(kaze.exists);
    EXPECT_EQ(kaze.kind, songkind::kMarkI);
    // The tag's fields come fixed-width; the cell takes them up to the first NUL.
    EXPECT_TRUE(kaze.id3v1.title.startsWith(QString::fromUtf8("風のみち")));
    EXPECT_EQ(PickTagText(kaze.longTags.title, kaze.id3v1.title), QString::fromUtf8("風のみち"));
    ASSERT_TRUE(kaze.stream);
    EXPECT_EQ(kaze.stream->version, 1);
    EXPECT_EQ(kaze.stream->layer, 3);
    EXPECT_EQ(kaze.stream->bitRate, 64);
    EXPECT_EQ(kaze.stream->sampleRate, 48000);
    EXPECT_EQ(kaze.stream->playSeconds, 4);
    EXPECT_EQ(provider.songKind(Demo("kaze.mp3")), songkind::kMarkI);
}

TEST(LibraryDetails, AFileThatIsNoSongHasKindMinusOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("text.mp3");
    testsupport::WriteBytes(path, "just some text, not an MPEG stream");
    const SongDetails d = LibraryDetailsProvider().readSong(path);
    EXPECT_TRUE(d.exists);
    EXPECT_EQ(d.kind, songkind::kNotSong);
    EXPECT_FALSE(d.stream.has_value());
    const SongDetails gone = LibraryDetailsProvider().readSong(dir.filePath("gone.mp3"));
    EXPECT_FALSE(gone.exists);
    EXPECT_EQ(LibraryDetailsProvider().songKind(dir.filePath("gone.mp3")), songkind::kNotSong);
}

TEST(LibraryDetails, TaggingByIsTheTextUpToTheLineEnd)
{
    EXPECT_EQ(TaggingByValue("x\r\n@TaggingBy=Name (ed)\r\n@Title=t").value_or("?"), "Name (ed)");
    EXPECT_EQ(TaggingByValue("@TaggingBy=last").value_or("?"), "last");
    EXPECT_EQ(TaggingByValue("@TaggingBy=\r\n").value_or("?"), "");
    EXPECT_FALSE(TaggingByValue("@taggingby=lower").has_value()); // the key as written
    EXPECT_FALSE(TaggingByValue("none").has_value());
}
