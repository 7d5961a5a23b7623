#pragma once
// The folder a pane opens on at start, and what exit writes back for it.
//
// A stored folder that is gone (an unplugged disk, a deleted folder) is not replaced by
// whatever the folder tree happens to show: the pane opens on the nearest folder above
// it that can be listed, or on the home folder, and exit keeps the stored folder as long
// as the user has not moved the pane elsewhere, so the folder comes back once it exists
// again.

#include <QString>

namespace browser {

struct StartFolder {
    QString stored; // the setting's value (or the program's start folder)
    QString shown;  // the folder the pane opens on

    /// What exit writes for a pane that shows `current` now.
    QString toStore(const QString& current) const;
};

/// The folder itself when it can be listed; else its nearest listable parent; else `home`.
/// A path that is not absolute (a folder written on another system) goes to `home`.
QString NearestListableFolder(const QString& path, const QString& home);

StartFolder ChooseStartFolder(const QString& stored, const QString& home);

} // namespace browser
