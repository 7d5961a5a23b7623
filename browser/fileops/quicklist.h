#pragma once
// The quick-access folder list ("クイックアクセス"): favourite folders in list order,
// kept in the settings ("Init" / "QuickListMax" and "QuickList1" …), shown in the panes'
// pop-up menus and in the destination-folder dialog, and edited in FormQuickListEdit.
//
// An entry's path is its data; the menu caption is derived from it with "&" doubled so
// that a folder named "A&B" shows as "A&B" and never loses its "&" on the way back.

#include "browser/core/settingsstore.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace fileops {

struct QuickEntry {
    QString caption; // menu text ("&" escaped)
    QString path;    // the folder
};

class QuickAccessList {
public:
    QuickAccessList() = default;
    explicit QuickAccessList(QStringList folders) : folders_(std::move(folders)) {}

    /// Reads "QuickListMax" entries; empty ones are dropped.
    void load(const browser::SettingsStore& store);
    /// Writes "QuickListMax" and "QuickList1" … "QuickList" n.
    void store(browser::SettingsStore& store) const;

    const QStringList& folders() const { return folders_; }
    int count() const { return int(folders_.size()); }
    bool isEmpty() const { return folders_.isEmpty(); }
    /// The separator under the entries is shown only while there are entries, and the
    /// editor opens only then.
    bool separatorVisible() const { return !isEmpty(); }
    bool canEdit() const { return !isEmpty(); }

    /// Adds `folder` unless an entry has exactly that text (letter case counts).
    bool add(const QString& folder);

    // The editor's buttons on its own copy; each returns the row selected afterwards
    // (−1 for none). An out-of-range or impossible move keeps the selection.
    int moveUp(int row);
    int moveDown(int row);
    int remove(int row);

    /// The menu entries in list order.
    QList<QuickEntry> menuEntries() const;

private:
    QStringList folders_;
};

/// A folder path as a menu caption: "&" doubled so that it is shown literally.
QString MenuCaption(const QString& path);
/// The pop-up's "same folder" entry for pane 0 ("右と同じフォルダを選択") or 1 ("左と…").
QString SameFolderCaption(int pane);
/// The editor's status bar text.
QString QuickListEditStatus();

/// Where a pane ends up after choosing a quick-access folder (or the other pane's one):
/// the chosen folder when it can be entered, else the folder it was on.
struct QuickChoice {
    QString folder;
    bool moved = false;
};
QuickChoice ChooseQuickFolder(const QString& wanted, const QString& current,
                              const std::function<bool(const QString&)>& accessible = {});

} // namespace fileops
