#pragma once
// The Prompter of the program: Qt message boxes, input boxes and file dialogs.
//
// Message boxes show the Japanese button texts of the platform the program came from
// ("OK", "キャンセル", "はい(&Y)", "いいえ(&N)"), the first button is the default, and
// Escape answers Cancel, else No, else OK. Texts are shown as plain text with CR LF or CR
// line breaks. An empty title means "Melwick Ex". File dialogs take the
// "description|*.a;*.b" filters of the program, a default extension, overwrite
// confirmation and must-exist. Nothing else in the program calls QMessageBox or
// QFileDialog directly.

#include "browser/core/prompter.h"

#include <QPointer>
#include <QWidget>

namespace browser {

class QtPrompter : public Prompter {
public:
    /// Dialogs are centred on `parent` (the main window); without one, on the active window.
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    Answer message(const QString& text, MessageIcon icon = MessageIcon::None,
                   MessageButtons buttons = MessageButtons::Ok, const QString& title = QString()) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title, const QString& initial) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    QWidget* owner() const;
    std::optional<QString> runFileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
};

} // namespace browser
