// FormAskCopy: the overwrite question of a copy or a move.
#include "browser/gui/fileops/formaskcopy.h"

#include "browser/gui/controlarray.h"
#include "browser/gui/makecontrols.h"
#include "common/utf8text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

} // namespace

QString AskCopyTime(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : QString();
}

FormAskCopy::FormAskCopy(fileops::OverwriteQuestion& question, QWidget* parent)
    : QDialog(parent)
    , question_(question)
{
    setObjectName(QStringLiteral("FormAskCopy"));
    setWindowTitle(question.move ? U("ファイルの移動") : U("ファイルのコピー"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* mes = MakeLabel(QStringLiteral("lblMes"), question.message, this);
    QFont bold = mes->font();
    bold.setBold(true);
    mes->setFont(bold);
    layout->addWidget(mes);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    const QString heads[2] = {question.move ? U("移動元ファイル") : U("コピー元ファイル"),
                              question.move ? U("移動先ファイル") : U("コピー先ファイル")};
    const QString paths[2] = {question.sourcePath, question.destinationPath};
    const QDateTime times[2] = {question.sourceTime, question.destinationTime};
    const QString states[2] = {question.sourceTagKind, question.destinationTagKind};
    for (int i = 0; i < 2; ++i) {
        const int row = i * 4;
        auto* head = MakeLabel(ControlName(QStringLiteral("lbl1"), i), heads[i], this);
        head->setFont(bold);
        grid->addWidget(head, row, 0, 1, 2);
        auto* name = MakeLabel(ControlName(QStringLiteral("lblFileName"), i), paths[i], this);
        name->setTextInteractionFlags(Qt::TextSelectableByMouse);
        name->setWordWrap(true);
        name->setMinimumWidth(420);
        grid->addWidget(name, row + 1, 0, 1, 2);
        grid->addWidget(MakeLabel(ControlName(QStringLiteral("lblTime"), i), AskCopyTime(times[i]), this), row + 2, 0);
        grid->addWidget(MakeLabel(ControlName(QStringLiteral("lblState"), i), states[i], this), row + 2, 1, Qt::AlignRight);
        if (i == 0)
            grid->setRowMinimumHeight(row + 3, 8);
    }
    layout->addLayout(grid);
    layout->addSpacing(8);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(U("上書き"), this);
    ok->setObjectName(QStringLiteral("ComOK"));
    auto* cancel = new QPushButton(U("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("ComCancel"));
    cancel->setDefault(true); // Enter never replaces a file by accident
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    question_.answer = false;
    connect(ok, &QPushButton::clicked, this, [this] {
        question_.answer = true;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        question_.answer = false;
        reject();
    });
}

bool FormAskCopy::Ask(fileops::OverwriteQuestion& question, QWidget* parent)
{
    FormAskCopy dialog(question, parent);
    dialog.exec();
    return question.answer;
}

} // namespace browser
