#pragma once
// File names as the system stores them: bytes.
//
// Names on Linux are nearly always UTF-8, but files unpacked from old Windows archives
// often carry CP932 (Shift_JIS) names. Qt decodes every name as UTF-8 and cannot
// represent such a name: its listings leave the file out, and a name that went through
// U+FFFD no longer opens.
//
// Here a name's bytes map to a QString without loss: valid UTF-8 decodes as usual, and
// every byte that does not belong to a valid UTF-8 sequence becomes the lone surrogate
// U+DC00 + byte (U+DC80 … U+DCFF, the "surrogate escape" that codepage.h also uses for
// undecodable text). Valid UTF-8 never decodes to a lone surrogate, so NativePath() gives
// the exact bytes back. A path without such bytes is an ordinary QString and behaves as
// it always did; code that hands a path to the system converts it with NativePath().
//
// People see such a name through DisplayPath(): the components that hold raw bytes are
// read as CP932.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace common {

/// The bytes of `path` for system calls: UTF-8, with escaped bytes restored.
QByteArray NativePath(QStringView path);

/// `bytes` (a name or path from the system) as a QString; bytes that are not valid UTF-8
/// become escapes.
QString PathFromNative(QByteArrayView bytes);

/// Whether `path` holds escaped bytes (a part of it is not valid UTF-8).
bool HasRawBytes(QStringView path);

/// `path` for people: each component with escaped bytes is decoded as CP932 (bytes that
/// are not CP932 either show as U+FFFD); the other components are unchanged.
QString DisplayPath(QStringView path);

/// `path` for files written in CP932 (data files): each component with escaped bytes is
/// read as CP932, bytes that do not decode kept escaped, so that EncodeCp932 of the result
/// gives the component's bytes again. Other components unchanged.
QString Cp932Reading(QStringView path);

/// The UTF-8 name a name with escaped bytes takes when it is renamed: its CP932 reading.
/// nullopt when its bytes are not clean CP932 (no name can be proposed) or when the name
/// has no escaped bytes.
std::optional<QString> Utf8NameFor(QStringView name);

/// One entry found by ListEntriesQtSkips.
struct RawEntry {
    QString name; // with escapes
    bool isDir = false;
    qint64 size = 0;
    QDateTime modified;
};

/// The entries of `folder` that QDir and QDirIterator leave out: those whose names are
/// not valid UTF-8, or every entry when the folder's own path holds escaped bytes (Qt
/// cannot open it at all). "." and ".." are not listed; links are followed and a dangling
/// link is left out. In the order the file system returns them.
std::vector<RawEntry> ListEntriesQtSkips(const QString& folder);

/// What stat() says of `path` (following links); nullopt when it does not exist.
struct PathStat {
    bool isDir = false;
    bool isRegular = false;
    qint64 size = 0;
    QDateTime modified;
};
std::optional<PathStat> StatPath(const QString& path);

/// The Japanese message that refuses to write a file whose name is not UTF-8, naming it
/// and suggesting the rename.
QString RawNameWriteRefusal(const QString& path);

} // namespace common
