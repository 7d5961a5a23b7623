// mwex: the workbench's lyrics and song-file operations for scripts and batch use.
#include "programs/mwex/cli.h"

#include "common/rawname.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mwex"));
    // The arguments from their bytes: a path whose name is not UTF-8 (a Shift_JIS name
    // from an old Windows archive) keeps its bytes, which QCoreApplication::arguments()
    // would turn into U+FFFD.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << common::PathFromNative(QByteArrayView(argv[i]));
    return mwex::FinishOutput(mwex::Main(args));
}
