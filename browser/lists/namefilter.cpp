#include "browser/lists/namefilter.h"

#include "browser/core/settingsstore.h"

#include <QChar>
#include <vector>

namespace browser::lists {
namespace {

const QString kSection = QStringLiteral("Filter");

struct Token {
    enum Kind : quint8 { Literal, Any, Digit, Set, Star };
    Kind kind = Literal;
    bool negated = false;
    char32_t ch = 0;
    std::vector<std::pair<char32_t, char32_t>> ranges; // Set: inclusive ranges
};

/// The members of a bracket list between `from` and `to` (exclusive): single characters
/// and ranges "a-z"; a "-" at either end stands for itself.
std::vector<std::pair<char32_t, char32_t>> ParseSet(const std::u32string& p, size_t from, size_t to)
{
    std::vector<std::pair<char32_t, char32_t>> out;
    for (size_t i = from; i < to; ++i) {
        if (i + 2 < to && p[i + 1] == U'-') {
            const char32_t a = p[i], b = p[i + 2];
            out.emplace_back(std::min(a, b), std::max(a, b));
            i += 2;
        } else {
            out.emplace_back(p[i], p[i]);
        }
    }
    return out;
}

std::vector<Token> Parse(const std::u32string& p)
{
    std::vector<Token> tokens;
    for (size_t i = 0; i < p.size(); ++i) {
        Token t;
        const char32_t c = p[i];
        if (c == U'*') {
            if (!tokens.empty() && tokens.back().kind == Token::Star)
                continue; // "**" is one star
            t.kind = Token::Star;
        } else if (c == U'?') {
            t.kind = Token::Any;
        } else if (c == U'#') {
            t.kind = Token::Digit;
        } else if (c == U'[') {
            size_t first = i + 1;
            const bool negated = first < p.size() && p[first] == U'!';
            if (negated)
                ++first;
            const size_t close = p.find(U']', first);
            // A list needs a closing bracket and at least one member; otherwise "[" is text.
            if (close == std::u32string::npos || close == first) {
                t.ch = c;
            } else {
                t.kind = Token::Set;
                t.negated = negated;
                t.ranges = ParseSet(p, first, close);
                i = close;
            }
        } else {
            t.ch = c;
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

bool TokenMatches(const Token& t, char32_t c)
{
    switch (t.kind) {
    case Token::Literal:
        return t.ch == c;
    case Token::Any:
        return true;
    case Token::Digit:
        return QChar::isDigit(c);
    case Token::Set: {
        bool in = false;
        for (const auto& [a, b] : t.ranges)
            if (c >= a && c <= b) {
                in = true;
                break;
            }
        return in != t.negated;
    }
    case Token::Star:
        break;
    }
    return false;
}

std::u32string Ucs4(QStringView s)
{
    const QList<uint> v = s.toUcs4();
    return std::u32string(v.begin(), v.end());
}

bool MatchTokens(const std::u32string& s, const std::vector<Token>& tokens)
{
    // Greedy matching that, on a mismatch, only ever returns to the latest star and lets
    // it take one more character: every earlier star's choice can stay as it is, so the
    // work is bounded by text length × pattern length.
    const size_t n = s.size(), m = tokens.size();
    size_t t = 0, p = 0;
    size_t starP = SIZE_MAX, starT = 0;
    while (t < n) {
        if (p < m && tokens[p].kind == Token::Star) {
            starP = ++p;
            starT = t;
        } else if (p < m && TokenMatches(tokens[p], s[t])) {
            ++p;
            ++t;
        } else if (starP != SIZE_MAX) {
            p = starP;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < m && tokens[p].kind == Token::Star)
        ++p;
    return p == m;
}

} // namespace

bool WildcardMatch(QStringView text, QStringView pattern)
{
    return MatchTokens(Ucs4(text), Parse(Ucs4(pattern)));
}

QString FilterBaseName(QStringView fileName)
{
    qsizetype slash = -1;
    for (qsizetype i = fileName.size() - 1; i >= 0; --i)
        if (fileName[i] == QLatin1Char('/') || fileName[i] == QLatin1Char('\\')) {
            slash = i;
            break;
        }
    QStringView name = fileName.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name = name.left(dot);
    return name.toString();
}

struct NameFilter::Pattern {
    std::vector<Token> tokens;
};

NameFilter::NameFilter(const FilterState& filter)
    : state_(filter)
{
    if (!state_.caseSensitive)
        state_.text = state_.text.toLower();
    if (state_.wildcard)
        pattern_ = std::make_unique<Pattern>(Pattern{Parse(Ucs4(state_.text))});
}

NameFilter::~NameFilter() = default;

NameFilter::NameFilter(const NameFilter& other)
    : state_(other.state_)
    , pattern_(other.pattern_ ? std::make_unique<Pattern>(*other.pattern_) : nullptr)
{
}

NameFilter& NameFilter::operator=(const NameFilter& other)
{
    if (this != &other) {
        state_ = other.state_;
        pattern_ = other.pattern_ ? std::make_unique<Pattern>(*other.pattern_) : nullptr;
    }
    return *this;
}

bool NameFilter::passes(QStringView fileName) const
{
    QString base = FilterBaseName(fileName);
    if (!state_.caseSensitive)
        base = base.toLower();
    if (base.isEmpty() || state_.text.isEmpty())
        return false;
    if (pattern_)
        return MatchTokens(Ucs4(base), pattern_->tokens);
    return base.contains(state_.text);
}

bool PassesFilter(const FilterState& filter, QStringView fileName)
{
    return NameFilter(filter).passes(fileName);
}

void FilterHistory::add(bool wildcard, const QString& text)
{
    if (text.isEmpty())
        return;
    QStringList& list = lists_[wildcard ? 0 : 1];
    list.removeAll(text);
    list.prepend(text);
    while (list.size() > kEntries)
        list.removeLast();
}

FilterHistory FilterHistory::Load(const SettingsStore& store)
{
    FilterHistory h;
    for (int p = 0; p < 2; ++p) {
        QStringList& list = h.lists_[p];
        for (int n = 0; n < kEntries; ++n) {
            const QString s = LoadSetting(store, kSection, QStringLiteral("String%1-%2").arg(p).arg(n), QString());
            if (s.isEmpty())
                break;
            if (!list.contains(s))
                list << s;
        }
    }
    h.wildcardMode = LoadSetting(store, kSection, QStringLiteral("Mode"), true);
    h.caseSensitive = LoadSetting(store, kSection, QStringLiteral("NoLCase"), 0) == 1;
    return h;
}

void FilterHistory::store(SettingsStore& store) const
{
    for (int p = 0; p < 2; ++p) {
        const QStringList& list = lists_[p];
        for (qsizetype n = 0; n < list.size(); ++n)
            StoreSetting(store, kSection, QStringLiteral("String%1-%2").arg(p).arg(n), list.at(n));
    }
    StoreSetting(store, kSection, QStringLiteral("Mode"), wildcardMode);
    StoreSetting(store, kSection, QStringLiteral("NoLCase"), caseSensitive ? 1 : 0);
}

std::optional<FilterState> ConfirmFilter(FilterHistory& history, SettingsStore& store, const QString& text, bool wildcard,
                                         bool caseSensitive)
{
    if (text.isEmpty())
        return std::nullopt;
    history.add(wildcard, text);
    history.wildcardMode = wildcard;
    history.caseSensitive = caseSensitive;
    history.store(store);
    store.sync();
    FilterState state;
    state.wildcard = wildcard;
    state.caseSensitive = caseSensitive;
    state.text = text;
    return state;
}

} // namespace browser::lists
