#include "installer/services.h"

#include "common/atomicfile.h"
#include "installer/fileops.h"
#include "installer/registry.h"
#include "installer/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace installer {

// ---------------------------------------------------------------- SZDD expansion

namespace {

/// What is passed to libmspack as a "file name": the library hands it back to open().
struct MsTarget {
    QByteArray path;     // the input file
    int outputFd = -1;   // for the output: an already open descriptor
    off_t limit = -1;    // bytes the output may take
    bool* overflow = nullptr; // set when the stream holds more than the limit
};

struct MsFile {
    int fd = -1;
    bool owned = false;
    off_t limit = -1;
    off_t written = 0;
    bool* overflow = nullptr;
};

mspack_file* MsOpen(mspack_system*, const char* filename, int mode)
{
    const auto* target = reinterpret_cast<const MsTarget*>(filename);
    auto* file = new MsFile;
    if (target->outputFd >= 0) {
        if (mode != MSPACK_SYS_OPEN_WRITE) {
            delete file;
            return nullptr;
        }
        file->fd = target->outputFd;
        file->limit = target->limit;
        file->overflow = target->overflow;
    } else {
        if (mode != MSPACK_SYS_OPEN_READ) {
            delete file;
            return nullptr;
        }
        file->fd = ::open(target->path.constData(), O_RDONLY | O_CLOEXEC);
        file->owned = true;
        if (file->fd < 0) {
            delete file;
            return nullptr;
        }
    }
    return reinterpret_cast<mspack_file*>(file);
}

void MsClose(mspack_file* f)
{
    auto* file = reinterpret_cast<MsFile*>(f);
    if (file->owned)
        ::close(file->fd);
    delete file;
}

int MsRead(mspack_file* f, void* buffer, int bytes)
{
    auto* file = reinterpret_cast<MsFile*>(f);
    int done = 0;
    while (done < bytes) {
        const ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + done, size_t(bytes - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += int(n);
    }
    return done;
}

int MsWrite(mspack_file* f, void* buffer, int bytes)
{
    auto* file = reinterpret_cast<MsFile*>(f);
    // Output beyond the header's length is not written, and marks the file as damaged:
    // a stream that does not agree with its header is never installed cut short.
    off_t allowed = bytes;
    if (file->limit >= 0)
        allowed = std::max<off_t>(0, std::min<off_t>(bytes, file->limit - file->written));
    if (allowed < bytes && file->overflow)
        *file->overflow = true;
    for (off_t done = 0; done < allowed;) {
        const ssize_t n = ::write(file->fd, static_cast<char*>(buffer) + done, size_t(allowed - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        done += n;
    }
    file->written += allowed;
    return bytes;
}

int MsSeek(mspack_file* f, off_t offset, int mode)
{
    auto* file = reinterpret_cast<MsFile*>(f);
    const int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR : SEEK_END;
    return ::lseek(file->fd, offset, whence) < 0 ? -1 : 0;
}

off_t MsTell(mspack_file* f)
{
    return ::lseek(reinterpret_cast<MsFile*>(f)->fd, 0, SEEK_CUR);
}

void MsMessage(mspack_file*, const char*, ...) {}

void* MsAlloc(mspack_system*, size_t bytes)
{
    return std::malloc(bytes);
}

void MsFree(void* p)
{
    std::free(p);
}

void MsCopy(void* src, void* dest, size_t bytes)
{
    std::memmove(dest, src, bytes);
}

mspack_system* MsSystem()
{
    static mspack_system system = {MsOpen, MsClose, MsRead, MsWrite, MsSeek, MsTell,
                                   MsMessage, MsAlloc, MsFree, MsCopy, nullptr};
    return &system;
}

QString MspackError(int code)
{
    switch (code) {
    case MSPACK_ERR_OPEN:
        return QStringLiteral("圧縮ファイルを開けません．");
    case MSPACK_ERR_READ:
        return QStringLiteral("圧縮ファイルを読み込めません．");
    case MSPACK_ERR_WRITE:
        return QStringLiteral("展開したデータを書き込めません．");
    case MSPACK_ERR_SIGNATURE:
        return QStringLiteral("圧縮ファイルではありません．");
    case MSPACK_ERR_DATAFORMAT:
        return QStringLiteral("圧縮ファイルが壊れています．");
    case MSPACK_ERR_NOMEMORY:
        return QStringLiteral("メモリが不足しています．");
    default:
        return QStringLiteral("圧縮ファイルを展開できません．(エラー %1)").arg(code);
    }
}

} // namespace

QString ExpandedName(const QString& compressedName, char missingChar)
{
    QString name = compressedName;
    if (name.endsWith(QLatin1Char('_'))) {
        name.chop(1);
        if (missingChar != 0)
            name.append(QLatin1Char(missingChar));
    }
    return name.toUpper();
}

Expander::Result SzddExpander::expand(const QString& compressed, const QString& output)
{
    Result result;
    int selftest = 0;
    MSPACK_SYS_SELFTEST(selftest);
    if (selftest != MSPACK_ERR_OK) {
        result.message = QStringLiteral("展開ライブラリがこのプログラムと合いません．");
        return result;
    }
    msszdd_decompressor* d = mspack_create_szdd_decompressor(MsSystem());
    if (!d) {
        result.message = QStringLiteral("メモリが不足しています．");
        return result;
    }
    MsTarget input;
    input.path = QFile::encodeName(compressed);
    msszddd_header* header = d->open(d, reinterpret_cast<const char*>(&input));
    if (!header) {
        const int code = d->last_error(d);
        result.error = code == MSPACK_ERR_OPEN ? ENOENT : 0;
        result.notCompressed = code == MSPACK_ERR_SIGNATURE;
        result.message = MspackError(code);
        mspack_destroy_szdd_decompressor(d);
        return result;
    }
    fs::ReportMutation(output, "write");
    MsTarget out;
    out.outputFd = ::open(QFile::encodeName(output).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    if (out.outputFd < 0) {
        result.error = errno;
        result.message = fs::SystemMessage(result.error);
    } else {
        out.limit = header->length;
        bool overflow = false;
        out.overflow = &overflow;
        const int code = d->extract(d, header, reinterpret_cast<const char*>(&out));
        const off_t size = ::lseek(out.outputFd, 0, SEEK_END);
        if (::close(out.outputFd) != 0 && code == MSPACK_ERR_OK) {
            result.error = errno;
            result.message = fs::SystemMessage(result.error);
        } else if (code != MSPACK_ERR_OK) {
            result.message = MspackError(code);
        } else if (overflow) {
            result.message = MspackError(MSPACK_ERR_DATAFORMAT);
        } else if (size != header->length) {
            result.message = QStringLiteral("圧縮ファイルが途中で終わっています．");
        } else {
            result.ok = true;
            result.missingChar = header->missing_char;
        }
    }
    d->close(d, header);
    mspack_destroy_szdd_decompressor(d);
    return result;
}

// ---------------------------------------------------------------- desktop entries

QStringList SplitCommandLine(const QString& text)
{
    QStringList args;
    QString current;
    bool quoted = false;
    bool any = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (any || !current.isEmpty())
                args << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        args << current;
    return args;
}

namespace {

QString QuoteExecArgument(const QString& arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = arg.isEmpty();
    for (QChar c : arg)
        if (reserved.contains(c))
            needsQuotes = true;
    QString out;
    for (QChar c : arg) {
        if (c == QLatin1Char('%'))
            out += QStringLiteral("%%"); // field codes start with "%"
        else if (needsQuotes && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')))
            out += QLatin1Char('\\') + QString(c);
        else
            out += c;
    }
    return needsQuotes ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

/// The general escapes of desktop-entry values.
QString DesktopValue(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

} // namespace

QString DesktopExecLine(const QString& program, const QString& arguments)
{
    QStringList parts{QuoteExecArgument(program)};
    for (const QString& arg : SplitCommandLine(arguments))
        parts << QuoteExecArgument(arg);
    return parts.join(QLatin1Char(' '));
}

QString DesktopEntryWriter::fileFor(const QString& linkName) const
{
    return linkName + QStringLiteral(".desktop");
}

int DesktopEntryWriter::write(const QString& file, const QString& target, const QString& workFolder,
                              const QString& arguments)
{
    QString name = FileNameOf(file);
    if (name.endsWith(QLatin1String(".desktop")))
        name.chop(8);
    QString exec;
    const QFileInfo info(target);
    if (info.isFile() && !info.isExecutable()) {
        // A document: open it with the desktop's application for it.
        const QString opener = FindSystemProgram(QStringLiteral("xdg-open"));
        exec = DesktopExecLine(opener.isEmpty() ? QStringLiteral("xdg-open") : opener, QString())
            + QLatin1Char(' ') + QuoteExecArgument(target);
    } else {
        exec = DesktopExecLine(target, arguments);
    }
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + DesktopValue(name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + DesktopValue(exec) + QLatin1Char('\n');
    if (!workFolder.isEmpty())
        text += QStringLiteral("Path=") + DesktopValue(WithoutTrailingSeparator(workFolder)) + QLatin1Char('\n');
    fs::ReportMutation(file, "write");
    if (!common::WriteFileAtomically(file, text.toUtf8()))
        return errno ? errno : EIO;
    // Desktops start only launchers marked executable.
    ::chmod(QFile::encodeName(file).constData(), 0755);
    return 0;
}

// ---------------------------------------------------------------- self-registration

ServerRegistrar::Result DlopenRegistrar::call(const QString& path, bool registering)
{
    // An absolute path, so that the loader never searches its library folders.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    void* handle = ::dlopen(QFile::encodeName(absolute).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return Result::LoadFailed;
    using Entry = int32_t (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(handle, registering ? "DllRegisterServer" : "DllUnregisterServer"));
    if (!entry) {
        ::dlclose(handle);
        return Result::EntryMissing;
    }
    const int32_t hresult = entry();
    ::dlclose(handle);
    return hresult >= 0 ? Result::Ok : Result::Failed;
}

// ---------------------------------------------------------------- free space, helpers

qint64 StatvfsDiskSpace::freeBytes(const QString& folder)
{
    QString probe = QDir::cleanPath(NativePath(folder));
    if (probe.isEmpty() || !probe.startsWith(QLatin1Char('/')))
        return -1;
    while (probe != QLatin1String("/") && !QFileInfo::exists(probe))
        probe = QFileInfo(probe).path();
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(probe).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

QString FindSystemProgram(const QString& name)
{
    for (const char* folder : {"/usr/local/bin/", "/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/"}) {
        const QString path = QString::fromLatin1(folder) + name;
        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable())
            return path;
    }
    return {};
}

bool SystemdRebooter::requestReboot()
{
    const QString systemctl = FindSystemProgram(QStringLiteral("systemctl"));
    if (systemctl.isEmpty())
        return false;
    return QProcess::execute(systemctl, {QStringLiteral("reboot")}) == 0;
}

bool DesktopOpener::open(const QString& file, const QString& parameters, QString* error)
{
    const QFileInfo info(file);
    if (!info.exists()) {
        if (error)
            *error = fs::SystemMessage(ENOENT);
        return false;
    }
    bool started = false;
    if (info.isFile() && info.isExecutable()) {
        started = QProcess::startDetached(info.absoluteFilePath(), SplitCommandLine(parameters), info.absolutePath());
    } else {
        const QString opener = FindSystemProgram(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) {
            if (error)
                *error = QStringLiteral("xdg-open was not found");
            return false;
        }
        started = QProcess::startDetached(opener, {info.absoluteFilePath()});
    }
    if (!started && error)
        *error = QStringLiteral("%1 could not be started").arg(file);
    return started;
}

// ---------------------------------------------------------------- single instance

InstanceLock::InstanceLock(const Environment& env)
{
    const QString runtime = env.runtimeFolder();
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        path_ = runtime + QStringLiteral("TOVSETUP.lock");
    else
        path_ = env.tempFolder() + QStringLiteral("TOVSETUP-%1.lock").arg(::getuid());
}

bool InstanceLock::tryLock()
{
    lock_ = std::make_unique<QLockFile>(path_);
    // Only a dead owner makes the lock stale, never its age: an installation may run long.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    lock_.reset();
    return false;
}

// ---------------------------------------------------------------- all services

void Services::completeWithReal(const Environment& env)
{
    if (!registry)
        registry = std::make_shared<FileRegistry>(env.registryStorePath());
    if (!expander)
        expander = std::make_shared<SzddExpander>();
    if (!shortcuts)
        shortcuts = std::make_shared<DesktopEntryWriter>();
    if (!servers)
        servers = std::make_shared<DlopenRegistrar>();
    if (!diskSpace)
        diskSpace = std::make_shared<StatvfsDiskSpace>();
    if (!rebooter)
        rebooter = std::make_shared<SystemdRebooter>();
    if (!opener)
        opener = std::make_shared<DesktopOpener>();
}

} // namespace installer
