#pragma once
// The drive list of the folder panes: the mounted volumes a user browses, root "/"
// first, then the user's home, then the other volumes in path order.

#include <QList>
#include <QString>

namespace browser {

struct Drive {
    QString root;  // mount point (or the home folder), without a trailing separator except "/"
    QString label; // text shown in the drive list
};

/// The mounted volumes worth browsing (no kernel or runtime file systems), "/" first and
/// the home folder second.
QList<Drive> ListDrives();
/// The drive whose root is the longest leading folder path of `path`, or −1.
int DriveIndexFor(const QList<Drive>& drives, const QString& path);

} // namespace browser
