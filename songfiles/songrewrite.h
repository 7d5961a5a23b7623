#pragma once
// Whole-file rewrites of song files. The new file is written to an exclusively created
// temporary file in the song's folder, flushed and renamed over the song in one step;
// on any failure the temporary file is removed and the song is left byte for byte as it
// was. Nothing is ever changed in place.

#include "songfiles/songfile.h"

#include <QByteArray>
#include <vector>

namespace songfiles {

/// The content of the new file: ranges copied from the old one, and new bytes.
class RewritePlan {
public:
    void copy(qint64 offset, qint64 size);
    void copy(ByteRange range) { copy(range.offset, range.size); }
    void append(QByteArray bytes);
    qint64 size() const;

private:
    friend bool ReplaceSongFile(SongFile&, const RewritePlan&, QString*);
    struct Piece {
        qint64 offset = -1; // -1: `bytes`
        qint64 size = 0;
        QByteArray bytes;
    };
    std::vector<Piece> pieces_;
};

/// Writes `plan` over the open song's file. Refuses a file that is read-only, or that
/// changed (size or modification time) since it was opened. Copies go in 1 MiB pieces.
bool ReplaceSongFile(SongFile& song, const RewritePlan& plan, QString* error);

} // namespace songfiles
