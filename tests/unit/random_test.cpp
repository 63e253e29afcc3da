#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/random.h"

namespace {

// A source that yields the given draws in order, counting the calls.
struct ScriptedDraws {
    std::vector<uint32_t> values;
    size_t used = 0;
};

uint32_t NextScripted(void* context)
{
    ScriptedDraws* script = static_cast<ScriptedDraws*>(context);
    if (script->used >= script->values.size()) {
        ADD_FAILURE() << "the draw asked for more than " << script->values.size() << " values";
        return 0;
    }
    return script->values[script->used++];
}

// The real generator on a state of the test's own.
uint32_t NextFromState(void* context)
{
    return NextRandomFrom(static_cast<uint32_t*>(context));
}

// The first position drawn after each of many seeds, spaced as the clock
// gives them (a millisecond is 10000 units of a file time).
std::vector<uint32_t> CountFirstDraws(uint32_t n, uint32_t samples)
{
    std::vector<uint32_t> counts(n, 0);
    uint32_t seed = SeedFromFileTime(0x5A3C1E00u, 0x01DB6F2Au);
    for (uint32_t i = 0; i < samples; ++i, seed += 10000u) {
        uint32_t state = seed;
        uint32_t r = DrawPosition(n, NextFromState, &state);
        if (r >= n) {
            ADD_FAILURE() << "position " << r << " drawn for a total of " << n;
            continue;
        }
        counts[r]++;
    }
    return counts;
}

// Empty when the counts are flat: every position within 35% of the mean,
// and Pearson's statistic within six standard deviations of its mean (n - 1).
// A position never reached or twice as likely fails the first; the slight
// skew of folding 15 bits onto 4297 (a modulo) fails the second.
std::string FlatnessFault(const std::vector<uint32_t>& counts)
{
    double samples = 0;
    for (uint32_t c : counts) samples += c;
    const double expected = samples / counts.size();
    double statistic = 0;
    for (size_t r = 0; r < counts.size(); ++r) {
        if (std::fabs(counts[r] - expected) > 0.35 * expected)
            return "position " + std::to_string(r) + " drawn " + std::to_string(counts[r]) + " times, expected about " +
                   std::to_string(expected);
        statistic += (counts[r] - expected) * (counts[r] - expected) / expected;
    }
    const double df = static_cast<double>(counts.size() - 1);
    if (counts.size() > 1 && statistic > df + 6 * std::sqrt(2 * df))
        return "chi-square " + std::to_string(statistic) + " for " + std::to_string(df) + " degrees of freedom";
    return std::string();
}

}  // namespace

TEST(Random, GeneratorFollowsItsConstants)
{
    SeedRandom(1);
    // state = 1 * 214013 + 2531011 = 2745024; 2745024 >> 16 = 41
    EXPECT_EQ(NextRandom(), 41u);
    // state = 2745024 * 214013 + 2531011 mod 2^32 = 1640234387 -> 18467
    EXPECT_EQ(NextRandom(), 18467u);
    EXPECT_EQ(NextRandom(), 6334u);
    uint32_t state = 1;
    EXPECT_EQ(NextRandomFrom(&state), 41u) << "the same generator on a caller's state";
    EXPECT_EQ(state, 2745024u);
}

TEST(Random, DrawsStayIn15Bits)
{
    SeedRandom(0xDEADBEEFu);
    for (int i = 0; i < 100000; ++i) ASSERT_LT(NextRandom(), kRandomRange);
}

TEST(Random, SeedIsTheSumOfTheHalvesModulo2To32)
{
    EXPECT_EQ(SeedFromFileTime(1u, 2u), 3u);
    EXPECT_EQ(SeedFromFileTime(0xFFFFFFFFu, 2u), 1u);
}

TEST(Random, EveryDrawOfTheBuiltInTotalIsExactlyFlat)
{
    // 4297 needs 13 bits: the top 13 of one draw. Over all 32768 draws each
    // position comes from exactly 4, and the values from 4297 on are drawn
    // again rather than folded back.
    const uint32_t n = 4297;
    std::vector<int> hits(n, 0);
    int rejected = 0;
    for (uint32_t v = 0; v < kRandomRange; ++v) {
        ScriptedDraws script;
        script.values = {v, 0};
        uint32_t r = DrawPosition(n, NextScripted, &script);
        if (script.used == 2) {
            ++rejected;
            ASSERT_GE(v >> 2, n) << "draw " << v << " was thrown away, though it names a position";
            continue;
        }
        ASSERT_LT(r, n) << "draw " << v;
        hits[r]++;
    }
    for (uint32_t r = 0; r < n; ++r) ASSERT_EQ(hits[r], 4) << "position " << r;
    EXPECT_EQ(rejected, 32768 - 4 * 4297);
}

TEST(Random, DrawJoinsAsManyBitsAsTheTotalNeeds)
{
    struct Case {
        uint32_t n;
        std::vector<uint32_t> draws;
        uint32_t expected;
        size_t used;
    } cases[] = {
        {2, {0x4000}, 1, 1},                              // the draw's top bit
        {3, {0x7FFF, 0x1FFF}, 0, 2},                      // 3 is thrown away, then 0
        {15, {0x7000}, 14, 1},                            // top 4 bits
        {4297, {4296u << 2 | 3}, 4296, 1},                // string 4297 is reachable
        {32768, {12345}, 12345, 1},                       // the draw itself
        {65536, {0x7FFF, 0x4000}, 65535, 2},              // 16 bits: the second draw's top bit
        {1000003, {1, 0}, 32, 2},                         // 20 bits: 30 joined, 10 dropped
        {0x7FFFFFFFu, {0x7FFF, 0x7FFF, 0x7FFE, 0, 0, 0}, 0, 6},  // 31 bits; 2^31 - 1 thrown away
        {0xFFFFFFFFu, {0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x5FFF}, 0xFFFFFFFEu, 6},
    };
    for (const Case& c : cases) {
        ScriptedDraws script;
        script.values = c.draws;
        EXPECT_EQ(DrawPosition(c.n, NextScripted, &script), c.expected) << "total " << c.n;
        EXPECT_EQ(script.used, c.used) << "draws used for total " << c.n;
    }
    EXPECT_EQ(PositionBits(2), 1);
    EXPECT_EQ(PositionBits(4297), 13);
    EXPECT_EQ(PositionBits(32768), 15);
    EXPECT_EQ(PositionBits(32769), 16);
    EXPECT_EQ(PositionBits(0xFFFFFFFFu), 32);
}

TEST(Random, EdgeTotals)
{
    for (uint32_t n : {0u, 1u}) {
        ScriptedDraws none;
        EXPECT_EQ(DrawPosition(n, NextScripted, &none), 0u) << "total " << n;
        EXPECT_EQ(none.used, 0u) << "a total of " << n << " needs no draw";
    }
    SeedRandom(77);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(ScaledRandom(1), 0u) << "a total of 1 shows its one fortune";
}

TEST(Random, ScaledRandomUsesTheGenerator)
{
    SeedRandom(12345);
    uint32_t state = 12345;
    for (uint32_t n : {15u, 4297u, 3000000u, 0xFFFFFFFFu})
        EXPECT_EQ(ScaledRandom(n), DrawPosition(n, NextFromState, &state)) << "total " << n;
}

TEST(Random, SmallTotalsAreFlatOverManyGeneratorStates)
{
    for (uint32_t n : {1u, 2u, 3u, 4u, 10u, 4297u}) {
        std::vector<uint32_t> counts = CountFirstDraws(n, std::max(200u * n, 20000u));
        EXPECT_EQ(FlatnessFault(counts), "") << "total " << n << ", first draw after each seed";
        // And the draws that follow one another in a run (a failed source
        // makes the turn draw again).
        std::vector<uint32_t> run(n, 0);
        uint32_t state = 20261207;
        for (uint32_t i = 0; i < std::max(200u * n, 20000u); ++i) run[DrawPosition(n, NextFromState, &state)]++;
        EXPECT_EQ(FlatnessFault(run), "") << "total " << n << ", one run of draws";
    }
}

TEST(Random, FlatnessCheckCatchesBiasedMaps)
{
    // The check above must fail the maps it guards against: the old scaling
    // (1 to n - 1, position 1 twice as likely) and a 15-bit modulo.
    const uint32_t n = 4297;
    std::vector<uint32_t> scaled(n, 0);
    std::vector<uint32_t> modulo(n, 0);
    uint32_t state = 99;
    for (uint32_t i = 0; i < 200 * n; ++i) {
        uint32_t v = NextRandomFrom(&state);
        uint32_t r = static_cast<uint32_t>((static_cast<uint64_t>(v) * n * 32769u) >> 30);
        scaled[r < 1 ? 1 : r]++;
        modulo[v % n]++;
    }
    EXPECT_NE(FlatnessFault(scaled), "") << "expected the old scaling to fail";
    EXPECT_NE(FlatnessFault(modulo), "") << "expected the modulo map to fail";
}

TEST(Random, LargeTotalsStayInRangeAndSpreadOverIt)
{
    for (uint32_t n : {3000000u, 0xFFFFFFFFu}) {
        // Sixteen equal stretches of the range, each hit about as often.
        std::vector<uint32_t> stretches(16, 0);
        uint32_t state = 4242;
        for (int i = 0; i < 160000; ++i) {
            uint32_t r = DrawPosition(n, NextFromState, &state);
            ASSERT_LT(r, n) << "total " << n;
            stretches[static_cast<uint64_t>(r) * 16 / n]++;
        }
        EXPECT_EQ(FlatnessFault(stretches), "") << "total " << n;
    }
}
