#pragma once
// Whole-file replacement that never leaves a half-written file under the target name.
//
// The new content goes to an exclusively created temporary file in the target's folder;
// commit() flushes it to disk and renames it over the target in one step. On any
// failure (or cancel(), or destruction before commit) the temporary file is removed and
// the target is untouched. An existing target's permissions are kept.

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

class QSaveFile;

namespace common {

class AtomicFile {
public:
    /// The steps at which a failure can be injected by tests.
    enum class Step { Open, Write, Commit };
    /// Test hook: called before each step with the step and its index among the writes
    /// (0 for Open and Commit); returning false makes the step fail as an I/O error would.
    using FaultInjector = std::function<bool(Step step, int writeIndex)>;

    explicit AtomicFile(QString targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    bool write(QByteArrayView bytes);
    bool commit();
    void cancel();

    QString errorString() const { return error_; }
    const QString& targetPath() const { return target_; }

    /// Installs a process-wide fault injector (nullptr removes it). For tests only.
    static void SetFaultInjector(FaultInjector injector);

private:
    bool fail(const QString& message);
    bool injected(Step step);

    QString target_;
    QString error_;
    std::unique_ptr<QSaveFile> file_;
    int writes_ = 0;
    bool failed_ = false;
};

/// Replaces `path` with `bytes` atomically. On failure `error` gets the reason.
bool WriteFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

} // namespace common
