#pragma once
// Small checks made before a song file is touched.

#include "songfiles/songkind.h"

#include <QString>

namespace songfiles {

/// True when the path is not empty and names an existing entry.
bool FileExists(const QString& path);

/// True when `path` is absolute and can be listed.
bool FolderAccessible(const QString& path);

/// `path` with a directory separator at its end.
QString AddTrailingBackslash(const QString& path);

/// True when the file can be opened for reading and writing and is not marked read-only
/// (its owner may write it). The file is closed again at once and not changed.
bool FileWritable(const QString& path);

/// The song kind of a file, as the engine's file-type call reports it; -1 when the file
/// cannot be read or is not an MP3/RMP file.
SongKind ProbeSongKind(const QString& path);

/// FileExists and a kind that is not -1 and has none of Wave, Id3v2, MacBinary.
bool IsPlayableSong(const QString& path);

} // namespace songfiles
