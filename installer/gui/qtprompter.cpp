#include "installer/gui/qtprompter.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <vector>

namespace installer {
namespace {

QMessageBox::Icon ToQtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    const char* text;
    Answer answer;
};

std::vector<ButtonSpec> ButtonsFor(Buttons buttons)
{
    const ButtonSpec ok{QMessageBox::Ok, "OK", Answer::Ok};
    const ButtonSpec cancel{QMessageBox::Cancel, "キャンセル", Answer::Cancel};
    const ButtonSpec yes{QMessageBox::Yes, "はい(&Y)", Answer::Yes};
    const ButtonSpec no{QMessageBox::No, "いいえ(&N)", Answer::No};
    switch (buttons) {
    case Buttons::OkCancel:
        return {ok, cancel};
    case Buttons::YesNo:
        return {yes, no};
    case Buttons::Ok:
        break;
    }
    return {ok};
}

/// The nearest folder that exists, for the chooser to start in.
QString ExistingFolder(QString path)
{
    while (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.isDir())
            return info.absoluteFilePath();
        const QString parent = QFileInfo(QDir::cleanPath(path)).path();
        if (parent == path || parent == QLatin1String("."))
            break;
        path = parent;
    }
    return QDir::homePath();
}

} // namespace

Answer QtPrompter::ask(const Message& message, QWidget* owner)
{
    QMessageBox box(owner);
    box.setWindowTitle(message.title);
    box.setIcon(ToQtIcon(message.icon));
    box.setTextFormat(Qt::PlainText);
    QString text = message.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(text);

    const std::vector<ButtonSpec> list = ButtonsFor(message.buttons);
    QMessageBox::StandardButtons standard;
    for (const ButtonSpec& s : list)
        standard |= s.button;
    box.setStandardButtons(standard);
    for (const ButtonSpec& s : list)
        box.button(s.button)->setText(QString::fromUtf8(s.text));
    box.setDefaultButton(list.front().button);
    const ButtonSpec* escape = &list.front();
    for (const ButtonSpec& s : list)
        if (s.answer == Answer::Cancel || (s.answer == Answer::No && escape->answer != Answer::Cancel))
            escape = &s;
    box.setEscapeButton(escape->button);

    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const ButtonSpec& s : list)
        if (clicked == box.button(s.button))
            return s.answer;
    return escape->answer;
}

void QtPrompter::runModal(QDialog& dialog)
{
    dialog.exec();
}

std::optional<QString> QtFolderChooser::chooseFolder(QWidget* owner, const QString& title, const QString& start,
                                                     FolderBrowseOptions options)
{
    QFileDialog dialog(owner, title, ExistingFolder(start));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, options.testFlag(FolderBrowseOption::ReturnOnlyFsDirs));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("フォルダの場所:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("フォルダ名:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("ファイルの種類:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("選択(&S)"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void EventLoopPacer::wait(int milliseconds)
{
    if (milliseconds <= 0) {
        letEventsRun();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void EventLoopPacer::letEventsRun()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceEvents_.start();
}

void EventLoopPacer::keepAlive()
{
    constexpr int kEveryMs = 40;
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEveryMs)
        return;
    letEventsRun();
}

} // namespace installer
