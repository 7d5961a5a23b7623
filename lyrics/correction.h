#pragma once
// Time-base conversion and correction ("補正"): converting tags between the WinAmp
// clock and real time, moving them by the difference in leading silence or by a stored
// offset, and recording what was done in the @ block.
//
// Standard time is real playing time; WinAmp time is standard time × the song's
// WinAmpRatio. The song's facts (sample rate, leading silence) come from the caller,
// which measures them on the song file.

#include "lyrics/atblock.h"

#include <QString>
#include <array>
#include <optional>

namespace lyrics {

/// What a correction needs to know about the song at hand.
struct SongFacts {
    int sampleRate = 0;  // Hz; 0 = unknown (every correction then fails)
    int silenceMsec = 0; // leading silence
};

/// The four conversions of the correction menu (its entries 0 to 3).
enum class ConversionKind { WinAmpToWinAmp = 0, WinAmpToStandard = 1, StandardToWinAmp = 2, StandardToStandard = 3 };

/// Moves a time by the lyrics' offset when they carry one, else by the difference of
/// the leading silences (then clearing `target.HasOffset`). Never below 0.
double ShiftBySilenceOrOffset(double msec, const CorrectionData& lyrics, CorrectionData& target);

/// Converts every tag for `song` and appends a new @ block naming `userName` as editor.
/// Fails (text untouched) on an empty text, an unknown sample rate, a text without tags,
/// or a WinAmp conversion from a ratio that is not positive.
bool ConvertTags(QString& text, const SongFacts& song, const CorrectionData& lyrics, ConversionKind kind,
                 const QString& userName);

/// Shifts every tag by the lyrics' offset (in the tags' own time base) and rewrites the
/// block with "@Offset=0". Fails on an empty text or a ratio that is not positive.
bool ApplyOffset(QString& text, const CorrectionData& lyrics);

/// Writes a fresh @ block for `song` in the time base `lyrics.TimeType`; tag times stay.
/// The user becomes the editor when the lyrics name a tagger, else the tagger.
bool AddCorrectionData(QString& text, const SongFacts& song, const CorrectionData& lyrics, const QString& userName);

/// Rewrites a block of older keys as current ones. Fails when the text is empty or no
/// older key was read.
bool UpdateOldCorrectionData(QString& text, const CorrectionReading& lyrics);

/// Which correction menu entries are enabled: indexes 0-3 (conversions), 4 (apply the
/// offset), 6 (new correction data) and 7 (update older data); 5 is a separator.
struct CorrectionMenu {
    std::array<bool, 8> enabled{};
    bool operator[](int index) const { return index >= 0 && index < 8 && enabled[size_t(index)]; }
};

/// The menu for lyrics shown in the pane (read with the user's time base) against a
/// song; `song` is empty when the song file does not exist. The caller disables
/// everything itself when the pane is empty or the active list shows songs.
CorrectionMenu CorrectionMenuState(const CorrectionReading& lyrics, const std::optional<SongFacts>& song);

} // namespace lyrics
