#pragma once
// Helpers shared by the tests: locations of the source and build trees, and
// reading/writing whole files as bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

/// The source tree (for fixtures kept in the repository).
QString SourceDir();
/// The build tree (for built programs such as mwex).
QString BinaryDir();
/// Path of a built program, e.g. ProgramPath("mwex").
QString ProgramPath(const QString& name);

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

/// CP932 bytes of a UTF-8 literal, for building fixtures ("歌詞" → 0x89CC 0x8E8C).
QByteArray Sjis(const char* utf8);

/// The odd files a real folder can hold, made in `folder` under names the scans look
/// for: a FIFO "fifo.txt" (and "fifo.mp3"), a dangling link "dangling.txt"/"dangling.mp3",
/// an unreadable "unreadable.txt"/"unreadable.mp3" (a link to itself, which nobody can
/// open, not even root; without root also a file of mode 000, "noaccess.txt"), and a
/// zero-byte "empty.mp3". Returns the names made.
QStringList MakeSpecialFiles(const QString& folder);

} // namespace testsupport
