#include "installer/gui/qtprompter.h"

#include "common/gui/messagebox.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

namespace installer {
namespace {

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
    return common::ShowMessage(owner, message.icon, message.buttons, message.title, message.text);
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
