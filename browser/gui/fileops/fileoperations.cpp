// The file-operation commands of the main window.
#include "browser/gui/fileops/fileoperations.h"

#include "browser/core/commandregistry.h"
#include "browser/core/details.h"
#include "browser/core/filepane.h"
#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "browser/fileops/renamerules.h"
#include "browser/gui/fileops/formaskcopy.h"
#include "browser/gui/fileops/operationprogress.h"
#include "browser/gui/formmain.h"
#include "browser/gui/workbench.h"
#include "common/utf8text.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>

namespace browser {
namespace {

using common::U;

// The hourglass for the span of one scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool Present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

int RowOfPath(const FilePane& pane, const QString& path)
{
    for (int i = 0; i < pane.rowCount(); ++i)
        if (pane.row(i).fullPath() == path)
            return i;
    return -1;
}

} // namespace

FileOperations::FileOperations(FormMain& window, Workbench& bench, QObject* parent)
    : QObject(parent)
    , window_(window)
    , bench_(bench)
{
    op_.setTarget(&window);
}

FileOperations::~FileOperations() = default;

void FileOperations::registerCommands(CommandRegistry& commands)
{
    const auto activeHasRows = [this] { return listHasRows(bench_.activePane()); };
    const auto bothHaveRows = [this] { return listHasRows(0) && listHasRows(1); };
    commands.add(QStringLiteral("Copy"), [this] { CopyFiles(); }, activeHasRows);
    commands.add(QStringLiteral("Move"), [this] { MoveFiles(); }, activeHasRows);
    commands.add(QStringLiteral("Delete"), [this] { DeleteFiles(); }, activeHasRows);
    commands.add(QStringLiteral("RenameLtoR"), [this] { RenameToPartner(0); }, bothHaveRows);
    commands.add(QStringLiteral("RenameRtoL"), [this] { RenameToPartner(1); }, bothHaveRows);
    commands.add(QStringLiteral("RenameManual"), [this] { RenameManual(); }, activeHasRows);
}

bool FileOperations::listHasRows(int pane) const
{
    const FilePane& p = bench_.pane(pane);
    return p.view == PaneView::File && !p.isEmpty();
}

QString FileOperations::tagKindText(const QString& path) const
{
    if (!bench_.details)
        return QString();
    const std::optional<LyricsDetails> d = bench_.details->readLyrics(path, bench_.options && bench_.options->winAmpTime);
    if (!d)
        return QString();
    switch (d->tagKind) {
    case 1:
        return U("行頭タグ");
    case 2:
        return U("カラオケタグ");
    default:
        return U("タグなし");
    }
}

void FileOperations::releaseFiles(const QStringList& paths)
{
    if (paths.contains(window_.currentFile()) && window_.lyricsModified() && window_.AskSaveLyrics())
        window_.SaveLyrics();
    if (stopPlaybackOf)
        stopPlaybackOf(paths);
}

void FileOperations::reportFailures(const fileops::OperationResult& result)
{
    const QString report = fileops::FailureReport(result);
    if (!report.isEmpty())
        bench_.prompter->message(report, MessageIcon::Warning);
}

void FileOperations::transfer(fileops::OperationKind kind)
{
    const int paneIndex = bench_.activePane();
    FilePane& pane = bench_.pane(paneIndex);
    if (!listHasRows(paneIndex))
        return;

    // The current row takes part: it is checked for the operation and gets its own
    // check state back at the end, whatever happens in between.
    const int current = pane.selectedRow();
    const QString currentPath = current >= 0 ? pane.row(current).fullPath() : QString();
    const bool currentWasChecked = current >= 0 && pane.row(current).checked;
    if (current >= 0 && !currentWasChecked)
        pane.updateRow(current, [](FileRow& r) { r.checked = true; });

    std::vector<int> rows;
    QStringList sources;
    {
        WaitCursor wait;
        rows = fileops::OperationRows(pane.rows(), current, true);
        for (int r : rows)
            sources << pane.row(r).fullPath();
    }

    fileops::OperationResult result;
    bool ran = false;
    if (!sources.isEmpty()) {
        const std::optional<fileops::TransferPlan> plan = planTransfer(kind, paneIndex, sources);
        if (plan) {
            if (kind != fileops::OperationKind::Copy) {
                QStringList changing;
                for (const fileops::TransferItem& item : plan->items)
                    changing << item.source;
                releaseFiles(changing);
            }
            op_.setAllowUndo(window_.deleteToTrash());
            op_.setRespondDialog(true);
            op_.setTarget(&window_);
            result = OperationProgress::Run(op_, *plan, &window_, progressDelayMs);
            ran = true;
        }
    }

    if (ran && kind != fileops::OperationKind::Copy)
        removeGoneRows(pane, rows);
    const int remaining = currentPath.isEmpty() ? -1 : RowOfPath(pane, currentPath);
    if (remaining >= 0 && pane.row(remaining).checked != currentWasChecked)
        pane.updateRow(remaining, [currentWasChecked](FileRow& r) { r.checked = currentWasChecked; });
    if (!pane.isEmpty())
        window_.SelectRow(paneIndex, remaining >= 0 ? remaining : std::clamp(current, 0, pane.rowCount() - 1));
    window_.UpdatePaneTitle(paneIndex);
    if (ran)
        reportFailures(result);
}

std::optional<fileops::TransferPlan> FileOperations::planTransfer(fileops::OperationKind kind, int paneIndex,
                                                                 const QStringList& sources)
{
    // Delete asks its question; copy and move ask for the destination, then plan with the
    // overwrite question at hand.
    const FilePane& pane = bench_.pane(paneIndex);
    std::optional<fileops::TransferPlan> plan;
    if (kind == fileops::OperationKind::Delete) {
        if (bench_.prompter->message(fileops::DeleteQuestion(int(sources.size()), window_.deleteToTrash()), MessageIcon::Question,
                                     MessageButtons::OkCancel)
            == Answer::Ok)
            plan = op_.PlanDelete(sources);
    } else {
        SelectFolderRequest request;
        request.move = kind == fileops::OperationKind::Move;
        request.startFolder = pane.folder;
        request.quickFolders = quickFolders ? quickFolders() : QStringList();
        request.otherPaneFolder = bench_.pane(1 - paneIndex).folder;
        const std::optional<QString> folder = chooseDestination
            ? chooseDestination(request)
            : FormSelectFolder::Choose(request, *bench_.settings, *bench_.prompter, &window_);
        if (folder) {
            const bool lyrics = pane.isLyricsMode();
            op_.setOverwriteDecider([this, lyrics](fileops::OverwriteQuestion& question) {
                if (lyrics) {
                    question.sourceTagKind = tagKindText(question.sourcePath);
                    question.destinationTagKind = tagKindText(question.destinationPath);
                }
                return askOverwrite ? askOverwrite(question) : FormAskCopy::Ask(question, &window_);
            });
            plan = kind == fileops::OperationKind::Move ? op_.PlanMove(sources, *folder) : op_.PlanCopy(sources, *folder);
            op_.setOverwriteDecider({});
        }
    }
    return plan;
}

void FileOperations::removeGoneRows(FilePane& pane, std::vector<int> rows)
{
    // Rows whose files are gone leave the list; the shown file goes with its row.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int r : rows) {
        const QString path = pane.row(r).fullPath();
        if (Present(path))
            continue;
        if (window_.currentFile() == path)
            window_.ClearShown(window_.currentKind());
        pane.removeRow(r);
    }
}

bool FileOperations::RenameRow(const QString& newName, int row, int paneIndex)
{
    FilePane& pane = bench_.pane(paneIndex);
    if (row < 0 || row >= pane.rowCount())
        return false;
    fileops::RowRename r;
    {
        WaitCursor wait;
        QString folder = pane.row(row).cell(Col::Path);
        if (folder.isEmpty())
            folder = pane.folder;
        r = fileops::PrepareRowRename(folder, pane.row(row).name, newName);
    }
    if (r.check != fileops::RenameCheck::Ok) {
        bench_.prompter->message(r.message, r.warning ? MessageIcon::Warning : MessageIcon::Information);
        return false;
    }
    if (bench_.prompter->message(r.question, MessageIcon::Question, MessageButtons::OkCancel) != Answer::Ok)
        return false;

    const bool shown = window_.currentFile() == r.oldPath;
    releaseFiles({r.oldPath});
    bool renamed = false;
    {
        WaitCursor wait;
        op_.setTarget(&window_);
        renamed = op_.Rename(r.oldPath, r.newPath) && Present(r.newPath);
    }
    if (!renamed) {
        const auto& failures = op_.lastResult().failures;
        bench_.prompter->message(fileops::RenameFailureMessage(failures.empty() ? 0 : failures.front().error),
                                 MessageIcon::Warning);
        return false;
    }
    pane.updateRow(row, [&](FileRow& fr) { fr.name = r.newName; });
    window_.RefreshRow(paneIndex, row);
    if (shown) // the lyrics pane follows its file to the new name
        window_.ShowRow(paneIndex, row);
    return true;
}

void FileOperations::RenameToPartner(int fromPane)
{
    const FilePane& from = bench_.pane(fromPane);
    const FilePane& to = bench_.pane(1 - fromPane);
    if (!listHasRows(0) || !listHasRows(1) || from.selectedRow() < 0 || to.selectedRow() < 0)
        return;
    RenameRow(from.row(from.selectedRow()).name, to.selectedRow(), 1 - fromPane);
}

void FileOperations::RenameManual()
{
    const int paneIndex = bench_.activePane();
    const FilePane& pane = bench_.pane(paneIndex);
    const int row = pane.selectedRow();
    if (!listHasRows(paneIndex) || row < 0)
        return;
    const QString base = fileops::SplitName(pane.row(row).name).base;
    const std::optional<QString> typed = bench_.prompter->inputText(fileops::ManualRenamePrompt(), U("手動リネーム"), base);
    if (!typed)
        return;
    if (const std::optional<QString> name = fileops::ManualRenameName(*typed, base))
        RenameRow(*name, row, paneIndex);
}

void FileOperations::DropRename(int paneIndex, int row, const QString& droppedPath)
{
    if (droppedPath.isEmpty())
        return;
    RenameRow(QFileInfo(droppedPath).fileName(), row, paneIndex);
}

} // namespace browser
