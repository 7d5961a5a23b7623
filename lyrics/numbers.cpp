#include "lyrics/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace lyrics {
namespace {

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

qsizetype SkipDigits(QStringView s, qsizetype p)
{
    while (p < s.size() && IsDigit(s[p]))
        ++p;
    return p;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

std::optional<double> ParseLeadingNumber(QStringView s, qsizetype* length)
{
    qsizetype p = 0;
    while (p < s.size() && IsBlank(s[p]))
        ++p;
    const qsizetype start = p;
    if (p < s.size() && (s[p] == QLatin1Char('+') || s[p] == QLatin1Char('-')))
        ++p;
    const qsizetype intStart = p;
    p = SkipDigits(s, p);
    qsizetype mantissaDigits = p - intStart;
    if (p < s.size() && s[p] == QLatin1Char('.')) {
        const qsizetype fracStart = p + 1;
        const qsizetype fracEnd = SkipDigits(s, fracStart);
        if (mantissaDigits > 0 || fracEnd > fracStart) {
            mantissaDigits += fracEnd - fracStart;
            p = fracEnd;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (p < s.size() && (s[p] == QLatin1Char('e') || s[p] == QLatin1Char('E'))) {
        qsizetype q = p + 1;
        if (q < s.size() && (s[q] == QLatin1Char('+') || s[q] == QLatin1Char('-')))
            ++q;
        const qsizetype expEnd = SkipDigits(s, q);
        if (expEnd > q)
            p = expEnd;
    }
    std::string ascii;
    ascii.reserve(static_cast<size_t>(p - start));
    for (qsizetype i = start; i < p; ++i)
        ascii += static_cast<char>(s[i].unicode());
    // from_chars takes no "+" sign.
    const char* first = ascii.data();
    const char* last = ascii.data() + ascii.size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    double v = 0;
    const auto res = std::from_chars(first, last, v);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large or too small: tell which by the exponent's sign.
        const bool tiny = ascii.find("e-") != std::string::npos || ascii.find("E-") != std::string::npos;
        v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (res.ec != std::errc()) {
        return std::nullopt;
    }
    if (length)
        *length = p;
    return negative ? -v : v;
}

std::optional<double> ParseNumber(QStringView s)
{
    qsizetype length = 0;
    const std::optional<double> v = ParseLeadingNumber(s, &length);
    if (!v)
        return std::nullopt;
    for (qsizetype i = length; i < s.size(); ++i) {
        if (!IsBlank(s[i]))
            return std::nullopt;
    }
    return v;
}

namespace {
int ClampToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}
} // namespace

int RoundToInt(double v)
{
    return ClampToInt(std::nearbyint(v));
}

int FloorToInt(double v)
{
    return ClampToInt(std::floor(v));
}

double RoundToSignificant(double v, int digits)
{
    if (!std::isfinite(v) || v == 0 || digits <= 0)
        return v;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
    double out = v;
    std::from_chars(buf, res.ptr, out);
    return out;
}

} // namespace lyrics
