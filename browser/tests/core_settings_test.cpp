#include "testing/browser/scriptedprompter.h"
#include "testing/browser/memorysettingsstore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;

TEST(SettingsStore, TypedValuesReadBackAsWritten)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("MelwickEx.ini"));
    {
        IniSettingsStore store(file);
        StoreSetting(store, QStringLiteral("Option"), QStringLiteral("TaggingBy"), QString::fromUtf8("山田 (テスト)"));
        StoreSetting(store, QStringLiteral("Option"), QStringLiteral("WinAmpTime"), false);
        StoreSetting(store, QStringLiteral("Init"), QStringLiteral("SplitterX"), -120);
        StoreSetting(store, QStringLiteral("Init"), QStringLiteral("version"), 1.14);
        store.sync();
    }
    IniSettingsStore store(file);
    EXPECT_EQ(LoadSetting(store, QStringLiteral("Option"), QStringLiteral("TaggingBy"), QString()), QString::fromUtf8("山田 (テスト)"));
    EXPECT_FALSE(LoadSetting(store, QStringLiteral("Option"), QStringLiteral("WinAmpTime"), true));
    EXPECT_EQ(LoadSetting(store, QStringLiteral("Init"), QStringLiteral("SplitterX"), 0), -120);
    EXPECT_DOUBLE_EQ(LoadSetting(store, QStringLiteral("Init"), QStringLiteral("version"), -1.0), 1.14);
}

TEST(SettingsStore, AbsentOrUnreadableValuesGiveTheDefault)
{
    MemorySettingsStore store;
    EXPECT_TRUE(LoadSetting(store, QStringLiteral("Option"), QStringLiteral("ILYC"), true));
    EXPECT_EQ(LoadSetting(store, QStringLiteral("Init"), QStringLiteral("Mode1"), 1), 1);
    store.setText(QStringLiteral("Init"), QStringLiteral("Mode1"), QStringLiteral("abc"));
    store.setText(QStringLiteral("Option"), QStringLiteral("ILYC"), QStringLiteral("maybe"));
    EXPECT_EQ(LoadSetting(store, QStringLiteral("Init"), QStringLiteral("Mode1"), 1), 1);
    EXPECT_TRUE(LoadSetting(store, QStringLiteral("Option"), QStringLiteral("ILYC"), true));
    store.setText(QStringLiteral("Option"), QStringLiteral("ILYC"), QStringLiteral("-1"));
    EXPECT_TRUE(LoadSetting(store, QStringLiteral("Option"), QStringLiteral("ILYC"), false));
}

TEST(ScriptedPrompter, AnswersInOrderAndFlagsUnscriptedPrompts)
{
    ScriptedPrompter p;
    p.answer(Answer::Yes);
    p.answerText(QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(p.message(QStringLiteral("q?"), MessageIcon::Question, MessageButtons::YesNo), Answer::Yes);
    EXPECT_EQ(p.saveFile({}).value_or(QString()), QStringLiteral("/tmp/a.txt"));
    EXPECT_FALSE(p.hasUnexpected());
    EXPECT_EQ(p.message(QStringLiteral("again?"), MessageIcon::Question, MessageButtons::OkCancel), Answer::Cancel);
    EXPECT_TRUE(p.hasUnexpected());
    EXPECT_EQ(p.messages(), (QStringList{QStringLiteral("q?"), QStringLiteral("again?")}));
}

TEST(FileFilter, WindowsFormBecomesQtForm)
{
    EXPECT_EQ(ToQtFileFilter(QString::fromUtf8("歌詞ファイル|*.txt;*.lrc;*.kra")), QString::fromUtf8("歌詞ファイル (*.txt *.lrc *.kra)"));
    EXPECT_EQ(ToQtFileFilter(QString::fromUtf8("歌詞ファイル(*.txt;*.kra;*.lrc)|*.txt;*.kra;*.lrc")),
              QString::fromUtf8("歌詞ファイル (*.txt *.kra *.lrc)"));
    EXPECT_EQ(ToQtFileFilter(QStringLiteral("plugin.ini|plugin.ini")), QStringLiteral("plugin.ini (plugin.ini)"));
}

#include "browser/core/options.h"
#include "testing/testsupport.h"

TEST(Options, DefaultsOfAnEmptyStore)
{
    MemorySettingsStore store;
    const Options o = LoadOptions(store);
    EXPECT_TRUE(o.winAmpTime);
    EXPECT_TRUE(o.noAskTimeType);
    EXPECT_TRUE(o.ilyc);
    EXPECT_TRUE(o.renameMp3);
    EXPECT_FALSE(o.deleteAfterImplant);
    EXPECT_FALSE(o.useExGenre);
    EXPECT_EQ(o.offset, 0);
    EXPECT_TRUE(o.taggingBy.isEmpty());
}

TEST(Options, WrittenAndReadBackIdentical)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("plugin.ini"));
    testsupport::WriteBytes(ini, "[Pemrick's Lyrics Common]\r\n");
    Options o;
    o.taggingBy = QString::fromUtf8("作成者");
    o.winAmpTime = false;
    o.noAskTimeType = false;
    o.offset = 3;
    o.ilyc = false;
    o.deleteAfterImplant = true;
    o.renameMp3 = false;
    o.fukaInputSleep = 2;
    o.fukaLyrics = 1;
    o.pluginIni = ini;
    o.useExGenre = true;
    MemorySettingsStore store;
    StoreOptions(store, o);
    EXPECT_EQ(store.entries().size(), 11);
    EXPECT_EQ(LoadOptions(store), o);
}

TEST(Options, MissingPluginIniReadsAsEmpty)
{
    MemorySettingsStore store;
    store.setText(QStringLiteral("Option"), QStringLiteral("PluginIni"), QStringLiteral("/nonexistent/plugin.ini"));
    EXPECT_TRUE(LoadOptions(store).pluginIni.isEmpty());
}

TEST(Options, LoadSettingsMapToIntervals)
{
    EXPECT_EQ(PressIntervalMs(0), 1);
    EXPECT_EQ(PressIntervalMs(1), 20);
    EXPECT_EQ(PressIntervalMs(2), 400);
    EXPECT_EQ(EngineInputSleep(0), 1);
    EXPECT_EQ(EngineInputSleep(1), 5);
    EXPECT_EQ(EngineInputSleep(2), 25);
}
