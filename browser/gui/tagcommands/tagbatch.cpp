#include "browser/gui/tagcommands/tagbatch.h"

#include "browser/gui/tagcommands/tagfile.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace browser {

TagBatchRun::TagBatchRun(QStringList paths, Transform transform)
    : paths_(std::move(paths))
    , transform_(std::move(transform))
    , results_(size_t(paths_.size()))
    , done_(new std::atomic<bool>[size_t(paths_.size())])
{
    for (qsizetype i = 0; i < paths_.size(); ++i)
        done_[size_t(i)].store(false);
}

TagBatchRun::~TagBatchRun()
{
    stop_.store(true);
    wait();
}

void TagBatchRun::start(int threads)
{
    const int n = int(std::min<qsizetype>(std::max(threads, 1), count()));
    for (int t = 0; t < n; ++t)
        workers_.emplace_back([this] { work(); });
}

void TagBatchRun::wait()
{
    for (std::thread& t : workers_)
        if (t.joinable())
            t.join();
    workers_.clear();
}

void TagBatchRun::work()
{
    // The window's thread comes first: the workers mostly wait for the disk, and their
    // share of the processor must not make the window stutter.
    ::setpriority(PRIO_PROCESS, pid_t(::gettid()), 10);
    while (!stop_.load()) {
        const qsizetype i = next_.fetch_add(1);
        if (i >= count())
            return;
        results_[size_t(i)] = Process(paths_[i], transform_);
        done_[size_t(i)].store(true, std::memory_order_release);
        finished_.fetch_add(1, std::memory_order_acq_rel);
    }
}

TagBatchRun::Result TagBatchRun::Process(const QString& path, const Transform& transform)
{
    Result r;
    LyricsFileText file;
    if (!ReadLyricsFile(path, file, &r.error)) {
        r.state = Result::State::Failed; // gone, not a regular file, too large
        return r;
    }
    if (file.text.isEmpty())
        return r;
    const QString text = transform(file.text);
    if (text == file.text)
        return r;
    const std::optional<QByteArray> bytes = EncodeLikeFile(text, file, &r.error);
    if (!bytes || !ReplaceFileBytes(path, *bytes, &r.error)) {
        r.state = Result::State::Failed;
        return r;
    }
    r.state = Result::State::Written;
    r.before = std::move(file.bytes);
    r.after = *bytes;
    return r;
}

} // namespace browser
