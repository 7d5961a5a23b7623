#pragma once
// The player strip of the main window without its widgets: transport buttons, seek bar,
// the five lyric lines with the karaoke highlight, the pause blink and the time label.
//
// The window owns the widgets and the timers. It forwards the button presses, the seek
// bar's changes, the ticks of its 50 ms lyrics timer and 500 ms pause timer and the
// engine's notifications here, then paints View(): label texts, the highlight width,
// the seek bar's range and step, which picture the play button shows and which timers
// run. Widths are measured by the window (a function handed in), so the model works
// in the window's own units.

#include "playback/engine.h"

#include <QString>
#include <array>
#include <functional>

namespace playback {

/// What the strip shows; the window copies it into its controls after every call.
struct StripView {
    std::array<QString, 5> lines;   ///< lblLyrics 0-4: two lines back, two ahead (see LyricsTick)
    QString current;                ///< lblLyrics 5: the current line, drawn as the highlight
    int highlightWidth = 0;         ///< width of lblLyrics 5 in the window's units
    QString time = QStringLiteral("---"); ///< lblTime
    int seekMaximum = 0;            ///< scSeek range 0…maximum (seconds)
    int seekValue = 0;
    int largeStep = 1;
    bool pausePicture = false;      ///< ComPlayPause shows "Pause" (else "Play")
    bool lyricsTimer = false;       ///< TimerLyrics runs
    bool pauseTimer = false;        ///< TimerPause runs
    bool panesEnabled = true;       ///< the rest of the window (EnablePanes)
    bool focusStop = false;         ///< focus on ComStop (else ComPlayPause)
};

class PlayerStrip {
public:
    /// Width of a text as the window's highlight label would draw it.
    using Measure = std::function<int(const QString& text)>;

    PlayerStrip(Engine& engine, Measure measure);

    /// The seek bar's large step for a song of `seconds`: below 11 s 1; from 51 s the
    /// length / 50, else / 10, rounded to the nearest integer (halves to even).
    static int LargeStep(int seconds);
    /// "mm:ss", at least two digits each: 65 → "01:05".
    static QString PositionText(int seconds);
    /// The press-and-hold interval on list rows for the setting FukaLyrics (0, 1, 2).
    static int PressHoldIntervalMs(int fukaLyrics);
    /// The engine's pump interval for the setting FukaInputSleep (0, 1, 2).
    static int PumpIntervalMs(int fukaInputSleep);

    // What the window hands in.
    /// The song of the selected row; the strip is "loaded" (not opened yet).
    void SetSong(const QString& path);
    const QString& Song() const { return song_; }
    void SetInputSleep(int fukaInputSleep) { inputSleep_ = fukaInputSleep; }
    /// Tells the engine which lyrics to time (the window's lyric-source menu).
    void SetApplyLyricSource(std::function<void()> apply) { applyLyricSource_ = std::move(apply); }
    /// Enables or disables the rest of the window (EnablePanes with rebuilding).
    void SetEnablePanes(std::function<void(bool)> enable) { enablePanes_ = std::move(enable); }

    enum class PlayResult { Paused, Resumed, Started, OpenFailed, NoSong };
    /// The Play/Pause button. On OpenFailed, OpenErrorText() is the message to show.
    PlayResult PlayPause();
    /// "ErrNo : N Open Error" for the last failed open.
    const QString& OpenErrorText() const { return openError_; }
    void Stop();
    /// The seek bar moved to `value` (seconds); true when it sought.
    bool SeekBarChanged(int value);
    /// TimerLyrics (every 50 ms).
    void LyricsTick();
    /// TimerPause (every 500 ms).
    void PauseTick();
    /// The engine's notification (1 stopped, 2 position, 3 paused, 4 finished).
    void Notify(int message, int value);
    /// Back to the empty strip (no song).
    void Clear();

    /// Slowed playback (0.5, 0.75, 1); positions and lyrics stay in song time.
    void SetTempo(double tempo) { engine_.SetTempo(tempo); }

    const StripView& View() const { return view_; }
    bool Opened() const { return opened_; }
    /// The song must be opened again by the next Play (someone else used the engine).
    void ForgetOpened() { opened_ = false; }

private:
    int Poll();
    void SetEngineOptions();
    void ApplyLyricSource();
    void EnablePanes(bool on);
    void UpdateFocus();

    Engine& engine_;
    Measure measure_;
    std::function<void()> applyLyricSource_;
    std::function<void(bool)> enablePanes_;
    StripView view_;
    QString song_;
    QString openError_;
    int inputSleep_ = 0;
    bool opened_ = false;
    bool stoppedByUser_ = false;
    int lastPosition_ = 0;
    int pauseBlink_ = 0;
};

} // namespace playback
