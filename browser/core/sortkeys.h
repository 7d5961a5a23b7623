#pragma once
// Sorting a list by one column. Sizes, times, play times and bit rates are compared as
// values ("5 kB" before "39 kB", "9:59" before "10:00"); every other column by its text,
// ignoring case.

#include "browser/core/filerow.h"

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace browser {

/// Whether a column sorts by value.
bool SortsByValue(Col col);

/// The value of a cell of a value column: bytes or kilobytes for "size", seconds since
/// 1970 (local time) for "timestamp", seconds for "playtime", kbit/s for "br" ("VBR"
/// sorts above every number). nullopt for an empty or unreadable cell, which sorts
/// before every value.
std::optional<qint64> SortValue(Col col, QStringView text);

/// <0, 0, >0 as `a` sorts before, with or after `b` in ascending order.
int CompareCells(Col col, QStringView a, QStringView b);

/// The order of names ignoring case, and by their exact UTF-16 text where only case
/// tells them apart (the order a folder's files are listed in): element n is the index
/// of the name that goes to place n.
std::vector<int> NameOrder(std::span<const QStringView> names);

/// NameOrder handed over in steps, so that a long list's first places are known before
/// the rest is sorted: `take` receives places 0 to `firstCount` - 1, then the remaining
/// places (all at once when `firstCount` is 0 or covers the list). A `take` returning
/// false ends it; the result is false then.
bool NameOrderInSteps(std::span<const QStringView> names, size_t firstCount,
                      const std::function<bool(std::span<const int>)>& take);

/// The list order after a stable sort by column `col`: element n is the old index of
/// the row that goes to place n.
std::vector<int> SortedOrder(std::span<const FileRow> rows, Col col, Qt::SortOrder order);

} // namespace browser
