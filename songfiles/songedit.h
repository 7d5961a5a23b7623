#pragma once
// The engine's rewrites of song files: embedding, reading and deleting Lyrics3 lyrics,
// MP3 ⇄ RMP conversion and MacBinary removal. Every rewrite replaces the whole file
// atomically (see songrewrite.h) and refuses what it cannot do without losing data.

#include "songfiles/lyrics3.h"
#include "songfiles/riffinfo.h"
#include "songfiles/songrewrite.h"

#include <QString>

namespace songfiles {

/// Where the lyrics of an RMP file go: the INFO value ILYC (0) or IID3 (1).
enum class Lyrics3Target : int { Ilyc = 0, Iid3 = 1 };

/// Plans an RMP file with new INFO values: the RIFF header, every chunk of `song` in
/// order except INFO lists (the data chunk must be whole), then the new INFO list, so
/// that the values holding the tags end the file.
bool PlanRmp(SongFile& song, const InfoValues& values, RewritePlan& plan, QString* error);

/// Splits an INFO value holding a Lyrics3 block and a tag (see HoldsLyrics3AndTag) into
/// the block (without a pad byte in front) and the 128 tag bytes.
bool SplitLyrics3AndTag(QByteArrayView value, QByteArray& block, QByteArray& tag);

/// The Lyrics3 block at the end of the file, parsed. Fails when there is none or it
/// does not parse.
bool ReadEmbeddedLyrics3(const QString& path, Lyrics3Record& record, QString* error = nullptr);

/// Writes `record` as the song's Lyrics3 block (IND set from the lyrics). MP3: the block
/// replaces an old one in front of the ID3v1 tag, and a blank tag (genre 250) is added
/// when there is none. RMP: the block and the song's tag become the ILYC or IID3 value.
/// Refused for files that are not songs, WAVE, ID3v2, MacBinary and Lyrics3 v1 files.
bool EmbedLyrics3(const QString& path, const Lyrics3Record& record, Lyrics3Target target, QString* error = nullptr);

/// Removes the song's Lyrics3 block; the ID3v1 tag stays. An MP3 whose tag was there
/// before the lyrics were embedded gets its bytes back exactly.
bool DeleteLyrics3(const QString& path, QString* error = nullptr);

/// MP3 → RMP: "RIFF", size, "RMP3", a data chunk holding the stream at offset 20, then
/// the INFO list: texts from the ID3v1 tag (the longer Lyrics3 texts where present), the
/// tag as IID3, and a Lyrics3 block with the tag as the `target` value.
bool ConvertToRmp(const QString& path, Lyrics3Target target, QString* error = nullptr);

/// RMP → MP3: the stream, then the Lyrics3 block and the ID3v1 tag kept in the INFO
/// values (a tag made from the INFO texts when none is kept; lyrics kept as ILYC text
/// become a Lyrics3 block).
bool ConvertToMp3(const QString& path, QString* error = nullptr);

/// Removes a MacBinary header: the file becomes its data fork.
bool CutMacBinary(const QString& path, QString* error = nullptr);

} // namespace songfiles
