#pragma once
// TfrmStatus: the progress window ("進行状況") the passes report to: a status text, the
// progress frame with bar and counter (shown while files are copied) and the abort
// button (enabled by the install pass while aborting is safe).

#include <QDialog>

class QGroupBox;
class QProgressBar;
class QLabel;
class QPushButton;

namespace installer {

class WrapLabel;

class TfrmStatus : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStatus(QWidget* parent = nullptr);

    /// Shows the window centred on the screen.
    void showCentred();
    /// Closes the window; the user cannot close it.
    void closeWindow();

    QGroupBox* grpMessage;
    WrapLabel* lblMessage;
    QGroupBox* fraStatus;
    QProgressBar* prgStatus;
    QLabel* lblStatus;
    QPushButton* btnAbort;

public Q_SLOTS:
    void reject() override {} // Escape does not close the progress window

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closing_ = false;
};

} // namespace installer
