#pragma once
// The Qt implementations of the windows' prompter, folder chooser and pacer.
//
// Message boxes show Japanese button texts ("OK", "キャンセル", "はい(&Y)", "いいえ(&N)"),
// the first button is the default, and Escape answers Cancel, else No, else OK.

#include "installer/gui/prompter.h"

#include <QElapsedTimer>

namespace installer {

class QtPrompter final : public Prompter {
public:
    Answer ask(const Message& message, QWidget* owner) override;
    void runModal(QDialog& dialog) override;
};

/// The desktop's folder chooser (QFileDialog in directory mode).
class QtFolderChooser final : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget* owner, const QString& title, const QString& start,
                                        FolderBrowseOptions options) override;
};

/// Real waits: a local event loop that returns after the time has passed.
class EventLoopPacer final : public Pacer {
public:
    void wait(int milliseconds) override;
    void letEventsRun() override;
    void keepAlive() override;

private:
    QElapsedTimer sinceEvents_;
};

} // namespace installer
