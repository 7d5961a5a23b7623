#include "installer/gui/frmcustomdlg.h"

#include "installer/gui/look.h"

#include <QLabel>
#include <QPushButton>

namespace installer {
namespace {
constexpr int kWidth = 520;
constexpr int kMargin = 12;
} // namespace

TfrmCustomDlg::TfrmCustomDlg(QLabel* share, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), share_(share)
{
    setObjectName(QStringLiteral("TfrmCustomDlg"));
    setWindowTitle(QStringLiteral("ファイル削除の確認"));
    setModal(true);

    lblMessage = new WrapLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        const char* answer;
        SharedFileAnswer value;
    } buttons[] = {
        {&btnYes, "btnYes", "はい(&Y)", "Yes", SharedFileAnswer::Yes},
        {&btnNo, "btnNo", "いいえ(&N)", "No", SharedFileAnswer::No},
        {&btnDelete, "btnDelete", "すべて削除(&D)", "Delete", SharedFileAnswer::Delete},
        {&btnSave, "btnSave", "すべて保存(&A)", "Save", SharedFileAnswer::Save},
    };
    const QFontMetrics fm = fontMetrics();
    int buttonWidth = 100;
    for (const auto& b : buttons) {
        *b.button = new QPushButton(QString::fromUtf8(b.caption), this);
        (*b.button)->setObjectName(QLatin1String(b.name));
        buttonWidth = std::max(buttonWidth, fm.horizontalAdvance((*b.button)->text()) + 28);
        const QString answer = QLatin1String(b.answer);
        const SharedFileAnswer value = b.value;
        connect(*b.button, &QPushButton::clicked, this, [this, answer, value] { this->answer(answer, value); });
    }
    btnYes->setDefault(true);
    const int gap = 8;
    const int rowWidth = 4 * buttonWidth + 3 * gap;
    int x = (kWidth - rowWidth) / 2;
    for (QPushButton* button : {btnYes, btnNo, btnDelete, btnSave}) {
        button->resize(buttonWidth, std::max(button->sizeHint().height(), fm.height() + 10));
        button->move(x, 0);
        x += buttonWidth + gap;
    }
    setMessage(QString());
}

void TfrmCustomDlg::setMessage(const QString& text)
{
    lblMessage->setText(text);
    const int width = kWidth - 2 * kMargin;
    const int height = std::max(4 * fontMetrics().lineSpacing(), lblMessage->heightForWidth(width));
    lblMessage->setGeometry(kMargin, kMargin, width, height);
    const int buttonTop = kMargin + height + 20;
    for (QPushButton* button : {btnYes, btnNo, btnDelete, btnSave})
        button->move(button->x(), buttonTop);
    setFixedSize(kWidth, buttonTop + btnYes->height() + kMargin);
}

void TfrmCustomDlg::answer(const QString& caption, SharedFileAnswer value)
{
    answer_ = value;
    if (share_)
        share_->setText(caption);
    accept();
}

} // namespace installer
