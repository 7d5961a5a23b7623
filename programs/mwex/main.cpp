// mwex: the workbench's lyrics and song-file operations for scripts and batch use.
#include "programs/mwex/cli.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mwex"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return mwex::FinishOutput(mwex::Main(args));
}
