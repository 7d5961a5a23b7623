#pragma once
// A message box with Japanese button texts, used by both programs' prompters.

#include <QMessageBox>
#include <QString>
#include <initializer_list>

namespace common {

enum class BoxButton { Ok, Cancel, Yes, No };

/// Shows a modal message box with the given buttons, left to right, the first being the
/// default. CR LF and CR line breaks in `text` are shown as breaks. Escape and the
/// window's close button answer Cancel, else No, else the only button.
BoxButton RunMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
                        std::initializer_list<BoxButton> buttons);

/// The text with CR LF and lone CR turned into LF, the breaks Qt's widgets show.
QString WithLfBreaks(QString text);

} // namespace common
