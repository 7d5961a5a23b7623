// FormMain: the lyrics pane — showing a row, edit mode, saving and copying, the lyric
// sources of a shown song, and the row right-click menu.
#include "browser/gui/formmain.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/player/playerstrip.h"

#include "browser/core/details.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "common/ini.h"
#include "common/textfile.h"
#include "lyrics/linebreaks.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/icons.h"
#include "songfiles/pathprobe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace browser {
namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString FileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

// The text box holds "\n" line breaks; files and the rest of the program CR LF.
QString ToBoxText(const QString& crlf)
{
    QString t = crlf;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

} // namespace

bool FormMain::inEditMode() const
{
    return chkTextEdit_ && chkTextEdit_->isChecked();
}

bool FormMain::hasUnsavedLyrics() const
{
    return comTextSave_ && comTextSave_->isEnabled();
}

QString FormMain::lyricsText() const
{
    // The raw text keeps no-break spaces, which toPlainText() turns into blanks.
    QString text = textLyrics_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void FormMain::setLyricsText(const QString& crlf)
{
    QTextCursor cursor(textLyrics_->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(ToBoxText(crlf));
    cursor.endEditBlock();
    cursor.setPosition(0);
    textLyrics_->setTextCursor(cursor);
}

void FormMain::setEditMode(bool on)
{
    if (chkTextEdit_->isEnabled() && chkTextEdit_->isChecked() != on)
        chkTextEdit_->setChecked(on);
}

void FormMain::showLyricsButtons(bool lyricsRow)
{
    frameLyricsInfo_->setVisible(lyricsRow);
    sources_->setVisible(!lyricsRow);
}

bool FormMain::loadLyricsFile(const QString& path)
{
    QString text;
    if (!common::ReadTextFile(path, text))
        return false;
    settingText_ = true;
    textLyrics_->setPlainText(ToBoxText(lyrics::NormalizeLineBreaks(text)));
    settingText_ = false;
    Q_EMIT shownLyricsChanged();
    return true;
}

void FormMain::emptyLyricsPane()
{
    settingText_ = true;
    textLyrics_->clear();
    settingText_ = false;
    const bool wasEditing = inEditMode();
    chkTextEdit_->blockSignals(true);
    chkTextEdit_->setChecked(false);
    chkTextEdit_->blockSignals(false);
    if (wasEditing) {
        // Leaving edit mode without a question: the caller has dealt with the edits.
        textLyrics_->setReadOnly(true);
        setFolderTreesEnabled(true);
        setMainMenusEnabled(true);
        if (!editByCommand_)
            ApplyLayout(isMaximized() ? splitXMax_ : splitX_, savedSplitterY_);
        paintTextTitle(false);
    }
    chkTextEdit_->setEnabled(false);
    comTextAllCopy_->setEnabled(false);
    comTextSave_->setEnabled(false);
    comTimeTag_->setEnabled(false);
    comHosei_->setEnabled(false);
    lblTextTitle_->clear();
    Q_EMIT shownLyricsChanged();
}

void FormMain::EditLyricsText(const QString& text)
{
    if (!chkTextEdit_->isEnabled())
        return;
    if (!inEditMode())
        chkTextEdit_->setChecked(true);
    textLyrics_->setPlainText(ToBoxText(text)); // an edit: the save button comes on
}

void FormMain::ShowRow(int i, int row)
{
    FilePane& p = pane(i);
    if (suppressSelection_ || p.isEmpty() || row < 0 || row >= p.rowCount())
        return;
    SelectRow(i, row);
    SetActivePane(i);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    setBusy(true);
    const bool lyricsRow = p.isLyricsMode();
    showLyricsButtons(lyricsRow);
    ClearShown(lyricsRow ? 0 : 1);
    currentFile_ = p.row(row).fullPath();
    currentKind_ = lyricsRow ? 0 : 1;
    currentPane_ = i;
    sources_->setShownFile(i, currentFile_);
    sbText_->setText(QStringLiteral("[ ") + currentFile_ + QStringLiteral(" ]"));

    if (lyricsRow) {
        bool ok = true;
        if (p.row(row).icon == 0 || p.row(row).dimmed)
            ok = FillLyricsRow(p, row, pane(1 - i), *services_.details, options_.winAmpTime);
        if (ok)
            ok = loadLyricsFile(currentFile_);
        if (!ok) {
            setBusy(false);
            emptyLyricsPane();
            UpdatePaneTitle(i);
            return;
        }
        lblTextTitle_->setText(FileNameOf(currentFile_));
        chkTextEdit_->setEnabled(true);
        comTextAllCopy_->setEnabled(true);
        comTextSave_->setEnabled(false);
    } else {
        if (p.row(row).icon == 0 || p.row(row).dimmed)
            FillSongRow(p, row, pane(1 - i), *services_.details);
        sources_->showSong(p.row(row));
        player_->setPlayable(!p.row(row).dimmed);
    }

    PairRow(p, row, pane(1 - i));
    sources_->forgetSources();
    AutoSelectPartner(i, row);
    if (!lyricsRow)
        sources_->rebuild();
    UpdatePaneTitle(i);
    setBusy(false);
}

void FormMain::ClearShown(int kind)
{
    if (kind == 0) {
        if (comTextSave_->isEnabled() && AskSaveLyrics())
            SaveLyrics();
        emptyLyricsPane();
    } else {
        player_->clearSong();
        sources_->clearSong();
    }
    currentFile_.clear();
    sources_->setShownFile(currentPane_, QString());
    sbText_->clear();
}

bool FormMain::lyricsModified() const
{
    return !currentFile_.isEmpty() && comTextSave_->isEnabled();
}

bool FormMain::AskSaveLyrics()
{
    return services_.prompter->message(U("歌詞ファイルを保存しますか？"), MessageIcon::Question, MessageButtons::YesNo)
           == Answer::Yes;
}

void FormMain::SaveLyrics()
{
    const QString path = currentFile_;
    if (!songfiles::FileWritable(path)) {
        services_.prompter->message(U("保存できませんでした。"), MessageIcon::Warning);
        return;
    }
    if (!common::WriteTextFile(path, lyricsText())) {
        // The edits stay in the pane and still count as unsaved.
        services_.prompter->message(U("保存できませんでした。"), MessageIcon::Warning);
        return;
    }
    comTextSave_->setEnabled(false);
}

void FormMain::ToggleEditMode(bool entering)
{
    const bool maximized = isMaximized();
    if (entering) {
        setFolderTreesEnabled(false);
        textLyrics_->setReadOnly(false);
        setMainMenusEnabled(false);
        comTimeTag_->setEnabled(true);
        comHosei_->setEnabled(true);
        if (!editByCommand_) {
            savedSplitterY_ = maximized ? splitYMax_ : splitY_;
            ApplyLayout(maximized ? splitXMax_ : splitX_, minTopHeight_);
        }
        paintTextTitle(true);
        textLyrics_->setFocus();
        return;
    }
    if (comTextSave_->isEnabled()) {
        if (AskSaveLyrics()) {
            SaveLyrics();
        } else {
            loadLyricsFile(currentFile_);
            comTextSave_->setEnabled(false);
        }
    }
    textLyrics_->setReadOnly(true);
    setFolderTreesEnabled(true);
    setMainMenusEnabled(true);
    comTimeTag_->setEnabled(false);
    comHosei_->setEnabled(false);
    if (!editByCommand_)
        ApplyLayout(maximized ? splitXMax_ : splitX_, savedSplitterY_);
    paintTextTitle(false);
    QTableView* list = paneUi_[static_cast<size_t>(activePane_)].list;
    if (list->isVisibleTo(this))
        list->setFocus();
    Q_EMIT shownLyricsChanged();
}

void FormMain::paintTextTitle(bool highlight)
{
    QPalette pal = lblTextTitle_->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(highlight ? QPalette::Highlight : QPalette::Button));
    pal.setColor(QPalette::WindowText, QApplication::palette().color(highlight ? QPalette::HighlightedText : QPalette::ButtonText));
    lblTextTitle_->setPalette(pal);
}

void FormMain::enlargeLowerArea()
{
    const bool maximized = isMaximized();
    savedSplitterY_ = maximized ? splitYMax_ : splitY_;
    ApplyLayout(maximized ? splitXMax_ : splitX_, minTopHeight_);
}

void FormMain::onLyricsTextChanged()
{
    if (settingText_ || recolouring_ || !inEditMode())
        return;
    comTextSave_->setEnabled(true);
}

void FormMain::onFocusChanged(QWidget*, QWidget* now)
{
    if (!inEditMode() || !now || now->window() != this || now == textLyrics_ || textLyrics_->isAncestorOf(now))
        return;
    if (now == chkTextEdit_ || now == comTextSave_ || now == comTextAllCopy_ || now == comTimeTag_ || now == comHosei_)
        return;
    QTimer::singleShot(0, textLyrics_, [this] {
        if (inEditMode())
            textLyrics_->setFocus();
    });
}

void FormMain::CopyAllLyrics()
{
    if (textLyrics_->toPlainText().isEmpty())
        return;
    textLyrics_->selectAll();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(lyricsText());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QTextCursor cursor = textLyrics_->textCursor();
    cursor.clearSelection();
    textLyrics_->setTextCursor(cursor);
    textLyrics_->setFocus();
}

void FormMain::PrepareRightClickMenu()
{
    const FilePane& p = pane(activePane_);
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    mnRightClickList_[0]->setEnabled(p.isLyricsMode() && !options_.pluginIni.isEmpty());
    mnRightClickList_[2]->setEnabled(!p.isLyricsMode() && clip && clip->hasText());
    mnRightClickList_[3]->setEnabled(commands_.isEnabled(QStringLiteral("SavePlaylist")));
    mnRightClickList_[5]->setEnabled(true);
}

void FormMain::PopupRightClickMenu(int i, int row, const QPoint& globalPos)
{
    ShowRow(i, row);
    PrepareRightClickMenu();
    mnRightClick_->exec(globalPos);
}

void FormMain::RunRightClickEntry(int entry)
{
    const int i = activePane_;
    if (!paneUi_[static_cast<size_t>(i)].frameFile->isVisibleTo(this) || pane(i).isEmpty() || pane(i).selectedRow() < 0)
        return;
    if (entry == 0)
        SetPluginFolder();
    else if (entry == 2)
        SaveClipboardAsLyrics();
    else if (entry == 3)
        RunCommand(QStringLiteral("SavePlaylist"));
}

void FormMain::SetPluginFolder()
{
    const FilePane& p = pane(activePane_);
    const QString folder = WithTrailingSeparator(p.row(p.selectedRow()).cell(Col::Path));
    if (!songfiles::FileExists(options_.pluginIni)) {
        services_.prompter->message(U("WinAmpのPlugin.iniをオプションで指定してください。"), MessageIcon::Warning);
        return;
    }
    if (!common::WriteProfileString(options_.pluginIni, u"Pemrick's Lyrics Common", u"LyricsFolder", folder)) {
        services_.prompter->message(U("処理に失敗しました。"), MessageIcon::Warning);
        return;
    }
    services_.prompter->message(U("WinAmp起動中ならば、WinAmpを再起動してください。"), MessageIcon::Information);
}

void FormMain::SaveClipboardAsLyrics()
{
    const FilePane& p = pane(activePane_);
    const FileRow& row = p.row(p.selectedRow());
    const QString text = QApplication::clipboard()->text();
    FileDialogRequest request;
    request.title = U("クリップボードから保存");
    request.folder = WithTrailingSeparator(row.cell(Col::Path));
    request.defaultExtension = QStringLiteral(".txt");
    request.filter = U("歌詞ファイル|*.txt;*.lrc;*.kra");
    request.fileName = ExtensionStem(row.name).isEmpty() ? QString() : QFileInfo(row.name).completeBaseName() + QStringLiteral(".txt");
    request.confirmOverwrite = true;
    const std::optional<QString> path = services_.prompter->saveFile(request);
    if (!path || path->isEmpty())
        return;
    // The file is replaced in one step, so a failed write leaves any old file intact.
    const QString crlf = lyrics::NormalizeLineBreaks(text);
    common::TextFormat format;
    if (!common::EncodeText(crlf, format))
        format = {common::TextEncoding::Utf8, true};
    if (!common::WriteTextFile(*path, crlf, format)) {
        services_.prompter->message(U("処理に失敗しました。"), MessageIcon::Warning);
        return;
    }
    services_.prompter->message(*path + U(" に保存しました。"), MessageIcon::Information);
}

} // namespace browser
