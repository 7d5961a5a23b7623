#pragma once
// TfrmBack: the maximized backdrop behind the installer's windows: a blue-to-black
// gradient, the installer's title with a green shadow at the top left and the credit
// lines with a blue shadow at the lower right.

#include <QWidget>

class QLabel;

namespace installer {

class TGradBox;

class TfrmBack : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBack(QWidget* parent = nullptr);

    /// "Tovel! Setup 200x Version" followed directly by the version text of `version`
    /// ("a.b.c.d").
    static QString CaptionFor(const QString& version);

    /// Both title labels show `title`.
    void setTitle(const QString& title);
    /// Shows the credit text in the lower right corner: as wide as its text plus 8
    /// pixels, its right edge 24 pixels from the backdrop's right, its bottom 48 pixels
    /// from the backdrop's bottom, the shadow 2 pixels right and down.
    void showCredit(const QString& text);
    /// Closes the backdrop; the user cannot close it (it goes when the installer ends).
    void closeWindow();

    TGradBox* GradBox;
    QLabel* lblBackTitle1;
    QLabel* lblBackTitle2;
    QLabel* lblPrgTitle1;
    QLabel* lblPrgTitle2;

Q_SIGNALS:
    /// The first resize while the credit is still hidden: the backdrop has its size and
    /// the main window can come.
    void firstResized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeTitle();
    void placeCredit();

    bool resizedOnce_ = false;
    bool closing_ = false;
};

} // namespace installer
