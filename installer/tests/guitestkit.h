#pragma once
// Helpers for the window tests: a scripted prompter (message boxes answered by prompt,
// the shared-file dialog answered by the button to press), a folder chooser that returns
// what the test says, a pacer that never waits but lets the test act whenever the
// windows would let events run, and a fixture that runs the installer's windows in a
// temporary machine.

#include "installer/gui/prompter.h"
#include "installer/gui/setupwindows.h"
#include "installer/tests/testhome.h"

#include <QAbstractButton>
#include <QWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace guitest {

class ScriptedPrompter : public installer::Prompter {
public:
    installer::Answer ask(const installer::Message& message, QWidget* owner) override;
    /// Shows the dialog and presses the next scripted button (by objectName).
    void runModal(QDialog& dialog) override;

    std::vector<installer::Message> askedWith(installer::Prompt prompt) const;
    bool wasAsked(installer::Prompt prompt) const { return !askedWith(prompt).empty(); }

    /// Answers by prompt, first come first served; then Yes for Yes/No, OK otherwise.
    std::map<installer::Prompt, std::deque<installer::Answer>> answers;
    /// Called before each message box is answered.
    std::function<void(const installer::Message&)> onAsk;
    /// Buttons to press in modal dialogs, in turn; then `defaultButton`.
    std::deque<QString> dialogButtons;
    QString defaultButton = QStringLiteral("btnYes");

    std::vector<installer::Message> asked;
    std::vector<QWidget*> owners;
    QStringList dialogTexts; // the lblMessage text of each modal dialog
};

class ScriptedFolderChooser : public installer::FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget* owner, const QString& title, const QString& start,
                                        installer::FolderBrowseOptions options) override;
    std::deque<std::optional<QString>> results;
    QStringList titles, starts;
    std::vector<installer::FolderBrowseOptions> options;
    std::vector<QWidget*> owners;
};

/// Never waits: every wait and every "let events run" processes pending events and then
/// calls the test's hooks, which play the user while a pass runs.
class TestPacer : public installer::Pacer {
public:
    void wait(int milliseconds) override;
    void letEventsRun() override;
    /// Every chunk of a copy lets events run (and calls onIdle).
    void keepAlive() override;

    std::function<void(int milliseconds)> onWait;
    std::function<void()> onIdle;
    std::vector<int> waits;
    int idles = 0;
    int keepAlives = 0;
};

/// objectName lookups that fail the test when the control is missing.
template <typename T>
T* Control(const QObject* root, const char* name)
{
    T* control = root ? root->findChild<T*>(QLatin1String(name)) : nullptr;
    EXPECT_NE(control, nullptr) << "no control " << name;
    return control;
}

/// Clicks a button as a user would: it must be visible and enabled.
void Click(QAbstractButton* button);

/// Runs the installer's windows in a temporary machine.
class WindowsTest : public ::testing::Test {
protected:
    WindowsTest();
    ~WindowsTest() override;

    /// Starts the windows (with `arguments`) and lets the main window come.
    void Start(const QStringList& arguments = {});
    /// Lets posted events run.
    static void Settle();

    installer::TfrmMain* Main() const { return windows->frmMain(); }
    QAbstractButton* EventButton() const;
    QAbstractButton* EndButton() const;
    /// The visible page of the main window: "fraTitle", "fraReadme", "fraSelectType",
    /// "main" (the three main-page groups), or a list of several when more show.
    QString VisiblePage() const;
    /// Folders (Tmp)TSTMPn that exist now.
    QStringList WorkFolders() const;

    installertest::TestMachine m;
    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();
    std::shared_ptr<ScriptedFolderChooser> chooser = std::make_shared<ScriptedFolderChooser>();
    std::shared_ptr<TestPacer> pacer = std::make_shared<TestPacer>();
    QString version = QStringLiteral("1.1.0.453");
    std::unique_ptr<installer::SetupWindows> windows;

private:
    QString cwd_;
};

QString U8(const char* text);

} // namespace guitest
