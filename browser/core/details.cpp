#include "browser/core/details.h"

#include "browser/core/filepane.h"
#include "browser/core/pairing.h"

#include "common/rawname.h"

#include <QFileInfo>
#include <optional>

namespace browser {

namespace {
QString CutField(const QString& text)
{
    QString t = text;
    const qsizetype nul = t.indexOf(QChar(0));
    if (nul >= 0)
        t.truncate(nul);
    while (!t.isEmpty() && (t.back() == QLatin1Char(' ') || t.back() == QChar(0x3000)))
        t.chop(1);
    return t;
}
} // namespace

QString PickTagText(const QString& longText, const QString& id3v1Text)
{
    const QString first = CutField(longText);
    return first.isEmpty() ? CutField(id3v1Text) : first;
}

QString SongTagsCell(int kind, bool vbr)
{
    if (kind == songkind::kNotSong)
        return QStringLiteral("E");
    QString t;
    if (kind & songkind::kMarkI)
        t += QStringLiteral(" I");
    if (kind & songkind::kRmp)
        t += QStringLiteral(" R");
    if (kind & songkind::kLyrics3)
        t += QStringLiteral(" L");
    if (kind & songkind::kWave)
        t += QStringLiteral(" W");
    if (kind & songkind::kId3v2)
        t += QStringLiteral(" 2");
    if (kind & songkind::kMacBinary)
        t += QStringLiteral(" M");
    if (vbr)
        t += QStringLiteral(" V");
    return t.mid(1);
}

bool IsBadSongKind(int kind)
{
    return kind == songkind::kNotSong || (kind & (songkind::kWave | songkind::kId3v2 | songkind::kMacBinary)) != 0;
}

bool ApplyLyricsDetails(FilePane& pane, int row, FilePane& other, const std::optional<LyricsDetails>& details)
{
    if (row < 0 || row >= pane.rowCount())
        return false;
    if (!details) {
        pane.updateRow(row, [](FileRow& r) {
            if (r.icon == icons::kNone)
                r.icon = icons::kLyricsUntagged;
            r.setCell(Col::Match, QString());
            r.dimmed = true;
        });
        PairRow(pane, row, other);
        return false;
    }
    pane.updateRow(row, [&](FileRow& r) {
        switch (details->tagKind) {
        case 1:
            r.icon = icons::kLyricsLineHead;
            r.setCell(Col::TagType, QStringLiteral("行頭"));
            break;
        case 2:
            r.icon = icons::kLyricsKaraoke;
            r.setCell(Col::TagType, QStringLiteral("ｶﾗｵｹ"));
            break;
        default:
            r.icon = icons::kLyricsUntagged;
            r.setCell(Col::TagType, QStringLiteral("なし"));
            break;
        }
        r.dimmed = false;
        if (details->timeType == 1)
            r.setCell(Col::TimeType, QStringLiteral("WinAmp"));
        else if (details->timeType == 2)
            r.setCell(Col::TimeType, QStringLiteral("標準"));
        if (details->taggingBy)
            r.setCell(Col::TaggingBy, *details->taggingBy);
        r.setCell(Col::Title, details->title);
        r.setCell(Col::Artist, details->artist);
        r.setCell(Col::Match, QString());
    });
    PairRow(pane, row, other);
    return true;
}

bool ApplySongDetails(FilePane& pane, int row, FilePane& other, const SongDetails& details)
{
    if (row < 0 || row >= pane.rowCount())
        return false;
    if (!details.exists) {
        pane.updateRow(row, [](FileRow& r) {
            if (r.icon == icons::kNone)
                r.icon = icons::kSong;
            r.dimmed = true;
            r.setCell(Col::Match, QString());
        });
        PairRow(pane, row, other);
        return false;
    }
    pane.updateRow(row, [&](FileRow& r) {
        const int kind = details.kind;
        // Kind −1 is "not a song", not a set of flags.
        const int flags = kind == songkind::kNotSong ? 0 : kind;
        r.icon = 1 + 4 * ((flags & songkind::kRmp) ? 1 : 0) + ((flags & songkind::kLyrics3) ? 1 : 0);
        r.dimmed = IsBadSongKind(kind);
        r.setCell(Col::Artist, PickTagText(details.longTags.artist, details.id3v1.artist));
        r.setCell(Col::Title, PickTagText(details.longTags.title, details.id3v1.title));
        r.setCell(Col::Comment, PickTagText(details.longTags.comment, details.id3v1.comment));
        r.setCell(Col::Album, PickTagText(details.longTags.album, details.id3v1.album));
        bool vbr = false;
        if (details.stream && kind != songkind::kNotSong) {
            const StreamInfo& s = *details.stream;
            vbr = s.bitRate == 0;
            r.setCell(Col::Version, FormatMpegVersion(s.version));
            r.setCell(Col::Layer, QString::number(s.layer));
            r.setCell(Col::Br, vbr ? QStringLiteral("VBR") : QString::number(s.bitRate));
            r.setCell(Col::Sr, FormatSampleRate(s.sampleRate));
            r.setCell(Col::PlayTime, FormatPlayTime(s.playSeconds));
        } else {
            for (Col c : {Col::Version, Col::Layer, Col::Br, Col::Sr, Col::PlayTime})
                r.setCell(c, QString());
        }
        r.setCell(Col::Tags, SongTagsCell(kind, vbr));
        r.setCell(Col::Match, QString());
    });
    PairRow(pane, row, other);
    return true;
}

bool FillLyricsRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime)
{
    if (row < 0 || row >= pane.rowCount())
        return false;
    return ApplyLyricsDetails(pane, row, other, provider.readLyrics(pane.row(row).fullPath(), userWinAmpTime));
}

bool FillSongRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider)
{
    if (row < 0 || row >= pane.rowCount())
        return false;
    return ApplySongDetails(pane, row, other, provider.readSong(pane.row(row).fullPath()));
}

bool FillRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime)
{
    return pane.isLyricsMode() ? FillLyricsRow(pane, row, other, provider, userWinAmpTime)
                               : FillSongRow(pane, row, other, provider);
}

namespace {

struct FoundFile {
    qint64 size = 0;
    QDateTime modified;
};

// A row whose file is gone (or is a folder) is dimmed; otherwise its cells are filled
// from the file's size and time and its details read again.
bool RefreshFromFile(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime,
                     const std::optional<FoundFile>& file)
{
    if (!file) {
        pane.updateRow(row, [&](FileRow& r) {
            if (r.icon == icons::kNone)
                r.icon = icons::kSong;
            r.dimmed = true;
        });
        return false;
    }
    pane.updateRow(row, [&](FileRow& r) {
        FillFoundFileCells(r, pane.mode, r.cell(Col::Path), file->size, file->modified);
        r.icon = icons::kNone;
    });
    return FillRow(pane, row, other, provider, userWinAmpTime);
}

std::optional<FoundFile> FindFile(const QString& path)
{
    if (common::HasRawBytes(path)) { // a name Qt cannot see (not UTF-8)
        const std::optional<common::PathStat> st = common::StatPath(path);
        if (!st || st->isDir)
            return std::nullopt;
        return FoundFile{st->size, st->modified};
    }
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return FoundFile{info.size(), info.lastModified()};
}

} // namespace

bool RefreshRow(FilePane& pane, int row, FilePane& other, const DetailsProvider& provider, bool userWinAmpTime)
{
    if (row < 0 || row >= pane.rowCount())
        return false;
    return RefreshFromFile(pane, row, other, provider, userWinAmpTime, FindFile(pane.row(row).fullPath()));
}

} // namespace browser
