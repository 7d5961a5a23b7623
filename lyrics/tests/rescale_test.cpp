#include "lyrics/rescale.h"

#include "common/utf8text.h"
#include "lyrics/timetag.h"

#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using namespace lyrics;

namespace {
using common::U;

QString Tag(int msec, TagLayout layout = TagLayout::Millis)
{
    return FormatTimeTag(msec, layout);
}
} // namespace

TEST(RescaleTags, MapsLinearlyBetweenTheReferenceTags)
{
    const QString text = Tag(10000) + U("a") + Tag(40000) + U("b") + Tag(70000) + U("c") + Tag(4000);
    const RescaleResult r = RescaleTags(text, 10000, 70000, 12000, 71000);
    ASSERT_TRUE(r.ok);
    // k = 59/60: 40 000 → 12 000 + int(30 000 × 0.98333… + 0.5) = 41 500;
    // 4 000 → 12 000 + floor(-5 900 + 0.5) = 6 100.
    EXPECT_EQ(r.text, Tag(12000) + U("a") + Tag(41500) + U("b") + Tag(71000) + U("c") + Tag(6100));
}

TEST(RescaleTags, RestartsProportionallyWhenATagWouldFallBelowZero)
{
    const QString text = Tag(5000) + Tag(10000) + Tag(40000) + Tag(70000);
    const RescaleResult r = RescaleTags(text, 10000, 70000, 2000, 62000);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, Tag(1000) + Tag(2000) + Tag(32000) + Tag(62000));
}

TEST(RescaleTags, KeepsEachTagsLayout)
{
    const RescaleResult r = RescaleTags(u"[00:10]x[00:20:0]y[00:30:00]", 10000, 30000, 11000, 31000);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, U("[00:11]x[00:21:0]y[00:31:00]"));
}

TEST(RescaleTags, UnchangedReferencesGiveTheTextBack)
{
    const QString text = U("[00:10:5]x[00:20:0]");
    const RescaleResult r = RescaleTags(text, 10500, 20000, 10500, 20000);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, text);
}

TEST(RescaleTags, RefusesReferencesOutOfOrder)
{
    const QString text = U("[00:10:00]x");
    for (auto [f, l, f2, l2] : {std::tuple{20000, 10000, 1, 2}, {10000, 20000, 5000, 5000}, {10000, 10000, 1, 2}}) {
        const RescaleResult r = RescaleTags(text, f, l, f2, l2);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.text, text);
        EXPECT_EQ(r.message, U("最後のタイムタグが最初のタイムタグより\r\n大きくないと計算できません。"));
    }
}

TEST(RescaleTags, NeverWritesNegativeOrOversizedTimes)
{
    // New times below 0 would loop forever in proportional mode; they are written as 0.
    const RescaleResult r = RescaleTags(u"[00:01:00][00:05:00][00:10:00]", 5000, 10000, -9000, -1000);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, U("[00:00:00][00:00:00][00:00:00]"));
    const RescaleResult big = RescaleTags(u"[00:00:01][00:00:02][99:00:00]", 10, 20, 10, 1000000000);
    ASSERT_TRUE(big.ok);
    EXPECT_EQ(big.text, U("[00:00:01][99:59:99][99:59:99]"));
}
