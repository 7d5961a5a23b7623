#pragma once
// Shared pieces of the engine tests: waiting on the event loop, and recording the
// engine's notifications together with the thread they arrived on.

#include "playback/engine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <chrono>
#include <vector>

namespace enginetesting {

/// Runs the event loop until `done` or `ms` have passed; false on time-out.
template<class Done>
bool WaitFor(Done done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

/// Lets queued notifications arrive.
inline void Drain()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

/// A steady clock that moves only when told to; safe to read from any thread.
class ManualClock {
public:
    using Clock = std::chrono::steady_clock;
    Clock::time_point Now() const { return Clock::time_point(std::chrono::nanoseconds(ns_.load())); }
    void Advance(std::chrono::microseconds by) { ns_ += std::chrono::nanoseconds(by).count(); }
    playback::SteadyNow Source() { return [this] { return Now(); }; }

private:
    std::atomic<qint64> ns_{1'000'000'000};
};

struct Note {
    int message;
    int value;
    bool operator==(const Note&) const = default;
};

/// Registers itself as the engine's notification procedure.
class NoteRecorder {
public:
    explicit NoteRecorder(playback::Engine& engine)
    {
        engine.vbmp3_callback([this](int m, int v) {
            if (QThread::currentThread() != QCoreApplication::instance()->thread())
                ++offThread;
            notes.push_back({m, v});
        });
    }
    bool Has(int message) const
    {
        for (const Note& n : notes)
            if (n.message == message)
                return true;
        return false;
    }
    std::vector<Note> notes;
    int offThread = 0;
};

} // namespace enginetesting
