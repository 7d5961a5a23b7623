#pragma once
// Set-up of the application for its Japanese user interface.

class QApplication;

namespace common {

/// Loads Qt's own Japanese texts (qtbase_ja: the file dialog's views and menus, the
/// overwrite question, context menus of text boxes) when they are installed.
/// Returns whether they were.
bool InstallQtJapaneseTranslation(QApplication& app);

/// Makes the application's font a Japanese one when one is installed ("Noto Sans CJK JP"
/// first), keeping the point size, so that kanji take their Japanese forms and
/// Latin and Japanese text share one face. Returns the family chosen, or an empty name
/// when none of the known families is installed (the font is left alone then).
const char* ApplyJapaneseUiFont(QApplication& app);

} // namespace common
