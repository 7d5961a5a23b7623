#pragma once
// Time tags and the lyrics line model.
//
// A lyrics text is one string of CR LF lines. A time tag is "[mm:ss]", "[mm:ss:t]",
// "[mm:ss:hh]" or "[mm:ss:mmm]" (minutes and seconds with 1 or 2 digits on input, always
// 2 when written); anything else in brackets is plain text. Times are milliseconds.
// "Characters" are QChar units. Every function here is a pure, linear scan.

#include "lyrics/textbuilder.h"

#include <QString>
#include <QStringView>

namespace lyrics {

/// How many fraction digits a tag has. A tag keeps its layout when it is rewritten.
enum class TagLayout { Seconds = 1, Tenths = 2, Hundredths = 3, Millis = 4 };

/// What kind of tags a text carries.
enum class TagKind { None = 0, LineHead = 1, Karaoke = 2 };

/// The largest time a tag can be written with a two-digit minute field (99:59.999).
/// Larger times are written as this value, so that what is written stays a tag.
constexpr int kMaxTagMsec = 99 * 60000 + 59 * 1000 + 999;

/// Length of a full-layout tag "[mm:ss:hh]".
constexpr qsizetype kFullTagLength = 10;

/// One recognised tag inside a text.
struct TagMatch {
    qsizetype position = -1; // index of its "[" in the text; -1 when none was found
    qsizetype length = 0;    // characters it takes in the text, as written
    int minutes = 0;
    int seconds = 0;
    int fraction = 0;        // the fraction digits' value (0 for Seconds)
    TagLayout layout = TagLayout::Seconds;

    bool found() const { return position >= 0; }
    qsizetype end() const { return position + length; }
    int msec() const;
    /// The tag in its normalised form ("[1:2:3]" → "[01:02:3]").
    QString normalized() const;
    void appendNormalized(QString& out) const;
    /// Writes the normalised tag at `out` (room for 12 characters); returns its end.
    char16_t* writeNormalized(char16_t* out) const;
};

/// Whether a recognised tag starts at `pos`; fills `match` when it does.
bool MatchTagAt(QStringView text, qsizetype pos, TagMatch* match);

/// The first recognised tag starting at or after `from` (position -1 when none).
TagMatch FindNextTag(QStringView text, qsizetype from = 0);

/// Reads a normalised tag, with or without brackets, as milliseconds. Lengths other
/// than those of the four layouts, or fields that are not digits, give 0 and leave
/// `layout` untouched.
int ParseTimeTag(QStringView tag, TagLayout* layout = nullptr);

/// Writes `msec` as a tag (digits truncated, never rounded). Negative times are
/// written as 0 and times beyond kMaxTagMsec as kMaxTagMsec.
QString FormatTimeTag(qint64 msec, TagLayout layout, bool brackets = true);
void AppendTimeTag(QString& out, qint64 msec, TagLayout layout, bool brackets = true);

/// The answer of TakeNextTag: the normalised tag (empty when none was left) and the
/// text behind it (a view into the text that was passed in).
struct NextTag {
    QString tag;
    QStringView rest;
};

/// Finds the first tag of `text`, appends the text in front of it to `before` and
/// returns the tag and the rest. Without a tag the whole text goes to `before`. An
/// empty text leaves `before` untouched.
NextTag TakeNextTag(QStringView text, QString& before);

/// A text split at a full-layout tag "[##:##:##]". The parts are views into the text
/// that was split; joined they give it back.
struct TagSplit {
    QStringView before;
    QStringView tag;
    QStringView after;
};

/// Whether exactly "[##:##:##]" (digits 0-9) starts at `pos`.
bool IsFullTagAt(QStringView text, qsizetype pos);

/// Splits at the first full-layout tag; without one, `before` is the whole text.
TagSplit SplitAtFirstFullTag(QStringView text);
/// Splits at the last full-layout tag; without one, `before` is the whole text.
TagSplit SplitAtLastFullTag(QStringView text);

/// With `anyTag`, whether the text holds at least one recognised tag; otherwise
/// whether it holds at least two.
bool HasTags(QStringView text, bool anyTag);

/// The kind of tags of a text, judged from its first 16 lines.
TagKind ClassifyTagKind(QStringView text);

/// The text with every recognised tag removed, everything else kept. Brackets that
/// only form a tag once an inner tag is gone ("[[00:01]00:02]") are removed too, so
/// the result never holds a tag.
QString StripAllTags(QStringView text);

/// Appends StripAllTags(text) to `out`; nothing already in `out` is touched.
void AppendStripped(QString& out, QStringView text);

/// Every line becomes its first tag, then the rest of the line without tags, then
/// CR LF; lines without a tag stay as they are (and also end in CR LF).
QString KeepLeadingTagOnly(QStringView text);

/// Writes `msec` as a bracketed tag (as AppendTimeTag) at `out`, which has room for 12
/// characters; returns the end of what was written.
char16_t* WriteTimeTag(char16_t* out, qint64 msec, TagLayout layout);

/// A tag's new time and layout, as RewriteTagTimes writes it.
struct TagTime {
    qint64 msec;
    TagLayout layout;
};

/// Rebuilds `text` with every recognised tag written anew from `newTime(match)`, a
/// TagTime; everything else is copied.
template<class NewTime>
QString RewriteTagTimes(QStringView text, NewTime&& newTime)
{
    TextBuilder out(text.size() + text.size() / 8 + 16);
    qsizetype from = 0;
    for (;;) {
        const TagMatch m = FindNextTag(text, from);
        if (!m.found())
            break;
        out.append(text.sliced(from, m.position - from));
        const TagTime t = newTime(m);
        out.commit(WriteTimeTag(out.reserve(12), t.msec, t.layout));
        from = m.end();
    }
    out.append(text.sliced(from));
    return out.take();
}

/// Rebuilds `text`, letting `write(match, out)` append the replacement of each
/// recognised tag; everything else is copied.
template<class WriteTag>
QString RewriteTags(QStringView text, WriteTag&& write)
{
    QString out;
    out.reserve(text.size() + text.size() / 8 + 16);
    qsizetype from = 0;
    for (;;) {
        const TagMatch m = FindNextTag(text, from);
        if (!m.found())
            break;
        out.append(text.mid(from, m.position - from));
        write(m, out);
        from = m.end();
    }
    out.append(text.mid(from));
    return out;
}

} // namespace lyrics
