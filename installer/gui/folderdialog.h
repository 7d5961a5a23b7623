#pragma once
// TFolderDialog: the system folder browser as a component with a title, browse options
// and the chosen folder.

#include "installer/gui/prompter.h"

#include <QString>

class QWidget;

namespace installer {

class TFolderDialog {
public:
    explicit TFolderDialog(FolderChooser* chooser = nullptr) : chooser_(chooser) {}
    void setChooser(FolderChooser* chooser) { chooser_ = chooser; }

    QString Title;
    FolderBrowseOptions Options = FolderBrowseOption::ReturnOnlyFsDirs;
    /// The chosen folder after a successful Execute; where browsing starts before it.
    QString Directory;

    /// Shows the browser owned by `owner`. True when a folder was chosen (then it is in
    /// Directory); false when the user cancelled or no chooser is set.
    bool Execute(QWidget* owner);

private:
    FolderChooser* chooser_;
};

} // namespace installer
