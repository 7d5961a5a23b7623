#pragma once
// The song-dependent corrections of lyrics: the song's sample rate and leading silence,
// measured on the file, handed to the lyrics core's conversions.

#include "lyrics/correction.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace songfiles {

/// The sample rate and leading silence (SilentLeadFrames as milliseconds) of a song.
/// nullopt, with the reason, when the file does not exist, cannot be read, is not a song
/// or has no sample rate.
std::optional<lyrics::SongFacts> SongFactsOf(const QString& songPath, QString* error = nullptr);

/// True when the lyrics' time ratio cannot convert anything: written as 0, below 0 or
/// not as a number (the reading of the block would quietly take the user's own ratio
/// instead), or read as not positive. The conversions and the offset refuse such lyrics.
bool UnusableTimeRatio(QStringView text, const lyrics::CorrectionData& lyrics);

/// ConvertTags for the song at `songPath`: fails when the text is empty, the song does
/// not exist or has no sample rate, or the lyrics conversion fails; `text` is then
/// unchanged.
bool ConvertTagsForSong(QString& text, const QString& songPath, const lyrics::CorrectionData& lyrics,
                        lyrics::ConversionKind kind, const QString& userName, QString* error = nullptr);

/// AddCorrectionData for the song at `songPath` (the time base is `lyrics.TimeType`).
bool AddCorrectionDataForSong(QString& text, const QString& songPath, const lyrics::CorrectionData& lyrics,
                              const QString& userName, QString* error = nullptr);

} // namespace songfiles
