// The rename step's refusals, names and question, and the rows an operation takes.
#include "browser/fileops/fileoperation.h"
#include "browser/fileops/renamerules.h"
#include "testing/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace fileops;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

class RenameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        folder = tmp.path() + QLatin1Char('/');
        WriteBytes(folder + QStringLiteral("a.txt"), "lyrics a");
        WriteBytes(folder + QStringLiteral("b.txt"), "lyrics b");
    }
    // The whole road of a rename: checks, then the rename itself.
    RowRename renameRow(const QString& oldName, const QString& newName)
    {
        RowRename r = PrepareRowRename(folder, oldName, newName);
        if (r.check == RenameCheck::Ok) {
            EXPECT_TRUE(op.Rename(r.oldPath, r.newPath));
        }
        return r;
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir tmp;
    QString folder;
    clsFileOperation op;
};

} // namespace

TEST_F(RenameTest, ALetterCaseOnlyChangeIsTheSameName)
{
    const RowRename r = renameRow(QStringLiteral("a.txt"), QStringLiteral("A.mp3"));
    EXPECT_EQ(r.check, RenameCheck::SameName);
    EXPECT_EQ(r.message, QStringLiteral("すでに同じファイル名です。"));
    EXPECT_FALSE(r.warning);
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    EXPECT_EQ(ManualRenameName(QStringLiteral("A"), QStringLiteral("a")), std::nullopt);
    EXPECT_EQ(ManualRenameName(QString(), QStringLiteral("a")), std::nullopt);
}

TEST_F(RenameTest, AnExistingTargetIsRefusedAndBothFilesStay)
{
    const RowRename r = renameRow(QStringLiteral("a.txt"), QStringLiteral("b.mp3"));
    EXPECT_EQ(r.check, RenameCheck::Exists);
    EXPECT_EQ(r.message, QStringLiteral("同名ファイルが存在するためリネームできません。"));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("a.txt")), QByteArray("lyrics a"));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("b.txt")), QByteArray("lyrics b"));

    EXPECT_EQ(renameRow(QStringLiteral("gone.txt"), QStringLiteral("c")).message, QStringLiteral("対象ファイルが見つかりません。"));
}

TEST_F(RenameTest, TheTypedTextIsTheWholeNewBaseAndTheExtensionStays)
{
    EXPECT_EQ(ManualRenamePrompt(), QStringLiteral("新しい名前(拡張子を除く)を入力してください。"));
    const auto name = ManualRenameName(QStringLiteral("b.lrc"), QStringLiteral("a"));
    ASSERT_TRUE(name);
    const RowRename r = renameRow(QStringLiteral("a.txt"), *name);
    EXPECT_EQ(r.check, RenameCheck::Ok);
    EXPECT_EQ(r.question, QStringLiteral("a.txt　　を、\n\nb.lrc.txt　　に\n\nリネームします。よろしいですか？"));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("b.lrc.txt")), QByteArray("lyrics a"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("b.lrc.txt"), QStringLiteral("b.txt")}));
}

TEST_F(RenameTest, AFileWithoutExtensionGetsTheBaseAlone)
{
    WriteBytes(folder + QStringLiteral("README"), "readme");
    const RowRename r = renameRow(QStringLiteral("README"), *ManualRenameName(QStringLiteral("notes"), QStringLiteral("README")));
    EXPECT_EQ(r.newName, QStringLiteral("notes"));
    EXPECT_EQ(r.question, QStringLiteral("README　　を、\n\nnotes　　に\n\nリネームします。よろしいですか？"));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("notes")), QByteArray("readme"));
}

TEST_F(RenameTest, ATypedPathIsRefusedAndNothingMoves)
{
    QDir().mkpath(folder + QStringLiteral("sub"));
    for (const QString& typed : {QStringLiteral("../x"), QStringLiteral(".."), QStringLiteral("."), QStringLiteral("sub/x"),
                                QStringLiteral("sub\\x"), QStringLiteral("x") + QChar(u'\0') + QStringLiteral("y")}) {
        const RowRename r = renameRow(QStringLiteral("a.txt"), *ManualRenameName(typed, QStringLiteral("a")));
        EXPECT_EQ(r.check, RenameCheck::InvalidName) << typed.toStdString();
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_TRUE(r.warning);
    }
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    EXPECT_TRUE(QDir(folder + QStringLiteral("sub")).isEmpty());
    EXPECT_FALSE(QFile::exists(tmp.path() + QStringLiteral("/../x.txt")));
}

TEST(OperationRowsTest, MultiSelectionTakesCheckedRowsAndTheCurrentRowWhoseFilesExist)
{
    std::vector<browser::FileRow> rows(5);
    for (int i = 0; i < 5; ++i) {
        rows[size_t(i)].name = QStringLiteral("f%1.txt").arg(i);
        rows[size_t(i)].setCell(browser::Col::Path, QStringLiteral("/music/"));
    }
    rows[1].checked = rows[3].checked = rows[4].checked = true;
    const auto exists = [](const QString& path) { return path != QStringLiteral("/music/f4.txt"); };
    EXPECT_EQ(OperationRows(rows, 2, true, exists), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(OperationRows(rows, 2, false, exists), (std::vector<int>{2}));
    EXPECT_EQ(OperationRows(rows, 4, false, exists), (std::vector<int>{}));
    EXPECT_EQ(OperationRows(rows, -1, true, exists), (std::vector<int>{1, 3}));
}

TEST(DeleteQuestionTest, NamesTheCountAndTheMode)
{
    EXPECT_EQ(DeleteQuestion(3, true), QStringLiteral("選択された3個のファイルをごみ箱に移動しますか?"));
    EXPECT_EQ(DeleteQuestion(1, false), QStringLiteral("選択された1個のファイルを削除しますか?"));
}
