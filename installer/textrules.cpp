#include "installer/textrules.h"

#include <limits>

namespace installer {

qsizetype ContainsText(QStringView text, QStringView needle)
{
    if (needle.isEmpty())
        return 0;
    return text.indexOf(needle, 0, Qt::CaseInsensitive) + 1;
}

bool HasText(QStringView text, QStringView needle)
{
    return ContainsText(text, needle) > 0;
}

bool SameText(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString FieldOf(QStringView text, QChar separator, int n)
{
    if (n < 1)
        return {};
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            return {};
        start = at + 1;
    }
    const qsizetype end = text.indexOf(separator, start);
    return text.mid(start, end < 0 ? -1 : end - start).toString();
}

PathEntry SplitPathEntry(QStringView entry)
{
    const qsizetype comma = entry.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        const QStringView last = entry.mid(comma + 1).trimmed();
        if (last.startsWith(QLatin1Char('/')))
            return {entry.left(comma).toString(), last.toString()};
    }
    return {entry.toString(), {}};
}

QString JoinPathEntry(const QString& path, QStringView options)
{
    const QStringView trimmed = options.trimmed();
    if (trimmed.isEmpty())
        return path;
    return path + (trimmed.startsWith(QLatin1Char('/')) ? QStringLiteral(",") : QStringLiteral(",/")) + trimmed.toString();
}

QString UnrepresentablePathReason(QStringView path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("制御文字を含むフォルダ名は使えません．");
        if (c == QLatin1Char(',')) {
            qsizetype next = i + 1;
            while (next < path.size() && path[next] == QLatin1Char(' '))
                ++next;
            if (next < path.size() && IsSeparator(path[next]))
                return QStringLiteral("「,」で終わるフォルダ名は使えません．");
        }
    }
    return {};
}

QString WithTrailingSeparator(QStringView path)
{
    if (!path.isEmpty() && IsSeparator(path.back()))
        return path.toString();
    return path.toString() + QLatin1Char('/');
}

QString WithoutTrailingSeparator(QStringView path)
{
    if (!path.isEmpty() && IsSeparator(path.back()))
        return path.chopped(1).toString();
    return path.toString();
}

QString WithoutLeadingSeparator(QStringView path)
{
    if (!path.isEmpty() && IsSeparator(path.front()))
        return path.mid(1).toString();
    return path.toString();
}

QString WithLeadingSeparator(QStringView path)
{
    if (!path.isEmpty() && IsSeparator(path.front()))
        return path.toString();
    return QLatin1Char('/') + path.toString();
}

QString NativePath(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (IsSeparator(c)) {
            if (!out.endsWith(QLatin1Char('/')))
                out.append(QLatin1Char('/'));
        } else {
            out.append(c);
        }
    }
    return out;
}

namespace {
qsizetype LastSeparator(QStringView path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsSeparator(path[i]))
            return i;
    return -1;
}
} // namespace

QString FileNameOf(QStringView path)
{
    return path.mid(LastSeparator(path) + 1).toString();
}

QString FolderOf(QStringView path)
{
    return path.left(LastSeparator(path) + 1).toString();
}

bool HasWildcard(QStringView text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

namespace {
bool SameChar(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

bool Match(QStringView p, QStringView n)
{
    // Iterative glob with backtracking to the last "*".
    qsizetype pi = 0, ni = 0, star = -1, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == QLatin1Char('?') || (p[pi] != QLatin1Char('*') && SameChar(p[pi], n[ni])))) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == QLatin1Char('*')) {
            star = pi++;
            mark = ni;
        } else if (star >= 0) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == QLatin1Char('*'))
        ++pi;
    return pi == p.size();
}
} // namespace

bool WildcardMatch(QStringView pattern, QStringView name)
{
    if (Match(pattern, name))
        return true;
    // As on Windows, "name.*" also matches a name without any extension ("*.*" matches
    // everything).
    if (pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')))
        return Match(pattern.chopped(2), name);
    return false;
}

qint64 LeadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80; ++i) {
        const int digit = text[i].unicode() - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

quint32 LeadingHex(QStringView text)
{
    quint32 value = 0;
    for (QChar c : text.trimmed()) {
        int digit;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            digit = c.unicode() - 'a' + 10;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            digit = c.unicode() - 'A' + 10;
        else
            break;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

namespace {
// Fullwidth forms of the halfwidth katakana block U+FF61..U+FF9F.
constexpr char16_t kKatakana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};
static_assert(std::size(kKatakana) == 0xFF9F - 0xFF61 + 1);

bool IsHaRow(char16_t c)
{
    return c == 0x30CF || c == 0x30D2 || c == 0x30D5 || c == 0x30D8 || c == 0x30DB;
}
} // namespace

QString ToFullWidth(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == 0x20) {
            out.append(QChar(0x3000));
        } else if (c > 0x20 && c < 0x7F) {
            out.append(QChar(char16_t(c + 0xFEE0)));
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            const char16_t full = kKatakana[c - 0xFF61];
            // A voiced or semi-voiced mark joins the kana before it.
            if ((full == 0x309B || full == 0x309C) && !out.isEmpty()) {
                const char16_t prev = out.back().unicode();
                const bool voiced = full == 0x309B;
                if (voiced && ((prev >= 0x30AB && prev <= 0x30C8 && prev != 0x30C3) || IsHaRow(prev))) {
                    out.back() = QChar(char16_t(prev + 1));
                    continue;
                }
                if (voiced && prev == 0x30A6) {
                    out.back() = QChar(char16_t(0x30F4));
                    continue;
                }
                if (!voiced && IsHaRow(prev)) {
                    out.back() = QChar(char16_t(prev + 2));
                    continue;
                }
            }
            out.append(QChar(full));
        } else {
            out.append(qc);
        }
    }
    return out;
}

QString RootName(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case RegRoot::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case RegRoot::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RegRoot::Users:
        return QStringLiteral("HKEY_USERS");
    }
    return {};
}

RegRoot RootOfToken(QStringView token)
{
    if (SameText(token, u"(Class)"))
        return RegRoot::ClassesRoot;
    if (SameText(token, u"(Local)"))
        return RegRoot::LocalMachine;
    if (SameText(token, u"(Users)"))
        return RegRoot::Users;
    return RegRoot::CurrentUser;
}

namespace {
QString TrimKeySeparators(QStringView key)
{
    qsizetype begin = 0, end = key.size();
    while (begin < end && key[begin] == QLatin1Char('\\'))
        ++begin;
    while (end > begin && key[end - 1] == QLatin1Char('\\'))
        --end;
    return key.sliced(begin, end - begin).toString();
}

RegistryKeyText Split(QStringView text, bool tokenless)
{
    if (tokenless)
        return {RegRoot::CurrentUser, TrimKeySeparators(text)};
    return {RootOfToken(text.left(7)), TrimKeySeparators(text.mid(std::min<qsizetype>(7, text.size())))};
}

bool OpensWithParen(QStringView text)
{
    return !text.isEmpty() && text.front() == QLatin1Char('(');
}

bool SeventhIsParen(QStringView text)
{
    return text.size() >= 7 && text[6] == QLatin1Char(')');
}
} // namespace

RegistryKeyText SplitKeyTextForInstall(QStringView text)
{
    return Split(text, !OpensWithParen(text) && !SeventhIsParen(text));
}

RegistryKeyText SplitKeyTextForUninstall(QStringView text)
{
    return Split(text, !OpensWithParen(text) || !SeventhIsParen(text));
}

QString VersionText(QStringView version)
{
    const auto part = [&](int n) { return FieldOf(version, QLatin1Char('.'), n); };
    const qint64 a = LeadingInteger(part(1));
    const QString minor = QString::number(LeadingInteger(part(2))) + QString::number(LeadingInteger(part(3)));
    const qint64 bc = LeadingInteger(minor);
    const qint64 d = LeadingInteger(part(4));
    return QStringLiteral("%1.%2(Build:%3)")
        .arg(a)
        .arg(bc, 2, 10, QLatin1Char('0'))
        .arg(d, 4, 10, QLatin1Char('0'));
}

} // namespace installer
