#pragma once
// The embedded-lyrics commands as the user sees them: embedding a lyrics file into a
// song (with its checks, in their order, and their messages), reading, saving and
// deleting the embedded lyrics. The window's 埋め込み menu, its drop embed and
// `mwex song lyrics set` all go through these functions, so that they refuse the same
// files with the same words. Nothing here talks to the user: questions are callbacks,
// messages are returned.

#include "songfiles/songedit.h"
#include "songfiles/songkind.h"

#include <QString>
#include <functional>

namespace songfiles {

namespace embedmsg {
// Messages of the embedding commands, exactly as the workbench shows them.
inline const char kNotMp3[] = "MP3(RMP)ファイルではありません";
inline const char kWave[] = "WAVE形式ファイルは対象外です";
inline const char kId3v2[] = "ID3V2ファイルは対象外です";
inline const char kEmbedded[] = "すでに埋め込まれています";
inline const char kMacBinaryFailed[] = "マックバイナリを除去できませんでした";
inline const char kNameMismatch[] = "選択された歌詞ファイルのファイル名が合っていませんが、埋め込みますか？";
inline const char kTooLarge[] = "歌詞が大きすぎます";
inline const char kCannotReadLyrics[] = "歌詞を読み込めませんでした";
inline const char kEmptyLyrics[] = "歌詞ファイルが空です";
inline const char kUnencodable[] = "歌詞に Shift_JIS (CP932) で表せない文字があります: %1";
inline const char kCannotWriteSong[] = "曲ファイルに書き込めません";
inline const char kEmbedFailed[] = "埋め込みに失敗しました";
inline const char kRenameExists[] = "同名ファイルがあるためmp3にリネームはできませんでした。";
inline const char kRenameFailed[] = "mp3にリネームできませんでした。";
inline const char kCannotRead[] = "読み出せませんでした。";
inline const char kWriteFailed[] = "書き込みに失敗しました。";
inline const char kAccessFailed[] = "アクセスに失敗しました。";
// The drop embed's own checks.
inline const char kDropNotLyrics[] = "歌詞ファイル以外は埋め込めません。";
inline const char kDropLyricsMissing[] = "歌詞ファイルが読み込めません。";
inline const char kDropSongMissing[] = "曲ファイルが見つかりません。";
inline const char kDropSongNotPlayable[] = "曲ファイルが対象外です。";
inline const char kDropSongNotWritable[] = "曲ファイルに書き込めません。";
} // namespace embedmsg

/// The largest lyrics file that is embedded, in bytes.
inline constexpr qint64 kMaxEmbedLyricsBytes = 60000;

/// A message for the user (empty: none) and, for logs and the command line, the reason
/// behind it.
struct EmbedMessage {
    QString text;
    QString detail;
    bool isEmpty() const { return text.isEmpty(); }
};

/// The kind checks of embedding, in their order: not a song; WAVE; ID3v2; already
/// embedded; a MacBinary header is removed whatever the earlier checks found (but not for
/// a file that is no song). The last failing check's message is returned; empty when the
/// song may take the lyrics.
EmbedMessage CheckKindForEmbed(const QString& songPath, SongKind kind);

struct EmbedRequest {
    QString songPath;
    QString lyricsPath;
    Lyrics3Target target = Lyrics3Target::Ilyc; // where an RMP keeps its lyrics
    bool renameMp3 = false;                      // give a song that is no .mp3 that extension
    bool songWritableChecked = false;            // the drop embed checked it already
};

struct EmbedResult {
    enum class Status { Embedded, Cancelled, Failed };
    Status status = Status::Failed;
    EmbedMessage failure;     // Failed: the warning to show
    QString songPath;         // the song's path afterwards (the .mp3 name after a rename)
    EmbedMessage renameNote;  // Embedded: a rename that was not done (a plain message)
    bool ok() const { return status == Status::Embedded; }
};

/// Asked when the base names of song and lyrics file differ: true goes on.
using AskNameMismatch = std::function<bool()>;
/// Called after the lyrics are in the song, before the song is renamed.
using AfterEmbed = std::function<void()>;

/// Embeds a lyrics file into a song: the name question, the 60000-byte limit, reading the
/// lyrics (empty, unreadable or not representable in CP932 is refused), the song's
/// writability, the kind checks, the rewrite (a Lyrics3 block already there keeps its
/// other fields; IND follows the lyrics), then the optional rename to ".mp3", which never
/// replaces an existing file. Any failure leaves the song as it was (apart from a removed
/// MacBinary header).
EmbedResult EmbedLyricsFile(const EmbedRequest& request, const AskNameMismatch& askNameMismatch = {},
                            const AfterEmbed& afterEmbed = {});

/// The drop embed's checks of the dropped file and the target song, in order; empty
/// when the embed may go on.
EmbedMessage CheckDropEmbed(const QString& droppedPath, const QString& songPath);

/// The embedded lyrics text, cut at its first NUL (Copy). Fails with kCannotRead.
bool ReadEmbeddedLyricsText(const QString& songPath, QString& text, EmbedMessage* failure = nullptr);

/// Saves the embedded lyrics into `targetPath` as their stored code-page bytes, replacing
/// the file atomically. A read-only target is refused.
EmbedMessage SaveEmbeddedLyrics(const QString& songPath, const QString& targetPath);

/// Removes the song's embedded lyrics.
EmbedMessage DeleteEmbeddedLyrics(const QString& songPath);

/// Renames `path` to `newPath` without ever replacing an existing file.
bool RenameNoReplace(const QString& path, const QString& newPath, QString* error = nullptr, bool* existed = nullptr);

} // namespace songfiles
