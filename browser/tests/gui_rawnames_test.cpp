// Files whose names are not UTF-8 (Shift_JIS names from old Windows archives) in the
// window: listed and counted with their CP932 reading, shown, played, and renamed to
// UTF-8 after a preview without overwriting anything.
#include "browser/tests/guifixture.h"

#include "browser/gui/filelistmodel.h"
#include "browser/gui/rawnames/rawnames.h"
#include "common/codepage.h"
#include "common/rawname.h"
#include "common/utf8text.h"
#include "testing/folders/oddfolder.h"
#include "testing/testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

using namespace browser;
using namespace browser::fakes;

namespace {

using common::U;

class RawNamesTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        QString error;
        odd = testfolder::MakeOddFolder(folder, &error);
        ASSERT_TRUE(odd) << error.toStdString();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        testfolder::RemoveTree(folder); // QTemporaryDir cannot see the Shift_JIS names
    }
    FormMain& OpenListing()
    {
        FormMain& w = Open();
        ListFiles(0);
        ListFiles(1);
        return w;
    }
    /// The row whose name reads `shown` (CP932 for a Shift_JIS name).
    int Row(int pane, const QString& shown) const
    {
        for (int r = 0; r < window->pane(pane).rowCount(); ++r)
            if (common::DisplayPath(window->pane(pane).row(r).name) == shown)
                return r;
        return -1;
    }
    QString Shown(int pane, int row) const
    {
        const FileListModel& model = window->listModel(pane);
        return model.data(model.index(row, 0), Qt::DisplayRole).toString();
    }
    QByteArray Bytes(const QString& path) const { return testsupport::ReadBytes(QString::fromLocal8Bit(common::NativePath(path))); }
    bool Exists(const QString& path) const { return common::StatPath(path).has_value(); }

    std::optional<testfolder::OddFolder> odd;
};

} // namespace

TEST_F(RawNamesTest, ShiftJisNamesAreListedCountedShownAndPlayed)
{
    FormMain& w = OpenListing();
    // Every lyrics file Qt lists, plus the two Shift_JIS ones it leaves out.
    const int qtListed = int(QDir(folder).entryList({"*.txt", "*.kra", "*.lrc"}, QDir::Files | QDir::Hidden | QDir::System).size());
    EXPECT_EQ(w.pane(0).rowCount(), qtListed + 2);
    // The title counts the rows as soon as the listing is done.
    EXPECT_EQ(Find<QLabel>("lblTitle0")->text(), QStringLiteral("(0 / %1) ").arg(qtListed + 2) + folder);
    const int lyricsRow = Row(0, U("旧名の歌.txt"));
    ASSERT_GE(lyricsRow, 0);
    EXPECT_EQ(Shown(0, lyricsRow), U("〔SJIS〕旧名の歌.txt"));
    EXPECT_EQ(Shown(0, Row(0, U("ソースの歌.txt"))), U("〔SJIS〕ソースの歌.txt"));
    EXPECT_EQ(Shown(0, Row(0, U("普通の歌.txt"))), U("普通の歌.txt"));
    const int songRow = Row(1, U("旧名の歌.mp3"));
    ASSERT_GE(songRow, 0);
    EXPECT_EQ(Shown(1, songRow), U("〔SJIS〕旧名の歌.mp3"));

    // Shown: its text, its name read as CP932 in the title and the status bar; it cannot
    // be edited (it could not be saved under that name).
    w.ShowRow(0, lyricsRow);
    EXPECT_EQ(w.lyricsText(), testfolder::SjisLyricsText());
    EXPECT_EQ(Find<QLabel>("lblTextTitle")->text(), U("〔SJIS〕旧名の歌.txt"));
    EXPECT_FALSE(Find<QCheckBox>("ChkTextEdit")->isEnabled());

    // The song plays by its real bytes.
    w.ShowRow(1, songRow);
    Find<QAbstractButton>("ComPlayPause")->click();
    EXPECT_EQ(engine->vbmp3_getState(nullptr), 1);
    Find<QAbstractButton>("ComStop")->click();

    // The row menu offers the rename to UTF-8 while the list holds such names.
    auto* menu = Find<QMenu>("mnRightClick");
    Q_EMIT menu->aboutToShow();
    auto* one = menu->findChild<QAction*>("mnRawRenameOne");
    ASSERT_NE(one, nullptr);
    EXPECT_TRUE(one->isVisible());
    EXPECT_TRUE(one->isEnabled());
    EXPECT_TRUE(w.commands().isEnabled("RenameRawName"));
    EXPECT_FALSE(prompter.hasUnexpected()) << prompter.messages().join(" | ").toStdString();
}

TEST_F(RawNamesTest, RenameToUtf8PreviewsRenamesAndNeverOverwrites)
{
    // A UTF-8 file already holds the name one Shift_JIS name would take.
    const QString taken = odd->folder + U("ソースの歌.txt");
    Touch(U("ソースの歌.txt"), "already here");
    FormMain& w = OpenListing();
    w.ShowRow(0, Row(0, U("旧名の歌.txt")));
    EXPECT_TRUE(w.pane(0).row(Row(0, U("旧名の歌.txt"))).paired());

    // One file: the preview shows the old name as read and the new one; 変換 renames.
    QStringList preview;
    WhenShown([&](QWidget* dialog) {
        auto* table = dialog->findChild<QTableWidget*>("ListRawRename");
        ASSERT_NE(table, nullptr);
        for (int r = 0; r < table->rowCount(); ++r)
            preview << table->item(r, 0)->text() + " > " + table->item(r, 1)->text() + " : " + table->item(r, 2)->text();
        dialog->findChild<QPushButton*>("ComOK")->click();
    });
    w.RunCommand("RenameRawName");
    EXPECT_EQ(preview, QStringList{U("旧名の歌.txt > 旧名の歌.txt : 変換します")});
    const QString renamed = odd->folder + U("旧名の歌.txt");
    EXPECT_EQ(Bytes(renamed), *common::EncodeCp932(testfolder::SjisLyricsText()));
    EXPECT_FALSE(Exists(odd->sjisLyrics));
    const int row = Row(0, U("旧名の歌.txt"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(w.pane(0).row(row).name, U("旧名の歌.txt"));
    EXPECT_EQ(Shown(0, row), U("旧名の歌.txt"));
    EXPECT_EQ(w.currentFile(), renamed); // the lyrics pane follows its file
    EXPECT_TRUE(Find<QCheckBox>("ChkTextEdit")->isEnabled());

    // All in the folder: the song takes its UTF-8 name (and pairs again), the taken name
    // is left alone on both sides, the sub-folder is renamed too.
    preview.clear();
    WhenShown([&](QWidget* dialog) {
        auto* table = dialog->findChild<QTableWidget*>("ListRawRename");
        for (int r = 0; r < table->rowCount(); ++r)
            preview << table->item(r, 0)->text() + " > " + table->item(r, 1)->text() + " : " + table->item(r, 2)->text();
        dialog->findChild<QPushButton*>("ComOK")->click();
    });
    prompter.answer(Answer::Ok);
    w.RunCommand("RenameRawNames");
    EXPECT_EQ(preview, QStringList({U("ソースの歌.txt > ソースの歌.txt : 同名のファイルがあるため変換しません"),
                                    U("旧フォルダ > 旧フォルダ : 変換します"), U("旧名の歌.mp3 > 旧名の歌.mp3 : 変換します")}));
    EXPECT_EQ(testsupport::ReadBytes(taken), QByteArray("already here"));
    EXPECT_TRUE(Exists(odd->sjisBackslash));
    EXPECT_FALSE(Exists(odd->sjisSong));
    EXPECT_TRUE(QFileInfo(odd->folder + U("旧名の歌.mp3")).isFile());
    EXPECT_TRUE(QFileInfo(odd->folder + U("旧フォルダ/")).isDir());
    EXPECT_EQ(w.pane(1).row(Row(1, U("旧名の歌.mp3"))).name, U("旧名の歌.mp3"));
    EXPECT_TRUE(w.pane(0).row(Row(0, U("旧名の歌.txt"))).paired());
    EXPECT_TRUE(w.pane(1).row(Row(1, U("旧名の歌.mp3"))).paired());
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].contains(U("ソースの歌.txt: 同名のファイルがあるため変換しません")))
        << prompter.messages()[0].toStdString();
    EXPECT_FALSE(prompter.hasUnexpected());
}
