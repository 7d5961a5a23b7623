#pragma once
// The lyrics a shown song is played with: the six sources the "歌詞選択" menu offers,
// which of them exist for the song, the one chosen, and the time base (WinAmp or
// standard time) the chosen lyrics are played in. The menu only shows this model.
//
// Sources, in menu order: the lyrics file last dropped onto the song, the song's
// embedded lyrics, the other pane's selected lyrics file, the other pane's lyrics file
// of the same name, no lyrics, and any other file the user picks. When the user has
// chosen none (or cancelled the file dialog), the first available source is taken.

#include <QString>
#include <array>
#include <optional>

namespace browser {

class DetailsProvider;
class FilePane;

enum class LyricSource { Dropped = 0, Embedded = 1, OppositeSelected = 2, OppositeSameName = 3, None = 4, OtherFile = 5 };

/// The time base of lyrics: "WinAmp時間" or "標準時間".
enum class TimeBase { WinAmp = 0, Standard = 1 };

class LyricSourceChoice {
public:
    static constexpr int kCount = 6;

    /// A newly shown row: nothing chosen, no paths, nothing available yet.
    void reset();
    /// The song is no longer shown: nothing chosen and no time base.
    void clearChoice();

    /// Re-reads what is available for `songFile`: its embedded lyrics (via `details`) and
    /// the lyrics in `otherPane` (null when there is none), then fills in the choice and
    /// the time base (`userWinAmpTime` unless the chosen file says otherwise).
    void rebuild(const QString& songFile, const FilePane* otherPane, const DetailsProvider& details, bool userWinAmpTime);
    /// The user picks a source (the other file's path is set beforehand with setPath).
    void choose(LyricSource source);
    /// The user cancelled picking a source: nothing is chosen.
    void unchoose() { chosen_ = -1; }
    void setTimeBase(TimeBase base) { timeBase_ = base; }

    bool isAvailable(LyricSource source) const { return available_[Index(source)]; }
    QString path(LyricSource source) const { return paths_[Index(source)]; }
    void setPath(LyricSource source, const QString& path) { paths_[Index(source)] = path; }
    std::optional<LyricSource> chosen() const;
    /// The chosen entry as its menu index, -1 for none.
    int chosenIndex() const { return chosen_; }
    std::optional<TimeBase> timeBase() const { return timeBase_; }
    /// The file the engine reads for the chosen source; empty for embedded and none.
    QString chosenFile() const;

    /// The status bar text: "[ song]" and " / [ name ]" of the chosen lyrics.
    QString statusText(const QString& songFile) const;

private:
    static size_t Index(LyricSource s) { return static_cast<size_t>(s); }

    std::array<QString, kCount> paths_;
    std::array<bool, kCount> available_{};
    int chosen_ = -1;
    std::optional<TimeBase> timeBase_;
};

} // namespace browser
