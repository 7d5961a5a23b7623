#pragma once
// What the installer's windows ask of the user and of time, behind small interfaces:
// message boxes and modal dialogs (Prompter), the folder chooser (FolderChooser) and
// waits that keep the windows alive (Pacer). The program uses the Qt implementations of
// qtprompter.h; tests answer and pace through scripted ones.

#include "installer/frontend.h"

#include <QFlags>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace installer {

class Prompter {
public:
    virtual ~Prompter() = default;
    /// A message box over `owner` (may be null: no window is left). The answer for
    /// Buttons::Ok is Ok.
    virtual Answer ask(const Message& message, QWidget* owner) = 0;
    /// Shows one of the program's own dialogs modally and returns when it has closed.
    virtual void runModal(QDialog& dialog) = 0;
};

/// The options of the system folder browser (TFolderDialog). Only "return only
/// file-system folders" means anything here: the others name places this system has no
/// folder browser for (computers, printers, domains) and are kept for definitions'
/// sake.
enum class FolderBrowseOption {
    BrowseForComputer = 0x01,
    BrowseForPrinter = 0x02,
    DontGoBelowDomain = 0x04,
    ReturnFsAncestors = 0x08,
    ReturnOnlyFsDirs = 0x10,
    StatusText = 0x20,
};
Q_DECLARE_FLAGS(FolderBrowseOptions, FolderBrowseOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(FolderBrowseOptions)

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    /// The folder the user chose, starting at `start`; nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* owner, const QString& title, const QString& start,
                                                FolderBrowseOptions options) = 0;
};

class Pacer {
public:
    virtual ~Pacer() = default;
    /// Waits `milliseconds` while the windows stay responsive.
    virtual void wait(int milliseconds) = 0;
    /// Lets pending window events run (repaints, clicks) and returns at once.
    virtual void letEventsRun() = 0;
    /// Called between the chunks of a long copy: lets events run now and then, often
    /// enough for repaints and the abort button, seldom enough not to slow the copy.
    virtual void keepAlive() = 0;
};

} // namespace installer
