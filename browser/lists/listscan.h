#pragma once
// A folder listed the way a pane lists it with "AutoLoad" on, without a window: the
// same walk, the same detail reads and cells, no check marks and no partner pane. The
// command line saves data files from it, so that a list saved there and the same folder
// saved from the window give the same bytes.

#include "browser/core/filerow.h"

#include <vector>

namespace browser {
class DetailsProvider;
}

namespace browser::lists {

struct ListScanRequest {
    QString folder;
    PaneMode mode = PaneMode::Lyrics;
    bool subFolders = false;
    bool userWinAmpTime = true; // the user's own time base (option "WinAmpTime")
};

/// The rows of the folder in list order. Runs an event loop until the scan has ended;
/// needs a QCoreApplication.
std::vector<FileRow> ScanFolderRows(const ListScanRequest& request, const DetailsProvider& provider);

} // namespace browser::lists
