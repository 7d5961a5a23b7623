#include "browser/core/sortkeys.h"

#include <QDateTime>
#include <algorithm>
#include <limits>
#include <numeric>

namespace browser {
namespace {

/// Leading decimal digits (commas between them allowed) as a number; `end` receives
/// the index after them.
std::optional<qint64> LeadingNumber(QStringView text, qsizetype* end = nullptr)
{
    qint64 v = 0;
    bool any = false;
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 0x80) {
            if (v > (std::numeric_limits<qint64>::max() - 9) / 10)
                return std::nullopt;
            v = v * 10 + (c.unicode() - '0');
            any = true;
        } else if (c != QLatin1Char(',') || !any) {
            break;
        }
    }
    if (end)
        *end = i;
    return any ? std::optional<qint64>(v) : std::nullopt;
}

} // namespace

bool SortsByValue(Col col)
{
    return col == Col::Size || col == Col::Timestamp || col == Col::PlayTime || col == Col::Br;
}

std::optional<qint64> SortValue(Col col, QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    switch (col) {
    case Col::Size:
        return LeadingNumber(text);
    case Col::Timestamp: {
        const QDateTime t = QDateTime::fromString(text.toString(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        return t.isValid() ? std::optional<qint64>(t.toSecsSinceEpoch()) : std::nullopt;
    }
    case Col::PlayTime: {
        qsizetype end = 0;
        const std::optional<qint64> minutes = LeadingNumber(text, &end);
        if (!minutes || end >= text.size() || text[end] != QLatin1Char(':'))
            return std::nullopt;
        const std::optional<qint64> seconds = LeadingNumber(text.mid(end + 1));
        return seconds ? std::optional<qint64>(*minutes * 60 + *seconds) : std::nullopt;
    }
    case Col::Br:
        if (text.compare(QLatin1String("VBR"), Qt::CaseInsensitive) == 0)
            return std::numeric_limits<qint64>::max();
        return LeadingNumber(text);
    default:
        return std::nullopt;
    }
}

int CompareCells(Col col, QStringView a, QStringView b)
{
    if (SortsByValue(col)) {
        const std::optional<qint64> va = SortValue(col, a), vb = SortValue(col, b);
        if (va != vb) {
            if (!va)
                return -1;
            if (!vb)
                return 1;
            return *va < *vb ? -1 : 1;
        }
        if (va)
            return 0;
    }
    return a.compare(b, Qt::CaseInsensitive);
}

std::vector<int> SortedOrder(std::span<const FileRow> rows, Col col, Qt::SortOrder order)
{
    std::vector<int> perm(rows.size());
    std::iota(perm.begin(), perm.end(), 0);
    if (SortsByValue(col)) {
        // Values are read once per row, not once per comparison.
        std::vector<std::optional<qint64>> values;
        values.reserve(rows.size());
        for (const FileRow& r : rows)
            values.push_back(SortValue(col, r.cell(col)));
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
            const auto& va = values[static_cast<size_t>(a)];
            const auto& vb = values[static_cast<size_t>(b)];
            int c = 0;
            if (va != vb)
                c = !va ? -1 : !vb ? 1 : (*va < *vb ? -1 : 1);
            else if (!va)
                c = QString::compare(rows[static_cast<size_t>(a)].cell(col), rows[static_cast<size_t>(b)].cell(col),
                                     Qt::CaseInsensitive);
            return order == Qt::AscendingOrder ? c < 0 : c > 0;
        });
    } else {
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
            const int c = QString::compare(rows[static_cast<size_t>(a)].cell(col), rows[static_cast<size_t>(b)].cell(col),
                                           Qt::CaseInsensitive);
            return order == Qt::AscendingOrder ? c < 0 : c > 0;
        });
    }
    return perm;
}

} // namespace browser
