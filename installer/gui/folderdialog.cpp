#include "installer/gui/folderdialog.h"

namespace installer {

bool TFolderDialog::Execute(QWidget* owner)
{
    if (!chooser_)
        return false;
    const std::optional<QString> chosen = chooser_->chooseFolder(owner, Title, Directory, Options);
    if (!chosen || chosen->isEmpty())
        return false;
    Directory = *chosen;
    return true;
}

} // namespace installer
