#include "installer/gui/qtprompter.h"

#include "common/gui/messagebox.h"

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
    using common::BoxButton;
    const QMessageBox::Icon icon = ToQtIcon(message.icon);
    BoxButton answer;
    switch (message.buttons) {
    case Buttons::OkCancel:
        answer = common::RunMessageBox(owner, icon, message.title, message.text, {BoxButton::Ok, BoxButton::Cancel});
        break;
    case Buttons::YesNo:
        answer = common::RunMessageBox(owner, icon, message.title, message.text, {BoxButton::Yes, BoxButton::No});
        break;
    case Buttons::Ok:
    default:
        answer = common::RunMessageBox(owner, icon, message.title, message.text, {BoxButton::Ok});
        break;
    }
    switch (answer) {
    case BoxButton::Cancel:
        return Answer::Cancel;
    case BoxButton::Yes:
        return Answer::Yes;
    case BoxButton::No:
        return Answer::No;
    case BoxButton::Ok:
        break;
    }
    return Answer::Ok;
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
