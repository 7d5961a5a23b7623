#pragma once
// Helpers shared by the tests: locations of the source and build trees, and
// reading/writing whole files as bytes.

#include <QByteArray>
#include <QString>

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

} // namespace testsupport
