#include "playback/playalong.h"

#include "lyrics/numbers.h"

#include <algorithm>
#include <cmath>

namespace playback {
namespace {

bool Blank(QStringView s)
{
    return s.trimmed().isEmpty();
}

} // namespace

std::vector<TaggedLine> BuildTaggedLines(QStringView text)
{
    std::vector<TaggedLine> out;
    qsizetype from = 0;
    int number = 0;
    while (from < text.size() || (from == 0 && !text.isEmpty())) {
        qsizetype end = from;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = text.mid(from, end - from);
        if (lyrics::HasTags(line, true)) {
            TaggedLine t;
            t.lineNumber = number;
            t.text = line.toString();
            QStringView rest = line;
            for (;;) {
                QString before;
                const lyrics::NextTag next = lyrics::TakeNextTag(rest, before);
                if (next.tag.isEmpty()) {
                    t.after = before;
                    break;
                }
                lyrics::TagLayout layout = lyrics::TagLayout::Hundredths;
                t.tagMs.push_back(lyrics::ParseTimeTag(next.tag, &layout));
                t.layouts.push_back(layout);
                t.tags.push_back(next.tag);
                t.before.push_back(before);
                rest = next.rest;
                if (rest.isEmpty())
                    break;
            }
            // Text after the last tag counts as well: a line "[00:10]words" is visible.
            t.visible = !Blank(t.after) || std::any_of(t.before.begin(), t.before.end(), [](const QString& b) { return !Blank(b); });
            out.push_back(std::move(t));
        }
        if (end >= text.size())
            break;
        end += (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1;
        from = end;
        ++number;
    }
    return out;
}

int DefaultFirstTag(const TaggedLine& line)
{
    if (line.TagCount() > 1 && Blank(line.before[0]) && Blank(line.before[1]))
        return 2;
    return 1;
}

int DefaultLastTag(const TaggedLine& line)
{
    for (int k = line.TagCount(); k >= 1; --k) {
        const QString& following = k < line.TagCount() ? line.before[size_t(k)] : line.after;
        if (!Blank(following))
            return k;
    }
    return 1;
}

QString PlayAlong::TooFewLinesMessage()
{
    return QStringLiteral("タイムタグがある行が２行以上ないと調整できません。");
}

QString PlayAlong::TimeTypeChangedMessage()
{
    return QStringLiteral("タイムタイプを変えたら、必ず、操作を最初からやり直してください。");
}

QString PlayAlong::BadNewTimeMessage()
{
    return QStringLiteral("新しい時間が正しくありません。\r\n「分:秒:100分の1秒」の形で入力してください。");
}

bool PlayAlong::Load(const QString& text, bool userTimeIsWinAmp)
{
    lines_ = BuildTaggedLines(text);
    if (lines_.size() < 2)
        return false;
    text_ = text;
    correction_ = lyrics::ReadCorrectionData(text, userTimeIsWinAmp).data;
    winAmp_ = userTimeIsWinAmp;
    if (correction_.TimeType == lyrics::TimeBase::WinAmp)
        winAmp_ = true;
    else if (correction_.TimeType == lyrics::TimeBase::Standard)
        winAmp_ = false;
    playing_ = false;
    // The first and last lines with visible text; without such lines, the first and
    // last tagged lines.
    const int n = int(lines_.size());
    int first = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (lines_[size_t(i)].visible) {
            first = i;
            break;
        }
    }
    int last = n - 1;
    for (int i = n - 1; i > first; --i) {
        if (lines_[size_t(i)].visible) {
            last = i;
            break;
        }
    }
    line_[0] = first;
    line_[1] = last;
    tag_[0] = DefaultFirstTag(lines_[size_t(first)]);
    tag_[1] = DefaultLastTag(lines_[size_t(last)]);
    ResetNew(Reference::First);
    ResetNew(Reference::Last);
    return true;
}

int PlayAlong::SetLine(Reference r, int index)
{
    const int n = int(lines_.size());
    if (n < 2)
        return 0;
    index = std::clamp(index, 0, n - 1);
    if (r == Reference::First) {
        if (index >= line_[1])
            index = line_[1] - 1;
        line_[0] = index;
        tag_[0] = DefaultFirstTag(lines_[size_t(index)]);
    } else {
        if (index <= line_[0])
            index = line_[0] + 1;
        line_[1] = index;
        tag_[1] = DefaultLastTag(lines_[size_t(index)]);
    }
    ResetNew(r);
    return index;
}

bool PlayAlong::SelectTag(Reference r, int k)
{
    if (playing_ || lines_.empty())
        return false;
    const TaggedLine& line = lines_[size_t(line_[int(r)])];
    if (k < 1 || k > line.TagCount())
        return false;
    tag_[int(r)] = k;
    ResetNew(r);
    return true;
}

bool PlayAlong::MoveTag(Reference r, int delta)
{
    return SelectTag(r, tag_[int(r)] + delta);
}

int PlayAlong::OldMs(Reference r) const
{
    if (lines_.empty())
        return 0;
    return lines_[size_t(line_[int(r)])].tagMs[size_t(tag_[int(r)] - 1)];
}

QString PlayAlong::OldText(Reference r) const
{
    if (lines_.empty())
        return {};
    const QString& tag = lines_[size_t(line_[int(r)])].tags[size_t(tag_[int(r)] - 1)];
    return tag.mid(1, tag.size() - 2);
}

void PlayAlong::ResetNew(Reference r)
{
    newText_[int(r)] = OldText(r);
}

std::optional<int> PlayAlong::ParseNewTime(QStringView field)
{
    QString tag = field.trimmed().toString();
    if (!tag.startsWith(u'['))
        tag = u'[' + tag + u']';
    lyrics::TagMatch m;
    if (!lyrics::MatchTagAt(tag, 0, &m) || m.length != tag.size())
        return std::nullopt;
    return m.msec();
}

void PlayAlong::SetWinAmpTime(bool winAmp)
{
    winAmp_ = winAmp;
    ResetNew(Reference::First);
    ResetNew(Reference::Last);
}

QString PlayAlong::SetTimeRagText(QStringView text)
{
    const std::optional<double> v = lyrics::ParseLeadingNumber(text);
    timeRag_ = v ? lyrics::RoundToInt(*v) : 0;
    return QString::number(timeRag_);
}

int PlayAlong::SongTimeMs(qint64 samples, int sampleRate) const
{
    if (sampleRate <= 0)
        return 0;
    const double ratio = winAmp_ ? lyrics::WinAmpRatio(sampleRate) : 1.0;
    return lyrics::FloorToInt(double(samples) / sampleRate * 1000.0 * ratio);
}

int PlayAlong::Capture(Reference r, qint64 samples, int sampleRate)
{
    const int captured = std::max(0, SongTimeMs(samples, sampleRate) + timeRag_);
    const auto layoutOf = [this](Reference which) {
        return lines_[size_t(line_[int(which)])].layouts[size_t(tag_[int(which)] - 1)];
    };
    newText_[int(r)] = lyrics::FormatTimeTag(captured, layoutOf(r), false);
    if (r == Reference::First) {
        // Until the last line is captured, the span between the two stays the same.
        const qint64 last = std::max<qint64>(0, qint64(captured) - OldMs(Reference::First) + OldMs(Reference::Last));
        newText_[1] = lyrics::FormatTimeTag(last, layoutOf(Reference::Last), false);
    }
    return captured;
}

std::optional<int> PlayAlong::JumpSeconds(Reference r, int songSeconds) const
{
    const std::optional<int> ms = ParseNewTime(newText_[int(r)]);
    if (!ms)
        return std::nullopt;
    return std::max(0, std::min(*ms / 1000 - 3, songSeconds - 3));
}

std::optional<int> PlayAlong::BackSeconds(int position)
{
    if (position > 3)
        return position - 3;
    return std::nullopt;
}

std::optional<int> PlayAlong::ForwardSeconds(int position, int songSeconds)
{
    if (position < songSeconds - 6)
        return position + 3;
    return std::nullopt;
}

lyrics::RescaleResult PlayAlong::Rescale() const
{
    const std::optional<int> firstNew = ParseNewTime(newText_[0]);
    const std::optional<int> lastNew = ParseNewTime(newText_[1]);
    if (!firstNew || !lastNew)
        return {false, text_, BadNewTimeMessage()};
    return lyrics::RescaleTags(text_, OldMs(Reference::First), OldMs(Reference::Last), *firstNew, *lastNew);
}

std::optional<QString> PlayAlong::Accept(const lyrics::SongFacts& song, const QString& userName, QString* message) const
{
    lyrics::RescaleResult r = Rescale();
    if (!r.ok) {
        if (message)
            *message = r.message;
        return std::nullopt;
    }
    lyrics::CorrectionData data = correction_;
    data.TimeType = winAmp_ ? lyrics::TimeBase::WinAmp : lyrics::TimeBase::Standard;
    if (!lyrics::AddCorrectionData(r.text, song, data, userName)) {
        if (message)
            *message = QStringLiteral("処理に失敗しました。");
        return std::nullopt;
    }
    return r.text;
}

} // namespace playback
