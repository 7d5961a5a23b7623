#include "songfiles/songfile.h"

#include "common/rawname.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace songfiles {
namespace {

/// Opens a regular file for reading, as common::OpenRegularFile does, with one fstat
/// that also gives the size and time for the stamp. O_NONBLOCK (so that a FIFO without
/// a writer cannot hang the open) stays set: it does not change reads of a regular file.
int OpenRegular(const QString& path, struct stat& st, QString* why)
{
    const int fd = ::open(common::NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *why = QStringLiteral("%1 is not a regular file").arg(path);
        return -1;
    }
    return fd;
}

} // namespace

FileStamp FileStamp::Of(const QString& path)
{
    if (common::HasRawBytes(path)) { // a name Qt cannot see (not UTF-8)
        const std::optional<common::PathStat> st = common::StatPath(path);
        return st ? FileStamp{st->size, st->modified} : FileStamp{};
    }
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

SongFile::~SongFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool SongFile::fail(const QString& why)
{
    error_ = why;
    return false;
}

bool SongFile::openForRewrite(const QString& path)
{
    QString why;
    if (!lock_.acquire(path, &why))
        return fail(why);
    if (!open(path))
        return false;
    const std::optional<common::FileIdentity> opened = common::FileIdentity::OfFd(fd_);
    if (!opened || !opened->sameFile(lock_.identity()))
        return fail(QStringLiteral("%1 was replaced by another program while it was opened").arg(path));
    return true;
}

bool SongFile::open(const QString& path)
{
    path_ = path;
    QString why;
    if (fd_ >= 0) {
        reader_.reset();
        ::close(fd_);
    }
    struct stat st;
    fd_ = OpenRegular(path, st, &why);
    if (fd_ < 0)
        return fail(why);
    // In UTC: the stamp is only compared (as an instant), and local time would look up
    // the time zone file for every song.
    stamp_ = {qint64(st.st_size),
              QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000, Qt::UTC)};
    reader_ = std::make_unique<SongReader>(fd_, qint64(st.st_size));
    std::optional<SongLayout> layout = ProbeSongLayout(*reader_, &why);
    if (!layout)
        return fail(QStringLiteral("cannot read %1: %2").arg(path, why));
    layout_ = std::move(*layout);
    return true;
}

bool SongFile::read(ByteRange range, QByteArray& out)
{
    if (!reader_ || !range.found())
        return fail(QStringLiteral("nothing to read"));
    if (!reader_->readAt(range.offset, range.size, out))
        return fail(QStringLiteral("cannot read %1: %2").arg(path_, reader_->errorString()));
    return true;
}

std::optional<MpegInfo> SongFile::mpegInfo()
{
    if (!mpeg_) {
        QString why;
        mpeg_ = reader_ && layout_.firstFrame ? MeasureMpeg(*reader_, layout_, &why) : std::nullopt;
        if (!*mpeg_ && !why.isEmpty())
            error_ = QStringLiteral("cannot read %1: %2").arg(path_, why);
    }
    return *mpeg_;
}

std::optional<Id3v1Record> SongFile::id3v1() const
{
    if (!layout_.id3v1.found())
        return std::nullopt;
    return ParseId3v1(layout_.id3v1Bytes);
}

bool SongFile::readLyrics3Block(std::optional<QByteArray>& block)
{
    block.reset();
    if (!layout_.lyrics3.found())
        return true;
    QByteArray bytes;
    if (!read(layout_.lyrics3, bytes))
        return false;
    block = std::move(bytes);
    return true;
}

bool SongFile::readInfoValues(std::optional<InfoValues>& values)
{
    values.reset();
    if (!layout_.listChunk)
        return true;
    QByteArray data;
    if (!read(layout_.listChunk->dataRange(layout_.fileSize), data))
        return false;
    QString why;
    values = ReadInfoList(data, &why);
    if (!values)
        return fail(QStringLiteral("%1: %2").arg(path_, why));
    return true;
}

} // namespace songfiles
