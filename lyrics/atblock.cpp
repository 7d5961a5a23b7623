#include "lyrics/atblock.h"

#include "lyrics/numbers.h"
#include "lyrics/timetag.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace lyrics {
namespace {

const QLatin1StringView kCrLf("\r\n");

char16_t AsciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

bool MatchesKeyAt(QStringView text, qsizetype p, QLatin1StringView key)
{
    if (text.size() - p < key.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (AsciiLower(text[p + i].unicode()) != AsciiLower(char16_t(uchar(key[i].toLatin1()))))
            return false;
    }
    return true;
}

QStringView ChopTrailingBlanks(QStringView s)
{
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

QStringView DropLeading(QStringView s, QLatin1StringView chars)
{
    while (!s.isEmpty() && chars.contains(s.front()))
        s = s.sliced(1);
    return s;
}

/// The raw value behind the key found at `p`: up to the next CR.
QStringView ValueAt(QStringView text, qsizetype p, qsizetype keyLength)
{
    const QStringView after = text.sliced(p + keyLength);
    const qsizetype cr = after.indexOf(QLatin1Char('\r'));
    return cr < 0 ? after : after.first(cr);
}

/// Removes the key found at `p` and the rest of its line, CR LF included.
void RemoveLineFrom(QString& s, qsizetype p)
{
    const qsizetype brk = s.indexOf(kCrLf, p);
    if (brk < 0)
        s.truncate(p);
    else
        s.remove(p, brk + 2 - p);
}

const QLatin1StringView kSilence("@silence");
const QLatin1StringView kSilenceMsec("@silencemsec");

/// First "@silence" that is not the start of "@silencemsec".
qsizetype FindOlderSilenceKey(QStringView text)
{
    for (qsizetype p = FindKey(text, kSilence); p >= 0; p = FindKey(text, kSilence, p + 1)) {
        if (!MatchesKeyAt(text, p, kSilenceMsec))
            return p;
    }
    return -1;
}

void AppendLine(QString& out, QLatin1StringView key, QStringView value)
{
    out.append(key).append(value).append(kCrLf);
}

} // namespace

qsizetype FindKey(QStringView text, QLatin1StringView key, qsizetype from)
{
    if (key.isEmpty())
        return from <= text.size() ? from : -1;
    const char16_t lo = AsciiLower(char16_t(uchar(key[0].toLatin1())));
    const char16_t up = (lo >= u'a' && lo <= u'z') ? char16_t(lo - (u'a' - u'A')) : lo;
    qsizetype p = std::max<qsizetype>(from, 0);
    while (p < text.size()) {
        if (lo == up) {
            p = text.indexOf(QChar(lo), p);
            if (p < 0)
                return -1;
        } else {
            while (p < text.size() && text[p].unicode() != lo && text[p].unicode() != up)
                ++p;
            if (p >= text.size())
                return -1;
        }
        if (MatchesKeyAt(text, p, key))
            return p;
        ++p;
    }
    return -1;
}

QString FindAtValue(QStringView text, QLatin1StringView key)
{
    const qsizetype p = FindKey(text, key);
    if (p < 0)
        return QString();
    return DropLeading(ValueAt(text, p, key.size()), QLatin1StringView("= ")).toString();
}

double LeadingNumber(QStringView value)
{
    return ParseLeadingNumber(value).value_or(0.0);
}

namespace {

QString AtValue(QStringView text, const char* key)
{
    return ChopTrailingBlanks(FindAtValue(text, QLatin1StringView(key))).toString();
}

int AtNumber(const QString& value)
{
    return RoundToInt(LeadingNumber(value));
}

// "@taggingby": the tagger, optionally followed by " (editor)" in older files.
void ReadTaggers(QStringView text, CorrectionReading& r)
{
    CorrectionData& d = r.data;
    const QString tagging = AtValue(text, "@taggingby");
    const qsizetype open = tagging.indexOf(QLatin1String(" ("));
    if (open >= 0 && tagging.endsWith(QLatin1Char(')'))) {
        d.TaggingBy = tagging.first(open);
        const QStringView bracket = QStringView(tagging).sliced(open + 1);
        if (bracket.size() >= 3) {
            d.EditedBy = bracket.sliced(1, bracket.size() - 2).toString();
            r.NoOlderData = false;
        }
    } else {
        d.TaggingBy = tagging;
    }
    const QString edited = AtValue(text, "@editedby");
    if (!edited.isEmpty())
        d.EditedBy = edited;
}

// The time base: an explicit "@timeratio" wins; otherwise "@timetype", with the WinAmp
// ratio derived from the frame count and length when both are known.
void ReadTimeBase(QStringView text, bool userTimeIsWinAmp, CorrectionReading& r)
{
    CorrectionData& d = r.data;
    const QString timeType = AtValue(text, "@timetype").toLower();
    if (timeType == QLatin1String("winamp")) {
        d.TimeType = TimeBase::WinAmp;
        r.NoOlderData = false;
    } else if (timeType == QLatin1String("normal")) {
        d.TimeType = TimeBase::Standard;
        r.NoOlderData = false;
    }

    const double userRatio = userTimeIsWinAmp ? kDefaultWinAmpRatio : 1.0;
    double ratio = LeadingNumber(FindAtValue(text, QLatin1StringView("@timeratio")).trimmed());
    if (!std::isfinite(ratio))
        ratio = 0;
    if (ratio != 0) {
        d.TimeRatio = ratio;
        d.TimeType = ratio != 1.0 ? TimeBase::WinAmp : TimeBase::Standard;
    } else if (d.TimeType == TimeBase::Standard) {
        d.TimeRatio = 1.0;
    } else if (d.TimeType == TimeBase::WinAmp) {
        d.TimeRatio = d.Frames > 0 && d.TotalSec > 0
            ? WinAmpRatio(SampleRateFromFrames(d.Frames, d.TotalSec), kSamplesPerFrame)
            : userRatio;
    } else {
        d.TimeRatio = userRatio;
    }
}

// "@silencemsec", or the older "@silence" counted in frames at the older sample rate.
void ReadSilence(QStringView text, CorrectionReading& r)
{
    CorrectionData& d = r.data;
    const QString silenceMsec = AtValue(text, "@silencemsec");
    d.SilenceMsec = silenceMsec.isEmpty() ? -1 : AtNumber(silenceMsec);
    if (d.SilenceMsec == -1) {
        // "@silence" is also the start of "@silencemsec"; only the older key counts here.
        const qsizetype p = FindOlderSilenceKey(text);
        const QString frames = p < 0 ? QString()
            : ChopTrailingBlanks(DropLeading(ValueAt(text, p, kSilence.size()), QLatin1StringView("= "))).toString();
        d.SilenceFrames = frames.isEmpty() ? -1 : AtNumber(frames);
        if (d.SilenceFrames >= 0) {
            d.SilenceMsec = FramesToMsec(d.SilenceFrames, kOlderSilenceSampleRate, kSamplesPerFrame);
            r.NoOlderData = false;
        }
    }
    if (FindKey(text, kSilenceMsec) >= 0)
        d.SilenceFrames = -1;
}

} // namespace

CorrectionReading ReadCorrectionData(QStringView text, bool userTimeIsWinAmp)
{
    CorrectionReading r;
    CorrectionData& d = r.data;
    if (text.isEmpty())
        return r;
    ReadTaggers(text, r);

    d.Frames = AtNumber(AtValue(text, "@flames"));
    d.TotalSec = AtNumber(AtValue(text, "@totalsec"));
    if (d.Frames > 0 || d.TotalSec > 0)
        r.NoOlderData = false;

    ReadTimeBase(text, userTimeIsWinAmp, r);
    ReadSilence(text, r);

    const QString offset = AtValue(text, "@offset");
    if (!offset.isEmpty()) {
        d.Offset = AtNumber(offset);
        d.HasOffset = true;
    }

    d.Artist = AtValue(text, "@artist");
    d.Title = AtValue(text, "@title");
    d.Album = AtValue(text, "@album");
    d.BgFile = AtValue(text, "@bgfile");
    d.BgFolder = AtValue(text, "@bgfolder");
    return r;
}

namespace {

const char* const kStrippedKeys[] = {"@flames", "@taggingby", "@editedby", "@totalsec", "@samplerate", "@offset",
                                     "@timetype", "@silence", "@timeratio", "@artist", "@title", "@album",
                                     "@bgfile", "@bgfolder"}; // "@silence" also covers "@silencemsec"

/// A position in front of which no key line can start while StripAtLinesInPlace removes
/// lines. The first key sits at or after the first "@" that begins one; each removal can
/// join a line's head with what followed the removed line, which moves a match at most
/// one key length (12) to the left, and there are at most 15 removals.
qsizetype FirstPossibleKey(QStringView s)
{
    for (qsizetype p = s.indexOf(QLatin1Char('@')); p >= 0; p = s.indexOf(QLatin1Char('@'), p + 1)) {
        for (const char* key : kStrippedKeys) {
            if (MatchesKeyAt(s, p, QLatin1StringView(key)))
                return std::max<qsizetype>(0, p - 15 * 12);
        }
    }
    return -1;
}

void StripAtLinesInPlace(QString& s)
{
    // Most texts keep their @ lines at the end: the searches start shortly before the
    // first key, so they do not walk the whole lyrics fifteen times.
    const qsizetype from = FirstPossibleKey(s);
    if (from < 0)
        return;
    auto removeFirst = [&s, from](QLatin1StringView key) {
        const qsizetype p = FindKey(s, key, from);
        if (p >= 0)
            RemoveLineFrom(s, p);
    };
    for (const char* key : {"@flames", "@taggingby", "@editedby", "@totalsec", "@samplerate", "@offset", "@timetype"})
        removeFirst(QLatin1StringView(key));
    // "@silence" takes the first line of either silence key, "@silencemsec" the other.
    const qsizetype p = FindKey(s, kSilence, from);
    if (p >= 0) {
        const bool tookMsec = MatchesKeyAt(s, p, kSilenceMsec);
        RemoveLineFrom(s, p);
        removeFirst(tookMsec ? kSilence : kSilenceMsec);
    } else {
        removeFirst(kSilenceMsec);
    }
    for (const char* key : {"@timeratio", "@artist", "@title", "@album", "@bgfile", "@bgfolder"})
        removeFirst(QLatin1StringView(key));
}

} // namespace

QString StripAtLines(QStringView text)
{
    QString s = text.toString();
    StripAtLinesInPlace(s);
    return s;
}

QString FormatRatio(double ratio)
{
    if (!std::isfinite(ratio))
        return QStringLiteral("0");
    if (ratio == 0)
        return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, ratio, std::chars_format::scientific, 14);
    const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
    // d.dddddddddddddde±XX
    const size_t e = sci.find('e');
    std::string digits;
    bool negative = false;
    for (size_t i = 0; i < e; ++i) {
        if (sci[i] == '-')
            negative = true;
        else if (sci[i] >= '0' && sci[i] <= '9')
            digits += sci[i];
    }
    int exponent = 0;
    std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    std::string intPart, fracPart;
    if (exponent >= 0) {
        const size_t n = static_cast<size_t>(exponent) + 1;
        if (n >= digits.size()) {
            intPart = digits + std::string(n - digits.size(), '0');
        } else {
            intPart = digits.substr(0, n);
            fracPart = digits.substr(n);
        }
    } else {
        intPart = "0";
        fracPart = std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    }
    while (!fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    std::string out = negative ? "-" : "";
    out += intPart;
    if (!fracPart.empty())
        out += "." + fracPart;
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

void ReplaceAtBlock(QString& out, const CorrectionData& d)
{
    StripAtLinesInPlace(out);
    if (!out.endsWith(kCrLf))
        out.append(kCrLf);
    if (!d.Artist.isEmpty())
        AppendLine(out, QLatin1StringView("@Artist="), d.Artist);
    if (!d.Title.isEmpty())
        AppendLine(out, QLatin1StringView("@Title="), d.Title);
    if (!d.Album.isEmpty())
        AppendLine(out, QLatin1StringView("@Album="), d.Album);
    if (!d.BgFile.isEmpty())
        AppendLine(out, QLatin1StringView("@Bgfile="), d.BgFile);
    if (!d.BgFolder.isEmpty())
        AppendLine(out, QLatin1StringView("@Bgfolder="), d.BgFolder);
    if (d.TimeRatio > 0)
        AppendLine(out, QLatin1StringView("@TimeRatio="), FormatRatio(d.TimeRatio));
    if (d.HasOffset)
        AppendLine(out, QLatin1StringView("@Offset="), QString::number(d.Offset));
    if (d.SilenceMsec >= 0)
        AppendLine(out, QLatin1StringView("@SilencemSec="), QString::number(d.SilenceMsec));
    AppendLine(out, QLatin1StringView("@TaggingBy="), d.TaggingBy);
    if (!d.EditedBy.isEmpty())
        AppendLine(out, QLatin1StringView("@EditedBy="), d.EditedBy);
}

QString AppendAtBlock(QStringView text, const CorrectionData& d)
{
    QString out;
    out.reserve(text.size() + 256);
    out.append(text);
    ReplaceAtBlock(out, d);
    return out;
}

TitleArtist FindTitleArtist(QStringView text)
{
    auto find = [text](std::initializer_list<const char*> keys) {
        for (const char* k : keys) {
            const QLatin1StringView key(k);
            const qsizetype p = FindKey(text, key);
            if (p < 0)
                continue;
            const QStringView v = DropLeading(ValueAt(text, p, key.size()), QLatin1StringView(" =:"));
            if (!v.isEmpty())
                return StripAllTags(v);
        }
        return QString();
    };
    return {find({"@title", "title:", "title :"}), find({"@artist", "artist:", "artist :"})};
}

int SampleRateFromFrames(qint64 frames, qint64 totalSec)
{
    if (frames <= 0 || totalSec <= 0)
        return 44100;
    const double msPerFrame = double(totalSec) * 1000.0 / double(frames);
    const double r = std::floor(1152000.0 / msPerFrame);
    if (r > 46050) return 48000;
    if (r > 38050) return 44100;
    if (r > 28000) return 32000;
    if (r > 23025) return 24000;
    if (r > 19025) return 22050;
    if (r > 14000) return 16000;
    if (r > 11512) return 12000;
    if (r > 9512) return 11025;
    return 8000;
}

double WinAmpRatio(int sampleRate, int samplesPerFrame)
{
    if (sampleRate <= 0 || samplesPerFrame <= 0)
        return 1.0;
    const double c = double(samplesPerFrame) * 1000.0 / double(sampleRate);
    return RoundToSignificant(std::floor(c) / c, 15);
}

int FramesToMsec(qint64 frames, int sampleRate, int samplesPerFrame)
{
    if (sampleRate <= 0)
        return 0;
    return FloorToInt(double(frames) * (double(samplesPerFrame) * 1000.0 / double(sampleRate)));
}

} // namespace lyrics
