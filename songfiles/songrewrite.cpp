#include "songfiles/songrewrite.h"

#include "common/atomicfile.h"
#include "songfiles/pathprobe.h"

namespace songfiles {

void RewritePlan::copy(qint64 offset, qint64 size)
{
    if (size > 0)
        pieces_.push_back({offset, size, {}});
}

void RewritePlan::append(QByteArray bytes)
{
    if (!bytes.isEmpty())
        pieces_.push_back({-1, bytes.size(), std::move(bytes)});
}

qint64 RewritePlan::size() const
{
    qint64 n = 0;
    for (const Piece& p : pieces_)
        n += p.size;
    return n;
}

bool ReplaceSongFile(SongFile& song, const RewritePlan& plan, QString* error)
{
    constexpr qint64 kCopyPiece = 1 << 20;
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString& path = song.path();
    if (!FileWritable(path))
        return fail(QStringLiteral("%1 cannot be written (read-only or not accessible)").arg(path));
    if (FileStamp::Of(path) != song.stamp())
        return fail(QStringLiteral("%1 was changed by someone else; nothing was written").arg(path));

    common::AtomicFile out(path);
    if (!out.open())
        return fail(out.errorString());
    QByteArray buffer;
    for (const RewritePlan::Piece& piece : plan.pieces_) {
        if (piece.offset < 0) {
            if (!out.write(piece.bytes))
                return fail(out.errorString());
            continue;
        }
        for (qint64 done = 0; done < piece.size;) {
            const qint64 n = std::min(kCopyPiece, piece.size - done);
            if (!song.reader().readAt(piece.offset + done, n, buffer)) {
                out.cancel();
                return fail(QStringLiteral("cannot read %1: %2").arg(path, song.reader().errorString()));
            }
            if (!out.write(buffer))
                return fail(out.errorString());
            done += n;
        }
    }
    // Someone may have written the file while it was being copied.
    if (FileStamp::Of(path) != song.stamp()) {
        out.cancel();
        return fail(QStringLiteral("%1 was changed by someone else while it was rewritten; nothing was written").arg(path));
    }
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

} // namespace songfiles
