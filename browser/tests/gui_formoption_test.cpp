// The options dialog: which control shows and stores which "Option" key, the page it
// opens on, the plug-in file choice, and that only "閉じる" stores anything.
#include "testing/browser/scriptedprompter.h"

#include "common/utf8text.h"
#include "testing/browser/memorysettingsstore.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/formoption.h"
#include "common/gui/japaneseui.h"
#include "testing/testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace browser;

namespace {

using common::U;

const QStringList kOptionKeys = {"TaggingBy", "WinAmpTime", "NoAskTimeType", "Offset", "ILYC", "DeleteAfterImplant",
                                 "RenameMP3", "FukaInputSleep", "FukaLyrics", "PluginIni", "UseExGenre"};

class FormOptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        pluginIni_ = dir_.filePath(QStringLiteral("plugin.ini"));
        testsupport::WriteBytes(pluginIni_, "[Pemrick's Lyrics Common]\r\n");
    }

    std::unique_ptr<FormOption> open(OptionTab tab = OptionTab::Hosei)
    {
        auto form = std::make_unique<FormOption>(options_, store_, prompter_, tab);
        form->show();
        return form;
    }

    template <typename T>
    static T* control(const QWidget* form, const char* name)
    {
        T* w = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    template <typename T>
    static T* control(const QWidget* form, const char* name, int index)
    {
        T* w = FindControl<T>(form, QLatin1String(name), index);
        EXPECT_NE(w, nullptr) << name << index;
        return w;
    }

    static void clickClose(FormOption* form) { control<QPushButton>(form, "ComClose")->click(); }

    static void clickLabel(QWidget* label)
    {
        const QPointF at(label->width() / 2.0, label->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, label->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label, &press);
        QApplication::sendEvent(label, &release);
    }

    int storedOptionKeys() const
    {
        int n = 0;
        for (const QString& key : kOptionKeys)
            n += store_.contains(QStringLiteral("Option"), key) ? 1 : 0;
        return n;
    }

    QString stored(const char* key) const { return store_.text(QStringLiteral("Option"), QLatin1String(key), QStringLiteral("<absent>")); }

    QTemporaryDir dir_;
    QString pluginIni_;
    Options options_;
    MemorySettingsStore store_;
    ScriptedPrompter prompter_;
};

// ---------------------------------------------------------------- pages and tabs

TEST_F(FormOptionTest, HasTheTitleTheFourTabsWithTheirKeysAndOneFramePerTab)
{
    auto form = open();
    EXPECT_EQ(form->windowTitle(), U("Melwick Ex オプション"));
    auto* tb = control<QTabBar>(form.get(), "TB");
    ASSERT_EQ(tb->count(), 4);
    const QStringList captions = {U("補正"), U("埋め込み"), U("演奏"), U("その他")};
    const QStringList keys = {"Hosei", "Implant", "Play", "etc"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tb->tabText(i), captions[i]);
        EXPECT_EQ(tb->tabData(i).toString(), keys[i]);
        EXPECT_NE(FindControl<QWidget>(form.get(), QStringLiteral("FrameOption"), i + 1), nullptr) << i + 1;
    }
    EXPECT_EQ(control<QPushButton>(form.get(), "ComClose")->text(), U("閉じる"));
}

TEST_F(FormOptionTest, MainMenuOpensOnTheCorrectionPage)
{
    auto form = open(OptionTab::Hosei);
    EXPECT_EQ(form->currentTab(), OptionTab::Hosei);
    EXPECT_EQ(control<QTabBar>(form.get(), "TB")->currentIndex(), 0);
    EXPECT_TRUE(control<QWidget>(form.get(), "FrameOption", 1)->isVisible());
    EXPECT_FALSE(control<QWidget>(form.get(), "FrameOption", 2)->isVisible());
}

TEST_F(FormOptionTest, EmbeddingMenuOpensOnTheEmbeddingPage)
{
    auto form = open(OptionTab::Implant);
    EXPECT_EQ(form->currentTab(), OptionTab::Implant);
    EXPECT_EQ(control<QTabBar>(form.get(), "TB")->currentIndex(), 1);
    EXPECT_TRUE(control<QWidget>(form.get(), "FrameOption", 2)->isVisible());
    EXPECT_TRUE(control<QCheckBox>(form.get(), "ChkDeleteAfterImplant")->isVisible());
    EXPECT_FALSE(control<QWidget>(form.get(), "FrameOption", 1)->isVisible());
}

TEST_F(FormOptionTest, ClickingATabShowsItsFrameAndHidesTheOthers)
{
    auto form = open();
    auto* tb = control<QTabBar>(form.get(), "TB");
    for (int tab = 4; tab >= 1; --tab) {
        tb->setCurrentIndex(tab - 1);
        EXPECT_EQ(static_cast<int>(form->currentTab()), tab);
        for (int frame = 1; frame <= 4; ++frame)
            EXPECT_EQ(control<QWidget>(form.get(), "FrameOption", frame)->isVisible(), frame == tab) << tab << "/" << frame;
    }
}

TEST_F(FormOptionTest, ControlsCarryTheirCaptions)
{
    auto form = open();
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptTimeType", 0)->text(), U("WinAmp時間"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptTimeType", 1)->text(), U("標準時間"));
    EXPECT_EQ(control<QCheckBox>(form.get(), "ChkNoAskTimeType")->text(), U("補正データ付加時に確認しない"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptOffset", 0)->text(), U("@Offset 処理のみ行う (推奨)"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptOffset", 1)->text(), U("@Silence 処理のみ行う"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptOffset", 2)->text(), U("両方ともする"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptOffset", 3)->text(), U("両方ともしない"));
    EXPECT_EQ(control<QCheckBox>(form.get(), "ChkDeleteAfterImplant")->text(), U("埋め込んだら元歌詞ファイルを削除する"));
    EXPECT_EQ(control<QCheckBox>(form.get(), "ChkRenameMP3")->text(), U("埋め込み後、拡張子をMP3に直す。"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptILYC", 0)->text(), U("ILYCに埋め込み(推奨)"));
    EXPECT_EQ(control<QRadioButton>(form.get(), "OptILYC", 1)->text(), U("IID3に埋め込み"));
    EXPECT_EQ(control<QLabel>(form.get(), "lblFuka", 0)->text(), U("再生負荷："));
    EXPECT_EQ(control<QLabel>(form.get(), "lblFuka", 1)->text(), U("歌詞更新頻度："));
    EXPECT_EQ(control<QCheckBox>(form.get(), "ChkUseExGenre")->text(), U("拡張ジャンルを使う"));
    const QStringList frames[] = {{"FrameTimeType", U("デフォルトのタイムタイプ")},
                                  {"FrameTaggingBy", U("あなたの名前 ( @TaggingBy = )")},
                                  {"FrameOffset", U("@Offset と @Silence の両方が付加されている場合")},
                                  {"FrameImplantCommon", U("MP3 RMP 共通設定")},
                                  {"FrameImplantRmp", U("RMPでの埋め込み")},
                                  {"FrameFuka", U("負荷設定")},
                                  {"FramePluginIni", U("WinAmp の Plugin.ini")}};
    for (const QStringList& f : frames) {
        auto* box = form->findChild<QGroupBox*>(f[0]);
        ASSERT_NE(box, nullptr) << f[0].toStdString();
        EXPECT_EQ(box->title(), f[1]);
    }
    for (int i = 0; i < 2; ++i) {
        auto* combo = control<QComboBox>(form.get(), "ComboFuka", i);
        ASSERT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->itemText(0), U("高"));
        EXPECT_EQ(combo->itemText(1), U("中"));
        EXPECT_EQ(combo->itemText(2), U("低"));
    }
}

// ---------------------------------------------------------------- loading

TEST_F(FormOptionTest, DefaultsLoadIntoTheControls)
{
    auto form = open();
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptTimeType", 0)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(form.get(), "OptTimeType", 1)->isChecked());
    EXPECT_TRUE(control<QCheckBox>(form.get(), "ChkNoAskTimeType")->isChecked());
    EXPECT_EQ(control<QLineEdit>(form.get(), "TextTaggingBy")->text(), QString());
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptOffset", 0)->isChecked());
    EXPECT_FALSE(control<QCheckBox>(form.get(), "ChkDeleteAfterImplant")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(form.get(), "ChkRenameMP3")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptILYC", 0)->isChecked());
    EXPECT_EQ(control<QComboBox>(form.get(), "ComboFuka", 0)->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(form.get(), "ComboFuka", 1)->currentIndex(), 0);
    EXPECT_FALSE(control<QCheckBox>(form.get(), "ChkUseExGenre")->isChecked());
    EXPECT_EQ(control<QLabel>(form.get(), "lblPluginIni")->text(), QString());
    EXPECT_EQ(form->shownValues(), Options());
}

TEST_F(FormOptionTest, EveryOptionLoadsIntoItsControl)
{
    options_.winAmpTime = false;
    options_.taggingBy = U("山田 花子");
    options_.noAskTimeType = false;
    options_.offset = 2;
    options_.ilyc = false;
    options_.deleteAfterImplant = true;
    options_.renameMp3 = false;
    options_.fukaInputSleep = 2;
    options_.fukaLyrics = 1;
    options_.pluginIni = pluginIni_;
    options_.useExGenre = true;
    auto form = open();
    EXPECT_FALSE(control<QRadioButton>(form.get(), "OptTimeType", 0)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptTimeType", 1)->isChecked());
    EXPECT_EQ(control<QLineEdit>(form.get(), "TextTaggingBy")->text(), U("山田 花子"));
    EXPECT_FALSE(control<QCheckBox>(form.get(), "ChkNoAskTimeType")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptOffset", 2)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptILYC", 1)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(form.get(), "OptILYC", 0)->isChecked());
    EXPECT_TRUE(control<QCheckBox>(form.get(), "ChkDeleteAfterImplant")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(form.get(), "ChkRenameMP3")->isChecked());
    EXPECT_EQ(control<QComboBox>(form.get(), "ComboFuka", 0)->currentIndex(), 2);
    EXPECT_EQ(control<QComboBox>(form.get(), "ComboFuka", 1)->currentIndex(), 1);
    EXPECT_EQ(control<QLabel>(form.get(), "lblPluginIni")->text(), pluginIni_);
    EXPECT_TRUE(control<QCheckBox>(form.get(), "ChkUseExGenre")->isChecked());
    EXPECT_EQ(form->shownValues(), options_);
}

TEST_F(FormOptionTest, OutOfRangeChoicesShowTheFirstChoice)
{
    options_.offset = 7;
    options_.fukaInputSleep = -1;
    options_.fukaLyrics = 3;
    auto form = open();
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptOffset", 0)->isChecked());
    EXPECT_EQ(control<QComboBox>(form.get(), "ComboFuka", 0)->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(form.get(), "ComboFuka", 1)->currentIndex(), 0);
}

// ---------------------------------------------------------------- storing

// Each case changes one control; closing must change exactly the matching option.
struct OneControl {
    const char* what;
    std::function<void(FormOption*)> change;
    std::function<void(Options&)> expect;
    const char* key;
    const char* storedText;
};

TEST_F(FormOptionTest, EachControlStoresExactlyItsOwnKey)
{
    const std::vector<OneControl> cases = {
        {"OptTimeType1", [](FormOption* f) { FindControl<QRadioButton>(f, "OptTimeType", 1)->click(); },
         [](Options& o) { o.winAmpTime = false; }, "WinAmpTime", "False"},
        {"TextTaggingBy", [](FormOption* f) { f->findChild<QLineEdit*>("TextTaggingBy")->setText(QString::fromUtf8("歌詞 太郎")); },
         [](Options& o) { o.taggingBy = QString::fromUtf8("歌詞 太郎"); }, "TaggingBy", "歌詞 太郎"},
        {"ChkNoAskTimeType", [](FormOption* f) { f->findChild<QCheckBox*>("ChkNoAskTimeType")->click(); },
         [](Options& o) { o.noAskTimeType = false; }, "NoAskTimeType", "False"},
        {"OptOffset1", [](FormOption* f) { FindControl<QRadioButton>(f, "OptOffset", 1)->click(); },
         [](Options& o) { o.offset = 1; }, "Offset", "1"},
        {"OptOffset2", [](FormOption* f) { FindControl<QRadioButton>(f, "OptOffset", 2)->click(); },
         [](Options& o) { o.offset = 2; }, "Offset", "2"},
        {"OptILYC1", [](FormOption* f) { FindControl<QRadioButton>(f, "OptILYC", 1)->click(); },
         [](Options& o) { o.ilyc = false; }, "ILYC", "False"},
        {"ChkDeleteAfterImplant", [](FormOption* f) { f->findChild<QCheckBox*>("ChkDeleteAfterImplant")->click(); },
         [](Options& o) { o.deleteAfterImplant = true; }, "DeleteAfterImplant", "True"},
        {"ChkRenameMP3", [](FormOption* f) { f->findChild<QCheckBox*>("ChkRenameMP3")->click(); },
         [](Options& o) { o.renameMp3 = false; }, "RenameMP3", "False"},
        {"ComboFuka0", [](FormOption* f) { FindControl<QComboBox>(f, "ComboFuka", 0)->setCurrentIndex(1); },
         [](Options& o) { o.fukaInputSleep = 1; }, "FukaInputSleep", "1"},
        {"ComboFuka1", [](FormOption* f) { FindControl<QComboBox>(f, "ComboFuka", 1)->setCurrentIndex(2); },
         [](Options& o) { o.fukaLyrics = 2; }, "FukaLyrics", "2"},
        {"ChkUseExGenre", [](FormOption* f) { f->findChild<QCheckBox*>("ChkUseExGenre")->click(); },
         [](Options& o) { o.useExGenre = true; }, "UseExGenre", "True"},
    };
    for (const OneControl& c : cases) {
        SCOPED_TRACE(c.what);
        options_ = Options();
        store_.clear();
        auto form = open();
        c.change(form.get());
        clickClose(form.get());
        Options expected;
        c.expect(expected);
        EXPECT_EQ(options_, expected);
        EXPECT_TRUE(form->stored());
        EXPECT_EQ(stored(c.key), U(c.storedText));
        EXPECT_EQ(storedOptionKeys(), 11);
        EXPECT_EQ(LoadOptions(store_), expected);
    }
}

TEST_F(FormOptionTest, CloseWritesAllElevenKeysEvenWhenNothingChanged)
{
    auto form = open();
    clickClose(form.get());
    EXPECT_EQ(storedOptionKeys(), 11);
    EXPECT_EQ(stored("WinAmpTime"), "True");
    EXPECT_EQ(stored("TaggingBy"), "");
    EXPECT_EQ(stored("Offset"), "0");
    EXPECT_EQ(stored("PluginIni"), "");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(FormOptionTest, ChoosingNeitherStoresOffsetThreeAndOffsetOnlyStoresZero)
{
    options_.offset = 1;
    auto form = open();
    control<QRadioButton>(form.get(), "OptOffset", 3)->click();
    clickClose(form.get());
    EXPECT_EQ(options_.offset, 3);
    EXPECT_EQ(stored("Offset"), "3");

    form = open();
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptOffset", 3)->isChecked());
    control<QRadioButton>(form.get(), "OptOffset", 0)->click();
    clickClose(form.get());
    EXPECT_EQ(options_.offset, 0);
    EXPECT_EQ(stored("Offset"), "0");
}

TEST_F(FormOptionTest, StandardTimeAndIid3AreTheNegationsOfTheirPartners)
{
    auto form = open();
    control<QRadioButton>(form.get(), "OptTimeType", 1)->click();
    control<QRadioButton>(form.get(), "OptILYC", 1)->click();
    EXPECT_FALSE(control<QRadioButton>(form.get(), "OptTimeType", 0)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(form.get(), "OptILYC", 0)->isChecked());
    // The time-type and ILYC buttons sit in different groups from the offset buttons.
    EXPECT_TRUE(control<QRadioButton>(form.get(), "OptOffset", 0)->isChecked());
    clickClose(form.get());
    EXPECT_FALSE(options_.winAmpTime);
    EXPECT_FALSE(options_.ilyc);
    EXPECT_EQ(options_.offset, 0);
}

TEST_F(FormOptionTest, LineBreaksInTheNameAreDropped)
{
    auto form = open();
    control<QLineEdit>(form.get(), "TextTaggingBy")->setText(U("山田\r\n花子\n"));
    clickClose(form.get());
    EXPECT_EQ(options_.taggingBy, U("山田花子"));
}

TEST_F(FormOptionTest, ClosingByOtherMeansStoresNothing)
{
    const Options before = options_;
    {
        auto form = open();
        control<QCheckBox>(form.get(), "ChkUseExGenre")->click();
        control<QLineEdit>(form.get(), "TextTaggingBy")->setText(QStringLiteral("x"));
        form->close(); // the window's close button
        EXPECT_FALSE(form->stored());
    }
    {
        auto form = open();
        control<QRadioButton>(form.get(), "OptOffset", 3)->click();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->stored());
    }
    EXPECT_EQ(options_, before);
    EXPECT_TRUE(store_.entries().isEmpty());
}

// ---------------------------------------------------------------- the plug-in file

TEST_F(FormOptionTest, DeletedPluginFileShowsEmptyAndIsWrittenBackEmpty)
{
    options_.pluginIni = pluginIni_;
    ASSERT_TRUE(QFile::remove(pluginIni_));
    auto form = open(OptionTab::Etc);
    EXPECT_EQ(control<QLabel>(form.get(), "lblPluginIni")->text(), QString());
    clickClose(form.get());
    EXPECT_EQ(options_.pluginIni, QString());
    EXPECT_EQ(stored("PluginIni"), QString());
}

TEST_F(FormOptionTest, ClickingThePathAsksForPluginIniAndShowsTheChoice)
{
    options_.pluginIni = pluginIni_;
    const QString other = dir_.filePath(QStringLiteral("winamp/Plugins/plugin.ini"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("winamp/Plugins")));
    testsupport::WriteBytes(other, "");
    prompter_.answerText(other);

    auto form = open(OptionTab::Etc);
    auto* label = control<QLabel>(form.get(), "lblPluginIni");
    clickLabel(label);

    ASSERT_EQ(prompter_.prompts().size(), 1u);
    const ScriptedPrompter::Prompt& asked = prompter_.prompts().front();
    EXPECT_EQ(asked.kind, ScriptedPrompter::Prompt::Kind::OpenFile);
    EXPECT_EQ(asked.file.title, U("WinAmpのPlugin.iniを指定"));
    EXPECT_EQ(asked.file.filter, QStringLiteral("plugin.ini|plugin.ini"));
    EXPECT_EQ(asked.file.fileName, pluginIni_);
    EXPECT_EQ(asked.file.folder, dir_.path());
    EXPECT_TRUE(asked.file.mustExist);
    EXPECT_EQ(label->text(), other);

    clickClose(form.get());
    EXPECT_EQ(options_.pluginIni, other);
    EXPECT_EQ(stored("PluginIni"), other);
}

TEST_F(FormOptionTest, KeyboardOnThePathAlsoAsks)
{
    prompter_.answerText(pluginIni_);
    auto form = open(OptionTab::Etc);
    auto* label = control<QLabel>(form.get(), "lblPluginIni");
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(label, &space);
    EXPECT_EQ(prompter_.prompts().size(), 1u);
    EXPECT_EQ(label->text(), pluginIni_);
    EXPECT_TRUE(prompter_.prompts().front().file.fileName.isEmpty());
}

TEST_F(FormOptionTest, CancellingTheFileDialogKeepsThePreviousPath)
{
    options_.pluginIni = pluginIni_;
    prompter_.answerText(std::nullopt);
    auto form = open(OptionTab::Etc);
    clickLabel(control<QLabel>(form.get(), "lblPluginIni"));
    EXPECT_EQ(prompter_.prompts().size(), 1u);
    EXPECT_EQ(control<QLabel>(form.get(), "lblPluginIni")->text(), pluginIni_);
    clickClose(form.get());
    EXPECT_EQ(stored("PluginIni"), pluginIni_);
}

// ---------------------------------------------------------------- modal use

// Runs `action` on the dialog once it is the active modal window.
void WhenModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
    timer->start(10);
}

TEST_F(FormOptionTest, ShowOptionsDialogReturnsTrueOnlyWhenClosedWithTheCloseButton)
{
    WhenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), QStringLiteral("FormOption"));
        EXPECT_EQ(dialog->findChild<QTabBar*>("TB")->currentIndex(), 1);
        FindControl<QRadioButton>(dialog, "OptILYC", 1)->click();
        dialog->findChild<QPushButton*>("ComClose")->click();
    });
    EXPECT_TRUE(ShowOptionsDialog(nullptr, options_, store_, prompter_, OptionTab::Implant));
    EXPECT_FALSE(options_.ilyc);
    EXPECT_EQ(stored("ILYC"), "False");

    store_.clear();
    WhenModal([](QWidget* dialog) {
        FindControl<QRadioButton>(dialog, "OptILYC", 0)->click();
        static_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_FALSE(ShowOptionsDialog(nullptr, options_, store_, prompter_));
    EXPECT_FALSE(options_.ilyc);
    EXPECT_TRUE(store_.entries().isEmpty());
}

TEST_F(FormOptionTest, OnTheFirstRunTheHiddenMainWindowLeavesTheDialogCentredOnTheScreen)
{
    QWidget mainWindow; // not shown yet, as during start-up
    mainWindow.setGeometry(0, 0, 200, 100);
    QPoint centre;
    WhenModal([&centre](QWidget* dialog) {
        centre = dialog->frameGeometry().center();
        dialog->findChild<QPushButton*>("ComClose")->click();
    });
    EXPECT_TRUE(ShowOptionsDialog(&mainWindow, options_, store_, prompter_));
    const QPoint screenCentre = mainWindow.screen()->availableGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 4) << centre.x() << "," << centre.y();
}

// ---------------------------------------------------------------- look

// Every caption fits its control on every page (nothing clipped), with the Japanese UI
// font the program uses. With MWEX_SCREENSHOT_DIR set, each page is also saved as a PNG.
TEST_F(FormOptionTest, NoCaptionIsClippedOnAnyPage)
{
    const QFont before = QApplication::font();
    common::ApplyJapaneseUiFont(*qApp);
    options_.pluginIni = pluginIni_;
    options_.taggingBy = U("山田 花子");
    const QString shots = qEnvironmentVariable("MWEX_SCREENSHOT_DIR");
    const char* const keys[] = {"Hosei", "Implant", "Play", "etc"};
    for (int tab = 1; tab <= 4; ++tab) {
        auto form = open(static_cast<OptionTab>(tab));
        QApplication::processEvents();
        QWidget* page = control<QWidget>(form.get(), "FrameOption", tab);
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->isVisible() || (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLabel*>(w) && !qobject_cast<QGroupBox*>(w)
                                    && !qobject_cast<QComboBox*>(w)))
                continue;
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << tab << " " << w->objectName().toStdString();
            if (!qobject_cast<QGroupBox*>(w) && w->objectName() != QLatin1String("lblPluginIni")) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << tab << " " << w->objectName().toStdString();
            }
            EXPECT_GE(w->height(), w->minimumSizeHint().height()) << tab << " " << w->objectName().toStdString();
            EXPECT_TRUE(page->rect().contains(QRect(w->mapTo(page, QPoint(0, 0)), w->size())))
                << tab << " " << w->objectName().toStdString();
        }
        if (!shots.isEmpty()) {
            const QString file = QDir(shots).filePath(QStringLiteral("options-%1-%2.png").arg(tab).arg(QLatin1String(keys[tab - 1])));
            EXPECT_TRUE(form->grab().save(file)) << file.toStdString();
        }
    }
    QApplication::setFont(before);
}

} // namespace
