#pragma once
// Where the workbench's help is: the bundled Japanese HTML help beside the program
// (build tree) or under share/melwickex/help (installed), else an old mwex.chm beside
// the program.

#include <QString>

namespace browser {

/// The help file to open for a program in `programFolder`; empty when there is none.
QString FindHelpFile(const QString& programFolder);

} // namespace browser
