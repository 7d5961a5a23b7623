#include "browser/gui/tagcommands/tagdialogs.h"

#include "browser/core/prompter.h"
#include "common/utf8text.h"
#include "lyrics/tagops.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* b = new QPushButton(U(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

void CentreOverParent(QWidget* dialog)
{
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (!owner)
        return;
    const QRect frame = owner->frameGeometry();
    dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

FormTimeTagSlide1::FormTimeTagSlide1(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormTimeTagSlide1"));
    setWindowTitle(U("手動微調整"));
    setModal(true);
    auto* label = new QLabel(U("調整幅を入力してください。（ms単位）"), this);
    label->setObjectName(QStringLiteral("Label1"));
    text1_ = new QLineEdit(QStringLiteral("0"), this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setAlignment(Qt::AlignRight);
    text1_->installEventFilter(this);
    vscroll1_ = new QScrollBar(Qt::Vertical, this);
    vscroll1_->setObjectName(QStringLiteral("VScroll1"));
    vscroll1_->setRange(-32000, 32000);
    vscroll1_->setSingleStep(10);
    vscroll1_->setPageStep(100);
    vscroll1_->setValue(0);
    vscroll1_->setFixedHeight(text1_->sizeHint().height() + 8);
    auto* ok = MakeButton("ComOK", "OK", this);
    ok->setDefault(true);
    auto* cancel = MakeButton("Command1", "キャンセル", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 3);
    grid->addWidget(text1_, 1, 0, 1, 2);
    grid->addWidget(vscroll1_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 3);
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));

    connect(text1_, &QLineEdit::textEdited, this, &FormTimeTagSlide1::textEdited);
    connect(vscroll1_, &QScrollBar::valueChanged, this, &FormTimeTagSlide1::barMoved);
    connect(ok, &QPushButton::clicked, this, [this] {
        amount_ = lyrics::SlideAmountFromText(text1_->text());
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        text1_->setText(QStringLiteral("0"));
        amount_ = 0;
        reject();
    });
}

void FormTimeTagSlide1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOverParent(this);
    text1_->setFocus();
}

bool FormTimeTagSlide1::eventFilter(QObject* watched, QEvent* event)
{
    // The whole amount is selected when the box gets the focus, ready to be typed over.
    if (watched == text1_ && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, text1_, [this] { text1_->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

void FormTimeTagSlide1::textEdited()
{
    if (std::optional<QString> replacement = lyrics::SlideTextReplacement(text1_->text()))
        text1_->setText(*replacement);
    syncing_ = true;
    vscroll1_->setValue(-lyrics::SlideAmountFromText(text1_->text()));
    syncing_ = false;
}

void FormTimeTagSlide1::barMoved(int value)
{
    if (syncing_)
        return;
    text1_->setText(QString::number(-value));
}

FormOkuri::FormOkuri(int maxAdvanceMsec, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , prompter_(prompter)
    , maxAdvance_(maxAdvanceMsec)
{
    setObjectName(QStringLiteral("FormOkuri"));
    setWindowTitle(U("行送りタイミングの調整"));
    setModal(true);
    auto* label = new QLabel(U("最大先送り時間 （小数第２位まで有効）："), this);
    label->setObjectName(QStringLiteral("Label1"));
    textMaxmSec_ = new QLineEdit(QString::number(maxAdvanceMsec / 1000.0), this);
    textMaxmSec_->setObjectName(QStringLiteral("TextMaxmSec"));
    textMaxmSec_->setAlignment(Qt::AlignRight);
    auto* seconds = new QLabel(U("秒"), this);
    seconds->setObjectName(QStringLiteral("Label2"));
    auto* note = new QLabel(U("注意：この機能はヘルプをよく読んでからお使いください。"), this);
    note->setObjectName(QStringLiteral("Label3"));
    auto* ok = MakeButton("ComOK", "適用", this);
    ok->setDefault(true);
    auto* del = MakeButton("ComDelete", "調整タグを外す", this);
    auto* cancel = MakeButton("ComCancel", "キャンセル", this);

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(textMaxmSec_);
    row->addWidget(seconds);
    layout->addLayout(row);
    layout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(del);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(ok, &QPushButton::clicked, this, &FormOkuri::apply);
    connect(del, &QPushButton::clicked, this, [this] {
        remove_ = true;
        cancelled_ = false;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        reject();
    });
}

void FormOkuri::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOverParent(this);
    textMaxmSec_->setFocus();
    textMaxmSec_->selectAll();
}

void FormOkuri::apply()
{
    const std::optional<int> value = lyrics::MaxAdvanceFromText(textMaxmSec_->text());
    if (!value) {
        prompter_.message(U("0～999までの値にしてください。"), MessageIcon::Information);
        textMaxmSec_->setText(QStringLiteral("0.5"));
        textMaxmSec_->setFocus();
        textMaxmSec_->selectAll();
        return;
    }
    maxAdvance_ = *value;
    remove_ = false;
    cancelled_ = false;
    accept();
}

} // namespace browser
