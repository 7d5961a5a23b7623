#include "browser/gui/rawnames/rawnames.h"

#include "browser/core/commandregistry.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "browser/gui/formmain.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/rawnames/formrawrename.h"
#include "browser/gui/workbench.h"
#include "common/rawname.h"
#include "common/utf8text.h"

#include <QAction>
#include <QMenu>
#include <QSet>

namespace browser {
namespace {

using common::U;

const QString kRenameOne = QStringLiteral("RenameRawName");
const QString kRenameAll = QStringLiteral("RenameRawNames");

QString RowFolder(const FilePane& pane, int row)
{
    const QString folder = pane.row(row).cell(Col::Path);
    return folder.isEmpty() ? WithTrailingSeparator(pane.folder) : folder;
}

} // namespace

RawNames::RawNames(FormMain& window, Workbench& bench, QObject* parent)
    : QObject(parent)
    , window_(window)
    , bench_(bench)
{
}

void RawNames::registerCommands(CommandRegistry& commands)
{
    commands.add(kRenameOne, [this] { renameSelected(); }, [this] { return selectedRawRow() >= 0; });
    commands.add(kRenameAll, [this] { renameAllInFolder(); }, [this] { return activeListHasRawNames(); });
}

void RawNames::attachRowMenu(QMenu* menu, QAction* before)
{
    auto* one = new QAction(U("ファイル名を UTF-8 に変換(&U)…"), menu);
    one->setObjectName(QStringLiteral("mnRawRenameOne"));
    one->setData(kRenameOne);
    auto* all = new QAction(U("このフォルダの Shift_JIS 名をすべて UTF-8 に変換…"), menu);
    all->setObjectName(QStringLiteral("mnRawRenameAll"));
    all->setData(kRenameAll);
    auto* separator = new QAction(menu);
    separator->setSeparator(true);
    menu->insertActions(before, {separator, one, all});
    connect(one, &QAction::triggered, this, [this] { bench_.runCommand(kRenameOne); });
    connect(all, &QAction::triggered, this, [this] { bench_.runCommand(kRenameAll); });
    // Shown only while the list holds such names: most folders never do.
    connect(menu, &QMenu::aboutToShow, this, [this, one, all, separator] {
        const bool any = activeListHasRawNames();
        separator->setVisible(any);
        one->setVisible(any);
        all->setVisible(any);
        one->setEnabled(selectedRawRow() >= 0);
        all->setEnabled(any);
    });
}

int RawNames::selectedRawRow() const
{
    const FilePane& pane = bench_.pane(bench_.activePane());
    const int row = pane.selectedRow();
    if (pane.view != PaneView::File || row < 0 || row >= pane.rowCount())
        return -1;
    return common::HasRawBytes(pane.row(row).name) ? row : -1;
}

bool RawNames::activeListHasRawNames() const
{
    const FilePane& pane = bench_.pane(bench_.activePane());
    if (pane.view != PaneView::File)
        return false;
    for (const FileRow& r : pane.rows())
        if (common::HasRawBytes(r.name))
            return true;
    return false;
}

void RawNames::renameSelected()
{
    const int row = selectedRawRow();
    if (row < 0)
        return;
    const FilePane& pane = bench_.pane(bench_.activePane());
    run(fileops::PlanRawRenames(RowFolder(pane, row), {pane.row(row).name}));
}

void RawNames::renameAllInFolder()
{
    const FilePane& pane = bench_.pane(bench_.activePane());
    if (!activeListHasRawNames())
        return;
    // The selected row's folder, or else the folder of the first such row.
    int row = pane.selectedRow();
    if (row < 0 || row >= pane.rowCount() || !common::HasRawBytes(pane.row(row).name)) {
        row = 0;
        while (!common::HasRawBytes(pane.row(row).name))
            ++row;
    }
    run(fileops::PlanFolderRawRenames(RowFolder(pane, row)));
}

void RawNames::run(const std::vector<fileops::RawRename>& plan)
{
    if (plan.empty()) {
        bench_.prompter->message(U("UTF-8 に変換する名前はありません。"), MessageIcon::Information);
        return;
    }
    bool go = false;
    if (confirm) {
        go = confirm(plan);
    } else {
        FormRawRename dialog(plan, &window_);
        go = dialog.exec() == QDialog::Accepted;
    }
    if (!go)
        return;

    QSet<QString> oldPaths;
    for (const fileops::RawRename& r : plan)
        oldPaths.insert(r.oldPath());
    const bool shownChanges = oldPaths.contains(window_.currentFile());
    const int shownPane = window_.currentPane();
    if (shownChanges && bench_.player)
        bench_.player->stop();

    const fileops::RawRenameResult result = fileops::ApplyRawRenames(plan);

    // The rows of both panes follow their files to the new names.
    int shownRow = -1;
    for (const fileops::RawRename& r : result.renamed) {
        const QString oldPath = r.oldPath();
        for (int p = 0; p < 2; ++p) {
            FilePane& pane = bench_.pane(p);
            for (int row = 0; row < pane.rowCount(); ++row) {
                if (pane.row(row).fullPath() != oldPath)
                    continue;
                pane.updateRow(row, [&](FileRow& fr) { fr.name = r.newName; });
                window_.RefreshRow(p, row);
                if (shownChanges && p == shownPane && oldPath == window_.currentFile())
                    shownRow = row;
            }
        }
    }
    if (!result.renamed.empty())
        RepairAll(bench_.pane(0), bench_.pane(1));
    if (shownRow >= 0)
        window_.ShowRow(shownPane, shownRow);
    window_.UpdatePaneTitle(0);
    window_.UpdatePaneTitle(1);

    const QString report = fileops::RawRenameReport(plan, result);
    if (!report.isEmpty())
        bench_.prompter->message(report, MessageIcon::Warning);
}

} // namespace browser
