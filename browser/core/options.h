#pragma once
// The user's options (settings section "Option"), read at start-up and written only by
// the options dialog.

#include <QString>

namespace browser {

class SettingsStore;

struct Options {
    QString taggingBy;              // "TaggingBy": the user's name for @TaggingBy / @EditedBy
    bool winAmpTime = true;         // "WinAmpTime": the user's own time base is WinAmp time
    bool noAskTimeType = true;      // "NoAskTimeType"
    int offset = 0;                 // "Offset" 0-3: stored and shown again only
    bool ilyc = true;               // "ILYC": RMP lyrics go into ILYC (false: IID3)
    bool deleteAfterImplant = false; // "DeleteAfterImplant"
    bool renameMp3 = true;          // "RenameMP3"
    int fukaInputSleep = 0;         // "FukaInputSleep" 0-2
    int fukaLyrics = 0;             // "FukaLyrics" 0-2
    QString pluginIni;              // "PluginIni": the WinAmp lyrics plug-in's plugin.ini
    bool useExGenre = false;        // "UseExGenre"
    /// "LyricsFixedFont": the lyrics text in a fixed-width CJK font. Not one of the eleven
    /// keys: StoreDisplayOptions writes it beside them.
    bool lyricsFixedFont = false;

    bool operator==(const Options&) const = default;
};

/// Reads the eleven keys in their table order; a "PluginIni" that names no existing file
/// reads as empty. Out-of-range choices fall back to their defaults.
Options LoadOptions(const SettingsStore& store);

/// Writes all eleven keys.
void StoreOptions(SettingsStore& store, const Options& options);

/// Writes the display choices the options dialog adds to the eleven keys.
void StoreDisplayOptions(SettingsStore& store, const Options& options);

/// Press-and-hold interval of list rows for "FukaLyrics": 0 → 1 ms, 1 → 20 ms, 2 → 400 ms.
int PressIntervalMs(int fukaLyrics);

/// The engine's input pause for "FukaInputSleep": 0 → 1, 1 → 5, 2 → 25.
int EngineInputSleep(int fukaInputSleep);

} // namespace browser
