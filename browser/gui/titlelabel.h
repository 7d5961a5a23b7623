#pragma once
// A label that keeps its whole text but draws it elided in the middle when the label is
// narrower than the text (pane titles and file names with long folder paths).

#include <QLabel>

namespace browser {

class TitleLabel : public QLabel {
    Q_OBJECT
public:
    explicit TitleLabel(QWidget* parent = nullptr);
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace browser
