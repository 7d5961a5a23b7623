#pragma once
// LRC files ("[01:23.45]lyric", enhanced "<01:23.45>" word times, "[ar:…]" ID tags) and
// the program's own time-tagged text, converted both ways.
//
// LRC times are standard time. Import:
//   [mm:ss.xx] / [mm:ss.xxx] / [mm:ss]  → line-head tags [mm:ss:hh] (or the chosen layout)
//   <mm:ss.xx> word times                → karaoke tags
//   [ti:] [ar:] [al:] [by:] [offset:]    → @Title= @Artist= @Album= @TaggingBy= @Offset=
//   other ID tags ([length:], [re:] …)   → kept as they are, as plain text lines
// Export does the reverse. The @ lines that LRC has no tag for (@SilencemSec=, @EditedBy=,
// a WinAmp @TimeRatio= …) travel as "[mwex:<the @ line>]" ID tags, which players skip, so
// that program → LRC → program gives the same text back.
//
// Offsets: LRC's [offset:+500] makes the lyrics appear 500 ms earlier, while the program's
// "@Offset=" is added to every tag when it is applied. So [offset:+N] ↔ "@Offset=-N".
//
// Time base: tags in WinAmp time (a "@TimeRatio=" other than 1, or an unstated time base
// for a WinAmp user) are divided by the ratio on export and multiplied by it on import.
// Both directions round to the nearest unit of the written layout; for a ratio at or
// below 1 this makes export-then-import give every tag back exactly.

#include "lyrics/atblock.h"
#include "lyrics/timetag.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace lyrics {

/// Whether a text holds LRC tags and none of the program's own.
enum class LrcContent {
    None,  // no LRC tags (or only tags the program reads itself)
    Lrc,   // LRC times ("[00:12.34]", "<00:12.34>"), or LRC ID tags with [mm:ss] times
    Mixed, // LRC times together with the program's "[mm:ss:xx]" tags
};
LrcContent DetectLrc(QStringView text);

/// The layout of the tags an import writes.
enum class LrcLayout {
    Auto,       // [mm:ss:hh]; three-digit fractions stay [mm:ss:mmm]
    Hundredths, // every tag [mm:ss:hh]
    Seconds,    // every tag [mm:ss]
    Millis,     // every tag [mm:ss:mmm]
    Keep,       // as written: no fraction [mm:ss], one digit [mm:ss:t], two [mm:ss:hh], three [mm:ss:mmm]
};

struct LrcImportOptions {
    LrcLayout layout = LrcLayout::Auto;
    /// A line with several time tags ([00:10.00][00:50.00]chorus) becomes one line per
    /// time, and the lines are put in time order. Otherwise such lines keep their tags.
    bool expandRepeats = false;
    /// A word-timed line whose last word has no end time gets a closing tag: the time
    /// of the next line.
    bool closeKaraokeLines = false;
    /// The ratio of the paired song's clock (WinAmpRatio of its sample rate for a user
    /// working in WinAmp time, 1 for standard time). The LRC's standard times are
    /// multiplied by it and "@TimeRatio=" states it. Without a song, the time base the
    /// file itself records is used, else the tags stay standard time ("@TimeRatio=1").
    std::optional<double> songRatio;
    /// The user's own time base, for a recorded @ block that does not state its own.
    bool userTimeIsWinAmp = true;
};

enum class LrcStatus {
    Converted,
    NotLrc,     // nothing to convert; text unchanged
    Mixed,      // LRC and program tags in one text; text unchanged
    OutOfRange, // a time beyond 99:59.999; text unchanged
    BadRatio,   // a time ratio that is not a positive number; text unchanged
};

/// How an import chose the time base of the tags it wrote.
enum class LrcTimeBase {
    Standard,      // LRC times written as they are
    SongRatio,     // multiplied by the paired song's ratio
    RecordedRatio, // multiplied by the ratio the file records (written by an export)
};

struct LrcImportResult {
    LrcStatus status = LrcStatus::NotLrc;
    QString text;    // the program text (Converted), else the input unchanged
    QString message; // why nothing was converted (English, for the command line)
    LrcTimeBase timeBase = LrcTimeBase::Standard;
    double ratio = 1;      // the ratio the times were multiplied by
    int timedLines = 0;    // lines with a time tag written
    QString title;         // from [ti:]
    QString artist;        // from [ar:]
    bool ok() const { return status == LrcStatus::Converted; }
};

LrcImportResult ImportLrc(QStringView lrc, const LrcImportOptions& options = {});

struct LrcExportOptions {
    /// Karaoke tags become "<mm:ss.xx>" word times; without it only each line's first
    /// tag is written.
    bool enhanced = false;
    /// Every time as [mm:ss.xxx]; otherwise [mm:ss.xx], and [mm:ss.xxx] for the
    /// program's millisecond tags.
    bool millis = false;
    /// The user's own time base, for a text that does not state its own.
    bool userTimeIsWinAmp = true;
    QString lineBreak = QStringLiteral("\r\n");
};

enum class LrcExportStatus {
    Converted,
    NoTags,     // no time tags to export
    AlreadyLrc, // the text holds LRC times already
    BadRatio,   // its time ratio is not a positive number
};

struct LrcExportResult {
    LrcExportStatus status = LrcExportStatus::NoTags;
    QString text;
    QString message;
    double ratio = 1;               // the tags' times were divided by it
    bool wordTimingDropped = false; // karaoke tags left out (not enhanced)
    QString title;
    QString artist;
    bool ok() const { return status == LrcExportStatus::Converted; }
};

LrcExportResult ExportLrc(QStringView text, const LrcExportOptions& options = {});

/// [ti:] and [ar:] of an LRC text (for the file lists' title and artist of a file that
/// has not been converted).
TitleArtist FindLrcTitleArtist(QStringView text);

// ---- Files -----------------------------------------------------------------------

/// How an LRC file is encoded. UTF-16 always carries its byte-order mark.
enum class LrcEncoding { Cp932, Utf8, Utf8Bom, Utf16Le, Utf16Be };

struct LrcDecoded {
    QString text; // line breaks as in the file
    LrcEncoding encoding = LrcEncoding::Cp932;
};

/// UTF-16 with a byte-order mark, else the text-file rule (UTF-8 with or without BOM,
/// else CP932).
LrcDecoded DecodeLrcBytes(QByteArrayView bytes);

/// The bytes of `text`; nullopt (with `error`) when the encoding cannot hold it.
std::optional<QByteArray> EncodeLrcBytes(QStringView text, LrcEncoding encoding, QString* error = nullptr);

bool ReadLrcFile(const QString& path, LrcDecoded& decoded, QString* error = nullptr);
/// Replaces the file atomically.
bool WriteLrcFile(const QString& path, QStringView text, LrcEncoding encoding, QString* error = nullptr);

} // namespace lyrics
