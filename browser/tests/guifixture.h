#pragma once
// A main window on a temporary folder with an in-memory settings store, the scripted
// prompter and the fake details provider, for the window tests.

#include "testing/browser/scriptedprompter.h"
#include "testing/browser/memorysettingsstore.h"
#include "browser/gui/formmain.h"
#include "testing/browser/fakedetails.h"
#include "playback/engine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace browser::fakes {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = QDir::cleanPath(dir.path());
    }
    void TearDown() override
    {
        if (window) {
            window->close();
            window.reset();
        }
    }

    /// A store that has been through one run already (no first-run step).
    void MarkNotFirstRun() { store.setText("Init", "version", "1.14"); }

    FormMain& Open(bool start = true)
    {
        window.reset();
        engine = std::make_unique<playback::Engine>(playback::SilentOutputFactory());
        FormMainServices s;
        s.engine = engine.get();
        s.settings = &store;
        s.prompter = &prompter;
        s.details = &fake;
        s.startFolder = folder;
        s.otherInstanceRunning = [this] { return otherInstance; };
        s.helpFolder = folder + QStringLiteral("/.help");
        s.openUrl = [this](const QUrl& url) {
            openedUrls << url;
            return true;
        };
        if (!realOptionsDialog) {
            s.openOptions = [this](FormMain&, int tab, bool firstRun) {
                optionsOpened.push_back({tab, firstRun});
                return false;
            };
        }
        if (adjustServices)
            adjustServices(s);
        window = std::make_unique<FormMain>(std::move(s));
        if (start)
            started = window->StartMainWindow();
        return *window;
    }
    /// Closes the window as the user would (exit writes the settings).
    void Close()
    {
        window->close();
        window.reset();
    }

    template <class T>
    T* Find(const QString& name) const
    {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    QString Touch(const QString& relative, const QByteArray& bytes = "x")
    {
        const QString path = folder + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    /// Switches a pane to its file list (or its folders) through its view button.
    void ListFiles(int pane, bool files = true)
    {
        const QString side = pane == 0 ? QStringLiteral("OptWindowsLeft") : QStringLiteral("OptWindowsRight");
        Find<QAbstractButton>(side + (files ? QStringLiteral("1") : QStringLiteral("0")))->click();
    }
    QStringList RowNames(int pane) const
    {
        QStringList names;
        for (const FileRow& r : window->pane(pane).rows())
            names << r.name;
        return names;
    }

    /// Runs `action` on the next modal window or pop-up once it is shown.
    static void WhenShown(std::function<void(QWidget*)> action)
    {
        auto* poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [poll, action] {
            QWidget* w = QApplication::activePopupWidget();
            if (!w)
                w = QApplication::activeModalWidget();
            if (!w)
                return;
            poll->stop();
            poll->deleteLater();
            action(w);
        });
        poll->start();
    }

    QTemporaryDir dir;
    QString folder;
    MemorySettingsStore store;
    ScriptedPrompter prompter;
    FakeDetails fake;
    bool otherInstance = false;
    bool realOptionsDialog = false;
    /// Changes the window's services before it is made (command-line folder, URL opener).
    std::function<void(FormMainServices&)> adjustServices;
    bool started = false;
    std::vector<std::pair<int, bool>> optionsOpened;
    QList<QUrl> openedUrls; // pages and files handed to the desktop's viewer
    std::unique_ptr<playback::Engine> engine;
    std::unique_ptr<FormMain> window;
};

} // namespace browser::fakes
