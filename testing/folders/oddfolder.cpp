#include "testing/folders/oddfolder.h"

#include "common/codepage.h"
#include "common/rawname.h"
#include "common/utf8text.h"
#include "playback/tests/testsongs.h"

#include <cerrno>
#include <dirent.h>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfolder {
namespace {

using common::U;

/// The escaped path of `folder` + the CP932 bytes of `name`.
QString SjisPath(const QString& folder, const char* name)
{
    return folder + common::PathFromNative(*common::EncodeCp932(U(name)));
}

bool Fail(QString* error, const QString& what)
{
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool Write(const QString& path, const QByteArray& bytes, QString* error)
{
    const QByteArray native = common::NativePath(path);
    ::unlink(native.constData());
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail(error, QStringLiteral("cannot create ") + common::DisplayPath(path));
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return ok || Fail(error, QStringLiteral("cannot write ") + common::DisplayPath(path));
}

QByteArray Utf16(const QString& text, bool littleEndian)
{
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const char lo = char(u & 0xFF);
        const char hi = char(u >> 8);
        out += littleEndian ? lo : hi;
        out += littleEndian ? hi : lo;
    }
    return out;
}

bool MakeFolder(const QString& path, QString* error)
{
    const QByteArray native = common::NativePath(path);
    if (::mkdir(native.constData(), 0755) != 0 && errno != EEXIST)
        return Fail(error, QStringLiteral("cannot create the folder ") + common::DisplayPath(path));
    return true;
}

} // namespace

QString SjisLyricsText()
{
    return U("@Title=旧名の歌\r\n[00:01:00]ふる[00:01:50]い[00:02:00]なまえ\r\n[00:03:00]シフト[00:03:50]JIS[00:04:00]の歌\r\n");
}

QString Utf16LyricsText()
{
    return U("[00:01:00]UTF-16の歌\r\n[00:02:00]メモ帳の「Unicode」\r\n");
}

std::optional<OddFolder> MakeOddFolder(const QString& where, QString* error)
{
    OddFolder f;
    f.folder = where.endsWith(QLatin1Char('/')) ? where : where + QLatin1Char('/');
    // Every level of the folder, so that a fresh path works.
    for (qsizetype slash = f.folder.indexOf(QLatin1Char('/'), 1); slash > 0;
         slash = f.folder.indexOf(QLatin1Char('/'), slash + 1))
        if (!MakeFolder(f.folder.left(slash), error))
            return std::nullopt;

    f.sjisLyrics = SjisPath(f.folder, kSjisLyricsShown);
    f.sjisSong = SjisPath(f.folder, kSjisSongShown);
    f.sjisBackslash = SjisPath(f.folder, kSjisBackslashShown);
    f.sjisFolder = SjisPath(f.folder, kSjisFolderShown);
    f.sjisInner = f.sjisFolder + QLatin1Char('/') + common::PathFromNative(*common::EncodeCp932(U(kSjisInnerShown)));
    f.utf8Lyrics = f.folder + U("普通の歌.txt");
    f.utf16le = f.folder + QStringLiteral("utf16le.txt");
    f.utf16be = f.folder + QStringLiteral("utf16be.txt");
    f.fifo = f.folder + QStringLiteral("fifo.txt");
    f.dangling = f.folder + QStringLiteral("dangling.txt");
    f.unreadable = f.folder + QStringLiteral("unreadable.txt");
    f.emptySong = f.folder + QStringLiteral("empty.mp3");

    const QByteArray song = testsongs::SilentSong(2.0) + testsongs::Id3v1Tag("Old name");
    const bool written = Write(f.sjisLyrics, *common::EncodeCp932(SjisLyricsText()), error)
        && Write(f.sjisSong, song, error)
        && Write(f.sjisBackslash, *common::EncodeCp932(U("[00:01:00]ソースの歌\r\n")), error)
        && MakeFolder(f.sjisFolder, error)
        && Write(f.sjisInner, *common::EncodeCp932(U("中の歌\r\n")), error)
        && Write(f.utf8Lyrics, U("[00:01:00]普通の歌\r\n").toUtf8(), error)
        && Write(f.utf16le, Utf16(Utf16LyricsText(), true), error)
        && Write(f.utf16be, Utf16(Utf16LyricsText(), false), error)
        && Write(f.unreadable, QByteArray("[00:01:00]secret\r\n"), error)
        && Write(f.emptySong, QByteArray(), error);
    if (!written)
        return std::nullopt;
    if (::chmod(common::NativePath(f.unreadable).constData(), 0) != 0) {
        Fail(error, QStringLiteral("cannot make unreadable.txt unreadable"));
        return std::nullopt;
    }
    const QByteArray fifo = common::NativePath(f.fifo);
    ::unlink(fifo.constData());
    if (::mkfifo(fifo.constData(), 0644) != 0) {
        Fail(error, QStringLiteral("cannot create the FIFO"));
        return std::nullopt;
    }
    const QByteArray dangling = common::NativePath(f.dangling);
    ::unlink(dangling.constData());
    if (::symlink("no-such-file.txt", dangling.constData()) != 0) {
        Fail(error, QStringLiteral("cannot create the dangling link"));
        return std::nullopt;
    }
    return f;
}

bool AddSjisLyrics(const QString& where, int count, QString* error)
{
    const QString folder = where.endsWith(QLatin1Char('/')) ? where : where + QLatin1Char('/');
    if (!MakeFolder(folder, error))
        return false;
    for (int i = 0; i < count; ++i) {
        const QString name = U("旧名の歌%1.txt").arg(i, 4, 10, QLatin1Char('0'));
        const QString path = folder + common::PathFromNative(*common::EncodeCp932(name));
        if (!Write(path, *common::EncodeCp932(U("[00:01:00]") + name + QStringLiteral("\r\n")), error))
            return false;
    }
    return true;
}

bool RemoveTree(const QString& folder)
{
    const QByteArray path = common::NativePath(folder);
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0;
    bool ok = true;
    if (DIR* d = ::opendir(path.constData())) {
        QByteArrayList names;
        while (const dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(d);
        for (const QByteArray& name : names)
            ok = RemoveTree(common::PathFromNative(path + '/' + name)) && ok;
    }
    return ::rmdir(path.constData()) == 0 && ok;
}

} // namespace testfolder
