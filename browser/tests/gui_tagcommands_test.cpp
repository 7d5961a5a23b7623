// The correction and time-tag commands in the window: the two menus from the Edit menu
// and from the lyrics pane's buttons, their dialogs, batch runs over check-marked files,
// the order check, and undo; the batch's workers on many files at once.
#include "browser/tests/guifixture.h"

#include "browser/gui/filelistmodel.h"
#include "browser/gui/tagcommands/tagbatch.h"
#include "browser/gui/tagcommands/tagcommands.h"
#include "browser/gui/tagcommands/tagdialogs.h"
#include "common/atomicfile.h"
#include "lyrics/tagops.h"
#include "songfiles/testdata/synth.h"
#include "testing/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <sys/stat.h>
#include <thread>
#include <utility>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;
using testsupport::Sjis;

namespace {

QByteArray Utf8(const char* s)
{
    return QByteArray(s);
}

class TagCommandsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        MarkNotFirstRun();
    }
    FormMain& OpenListing()
    {
        FormMain& w = Open();
        ListFiles(0);
        ListFiles(1);
        return w;
    }
    int Row(int pane, const QString& name) { return static_cast<int>(RowNames(pane).indexOf(name)); }
    QTextEdit* Text() { return Find<QTextEdit>("TextLyrics"); }
    TagCommands& Area() { return *Find<TagCommands>("TagCommands"); }
    /// Shows a lyrics row of the left pane with a song of the right pane selected.
    void ShowWith(const QString& lyrics, const QString& song = QString())
    {
        window->ShowRow(0, Row(0, lyrics));
        if (!song.isEmpty())
            window->SelectRow(1, Row(1, song));
    }
    /// Opens the Edit menu, then its submenu, and runs an entry as the user would.
    void RunFromEditMenu(const char* submenuEntry, const char* menu, const char* entry)
    {
        Q_EMIT Find<QMenu>("mnEdit")->aboutToShow();
        ASSERT_TRUE(Find<QAction>(submenuEntry)->isEnabled()) << submenuEntry;
        Q_EMIT Find<QMenu>(menu)->aboutToShow();
        QAction* a = Find<QAction>(entry);
        ASSERT_TRUE(a->isEnabled()) << entry;
        a->trigger();
    }
    /// The song file as the correction measures it: 44.1 kHz, `silentFrames` of silence.
    void Song(const QString& name, int silentFrames = 0)
    {
        Touch(name, synth::MakeStream(synth::Frame{}, silentFrames, '\0') + synth::PlainMp3(40));
    }
    void Check(const QString& name)
    {
        FileListModel& m = window->listModel(0);
        m.setData(m.index(Row(0, name), 0), Qt::Checked, Qt::CheckStateRole);
    }
};

} // namespace

TEST_F(TagCommandsTest, CorrectionsFromTheEditMenuSaveTheFileAndLeaveEditMode)
{
    struct Case {
        const char* lyrics;
        QByteArray text;
        int silentFrames;
        const char* entry;
        QByteArray head;  // the tag line afterwards
        QByteArray block; // a line of the new @ block
    };
    const Case cases[] = {
        {"k1", "[01:00:00]x\r\n@TimeRatio=0.9953125\r\n", 0, "mnHoseiList1", "[01:00:28]x\r\n", "@TimeRatio=1\r\n"},
        {"k2", "[01:00:00]x\r\n@TimeRatio=1\r\n", 0, "mnHoseiList2", "[00:59:71]x\r\n", "@TimeRatio=0.9953125\r\n"},
        {"k3", "[00:00:20]x\r\n@TimeRatio=1\r\n@SilencemSec=500\r\n", 8, "mnHoseiList3", "[00:00:00]x\r\n", "@TimeRatio=1\r\n"},
        {"tg", "[00:01:00]x\r\n@taggingby=abc (def)\r\n", 0, "mnHoseiList7", "[00:01:00]x\r\n", "@TaggingBy=abc\r\n@EditedBy=def\r\n"},
    };
    for (const Case& c : cases) {
        Touch(QString::fromLatin1(c.lyrics) + ".txt", c.text);
        Song(QString::fromLatin1(c.lyrics) + ".mp3", c.silentFrames);
    }
    FormMain& w = OpenListing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lyrics);
        const QString name = QString::fromLatin1(c.lyrics);
        ShowWith(name + ".txt", name + ".mp3");
        RunFromEditMenu("mnEditHosei", "mnHosei", c.entry);
        const QByteArray saved = ReadBytes(folder + "/" + name + ".txt");
        EXPECT_TRUE(saved.startsWith(c.head)) << saved.constData();
        EXPECT_TRUE(saved.contains(c.block)) << saved.constData();
        EXPECT_EQ(w.lyricsText().toUtf8(), saved);
        EXPECT_FALSE(w.inEditMode());
        EXPECT_FALSE(w.hasUnsavedLyrics());
        EXPECT_TRUE(Text()->isReadOnly());
    }
    EXPECT_TRUE(prompter.prompts().empty()) << prompter.messages().join(" / ").toStdString();
}

TEST_F(TagCommandsTest, FailedOrRefusedCorrectionsTellTheUserAndLeaveTheFileAlone)
{
    const QByteArray none = "no tags here\r\n@TimeRatio=1\r\n";
    const QByteArray zero = "[01:00:00]x\r\n@TimeRatio=0\r\n";
    const QByteArray notSong = "[01:00:00]x\r\n@TimeRatio=1\r\n";
    Touch("none.txt", none);
    Touch("zero.txt", zero);
    Touch("ns.txt", notSong);
    Song("none.mp3");
    Song("zero.mp3");
    Touch("ns.mp3", QByteArray(4000, 'x')); // no frames: no sample rate
    FormMain& w = OpenListing();

    ShowWith("none.txt", "none.mp3");
    RunFromEditMenu("mnEditHosei", "mnHosei", "mnHoseiList2");
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("処理に失敗しました。")});
    EXPECT_EQ(ReadBytes(folder + "/none.txt"), none);
    EXPECT_FALSE(w.inEditMode());

    prompter.clear();
    ShowWith("zero.txt", "zero.mp3");
    RunFromEditMenu("mnEditHosei", "mnHosei", "mnHoseiList1");
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("処理に失敗しました。")});
    EXPECT_EQ(ReadBytes(folder + "/zero.txt"), zero);
    EXPECT_EQ(w.lyricsText().toUtf8(), zero);
    EXPECT_FALSE(w.inEditMode());

    // A partner without a sample rate: nothing that needs the song is offered.
    ShowWith("ns.txt", "ns.mp3");
    Q_EMIT Find<QMenu>("mnHosei")->aboutToShow();
    for (int i : {0, 1, 2, 3, 4, 6, 7})
        EXPECT_FALSE(Find<QAction>(QStringLiteral("mnHoseiList%1").arg(i))->isEnabled()) << i;
}

TEST_F(TagCommandsTest, CommandsInEditModeStayUnsavedAndCtrlZTakesACommandBackInOneStep)
{
    // UTF-8 files with no-break spaces: saving must keep them.
    const QByteArray hosei = Utf8("[01:00:00]\xC2\xA0x\r\n@TimeRatio=0.9953125\r\n");
    const QByteArray unify = Utf8("[00:01:0]\xC2\xA0" "a\r\n[00:02:5]b\r\n");
    Touch("h.txt", hosei);
    Touch("u.txt", unify);
    Song("h.mp3");
    FormMain& w = OpenListing();
    w.show();
    QApplication::setActiveWindow(&w);

    // ComHosei in the user's own edit mode: the pane changes, the file does not.
    ShowWith("h.txt", "h.mp3");
    w.setEditMode(true);
    WhenShown([](QWidget* popup) {
        QAction* a = popup->findChild<QAction*>(QStringLiteral("mnHoseiList1"));
        popup->close();
        a->trigger();
    });
    Find<QToolButton>("ComHosei")->click();
    EXPECT_TRUE(w.lyricsText().startsWith(QString::fromUtf8("[01:00:28]\u00A0x\r\n")));
    EXPECT_EQ(ReadBytes(folder + "/h.txt"), hosei);
    EXPECT_TRUE(w.inEditMode());
    EXPECT_TRUE(w.hasUnsavedLyrics());
    QTest::keyClick(Text(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.lyricsText().toUtf8(), hosei);
    prompter.answer(Answer::No);
    w.setEditMode(false);

    // From the Edit menu the command saves; Ctrl+Z afterwards brings the text before it
    // back into edit mode, unsaved, and the file keeps the command's result.
    ShowWith("u.txt");
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList2");
    const QByteArray unified = Utf8("[00:01:00]\xC2\xA0" "a\r\n[00:02:50]b\r\n");
    EXPECT_EQ(ReadBytes(folder + "/u.txt"), unified);
    EXPECT_FALSE(w.inEditMode());
    QTest::keyClick(Text(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(w.inEditMode());
    EXPECT_EQ(w.lyricsText().toUtf8(), unify);
    EXPECT_TRUE(w.hasUnsavedLyrics());
    EXPECT_EQ(ReadBytes(folder + "/u.txt"), unified);
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(TagCommandsTest, TheShiftAndLineAdvanceDialogsKeepTheirRanges)
{
    Touch("s.txt", "[00:00:30]a\r\n[00:01:00]b\r\n");
    FormMain& w = OpenListing();
    ShowWith("s.txt");
    WhenShown([this](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("手動微調整"));
        auto* text = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* bar = dialog->findChild<QScrollBar*>(QStringLiteral("VScroll1"));
        EXPECT_EQ(text->text(), "0");
        QTest::keyClicks(text, "40000");
        EXPECT_EQ(text->text(), "32000");
        EXPECT_EQ(bar->value(), -32000);
        text->selectAll();
        QTest::keyClicks(text, "-500");
        EXPECT_EQ(bar->value(), 500);
        bar->setValue(400); // moving the bar up raises the amount
        EXPECT_EQ(text->text(), "-400");
        bar->setValue(500);
        dialog->findChild<QPushButton*>(QStringLiteral("ComOK"))->click();
    });
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList11");
    EXPECT_EQ(ReadBytes(folder + "/s.txt"), "[00:00:00]a\r\n[00:00:50]b\r\n");
    EXPECT_FALSE(w.inEditMode());

    FormOkuri okuri(500, prompter, &w);
    okuri.show();
    auto* box = okuri.findChild<QLineEdit*>(QStringLiteral("TextMaxmSec"));
    auto* apply = okuri.findChild<QPushButton*>(QStringLiteral("ComOK"));
    EXPECT_EQ(box->text(), "0.5");
    box->setText("999.01");
    apply->click();
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("0～999までの値にしてください。")});
    EXPECT_EQ(box->text(), "0.5");
    EXPECT_TRUE(okuri.isVisible());
    box->setText("0.123");
    apply->click();
    EXPECT_EQ(okuri.result(), QDialog::Accepted);
    EXPECT_EQ(okuri.maxAdvanceMsec(), 120);
    EXPECT_FALSE(okuri.removeMode());
    EXPECT_FALSE(okuri.cancelled());
}

TEST_F(TagCommandsTest, TheOrderCheckPaintsTheLaterEarlierTagRedAndSavesNothing)
{
    const QByteArray text = "title\r\n[00:01:00]a\r\n[00:03:00]b\r\n[00:02:00]c\r\n";
    Touch("r.txt", text);
    FormMain& w = OpenListing();
    ShowWith("r.txt");
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList8");
    QStringList red, grey;
    for (const QTextEdit::ExtraSelection& s : Text()->extraSelections()) {
        const QColor c = s.format.foreground().color();
        if (c == QColor(255, 0, 0))
            red << s.cursor.selectedText();
        else if (c == QColor(128, 128, 128))
            grey << s.cursor.selectedText();
    }
    EXPECT_EQ(red, QStringList{"[00:02:00]"});
    EXPECT_EQ(grey, (QStringList{"[00:01:00]", "[00:03:00]"}));
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("タイムタグの逆転を発見した箇所を赤色で示しました。")});
    EXPECT_EQ(ReadBytes(folder + "/r.txt"), text);
    EXPECT_FALSE(w.hasUnsavedLyrics());
    EXPECT_FALSE(w.inEditMode());
}

TEST_F(TagCommandsTest, ABatchRewritesOnlyCheckedFilesInTheirOwnStyleAndCanBeUndone)
{
    const QByteArray k1 = "[00:01:00]a[00:03:00]b[00:02:00]c\n[00:04:00]d[00:05:00]e\n"; // LF only
    const QByteArray k2 = "[00:01:00]a[00:03:00]b[00:02:00]c\r\n[00:04:00]d[00:05:00]e\r\n";
    const QByteArray lh = "[00:02:00]x\r\n[00:01:00]y\r\n";
    Touch("k1.txt", k1);
    Touch("k2.txt", k2);
    Touch("lh.txt", lh);
    FormMain& w = OpenListing();
    ShowWith("k1.txt");
    Check("k1.txt");
    Check("lh.txt");

    Find<QAction>("mnTimeTagList0")->setChecked(true);
    Q_EMIT Find<QMenu>("mnTimeTag")->aboutToShow();
    EXPECT_FALSE(Find<QAction>("mnTimeTagList8")->isEnabled());
    EXPECT_FALSE(Find<QAction>("mnTimeTagList12")->isEnabled());
    prompter.answer(Answer::Ok); // the long-run question of entry 15
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList15");
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("この操作は少し時間がかかることがありますが、よいですか?")});
    const QByteArray repaired = "[00:01:00]a[00:02:00]b[00:02:00]c\n[00:04:00]d[00:05:00]e\n";
    EXPECT_EQ(ReadBytes(folder + "/k1.txt"), repaired);
    EXPECT_EQ(ReadBytes(folder + "/k2.txt"), k2);
    EXPECT_EQ(ReadBytes(folder + "/lh.txt"), lh);
    // The shown file was rewritten: the pane shows it again from disk.
    EXPECT_EQ(w.lyricsText().toUtf8(), QByteArray(repaired).replace("\n", "\r\n"));

    Q_EMIT Find<QMenu>("mnEdit")->aboutToShow();
    QAction* undo = Find<QAction>("mnEditUndoTagBatch");
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(ReadBytes(folder + "/k1.txt"), k1);
    EXPECT_EQ(w.lyricsText().toUtf8(), QByteArray(k1).replace("\n", "\r\n"));
    Q_EMIT Find<QMenu>("mnEdit")->aboutToShow();
    EXPECT_FALSE(undo->isEnabled());

    // Writes that fail are reported once, naming every file, and nothing is half written.
    prompter.clear();
    common::AtomicFile::SetFaultInjector([](common::AtomicFile::Step step, int) { return step != common::AtomicFile::Step::Commit; });
    Check("k2.txt");
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList3");
    common::AtomicFile::SetFaultInjector(nullptr);
    ASSERT_EQ(prompter.messages().size(), 1);
    const QString report = prompter.messages().first();
    EXPECT_TRUE(report.startsWith(QString::fromUtf8("次のファイルは書き込めませんでした。")));
    for (const char* name : {"k1.txt", "k2.txt", "lh.txt"})
        EXPECT_TRUE(report.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(ReadBytes(folder + "/k1.txt"), k1);
    EXPECT_EQ(ReadBytes(folder + "/k2.txt"), k2);
    EXPECT_EQ(ReadBytes(folder + "/lh.txt"), lh);

    // A checked file that is gone, or is not a regular file, is reported too; the batch
    // neither waits on a FIFO nor counts the file as done.
    prompter.clear();
    ASSERT_TRUE(QFile::remove(folder + "/lh.txt"));
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList3");
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().contains(QStringLiteral("lh.txt")));
    EXPECT_FALSE(prompter.messages().first().contains(QStringLiteral("k1.txt")));
    const QString fifo = folder + "/fifo.txt";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const TagBatchRun::Result r = TagBatchRun::Process(fifo, [](const QString& t) { return t; });
    EXPECT_EQ(r.state, TagBatchRun::Result::State::Failed);
    EXPECT_FALSE(r.error.isEmpty());
}

namespace {

struct CliRun {
    int status = -1;
    QByteArray err;
};

CliRun Mwex(const QStringList& args)
{
    QProcess p;
    p.start(testsupport::ProgramPath("mwex"), args);
    CliRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

TEST_F(TagCommandsTest, EveryMenuEntryGivesTheBytesOfItsCommandLineTwin)
{
    // The window works on the files of its folder, mwex -i on copies in another.
    QTemporaryDir cliDir;
    ASSERT_TRUE(cliDir.isValid());
    const QString cli = cliDir.path();
    auto twin = [&](const QString& name) { return cli + "/" + name; };

    // Correction entries: lyrics and a song of the same name each.
    struct Correction {
        const char* name;
        QByteArray text;
        int silentFrames;
        int entry;
        QStringList args; // the twin command; the file and --song are added
        bool fails = false;
    };
    const QStringList user{"--user-name", "me"};
    // "∵" in its NEC code: a line no command touches keeps these bytes in both.
    const QByteArray kNecBecause = "\x87\x9A\r\n";
    const Correction corrections[] = {
        {"c0", Sjis("[01:00:00]あ[01:02:00]\r\n") + kNecBecause + "@TimeRatio=0.99\r\n", 4, 0, QStringList{"tags", "convert", "--kind", "0"} + user},
        {"c1", Sjis("[01:00:00]い\r\n@TimeRatio=0.9953125\r\n"), 0, 1, QStringList{"tags", "convert", "--kind", "1"} + user},
        {"c2", "[01:00:00]x\r\n@TimeRatio=1\r\n@TaggingBy=abc\r\n", 0, 2, QStringList{"tags", "convert", "--kind", "2"} + user},
        {"c3", "[00:00:20]x\r\n@TimeRatio=1\r\n@SilencemSec=500\r\n", 8, 3, QStringList{"tags", "convert", "--kind", "3"} + user},
        {"c4", Sjis("[00:01:00]う[00:02:00]\r\n@TimeRatio=0.9953125\r\n@Offset=300\r\n"), 0, 4, {"tags", "apply-offset"}},
        {"c6", "[00:01:00]x\r\n@TaggingBy=abc\r\n", 6, 6, QStringList{"atblock", "add", "--time-type", "winamp"} + user},
        {"c7", "[00:01:00]x\r\n@taggingby=abc (def)\r\n@timetype=normal\r\n", 0, 7, {"atblock", "update-old"}},
        // Refused alike: a ratio written as 0 would otherwise be read as the user's own.
        {"z1", "[01:00:00]x\r\n@TimeRatio=0\r\n", 0, 1, QStringList{"tags", "convert", "--kind", "1"} + user, true},
        {"z2", "[01:00:00]x\r\n@TimeRatio=abc\r\n", 0, 1, QStringList{"tags", "convert", "--kind", "1"} + user, true},
        {"z4", "[00:01:00]x\r\n@TimeRatio=0\r\n@Offset=300\r\n", 0, 4, {"tags", "apply-offset"}, true},
    };
    for (const Correction& c : corrections) {
        const QString name = QString::fromLatin1(c.name);
        Touch(name + ".txt", c.text);
        Song(name + ".mp3", c.silentFrames);
        testsupport::WriteBytes(twin(name + ".txt"), c.text);
    }

    // Time-tag entries run as a batch over three check-marked files of every kind.
    const QByteArray karaoke = Sjis("[00:01:00]あ[00:03:00]い[00:02:50]う\r\n") + kNecBecause
                               + Sjis("[00:04:00]え[00:05:00]\r\n[00:06:00]お[00:07:00]か\r\n@Title=歌\r\n");
    const QByteArray lineHead = "[00:05:00][00:01:00]x\r\n[00:03:5]y\r\nplain \xC2\xA0\r\n";
    const QByteArray plain = "no tags\r\n";
    const QByteArray lfKaraoke = "[00:01:00]a[00:02:00]b\n[00:03:00]c[00:04:00]\n"; // LF breaks stay LF
    const std::pair<const char*, QByteArray> batchFiles[] = {
        {"bk.txt", karaoke}, {"bl.txt", lineHead}, {"bn.txt", plain}, {"bf.txt", lfKaraoke}};
    for (const auto& [name, bytes] : batchFiles)
        Touch(QString::fromLatin1(name), bytes);

    store.setText("Option", "TaggingBy", "me");
    FormMain& w = OpenListing();
    for (const Correction& c : corrections) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        prompter.clear();
        ShowWith(name + ".txt", name + ".mp3");
        RunFromEditMenu("mnEditHosei", "mnHosei", qPrintable(QStringLiteral("mnHoseiList%1").arg(c.entry)));
        QStringList args = c.args;
        if (c.entry <= 3 || c.entry == 6)
            args << "--song" << folder + "/" + name + ".mp3";
        const CliRun r = Mwex(args + QStringList{"-i", twin(name + ".txt")});
        const QByteArray windowBytes = ReadBytes(folder + "/" + name + ".txt");
        EXPECT_EQ(ReadBytes(twin(name + ".txt")), windowBytes);
        if (c.fails) {
            EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("処理に失敗しました。")});
            EXPECT_EQ(r.status, 1) << r.err.constData();
            EXPECT_EQ(windowBytes, c.text);
        } else {
            EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(" / ").toStdString();
            EXPECT_EQ(r.status, 0) << r.err.constData();
            EXPECT_NE(windowBytes, c.text);
        }
    }

    struct TagEntry {
        int entry;
        QStringList args;
        std::function<void(QWidget*)> dialog;
    };
    auto typeInto = [](const char* box, const char* text) {
        return [box, text](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(box));
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(text));
            dialog->findChild<QPushButton*>(QStringLiteral("ComOK"))->click();
        };
    };
    const TagEntry entries[] = {
        {2, {"tags", "unify", "--layout", "hundredths"}, nullptr},
        {3, {"tags", "unify", "--layout", "seconds"}, nullptr},
        {5, {"tags", "strip-karaoke"}, nullptr},
        {6, {"tags", "strip"}, nullptr},
        {9, {"tags", "normalize"}, nullptr},
        {11, {"tags", "shift", "--ms", "-1250"}, typeInto("Text1", "-1250")},
        {14, {"tags", "advance", "--max-ms", "350"}, typeInto("TextMaxmSec", "0.35")},
        {15, {"tags", "repair-reversals"}, nullptr},
    };
    Find<QAction>("mnTimeTagList0")->setChecked(true);
    for (const TagEntry& e : entries) {
        SCOPED_TRACE(e.entry);
        QStringList files;
        for (const auto& [name, bytes] : batchFiles) {
            Touch(QString::fromLatin1(name), bytes);
            testsupport::WriteBytes(twin(QString::fromLatin1(name)), bytes);
            Check(QString::fromLatin1(name));
            files << twin(QString::fromLatin1(name));
        }
        prompter.clear();
        prompter.answer(Answer::Ok); // the long-run question of entry 15
        if (e.dialog)
            WhenShown(e.dialog);
        RunFromEditMenu("mnEditLyrics", "mnTimeTag", qPrintable(QStringLiteral("mnTimeTagList%1").arg(e.entry)));
        const CliRun r = Mwex(e.args + QStringList{"-i"} + files);
        EXPECT_EQ(r.status, 0) << r.err.constData();
        bool changed = false;
        for (const auto& [name, bytes] : batchFiles) {
            const QByteArray windowBytes = ReadBytes(folder + "/" + QString::fromLatin1(name));
            EXPECT_EQ(ReadBytes(twin(QString::fromLatin1(name))), windowBytes) << name;
            changed = changed || windowBytes != bytes;
        }
        EXPECT_TRUE(changed);
    }
    Find<QAction>("mnTimeTagList0")->setChecked(false);

    // The order check: the tags painted red are the ones mwex lists.
    Touch("bk.txt", karaoke);
    testsupport::WriteBytes(twin("bk.txt"), karaoke);
    prompter.clear();
    ShowWith("bk.txt");
    RunFromEditMenu("mnEditLyrics", "mnTimeTag", "mnTimeTagList8");
    QStringList red;
    for (const QTextEdit::ExtraSelection& s : Text()->extraSelections())
        if (s.format.foreground().color() == QColor(255, 0, 0))
            red << s.cursor.selectedText();
    QProcess check;
    check.start(testsupport::ProgramPath("mwex"), {"tags", "check-order", twin("bk.txt")});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 1);
    QStringList listed;
    for (const QString& line : QString::fromUtf8(check.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        listed << line.section(' ', 1);
    EXPECT_EQ(red, listed);
    EXPECT_EQ(red, QStringList{"[00:02:50]"});
    EXPECT_FALSE(w.hasUnsavedLyrics());
}

TEST(TagBatchRunTest, ManyWorkersWriteEveryFileAsOneFileAtATimeDoes)
{
    // Lyrics of every encoding and line-break style, their short tags unified.
    const QString utf16 = QString::fromUtf8("[00:01:5]あ\r\n[00:02:5]い\r\n");
    QByteArray utf16Bytes("\xFF\xFE", 2);
    utf16Bytes.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    const QByteArray kinds[] = {
        Sjis("[00:01:0]あ[00:02:5]い\r\n") + "\x87\x9A\r\n" + Sjis("[00:03:00]う\r\n@Title=歌\r\n"),
        "\xEF\xBB\xBF[00:01:5]\xE3\x81\x82\n[00:02:5]b\n",
        "[00:01:5]a\r[00:02:5]b\r",
        "[00:01:5]a\r\n[00:02:5]b\n",
        utf16Bytes,
        Sjis("[00:01:00]もう統一済み\r\n"),
        "no tags\r\n",
        "",
    };
    constexpr int kKinds = int(std::size(kinds));
    const int kUnchangedKinds[] = {5, 6, 7};
    const TagBatchRun::Transform unify = [](const QString& text) { return lyrics::UnifyTags(text, lyrics::TagLayout::Hundredths); };

    // What each kind becomes when its file is the only one rewritten.
    QTemporaryDir alone;
    ASSERT_TRUE(alone.isValid());
    std::vector<TagBatchRun::Result> expected;
    for (int k = 0; k < kKinds; ++k) {
        const QString path = alone.filePath(QStringLiteral("k%1.txt").arg(k));
        testsupport::WriteBytes(path, kinds[k]);
        expected.push_back(TagBatchRun::Process(path, unify));
        expected.back().after = ReadBytes(path);
    }
    for (int k = 0; k < kKinds; ++k)
        EXPECT_EQ(expected[size_t(k)].state, k < 5 ? TagBatchRun::Result::State::Written : TagBatchRun::Result::State::Unchanged) << k;

    // Batches of hundreds of files, most of them only read, as a user's batch often is.
    // The workers start together on a list the caller still holds, as the window's batch
    // does, while this thread takes the results as they come.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList readOnly;
    for (int i = 0; i < 400; ++i) {
        readOnly << dir.filePath(QStringLiteral("u%1.txt").arg(i));
        testsupport::WriteBytes(readOnly.back(), kinds[kUnchangedKinds[i % 3]]);
    }
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        QStringList paths;
        std::vector<int> kind;
        for (int i = 0; i < int(readOnly.size()); ++i) {
            if (i % 10 == 0) {
                paths << dir.filePath(QStringLiteral("r%1-%2.txt").arg(round).arg(i));
                kind.push_back(i / 10 % kKinds);
                testsupport::WriteBytes(paths.back(), kinds[kind.back()]);
            }
            paths << readOnly[i];
            kind.push_back(kUnchangedKinds[i % 3]);
        }
        TagBatchRun run(paths, unify);
        run.start(8);
        for (qsizetype i = 0; i < run.count(); ++i) {
            while (!run.isDone(i))
                std::this_thread::yield();
            EXPECT_EQ(run.path(i), std::as_const(paths)[i]);
        }
        run.wait();
        // The workers only read the list: it is still the caller's. A write access would
        // have copied it, racing with the other workers reading it.
        EXPECT_EQ(&run.path(0), &std::as_const(paths)[0]);
        ASSERT_TRUE(run.allDone());
        for (int i = 0; i < int(paths.size()); ++i) {
            const TagBatchRun::Result& want = expected[size_t(kind[size_t(i)])];
            const TagBatchRun::Result& got = run.result(i);
            EXPECT_EQ(ReadBytes(paths[i]), want.after) << paths[i].toStdString();
            EXPECT_EQ(got.state, want.state) << paths[i].toStdString() << " " << got.error.toStdString();
            EXPECT_EQ(got.before, want.before) << paths[i].toStdString();
        }
        EXPECT_EQ(QDir(dir.path()).entryList({".mwex-*"}, QDir::Files | QDir::Hidden), QStringList());
    }
}
