#include "browser/gui/tagcommands/panetransform.h"

#include "browser/gui/formmain.h"

namespace browser {

int RowOfFile(FormMain& window, int pane, const QString& fullPath)
{
    if (pane < 0 || pane > 1 || fullPath.isEmpty())
        return -1;
    const FilePane& p = window.pane(pane);
    for (int row = 0; row < p.rowCount(); ++row)
        if (p.row(row).fullPath() == fullPath)
            return row;
    return -1;
}

PaneTransformResult RunOnPane(FormMain& window, const PaneTransformFn& transform, bool saveWhenHeld)
{
    PaneTransformResult result;
    window.setBusy(true);
    const QString before = window.lyricsText();
    const bool hold = !window.inEditMode();
    if (hold) {
        window.setEditByCommand(true);
        window.setEditMode(true);
        if (!window.inEditMode()) {
            window.setEditByCommand(false);
            window.setBusy(false);
            return result;
        }
    }

    QString text = before;
    result.status = transform(text);
    bool keepEditing = false;
    if (result.status == TransformStatus::Done && text != before) {
        window.setLyricsText(text);
        result.changed = true;
        if (hold && saveWhenHeld) {
            window.SaveLyrics();
            result.saved = true;
            const int row = RowOfFile(window, window.currentPane(), window.currentFile());
            if (row >= 0)
                window.RefreshRow(window.currentPane(), row);
        }
    }
    if (hold) {
        // A save that failed has told the user; the text stays in edit mode, unsaved.
        keepEditing = result.changed && saveWhenHeld && window.hasUnsavedLyrics();
        if (!keepEditing)
            window.setEditMode(false);
        window.setEditByCommand(false);
    }
    if (keepEditing)
        result.saved = false;
    window.setBusy(false);
    return result;
}

} // namespace browser
