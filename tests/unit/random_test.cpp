#include <vector>

#include <gtest/gtest.h>

#include "app/random.h"

TEST(Random, GeneratorFollowsItsConstants)
{
    SeedRandom(1);
    // state = 1 * 214013 + 2531011 = 2745024; 2745024 >> 16 = 41
    EXPECT_EQ(NextRandom(), 41u);
    // state = 2745024 * 214013 + 2531011 mod 2^32 = 1640234387 -> 18467
    EXPECT_EQ(NextRandom(), 18467u);
    EXPECT_EQ(NextRandom(), 6334u);
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

TEST(Random, ScaleDrawOfTheBuiltInTotal)
{
    const uint32_t n = 4297;
    std::vector<int> hits(n + 1, 0);
    for (uint32_t v = 0; v < kRandomRange; ++v) {
        uint32_t r = ScaleDraw(v, n);
        ASSERT_GE(r, 1u);
        ASSERT_LE(r, n - 1) << "the largest draw gives n - 1, never n (v=" << v << ")";
        hits[r]++;
    }
    EXPECT_EQ(hits[1], 16) << "v = 0 also maps to 1, so position 1 is twice as likely";
    for (uint32_t r = 2; r < n; ++r) {
        ASSERT_TRUE(hits[r] == 7 || hits[r] == 8) << "position " << r << " drawn " << hits[r] << " times";
    }
    EXPECT_EQ(hits[0], 0);
    EXPECT_EQ(hits[n], 0);
}

TEST(Random, ScaleDrawAgreesWithTheSinglePrecisionConstant)
{
    // c is the float nearest 1/32767; v * (n * c) truncated must match the
    // exact integer form for every draw.
    const double c = 32769.0 / 1073741824.0;
    const uint32_t totals[] = {2, 3, 15, 4297, 65536, 1000003, 0x7FFFFFFFu, 0xFFFFFFFFu};
    for (uint32_t n : totals) {
        for (uint32_t v = 0; v < kRandomRange; v += 7) {
            long double exact = static_cast<long double>(v) * (static_cast<long double>(n) * c);
            uint64_t expected = static_cast<uint64_t>(exact);
            if (expected < 1) expected = 1;
            if (expected > n) expected = n;
            ASSERT_EQ(ScaleDraw(v, n), expected) << "n=" << n << " v=" << v;
        }
    }
}

TEST(Random, ScaleDrawEdgeTotals)
{
    for (uint32_t v = 0; v < kRandomRange; ++v) ASSERT_EQ(ScaleDraw(v, 1), 1u);
    EXPECT_EQ(ScaleDraw(32767, 4297), 4296u);
    EXPECT_EQ(ScaleDraw(32767, 0xFFFFFFFFu), 0xFFFFFFFBu) << "n - n/2^30, truncated";
    EXPECT_EQ(ScaleDraw(0, 0), 0u) << "a total of 0 is never drawn; the clamp to n wins";
}

TEST(Random, ScaledRandomUsesTheGenerator)
{
    SeedRandom(12345);
    uint32_t v = NextRandom();
    SeedRandom(12345);
    EXPECT_EQ(ScaledRandom(15), ScaleDraw(v, 15));
}
