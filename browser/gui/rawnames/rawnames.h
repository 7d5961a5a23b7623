#pragma once
// Files whose names are not UTF-8 (Shift_JIS names from old Windows archives): the
// commands that rename them to UTF-8 after a preview.
//
// "RenameRawName" renames the selected row's file, "RenameRawNames" every such file in
// the selected row's folder (songs and lyrics alike). Both show FormRawRename first,
// never overwrite a file, and update the rows of both panes that showed the old names.
// The row menu carries both entries while the list holds such names.

#include "browser/fileops/rawrename.h"

#include <QObject>
#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace browser {

class CommandRegistry;
class FormMain;
struct Workbench;

class RawNames : public QObject {
    Q_OBJECT
public:
    RawNames(FormMain& window, Workbench& bench, QObject* parent = nullptr);

    void registerCommands(CommandRegistry& commands);
    /// Puts the two entries into the row menu `menu`, in front of `before`.
    void attachRowMenu(QMenu* menu, QAction* before);

    void renameSelected();
    void renameAllInFolder();

    /// Shows the preview and answers whether to go ahead; unset: FormRawRename.
    std::function<bool(const std::vector<fileops::RawRename>& plan)> confirm;

private:
    /// The selected row of the active file list when its name is not UTF-8, else -1.
    int selectedRawRow() const;
    bool activeListHasRawNames() const;
    void run(const std::vector<fileops::RawRename>& plan);

    FormMain& window_;
    Workbench& bench_;
};

} // namespace browser
