#include "browser/gui/lyrics/lyricsourcechooser.h"

#include "browser/core/filepane.h"
#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "common/utf8text.h"
#include "playback/engine.h"

#include <QAction>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace browser {
namespace {

using common::U;

QToolButton* MakeButton(const QString& name, const char* text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(U(text));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setPopupMode(QToolButton::InstantPopup);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}

QAction* MakeAction(const QString& name, const QString& text, QObject* owner)
{
    auto* a = new QAction(text, owner);
    a->setObjectName(name);
    return a;
}

} // namespace

LyricSourceChooser::LyricSourceChooser(const Workbench& bench, QWidget* parent)
    : QWidget(parent)
    , bench_(bench)
{
    setObjectName(QStringLiteral("FrameMpegInfo"));
    buildMenus();
    auto* mi = new QGridLayout(this);
    mi->setContentsMargins(0, 0, 0, 0);
    mi->setSpacing(2);
    comSelectLyrics_ = MakeButton(QStringLiteral("ComSelectLyrics"), "歌詞選択", this);
    comImplant_ = MakeButton(QStringLiteral("ComImplant"), "埋め込み", this);
    comImplant_->setMenu(mnImplant_);
    lblMpegInfo_ = new QLabel(this);
    lblMpegInfo_->setObjectName(QStringLiteral("lblMpegInfo"));
    lblMpegInfo_->setTextFormat(Qt::PlainText);
    lblMpegInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMpegInfo_->setFrameShape(QFrame::StyledPanel);
    lblMpegInfo_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    mi->addWidget(comSelectLyrics_, 0, 0);
    mi->addWidget(comImplant_, 0, 1);
    mi->addWidget(lblMpegInfo_, 1, 0, 2, 2);
    // Which lyrics go with the song (and play with it).
    lblLyricsSource_ = new QLabel(this);
    lblLyricsSource_->setObjectName(QStringLiteral("lblLyricsSource"));
    lblLyricsSource_->setTextFormat(Qt::PlainText);
    lblLyricsSource_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    mi->addWidget(lblLyricsSource_, 3, 0, 1, 2);
    mi->setRowStretch(2, 1);
    connect(comSelectLyrics_, &QToolButton::clicked, this, [this] {
        if (pollPlayer() == playback::TransportState::Stopped)
            rebuild();
        mnSelectLyrics_->exec(comSelectLyrics_->mapToGlobal(QPoint(0, comSelectLyrics_->height())));
        Q_EMIT menuClosed(pollPlayer());
    });
    pollPlayer = [] { return playback::TransportState::Stopped; };
}

void LyricSourceChooser::buildMenus()
{
    mnSelectLyrics_ = new QMenu(this);
    mnSelectLyrics_->setObjectName(QStringLiteral("mnSelectLyrics"));
    const char* sources[] = {"D&&Dされた歌詞ファイル", "埋め込み歌詞", "反対側の選択ファイル", "反対側の同名ファイル", "なし",
                             "その他のファイル"};
    for (int i = 0; i < LyricSourceChoice::kCount; ++i) {
        QAction* a = MakeAction(QStringLiteral("mnSelectLyricsList%1").arg(i), U(sources[i]), mnSelectLyrics_);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { choose(i); });
        mnSelectLyrics_->addAction(a);
        mnSelectLyricsList_[static_cast<size_t>(i)] = a;
    }
    mnSelectLyrics_->addSeparator();
    const char* timeTypes[] = {"WinAmp時間", "標準時間"};
    for (int i = 0; i < 2; ++i) {
        QAction* a = MakeAction(QStringLiteral("mnSelectLyricsTimeType%1").arg(i), U(timeTypes[i]), mnSelectLyrics_);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { chooseTimeBase(i); });
        mnSelectLyrics_->addAction(a);
        mnSelectLyricsTimeType_[static_cast<size_t>(i)] = a;
    }

    mnImplant_ = new QMenu(this);
    mnImplant_->setObjectName(QStringLiteral("mnImplant"));
    const char* implant[] = {"歌詞の埋め込み", "歌詞のコピー", "歌詞の保存", "歌詞の削除"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = MakeAction(QStringLiteral("mnImplantMenu%1").arg(i), U(implant[i]), mnImplant_);
        a->setEnabled(false);
        mnImplant_->addAction(a);
    }
    mnImplant_->addSeparator();
    QAction* option = MakeAction(QStringLiteral("mnImplantOption"), U("オプション"), mnImplant_);
    connect(option, &QAction::triggered, this, [this] { Q_EMIT optionsRequested(2); });
    mnImplant_->addAction(option);
}

void LyricSourceChooser::setShownFile(int pane, const QString& file)
{
    songPane_ = pane;
    song_ = file;
}

void LyricSourceChooser::showSong(const FileRow& r)
{
    if (!r.cell(Col::Version).isEmpty()) {
        const QString br = r.cell(Col::Br) == QLatin1String("VBR") ? QStringLiteral("VBR") : r.cell(Col::Br) + QStringLiteral(" kbps");
        lblMpegInfo_->setText(QStringLiteral("MPEG %1 Layer %2\n%3  %4 kHz\n%5")
                                  .arg(r.cell(Col::Version), r.cell(Col::Layer), br, r.cell(Col::Sr), r.cell(Col::PlayTime)));
    }
    const bool playable = !r.dimmed;
    comSelectLyrics_->setEnabled(playable);
    comImplant_->setEnabled(playable);
}

void LyricSourceChooser::forgetSources()
{
    choice_.reset();
    showChoice();
}

void LyricSourceChooser::clearSong()
{
    comSelectLyrics_->setEnabled(false);
    comImplant_->setEnabled(false);
    lblMpegInfo_->clear();
    choice_.clearChoice();
    showChoice();
}

void LyricSourceChooser::rebuild()
{
    const FilePane* other = songPane_ >= 0 ? &bench_.pane(1 - songPane_) : nullptr;
    choice_.rebuild(song_, other, *bench_.details, bench_.options->winAmpTime);
    showChoice();
    Q_EMIT statusText(choice_.statusText(song_));
}

void LyricSourceChooser::showChoice()
{
    for (int k = 0; k < LyricSourceChoice::kCount; ++k) {
        QAction* a = mnSelectLyricsList_[static_cast<size_t>(k)];
        a->setEnabled(choice_.isAvailable(static_cast<LyricSource>(k)));
        a->setChecked(k == choice_.chosenIndex());
    }
    const std::optional<TimeBase> base = choice_.timeBase();
    mnSelectLyricsTimeType_[0]->setChecked(base == TimeBase::WinAmp);
    mnSelectLyricsTimeType_[1]->setChecked(base == TimeBase::Standard);
    if (lblLyricsSource_) {
        const std::optional<LyricSource> c = choice_.chosen();
        QString shown;
        if (c == LyricSource::None)
            shown = U("なし");
        else if (c == LyricSource::Embedded)
            shown = U("埋め込み歌詞");
        else if (c)
            shown = QFileInfo(choice_.chosenFile()).fileName();
        lblLyricsSource_->setText(shown.isEmpty() ? QString() : U("歌詞: ") + shown);
        lblLyricsSource_->setToolTip(c ? choice_.chosenFile() : QString());
    }
}

void LyricSourceChooser::choose(int entry)
{
    choice_.choose(static_cast<LyricSource>(entry));
    if (static_cast<LyricSource>(entry) == LyricSource::OtherFile) {
        const QString last = choice_.path(LyricSource::OtherFile);
        FileDialogRequest request;
        request.title = U("表示する歌詞ファイルを選んでください。");
        request.filter = U("歌詞ファイル(*.txt;*.kra;*.lrc)|*.txt;*.kra;*.lrc");
        request.fileName = last;
        // Without an earlier choice the dialog starts in the song's folder.
        request.folder = QFileInfo(last.isEmpty() ? song_ : last).absolutePath();
        request.mustExist = true;
        const std::optional<QString> path = bench_.prompter->openFile(request);
        if (!path || path->isEmpty())
            choice_.unchoose();
        else
            choice_.setPath(LyricSource::OtherFile, *path);
    }
    rebuild();
    if (pollPlayer() == playback::TransportState::Playing)
        applyToEngine();
}

void LyricSourceChooser::chooseTimeBase(int entry)
{
    const TimeBase base = entry == 0 ? TimeBase::WinAmp : TimeBase::Standard;
    choice_.setTimeBase(base);
    showChoice();
    bench_.engine.setTimeBase(base);
}

void LyricSourceChooser::applyToEngine()
{
    rebuild();
    playback::Engine* engine = bench_.engine.engine();
    if (!engine)
        return;
    engine->vbmp3_setLyrics3Use(0);
    engine->vbmp3_clearLyrics();
    if (choice_.chosen() == LyricSource::Embedded)
        engine->vbmp3_readLyrics3Data();
    else if (!choice_.chosenFile().isEmpty())
        engine->vbmp3_setLyricsFile(choice_.chosenFile());
    bench_.engine.setTimeBase(choice_.timeBase().value_or(TimeBase::Standard));
}

void LyricSourceChooser::showToolTips(bool on)
{
    comSelectLyrics_->setToolTip(on ? U("歌詞の選択 … ") : QString());
    comImplant_->setToolTip(on ? U("埋め込み歌詞 … ") : QString());
}

} // namespace browser
