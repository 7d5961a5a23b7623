#include "common/atomicfile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace common {
namespace {
AtomicFile::FaultInjector& Injector()
{
    static AtomicFile::FaultInjector injector;
    return injector;
}
} // namespace

AtomicFile::AtomicFile(QString targetPath) : target_(std::move(targetPath)) {}

AtomicFile::~AtomicFile()
{
    cancel();
}

void AtomicFile::SetFaultInjector(FaultInjector injector)
{
    Injector() = std::move(injector);
}

bool AtomicFile::injected(Step step)
{
    const auto& inj = Injector();
    return inj && !inj(step, step == Step::Write ? writes_ : 0);
}

bool AtomicFile::fail(const QString& message)
{
    failed_ = true;
    error_ = message;
    cancel();
    return false;
}

bool AtomicFile::open()
{
    failed_ = false;
    writes_ = 0;
    error_.clear();
    if (injected(Step::Open))
        return fail(QStringLiteral("cannot create a temporary file beside %1 (injected failure)").arg(target_));
    const QFileInfo info(target_);
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("%1 is not a regular file").arg(target_));
    file_ = std::make_unique<QSaveFile>(target_);
    // Never fall back to writing the target in place (e.g. in a read-only folder).
    file_->setDirectWriteFallback(false);
    if (!file_->open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot create a temporary file beside %1: %2").arg(target_, file_->errorString()));
    return true;
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (!file_ || failed_)
        return false;
    if (injected(Step::Write))
        return fail(QStringLiteral("cannot write %1 (injected failure)").arg(target_));
    ++writes_;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file_->write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return fail(QStringLiteral("cannot write %1: %2").arg(target_, file_->errorString()));
        done += n;
    }
    return true;
}

bool AtomicFile::commit()
{
    if (!file_ || failed_)
        return false;
    if (injected(Step::Commit))
        return fail(QStringLiteral("cannot replace %1 (injected failure)").arg(target_));
    // QSaveFile::commit flushes, syncs to disk and renames over the target.
    if (!file_->commit()) {
        const QString reason = file_->errorString();
        file_.reset();
        return fail(QStringLiteral("cannot replace %1: %2").arg(target_, reason));
    }
    file_.reset();
    return true;
}

void AtomicFile::cancel()
{
    if (file_) {
        file_->cancelWriting();
        file_.reset(); // the destructor of an uncommitted QSaveFile removes the temporary file
    }
}

bool WriteFileAtomically(const QString& path, QByteArrayView bytes, QString* error)
{
    AtomicFile file(path);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace common
