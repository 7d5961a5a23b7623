#pragma once
// The commands of the file panes, registered by key; they work on the active pane.

namespace browser {

class CommandRegistry;
struct Workbench;

/// "ReSearch" (ファイルリストの更新) and "RefreshChecked" (チェックファイルの詳細情報更新).
void RegisterPaneCommands(CommandRegistry& commands, Workbench& bench);

} // namespace browser
