#include "browser/core/columns.h"
#include "browser/core/filepane.h"
#include "browser/core/filerow.h"
#include "browser/core/localtime.h"
#include "browser/core/sortkeys.h"
#include "testing/browser/memorysettingsstore.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTimeZone>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <time.h>

using namespace browser;

namespace {
QStringList Keys(PaneMode mode)
{
    QStringList keys;
    for (const ColumnDef& c : ModeColumns(mode))
        keys << c.key;
    return keys;
}
} // namespace

TEST(Columns, EachModeHasItsColumnsInCreationOrder)
{
    EXPECT_EQ(Keys(PaneMode::Lyrics), QStringList({"filename", "size", "timestamp", "ext", "artist", "title", "tagtype",
                                                   "timetype", "taggingby", "match", "path"}));
    EXPECT_EQ(Keys(PaneMode::Song), QStringList({"filename", "size", "timestamp", "ext", "artist", "title", "album", "comment",
                                                 "tags", "version", "layer", "sr", "br", "playtime", "match", "path"}));
    EXPECT_EQ(ModeColumns(PaneMode::Lyrics).at(6).caption, QString::fromUtf8("タグ"));
    EXPECT_EQ(ModeColumns(PaneMode::Song).at(13).caption, QString::fromUtf8("演奏時間"));
    EXPECT_TRUE(ModeColumns(PaneMode::Song).at(2).alignRight);  // time is right-aligned for songs
    EXPECT_FALSE(ModeColumns(PaneMode::Lyrics).at(2).alignRight); // and left for lyrics
    EXPECT_EQ(ColumnIndex(PaneMode::Song, Col::Match), 14);
    EXPECT_EQ(ColumnIndex(PaneMode::Lyrics, Col::Album), -1);
}

TEST(Columns, KeysMapBothWays)
{
    for (int i = 0; i < kCellCount; ++i) {
        const Col col = static_cast<Col>(i);
        EXPECT_EQ(ColumnFromKey(ColumnKeyName(col)), col);
    }
    EXPECT_FALSE(ColumnFromKey(u"dummy").has_value());
    EXPECT_FALSE(ColumnFromKey(u"Artist").has_value()); // keys are exact
}

TEST(ColumnLayout, DefaultsAreTheTablesValues)
{
    const ColumnLayout layout;
    EXPECT_EQ(layout.width(PaneMode::Lyrics, 1), 1700);
    EXPECT_EQ(layout.width(PaneMode::Lyrics, 10), 500);
    EXPECT_EQ(layout.width(PaneMode::Song, 10), 250);
    EXPECT_EQ(layout.width(PaneMode::Song, 16), 1700);
    EXPECT_EQ(layout.position(PaneMode::Song, 7), 7);
    EXPECT_EQ(layout.displayOrder(PaneMode::Lyrics), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(ColumnLayout, StoredPositionsGiveTheDisplayOrder)
{
    ColumnLayout layout;
    // Column 11 ("path") first, then the rest in their order.
    for (int n = 1; n <= 10; ++n)
        layout.setPosition(PaneMode::Lyrics, n, n + 1);
    layout.setPosition(PaneMode::Lyrics, 11, 1);
    EXPECT_EQ(layout.displayOrder(PaneMode::Lyrics), QList<int>({11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    // Duplicate and out-of-range positions: the first column holding a position wins it,
    // the others stay where the moves leave them.
    ColumnLayout odd;
    odd.setPosition(PaneMode::Lyrics, 1, 2);
    odd.setPosition(PaneMode::Lyrics, 2, 2);
    odd.setPosition(PaneMode::Lyrics, 3, 99);
    const QList<int> order = odd.displayOrder(PaneMode::Lyrics);
    EXPECT_EQ(order.size(), 11);
    EXPECT_EQ(order.at(1), 1);
    EXPECT_EQ(QSet<int>(order.begin(), order.end()).size(), 11);
}

TEST(ColumnLayout, WrittenAndReadBackIdentical)
{
    ColumnLayout layout;
    layout.setWidth(PaneMode::Lyrics, 3, 1234);
    layout.setWidth(PaneMode::Song, 16, 3000);
    layout.setPosition(PaneMode::Song, 1, 16);
    layout.setPosition(PaneMode::Song, 16, 1);
    MemorySettingsStore store;
    StoreColumnLayout(store, layout);
    EXPECT_EQ(store.entries().size(), 2 * 11 + 2 * 16);
    EXPECT_EQ(store.text("LVS0", "3", {}), "1234");
    EXPECT_EQ(store.text("LVP1", "16", {}), "1");
    EXPECT_EQ(LoadColumnLayout(store), layout);
    EXPECT_EQ(LoadColumnLayout(MemorySettingsStore()), ColumnLayout());
}

TEST(Twips, StoredValuesSurviveTheConversionToPixels)
{
    EXPECT_EQ(TwipsToPixels(1700), 113);
    EXPECT_EQ(TwipsToPixels(1874), 125);
    EXPECT_EQ(KeepTwips(1700, 113), 1700); // unchanged width keeps its stored value
    EXPECT_EQ(KeepTwips(1700, 120), 1800); // a new width is stored from its pixels
}

TEST(CellText, SizesTimesAndStreamFacts)
{
    EXPECT_EQ(FormatLyricsSize(1234567), "1,234,567 B");
    EXPECT_EQ(FormatLyricsSize(999), "999 B");
    EXPECT_EQ(FormatLyricsSize(0), "0 B");
    EXPECT_EQ(FormatSongSize(1499), "1 kB");
    EXPECT_EQ(FormatSongSize(1500), "2 kB");
    EXPECT_EQ(FormatSongSize(4321987), "4,322 kB");
    EXPECT_EQ(FormatSongSize(100), "0 kB");
    EXPECT_EQ(FormatTimestamp(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6))), "2001/02/03 04:05:06");
    EXPECT_EQ(ExtensionCell("Song.MP3"), "mp3");
    EXPECT_EQ(ExtensionCell("a.text"), "ext");
    EXPECT_EQ(FormatPlayTime(65), "1:05");
    EXPECT_EQ(FormatPlayTime(0), "0:00");
    EXPECT_EQ(FormatPlayTime(3700), "61:40"); // an hour and more keeps counting minutes
    EXPECT_EQ(FormatMpegVersion(3), "2.5");
    EXPECT_EQ(FormatMpegVersion(1), "1");
    EXPECT_EQ(FormatSampleRate(44100), "44.1");
    EXPECT_EQ(FormatSampleRate(48000), "48");
    EXPECT_EQ(FormatSampleRate(22050), "22.05");
    EXPECT_EQ(FormatSampleRate(11025), "11.025");
}

TEST(PaneTitle, CountsPrefixTheFolderOnlyWhenRowsExist)
{
    EXPECT_EQ(PaneTitle("/music/", 0, 0), "/music/");
    EXPECT_EQ(PaneTitle("/music/", 12, 3), "(3 / 12) /music/");
    EXPECT_EQ(FolderFromTitle("(3 / 12) /music/"), "/music/");
    EXPECT_EQ(FolderFromTitle("/music/"), "/music/");
    // Only the first ") " ends the prefix, so folders may hold one too.
    EXPECT_EQ(FolderFromTitle(PaneTitle("/a) b/", 1, 0)), "/a) b/");
}

TEST(FilePane, SortingIsStableAndComparesTextsOrValues)
{
    FilePane pane(0);
    pane.mode = PaneMode::Lyrics;
    std::vector<FileRow> rows(4);
    const char* names[] = {"b.txt", "A.txt", "c.txt", "a2.txt"};
    const char* artists[] = {"x", "y", "x", ""};
    for (int i = 0; i < 4; ++i) {
        rows[i].name = QString::fromLatin1(names[i]);
        rows[i].setCell(Col::Artist, QString::fromLatin1(artists[i]));
    }
    pane.appendRows(std::move(rows));
    pane.setSelectedRow(2); // c.txt
    pane.sortRows(0, Qt::AscendingOrder);
    QStringList order;
    for (const FileRow& r : pane.rows())
        order << r.name;
    EXPECT_EQ(order, QStringList({"A.txt", "a2.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(pane.selectedRow(), 3);
    EXPECT_TRUE(pane.row(3).selected);

    pane.sortRows(ColumnIndex(PaneMode::Lyrics, Col::Artist), Qt::DescendingOrder);
    order.clear();
    for (const FileRow& r : pane.rows())
        order << r.name;
    // y, then the two x rows in their previous order, then the empty one.
    EXPECT_EQ(order, QStringList({"A.txt", "b.txt", "c.txt", "a2.txt"}));
    EXPECT_TRUE(pane.sorted);

    // Sizes compare as values, not as texts; an empty cell comes first.
    const char* sizes[] = {"39 B", "1,200 B", "5 B", ""};
    for (int i = 0; i < 4; ++i)
        pane.updateRow(i, [&](FileRow& r) { r.setCell(Col::Size, QString::fromLatin1(sizes[i])); });
    pane.sortRows(ColumnIndex(PaneMode::Lyrics, Col::Size), Qt::AscendingOrder);
    order.clear();
    for (const FileRow& r : pane.rows())
        order << r.cell(Col::Size);
    EXPECT_EQ(order, QStringList({"", "5 B", "39 B", "1,200 B"}));
    pane.resetSorting();
    EXPECT_FALSE(pane.sorted);
    EXPECT_EQ(pane.sortOrder, Qt::DescendingOrder);
}

namespace {
// The order a list had when every comparison read its two cells afresh: texts by
// QString::compare ignoring case, values by QDateTime::fromString and the digits.
std::vector<int> OrderComparingCells(const std::vector<FileRow>& rows, Col col, Qt::SortOrder order)
{
    const auto value = [col](const QString& cell) -> std::optional<qint64> {
        const QString text = cell.trimmed();
        if (text.isEmpty())
            return std::nullopt;
        if (col == Col::Timestamp) {
            const QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
            return t.isValid() ? std::optional<qint64>(t.toSecsSinceEpoch()) : std::nullopt;
        }
        bool ok = false;
        const qint64 v = QString(text).remove(QLatin1Char(',')).section(QLatin1Char(' '), 0, 0).toLongLong(&ok);
        return ok ? std::optional<qint64>(v) : std::nullopt;
    };
    std::vector<int> perm(rows.size());
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        const QString& x = rows[size_t(a)].cell(col);
        const QString& y = rows[size_t(b)].cell(col);
        int c = 0;
        const std::optional<qint64> vx = SortsByValue(col) ? value(x) : std::nullopt;
        const std::optional<qint64> vy = SortsByValue(col) ? value(y) : std::nullopt;
        if (vx != vy)
            c = !vx ? -1 : !vy ? 1 : (*vx < *vy ? -1 : 1);
        else if (!vx)
            c = QString::compare(x, y, Qt::CaseInsensitive);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    return perm;
}

QString RandomText(QRandomGenerator& random)
{
    // Letters with case pairs and folds that differ from lower case (ß, ς, ǅ, K sign),
    // Japanese, surrogate pairs with case (Deseret), lone surrogates (raw name escapes).
    static const char16_t pool[] = u"aAbBzZ09 ._-ßẞσςΣǄǅǆKkKÅåİıｱアあ漢\U0001041E\U00010446";
    static const std::vector<char16_t> units(std::begin(pool), std::end(pool) - 1);
    QString text;
    const int length = int(random.bounded(7));
    for (int i = 0; i < length; ++i) {
        const quint32 pick = random.bounded(quint32(units.size()) + 2);
        if (pick == units.size())
            text += QChar(char16_t(0xDC80 + random.bounded(128))); // a lone low surrogate
        else if (pick == units.size() + 1)
            text += QString::fromUcs4(U"\U0001041E\U00010446" + random.bounded(2), 1);
        else
            text += QChar(units[pick]);
    }
    return text;
}
} // namespace

TEST(SortedOrder, KeysMadeOncePerRowOrderAsComparingTheCellsDid)
{
    // Texts: every column that sorts by text, with case folds, surrogates and prefixes.
    QRandomGenerator random(21);
    std::vector<FileRow> rows(3000);
    for (FileRow& r : rows) {
        r.name = RandomText(random);
        r.setCell(Col::Artist, RandomText(random));
    }
    for (Col col : {Col::Filename, Col::Artist})
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder})
            EXPECT_EQ(SortedOrder(rows, col, order), OrderComparingCells(rows, col, order)) << int(col) << " " << order;
    // A folder's names (each once): ignoring case, then by the exact text.
    std::vector<QStringView> names;
    QSet<QString> seen;
    for (const FileRow& r : rows)
        if (!seen.contains(r.name)) {
            seen.insert(r.name);
            names.push_back(r.name);
        }
    std::vector<int> byName(names.size());
    std::iota(byName.begin(), byName.end(), 0);
    std::stable_sort(byName.begin(), byName.end(), [&](int a, int b) {
        const int c = names[size_t(a)].compare(names[size_t(b)], Qt::CaseInsensitive);
        return c != 0 ? c < 0 : names[size_t(a)] < names[size_t(b)];
    });
    EXPECT_EQ(NameOrder(names), byName);

    // Times in a zone with clock changes: the hour skipped in spring, the hour passed
    // twice in autumn, days around them, texts of other shapes and impossible dates.
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QStringList fixed = {"2021/03/28 02:30:00", "2021/03/28 01:59:59", "2021/03/28 03:00:00", "2021/10/31 02:30:00",
                               "2021/10/31 01:59:59", "2021/10/31 03:00:00", "2021/02/30 10:00:00", "2021/3/1 1:02:03",
                               " 2021/03/01 01:02:03 ", "2021/03/01 24:00:00", "0000/01/01 00:00:00", "", "garbage",
                               "1969/12/31 23:59:59", "2038/01/19 04:14:08"};
    std::vector<FileRow> times(2000);
    const QDateTime from(QDate(2020, 1, 1), QTime(0, 0));
    for (size_t i = 0; i < times.size(); ++i) {
        QString text = i < size_t(fixed.size()) ? fixed.at(qsizetype(i))
                                                : FormatTimestamp(from.addSecs(qint64(random.bounded(2 * 366 * 86400))));
        if (i % 5 == 0) // many rows of the days with a clock change
            text = QStringLiteral("2021/%1 %2:%3:00").arg(i % 2 ? "03/28" : "10/31").arg(random.bounded(24), 2, 10, QLatin1Char('0')).arg(random.bounded(60), 2, 10, QLatin1Char('0'));
        times[i].setCell(Col::Timestamp, text);
        times[i].setCell(Col::Size, FormatLyricsSize(random.bounded(3000)));
        times[i].name = QString::number(i % 7);
    }
    for (Col col : {Col::Timestamp, Col::Size})
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder})
            EXPECT_EQ(SortedOrder(times, col, order), OrderComparingCells(times, col, order)) << int(col) << " " << order;
    for (const QString& text : fixed) {
        const QDateTime t = QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        EXPECT_EQ(SortValue(Col::Timestamp, text), t.isValid() ? std::optional<qint64>(t.toSecsSinceEpoch()) : std::nullopt) << text.toStdString();
    }
    if (oldZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldZone);
    tzset();
}

TEST(FilePane, CheckedOrSelectedRowsAreCountedOnce)
{
    FilePane pane(1);
    std::vector<FileRow> rows(3);
    rows[0].checked = true;
    rows[1].checked = true;
    pane.appendRows(std::move(rows));
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
    pane.setSelectedRow(1);
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
    pane.setSelectedRow(2);
    EXPECT_EQ(pane.countCheckedOrSelected(), 3);
    pane.removeRow(2);
    EXPECT_EQ(pane.selectedRow(), -1);
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
    pane.updateRow(0, [](FileRow& r) { r.checked = false; });
    pane.setSelectedRow(0);
    EXPECT_EQ(pane.countCheckedOrSelected(), 2);
    pane.setSelectedRow(-1);
    EXPECT_EQ(pane.countCheckedOrSelected(), 1);
    pane.clearRows();
    EXPECT_EQ(pane.countCheckedOrSelected(), 0);
}

TEST(LocalTime, FileTimesAndDayStartsReadAsQDateTimeReadsThemInEveryZone)
{
    // Zones with clock changes at 02:00 (Berlin), at midnight (Sao Paulo until 2019, so
    // that midnight is skipped or met twice), by half an hour (Lord Howe), and none.
    const QByteArray oldZone = qgetenv("TZ");
    QRandomGenerator random(21);
    for (const char* zone : {"Europe/Berlin", "America/Sao_Paulo", "Australia/Lord_Howe", "Asia/Tokyo", "UTC"}) {
        qputenv("TZ", zone);
        LoadTimeZone();
        std::vector<qint64> times = {0, 999, 31535999999, 31536000000, 2145916799999, 2145916800000, 4102444800123, -86400000};
        for (int i = 0; i < 3000; ++i)
            times.push_back(qint64(random.bounded(2200000000.0) * 1000.0));
        for (const int year : {2018, 2021}) { // every hour of the years with changes
            const qint64 from = QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
            for (qint64 h = 0; h < 366 * 24; h += 1)
                times.push_back(from + h * 3600000 + 1800000 - 1);
        }
        for (const qint64 ms : times)
            ASSERT_EQ(FormatLocalTimestamp(ms), FormatTimestamp(QDateTime::fromMSecsSinceEpoch(ms))) << zone << " " << ms;

        int plain = 0, changed = 0;
        const qint64 firstDay = QDate(1969, 12, 20).toJulianDay(), lastDay = QDate(2038, 1, 10).toJulianDay();
        std::vector<qint64> days;
        for (qint64 d = QDate(2017, 1, 1).toJulianDay(); d < QDate(2022, 1, 1).toJulianDay(); ++d)
            days.push_back(d);
        for (qint64 d = firstDay; d < firstDay + 30; ++d)
            days.push_back(d);
        for (qint64 d = lastDay - 30; d < lastDay; ++d)
            days.push_back(d);
        for (const qint64 d : days) {
            const QDate date = QDate::fromJulianDay(d);
            const QDateTime first(date, QTime(0, 0)), last(date, QTime(23, 59, 59));
            const bool qtPlain = first.isValid() && last.isValid() && last.toSecsSinceEpoch() - first.toSecsSinceEpoch() == 86399;
            const std::optional<qint64> start = PlainLocalDayStart(d);
            if (start) {
                ASSERT_TRUE(qtPlain) << zone << " " << date.toString(Qt::ISODate).toStdString();
                ASSERT_EQ(*start, first.toSecsSinceEpoch()) << zone << " " << date.toString(Qt::ISODate).toStdString();
                ++plain;
            } else {
                ++changed;
            }
        }
        // Only days with a clock change (and the few at the ends of the range read) are
        // left to QDateTime.
        EXPECT_GT(plain, 1800) << zone;
        EXPECT_LE(changed, 30 + 60) << zone;
    }
    if (oldZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldZone);
    LoadTimeZone();
}
