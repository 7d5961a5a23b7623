#pragma once
// The "@" header block of a lyrics text: who made the tags, in which time base, against
// how much leading silence, with which offset, and the song's artist, title and album.
//
// Two generations of keys exist. The older ones ("@flames", "@totalsec", "@timetype",
// "@silence", an editor in brackets in "@taggingby") are read and converted; the
// current ones ("@TimeRatio=", "@SilencemSec=", "@Offset=", "@EditedBy=") are written.
// Keys are matched without regard to ASCII case, anywhere in the text. Decimal numbers
// are read and written with "." whatever the locale.

#include <QString>
#include <QStringView>

namespace lyrics {

constexpr int kSamplesPerFrame = 1152;
/// Sample rate assumed for the frame counts of the older "@silence" key.
constexpr int kOlderSilenceSampleRate = 44100;
/// Ratio assumed for WinAmp time when nothing better is known.
constexpr double kDefaultWinAmpRatio = 0.995312;

/// Time base the tags of a text were made in.
enum class TimeBase : qint16 { NotStated = 0, WinAmp = 1, Standard = 2 };

/// The correction data ("補正用データ") of a lyrics text.
struct CorrectionData {
    QString TaggingBy;
    QString EditedBy;
    TimeBase TimeType = TimeBase::NotStated;
    int SilenceMsec = -1;   // -1: absent
    int SilenceFrames = -1; // -1: absent
    int TotalSec = 0;
    int Frames = 0;
    double TimeRatio = 0;   // standard ms × ratio = the tags' ms; 1 = standard time
    int Offset = 0;
    bool HasOffset = false;
    QString Artist;
    QString Title;
    QString Album;
    QString BgFile;
    QString BgFolder;

    bool operator==(const CorrectionData&) const = default;
};

/// What ReadCorrectionData found.
struct CorrectionReading {
    CorrectionData data;
    /// False when at least one key of the older set was found.
    bool NoOlderData = true;
};

/// Index of the first occurrence of the ASCII `key` in `text`, ignoring ASCII case.
qsizetype FindKey(QStringView text, QLatin1StringView key, qsizetype from = 0);

/// The value behind the first occurrence of `key`: up to the next CR, without leading
/// "=" and blanks. Empty when the key does not occur.
QString FindAtValue(QStringView text, QLatin1StringView key);

/// The leading decimal number of `value` ("-12.5abc" → -12.5), 0 when there is none.
double LeadingNumber(QStringView value);

/// Reads the correction data; `userTimeIsWinAmp` is the user's own time base, used when
/// the text does not say.
CorrectionReading ReadCorrectionData(QStringView text, bool userTimeIsWinAmp);

/// Removes the first line of each known key (from the key to its line's CR LF).
QString StripAtLines(QStringView text);

/// Strips the known lines and appends the current-generation block.
QString AppendAtBlock(QStringView text, const CorrectionData& data);
/// AppendAtBlock done on `text` itself, without copying it.
void ReplaceAtBlock(QString& text, const CorrectionData& data);

/// A ratio as "@TimeRatio=" writes it: at most 15 significant digits, "." as decimal
/// point, no exponent, no trailing zeros.
QString FormatRatio(double ratio);

struct TitleArtist {
    QString title;
    QString artist;
};
/// Title and artist for the file lists: "@title", "title:" or "title :" (artist alike).
TitleArtist FindTitleArtist(QStringView text);

/// The sample rate of a song from its length in frames and seconds (44 100 without them).
int SampleRateFromFrames(qint64 frames, qint64 totalSec);
/// The WinAmp clock's ratio for a sample rate: whole milliseconds per frame ÷ exact ones.
double WinAmpRatio(int sampleRate, int samplesPerFrame = kSamplesPerFrame);
/// Frames as whole milliseconds.
int FramesToMsec(qint64 frames, int sampleRate, int samplesPerFrame = kSamplesPerFrame);

} // namespace lyrics
