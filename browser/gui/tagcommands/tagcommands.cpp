#include "browser/gui/tagcommands/tagcommands.h"

#include "browser/core/commandregistry.h"
#include "browser/core/details.h"
#include "browser/core/filepane.h"
#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "browser/gui/formmain.h"
#include "browser/gui/tagcommands/panetransform.h"
#include "browser/gui/tagcommands/tagbatch.h"
#include "browser/gui/tagcommands/tagdialogs.h"
#include "browser/gui/tagcommands/tagfile.h"
#include "browser/gui/workbench.h"
#include "common/utf8text.h"
#include "lyrics/correction.h"
#include "songfiles/pathprobe.h"
#include "songfiles/songcorrection.h"

#include <QAction>
#include <QColor>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

namespace browser {
namespace {

using common::U;

const char* const kHoseiCaptions[8] = {
    "WinAmp→WinAmp(&1)", "WinAmp→標準　　(&2)", "標準　　→WinAmp(&3)", "標準　　→標準　　(&4)",
    "@Offsetの適用(&5)",  "-",                  "補正用データの新規追加 (&N)", "旧補正用データの更新 (&R)",
};

const char* const kTimeTagCaptions[16] = {
    "チェックファイルにも以下の処理を行う(&C)",
    "-",
    "[xx:xx:xx]に統一(&M)",
    "[xx:xx]に統一(&S)",
    "-",
    "カラオケタグのみ削除(&K)",
    "全てのタグの削除(&D)",
    "-",
    "タイムタグ順序のチェック (&O)",
    "行頭タグの正規化(&R)",
    "-",
    "タイムタグの微調整(数値入力) (&I)",
    "タイムタグの微調整(演奏合わせ) (&P)",
    "-",
    "行送りタイミングの調整(&N)",
    "カラオケタグの逆転補正 (&G)",
};

const QString kFailed = QString::fromUtf8("処理に失敗しました。");

bool InBatchSet(int index)
{
    switch (index) {
    case 0: case 2: case 3: case 5: case 6: case 9: case 11: case 14: case 15:
        return true;
    default:
        return false;
    }
}

// Which texts an entry is offered for, looking at the pane (the menu's rule; the
// operations themselves check again and leave other texts alone).
bool OfferedFor(int index, lyrics::TagKind kind)
{
    const bool tagged = kind == lyrics::TagKind::LineHead || kind == lyrics::TagKind::Karaoke;
    switch (index) {
    case 2: case 3: case 6: case 8: case 11: case 12:
        return tagged;
    case 9:
        return kind == lyrics::TagKind::LineHead;
    case 5: case 14: case 15:
        return kind == lyrics::TagKind::Karaoke;
    default:
        return false;
    }
}

QString BaseNameLower(const QString& path)
{
    return QFileInfo(path).completeBaseName().toLower();
}

} // namespace

TagCommands::TagCommands(FormMain& window, Workbench& bench)
    : QObject(&window)
    , window_(window)
    , bench_(bench)
{
    setObjectName(QStringLiteral("TagCommands"));
    mnHosei_ = window.findChild<QMenu*>(QStringLiteral("mnHosei"));
    mnTimeTag_ = window.findChild<QMenu*>(QStringLiteral("mnTimeTag"));
    buildCorrectionMenu();
    buildTimeTagMenu();

    // The Edit menu opens both menus as its submenus.
    if (QAction* a = window.findChild<QAction*>(QStringLiteral("mnEditHosei")))
        a->setMenu(mnHosei_);
    if (QAction* a = window.findChild<QAction*>(QStringLiteral("mnEditLyrics")))
        a->setMenu(mnTimeTag_);
    if (QMenu* edit = window.findChild<QMenu*>(QStringLiteral("mnEdit"))) {
        edit->addSeparator();
        auto* undo = new QAction(U("タイムタグ一括処理を元に戻す(&U)"), edit);
        undo->setObjectName(QStringLiteral("mnEditUndoTagBatch"));
        undo->setData(QStringLiteral("UndoTagBatch"));
        undo->setEnabled(false);
        connect(undo, &QAction::triggered, this, [this] { window_.RunCommand(QStringLiteral("UndoTagBatch")); });
        edit->addAction(undo);
    }

    // The lyrics pane's buttons show the menus themselves (prepared, then restored).
    if (auto* b = window.findChild<QToolButton*>(QStringLiteral("ComHosei"))) {
        b->setMenu(nullptr);
        connect(b, &QToolButton::clicked, this, &TagCommands::ComHosei);
    }
    if (auto* b = window.findChild<QToolButton*>(QStringLiteral("ComTimeTag"))) {
        b->setMenu(nullptr);
        connect(b, &QToolButton::clicked, this, &TagCommands::ComTimeTag);
    }

    if (QTextEdit* box = lyricsBox()) {
        // Marks of the order check stop lining up once the text changes.
        connect(box, &QTextEdit::textChanged, this, [box] {
            if (!box->extraSelections().isEmpty())
                box->setExtraSelections({});
        });
        // Ctrl+Z outside edit mode takes back the last command's change: edit mode is
        // entered and the text before the command comes back, unsaved. In edit mode the
        // text box undoes by itself (a command's change is one step there too).
        auto* undo = new QShortcut(QKeySequence::Undo, &window);
        undo->setObjectName(QStringLiteral("UndoLyricsCommand"));
        undo->setContext(Qt::WindowShortcut);
        connect(undo, &QShortcut::activated, this, &TagCommands::undoCommandOnPane);
        box->installEventFilter(this);
    }
}

void TagCommands::undoCommandOnPane()
{
    QTextEdit* box = lyricsBox();
    if (!box || !box->isReadOnly() || !box->document()->isUndoAvailable() || window_.currentFile().isEmpty())
        return;
    window_.setEditMode(true);
    if (window_.inEditMode())
        box->undo();
}

bool TagCommands::eventFilter(QObject* watched, QEvent* event)
{
    // The read-only text box ignores Ctrl+Z itself; it reaches the command's undo here.
    if (event->type() == QEvent::KeyPress && watched == lyricsBox() && lyricsBox()->isReadOnly()
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
        undoCommandOnPane();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QTextEdit* TagCommands::lyricsBox() const
{
    return window_.findChild<QTextEdit*>(QStringLiteral("TextLyrics"));
}

void TagCommands::registerCommands(CommandRegistry& commands)
{
    auto lyricsList = [this] { return lyricsListShown(); };
    commands.add(QStringLiteral("Hosei"), [this] { mnHosei_->exec(QCursor::pos()); }, lyricsList);
    commands.add(QStringLiteral("EditLyrics"), [this] { mnTimeTag_->exec(QCursor::pos()); }, lyricsList);
    commands.add(QStringLiteral("UndoTagBatch"), [this] { UndoBatch(); }, [this] { return canUndoBatch(); });
}

bool TagCommands::lyricsListShown() const
{
    const FilePane& p = window_.pane(window_.activePane());
    return p.isLyricsMode() && p.view == PaneView::File && !p.isEmpty();
}

QString TagCommands::oppositeSong() const
{
    const FilePane& other = window_.pane(1 - window_.activePane());
    if (other.isLyricsMode() || other.view != PaneView::File || other.selectedRow() < 0)
        return {};
    return other.row(other.selectedRow()).fullPath();
}

// ---------------------------------------------------------------------------------------
// 補正

void TagCommands::buildCorrectionMenu()
{
    mnHosei_->setTitle(U("補正変換(&H)"));
    for (int i = 0; i < 8; ++i) {
        // A separator has no caption: some styles draw a separator's text.
        auto* a = new QAction(i == 5 ? QString() : U(kHoseiCaptions[i]), mnHosei_);
        a->setObjectName(QStringLiteral("mnHoseiList%1").arg(i));
        a->setSeparator(i == 5);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, i] { RunCorrection(i); });
        mnHosei_->addAction(a);
        mnHoseiList_[size_t(i)] = a;
    }
    for (int i = 0; i < 2; ++i) {
        auto* a = new QAction(i == 0 ? QString() : U("キャンセル(&C)"), mnHosei_);
        a->setObjectName(QStringLiteral("mnHoseiListDrop%1").arg(i));
        a->setSeparator(i == 0);
        a->setVisible(false);
        mnHosei_->addAction(a);
        mnHoseiListDrop_[size_t(i)] = a;
    }
    connect(mnHosei_, &QMenu::aboutToShow, this, [this] {
        if (!holdPrepared_)
            PrepareCorrectionMenu(oppositeSong());
    });
}

void TagCommands::PrepareCorrectionMenu(const QString& songPath)
{
    songPath_ = songPath;
    for (QAction* a : mnHoseiList_)
        if (!a->isSeparator())
            a->setEnabled(false);
    const QString text = window_.lyricsText();
    if (!window_.pane(window_.activePane()).isLyricsMode() || text.isEmpty())
        return;
    const lyrics::CorrectionReading reading = lyrics::ReadCorrectionData(text, bench_.options->winAmpTime);
    // A partner that is not a song with a sample rate counts as no song: nothing that
    // needs one is offered.
    const std::optional<lyrics::SongFacts> song = songPath.isEmpty() ? std::nullopt : songfiles::SongFactsOf(songPath);
    const lyrics::CorrectionMenu menu = lyrics::CorrectionMenuState(reading, song);
    for (int i = 0; i < 8; ++i)
        if (i != 5)
            mnHoseiList_[size_t(i)]->setEnabled(menu[i]);
}

void TagCommands::ComHosei()
{
    PrepareCorrectionMenu(oppositeSong());
    holdPrepared_ = true;
    auto* b = window_.findChild<QToolButton*>(QStringLiteral("ComHosei"));
    mnHosei_->exec(b ? b->mapToGlobal(QPoint(0, b->height())) : QCursor::pos());
    holdPrepared_ = false;
    if (QTextEdit* box = lyricsBox(); box && window_.inEditMode())
        box->setFocus();
}

void TagCommands::RunCorrection(int index)
{
    if (index < 0 || index > 7 || index == 5 || window_.lyricsText().isEmpty())
        return;
    Prompter& prompter = *bench_.prompter;
    const Options& options = *bench_.options;
    window_.setBusy(true);
    if (index != 4 && index != 7 && BaseNameLower(songPath_) != BaseNameLower(window_.currentFile())) {
        if (prompter.message(U("ファイル名が異なる曲が選択されていますが、よろしいですか?"), MessageIcon::Question,
                             MessageButtons::OkCancel)
            != Answer::Ok) {
            window_.setBusy(false);
            return;
        }
    }
    const QString songPath = songPath_;
    const PaneTransformResult result = RunOnPane(window_, [&](QString& text) {
        lyrics::CorrectionReading reading = lyrics::ReadCorrectionData(text, options.winAmpTime);
        lyrics::CorrectionData& data = reading.data;
        if (index <= 4 && songfiles::UnusableTimeRatio(text, data))
            return TransformStatus::Failed;
        if (index <= 3)
            return songfiles::ConvertTagsForSong(text, songPath, data, lyrics::ConversionKind(index), options.taggingBy)
                       ? TransformStatus::Done
                       : TransformStatus::Failed;
        if (index == 4)
            return lyrics::ApplyOffset(text, data) ? TransformStatus::Done : TransformStatus::Failed;
        if (index == 7)
            return lyrics::UpdateOldCorrectionData(text, reading) ? TransformStatus::Done : TransformStatus::Failed;
        // 6: a new block measured on the song.
        const QString lower = text.toLower();
        if (lower.contains(QLatin1String("@timetype")) || lower.contains(QLatin1String("@timeratio"))) {
            if (prompter.message(U("既存の@タグを破棄して、曲から新しく補正用データを取得します。\r\nよろしいですか?"),
                                 MessageIcon::Question, MessageButtons::OkCancel)
                != Answer::Ok)
                return TransformStatus::Cancelled;
        }
        if (options.noAskTimeType) {
            data.TimeType = options.winAmpTime ? lyrics::TimeBase::WinAmp : lyrics::TimeBase::Standard;
        } else {
            const Answer a = prompter.message(U("この歌詞が WinAmp時間で作られたものなら、はい を、\r\n"
                                                "標準時間で作られたものなら、いいえ を押してください。"),
                                              MessageIcon::Question, MessageButtons::YesNo);
            data.TimeType = a == Answer::Yes ? lyrics::TimeBase::WinAmp : lyrics::TimeBase::Standard;
        }
        return songfiles::AddCorrectionDataForSong(text, songPath, data, options.taggingBy) ? TransformStatus::Done
                                                                                             : TransformStatus::Failed;
    });
    window_.setBusy(false);
    if (result.status == TransformStatus::Failed)
        prompter.message(kFailed, MessageIcon::Warning);
}

void TagCommands::DropCorrection(int pane, int row, const QString& droppedPath)
{
    Prompter& prompter = *bench_.prompter;
    if (!songfiles::FileExists(droppedPath)) {
        prompter.message(U("曲ファイルが見つかりませんでした。"), MessageIcon::Warning);
        return;
    }
    const int kind = bench_.details->songKind(droppedPath);
    if (kind == songkind::kNotSong || (kind & (songkind::kWave | songkind::kId3v2 | songkind::kMacBinary))) {
        prompter.message(U("ドラッグされたファイルには対応していません。"), MessageIcon::Warning);
        return;
    }
    FilePane& p = window_.pane(pane);
    if (row < 0 || row >= p.rowCount())
        return;
    if (p.row(row).dimmed) {
        prompter.message(U("歌詞ファイルが対応外のため補正できません。"), MessageIcon::Warning);
        return;
    }
    // Shown without selecting its partner: the dropped song is the partner here.
    QAction* autoSelect = window_.findChild<QAction*>(QStringLiteral("AutoSelect"));
    const bool wasAutoSelect = autoSelect && autoSelect->isChecked();
    if (wasAutoSelect)
        autoSelect->setChecked(false);
    window_.ShowRow(pane, row);
    if (wasAutoSelect)
        autoSelect->setChecked(true);
    if (window_.lyricsText().isEmpty()) {
        prompter.message(U("歌詞ファイルを読み出せませんでした。"), MessageIcon::Warning);
        return;
    }
    PrepareCorrectionMenu(droppedPath);
    mnHoseiList_[7]->setEnabled(false);
    mnHoseiList_[4]->setEnabled(false);
    holdPrepared_ = true;
    QTimer::singleShot(0, this, [this] {
        for (QAction* a : mnHoseiListDrop_)
            a->setVisible(true);
        mnHosei_->exec(QCursor::pos());
        for (QAction* a : mnHoseiListDrop_)
            a->setVisible(false);
        holdPrepared_ = false;
    });
}

// ---------------------------------------------------------------------------------------
// タイムタグ

void TagCommands::buildTimeTagMenu()
{
    mnTimeTag_->setTitle(U("歌詞ファイル編集(&L)"));
    for (int i = 0; i < 16; ++i) {
        const bool separator = QByteArray(kTimeTagCaptions[i]) == "-";
        auto* a = new QAction(separator ? QString() : U(kTimeTagCaptions[i]), mnTimeTag_);
        a->setObjectName(QStringLiteral("mnTimeTagList%1").arg(i));
        a->setSeparator(separator);
        a->setCheckable(i == 0);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, i] { RunTagCommand(i); });
        mnTimeTag_->addAction(a);
        mnTimeTagList_[size_t(i)] = a;
    }
    connect(mnTimeTag_, &QMenu::aboutToShow, this, &TagCommands::PrepareTimeTagMenu);
}

bool TagCommands::batchMode() const
{
    return !fromButton_ && mnTimeTagList_[0]->isChecked();
}

void TagCommands::PrepareTimeTagMenu()
{
    const FilePane& p = window_.pane(window_.activePane());
    const bool off = !p.isLyricsMode() || p.view == PaneView::Folder;
    const bool batch = batchMode();
    const QString text = window_.currentKind() == 0 ? window_.lyricsText() : QString();
    const lyrics::TagKind kind = lyrics::ClassifyTagKind(text);
    // Play-along needs a song with a sample rate in the opposite list, and its dialog.
    const QString song = oppositeSong();
    const bool playAlong = bench_.commands->contains(QStringLiteral("PlayAlong")) && !song.isEmpty()
                           && songfiles::SongFactsOf(song).has_value();
    for (int i = 0; i < 16; ++i) {
        QAction* a = mnTimeTagList_[size_t(i)];
        if (a->isSeparator())
            continue;
        bool on = false;
        if (!off) {
            if (i == 0)
                on = true;
            else if (batch)
                on = InBatchSet(i);
            else
                on = OfferedFor(i, kind) && (i != 12 || playAlong);
        }
        a->setEnabled(on);
    }
}

void TagCommands::ComTimeTag()
{
    fromButton_ = true;
    mnTimeTagList_[0]->setVisible(false);
    mnTimeTagList_[1]->setVisible(false);
    auto* b = window_.findChild<QToolButton*>(QStringLiteral("ComTimeTag"));
    mnTimeTag_->exec(b ? b->mapToGlobal(QPoint(0, b->height())) : QCursor::pos());
    mnTimeTagList_[0]->setVisible(true);
    mnTimeTagList_[1]->setVisible(true);
    fromButton_ = false;
    if (QTextEdit* box = lyricsBox(); box && window_.inEditMode())
        box->setFocus();
}

QString TagCommands::applyTagCommand(lyrics::TagCommand command, const QString& text) const
{
    return tagTransform(command)(text);
}

TagBatchRun::Transform TagCommands::tagTransform(lyrics::TagCommand command) const
{
    // The values of the dialogs are taken now: the transform may run on worker threads.
    const qint64 shift = shiftMsec_;
    const int maxAdvance = window_.okuriMaxmSec();
    const bool remove = removeAdvance_;
    return [command, shift, maxAdvance, remove](const QString& text) {
        using lyrics::TagCommand;
        if (!lyrics::TagCommandApplies(command, lyrics::ClassifyTagKind(text)))
            return text;
        switch (command) {
        case TagCommand::UnifyHundredths:
            return lyrics::UnifyTags(text, lyrics::TagLayout::Hundredths);
        case TagCommand::UnifySeconds:
            return lyrics::UnifyTags(text, lyrics::TagLayout::Seconds);
        case TagCommand::StripKaraoke:
            return lyrics::StripKaraokeTags(text);
        case TagCommand::StripAll:
            return lyrics::StripAllTags(text);
        case TagCommand::NormalizeLineHead:
            return lyrics::NormalizeLineHeadTags(text);
        case TagCommand::Shift:
            return lyrics::ShiftAllTags(text, shift);
        case TagCommand::LineAdvance:
            return lyrics::AdjustLineAdvance(text, maxAdvance, remove);
        case TagCommand::RepairReversals:
            return lyrics::RepairKaraokeReversals(text);
        case TagCommand::CheckOrder:
        case TagCommand::PlayAlong:
            break;
        }
        return text;
    };
}

void TagCommands::RunTagCommand(int index)
{
    if (index < 0 || index > 15 || mnTimeTagList_[size_t(index)]->isSeparator())
        return;
    if (index == 0) {
        // The action toggled its own check mark already when triggered from the menu.
        return;
    }
    if (index == 12) {
        bench_.commands->run(QStringLiteral("PlayAlong"));
        return;
    }
    const bool batch = batchMode();
    if (index == 8) {
        if (!batch)
            MarkReversedTags();
        return;
    }
    if (index == 11) {
        FormTimeTagSlide1 dialog(&window_);
        dialog.exec();
        if (dialog.amount() == 0)
            return;
        shiftMsec_ = dialog.amount();
    } else if (index == 14) {
        FormOkuri dialog(window_.okuriMaxmSec(), *bench_.prompter, &window_);
        dialog.exec();
        if (dialog.cancelled())
            return;
        removeAdvance_ = dialog.removeMode();
        if (!removeAdvance_)
            window_.setOkuriMaxmSec(dialog.maxAdvanceMsec());
    } else if (index == 15 && batch) {
        if (bench_.prompter->message(U("この操作は少し時間がかかることがありますが、よいですか?"), MessageIcon::Question,
                                     MessageButtons::OkCancel)
            != Answer::Ok)
            return;
    }
    const auto command = static_cast<lyrics::TagCommand>(index);
    if (batch) {
        runBatch(command);
        return;
    }
    RunOnPane(window_, [&](QString& text) {
        text = applyTagCommand(command, text);
        return TransformStatus::Done;
    });
}

bool TagCommands::MarkReversedTags()
{
    QTextEdit* box = lyricsBox();
    const QString text = window_.lyricsText();
    if (!box || text.isEmpty())
        return false;
    window_.setBusy(true);
    window_.setRecolouring(true);
    // Positions in the text box count a line break as one character.
    QList<QTextEdit::ExtraSelection> marks;
    bool found = false;
    qsizetype scanned = 0, breaks = 0;
    for (const lyrics::TagOrderEntry& e : lyrics::ScanTagOrder(text)) {
        for (; scanned < e.position; ++scanned)
            if (text[scanned] == u'\r' && scanned + 1 < text.size() && text[scanned + 1] == u'\n')
                ++breaks;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(box->document());
        mark.cursor.setPosition(int(e.position - breaks));
        mark.cursor.setPosition(int(e.position - breaks + e.length), QTextCursor::KeepAnchor);
        mark.format.setForeground(e.reversed ? QColor(255, 0, 0) : QColor(QRgb(kGrey)));
        marks << mark;
        found = found || e.reversed;
    }
    box->setExtraSelections(marks);
    QTextCursor start(box->document());
    box->setTextCursor(start);
    window_.setRecolouring(false);
    window_.setBusy(false);
    if (found)
        bench_.prompter->message(U("タイムタグの逆転を発見した箇所を赤色で示しました。"), MessageIcon::Information);
    return found;
}

void TagCommands::runBatch(lyrics::TagCommand command)
{
    const int i = window_.activePane();
    FilePane& p = window_.pane(i);
    window_.setBusy(true);
    batchUndo_.clear();
    const int remembered = p.selectedRow();
    QStringList paths;
    std::vector<int> rows;
    for (int row = 0; row < p.rowCount(); ++row) {
        if (p.row(row).checked) {
            paths << p.row(row).fullPath();
            rows.push_back(row);
        }
    }

    // The files are read and written by worker threads; this thread keeps the window
    // alive and takes the results in order: the row of the file done last is selected
    // and the rows of rewritten files are refreshed, a few at a time.
    TagBatchRun run(paths, tagTransform(command));
    run.start(kBatchThreads);
    QStringList written;
    QStringList failures;
    qsizetype taken = 0;
    auto take = [&](qint64 budgetMs) {
        QElapsedTimer clock;
        clock.start();
        int lastRow = -1;
        for (; taken < run.count() && run.isDone(taken) && clock.elapsed() < budgetMs; ++taken) {
            const QString& path = run.path(taken);
            // The rows stay where they were unless the pane was changed meanwhile.
            int row = rows[size_t(taken)];
            if (row >= p.rowCount() || p.row(row).fullPath() != path)
                row = RowOfFile(window_, i, path);
            lastRow = row >= 0 ? row : lastRow;
            const TagBatchRun::Result& r = run.result(taken);
            if (r.state == TagBatchRun::Result::State::Failed) {
                failures << QFileInfo(path).fileName() + QStringLiteral(": ") + r.error;
            } else if (r.state == TagBatchRun::Result::State::Written) {
                batchUndo_.push_back({path, r.before, r.after});
                written << path;
                if (row >= 0)
                    window_.RefreshRow(i, row);
            }
        }
        if (lastRow >= 0)
            window_.SelectRow(i, lastRow);
    };
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(15);
    connect(&tick, &QTimer::timeout, &loop, [&] {
        take(20);
        if (taken == run.count())
            loop.quit();
    });
    tick.start();
    loop.exec();
    run.wait();

    if (remembered >= 0 && remembered < p.rowCount())
        window_.SelectRow(i, remembered);
    reshowIfShown(written);
    window_.setBusy(false);
    if (!failures.isEmpty())
        bench_.prompter->message(U("次のファイルは書き込めませんでした。") + QStringLiteral("\r\n") + failures.join(QStringLiteral("\r\n")),
                                 MessageIcon::Warning);
}

void TagCommands::reshowIfShown(const QStringList& paths)
{
    // A file shown in the pane is shown again from disk, so that a later save of the
    // pane cannot put the old text back.
    const QString shown = window_.currentFile();
    if (window_.currentKind() != 0 || shown.isEmpty() || !paths.contains(shown))
        return;
    const int row = RowOfFile(window_, window_.currentPane(), shown);
    if (row >= 0)
        window_.ShowRow(window_.currentPane(), row);
}

void TagCommands::UndoBatch()
{
    if (batchUndo_.empty())
        return;
    window_.setBusy(true);
    QStringList restored;
    QStringList failures;
    for (const WrittenFile& f : batchUndo_) {
        const QString name = QFileInfo(f.path).fileName();
        QFile current(f.path);
        if (!current.open(QIODevice::ReadOnly) || current.readAll() != f.after) {
            failures << name + U(": 一括処理の後で変更されています");
            continue;
        }
        current.close();
        QString error;
        if (!ReplaceFileBytes(f.path, f.before, &error)) {
            failures << name + QStringLiteral(": ") + error;
            continue;
        }
        restored << f.path;
        for (int pane = 0; pane < 2; ++pane)
            if (const int row = RowOfFile(window_, pane, f.path); row >= 0)
                window_.RefreshRow(pane, row);
    }
    batchUndo_.clear();
    reshowIfShown(restored);
    window_.setBusy(false);
    if (!failures.isEmpty())
        bench_.prompter->message(U("次のファイルは元に戻せませんでした。") + QStringLiteral("\r\n") + failures.join(QStringLiteral("\r\n")),
                                 MessageIcon::Warning);
}

} // namespace browser
