// The name filter, its history in the settings, and the loose name comparison.
#include "browser/core/settingsstore.h"
#include "testing/browser/memorysettingsstore.h"
#include "browser/lists/namefilter.h"
#include "browser/lists/namematch.h"

#include <gtest/gtest.h>

using namespace browser;
using namespace browser::lists;

namespace {

FilterState Wildcard(const char* text, bool caseSensitive = false)
{
    return {false, true, QString::fromUtf8(text), caseSensitive};
}

FilterState Partial(const char* text, bool caseSensitive = false)
{
    return {false, false, QString::fromUtf8(text), caseSensitive};
}

bool Passes(const FilterState& f, const char* name)
{
    return PassesFilter(f, QString::fromUtf8(name));
}

TEST(PassesFilter, MatchesTheBaseNameOnly)
{
    EXPECT_TRUE(Passes(Wildcard("read*"), "readme.txt"));
    EXPECT_TRUE(Passes(Partial("adm"), "readme.txt"));
    EXPECT_FALSE(Passes(Wildcard("readme.txt"), "readme.txt"));
    EXPECT_TRUE(Passes(Wildcard("readme"), "/music/sub.dir/readme.txt"));
    EXPECT_FALSE(Passes(Partial("sub"), "/music/sub.dir/readme.txt"));
}

TEST(PassesFilter, IgnoresCaseUnlessAsked)
{
    EXPECT_TRUE(Passes(Partial("ABC"), "xabcx.lrc"));
    EXPECT_FALSE(Passes(Partial("ABC", true), "xabcx.lrc"));
    EXPECT_TRUE(Passes(Wildcard("SONG*"), "song01.mp3"));
    EXPECT_FALSE(Passes(Wildcard("SONG*", true), "song01.mp3"));
}

TEST(PassesFilter, EmptyTextOrEmptyBaseNameNeverPasses)
{
    EXPECT_FALSE(Passes(Wildcard(""), "song.mp3"));
    EXPECT_FALSE(Passes(Partial(""), "song.mp3"));
    EXPECT_FALSE(Passes(Wildcard("*"), ".mp3"));
}

TEST(PassesFilter, WildcardRules)
{
    EXPECT_TRUE(Passes(Wildcard("track##"), "track07.mp3"));
    EXPECT_FALSE(Passes(Wildcard("track##"), "trackAB.mp3"));
    EXPECT_TRUE(Passes(Wildcard("s?ng"), "sung.txt"));
    EXPECT_FALSE(Passes(Wildcard("s?ng"), "sng.txt"));
    EXPECT_TRUE(Passes(Wildcard("[abc]*"), "beat.txt"));
    EXPECT_FALSE(Passes(Wildcard("[!abc]*"), "beat.txt"));
    EXPECT_TRUE(Passes(Wildcard("[!abc]*"), "dawn.txt"));
    EXPECT_TRUE(Passes(Wildcard("[a-c]at"), "bat.txt"));
    EXPECT_FALSE(Passes(Wildcard("[a-c]at"), "rat.txt"));
    EXPECT_TRUE(Passes(Wildcard("*歌*"), "春の歌.txt"));
}

TEST(PassesFilter, MarksOtherThanWildcardsAreLiteral)
{
    EXPECT_TRUE(Passes(Wildcard("*(live)*"), "song (live).mp3"));
    EXPECT_FALSE(Passes(Wildcard("*(live)*"), "song live.mp3"));
    EXPECT_TRUE(Passes(Partial("(live)"), "song (live).mp3"));
    EXPECT_TRUE(Passes(Wildcard("a.b+c"), "a.b+c.txt"));
    EXPECT_FALSE(Passes(Wildcard("a.b+c"), "axbbc.txt"));
    // An unterminated "[" and an empty list stand for themselves.
    EXPECT_TRUE(Passes(Wildcard("song[1"), "song[1.txt"));
    EXPECT_TRUE(Passes(Wildcard("x[]"), "x[].txt"));
    EXPECT_TRUE(Passes(Wildcard("*[[]*"), "a[b.txt"));
}

TEST(PassesFilter, ManyStarsAgainstALongNameEndQuickly)
{
    const QString name = QString(20000, QLatin1Char('a')) + QStringLiteral(".txt");
    FilterState f = Wildcard("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b");
    EXPECT_FALSE(PassesFilter(f, name)); // exponential backtracking would never return
    f.text = QStringLiteral("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a");
    EXPECT_TRUE(PassesFilter(f, name));
}

TEST(FilterHistory, KeepsOrderDropsDuplicatesAndTheOldestOnTheNinth)
{
    FilterHistory h;
    for (int i = 1; i <= 8; ++i)
        h.add(true, QStringLiteral("f%1").arg(i));
    EXPECT_EQ(h.entries(true), (QStringList{"f8", "f7", "f6", "f5", "f4", "f3", "f2", "f1"}));
    h.add(true, QStringLiteral("f3"));
    EXPECT_EQ(h.entries(true), (QStringList{"f3", "f8", "f7", "f6", "f5", "f4", "f2", "f1"}));
    h.add(true, QStringLiteral("f9"));
    EXPECT_EQ(h.entries(true), (QStringList{"f9", "f3", "f8", "f7", "f6", "f5", "f4", "f2"}));
    EXPECT_TRUE(h.entries(false).isEmpty());
}

TEST(FilterHistory, ConfirmWritesBothListsModeAndCaseAndReadsBack)
{
    MemorySettingsStore store;
    FilterHistory h;
    EXPECT_FALSE(ConfirmFilter(h, store, QString(), true, false));
    EXPECT_TRUE(store.entries().isEmpty());

    ConfirmFilter(h, store, QStringLiteral("*live*"), true, false);
    ConfirmFilter(h, store, QStringLiteral("歌"), false, false);
    const std::optional<FilterState> s = ConfirmFilter(h, store, QStringLiteral("ABC"), false, true);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->cancelled);
    EXPECT_FALSE(s->wildcard);
    EXPECT_TRUE(s->caseSensitive);
    EXPECT_EQ(s->text, QStringLiteral("ABC"));

    EXPECT_EQ(store.text("Filter", "String0-0", {}), QStringLiteral("*live*"));
    EXPECT_EQ(store.text("Filter", "String1-0", {}), QStringLiteral("ABC"));
    EXPECT_EQ(store.text("Filter", "String1-1", {}), QStringLiteral("歌"));
    EXPECT_FALSE(store.contains("Filter", "String1-2"));
    EXPECT_FALSE(LoadSetting(store, "Filter", "Mode", true));
    EXPECT_EQ(store.text("Filter", "NoLCase", {}), QStringLiteral("1"));
    EXPECT_EQ(FilterHistory::Load(store), h);
}

TEST(FilterHistory, DefaultsAreWildcardModeIgnoringCase)
{
    const FilterHistory h = FilterHistory::Load(MemorySettingsStore());
    EXPECT_TRUE(h.wildcardMode);
    EXPECT_FALSE(h.caseSensitive);
    EXPECT_TRUE(h.entries(true).isEmpty());
}

bool Matches(const char* a, const char* b)
{
    return NameMatches(QString::fromUtf8(a), QString::fromUtf8(b));
}

TEST(NameMatches, FoldsKanaWidthAndCase)
{
    EXPECT_EQ(FoldName(u"ソング"), QString::fromUtf8("ｿﾝｸﾞ"));
    EXPECT_EQ(FoldName(u"そんぐ"), QString::fromUtf8("ｿﾝｸﾞ"));
    EXPECT_EQ(FoldName(u"ｿﾝｸﾞ"), QString::fromUtf8("ｿﾝｸﾞ"));
    EXPECT_TRUE(Matches("ソング", "そんぐ"));
    EXPECT_TRUE(Matches("ｿﾝｸﾞ", "ソング"));
    EXPECT_TRUE(Matches("ＳＯＮＧ", "song"));
    EXPECT_TRUE(Matches("ヴォーカル", "ｳﾞｫｰｶﾙ"));
    EXPECT_FALSE(Matches("ソング", "ダンス"));
}

TEST(NameMatches, IgnoresMarksAndAcceptsContainment)
{
    EXPECT_TRUE(Matches("song 01", "Song-01"));
    EXPECT_TRUE(Matches("my song-01 live", "Song-01"));
    EXPECT_FALSE(Matches("song-02", "Song-01"));
    EXPECT_TRUE(Matches("「春」の歌", "春の歌"));
    EXPECT_TRUE(Matches("", "anything"));
    EXPECT_FALSE(Matches("春の歌", "夏の歌"));
}

} // namespace
