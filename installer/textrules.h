#pragma once
// The text rules every part of the installer shares: case-insensitive containment,
// comma fields, path delimiters, registry-root tokens, the version text.
//
// Definition texts are decoded from CP932 into QString, so a double-byte character is
// one QChar and no search can ever match at a trail byte.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace installer {

/// 1-based position of `needle` in `text` ignoring case, or 0.
qsizetype ContainsText(QStringView text, QStringView needle);
bool HasText(QStringView text, QStringView needle);
bool SameText(QStringView a, QStringView b);

/// The n-th (1-based) field of `text` split at `separator`; no quoting; a missing field
/// is empty.
QString FieldOf(QStringView text, QChar separator, int n);
inline QString FieldOf(QStringView text, int n)
{
    return FieldOf(text, QLatin1Char(','), n);
}

/// A recorded list entry of an uninstall definition: *path* or *path*,*options*. The
/// options are the last comma field when it starts with "/" (after spaces), so a path
/// that holds commas ("…/My Apps, v2/UNSETUP.INI") comes back whole.
struct PathEntry {
    QString path;
    QString options; // without the comma; empty when there are none
};
PathEntry SplitPathEntry(QStringView entry);
/// The entry text for a path and its options: the options are written so that
/// SplitPathEntry finds them again (trimmed, starting with "/").
QString JoinPathEntry(const QString& path, QStringView options);
/// Why a folder cannot be recorded in an uninstall definition (empty when it can): a
/// control character, or a comma right before a separator, which would read as options.
QString UnrepresentablePathReason(QStringView path);

/// True for "\" and "/": definition texts written on Windows use either.
inline bool IsSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

/// Adds a separator at the end unless one is there.
QString WithTrailingSeparator(QStringView path);
/// Takes one separator away from the end.
QString WithoutTrailingSeparator(QStringView path);
/// Takes one separator away from the start.
QString WithoutLeadingSeparator(QStringView path);
/// Puts a separator at the start unless one is there.
QString WithLeadingSeparator(QStringView path);

/// A path from a definition as a native path: "\" becomes "/", repeated separators
/// become one. A trailing separator is kept.
QString NativePath(QStringView text);
/// The part after the last separator.
QString FileNameOf(QStringView path);
/// The part up to and including the last separator (empty when there is none).
QString FolderOf(QStringView path);

/// Windows wildcard match ("*", "?"; "*.*" matches every name), ignoring case.
bool WildcardMatch(QStringView pattern, QStringView name);
bool HasWildcard(QStringView text);

/// The leading integer of a text as Visual Basic's Val reads it ("350ms" -> 350,
/// "abc" -> 0); saturates at the 64-bit range.
qint64 LeadingInteger(QStringView text);
/// The leading hexadecimal digits of a text as a number, truncated to 32 bits.
quint32 LeadingHex(QStringView text);

/// Halfwidth characters as their fullwidth forms (ASCII, halfwidth katakana), as the
/// system's fullwidth mapping gives them.
QString ToFullWidth(QStringView text);

/// The four registry roots of the definition tokens.
enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };
QString RootName(RegRoot root);

struct RegistryKeyText {
    RegRoot root = RegRoot::CurrentUser;
    QString key; // without leading and trailing separators
};
/// The install side's rule: a text has no token only when its first character is not
/// "(" and its seventh is not ")".
RegistryKeyText SplitKeyTextForInstall(QStringView text);
/// The uninstall side's rule: a text has no token when its first character is not "("
/// or its seventh is not ")".
RegistryKeyText SplitKeyTextForUninstall(QStringView text);
/// The root a seven-character token selects; unknown tokens select HKEY_CURRENT_USER.
RegRoot RootOfToken(QStringView token);

/// "a.b.c.d" as the backdrop shows it: a + "." + (b and c's digits as a number,
/// at least two digits) + "(Build:" + d in four digits + ")". 1.1.0.453 gives
/// "1.10(Build:0453)".
QString VersionText(QStringView version);

} // namespace installer
