#pragma once
// Every message box, question, input box and file dialog of the workbench goes through
// one Prompter. The program uses the Qt implementation (browser/gui/qtprompter.h);
// tests use ScriptedPrompter (testing/browser/scriptedprompter.h), which answers from a
// script and records what was asked. The icon, button and answer words are the ones
// both programs share (common/prompt.h).

#include "common/prompt.h"

#include <QString>
#include <optional>

namespace browser {

using common::Answer;
using common::MessageButtons;
using common::MessageIcon;

/// A file dialog. `filter` uses the "description|*.a;*.b|description2|*.c" form of the
/// original program ("歌詞ファイル|*.txt;*.lrc;*.kra").
struct FileDialogRequest {
    QString title;
    QString folder;   // starting folder
    QString fileName; // proposed file name (or full path)
    QString filter;
    QString defaultExtension; // ".txt"
    bool mustExist = false;
    bool confirmOverwrite = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    /// A message box. `title` empty means the program's own title ("Melwick Ex").
    virtual Answer message(const QString& text, MessageIcon icon = MessageIcon::None,
                           MessageButtons buttons = MessageButtons::Ok, const QString& title = QString()) = 0;
    /// An input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& prompt, const QString& title, const QString& initial) = 0;
    /// Open and save dialogs; nullopt when cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    /// A folder chooser; nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) = 0;
};

/// Converts "desc|*.a;*.b|desc2|*.c" into Qt's "desc (*.a *.b);;desc2 (*.c)".
QString ToQtFileFilter(const QString& windowsFilter);

} // namespace browser
