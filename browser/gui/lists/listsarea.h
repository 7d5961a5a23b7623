#pragma once
// The lists area of the main window: the panes' name filters (the "フィルター" boxes and
// FormFilter), the check-mark commands, the extraction pop-up "ファイル抽出(&E)" with
// FormSelectCondition, the file-list data file (Save / Open) and the playlist of the
// checked rows. It registers its commands by key and works on the panes through the
// Workbench and FormMain's public pane operations.

#include "browser/lists/namefilter.h"

#include <QObject>
#include <array>

class QMenu;

namespace browser {

class CommandRegistry;
class FilePane;
class FormMain;
struct Workbench;

class ListsArea : public QObject {
    Q_OBJECT
public:
    ListsArea(Workbench& bench, FormMain& window, QObject* parent = nullptr);

    /// "SelectAll", "SelectInverse", "SelectNone", "SelectClear", "SelectSearch", "Save",
    /// "Open" and "SavePlaylist".
    void registerCommands(CommandRegistry& commands);
    /// Connects the panes' filter boxes and the extraction pop-up (once the window's
    /// controls exist).
    void attach();

    /// The filter state of a pane (what its dialog last confirmed).
    const lists::FilterState& filter(int pane) const { return filters_[static_cast<size_t>(pane)]; }

    // Commands on the active pane.
    void checkCommand(int command); // lists::CheckCommand
    void selectClear();
    void popupExtraction();
    void prepareExtraction();
    void extractByList(int entry); // mnSelectSearchList 0–2
    void extractByCondition();
    void saveList();
    void openList();
    void savePlaylist();

private:
    int active() const;
    FilePane& activePane() const;
    FilePane& otherPane() const;
    bool listShown(int pane) const;
    bool activeHasRows() const;
    void filterClicked(int pane, bool on);
    void refilter(int pane);
    /// After rows were removed from a pane: the first row shown, or the lower area emptied.
    void showFirstOrClear(int pane);

    Workbench& bench_;
    FormMain& window_;
    std::array<lists::FilterState, 2> filters_{};
    QMenu* extraction_ = nullptr;
};

} // namespace browser
