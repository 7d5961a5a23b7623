#include "browser/gui/playalong/formplayadjust.h"

#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "browser/core/settingsstore.h"
#include "browser/gui/playalong/waveformview.h"
#include "browser/gui/player/lyriclines.h"
#include "common/utf8text.h"
#include "lyrics/numbers.h"
#include "playback/engine.h"
#include "playback/envelope.h"
#include "playback/playerstrip.h"
#include "songfiles/songcorrection.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QTimer>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

const QString kSection = QStringLiteral("PlayAdjust");
constexpr QSize kDesignSize(720, 520);
constexpr int kEnvelopeBuckets = 2400;

const char* const kRefName[2] = {"First", "Last"};

playback::Reference Ref(int r)
{
    return static_cast<playback::Reference>(r);
}

} // namespace

QString FormPlayAdjust::Caption()
{
    return U("タイムタグの微調整（演奏合わせ）");
}

FormPlayAdjust::FormPlayAdjust(const PlayAlongContext& context, playback::PlayAlong& model, QTemporaryFile& workFile,
                               const QString& lyricsPath, const QString& songPath, int songSeconds, int sampleRate)
    : QDialog(context.mainWindow)
    , context_(context)
    , model_(model)
    , workFile_(workFile)
    , engine_(*context.engine)
    , lyricsPath_(lyricsPath)
    , songPath_(songPath)
    , songSeconds_(songSeconds)
    , sampleRate_(sampleRate)
{
    setObjectName(QStringLiteral("FormPlayAdjust"));
    setWindowTitle(Caption());
    setModal(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    build();
    loadState();
    QApplication::restoreOverrideCursor();
}

FormPlayAdjust::~FormPlayAdjust()
{
    delete envelope_;
}

void FormPlayAdjust::build()
{
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 0);
    top->setSpacing(6);
    top->addWidget(buildReference(0, U("最初の基準行")));
    top->addWidget(buildReference(1, U("最後の基準行")));

    wave_ = new WaveformView(this);
    connect(wave_, &WaveformView::seekRequested, this, &FormPlayAdjust::seekToMs);
    top->addWidget(wave_);

    // Transport, speed, time type, reaction lag, preview.
    auto* controls = buildTransport();
    buildTimeType(controls);
    buildTimeRag(controls);
    top->addLayout(controls);

    lines_ = new LyricLinesView(this);
    top->addWidget(lines_, 1);
    buildBottom(top);
    buildTimers();
}

QHBoxLayout* FormPlayAdjust::buildTransport()
{
    auto* controls = new QHBoxLayout;
    controls->setSpacing(4);
    const char* playCaptions[4] = {"◀◀ 3秒", "▶ 再生", "■ 停止", "3秒 ▶▶"};
    for (int k = 0; k < 4; ++k) {
        auto* b = new QPushButton(U(playCaptions[k]), this);
        b->setObjectName(QStringLiteral("ComPlay%1").arg(k));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, k] { transport(k); });
        controls->addWidget(b);
        comPlay_[size_t(k)] = b;
    }
    lblTime_ = new QLabel(this);
    lblTime_->setObjectName(QStringLiteral("lblTime"));
    lblTime_->setAlignment(Qt::AlignCenter);
    lblTime_->setFrameShape(QFrame::StyledPanel);
    lblTime_->setMinimumWidth(lblTime_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")));
    controls->addWidget(lblTime_);
    cboSpeed_ = new QComboBox(this);
    cboSpeed_->setObjectName(QStringLiteral("CboSpeed"));
    for (int percent : {100, 75, 50})
        cboSpeed_->addItem(QStringLiteral("%1%").arg(percent), percent);
    cboSpeed_->setToolTip(U("再生速度（音程はそのまま、入力する時間は曲の時間のまま）"));
    connect(cboSpeed_, &QComboBox::currentIndexChanged, this,
            [this](int index) { engine_.SetTempo(cboSpeed_->itemData(index).toInt() / 100.0); });
    controls->addWidget(cboSpeed_);
    return controls;
}

void FormPlayAdjust::buildTimeType(QHBoxLayout* controls)
{
    controls->addSpacing(8);
    auto* timeTypes = new QButtonGroup(this);
    const char* typeCaptions[2] = {"WinAmp", "標準"};
    for (int k = 0; k < 2; ++k) {
        auto* o = new QRadioButton(U(typeCaptions[k]), this);
        o->setObjectName(QStringLiteral("OptTimeType%1").arg(k));
        timeTypes->addButton(o, k);
        controls->addWidget(o);
        optTimeType_[size_t(k)] = o;
    }
    connect(timeTypes, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            timeTypeChosen(id);
    });
}

void FormPlayAdjust::buildTimeRag(QHBoxLayout* controls)
{
    controls->addSpacing(8);
    auto* ragLabel = new QLabel(U("タイムラグ："), this);
    ragLabel->setObjectName(QStringLiteral("lblTimeRag"));
    controls->addWidget(ragLabel);
    txtTimeRag_ = new QLineEdit(this);
    txtTimeRag_->setObjectName(QStringLiteral("TxtTimeRag"));
    txtTimeRag_->setMaximumWidth(txtTimeRag_->fontMetrics().horizontalAdvance(QStringLiteral("-000000")) + 12);
    txtTimeRag_->setAlignment(Qt::AlignRight);
    connect(txtTimeRag_, &QLineEdit::editingFinished, this, &FormPlayAdjust::timeRagEdited);
    ragLabel->setBuddy(txtTimeRag_);
    controls->addWidget(txtTimeRag_);
    controls->addWidget(new QLabel(QStringLiteral("ms"), this));
    controls->addStretch(1);
    chkPreview_ = new QCheckBox(U("プレビューモード"), this);
    chkPreview_->setObjectName(QStringLiteral("ChkPreview"));
    connect(chkPreview_, &QCheckBox::toggled, this, &FormPlayAdjust::setPreview);
    controls->addWidget(chkPreview_);
}

void FormPlayAdjust::buildBottom(QVBoxLayout* top)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    comOK_ = new QPushButton(U("適用"), this);
    comOK_->setObjectName(QStringLiteral("ComOK"));
    comOK_->setAutoDefault(false);
    conCancel_ = new QPushButton(U("キャンセル"), this);
    conCancel_->setObjectName(QStringLiteral("ConCancel"));
    conCancel_->setAutoDefault(false);
    connect(comOK_, &QPushButton::clicked, this, &FormPlayAdjust::accept);
    connect(conCancel_, &QPushButton::clicked, this, &FormPlayAdjust::reject);
    buttons->addWidget(comOK_);
    buttons->addWidget(conCancel_);
    top->addLayout(buttons);

    sb_ = new QStatusBar(this);
    sb_->setObjectName(QStringLiteral("SB"));
    sb_->setSizeGripEnabled(true);
    for (int k = 0; k < 2; ++k) {
        auto* panel = new QLabel(sb_);
        panel->setObjectName(QStringLiteral("SBPanel%1").arg(k + 1));
        panel->setTextFormat(Qt::PlainText);
        sb_->addWidget(panel, 1);
        sbPanels_[size_t(k)] = panel;
    }
    top->addWidget(sb_);
}

void FormPlayAdjust::buildTimers()
{
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    // The preview follows the engine as often as the main window's lyrics do.
    timer2_->setInterval(50);
    connect(timer2_, &QTimer::timeout, this, &FormPlayAdjust::previewTick);
    timerWave_ = new QTimer(this);
    timerWave_->setObjectName(QStringLiteral("TimerWave"));
    timerWave_->setInterval(40);
    connect(timerWave_, &QTimer::timeout, this, &FormPlayAdjust::waveTick);
    preview_lines_ = std::make_unique<playback::PlayerStrip>(engine_, [this](const QString& t) { return lines_->measure(t); });
}

QWidget* FormPlayAdjust::buildReference(int r, const QString& title)
{
    Reference& ref = refs_[size_t(r)];
    const QString name = QString::fromLatin1(kRefName[r]);
    auto* box = new QGroupBox(title, this);
    box->setObjectName(QStringLiteral("Frame") + name);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    ref.lineNumber = new QLabel(box);
    ref.lineNumber->setObjectName(QStringLiteral("lbl%1Line").arg(name));
    ref.lineNumber->setMinimumWidth(ref.lineNumber->fontMetrics().horizontalAdvance(U("0000行目")));
    ref.lyrics = new QWidget(box);
    ref.lyrics->setObjectName(QStringLiteral("lbl%1Lyrics").arg(name));
    ref.lyrics->setAutoFillBackground(true);
    ref.lyrics->setBackgroundRole(QPalette::Base);
    ref.lyrics->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* flow = new QHBoxLayout(ref.lyrics);
    flow->setContentsMargins(4, 2, 4, 2);
    flow->setSpacing(1);
    ref.vs = new QScrollBar(Qt::Vertical, box);
    ref.vs->setObjectName(QStringLiteral("VS%1").arg(name));
    ref.vs->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    ref.vs->installEventFilter(this);
    connect(ref.vs, &QScrollBar::valueChanged, this, [this, r](int v) { lineScrolled(r, v); });
    ref.org = new QLabel(box);
    ref.org->setObjectName(QStringLiteral("lbl%1Org").arg(name));
    ref.org->setFrameShape(QFrame::StyledPanel);
    ref.org->setMinimumWidth(ref.org->fontMetrics().horizontalAdvance(QStringLiteral("00:00:000")) + 8);
    ref.newTime = new QLineEdit(box);
    ref.newTime->setObjectName(QStringLiteral("Text%1New").arg(name));
    ref.newTime->setMaximumWidth(ref.org->minimumWidth() + 16);
    connect(ref.newTime, &QLineEdit::textEdited, this, [this, r](const QString& t) {
        model_.SetNewText(Ref(r), t);
        updateMarkers();
    });
    ref.input = new QPushButton(U("入力"), box);
    ref.input->setObjectName(QStringLiteral("Com%1Input").arg(name));
    ref.input->setAutoDefault(false);
    // The moment counts when the button goes down (mouse or key), not when it comes up.
    connect(ref.input, &QPushButton::pressed, this, [this, r] { capture(r); });
    ref.jump = new QPushButton(U("ジャンプ"), box);
    ref.jump->setObjectName(QStringLiteral("Com%1Jump").arg(name));
    ref.jump->setAutoDefault(false);
    connect(ref.jump, &QPushButton::clicked, this, [this, r] { jump(r); });

    grid->addWidget(ref.lineNumber, 0, 0);
    grid->addWidget(ref.lyrics, 0, 1, 1, 7);
    grid->addWidget(ref.vs, 0, 8, 2, 1);
    grid->addWidget(new QLabel(U("現在："), box), 1, 1);
    grid->addWidget(ref.org, 1, 2);
    grid->addWidget(new QLabel(U("→ 新しい時間："), box), 1, 3);
    grid->addWidget(ref.newTime, 1, 4);
    grid->addWidget(ref.input, 1, 5);
    grid->addWidget(ref.jump, 1, 6);
    grid->setColumnStretch(7, 1);
    return box;
}

void FormPlayAdjust::loadState()
{
    loading_ = true;
    oldTempo_ = engine_.Tempo();
    engine_.vbmp3_setVbmp3Option(30, 20, 10, 0);

    const int width = LoadSetting(*context_.settings, kSection, QStringLiteral("Width"), 0);
    const int height = LoadSetting(*context_.settings, kSection, QStringLiteral("Height"), 0);
    resize(width > 0 ? width : kDesignSize.width(), height > 0 ? height : kDesignSize.height());
    model_.SetTimeRag(LoadSetting(*context_.settings, kSection, QStringLiteral("TimeRag"), 0));
    txtTimeRag_->setText(QString::number(model_.TimeRag()));

    for (int k : {0, 2, 3})
        comPlay_[size_t(k)]->setEnabled(false);
    for (Reference& ref : refs_)
        ref.input->setEnabled(false);
    sbPanels_[0]->setText(QFileInfo(lyricsPath_).fileName());
    sbPanels_[1]->setText(QFileInfo(songPath_).fileName());

    optTimeType_[model_.WinAmpTime() ? 0 : 1]->setChecked(true);
    const int tempo = qRound(oldTempo_ * 100);
    cboSpeed_->setCurrentIndex(std::max(0, cboSpeed_->findData(tempo)));

    engine_.vbmp3_setLyrics3Use(0);
    engine_.vbmp3_setLyricsFile(workFile_.fileName());

    const int n = int(model_.Lines().size());
    for (int r = 0; r < 2; ++r) {
        QScrollBar* vs = refs_[size_t(r)].vs;
        vs->setRange(1, n);
        vs->setValue(model_.Line(Ref(r)) + 1);
        showLine(r);
    }
    wave_->setLength(qint64(songSeconds_) * 1000);
    engine_.vbmp3_setLyricsTime(model_.WinAmpTime() ? 0 : 1);
    loading_ = false;
}

void FormPlayAdjust::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (envelope_)
        return;
    if (context_.mainWindow) {
        const QRect main = context_.mainWindow->frameGeometry();
        move(main.center() - rect().center());
    }
    envelope_ = new playback::EnvelopeJob;
    connect(envelope_, &playback::EnvelopeJob::progress, wave_, &WaveformView::setProgress);
    connect(envelope_, &playback::EnvelopeJob::finished, this, [this](playback::EnvelopeStatus status, const QString& error) {
        if (status == playback::EnvelopeStatus::Done)
            wave_->setEnvelope(envelope_->Result());
        else if (status == playback::EnvelopeStatus::Failed)
            wave_->setFailure(U("波形を読み込めませんでした。") + (error.isEmpty() ? QString() : QStringLiteral(" (") + error + u')'));
    });
    wave_->setProgress(0);
    envelope_->Start(songPath_, kEnvelopeBuckets);
    timerWave_->start();
}

void FormPlayAdjust::showLine(int r)
{
    Reference& ref = refs_[size_t(r)];
    const playback::TaggedLine& line = model_.Lines()[size_t(model_.Line(Ref(r)))];
    ref.lineNumber->setText(U("%1行目").arg(line.lineNumber + 1));
    // Rebuild the pieces: text, then one marker per tag.
    QLayout* flow = ref.lyrics->layout();
    while (QLayoutItem* item = flow->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    ref.markers.clear();
    const QString name = QString::fromLatin1(kRefName[r]);
    const auto addPiece = [&](const QString& text) {
        if (text.isEmpty())
            return;
        auto* piece = new QLabel(text, ref.lyrics);
        piece->setTextFormat(Qt::PlainText);
        flow->addWidget(piece);
    };
    for (int k = 0; k < line.TagCount(); ++k) {
        addPiece(line.before[size_t(k)]);
        auto* marker = new QLabel(U("▲"), ref.lyrics);
        marker->setObjectName(QStringLiteral("lbl%1Tag%2").arg(name).arg(k + 1));
        marker->setToolTip(line.tags[size_t(k)]);
        marker->setCursor(Qt::PointingHandCursor);
        marker->installEventFilter(this);
        flow->addWidget(marker);
        ref.markers << marker;
    }
    addPiece(line.after);
    static_cast<QHBoxLayout*>(flow)->addStretch(1);
    showTagSelection(r);
}

void FormPlayAdjust::showTagSelection(int r)
{
    Reference& ref = refs_[size_t(r)];
    const int selected = model_.Tag(Ref(r));
    const QColor grey = palette().color(QPalette::Disabled, QPalette::WindowText);
    for (int k = 0; k < ref.markers.size(); ++k) {
        QPalette pal = ref.markers[k]->palette();
        pal.setColor(QPalette::WindowText, k + 1 == selected ? QColor(0, 0, 255) : grey);
        ref.markers[k]->setPalette(pal);
    }
    ref.org->setText(model_.OldText(Ref(r)));
    showNewTimes();
}

void FormPlayAdjust::showNewTimes()
{
    for (int r = 0; r < 2; ++r) {
        QLineEdit* e = refs_[size_t(r)].newTime;
        if (e->text() != model_.NewText(Ref(r)))
            e->setText(model_.NewText(Ref(r)));
    }
    updateMarkers();
}

qint64 FormPlayAdjust::tagToSongMs(int tagMs) const
{
    // WinAmp time runs slow by the song's ratio; the waveform is in song time.
    const double ratio = model_.WinAmpTime() ? lyrics::WinAmpRatio(sampleRate_) : 1.0;
    return ratio > 0 ? qint64(tagMs / ratio) : tagMs;
}

void FormPlayAdjust::updateMarkers()
{
    for (int r = 0; r < 2; ++r) {
        wave_->setMarker(r, tagToSongMs(model_.OldMs(Ref(r))));
        const std::optional<int> now = playback::PlayAlong::ParseNewTime(model_.NewText(Ref(r)));
        wave_->setMarker(2 + r, now ? tagToSongMs(*now) : -1);
    }
}

void FormPlayAdjust::lineScrolled(int r, int value)
{
    if (loading_)
        return;
    const int taken = model_.SetLine(Ref(r), value - 1);
    if (taken != value - 1) {
        // The first line stays in front of the last one and the last behind the first.
        QSignalBlocker block(refs_[size_t(r)].vs);
        refs_[size_t(r)].vs->setValue(taken + 1);
    }
    showLine(r);
}

void FormPlayAdjust::selectTag(int r, int k)
{
    if (model_.SelectTag(Ref(r), k))
        showTagSelection(r);
}

bool FormPlayAdjust::eventFilter(QObject* watched, QEvent* event)
{
    for (int r = 0; r < 2; ++r) {
        Reference& ref = refs_[size_t(r)];
        if (watched == ref.vs && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Left || key == Qt::Key_Right) {
                if (model_.MoveTag(Ref(r), key == Qt::Key_Left ? -1 : 1))
                    showTagSelection(r);
                return true;
            }
        }
        if (event->type() == QEvent::MouseButtonPress) {
            const int k = ref.markers.indexOf(qobject_cast<QLabel*>(watched));
            if (k >= 0) {
                selectTag(r, k + 1);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormPlayAdjust::capture(int r)
{
    if (!model_.Playing() || preview_)
        return;
    model_.Capture(Ref(r), engine_.vbmp3_getPlaySamples(), sampleRate_);
    showNewTimes();
    if (r == 0)
        refs_[1].jump->setFocus();
}

int FormPlayAdjust::positionSeconds()
{
    int seconds = 0;
    engine_.vbmp3_getState(&seconds);
    return seconds;
}

void FormPlayAdjust::jump(int r)
{
    const std::optional<int> to = model_.JumpSeconds(Ref(r), songSeconds_);
    if (!to) {
        context_.prompter->message(playback::PlayAlong::BadNewTimeMessage(), MessageIcon::Warning);
        refs_[size_t(r)].newTime->setFocus();
        return;
    }
    if (!model_.Playing())
        play();
    engine_.vbmp3_seek(*to);
    if (!preview_)
        refs_[size_t(r)].input->setFocus();
}

void FormPlayAdjust::seekToMs(qint64 ms)
{
    if (!model_.Playing())
        play();
    engine_.SeekSamples(ms * sampleRate_ / 1000);
    wave_->setPlayhead(ms);
}

void FormPlayAdjust::transport(int index)
{
    switch (index) {
    case 0:
        if (const std::optional<int> to = playback::PlayAlong::BackSeconds(positionSeconds()))
            engine_.vbmp3_seek(*to);
        break;
    case 1: play(); break;
    case 2: stopPlaying(); break;
    case 3:
        if (const std::optional<int> to = playback::PlayAlong::ForwardSeconds(positionSeconds(), songSeconds_))
            engine_.vbmp3_seek(*to);
        break;
    default: break;
    }
}

void FormPlayAdjust::play()
{
    for (Reference& ref : refs_) {
        ref.input->setEnabled(!preview_);
        ref.vs->setEnabled(false);
    }
    for (int k : {0, 2, 3})
        comPlay_[size_t(k)]->setEnabled(true);
    comPlay_[1]->setEnabled(false);
    for (QRadioButton* o : optTimeType_)
        o->setEnabled(false);
    if (!model_.Playing())
        engine_.vbmp3_play();
    model_.SetPlaying(true);
    if (preview_)
        timer2_->start();
    comPlay_[2]->setFocus();
}

void FormPlayAdjust::stopPlaying()
{
    timer2_->stop();
    lblTime_->clear();
    engine_.vbmp3_stop();
    model_.SetPlaying(false);
    for (Reference& ref : refs_) {
        ref.input->setEnabled(false);
        ref.vs->setEnabled(true);
    }
    for (int k : {0, 2, 3})
        comPlay_[size_t(k)]->setEnabled(false);
    comPlay_[1]->setEnabled(true);
    for (QRadioButton* o : optTimeType_)
        o->setEnabled(true);
    comPlay_[1]->setFocus();
}

bool FormPlayAdjust::writeWorkFile(const QString& text)
{
    // UTF-8 with a byte-order mark: every character of the lyrics survives.
    if (!workFile_.resize(0) || !workFile_.seek(0))
        return false;
    const QByteArray bytes = QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    return workFile_.write(bytes) == bytes.size() && workFile_.flush();
}

void FormPlayAdjust::setPreview(bool on)
{
    preview_ = on;
    if (on) {
        for (Reference& ref : refs_)
            ref.input->setEnabled(false);
        engine_.vbmp3_clearLyrics();
        const lyrics::RescaleResult r = model_.Rescale();
        if (!r.ok || !writeWorkFile(r.text)) {
            context_.prompter->message(r.ok ? U("作業用ファイルに書き込めません。") : r.message, MessageIcon::Warning);
            QSignalBlocker block(chkPreview_);
            chkPreview_->setChecked(false);
            preview_ = false;
            for (Reference& ref : refs_)
                ref.input->setEnabled(model_.Playing());
            return;
        }
        engine_.vbmp3_setLyricsFile(workFile_.fileName());
        timer2_->start();
        previewTick();
        return;
    }
    engine_.vbmp3_clearLyrics();
    previewTick();
    timer2_->stop();
    lblTime_->clear();
    for (Reference& ref : refs_)
        ref.input->setEnabled(model_.Playing());
}

void FormPlayAdjust::previewTick()
{
    int seconds = 0;
    const int state = engine_.vbmp3_getState(&seconds);
    if (model_.WinAmpTime())
        seconds = engine_.vbmp3_getWinampPlayMs() / 1000;
    lblTime_->setText(playback::PlayerStrip::PositionText(seconds));
    lines_->startTick();
    preview_lines_->LyricsTick();
    lines_->show(preview_lines_->View());
    if (state == 0 && model_.Playing() && preview_) {
        timer2_->stop();
        lblTime_->clear();
        stopPlaying();
    }
}

void FormPlayAdjust::waveTick()
{
    if (sampleRate_ > 0)
        wave_->setPlayhead(engine_.vbmp3_getPlaySamples() * 1000 / sampleRate_);
    // The song ran out while capturing: back to the stopped state.
    if (model_.Playing() && !preview_ && engine_.vbmp3_getState(nullptr) == 0)
        stopPlaying();
}

void FormPlayAdjust::timeTypeChosen(int index)
{
    engine_.vbmp3_setLyricsTime(index);
    if (loading_)
        return;
    context_.prompter->message(playback::PlayAlong::TimeTypeChangedMessage(), MessageIcon::Information);
    model_.SetWinAmpTime(index == 0);
    showNewTimes();
}

void FormPlayAdjust::timeRagEdited()
{
    txtTimeRag_->setText(model_.SetTimeRagText(txtTimeRag_->text()));
}

void FormPlayAdjust::accept()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    timeRagEdited();
    for (int r = 0; r < 2; ++r)
        model_.SetNewText(Ref(r), refs_[size_t(r)].newTime->text());
    const std::optional<lyrics::SongFacts> facts = songfiles::SongFactsOf(songPath_);
    QString message;
    const std::optional<QString> text =
        model_.Accept(facts.value_or(lyrics::SongFacts{sampleRate_, 0}), context_.options ? context_.options->taggingBy : QString(), &message);
    QApplication::restoreOverrideCursor();
    if (!text) {
        // The dialog stays open and usable; nothing is written.
        context_.prompter->message(message, MessageIcon::Warning);
        return;
    }
    result_ = *text;
    QDialog::accept();
}

void FormPlayAdjust::done(int result)
{
    timer2_->stop();
    timerWave_->stop();
    if (envelope_)
        envelope_->Cancel();
    if (model_.Playing() || engine_.vbmp3_getState(nullptr) != 0)
        engine_.vbmp3_stop();
    model_.SetPlaying(false);
    engine_.vbmp3_clearLyrics();
    engine_.SetTempo(oldTempo_);
    if (context_.settings) {
        StoreSetting(*context_.settings, kSection, QStringLiteral("Width"), width());
        StoreSetting(*context_.settings, kSection, QStringLiteral("Height"), height());
        StoreSetting(*context_.settings, kSection, QStringLiteral("TimeRag"), model_.TimeRag());
    }
    QDialog::done(result);
}

bool RunPlayAlong(const PlayAlongContext& context, QString& text, const QString& lyricsPath, const QString& songPath)
{
    playback::PlayAlong model;
    if (!model.Load(text, context.options ? context.options->winAmpTime : true)) {
        context.prompter->message(playback::PlayAlong::TooFewLinesMessage(), MessageIcon::Information);
        return false;
    }
    playback::Engine& engine = *context.engine;

    // A private work file, made exclusively and removed when this function returns.
    const QString folder = context.workFolder.isEmpty() ? QDir::tempPath() : context.workFolder;
    QTemporaryFile work(QDir(folder).filePath(QStringLiteral("mwex-playalong-XXXXXX.txt")));
    const QByteArray bytes = QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    if (!work.open() || work.write(bytes) != bytes.size() || !work.flush()) {
        context.prompter->message(U("作業用ファイルに書き込めません。"), MessageIcon::Warning);
        return false;
    }

    songfiles::MpegInfo info;
    if (!engine.vbmp3_open(songPath, &info) || info.sampleRate == 0) {
        engine.vbmp3_close();
        context.prompter->message(U("曲ファイルのオープンに失敗したか、\r\n対応していないファイルです。"), MessageIcon::Warning);
        return false;
    }
    bool accepted = false;
    {
        FormPlayAdjust dialog(context, model, work, lyricsPath, songPath, info.playSeconds, info.sampleRate);
        if (dialog.exec() == QDialog::Accepted) {
            text = dialog.resultText();
            accepted = true;
        }
    }
    engine.vbmp3_close();
    work.close();
    work.remove();
    return accepted;
}

} // namespace browser
