#pragma once
// The controls of one file pane: the button frame (folder/file view, lyrics/song mode,
// filter, sub-folders, quick access), the title, the folder frame (drive list and
// folder tree) and the file frame (the list). Each control carries its pane's number
// in its objectName ("ListFile0", "OptWindowsRight1").

#include "browser/core/drives.h"

#include <QList>
#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QObject;
class QTableView;
class QToolButton;
class QTreeView;
class QWidget;

namespace browser {

class FileListModel;
class FilePane;

struct PaneWidgets {
    QWidget* frame = nullptr;
    QWidget* frameButtons = nullptr;
    std::array<QToolButton*, 2> viewButtons{}; // 0 folders, 1 files
    std::array<QToolButton*, 2> modeButtons{}; // 0 lyrics, 1 songs
    QButtonGroup* viewGroup = nullptr;
    QButtonGroup* modeGroup = nullptr;
    QCheckBox* filter = nullptr;
    QCheckBox* subFolder = nullptr;
    QToolButton* quick = nullptr;
    QLabel* title = nullptr;
    QWidget* frameFolder = nullptr;
    QComboBox* drives = nullptr;
    QTreeView* tree = nullptr;
    QFileSystemModel* folders = nullptr;
    QWidget* frameFile = nullptr;
    QTableView* list = nullptr;
    FileListModel* model = nullptr;
    QList<Drive> driveList;

    /// Builds the controls of pane `i` (0 left, 1 right) showing `pane`; models belong to `owner`.
    void build(int i, FilePane& pane, QObject* owner);

private:
    void buildButtons(int i);
    void buildFolder(int i, QObject* owner);
    void buildList(int i, FilePane& pane, QObject* owner);
};

} // namespace browser
