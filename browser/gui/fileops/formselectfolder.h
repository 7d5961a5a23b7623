#pragma once
// FormSelectFolder ("フォルダの選択"): the destination folder of a copy or a move. A drive
// list `DRV`, a folder tree `FTV`, a status bar `SB` with the tree's current path, the
// quick-access pop-up `mnPopup` behind `ComQuick` (the main window's favourite folders and
// "反対側ウィンドウのフォルダ"), and `ComOK` / `ComCancel`. Its size is kept in the
// settings ("SelectFolder" / "Height", "Width").

#include "browser/core/drives.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTreeView;
class QVBoxLayout;

namespace browser {

class Prompter;
class SettingsStore;

struct SelectFolderRequest {
    bool move = false;        // caption and button: "移動先の" / "移動", else "コピー先の" / "コピー"
    QString startFolder;      // the pane's own folder
    QStringList quickFolders; // the quick-access list, in its order
    QString otherPaneFolder;  // "反対側ウィンドウのフォルダ"
};

class FormSelectFolder : public QDialog {
    Q_OBJECT
public:
    FormSelectFolder(const SelectFolderRequest& request, SettingsStore& settings, Prompter& prompter,
                     QWidget* parent = nullptr);
    ~FormSelectFolder() override;

    /// Shows the dialog modally; the chosen folder, or nullopt when cancelled.
    static std::optional<QString> Choose(const SelectFolderRequest& request, SettingsStore& settings,
                                         Prompter& prompter, QWidget* parent);

    /// The tree's current folder.
    QString currentFolder() const { return current_; }
    /// Moves the drive list and the tree to `path`; false (nothing changed) when it cannot
    /// be entered.
    bool moveTo(const QString& path);
    /// A choice in the drive list; an inaccessible drive is reported and the previous one kept.
    void driveChosen(int index);
    QMenu* quickMenu() const { return mnPopup_; }
    bool cancelled() const { return cancelled_; }

protected:
    void done(int result) override;

private:
    QToolButton* buildTop(QVBoxLayout* layout);
    void buildButtons(QVBoxLayout* layout, bool move, QPushButton** ok, QPushButton** cancel);
    void buildQuickMenu(const SelectFolderRequest& request, QToolButton* quick);
    void showPath();

    SettingsStore& settings_;
    Prompter& prompter_;
    QList<Drive> drives_;
    int driveIndex_ = -1;
    QString current_;
    bool cancelled_ = true;
    QComboBox* drv_ = nullptr;
    QTreeView* ftv_ = nullptr;
    QFileSystemModel* folders_ = nullptr;
    QStatusBar* sb_ = nullptr;
    QLabel* sbText_ = nullptr;
    QMenu* mnPopup_ = nullptr;
};

} // namespace browser
