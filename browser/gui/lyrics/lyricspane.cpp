// LyricsPane: showing a row, edit mode, saving and copying the shown lyrics.
#include "browser/gui/lyrics/lyricspane.h"

#include "browser/core/details.h"
#include "browser/core/options.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "browser/gui/busy.h"
#include "browser/gui/lyrics/lyricsourcechooser.h"
#include "browser/gui/panes/filepaneview.h"
#include "browser/gui/player/playerstrip.h"
#include "browser/gui/titlelabel.h"
#include "browser/gui/workbench.h"
#include "common/textfile.h"
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
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace browser {
namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QToolButton* MakeButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(false);
    return b;
}

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
    frameLyricsInfo_ = buildButtons(timeTagMenu, correctionMenu);
    frameLyrics_ = buildText();
    connect(chkTextEdit_, &QCheckBox::toggled, this, &LyricsPane::toggleEditMode);
    connect(comTextSave_, &QToolButton::clicked, this, &LyricsPane::saveAndRefresh);
    connect(comTextAllCopy_, &QToolButton::clicked, this, &LyricsPane::copyAll);
    connect(textLyrics_, &QTextEdit::textChanged, this, &LyricsPane::onTextChanged);
    connect(qApp, &QApplication::focusChanged, this, &LyricsPane::onFocusChanged);
    textLyrics_->installEventFilter(this);
    empty();
}

QWidget* LyricsPane::buildButtons(QMenu* timeTagMenu, QMenu* correctionMenu)
{
    auto* frame = new QWidget;
    frame->setObjectName(QStringLiteral("FrameLyricsInfo"));
    auto* li = new QGridLayout(frame);
    li->setContentsMargins(0, 0, 0, 0);
    li->setSpacing(2);
    chkTextEdit_ = new QCheckBox(U("編集"), frame);
    chkTextEdit_->setObjectName(QStringLiteral("ChkTextEdit"));
    comTextSave_ = MakeButton(QStringLiteral("ComTextSave"), U("上書保存"), frame);
    comTextAllCopy_ = MakeButton(QStringLiteral("ComTextAllCopy"), U("全文コピー"), frame);
    comTimeTag_ = MakeButton(QStringLiteral("ComTimeTag"), U("タイムタグ"), frame);
    comHosei_ = MakeButton(QStringLiteral("ComHosei"), U("補正"), frame);
    comTimeTag_->setMenu(timeTagMenu);
    comTimeTag_->setPopupMode(QToolButton::InstantPopup);
    comHosei_->setMenu(correctionMenu);
    comHosei_->setPopupMode(QToolButton::InstantPopup);
    li->addWidget(chkTextEdit_, 0, 0);
    li->addWidget(comTextSave_, 0, 1);
    li->addWidget(comTextAllCopy_, 1, 0, 1, 2);
    li->addWidget(comTimeTag_, 2, 0);
    li->addWidget(comHosei_, 2, 1);
    li->setRowStretch(3, 1);
    for (QWidget* w : {static_cast<QWidget*>(comTextSave_), static_cast<QWidget*>(comTextAllCopy_),
                       static_cast<QWidget*>(comTimeTag_), static_cast<QWidget*>(comHosei_), static_cast<QWidget*>(chkTextEdit_)}) {
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
    lblTextTitle_ = textTitle;
    ly->addWidget(lblTextTitle_);
    textLyrics_ = new QTextEdit(frame);
    textLyrics_->setObjectName(QStringLiteral("TextLyrics"));
    textLyrics_->setAcceptRichText(false);
    textLyrics_->setLineWrapMode(QTextEdit::NoWrap);
    textLyrics_->setReadOnly(true);
    ly->addWidget(textLyrics_, 1);
    return frame;
}

bool LyricsPane::inEditMode() const
{
    return chkTextEdit_ && chkTextEdit_->isChecked();
}

bool LyricsPane::hasUnsavedEdits() const
{
    return comTextSave_->isEnabled();
}

QString LyricsPane::text() const
{
    QString text = textLyrics_->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void LyricsPane::focusText()
{
    textLyrics_->setFocus();
}

void LyricsPane::showButtons(bool lyricsRow)
{
    frameLyricsInfo_->setVisible(lyricsRow);
    sources_.setVisible(!lyricsRow);
}

bool LyricsPane::loadFile(const QString& path)
{
    QString text;
    if (!common::ReadTextFile(path, text))
        return false;
    settingText_ = true;
    textLyrics_->setPlainText(ToBoxText(lyrics::NormalizeLineBreaks(text)));
    settingText_ = false;
    return true;
}

void LyricsPane::empty()
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
        Q_EMIT editModeChanged(false, editByCommand_);
        paintTitle(false);
    }
    chkTextEdit_->setEnabled(false);
    comTextAllCopy_->setEnabled(false);
    comTextSave_->setEnabled(false);
    comTimeTag_->setEnabled(false);
    comHosei_->setEnabled(false);
    lblTextTitle_->clear();
}

void LyricsPane::showRow(int i, int row)
{
    FilePane& p = bench_.pane(i);
    FilePaneView& view = bench_.view(i);
    // A pane selecting a row quietly (a partner, a bulk refresh) does not show it.
    if (view.selectingQuietly() || p.isEmpty() || row < 0 || row >= p.rowCount())
        return;
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
    Q_EMIT statusText(QStringLiteral("[ ") + currentFile_ + QStringLiteral(" ]"));

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
    if (!lyricsRow)
        sources_.rebuild();
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
    lblTextTitle_->setText(QFileInfo(currentFile_).fileName());
    chkTextEdit_->setEnabled(true);
    comTextAllCopy_->setEnabled(true);
    comTextSave_->setEnabled(false);
    return true;
}

void LyricsPane::clearShown(int kind)
{
    if (kind == 0) {
        if (comTextSave_->isEnabled() && askSave())
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
    if (!songfiles::FileWritable(path)) {
        bench_.prompter->message(U("保存できませんでした。"), MessageIcon::Warning);
        return;
    }
    if (!common::WriteTextFile(path, text())) {
        // The edits stay in the pane and still count as unsaved.
        bench_.prompter->message(U("保存できませんでした。"), MessageIcon::Warning);
        return;
    }
    comTextSave_->setEnabled(false);
}

void LyricsPane::saveAndRefresh()
{
    save();
    const int active = bench_.activePane();
    const FilePane& p = bench_.pane(active);
    if (p.selectedRow() >= 0)
        bench_.view(active).refreshRow(p.selectedRow());
    textLyrics_->setFocus();
}

bool LyricsPane::toggleEdit()
{
    if (!chkTextEdit_->isEnabled())
        return false;
    chkTextEdit_->click();
    return true;
}

void LyricsPane::requestEdit()
{
    if (chkTextEdit_->isEnabled() && !chkTextEdit_->isChecked())
        chkTextEdit_->click();
}

void LyricsPane::toggleEditMode(bool entering)
{
    if (entering) {
        textLyrics_->setReadOnly(false);
        Q_EMIT editModeChanged(true, editByCommand_);
        comTimeTag_->setEnabled(true);
        comHosei_->setEnabled(true);
        paintTitle(true);
        textLyrics_->setFocus();
        return;
    }
    if (comTextSave_->isEnabled()) {
        if (askSave()) {
            save();
        } else {
            loadFile(currentFile_);
            comTextSave_->setEnabled(false);
        }
    }
    textLyrics_->setReadOnly(true);
    comTimeTag_->setEnabled(false);
    comHosei_->setEnabled(false);
    Q_EMIT editModeChanged(false, editByCommand_);
    paintTitle(false);
    QTableView* list = bench_.view(bench_.activePane()).list();
    if (list->isVisibleTo(list->window()))
        list->setFocus();
}

void LyricsPane::paintTitle(bool highlight)
{
    QPalette pal = lblTextTitle_->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(highlight ? QPalette::Highlight : QPalette::Button));
    pal.setColor(QPalette::WindowText, QApplication::palette().color(highlight ? QPalette::HighlightedText : QPalette::ButtonText));
    lblTextTitle_->setPalette(pal);
}

void LyricsPane::onTextChanged()
{
    if (settingText_ || recolouring_ || !inEditMode())
        return;
    comTextSave_->setEnabled(true);
}

void LyricsPane::onFocusChanged(QWidget*, QWidget* now)
{
    if (!inEditMode() || !now || now->window() != textLyrics_->window() || now == textLyrics_ || textLyrics_->isAncestorOf(now))
        return;
    if (now == chkTextEdit_ || now == comTextSave_ || now == comTextAllCopy_ || now == comTimeTag_ || now == comHosei_)
        return;
    QTimer::singleShot(0, textLyrics_, [this] {
        if (inEditMode())
            textLyrics_->setFocus();
    });
}

void LyricsPane::copyAll()
{
    if (textLyrics_->toPlainText().isEmpty())
        return;
    textLyrics_->selectAll();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QTextCursor cursor = textLyrics_->textCursor();
    cursor.clearSelection();
    textLyrics_->setTextCursor(cursor);
    textLyrics_->setFocus();
}

bool LyricsPane::handlesKeysOf(const QObject* watched) const
{
    return watched == textLyrics_;
}

bool LyricsPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == textLyrics_ && event->type() == QEvent::KeyPress)
        return textKeyPress(static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

bool LyricsPane::textKeyPress(QKeyEvent* key)
{
    if (inEditMode() && !editByCommand_ && (key->key() == Qt::Key_Escape || bench_.escapeHeld)) {
        bench_.escapeHeld = key->key() == Qt::Key_Escape;
        chkTextEdit_->setChecked(false);
        return true;
    }
    if (key->modifiers() & Qt::ControlModifier)
        return bench_.windowKeys(key);
    return false;
}

void LyricsPane::showToolTips(bool on)
{
    const std::pair<QWidget*, const char*> tips[] = {
        {chkTextEdit_, "編集開始・終了"}, {comTextSave_, "上書保存"},     {comTextAllCopy_, "全文コピー"},
        {comTimeTag_, "タイムタグ … "},   {comHosei_, "補正 … "},
    };
    for (const auto& [widget, tip] : tips)
        widget->setToolTip(on ? U(tip) : QString());
}

} // namespace browser
