#include "lyrics/lrc.h"

#include "common/textfile.h"
#include "common/utf8text.h"
#include "lyrics/correction.h"
#include "lyrics/tests/printers.h"
#include "testing/testsupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace lyrics;

namespace {
using common::U;

LrcImportOptions Layout(LrcLayout layout)
{
    LrcImportOptions o;
    o.layout = layout;
    return o;
}

LrcExportOptions Enhanced(bool userWinAmp = true)
{
    LrcExportOptions o;
    o.enhanced = true;
    o.userTimeIsWinAmp = userWinAmp;
    return o;
}

/// Three-digit fractions, [mm:ss] without a fraction, minutes beyond 60, a blank timed line.
const char* const kLineTimes = "[00:01.50]a\n[00:02.125]b\n[00:03]c\n[75:30.25]d\n[00:04.00]\n";
} // namespace

TEST(LrcImport, LineTimesBecomeLineHeadTagsInTheChosenLayout)
{
    LrcImportResult r = ImportLrc(U(kLineTimes));
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(r.text, U("[00:01:50]a\r\n[00:02:125]b\r\n[00:03:00]c\r\n[75:30:25]d\r\n[00:04:00]\r\n@TimeRatio=1\r\n"));
    EXPECT_EQ(r.timedLines, 5);
    EXPECT_EQ(r.timeBase, LrcTimeBase::Standard);
    // CR LF, lone CR and LF breaks read alike; the result has no break where the source had none.
    EXPECT_EQ(ImportLrc(U(kLineTimes).replace(QLatin1String("\n"), QLatin1String("\r\n"))).text, r.text);
    EXPECT_EQ(ImportLrc(U(kLineTimes).replace(QLatin1Char('\n'), QLatin1Char('\r'))).text, r.text);
    EXPECT_EQ(ImportLrc(U("[00:01.50]a\n[00:02.00]b")).text, U("[00:01:50]a\r\n[00:02:00]b\r\n@TimeRatio=1"));

    EXPECT_EQ(ImportLrc(U(kLineTimes), Layout(LrcLayout::Keep)).text,
              U("[00:01:50]a\r\n[00:02:125]b\r\n[00:03]c\r\n[75:30:25]d\r\n[00:04:00]\r\n@TimeRatio=1\r\n"));
    EXPECT_EQ(ImportLrc(U(kLineTimes), Layout(LrcLayout::Seconds)).text,
              U("[00:01]a\r\n[00:02]b\r\n[00:03]c\r\n[75:30]d\r\n[00:04]\r\n@TimeRatio=1\r\n"));
    EXPECT_EQ(ImportLrc(U(kLineTimes), Layout(LrcLayout::Millis)).text,
              U("[00:01:500]a\r\n[00:02:125]b\r\n[00:03:000]c\r\n[75:30:250]d\r\n[00:04:000]\r\n@TimeRatio=1\r\n"));
    EXPECT_EQ(ImportLrc(U("[00:01.5]a\n"), Layout(LrcLayout::Keep)).text, U("[00:01:5]a\r\n@TimeRatio=1\r\n"));
}

TEST(LrcImport, RefusesATimeNoTagCanHold)
{
    const QString lrc = U("[00:01.00]a\n[100:00.00]b\n");
    const LrcImportResult r = ImportLrc(lrc);
    EXPECT_EQ(r.status, LrcStatus::OutOfRange);
    EXPECT_EQ(r.text, lrc);
    EXPECT_EQ(r.message, U("line 2: a time beyond 99:59.999, which a tag cannot hold; nothing converted"));
    EXPECT_TRUE(ImportLrc(U("[99:59.999]b\n")).ok());
}

TEST(LrcImport, SeveralTimesOnALineAreKeptOrExpandedInTimeOrder)
{
    const QString lrc = U("[ar:X]\n[00:10.00][00:50.00]サビ\n(間奏)\n[00:20.00]歌\n");
    EXPECT_EQ(ImportLrc(lrc).text, U("[00:10:00][00:50:00]サビ\r\n(間奏)\r\n[00:20:00]歌\r\n@Artist=X\r\n@TimeRatio=1\r\n"));
    LrcImportOptions expand;
    expand.expandRepeats = true;
    // The untimed lines behind the line go with its last copy, as the tag menu's normalisation does.
    EXPECT_EQ(ImportLrc(lrc, expand).text,
              U("[00:10:00]サビ\r\n[00:20:00]歌\r\n[00:50:00]サビ\r\n(間奏)\r\n@Artist=X\r\n@TimeRatio=1\r\n"));
    // Word times belong to one singing, so such a line is always expanded, its words moved along.
    EXPECT_EQ(ImportLrc(U("[00:10.00][00:50.00]<00:10.00>ラ<00:10.50>ラ\n")).text,
              U("[00:10:00]ラ[00:10:50]ラ\r\n[00:50:00]ラ[00:50:50]ラ\r\n@TimeRatio=1\r\n"));
}

TEST(LrcImport, WordTimesBecomeKaraokeTags)
{
    const QString lrc = U("[00:12.00]<00:12.00>Hel<00:12.50>lo<00:13.00>\n"
                          "[00:14.00] <00:14.20> wor <00:14.70> ld\n"
                          "[00:16.00]<00:16.30>e<00:16.60>nd\n");
    const LrcImportResult r = ImportLrc(lrc);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.text, U("[00:12:00]Hel[00:12:50]lo[00:13:00]\r\n"
                        "[00:14:00] [00:14:20] wor [00:14:70] ld\r\n"
                        "[00:16:00][00:16:30]e[00:16:60]nd\r\n@TimeRatio=1\r\n"));
    EXPECT_EQ(ClassifyTagKind(r.text), TagKind::Karaoke);
    // A lone word starting after its line would read as a second line time: the line's time stays.
    EXPECT_EQ(ImportLrc(U("[00:16.00]<00:16.30>end\n")).text, U("[00:16:00]end\r\n@TimeRatio=1\r\n"));

    LrcImportOptions close;
    close.closeKaraokeLines = true;
    EXPECT_EQ(ImportLrc(lrc, close).text, U("[00:12:00]Hel[00:12:50]lo[00:13:00]\r\n"
                                            "[00:14:00] [00:14:20] wor [00:14:70] ld[00:16:00]\r\n"
                                            "[00:16:00][00:16:30]e[00:16:60]nd\r\n@TimeRatio=1\r\n"));

    // And back: every time as it was, the line breaks now CR LF.
    LrcExportOptions standard = Enhanced(false);
    EXPECT_EQ(ExportLrc(r.text, standard).text, QString(lrc).replace(QLatin1String("\n"), QLatin1String("\r\n")));
}

TEST(LrcImport, IdTagsBecomeTheAtBlockAndComeBack)
{
    const QString lrc = U("[ti:夕ぐれ]\r\n[ar: デモ楽団 ]\r\n[al:アルバム]\r\n[by:作者]\r\n[offset:+500]\r\n"
                          "[length:03:25]\r\n[re:SomeEditor]\r\n[00:01.00]道\r\n");
    const LrcImportResult r = ImportLrc(lrc);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.text, U("[length:03:25]\r\n[re:SomeEditor]\r\n[00:01:00]道\r\n@Title=夕ぐれ\r\n@Artist=デモ楽団\r\n"
                        "@Album=アルバム\r\n@TimeRatio=1\r\n@TaggingBy=作者\r\n@Offset=-500\r\n"));
    EXPECT_EQ(r.title, U("夕ぐれ"));
    EXPECT_EQ(r.artist, U("デモ楽団"));
    EXPECT_EQ(FindLrcTitleArtist(lrc).title, U("夕ぐれ"));
    EXPECT_EQ(FindLrcTitleArtist(lrc).artist, U("デモ楽団"));
    EXPECT_EQ(FindTitleArtist(r.text).title, U("夕ぐれ"));

    EXPECT_EQ(ExportLrc(r.text).text, U("[ti:夕ぐれ]\r\n[ar:デモ楽団]\r\n[al:アルバム]\r\n[by:作者]\r\n[offset:+500]\r\n"
                                        "[length:03:25]\r\n[re:SomeEditor]\r\n[00:01.00]道\r\n"));
}

TEST(LrcImport, PositiveLrcOffsetMovesTheLyricsEarlier)
{
    for (const auto& [lrcOffset, applied] : {std::pair{"+500", "[00:00:50]"}, std::pair{"-500", "[00:01:50]"}}) {
        const LrcImportResult r = ImportLrc(U("[offset:%1]\n[00:01.00]x\n").arg(QLatin1String(lrcOffset)));
        ASSERT_TRUE(r.ok());
        QString text = r.text;
        ASSERT_TRUE(ApplyOffset(text, ReadCorrectionData(text, true).data));
        EXPECT_TRUE(text.startsWith(QLatin1String(applied))) << text.toStdString();
        EXPECT_EQ(ExportLrc(r.text).text, U("[offset:%1]\r\n[00:01.00]x\r\n").arg(QLatin1String(lrcOffset)));
    }
    EXPECT_EQ(ExportLrc(U("[00:01:00]x\r\n@TimeRatio=1\r\n@Offset=0\r\n")).text, U("[offset:0]\r\n[00:01.00]x\r\n"));
}

TEST(LrcTimeBase, WinAmpTimeIsConvertedBothWaysAndSaysSo)
{
    // A paired 44.1 kHz song for a user in WinAmp time: 60 000 ms × 0.9953125 = 59 718.75.
    LrcImportOptions song;
    song.songRatio = WinAmpRatio(44100);
    const LrcImportResult r = ImportLrc(U("[ti:t]\n[01:00.00]x\n[by:me]\n"), song);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.timeBase, LrcTimeBase::SongRatio);
    EXPECT_EQ(r.ratio, 0.9953125);
    EXPECT_EQ(r.text, U("[00:59:72]x\r\n@Title=t\r\n@TimeRatio=0.9953125\r\n@TaggingBy=me\r\n"));

    const LrcExportResult e = ExportLrc(r.text);
    EXPECT_EQ(e.ratio, 0.9953125);
    EXPECT_EQ(e.text, U("[ti:t]\r\n[mwex:@TimeRatio=0.9953125]\r\n[by:me]\r\n[01:00.00]x\r\n"));
    const LrcImportResult back = ImportLrc(e.text);
    EXPECT_EQ(back.timeBase, LrcTimeBase::RecordedRatio);
    EXPECT_EQ(back.text, r.text);

    // A text that does not state its time base is in the user's.
    EXPECT_EQ(ExportLrc(U("[00:10:00]x\r\n")).text, U("[mwex-ratio:0.995312]\r\n[00:10.05]x\r\n"));
    LrcExportOptions standard;
    standard.userTimeIsWinAmp = false;
    EXPECT_EQ(ExportLrc(U("[00:10:00]x\r\n"), standard).text, U("[mwex-ratio:1]\r\n[00:10.00]x\r\n"));
    EXPECT_EQ(ImportLrc(U("[mwex-ratio:0.995312]\r\n[00:10.05]x\r\n")).text, U("[00:10:00]x\r\n"));
}

TEST(LrcExport, WritesLineTimesWordTimesAndMilliseconds)
{
    const QString text = U("歌\r\n[00:10:00][00:50:00]サビ\r\n[00:20:5]a[00:21:125]b[00:22:00]\r\n\r\n"
                           "@TimeRatio=1\r\n@SilencemSec=300\r\n@TaggingBy=\r\n");
    LrcExportResult r = ExportLrc(text);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.wordTimingDropped);
    EXPECT_EQ(r.text, U("[mwex:@SilencemSec=300]\r\n[by:]\r\n歌\r\n[00:10.00][00:50.00]サビ\r\n[00:20.50]ab\r\n\r\n"));
    r = ExportLrc(text, Enhanced());
    EXPECT_FALSE(r.wordTimingDropped);
    EXPECT_EQ(r.text, U("[mwex:@SilencemSec=300]\r\n[by:]\r\n歌\r\n[00:10.00][00:50.00]サビ\r\n"
                        "[00:20.50]<00:20.50>a<00:21.125>b<00:22.00>\r\n\r\n"));
    LrcExportOptions ms = Enhanced();
    ms.millis = true;
    ms.lineBreak = QStringLiteral("\n");
    EXPECT_EQ(ExportLrc(text, ms).text, U("[mwex:@SilencemSec=300]\n[by:]\n歌\n[00:10.000][00:50.000]サビ\n"
                                          "[00:20.500]<00:20.500>a<00:21.125>b<00:22.000>\n\n"));
    EXPECT_EQ(ImportLrc(ExportLrc(text, Enhanced()).text, Layout(LrcLayout::Keep)).text,
              U("歌\r\n[00:10:00][00:50:00]サビ\r\n[00:20:50]a[00:21:125]b[00:22:00]\r\n\r\n"
                "@TimeRatio=1\r\n@SilencemSec=300\r\n@TaggingBy=\r\n"));

    EXPECT_EQ(ExportLrc(U("歌だけ\r\n")).status, LrcExportStatus::NoTags);
    EXPECT_EQ(ExportLrc(U("[00:01.00]x\r\n")).status, LrcExportStatus::AlreadyLrc);
}

TEST(LrcDetect, TellsLrcFromTheProgramsOwnTags)
{
    EXPECT_EQ(DetectLrc(U("[00:01.00]a\r\n[00:02]b\r\n")), LrcContent::Lrc);
    EXPECT_EQ(DetectLrc(U("a <00:01.00>b\r\n")), LrcContent::Lrc);
    EXPECT_EQ(DetectLrc(U("[ar:X]\r\n[00:01]a\r\n")), LrcContent::Lrc);
    EXPECT_EQ(DetectLrc(U("[00:01]a\r\n[00:02:00]b\r\n")), LrcContent::None);
    EXPECT_EQ(DetectLrc(U("[length:03:25]\r\n[00:01]a\r\n@TimeRatio=1\r\n")), LrcContent::None);
    EXPECT_EQ(DetectLrc(U("plain [x] text\r\n")), LrcContent::None);

    const QString mixed = U("[ti:X]\r\n[00:01.00]a\r\n[00:02:00]b\r\n");
    EXPECT_EQ(DetectLrc(mixed), LrcContent::Mixed);
    const LrcImportResult r = ImportLrc(mixed);
    EXPECT_EQ(r.status, LrcStatus::Mixed);
    EXPECT_EQ(r.text, mixed);
    EXPECT_EQ(r.message, U("the text mixes LRC time tags with the program's own [mm:ss:xx] tags; left as it is"));
    EXPECT_EQ(ImportLrc(U("[00:01:00]a\r\n")).status, LrcStatus::NotLrc);
}

TEST(LrcRoundTrip, DemoLyricsComeBackByteForByte)
{
    const QDir demo(testsupport::SourceDir() + QStringLiteral("/demo"));
    int files = 0;
    for (const QString& name : demo.entryList({"*.txt", "*.lrc", "*.kra"}, QDir::Files)) {
        const QByteArray bytes = testsupport::ReadBytes(demo.filePath(name));
        const LrcDecoded decoded = DecodeLrcBytes(bytes);
        if (ClassifyTagKind(decoded.text) == TagKind::None)
            continue;
        ++files;
        for (bool userWinAmp : {true, false}) {
            const LrcExportResult lrc = ExportLrc(decoded.text, Enhanced(userWinAmp));
            ASSERT_TRUE(lrc.ok()) << name.toStdString();
            const LrcImportResult back = ImportLrc(lrc.text);
            ASSERT_TRUE(back.ok()) << name.toStdString() << back.message.toStdString();
            EXPECT_EQ(EncodeLrcBytes(back.text, decoded.encoding).value_or(QByteArray()), bytes) << name.toStdString();
        }
    }
    EXPECT_GE(files, 5);

    // What the karaoke sample looks like as enhanced LRC (its times are WinAmp time).
    const QString sample = DecodeLrcBytes(testsupport::ReadBytes(demo.filePath("sample.lrc"))).text;
    EXPECT_EQ(ExportLrc(sample, Enhanced()).text,
              U("[ti:朝のうた]\r\n[ar:メルウィック合唱団]\r\n[mwex:@TimeRatio=0.9953125]\r\n[mwex:@SilencemSec=26]\r\n"
                "[by:デモ作者]\r\n[00:00.50]<00:00.50>朝の光が<00:02.11>窓をたたく\r\n"
                "[00:04.02]<00:04.02>まだ眠い<00:05.22>目をこすって\r\n"
                "[00:07.03]<00:07.03>小さな歌を<00:08.44>口ずさむ\r\n[00:10.05]\r\n"));
}

TEST(LrcFiles, EncodingsAreDetectedAndKept)
{
    const QString text = U("[ti:歌]\r\n[00:01.00]あ\r\n");
    struct Case {
        LrcEncoding encoding;
        QByteArray prefix;
    };
    for (const Case& c : {Case{LrcEncoding::Utf8Bom, "\xEF\xBB\xBF"}, Case{LrcEncoding::Utf16Le, "\xFF\xFE"},
                          Case{LrcEncoding::Utf16Be, "\xFE\xFF"}, Case{LrcEncoding::Utf8, ""}, Case{LrcEncoding::Cp932, ""}}) {
        const std::optional<QByteArray> bytes = EncodeLrcBytes(text, c.encoding);
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(bytes->startsWith(c.prefix));
        const LrcDecoded d = DecodeLrcBytes(*bytes);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(d.text, text);
    }
    EXPECT_EQ(*EncodeLrcBytes(U("[あ"), LrcEncoding::Utf16Le), QByteArray("\xFF\xFE[\x00\x42\x30", 6));
    EXPECT_EQ(*EncodeLrcBytes(U("[あ"), LrcEncoding::Utf16Be), QByteArray("\xFE\xFF\x00[\x30\x42", 6));
    EXPECT_EQ(*EncodeLrcBytes(U("あ"), LrcEncoding::Cp932), testsupport::Sjis("あ"));
    // A byte CP932 could not decode cannot be written as UTF-16.
    QString error;
    EXPECT_FALSE(EncodeLrcBytes(DecodeLrcBytes("\x80x").text, LrcEncoding::Utf16Le, &error));
    EXPECT_FALSE(error.isEmpty());
}
