// Check-mark commands, the condition and list extractions, and sorting by values.
#include "browser/core/filepane.h"
#include "browser/core/pairing.h"
#include "browser/lists/checks.h"
#include "browser/lists/namefilter.h"
#include "browser/core/sortkeys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace browser;
using namespace browser::lists;

namespace {

FileRow Row(const char* name, bool checked = false, const char* path = "/music/")
{
    FileRow r;
    r.name = QString::fromUtf8(name);
    r.checked = checked;
    r.setCell(Col::Path, QString::fromUtf8(path));
    r.icon = 9;
    return r;
}

QStringList Names(const FilePane& pane)
{
    QStringList out;
    for (const FileRow& r : pane.rows())
        out << r.name;
    return out;
}

QList<bool> Checks(const FilePane& pane)
{
    QList<bool> out;
    for (const FileRow& r : pane.rows())
        out << r.checked;
    return out;
}

TEST(CheckCommands, AllInverseNone)
{
    FilePane pane(0);
    pane.appendRows({Row("a.txt", true), Row("b.txt"), Row("c.txt")});
    EXPECT_EQ(ApplyCheckCommand(pane, CheckCommand::SelectInverse), 3);
    EXPECT_EQ(Checks(pane), (QList<bool>{false, true, true}));
    EXPECT_EQ(ApplyCheckCommand(pane, CheckCommand::SelectAll), 1);
    EXPECT_EQ(Checks(pane), (QList<bool>{true, true, true}));
    EXPECT_EQ(ApplyCheckCommand(pane, CheckCommand::SelectNone), 3);
    EXPECT_EQ(pane.countCheckedOrSelected(), 0);
}

TEST(CheckCommands, SelectClearRemovesCheckedRowsKeepsFilesAndRepairsMarks)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
        QFile f(folder + QLatin1String(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    FilePane left(0), right(1);
    left.mode = PaneMode::Lyrics;
    right.mode = PaneMode::Song;
    const QByteArray f = folder.toUtf8();
    left.appendRows({Row("a.txt", true, f.constData()), Row("b.txt", false, f.constData()), Row("c.txt", true, f.constData())});
    FileRow song = Row("a.mp3");
    song.icon = 1;
    right.appendRow(song);
    RepairAll(left, right);
    ASSERT_TRUE(right.row(0).paired());

    EXPECT_EQ(ClearCheckedRows(left, right), 2);
    EXPECT_EQ(Names(left), QStringList{"b.txt"});
    EXPECT_EQ(left.selectedRow(), 0);
    EXPECT_FALSE(right.row(0).paired()); // its partner left the list
    EXPECT_EQ(right.row(0).icon, 1);
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        EXPECT_TRUE(QFile::exists(folder + QLatin1String(n))) << n;

    ApplyCheckCommand(left, CheckCommand::SelectAll);
    ClearCheckedRows(left, right);
    EXPECT_TRUE(left.isEmpty());
    EXPECT_EQ(left.selectedRow(), -1);
}

TEST(Refilter, KeepsOnlyPassingRowsInOrder)
{
    FilePane left(0), right(1);
    left.appendRows({Row("live 1.txt"), Row("studio.txt"), Row("Live 2.txt")});
    EXPECT_EQ(RemoveRowsFailingFilter(left, right, {false, false, QStringLiteral("LIVE"), false}), 1);
    EXPECT_EQ(Names(left), (QStringList{"live 1.txt", "Live 2.txt"}));
}

TEST(ConditionExtraction, ChecksMatchingRowsKeepsOtherChecksSelectsFirst)
{
    FilePane pane(0);
    pane.mode = PaneMode::Lyrics;
    FileRow a = Row("a.txt"), b = Row("b.txt", true), c = Row("c.txt"), d = Row("d.txt");
    a.setCell(Col::Artist, QStringLiteral("Miku"));
    c.setCell(Col::Artist, QStringLiteral("MIKU feat. Rin"));
    pane.appendRows({a, b, c, d});
    const QStringList captions = ConditionColumnCaptions(PaneMode::Lyrics);
    const int artist = static_cast<int>(captions.indexOf(QString::fromUtf8("アーティスト")));

    const Extraction e = ApplyCondition(pane, {artist, QStringLiteral("miku"), false, ConditionOp::Contains});
    EXPECT_EQ(e.rows, (std::vector<int>{0, 2}));
    EXPECT_EQ(Checks(pane), (QList<bool>{true, true, true, false}));
    EXPECT_EQ(pane.selectedRow(), 0);

    // Case counts with the switch on; "を含む" never matches an empty cell.
    EXPECT_EQ(RowsMeetingCondition(pane.rows(), pane.mode, {artist, QStringLiteral("miku"), true, ConditionOp::Contains}),
              std::vector<int>{});
    // "と一致しない" takes every differing value, empty ones too.
    EXPECT_EQ(RowsMeetingCondition(pane.rows(), pane.mode, {artist, QStringLiteral("Miku"), false, ConditionOp::NotEquals}),
              (std::vector<int>{1, 2, 3}));
    // The first column is the file name.
    EXPECT_EQ(RowsMeetingCondition(pane.rows(), pane.mode, {0, QStringLiteral("D.TXT"), false, ConditionOp::Equals}),
              std::vector<int>{3});
    EXPECT_EQ(RowsMeetingCondition(pane.rows(), pane.mode, {0, QString(), false, ConditionOp::NotContains}),
              std::vector<int>{});
}

TEST(ListExtractions, PartnerNameAndTags)
{
    std::vector<FileRow> rows = {Row("A.txt"), Row("song 01.txt"), Row("my song-01 live.lrc"), Row("song-02.txt")};
    const std::vector<FileRow> other = {Row("a.mp3")};
    EXPECT_EQ(RowsWithPartner(rows, other), std::vector<int>{0});
    EXPECT_EQ(RowsMatchingName(rows, QStringLiteral("Song-01.mp3")), (std::vector<int>{1, 2}));

    rows[1].setCell(Col::Title, QString::fromUtf8("ソング"));
    rows[1].setCell(Col::Artist, QStringLiteral("MIKU"));
    rows[3].setCell(Col::Title, QString::fromUtf8("ｿﾝｸﾞ"));
    rows[3].setCell(Col::Artist, QStringLiteral("Miku"));
    FileRow selected = Row("x.mp3");
    selected.setCell(Col::Title, QString::fromUtf8("そんぐ"));
    EXPECT_EQ(RowsMatchingTags(rows, selected), std::vector<int>{}); // its artist is empty
    selected.setCell(Col::Artist, QStringLiteral("miku"));
    EXPECT_EQ(RowsMatchingTags(rows, selected), (std::vector<int>{1, 3})); // untagged rows 0 and 2 are not taken

    FilePane pane(0);
    pane.appendRows({Row("a.txt", true), Row("b.txt"), Row("c.txt")});
    const Extraction e = CheckRows(pane, {0, 2});
    EXPECT_EQ(e.first, 2); // the first newly checked row
    EXPECT_EQ(Checks(pane), (QList<bool>{true, false, true}));
}

QStringList SortedCells(const std::vector<FileRow>& rows, Col col, Qt::SortOrder order)
{
    QStringList out;
    for (int i : SortedOrder(rows, col, order))
        out << rows[static_cast<size_t>(i)].cell(col);
    return out;
}

std::vector<FileRow> RowsWith(Col col, const QStringList& texts)
{
    std::vector<FileRow> rows;
    for (const QString& t : texts) {
        FileRow r = Row("x.mp3");
        r.setCell(col, t);
        rows.push_back(r);
    }
    return rows;
}

TEST(SortKeys, SizesTimesPlayTimesAndBitRatesSortByValue)
{
    EXPECT_EQ(SortedCells(RowsWith(Col::Size, {"39 kB", "1,200 kB", "5 kB", "999 kB"}), Col::Size, Qt::AscendingOrder),
              (QStringList{"5 kB", "39 kB", "999 kB", "1,200 kB"}));
    EXPECT_EQ(SortedCells(RowsWith(Col::PlayTime, {"10:00", "9:59", "", "0:07"}), Col::PlayTime, Qt::AscendingOrder),
              (QStringList{"", "0:07", "9:59", "10:00"}));
    EXPECT_EQ(SortedCells(RowsWith(Col::Br, {"VBR", "128", "64", "320"}), Col::Br, Qt::DescendingOrder),
              (QStringList{"VBR", "320", "128", "64"}));
    EXPECT_EQ(SortedCells(RowsWith(Col::Timestamp, {"2024/01/02 10:00:00", "2023/12/31 23:59:59"}), Col::Timestamp,
                          Qt::AscendingOrder),
              (QStringList{"2023/12/31 23:59:59", "2024/01/02 10:00:00"}));
    // Other columns keep text order, ignoring case.
    EXPECT_EQ(SortedCells(RowsWith(Col::Version, {"2.5", "1", "10"}), Col::Version, Qt::AscendingOrder),
              (QStringList{"1", "10", "2.5"}));
    EXPECT_EQ(SortedCells(RowsWith(Col::Title, {"b", "A", "c"}), Col::Title, Qt::AscendingOrder),
              (QStringList{"A", "b", "c"}));
    EXPECT_LT(CompareCells(Col::Size, u"5 kB", u"39 kB"), 0);
}

} // namespace
