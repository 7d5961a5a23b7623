#pragma once
// The installer's look: its icon, its Japanese font, and a label that wraps long paths.

#include <QIcon>
#include <QLabel>

class QApplication;

namespace installer {

/// The installer's icon (a setup box), drawn at the usual sizes.
QIcon SetupIcon();

/// Makes the application font a Japanese one when one is installed ("Noto Sans CJK JP"
/// first), keeping its size. Returns the family chosen, or "" when none is installed.
const char* ApplyJapaneseFont(QApplication& app);

/// Loads Qt's own Japanese texts (the folder chooser's views and menus) when they are
/// installed; returns whether they were.
bool InstallQtJapaneseTranslation(QApplication& app);

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

/// The height `text` takes in `width` pixels when lines may break anywhere.
int WrappedTextHeight(const QFont& font, const QString& text, int width);

} // namespace installer
