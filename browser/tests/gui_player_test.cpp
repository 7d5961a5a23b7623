// The player strip and the play-along adjustment, in the window on the silent output with
// a clock the test moves: transport, seek rules, the pause blink and the time label; the
// open failure; the play-along dialog end to end (captures, rescale, correction block),
// its Cancel, Escape and close button, its work file, and the locked main window.
#include "browser/tests/guifixture.h"

#include "browser/core/settingsstore.h"
#include "browser/gui/player/playerstrip.h"
#include "playback/playalong.h"
#include "playback/tests/enginetesting.h"
#include "playback/tests/testsongs.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace browser;
using browser::fakes::WindowTest;
using enginetesting::Drain;
using enginetesting::ManualClock;
using testsupport::ReadBytes;
using testsupport::Sjis;

namespace {

// Records, for every message, whether the main window and the modal dialog in front of
// it could take input at that moment (a message box parented to a disabled window is
// disabled too).
class CheckingPrompter : public ScriptedPrompter {
public:
    QWidget* window = nullptr;
    std::vector<bool> usable;
    Answer message(const QString& text, MessageIcon icon, MessageButtons buttons, const QString& title) override
    {
        QWidget* modal = QApplication::activeModalWidget();
        usable.push_back(window && window->isEnabled() && (!modal || modal->isEnabled()));
        return ScriptedPrompter::message(text, icon, buttons, title);
    }
};

qint64 SamplesAt(int ms)
{
    return qint64(ms) * 441 / 10 + 1; // 44 100 Hz, just past the millisecond
}

const QByteArray kLyrics = Sjis("[00:04:00]前\r\n[00:10:00]最初\r\n[00:40:00]中\r\n[01:10:00]最後\r\n");

class PlayerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        StoreSetting(store, QStringLiteral("Option"), QStringLiteral("WinAmpTime"), false);
        StoreSetting(store, QStringLiteral("Option"), QStringLiteral("TaggingBy"), QStringLiteral("tester"));
        song = Touch("song.mp3", testsongs::SilentSong(120.5));
        Touch("song.txt", Sjis("[00:05:00]一行目\r\n[00:10:00]か[00:11:00]ら[00:12:00]お[00:13:00]け\r\n[00:20:00]三行目\r\n"));
        Touch("broken.mp3", "not a song at all");
        lyricsFile = Touch("adjust.txt", kLyrics);
        ASSERT_TRUE(work.isValid());
    }

    /// The window on an engine whose silent output follows `clock`, with both panes
    /// listing files (left lyrics, right songs).
    FormMain& OpenPlayer()
    {
        window.reset();
        engine = std::make_unique<playback::Engine>(playback::SilentOutputFactory(1.0, clock.Source()));
        engine->SetClock(clock.Source());
        FormMainServices s;
        s.engine = engine.get();
        s.settings = &store;
        s.prompter = &checking;
        s.details = &fake;
        s.startFolder = folder;
        s.otherInstanceRunning = [] { return false; };
        s.openOptions = [](FormMain&, int, bool) { return false; };
        window = std::make_unique<FormMain>(std::move(s));
        checking.window = window.get();
        window->playAlongWorkFolder = work.path();
        EXPECT_TRUE(window->StartMainWindow());
        ListFiles(0);
        ListFiles(1);
        return *window;
    }
    int Row(int pane, const QString& name) { return static_cast<int>(RowNames(pane).indexOf(name)); }
    QString Time() { return Find<QLabel>("lblTime")->text(); }
    int EngineState(int* seconds = nullptr) { return engine->vbmp3_getState(seconds); }
    QStringList WorkFiles() { return QDir(work.path()).entryList(QDir::Files | QDir::Hidden); }
    bool Locked()
    {
        return !Find<QWidget>("FrameFile0")->isEnabled() && !Find<QWidget>("FrameButtons1")->isEnabled()
               && !Find<QToolBar>("TB")->isEnabled() && !Find<QMenu>("mnHelp")->menuAction()->isEnabled();
    }
    template <class T>
    static T* In(QWidget* dialog, const char* name)
    {
        T* w = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void Press(QWidget* dialog, const char* button)
    {
        auto* b = In<QPushButton>(dialog, button);
        QTest::mousePress(b, Qt::LeftButton);
        QTest::mouseRelease(b, Qt::LeftButton);
    }

    ManualClock clock;
    CheckingPrompter checking;
    QTemporaryDir work;
    QString song;
    QString lyricsFile;
};

} // namespace

TEST_F(PlayerTest, TheStripPlaysPausesBlinksStopsAndSeeksAfterStop)
{
    FormMain& w = OpenPlayer();
    w.ShowRow(1, Row(1, "song.mp3"));
    auto* play = Find<QToolButton>("ComPlayPause");
    auto* seek = Find<QScrollBar>("scSeek");
    ASSERT_TRUE(play->isEnabled());
    play->click();
    EXPECT_TRUE(seek->isEnabled());
    ASSERT_EQ(EngineState(), 1);
    EXPECT_EQ(seek->maximum(), 120);
    EXPECT_EQ(seek->pageStep(), 2); // 120 / 50 rounds to 2
    EXPECT_TRUE(Find<QTimer>("TimerLyrics")->isActive());
    EXPECT_FALSE(Find<QWidget>("FrameFile0")->isEnabled()); // the rest of the window rests while playing
    EXPECT_FALSE(Find<QToolBar>("TB")->isEnabled());
    EXPECT_TRUE(Find<QMenu>("mnSelectLyrics")->findChild<QAction*>("mnSelectLyricsTimeType0")->isEnabled());
    EXPECT_EQ(w.chosenSource(), 3); // the same-named lyrics are timed

    // Mid-song: the current line, the lines around it and the karaoke highlight.
    engine->SeekSamples(SamplesAt(11500));
    w.player()->lyricsTick();
    EXPECT_EQ(Find<QLabel>("lblLyrics2")->text(), QString::fromUtf8("からおけ"));
    EXPECT_EQ(Find<QLabel>("lblLyrics1")->text(), QString::fromUtf8("一行目"));
    EXPECT_EQ(Find<QLabel>("lblLyrics3")->text(), QString::fromUtf8("三行目"));
    const int w1 = Find<QLabel>("lbWork1")->fontMetrics().horizontalAdvance(Find<QLabel>("lbWork1")->text());
    const int w2 = Find<QLabel>("lbWork2")->fontMetrics().horizontalAdvance(Find<QLabel>("lbWork2")->text());
    EXPECT_EQ(Find<QLabel>("lbWork1")->text(), QString::fromUtf8("から")); // up to the end of the sung piece
    EXPECT_EQ(Find<QLabel>("lbWork2")->text(), QString::fromUtf8("か"));   // up to its start
    EXPECT_EQ(Find<QLabel>("lblLyrics5")->width(), w2 + (w1 - w2) / 2);  // half way through "ら"

    w.OnEngineNotify(playback::Notification::Position, 65);
    EXPECT_EQ(Time(), "01:05");

    // Pause: "PAUSE" for two ticks of TimerPause, nothing for one.
    play->click();
    ASSERT_EQ(EngineState(), 2);
    Drain();
    auto* pauseTimer = Find<QTimer>("TimerPause");
    EXPECT_TRUE(pauseTimer->isActive());
    EXPECT_EQ(pauseTimer->interval(), 500);
    EXPECT_FALSE(Find<QTimer>("TimerLyrics")->isActive());
    QStringList blink;
    for (int k = 0; k < 6; ++k) {
        w.player()->pauseTick();
        blink << Time();
    }
    EXPECT_EQ(blink, QStringList({"PAUSE", "", "PAUSE", "PAUSE", "", "PAUSE"}));
    play->click();
    EXPECT_EQ(EngineState(), 1);
    EXPECT_FALSE(pauseTimer->isActive());

    // Stop frees the window; then the seek bar at 0 does nothing, at 5 plays from 5 s.
    Find<QToolButton>("ComStop")->click();
    EXPECT_EQ(EngineState(), 0);
    EXPECT_TRUE(Find<QWidget>("FrameFile0")->isEnabled());
    EXPECT_TRUE(Find<QToolBar>("TB")->isEnabled());
    Q_EMIT seek->valueChanged(0);
    EXPECT_EQ(EngineState(), 0);
    seek->setValue(5);
    int seconds = -1;
    EXPECT_EQ(EngineState(&seconds), 1);
    EXPECT_EQ(seconds, 5);
    EXPECT_EQ(seek->value(), 5);
    Find<QToolButton>("ComStop")->click();
    EXPECT_TRUE(checking.messages().isEmpty());
}

TEST_F(PlayerTest, AFailedOpenNamesTheErrorAndLeavesTheWindowUsable)
{
    FormMain& w = OpenPlayer();
    w.ShowRow(1, Row(1, "broken.mp3"));
    Find<QToolButton>("ComPlayPause")->click();
    ASSERT_EQ(checking.messages().size(), 1);
    EXPECT_EQ(checking.messages()[0], QStringLiteral("ErrNo : %1 Open Error").arg(engine->vbmp3_getLastErrorNo()));
    EXPECT_NE(engine->vbmp3_getLastErrorNo(), 0);
    EXPECT_EQ(checking.prompts()[0].icon, MessageIcon::None);
    EXPECT_EQ(checking.usable, std::vector<bool>{true});
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(Find<QWidget>("FrameFile0")->isEnabled());
    EXPECT_EQ(Time(), "---");
    EXPECT_EQ(EngineState(), 0);
}

TEST_F(PlayerTest, PlayAlongCapturesRescalesAndWritesTheCorrectionBlock)
{
    FormMain& w = OpenPlayer();
    bool ran = false;
    WhenShown([&](QWidget* d) {
        ran = true;
        EXPECT_EQ(d->objectName(), "FormPlayAdjust");
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("タイムタグの微調整（演奏合わせ）"));
        EXPECT_TRUE(Locked());
        EXPECT_TRUE(w.isEnabled());
        EXPECT_TRUE(d->isEnabled());
        EXPECT_EQ(WorkFiles().size(), 1);
        EXPECT_EQ(In<QLabel>(d, "SBPanel1")->text(), "adjust.txt");
        EXPECT_EQ(In<QLabel>(d, "SBPanel2")->text(), "song.mp3");
        EXPECT_TRUE(In<QAbstractButton>(d, "OptTimeType1")->isChecked()); // the user's standard time
        // Default references: the first and last lines with text; only play is available.
        EXPECT_EQ(In<QLabel>(d, "lblFirstOrg")->text(), "00:04:00");
        EXPECT_EQ(In<QLabel>(d, "lblLastOrg")->text(), "01:10:00");
        EXPECT_FALSE(In<QPushButton>(d, "ComPlay0")->isEnabled());
        EXPECT_FALSE(In<QPushButton>(d, "ComFirstInput")->isEnabled());
        // The first line moves down one; it can never reach the last.
        In<QScrollBar>(d, "VSFirst")->setValue(2);
        EXPECT_EQ(In<QLabel>(d, "lblFirstOrg")->text(), "00:10:00");
        EXPECT_EQ(In<QLineEdit>(d, "TextFirstNew")->text(), "00:10:00");
        In<QScrollBar>(d, "VSFirst")->setValue(4);
        EXPECT_EQ(In<QScrollBar>(d, "VSFirst")->value(), 3);
        In<QScrollBar>(d, "VSFirst")->setValue(2);

        auto* rag = In<QLineEdit>(d, "TxtTimeRag");
        rag->setText("-100.6");
        Q_EMIT rag->editingFinished();
        EXPECT_EQ(rag->text(), "-101");
        rag->setText("-100");
        Q_EMIT rag->editingFinished();

        // Capture at 50 % speed: 300 ms after the old first tag with a lag of -100 moves
        // both new times by 200 ms, exactly as at full speed.
        In<QComboBox>(d, "CboSpeed")->setCurrentIndex(In<QComboBox>(d, "CboSpeed")->findData(50));
        EXPECT_DOUBLE_EQ(engine->Tempo(), 0.5);
        Press(d, "ComPlay1");
        ASSERT_EQ(EngineState(), 1);
        EXPECT_FALSE(In<QScrollBar>(d, "VSFirst")->isEnabled());
        engine->SeekSamples(SamplesAt(10300));
        Press(d, "ComFirstInput");
        EXPECT_EQ(In<QLineEdit>(d, "TextFirstNew")->text(), "00:10:20");
        EXPECT_EQ(In<QLineEdit>(d, "TextLastNew")->text(), "01:10:20");
        // Then the rescale example: F' = 12 000, L' = 71 000.
        In<QComboBox>(d, "CboSpeed")->setCurrentIndex(0);
        engine->SeekSamples(SamplesAt(12100));
        Press(d, "ComFirstInput");
        engine->SeekSamples(SamplesAt(71100));
        Press(d, "ComLastInput");
        EXPECT_EQ(In<QLineEdit>(d, "TextFirstNew")->text(), "00:12:00");
        EXPECT_EQ(In<QLineEdit>(d, "TextLastNew")->text(), "01:11:00");

        // A hand edit that is not a time is refused; the dialog stays open and usable.
        auto* last = In<QLineEdit>(d, "TextLastNew");
        last->setText("1:1x");
        Press(d, "ComOK");
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(checking.messages().value(0), playback::PlayAlong::BadNewTimeMessage());
        EXPECT_EQ(ReadBytes(lyricsFile), kLyrics);
        last->setText("01:11:00");
        Press(d, "ComOK");
    });
    w.AdjustDroppedSong(0, Row(0, "adjust.txt"), song);
    ASSERT_TRUE(ran);
    EXPECT_EQ(ReadBytes(lyricsFile), Sjis("[00:06:10]前\r\n[00:12:00]最初\r\n[00:41:50]中\r\n[01:11:00]最後\r\n"
                                          "@TimeRatio=1\r\n@SilencemSec=0\r\n@TaggingBy=tester\r\n"));
    EXPECT_EQ(checking.usable, std::vector<bool>{true});
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_FALSE(Locked());
    EXPECT_EQ(store.text("PlayAdjust", "TimeRag", QString()), "-100");
    EXPECT_DOUBLE_EQ(engine->Tempo(), 1.0);
    EXPECT_EQ(EngineState(), 0);
}

TEST_F(PlayerTest, PlayAlongCancelEscapeAndCloseWriteNothingAndEveryPathUnlocks)
{
    FormMain& w = OpenPlayer();
    // The strip has its song opened before the dialog borrows the engine.
    w.ShowRow(1, Row(1, "song.mp3"));
    Find<QToolButton>("ComPlayPause")->click();
    ASSERT_EQ(EngineState(), 1);
    Find<QToolButton>("ComStop")->click();
    // The lock keeps what was disabled before it.
    Find<QWidget>("FrameButtons1")->setEnabled(false);
    const int row = Row(0, "adjust.txt");
    const std::function<void(QDialog*)> ends[] = {
        [](QDialog* d) { In<QPushButton>(d, "ConCancel")->click(); },
        [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](QDialog* d) { d->close(); },
    };
    for (const auto& end : ends) {
        bool ran = false;
        WhenShown([&](QWidget* d) {
            ran = true;
            Press(d, "ComPlay1");
            engine->SeekSamples(SamplesAt(12100));
            Press(d, "ComFirstInput");
            ASSERT_NE(In<QLineEdit>(d, "TextFirstNew")->text(), "00:04:00");
            end(static_cast<QDialog*>(d));
        });
        w.AdjustDroppedSong(0, row, song);
        ASSERT_TRUE(ran);
        EXPECT_EQ(ReadBytes(lyricsFile), kLyrics);
        EXPECT_TRUE(WorkFiles().isEmpty());
        EXPECT_EQ(EngineState(), 0);
        EXPECT_TRUE(Find<QWidget>("FrameFile0")->isEnabled());
        EXPECT_FALSE(Find<QWidget>("FrameButtons1")->isEnabled());
        EXPECT_TRUE(Find<QMenu>("mnHelp")->menuAction()->isEnabled());
    }
    EXPECT_TRUE(checking.messages().isEmpty());

    // Fewer than two tagged lines: the information, no dialog; a file gone: the warning.
    Touch("adjust.txt", Sjis("[00:01:00]一行だけ\r\n"));
    w.AdjustDroppedSong(0, row, song);
    QFile::remove(lyricsFile);
    w.AdjustDroppedSong(0, row, song);
    // A song the engine cannot open.
    Touch("adjust.txt", kLyrics);
    w.AdjustDroppedSong(0, row, folder + "/broken.mp3");
    EXPECT_EQ(checking.messages(), QStringList({QString::fromUtf8("タイムタグがある行が２行以上ないと調整できません。"),
                                                 QString::fromUtf8("歌詞ファイルを読み込めませんでした。"),
                                                 QString::fromUtf8("曲ファイルのオープンに失敗したか、\r\n対応していないファイルです。")}));
    EXPECT_EQ(checking.usable, std::vector<bool>(3, true));
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_TRUE(Find<QWidget>("FrameFile0")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("FrameButtons1")->isEnabled());
    EXPECT_EQ(ReadBytes(lyricsFile), kLyrics);

    // After the dialog used the engine, the strip opens its song again on Play.
    Find<QToolButton>("ComPlayPause")->click();
    EXPECT_EQ(EngineState(), 1);
    Find<QToolButton>("ComStop")->click();
}
