#pragma once
// Help installed beside the program: an HTML copy in help/ or under
// share/melwickex/help, else an old mwex.chm beside the program. Without any, the window
// opens the pages bundled in the program (helppages.h).

#include <QString>

namespace browser {

/// The help file to open for a program in `programFolder`; empty when there is none.
QString FindHelpFile(const QString& programFolder);

} // namespace browser
