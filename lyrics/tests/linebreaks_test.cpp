#include "lyrics/linebreaks.h"

#include "lyrics/tests/printers.h"

#include <gtest/gtest.h>

using lyrics::NormalizeLineBreaks;

TEST(NormalizeLineBreaks, LoneBreaksBecomeCrLf)
{
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("a\rb")), QStringLiteral("a\r\nb"));
}

TEST(NormalizeLineBreaks, TextsWithBothOrNeitherStay)
{
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("a\r\nb\nc")), QStringLiteral("a\r\nb\nc"));
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(NormalizeLineBreaks(QString()), QString());
}
