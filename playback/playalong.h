#pragma once
// The play-along adjustment without its widgets: the user picks a first and a last
// reference line, plays the song, captures the moment each is sung, and every tag of
// the text is mapped linearly so that the two reference tags land there.
//
// The dialog forwards its controls here and paints what the model answers; the engine
// calls (play, seek, sample position) stay with the dialog, which hands the sample
// position to Capture and seeks where Jump says.

#include "lyrics/atblock.h"
#include "lyrics/correction.h"
#include "lyrics/rescale.h"
#include "lyrics/timetag.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace playback {

/// One line of the text that carries a tag.
struct TaggedLine {
    int lineNumber = 0;            ///< its line in the text (0 = first)
    QString text;                  ///< the line without its terminator
    std::vector<QString> tags;     ///< its tags as written, normalised, with brackets
    std::vector<int> tagMs;
    std::vector<lyrics::TagLayout> layouts;
    std::vector<QString> before;   ///< the text in front of each tag
    QString after;                 ///< the text after the last tag
    bool visible = false;          ///< some text of the line is not blank
    int TagCount() const { return int(tags.size()); }
};

/// The tagged lines of a text (lines split at CR LF, LF or CR), in text order.
std::vector<TaggedLine> BuildTaggedLines(QStringView text);

/// The reference tag a line starts with, from 1. First line: its first tag, but the
/// second when the first stands alone in front of it (an advance tag: nothing before
/// the first tag and nothing between the first and second). Last line: the last tag
/// followed by text, or the first tag when none is.
int DefaultFirstTag(const TaggedLine& line);
int DefaultLastTag(const TaggedLine& line);

/// The settings of section "PlayAdjust".
struct PlayAdjustSettings {
    static constexpr const char* kSection = "PlayAdjust";
    int width = 0;   ///< "Width" (0: the design size)
    int height = 0;  ///< "Height"
    int timeRag = 0; ///< "TimeRag": the reaction lag in ms, added to each capture
};

/// Which reference line.
enum class Reference { First = 0, Last = 1 };

class PlayAlong {
public:
    /// Messages the dialog shows.
    static QString TooFewLinesMessage();     ///< fewer than 2 tagged lines (information)
    static QString TimeTypeChangedMessage(); ///< after switching the time type (information)
    static QString BadNewTimeMessage();      ///< a new-time field that is not a time (warning)

    /// Takes the text; false (TooFewLinesMessage) with fewer than two tagged lines.
    /// `userTimeIsWinAmp` is the option "WinAmpTime".
    bool Load(const QString& text, bool userTimeIsWinAmp);

    const QString& Text() const { return text_; }
    const std::vector<TaggedLine>& Lines() const { return lines_; }
    const lyrics::CorrectionData& Correction() const { return correction_; }

    // Reference lines (indexes into Lines()) and tags (from 1).
    int Line(Reference r) const { return line_[int(r)]; }
    int Tag(Reference r) const { return tag_[int(r)]; }
    /// Moves a reference line as its scroll bar does: the first line cannot reach the
    /// last (it stays one in front), nor the last the first. The tag selection and the
    /// new-time field start over. Returns the line taken.
    int SetLine(Reference r, int index);
    /// Selects tag `k` (1…count) of the line; false when out of range or playing.
    bool SelectTag(Reference r, int k);
    /// Left/right arrow: moves the selected tag by `delta` within the line.
    bool MoveTag(Reference r, int delta);

    /// The selected tag's present time, and as shown in lblFirstOrg (no brackets).
    int OldMs(Reference r) const;
    QString OldText(Reference r) const;
    /// TextFirstNew / TextLastNew.
    const QString& NewText(Reference r) const { return newText_[int(r)]; }
    /// A hand edit of a new-time field.
    void SetNewText(Reference r, const QString& text) { newText_[int(r)] = text; }
    /// The field read as a time: the digits of a tag without brackets ("00:41:50");
    /// nullopt when it is not one (it is then refused, never read as 0).
    static std::optional<int> ParseNewTime(QStringView field);

    // Time type: true for "WinAmp", false for "標準".
    bool WinAmpTime() const { return winAmp_; }
    /// Switches the time type; the new times go back to the old ones. The dialog shows
    /// TimeTypeChangedMessage unless it is still loading.
    void SetWinAmpTime(bool winAmp);

    /// TxtTimeRag: the leading number of `text` rounded to whole ms ("-100.6" → -101,
    /// no number → 0); returns the text the field is rewritten with.
    QString SetTimeRagText(QStringView text);
    int TimeRag() const { return timeRag_; }
    void SetTimeRag(int ms) { timeRag_ = ms; }

    void SetPlaying(bool on) { playing_ = on; }
    bool Playing() const { return playing_; }

    /// The time of `samples` played at `sampleRate` on the chosen time base, in ms,
    /// before the reaction lag: floor(samples / rate × 1000 × ratio), ratio =
    /// WinAmpRatio(rate) for "WinAmp", 1 for "標準".
    int SongTimeMs(qint64 samples, int sampleRate) const;
    /// "入力": the new time max(0, SongTimeMs + TimeRag) goes into the field in the layout
    /// of the selected tag. The first capture also moves the last field by the same
    /// amount (max(0, new − first old + last old)). Returns the captured ms.
    int Capture(Reference r, qint64 samples, int sampleRate);

    /// "ジャンプ": the whole second to seek to, the field's time − 3 s, kept within
    /// 0…songSeconds − 3; nullopt when the field is not a time.
    std::optional<int> JumpSeconds(Reference r, int songSeconds) const;
    /// Transport ±3 s: where to seek from `position` (s), or nullopt when it may not.
    static std::optional<int> BackSeconds(int position);
    static std::optional<int> ForwardSeconds(int position, int songSeconds);

    /// RescaleTags over the text with the two old and the two new times. Fails with
    /// BadNewTimeMessage when a field is not a time, and with the order message when
    /// the times are not increasing.
    lyrics::RescaleResult Rescale() const;
    /// "適用": the rescaled text with a new correction block for `song` in the chosen
    /// time base, the user named as tagger or editor. nullopt with `message` on failure.
    std::optional<QString> Accept(const lyrics::SongFacts& song, const QString& userName, QString* message) const;

private:
    void ResetNew(Reference r);

    QString text_;
    std::vector<TaggedLine> lines_;
    lyrics::CorrectionData correction_;
    int line_[2] = {0, 1};
    int tag_[2] = {1, 1};
    QString newText_[2];
    bool winAmp_ = false;
    int timeRag_ = 0;
    bool playing_ = false;
};

} // namespace playback
