#pragma once
// Local times of file times, read straight from the C library.
//
// QDateTime reloads the time zone (a stat of /etc/localtime) on every conversion to or
// from local time, which dominates listing and sorting tens of thousands of file times.
// These read the zone the process has loaded: LoadTimeZone() reloads it, as Qt would, once
// per scan or sort. Times outside 1971-2037 (or that the C library cannot express) are
// left to QDateTime, so every result equals QDateTime's.

#include <QString>
#include <QStringView>
#include <optional>

namespace browser {

/// Reloads the local time zone (the TZ variable, /etc/localtime).
void LoadTimeZone();

/// "yyyy/MM/dd HH:mm:ss" of `msecs` since 1970 (UTC) in local time: the text
/// FormatTimestamp(QDateTime::fromMSecsSinceEpoch(msecs)) gives.
QString FormatLocalTimestamp(qint64 msecs);

/// The seconds since 1970 at which local day `julianDay` begins, when the day has no clock
/// change (every local second of it is met exactly once). nullopt when it has one, or
/// when the C library's reading cannot vouch for it: the caller then asks QDateTime.
std::optional<qint64> PlainLocalDayStart(qint64 julianDay);

} // namespace browser
