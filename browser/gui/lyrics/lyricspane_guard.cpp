// LyricsPane: what the pane shows when its file goes — unsaved edits settled before
// another row is shown or the window closes, a file deleted while it was edited, and the
// lyrics chosen for a shown song.
#include "browser/gui/lyrics/lyricspane.h"

#include "browser/core/filepane.h"
#include "browser/core/prompter.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/panes/filepaneview.h"
#include "browser/gui/workbench.h"
#include "songfiles/pathprobe.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFileInfo>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>

namespace browser {
namespace {

int RowOfFile(const FilePane& pane, const QString& path)
{
    const std::vector<FileRow>& rows = pane.rows();
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].fullPath() == path)
            return static_cast<int>(r);
    return -1;
}

} // namespace

bool LyricsPane::settleUnsavedEdits()
{
    if (currentKind_ != 0 || !hasUnsavedEdits())
        return true;
    const Answer answer = bench_.prompter->message(QString::fromUtf8("歌詞ファイルを保存しますか？\n\n") + currentFile_,
                                                   MessageIcon::Question, MessageButtons::YesNoCancel);
    if (answer == Answer::Cancel)
        return false;
    if (answer == Answer::Yes) {
        save();
        return !hasUnsavedEdits();
    }
    saveButton_->setEnabled(false);
    return true;
}

void LyricsPane::keepShownRowSelected()
{
    if (currentPane_ < 0 || currentFile_.isEmpty())
        return;
    const int row = RowOfFile(bench_.pane(currentPane_), currentFile_);
    if (row >= 0)
        bench_.view(currentPane_).selectRowQuietly(row);
}

void LyricsPane::showFileGone()
{
    // The file was deleted while it was edited: the pane says so and holds no text.
    const QString name = QFileInfo(currentFile_).fileName();
    empty();
    title_->setText(name + QString::fromUtf8(" ― ファイルがありません（削除されました）"));
    if (currentPane_ >= 0) {
        const int row = RowOfFile(bench_.pane(currentPane_), currentFile_);
        if (row >= 0)
            bench_.view(currentPane_).refreshRow(row);
    }
}

void LyricsPane::showPartnerText()
{
    // A shown song: the text box shows the lyrics chosen for it (read only), or nothing.
    empty();
    const QString lyrics = sources_.choice().chosenFile();
    if (lyrics.isEmpty() || !songfiles::FileExists(lyrics) || !loadFile(lyrics))
        return;
    title_->setText(QFileInfo(lyrics).fileName());
    copyAllButton_->setEnabled(true);
}

void LyricsPane::setFixedFont(bool on)
{
    if (!on) {
        text_->setFont(QFont());
        return;
    }
    // Noto's fixed-width CJK face when installed, else the system's fixed-width font.
    QFont font(QStringLiteral("Noto Sans Mono CJK JP"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(QApplication::font(text_).pointSizeF());
    text_->setFont(font);
}

} // namespace browser
