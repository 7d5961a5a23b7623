#pragma once
// FormQuickListEdit ("クイックリストの編集"): reorders and removes the quick-access
// folders. `List1`, `ComUp` "↑", `ComDown` "↓", `ComDel` "削除", `ComOK`, `ComCancel`, and
// the status bar `SB`. Works on its own copy; OK hands the rows back in their order.

#include "browser/fileops/quicklist.h"

#include <QDialog>

class QListWidget;

namespace browser {

class FormQuickListEdit : public QDialog {
    Q_OBJECT
public:
    explicit FormQuickListEdit(const QStringList& folders, QWidget* parent = nullptr);

    /// The rows in their order.
    QStringList folders() const { return list_.folders(); }

    void up();
    void down();
    void remove();

private:
    void fill(int selected);

    fileops::QuickAccessList list_;
    QListWidget* list1_ = nullptr;
};

} // namespace browser
