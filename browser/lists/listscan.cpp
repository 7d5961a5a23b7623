#include "browser/lists/listscan.h"

#include "browser/core/filepane.h"
#include "browser/core/scan.h"

namespace browser::lists {

std::vector<FileRow> ScanFolderRows(const ListScanRequest& request, const DetailsProvider& provider)
{
    FilePane pane(0);
    FilePane other(1);
    pane.mode = request.mode;
    other.mode = request.mode == PaneMode::Lyrics ? PaneMode::Song : PaneMode::Lyrics;
    ScanRequest scan;
    scan.folder = WithTrailingSeparator(request.folder);
    scan.mode = request.mode;
    scan.subFolders = request.subFolders;
    scan.autoLoad = true;
    scan.userWinAmpTime = request.userWinAmpTime;
    PaneScan run(pane, other, provider, scan);
    run.exec();
    return pane.rows();
}

} // namespace browser::lists
