#include "browser/gui/panes/panecommands.h"

#include "browser/core/commandregistry.h"
#include "browser/gui/panes/filepaneview.h"
#include "browser/gui/workbench.h"

namespace browser {

void RegisterPaneCommands(CommandRegistry& commands, Workbench& bench)
{
    auto active = [&bench]() -> FilePaneView& { return bench.view(bench.activePane()); };
    // A listed folder (not a loaded file list) is read again.
    commands.add(QStringLiteral("ReSearch"), [active] { active().research(); }, [active] {
        return !active().pane().fromDataFile && active().showsFiles();
    });
    commands.add(QStringLiteral("RefreshChecked"), [active] { active().refreshCheckedRows(); },
                 [active] { return active().hasRows(); });
}

} // namespace browser
