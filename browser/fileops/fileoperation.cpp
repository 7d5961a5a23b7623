#include "browser/fileops/fileoperation.h"

#include "browser/fileops/posixfs.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

namespace {

// Failure codes of our own, next to errno values (which are positive).
constexpr int kCancelled = -1;
constexpr int kSizeMismatch = -2;
constexpr int kNotRegular = -3;
constexpr int kNoFolder = -4;

constexpr qint64 kChunk = 8 << 20;     // bytes per copy_file_range call
constexpr size_t kBufferSize = 1 << 20; // bytes per read/write round

QString Reason(int code)
{
    switch (code) {
    case kCancelled: return QStringLiteral("キャンセルされました。");
    case kSizeMismatch: return QStringLiteral("コピーしたファイルの大きさが元と一致しません。");
    case kNotRegular: return QStringLiteral("通常のファイルではありません。");
    case kNoFolder: return QStringLiteral("コピー先フォルダが見つかりません。");
    default: return ReasonFor(code);
    }
}

Failure MakeFailure(const QString& path, int code)
{
    return Failure{path, Reason(code), code > 0 ? code : 0};
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    /// Closes now and returns the errno of a failed close (write errors can surface here).
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }
    /// Gives the descriptor away without closing it.
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

QDateTime ModificationTime(const QString& path)
{
    return QFileInfo(path).lastModified();
}

// "name (2).ext", "name (3).ext" … : the first name that is free in `folder`.
QString FreeName(const QString& folder, const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString ext = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = folder + QLatin1Char('/') + base + QStringLiteral(" (%1)").arg(n) + ext;
        struct stat st {};
        if (::lstat(Native(candidate).constData(), &st) != 0)
            return candidate;
    }
}

} // namespace

QStringList SplitPathList(const QString& text)
{
    return text.split(QChar(u'\0'), Qt::SkipEmptyParts);
}

QString FailureReport(const OperationResult& result)
{
    if (result.failures.empty())
        return QString();
    QString text = QStringLiteral("次のファイルを処理できませんでした。\n");
    for (const Failure& f : result.failures)
        text += QStringLiteral("\n") + f.path + QStringLiteral("\n　") + f.reason;
    return text;
}

clsFileOperation::clsFileOperation() = default;
clsFileOperation::~clsFileOperation() = default;

Trash* clsFileOperation::trash()
{
    if (trash_)
        return trash_;
    if (!ownTrash_)
        ownTrash_ = std::make_unique<FreedesktopTrash>();
    return ownTrash_.get();
}

bool clsFileOperation::inject(Step step, const QString& path) const
{
    if (faults_ && !faults_(step, path)) {
        errno = EIO;
        return false;
    }
    return true;
}

bool clsFileOperation::report(Progress progress)
{
    if (observer_ && ShowDialog()) {
        if (SimpleProgress())
            progress.currentPath.clear();
        if (!observer_->progress(progress))
            cancel_.store(true);
    }
    return !cancel_.load();
}

TransferPlan clsFileOperation::PlanCopy(const QStringList& sources, const QString& destination)
{
    return planTransfer(OperationKind::Copy, sources, destination);
}

TransferPlan clsFileOperation::PlanMove(const QStringList& sources, const QString& destination)
{
    return planTransfer(OperationKind::Move, sources, destination);
}

TransferPlan clsFileOperation::PlanDelete(const QStringList& sources)
{
    cancel_.store(false);
    TransferPlan plan;
    plan.kind = OperationKind::Delete;
    for (const QString& source : sources)
        plan.items.push_back(TransferItem{source, QString(), false, 0});
    return plan;
}

TransferPlan clsFileOperation::planTransfer(OperationKind kind, const QStringList& sources, const QString& destination)
{
    cancel_.store(false);
    TransferPlan plan;
    plan.kind = kind;
    const bool move = kind == OperationKind::Move;

    QStringList targets;
    if (MultiDestFiles()) {
        targets = SplitPathList(destination);
    } else {
        QString folder = destination;
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        if (!QFileInfo(folder).isDir() && !(!ConfirmMakeDir() && QDir().mkpath(folder))) {
            for (const QString& source : sources)
                plan.preset.failures.push_back(MakeFailure(source, kNoFolder));
            return plan;
        }
        const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        for (const QString& source : sources)
            targets << prefix + QFileInfo(source).fileName();
    }

    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString& source = sources[i];
        if (i >= targets.size()) {
            plan.preset.failures.push_back(MakeFailure(source, kNoFolder));
            continue;
        }
        struct stat st {};
        if (::stat(Native(source).constData(), &st) != 0) {
            plan.preset.failures.push_back(MakeFailure(source, errno));
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            plan.preset.failures.push_back(MakeFailure(source, kNotRegular));
            continue;
        }
        TransferItem item{source, targets[i], false, qint64(st.st_size)};
        struct stat existing {};
        if (::lstat(Native(item.target).constData(), &existing) == 0) {
            // The same file reached by another path (symlinked folder, hard link): left out.
            if (SameFile(source, item.target)) {
                plan.preset.skipped << source;
                continue;
            }
            if (RenameOnCollision()) {
                item.target = FreeName(QFileInfo(item.target).path(), QFileInfo(item.target).fileName());
            } else {
                OverwriteQuestion question;
                question.sourcePath = source;
                question.destinationPath = item.target;
                question.sourceTime = ModificationTime(source);
                question.destinationTime = ModificationTime(item.target);
                question.move = move;
                question.answer = decider_ ? decider_(question) : RespondDialog();
                if (!question.answer) {
                    plan.preset.skipped << source;
                    continue;
                }
                item.replace = true;
            }
        }
        plan.items.push_back(item);
    }
    return plan;
}

OperationResult clsFileOperation::Run(const TransferPlan& plan)
{
    OperationResult result = plan.preset;
    Progress progress;
    progress.kind = plan.kind;
    progress.fileCount = int(plan.items.size());
    if (plan.kind != OperationKind::Delete)
        for (const TransferItem& item : plan.items)
            progress.bytesTotal += item.size;

    for (const TransferItem& item : plan.items) {
        if (cancel_.load()) {
            result.cancelled = true;
            break;
        }
        progress.currentPath = item.source;
        if (!report(progress)) {
            result.cancelled = true;
            break;
        }
        bool cancelled = false;
        int code = 0;
        QString reason;
        switch (plan.kind) {
        case OperationKind::Copy:
            code = copyFile(item, progress, cancelled);
            break;
        case OperationKind::Move: {
            bool copiedOnly = false;
            code = moveFile(item, progress, cancelled, copiedOnly);
            if (copiedOnly) // the copy is in place but the source could not be removed
                reason = QStringLiteral("移動先にコピーしましたが、移動元を削除できませんでした（") + ReasonFor(code) + QStringLiteral("）");
            break;
        }
        case OperationKind::Delete:
            code = deleteFile(item.source, reason);
            break;
        case OperationKind::Rename:
            code = RenameNoReplace(Native(item.source), Native(item.target));
            break;
        }
        if (cancelled) {
            result.cancelled = true;
            break;
        }
        if (code == 0) {
            result.completed << item.source;
        } else {
            Failure failure = MakeFailure(item.source, code);
            if (!reason.isEmpty())
                failure.reason = reason;
            result.failures.push_back(failure);
        }
        ++progress.fileIndex;
    }
    progress.currentPath.clear();
    if (!result.cancelled)
        report(progress);
    return result;
}

// Copies into a fresh temporary file beside the target, then renames it into place.
// On any failure or cancel the temporary file is removed; the source is only read.
int clsFileOperation::copyFile(const TransferItem& item, Progress& progress, bool& cancelled)
{
    if (!inject(Step::Open, item.source))
        return errno;
    Fd in(::open(Native(item.source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return kNotRegular;

    QByteArray temporary; // the named temporary file; empty while the file has no name
    int outFd = -1;
    if (const int err = openCopyTarget(item, outFd, temporary))
        return err;
    Fd out(outFd);

    auto abandon = [&](int code) {
        out.close();
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return code;
    };

    qint64 copied = 0;
    if (const int err = copyBytes(in.get(), out.get(), st.st_dev, item.target, progress, cancelled, copied))
        return abandon(err);

    // The copy must hold every byte the source has now.
    struct stat after {};
    struct stat written {};
    if (::fstat(in.get(), &after) != 0 || ::fstat(out.get(), &written) != 0)
        return abandon(errno);
    if (copied != qint64(after.st_size) || qint64(written.st_size) != copied)
        return abandon(kSizeMismatch);

    ::fchmod(out.get(), st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.get(), times);
    if (temporary.isEmpty()) {
        if (!inject(Step::Rename, item.target))
            return abandon(errno);
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(out.get());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, Native(item.target).constData(), AT_SYMLINK_FOLLOW) != 0)
            return abandon(errno);
        if (const int err = out.close())
            return ::unlink(Native(item.target).constData()), err;
        return 0;
    }
    if (const int err = out.close())
        return ::unlink(temporary.constData()), err;
    if (const int err = commitTemporary(temporary, item))
        return ::unlink(temporary.constData()), err;
    return 0;
}

int clsFileOperation::openCopyTarget(const TransferItem& item, int& outFd, QByteArray& temporary)
{
    const QString folder = QFileInfo(item.target).path();
    Fd out;
#ifdef O_TMPFILE
    // A new target: an unnamed file that takes the target's name in one step once it is
    // complete (linkat refuses an existing name). A crash or cancel leaves nothing.
    if (!item.replace) {
        if (!inject(Step::Open, folder))
            return errno;
        const int fd = ::open(Native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            out.reset(fd);
    }
#endif
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        const QString name = QStringLiteral("/.mwex-copy-%1.tmp").arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'));
        temporary = Native(folder + name);
        if (!inject(Step::Open, folder + name))
            return errno;
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            out.reset(fd);
            break;
        }
        if (errno != EEXIST)
            return errno;
    }
    if (out.get() < 0)
        return EEXIST;
    outFd = out.release();
    return 0;
}

int clsFileOperation::copyBytes(int in, int out, dev_t sourceDevice, const QString& targetPath, Progress& progress,
                                bool& cancelled, qint64& copied)
{
    // copy_file_range copies inside the kernel (or shares blocks); between two file
    // systems that refuse it, every later file goes straight to read and write.
    struct stat target {};
    ::fstat(out, &target);
    bool useRange = !(rangeRefused_ && rangeRefusedFrom_ == sourceDevice && rangeRefusedTo_ == target.st_dev);
    for (;;) {
        if (cancel_.load()) {
            cancelled = true;
            return kCancelled;
        }
        if (!inject(Step::Write, targetPath))
            return errno;
        ssize_t n = -1;
        if (useRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, size_t(kChunk), 0);
            if (n < 0 && copied == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM)) {
                useRange = false;
                rangeRefused_ = true;
                rangeRefusedFrom_ = sourceDevice;
                rangeRefusedTo_ = target.st_dev;
                continue;
            }
            if (n < 0)
                return errno;
        } else {
            // One buffer for the whole operation: a fresh one per file would fault its
            // pages in again for every file.
            if (!buffer_)
                buffer_.reset(new char[kBufferSize]);
            char* const buffer = buffer_.get();
            n = ::read(in, buffer, kBufferSize);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(out, buffer + done, size_t(n - done));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    return errno;
                }
                done += w;
            }
        }
        if (n == 0)
            break;
        copied += n;
        progress.bytesDone += n;
        if (!report(progress)) {
            cancelled = true;
            return kCancelled;
        }
    }
    return 0;
}

int clsFileOperation::commitTemporary(const QByteArray& temporary, const TransferItem& item)
{
    if (!inject(Step::Rename, item.target))
        return errno;
    if (item.replace)
        return ::rename(temporary.constData(), Native(item.target).constData()) == 0 ? 0 : errno;
    return RenameNoReplace(temporary, Native(item.target));
}

int clsFileOperation::moveFile(const TransferItem& item, Progress& progress, bool& cancelled, bool& copiedOnly)
{
    struct stat source {};
    struct stat folder {};
    if (::lstat(Native(item.source).constData(), &source) != 0)
        return errno;
    if (::stat(Native(QFileInfo(item.target).path()).constData(), &folder) != 0)
        return errno;
    if (source.st_dev == folder.st_dev) {
        if (!inject(Step::Rename, item.target))
            return errno;
        const int err = item.replace
            ? (::rename(Native(item.source).constData(), Native(item.target).constData()) == 0 ? 0 : errno)
            : RenameNoReplace(Native(item.source), Native(item.target));
        if (err == 0) {
            progress.bytesDone += item.size;
            return 0;
        }
        if (err != EXDEV)
            return err;
    }
    // Another file system: a verified copy first, the source goes only after it.
    if (const int err = copyFile(item, progress, cancelled))
        return err;
    if (!inject(Step::Unlink, item.source) || ::unlink(Native(item.source).constData()) != 0) {
        copiedOnly = true;
        return errno;
    }
    return 0;
}

int clsFileOperation::deleteFile(const QString& path, QString& reason)
{
    if (AllowUndo()) {
        // The trash or nothing: a file that cannot be trashed stays where it is.
        if (trash()->moveToTrash(path, &reason))
            return 0;
        if (reason.isEmpty())
            reason = QStringLiteral("ごみ箱に移動できませんでした。");
        return EIO;
    }
    struct stat st {};
    if (::lstat(Native(path).constData(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!inject(Step::Unlink, path) || ::unlink(Native(path).constData()) != 0)
        return errno;
    return 0;
}

bool clsFileOperation::Copy(const QStringList& sources, const QString& destination)
{
    last_ = Run(PlanCopy(sources, destination));
    return last_.ok();
}

bool clsFileOperation::Move(const QStringList& sources, const QString& destination)
{
    last_ = Run(PlanMove(sources, destination));
    return last_.ok();
}

bool clsFileOperation::Delete(const QStringList& sources)
{
    last_ = Run(PlanDelete(sources));
    return last_.ok();
}

bool clsFileOperation::Rename(const QString& oldPath, const QString& newPath)
{
    last_ = OperationResult{};
    int err = 0;
    if (!inject(Step::Rename, newPath))
        err = errno;
    else
        err = RenameNoReplace(Native(oldPath), Native(newPath));
    if (err == 0)
        last_.completed << oldPath;
    else
        last_.failures.push_back(MakeFailure(oldPath, err));
    return err == 0;
}

} // namespace fileops
