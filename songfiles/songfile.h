#pragma once
// An open song file: its layout, and reads of the blocks the layout found.

#include "songfiles/id3v1.h"
#include "songfiles/lyrics3.h"
#include "songfiles/mpeginfo.h"
#include "songfiles/riffinfo.h"
#include "songfiles/songlayout.h"

#include "common/atomicfile.h"

#include <QDateTime>
#include <QFile>
#include <memory>
#include <optional>

namespace songfiles {

/// Size and modification time of a file, to notice a change made by someone else.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
    static FileStamp Of(const QString& path);
};

class SongFile {
public:
    SongFile() = default;
    ~SongFile();
    SongFile(const SongFile&) = delete;
    SongFile& operator=(const SongFile&) = delete;

    /// Opens `path` read-only and maps its blocks. False when the file cannot be opened or
    /// read, or is not a regular file (a FIFO or device is never waited on); a file that
    /// is not a song opens fine with kind -1.
    bool open(const QString& path);

    /// Like open(), after taking the file's lock (common::FileLock) for a rewrite: held
    /// until this object goes, so that the whole read-modify-write is one writer's.
    bool openForRewrite(const QString& path);

    const QString& path() const { return path_; }
    const SongLayout& layout() const { return layout_; }
    SongKind kind() const { return layout_.kind; }
    SongReader& reader() { return *reader_; }
    const FileStamp& stamp() const { return stamp_; }
    QString errorString() const { return error_; }

    /// Reads a block the layout found.
    bool read(ByteRange range, QByteArray& out);

    /// The stream facts (measured once); nullopt when the file has no stream or a read fails.
    std::optional<MpegInfo> mpegInfo();

    /// The final ID3v1 tag, or nullopt when there is none.
    std::optional<Id3v1Record> id3v1() const;

    /// The Lyrics3 v2 block at the end; `block` stays empty when there is none. False
    /// when it cannot be read.
    bool readLyrics3Block(std::optional<QByteArray>& block);

    /// The INFO values of a RIFF file; `values` stays empty without an INFO list. False
    /// when the list cannot be read or is malformed (an unknown id, a bad size).
    bool readInfoValues(std::optional<InfoValues>& values);

private:
    bool fail(const QString& why);

    QString path_;
    common::FileLock lock_;
    int fd_ = -1; // read with pread; closed with this object
    std::unique_ptr<SongReader> reader_;
    SongLayout layout_;
    FileStamp stamp_;
    std::optional<std::optional<MpegInfo>> mpeg_;
    QString error_;
};

} // namespace songfiles
