#pragma once
// The MP3 engine: the calls the workbench makes to play a song and time its lyrics.
//
// One Engine object serves the whole program: the calls on song files (Vbmp3Files) and
// the playback and lyric-timing calls here. Its calls are made from the thread that
// created it (the window thread, or the main thread of `mwex play`); decoding and audio
// output run on a worker thread of the engine. Notifications (1 stopped, 2 position in
// seconds, 3 paused, 4 finished) are delivered on the creating thread, through the
// procedure given to vbmp3_callback and the `notified` signal, from its event loop. At
// the end of a song the engine reports 4 alone (so a "DONE" shown for it stays) and
// stands stopped at position 0; 1 follows only a stop that was asked for.
//
// Calls answer like the library they stand for: non-zero for success, 0 for failure;
// after a failed vbmp3_open, vbmp3_getLastErrorNo tells why (see EngineError).

#include "playback/audiooutput.h"
#include "playback/decoder.h"
#include "playback/lyrictiming.h"
#include "playback/transport.h"
#include "playback/vbmp3_files.h"
#include "songfiles/mpeginfo.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>

namespace playback {

/// Numbers reported by vbmp3_getLastErrorNo.
enum EngineError : int {
    kErrNone = 0,
    kErrCannotRead = 1, ///< the song file is missing or cannot be read
    kErrNotMpeg = 2,    ///< not an MP3 or RMP file, or no MPEG stream in it
    kErrNoAudio = 3,    ///< no MPEG audio frame could be decoded
    kErrDecoder = 4,    ///< the decoder library failed
    kErrNotOpen = 5,    ///< a transport call without an opened song
};

/// The engine's version for the about box: 100 is "1.00".
constexpr int kEngineVersion = 100;
/// A version number of vbmp3_getVersion as the about box shows it: 100 → "1.00".
QString EngineVersionText(int version);

class Engine : public QObject, public Vbmp3Files {
    Q_OBJECT
public:
    using NotifyProc = std::function<void(int message, int value)>;

    /// `output` makes the audio output on the worker thread; by default the default
    /// audio device, or the silent output when there is none.
    explicit Engine(OutputFactory output = DeviceOutputFactory(), QObject* parent = nullptr);
    ~Engine() override;

    // Start-up and shutdown.
    int vbmp3_init();
    int vbmp3_callback(NotifyProc proc);
    int vbmp3_stopCallback();
    int vbmp3_free();
    int vbmp3_getVersion() const { return kEngineVersion; }

    // Settings.
    /// 1: karaoke segments inside lines; 0: lines only.
    int vbmp3_setKaraokeUse(int on);
    /// How long before its first tag a line becomes current (ms).
    int vbmp3_setLyricsNextAdjustTime(int ms);
    /// 1: seeks land on the start of an MPEG frame; 0: on the exact sample.
    int vbmp3_quickSeek(int on);
    /// 0: "@" lines are ordinary lines; 1: hidden; 2: hidden and "@Offset=" applied.
    int vbmp3_useAtMarkTag(int mode);
    /// Buffering for the next start: the output buffer in 10 ms units, the refill
    /// threshold in 10 ms units, the worker's pump interval in ms, and a reserved 0.
    int vbmp3_setVbmp3Option(int bufferUnits, int refillUnits, int periodMs, int reserved);

    // Lyrics.
    /// 1: vbmp3_open takes the song's embedded lyrics when no other lyrics are set.
    int vbmp3_setLyrics3Use(int on);
    int vbmp3_clearLyrics();
    /// Reads a lyrics file (CP932 or UTF-8) for timing; 0 when it cannot be read.
    int vbmp3_setLyricsFile(const QString& path);
    /// Takes the lyrics embedded in the opened song; 0 when it has none.
    int vbmp3_readLyrics3Data();
    /// 0: the tags are in WinAmp time; 1: in standard time.
    int vbmp3_setLyricsTime(int base);
    /// Fills `state` for the current position; 0 when no lyrics are set.
    int vbmp3_getLyrics2(LyricState* state);

    // Transport.
    /// Opens a song; fills `info` (may be null) with what the engine plays: version,
    /// layer, channel mode, bit rate (0 for VBR) and sample rate of the first frame, the
    /// frame count and the decoded length (`playSeconds` in whole seconds). 0 on
    /// failure (see vbmp3_getLastErrorNo).
    int vbmp3_open(const QString& path, songfiles::MpegInfo* info);
    int vbmp3_getLastErrorNo() const { return lastError_; }
    int vbmp3_play();
    int vbmp3_pause();
    int vbmp3_restart();
    int vbmp3_stop();
    int vbmp3_close();
    /// 0 stopped, 1 playing, 2 paused; `seconds` (may be null) gets the position.
    int vbmp3_getState(int* seconds);
    /// Moves to `seconds`; from stopped, playback resumes there.
    int vbmp3_seek(int seconds);
    int vbmp3_getWinampPlayMs();
    int vbmp3_getWinampTotalSec() const;
    /// Sample frames played since the start of the song.
    qint64 vbmp3_getPlaySamples();

    // Beyond the library's calls.
    /// Moves to a sample position (the precise form of vbmp3_seek).
    int SeekSamples(qint64 sample);
    /// Plays slowed (0.5, 0.75) or at full speed (1) with the pitch kept; positions,
    /// lyric timing and notifications stay in song time. Takes effect at once while
    /// playing, and holds for later songs too.
    int SetTempo(double tempo);
    double Tempo() const { return tempo_; }
    /// The time source of position read-outs (empty: the steady clock). Set it before
    /// the first call that starts the engine; the silent output takes its own.
    void SetClock(SteadyNow now) { now_ = std::move(now); }
    bool IsOpen() const { return sampleRate_ > 0; }
    /// What the decoder found in the opened song.
    const StreamFacts& Facts() const { return facts_; }
    int SampleRate() const { return sampleRate_; }
    qint64 LengthSamples() const { return lengthSamples_; }
    double WinAmpRatio() const { return ratio_; }
    /// Whether the output in use makes sound (false for the silent output).
    bool Audible();
    /// Whether the output failed or was missing and the silent output took over.
    bool FellBack();
    /// Why the last vbmp3_open failed, in words.
    QString LastErrorText() const { return lastErrorText_; }

Q_SIGNALS:
    void notified(int message, int value);

private:
    class Worker;

    void EnsureWorker();
    int RunTransport(const std::function<bool(playback::Transport&)>& call);
    static double RatioForRate(int sampleRate);
    void RunOnWorker(const std::function<void()>& task);
    void Deliver(int message, int value);
    void SetLyricsText(const QString& text);
    void ForgetSong();
    qint64 StandardToWinAmpMs(qint64 samples) const;

    OutputFactory makeOutput_;
    QThread thread_;
    Worker* worker_ = nullptr;
    NotifyProc callback_;

    Buffering buffering_;
    bool frameAligned_ = false;
    double tempo_ = 1.0;
    SteadyNow now_;
    bool lyrics3Use_ = false;
    LyricTimer lyrics_;
    bool lyricsFromSong_ = false; // the lyrics came from the song and go with it

    QString songPath_;
    StreamFacts facts_;
    int sampleRate_ = 0;
    qint64 lengthSamples_ = 0;
    double ratio_ = 1.0;
    int lastError_ = kErrNone;
    QString lastErrorText_;

    // Extrapolation between the worker's position updates; never goes backwards.
    quint64 lastGeneration_ = 0;
    qint64 lastReported_ = 0;
};

} // namespace playback
