#pragma once
// The progress window of a copy, move or delete. The work runs on a worker thread while
// the window thread keeps handling events; the window appears only when the work takes
// longer than about 300 ms, and its "キャンセル" stops the work after the current file (a
// file being copied is abandoned and leaves nothing behind).

#include "browser/fileops/fileoperation.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace browser {

class OperationProgress : public QDialog {
    Q_OBJECT
public:
    explicit OperationProgress(fileops::OperationKind kind, QWidget* owner = nullptr);

    /// Runs `plan` with `operation` on a worker thread, pumping the window's events until
    /// it ends. The window appears after `showAfterMs`.
    static fileops::OperationResult Run(fileops::clsFileOperation& operation, const fileops::TransferPlan& plan,
                                        QWidget* owner, int showAfterMs = 300);

    /// Shows one progress report (window thread).
    void showProgress(const fileops::Progress& progress);
    bool cancelRequested() const { return cancelRequested_; }

Q_SIGNALS:
    void cancelClicked();

protected:
    void reject() override; // Escape and the close box cancel as the button does

private:
    QLabel* lblAction_ = nullptr;
    QLabel* lblFile_ = nullptr;
    QLabel* lblCount_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelRequested_ = false;
};

/// "コピーしています…", "移動しています…", "削除しています…".
QString ProgressCaption(fileops::OperationKind kind);

} // namespace browser
