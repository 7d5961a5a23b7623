#pragma once
// The file-operation commands of the main window: Copy, Move, Delete (to the trash or
// for good, by the toolbar's delete mode), the renames to the other pane's name, the
// manual rename and the rename of a row after a dropped file.
//
// An operation works on the active pane: every checked row plus the current row (the
// current row is checked while it runs and gets its old check state back afterwards,
// also after a cancel). The destination and overwrite questions go through the two
// dialogs (replaceable for tests), the work runs under OperationProgress, rows whose
// files are gone afterwards are removed, and every failure is reported in one message.

#include "browser/fileops/fileoperation.h"
#include "browser/gui/fileops/formselectfolder.h"

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

namespace browser {

class CommandRegistry;
class FilePane;
class FormMain;
struct Workbench;

class FileOperations : public QObject {
    Q_OBJECT
public:
    FileOperations(FormMain& window, Workbench& bench, QObject* parent = nullptr);
    ~FileOperations() override;

    /// "Copy", "Move", "Delete", "RenameLtoR", "RenameRtoL", "RenameManual".
    void registerCommands(CommandRegistry& commands);

    /// The window's one file-operation object (tests give it a fake trash).
    fileops::clsFileOperation& operation() { return op_; }

    void CopyFiles() { transfer(fileops::OperationKind::Copy); }
    void MoveFiles() { transfer(fileops::OperationKind::Move); }
    void DeleteFiles() { transfer(fileops::OperationKind::Delete); }
    /// The shared rename step: row `row` of `pane` takes the base of `newName`, keeping
    /// its own extension. True when the file was renamed.
    bool RenameRow(const QString& newName, int row, int pane);
    /// "RenameLtoR" (fromPane 0: the right file takes the left file's name) and
    /// "RenameRtoL" (fromPane 1).
    void RenameToPartner(int fromPane);
    void RenameManual();
    /// The drop menu's "リネーム": the row a file was dropped on takes the dropped file's name.
    void DropRename(int pane, int row, const QString& droppedPath);

    // Replaceable steps (tests answer them without dialogs).
    /// Chooses the destination folder; unset: FormSelectFolder.
    std::function<std::optional<QString>(const SelectFolderRequest& request)> chooseDestination;
    /// Asks before replacing an existing file; unset: FormAskCopy.
    std::function<bool(fileops::OverwriteQuestion& question)> askOverwrite;
    /// The quick-access folders offered by the destination dialog.
    std::function<QStringList()> quickFolders;
    /// Called with the files about to be moved, renamed or deleted, before anything
    /// changes: stops the player when it plays one of them.
    std::function<void(const QStringList& paths)> stopPlaybackOf;
    /// Delay before the progress window appears (ms).
    int progressDelayMs = 300;

private:
    void transfer(fileops::OperationKind kind);
    std::optional<fileops::TransferPlan> planTransfer(fileops::OperationKind kind, int paneIndex, const QStringList& sources);
    void removeGoneRows(FilePane& pane, std::vector<int> rows);
    bool listHasRows(int pane) const;
    /// Before `paths` change: unsaved edits of the shown lyrics are offered for saving,
    /// and the player lets go of them.
    void releaseFiles(const QStringList& paths);
    QString tagKindText(const QString& path) const;
    void reportFailures(const fileops::OperationResult& result);

    FormMain& window_;
    Workbench& bench_;
    fileops::clsFileOperation op_;
};

} // namespace browser
