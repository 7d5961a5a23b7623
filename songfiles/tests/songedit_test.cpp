// Rewrites of song files: tags, embedded lyrics, MP3 ⇄ RMP, MacBinary removal; round
// trips to the byte, and the original left untouched by a failure at any step.
#include "common/atomicfile.h"
#include "songfiles/songedit.h"
#include "songfiles/songfile.h"
#include "songfiles/songtags.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

using namespace songfiles;
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {

const QByteArray kTag = synth::Id3v1("Title", "Artist", "Album", "1999", "Comment", 17);

QByteArray EvenValue(QByteArray v)
{
    if (v.size() % 2)
        v.prepend('\0');
    return v;
}

Lyrics3Record LyricsRecord(const QString& text)
{
    Lyrics3Record r;
    r[LYR] = text;
    return r;
}

QByteArray StandardRmp(const QByteArray& stream, const QByteArray& extraChunk = {})
{
    QByteArray file = synth::Rmp(stream, synth::InfoList({{"INAM", Sjis("題名") + QByteArray(1, '\0')}, {"IID3", kTag}}));
    if (!extraChunk.isEmpty()) {
        // Put the extra chunk between the data and the LIST chunk.
        const qsizetype list = file.indexOf("LIST");
        file.insert(list, extraChunk);
        qToLittleEndian<quint32>(static_cast<quint32>(file.size() - 8), file.data() + 4);
    }
    return file;
}

class SongEditTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override
    {
        common::AtomicFile::SetFaultInjector(nullptr);
        SongReader::SetFaultInjector(nullptr);
    }
    QString Write(const QByteArray& bytes, const QString& name = QStringLiteral("song.mp3"))
    {
        const QString path = dir_.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }
    QStringList Entries() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    SongLayout LayoutOf(const QString& path)
    {
        SongFile f;
        EXPECT_TRUE(f.open(path));
        return f.layout();
    }
    QTemporaryDir dir_;
};

} // namespace

// --- reading tags -------------------------------------------------------------------

TEST_F(SongEditTest, ReadsTagAndLyricsOfAnMp3)
{
    const QString path = Write(synth::PlainMp3() + synth::Lyrics3({{"LYR", Sjis("歌詞")}, {"ETT", "Long title"}}) + kTag);
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(tags.kind, MarkI | Lyrics3);
    EXPECT_TRUE(tags.hasId3v1);
    EXPECT_EQ(FieldText(tags.id3v1.title), QStringLiteral("Title"));
    EXPECT_EQ(tags.lyrics, QStringLiteral("歌詞"));
    ASSERT_TRUE(tags.lyrics3);
    EXPECT_EQ((*tags.lyrics3)[ETT], QStringLiteral("Long title"));
}

TEST_F(SongEditTest, Mp3WithoutTagReadsGenre250)
{
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(Write(synth::PlainMp3()), tags));
    EXPECT_FALSE(tags.hasId3v1);
    EXPECT_EQ(tags.id3v1.genre, 250);
    EXPECT_TRUE(tags.id3v1.genreName.isEmpty());
    EXPECT_TRUE(tags.lyrics.isEmpty());
}

TEST_F(SongEditTest, ReadsInfoValuesOfAnRmp)
{
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(Write(StandardRmp(synth::PlainMp3()), QStringLiteral("a.rmp")), tags));
    EXPECT_EQ(tags.kind, Rmp | MarkI);
    EXPECT_EQ(tags.info.text(INAM), QStringLiteral("題名"));
    EXPECT_EQ(tags.info.bytes[IID3], kTag);
    EXPECT_EQ(tags.id3v1.genre, 17);
}

TEST_F(SongEditTest, ReadRefusesId3v2MacBinaryMissingListAndDamagedLyrics)
{
    SongTags tags;
    EXPECT_FALSE(ReadSongTags(Write(synth::Id3v2(10) + synth::PlainMp3()), tags));
    const QByteArray data = synth::PlainMp3();
    EXPECT_FALSE(ReadSongTags(Write(synth::MacBinaryHeader(data.size()) + data), tags));
    EXPECT_FALSE(ReadSongTags(Write(synth::Rmp(synth::PlainMp3(), {})), tags));
    QByteArray block = synth::Lyrics3({{"LYR", "abc"}});
    block.replace(11 + 3, 5, "00099");
    EXPECT_FALSE(ReadSongTags(Write(synth::PlainMp3() + block + kTag), tags));
    EXPECT_TRUE(tags.hasId3v1) << "what was read is kept";
    EXPECT_FALSE(ReadSongTags(dir_.filePath(QStringLiteral("missing.mp3")), tags));
}

// --- rewriting tags -----------------------------------------------------------------

TEST_F(SongEditTest, RewritingAnMp3WithATagLeavesExactlyOneTag)
{
    const QByteArray audio = synth::PlainMp3();
    const QString path = Write(audio + kTag);
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    tags.id3v1.title = QStringLiteral("新しい題名");
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, tags.lyrics));
    const QByteArray after = ReadBytes(path);
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_EQ(after.left(audio.size()), audio);
    EXPECT_EQ(after.mid(audio.size() + 3, 30), Sjis("新しい題名") + QByteArray(20, ' '));
    EXPECT_EQ(after.mid(audio.size() + 33), kTag.mid(33)) << "the other fields keep their bytes";
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(SongEditTest, RewriteReadRewriteGivesIdenticalBytes)
{
    const QString path = Write(synth::PlainMp3() + synth::Lyrics3({{"LYR", Sjis("[00:01:00]歌")}}) + kTag);
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    tags.id3v1.artist = QStringLiteral("歌手");
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, tags.lyrics));
    const QByteArray once = ReadBytes(path);
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(FieldText(tags.id3v1.artist), QStringLiteral("歌手"));
    EXPECT_EQ(tags.lyrics, QStringLiteral("[00:01:00]歌"));
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, tags.lyrics));
    EXPECT_EQ(ReadBytes(path), once);
}

TEST_F(SongEditTest, RewritingWithLyricsBuildsTheBlockFromTheRecord)
{
    const QByteArray audio = synth::PlainMp3();
    const QString path = Write(audio);
    Id3v1Record r;
    r.title = QStringLiteral("T");
    r.artist = QStringLiteral("A  ");
    ASSERT_TRUE(RewriteSongTags(path, r, {}, false, QStringLiteral("words")));
    const QByteArray after = ReadBytes(path);
    EXPECT_EQ(LayoutOf(path).kind, MarkI | Lyrics3);
    const auto block = ParseLyrics3(after.mid(audio.size(), after.size() - audio.size() - 128));
    ASSERT_TRUE(block);
    EXPECT_EQ((*block)[LYR], QStringLiteral("words"));
    EXPECT_EQ((*block)[ETT], QStringLiteral("T"));
    EXPECT_EQ((*block)[EAR], QStringLiteral("A"));
    EXPECT_EQ(after.at(audio.size()), 'L') << "no pad byte in an MP3";
}

TEST_F(SongEditTest, RewritingWithEmptyLyricsRemovesTheBlock)
{
    const QByteArray audio = synth::PlainMp3();
    const QString path = Write(audio + synth::Lyrics3({{"LYR", "old"}}) + kTag);
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, QString()));
    EXPECT_EQ(ReadBytes(path), audio + kTag);
    EXPECT_EQ(LayoutOf(path).kind, MarkI);
}

TEST_F(SongEditTest, RewriteRefusesADamagedLyricsBlockInsteadOfDroppingIt)
{
    QByteArray block = synth::Lyrics3({{"LYR", "precious"}});
    block.replace(11 + 3, 5, "00002");
    block.replace(11 + 8 + 2, 6, "XYZ000"); // the next "field" runs past the end
    const QByteArray original = synth::PlainMp3() + block + kTag;
    const QString path = Write(original);
    ASSERT_TRUE(LayoutOf(path).lyrics3.found());
    QString error;
    EXPECT_FALSE(RewriteSongTags(path, Id3v1Record(), {}, false, QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("damaged"))) << error.toStdString();
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(SongEditTest, RewriteRefusesUnrepresentableTextAndLeavesTheFile)
{
    const QByteArray original = synth::PlainMp3() + kTag;
    const QString path = Write(original);
    Id3v1Record r;
    r.title = QStringLiteral("🎵");
    QString error;
    EXPECT_FALSE(RewriteSongTags(path, r, {}, false, QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("U+1F3B5"))) << error.toStdString();
    r.title.clear();
    EXPECT_FALSE(RewriteSongTags(path, r, {}, false, QStringLiteral("歌 🎵"), &error));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(Entries().size(), 1);
}

TEST_F(SongEditTest, RewriteRefusesWaveId3v2MacBinaryAndReadOnlyFiles)
{
    QByteArray wave = StandardRmp(synth::PlainMp3());
    wave.replace(8, 4, "WAVE");
    EXPECT_FALSE(RewriteSongTags(Write(wave, QStringLiteral("w.wav")), {}, {}, false, {}));
    EXPECT_FALSE(RewriteSongTags(Write(synth::Id3v2(10) + synth::PlainMp3(), QStringLiteral("i.mp3")), {}, {}, false, {}));
    const QByteArray data = synth::PlainMp3();
    EXPECT_FALSE(RewriteSongTags(Write(synth::MacBinaryHeader(data.size()) + data, QStringLiteral("m.mp3")), {}, {}, false, {}));
    const QByteArray original = synth::PlainMp3() + kTag;
    const QString path = Write(original, QStringLiteral("ro.mp3"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_FALSE(RewriteSongTags(path, {}, {}, false, {}));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(QFile::permissions(path) & QFileDevice::WriteOwner);
}

TEST_F(SongEditTest, RmpRewriteWritesEveryTextIdAndTheTagLast)
{
    const QByteArray stream = synth::PlainMp3();
    const QString path = Write(StandardRmp(stream), QStringLiteral("a.rmp"));
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    tags.info.setText(IART, QStringLiteral("歌手"));
    tags.info.setText(IGNR, QStringLiteral("anime"));
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, QString()));
    const QByteArray after = ReadBytes(path);
    EXPECT_EQ(after.left(4), "RIFF");
    EXPECT_EQ(qFromLittleEndian<quint32>(after.constData() + 4), quint32(after.size() - 8));
    EXPECT_EQ(after.mid(8, 4), "RMP3");
    EXPECT_EQ(after.mid(20, stream.size()), stream);
    for (int i = 0; i < ILYC; ++i)
        EXPECT_TRUE(after.contains(InfoId(i).toByteArray())) << i;
    const Id3v1Record tag = ParseId3v1(after.right(128));
    EXPECT_EQ(FieldText(tag.title), QStringLiteral("題名"));
    EXPECT_EQ(FieldText(tag.artist), QStringLiteral("歌手"));
    EXPECT_EQ(tag.genre, 145);
    EXPECT_EQ(LayoutOf(path).kind, Rmp | MarkI);
    // Again: the same bytes.
    ASSERT_TRUE(ReadSongTags(path, tags));
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, QString()));
    EXPECT_EQ(ReadBytes(path), after);
}

TEST_F(SongEditTest, RmpRewriteWithLyricsPutsBlockAndTagIntoIlyc)
{
    const QString path = Write(StandardRmp(synth::PlainMp3()), QStringLiteral("a.rmp"));
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, QStringLiteral("[00:01:00]la")));
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(tags.kind, Rmp | MarkI | Lyrics3);
    EXPECT_EQ(tags.lyrics, QStringLiteral("[00:01:00]la"));
    EXPECT_TRUE(HoldsLyrics3AndTag(tags.info.bytes[ILYC]));
    EXPECT_TRUE(tags.info.bytes[IID3].isEmpty()) << "IID3 is left out";
    EXPECT_EQ((*tags.lyrics3)[ETT], QStringLiteral("題名"));
    // Saving without lyrics takes the block out again and the tag goes back to IID3.
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, QString()));
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(tags.kind, Rmp | MarkI);
    EXPECT_TRUE(tags.info.bytes[ILYC].isEmpty());
    EXPECT_TRUE(IsId3v1(tags.info.bytes[IID3]));
}

TEST_F(SongEditTest, RmpRewriteKeepsOtherChunksAndOddData)
{
    QByteArray stream = synth::PlainMp3();
    stream.append('\x55');
    const QByteArray extra = "junk" + QByteArray("\x03\0\0\0xyz\0", 8);
    const QString path = Write(StandardRmp(stream, extra), QStringLiteral("a.rmp"));
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    ASSERT_TRUE(RewriteSongTags(path, tags.id3v1, tags.info, false, QString()));
    const QByteArray after = ReadBytes(path);
    EXPECT_EQ(after.mid(20, stream.size() + 1), stream + '\0');
    EXPECT_TRUE(after.contains(extra));
    const SongLayout L = LayoutOf(path);
    EXPECT_EQ(L.kind, Rmp | MarkI);
    ASSERT_TRUE(L.listChunk);
    EXPECT_GT(L.listChunk->header, after.indexOf(extra));
}

TEST_F(SongEditTest, RmpWithoutListCannotBeRewritten)
{
    const QByteArray original = synth::Rmp(synth::PlainMp3(), {});
    const QString path = Write(original, QStringLiteral("a.rmp"));
    EXPECT_FALSE(RewriteSongTags(path, {}, {}, false, {}));
    EXPECT_EQ(ReadBytes(path), original);
}

// --- embedded lyrics ----------------------------------------------------------------

TEST_F(SongEditTest, EmbeddingThenDeletingRestoresAnMp3WithATagExactly)
{
    const QByteArray original = synth::PlainMp3() + kTag;
    const QString path = Write(original);
    ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("[00:01:00]一\r\n[00:02:00]二")), Lyrics3Target::Ilyc));
    EXPECT_EQ(LayoutOf(path).kind, MarkI | Lyrics3);
    EXPECT_TRUE(ReadBytes(path).endsWith(kTag));
    Lyrics3Record back;
    ASSERT_TRUE(ReadEmbeddedLyrics3(path, back));
    EXPECT_EQ(back[LYR], QStringLiteral("[00:01:00]一\r\n[00:02:00]二"));
    ASSERT_TRUE(DeleteLyrics3(path));
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(SongEditTest, EmbeddingAddsABlankTagWhenThereIsNone)
{
    const QByteArray audio = synth::PlainMp3();
    const QString path = Write(audio);
    ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("la")), Lyrics3Target::Ilyc));
    const QByteArray after = ReadBytes(path);
    EXPECT_EQ(after.left(audio.size()), audio);
    const Id3v1Record tag = ParseId3v1(after.right(128));
    EXPECT_EQ(tag.genre, 250);
    EXPECT_TRUE(FieldText(tag.title).isEmpty());
    ASSERT_TRUE(DeleteLyrics3(path));
    EXPECT_EQ(ReadBytes(path), audio + after.right(128));
}

TEST_F(SongEditTest, EmbeddingAgainReplacesTheBlock)
{
    const QByteArray audio = synth::PlainMp3();
    const QString path = Write(audio + kTag);
    ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("first version, rather long")), Lyrics3Target::Ilyc));
    ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("second")), Lyrics3Target::Ilyc));
    const QByteArray after = ReadBytes(path);
    EXPECT_EQ(after.count("LYRICSBEGIN"), 1);
    Lyrics3Record back;
    ASSERT_TRUE(ReadEmbeddedLyrics3(path, back));
    EXPECT_EQ(back[LYR], QStringLiteral("second"));
    EXPECT_EQ(after.left(audio.size()), audio);
}

TEST_F(SongEditTest, EmbeddingIntoAnRmpUsesIlycOrIid3)
{
    const QByteArray original = StandardRmp(synth::PlainMp3());
    for (Lyrics3Target target : {Lyrics3Target::Ilyc, Lyrics3Target::Iid3}) {
        const QString path = Write(original, QStringLiteral("a.rmp"));
        ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("歌詞")), target));
        SongTags tags;
        ASSERT_TRUE(ReadSongTags(path, tags));
        EXPECT_EQ(tags.kind, Rmp | MarkI | Lyrics3);
        EXPECT_EQ(tags.lyrics, QStringLiteral("歌詞"));
        const int holder = target == Lyrics3Target::Ilyc ? ILYC : IID3;
        EXPECT_TRUE(HoldsLyrics3AndTag(tags.info.bytes[holder])) << holder;
        EXPECT_TRUE(tags.info.bytes[holder].endsWith(kTag));
        EXPECT_EQ(tags.info.text(INAM), QStringLiteral("題名"));
        ASSERT_TRUE(DeleteLyrics3(path));
        ASSERT_TRUE(ReadSongTags(path, tags));
        EXPECT_EQ(tags.kind, Rmp | MarkI);
        EXPECT_EQ(tags.info.bytes[IID3], kTag);
        EXPECT_FALSE(HoldsLyrics3Block(tags.info.bytes[ILYC]));
    }
}

TEST_F(SongEditTest, EmbeddingIntoAnRmpWithoutInfoListGivesItOne)
{
    const QByteArray stream = synth::PlainMp3();
    const QString path = Write(synth::Rmp(stream, {}), QStringLiteral("a.rmp"));
    ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("la")), Lyrics3Target::Ilyc));
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(tags.kind, Rmp | MarkI | Lyrics3);
    EXPECT_EQ(tags.lyrics, QStringLiteral("la"));
    EXPECT_EQ(ReadBytes(path).mid(20, stream.size()), stream);
}

TEST_F(SongEditTest, EmbeddingRefusesWhatItCannotReplace)
{
    const Lyrics3Record r = LyricsRecord(QStringLiteral("x"));
    const QByteArray v1 = synth::PlainMp3() + "LYRICSBEGINold lyricsLYRICSEND" + kTag;
    const QString embedded = Write(v1, QStringLiteral("v1.mp3"));
    EXPECT_FALSE(EmbedLyrics3(embedded, r, Lyrics3Target::Ilyc));
    EXPECT_EQ(ReadBytes(embedded), v1);
    EXPECT_FALSE(EmbedLyrics3(Write(QByteArray(500, 'x'), QStringLiteral("x.mp3")), r, Lyrics3Target::Ilyc));
    EXPECT_FALSE(EmbedLyrics3(Write(synth::Id3v2(4) + synth::PlainMp3(), QStringLiteral("2.mp3")), r, Lyrics3Target::Ilyc));
    EXPECT_FALSE(DeleteLyrics3(Write(synth::PlainMp3() + kTag, QStringLiteral("none.mp3"))));
    QString error;
    EXPECT_FALSE(EmbedLyrics3(Write(synth::PlainMp3(), QStringLiteral("e.mp3")), LyricsRecord(QStringLiteral("😀")),
                              Lyrics3Target::Ilyc, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("U+1F600")));
}

// --- conversions --------------------------------------------------------------------

TEST_F(SongEditTest, Mp3BecomesAnRmpWithTheStreamAtOffsetTwenty)
{
    const QByteArray audio = synth::PlainMp3();
    const QByteArray block = synth::Lyrics3({{"LYR", Sjis("歌")}, {"ETT", "A title longer than thirty bytes, kept"}});
    const QString path = Write(audio + block + kTag);
    ASSERT_TRUE(ConvertToRmp(path, Lyrics3Target::Ilyc));
    const QByteArray rmp = ReadBytes(path);
    EXPECT_EQ(rmp.left(4), "RIFF");
    EXPECT_EQ(qFromLittleEndian<quint32>(rmp.constData() + 4), quint32(rmp.size() - 8));
    EXPECT_EQ(rmp.mid(8, 8), "RMP3data");
    EXPECT_EQ(qFromLittleEndian<quint32>(rmp.constData() + 16), quint32(audio.size()));
    EXPECT_EQ(rmp.mid(20, audio.size()), audio);
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(tags.kind, Rmp | MarkI | Lyrics3);
    EXPECT_EQ(tags.info.text(INAM), QStringLiteral("A title longer than thirty bytes, kept"));
    EXPECT_EQ(tags.info.text(IART), QStringLiteral("Artist"));
    EXPECT_EQ(tags.info.text(ICRD), QStringLiteral("1999"));
    EXPECT_EQ(tags.info.text(IGNR), QStringLiteral("Rock"));
    EXPECT_EQ(tags.info.bytes[ILYC], EvenValue(block + kTag));
    EXPECT_EQ(tags.lyrics, QStringLiteral("歌"));
}

TEST_F(SongEditTest, Mp3ToRmpToMp3GivesTheOriginalBytes)
{
    const QByteArray withAll = synth::PlainMp3() + synth::Lyrics3({{"LYR", "la la"}}) + kTag;
    const QByteArray tagOnly = synth::PlainMp3(41) + kTag;
    const QByteArray bare = synth::PlainMp3(39);
    for (const QByteArray& original : {withAll, tagOnly, bare}) {
        for (Lyrics3Target target : {Lyrics3Target::Ilyc, Lyrics3Target::Iid3}) {
            const QString path = Write(original);
            ASSERT_TRUE(ConvertToRmp(path, target));
            EXPECT_TRUE(LayoutOf(path).kind & Rmp);
            ASSERT_TRUE(ConvertToMp3(path));
            EXPECT_EQ(ReadBytes(path), original) << original.size();
        }
    }
}

TEST_F(SongEditTest, RmpWithoutKeptTagGetsOneMadeFromItsInfoTexts)
{
    const QByteArray stream = synth::PlainMp3();
    const QString path = Write(synth::Rmp(stream, synth::InfoList({{"INAM", "Name\0"}, {"IGNR", "Jazz\0"}})), QStringLiteral("a.rmp"));
    ASSERT_TRUE(ConvertToMp3(path));
    const QByteArray mp3 = ReadBytes(path);
    ASSERT_EQ(mp3.size(), stream.size() + 128);
    const Id3v1Record tag = ParseId3v1(mp3.right(128));
    EXPECT_EQ(FieldText(tag.title), QStringLiteral("Name"));
    EXPECT_EQ(tag.genre, 8);
}

TEST_F(SongEditTest, IlycTextLyricsBecomeALyrics3BlockInTheMp3)
{
    const QByteArray stream = synth::PlainMp3();
    const QString path = Write(synth::Rmp(stream, synth::InfoList({{"INAM", "Name\0"}, {"ILYC", Sjis("[00:01:00]歌") + '\0'}})),
                               QStringLiteral("a.rmp"));
    ASSERT_TRUE(ConvertToMp3(path));
    SongTags tags;
    ASSERT_TRUE(ReadSongTags(path, tags));
    EXPECT_EQ(tags.kind, MarkI | Lyrics3);
    EXPECT_EQ(tags.lyrics, QStringLiteral("[00:01:00]歌"));
    EXPECT_EQ((*tags.lyrics3)[ETT], QStringLiteral("Name"));
    EXPECT_EQ(FieldText(tags.id3v1.title), QStringLiteral("Name"));
    EXPECT_TRUE(ReadBytes(path).startsWith(stream));
}

TEST_F(SongEditTest, ConversionsRefuseTheWrongKind)
{
    const QByteArray mp3 = synth::PlainMp3();
    EXPECT_FALSE(ConvertToMp3(Write(mp3)));
    const QByteArray rmp = StandardRmp(mp3);
    const QString path = Write(rmp, QStringLiteral("a.rmp"));
    EXPECT_FALSE(ConvertToRmp(path, Lyrics3Target::Ilyc));
    EXPECT_EQ(ReadBytes(path), rmp);
    QByteArray truncated = rmp;
    qToLittleEndian<quint32>(0x7FFFFFF0, truncated.data() + 16);
    const QString broken = Write(truncated, QStringLiteral("b.rmp"));
    EXPECT_FALSE(ConvertToMp3(broken));
    EXPECT_EQ(ReadBytes(broken), truncated);
}

TEST_F(SongEditTest, MacBinaryHeaderIsCutOff)
{
    const QByteArray data = synth::PlainMp3() + kTag;
    QByteArray file = synth::MacBinaryHeader(data.size(), 5) + data;
    file += QByteArray(128 - data.size() % 128, '\0') + "rsrc!" + QByteArray(123, '\0');
    const QString path = Write(file);
    EXPECT_EQ(LayoutOf(path).kind, MacBinary | MarkI);
    ASSERT_TRUE(CutMacBinary(path));
    EXPECT_EQ(ReadBytes(path), data);
    EXPECT_EQ(LayoutOf(path).kind, MarkI);
    EXPECT_FALSE(CutMacBinary(path));
    EXPECT_EQ(ReadBytes(path), data);
}

// --- failures at every step ---------------------------------------------------------

namespace {

struct Operation {
    const char* name;
    QByteArray original;
    std::function<bool(const QString&)> run;
};

std::vector<Operation> Operations()
{
    const QByteArray mp3 = synth::PlainMp3(3000) + synth::Lyrics3({{"LYR", "old"}}) + kTag; // > 1 MiB: several copy pieces
    const QByteArray rmp = StandardRmp(synth::PlainMp3(200));
    const QByteArray data = synth::PlainMp3() + kTag;
    const QByteArray mac = synth::MacBinaryHeader(data.size()) + data;
    Id3v1Record r;
    r.title = QStringLiteral("新");
    InfoValues info;
    info.setText(INAM, QStringLiteral("新"));
    return {
        {"rewrite mp3", mp3, [=](const QString& p) { return RewriteSongTags(p, r, {}, false, QStringLiteral("歌")); }},
        {"rewrite rmp", rmp, [=](const QString& p) { return RewriteSongTags(p, r, info, false, QStringLiteral("歌")); }},
        {"embed mp3", mp3, [](const QString& p) { return EmbedLyrics3(p, LyricsRecord(QStringLiteral("x")), Lyrics3Target::Ilyc); }},
        {"embed rmp", rmp, [](const QString& p) { return EmbedLyrics3(p, LyricsRecord(QStringLiteral("x")), Lyrics3Target::Iid3); }},
        {"delete", mp3, [](const QString& p) { return DeleteLyrics3(p); }},
        {"to rmp", mp3, [](const QString& p) { return ConvertToRmp(p, Lyrics3Target::Ilyc); }},
        {"to mp3", rmp, [](const QString& p) { return ConvertToMp3(p); }},
        {"cut macbinary", mac, [](const QString& p) { return CutMacBinary(p); }},
    };
}

} // namespace

TEST_F(SongEditTest, FailureAtAnyWriteStepLeavesTheOriginalAndNoTemporaryFile)
{
    for (const Operation& op : Operations()) {
        // Count the writes of a successful run.
        int writes = 0;
        common::AtomicFile::SetFaultInjector([&](common::AtomicFile::Step step, int index) {
            if (step == common::AtomicFile::Step::Write)
                writes = std::max(writes, index + 1);
            return true;
        });
        const QString path = Write(op.original);
        ASSERT_TRUE(op.run(path)) << op.name;
        ASSERT_NE(ReadBytes(path), op.original) << op.name;
        ASSERT_GE(writes, 1) << op.name;

        struct Fault {
            common::AtomicFile::Step step;
            int index;
        };
        // Sync: a full disk can also show up only when the data are flushed.
        std::vector<Fault> faults{{common::AtomicFile::Step::Open, 0}, {common::AtomicFile::Step::Commit, 0},
                                  {common::AtomicFile::Step::Sync, 0}};
        for (int i = 0; i < writes; ++i)
            faults.push_back({common::AtomicFile::Step::Write, i});
        for (const Fault& fault : faults) {
            WriteBytes(path, op.original);
            common::AtomicFile::SetFaultInjector([&](common::AtomicFile::Step step, int index) {
                return !(step == fault.step && index == fault.index);
            });
            EXPECT_FALSE(op.run(path)) << op.name << " step " << int(fault.step) << " " << fault.index;
            EXPECT_EQ(ReadBytes(path), op.original) << op.name << " step " << int(fault.step) << " " << fault.index;
            EXPECT_EQ(Entries(), QStringList{QStringLiteral("song.mp3")}) << op.name;
        }
        common::AtomicFile::SetFaultInjector(nullptr);
    }
}

TEST_F(SongEditTest, FailureAtAnyReadLeavesTheOriginalAndNoTemporaryFile)
{
    for (const Operation& op : Operations()) {
        int reads = 0;
        SongReader::SetFaultInjector([&](int index) {
            reads = std::max(reads, index + 1);
            return true;
        });
        const QString path = Write(op.original);
        ASSERT_TRUE(op.run(path)) << op.name;
        for (int k = 0; k < reads; ++k) {
            WriteBytes(path, op.original);
            SongReader::SetFaultInjector([&](int index) { return index != k; });
            EXPECT_FALSE(op.run(path)) << op.name << " read " << k;
            EXPECT_EQ(ReadBytes(path), op.original) << op.name << " read " << k;
            EXPECT_EQ(Entries(), QStringList{QStringLiteral("song.mp3")}) << op.name;
        }
        SongReader::SetFaultInjector(nullptr);
    }
}

TEST_F(SongEditTest, FileChangedWhileBeingRewrittenIsNotReplaced)
{
    const QByteArray original = synth::PlainMp3(3000) + kTag;
    const QString path = Write(original);
    QByteArray changed = original + "appended by someone else";
    common::AtomicFile::SetFaultInjector([&](common::AtomicFile::Step step, int index) {
        if (step == common::AtomicFile::Step::Write && index == 1)
            WriteBytes(path, changed);
        return true;
    });
    QString error;
    EXPECT_FALSE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("x")), Lyrics3Target::Ilyc, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("changed"))) << error.toStdString();
    EXPECT_EQ(ReadBytes(path), changed);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(SongEditTest, RewriteKeepsThePermissionsOfTheSong)
{
    const QString path = Write(synth::PlainMp3() + kTag);
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QFile::setPermissions(path, perms);
    const auto before = QFile::permissions(path);
    ASSERT_TRUE(EmbedLyrics3(path, LyricsRecord(QStringLiteral("x")), Lyrics3Target::Ilyc));
    EXPECT_EQ(QFile::permissions(path), before);
    EXPECT_FALSE(QFile::permissions(path) & QFileDevice::ReadOther);
}

namespace {

TEST(SongEditRiffSize, ToRmpOfOddLengthDataCountsThePadByteOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.mp3"));
    const QByteArray stream = synth::PlainMp3(3); // three frames of 417 bytes: odd length
    ASSERT_EQ(stream.size() % 2, 1);
    WriteBytes(path, stream + kTag);
    ASSERT_TRUE(ConvertToRmp(path, Lyrics3Target::Ilyc));
    const QByteArray rmp = ReadBytes(path);
    EXPECT_EQ(qFromLittleEndian<quint32>(rmp.constData() + 4), static_cast<quint32>(rmp.size() - 8));
    EXPECT_EQ(rmp.at(20 + stream.size()), '\0'); // the pad byte
    EXPECT_EQ(rmp.mid(21 + stream.size(), 4), "LIST");
    ASSERT_TRUE(ConvertToMp3(path));
    EXPECT_EQ(ReadBytes(path), stream + kTag);
}

} // namespace
