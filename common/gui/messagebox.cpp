#include "common/gui/messagebox.h"

#include <QPushButton>
#include <vector>

namespace common {
namespace {

QMessageBox::StandardButton Standard(BoxButton b)
{
    switch (b) {
    case BoxButton::Cancel:
        return QMessageBox::Cancel;
    case BoxButton::Yes:
        return QMessageBox::Yes;
    case BoxButton::No:
        return QMessageBox::No;
    case BoxButton::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QString Caption(BoxButton b)
{
    switch (b) {
    case BoxButton::Cancel:
        return QString::fromUtf8("キャンセル");
    case BoxButton::Yes:
        return QString::fromUtf8("はい(&Y)");
    case BoxButton::No:
        return QString::fromUtf8("いいえ(&N)");
    case BoxButton::Ok:
        break;
    }
    return QStringLiteral("OK");
}

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

Answer ToAnswer(BoxButton b)
{
    switch (b) {
    case BoxButton::Cancel:
        return Answer::Cancel;
    case BoxButton::Yes:
        return Answer::Yes;
    case BoxButton::No:
        return Answer::No;
    case BoxButton::Ok:
        break;
    }
    return Answer::Ok;
}

} // namespace

Answer ShowMessage(QWidget* owner, MessageIcon icon, MessageButtons buttons, const QString& title, const QString& text)
{
    const QMessageBox::Icon qtIcon = ToQtIcon(icon);
    switch (buttons) {
    case MessageButtons::OkCancel:
        return ToAnswer(RunMessageBox(owner, qtIcon, title, text, {BoxButton::Ok, BoxButton::Cancel}));
    case MessageButtons::YesNo:
        return ToAnswer(RunMessageBox(owner, qtIcon, title, text, {BoxButton::Yes, BoxButton::No}));
    case MessageButtons::YesNoCancel:
        return ToAnswer(RunMessageBox(owner, qtIcon, title, text, {BoxButton::Yes, BoxButton::No, BoxButton::Cancel}));
    case MessageButtons::Ok:
        break;
    }
    return ToAnswer(RunMessageBox(owner, qtIcon, title, text, {BoxButton::Ok}));
}

QString WithLfBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

BoxButton RunMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
                        std::initializer_list<BoxButton> buttons)
{
    const std::vector<BoxButton> list = buttons.size() ? std::vector<BoxButton>(buttons) : std::vector<BoxButton>{BoxButton::Ok};
    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(WithLfBreaks(text));

    QMessageBox::StandardButtons standard;
    for (BoxButton b : list)
        standard |= Standard(b);
    box.setStandardButtons(standard);
    for (BoxButton b : list)
        box.button(Standard(b))->setText(Caption(b));
    box.setDefaultButton(Standard(list.front()));

    BoxButton escape = list.front();
    for (BoxButton b : list)
        if (b == BoxButton::Cancel || (b == BoxButton::No && escape != BoxButton::Cancel))
            escape = b;
    box.setEscapeButton(Standard(escape));

    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (BoxButton b : list)
        if (clicked == box.button(Standard(b)))
            return b;
    return escape;
}

} // namespace common
