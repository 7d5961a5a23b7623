#include "browser/core/scan.h"

#include "browser/core/filepane.h"
#include "browser/core/localtime.h"
#include "browser/core/sortkeys.h"
#include "common/codepage.h"
#include "common/rawname.h"

#include <QEventLoop>
#include <QHash>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace browser {
namespace {

// Rows waiting for the window's thread; the worker waits when this many are queued.
constexpr size_t kMaxQueued = 4096;
// Rows appended per step, and the time one slice may take before the event loop runs.
constexpr size_t kRowsPerStep = 128;
constexpr qint64 kSliceMs = 12;
// Files of a folder handed on before the rest of the folder is sorted.
constexpr size_t kFirstSorted = 256;
// Reader threads at most.
constexpr int kMaxReaders = 4;
// Rows read by the first reader alone before the others join.
constexpr size_t kFirstRowsAlone = 256;

bool NameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// The canonical path of a folder (links resolved), empty when it cannot be resolved.
QString CanonicalFolder(const QString& path)
{
    char resolved[PATH_MAX];
    if (!::realpath(common::NativePath(path).constData(), resolved))
        return QString();
    return common::PathFromNative(QByteArrayView(resolved));
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

bool FolderWalk::Pattern::matches(const QString& name) const
{
    // "*.txt" on a name whose last characters are ASCII: a plain comparison gives what
    // the expression gives. Other characters there may fold to ASCII letters (the Kelvin
    // sign to "k"), so those names, and other patterns, go through the expression.
    if (!suffix.isEmpty()) {
        const qsizetype n = suffix.size();
        if (name.size() < n)
            return false;
        const QStringView tail = QStringView(name).right(n);
        bool ascii = true;
        for (QChar c : tail)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            return tail.compare(suffix, Qt::CaseInsensitive) == 0;
    }
    static thread_local QHash<QString, QRegularExpression> expressions;
    auto it = expressions.constFind(pattern);
    if (it == expressions.constEnd())
        it = expressions.insert(pattern, QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                                            QRegularExpression::CaseInsensitiveOption));
    if (!common::HasRawBytes(name))
        return it->match(name).hasMatch();
    // The escapes are lone surrogates, which a regular expression refuses to look at:
    // match a copy in which they are replacement characters (patterns are ASCII).
    QString matchable = name;
    for (QChar& c : matchable)
        if (c.isSurrogate())
            c = QChar(QChar::ReplacementCharacter);
    return it->match(matchable).hasMatch();
}

bool FolderWalk::run(const QStringList& patterns, const std::function<void(FoundFile&&)>& found)
{
    if (patterns.isEmpty())
        return true;
    patterns_.clear();
    for (const QString& p : patterns) {
        Pattern pattern{p, QString()};
        const QStringView ext = QStringView(p).mid(2);
        if (p.startsWith(QStringLiteral("*.")) && !ext.isEmpty()
            && std::all_of(ext.begin(), ext.end(), [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); }))
            pattern.suffix = p.mid(1);
        patterns_.push_back(std::move(pattern));
    }
    later_.clear();
    visited_.clear();
    visited_.insert(CanonicalFolder(root_));
    if (!walkFolder(root_, found))
        return false;
    for (size_t p = 1; p < patterns_.size(); ++p) {
        for (auto& [folder, matches] : later_) {
            if (stopped() || !emitFiles(folder, matches[p - 1], found))
                return false;
        }
    }
    return true;
}

bool FolderWalk::walkFolder(const QString& folder, const std::function<void(FoundFile&&)>& found)
{
    if (stopped())
        return false;
    QStringList dirs;
    Matches matches = readFolder(folder, recurse_ ? &dirs : nullptr);
    std::vector<QString> first = std::move(matches.front());
    matches.erase(matches.begin());
    later_.emplace_back(folder, std::move(matches));
    if (!emitFiles(folder, first, found))
        return false;
    for (const QString& dir : std::as_const(dirs)) {
        if (stopped())
            return false;
        if (!walkFolder(folder + dir + QLatin1Char('/'), found))
            return false;
    }
    return true;
}

FolderWalk::Matches FolderWalk::readFolder(const QString& folder, QStringList* dirs)
{
    Matches matches(patterns_.size());
    QByteArray dir = common::NativePath(folder);
    if (!dir.endsWith('/'))
        dir += '/';
    // Qt cannot open a folder whose own path holds escaped bytes: its entries were all
    // listed the raw way, which leaves out the ones stat() cannot see.
    const bool folderRaw = common::HasRawBytes(folder);
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return matches;
    const int fd = ::dirfd(d);
    QStringList plainDirs, rawDirs;
    while (const dirent* e = ::readdir(d)) {
        const QByteArrayView bytes(e->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        const bool valid = common::IsValidUtf8(bytes);
        struct stat st;
        bool isDir = false;
        if (folderRaw || !valid) {
            // A name Qt cannot list: taken when stat() sees it (links followed).
            if (::fstatat(fd, e->d_name, &st, 0) != 0)
                continue;
            isDir = S_ISDIR(st.st_mode);
        } else if (e->d_type == DT_DIR) {
            isDir = true;
        } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            // A link to a folder is a folder; a dangling link or a link loop is a file.
            isDir = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        QString name = valid ? QString::fromUtf8(bytes) : common::PathFromNative(bytes);
        if (isDir) {
            if (dirs && !name.startsWith(QLatin1Char('.')))
                (folderRaw || !valid ? rawDirs : plainDirs) << name;
            continue;
        }
        for (size_t p = 0; p < patterns_.size(); ++p)
            if (patterns_[p].matches(name))
                matches[p].push_back(name);
    }
    ::closedir(d);
    if (dirs) {
        // A folder reached twice (through a link to a folder above it) is entered once,
        // so that a link cycle cannot make the walk endless.
        for (const QStringList* list : {&plainDirs, &rawDirs}) {
            for (const QString& name : *list) {
                const QString canonical = CanonicalFolder(folder + name);
                if (canonical.isEmpty() || visited_.contains(canonical))
                    continue;
                visited_.insert(canonical);
                *dirs << name;
            }
        }
        std::sort(dirs->begin(), dirs->end(), NameLess);
    }
    return matches;
}

bool FolderWalk::emitFiles(const QString& folder, std::vector<QString>& files, const std::function<void(FoundFile&&)>& found)
{
    std::vector<QStringView> names;
    names.reserve(files.size());
    for (const QString& f : files)
        names.push_back(f);
    // The first files of a large folder go out before the rest is sorted, so that their
    // rows show while the sort goes on.
    const bool complete = NameOrderInSteps(names, kFirstSorted, [&](std::span<const int> places) {
        for (int i : places) {
            if (stopped())
                return false;
            // A copy (shared text): the views the sort still reads stay on these names.
            FoundFile file{files[static_cast<size_t>(i)], folder, 0, QDateTime(), false};
            if (statFiles_) {
                if (const std::optional<common::PathStat> st = common::StatPath(folder + file.name)) {
                    file.size = st->size;
                    file.modified = st->modified;
                }
                file.statted = true;
            }
            found(std::move(file));
        }
        return true;
    });
    files = {};
    return complete;
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
    LoadTimeZone(); // the readers format times in the zone loaded now
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
    if (item.statted) {
        FillFoundFileCells(item.row, request_.mode, item.row.cell(Col::Path), item.size, item.modified);
    } else {
        // Size and time as QFileInfo gives them (links followed; 0 and no time for what
        // cannot be seen), the time read without Qt's time-zone reload.
        struct stat st;
        const bool seen = ::stat(common::NativePath(path).constData(), &st) == 0;
        item.size = seen ? qint64(st.st_size) : 0;
        const QString time = seen ? FormatLocalTimestamp(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000)
                                  : QString();
        FillFoundFileCells(item.row, request_.mode, item.row.cell(Col::Path), item.size, time);
    }
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
