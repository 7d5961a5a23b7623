#pragma once
// The help pages bundled with the program: written into the user's cache folder so that
// the desktop's browser can open them.

#include <QString>

namespace browser {

/// Writes the bundled help into `folder` (empty: the cache folder's "help") and returns
/// the start page's path; empty with `error` set when it cannot be written.
QString ExtractBundledHelp(QString* error, const QString& folder = QString());

} // namespace browser
