#pragma once
// One row of a file list and the formatting of its cells.

#include "browser/core/columns.h"

#include <QDateTime>
#include <QString>
#include <array>

namespace browser {

/// Icon numbers of the rows. Lyrics rows: 9 untagged, 11 line-head tags, 13 karaoke
/// tags, one more while paired. Song rows: 1 + 4 × RMP + Lyrics3 (1, 2, 5, 6), two more
/// while paired. 0 means the row's details have not been read.
namespace icons {
inline constexpr int kNone = 0;
inline constexpr int kSong = 1;
inline constexpr int kLyricsUntagged = 9;
inline constexpr int kLyricsLineHead = 11;
inline constexpr int kLyricsKaraoke = 13;
} // namespace icons

/// The pairing mark shown in the "match" cell.
QString PairMark();

struct FileRow {
    QString name; // the row text: file name with extension, as found on disk
    std::array<QString, kCellCount> cells; // by column; cells[Col::Filename] is unused
    int icon = icons::kNone;
    bool dimmed = false;
    bool checked = false;
    bool selected = false;

    /// The text of a column; the "filename" column is the row text.
    const QString& cell(Col col) const { return col == Col::Filename ? name : cells[static_cast<int>(col)]; }
    void setCell(Col col, const QString& text);
    /// By key ("artist"); an unknown key reads as empty and is not written.
    QString cell(QStringView key) const;
    void setCell(QStringView key, const QString& text);

    /// Folder (the "path" cell, ending in a separator) and name.
    QString fullPath() const { return cell(Col::Path) + name; }
    bool paired() const { return !cell(Col::Match).isEmpty(); }
};

// Cell texts.

/// Lyrics mode size: "###,###,###" + " B" (a file of 0 bytes shows "0 B").
QString FormatLyricsSize(qint64 bytes);
/// Song mode size: kilobytes rounded to the nearest whole one, "###,###,###" + " kB".
QString FormatSongSize(qint64 bytes);
/// "YYYY/MM/DD HH:NN:SS" in local time.
QString FormatTimestamp(const QDateTime& time);
/// The last three characters of a name, lower case ("Song.MP3" → "mp3").
QString ExtensionCell(const QString& name);
/// Play time as minutes and two-digit seconds ("4:05", "61:40").
QString FormatPlayTime(int seconds);
/// MPEG version number as shown: 1, 2, or "2.5" for 3.
QString FormatMpegVersion(int version);
/// Sample rate in kHz as a decimal ("44.1", "48", "22.05").
QString FormatSampleRate(int hz);
/// A folder path with a trailing separator (AddTrailingBackslash); an empty path stays empty.
QString WithTrailingSeparator(const QString& folder);

/// Fills the cells AddRow sets for a found file: "path", "size", "ext", "timestamp".
void FillFoundFileCells(FileRow& row, PaneMode mode, const QString& folder, qint64 size, const QDateTime& modified);
/// The same with the "timestamp" text already made (FormatTimestamp's form).
void FillFoundFileCells(FileRow& row, PaneMode mode, const QString& folder, qint64 size, const QString& timestamp);

} // namespace browser
