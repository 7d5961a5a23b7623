// FormSongInfo: the song information editor.
#include "browser/gui/songinfo/formsonginfo.h"

#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "common/utf8text.h"
#include "playback/engine.h"
#include "playback/vbmp3_files.h"
#include "songfiles/embed.h"
#include "songfiles/genres.h"
#include "songfiles/pathprobe.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser {

using namespace songfiles;

namespace {

using common::U;

// Messages of the editor.
const char kLoadFailed[] = "(読み込みエラーまたは対応外ファイルです。)";
const char kWriteFailed[] = "書き込めませんでした。";
const char kConvertFailed[] = "書き換えに失敗しました。";

struct FieldControl {
    const char* name;    // the box is "Txt" + name, its label "lbl" + name
    const char* caption; // the INFO label
};
// In SongInfoField order.
const FieldControl kControls[kSongInfoFieldCount] = {
    {"Title", "タイトル："},     {"Artist", "アーティスト："}, {"Album", "アルバム："},
    {"Comment", "コメント："},   {"Year", "日付："},           {"Genre", "ジャンル："},
    {"Copyright", "著作権："},   {"Source", "ソース："},       {"Engineer", "エンジニア："},
    {"Software", "ソフトウェア："}, {"Keywords", "キーワード："}, {"Lyrics", "歌詞："},
    {"Technician", "技術者："}, {"Commissioned", "コミッション："},
};

/// The boxes that only an RMP has.
bool RmpOnly(SongInfoField f)
{
    return f >= FieldCopyright;
}

/// Hourglass pointer and a disabled dialog while it works; both come back on every way out.
class Busy {
public:
    explicit Busy(QWidget& w) : w_(w)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        w_.setEnabled(false);
    }
    ~Busy() { end(); }
    void end()
    {
        if (done_)
            return;
        done_ = true;
        w_.setEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    QWidget& w_;
    bool done_ = false;
};

QString CrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

} // namespace

FormSongInfo::FormSongInfo(const Workbench& bench, const QString& path, QWidget* parent)
    : QDialog(parent)
    , bench_(bench)
    , path_(path)
{
    setObjectName(QStringLiteral("FormSongInfo"));
    setWindowTitle(U("曲情報"));
    setModal(true);
    outcome_.path = path;
    buildControls();
    fillGenreLists();
    if (!load()) {
        for (QLineEdit* box : boxes_)
            if (box)
                box->clear();
        txtLyrics_->clear();
        comboGenre_->setCurrentIndex(-1);
        lblInfo_->setText(U(kLoadFailed));
        applyMode(Mode::Unreadable);
    }
    updatePathLabel();
}

FormSongInfo::~FormSongInfo() = default;

SongInfoOutcome FormSongInfo::Open(const Workbench& bench, const QString& path, QWidget* parent)
{
    FormSongInfo form(bench, path, parent);
    form.exec();
    return form.outcome();
}

playback::Vbmp3Files& FormSongInfo::files()
{
    if (playback::Engine* engine = bench_.engine.engine())
        return *engine;
    if (!ownFiles_)
        ownFiles_ = std::make_unique<playback::Vbmp3Files>();
    return *ownFiles_;
}

void FormSongInfo::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    buildHeader(layout);
    layout->addLayout(buildFields());

    // The genre table in number order, empty entries included (kept, never shown).
    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->hide();

    layout->addSpacing(4);
    layout->addLayout(buildButtons());
    connect(comWrite_, &QPushButton::clicked, this, &FormSongInfo::ComWrite_Click);
    connect(comRmp_, &QPushButton::clicked, this, &FormSongInfo::ComRMP_Click);
    connect(comMp3_, &QPushButton::clicked, this, &FormSongInfo::ComMP3_Click);
    connect(comCancel_, &QPushButton::clicked, this, &FormSongInfo::ComCancel_Click);
}

void FormSongInfo::buildHeader(QVBoxLayout* layout)
{
    lblFullPath_ = new QLabel(this);
    lblFullPath_->setObjectName(QStringLiteral("lblFullPath"));
    lblFullPath_->setTextFormat(Qt::PlainText);
    lblFullPath_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblFullPath_->setFrameShape(QFrame::StyledPanel);
    lblFullPath_->setFrameShadow(QFrame::Sunken);
    lblFullPath_->setMargin(2);
    layout->addWidget(lblFullPath_);
    lblInfo_ = new QLabel(this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setTextFormat(Qt::PlainText);
    layout->addWidget(lblInfo_);
    // Measures the path: the label's own font, never shown.
    lblTest_ = new QLabel(this);
    lblTest_->setObjectName(QStringLiteral("lblTest"));
    lblTest_->hide();
}

QGridLayout* FormSongInfo::buildFields()
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnMinimumWidth(2, 0);
    int leftRow = 0;
    int rightRow = 0;
    for (int i = 0; i < kSongInfoFieldCount; ++i) {
        const auto f = static_cast<SongInfoField>(i);
        auto* label = new QLabel(U(kControls[i].caption), this);
        label->setObjectName(QStringLiteral("lbl") + QLatin1String(kControls[i].name));
        labels_[i] = label;
        QWidget* box = nullptr;
        if (f == FieldLyrics) {
            txtLyrics_ = new QPlainTextEdit(this);
            txtLyrics_->setObjectName(QStringLiteral("TxtLyrics"));
            txtLyrics_->setTabChangesFocus(true);
            txtLyrics_->setLineWrapMode(QPlainTextEdit::NoWrap);
            txtLyrics_->setFixedHeight(txtLyrics_->fontMetrics().lineSpacing() * 4 + 12);
            label->setBuddy(txtLyrics_);
            continue; // placed below the two columns
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Txt") + QLatin1String(kControls[i].name));
        edit->setMinimumWidth(200);
        boxes_[i] = edit;
        box = edit;
        label->setBuddy(edit);
        if (f == FieldGenre) {
            comboGenre_ = new QComboBox(this);
            comboGenre_->setObjectName(QStringLiteral("ComboGenre"));
            comboGenre_->setMaxVisibleItems(20);
            auto* cell = new QHBoxLayout;
            cell->setContentsMargins(0, 0, 0, 0);
            cell->addWidget(comboGenre_, 1);
            cell->addWidget(edit, 1);
            grid->addWidget(label, leftRow, 0);
            grid->addLayout(cell, leftRow++, 1);
            continue;
        }
        if (RmpOnly(f)) {
            grid->addWidget(label, rightRow, 2);
            grid->addWidget(box, rightRow++, 3);
        } else {
            grid->addWidget(label, leftRow, 0);
            grid->addWidget(box, leftRow++, 1);
        }
    }
    const int lyricsRow = qMax(leftRow, rightRow);
    grid->addWidget(labels_[FieldLyrics], lyricsRow, 0, Qt::AlignTop);
    grid->addWidget(txtLyrics_, lyricsRow, 1, 1, 3);
    return grid;
}

QHBoxLayout* FormSongInfo::buildButtons()
{
    auto* buttons = new QHBoxLayout;
    comRmp_ = new QPushButton(U("RMPへ変換"), this);
    comRmp_->setObjectName(QStringLiteral("ComRMP"));
    comMp3_ = new QPushButton(U("MP3へ変換"), this);
    comMp3_->setObjectName(QStringLiteral("ComMP3"));
    comWrite_ = new QPushButton(U("書き換え"), this);
    comWrite_->setObjectName(QStringLiteral("ComWrite"));
    comCancel_ = new QPushButton(U("キャンセル"), this);
    comCancel_->setObjectName(QStringLiteral("ComCancel"));
    comCancel_->setDefault(true); // Enter never rewrites a song by accident
    buttons->addWidget(comRmp_);
    buttons->addWidget(comMp3_);
    buttons->addStretch(1);
    buttons->addWidget(comWrite_);
    buttons->addWidget(comCancel_);
    return buttons;
}

void FormSongInfo::fillGenreLists()
{
    const bool ex = bench_.options && bench_.options->useExGenre;
    list1_->addItems(GenreTable(ex));
    comboGenre_->addItems(GenreBoxEntries(ex));
    comboGenre_->setCurrentIndex(-1);
}

bool FormSongInfo::load()
{
    if (!FileExists(path_))
        return false;
    playback::Vbmp3Files& engine = files();
    const int kind = engine.vbmp3_getFileType(path_);
    if (kind == kNotASong || (kind & (Id3v2 | Wave | MacBinary)))
        return false;
    loaded_ = common::FileIdentity::OfPath(path_);
    isRmp_ = (kind & Rmp) != 0;
    hasLyrics3_ = (kind & Lyrics3) != 0;
    // What could be read is shown; a song read only in part is not written (see applyMode).
    readComplete_ = ReadSongTags(path_, tags_);
    lyrics_ = tags_.lyrics;
    Id3v1Record tag;
    if (!engine.vbmp3_getFileInfo(path_, tag, mpeg_))
        return false;
    lblInfo_->setText(SongInfoLine(isRmp_, hasLyrics3_, mpeg_));
    tags_.kind = kind;
    const SongInfoFields fields = FieldsFromTags(tags_);
    showFields(fields);
    if (!isRmp_) {
        const bool ex = bench_.options && bench_.options->useExGenre;
        comboGenre_->setCurrentIndex(GenreBoxIndex(tags_.id3v1.genre, ex));
    }
    applyMode(isRmp_ ? Mode::Rmp : Mode::Mp3);
    return true;
}

void FormSongInfo::showFields(const SongInfoFields& fields)
{
    for (int i = 0; i < kSongInfoFieldCount; ++i) {
        const auto f = static_cast<SongInfoField>(i);
        if (f == FieldLyrics)
            continue;
        boxes_[i]->setText(isRmp_ || !RmpOnly(f) ? fields[f] : QString());
    }
    txtLyrics_->setPlainText(isRmp_ ? fields[FieldLyrics] : QString());
    txtLyrics_->document()->setModified(false);
}

void FormSongInfo::applyMode(Mode mode)
{
    mode_ = mode;
    const bool readable = mode != Mode::Unreadable;
    const bool rmp = mode == Mode::Rmp;
    for (int i = 0; i < kSongInfoFieldCount; ++i) {
        const auto f = static_cast<SongInfoField>(i);
        const bool on = readable && (rmp || !RmpOnly(f));
        labels_[i]->setEnabled(on);
        if (boxes_[i])
            boxes_[i]->setEnabled(on);
    }
    // Lyrics kept in a Lyrics3 block are written from that block, never from the box.
    txtLyrics_->setEnabled(rmp && !hasLyrics3_);
    comboGenre_->setVisible(!rmp);
    comboGenre_->setEnabled(readable);
    boxes_[FieldGenre]->setVisible(rmp);
    lblFullPath_->setEnabled(readable);
    // The refusal stays readable.
    lblInfo_->setEnabled(true);
    const bool writable = readable && readComplete_;
    comWrite_->setEnabled(writable);
    comRmp_->setEnabled(writable && !rmp);
    comMp3_->setEnabled(writable && rmp);
    comCancel_->setEnabled(true);
}

SongInfoFields FormSongInfo::boxFields() const
{
    SongInfoFields f;
    for (int i = 0; i < kSongInfoFieldCount; ++i)
        if (boxes_[i])
            f.text[i] = boxes_[i]->text();
    f[FieldLyrics] = lyricsBoxText();
    return f;
}

QString FormSongInfo::lyricsBoxText() const
{
    return CrLf(txtLyrics_->toPlainText());
}

bool FormSongInfo::lyricsEdited() const
{
    return txtLyrics_->isEnabled() && txtLyrics_->document()->isModified();
}

void FormSongInfo::updatePathLabel()
{
    lblTest_->setFont(lblFullPath_->font());
    const QFontMetrics metrics = lblTest_->fontMetrics();
    const int width = lblFullPath_->contentsRect().width() - 2 * lblFullPath_->margin() - 2;
    lblFullPath_->setText(ShortenPath(path_, width, [&](const QString& text) { return metrics.horizontalAdvance(text); }));
}

void FormSongInfo::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    updatePathLabel();
}

void FormSongInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    updatePathLabel();
}

void FormSongInfo::warn(const char* text, const QString& why)
{
    QString message = U(text);
    if (!why.isEmpty())
        message += QStringLiteral("\n\n") + why;
    bench_.prompter->message(message, MessageIcon::Warning);
}

FormSongInfo::GuardResult FormSongInfo::guard(Guard& g, QString* why)
{
    const common::RewriteCheck check = common::CheckRewrite(path_);
    if (check.result == common::RewriteCheck::Result::Refused) {
        *why = check.message;
        return GuardResult::Refused;
    }
    if (check.result == common::RewriteCheck::Result::NeedsConfirmation) {
        const std::optional<common::FileIdentity> id = common::FileIdentity::OfPath(path_);
        const QString question =
            U("この曲ファイルには別の名前（ハードリンク）が%1個あります。\n"
              "書き換えるとこの名前だけが新しいファイルになり、ほかの名前は元の内容のまま残ります。\n"
              "書き換えますか？")
                .arg(id ? qint64(id->links) - 1 : 1);
        if (bench_.prompter->message(question, MessageIcon::Question, MessageButtons::OkCancel) != Answer::Ok)
            return GuardResult::Cancelled;
        g.breakLinks.emplace();
    }
    if (!g.lock.acquire(path_, why))
        return GuardResult::Refused;
    // The boxes show the song as it was read: a song changed since then would lose
    // that change.
    if (!loaded_ || !g.lock.identity().unchanged(*loaded_)) {
        *why = U("曲ファイルが読み込んだ後に変更されています。開き直してください。");
        return GuardResult::Refused;
    }
    if (!FileWritable(path_)) {
        *why = U("曲ファイルを書き込み用に開けません。");
        return GuardResult::Refused;
    }
    return GuardResult::Ok;
}

bool FormSongInfo::write(QString* why)
{
    const bool ex = bench_.options && bench_.options->useExGenre;
    SongTags tags = tags_;
    const int genre = GenreFromBoxIndex(comboGenre_->currentIndex(), ex);
    const bool writeLyrics = isRmp_ && !hasLyrics3_ && lyricsEdited();
    if (!ApplyFields(boxFields(), genre, isRmp_, writeLyrics, tags, why))
        return false;
    if (!RewriteSongTags(path_, tags.id3v1, tags.info, ex, lyrics_, why))
        return false;
    outcome_.changed = true;
    return true;
}

void FormSongInfo::ComWrite_Click()
{
    // The question about hard links comes first, while the dialog takes input.
    Guard g;
    QString why;
    switch (guard(g, &why)) {
    case GuardResult::Cancelled:
        return; // nothing written; the edits stay in the dialog
    case GuardResult::Refused:
        warn(kWriteFailed, why);
        reject();
        return;
    case GuardResult::Ok:
        break;
    }
    Busy busy(*this);
    const bool ok = write(&why);
    busy.end();
    if (!ok) {
        warn(kWriteFailed, why);
        reject();
        return;
    }
    accept();
}

void FormSongInfo::ComRMP_Click()
{
    convert(true);
}

void FormSongInfo::ComMP3_Click()
{
    convert(false);
}

void FormSongInfo::convert(bool toRmp)
{
    Guard g;
    QString why;
    switch (guard(g, &why)) {
    case GuardResult::Cancelled:
        return;
    case GuardResult::Refused:
        warn(kConvertFailed, why);
        reject();
        return;
    case GuardResult::Ok:
        break;
    }
    Busy busy(*this);
    playback::Vbmp3Files& engine = files();
    bool converted = false;
    if (toRmp) {
        engine.vbmp3_setLyrics3InsField(bench_.options && !bench_.options->ilyc ? 1 : 0);
        converted = engine.vbmp3_changeRmp(path_);
    } else {
        converted = engine.vbmp3_changeMp3(path_);
    }
    if (!converted) {
        busy.end();
        warn(kConvertFailed, engine.lastError());
        reject();
        return;
    }
    outcome_.changed = true;
    const QString genreText = toRmp ? comboGenre_->currentText() : boxes_[FieldGenre]->text();
    if (toRmp) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        boxes_[FieldGenre]->setText(genreText);
    } else {
        comboGenre_->setCurrentIndex(comboGenre_->findText(genreText, Qt::MatchFixedString));
    }
    // The converted file keeps its tags and lyrics in other places (an RMP's ILYC text
    // lyrics become a Lyrics3 block of the MP3): read them again, so that the write
    // keeps them.
    const bool editedLyrics = !toRmp && lyricsEdited();
    const QString boxLyrics = lyricsBoxText();
    SongTags fresh;
    if (!ReadSongTags(path_, fresh, &why)) {
        busy.end();
        warn(kWriteFailed, why);
        reject();
        return;
    }
    tags_ = fresh;
    isRmp_ = toRmp;
    hasLyrics3_ = HasFlag(fresh.kind, Lyrics3);
    lyrics_ = editedLyrics ? boxLyrics : fresh.lyrics;
    const bool ok = write(&why);
    busy.end();
    if (!ok)
        warn(kWriteFailed, why);
    if (!toRmp)
        renameToMp3();
    if (ok)
        accept();
    else
        reject();
}

void FormSongInfo::renameToMp3()
{
    if (!bench_.options || !bench_.options->renameMp3)
        return;
    const QFileInfo song(path_);
    if (song.suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0)
        return;
    const QString newPath = song.path() + QLatin1Char('/') + song.completeBaseName() + QStringLiteral(".mp3");
    QString why;
    bool existed = false;
    if (QFileInfo::exists(newPath) || QFileInfo(newPath).isSymLink()) {
        bench_.prompter->message(U(embedmsg::kRenameExists));
    } else if (!RenameNoReplace(path_, newPath, &why, &existed)) {
        if (existed)
            bench_.prompter->message(U(embedmsg::kRenameExists));
        else
            warn(embedmsg::kRenameFailed, why);
    } else {
        outcome_.path = newPath;
    }
}

void FormSongInfo::ComCancel_Click()
{
    reject();
}

} // namespace browser
