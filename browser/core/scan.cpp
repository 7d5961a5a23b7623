#include "browser/core/scan.h"

#include "browser/core/filepane.h"
#include "browser/core/rawnamescan.h"

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
        const QFileInfo info = it.fileInfo();
        files.push_back({info.fileName(), folder, info.size(), info.lastModified()});
    }
    AddFilesQtSkips(folder, pattern, files);
    std::sort(files.begin(), files.end(), [](const FoundFile& a, const FoundFile& b) { return NameLess(a.name, b.name); });
    for (FoundFile& f : files) {
        if (stopped())
            return false;
        found(std::move(f));
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
    if (thread_)
        thread_->wait();
}

void PaneScan::start()
{
    if (running_ || done_)
        return;
    running_ = true;
    thread_.reset(QThread::create([this] { work(); }));
    thread_->start();
}

void PaneScan::requestStop()
{
    stop_ = true;
    QMutexLocker lock(&mutex_);
    roomLeft_.wakeAll();
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
    const bool lyricsMode = request_.mode == PaneMode::Lyrics;
    const bool complete = walk.run(ScanPatterns(request_.mode), [&](FoundFile&& f) {
        if (request_.nameFilter && !request_.nameFilter(f.name))
            return;
        Item item;
        item.row.name = std::move(f.name);
        FillFoundFileCells(item.row, request_.mode, f.folder, f.size, f.modified);
        if (request_.autoLoad) {
            const QString path = item.row.fullPath();
            item.detailsRead = true;
            if (lyricsMode)
                item.lyrics = provider_.readLyrics(path, request_.userWinAmpTime);
            else
                item.song = provider_.readSong(path);
        }
        push(std::move(item));
    });
    {
        QMutexLocker lock(&mutex_);
        workerFinished_ = true;
        walkStopped_ = !complete;
    }
    if (!drainPosted_.exchange(true))
        QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
}

void PaneScan::push(Item&& item)
{
    {
        QMutexLocker lock(&mutex_);
        while (queue_.size() >= kMaxQueued && !stop_)
            roomLeft_.wait(&mutex_);
        queue_.push_back(std::move(item));
    }
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
    bool workerFinished = false;
    do {
        std::vector<Item> batch;
        {
            QMutexLocker lock(&mutex_);
            const size_t n = std::min(queue_.size(), kRowsPerStep);
            batch.reserve(n);
            for (size_t i = 0; i < n; ++i) {
                batch.push_back(std::move(queue_.front()));
                queue_.pop_front();
            }
            roomLeft_.wakeAll();
            more = !queue_.empty();
            workerFinished = workerFinished_;
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
        if (!drainPosted_.exchange(true))
            QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
        return;
    }
    if (workerFinished) {
        thread_->wait();
        {
            QMutexLocker lock(&mutex_);
            endedOnStop_ = walkStopped_;
        }
        done_ = true;
        running_ = false;
        stop_ = false;
        Q_EMIT finished(endedOnStop_);
    }
}

} // namespace browser
