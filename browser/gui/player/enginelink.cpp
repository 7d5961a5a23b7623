#include "browser/gui/player/enginelink.h"

#include "playback/engine.h"

namespace browser {

std::optional<playback::Notification> EngineLink::NotificationFromCode(int code)
{
    using playback::Notification;
    for (Notification n : {Notification::Stopped, Notification::Position, Notification::Paused, Notification::Finished})
        if (static_cast<int>(n) == code)
            return n;
    return std::nullopt;
}

playback::TransportState EngineLink::StateFromCode(int code)
{
    using playback::TransportState;
    for (TransportState s : {TransportState::Playing, TransportState::Paused})
        if (static_cast<int>(s) == code)
            return s;
    return TransportState::Stopped;
}

EngineLink::Poll EngineLink::poll() const
{
    Poll p;
    if (!engine_)
        return p;
    p.state = StateFromCode(engine_->vbmp3_getState(&p.seconds));
    return p;
}

void EngineLink::listen(Notify notify)
{
    if (!engine_)
        return;
    engine_->vbmp3_callback([notify = std::move(notify)](int code, int value) {
        if (const std::optional<playback::Notification> n = NotificationFromCode(code))
            notify(*n, value);
    });
}

void EngineLink::setTimeBase(TimeBase base)
{
    if (engine_)
        engine_->vbmp3_setLyricsTime(static_cast<int>(base));
}

} // namespace browser
