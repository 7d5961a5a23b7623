#include "lyrics/numbers.h"

#include <cmath>
#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using namespace lyrics;

TEST(LeadingNumber, ReadsSignDigitsFractionAndExponent)
{
    EXPECT_EQ(ParseLeadingNumber(u"42"), 42.0);
    EXPECT_EQ(ParseLeadingNumber(u"  -12.5abc"), -12.5);
    EXPECT_EQ(ParseLeadingNumber(u"+.5"), 0.5);
    EXPECT_EQ(ParseLeadingNumber(u"7."), 7.0);
    EXPECT_EQ(ParseLeadingNumber(u"1e3x"), 1000.0);
    EXPECT_EQ(ParseLeadingNumber(u"1e"), 1.0);
    EXPECT_EQ(ParseLeadingNumber(u"2E-1"), 0.2);
    EXPECT_EQ(ParseLeadingNumber(u"0,5"), 0.0);
}

TEST(LeadingNumber, NothingNumericGivesNothing)
{
    for (const char16_t* s : {u"", u"abc", u"-", u".", u"-.e5", u"\u0661"})
        EXPECT_FALSE(ParseLeadingNumber(s).has_value());
}

TEST(LeadingNumber, HugeValuesBecomeInfinityAndTinyOnesZero)
{
    EXPECT_TRUE(std::isinf(*ParseLeadingNumber(u"1e999")));
    EXPECT_EQ(*ParseLeadingNumber(u"-1e999"), -INFINITY);
    EXPECT_EQ(*ParseLeadingNumber(u"1e-999"), 0.0);
}

TEST(WholeNumber, AllowsBlanksAroundOnly)
{
    EXPECT_EQ(ParseNumber(u" 1.25 "), 1.25);
    EXPECT_FALSE(ParseNumber(u"1.25s").has_value());
    EXPECT_FALSE(ParseNumber(u"").has_value());
}

TEST(Rounding, HalvesToEvenAndClampsToInt)
{
    EXPECT_EQ(RoundToInt(0.5), 0);
    EXPECT_EQ(RoundToInt(1.5), 2);
    EXPECT_EQ(RoundToInt(-1.5), -2);
    EXPECT_EQ(RoundToInt(1e20), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundToInt(-1e20), std::numeric_limits<int>::min());
    EXPECT_EQ(RoundToInt(NAN), 0);
    EXPECT_EQ(FloorToInt(-0.5), -1);
    EXPECT_EQ(FloorToInt(2.999), 2);
    EXPECT_EQ(FloorToInt(INFINITY), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundToSignificant(0.99531250000000002, 15), 0.9953125);
    EXPECT_EQ(RoundToSignificant(123456789.123456789, 3), 123000000.0);
}
