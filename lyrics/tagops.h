#pragma once
// Bulk time-tag operations of the lyrics edit menu: unify the tag layout, shift every
// tag, sort line-head lines, repair reversed karaoke tags, insert or remove line-advance
// tags, find reversed tags. Every operation is a pure text-to-text function.

#include "lyrics/timetag.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace lyrics {

/// The tag menu's operations, numbered as its entries.
enum class TagCommand {
    UnifyHundredths = 2,
    UnifySeconds = 3,
    StripKaraoke = 5,
    StripAll = 6,
    CheckOrder = 8,
    NormalizeLineHead = 9,
    Shift = 11,
    PlayAlong = 12,
    LineAdvance = 14,
    RepairReversals = 15,
};

/// Whether `command` applies to a text of `kind`; texts of another kind stay unchanged.
bool TagCommandApplies(TagCommand command, TagKind kind);

/// Every tag rewritten from its time in `layout` ([00:12:3] → [00:12:30] or [00:12]).
QString UnifyTags(QStringView text, TagLayout layout);

/// Every tag moved by `msec` in its own layout; never below 0.
QString ShiftAllTags(QStringView text, qint64 msec);

/// Lines with several head tags become one line per tag, then the tagged lines (each
/// with the untagged lines behind it) are sorted by time. Nothing is dropped.
QString NormalizeLineHeadTags(QStringView text);

/// Every full-layout tag becomes the smallest of itself and all full-layout tags after it.
QString RepairKaraokeReversals(QStringView text);

/// One line as the line-advance adjustment sees it. The views point into the text that
/// was decomposed (or at a constant blank).
struct AdvanceLine {
    QString Text;           // the line rebuilt from its parts
    QStringView HeadTag;
    int HeadMs = 0;
    QStringView LastTag;
    int LastMs = 0;
    QStringView Before;     // text in front of the head tag
    QStringView Middle;     // between head and last tag
    QStringView After;      // behind the last tag
    bool Tagged = false;
    bool NoLastTag = false; // no separate last tag
    QStringView Terminator; // CR LF when a line break follows, else empty
};

/// Decomposes one line (without its line break) whose tags are all full-layout tags.
AdvanceLine DecomposeAdvanceLine(QStringView line, QStringView terminator);

/// Inserts line-advance tags between karaoke lines, at most `maxAdvanceMsec` before the
/// next line's head tag, or with `removeMode` takes inserted ones off again. Texts whose
/// tags are not all written as full-layout tags, or with fewer than two tagged lines,
/// come back unchanged.
QString AdjustLineAdvance(QStringView text, int maxAdvanceMsec, bool removeMode);

/// "カラオケタグのみ削除": advance tags removed, then only each line's first tag kept.
QString StripKaraokeTags(QStringView text);

/// One tag of a text in order, as the order check colours it.
struct TagOrderEntry {
    qsizetype position = 0; // where the tag starts in the text
    qsizetype length = 0;   // its characters as written
    int msec = 0;
    bool reversed = false;  // earlier than the tag in front of it
};

/// Every recognised tag of the text, in order, marking those earlier than their
/// predecessor.
std::vector<TagOrderEntry> ScanTagOrder(QStringView text);

/// The maximum advance typed into the line-advance dialog, in seconds with up to two
/// decimals: milliseconds in 10 ms steps, or nullopt for a text that is not a number or
/// lies outside 0…999 seconds.
std::optional<int> MaxAdvanceFromText(QStringView text);

/// The shift typed into the manual adjustment dialog: its leading number rounded to
/// whole milliseconds, limited to -32000…32000.
int SlideAmountFromText(QStringView text);

/// The text that replaces a typed shift beyond the limits ("32000" or "-32000"), or
/// nullopt when the typed value is within them.
std::optional<QString> SlideTextReplacement(QStringView text);

} // namespace lyrics
