#pragma once
// Runs the built mwex program for end-to-end tests.

#include <QByteArray>
#include <QStringList>

namespace clitest {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

/// Runs mwex with `args`, feeding `input` on standard input.
Run Mwex(const QStringList& args, const QByteArray& input = {});

} // namespace clitest
