#include "browser/gui/lrc/lrcarea.h"

#include "browser/core/commandregistry.h"
#include "browser/core/details.h"
#include "browser/core/filepane.h"
#include "browser/core/options.h"
#include "browser/core/pairing.h"
#include "browser/core/prompter.h"
#include "browser/gui/formmain.h"
#include "browser/gui/workbench.h"
#include "common/utf8text.h"
#include "lyrics/lrc.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace browser {
namespace {

using common::U;

QString RatioText(double ratio)
{
    return QString::number(ratio, 'g', 8);
}

} // namespace

LrcArea::LrcArea(FormMain& window, Workbench& bench)
    : window_(window)
    , bench_(bench)
{
    setObjectName(QStringLiteral("FrameLrc"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 2, 2);
    layout->setSpacing(6);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblLrcStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setForegroundRole(QPalette::ToolTipText);
    layout->addWidget(status_, 1);
    import_ = new QToolButton(this);
    import_->setObjectName(QStringLiteral("ComLrcImport"));
    import_->setText(U("LRC形式から変換"));
    import_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    import_->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(import_, 0, Qt::AlignVCenter);
    connect(import_, &QToolButton::clicked, this, &LrcArea::convert);

    // The bar sits between the pane's title and its text.
    if (QWidget* pane = window.findChild<QWidget*>(QStringLiteral("FrameLyrics")))
        if (auto* column = qobject_cast<QBoxLayout*>(pane->layout()))
            column->insertWidget(1, this);
    hide();
    connect(&window, &FormMain::shownLyricsChanged, this, &LrcArea::refresh);
}

void LrcArea::registerCommands(CommandRegistry& commands)
{
    commands.add(QStringLiteral("LrcExport"), [this] { exportShown(); },
                 [this] { return window_.currentKind() == 0 && !window_.currentFile().isEmpty() && !window_.inEditMode(); });
}

QString LrcArea::statusText() const
{
    return isHidden() ? QString() : status_->text();
}

void LrcArea::present(const QString& status, bool offer)
{
    status_->setText(status);
    import_->setVisible(offer);
    setVisible(!status.isEmpty());
}

void LrcArea::refresh()
{
    if (window_.currentKind() != 0 || window_.currentFile().isEmpty() || window_.inEditMode()) {
        present(QString(), false);
        return;
    }
    switch (lyrics::DetectLrc(window_.lyricsText())) {
    case lyrics::LrcContent::Lrc:
        present(U("LRC形式の歌詞ファイルです。このままではタイムタグとして使われません。"), true);
        break;
    case lyrics::LrcContent::Mixed:
        present(U("LRC形式のタイムタグ([00:12.34])とこのプログラムのタイムタグ([00:12:34])が混在しているため、"
                  "LRC形式からの変換はできません。どちらかに揃えてください。"),
                false);
        break;
    case lyrics::LrcContent::None:
        present(QString(), false);
        break;
    }
}

bool LrcArea::pairedSongRatio(double& ratio, QString& songName) const
{
    const int other = 1 - window_.currentPane();
    if (window_.currentPane() < 0 || !bench_.panes[static_cast<size_t>(other)])
        return false;
    const FilePane& songs = bench_.pane(other);
    if (songs.isLyricsMode())
        return false;
    const int row = FindSameStemRow(songs, QFileInfo(window_.currentFile()).fileName());
    if (row < 0)
        return false;
    const SongDetails details = bench_.details->readSong(songs.row(row).fullPath());
    if (!details.exists || !details.stream || details.stream->sampleRate <= 0)
        return false;
    ratio = bench_.options->winAmpTime ? lyrics::WinAmpRatio(details.stream->sampleRate) : 1.0;
    songName = songs.row(row).name;
    return true;
}

void LrcArea::convert()
{
    if (window_.currentKind() != 0 || window_.currentFile().isEmpty())
        return;
    lyrics::LrcImportOptions options;
    options.userTimeIsWinAmp = bench_.options->winAmpTime;
    double ratio = 1;
    QString songName;
    const bool paired = pairedSongRatio(ratio, songName);
    if (paired)
        options.songRatio = ratio;
    const lyrics::LrcImportResult r = lyrics::ImportLrc(window_.lyricsText(), options);

    switch (r.status) {
    case lyrics::LrcStatus::Converted:
        break;
    case lyrics::LrcStatus::Mixed:
        present(U("LRC形式のタイムタグとこのプログラムのタイムタグが混在しているため、変換できません。"), false);
        return;
    case lyrics::LrcStatus::OutOfRange:
        present(U("99:59.999 を超える時刻があるため、変換できません。ファイルは変更していません。"), true);
        return;
    case lyrics::LrcStatus::BadRatio:
        present(U("記録された時間比が正しくないため、変換できません。ファイルは変更していません。"), true);
        return;
    case lyrics::LrcStatus::NotLrc:
        present(QString(), false);
        return;
    }

    QString base;
    switch (r.timeBase) {
    case lyrics::LrcTimeBase::SongRatio:
        base = bench_.options->winAmpTime
                   ? U("対になる曲「%1」の時間比 %2 でWinAmp時間に換算しました。").arg(songName, RatioText(r.ratio))
                   : U("対になる曲「%1」に合わせて標準時間のまま変換しました。").arg(songName);
        break;
    case lyrics::LrcTimeBase::RecordedRatio:
        base = U("ファイルに記録された時間比 %1 で換算しました。").arg(RatioText(r.ratio));
        break;
    case lyrics::LrcTimeBase::Standard:
        base = bench_.options->winAmpTime && !paired
                   ? U("対になる曲がないため、標準時間のタイムタグにしました。")
                   : U("標準時間のタイムタグにしました。");
        break;
    }
    window_.EditLyricsText(r.text);
    present(U("LRC形式から変換しました(タイムタグ %1 行)。").arg(r.timedLines) + base
                + U("上書保存するまでファイルは変わりません。"),
            false);
}

void LrcArea::exportShown()
{
    const QString source = window_.currentFile();
    if (window_.currentKind() != 0 || source.isEmpty())
        return;
    Prompter& prompter = *bench_.prompter;
    const QString text = window_.lyricsText();
    lyrics::LrcExportOptions options;
    options.userTimeIsWinAmp = bench_.options->winAmpTime;
    lyrics::LrcExportResult r = lyrics::ExportLrc(text, options);
    switch (r.status) {
    case lyrics::LrcExportStatus::Converted:
        break;
    case lyrics::LrcExportStatus::NoTags:
        prompter.message(U("タイムタグがないため、LRC形式で保存できません。"), MessageIcon::Warning);
        return;
    case lyrics::LrcExportStatus::AlreadyLrc:
        prompter.message(U("この歌詞はすでにLRC形式です。"), MessageIcon::Information);
        return;
    case lyrics::LrcExportStatus::BadRatio:
        prompter.message(U("時間比(@TimeRatio)が正しくないため、LRC形式で保存できません。"), MessageIcon::Warning);
        return;
    }
    if (r.wordTimingDropped) {
        // Karaoke tags: the enhanced form keeps them as word times, which not every player reads.
        const Answer a = prompter.message(U("この歌詞には単語ごとのタイムタグがあります。\n"
                                            "単語ごとの時刻も書き出しますか(拡張LRC形式)？\n"
                                            "「いいえ」では各行の先頭の時刻だけを書き出します。"),
                                          MessageIcon::Question, MessageButtons::YesNoCancel);
        if (a == Answer::Cancel)
            return;
        if (a == Answer::Yes) {
            options.enhanced = true;
            r = lyrics::ExportLrc(text, options);
        }
    }

    const QFileInfo info(source);
    FileDialogRequest request;
    request.title = U("LRC形式で保存");
    request.folder = info.absolutePath();
    request.fileName = info.completeBaseName() + QStringLiteral(".lrc");
    request.filter = U("LRCファイル|*.lrc");
    request.defaultExtension = QStringLiteral(".lrc");
    request.confirmOverwrite = true;
    const std::optional<QString> path = prompter.saveFile(request);
    if (!path || path->isEmpty())
        return;

    // The source's encoding is kept; one that cannot hold the text gives way to UTF-8.
    lyrics::LrcDecoded decoded;
    lyrics::LrcEncoding encoding = lyrics::ReadLrcFile(source, decoded) ? decoded.encoding : lyrics::LrcEncoding::Utf8Bom;
    if (!lyrics::EncodeLrcBytes(r.text, encoding))
        encoding = lyrics::LrcEncoding::Utf8Bom;
    if (!lyrics::WriteLrcFile(*path, r.text, encoding)) {
        prompter.message(U("保存できませんでした。"), MessageIcon::Warning);
        return;
    }
    QString done = *path + U(" に保存しました。");
    if (r.wordTimingDropped)
        done += U("\n(単語ごとのタイムタグは含めていません。)");
    prompter.message(done, MessageIcon::Information);
}

} // namespace browser
