#pragma once
// A details provider for tests: answers from tables keyed by file name, with plain
// defaults for names it does not know. Reads are const and safe from any thread.

#include "browser/core/details.h"
#include "common/rawname.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>
#include <atomic>

namespace browser::fakes {

class FakeDetails : public DetailsProvider {
public:
    QHash<QString, LyricsDetails> lyrics; // by file name
    QHash<QString, SongDetails> songs;    // by file name
    QSet<QString> unreadable;             // lyrics files that fail to read
    /// With holdAfter ≥ 0, lyrics reads after that many wait until `released` is set.
    int holdAfter = -1;
    std::atomic<bool> released{false};

    std::optional<LyricsDetails> readLyrics(const QString& path, bool) const override
    {
        if (holdAfter >= 0 && ++reads_ > holdAfter)
            while (!released)
                QThread::msleep(1);
        const QString name = QFileInfo(path).fileName();
        if (unreadable.contains(name) || !IsFile(path))
            return std::nullopt;
        return lyrics.value(name, LyricsDetails{});
    }
    SongDetails readSong(const QString& path) const override
    {
        const QString name = QFileInfo(path).fileName();
        SongDetails d = songs.value(name, PlainSong());
        d.exists = IsFile(path);
        return d;
    }
    int songKind(const QString& path) const override
    {
        if (!IsFile(path))
            return songkind::kNotSong;
        return readSong(path).kind;
    }

    mutable std::atomic<int> reads_{0};

    /// A regular file, also under a name Qt cannot see (not UTF-8).
    static bool IsFile(const QString& path)
    {
        if (common::HasRawBytes(path)) {
            const std::optional<common::PathStat> st = common::StatPath(path);
            return st && st->isRegular;
        }
        return QFileInfo(path).isFile();
    }

    static SongDetails PlainSong(int kind = 0)
    {
        SongDetails d;
        d.exists = true;
        d.kind = kind;
        d.stream = StreamInfo{1, 3, 128, 44100, 65};
        return d;
    }
};

} // namespace browser::fakes
