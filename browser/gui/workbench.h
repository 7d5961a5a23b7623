#pragma once
// What the areas of the main window share: the program's services, the options, the
// command registry, the two file panes and their views, the lyrics pane, which pane is
// active, and the few window-level hooks the frame fills in. FormMain fills it in and
// hands it to every area; areas tell each other about changes by Qt signals.

#include "browser/gui/player/enginelink.h"

#include <array>
#include <functional>

class QKeyEvent;
class QString;

namespace browser {

class BusyState;
class ColumnLayout;
class CommandRegistry;
class DetailsProvider;
class FilePane;
class FilePaneView;
class LyricsPane;
class PlayerStrip;
class Prompter;
class SettingsStore;
struct Options;

struct Workbench {
    SettingsStore* settings = nullptr;
    Prompter* prompter = nullptr;
    const DetailsProvider* details = nullptr;
    EngineLink engine{nullptr};
    Options* options = nullptr;
    CommandRegistry* commands = nullptr;
    std::array<FilePane*, 2> panes{};
    std::function<int()> activePane;

    // The areas, once FormMain has created them.
    std::array<FilePaneView*, 2> views{};
    LyricsPane* lyrics = nullptr;
    PlayerStrip* player = nullptr;
    /// Column widths and order of both panes (one layout per mode).
    ColumnLayout* columns = nullptr;
    /// The wait cursor and the running scan: while busy the window takes no input.
    BusyState* busy = nullptr;

    // Window-level hooks (the frame's toolbar toggles and key preview).
    std::function<bool()> autoLoad;
    std::function<bool()> autoSelect;
    /// Runs a command as the toolbar would (nothing when its button is disabled).
    std::function<void(const QString& key)> runCommand;
    /// The window's keys (F1 … F7, Ctrl+arrows, Ctrl+E); true when the key was used.
    std::function<bool(QKeyEvent* event)> windowKeys;
    /// Escape is held down (Escape, then a character key, leaves a file list or edit mode).
    bool escapeHeld = false;

    FilePane& pane(int i) const { return *panes[static_cast<size_t>(i)]; }
    FilePaneView& view(int i) const { return *views[static_cast<size_t>(i)]; }
};

} // namespace browser
