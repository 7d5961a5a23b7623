#pragma once
// The columns of the file lists and their stored widths and positions.
//
// A pane lists lyrics files (11 columns) or songs (16 columns). Every cell is addressed
// by its column key, never by a position, because the user may reorder the columns.
// Widths and positions are kept per list mode in twips (15 per logical pixel) and stored
// in the sections "LVS0"/"LVS1" (widths) and "LVP0"/"LVP1" (positions, from 1).

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace browser {

class SettingsStore;

enum class PaneMode { Lyrics = 0, Song = 1 };
enum class PaneView { Folder = 0, File = 1 };

/// Column keys. `Filename` is the row text itself; the others are the row's cells.
enum class Col : quint8 {
    Filename,
    Path,
    Size,
    Timestamp,
    Ext,
    Artist,
    Title,
    TagType,
    TimeType,
    TaggingBy,
    Album,
    Comment,
    Tags,
    Version,
    Layer,
    Sr,
    Br,
    PlayTime,
    Match,
};
inline constexpr int kCellCount = 19;

/// "filename", "path", "size", … as written in settings-free places (data files, tests).
QString ColumnKeyName(Col col);
/// The column of a key; nullopt for an unknown key (and for "dummy").
std::optional<Col> ColumnFromKey(QStringView key);

struct ColumnDef {
    Col col;
    QString key;
    QString caption;
    bool alignRight = false;
};

inline constexpr int kMaxColumns = 16;
inline constexpr int kLyricsColumns = 11;
inline constexpr int kSongColumns = 16;

/// The columns of a list mode in creation order: column n is element n − 1. The trailing
/// "dummy" column of the list is not part of this.
const QList<ColumnDef>& ModeColumns(PaneMode mode);
inline int ModeColumnCount(PaneMode mode) { return mode == PaneMode::Lyrics ? kLyricsColumns : kSongColumns; }
/// Index (from 0, creation order) of a key's column in a mode, or −1.
int ColumnIndex(PaneMode mode, Col col);

/// Default width in twips of column n (1-based) of a mode.
int DefaultColumnWidth(PaneMode mode, int n);

inline constexpr int kTwipsPerPixel = 15;
/// Twips to logical pixels, rounded to the nearest pixel.
int TwipsToPixels(int twips);
inline int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }
/// The twips value to keep for a length now `pixels` wide that was `twips` before: the
/// old value when it still converts to the same pixels (so stored values survive a
/// round trip unchanged), else the pixels in twips.
int KeepTwips(int twips, int pixels);

/// Widths (twips) and display positions (1-based) of the columns of both list modes.
class ColumnLayout {
public:
    ColumnLayout(); // the defaults
    int width(PaneMode mode, int n) const { return width_[Index(mode)][n]; }
    int position(PaneMode mode, int n) const { return pos_[Index(mode)][n]; }
    void setWidth(PaneMode mode, int n, int twips) { width_[Index(mode)][n] = twips; }
    void setPosition(PaneMode mode, int n, int position) { pos_[Index(mode)][n] = position; }
    /// Every width to its default, every position n to n.
    void reset();
    /// Column numbers (1-based) in display order: for p = 1, 2, … the first column whose
    /// stored position is p is moved to place p. Columns whose position is out of range
    /// keep the place the moves leave them in.
    QList<int> displayOrder(PaneMode mode) const;
    bool operator==(const ColumnLayout&) const = default;

private:
    static int Index(PaneMode mode) { return mode == PaneMode::Lyrics ? 0 : 1; }
    std::array<std::array<int, kMaxColumns + 1>, 2> width_{};
    std::array<std::array<int, kMaxColumns + 1>, 2> pos_{};
};

/// Reads "LVS0"/"LVS1" widths and then "LVP0"/"LVP1" positions; absent widths are those
/// of `defaults`, absent positions the column's own number.
ColumnLayout LoadColumnLayout(const SettingsStore& store, const ColumnLayout& defaults = ColumnLayout());
/// Writes "LVS0"/"LVP0" 1 … 11, then "LVS1"/"LVP1" 1 … 16.
void StoreColumnLayout(SettingsStore& store, const ColumnLayout& layout);

} // namespace browser
