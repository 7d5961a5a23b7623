#pragma once
// The quick-access pop-up of the panes (`z_mnQuick`, "QuickPopup"): the favourite folders
// (`mnQuickList1` …, each entry's data is its path; entry 0 is a hidden placeholder), the
// separator `z_mnQuickSep` shown only while there are entries, "このフォルダを追加",
// "クイックアクセスの編集", and the "same folder as the other pane" entry `mnQuickSame`.
// The list is kept in the settings ("Init" / "QuickListMax", "QuickList1" …).

#include "browser/fileops/quicklist.h"

#include <QObject>

class QAction;
class QMenu;
class QPoint;

namespace browser {

class FormMain;
class SettingsStore;

class QuickAccessMenu : public QObject {
    Q_OBJECT
public:
    explicit QuickAccessMenu(FormMain& window);

    QMenu* menu() const { return menu_; }
    const fileops::QuickAccessList& list() const { return list_; }
    QStringList folders() const { return list_.folders(); }

    void load(const SettingsStore& store);
    void store(SettingsStore& store) const;

    /// Opens the pop-up for pane `pane` below its button (`ComQuick` + pane).
    void Popup(int pane);
    /// Prepares the pop-up for pane `pane` (active pane, separator, "same" caption).
    void Prepare(int pane);
    /// Entry k (1 … n): the active pane goes to its folder, or stays where it was.
    void ChooseEntry(int k);
    /// "このフォルダを追加": the active pane's folder joins the list unless it is there.
    void AddCurrentFolder();
    /// "右と同じフォルダを選択" / "左と…": the active pane goes to the other pane's folder.
    void SameFolder();
    /// "クイックアクセスの編集": FormQuickListEdit, when the list has entries.
    void Edit();
    /// Replaces the whole list (the editor's OK).
    void setFolders(const QStringList& folders);

private:
    void rebuild();
    void goTo(const QString& folder);

    FormMain& window_;
    fileops::QuickAccessList list_;
    QMenu* menu_ = nullptr;
    QAction* sep_ = nullptr;
    QAction* same_ = nullptr;
    QAction* edit_ = nullptr;
    QList<QAction*> entries_;
};

} // namespace browser
