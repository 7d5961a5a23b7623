#pragma once
// Readable QString values in test failure messages.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toUtf8().replace("\r", "\\r").replace("\n", "\\n").toStdString() << '"';
}
