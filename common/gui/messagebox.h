#pragma once
// A message box with Japanese button texts: the one Qt adapter behind both programs'
// prompters.

#include "common/prompt.h"

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

/// The prompters' message box: `buttons` as Japanese buttons, the first the default,
/// Escape answering Cancel, else No, else OK.
Answer ShowMessage(QWidget* owner, MessageIcon icon, MessageButtons buttons, const QString& title, const QString& text);

/// The text with CR LF and lone CR turned into LF, the breaks Qt's widgets show.
QString WithLfBreaks(QString text);

} // namespace common
