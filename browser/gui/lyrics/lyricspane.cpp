// LyricsPane: showing a row, edit mode, saving and copying the shown lyrics.
#include "browser/gui/lyrics/lyricspane.h"

#include "browser/core/details.h"
#include "browser/core/options.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "browser/core/rawnamescan.h"
#include "browser/core/rewriteconsent.h"
#include "browser/core/saveformat.h"
#include "browser/gui/busy.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/panes/filepaneview.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/titlelabel.h"
#include "browser/gui/workbench.h"
#include "common/rawname.h"
#include "common/textfile.h"
#include "browser/gui/makecontrols.h"
#include "common/utf8text.h"
#include "lyrics/linebreaks.h"
#include "songfiles/pathprobe.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

// The text box holds "\n" line breaks; files and the rest of the program CR LF.
QString ToBoxText(const QString& crlf)
{
    QString t = crlf;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

} // namespace

LyricsPane::LyricsPane(Workbench& bench, LyricSourceChooser& sources, PlayerStrip& player, QObject* parent)
    : QObject(parent)
    , bench_(bench)
    , sources_(sources)
    , player_(player)
{
    setObjectName(QStringLiteral("LyricsPane"));
}

void LyricsPane::build(QMenu* timeTagMenu, QMenu* correctionMenu)
{
    buttonsFrame_ = buildButtons(timeTagMenu, correctionMenu);
    textFrame_ = buildText();
    connect(editBox_, &QCheckBox::toggled, this, &LyricsPane::toggleEditMode);
    connect(saveButton_, &QToolButton::clicked, this, &LyricsPane::saveAndRefresh);
    connect(copyAllButton_, &QToolButton::clicked, this, &LyricsPane::copyAll);
    connect(text_, &QTextEdit::textChanged, this, &LyricsPane::onTextChanged);
    connect(qApp, &QApplication::focusChanged, this, &LyricsPane::onFocusChanged);
    text_->installEventFilter(this);
    empty();
}

QWidget* LyricsPane::buildButtons(QMenu* timeTagMenu, QMenu* correctionMenu)
{
    auto* frame = new QWidget;
    frame->setObjectName(QStringLiteral("FrameLyricsInfo"));
    auto* li = new QGridLayout(frame);
    li->setContentsMargins(0, 0, 0, 0);
    li->setSpacing(2);
    editBox_ = new QCheckBox(U("編集"), frame);
    editBox_->setObjectName(QStringLiteral("ChkTextEdit"));
    saveButton_ = MakeTextToolButton(QStringLiteral("ComTextSave"), U("上書保存"), frame);
    copyAllButton_ = MakeTextToolButton(QStringLiteral("ComTextAllCopy"), U("全文コピー"), frame);
    timeTagButton_ = MakeTextToolButton(QStringLiteral("ComTimeTag"), U("タイムタグ"), frame);
    correctionButton_ = MakeTextToolButton(QStringLiteral("ComHosei"), U("補正"), frame);
    timeTagButton_->setMenu(timeTagMenu);
    timeTagButton_->setPopupMode(QToolButton::InstantPopup);
    correctionButton_->setMenu(correctionMenu);
    correctionButton_->setPopupMode(QToolButton::InstantPopup);
    li->addWidget(editBox_, 0, 0);
    li->addWidget(saveButton_, 0, 1);
    li->addWidget(copyAllButton_, 1, 0, 1, 2);
    li->addWidget(timeTagButton_, 2, 0);
    li->addWidget(correctionButton_, 2, 1);
    li->setRowStretch(3, 1);
    for (QWidget* w : {static_cast<QWidget*>(saveButton_), static_cast<QWidget*>(copyAllButton_),
                       static_cast<QWidget*>(timeTagButton_), static_cast<QWidget*>(correctionButton_), static_cast<QWidget*>(editBox_)}) {
        w->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        w->setFocusPolicy(Qt::TabFocus);
    }
    return frame;
}

QWidget* LyricsPane::buildText()
{
    auto* frame = new QWidget;
    frame->setObjectName(QStringLiteral("FrameLyrics"));
    auto* ly = new QVBoxLayout(frame);
    ly->setContentsMargins(0, 0, 0, 0);
    ly->setSpacing(1);
    auto* textTitle = new TitleLabel(frame);
    textTitle->setObjectName(QStringLiteral("lblTextTitle"));
    textTitle->setAutoFillBackground(true);
    textTitle->setFrameShape(QFrame::StyledPanel);
    connect(textTitle, &TitleLabel::doubleClicked, this, &LyricsPane::enlargeRequested);
    title_ = textTitle;
    ly->addWidget(title_);
    text_ = new QTextEdit(frame);
    text_->setObjectName(QStringLiteral("TextLyrics"));
    text_->setAcceptRichText(false);
    text_->setLineWrapMode(QTextEdit::NoWrap);
    text_->setReadOnly(true);
    ly->addWidget(text_, 1);
    return frame;
}

bool LyricsPane::inEditMode() const
{
    return editBox_ && editBox_->isChecked();
}

bool LyricsPane::hasUnsavedEdits() const
{
    return saveButton_->isEnabled();
}

QString LyricsPane::text() const
{
    // The raw text keeps no-break spaces, which toPlainText() turns into blanks.
    QString text = text_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void LyricsPane::setText(const QString& crlf)
{
    QTextCursor cursor(text_->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(ToBoxText(crlf));
    cursor.endEditBlock();
    cursor.setPosition(0);
    text_->setTextCursor(cursor);
}

void LyricsPane::editText(const QString& crlf)
{
    if (!editBox_->isEnabled())
        return;
    if (!inEditMode())
        editBox_->setChecked(true);
    text_->setPlainText(ToBoxText(crlf)); // an edit: the save button comes on
}

void LyricsPane::setEditMode(bool on)
{
    if (editBox_->isEnabled() && editBox_->isChecked() != on)
        editBox_->setChecked(on);
}

bool LyricsPane::canEdit() const
{
    return editBox_ && editBox_->isEnabled();
}

void LyricsPane::focusText()
{
    text_->setFocus();
}

void LyricsPane::showButtons(bool lyricsRow)
{
    buttonsFrame_->setVisible(lyricsRow);
    sources_.setVisible(!lyricsRow);
}

bool LyricsPane::loadFile(const QString& path)
{
    QString text;
    if (!common::ReadTextFile(path, text))
        return false;
    settingText_ = true;
    text_->setPlainText(ToBoxText(lyrics::NormalizeLineBreaks(text)));
    settingText_ = false;
    Q_EMIT shownLyricsChanged();
    return true;
}

void LyricsPane::empty()
{
    settingText_ = true;
    text_->clear();
    settingText_ = false;
    const bool wasEditing = inEditMode();
    editBox_->blockSignals(true);
    editBox_->setChecked(false);
    editBox_->blockSignals(false);
    if (wasEditing) {
        // Leaving edit mode without a question: the caller has dealt with the edits.
        text_->setReadOnly(true);
        Q_EMIT editModeChanged(false, editByCommand_);
        paintTitle(false);
    }
    editBox_->setEnabled(false);
    copyAllButton_->setEnabled(false);
    saveButton_->setEnabled(false);
    timeTagButton_->setEnabled(false);
    correctionButton_->setEnabled(false);
    title_->clear();
    Q_EMIT shownLyricsChanged();
}

void LyricsPane::showRow(int i, int row)
{
    FilePane& p = bench_.pane(i);
    FilePaneView& view = bench_.view(i);
    // A pane selecting a row quietly (a partner, a bulk refresh) does not show it.
    if (view.selectingQuietly() || p.isEmpty() || row < 0 || row >= p.rowCount())
        return;
    if (!settleUnsavedEdits()) {
        keepShownRowSelected();
        return;
    }
    view.selectRow(row);
    view.activate();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    bench_.busy->begin();
    const bool lyricsRow = p.isLyricsMode();
    showButtons(lyricsRow);
    clearShown(lyricsRow ? 0 : 1);
    currentFile_ = p.row(row).fullPath();
    currentKind_ = lyricsRow ? 0 : 1;
    currentPane_ = i;
    sources_.setShownFile(i, currentFile_);
    Q_EMIT statusText(QStringLiteral("[ ") + common::DisplayPath(currentFile_) + QStringLiteral(" ]"));

    if (lyricsRow) {
        if (!showLyricsRow(i, row)) {
            bench_.busy->end();
            empty();
            view.updateTitle();
            return;
        }
    } else {
        if (p.row(row).icon == 0 || p.row(row).dimmed)
            FillSongRow(p, row, bench_.pane(1 - i), *bench_.details);
        sources_.showSong(p.row(row));
        player_.setPlayable(!p.row(row).dimmed);
    }

    PairRow(p, row, bench_.pane(1 - i));
    sources_.forgetSources();
    view.autoSelectPartner(row);
    if (!lyricsRow) {
        sources_.rebuild();
        showPartnerText();
    }
    view.updateTitle();
    bench_.busy->end();
}

bool LyricsPane::showLyricsRow(int i, int row)
{
    FilePane& p = bench_.pane(i);
    bool ok = true;
    if (p.row(row).icon == 0 || p.row(row).dimmed)
        ok = FillLyricsRow(p, row, bench_.pane(1 - i), *bench_.details, bench_.options->winAmpTime);
    if (ok)
        ok = loadFile(currentFile_);
    if (!ok)
        return false;
    title_->setText(ShownCell(p.row(row), Col::Filename));
    // A file whose name is not UTF-8 cannot be written: it is shown, not edited.
    editBox_->setEnabled(!common::HasRawBytes(currentFile_));
    copyAllButton_->setEnabled(true);
    saveButton_->setEnabled(false);
    return true;
}

void LyricsPane::clearShown(int kind)
{
    if (kind == 0) {
        if (saveButton_->isEnabled() && askSave())
            save();
        empty();
    } else {
        player_.clearSong();
        sources_.clearSong();
    }
    currentFile_.clear();
    sources_.setShownFile(currentPane_, QString());
    Q_EMIT statusText(QString());
}

void LyricsPane::clearIfShownFrom(int pane)
{
    if (currentPane_ == pane && !currentFile_.isEmpty())
        clearShown(currentKind_);
}

bool LyricsPane::askSave()
{
    return bench_.prompter->message(U("歌詞ファイルを保存しますか？"), MessageIcon::Question, MessageButtons::YesNo) == Answer::Yes;
}

void LyricsPane::offerSave()
{
    if (hasUnsavedEdits() && askSave())
        save();
}

void LyricsPane::save()
{
    const QString path = currentFile_;
    if (common::HasRawBytes(path)) {
        bench_.prompter->message(common::RawNameWriteRefusal(path), MessageIcon::Warning);
        return;
    }
    if (!songfiles::FileWritable(path)) {
        bench_.prompter->message(U("保存できませんでした。"), MessageIcon::Warning);
        return;
    }
    const QString shown = text();
    const SaveFormatChoice choice = ChooseSaveFormat(*bench_.prompter, path, shown);
    if (!choice.save)
        return; // the edits stay, unsaved
    RewriteConsent consent;
    if (!consent.ask(*bench_.prompter, path))
        return;
    QString why;
    if (!(choice.format ? common::WriteTextFile(path, shown, *choice.format, &why) : common::WriteTextFile(path, shown, &why))) {
        // The edits stay in the pane and still count as unsaved.
        bench_.prompter->message(U("保存できませんでした。") + (why.isEmpty() ? QString() : QStringLiteral("\n") + why),
                                 MessageIcon::Warning);
        return;
    }
    saveButton_->setEnabled(false);
}

void LyricsPane::saveAndRefresh()
{
    save();
    const int active = bench_.activePane();
    const FilePane& p = bench_.pane(active);
    if (p.selectedRow() >= 0)
        bench_.view(active).refreshRow(p.selectedRow());
    text_->setFocus();
}

bool LyricsPane::toggleEdit()
{
    if (!editBox_->isEnabled())
        return false;
    editBox_->click();
    return true;
}

void LyricsPane::requestEdit()
{
    if (editBox_->isEnabled() && !editBox_->isChecked())
        editBox_->click();
}

void LyricsPane::toggleEditMode(bool entering)
{
    if (entering) {
        text_->setReadOnly(false);
        Q_EMIT editModeChanged(true, editByCommand_);
        timeTagButton_->setEnabled(true);
        correctionButton_->setEnabled(true);
        paintTitle(true);
        text_->setFocus();
        return;
    }
    if (saveButton_->isEnabled()) {
        if (askSave()) {
            save();
        } else {
            saveButton_->setEnabled(false);
            if (!loadFile(currentFile_))
                showFileGone(); // never unsaved text that cannot be saved
        }
    }
    text_->setReadOnly(true);
    timeTagButton_->setEnabled(false);
    correctionButton_->setEnabled(false);
    Q_EMIT editModeChanged(false, editByCommand_);
    paintTitle(false);
    QTableView* list = bench_.view(bench_.activePane()).list();
    if (list->isVisibleTo(list->window()))
        list->setFocus();
    Q_EMIT shownLyricsChanged();
}

void LyricsPane::paintTitle(bool highlight)
{
    QPalette pal = title_->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(highlight ? QPalette::Highlight : QPalette::Button));
    pal.setColor(QPalette::WindowText, QApplication::palette().color(highlight ? QPalette::HighlightedText : QPalette::ButtonText));
    title_->setPalette(pal);
}

void LyricsPane::onTextChanged()
{
    if (settingText_ || recolouring_ || !inEditMode())
        return;
    saveButton_->setEnabled(true);
}

void LyricsPane::onFocusChanged(QWidget*, QWidget* now)
{
    if (!inEditMode() || !now || now->window() != text_->window() || now == text_ || text_->isAncestorOf(now))
        return;
    if (now == editBox_ || now == saveButton_ || now == copyAllButton_ || now == timeTagButton_ || now == correctionButton_)
        return;
    QTimer::singleShot(0, text_, [this] {
        if (inEditMode())
            text_->setFocus();
    });
}

void LyricsPane::copyAll()
{
    if (text_->toPlainText().isEmpty())
        return;
    text_->selectAll();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QTextCursor cursor = text_->textCursor();
    cursor.clearSelection();
    text_->setTextCursor(cursor);
    text_->setFocus();
}

bool LyricsPane::handlesKeysOf(const QObject* watched) const
{
    return watched == text_;
}

bool LyricsPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == text_ && event->type() == QEvent::KeyPress)
        return textKeyPress(static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

bool LyricsPane::textKeyPress(QKeyEvent* key)
{
    if (inEditMode() && !editByCommand_ && (key->key() == Qt::Key_Escape || bench_.escapeHeld)) {
        bench_.escapeHeld = key->key() == Qt::Key_Escape;
        editBox_->setChecked(false);
        return true;
    }
    if (key->modifiers() & Qt::ControlModifier)
        return bench_.windowKeys(key);
    return false;
}

void LyricsPane::showToolTips(bool on)
{
    const std::pair<QWidget*, const char*> tips[] = {
        {editBox_, "編集開始・終了"}, {saveButton_, "上書保存"},     {copyAllButton_, "全文コピー"},
        {timeTagButton_, "タイムタグ … "},   {correctionButton_, "補正 … "},
    };
    for (const auto& [widget, tip] : tips)
        widget->setToolTip(on ? U(tip) : QString());
}

} // namespace browser
