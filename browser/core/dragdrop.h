#pragma once
// Dragging rows out of a file list and dropping files onto a row: which paths a drag
// carries, and which entries of the drop menu may run for a dropped file and its target.

#include <QString>
#include <QStringList>

namespace browser {

class FilePane;

/// The lower-case extension of a path: the text after its last "." (empty without one).
QString DropExtension(const QString& path);

/// The entries of the drop menu (mnDropFile) that may run.
struct DropMenuState {
    bool rename = true;   // "リネーム": the target is renamed after the dropped file
    bool play = false;    // "演奏": the song is played with the dropped lyrics
    bool embed = false;   // "埋め込み": the dropped lyrics are embedded in the song
    bool correct = false; // "補正": the lyrics are corrected against the dropped song
    bool adjust = false;  // "演奏合わせ": play-along adjustment against the dropped song
    bool cancel = true;   // "キャンセル"
    bool operator==(const DropMenuState&) const = default;
};

/// Lyrics dropped onto a song may be played or embedded; a song dropped onto lyrics
/// may correct or adjust them; any drop may rename its target.
DropMenuState DropMenuFor(const QString& droppedPath, const QString& targetPath);

/// The paths a drag of `row` carries: that row's, and with `withChecked` every checked
/// row's after it in list order, each path once.
QStringList DragPaths(const FilePane& pane, int row, bool withChecked);

} // namespace browser
