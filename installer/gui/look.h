#pragma once
// The installer's look: its icon and a label that wraps long paths (the Japanese font is
// common/gui/japaneseui.h).

#include <QIcon>
#include <QLabel>
#include <QRadioButton>

class QApplication;

namespace installer {

/// The installer's icon (a setup box), drawn at the usual sizes.
QIcon SetupIcon();

/// Raises and activates a shown window (where the window system lets programs do so).
void BringToFront(QWidget* window);

/// A label that breaks lines at blanks and, where a word (a long path) is wider than
/// the label, inside the word.
class WrapLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A radio button whose caption wraps at the button's width (the indicator stays beside
/// the first line); its size hint is its wrapped size at its width.
class WrapRadioButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    int indicatorSpace() const;
    QRect textRect(int width) const;
};

/// The height `text` takes in `width` pixels when lines may break anywhere.
int WrappedTextHeight(const QFont& font, const QString& text, int width);

} // namespace installer
