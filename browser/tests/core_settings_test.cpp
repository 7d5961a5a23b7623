#include "browser/core/prompter.h"
#include "browser/core/settingsstore.h"

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
