#pragma once
// Copy, move, delete (to the trash or for good) and rename of the workbench's files.
//
// One object per main window keeps the switches (flags) and the services it uses: the
// trash, the overwrite question and a progress observer. Copies and moves run in two
// steps so that the work can leave the window thread:
//   plan  = op.PlanCopy(sources, folder)   window thread: checks, asks before overwriting
//   result = op.Run(plan)                   any thread: does the work, reports progress
// Copy/Move/Delete/Rename do both steps at once and answer true when nothing failed;
// lastResult() then tells which files failed and why.
//
// What never happens here: a file copied onto itself (identity is device + inode, so a
// symlinked path to the same folder is caught), a partial file under a target's name
// (copies are written to a temporary file in the destination folder and renamed into
// place), an existing file replaced unless the overwrite question said so, a source
// removed before its copy is complete and verified, and a failed trash turned into a
// permanent deletion.

#include "browser/fileops/trash.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <sys/types.h>
#include <vector>

namespace fileops {

enum class OperationKind { Move = 1, Copy = 2, Delete = 3, Rename = 4 };

/// The record behind the overwrite question (FormAskCopy). The window fills the tag kinds
/// ("タグなし", "行頭タグ", "カラオケタグ") for lyrics files and sets `answer`.
struct OverwriteQuestion {
    QString message = QStringLiteral("同名ファイルが存在しています。");
    QString sourceTagKind;
    QString destinationTagKind;
    QString sourcePath;
    QString destinationPath;
    QDateTime sourceTime;      // modification times, for the dialog
    QDateTime destinationTime;
    bool answer = false;       // true: overwrite
    bool move = false;
};
/// Asked once per existing target while planning, on the planning thread. Returns the
/// answer (true = "上書き").
using OverwriteDecider = std::function<bool(OverwriteQuestion& question)>;

struct Failure {
    QString path;   // the source (or the file to delete or rename)
    QString reason; // short Japanese reason
    int error = 0;  // errno where one applies
};

struct OperationResult {
    QStringList completed; // sources done (moved or deleted ones are gone from their place)
    QStringList skipped;   // left out: the same file as their target, or overwrite refused
    std::vector<Failure> failures;
    bool cancelled = false;
    bool ok() const { return failures.empty() && !cancelled; }
};

/// The one message that lists every failure ("次のファイルを処理できませんでした。" and
/// one line per file with its reason); empty when nothing failed.
QString FailureReport(const OperationResult& result);

struct Progress {
    OperationKind kind = OperationKind::Copy;
    int fileIndex = 0;  // files finished so far
    int fileCount = 0;
    qint64 bytesDone = 0; // bytes copied so far (copies and cross-device moves)
    qint64 bytesTotal = 0;
    QString currentPath; // empty with SimpleProgress
};

/// Progress of a running operation, called on the thread that runs it (the window
/// wraps it into a queued signal). Returning false asks the operation to stop.
class OperationObserver {
public:
    virtual ~OperationObserver() = default;
    virtual bool progress(const Progress& progress) = 0;
};

/// One source and where it goes. `replace` is set only when the overwrite question
/// allowed replacing an existing target.
struct TransferItem {
    QString source;
    QString target;
    bool replace = false;
    qint64 size = 0;
};

struct TransferPlan {
    OperationKind kind = OperationKind::Copy;
    std::vector<TransferItem> items;
    OperationResult preset; // skips and failures found while planning
};

class clsFileOperation {
public:
    /// The switches as one 16-bit set; values as the file-operation flags they stand for.
    enum Flag : quint16 {
        FlagMultiDestFiles = 0x1,
        FlagSilent = 0x4,
        FlagRenameOnCollision = 0x8,
        FlagNoConfirmation = 0x10,
        FlagAllowUndo = 0x40,
        FlagSimpleProgress = 0x100,
        FlagNoConfirmMkdir = 0x200,
    };

    /// Steps at which tests make an operation fail as the system would.
    enum class Step { Open, Write, Rename, Unlink };
    /// Called before each step with the path it acts on; false makes the step fail (EIO).
    using FaultInjector = std::function<bool(Step step, const QString& path)>;

    clsFileOperation();
    ~clsFileOperation();
    clsFileOperation(const clsFileOperation&) = delete;
    clsFileOperation& operator=(const clsFileOperation&) = delete;

    /// The owner window; a window that is gone reads as none.
    QObject* Target() const { return target_.data(); }
    void setTarget(QObject* owner) { target_ = owner; }
    quint16 flags() const { return flags_; }

    /// Several destinations: the destination text lists one target path per source,
    /// separated by NUL characters, instead of naming one folder.
    bool MultiDestFiles() const { return flag(FlagMultiDestFiles); }
    void setMultiDestFiles(bool on) { setFlag(FlagMultiDestFiles, on); }
    /// Progress goes to the observer (the window's progress dialog) only when true.
    bool ShowDialog() const { return !flag(FlagSilent); }
    void setShowDialog(bool on) { setFlag(FlagSilent, !on); }
    /// A clash gives the new file a free name ("name (2).ext") instead of a question.
    bool RenameOnCollision() const { return flag(FlagRenameOnCollision); }
    void setRenameOnCollision(bool on) { setFlag(FlagRenameOnCollision, on); }
    /// Without an overwrite decider: true answers every overwrite question with yes,
    /// false with no. A decider, when set, is always the one asked.
    bool RespondDialog() const { return flag(FlagNoConfirmation); }
    void setRespondDialog(bool on) { setFlag(FlagNoConfirmation, on); }
    /// True: a missing destination folder is a failure; false: it is created.
    bool ConfirmMakeDir() const { return !flag(FlagNoConfirmMkdir); }
    void setConfirmMakeDir(bool on) { setFlag(FlagNoConfirmMkdir, !on); }
    /// Deletions go to the trash when true and are permanent when false.
    bool AllowUndo() const { return flag(FlagAllowUndo); }
    void setAllowUndo(bool on) { setFlag(FlagAllowUndo, on); }
    /// Progress reports carry no file names.
    bool SimpleProgress() const { return flag(FlagSimpleProgress); }
    void setSimpleProgress(bool on) { setFlag(FlagSimpleProgress, on); }

    // Services (not owned). Without a trash the user's freedesktop Trash is used.
    void setTrash(Trash* trash) { trash_ = trash; }
    Trash* trash();
    void setObserver(OperationObserver* observer) { observer_ = observer; }
    void setOverwriteDecider(OverwriteDecider decider) { decider_ = std::move(decider); }
    void setFaultInjector(FaultInjector injector) { faults_ = std::move(injector); }

    // Planning (on the thread that may ask questions). Each plan clears a pending cancel.
    TransferPlan PlanCopy(const QStringList& sources, const QString& destination);
    TransferPlan PlanMove(const QStringList& sources, const QString& destination);
    TransferPlan PlanDelete(const QStringList& sources);
    /// Does the planned work; may run on a worker thread. Stops early after Cancel().
    OperationResult Run(const TransferPlan& plan);
    /// Asks a running operation to stop; safe from any thread. A file being copied is
    /// abandoned and leaves nothing behind.
    void Cancel() { cancel_.store(true); }

    // Plan and run in one call; true when every file was done (skips are not failures).
    bool Copy(const QStringList& sources, const QString& destination);
    bool Move(const QStringList& sources, const QString& destination);
    bool Delete(const QStringList& sources);
    /// Renames without ever replacing an existing file (a clash fails with EEXIST).
    bool Rename(const QString& oldPath, const QString& newPath);
    const OperationResult& lastResult() const { return last_; }

private:
    bool flag(Flag f) const { return (flags_ & f) != 0; }
    void setFlag(Flag f, bool on) { flags_ = on ? quint16(flags_ | f) : quint16(flags_ & ~f); }
    TransferPlan planTransfer(OperationKind kind, const QStringList& sources, const QString& destination);
    bool inject(Step step, const QString& path) const;
    bool report(Progress progress);
    int copyFile(const TransferItem& item, Progress& progress, bool& cancelled);
    /// Opens where the copy is written: an unnamed file for a new target where the file
    /// system allows it, else a named temporary file beside the target (`temporary`).
    int openCopyTarget(const TransferItem& item, int& outFd, QByteArray& temporary);
    /// Copies the bytes of `in` to `out` with progress and cancel; errno or our codes.
    int copyBytes(int in, int out, dev_t sourceDevice, const QString& targetPath, Progress& progress, bool& cancelled,
                  qint64& copied);
    int commitTemporary(const QByteArray& temporary, const TransferItem& item);
    int moveFile(const TransferItem& item, Progress& progress, bool& cancelled, bool& copiedOnly);
    int deleteFile(const QString& path, QString& reason);

    QPointer<QObject> target_;
    quint16 flags_ = 0;
    Trash* trash_ = nullptr;
    std::unique_ptr<Trash> ownTrash_;
    OperationObserver* observer_ = nullptr;
    OverwriteDecider decider_;
    FaultInjector faults_;
    std::atomic<bool> cancel_{false};
    OperationResult last_;
    std::unique_ptr<char[]> buffer_; // read/write copies (one operation runs at a time)
    bool rangeRefused_ = false;      // copy_file_range refused between these devices
    dev_t rangeRefusedFrom_ = 0;
    dev_t rangeRefusedTo_ = 0;
};

/// Splits a NUL-separated path list (empty parts dropped).
QStringList SplitPathList(const QString& text);

} // namespace fileops
