// The engine's file-side calls, with the Lyrics3 target as engine state.
#include "playback/vbmp3_files.h"
#include "songfiles/songtags.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace songfiles;
using playback::SongTexts;
using playback::Vbmp3Files;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

const QByteArray kTag = synth::Id3v1("Short", "Artist", "Album", "2001", "Note", 31);

class EngineFiles : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes, const char* name = "song.mp3")
    {
        const QString path = dir_.filePath(QLatin1String(name));
        WriteBytes(path, bytes);
        return path;
    }
    QTemporaryDir dir_;
    Vbmp3Files engine_;
};

} // namespace

TEST_F(EngineFiles, FileTypeReportsKindsAndMinusOne)
{
    EXPECT_EQ(engine_.vbmp3_getFileType(Write(synth::PlainMp3() + kTag)), MarkI);
    EXPECT_EQ(engine_.vbmp3_getFileType(Write("plain text, not a song", "a.txt")), -1);
    EXPECT_FALSE(engine_.lastError().isEmpty());
    EXPECT_EQ(engine_.vbmp3_getFileType(dir_.filePath(QStringLiteral("missing.mp3"))), -1);
    EXPECT_EQ(engine_.vbmp3_getFileType(dir_.path()), -1);
}

TEST_F(EngineFiles, FileInfoGivesTagAndStream)
{
    Id3v1Record tag;
    MpegInfo mpeg;
    ASSERT_TRUE(engine_.vbmp3_getFileInfo(Write(synth::PlainMp3(1000) + kTag), tag, mpeg));
    EXPECT_EQ(FieldText(tag.title), QStringLiteral("Short"));
    EXPECT_EQ(tag.genre, 31);
    EXPECT_EQ(tag.genreName, QStringLiteral("Trance"));
    EXPECT_EQ(mpeg.version, 1);
    EXPECT_EQ(mpeg.layer, 3);
    EXPECT_EQ(mpeg.bitRate, 128);
    EXPECT_EQ(mpeg.sampleRate, 44100);
    EXPECT_EQ(mpeg.playSeconds, 26);
    ASSERT_TRUE(engine_.vbmp3_getFileInfo(Write(synth::PlainMp3()), tag, mpeg));
    EXPECT_EQ(tag.genre, 250);
    EXPECT_TRUE(tag.genreName.isEmpty());
    EXPECT_FALSE(engine_.vbmp3_getFileInfo(Write("nothing"), tag, mpeg));
}

TEST_F(EngineFiles, FileInfo2AddsLyrics3TextsOfAnMp3)
{
    const QByteArray block = synth::Lyrics3({{"LYR", "x"}, {"ETT", Sjis("とても長い曲名がここに入ります、三十バイトを超えて")},
                                             {"EAR", "Long Artist"}, {"EAL", "Long Album"}, {"INF", "Long comment"}});
    Id3v1Record tag;
    MpegInfo mpeg;
    SongTexts texts;
    ASSERT_TRUE(engine_.vbmp3_getFileInfo2(Write(synth::PlainMp3() + block + kTag), tag, mpeg, texts));
    EXPECT_EQ(texts.title, QStringLiteral("とても長い曲名がここに入ります、三十バイトを超えて"));
    EXPECT_EQ(texts.artist, QStringLiteral("Long Artist"));
    EXPECT_EQ(texts.album, QStringLiteral("Long Album"));
    EXPECT_EQ(texts.comment, QStringLiteral("Long comment"));
    EXPECT_FALSE(texts.info);
}

TEST_F(EngineFiles, FileInfo2AddsInfoValuesOfAnRmp)
{
    const QByteArray rmp = synth::Rmp(synth::PlainMp3(), synth::InfoList({{"INAM", Sjis("題名") + '\0'}, {"ICOP", "(c)\0"}, {"IID3", kTag}}));
    Id3v1Record tag;
    MpegInfo mpeg;
    SongTexts texts;
    ASSERT_TRUE(engine_.vbmp3_getFileInfo2(Write(rmp, "a.rmp"), tag, mpeg, texts));
    EXPECT_EQ(texts.title, QStringLiteral("題名"));
    ASSERT_TRUE(texts.info);
    EXPECT_EQ(texts.info->text(ICOP), QStringLiteral("(c)"));
    EXPECT_EQ(FieldText(tag.title), QStringLiteral("Short"));
}

TEST_F(EngineFiles, GenreNameComesFromTheNumber)
{
    Id3v1Record tag;
    tag.genre = 254;
    engine_.vbmp3_getGenre(tag);
    EXPECT_EQ(tag.genreName, QStringLiteral("Tokusatsu"));
    tag.genre = 200;
    engine_.vbmp3_getGenre(tag);
    EXPECT_TRUE(tag.genreName.isEmpty());
}

TEST_F(EngineFiles, LyricsSetGetDeleteRoundTrip)
{
    const QByteArray original = synth::PlainMp3() + kTag;
    const QString path = Write(original);
    Lyrics3Record r;
    r[LYR] = QStringLiteral("[00:00:50]歌\r\n");
    r[ETT] = QStringLiteral("曲");
    ASSERT_TRUE(engine_.vbmp3_setFileLyrics3InfoVB(path, r));
    EXPECT_EQ(engine_.vbmp3_getFileType(path), MarkI | Lyrics3);
    Lyrics3Record back;
    ASSERT_TRUE(engine_.vbmp3_getFileLyrics3InfoVB(path, back));
    EXPECT_EQ(back[LYR], r[LYR]);
    EXPECT_EQ(back[ETT], r[ETT]);
    ASSERT_TRUE(engine_.vbmp3_delFileLyrics3Info(path));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(engine_.vbmp3_getFileLyrics3InfoVB(path, back));
    EXPECT_FALSE(engine_.vbmp3_delFileLyrics3Info(path));
    EXPECT_TRUE(engine_.lastError().contains(QStringLiteral("no embedded lyrics")));
}

TEST_F(EngineFiles, InsFieldIsEngineStateUsedByEmbeddingAndConversion)
{
    EXPECT_EQ(engine_.lyrics3InsField(), Lyrics3Target::Ilyc);
    EXPECT_FALSE(engine_.vbmp3_setLyrics3InsField(2));
    EXPECT_EQ(engine_.lyrics3InsField(), Lyrics3Target::Ilyc);
    ASSERT_TRUE(engine_.vbmp3_setLyrics3InsField(1));
    EXPECT_EQ(engine_.lyrics3InsField(), Lyrics3Target::Iid3);

    const QString path = Write(synth::PlainMp3() + synth::Lyrics3({{"LYR", "la"}}) + kTag);
    ASSERT_TRUE(engine_.vbmp3_changeRmp(path));
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_TRUE(HoldsLyrics3AndTag(tags.info.bytes[IID3]));
    EXPECT_FALSE(HoldsLyrics3Block(tags.info.bytes[ILYC]));

    Lyrics3Record r;
    r[LYR] = QStringLiteral("new");
    ASSERT_TRUE(engine_.vbmp3_setLyrics3InsField(0));
    ASSERT_TRUE(engine_.vbmp3_setFileLyrics3InfoVB(path, r));
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_TRUE(HoldsLyrics3AndTag(tags.info.bytes[ILYC]));
    EXPECT_EQ(tags.lyrics, QStringLiteral("new"));
    ASSERT_TRUE(engine_.vbmp3_changeMp3(path));
    EXPECT_EQ(engine_.vbmp3_getFileType(path), MarkI | Lyrics3);
}

TEST_F(EngineFiles, MacBinaryRemovalAndItsFailure)
{
    const QByteArray data = synth::PlainMp3();
    const QString path = Write(synth::MacBinaryHeader(data.size()) + data);
    EXPECT_EQ(engine_.vbmp3_getFileType(path), MacBinary);
    ASSERT_TRUE(engine_.vbmp3_cutMacBinary(path));
    EXPECT_EQ(ReadBytes(path), data);
    EXPECT_FALSE(engine_.vbmp3_cutMacBinary(path));
    EXPECT_FALSE(engine_.lastError().isEmpty());
}
