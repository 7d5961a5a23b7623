#pragma once
// Running a text transform on the lyrics pane, shared by the correction and time-tag
// menus. Outside edit mode the command holds edit mode for the duration (keys are
// swallowed meanwhile), puts the new text, saves it, refreshes the file's row and leaves
// edit mode again; in the user's own edit mode the new text is only put into the pane,
// as an unsaved edit. Every way out re-enables the window and restores edit mode.

#include <QString>
#include <functional>

namespace browser {

class FormMain;

enum class TransformStatus { Done, Failed, Cancelled };

/// Works on the text (CR LF line breaks) in place; the text counts only with Done.
using PaneTransformFn = std::function<TransformStatus(QString& text)>;

struct PaneTransformResult {
    TransformStatus status = TransformStatus::Failed;
    bool changed = false; // the pane's text was replaced
    bool saved = false;   // … and written to its file
};

/// Runs `transform` on the shown lyrics. `saveWhenHeld`: save the result when the command
/// switched edit mode on itself.
PaneTransformResult RunOnPane(FormMain& window, const PaneTransformFn& transform, bool saveWhenHeld = true);

/// The row of a file in a pane, or -1.
int RowOfFile(FormMain& window, int pane, const QString& fullPath);

} // namespace browser
