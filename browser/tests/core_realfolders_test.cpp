// A pane's folder at start and exit, and the encoding a save falls back to.
#include "browser/core/saveformat.h"

#include "common/utf8text.h"
#include "browser/core/startfolder.h"
#include "common/unencodable.h"
#include "testing/browser/scriptedprompter.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;

namespace {

using common::U;

TEST(StartFolder, AGoneFolderOpensItsNearestParentAndIsKeptUntilTheUserMoves)
{
    QTemporaryDir dir;
    const QString root = QDir::cleanPath(dir.path());
    QDir().mkpath(root + "/a/b");
    const QString home = root + "/home";

    EXPECT_EQ(NearestListableFolder(root + "/a/b", home), root + "/a/b");
    EXPECT_EQ(NearestListableFolder(root + "/a/b/gone/deeper/", home), root + "/a/b");
    EXPECT_EQ(NearestListableFolder("C:\\Music", home), home);
    EXPECT_EQ(NearestListableFolder(QString(), home), home);
    EXPECT_EQ(NearestListableFolder("/", home), "/");

    const StartFolder gone = ChooseStartFolder(root + "/a/b/gone", home);
    EXPECT_EQ(gone.shown, root + "/a/b");
    EXPECT_EQ(gone.toStore(root + "/a/b"), root + "/a/b/gone") << "the stand-in is not saved";
    EXPECT_EQ(gone.toStore(root + "/a"), root + "/a") << "a folder the user chose is";
    const StartFolder kept = ChooseStartFolder(root + "/a", home);
    EXPECT_EQ(kept.toStore(root + "/a"), root + "/a");
}

TEST(SaveFormat, TextCp932CannotHoldIsNamedAndMaySaveAsUtf8WithBom)
{
    QTemporaryDir dir;
    const QString sjis = dir.filePath("sjis.txt");
    const QString utf8 = dir.filePath("utf8.txt");
    {
        QFile f(sjis);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(testsupport::Sjis("歌詞\r\n"));
        QFile g(utf8);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write("\xEF\xBB\xBF" "x\r\n");
    }
    // Seven characters CP932 cannot hold on lines 1, 3 and 5; the message lists five.
    const QString text = U("a😀\r\n歌詞\r\nłłł\nb\rĀĀ☺\r\n");
    int total = 0;
    const QList<common::Unencodable> found = common::FindCp932Unencodable(text, 5, &total);
    EXPECT_EQ(total, 7);
    ASSERT_EQ(found.size(), 5);
    EXPECT_EQ(found[0].line, 1);
    EXPECT_EQ(found[0].character, U("'😀' (U+1F600)"));
    EXPECT_EQ(found[1].line, 3);
    EXPECT_EQ(found[4].line, 5);
    EXPECT_EQ(found[4].character, U("'Ā' (U+0100)"));

    ScriptedPrompter prompter;
    prompter.answer(Answer::No);
    const SaveFormatChoice declined = ChooseSaveFormat(prompter, sjis, text);
    EXPECT_FALSE(declined.save);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].text,
              U("sjis.txt は Shift_JIS (CP932) のファイルですが、次の文字は Shift_JIS で保存できません。\n\n"
                "  1 行目: '😀' (U+1F600)\n  3 行目: 'ł' (U+0142)\n  3 行目: 'ł' (U+0142)\n  3 行目: 'ł' (U+0142)\n"
                "  5 行目: 'Ā' (U+0100)\n  ほか 2 文字\n\nUTF-8 (BOM 付き) で保存しますか？\n「いいえ」を選ぶと保存しません。"));

    prompter.answer(Answer::Yes);
    const SaveFormatChoice utf8Choice = ChooseSaveFormat(prompter, sjis, text);
    EXPECT_TRUE(utf8Choice.save);
    EXPECT_EQ(utf8Choice.format, (common::TextFormat{common::TextEncoding::Utf8, true}));

    // Text CP932 holds, or a file that is UTF-8 already: no question, the file's own encoding.
    prompter.clear();
    EXPECT_TRUE(ChooseSaveFormat(prompter, sjis, U("歌詞だけ\r\n")).save);
    EXPECT_FALSE(ChooseSaveFormat(prompter, utf8, text).format.has_value());
    EXPECT_TRUE(prompter.prompts().empty());
}

} // namespace
