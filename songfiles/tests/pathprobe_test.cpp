// The checks made before a song file is touched, and the block locators of the file layer.
#include "songfiles/pathprobe.h"
#include "songfiles/songlayout.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace songfiles;

TEST(PathProbes, FileExistsAndFolderAccessible)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.mp3"));
    testsupport::WriteBytes(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("b.mp3"))));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_TRUE(FolderAccessible(dir.path()));
    EXPECT_TRUE(FolderAccessible(QStringLiteral("/")));
    EXPECT_FALSE(FolderAccessible(file));
    EXPECT_FALSE(FolderAccessible(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(FolderAccessible(QStringLiteral("relative/folder")));
    EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/music")), QStringLiteral("/music/"));
    EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/music/")), QStringLiteral("/music/"));
}

TEST(PathProbes, FileWritableIsFalseForReadOnlyMissingAndFolders)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.mp3"));
    testsupport::WriteBytes(file, "x");
    EXPECT_TRUE(FileWritable(file));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_FALSE(FileWritable(file));
    EXPECT_FALSE(FileWritable(dir.filePath(QStringLiteral("missing.mp3"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.mp3")))) << "the check creates nothing";
    EXPECT_FALSE(FileWritable(dir.path()));
    EXPECT_EQ(testsupport::ReadBytes(file), "x");
}

TEST(PathProbes, PlayableSongsAreSongsWithoutWaveId3v2OrMacBinary)
{
    QTemporaryDir dir;
    auto put = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QLatin1String(name));
        testsupport::WriteBytes(path, bytes);
        return path;
    };
    const QByteArray block = synth::Lyrics3({{"LYR", "x"}});
    QByteArray ilyc = block + synth::Id3v1("t");
    if (ilyc.size() % 2)
        ilyc.prepend('\0');
    const QString rmp = put("a.rmp", synth::Rmp(synth::PlainMp3(), synth::InfoList({{"ILYC", ilyc}})));
    EXPECT_EQ(ProbeSongKind(rmp), 34 + 16);
    EXPECT_TRUE(IsPlayableSong(rmp));
    EXPECT_TRUE(IsPlayableSong(put("a.mp3", synth::PlainMp3())));
    EXPECT_FALSE(IsPlayableSong(put("b.mp3", synth::Id3v2(4) + synth::PlainMp3())));
    EXPECT_FALSE(IsPlayableSong(put("c.mp3", "text")));
    EXPECT_FALSE(IsPlayableSong(dir.filePath(QStringLiteral("none.mp3"))));
    EXPECT_EQ(ProbeSongKind(dir.filePath(QStringLiteral("none.mp3"))), kNotASong);
    EXPECT_TRUE(IsPlayableKind(34));
    EXPECT_FALSE(IsPlayableKind(Rmp | Wave));
    EXPECT_EQ(SongKindFlagNames(Rmp | Lyrics3), QStringList({"Rmp", "Lyrics3"}));
    EXPECT_TRUE(SongKindFlagNames(kNotASong).isEmpty());
}

namespace {

struct Buffer {
    explicit Buffer(const QByteArray& bytes) : data(bytes), device(&data) { device.open(QIODevice::ReadOnly); }
    QByteArray data;
    QBuffer device;
};

} // namespace

TEST(BlockLocators, Id3v1AndLyrics3AtTheEnd)
{
    const QByteArray tag = synth::Id3v1("t");
    const QByteArray block = synth::Lyrics3({{"LYR", "x"}});
    Buffer b(synth::PlainMp3(2) + block + tag);
    SongReader reader(b.device);
    std::optional<QByteArray> found;
    ASSERT_TRUE(ReadId3v1(reader, reader.size(), found));
    EXPECT_EQ(found, tag);
    ByteRange range;
    ASSERT_TRUE(LocateLyrics3(reader, reader.size(), range));
    EXPECT_EQ(range, (ByteRange{2 * 417, block.size()}));
    ASSERT_TRUE(ReadLyrics3Bytes(reader, reader.size(), found));
    EXPECT_EQ(found, block);
    // Without the tag the block ends the file; at a shorter end there is none.
    ASSERT_TRUE(LocateLyrics3(reader, reader.size() - 128, range));
    EXPECT_EQ(range.offset, 2 * 417);
    ASSERT_TRUE(LocateLyrics3(reader, reader.size() - 1, range));
    EXPECT_FALSE(range.found());
    // A file shorter than a tag cannot be read for one.
    Buffer tiny("TAG");
    SongReader small(tiny.device);
    EXPECT_FALSE(ReadId3v1(small, small.size(), found));
}

TEST(BlockLocators, Lyrics3SizeDigitsPointingBeforeTheFileAreNoBlock)
{
    Buffer b("999999LYRICS200");
    SongReader reader(b.device);
    ByteRange range;
    ASSERT_TRUE(LocateLyrics3(reader, reader.size(), range));
    EXPECT_FALSE(range.found());
}

TEST(BlockLocators, RiffChunksAndTheChunkSought)
{
    QByteArray stream = synth::PlainMp3(2);
    stream.append('\x01'); // odd
    Buffer b(synth::Rmp(stream, synth::InfoList({{"INAM", "a\0"}})));
    SongReader reader(b.device);
    std::vector<RiffChunk> chunks;
    ASSERT_TRUE(WalkRiffChunks(reader, chunks));
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].id, "data");
    EXPECT_EQ(chunks[0].size, stream.size());
    EXPECT_EQ(chunks[1].id, "LIST");
    EXPECT_EQ(chunks[1].header, 20 + stream.size() + 1);
    const auto list = FindChunk(reader, "LIST");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->header, chunks[1].header);
    EXPECT_FALSE(FindChunk(reader, "fmt "));
}

TEST(BlockLocators, ChunkSizePastTheEndIsTruncatedAndEndsTheWalk)
{
    QByteArray riff = synth::Rmp(synth::PlainMp3(2), synth::InfoList({{"INAM", "a\0"}}));
    riff.chop(4); // the LIST chunk now claims more than the file holds
    Buffer b(riff);
    SongReader reader(b.device);
    std::vector<RiffChunk> chunks;
    ASSERT_TRUE(WalkRiffChunks(reader, chunks));
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_TRUE(chunks[1].truncated);
    EXPECT_FALSE(FindChunk(reader, "LIST"));
    EXPECT_EQ(chunks[1].dataRange(reader.size()).end(), reader.size());
}

TEST(BlockLocators, ReadsOutsideTheFileAreRefusedWithoutReading)
{
    Buffer b("0123456789");
    SongReader reader(b.device);
    QByteArray out;
    EXPECT_FALSE(reader.readAt(8, 3, out));
    EXPECT_FALSE(reader.readAt(-1, 2, out));
    EXPECT_FALSE(reader.readAt(11, 0, out));
    EXPECT_EQ(reader.readCount(), 0);
    EXPECT_TRUE(reader.readAt(8, 2, out));
    EXPECT_EQ(out, "89");
    EXPECT_TRUE(reader.readUpTo(6, 100, out));
    EXPECT_EQ(out, "6789");
    reader.keep(0, "0123");
    EXPECT_TRUE(reader.readAt(1, 2, out));
    EXPECT_EQ(out, "12");
    EXPECT_EQ(reader.readCount(), 2) << "kept bytes are not read again";
}
