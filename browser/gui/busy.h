#pragma once
// The window's busy state: a wait cursor while work runs, and the scan that Escape or
// closing the window asks to stop. Calls nest; the cursor comes back with the last end.

#include <QApplication>
#include <QPointer>

#include "browser/core/scan.h"

namespace browser {

class BusyState {
public:
    void begin()
    {
        if (count_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    void end()
    {
        if (count_ > 0 && --count_ == 0)
            QApplication::restoreOverrideCursor();
    }
    bool busy() const { return count_ > 0; }

    /// The scan running now, if any.
    PaneScan* scan() const { return scan_; }
    void setScan(PaneScan* scan) { scan_ = scan; }
    void stopScan()
    {
        if (scan_)
            scan_->requestStop();
    }

private:
    int count_ = 0;
    QPointer<PaneScan> scan_;
};

} // namespace browser
