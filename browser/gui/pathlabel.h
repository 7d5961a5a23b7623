#pragma once
// A read-only field that shows a file path and is clicked to choose another one.
//
// text() is always the whole path; a path wider than the field is drawn with an ellipsis
// in the middle and shown whole in the tool tip. A click, or Space/Enter while it has
// the focus, emits clicked().

#include <QLabel>

namespace browser {

class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent = nullptr);
    /// Shows `path` (empty for none).
    void setPath(const QString& path);
    QString path() const { return text(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace browser
