#include "browser/gui/qtprompter.h"

#include "common/gui/messagebox.h"
#include "common/utf8text.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QFileInfo>
#include <QInputDialog>

namespace browser {
namespace {

using common::U;

QString TitleOrDefault(const QString& title)
{
    return title.isEmpty() ? QStringLiteral("Melwick Ex") : title;
}

// "歌詞ファイル (*.txt *.lrc);;…" → the list QFileDialog takes.
QStringList NameFilters(const QString& windowsFilter)
{
    const QString qt = ToQtFileFilter(windowsFilter);
    return qt.isEmpty() ? QStringList() : qt.split(QLatin1String(";;"));
}

void SetJapaneseLabels(QFileDialog& dialog, bool save)
{
    dialog.setLabelText(QFileDialog::LookIn, U("ファイルの場所:"));
    dialog.setLabelText(QFileDialog::FileName, U("ファイル名:"));
    dialog.setLabelText(QFileDialog::FileType, U("ファイルの種類:"));
    dialog.setLabelText(QFileDialog::Accept, save ? U("保存(&S)") : U("開く(&O)"));
    dialog.setLabelText(QFileDialog::Reject, U("キャンセル"));
}

} // namespace

QWidget* QtPrompter::owner() const
{
    if (parent_)
        return parent_;
    return QApplication::activeWindow();
}

Answer QtPrompter::message(const QString& text, MessageIcon icon, MessageButtons buttons, const QString& title)
{
    return common::ShowMessage(owner(), icon, buttons, TitleOrDefault(title), text);
}

std::optional<QString> QtPrompter::inputText(const QString& prompt, const QString& title, const QString& initial)
{
    QInputDialog dialog(owner());
    dialog.setWindowTitle(TitleOrDefault(title));
    dialog.setLabelText(common::WithLfBreaks(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(U("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtPrompter::openFile(const FileDialogRequest& request)
{
    return runFileDialog(request, false);
}

std::optional<QString> QtPrompter::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(request, true);
}

std::optional<QString> QtPrompter::runFileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(owner(), TitleOrDefault(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.confirmOverwrite));
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    QString suffix = request.defaultExtension;
    while (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (save) {
        // A filter of one extension chosen in a save dialog gives a typed name that extension
        // ("m3u8 (UTF-8) (*.m3u8)" → ".m3u8"), so the choice of format is not lost.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, suffix](const QString& chosen) {
            static const QRegularExpression one(QStringLiteral("\\(\\*\\.([^*?;() ]+)\\)$"));
            const QRegularExpressionMatch m = one.match(chosen);
            dialog.setDefaultSuffix(m.hasMatch() ? m.captured(1) : suffix);
        });
    }
    SetJapaneseLabels(dialog, save);

    // Start in the given folder, else in the folder of the proposed file, else at home.
    const QFileInfo proposed(request.fileName);
    QString folder = request.folder;
    if (folder.isEmpty() && proposed.isAbsolute())
        folder = proposed.absolutePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    dialog.setDirectory(folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(proposed.fileName());

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    const QString path = QDir::toNativeSeparators(chosen.front());
    if (!save && request.mustExist && !QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

std::optional<QString> QtPrompter::chooseFolder(const QString& title, const QString& startFolder)
{
    QFileDialog dialog(owner(), TitleOrDefault(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setDirectory(QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath());
    dialog.setLabelText(QFileDialog::LookIn, U("フォルダの場所:"));
    dialog.setLabelText(QFileDialog::FileName, U("フォルダ名:"));
    dialog.setLabelText(QFileDialog::Accept, U("選択(&S)"));
    dialog.setLabelText(QFileDialog::Reject, U("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen.front());
}

} // namespace browser
