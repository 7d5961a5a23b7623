#include "common/rawname.h"

#include "common/codepage.h"

#include <dirent.h>
#include <sys/stat.h>

namespace common {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(QChar c)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

/// Whether the escape at `i` is really a lone surrogate (not the low half of a pair).
bool IsEscapeAt(QStringView s, qsizetype i)
{
    return IsEscape(s[i]) && (i == 0 || !s[i - 1].isHighSurrogate());
}

/// Length of the valid UTF-8 sequence at `p` (of `left` bytes), or 0 when there is none.
int Utf8SequenceLength(const unsigned char* p, qsizetype left)
{
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    int len;
    char32_t cp;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        cp = b & 0x1F;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        cp = b & 0x0F;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        cp = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (left < len)
        return 0;
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

QDateTime ModifiedOf(const struct stat& st)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
}

QString DisplayComponent(QStringView component)
{
    if (!HasRawBytes(component))
        return component.toString();
    QString shown = DecodeCp932(NativePath(component));
    for (QChar& c : shown)
        if (IsEscape(c))
            c = QChar(QChar::ReplacementCharacter);
    return shown;
}

} // namespace

QByteArray NativePath(QStringView path)
{
    if (!HasRawBytes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!IsEscapeAt(path, i))
            continue;
        out += path.sliced(runStart, i - runStart).toUtf8();
        out += char(path[i].unicode() - kEscapeBase);
        runStart = i + 1;
    }
    out += path.sliced(runStart).toUtf8();
    return out;
}

QString PathFromNative(QByteArrayView bytes)
{
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int len = Utf8SequenceLength(p + i, bytes.size() - i);
        if (len > 0) {
            i += len;
            continue;
        }
        // Not the start of a valid sequence: this one byte is escaped, the next one is
        // looked at afresh.
        out += QString::fromUtf8(bytes.sliced(runStart, i - runStart));
        out += QChar(char16_t(kEscapeBase + p[i]));
        ++i;
        runStart = i;
    }
    out += QString::fromUtf8(bytes.sliced(runStart));
    return out;
}

bool HasRawBytes(QStringView path)
{
    for (qsizetype i = 0; i < path.size(); ++i)
        if (IsEscapeAt(path, i))
            return true;
    return false;
}

QString DisplayPath(QStringView path)
{
    if (!HasRawBytes(path))
        return path.toString();
    QString shown;
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = path.indexOf(QLatin1Char('/'), start);
        shown += DisplayComponent(path.sliced(start, (slash < 0 ? path.size() : slash) - start));
        if (slash < 0)
            break;
        shown += QLatin1Char('/');
        start = slash + 1;
    }
    return shown;
}

QString Cp932Reading(QStringView path)
{
    if (!HasRawBytes(path))
        return path.toString();
    QString out;
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = path.indexOf(QLatin1Char('/'), start);
        const QStringView component = path.sliced(start, (slash < 0 ? path.size() : slash) - start);
        out += HasRawBytes(component) ? DecodeCp932Exact(NativePath(component)) : component.toString();
        if (slash < 0)
            break;
        out += QLatin1Char('/');
        start = slash + 1;
    }
    return out;
}

std::optional<QString> Utf8NameFor(QStringView name)
{
    if (!HasRawBytes(name))
        return std::nullopt;
    const QByteArray bytes = NativePath(name);
    if (!IsCleanCp932(bytes))
        return std::nullopt;
    const QString utf8 = DecodeCp932(bytes);
    if (utf8.isEmpty() || utf8.contains(QLatin1Char('/')) || utf8.contains(QChar(0)))
        return std::nullopt;
    return utf8;
}

std::vector<RawEntry> ListEntriesQtSkips(const QString& folder)
{
    std::vector<RawEntry> entries;
    QByteArray dir = NativePath(folder);
    if (!dir.endsWith('/'))
        dir += '/';
    const bool everything = HasRawBytes(folder);
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return entries;
    while (const dirent* e = ::readdir(d)) {
        const QByteArrayView name(e->d_name);
        if (name == "." || name == "..")
            continue;
        if (!everything && IsValidUtf8(name))
            continue;
        struct stat st;
        if (::stat((dir + QByteArray(e->d_name)).constData(), &st) != 0)
            continue;
        RawEntry entry;
        entry.name = PathFromNative(name);
        entry.isDir = S_ISDIR(st.st_mode);
        entry.size = entry.isDir ? 0 : qint64(st.st_size);
        entry.modified = ModifiedOf(st);
        entries.push_back(std::move(entry));
    }
    ::closedir(d);
    return entries;
}

std::optional<PathStat> StatPath(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(NativePath(path).constData(), &st) != 0)
        return std::nullopt;
    PathStat s;
    s.isDir = S_ISDIR(st.st_mode);
    s.isRegular = S_ISREG(st.st_mode);
    s.size = qint64(st.st_size);
    s.modified = ModifiedOf(st);
    return s;
}

QString RawNameWriteRefusal(const QString& path)
{
    QString name = DisplayPath(path);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    return QStringLiteral("「%1」は名前が UTF-8 ではない (Shift_JIS の) ファイルなので、書き込めません。\n"
                          "右クリックメニューの「ファイル名を UTF-8 に変換」で名前を直してから、もう一度行ってください。")
        .arg(name);
}

} // namespace common
