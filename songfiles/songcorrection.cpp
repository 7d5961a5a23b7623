#include "songfiles/songcorrection.h"

#include "lyrics/atblock.h"
#include "songfiles/pathprobe.h"
#include "songfiles/silence.h"
#include "songfiles/songfile.h"

namespace songfiles {
namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

std::optional<lyrics::SongFacts> SongFactsOf(const QString& songPath, QString* error)
{
    if (!FileExists(songPath)) {
        Fail(error, QStringLiteral("%1 does not exist").arg(songPath));
        return std::nullopt;
    }
    SongFile song;
    if (!song.open(songPath)) {
        Fail(error, song.errorString());
        return std::nullopt;
    }
    const std::optional<MpegInfo> info = song.kind() == kNotASong ? std::nullopt : song.mpegInfo();
    if (!info || info->sampleRate <= 0) {
        Fail(error, QStringLiteral("%1 is not an MP3 or RMP file with a sample rate").arg(songPath));
        return std::nullopt;
    }
    const int frames = SilentLeadFrames(song.reader(), song.layout(), *info);
    return lyrics::SongFacts{info->sampleRate, lyrics::FramesToMsec(frames, info->sampleRate)};
}

bool UnusableTimeRatio(QStringView text, const lyrics::CorrectionData& lyrics)
{
    const QString written = lyrics::FindAtValue(text, QLatin1StringView("@timeratio")).trimmed();
    if (!written.isEmpty() && !(lyrics::LeadingNumber(written) > 0))
        return true;
    return !(lyrics.TimeRatio > 0);
}

bool ConvertTagsForSong(QString& text, const QString& songPath, const lyrics::CorrectionData& data,
                        lyrics::ConversionKind kind, const QString& userName, QString* error)
{
    if (text.isEmpty())
        return Fail(error, QStringLiteral("the lyrics are empty"));
    const std::optional<lyrics::SongFacts> facts = SongFactsOf(songPath, error);
    if (!facts)
        return false;
    if (!lyrics::ConvertTags(text, *facts, data, kind, userName))
        return Fail(error, QStringLiteral("the lyrics have no time tags, or a time ratio that cannot be used"));
    return true;
}

bool AddCorrectionDataForSong(QString& text, const QString& songPath, const lyrics::CorrectionData& data,
                              const QString& userName, QString* error)
{
    if (text.isEmpty())
        return Fail(error, QStringLiteral("the lyrics are empty"));
    const std::optional<lyrics::SongFacts> facts = SongFactsOf(songPath, error);
    if (!facts)
        return false;
    if (!lyrics::AddCorrectionData(text, *facts, data, userName))
        return Fail(error, QStringLiteral("the time base is not stated"));
    return true;
}

} // namespace songfiles
