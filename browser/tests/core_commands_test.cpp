#include "browser/core/commandregistry.h"

#include <gtest/gtest.h>

using namespace browser;

TEST(CommandRegistry, RunsARegisteredCommandOnlyWhileItsRuleAllowsIt)
{
    CommandRegistry commands;
    int reSearched = 0;
    int helped = 0;
    bool listed = false;
    commands.add("ReSearch", [&] { ++reSearched; }, [&] { return listed; });
    commands.add("Help", [&] { ++helped; });

    // An unknown key is shown disabled and does nothing.
    EXPECT_FALSE(commands.contains("Copy"));
    EXPECT_FALSE(commands.isEnabled("Copy"));
    EXPECT_FALSE(commands.run("Copy"));

    EXPECT_TRUE(commands.contains("ReSearch"));
    EXPECT_FALSE(commands.isEnabled("ReSearch"));
    EXPECT_FALSE(commands.run("ReSearch"));
    listed = true;
    EXPECT_TRUE(commands.isEnabled("ReSearch"));
    EXPECT_TRUE(commands.run("ReSearch"));
    EXPECT_TRUE(commands.run("Help"));
    EXPECT_EQ(reSearched, 1);
    EXPECT_EQ(helped, 1);
    EXPECT_EQ(commands.keys(), QStringList({"Help", "ReSearch"}));

    // A later registration of the same key replaces the earlier one.
    commands.add("Help", [&] { helped += 10; });
    commands.run("Help");
    EXPECT_EQ(helped, 11);
}
