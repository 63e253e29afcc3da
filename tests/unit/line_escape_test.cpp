// The two-character line-break escape of "Fortune.txt".
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "cookies/line_escape.h"
#include "tests/support/legacy_rules.h"

static std::string Replaced(std::string text, const AnsiLeadBytes* lead = nullptr)
{
    ReplaceLineBreakEscapes(&text[0], lead);
    return text;
}

static const AnsiLeadBytes kShiftJis = {{0x81, 0x9F, 0xE0, 0xFC}};

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
    // In Shift-JIS, 0x95 0x5C is one character (U+8868) and its trail byte no
    // backslash; a backslash after a whole character is one.
    EXPECT_EQ(Replaced("\x95\\n", &kShiftJis), "\x95\\n");
    EXPECT_EQ(Replaced("\x95\\\\n", &kShiftJis), "\x95\\ \n");
    EXPECT_EQ(Replaced("\x95\\n"), "\x95 \n") << "single-byte: 0x95 is a character of its own";
    EXPECT_EQ(Replaced("\xE3\x81\x82\\n", &kShiftJis), "\xE3\x81\x82 \n") << "UTF-8 is read as UTF-8";
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
