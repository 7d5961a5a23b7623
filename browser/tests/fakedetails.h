#pragma once
// A details provider for tests: answers from tables keyed by file name, with plain
// defaults for names it does not know. Reads are const and safe from any thread.

#include "browser/core/details.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace browser::fakes {

class FakeDetails : public DetailsProvider {
public:
    QHash<QString, LyricsDetails> lyrics; // by file name
    QHash<QString, SongDetails> songs;    // by file name
    QSet<QString> unreadable;             // lyrics files that fail to read

    std::optional<LyricsDetails> readLyrics(const QString& path, bool) const override
    {
        const QString name = QFileInfo(path).fileName();
        if (unreadable.contains(name) || !QFileInfo(path).isFile())
            return std::nullopt;
        return lyrics.value(name, LyricsDetails{});
    }
    SongDetails readSong(const QString& path) const override
    {
        const QString name = QFileInfo(path).fileName();
        SongDetails d = songs.value(name, PlainSong());
        d.exists = QFileInfo(path).isFile();
        return d;
    }
    int songKind(const QString& path) const override
    {
        if (!QFileInfo(path).isFile())
            return songkind::kNotSong;
        return readSong(path).kind;
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
