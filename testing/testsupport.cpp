#include "testing/testsupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace testsupport {

QString SourceDir()
{
    const QString env = qEnvironmentVariable("MWEX_SOURCE_DIR");
    return env.isEmpty() ? QStringLiteral(MWEX_DEFAULT_SOURCE_DIR) : env;
}

QString BinaryDir()
{
    const QString env = qEnvironmentVariable("MWEX_BINARY_DIR");
    return env.isEmpty() ? QStringLiteral(MWEX_DEFAULT_BINARY_DIR) : env;
}

QString ProgramPath(const QString& name)
{
    return BinaryDir() + QStringLiteral("/programs/") + name + QLatin1Char('/') + name;
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray Sjis(const char* utf8)
{
    QStringEncoder enc("windows-31j");
    QByteArray out = enc(QString::fromUtf8(utf8));
    EXPECT_FALSE(enc.hasError()) << utf8;
    return out;
}

QStringList MakeSpecialFiles(const QString& folder)
{
    QStringList made;
    const QByteArray dir = QFile::encodeName(folder) + '/';
    for (const char* name : {"fifo.txt", "fifo.mp3"}) {
        if (::mkfifo(dir + name, 0644) == 0)
            made << QString::fromLatin1(name);
    }
    for (const char* name : {"dangling.txt", "dangling.mp3"}) {
        if (::symlink(dir + "no-such-target", dir + name) == 0)
            made << QString::fromLatin1(name);
    }
    for (const char* name : {"unreadable.txt", "unreadable.mp3"}) {
        if (::symlink(dir + name, dir + name) == 0)
            made << QString::fromLatin1(name);
    }
    if (::geteuid() != 0) {
        WriteBytes(folder + QStringLiteral("/noaccess.txt"), "[00:01:00]x\r\n");
        if (::chmod(dir + "noaccess.txt", 0) == 0)
            made << QStringLiteral("noaccess.txt");
    }
    WriteBytes(folder + QStringLiteral("/empty.mp3"), QByteArray());
    made << QStringLiteral("empty.mp3");
    return made;
}

} // namespace testsupport
