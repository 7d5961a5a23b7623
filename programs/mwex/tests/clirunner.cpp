#include "programs/mwex/tests/clirunner.h"

#include "testing/testsupport.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace clitest {

Run Mwex(const QStringList& args, const QByteArray& input)
{
    QProcess p;
    p.start(testsupport::ProgramPath(QStringLiteral("mwex")), args);
    Run r;
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << "mwex did not start";
        return r;
    }
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        ADD_FAILURE() << "mwex did not finish";
        p.kill();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace clitest
