#pragma once
// The MP3 engine's calls on song files: classification, tag and stream information,
// Lyrics3 lyrics, MP3 ⇄ RMP conversion and MacBinary removal. The names are the
// engine's (vbmp3_…); the work is done by songfiles. The engine's transport (open,
// play, lyric timing) joins this class's state in the same engine object.

#include "songfiles/id3v1.h"
#include "songfiles/lyrics3.h"
#include "songfiles/mpeginfo.h"
#include "songfiles/riffinfo.h"
#include "songfiles/songedit.h"
#include "songfiles/songkind.h"

#include <QString>
#include <optional>

namespace playback {

/// The longer texts vbmp3_getFileInfo2 adds: for an MP3 the Lyrics3 extended fields
/// (ETT, EAR, EAL, INF), for an RMP its INFO values (INAM, IART, IPRD, ICMT and all).
struct SongTexts {
    QString title;
    QString artist;
    QString album;
    QString comment;
    std::optional<songfiles::InfoValues> info; // RMP only
};

/// Every call answers success (true, or a kind other than -1) and keeps the reason of a
/// failure for lastError().
class Vbmp3Files {
public:
    /// SongKind flags of the file; -1 when it is not an MP3/RMP file or cannot be read.
    int vbmp3_getFileType(const QString& path) const;

    /// The final ID3v1 tag (genre 250 and no name without one) and the stream facts.
    /// Fails when the file is not a song or cannot be read.
    bool vbmp3_getFileInfo(const QString& path, songfiles::Id3v1Record& tag, songfiles::MpegInfo& mpeg) const;

    /// vbmp3_getFileInfo plus the longer texts.
    bool vbmp3_getFileInfo2(const QString& path, songfiles::Id3v1Record& tag, songfiles::MpegInfo& mpeg,
                            SongTexts& texts) const;

    /// Fills the genre name of `tag` from its number.
    void vbmp3_getGenre(songfiles::Id3v1Record& tag) const;

    /// The song's Lyrics3 block. Fails when there is none or it cannot be read.
    bool vbmp3_getFileLyrics3InfoVB(const QString& path, songfiles::Lyrics3Record& record) const;

    /// Writes `record` as the song's Lyrics3 block (IND is set from its lyrics); an RMP
    /// keeps it in the INFO value chosen by vbmp3_setLyrics3InsField.
    bool vbmp3_setFileLyrics3InfoVB(const QString& path, const songfiles::Lyrics3Record& record);

    /// Removes the song's Lyrics3 block.
    bool vbmp3_delFileLyrics3Info(const QString& path);

    /// Where RMP lyrics go: 0 = ILYC, 1 = IID3. Other values are refused.
    bool vbmp3_setLyrics3InsField(int field);
    songfiles::Lyrics3Target lyrics3InsField() const { return insField_; }

    bool vbmp3_changeRmp(const QString& path);
    bool vbmp3_changeMp3(const QString& path);
    bool vbmp3_cutMacBinary(const QString& path);

    QString lastError() const { return lastError_; }

private:
    bool fail(const QString& why) const;

    songfiles::Lyrics3Target insField_ = songfiles::Lyrics3Target::Ilyc;
    mutable QString lastError_;
};

} // namespace playback
