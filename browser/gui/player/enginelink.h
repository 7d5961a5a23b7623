#pragma once
// The window's side of the MP3 engine: the engine answers and notifies with the integer
// codes of the library it stands for; the window sees them only as the transport's
// TransportState and Notification.

#include "browser/core/lyricsources.h"
#include "playback/transport.h"

#include <functional>
#include <optional>

namespace playback {
class Engine;
}

namespace browser {

class EngineLink {
public:
    using Notify = std::function<void(playback::Notification, int value)>;

    /// `engine` may be null (some tests run without one): then nothing plays.
    explicit EngineLink(playback::Engine* engine) : engine_(engine) {}
    playback::Engine* engine() const { return engine_; }
    explicit operator bool() const { return engine_ != nullptr; }

    struct Poll {
        playback::TransportState state = playback::TransportState::Stopped;
        int seconds = 0;
    };
    /// The play state and position (seconds) now.
    Poll poll() const;
    /// Delivers the engine's notifications, typed, to `notify`.
    void listen(Notify notify);
    /// The time base the lyrics' tags are read in.
    void setTimeBase(TimeBase base);

    /// The engine's integer codes (1 stopped, 2 position, 3 paused, 4 done; 0/1/2 for
    /// the state) as the transport's words; unknown codes give nothing.
    static std::optional<playback::Notification> NotificationFromCode(int code);
    static playback::TransportState StateFromCode(int code);

private:
    playback::Engine* engine_ = nullptr;
};

} // namespace browser
