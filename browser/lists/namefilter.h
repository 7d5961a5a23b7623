#pragma once
// The name filter of a pane and the history of its dialog.
//
// A pane lists only the files whose base name (the name without its extension) passes
// its filter: a wildcard pattern ("?" one character, "*" any run, "#" one digit,
// "[abc]" / "[a-z]" one of a list, "[!abc]" one not in it) or a text that must occur in
// the name. The scan calls PassesFilter on its worker thread with a copy of the state.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <memory>
#include <optional>

namespace browser {
class SettingsStore;
}

namespace browser::lists {

struct FilterState {
    bool cancelled = false;     // the dialog was left with Cancel
    bool wildcard = true;       // false: partial (substring) matching
    QString text;
    bool caseSensitive = false;
};

/// Whether a file name (a bare name or a path) passes the filter. An empty filter text
/// or an empty base name never passes.
bool PassesFilter(const FilterState& filter, QStringView fileName);

/// A filter prepared once for many names (a scan, a re-filter of a long list): the same
/// answers as PassesFilter. Copies are independent, so each thread can hold its own.
class NameFilter {
public:
    explicit NameFilter(const FilterState& filter);
    ~NameFilter();
    NameFilter(const NameFilter&);
    NameFilter& operator=(const NameFilter&);
    bool passes(QStringView fileName) const;

private:
    struct Pattern;
    FilterState state_;
    std::unique_ptr<Pattern> pattern_; // wildcard mode
};

/// `text` matched as a whole against a wildcard pattern, exactly (case counts). The
/// match runs in time proportional to text length × pattern length at worst, never
/// exponentially. A "[" without a closing "]" (or "[]") stands for itself.
bool WildcardMatch(QStringView text, QStringView pattern);

/// The base name the filter looks at: the file-name part of a path, cut before its last
/// "." when it has one.
QString FilterBaseName(QStringView fileName);

/// The dialog's remembered texts, shared by both panes: one list for wildcard mode and
/// one for partial mode, most recent first, at most 8 each; plus the dialog's last mode
/// and case switch. Stored in section "Filter": "String{list}-{entry}", "Mode", "NoLCase".
class FilterHistory {
public:
    static constexpr int kEntries = 8;

    const QStringList& entries(bool wildcard) const { return lists_[wildcard ? 0 : 1]; }
    /// Makes `text` entry 0 of the mode's list: an earlier copy is dropped, the others
    /// keep their order, the oldest beyond 8 falls off. Empty text changes nothing.
    void add(bool wildcard, const QString& text);

    bool wildcardMode = true;   // "Mode"
    bool caseSensitive = false; // "NoLCase"

    /// Reads both lists (each up to its first empty entry, duplicates dropped), "Mode"
    /// (default true) and "NoLCase" (default 0).
    static FilterHistory Load(const SettingsStore& store);
    /// Writes the non-empty entries of both lists, then "Mode" and "NoLCase".
    void store(SettingsStore& store) const;

    bool operator==(const FilterHistory&) const = default;

private:
    std::array<QStringList, 2> lists_;
};

/// The OK of the filter dialog: with a non-empty text, records it in the history (and the
/// mode and case switch), writes the history to `store` and returns the pane's new filter
/// state; with an empty text nothing happens and nullopt is returned.
std::optional<FilterState> ConfirmFilter(FilterHistory& history, SettingsStore& store, const QString& text, bool wildcard,
                                         bool caseSensitive);

} // namespace browser::lists
