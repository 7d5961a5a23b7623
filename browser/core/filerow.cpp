#include "browser/core/filerow.h"

#include "songfiles/pathprobe.h"

#include <QLocale>
#include <cmath>

namespace browser {

QString PairMark()
{
    return QStringLiteral("○");
}

void FileRow::setCell(Col col, const QString& text)
{
    if (col == Col::Filename)
        name = text;
    else
        cells[static_cast<int>(col)] = text;
}

QString FileRow::cell(QStringView key) const
{
    const std::optional<Col> col = ColumnFromKey(key);
    return col ? cell(*col) : QString();
}

void FileRow::setCell(QStringView key, const QString& text)
{
    if (const std::optional<Col> col = ColumnFromKey(key))
        setCell(*col, text);
}

namespace {
QString Grouped(qint64 value)
{
    // "###,###,###" with the comma grouping whatever the user's locale.
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0 && digits.at(i - 1).isDigit(); i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}
} // namespace

QString FormatLyricsSize(qint64 bytes)
{
    return Grouped(bytes) + QStringLiteral(" B");
}

QString FormatSongSize(qint64 bytes)
{
    return Grouped((bytes + 500) / 1000) + QStringLiteral(" kB");
}

QString FormatTimestamp(const QDateTime& time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString ExtensionCell(const QString& name)
{
    return name.right(3).toLower();
}

QString FormatPlayTime(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString FormatMpegVersion(int version)
{
    return version == 3 ? QStringLiteral("2.5") : QString::number(version);
}

QString FormatSampleRate(int hz)
{
    return QString::number(hz / 1000.0, 'g', 10);
}

QString WithTrailingSeparator(const QString& folder)
{
    return folder.isEmpty() ? folder : songfiles::AddTrailingBackslash(folder);
}

void FillFoundFileCells(FileRow& row, PaneMode mode, const QString& folder, qint64 size, const QDateTime& modified)
{
    FillFoundFileCells(row, mode, folder, size, FormatTimestamp(modified));
}

void FillFoundFileCells(FileRow& row, PaneMode mode, const QString& folder, qint64 size, const QString& timestamp)
{
    row.setCell(Col::Path, folder);
    row.setCell(Col::Size, mode == PaneMode::Lyrics ? FormatLyricsSize(size) : FormatSongSize(size));
    row.setCell(Col::Ext, ExtensionCell(row.name));
    row.setCell(Col::Timestamp, timestamp);
}

} // namespace browser
