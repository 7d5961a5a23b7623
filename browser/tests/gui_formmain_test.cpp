#include "browser/tests/guifixture.h"

#include "browser/core/filepane.h"
#include "browser/gui/filelistmodel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include "browser/gui/formoption.h"
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

using namespace browser;
using browser::fakes::WindowTest;


namespace {

const QStringList kExitKeys = [] {
    QStringList keys;
    for (const char* k : {"version", "Mode0", "Mode1", "Top", "Left", "Width", "Height", "SplitterX", "SplitterY", "SplitterXM",
                          "SplitterYM", "WindowState", "QuickListMax", "OpLoad", "OpToolTip", "LastFolder0", "LastFolder1",
                          "SubFolder0", "SubFolder1", "AutoSelect", "DustBox"})
        keys << QStringLiteral("Init/") + QString::fromLatin1(k);
    for (int n = 1; n <= 11; ++n)
        keys << QStringLiteral("LVS0/%1").arg(n) << QStringLiteral("LVP0/%1").arg(n);
    for (int n = 1; n <= 16; ++n)
        keys << QStringLiteral("LVS1/%1").arg(n) << QStringLiteral("LVP1/%1").arg(n);
    keys << QStringLiteral("Okuri/MaxmSec");
    keys.sort();
    return keys;
}();

QStringList SortedKeys(const MemorySettingsStore& store)
{
    QStringList keys = store.entries().keys();
    keys.sort();
    return keys;
}

} // namespace

// Start-up and exit.

TEST_F(WindowTest, FirstRunWelcomesTheUserAndOpensTheOptions)
{
    FormMain& w = Open();
    ASSERT_TRUE(started);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].text, QString::fromUtf8("まず初期設定をしてください。"));
    EXPECT_EQ(prompter.prompts()[0].title, QString::fromUtf8("Melwick Ex へようこそ"));
    EXPECT_EQ(prompter.prompts()[0].icon, MessageIcon::Information);
    ASSERT_EQ(optionsOpened.size(), 1u);
    EXPECT_EQ(optionsOpened[0], std::make_pair(1, true));
    EXPECT_TRUE(w.options().winAmpTime);
    EXPECT_TRUE(store.entries().isEmpty()); // nothing is written before the first exit

    EXPECT_TRUE(Find<QAbstractButton>("OptFileTypeLeft0")->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>("OptFileTypeRight1")->isChecked());
    EXPECT_EQ(w.size(), FormMain::DesignSize());
    EXPECT_TRUE(Find<QAction>("AutoLoad")->isChecked());
    EXPECT_TRUE(Find<QAction>("mnOptionAutoLoad")->isChecked());
    EXPECT_FALSE(Find<QAction>("AutoSelect")->isChecked());
    EXPECT_EQ(Find<QLabel>("lblTitle0")->text(), folder);
    EXPECT_EQ(w.paneFolder(1), folder);
    // The lyrics pane opens at about a third of the window.
    const int lowerThird = qMax(FormMain::kLowerMin, w.clientHeightTwips() / 3);

    Close();
    EXPECT_EQ(store.text("Init", "version", {}), "1.14");
    EXPECT_EQ(store.text("Init", "DustBox", {}), "True");
    EXPECT_EQ(store.text("Init", "OpLoad", {}), "1");
    EXPECT_EQ(store.text("Init", "AutoSelect", {}), "0");
    EXPECT_EQ(store.text("Init", "Mode0", {}), "0");
    EXPECT_EQ(store.text("Init", "Mode1", {}), "1");
    EXPECT_NEAR(store.text("Init", "SplitterY", {}).toInt(), lowerThird, 30);
    EXPECT_EQ(store.text("Init", "QuickListMax", {}), "0");
    EXPECT_FALSE(store.contains("Init", "QuickList1"));
}

TEST_F(WindowTest, ALaterRunHasNoWelcome)
{
    MarkNotFirstRun();
    Open();
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_TRUE(optionsOpened.empty());
}

TEST_F(WindowTest, ExitWritesExactlyTheWindowKeys)
{
    MarkNotFirstRun();
    store.setText("Option", "TaggingBy", "someone");
    Open();
    store.clear();
    Close();
    EXPECT_EQ(SortedKeys(store), kExitKeys); // and no "Option" key
}

TEST_F(WindowTest, SettingsWrittenAtExitReadBackIdentical)
{
    MarkNotFirstRun();
    QDir().mkpath(folder + "/left");
    QDir().mkpath(folder + "/right");
    store.setText("Init", "Mode0", "1");
    store.setText("Init", "Mode1", "0");
    store.setText("Init", "SubFolder1", "1");
    store.setText("Init", "AutoSelect", "1");
    store.setText("Init", "OpLoad", "0");
    store.setText("Init", "OpToolTip", "False");
    store.setText("Init", "DustBox", "False");
    store.setText("Init", "LastFolder0", folder + "/left");
    store.setText("Init", "LastFolder1", folder + "/right");
    store.setText("Init", "QuickListMax", "2");
    store.setText("Init", "QuickList1", "/music/a");
    store.setText("Init", "QuickList2", QString::fromUtf8("/音楽/b"));
    store.setText("Init", "Width", "16005");
    store.setText("Init", "Height", "11010");
    store.setText("Init", "Top", "300");
    store.setText("Init", "Left", "450");
    store.setText("Init", "SplitterX", "7000");
    store.setText("Init", "SplitterY", "2500");
    store.setText("LVS0", "3", "1234");
    store.setText("LVP1", "1", "16");
    store.setText("LVP1", "16", "1");
    store.setText("Okuri", "MaxmSec", "750");
    Open();
    EXPECT_TRUE(Find<QAbstractButton>("OptFileTypeLeft1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("ChkSubFolder1")->isChecked());
    EXPECT_TRUE(Find<QAction>("mnOptionAutoSelect")->isChecked());
    EXPECT_FALSE(Find<QAction>("AutoLoad")->isChecked());
    EXPECT_FALSE(Find<QAction>("mnOptionToolTip")->isChecked());
    EXPECT_TRUE(Find<QAction>("AutoLoad")->toolTip().isEmpty() || Find<QAction>("AutoLoad")->toolTip() == "AutoLoad");
    EXPECT_EQ(window->paneFolder(0), folder + "/left");
    EXPECT_EQ(Find<QAction>("mnQuickList2")->text(), QString::fromUtf8("/音楽/b"));
    EXPECT_EQ(window->splitX(), 7000);
    const auto first = store.entries();
    Close();
    const auto written = store.entries();
    for (auto it = first.begin(); it != first.end(); ++it)
        EXPECT_EQ(written.value(it.key()), it.value()) << it.key().toStdString();
    Open();
    Close();
    EXPECT_EQ(store.entries(), written);
}

TEST_F(WindowTest, PlacementOffScreenOrTooSmallIsCorrected)
{
    MarkNotFirstRun();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    store.setText("Init", "Top", "-10");
    store.setText("Init", "Left", QString::number(PixelsToTwips(screen.width() + 10)));
    store.setText("Init", "Width", "1500");
    store.setText("Init", "Height", "900");
    FormMain& w = Open();
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    EXPECT_EQ(w.size(), FormMain::DesignSize());
    Close();
    EXPECT_EQ(store.text("Init", "Top", {}), "0");
    EXPECT_EQ(store.text("Init", "Width", {}), QString::number(PixelsToTwips(FormMain::DesignSize().width())));
}

TEST_F(WindowTest, SplitterValuesOutOfRangeAreClamped)
{
    MarkNotFirstRun();
    store.setText("Init", "SplitterX", "-500");
    store.setText("Init", "SplitterY", "999999");
    FormMain& w = Open();
    EXPECT_EQ(w.splitX(), w.minLeftWidth());
    EXPECT_EQ(w.splitY(), w.minTopHeight()); // the lower area as tall as it can be
    w.ApplyLayout(w.clientWidthTwips() * 2, 0);
    EXPECT_EQ(w.splitX(), w.clientWidthTwips() - w.minLeftWidth());
    EXPECT_EQ(w.splitY(), w.minTopHeight());
    w.ApplyLayout(0, w.clientHeightTwips());
    EXPECT_EQ(w.splitY(), w.clientHeightTwips() - FormMain::kLowerMin);
    // The splitters follow: the left pane is exactly as wide as recorded.
    EXPECT_EQ(Find<QWidget>("FramePane0")->width(), TwipsToPixels(w.minLeftWidth()));
}

TEST_F(WindowTest, MaximizedWindowUsesTheMaximizedSplitterPair)
{
    MarkNotFirstRun();
    store.setText("Init", "WindowState", "2");
    store.setText("Init", "SplitterX", "6000");
    // Within the limits of the test screen's maximized window (796 pixels wide).
    store.setText("Init", "SplitterXM", "5500");
    store.setText("Init", "SplitterYM", "5000");
    FormMain& w = Open();
    EXPECT_TRUE(w.isMaximized());
    EXPECT_EQ(w.splitXMax(), 5500);
    EXPECT_EQ(w.splitYMax(), 5000);
    EXPECT_EQ(w.splitX(), 6000); // the normal pair is kept for later
    Close();
    EXPECT_EQ(store.text("Init", "WindowState", {}), "2");
    EXPECT_EQ(store.text("Init", "SplitterX", {}), "6000");
    EXPECT_EQ(store.text("Init", "SplitterXM", {}), "5500");
}

TEST_F(WindowTest, ASecondInstanceClosesAtOnceAndWritesNothing)
{
    otherInstance = true;
    Open();
    EXPECT_FALSE(started);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompter.prompts().empty());
    Close();
    EXPECT_TRUE(store.entries().isEmpty());
}

TEST_F(WindowTest, ToolTipsFollowTheMenuCheck)
{
    MarkNotFirstRun();
    Open();
    auto* tips = Find<QAction>("mnOptionToolTip");
    EXPECT_EQ(Find<QAction>("ReSearch")->toolTip(), QString::fromUtf8("ファイルリストの更新"));
    EXPECT_EQ(Find<QWidget>("ChkSubFolder0")->toolTip(), QString::fromUtf8("サブフォルダも読み込む"));
    tips->trigger();
    EXPECT_TRUE(Find<QWidget>("ChkSubFolder0")->toolTip().isEmpty());
    EXPECT_TRUE(Find<QWidget>("ComTextSave")->toolTip().isEmpty());
    tips->trigger();
    EXPECT_EQ(Find<QWidget>("ComTextSave")->toolTip(), QString::fromUtf8("上書保存"));
    EXPECT_EQ(Find<QWidget>("ComQuick1")->toolTip(), QString::fromUtf8("クイックアクセス … "));
}

TEST_F(WindowTest, EveryControlIsPresentUnderItsName)
{
    MarkNotFirstRun();
    Open();
    for (const char* name : {"TB", "SB", "ImgSplitter", "ImgSplitter2", "TextLyrics", "lblTextTitle", "ChkTextEdit", "ComTextSave",
                             "ComTextAllCopy", "ComTimeTag", "ComHosei", "ComPlayPause", "ComStop", "ComSelectLyrics",
                             "ComImplant", "scSeek", "lblTime", "lblLyrics0", "lblLyrics6", "lbWork1", "lbWork2",
                             "FrameLyricsInfo", "FrameMpegInfo", "FrameButtons0", "FrameFolder1", "FrameFile0", "DRV0",
                             "FTV1", "ListFile0", "ListFile1", "lblTitle0", "OptWindowsLeft0", "OptWindowsRight1",
                             "OptFileTypeLeft1", "OptFileTypeRight0", "ChkFilter0", "ChkSubFolder1", "ComQuick0",
                             "TB_ReSearch", "TB_Delete", "TB_Help"})
        EXPECT_NE(window->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    for (const char* name : {"Timer1", "TimerLyrics", "TimerPause", "TimerDrop", "mnFileFileList2", "mnFileRenameList1",
                             "mnEditCheckList3", "mnSelectLyricsList5", "mnSelectLyricsTimeType1", "mnRightClickList5",
                             "mnDropFileRename", "mnImplantMenu3", "mnImplantOption", "mnQuickList0", "mnQuickAdd",
                             "mnSelectSearchCondition", "Open", "Save", "Copy", "Move", "Delete", "RenameRtoL", "RenameLtoR",
                             "RenameManual", "SelectAll", "SelectInverse", "SelectNone", "SelectClear", "SelectSearch"})
        EXPECT_NE(window->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(Find<QMenuBar>("MenuBar")->actions().size(), 4);
    EXPECT_EQ(Find<QAction>("mnSelectLyricsList0")->text(), QString::fromUtf8("D&&Dされた歌詞ファイル"));
}

TEST_F(WindowTest, TheDeleteDropDownDecidesTheDustBoxSetting)
{
    MarkNotFirstRun();
    Open();
    Find<QAction>("Direct")->trigger();
    EXPECT_EQ(Find<QAction>("Delete")->property("image").toString(), "Delete2");
    Close();
    EXPECT_EQ(store.text("Init", "DustBox", {}), "False");
    Open();
    EXPECT_EQ(Find<QAction>("Delete")->property("image").toString(), "Delete2");
}

TEST_F(WindowTest, HelpOpensTheBundledPagesWhenNoHelpFileIsBesideTheProgram)
{
    MarkNotFirstRun();
    Open();
    Find<QAction>("mnHelpHelp")->trigger();
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
    ASSERT_EQ(openedUrls.size(), 1);
    QFile page(openedUrls.first().toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains(QString::fromUtf8("タイムタグの書き方")));
    EXPECT_TRUE(html.contains(QString::fromUtf8("演奏合わせの手順")));
}

TEST_F(WindowTest, TheOptionsDialogStoresItsValuesAndTheWindowAppliesThem)
{
    MarkNotFirstRun();
    realOptionsDialog = true;
    FormMain& w = Open();
    EXPECT_EQ(w.pressInterval(), 100); // until the options are first applied
    WhenShown([](QWidget* dialog) {
        auto* form = qobject_cast<FormOption*>(dialog);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->currentTab(), OptionTab::Hosei);
        form->findChild<QComboBox*>("ComboFuka1")->setCurrentIndex(2);
        form->findChild<QComboBox*>("ComboFuka0")->setCurrentIndex(1);
        form->findChild<QLineEdit*>("TextTaggingBy")->setText(QString::fromUtf8("作者"));
        form->findChild<QAbstractButton*>("OptOffset3")->click();
        form->findChild<QAbstractButton*>("OptTimeType1")->click();
        form->findChild<QAbstractButton*>("ComClose")->click();
    });
    Find<QAction>("mnOptionOther")->trigger();
    EXPECT_EQ(w.options().fukaLyrics, 2);
    EXPECT_EQ(w.options().fukaInputSleep, 1);
    EXPECT_EQ(w.options().taggingBy, QString::fromUtf8("作者"));
    EXPECT_EQ(w.options().offset, 3);
    EXPECT_FALSE(w.options().winAmpTime);
    EXPECT_EQ(store.text("Option", "FukaLyrics", {}), "2");
    EXPECT_EQ(store.text("Option", "Offset", {}), "3");
    EXPECT_EQ(store.text("Option", "WinAmpTime", {}), "False");
    EXPECT_EQ(w.pressInterval(), 400);
}

TEST_F(WindowTest, TheEmbeddingMenuOpensTheOptionsOnTheirEmbeddingPage)
{
    MarkNotFirstRun();
    realOptionsDialog = true;
    FormMain& w = Open();
    OptionTab shown = OptionTab::Etc;
    WhenShown([&](QWidget* dialog) {
        shown = qobject_cast<FormOption*>(dialog)->currentTab();
        dialog->findChild<QAbstractButton*>("ChkDeleteAfterImplant")->click();
        dialog->close(); // closing without "閉じる" keeps nothing
    });
    Find<QAction>("mnImplantOption")->trigger();
    EXPECT_EQ(shown, OptionTab::Implant);
    EXPECT_FALSE(w.options().deleteAfterImplant);
    EXPECT_FALSE(store.contains("Option", "DeleteAfterImplant"));
    EXPECT_EQ(w.pressInterval(), 100);
}

TEST_F(WindowTest, TheFirstRunOpensTheRealOptionsDialogBeforeTheWindow)
{
    realOptionsDialog = true;
    bool windowShown = true;
    WhenShown([&](QWidget* dialog) {
        windowShown = window->isVisible();
        dialog->findChild<QLineEdit*>("TextTaggingBy")->setText("me");
        dialog->findChild<QAbstractButton*>("ComClose")->click();
    });
    FormMain& w = Open();
    EXPECT_FALSE(windowShown);
    EXPECT_EQ(w.options().taggingBy, "me");
    EXPECT_EQ(store.text("Option", "TaggingBy", {}), "me");
    EXPECT_FALSE(store.contains("Init", "version")); // written at the first exit
    Close();
    EXPECT_EQ(store.text("Init", "version", {}), "1.14");
}

TEST_F(WindowTest, AFailedStartUpStepShowsItsLocateNumberAndCloses)
{
    FormMainServices s;
    s.prompter = &prompter;
    s.details = &fake; // no settings store: the first step that needs one fails
    FormMain w(std::move(s));
    EXPECT_FALSE(w.StartMainWindow());
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].startsWith(QString::fromUtf8("ErrorCode: 1MelwickEx, LoaceteNum: 0 でエラーが発生しました。\n")))
        << prompter.messages()[0].toStdString();
    EXPECT_EQ(prompter.prompts()[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(w.isVisible());
}
