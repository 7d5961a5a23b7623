// The lists area: name filters, check marks and the extraction pop-up. The data file and
// playlist commands are in listfiles.cpp.
#include "browser/gui/lists/listsarea.h"

#include "browser/core/commandregistry.h"
#include "browser/core/filepane.h"
#include "browser/gui/formmain.h"
#include "browser/gui/lists/formfilter.h"
#include "browser/gui/lists/formselectcondition.h"
#include "browser/gui/workbench.h"
#include "browser/lists/checks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QMenu>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace browser {

ListsArea::ListsArea(Workbench& bench, FormMain& window, QObject* parent)
    : QObject(parent)
    , bench_(bench)
    , window_(window)
{
}

int ListsArea::active() const
{
    return bench_.activePane();
}

FilePane& ListsArea::activePane() const
{
    return bench_.pane(active());
}

FilePane& ListsArea::otherPane() const
{
    return bench_.pane(1 - active());
}

bool ListsArea::listShown(int pane) const
{
    return bench_.pane(pane).view == PaneView::File && window_.listView(pane)->isVisibleTo(&window_);
}

bool ListsArea::activeHasRows() const
{
    return listShown(active()) && !activePane().isEmpty();
}

void ListsArea::registerCommands(CommandRegistry& commands)
{
    const auto hasRows = [this] { return activeHasRows(); };
    commands.add(QStringLiteral("SelectAll"), [this] { checkCommand(int(lists::CheckCommand::SelectAll)); }, hasRows);
    commands.add(QStringLiteral("SelectInverse"), [this] { checkCommand(int(lists::CheckCommand::SelectInverse)); }, hasRows);
    commands.add(QStringLiteral("SelectNone"), [this] { checkCommand(int(lists::CheckCommand::SelectNone)); }, hasRows);
    commands.add(QStringLiteral("SelectClear"), [this] { selectClear(); }, hasRows);
    commands.add(QStringLiteral("SelectSearch"), [this] { popupExtraction(); }, hasRows);
    commands.add(QStringLiteral("Save"), [this] { saveList(); }, hasRows);
    commands.add(QStringLiteral("Open"), [this] { openList(); });
    commands.add(QStringLiteral("SavePlaylist"), [this] { savePlaylist(); },
                 [this] {
                     // A song list with a checked row and a selected one (the dialog starts in its folder).
                     const FilePane& p = activePane();
                     return activeHasRows() && !p.isLyricsMode() && p.selectedRow() >= 0
                            && std::any_of(p.rows().begin(), p.rows().end(), [](const FileRow& r) { return r.checked; });
                 });
}

void ListsArea::attach()
{
    for (int i = 0; i < 2; ++i) {
        QCheckBox* box = window_.filterBox(i);
        box->setEnabled(true);
        connect(box, &QCheckBox::clicked, this, [this, i](bool on) { filterClicked(i, on); });
    }
    extraction_ = window_.findChild<QMenu*>(QStringLiteral("mnSelectSearch"));
    if (!extraction_)
        return;
    connect(extraction_, &QMenu::aboutToShow, this, &ListsArea::prepareExtraction);
    for (int entry = 0; entry < 3; ++entry) {
        if (QAction* a = extraction_->findChild<QAction*>(QStringLiteral("mnSelectSearchList%1").arg(entry)))
            connect(a, &QAction::triggered, this, [this, entry] { extractByList(entry); });
    }
    if (QAction* a = extraction_->findChild<QAction*>(QStringLiteral("mnSelectSearchCondition")))
        connect(a, &QAction::triggered, this, &ListsArea::extractByCondition);
}

// Name filter.

void ListsArea::filterClicked(int i, bool on)
{
    window_.SetActivePane(i);
    FilePane& p = bench_.pane(i);
    lists::FilterState& state = filters_[static_cast<size_t>(i)];
    if (on) {
        state.cancelled = false;
        if (std::optional<lists::FilterState> chosen = ShowFilterDialog(&window_, *bench_.settings)) {
            state = *chosen;
        } else {
            state.cancelled = true;
            window_.filterBox(i)->setChecked(false);
        }
    }
    p.filterOn = window_.filterBox(i)->isChecked();
    p.nameFilter = nullptr;
    if (p.filterOn) {
        // The scan calls it on its worker thread: the lambda holds its own prepared copy.
        p.nameFilter = [f = lists::NameFilter(state)](const QString& name) { return f.passes(name); };
    }
    if (listShown(i)) {
        if (p.filterOn)
            refilter(i);
        else if (!state.cancelled && bench_.commands->isEnabled(QStringLiteral("ReSearch")))
            window_.RunCommand(QStringLiteral("ReSearch")); // the whole folder again
    }
    window_.FocusPane();
}

void ListsArea::refilter(int i)
{
    const int removed = lists::RemoveRowsFailingFilter(bench_.pane(i), bench_.pane(1 - i), filters_[static_cast<size_t>(i)]);
    if (removed > 0)
        showFirstOrClear(i);
    window_.UpdatePaneTitle(i);
}

void ListsArea::showFirstOrClear(int i)
{
    if (!bench_.pane(i).isEmpty()) {
        window_.SelectRow(i, 0);
        window_.ShowRow(i, 0);
    } else if (window_.currentPane() == i && !window_.currentFile().isEmpty()) {
        window_.ClearShown(window_.currentKind());
    }
}

// Check marks.

void ListsArea::checkCommand(int command)
{
    const int i = active();
    lists::ApplyCheckCommand(bench_.pane(i), static_cast<lists::CheckCommand>(command));
    window_.UpdatePaneTitle(i);
}

void ListsArea::selectClear()
{
    const int i = active();
    // Only the list changes: the files stay on disk.
    if (lists::ClearCheckedRows(bench_.pane(i), bench_.pane(1 - i)) > 0 || bench_.pane(i).isEmpty())
        showFirstOrClear(i);
    window_.UpdatePaneTitle(i);
    window_.UpdatePaneTitle(1 - i);
}

// Extraction.

void ListsArea::prepareExtraction()
{
    if (!extraction_)
        return;
    const bool rows = activeHasRows();
    const bool other = listShown(1 - active()) && !otherPane().isEmpty();
    const bool activeSelected = activePane().selectedRow() >= 0;
    const bool otherSelected = otherPane().selectedRow() >= 0;
    for (QAction* a : extraction_->actions()) {
        const QString name = a->objectName();
        if (name == QLatin1String("mnSelectSearchList0"))
            a->setEnabled(rows && other && activeSelected);
        else if (name.startsWith(QLatin1String("mnSelectSearchList")))
            a->setEnabled(rows && other && activeSelected && otherSelected); // they compare with its selected row
        else if (!a->isSeparator())
            a->setEnabled(rows);
    }
}

void ListsArea::popupExtraction()
{
    if (!extraction_)
        return;
    QPoint at = QCursor::pos();
    if (QWidget* button = window_.findChild<QToolButton*>(QStringLiteral("TB_SelectSearch")); button && button->isVisible())
        at = button->mapToGlobal(QPoint(0, button->height()));
    extraction_->exec(at);
}

void ListsArea::extractByList(int entry)
{
    const int i = active();
    FilePane& p = bench_.pane(i);
    const FilePane& o = bench_.pane(1 - i);
    std::vector<int> rows;
    if (entry == 0) {
        rows = lists::RowsWithPartner(p.rows(), o.rows());
    } else {
        if (o.selectedRow() < 0)
            return;
        const FileRow& selected = o.row(o.selectedRow());
        if (entry == 1) {
            rows = lists::RowsMatchingName(p.rows(), selected.name);
        } else {
            if (selected.cell(Col::Title).isEmpty() || selected.cell(Col::Artist).isEmpty())
                return;
            rows = lists::RowsMatchingTags(p.rows(), selected);
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const lists::Extraction done = lists::CheckRows(p, rows);
    QApplication::restoreOverrideCursor();
    window_.UpdatePaneTitle(i);
    if (done.first >= 0) {
        window_.SelectRow(i, done.first);
        window_.ShowRow(i, done.first);
    }
}

void ListsArea::extractByCondition()
{
    const int i = active();
    FormSelectCondition dialog(bench_.pane(i), &window_);
    // Centred over the main window.
    dialog.adjustSize();
    dialog.move(window_.geometry().center() - dialog.rect().center());
    if (dialog.exec() != QDialog::Accepted)
        return;
    window_.UpdatePaneTitle(i);
    if (dialog.extraction().first >= 0)
        window_.SelectRow(i, dialog.extraction().first);
}

} // namespace browser
