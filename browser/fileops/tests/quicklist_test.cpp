// The quick-access folder list: adding, editing, storing and choosing folders.
#include "browser/fileops/quicklist.h"
#include "testing/browser/memorysettingsstore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace fileops;

TEST(QuickListTest, AddingTheSameFolderTwiceKeepsOneEntryButLetterCaseCounts)
{
    QuickAccessList list;
    EXPECT_FALSE(list.separatorVisible());
    EXPECT_TRUE(list.add(QStringLiteral("/music/j-pop")));
    EXPECT_FALSE(list.add(QStringLiteral("/music/j-pop")));
    EXPECT_TRUE(list.add(QStringLiteral("/music/J-POP")));
    EXPECT_EQ(list.folders(), (QStringList{QStringLiteral("/music/j-pop"), QStringLiteral("/music/J-POP")}));
    EXPECT_TRUE(list.separatorVisible());
}

TEST(QuickListTest, AFolderWithAnAmpersandRoundTripsThroughMenuAndSettings)
{
    const QString folder = QStringLiteral("/music/Simon & Garfunkel/歌詞");
    QuickAccessList list;
    list.add(folder);
    list.add(QStringLiteral("/music/other"));
    const QList<QuickEntry> entries = list.menuEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].caption, QStringLiteral("/music/Simon && Garfunkel/歌詞"));
    EXPECT_EQ(entries[0].path, folder);

    browser::MemorySettingsStore store;
    list.store(store);
    EXPECT_EQ(store.text(QStringLiteral("Init"), QStringLiteral("QuickListMax"), {}), QStringLiteral("2"));
    EXPECT_EQ(store.text(QStringLiteral("Init"), QStringLiteral("QuickList1"), {}), folder);
    QuickAccessList back;
    back.load(store);
    EXPECT_EQ(back.folders(), list.folders());
}

TEST(QuickListTest, TheEditorMovesAndDeletesRowsAndAnEmptyListHidesTheSeparator)
{
    QuickAccessList list(QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")});
    EXPECT_EQ(list.moveUp(0), 0);
    EXPECT_EQ(list.moveDown(0), 1);
    EXPECT_EQ(list.moveDown(2), 2);
    EXPECT_EQ(list.moveUp(2), 1);
    EXPECT_EQ(list.folders(), (QStringList{QStringLiteral("/b"), QStringLiteral("/c"), QStringLiteral("/a")}));

    EXPECT_EQ(list.remove(1), 0); // the row above becomes selected
    EXPECT_EQ(list.remove(0), 0); // the new first row
    EXPECT_EQ(list.remove(0), -1);
    EXPECT_FALSE(list.separatorVisible());
    EXPECT_FALSE(list.canEdit());

    browser::MemorySettingsStore store;
    list.store(store);
    EXPECT_EQ(store.text(QStringLiteral("Init"), QStringLiteral("QuickListMax"), {}), QStringLiteral("0"));
    EXPECT_FALSE(store.contains(QStringLiteral("Init"), QStringLiteral("QuickList1")));
}

TEST(QuickListTest, ChoosingAFolderThatIsGoneKeepsThePaneWhereItWas)
{
    QTemporaryDir tmp;
    const QString here = tmp.path();
    EXPECT_EQ(ChooseQuickFolder(here + QStringLiteral("/gone"), here).folder, here);
    EXPECT_FALSE(ChooseQuickFolder(here + QStringLiteral("/gone"), here).moved);
    EXPECT_EQ(ChooseQuickFolder(QStringLiteral("/"), here).folder, QStringLiteral("/"));
    EXPECT_EQ(SameFolderCaption(0), QStringLiteral("右と同じフォルダを選択"));
    EXPECT_EQ(SameFolderCaption(1), QStringLiteral("左と同じフォルダを選択"));
}
