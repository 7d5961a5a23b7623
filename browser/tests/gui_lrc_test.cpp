// LRC files in the lyrics pane: the offer to convert, the conversion into edit mode, the
// explanation for mixed files, and "LRC形式で保存…".
#include "browser/tests/guifixture.h"

#include "common/utf8text.h"
#include "testing/testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>

using namespace browser;
using browser::fakes::WindowTest;
using testsupport::ReadBytes;
using testsupport::Sjis;

namespace {

using common::U;

const char* const kLrc = "[ti:夕ぐれ]\n[ar:デモ楽団]\n[00:10.00]一行目\n[00:20.50]二行目\n";

class LrcPaneTest : public WindowTest {
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
    void Show(FormMain& w, const QString& name)
    {
        const int row = static_cast<int>(RowNames(0).indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        w.ShowRow(0, row);
    }
    bool BarShown() { return Find<QWidget>("FrameLrc")->isVisibleTo(window.get()); }
    bool OfferShown() { return BarShown() && Find<QWidget>("ComLrcImport")->isVisibleTo(window.get()); }
    QString BarText() { return Find<QLabel>("lblLrcStatus")->text(); }
};

} // namespace

TEST_F(LrcPaneTest, AnLrcFileIsOfferedAndConvertedIntoEditModeWithThePairedSongsRatio)
{
    const QString path = Touch("song.lrc", QByteArray(kLrc));
    Touch("song.mp3", QByteArray(4000, 'x')); // 44.1 kHz: WinAmp ratio 0.9953125
    FormMain& w = OpenListing();
    Show(w, "song.lrc");
    EXPECT_TRUE(OfferShown());
    EXPECT_TRUE(BarText().contains(U("LRC形式の歌詞ファイル")));

    Find<QAbstractButton>("ComLrcImport")->click();
    // 10 000 ms × 0.9953125 = 9 953 ms, 20 500 ms × 0.9953125 = 20 404 ms, in hundredths.
    const QString converted = U("[00:09:95]一行目\r\n[00:20:40]二行目\r\n@Title=夕ぐれ\r\n@Artist=デモ楽団\r\n"
                                "@TimeRatio=0.9953125\r\n");
    EXPECT_EQ(w.lyricsText(), converted);
    EXPECT_TRUE(w.inEditMode());
    EXPECT_TRUE(Find<QWidget>("ComTextSave")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("ComLrcImport")->isVisibleTo(&w));
    EXPECT_TRUE(BarText().contains(U("song.mp3")));
    EXPECT_TRUE(BarText().contains(U("0.9953125")));
    EXPECT_TRUE(BarText().contains(U("WinAmp時間")));
    EXPECT_EQ(ReadBytes(path), QByteArray(kLrc)) << "nothing is written before the user saves";

    // Leaving edit mode without saving drops the conversion: the LRC text and the offer return.
    prompter.answer(Answer::No);
    Find<QCheckBox>("ChkTextEdit")->click();
    EXPECT_EQ(prompter.messages(), QStringList{U("歌詞ファイルを保存しますか？")});
    EXPECT_EQ(w.lyricsText(), U(kLrc).replace(QLatin1String("\n"), QLatin1String("\r\n")));
    EXPECT_TRUE(OfferShown());
    EXPECT_EQ(ReadBytes(path), QByteArray(kLrc));

    // Converted and saved: the file holds the program's tags, in its own encoding, and the bar goes.
    Find<QAbstractButton>("ComLrcImport")->click();
    Find<QAbstractButton>("ComTextSave")->click();
    EXPECT_EQ(ReadBytes(path), converted.toUtf8());
    Find<QCheckBox>("ChkTextEdit")->click();
    EXPECT_FALSE(BarShown());
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(LrcPaneTest, WithoutAPairedSongTheTimesStayStandardAndMixedFilesAreExplained)
{
    Touch("solo.lrc", "[00:01.50]a\n[00:02.00]b\n");
    const QByteArray mixed = "[00:01.00]a\r\n[00:02:00]b\r\n";
    const QString mixedPath = Touch("mixed.txt", mixed);
    Touch("own.txt", "[00:01:00]a\r\n");
    FormMain& w = OpenListing();

    Show(w, "solo.lrc");
    Find<QAbstractButton>("ComLrcImport")->click();
    EXPECT_EQ(w.lyricsText(), U("[00:01:50]a\r\n[00:02:00]b\r\n@TimeRatio=1\r\n"));
    EXPECT_TRUE(BarText().contains(U("標準時間")));
    prompter.answer(Answer::No);
    Find<QCheckBox>("ChkTextEdit")->click();

    Show(w, "mixed.txt");
    EXPECT_TRUE(BarShown());
    EXPECT_FALSE(OfferShown());
    EXPECT_TRUE(BarText().contains(U("混在")));
    EXPECT_EQ(w.lyricsText(), QString::fromLatin1(mixed));
    EXPECT_EQ(ReadBytes(mixedPath), mixed);

    Show(w, "own.txt");
    EXPECT_FALSE(BarShown());
    EXPECT_FALSE(prompter.hasUnexpected());
}

TEST_F(LrcPaneTest, ExportWritesAnLrcFileBesideTheLyricsInTheirEncoding)
{
    // CP932 karaoke lyrics: the enhanced form keeps the word times.
    const QString source = Touch("kara.txt", Sjis("[00:01:00]一[00:01:50]行\r\n[00:03:00]二行目\r\n@Title=夕ぐれ\r\n@TimeRatio=1\r\n"));
    Touch("kara.lrc", "old");
    FormMain& w = OpenListing();
    Show(w, "kara.txt");
    EXPECT_FALSE(BarShown());
    ASSERT_TRUE(w.commands().isEnabled("LrcExport"));

    const QString target = folder + "/kara.lrc";
    prompter.answer(Answer::Yes); // word times too
    prompter.answerText(target);
    prompter.answer(Answer::Ok);
    w.RunCommand("LrcExport");
    ASSERT_EQ(prompter.prompts().size(), 3u);
    const FileDialogRequest& dialog = prompter.prompts()[1].file;
    EXPECT_EQ(QDir::cleanPath(dialog.folder), folder);
    EXPECT_EQ(dialog.fileName, "kara.lrc");
    EXPECT_EQ(dialog.defaultExtension, ".lrc");
    EXPECT_TRUE(dialog.confirmOverwrite);
    EXPECT_EQ(ReadBytes(target), Sjis("[ti:夕ぐれ]\r\n[00:01.00]<00:01.00>一<00:01.50>行\r\n[00:03.00]二行目\r\n"));
    EXPECT_EQ(prompter.messages().last(), target + U(" に保存しました。"));
    EXPECT_EQ(ReadBytes(source), Sjis("[00:01:00]一[00:01:50]行\r\n[00:03:00]二行目\r\n@Title=夕ぐれ\r\n@TimeRatio=1\r\n"));

    // Line times only: the word timing is left out, and the message says so.
    prompter.clear();
    prompter.answer(Answer::No);
    prompter.answerText(target);
    prompter.answer(Answer::Ok);
    w.RunCommand("LrcExport");
    EXPECT_EQ(ReadBytes(target), Sjis("[ti:夕ぐれ]\r\n[00:01.00]一行\r\n[00:03.00]二行目\r\n"));
    EXPECT_TRUE(prompter.messages().last().contains(U("単語ごとのタイムタグは含めていません")));
    EXPECT_FALSE(prompter.hasUnexpected());
}
