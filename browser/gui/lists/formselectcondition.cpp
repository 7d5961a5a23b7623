#include "browser/gui/lists/formselectcondition.h"

#include "browser/core/filepane.h"
#include "browser/gui/controlarray.h"
#include "common/utf8text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

} // namespace

FormSelectCondition::FormSelectCondition(FilePane& pane, QWidget* parent)
    : QDialog(parent)
    , pane_(pane)
{
    setObjectName(QStringLiteral("FormSelectCondition"));
    setWindowTitle(U("条件抽出"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel(U(pane.index() == 0 ? "左" : "右") + U("側のリストから、"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label1);

    auto* row = new QHBoxLayout;
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->addItems(lists::ConditionColumnCaptions(pane.mode));
    combo1_->setCurrentIndex(0);
    row->addWidget(combo1_);
    row->addWidget(new QLabel(U("が"), this));
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setMinimumWidth(200);
    row->addWidget(text1_, 1);
    layout->addLayout(row);

    check1_ = new QCheckBox(U("（大小文字区別）"), this);
    check1_->setObjectName(QStringLiteral("Check1"));
    layout->addWidget(check1_);

    auto* options = new QGridLayout;
    const char* captions[] = {"と一致する", "と一致しない", "を含む", "を含まない"};
    for (int k = 0; k < 4; ++k) {
        option1_[k] = new QRadioButton(U(captions[k]), this);
        option1_[k]->setObjectName(ControlName(QStringLiteral("Option1"), k));
        options->addWidget(option1_[k], k / 2, k % 2);
    }
    option1_[0]->setChecked(true);
    layout->addLayout(options);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ComOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(U("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("ComCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &FormSelectCondition::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FormSelectCondition::confirm()
{
    if (text1_->text().isEmpty())
        return;
    lists::Condition condition;
    // The combo offers the captioned columns in column order, so entry n is column n.
    condition.column = combo1_->currentIndex();
    condition.text = text1_->text();
    condition.caseSensitive = check1_->isChecked();
    for (int k = 0; k < 4; ++k)
        if (option1_[k]->isChecked())
            condition.op = static_cast<lists::ConditionOp>(k);
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    extraction_ = lists::ApplyCondition(pane_, condition);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    accept();
}

} // namespace browser
