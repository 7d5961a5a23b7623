#pragma once
// FormPlayAdjust ("タイムタグの微調整（演奏合わせ）"): re-times every tag of a lyrics text
// by ear. The user picks a first and a last reference line, plays the song (slowed if
// wished), presses "入力" the moment each is sung, and "適用" maps every tag linearly so
// that the two reference tags land on the captured moments. The rules live in
// playback::PlayAlong; this dialog drives the engine and paints.
//
// RunPlayAlong opens the song, writes the working lyrics into a private work file that
// the engine displays, shows the dialog, and always closes the song and removes the
// work file again.

#include "playback/playalong.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStatusBar;
class QTemporaryFile;
class QTimer;
class QVBoxLayout;
class QWidget;

namespace playback {
class Engine;
class EnvelopeJob;
class PlayerStrip;
}

namespace browser {

class LyricLinesView;
class Prompter;
class SettingsStore;
class WaveformView;
struct Options;

/// What one adjustment run needs from the window.
struct PlayAlongContext {
    playback::Engine* engine = nullptr;
    SettingsStore* settings = nullptr;
    Prompter* prompter = nullptr;
    const Options* options = nullptr;
    /// The dialog is centred over it and parented to it.
    QWidget* mainWindow = nullptr;
    /// Folder of the work file; empty: the system's temporary folder.
    QString workFolder;
};

/// The adjustment of `text` (the lyrics of `lyricsPath`) against `songPath`. True when
/// it was accepted: `text` is then the rescaled text with a new correction block.
bool RunPlayAlong(const PlayAlongContext& context, QString& text, const QString& lyricsPath, const QString& songPath);

class FormPlayAdjust : public QDialog {
    Q_OBJECT
public:
    /// `songSeconds` and `sampleRate` are those the engine reported when it opened the song.
    FormPlayAdjust(const PlayAlongContext& context, playback::PlayAlong& model, QTemporaryFile& workFile,
                   const QString& lyricsPath, const QString& songPath, int songSeconds, int sampleRate);
    ~FormPlayAdjust() override;

    /// The accepted text ("適用" succeeded).
    const QString& resultText() const { return result_; }

    static QString Caption();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Reference {
        QScrollBar* vs = nullptr;
        QLabel* lineNumber = nullptr;
        QWidget* lyrics = nullptr;
        QList<QLabel*> markers;
        QLabel* org = nullptr;
        QLineEdit* newTime = nullptr;
        QPushButton* input = nullptr;
        QPushButton* jump = nullptr;
    };

    void build();
    QHBoxLayout* buildTransport();
    void buildTimeType(QHBoxLayout* controls);
    void buildTimeRag(QHBoxLayout* controls);
    void buildBottom(QVBoxLayout* top);
    void buildTimers();
    QWidget* buildReference(int r, const QString& title);
    void loadState();
    void showLine(int r);
    void showTagSelection(int r);
    void showNewTimes();
    void updateMarkers();
    void lineScrolled(int r, int value);
    void selectTag(int r, int k);
    void capture(int r);
    void jump(int r);
    void transport(int index);
    void play();
    void stopPlaying();
    void setPreview(bool on);
    void previewTick();
    void waveTick();
    void seekToMs(qint64 ms);
    void timeTypeChosen(int index);
    void timeRagEdited();
    void accept() override;
    bool writeWorkFile(const QString& text);
    qint64 tagToSongMs(int tagMs) const;
    int positionSeconds();

    PlayAlongContext context_;
    playback::PlayAlong& model_;
    QTemporaryFile& workFile_;
    playback::Engine& engine_;
    QString lyricsPath_;
    QString songPath_;
    int songSeconds_ = 0;
    int sampleRate_ = 0;
    double oldTempo_ = 1.0;
    bool loading_ = true;
    bool preview_ = false;
    QString result_;

    std::array<Reference, 2> refs_;
    std::array<QPushButton*, 4> comPlay_{};
    std::array<QRadioButton*, 2> optTimeType_{};
    QLineEdit* txtTimeRag_ = nullptr;
    QCheckBox* chkPreview_ = nullptr;
    QLabel* lblTime_ = nullptr;
    QComboBox* cboSpeed_ = nullptr;
    LyricLinesView* lines_ = nullptr;
    WaveformView* wave_ = nullptr;
    QStatusBar* sb_ = nullptr;
    std::array<QLabel*, 2> sbPanels_{};
    QPushButton* comOK_ = nullptr;
    QPushButton* conCancel_ = nullptr;
    QTimer* timer2_ = nullptr;
    QTimer* timerWave_ = nullptr;
    std::unique_ptr<playback::PlayerStrip> preview_lines_;
    playback::EnvelopeJob* envelope_ = nullptr;
};

} // namespace browser
