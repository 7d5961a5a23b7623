#pragma once
// FormSongInfo (曲情報): shows and edits the tags of one song file — the ID3v1 fields of an
// MP3, or the INFO values of an RMP — and converts between the two kinds. The fields,
// genre numbers and the stream line come from songfiles/songinfo.h; reading and writing
// from songfiles/songtags.h; conversion from the engine's file calls.
//
// Modes: 0 the file cannot be read (only キャンセル works), 1 MP3, 2 RMP.
//
// Every rewrite holds the song's lock from the check that the file is still the one that
// was read until the last write, asks before a file with several names (hard links)
// loses them, and reports a failure in words; a file that was read only in part cannot be
// written (what could not be read would be lost).

#include "browser/gui/workbench.h"
#include "songfiles/mpeginfo.h"
#include "songfiles/songinfo.h"
#include "songfiles/songtags.h"
#include "common/atomicfile.h"

#include <QDialog>
#include <QString>
#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace playback {
class Vbmp3Files;
}

namespace browser {

/// What became of the song when the editor closed.
struct SongInfoOutcome {
    bool changed = false; // the file was rewritten or converted
    QString path;         // its path afterwards (an RMP converted to MP3 may now end in ".mp3")
};

class FormSongInfo : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Unreadable = 0, Mp3 = 1, Rmp = 2 };

    FormSongInfo(const Workbench& bench, const QString& path, QWidget* parent = nullptr);
    ~FormSongInfo() override;

    /// Shows the editor for `path` modally, centred over `parent`.
    static SongInfoOutcome Open(const Workbench& bench, const QString& path, QWidget* parent);

    Mode mode() const { return mode_; }
    const SongInfoOutcome& outcome() const { return outcome_; }

    void ComWrite_Click();
    void ComRMP_Click();
    void ComMP3_Click();
    void ComCancel_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    /// The lock and the consent to break hard links, held while the song is rewritten.
    struct Guard {
        common::FileLock lock;
        std::optional<common::AllowBreakingLinks> breakLinks;
    };
    enum class GuardResult { Ok, Cancelled, Refused };

    void buildControls();
    void buildHeader(QVBoxLayout* layout);
    QGridLayout* buildFields();
    QHBoxLayout* buildButtons();
    void fillGenreLists();
    bool load();
    void applyMode(Mode mode);
    void showFields(const songfiles::SongInfoFields& fields);
    songfiles::SongInfoFields boxFields() const;
    /// The lyrics box's text as lyrics (CR LF line breaks), and whether the user changed it.
    QString lyricsBoxText() const;
    bool lyricsEdited() const;
    void updatePathLabel();
    /// Checks that the song may be rewritten and locks it; asks about hard links.
    GuardResult guard(Guard& g, QString* why);
    /// Writes the boxes into the song (the write step of 書き換え and of the conversions).
    bool write(QString* why);
    void convert(bool toRmp);
    void renameToMp3();
    void warn(const char* text, const QString& why);
    playback::Vbmp3Files& files();

    Workbench bench_;
    QString path_;
    Mode mode_ = Mode::Unreadable;
    bool isRmp_ = false;
    bool hasLyrics3_ = false;
    bool readComplete_ = false;
    songfiles::SongTags tags_;
    songfiles::MpegInfo mpeg_;
    QString lyrics_; // the lyrics the write keeps (the Lyrics3 LYR text)
    std::optional<common::FileIdentity> loaded_;
    SongInfoOutcome outcome_;
    std::unique_ptr<playback::Vbmp3Files> ownFiles_;

    std::array<QLabel*, songfiles::kSongInfoFieldCount> labels_{};
    std::array<QLineEdit*, songfiles::kSongInfoFieldCount> boxes_{}; // null for the lyrics
    QPlainTextEdit* txtLyrics_ = nullptr;
    QComboBox* comboGenre_ = nullptr;
    QListWidget* list1_ = nullptr;
    QLabel* lblFullPath_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QLabel* lblTest_ = nullptr;
    QPushButton* comWrite_ = nullptr;
    QPushButton* comRmp_ = nullptr;
    QPushButton* comMp3_ = nullptr;
    QPushButton* comCancel_ = nullptr;
};

} // namespace browser
