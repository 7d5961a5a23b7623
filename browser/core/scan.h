#pragma once
// The folder scan of a pane.
//
// The walk follows the order the lists show: for each pattern in turn ("*.txt", "*.kra",
// "*.lrc" or "*.mp3", "*.rmp") the folder's matching files, then (with sub-folders on)
// each sub-folder the same way, depth first; folders whose name begins with "." are not
// entered. Within a folder, files and sub-folders are taken in name order.
//
// PaneScan runs the walk on a worker thread and the reading of the rows' files (their
// size and time, and their details) on a few reader threads, and hands the finished rows
// to the window's thread in list order in small slices, so the window keeps painting and
// answering while a large folder is read.

#include "browser/core/details.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QWaitCondition>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>

class QThread;

namespace browser {

/// "*.txt", "*.kra", "*.lrc" in lyrics mode; "*.mp3", "*.rmp" in song mode.
QStringList ScanPatterns(PaneMode mode);

struct FoundFile {
    QString name;
    QString folder; // with a trailing separator
    qint64 size = 0;
    QDateTime modified;
    bool statted = true; // false: size and time are still to be read (FolderWalk without stat)
};

/// Walks one folder tree for a list of patterns. Not thread-bound: the worker runs it.
/// Each folder is read once, its names sorted out to every pattern in that one pass.
class FolderWalk {
public:
    FolderWalk(QString root, bool subFolders, const std::atomic<bool>* stop = nullptr);
    /// With `on` false the walk lists names only and leaves size and time to the caller
    /// (FoundFile::statted false), which makes the first files come sooner.
    void setStatFiles(bool on) { statFiles_ = on; }
    /// Calls `found` for every matching file in list order. Returns false when the walk
    /// ended on a stop request.
    bool run(const QStringList& patterns, const std::function<void(FoundFile&&)>& found);

private:
    // One name pattern ("*.txt", case ignored), matched as QDirIterator matches it.
    struct Pattern {
        QString pattern;
        QString suffix; // ".txt" for "*.<letters or digits>", else empty (only the expression)
        bool matches(const QString& name) const;
    };
    // One folder's matching files, per pattern.
    using Matches = std::vector<std::vector<QString>>;

    bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }
    bool walkFolder(const QString& folder, const std::function<void(FoundFile&&)>& found);
    /// Reads `folder` once: its files matching each pattern and (walking sub-folders) its
    /// sub-folders to enter, in name order.
    Matches readFolder(const QString& folder, QStringList* dirs);
    bool emitFiles(const QString& folder, std::vector<QString>& names, const std::function<void(FoundFile&&)>& found);

    QString root_;
    bool recurse_;
    const std::atomic<bool>* stop_;
    bool statFiles_ = true;
    std::vector<Pattern> patterns_;
    // Folders in walk order with their files of the second and later patterns, kept from
    // the one reading for the passes of those patterns.
    std::vector<std::pair<QString, Matches>> later_;
    QSet<QString> visited_;
};

struct ScanRequest {
    QString folder;          // the pane's folder
    PaneMode mode = PaneMode::Lyrics;
    bool subFolders = false;
    bool autoLoad = true;    // read every row's details while scanning
    bool userWinAmpTime = true;
    /// Names that fail it are skipped (the pane's name filter); empty = every name.
    std::function<bool(const QString& name)> nameFilter;
};

/// One scan of one pane. Rows are appended to `pane` (and paired with `other`) on the
/// thread that owns this object; the walk and the detail reads run on a worker thread.
class PaneScan : public QObject {
    Q_OBJECT
public:
    PaneScan(FilePane& pane, FilePane& other, const DetailsProvider& provider, ScanRequest request,
             QObject* parent = nullptr);
    ~PaneScan() override;

    void start();
    /// Asks the walk to end; rows found so far stay. finished(true) follows.
    void requestStop();
    bool isRunning() const { return running_; }
    /// Starts (if needed) and runs a local event loop until the scan has finished.
    /// Returns false when it ended on a stop request.
    bool exec();

    /// Longest time, in milliseconds, spent appending rows in one slice (for tests and
    /// the benchmark).
    qint64 longestSliceMs() const { return longestSlice_; }

Q_SIGNALS:
    /// Rows listed so far (after each slice).
    void progress(int rows);
    void finished(bool stopped);

private:
    struct Item {
        FileRow row;
        qint64 size = 0;
        QDateTime modified;
        bool statted = false;
        bool ready = false; // read by a reader (guarded by mutex_)
        bool detailsRead = false;
        std::optional<LyricsDetails> lyrics;
        SongDetails song;
    };
    void work();       // the walk's thread
    void readFiles(bool helper); // each reader thread
    void read(Item& item) const;
    void push(Item&& item);
    void threadDone(); // a walk or reader thread ends
    void postDrain();
    Q_INVOKABLE void drain();

    FilePane& pane_;
    FilePane& other_;
    const DetailsProvider& provider_;
    ScanRequest request_;
    std::vector<std::unique_ptr<QThread>> threads_; // the walk's, then the readers'
    std::atomic<bool> stop_{false};
    std::atomic<bool> drainPosted_{false};
    QMutex mutex_;
    QWaitCondition roomLeft_; // the walk waits for room in the queue
    QWaitCondition toRead_;   // readers wait for found files
    // Found files in list order; references stay valid while readers fill them, since
    // the deque only grows at its back and loses read items at its front.
    std::deque<Item> queue_;     // guarded by mutex_
    size_t queueBase_ = 0;       // list index of queue_.front() (guarded by mutex_)
    size_t found_ = 0;           // files found so far (guarded by mutex_)
    size_t nextToRead_ = 0;      // list index of the next file a reader takes (guarded by mutex_)
    bool walkDone_ = false;      // guarded by mutex_
    int threadsRunning_ = 0;     // guarded by mutex_
    bool walkStopped_ = false;   // guarded by mutex_
    bool running_ = false;
    bool done_ = false;
    bool endedOnStop_ = false;
    qint64 longestSlice_ = 0;
};

} // namespace browser
