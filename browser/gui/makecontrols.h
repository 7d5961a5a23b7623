#pragma once
// Small factories for the controls several windows build the same way.
#include <QLabel>
#include <QString>
#include <QToolButton>

namespace browser {

/// A label named for lookup whose text is never read as rich text (file names may hold "<").
inline QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

/// A flat-style, text-only tool button named for lookup.
inline QToolButton* MakeTextToolButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(false);
    return b;
}

} // namespace browser
