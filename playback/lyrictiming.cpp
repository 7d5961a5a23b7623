#include "playback/lyrictiming.h"

#include "lyrics/atblock.h"
#include "lyrics/timetag.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace playback {
namespace {

qint32 Clamp32(qint64 v)
{
    return qint32(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

} // namespace

void LyricTimer::SetText(const QString& text)
{
    text_ = text;
    lines_.clear();
    shown_.clear();
    offsetMs_ = 0;
    hasOffset_ = false;
    if (text.isEmpty())
        return;

    int number = 0;
    for (qsizetype from = 0; from <= text.size(); ++number) {
        qsizetype end = from;
        while (end < text.size() && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = QStringView(text).mid(from, end - from);

        Line parsed;
        parsed.number = number;
        parsed.atMark = line.startsWith(QLatin1Char('@'));
        lyrics::NextTag next = lyrics::TakeNextTag(line, parsed.before);
        if (!next.tag.isEmpty()) {
            parsed.shown = parsed.before;
            while (!next.tag.isEmpty()) {
                parsed.tagMs.push_back(lyrics::ParseTimeTag(next.tag));
                QString piece;
                next = lyrics::TakeNextTag(next.rest, piece);
                parsed.shown += piece;
                parsed.pieces.push_back(std::move(piece));
            }
            lines_.push_back(std::move(parsed));
        }

        if (end >= text.size())
            break;
        from = end + (text[end] == QLatin1Char('\r') && end + 1 < text.size() && text[end + 1] == QLatin1Char('\n') ? 2 : 1);
    }

    const lyrics::CorrectionReading reading = lyrics::ReadCorrectionData(text, true);
    offsetMs_ = reading.data.Offset;
    hasOffset_ = reading.data.HasOffset;
    Retime();
}

void LyricTimer::Clear()
{
    SetText(QString());
}

void LyricTimer::SetTimeBase(LyricsTimeBase base)
{
    base_ = base;
    Retime();
}

void LyricTimer::SetWinAmpRatio(double ratio)
{
    ratio_ = ratio > 0 ? ratio : 1.0;
    Retime();
}

void LyricTimer::SetAtMarkUse(AtMarkUse use)
{
    atMark_ = use;
    Retime();
}

void LyricTimer::SetAdvanceMs(int ms)
{
    advanceMs_ = std::max(ms, 0);
    Retime();
}

void LyricTimer::SetKaraoke(bool on)
{
    karaoke_ = on;
}

void LyricTimer::SetSongEndMs(qint64 ms)
{
    songEndMs_ = ms;
}

void LyricTimer::Retime()
{
    shown_.clear();
    const qint64 offset = atMark_ == AtMarkUse::HideAndOffset && hasOffset_ ? offsetMs_ : 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        line.times.clear();
        for (qint32 tag : line.tagMs) {
            const qint64 t = std::max<qint64>(qint64(tag) + offset, 0);
            // Standard-time tags move onto the WinAmp clock the positions are read on.
            line.times.push_back(base_ == LyricsTimeBase::Standard ? qint64(std::floor(double(t) * ratio_)) : t);
        }
        line.start = line.times.front() - advanceMs_;
        if (!(line.atMark && atMark_ != AtMarkUse::Show))
            shown_.push_back(i);
    }
}

QString LyricTimer::SungBefore(const Line& line, size_t tag)
{
    QString sung = line.before;
    for (size_t i = 0; i < tag && i < line.pieces.size(); ++i)
        sung += line.pieces[i];
    return sung;
}

LyricState LyricTimer::StateAt(qint64 winampMs) const
{
    LyricState state;
    const int count = int(shown_.size());
    if (count == 0)
        return state;

    auto shown = [&](int i) -> const Line& { return lines_[shown_[size_t(i)]]; };

    // The current line is the one that became current last (ties: the later line).
    int current = -1;
    for (int i = 0; i < count; ++i)
        if (shown(i).start <= winampMs && (current < 0 || shown(i).start >= shown(current).start))
            current = i;
    auto textOf = [&](int i) { return i >= 0 && i < count ? shown(i).shown : QString(); };
    state.texts[7] = textOf(current - 2);
    state.texts[6] = textOf(current - 1);
    state.texts[5] = textOf(current);
    state.texts[1] = textOf(current + 1);
    state.texts[0] = textOf(current + 2);
    if (current < 0)
        return state;

    const Line& line = shown(current);
    state.integers[1] = line.number;
    if (!karaoke_)
        return state;

    // The segment starts at the last tag already reached.
    int reached = -1;
    for (size_t k = 0; k < line.times.size(); ++k)
        if (line.times[k] <= winampMs)
            reached = int(k);
    qint64 start;
    qint64 end;
    QString sungAtStart;
    QString sungAtEnd;
    if (reached < 0) {
        start = std::max<qint64>(line.start, 0);
        end = line.times.front();
        sungAtStart = sungAtEnd = line.before;
        state.integers[2] = 0;
    } else {
        const size_t k = size_t(reached);
        start = line.times[k];
        if (k + 1 < line.times.size())
            end = line.times[k + 1];
        else if (current + 1 < count)
            end = shown(current + 1).times.front();
        else
            end = songEndMs_;
        sungAtStart = SungBefore(line, k);
        sungAtEnd = SungBefore(line, k + 1);
        state.integers[2] = reached + 1;
    }
    state.integers[0] = Clamp32(start);
    state.integers[3] = Clamp32(std::max<qint64>(end - start, 0));
    state.texts[2] = line.shown.mid(sungAtEnd.size());
    state.texts[3] = std::move(sungAtStart);
    state.texts[4] = std::move(sungAtEnd);
    return state;
}

} // namespace playback
