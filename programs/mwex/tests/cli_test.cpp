#include "programs/mwex/tests/clirunner.h"

#include <gtest/gtest.h>

using clitest::Mwex;

TEST(MwexProgram, HelpListsTheCommandGroups)
{
    const auto r = Mwex({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains("usage: mwex"));
}

TEST(MwexProgram, UnknownCommandIsBadInputWithOneLine)
{
    const auto r = Mwex({QStringLiteral("frobnicate")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.startsWith("mwex: "));
}

TEST(MwexProgram, NoArgumentsShowsUsageAndFails)
{
    const auto r = Mwex({});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.contains("usage: mwex"));
}
