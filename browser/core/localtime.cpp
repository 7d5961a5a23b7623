#include "browser/core/localtime.h"

#include "browser/core/filerow.h"

#include <QDateTime>
#include <ctime>

namespace browser {
namespace {

constexpr qint64 kJulianDayOf1970 = 2440588;
// Seconds of the years read here: 1971-01-01 to 2038-01-01, clear of the ends of a
// 32-bit time and of dates QDateTime treats by its own rules.
constexpr qint64 kFirstSecond = 365 * 86400;
constexpr qint64 kEndSecond = 2145916800;

bool Local(qint64 secs, std::tm& out)
{
    const std::time_t t = static_cast<std::time_t>(secs);
    return ::localtime_r(&t, &out) != nullptr;
}

bool Is(const std::tm& t, int year, int month, int day, int h, int m, int s)
{
    return t.tm_year + 1900 == year && t.tm_mon + 1 == month && t.tm_mday == day && t.tm_hour == h && t.tm_min == m
        && t.tm_sec == s;
}

void PutDigits(char16_t*& out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    out += digits;
}

} // namespace

void LoadTimeZone()
{
    ::tzset();
}

QString FormatLocalTimestamp(qint64 msecs)
{
    std::tm t{};
    if (msecs < kFirstSecond * 1000 || msecs >= kEndSecond * 1000 || !Local(msecs / 1000, t) || t.tm_sec > 59)
        return FormatTimestamp(QDateTime::fromMSecsSinceEpoch(msecs));
    QString text(19, Qt::Uninitialized);
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    PutDigits(p, t.tm_year + 1900, 4);
    *p++ = u'/';
    PutDigits(p, t.tm_mon + 1, 2);
    *p++ = u'/';
    PutDigits(p, t.tm_mday, 2);
    *p++ = u' ';
    PutDigits(p, t.tm_hour, 2);
    *p++ = u':';
    PutDigits(p, t.tm_min, 2);
    *p++ = u':';
    PutDigits(p, t.tm_sec, 2);
    return text;
}

std::optional<qint64> PlainLocalDayStart(qint64 julianDay)
{
    const qint64 utcStart = (julianDay - kJulianDayOf1970) * 86400;
    if (utcStart < kFirstSecond + 2 * 86400 || utcStart >= kEndSecond - 2 * 86400)
        return std::nullopt;
    std::tm t{};
    if (!Local(utcStart, t))
        return std::nullopt;
    const qint64 start = utcStart - t.tm_gmtoff;
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(julianDay).getDate(&year, &month, &day);
    int py = 0, pm = 0, pd = 0;
    QDate::fromJulianDay(julianDay - 1).getDate(&py, &pm, &pd);
    // The second before is the day before's last, the first second is midnight and the
    // day's last second comes 86,399 seconds later: midnight is met once and no clock
    // change falls inside the day.
    std::tm before{}, first{}, last{};
    if (!Local(start - 1, before) || !Local(start, first) || !Local(start + 86399, last))
        return std::nullopt;
    if (!Is(before, py, pm, pd, 23, 59, 59) || !Is(first, year, month, day, 0, 0, 0) || !Is(last, year, month, day, 23, 59, 59))
        return std::nullopt;
    return start;
}

} // namespace browser
