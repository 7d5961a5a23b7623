#pragma once
// What the areas of the main window share: the program's services, the options, the
// command registry, the two file panes and which of them is active. FormMain fills it
// in and hands it to every area; areas tell each other about changes by Qt signals.

#include "browser/gui/player/enginelink.h"

#include <array>
#include <functional>

namespace browser {

class CommandRegistry;
class DetailsProvider;
class FilePane;
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

    FilePane& pane(int i) const { return *panes[static_cast<size_t>(i)]; }
};

} // namespace browser
