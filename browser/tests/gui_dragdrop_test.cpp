// Drag and drop on the file lists (the drop menu's enabling for every pair of
// extensions, drops on rows answered through the menu, drags of rows out), the file and
// edit menus' enabling, the separators of the pop-up menus and the tool tips switch.
#include "browser/tests/guifixture.h"

#include "browser/core/dragdrop.h"
#include "browser/gui/filelistmodel.h"
#include "browser/gui/panes/panedragdrop.h"
#include "common/utf8text.h"
#include "songfiles/lyrics3.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <QUrl>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;

namespace {

using common::U;

const char* const kDropEntries[] = {"mnDropFileRename", "mnDropFileImplant", "mnDropFilePlay",
                                    "mnDropFileHosei",  "mnDropFileAdjust",  "mnDropFileCancel"};

TEST(DropMenuMatrix, EveryPairOfExtensions)
{
    // Rows: the dropped file; columns: the target row. "." leaves only リネーム and
    // キャンセル, "L" (lyrics on a song) adds 演奏 and 埋め込み, "S" (a song on lyrics)
    // adds 補正 and 演奏合わせ.
    const char* targets[] = {"/m/x.txt", "/m/x.KRA", "/m/x.lrc", "/m/x.mp3", "/m/x.Rmp", "/m/x.wav", "/m.mp3/readme"};
    const struct {
        const char* dropped;
        const char* cells;
    } table[] = {
        {"/d/a.txt", "...LL.."}, {"/d/A.Kra", "...LL.."},   {"/d/a.LRC", "...LL.."}, {"/d/a.mp3", "SSS...."},
        {"/d/a.RMP", "SSS...."}, {"/d/a.wav", "......."},   {"/d.txt/a", "......."}, {"/d/a.txt.bak", "......."},
    };
    for (const auto& row : table) {
        for (int t = 0; t < 7; ++t) {
            DropMenuState expected;
            expected.play = expected.embed = row.cells[t] == 'L';
            expected.correct = expected.adjust = row.cells[t] == 'S';
            EXPECT_EQ(DropMenuFor(QString::fromLatin1(row.dropped), QString::fromLatin1(targets[t])), expected)
                << row.dropped << " on " << targets[t];
        }
    }
}

class DragDropTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
        QDir().mkpath(folder + QStringLiteral("/lyr"));
        QDir().mkpath(folder + QStringLiteral("/songs"));
    }
    /// Left pane: the lyrics folder, right pane: the songs folder, both listing files.
    FormMain& OpenPanes()
    {
        store.setText("Init", "Folder0", folder + QStringLiteral("/lyr"));
        store.setText("Init", "Folder1", folder + QStringLiteral("/songs"));
        FormMain& w = Open();
        w.show();
        w.ShowFolder(0, folder + QStringLiteral("/lyr"));
        w.ShowFolder(1, folder + QStringLiteral("/songs"));
        ListFiles(0);
        ListFiles(1);
        return w;
    }
    PaneDragDrop& DragDrop() { return *Find<PaneDragDrop>("PaneDragDrop"); }
    int Row(int pane, const QString& name) { return static_cast<int>(RowNames(pane).indexOf(name)); }
    QPoint RowCentre(int pane, int row)
    {
        return window->listView(pane)->visualRect(window->listModel(pane).index(row, 0)).center();
    }
    /// Drags `data` over a row of a pane's list and drops it there, as the platform does.
    /// Returns whether the drop was taken (as a copy).
    bool DropOnRow(int pane, int row, QMimeData* data)
    {
        QWidget* viewport = window->listView(pane)->viewport();
        const QPoint at = row >= 0 ? RowCentre(pane, row) : QPoint(5, viewport->height() - 3);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, offered, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, offered, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        highlightedWhileOver = DragDrop().highlightedRow(pane);
        QDropEvent drop(at, offered, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        delete data;
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }
    static QMimeData* Files(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        return data;
    }
    /// Answers the drop menu once it opens: records its enabled entries, then chooses `entry`.
    void AnswerDropMenu(const char* entry)
    {
        menuAnswered = false;
        WhenShown([this, entry](QWidget* w) {
            for (const char* name : kDropEntries)
                if (w->findChild<QAction*>(QString::fromLatin1(name))->isEnabled())
                    enabledEntries << QString::fromLatin1(name);
            w->findChild<QAction*>(QString::fromLatin1(entry))->trigger();
            w->close();
            menuAnswered = true;
        });
    }
    bool menuAnswered = false;
    QStringList enabledEntries;
    int highlightedWhileOver = -2;
};

TEST_F(DragDropTest, LyricsDroppedOnASongRowAreEmbeddedThroughTheMenu)
{
    const QByteArray lyrics = "[00:01:00]drop\r\n";
    const QString lyricsPath = Touch("lyr/a.txt", lyrics);
    const QByteArray tag = synth::Id3v1("Title", "Artist", "Album", "1999", "Comment", 17);
    const QByteArray songBytes = synth::PlainMp3(20) + tag;
    Touch("songs/0.mp3", songBytes);
    const QString song = Touch("songs/a.mp3", songBytes);
    OpenPanes();
    const int target = Row(1, "a.mp3");
    ASSERT_EQ(target, 1);

    // The rows of the left list, dragged onto the right one.
    AnswerDropMenu("mnDropFileImplant");
    EXPECT_TRUE(DropOnRow(1, target, DragDrop().dragData(0, Row(0, "a.txt"), false)));
    EXPECT_EQ(highlightedWhileOver, target);
    EXPECT_EQ(DragDrop().dropTarget(), song);
    QTRY_VERIFY(menuAnswered);
    EXPECT_EQ(enabledEntries, (QStringList{"mnDropFileRename", "mnDropFileImplant", "mnDropFilePlay", "mnDropFileCancel"}));

    const QByteArray out = ReadBytes(song);
    EXPECT_EQ(out.right(128), tag);
    EXPECT_EQ(out.mid(out.size() - 137, 9), "LYRICS200");
    const auto parsed = songfiles::ParseLyrics3(out.mid(songBytes.size() - 128, out.size() - songBytes.size()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)[songfiles::LYR], QString::fromLatin1(lyrics));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("/songs/0.mp3")), songBytes);
    EXPECT_TRUE(QFile::exists(lyricsPath));
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(QLatin1Char('|')).toStdString();
    // The drop is over: no highlight, no drop waiting.
    EXPECT_EQ(DragDrop().highlightedRow(1), -1);
    EXPECT_TRUE(DragDrop().dropSource().isEmpty());
}

TEST_F(DragDropTest, ASongDroppedOnLyricsOffersCorrectionAndCancelChangesNothing)
{
    const QByteArray lyrics = "[00:01:00]la\r\n";
    const QString lyricsPath = Touch("lyr/a.txt", lyrics);
    const QString other = Touch("elsewhere/b.mp3", synth::PlainMp3(10));
    OpenPanes();

    // A file from another program (no pane of this window) onto the lyrics row.
    AnswerDropMenu("mnDropFileCancel");
    EXPECT_TRUE(DropOnRow(0, Row(0, "a.txt"), Files({other})));
    QTRY_VERIFY(menuAnswered);
    EXPECT_EQ(enabledEntries, (QStringList{"mnDropFileRename", "mnDropFileHosei", "mnDropFileAdjust", "mnDropFileCancel"}));
    EXPECT_EQ(ReadBytes(lyricsPath), lyrics);
    EXPECT_EQ(RowNames(0), QStringList{"a.txt"});
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_EQ(DragDrop().highlightedRow(0), -1);

    // The separators of this menu, the row menu and every other menu of the window are
    // lines, not "-" entries (a separator's text would be drawn).
    EXPECT_TRUE(Find<QAction>("mnRightClickList4")->isSeparator());
    int separators = 0;
    for (QAction* a : window->findChildren<QAction*>()) {
        EXPECT_NE(a->text(), QStringLiteral("-")) << a->objectName().toStdString();
        if (a->isSeparator()) {
            EXPECT_TRUE(a->text().isEmpty()) << a->objectName().toStdString();
            ++separators;
        }
    }
    EXPECT_GE(separators, 10);
}

TEST_F(DragDropTest, DropsFromTheSamePaneWithoutFilesOrOffTheRowsDoNothing)
{
    Touch("lyr/a.txt", "a");
    Touch("lyr/b.txt", "b");
    Touch("songs/a.mp3", synth::PlainMp3(10));
    OpenPanes();
    auto* timerDrop = Find<QTimer>("TimerDrop");

    EXPECT_FALSE(DropOnRow(0, Row(0, "b.txt"), DragDrop().dragData(0, Row(0, "a.txt"), false)));
    EXPECT_EQ(highlightedWhileOver, -1);
    auto* text = new QMimeData;
    text->setText(QStringLiteral("just words"));
    EXPECT_FALSE(DropOnRow(0, Row(0, "b.txt"), text));
    EXPECT_FALSE(DropOnRow(0, -1, DragDrop().dragData(1, 0, false)));
    EXPECT_FALSE(timerDrop->isActive());
    EXPECT_TRUE(DragDrop().dropSource().isEmpty());
    QTest::qWait(30);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(RowNames(0), (QStringList{"a.txt", "b.txt"}));
}

TEST_F(DragDropTest, ADragHeldNearTheBottomOfAListScrollsItAndLeavingStops)
{
    for (int i = 0; i < 80; ++i)
        Touch(QStringLiteral("lyr/%1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
    const QString song = Touch("elsewhere/b.mp3", synth::PlainMp3(10));
    OpenPanes();
    QTableView* list = window->listView(0);
    QWidget* viewport = list->viewport();
    QMimeData* data = Files({song});
    const QPoint bottom(20, viewport->height() - 2);
    QDragEnterEvent enter(bottom, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(bottom, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    QTRY_VERIFY(list->verticalScrollBar()->value() >= 3);
    // The highlight follows the row now under the pointer.
    EXPECT_EQ(DragDrop().highlightedRow(0), list->indexAt(bottom).row());
    EXPECT_GT(DragDrop().highlightedRow(0), 0);

    QDragLeaveEvent leave;
    QApplication::sendEvent(viewport, &leave);
    const int stoppedAt = list->verticalScrollBar()->value();
    QTest::qWait(200);
    EXPECT_EQ(list->verticalScrollBar()->value(), stoppedAt);
    EXPECT_EQ(DragDrop().highlightedRow(0), -1);
    delete data;
}

TEST_F(DragDropTest, ADragCarriesTheRowAndWithShiftEveryCheckedRowOnce)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        Touch(QStringLiteral("lyr/") + QString::fromLatin1(name), "x");
    OpenPanes();
    FilePane& p = window->pane(0);
    for (int row : {1, 2, 3})
        p.updateRow(row, [](FileRow& r) { r.checked = true; });
    const QString lyr = folder + QStringLiteral("/lyr/");
    const auto urls = [](QMimeData* data) {
        QStringList paths;
        for (const QUrl& u : data->urls())
            paths << u.toLocalFile();
        delete data;
        return paths;
    };
    EXPECT_EQ(urls(DragDrop().dragData(0, 2, false)), QStringList{lyr + "c.txt"});
    EXPECT_EQ(urls(DragDrop().dragData(0, 2, true)), (QStringList{lyr + "c.txt", lyr + "b.txt", lyr + "d.txt"}));
    EXPECT_EQ(urls(DragDrop().dragData(0, 0, true)), (QStringList{lyr + "a.txt", lyr + "b.txt", lyr + "c.txt", lyr + "d.txt"}));
    EXPECT_EQ(DragDrop().dragSourcePane(), -1);
}

TEST_F(DragDropTest, FileAndEditMenusFollowTheActiveList)
{
    Touch("lyr/a.txt", "a");
    OpenPanes();
    const auto enabled = [this](const char* name) { return Find<QAction>(QString::fromLatin1(name))->isEnabled(); };

    // The lyrics list has rows, the song list none.
    window->SetActivePane(0);
    Q_EMIT Find<QMenu>("mnFile")->aboutToShow();
    EXPECT_TRUE(enabled("mnFileSave"));
    EXPECT_TRUE(enabled("mnFileFileList0"));
    EXPECT_TRUE(enabled("mnFileReSearch"));
    EXPECT_TRUE(enabled("mnFileRenameList2"));
    EXPECT_FALSE(enabled("mnFileRenameList0")); // the other list is empty
    Q_EMIT Find<QMenu>("mnEdit")->aboutToShow();
    EXPECT_TRUE(enabled("mnEditHosei"));
    EXPECT_TRUE(enabled("mnEditLyrics"));
    EXPECT_FALSE(enabled("mnEditSong"));
    EXPECT_TRUE(Find<QMenu>("mnSelectSearch")->menuAction()->isEnabled());

    window->SetActivePane(1);
    Q_EMIT Find<QMenu>("mnFile")->aboutToShow();
    for (const char* name : {"mnFileSave", "mnFileFileList0", "mnFileFileList2", "mnFileReSearch", "mnFileRenameList2"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_FALSE(Find<QMenu>("mnFileRename")->menuAction()->isEnabled());
    EXPECT_TRUE(enabled("mnFileOpen"));
    Q_EMIT Find<QMenu>("mnEdit")->aboutToShow();
    EXPECT_FALSE(enabled("mnEditHosei"));
    EXPECT_FALSE(enabled("mnEditLyrics"));
    EXPECT_FALSE(Find<QMenu>("mnEditCheck")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("mnSelectSearch")->menuAction()->isEnabled());
}

TEST_F(DragDropTest, WithToolTipsOffNoToolbarButtonShowsATip)
{
    store.setText("Init", "OpToolTip", "False");
    OpenPanes();
    QWidget* button = Find<QWidget>("TB_ReSearch");
    const auto hover = [button] {
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(button, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(), QString());
    Find<QAction>("mnOptionToolTip")->trigger();
    EXPECT_EQ(hover(), U("ファイルリストの更新"));
    QToolTip::hideText();
}

} // namespace
