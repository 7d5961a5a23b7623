#include "installer/textrules.h"

#include "installer/tests/testhome.h"

#include <gtest/gtest.h>

using namespace installer;

TEST(Contains, IgnoresCaseAndGivesTheOneBasedPosition)
{
    EXPECT_EQ(ContainsText(u"c:\\tools\\Lib.DLL", u".dll"), 13);
    EXPECT_EQ(ContainsText(u"abc", u"x"), 0);
    EXPECT_EQ(ContainsText(u"abc", u""), 0);
    EXPECT_TRUE(HasText(u"File1=x,/s/r", u"/S"));
}

TEST(Contains, JapaneseTextIsSearchedByWholeCharacters)
{
    // In CP932 "ソ" is 83 5C; a byte search for "\" would find its trail byte. Decoded
    // text never matches inside a character.
    EXPECT_EQ(ContainsText(QString::fromUtf8("ソフト"), u"\\"), 0);
    EXPECT_EQ(ContainsText(QString::fromUtf8("インストールフォルダ"), QString::fromUtf8("フォルダ")), 7);
}

TEST(FieldOf, GivesTheNthCommaFieldWithoutQuoting)
{
    EXPECT_EQ(FieldOf(u"a,b,c", 1), "a");
    EXPECT_EQ(FieldOf(u"a,b,c", 3), "c");
    EXPECT_EQ(FieldOf(u"a,b,c", 4), "");
    EXPECT_EQ(FieldOf(u"a,,c", 2), "");
    EXPECT_EQ(FieldOf(u"\"a,b\",c", 1), "\"a");
    EXPECT_EQ(FieldOf(u"", 1), "");
    EXPECT_EQ(FieldOf(u"x", 0), "");
    EXPECT_EQ(FieldOf(u"1.2.3", QLatin1Char('.'), 2), "2");
}

TEST(Delimiters, AddAndRemoveOneSeparatorAtEitherEnd)
{
    EXPECT_EQ(WithTrailingSeparator(u"/opt/x"), "/opt/x/");
    EXPECT_EQ(WithTrailingSeparator(u"/opt/x/"), "/opt/x/");
    EXPECT_EQ(WithTrailingSeparator(u"C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(WithoutTrailingSeparator(u"/opt/x//"), "/opt/x/");
    EXPECT_EQ(WithoutLeadingSeparator(u"\\readme.txt"), "readme.txt");
    EXPECT_EQ(WithLeadingSeparator(u"new.txt"), "/new.txt");
    EXPECT_EQ(WithLeadingSeparator(u"\\new.txt"), "\\new.txt");
}

TEST(Paths, BackslashesBecomeSeparatorsAndRepeatsCollapse)
{
    EXPECT_EQ(NativePath(u"/home/u/app/bin\\tool\\\\x.exe"), "/home/u/app/bin/tool/x.exe");
    EXPECT_EQ(NativePath(u"data\\"), "data/");
    EXPECT_EQ(FileNameOf(u"/a/b\\c.txt"), "c.txt");
    EXPECT_EQ(FolderOf(u"/a/b\\c.txt"), "/a/b\\");
    EXPECT_EQ(FolderOf(u"c.txt"), "");
}

TEST(Wildcards, MatchLikeWindowsIgnoringCase)
{
    EXPECT_TRUE(WildcardMatch(u"*.INI", u"tool.ini"));
    EXPECT_TRUE(WildcardMatch(u"*.*", u"README"));
    EXPECT_TRUE(WildcardMatch(u"*.*", u".hidden"));
    EXPECT_TRUE(WildcardMatch(u"a?c.*", u"abc.txt"));
    EXPECT_TRUE(WildcardMatch(u"log*", u"log"));
    EXPECT_FALSE(WildcardMatch(u"*.INI", u"tool.ini.bak"));
    EXPECT_FALSE(WildcardMatch(u"a?c", u"ac"));
    EXPECT_TRUE(HasWildcard(u"*.gid"));
    EXPECT_FALSE(HasWildcard(u"plain.txt"));
}

TEST(Numbers, LeadingIntegerReadsLikeVal)
{
    EXPECT_EQ(LeadingInteger(u"350"), 350);
    EXPECT_EQ(LeadingInteger(u" 12ms"), 12);
    EXPECT_EQ(LeadingInteger(u"-5"), -5);
    EXPECT_EQ(LeadingInteger(u"abc"), 0);
    EXPECT_EQ(LeadingInteger(u"99999999999999999999999"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(LeadingHex(u"ff"), 0xFFu);
    EXPECT_EQ(LeadingHex(u"1A2b"), 0x1A2Bu);
    EXPECT_EQ(LeadingHex(u"zz"), 0u);
    EXPECT_EQ(LeadingHex(u"123456789"), 0x23456789u);
}

TEST(FullWidth, AsciiAndHalfwidthKanaBecomeFullwidth)
{
    EXPECT_EQ(ToFullWidth(u"No such file (2)"), QString::fromUtf8("Ｎｏ　ｓｕｃｈ　ｆｉｌｅ　（２）"));
    EXPECT_EQ(ToFullWidth(QString::fromUtf8("ｶﾞｲﾄﾞ ﾊﾟｽ")), QString::fromUtf8("ガイド　パス"));
    EXPECT_EQ(ToFullWidth(QString::fromUtf8("ｳﾞ")), QString::fromUtf8("ヴ"));
    EXPECT_EQ(ToFullWidth(QString::fromUtf8("既に全角")), QString::fromUtf8("既に全角"));
}

TEST(RegistryTokens, SevenCharacterTokensSelectTheRoot)
{
    EXPECT_EQ(RootOfToken(u"(Class)"), RegRoot::ClassesRoot);
    EXPECT_EQ(RootOfToken(u"(Local)"), RegRoot::LocalMachine);
    EXPECT_EQ(RootOfToken(u"(Users)"), RegRoot::Users);
    EXPECT_EQ(RootOfToken(u"(Cuser)"), RegRoot::CurrentUser);
    EXPECT_EQ(RootOfToken(u"(local)"), RegRoot::LocalMachine);
    EXPECT_EQ(RootOfToken(u"(Other)"), RegRoot::CurrentUser);
}

TEST(RegistryTokens, InstallSplitTakesTheTokenAndTrimsSeparators)
{
    auto k = SplitKeyTextForInstall(u"(Local)\\SOFTWARE\\Tovel\\");
    EXPECT_EQ(k.root, RegRoot::LocalMachine);
    EXPECT_EQ(k.key, "SOFTWARE\\Tovel");
    k = SplitKeyTextForInstall(u"Software\\Tovel");
    EXPECT_EQ(k.root, RegRoot::CurrentUser);
    EXPECT_EQ(k.key, "Software\\Tovel");
    k = SplitKeyTextForInstall(u"(Class).txt");
    EXPECT_EQ(k.root, RegRoot::ClassesRoot);
    EXPECT_EQ(k.key, ".txt");
}

TEST(RegistryTokens, InstallAndUninstallRulesDifferOnlyForMalformedTexts)
{
    // First character "(" but no ")" in seventh place: the install side still takes
    // seven characters as a token, the uninstall side takes the whole text as the key.
    const auto install = SplitKeyTextForInstall(u"(Foo)abc\\x");
    EXPECT_EQ(install.root, RegRoot::CurrentUser);
    EXPECT_EQ(install.key, "c\\x");
    const auto uninstall = SplitKeyTextForUninstall(u"(Foo)abc\\x");
    EXPECT_EQ(uninstall.root, RegRoot::CurrentUser);
    EXPECT_EQ(uninstall.key, "(Foo)abc\\x");
    // A ")" in seventh place without "(" first: a token for the install side only.
    EXPECT_EQ(SplitKeyTextForInstall(u"Softwa)e\\x").key, "e\\x");
    EXPECT_EQ(SplitKeyTextForUninstall(u"Softwa)e\\x").key, "Softwa)e\\x");
    // Well-formed texts agree.
    const auto a = SplitKeyTextForInstall(u"(Users).DEFAULT\\Tovel");
    const auto b = SplitKeyTextForUninstall(u"(Users).DEFAULT\\Tovel");
    EXPECT_EQ(a.root, b.root);
    EXPECT_EQ(a.key, b.key);
    EXPECT_EQ(a.key, ".DEFAULT\\Tovel");
}

TEST(VersionText, MinorDigitsJoinAndBuildIsFourDigits)
{
    EXPECT_EQ(VersionText(u"1.1.0.453"), "1.10(Build:0453)");
    EXPECT_EQ(VersionText(u"2.0.1.7"), "2.01(Build:0007)");
    EXPECT_EQ(VersionText(u"1.0.0.0"), "1.00(Build:0000)");
    EXPECT_EQ(VersionText(u"3.12.5.12345"), "3.125(Build:12345)");
    EXPECT_EQ(VersionText(u"4"), "4.00(Build:0000)");
    EXPECT_EQ(VersionText(u"1.2"), "1.20(Build:0000)");
}
