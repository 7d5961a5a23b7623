// The player strip's commands: "PlayPause" and "Stop", enabled while a playable song
// is shown.
#include "browser/core/commandregistry.h"
#include "browser/gui/player/playerstrip.h"

#include <QToolButton>

namespace browser {

void RegisterPlayerCommands(CommandRegistry& commands, PlayerStrip& strip)
{
    commands.add(QStringLiteral("PlayPause"), [&strip] { strip.playPause(); },
                 [&strip] { return strip.playPauseButton()->isEnabled() && strip.playPauseButton()->isVisibleTo(strip.window()); });
    commands.add(QStringLiteral("Stop"), [&strip] { strip.stop(); },
                 [&strip] { return strip.stopButton()->isEnabled() && strip.stopButton()->isVisibleTo(strip.window()); });
}

} // namespace browser
