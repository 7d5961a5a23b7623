#pragma once
// The transport: moves decoded audio into an output and keeps the play state.
//
// States and transitions (anything else is refused and changes nothing):
//   Stopped --Play--> Playing (from the start)     Stopped --Seek--> Playing (from there)
//   Playing --Pause--> Paused --Resume/Play--> Playing
//   Playing/Paused --Stop--> Stopped               Playing --end of song--> Stopped
//   Playing/Paused --Seek--> the same state at the new position
// Notifications: Position each time the played position enters a new second while
// playing (and at every start, resume and seek), Paused on pause, Stopped on stop, and
// Finished when the last sample has been played; after Finished the state is Stopped.
// Positions count samples that have been played, not decoded. At a tempo below 1 the
// audio is stretched (pitch kept) on its way to the output; positions, notifications
// and the end of the song stay in the song's own samples, as at full speed. When the output fails
// (the device went away), playback goes on through a silent output from the position
// reached.
//
// A Transport is used from one thread; only Position() may be called from any thread.

#include "playback/audiooutput.h"
#include "playback/decoder.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

namespace playback {

/// The slowest and fastest tempo the transport plays at.
constexpr double kMinTempo = 0.25;
constexpr double kMaxTempo = 2.0;

enum class TransportState { Stopped = 0, Playing = 1, Paused = 2 };
enum class Notification { Stopped = 1, Position = 2, Paused = 3, Finished = 4 };

/// How much audio is kept queued and how often the transport may be pumped.
struct Buffering {
    int bufferMs = 320;   ///< audio queued in the output
    int refillMs = 160;   ///< refill when less than this is queued
    int periodMs = 10;    ///< the shortest pause between two pumps
};

/// The play position as of one moment; a reader can extrapolate it while `advancing`.
struct PlayPosition {
    using Clock = std::chrono::steady_clock;
    TransportState state = TransportState::Stopped;
    qint64 played = 0;      ///< sample frame heard at `at` (0 when stopped)
    qint64 queuedEnd = 0;   ///< the position cannot pass this before the next pump
    bool advancing = false; ///< playing and the output consumes samples
    Clock::time_point at;
    quint64 generation = 0; ///< changes whenever the position jumps (seek, stop, start)
    double tempo = 1.0;     ///< song samples per output sample (0.5: half speed)
};

class Transport {
public:
    using Notify = std::function<void(Notification, int value)>;

    Transport(OutputFactory output, Notify notify);
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    void SetBuffering(const Buffering& buffering);
    const Buffering& buffering() const { return buffering_; }
    /// Seeks land on the start of the frame instead of the exact sample.
    void SetFrameAlignedSeeks(bool on) { frameAligned_ = on; }
    /// The time source for published positions (empty: the steady clock).
    void SetClock(SteadyNow now) { now_ = std::move(now); }
    /// Plays at `tempo` times the normal speed with the pitch kept (clamped to
    /// kMinTempo…kMaxTempo). While playing or paused the position is kept exactly.
    void SetTempo(double tempo);
    double Tempo() const { return tempo_; }

    /// Takes an opened decoder; the transport is stopped at the start of the song.
    void Load(std::unique_ptr<Decoder> decoder);
    /// Stops (with its notification) and drops the song.
    void Unload();
    bool IsLoaded() const { return decoder_ != nullptr; }
    int SampleRate() const { return decoder_ ? decoder_->SampleRate() : 0; }
    qint64 LengthSamples() const { return decoder_ ? decoder_->LengthSamples() : 0; }

    bool Play();
    bool Pause();
    bool Resume();
    bool Stop();
    /// Moves playback to `sample`; from Stopped, playback starts there.
    bool Seek(qint64 sample);

    /// Refills the output, notices the end of the song and a failed output, and
    /// publishes the position. Call while playing, when NextPumpMs says.
    void Pump();
    /// Milliseconds until the next pump is due: when the queued audio has run down to
    /// the refill mark, the position enters a new second or the song's last sample has
    /// been played, but at least `periodMs` and at most a quarter second. -1 when no
    /// pump is needed (not playing).
    int NextPumpMs();

    TransportState State() const { return state_; }
    PlayPosition Position() const;
    /// Whether the output in use makes sound (false for silent and fallback outputs).
    bool Audible() const;
    bool FellBack() const { return fellBack_; }

private:
    bool StartAt(qint64 sample);
    void ResetStretch();
    bool Drained() const;
    qint64 PlayedOut();
    qint64 ToSong(qint64 outputFrames) const;
    PlayPosition::Clock::time_point Now() const { return now_ ? now_() : PlayPosition::Clock::now(); }
    bool EnsureOutput();
    void FallBack();
    void Fill();
    void Publish(qint64 played, bool advancing);
    void NotifySecond(qint64 position, bool force);
    void Finish();
    qint64 Played();

    OutputFactory makeOutput_;
    Notify notify_;
    Buffering buffering_;
    bool frameAligned_ = false;
    SteadyNow now_;
    double tempo_ = 1.0;
    std::unique_ptr<soundtouch::SoundTouch> stretch_; // only while the tempo is not 1
    std::vector<float> stretchBuf_;
    bool flushed_ = false;   // the stretcher was told that the song has ended

    std::unique_ptr<Decoder> decoder_;
    std::unique_ptr<AudioOutput> output_;
    bool fellBack_ = false;
    TransportState state_ = TransportState::Stopped;

    qint64 base_ = 0;        // song position of the output stream's first frame
    qint64 queued_ = 0;      // frames of the song's audio written to the output stream
    qint64 fed_ = 0;         // song frames taken from the decoder since base_
    qint64 padded_ = 0;      // silent frames written after the song's end
    bool outputStarted_ = false;
    bool restartOnResume_ = false; // a seek while paused dropped the queued audio
    std::vector<qint16> pcm_;
    qint64 carryFrames_ = 0; // frames at the front of pcm_ not yet taken by the output
    qint64 carryOffset_ = 0;
    qint64 lastSecond_ = -1;

    mutable std::mutex mutex_;
    PlayPosition published_;
};

} // namespace playback
