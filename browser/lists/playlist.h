#pragma once
// Playlists of the checked rows: each row's full path followed by CR LF, in list order,
// and nothing else. ".m3u" in CP932 as the old players read it, or ".m3u8" in UTF-8.

#include "browser/core/filerow.h"

#include <QByteArray>
#include <optional>
#include <span>

namespace browser::lists {

enum class PlaylistFormat { M3u, M3u8 };

/// "処理に失敗しました。"
QString PlaylistFailedMessage();

/// The playlist's bytes. Empty when no row is checked; nullopt, with the reason in
/// `error`, when a path cannot be held by the format (CP932) or holds a line break.
std::optional<QByteArray> EncodePlaylist(std::span<const FileRow> rows, PlaylistFormat format, QString* error = nullptr);

/// Replaces the file at `path` with the playlist, atomically: an older, longer playlist
/// is replaced whole, and a failed write leaves it as it was.
bool SavePlaylist(const QString& path, std::span<const FileRow> rows, PlaylistFormat format, QString* error = nullptr);

/// The folder the save dialog starts in: the row's folder without its trailing
/// separator, except a root, which keeps it.
QString PlaylistStartFolder(const FileRow& selected);

/// The format a chosen file name asks for: ".m3u8" → UTF-8, anything else CP932.
PlaylistFormat PlaylistFormatForPath(const QString& path);

} // namespace browser::lists
