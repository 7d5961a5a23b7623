// FormQuickListEdit: the editor of the quick-access folders.
#include "browser/gui/quickaccess/formquicklistedit.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace browser {
namespace {

QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

FormQuickListEdit::FormQuickListEdit(const QStringList& folders, QWidget* parent)
    : QDialog(parent)
    , list_(folders)
{
    setObjectName(QStringLiteral("FormQuickListEdit"));
    setWindowTitle(QString::fromUtf8("クイックリストの編集"));
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 6, 0, 0);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(6, 0, 6, 0);
    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    grid->addWidget(list1_, 0, 0, 5, 1);
    QPushButton* upButton = MakeButton(QStringLiteral("ComUp"), QString::fromUtf8("↑"), this);
    QPushButton* downButton = MakeButton(QStringLiteral("ComDown"), QString::fromUtf8("↓"), this);
    QPushButton* delButton = MakeButton(QStringLiteral("ComDel"), QString::fromUtf8("削除"), this);
    QPushButton* ok = MakeButton(QStringLiteral("ComOK"), QStringLiteral("OK"), this);
    QPushButton* cancel = MakeButton(QStringLiteral("ComCancel"), QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    grid->addWidget(upButton, 0, 1);
    grid->addWidget(downButton, 1, 1);
    grid->addWidget(delButton, 2, 1);
    grid->setRowStretch(3, 1);
    auto* okCancel = new QVBoxLayout;
    okCancel->addWidget(ok);
    okCancel->addWidget(cancel);
    grid->addLayout(okCancel, 4, 1);
    outer->addLayout(grid, 1);
    auto* sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("SB"));
    auto* status = new QLabel(fileops::QuickListEditStatus(), sb);
    status->setTextFormat(Qt::PlainText);
    sb->addWidget(status, 1);
    sb->setSizeGripEnabled(true);
    outer->addWidget(sb);

    connect(upButton, &QPushButton::clicked, this, &FormQuickListEdit::up);
    connect(downButton, &QPushButton::clicked, this, &FormQuickListEdit::down);
    connect(delButton, &QPushButton::clicked, this, &FormQuickListEdit::remove);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    fill(-1);
    resize(460, 260);
    setMinimumSize(size()); // the design size is the smallest
}

void FormQuickListEdit::fill(int selected)
{
    list1_->clear();
    // Paths are shown as they are: a list box shows "&" literally.
    list1_->addItems(list_.folders());
    if (selected >= 0 && selected < list1_->count())
        list1_->setCurrentRow(selected);
    else
        list1_->setCurrentRow(-1);
}

void FormQuickListEdit::up()
{
    fill(list_.moveUp(list1_->currentRow()));
}

void FormQuickListEdit::down()
{
    fill(list_.moveDown(list1_->currentRow()));
}

void FormQuickListEdit::remove()
{
    fill(list_.remove(list1_->currentRow()));
}

} // namespace browser
