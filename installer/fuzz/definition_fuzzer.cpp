// Fuzzes the definition reader and the folder macros: definition files of any bytes are
// started and read the way the pages and the passes read them, and every value is
// expanded. Nothing may crash, and while reading nothing outside the run's work folder
// may be created, written or removed.
//
// Input: the first byte picks the mode (even: SETUP.INI, odd: an UNSETUP.INI given as
// the first argument); the rest is the definition.
#include "installer/folders.h"
#include "installer/passes.h"
#include "installer/registry.h"
#include "installer/session.h"
#include "installer/fileops.h"
#include "installer/textrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Sandbox {
    QTemporaryDir dir;
    QString root, home, media, tmp;
    Sandbox()
    {
        root = dir.path() + QLatin1Char('/');
        home = root + QStringLiteral("home/");
        media = root + QStringLiteral("media/");
        tmp = home + QStringLiteral("tmp/");
        for (const QString& folder : {home, media, tmp})
            QDir().mkpath(folder);
        QFile program(media + QStringLiteral("setup"));
        program.open(QIODevice::WriteOnly);
        program.write("#!/bin/sh\n");
    }
};

Sandbox& Box()
{
    static Sandbox box;
    return box;
}

/// Every change must stay inside the work folders (Tmp)TSTMPn.
void Guard(const QString& path, const char* operation)
{
    const QString allowed = Box().tmp + QStringLiteral("TSTMP");
    if (!path.startsWith(allowed) || path.contains(QLatin1String("/../"))) {
        std::fprintf(stderr, "changed outside the work folder: %s %s\n", operation, path.toLocal8Bit().constData());
        std::abort();
    }
}

void ReadEverything(installer::Session& s)
{
    using namespace installer;
    (void)s.setupWord();
    (void)s.creditText();
    (void)s.proposedFolder();
    (void)s.optionsEnabled();
    (void)s.namedShortcutPlaces();
    (void)s.messageText();
    (void)s.typePageVisible();
    (void)s.typeCaption(1);
    (void)s.typeCaption(2);
    (void)s.licenceFile();
    (void)s.readmeFile();
    (void)s.earlierVersionFound();
    (void)s.uninstallOptions();
    (void)s.setupOnly();
    if (s.uninstalling())
        (void)DefaultUninstallChoices(s);
    else
        (void)DefaultInstallChoices(s);

    // Every value of the definition through the text rules, with the install folder
    // unset and then set to a name that looks like macros.
    const common::IniDocument& doc = s.profiles().document(s.definitionPath());
    FolderTable folders = s.folders();
    for (int round = 0; round < 2; ++round) {
        if (round == 1)
            folders.setInstallFolder(QStringLiteral("/opt/(App)(Win)\\(C_Smn)/"));
        for (const QString& section : doc.sections()) {
            for (const QString& key : doc.keys(section)) {
                const QString value = doc.value(section, key, QString());
                const QString expanded = folders.expand(value);
                for (int n = 1; n <= 5; ++n)
                    (void)FieldOf(expanded, n);
                (void)SplitKeyTextForInstall(value);
                (void)SplitKeyTextForUninstall(value);
                (void)NativePath(expanded);
                (void)LeadingInteger(value);
                (void)LeadingHex(value);
                (void)WildcardMatch(value, key);
                (void)VersionText(value);
            }
            (void)s.readList(section, u"File");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Sandbox& box = Box();
    const bool uninstall = data[0] & 1;
    const QString name = uninstall ? QStringLiteral("UNSETUP.INI") : QStringLiteral("SETUP.INI");
    {
        QFile file(box.media + name);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    }

    installer::StartOptions options;
    options.environment.home = box.home;
    options.environment.tempDir = box.tmp;
    options.environment.runtimeDir = box.root;
    options.programPath = box.media + QStringLiteral("setup");
    if (uninstall)
        options.arguments = QStringList{box.media + name};

    installer::fs::SetMutationObserver(Guard);
    {
        const auto session = installer::Session::Start(options);
        if (!session->hasFatalError())
            ReadEverything(*session);
        session->cleanUpWorkFolders();
    }
    installer::fs::SetMutationObserver(nullptr);
    QFile::remove(box.media + name);
    return 0;
}
