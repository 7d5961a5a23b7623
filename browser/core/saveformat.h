#pragma once
// The encoding a lyrics text is saved in. A file is written back in the encoding it was
// read in; when that is CP932 and the text holds characters CP932 cannot hold, the user
// is told which (the first few, with their line numbers) and may save as UTF-8 instead.
// The UTF-8 file gets a BOM: without one, a text whose only non-ASCII characters are
// two-byte UTF-8 sequences reads back as CP932 half-width katakana.

#include "common/textfile.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace browser {

class Prompter;

struct SaveFormatChoice {
    bool save = true;                         // false: the user declined; nothing is written
    std::optional<common::TextFormat> format; // nullopt: the file's own encoding
};

/// How many unencodable characters the message lists.
inline constexpr int kUnencodableShown = 5;

/// Checks `text` against the encoding of the file at `path` (CP932 for a new file) and,
/// when it does not fit, asks through `prompter`.
SaveFormatChoice ChooseSaveFormat(Prompter& prompter, const QString& path, QStringView text);

} // namespace browser
