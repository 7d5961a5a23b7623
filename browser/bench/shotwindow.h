#pragma once
// Shared by the in-process screenshot programs: the window on a copy of a folder with
// settings, prompter and engine of its own, both panes listing files, and a wait that
// lets the window paint.
#include "browser/core/librarydetails.h"
#include "browser/gui/formmain.h"
#include "playback/engine.h"
#include "testing/browser/memorysettingsstore.h"
#include "testing/browser/scriptedprompter.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <memory>

namespace shots {

inline void Settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

/// Copies the files (not the folders) of `from` into `to`.
inline void CopyFiles(const QString& from, const QString& to)
{
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files))
        QFile::copy(source.filePath(name), QDir(to).filePath(name));
}

struct ShotWindow {
    explicit ShotWindow(playback::OutputFactory output)
        : engine(std::move(output))
    {
        store.setText("Init", "version", "1.14");
    }
    /// Opens the window on `folder` with both panes listing files; false when start-up failed.
    bool open(const QString& folder)
    {
        browser::FormMainServices s;
        s.settings = &store;
        s.prompter = &prompter;
        s.details = &details;
        s.engine = &engine;
        s.otherInstanceRunning = [] { return false; };
        s.openOptions = [](browser::FormMain&, int, bool) { return false; };
        s.startFolder = folder;
        window = std::make_unique<browser::FormMain>(s);
        window->resize(1100, 720);
        window->show();
        if (!window->StartMainWindow())
            return false;
        for (const char* view : {"OptWindowsLeft1", "OptWindowsRight1"})
            window->findChild<QAbstractButton*>(QString::fromLatin1(view))->click();
        Settle(500);
        return true;
    }

    browser::MemorySettingsStore store;
    browser::ScriptedPrompter prompter;
    browser::LibraryDetailsProvider details;
    playback::Engine engine;
    std::unique_ptr<browser::FormMain> window;
};

} // namespace shots
