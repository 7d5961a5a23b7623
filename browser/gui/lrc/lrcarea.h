#pragma once
// LRC files in the lyrics pane.
//
// When the shown lyrics file holds LRC tags ("[01:23.45]", "<01:23.45>") and none of the
// program's own, a bar above the text says so and offers "LRC形式から変換": the converted
// text goes into the pane in edit mode and reaches the file only when the user saves.
// A file that mixes both kinds gets an explanation and no offer. The command "LrcExport"
// ("LRC形式で保存…") writes the shown text as a .lrc file, atomically.

#include <QFrame>
#include <QString>

class QLabel;
class QToolButton;

namespace browser {

class CommandRegistry;
class FormMain;
struct Workbench;

class LrcArea : public QFrame {
    Q_OBJECT
public:
    /// Puts its bar into the lyrics pane ("FrameLyrics") of `window`.
    LrcArea(FormMain& window, Workbench& bench);

    void registerCommands(CommandRegistry& commands);

    /// Looks at the shown text again: offer, explanation or nothing.
    void refresh();
    /// "LRC形式から変換": the shown LRC text, converted, into the pane in edit mode.
    void convert();
    /// "LRC形式で保存…".
    void exportShown();

    QString statusText() const;

private:
    void present(const QString& status, bool offer);
    /// The time ratio of the song paired with the shown file in the other pane, if any
    /// (its name in `songName`).
    bool pairedSongRatio(double& ratio, QString& songName) const;

    FormMain& window_;
    Workbench& bench_;
    QLabel* status_ = nullptr;
    QToolButton* import_ = nullptr;
};

} // namespace browser
