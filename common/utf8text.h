#pragma once
// Captions and messages are written in the sources as UTF-8 literals; U() turns one
// into a QString where QStringLiteral cannot be used (non-ASCII text in narrow literals).
#include <QString>

namespace common {

inline QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace common
