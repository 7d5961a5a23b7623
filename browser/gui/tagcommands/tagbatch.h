#pragma once
// The file side of a batch run of the time-tag menu: every file is read, its text
// transformed and, when the text changed, written back in the file's own encoding and
// line-break style. Several worker threads share the files: each rewrite is atomic and
// synced to disk on its own, and the syncs of different files overlap (the file
// system's journal commits them together), which is what makes a batch of a thousand
// files take seconds instead of a minute. The window thread only looks at the results.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace browser {

class TagBatchRun {
public:
    /// Works on a text with CR LF line breaks; must be safe to call from several threads.
    using Transform = std::function<QString(const QString& crlfText)>;

    struct Result {
        enum class State { Unchanged, Written, Failed };
        State state = State::Unchanged;
        QByteArray before;              // Written: the bytes the file had, and has now
        QByteArray after;
        QString error;                  // Failed: why it was not read or not written
    };

    TagBatchRun(QStringList paths, Transform transform);
    /// Waits for the files being worked on; files not started yet are left alone.
    ~TagBatchRun();
    TagBatchRun(const TagBatchRun&) = delete;
    TagBatchRun& operator=(const TagBatchRun&) = delete;

    /// Starts the workers (at most `threads`, never more than there are files).
    void start(int threads = 8);
    /// Blocks until every file is done.
    void wait();

    qsizetype count() const { return paths_.size(); }
    const QString& path(qsizetype i) const { return paths_[i]; }
    /// Whether file `i` is done; its result may be read from then on.
    bool isDone(qsizetype i) const { return done_[size_t(i)].load(std::memory_order_acquire); }
    const Result& result(qsizetype i) const { return results_[size_t(i)]; }
    bool allDone() const { return finished_.load(std::memory_order_acquire) == count(); }

    /// One file, as the workers do it.
    static Result Process(const QString& path, const Transform& transform);

private:
    void work();

    // Read by every worker at once: const, so that no access can detach (copy) the
    // list, which is shared with the caller's, while another worker reads it.
    const QStringList paths_;
    const Transform transform_;
    std::vector<Result> results_;
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::atomic<qsizetype> next_{0};
    std::atomic<qsizetype> finished_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};

} // namespace browser
