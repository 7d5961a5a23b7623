#include "browser/gui/lists/formfilter.h"

#include "browser/gui/controlarray.h"
#include "common/utf8text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

} // namespace

FormFilter::FormFilter(SettingsStore& store, QWidget* parent)
    : QDialog(parent)
    , store_(store)
    , history_(lists::FilterHistory::Load(store))
{
    setObjectName(QStringLiteral("FormFilter"));
    setWindowTitle(U("フィルター設定"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    comboFilter_ = new QComboBox(this);
    comboFilter_->setObjectName(QStringLiteral("ComboFilter"));
    comboFilter_->setEditable(true);
    comboFilter_->setInsertPolicy(QComboBox::NoInsert);
    comboFilter_->setMaxVisibleItems(lists::FilterHistory::kEntries);
    comboFilter_->setMinimumWidth(280);
    layout->addWidget(comboFilter_);

    auto* modes = new QGroupBox(this);
    auto* modeLayout = new QHBoxLayout(modes);
    auto* group = new QButtonGroup(this);
    const char* captions[] = {"ワイルドカード方式", "部分一致方式"};
    for (int k = 0; k < 2; ++k) {
        optMode_[k] = new QRadioButton(U(captions[k]), modes);
        optMode_[k]->setObjectName(ControlName(QStringLiteral("OptMode"), k));
        group->addButton(optMode_[k], k);
        modeLayout->addWidget(optMode_[k]);
    }
    layout->addWidget(modes);
    chkNoLCase_ = new QCheckBox(U("大・小文字を区別する"), this);
    chkNoLCase_->setObjectName(QStringLiteral("ChkNoLCase"));
    layout->addWidget(chkNoLCase_);

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

    optMode_[history_.wildcardMode ? 0 : 1]->setChecked(true);
    chkNoLCase_->setChecked(history_.caseSensitive);
    fillCombo(history_.wildcardMode);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { fillCombo(id == 0); });
    connect(ok, &QPushButton::clicked, this, &FormFilter::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FormFilter::fillCombo(bool wildcard)
{
    comboFilter_->clear();
    comboFilter_->addItems(history_.entries(wildcard));
    comboFilter_->setEditText(history_.entries(wildcard).value(0));
}

void FormFilter::confirm()
{
    const QString text = comboFilter_->currentText();
    const bool wildcard = optMode_[0]->isChecked();
    result_ = lists::ConfirmFilter(history_, store_, text, wildcard, chkNoLCase_->isChecked());
    if (result_)
        accept();
}

std::optional<lists::FilterState> ShowFilterDialog(QWidget* parent, SettingsStore& store)
{
    FormFilter dialog(store, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.result();
}

} // namespace browser
