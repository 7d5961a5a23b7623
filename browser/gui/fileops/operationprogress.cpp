// The progress window of a file operation, and the worker that runs the operation.
#include "browser/gui/fileops/operationprogress.h"

#include "common/utf8text.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <mutex>
#include <thread>

namespace browser {
namespace {

using common::U;

// Hands the worker's reports to the window thread: only the newest report waits there,
// so a fast operation never floods the event queue, and the window shows one at most
// every kRepaintMs, so a thousand small files are not a thousand repaints.
class ProgressRelay : public fileops::OperationObserver {
    static constexpr int kRepaintMs = 40;

public:
    explicit ProgressRelay(OperationProgress* dialog) : dialog_(dialog) {}

    bool progress(const fileops::Progress& progress) override
    {
        bool post = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            latest_ = progress;
            post = !pending_;
            pending_ = true;
        }
        if (post)
            QMetaObject::invokeMethod(dialog_, [this] { deliver(); }, Qt::QueuedConnection);
        return !cancel.load();
    }
    void deliver()
    {
        if (shown_.isValid() && shown_.elapsed() < kRepaintMs) {
            // Too soon: the newest report is shown a little later (it stays pending).
            QTimer::singleShot(int(kRepaintMs - shown_.elapsed()), dialog_, [this] { deliver(); });
            return;
        }
        shown_.start();
        fileops::Progress p;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            p = latest_;
            pending_ = false;
        }
        if (dialog_)
            dialog_->showProgress(p);
    }

    std::atomic<bool> cancel{false};

private:
    QPointer<OperationProgress> dialog_;
    std::mutex mutex_;
    fileops::Progress latest_;
    bool pending_ = false;
    QElapsedTimer shown_; // window thread only
};

} // namespace

QString ProgressCaption(fileops::OperationKind kind)
{
    switch (kind) {
    case fileops::OperationKind::Copy:
        return U("コピーしています…");
    case fileops::OperationKind::Move:
        return U("移動しています…");
    case fileops::OperationKind::Delete:
        return U("削除しています…");
    case fileops::OperationKind::Rename:
        break;
    }
    return U("リネームしています…");
}

OperationProgress::OperationProgress(fileops::OperationKind kind, QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("Melwick Ex"));
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(420);
    auto* layout = new QVBoxLayout(this);
    lblAction_ = new QLabel(ProgressCaption(kind), this);
    lblAction_->setObjectName(QStringLiteral("lblAction"));
    lblFile_ = new QLabel(this);
    lblFile_->setObjectName(QStringLiteral("lblFile"));
    lblFile_->setTextFormat(Qt::PlainText);
    lblFile_->setMinimumWidth(400);
    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("PB"));
    bar_->setRange(0, 1000);
    bar_->setValue(0);
    cancel_ = new QPushButton(U("キャンセル"), this);
    cancel_->setObjectName(QStringLiteral("ComCancel"));
    layout->addWidget(lblAction_);
    layout->addWidget(lblFile_);
    layout->addWidget(bar_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblCount_, 1);
    bottom->addWidget(cancel_);
    layout->addLayout(bottom);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelRequested_ = true;
        cancel_->setEnabled(false);
        lblAction_->setText(U("中止しています…"));
        Q_EMIT cancelClicked();
    });
}

void OperationProgress::reject()
{
    if (cancel_->isEnabled())
        cancel_->click();
}

void OperationProgress::showProgress(const fileops::Progress& p)
{
    if (!p.currentPath.isEmpty())
        lblFile_->setText(fontMetrics().elidedText(QFileInfo(p.currentPath).fileName(), Qt::ElideMiddle, lblFile_->width()));
    lblCount_->setText(QStringLiteral("%1 / %2").arg(qMin(p.fileIndex + 1, p.fileCount)).arg(p.fileCount));
    double part = 0;
    if (p.bytesTotal > 0)
        part = double(p.bytesDone) / double(p.bytesTotal);
    else if (p.fileCount > 0)
        part = double(p.fileIndex) / double(p.fileCount);
    bar_->setValue(int(qBound(0.0, part, 1.0) * 1000));
}

fileops::OperationResult OperationProgress::Run(fileops::clsFileOperation& operation, const fileops::TransferPlan& plan,
                                                QWidget* owner, int showAfterMs)
{
    // Without a parent: the owner window is disabled while the work runs, and a disabled
    // parent would disable its progress window with it.
    OperationProgress dialog(plan.kind, nullptr);
    ProgressRelay relay(&dialog);
    QEventLoop loop;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    connect(&showTimer, &QTimer::timeout, &dialog, [&dialog, owner] {
        dialog.adjustSize();
        if (owner && owner->window()->isVisible())
            dialog.move(owner->window()->frameGeometry().center() - dialog.rect().center());
        dialog.show();
    });
    connect(&dialog, &OperationProgress::cancelClicked, &dialog, [&] {
        relay.cancel.store(true);
        operation.Cancel();
    });

    // While the work runs, the window takes no input but keeps painting; the progress
    // window (application-modal) is the only thing the user can act on.
    QPointer<QWidget> window = owner ? owner->window() : nullptr;
    const bool wasEnabled = window && window->isEnabled();
    if (window)
        window->setEnabled(false);

    fileops::OperationResult result;
    std::atomic<bool> done{false};
    operation.setObserver(&relay);
    const bool showDialog = operation.ShowDialog();
    if (!showDialog) // a silent operation still reports to its window, to be cancellable
        operation.setShowDialog(true);
    std::thread worker([&] {
        result = operation.Run(plan);
        done.store(true);
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    showTimer.start(showAfterMs);
    if (!done.load())
        loop.exec();
    worker.join();
    QCoreApplication::sendPostedEvents(&dialog); // a last queued report is dropped with the dialog
    operation.setObserver(nullptr);
    operation.setShowDialog(showDialog);
    showTimer.stop();
    dialog.hide();
    if (window && wasEnabled)
        window->setEnabled(true);
    if (dialog.cancelRequested())
        result.cancelled = true;
    return result;
}

} // namespace browser
