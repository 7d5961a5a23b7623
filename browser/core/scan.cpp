#include "browser/core/scan.h"

#include "browser/core/filepane.h"
#include "browser/core/rawnamescan.h"
#include "browser/core/sortkeys.h"

#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace browser {
namespace {

// Rows waiting for the window's thread; the worker waits when this many are queued.
constexpr size_t kMaxQueued = 4096;
// Rows appended per step, and the time one slice may take before the event loop runs.
constexpr size_t kRowsPerStep = 128;
constexpr qint64 kSliceMs = 12;
// Reader threads at most.
constexpr int kMaxReaders = 4;
// Rows read by the first reader alone before the others join.
constexpr size_t kFirstRowsAlone = 256;

bool NameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

QStringList ScanPatterns(PaneMode mode)
{
    if (mode == PaneMode::Lyrics)
        return {QStringLiteral("*.txt"), QStringLiteral("*.kra"), QStringLiteral("*.lrc")};
    return {QStringLiteral("*.mp3"), QStringLiteral("*.rmp")};
}

FolderWalk::FolderWalk(QString root, bool subFolders, const std::atomic<bool>* stop)
    : root_(WithTrailingSeparator(root))
    , recurse_(subFolders)
    , stop_(stop)
{
}

bool FolderWalk::run(const QStringList& patterns, const std::function<void(FoundFile&&)>& found)
{
    for (const QString& pattern : patterns) {
        if (!orderKnown_) {
            order_.clear();
            visited_.clear();
            visited_.insert(QFileInfo(root_).canonicalFilePath());
            if (!walkFolder(root_, pattern, found, 0))
                return false;
            orderKnown_ = true;
            continue;
        }
        for (const QString& folder : std::as_const(order_)) {
            if (stopped() || !listFiles(folder, pattern, found))
                return false;
        }
    }
    return true;
}

bool FolderWalk::walkFolder(const QString& folder, const QString& pattern, const std::function<void(FoundFile&&)>& found,
                            int depth)
{
    if (stopped())
        return false;
    order_ << folder;
    const QStringList dirs = recurse_ ? subFolders(folder) : QStringList();
    if (!listFiles(folder, pattern, found))
        return false;
    for (const QString& dir : dirs) {
        if (stopped())
            return false;
        if (!walkFolder(folder + dir + QLatin1Char('/'), pattern, found, depth + 1))
            return false;
    }
    return true;
}

QStringList FolderWalk::subFolders(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue;
        // A folder reached twice (through a link to a folder above it) is entered once,
        // so that a link cycle cannot make the walk endless.
        const QString canonical = it.fileInfo().canonicalFilePath();
        if (canonical.isEmpty() || visited_.contains(canonical))
            continue;
        visited_.insert(canonical);
        names << name;
    }
    AddFoldersQtSkips(folder, names, visited_);
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

bool FolderWalk::listFiles(const QString& folder, const QString& pattern, const std::function<void(FoundFile&&)>& found)
{
    std::vector<FoundFile> files;
    QDirIterator it(folder, {pattern}, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (!statFiles_) {
            files.push_back({it.fileName(), folder, 0, QDateTime(), false});
            continue;
        }
        const QFileInfo info = it.fileInfo();
        files.push_back({info.fileName(), folder, info.size(), info.lastModified()});
    }
    AddFilesQtSkips(folder, pattern, files);
    std::vector<QStringView> names;
    names.reserve(files.size());
    for (const FoundFile& f : files)
        names.push_back(f.name);
    for (int i : NameOrder(names)) {
        if (stopped())
            return false;
        found(std::move(files[static_cast<size_t>(i)]));
    }
    return true;
}

PaneScan::PaneScan(FilePane& pane, FilePane& other, const DetailsProvider& provider, ScanRequest request, QObject* parent)
    : QObject(parent)
    , pane_(pane)
    , other_(other)
    , provider_(provider)
    , request_(std::move(request))
{
}

PaneScan::~PaneScan()
{
    requestStop();
    for (const std::unique_ptr<QThread>& t : threads_)
        t->wait();
}

void PaneScan::start()
{
    if (running_ || done_)
        return;
    running_ = true;
    // The reads (open, read, parse) outweigh the walk: they run on as many threads as
    // the machine has cores, the walk on one more that mostly waits for room.
    const int readers = std::clamp(QThread::idealThreadCount(), 1, kMaxReaders);
    threadsRunning_ = 1 + readers;
    threads_.emplace_back(QThread::create([this] { work(); }));
    for (int i = 0; i < readers; ++i)
        threads_.emplace_back(QThread::create([this, i] { readFiles(i > 0); }));
    for (const std::unique_ptr<QThread>& t : threads_)
        t->start();
}

void PaneScan::requestStop()
{
    stop_ = true;
    QMutexLocker lock(&mutex_);
    roomLeft_.wakeAll();
    toRead_.wakeAll();
}

bool PaneScan::exec()
{
    if (!done_) {
        start();
        QEventLoop loop;
        connect(this, &PaneScan::finished, &loop, &QEventLoop::quit);
        if (!done_)
            loop.exec();
    }
    return !endedOnStop_;
}

void PaneScan::work()
{
    FolderWalk walk(request_.folder, request_.subFolders, &stop_);
    walk.setStatFiles(false); // the readers read size and time, in parallel
    const bool complete = walk.run(ScanPatterns(request_.mode), [&](FoundFile&& f) {
        if (request_.nameFilter && !request_.nameFilter(f.name))
            return;
        Item item;
        item.row.name = std::move(f.name);
        item.row.setCell(Col::Path, f.folder);
        item.size = f.size;
        item.modified = f.modified;
        item.statted = f.statted;
        push(std::move(item));
    });
    {
        QMutexLocker lock(&mutex_);
        walkDone_ = true;
        walkStopped_ = !complete;
        toRead_.wakeAll();
    }
    threadDone();
}

void PaneScan::push(Item&& item)
{
    QMutexLocker lock(&mutex_);
    while (found_ - queueBase_ >= kMaxQueued && !stop_)
        roomLeft_.wait(&mutex_);
    queue_.push_back(std::move(item));
    ++found_;
    toRead_.wakeAll(); // not one: a helper woken before its turn would go back to sleep
}

void PaneScan::readFiles(bool helper)
{
    QMutexLocker lock(&mutex_);
    for (;;) {
        // The first rows are read by one reader alone, in list order, so that they show
        // as soon as each is read; the helpers join for the rest of a large list.
        while (!stop_ && (nextToRead_ == found_ ? !walkDone_ : helper && nextToRead_ < kFirstRowsAlone))
            toRead_.wait(&mutex_);
        if (stop_ || nextToRead_ == found_)
            break;
        // Files are taken one at a time in list order, so the rows become ready in about
        // the order the list shows them.
        Item& item = queue_[nextToRead_ - queueBase_];
        if (++nextToRead_ == kFirstRowsAlone)
            toRead_.wakeAll();
        lock.unlock();
        read(item);
        lock.relock();
        item.ready = true;
        if (&item == &queue_.front())
            postDrain();
    }
    toRead_.wakeAll(); // helpers waiting for their turn see that nothing is left
    lock.unlock();
    threadDone();
}

void PaneScan::read(Item& item) const
{
    const QString path = item.row.fullPath();
    if (!item.statted) {
        const QFileInfo info(path);
        item.size = info.size();
        item.modified = info.lastModified();
    }
    FillFoundFileCells(item.row, request_.mode, item.row.cell(Col::Path), item.size, item.modified);
    if (request_.autoLoad) {
        item.detailsRead = true;
        if (request_.mode == PaneMode::Lyrics)
            item.lyrics = provider_.readLyrics(path, request_.userWinAmpTime);
        else
            item.song = provider_.readSong(path);
    }
}

void PaneScan::threadDone()
{
    {
        QMutexLocker lock(&mutex_);
        --threadsRunning_;
    }
    postDrain();
}

void PaneScan::postDrain()
{
    if (!drainPosted_.exchange(true))
        QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
}

void PaneScan::drain()
{
    drainPosted_ = false;
    if (done_)
        return;
    QElapsedTimer slice;
    slice.start();
    bool more = false;
    bool allDone = false;
    do {
        std::vector<Item> batch;
        {
            QMutexLocker lock(&mutex_);
            while (!queue_.empty() && queue_.front().ready && batch.size() < kRowsPerStep) {
                batch.push_back(std::move(queue_.front()));
                queue_.pop_front();
                ++queueBase_;
            }
            roomLeft_.wakeAll();
            more = !queue_.empty() && queue_.front().ready;
            allDone = threadsRunning_ == 0;
        }
        if (batch.empty())
            break;
        const int first = pane_.rowCount();
        std::vector<FileRow> rows;
        rows.reserve(batch.size());
        for (Item& item : batch)
            rows.push_back(std::move(item.row));
        pane_.appendRows(std::move(rows));
        for (size_t i = 0; i < batch.size(); ++i) {
            if (!batch[i].detailsRead)
                continue;
            const int row = first + static_cast<int>(i);
            if (request_.mode == PaneMode::Lyrics)
                ApplyLyricsDetails(pane_, row, other_, batch[i].lyrics);
            else
                ApplySongDetails(pane_, row, other_, batch[i].song);
        }
    } while (more && slice.elapsed() < kSliceMs);
    longestSlice_ = std::max(longestSlice_, slice.elapsed());
    Q_EMIT progress(pane_.rowCount());

    if (more) {
        postDrain();
        return;
    }
    if (allDone) {
        for (const std::unique_ptr<QThread>& t : threads_)
            t->wait();
        {
            QMutexLocker lock(&mutex_);
            // Files a stop left unread are not listed (nor those after them): the list
            // holds complete rows in walk order.
            endedOnStop_ = walkStopped_ || !queue_.empty();
            queue_.clear();
        }
        done_ = true;
        running_ = false;
        stop_ = false;
        Q_EMIT finished(endedOnStop_);
    }
}

} // namespace browser
