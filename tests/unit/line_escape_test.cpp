// The two-character line-break escape of "Fortune.txt".
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "cookies/line_escape.h"
#include "tests/support/legacy_rules.h"

static std::string Replaced(std::string text)
{
    ReplaceLineBreakEscapes(&text[0]);
    return text;
}

TEST(LineEscape, EscapeBecomesSpaceAndLineFeed)
{
    EXPECT_EQ(Replaced("one\\ntwo\n"), "one \ntwo\n") << "the first line ends in a space";
    EXPECT_EQ(Replaced("\\n"), " \n");
    EXPECT_EQ(Replaced("a\\nb\\nc"), "a \nb \nc");
    EXPECT_EQ(Replaced("end\\n"), "end \n") << "an escape in the last two characters";
}

TEST(LineEscape, OnlyBackslashLowercaseN)
{
    EXPECT_EQ(Replaced("A\\N B\\t C\\"), "A\\N B\\t C\\");
    EXPECT_EQ(Replaced("\\\\n"), "\\ \n") << "pairs are taken from the left";
    EXPECT_EQ(Replaced("\\"), "\\");
    EXPECT_EQ(Replaced(""), "");
    EXPECT_EQ(Replaced("n\\"), "n\\");
}

TEST(LineEscape, AgreesWithAnIndependentReadingOfTheEscape)
{
    const char alphabet[] = {'\\', 'n', 'N', ' ', '\n'};
    std::mt19937 generator(17);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        size_t length = generator() % 10;
        for (size_t i = 0; i < length; ++i) text += alphabet[generator() % sizeof alphabet];
        ASSERT_EQ(Replaced(text), LegacyEscapesByTheRules(text)) << "round " << round;
    }
}
