#include "installer/gui/frmstatus.h"

#include "installer/gui/look.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace installer {
namespace {
constexpr int kWidth = 480;
constexpr int kMargin = 8;
constexpr int kMessageLines = 5;
} // namespace

TfrmStatus::TfrmStatus(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TfrmStatus"));
    setWindowTitle(QStringLiteral("進行状況"));
    setWindowIcon(SetupIcon());

    const QFontMetrics fm = fontMetrics();
    const int line = fm.lineSpacing();
    const int groupTop = fm.height() + 6;
    const int inner = kWidth - 2 * kMargin;

    grpMessage = new QGroupBox(QStringLiteral("メッセージ"), this);
    grpMessage->setObjectName(QStringLiteral("grpMessage"));
    lblMessage = new WrapLabel(grpMessage);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int messageHeight = kMessageLines * line;
    grpMessage->setGeometry(kMargin, kMargin, inner, groupTop + messageHeight + 8);
    lblMessage->setGeometry(12, groupTop, inner - 24, messageHeight);

    fraStatus = new QGroupBox(QStringLiteral("進行状況"), this);
    fraStatus->setObjectName(QStringLiteral("fraStatus"));
    prgStatus = new QProgressBar(fraStatus);
    prgStatus->setObjectName(QStringLiteral("prgStatus"));
    prgStatus->setRange(0, 100);
    prgStatus->setValue(0);
    prgStatus->setTextVisible(false);
    lblStatus = new QLabel(QStringLiteral("0%(0/0)"), fraStatus);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAlignment(Qt::AlignCenter);
    const int barHeight = std::max(18, fm.height() + 2);
    const int statusTop = grpMessage->geometry().bottom() + 1 + 6;
    fraStatus->setGeometry(kMargin, statusTop, inner, groupTop + barHeight + 4 + fm.height() + 10);
    prgStatus->setGeometry(12, groupTop, inner - 24, barHeight);
    lblStatus->setGeometry(12, groupTop + barHeight + 4, inner - 24, fm.height() + 2);
    fraStatus->hide();

    btnAbort = new QPushButton(QStringLiteral("中断(&A)"), this);
    btnAbort->setObjectName(QStringLiteral("btnAbort"));
    btnAbort->setAutoDefault(false);
    btnAbort->setEnabled(false);
    const int buttonWidth = std::max(112, fm.horizontalAdvance(btnAbort->text()) + 32);
    const int buttonHeight = std::max(btnAbort->sizeHint().height(), fm.height() + 10);
    const int buttonTop = fraStatus->geometry().bottom() + 1 + 10;
    btnAbort->setGeometry((kWidth - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight);
    setFixedSize(kWidth, buttonTop + buttonHeight + kMargin + 2);
}

void TfrmStatus::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    closing_ = false;
    show();
    BringToFront(this);
}

void TfrmStatus::closeWindow()
{
    closing_ = true;
    close();
}

void TfrmStatus::closeEvent(QCloseEvent* event)
{
    if (closing_)
        event->accept();
    else
        event->ignore();
}

} // namespace installer
