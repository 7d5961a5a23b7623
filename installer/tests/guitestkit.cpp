#include "installer/tests/guitestkit.h"

#include "installer/gui/frmmain.h"
#include "common/gui/japaneseui.h"
#include "installer/gui/look.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace guitest {

QString U8(const char* text)
{
    return QString::fromUtf8(text);
}

installer::Answer ScriptedPrompter::ask(const installer::Message& message, QWidget* owner)
{
    asked.push_back(message);
    owners.push_back(owner);
    if (onAsk)
        onAsk(message);
    if (message.buttons == installer::Buttons::Ok)
        return installer::Answer::Ok;
    auto it = answers.find(message.prompt);
    if (it != answers.end() && !it->second.empty()) {
        const installer::Answer answer = it->second.front();
        it->second.pop_front();
        return answer;
    }
    return message.buttons == installer::Buttons::YesNo ? installer::Answer::Yes : installer::Answer::Ok;
}

void ScriptedPrompter::runModal(QDialog& dialog)
{
    dialog.show();
    if (const QLabel* label = dialog.findChild<QLabel*>(QStringLiteral("lblMessage")))
        dialogTexts << label->text();
    QString name = defaultButton;
    if (!dialogButtons.empty()) {
        name = dialogButtons.front();
        dialogButtons.pop_front();
    }
    if (auto* button = dialog.findChild<QAbstractButton*>(name))
        Click(button);
    else
        ADD_FAILURE() << "the dialog has no button " << name.toStdString();
    EXPECT_FALSE(dialog.isVisible()) << "the dialog stayed open";
    dialog.hide();
}

std::vector<installer::Message> ScriptedPrompter::askedWith(installer::Prompt prompt) const
{
    std::vector<installer::Message> out;
    for (const auto& m : asked)
        if (m.prompt == prompt)
            out.push_back(m);
    return out;
}

std::optional<QString> ScriptedFolderChooser::chooseFolder(QWidget* owner, const QString& title, const QString& start,
                                                           installer::FolderBrowseOptions opts)
{
    owners.push_back(owner);
    titles << title;
    starts << start;
    options.push_back(opts);
    if (results.empty())
        return std::nullopt;
    const auto result = results.front();
    results.pop_front();
    return result;
}

void TestPacer::wait(int milliseconds)
{
    waits.push_back(milliseconds);
    QCoreApplication::processEvents();
    if (onWait)
        onWait(milliseconds);
}

void TestPacer::letEventsRun()
{
    ++idles;
    QCoreApplication::processEvents();
    if (onIdle)
        onIdle();
}

void TestPacer::keepAlive()
{
    ++keepAlives;
    letEventsRun();
}

void Click(QAbstractButton* button)
{
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString() << " is not visible";
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString() << " is disabled";
    // Check boxes and option buttons take clicks on their box and text, not on the
    // empty rest of their width.
    const bool boxed = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    const QPoint at = boxed ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

WindowsTest::WindowsTest() : cwd_(QDir::currentPath())
{
    static bool fontSet = false;
    if (!fontSet) {
        common::ApplyJapaneseUiFont(*qApp);
        fontSet = true;
    }
}

WindowsTest::~WindowsTest()
{
    windows.reset();
    // The uninstall pass leaves the temporary folder as the current one.
    QDir::setCurrent(cwd_);
}

void WindowsTest::Start(const QStringList& arguments)
{
    installer::WindowOptions options;
    options.environment = m.environment();
    options.arguments = arguments;
    options.programPath = m.programPath();
    options.services = m.services();
    options.prompter = prompter;
    options.folderChooser = chooser;
    options.pacer = pacer;
    options.version = version;
    windows = std::make_unique<installer::SetupWindows>(options);
    ASSERT_TRUE(windows->start());
    Settle();
}

void WindowsTest::Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QAbstractButton* WindowsTest::EventButton() const
{
    return Control<QPushButton>(Main(), "btnEvent");
}

QAbstractButton* WindowsTest::EndButton() const
{
    return Control<QPushButton>(Main(), "btnEnd");
}

QString WindowsTest::VisiblePage() const
{
    QStringList shown;
    for (const char* name : {"fraTitle", "fraReadme", "fraSelectType"})
        if (Control<QWidget>(Main(), name)->isVisible())
            shown << QLatin1String(name);
    int groups = 0;
    for (const char* name : {"grpMessage", "grpSetupFolder", "grpOption"})
        groups += Control<QWidget>(Main(), name)->isVisible() ? 1 : 0;
    if (groups == 3)
        shown << QStringLiteral("main");
    else if (groups > 0)
        shown << QStringLiteral("part of main");
    return shown.join(QLatin1Char('+'));
}

QStringList WindowsTest::WorkFolders() const
{
    return QDir(m.tmp()).entryList({QStringLiteral("TSTMP*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace guitest
