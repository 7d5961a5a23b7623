#pragma once
// Lyric timing: which lines of a time-tagged lyrics text are sung at a play position,
// and which part of the current line the karaoke highlight covers.
//
// All times handed out are milliseconds on the WinAmp clock (standard time × the song's
// WinAmp ratio), the clock the player reads positions on. Rules:
// - Only lines that carry a time tag are shown; a line's tags are removed for display.
// - Lines beginning with "@" are hidden unless the @-mark use is `Show`; with
//   `HideAndOffset` the text's "@Offset=" is added to every tag (results below 0 are 0).
// - A line becomes current `advanceMs` before its first tag and stays current until the
//   next shown line becomes current; the last line stays current to the end.
// - Tags inside a line divide it into karaoke segments: from each tag to the next the
//   highlight grows over the text between them. From the line's last tag it grows over
//   the rest of the line until the next line's first tag (the song's end for the last
//   line), so a line with only a head tag sweeps its whole text in that time. While the
//   line is current but before its first tag, the segment is the advance itself and
//   covers only the text in front of the first tag (usually nothing).

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

namespace playback {

/// What the player shows for one position.
///
/// integers[0]  start of the current karaoke segment (WinAmp-clock ms)
/// integers[1]  number of the current line in the lyrics text (0 = first line), -1 none
/// integers[2]  the current segment: 0 the advance before the line's first tag, k the
///              segment from the line's k-th tag (1 = first tag); -1 none
/// integers[3]  length of the current segment in ms, 0 when there is none
/// texts[7], texts[6]  the two shown lines before the current one (7 is the earlier)
/// texts[5]     the current line
/// texts[1], texts[0]  the next two shown lines (1 is the nearer)
/// texts[3]     the part of the current line sung at the segment's start
/// texts[4]     the part of the current line sung at the segment's end
/// texts[2]     the rest of the current line after texts[4]
struct LyricState {
    std::array<qint32, 4> integers{0, -1, -1, 0};
    std::array<QString, 8> texts;
    bool operator==(const LyricState&) const = default;
};

enum class LyricsTimeBase { WinAmp = 0, Standard = 1 };
enum class AtMarkUse { Show = 0, Hide = 1, HideAndOffset = 2 };

class LyricTimer {
public:
    /// Takes a lyrics text (lines separated by CR LF, LF or CR).
    void SetText(const QString& text);
    void Clear();
    bool HasLyrics() const { return !text_.isEmpty(); }

    void SetTimeBase(LyricsTimeBase base);
    /// The song's WinAmp ratio (1 when no song is open).
    void SetWinAmpRatio(double ratio);
    void SetAtMarkUse(AtMarkUse use);
    void SetAdvanceMs(int ms);
    /// Without karaoke, lines are timed but no segment is given.
    void SetKaraoke(bool on);
    /// The song's length on the WinAmp clock, where the last line's sweep ends.
    void SetSongEndMs(qint64 ms);

    LyricState StateAt(qint64 winampMs) const;

private:
    struct Line {
        int number = 0;               // line number in the text
        QString before;               // text in front of the first tag
        std::vector<qint32> tagMs;    // tag times as written
        std::vector<QString> pieces;  // text after each tag, up to the next tag or the end
        QString shown;                // the line without its tags
        bool atMark = false;
        // Derived: tag times on the WinAmp clock, with the offset applied.
        std::vector<qint64> times;
        qint64 start = 0;
    };

    void Retime();
    static QString SungBefore(const Line& line, size_t tag);

    QString text_;
    std::vector<Line> lines_;
    std::vector<size_t> shown_; // indexes into lines_ of the lines that are shown
    LyricsTimeBase base_ = LyricsTimeBase::WinAmp;
    double ratio_ = 1.0;
    AtMarkUse atMark_ = AtMarkUse::HideAndOffset;
    int advanceMs_ = 500;
    bool karaoke_ = true;
    qint64 songEndMs_ = 0;
    qint32 offsetMs_ = 0;
    bool hasOffset_ = false;
};

} // namespace playback
