#pragma once
// Reading a row's details from its file: the lyrics facts (tag kind, time base, tagger,
// title and artist) or the song facts (kind flags, tag texts, stream information).
//
// The reading itself sits behind DetailsProvider so that the pane logic can be tested
// with fakes; LibraryDetailsProvider (librarydetails.h) reads real files. Providers are
// called from the scan's worker thread as well as from the window's thread, so their
// reads must be reentrant.

#include "browser/core/filerow.h"

#include <QString>
#include <optional>

namespace browser {

class FilePane;

/// Song-kind flags (the engine's classification of a song file; −1 = not MP3/RMP).
namespace songkind {
inline constexpr int kNotSong = -1;
inline constexpr int kWave = 1;
inline constexpr int kRmp = 2;
inline constexpr int kId3v2 = 4;
inline constexpr int kMacBinary = 8;
inline constexpr int kMarkI = 16;
inline constexpr int kLyrics3 = 32;
inline constexpr int kEmbedded = 64;
} // namespace songkind

struct LyricsDetails {
    int tagKind = 0;  // 0 none, 1 line-head, 2 karaoke
    int timeType = 0; // 0 not stated, 1 WinAmp, 2 standard
    std::optional<QString> taggingBy; // the text after "@TaggingBy=", when present
    QString title;
    QString artist;
};

/// Tag texts as the engine hands them over: fixed-width, possibly NUL-terminated.
struct SongTagTexts {
    QString artist, title, album, comment;
};

struct StreamInfo {
    int version = 0;    // 1, 2, 3 (= MPEG 2.5)
    int layer = 0;
    int bitRate = 0;    // kbit/s, 0 = VBR
    int sampleRate = 0; // Hz
    int playSeconds = 0;
};

struct SongDetails {
    bool exists = false;
    int kind = songkind::kNotSong;
    SongTagTexts longTags; // the engine's second tag record
    SongTagTexts id3v1;    // the ID3v1 record
    std::optional<StreamInfo> stream;
};

class DetailsProvider {
public:
    virtual ~DetailsProvider() = default;
    /// nullopt when the file cannot be opened or read.
    virtual std::optional<LyricsDetails> readLyrics(const QString& path, bool userWinAmpTime) const = 0;
    virtual SongDetails readSong(const QString& path) const = 0;
    /// The song-kind flags of a file, −1 when it is missing or no song.
    virtual int songKind(const QString& path) const = 0;
};

/// A tag field: the long record's text (up to its first NUL, trailing blanks off) when
/// not empty, else the ID3v1 record's text cut the same way.
QString PickTagText(const QString& longText, const QString& id3v1Text);
/// The "tags" cell: " I R L W 2 M V" letters for the flags, "E" for kind −1.
QString SongTagsCell(int kind, bool vbr);
/// True when the kind marks a song that the program cannot handle (dimmed row).
bool IsBadSongKind(int kind);

/// Puts read lyrics details (or the failure to read them) into a row, then pairs it.
/// Returns whether the details were read.
bool ApplyLyricsDetails(FilePane& pane, int row, FilePane& other, const std::optional<LyricsDetails>& details);
/// Puts read song details into a row, then pairs it. Returns whether the file existed.
bool ApplySongDetails(FilePane& pane, int row, FilePane& other, const SongDetails& details);

/// Reads and applies a row's details by the pane's mode (FillLyricsRow / FillSongRow).
bool FillLyricsRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime);
bool FillSongRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider);
bool FillRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime);

/// Re-reads one row from disk: gone → icon 1 if it had none, dimmed, false; otherwise
/// size, extension and time are refreshed, the icon reset and the details read again.
bool RefreshRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime);

} // namespace browser
