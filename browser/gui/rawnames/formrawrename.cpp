#include "browser/gui/rawnames/formrawrename.h"

#include "common/rawname.h"
#include "common/utf8text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

} // namespace

FormRawRename::FormRawRename(const std::vector<fileops::RawRename>& plan, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRawRename"));
    setWindowTitle(U("ファイル名を UTF-8 に変換"));
    setModal(true);
    int ready = 0;
    for (const fileops::RawRename& r : plan)
        ready += r.status == fileops::RawRename::Status::Ready;

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(this);
    intro->setObjectName(QStringLiteral("lblRawRename"));
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    const QString folder = plan.empty() ? QString() : common::DisplayPath(plan.front().folder);
    intro->setText(U("フォルダ %1 の、名前が UTF-8 でない (Shift_JIS の) ファイル %2 個のうち %3 個の名前を UTF-8 に変換します。\n"
                     "同名のファイルがあるときは上書きせず、そのファイルは変換しません。")
                       .arg(folder)
                       .arg(plan.size())
                       .arg(ready));
    layout->addWidget(intro);

    auto* table = new QTableWidget(int(plan.size()), 3, this);
    table->setObjectName(QStringLiteral("ListRawRename"));
    table->setHorizontalHeaderLabels({U("現在の名前 (Shift_JIS として表示)"), U("新しい名前 (UTF-8)"), U("結果")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->setWordWrap(false);
    for (int i = 0; i < int(plan.size()); ++i) {
        const fileops::RawRename& r = plan[size_t(i)];
        auto* oldItem = new QTableWidgetItem(common::DisplayPath(r.oldName));
        auto* newItem = new QTableWidgetItem(r.newName);
        auto* status = new QTableWidgetItem(fileops::RawRenameStatusText(r.status));
        if (r.status != fileops::RawRename::Status::Ready) {
            const QBrush dim = palette().brush(QPalette::Disabled, QPalette::Text);
            oldItem->setForeground(dim);
            newItem->setForeground(dim);
            status->setForeground(QBrush(Qt::darkRed));
        }
        table->setItem(i, 0, oldItem);
        table->setItem(i, 1, newItem);
        table->setItem(i, 2, status);
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(U("変換"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ComOK"));
    ok->setEnabled(ready > 0);
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(U("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ComCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(std::max(560, table->horizontalHeader()->length() + 40), 320);
}

} // namespace browser
