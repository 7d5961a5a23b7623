#pragma once
// The press on a list row, shared by both pane views: a press shows its row once it has
// been held for the press interval (timer "Timer1") or when it is released; a double
// click cancels it. Only one row can be pressed at a time, whichever pane it is in.

#include <QTimer>

namespace browser {

struct RowPress {
    QTimer* timer = nullptr; // "Timer1"
    int row = -1;
    int pane = -1;
    bool shift = false;
    bool doubleClicked = false;
    /// The pressed row is being shown now: presses meanwhile are ignored.
    bool handling = false;
    /// A pane selects a row without showing it (its partner, during a bulk refresh).
    bool selectingQuietly = false;
};

} // namespace browser
