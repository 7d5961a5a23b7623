#include "lyrics/correction.h"

#include "lyrics/numbers.h"
#include "lyrics/timetag.h"

#include <cmath>

namespace lyrics {
namespace {

bool IsUsableRatio(double r)
{
    return std::isfinite(r) && r > 0;
}

} // namespace

double ShiftBySilenceOrOffset(double msec, const CorrectionData& lyrics, CorrectionData& target)
{
    if (lyrics.HasOffset) {
        msec += lyrics.Offset;
    } else {
        target.HasOffset = false;
        if (lyrics.SilenceMsec >= 0 && target.SilenceMsec >= 0)
            msec = msec - lyrics.SilenceMsec + target.SilenceMsec;
    }
    return msec < 0 || std::isnan(msec) ? 0.0 : msec;
}

bool ConvertTags(QString& text, const SongFacts& song, const CorrectionData& lyrics, ConversionKind kind,
                 const QString& userName)
{
    if (text.isEmpty() || song.sampleRate <= 0)
        return false;
    const double r = lyrics.TimeRatio;
    const bool fromWinAmp = kind == ConversionKind::WinAmpToWinAmp || kind == ConversionKind::WinAmpToStandard;
    if (fromWinAmp && !IsUsableRatio(r))
        return false;
    CorrectionData target;
    const bool toStandard = kind == ConversionKind::WinAmpToStandard || kind == ConversionKind::StandardToStandard;
    target.TimeRatio = toStandard ? 1.0 : WinAmpRatio(song.sampleRate, kSamplesPerFrame);
    target.SilenceMsec = song.silenceMsec;

    int tags = 0;
    QString converted = RewriteTagTimes(text, [&](const TagMatch& m) {
        ++tags;
        const double t = m.msec();
        double v = 0;
        switch (kind) {
        case ConversionKind::WinAmpToWinAmp:
            v = std::floor(ShiftBySilenceOrOffset(t / r, lyrics, target) * target.TimeRatio);
            break;
        case ConversionKind::WinAmpToStandard:
            v = std::floor(ShiftBySilenceOrOffset(std::floor(t / r), lyrics, target));
            break;
        case ConversionKind::StandardToWinAmp:
            v = std::floor(std::floor(ShiftBySilenceOrOffset(t, lyrics, target)) * target.TimeRatio);
            break;
        case ConversionKind::StandardToStandard:
            v = std::floor(ShiftBySilenceOrOffset(t, lyrics, target));
            break;
        }
        return TagTime{FloorToInt(v), m.layout};
    });
    if (tags == 0)
        return false;
    target.Artist = lyrics.Artist;
    target.Title = lyrics.Title;
    target.Album = lyrics.Album;
    target.BgFile = lyrics.BgFile;
    target.BgFolder = lyrics.BgFolder;
    target.TaggingBy = lyrics.TaggingBy;
    target.EditedBy = userName;
    if (lyrics.HasOffset) {
        target.HasOffset = true;
        target.Offset = 0;
    }
    ReplaceAtBlock(converted, target);
    text = std::move(converted);
    return true;
}

bool ApplyOffset(QString& text, const CorrectionData& lyrics)
{
    if (text.isEmpty() || !IsUsableRatio(lyrics.TimeRatio))
        return false;
    const qint64 shift = FloorToInt(lyrics.Offset / lyrics.TimeRatio);
    QString shifted = RewriteTagTimes(text, [shift](const TagMatch& m) { return TagTime{m.msec() + shift, m.layout}; });
    CorrectionData data = lyrics;
    data.Offset = 0;
    data.HasOffset = true;
    ReplaceAtBlock(shifted, data);
    text = std::move(shifted);
    return true;
}

bool AddCorrectionData(QString& text, const SongFacts& song, const CorrectionData& lyrics, const QString& userName)
{
    if (text.isEmpty() || song.sampleRate <= 0 || lyrics.TimeType == TimeBase::NotStated)
        return false;
    CorrectionData data = lyrics;
    data.TimeRatio = lyrics.TimeType == TimeBase::WinAmp ? WinAmpRatio(song.sampleRate, kSamplesPerFrame) : 1.0;
    data.SilenceMsec = song.silenceMsec;
    const CorrectionData present = ReadCorrectionData(text, false).data;
    data.Artist = present.Artist;
    data.Title = present.Title;
    data.Album = present.Album;
    data.HasOffset = false;
    data.Offset = 0;
    if (!lyrics.TaggingBy.isEmpty()) {
        data.EditedBy = userName;
    } else {
        data.TaggingBy = userName;
        data.EditedBy.clear();
    }
    ReplaceAtBlock(text, data);
    return true;
}

bool UpdateOldCorrectionData(QString& text, const CorrectionReading& lyrics)
{
    if (text.isEmpty() || lyrics.NoOlderData)
        return false;
    ReplaceAtBlock(text, lyrics.data);
    return true;
}

CorrectionMenu CorrectionMenuState(const CorrectionReading& lyrics, const std::optional<SongFacts>& song)
{
    CorrectionMenu menu;
    auto enable = [&menu](int i) { menu.enabled[size_t(i)] = true; };
    const CorrectionData& d = lyrics.data;
    if (!lyrics.NoOlderData)
        enable(7);
    if (d.HasOffset && d.Offset != 0)
        enable(4);
    if (!song)
        return menu;
    enable(6);
    if (song->sampleRate <= 0)
        return menu; // no conversion can succeed without a sample rate
    const double songRatio = WinAmpRatio(song->sampleRate, kSamplesPerFrame);
    const bool silenceDiffers = d.SilenceMsec >= 0 && d.SilenceMsec != song->silenceMsec && !d.HasOffset;
    if (d.TimeRatio != 1.0) {
        enable(1);
        if (songRatio != d.TimeRatio || silenceDiffers)
            enable(0);
    } else {
        enable(2);
        if (silenceDiffers)
            enable(3);
    }
    return menu;
}

} // namespace lyrics
