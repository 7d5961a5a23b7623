#pragma once
// TfrmCustomDlg: the four-button question about a shared file that no program uses any
// more. Each button leaves its answer ("Yes", "No", "Delete", "Save") in the caption of
// a label of the main window (lblFormShare) and closes the dialog.

#include "installer/frontend.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace installer {

class WrapLabel;

class TfrmCustomDlg : public QDialog {
    Q_OBJECT
public:
    /// `share` receives the answers.
    explicit TfrmCustomDlg(QLabel* share, QWidget* parent = nullptr);

    /// The question; the dialog's height follows the text.
    void setMessage(const QString& text);

    WrapLabel* lblMessage;
    QPushButton* btnYes;
    QPushButton* btnNo;
    QPushButton* btnDelete;
    QPushButton* btnSave;

    /// The button pressed last; None until one is (clearAnswer starts again).
    SharedFileAnswer lastAnswer() const { return answer_; }
    void clearAnswer() { answer_ = SharedFileAnswer::None; }

private:
    void answer(const QString& caption, SharedFileAnswer value);

    SharedFileAnswer answer_ = SharedFileAnswer::None;

    QLabel* share_;
};

} // namespace installer
