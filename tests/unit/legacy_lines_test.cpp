// The count and switch rules for "Fortune.txt", fed with pieces as the
// text-mode line reader yields them.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cookies/legacy_lines.h"
#include "tests/support/legacy_rules.h"

static LegacyLineTally Tally(const std::vector<std::string>& pieces, uint32_t incoming = 7)
{
    LegacyLineTally tally;
    BeginLegacyTally(&tally, incoming);
    for (const std::string& piece : pieces) TallyLegacyPiece(&tally, piece.c_str());
    return tally;
}

TEST(LegacyLines, APieceCountsWhenLongerThanOneCharacter)
{
    EXPECT_EQ(Tally({"A\n", "\n", "B\n"}).count, 2u) << "the empty line does not count";
    EXPECT_EQ(Tally({"A\n", "B"}).count, 1u) << "a last single character without LF does not count";
    EXPECT_EQ(Tally({"AB"}).count, 1u) << "two characters without LF count";
    EXPECT_EQ(Tally({"\n", "\n", "\n"}).count, 0u);
    // A 4098-character line and its LF: one full piece, then the LF alone.
    std::string full(kLegacyPieceLimit, 'x');
    EXPECT_EQ(Tally({full, "\n"}).count, 1u);
    // 5000 characters and LF: 4098, then 902 and the LF.
    EXPECT_EQ(Tally({full, std::string(902, 'x') + "\n"}).count, 2u);
}

TEST(LegacyLines, OnlyTheFirstPieceDecidesTheSwitch)
{
    EXPECT_EQ(Tally({"EXTRA\n"}).replace, 1u);
    EXPECT_EQ(Tally({"EXTRA\n"}).count, 1u) << "the first line counts like any other";
    EXPECT_EQ(Tally({"more EXTRA please\n", "x\n"}).replace, 1u) << "anywhere in the line";
    EXPECT_EQ(Tally({"extra\n", "EXTRA\n"}).replace, 0u) << "upper case only";
    EXPECT_EQ(Tally({"first\n", "EXTRA\n"}).replace, 0u) << "the second line has no say";
    EXPECT_EQ(Tally({"\n", "EXTRA\n"}).replace, 0u) << "an empty first line still decides";
    EXPECT_EQ(Tally({"EXTR"}).replace, 0u);
}

TEST(LegacyLines, NoPieceKeepsTheIncomingSwitch)
{
    LegacyLineTally tally = Tally({}, 1);
    EXPECT_EQ(tally.count, 0u);
    EXPECT_EQ(tally.replace, 1u);
    EXPECT_EQ(Tally({}, 0).replace, 0u);
    EXPECT_EQ(Tally({}, 0xFFFFFFFFu).replace, 0xFFFFFFFFu) << "passed through unchanged";
}

TEST(LegacyLines, TheReaderAndTheCountShareTheFortuneRule)
{
    EXPECT_EQ(IsLegacyFortunePiece("A\n"), 1);
    EXPECT_EQ(IsLegacyFortunePiece("AB"), 1);
    EXPECT_EQ(IsLegacyFortunePiece("\n"), 0) << "a blank line is no fortune";
    EXPECT_EQ(IsLegacyFortunePiece("A"), 0) << "one character without LF";
    EXPECT_EQ(IsLegacyFortunePiece(""), 0);
    EXPECT_EQ(IsLegacyFortunePiece("\0second\n"), 0) << "a piece ends at its NUL";
    std::vector<std::string> pieces = {"A\n", "\n", "B\n", "C"};
    uint32_t counted = 0;
    for (const std::string& piece : pieces) counted += IsLegacyFortunePiece(piece.c_str());
    EXPECT_EQ(counted, Tally(pieces).count);
}

TEST(LegacyLines, AgreeWithAnIndependentReadingOfTheFile)
{
    // Short random files over the bytes that matter, read into pieces as the
    // text-mode reader would hand them over.
    const std::string words[] = {"A", "\n", "\r", std::string(1, '\0'), "\x1A", "EXTRA", "\r\n"};
    std::mt19937 generator(2026);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        size_t length = generator() % 10;
        for (size_t i = 0; i < length; ++i) bytes += words[generator() % 7];
        std::vector<std::string> pieces = TextModePieces(bytes);
        LegacyLineTally tally = Tally(pieces, round);
        ASSERT_EQ(tally.count, LegacyCountByTheRules(pieces)) << "round " << round;
        ASSERT_EQ(tally.replace, LegacyReplaceByTheRules(pieces, round)) << "round " << round;
    }
}
