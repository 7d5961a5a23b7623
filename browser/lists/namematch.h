#pragma once
// The loose comparison of two names or tag texts used by the list extractions: "ソング",
// "そんぐ" and "ｿﾝｸﾞ" are the same word, "Song-01" and "song 01" the same name.

#include <QString>
#include <QStringView>

namespace browser::lists {

/// Trimmed, lower case, half-width (full-width letters, digits and marks to ASCII;
/// katakana to half-width katakana, voiced ones as two characters) and hiragana as
/// katakana: "そんぐ" and "ソング" both become "ｿﾝｸﾞ", "ＳＯＮＧ" becomes "song".
QString FoldName(QStringView text);

/// `text` without the characters whose CP932 code is a control, a blank or a mark
/// (single bytes 0x00–0x2F, 0x3A–0x40, 0x5B–0x60, 0x7B–0xA5, 0xDE–0xFF and the
/// full-width symbol row 0x8140–0x81FC). Characters without a CP932 form stay.
QString StripMarks(QStringView text);

/// Empty texts match anything; otherwise the folded texts match when equal, or, with the
/// marks removed, when equal or when one contains the other.
bool NameMatches(QStringView a, QStringView b);

} // namespace browser::lists
