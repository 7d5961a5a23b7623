#include "browser/core/sortkeys.h"

#include "browser/core/localtime.h"

#include <QDateTime>
#include <QHash>
#include <functional>
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

int TwoDigits(const char16_t* p)
{
    return (p[0] - '0') * 10 + (p[1] - '0');
}

/// The reading of the timestamp texts of one sort: "yyyy/MM/dd HH:mm:ss" local time as
/// seconds since 1970. The digits are read directly and each day's start is converted
/// once: a day without a clock change is 86,400 even seconds from its start. A text in
/// any other shape, and a time on a day with a clock change, goes through the full
/// conversion, so every text reads as QDateTime::fromString reads it.
class TimestampReader {
public:
    TimestampReader() { LoadTimeZone(); }
    std::optional<qint64> read(QStringView text)
    {
        static constexpr char16_t kShape[] = u"0000/00/00 00:00:00";
        if (text.size() == 19) {
            const char16_t* p = text.utf16();
            bool shaped = true;
            for (int i = 0; i < 19 && shaped; ++i)
                shaped = kShape[i] == '0' ? (p[i] >= '0' && p[i] <= '9') : p[i] == kShape[i];
            if (shaped) {
                const QDate date(TwoDigits(p) * 100 + TwoDigits(p + 2), TwoDigits(p + 5), TwoDigits(p + 8));
                const int h = TwoDigits(p + 11), m = TwoDigits(p + 14), s = TwoDigits(p + 17);
                if (date.isValid() && QTime::isValid(h, m, s)) {
                    if (const std::optional<qint64> start = dayStart(date))
                        return *start + h * 3600 + m * 60 + s;
                }
            }
        }
        return Full(text);
    }

private:
    static std::optional<qint64> Full(QStringView text)
    {
        const QDateTime t = QDateTime::fromString(text.toString(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        return t.isValid() ? std::optional<qint64>(t.toSecsSinceEpoch()) : std::nullopt;
    }
    /// The day's start in seconds since 1970; nullopt on a day with a clock change.
    std::optional<qint64> dayStart(QDate date)
    {
        const qint64 day = date.toJulianDay();
        if (day == lastDay_)
            return lastStart_;
        auto it = starts_.constFind(day);
        if (it == starts_.constEnd()) {
            std::optional<qint64> start = PlainLocalDayStart(day);
            if (!start) {
                const QDateTime first(date, QTime(0, 0));
                const QDateTime last(date, QTime(23, 59, 59));
                if (first.isValid() && last.isValid() && last.toSecsSinceEpoch() - first.toSecsSinceEpoch() == 86399)
                    start = first.toSecsSinceEpoch();
            }
            it = starts_.insert(day, start);
        }
        lastDay_ = day;
        lastStart_ = it.value();
        return lastStart_;
    }

    QHash<qint64, std::optional<qint64>> starts_;
    qint64 lastDay_ = std::numeric_limits<qint64>::min();
    std::optional<qint64> lastStart_;
};

std::optional<qint64> ReadSortValue(Col col, QStringView text, TimestampReader& times)
{
    if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
        text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    switch (col) {
    case Col::Size:
        return LeadingNumber(text);
    case Col::Timestamp:
        return times.read(text);
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

/// The case-folded texts of a column, one per row, laid end to end. Keys compare as
/// QString::compare(…, Qt::CaseInsensitive) compares their texts: each UTF-16 unit is
/// folded on its own, except that a low surrogate after a high one stands for the
/// whole code point, and a shorter text sorts before a longer one it begins.
class FoldedKeys {
public:
    void add(QStringView text)
    {
        starts_.push_back(units_.size());
        const char16_t* p = text.utf16();
        char32_t last = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t ch = p[i];
            char32_t ucs4 = ch;
            if (QChar::isLowSurrogate(ucs4) && QChar::isHighSurrogate(last))
                ucs4 = QChar::surrogateToUcs4(char16_t(last), ch);
            last = ch;
            units_.push_back(QChar::toCaseFolded(ucs4));
        }
    }
    void reserve(size_t rows) { starts_.reserve(rows + 1); }
    void finish() { starts_.push_back(units_.size()); }
    /// The first three units of key `a` packed into one number (each unit + 1 in 21
    /// bits, 0 past the end): packed numbers order as the keys' beginnings do.
    quint64 prefix(size_t a) const
    {
        quint64 p = 0;
        const size_t n = starts_[a + 1] - starts_[a];
        for (size_t i = 0; i < 3; ++i)
            p = (p << 21) | (i < n ? quint64(units_[starts_[a] + i]) + 1 : 0);
        return p;
    }
    bool less(size_t a, size_t b) const
    {
        const char32_t* pa = units_.data() + starts_[a];
        const char32_t* pb = units_.data() + starts_[b];
        return std::lexicographical_compare(pa, units_.data() + starts_[a + 1], pb, units_.data() + starts_[b + 1]);
    }

private:
    std::vector<char32_t> units_;
    std::vector<size_t> starts_;
};

} // namespace

bool SortsByValue(Col col)
{
    return col == Col::Size || col == Col::Timestamp || col == Col::PlayTime || col == Col::Br;
}

std::optional<qint64> SortValue(Col col, QStringView text)
{
    TimestampReader times;
    return ReadSortValue(col, text, times);
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

bool NameOrderInSteps(std::span<const QStringView> names, size_t firstCount,
                      const std::function<bool(std::span<const int>)>& take)
{
    FoldedKeys keys;
    keys.reserve(names.size());
    std::vector<std::pair<quint64, int>> order;
    order.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        keys.add(names[i]);
    }
    keys.finish();
    for (size_t i = 0; i < names.size(); ++i)
        order.emplace_back(keys.prefix(i), static_cast<int>(i));
    const auto less = [&](const std::pair<quint64, int>& a, const std::pair<quint64, int>& b) {
        if (a.first != b.first)
            return a.first < b.first;
        const size_t x = static_cast<size_t>(a.second), y = static_cast<size_t>(b.second);
        if (keys.less(x, y))
            return true;
        if (keys.less(y, x))
            return false;
        return names[x] < names[y];
    };
    std::vector<int> places;
    const auto hand = [&](size_t from, size_t to) {
        places.clear();
        for (size_t i = from; i < to; ++i)
            places.push_back(order[i].second);
        return take(places);
    };
    // The order is total (no two names are equal), so the first places picked out and
    // sorted, then the rest sorted, give the full sort's order.
    const size_t first = std::min(firstCount, order.size());
    if (first > 0 && first < order.size()) {
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(first), order.end(), less);
        if (!hand(0, first))
            return false;
        std::sort(order.begin() + static_cast<std::ptrdiff_t>(first), order.end(), less);
        return hand(first, order.size());
    }
    std::sort(order.begin(), order.end(), less);
    return hand(0, order.size());
}

std::vector<int> NameOrder(std::span<const QStringView> names)
{
    std::vector<int> result;
    result.reserve(names.size());
    NameOrderInSteps(names, 0, [&](std::span<const int> places) {
        result.insert(result.end(), places.begin(), places.end());
        return true;
    });
    return result;
}

std::vector<int> SortedOrder(std::span<const FileRow> rows, Col col, Qt::SortOrder order)
{
    // Keys are made once per row, not once per comparison: values for the value columns,
    // and case-folded texts for the rest (and for value cells that hold no value). Cells
    // without a value sort before every value, among themselves by text.
    const bool ascending = order == Qt::AscendingOrder;
    std::vector<std::pair<qint64, int>> valued;
    std::vector<int> texted;
    FoldedKeys texts;
    texts.reserve(rows.size());
    TimestampReader times;
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& cell = rows[i].cell(col);
        const std::optional<qint64> value = SortsByValue(col) ? ReadSortValue(col, cell, times) : std::nullopt;
        if (value) {
            valued.emplace_back(*value, static_cast<int>(i));
            texts.add(QStringView());
        } else {
            texted.push_back(static_cast<int>(i));
            texts.add(cell);
        }
    }
    texts.finish();

    std::stable_sort(valued.begin(), valued.end(), [ascending](const auto& a, const auto& b) {
        return ascending ? a.first < b.first : b.first < a.first;
    });
    // Texts: by their first three folded units, then by the rest where those agree.
    std::vector<std::pair<quint64, int>> byText;
    byText.reserve(texted.size());
    for (int i : texted)
        byText.emplace_back(texts.prefix(static_cast<size_t>(i)), i);
    const auto textLess = [&texts](const std::pair<quint64, int>& a, const std::pair<quint64, int>& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return texts.less(static_cast<size_t>(a.second), static_cast<size_t>(b.second));
    };
    if (ascending)
        std::stable_sort(byText.begin(), byText.end(), textLess);
    else
        std::stable_sort(byText.begin(), byText.end(), [&](const auto& a, const auto& b) { return textLess(b, a); });

    std::vector<int> perm;
    perm.reserve(rows.size());
    const auto addTexts = [&] {
        for (const auto& t : byText)
            perm.push_back(t.second);
    };
    if (ascending)
        addTexts();
    for (const auto& v : valued)
        perm.push_back(v.second);
    if (!ascending)
        addTexts();
    return perm;
}

} // namespace browser
