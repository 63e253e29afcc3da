#include "app/random.h"

static uint32_t g_randomState = 0;

void SeedRandom(uint32_t seed)
{
    g_randomState = seed;
}

uint32_t NextRandom()
{
    g_randomState = g_randomState * 214013u + 2531011u;
    return (g_randomState >> 16) & 0x7FFFu;
}

uint32_t ScaleDraw(uint32_t v, uint32_t n)
{
    // 32769 / 2^30 is the single-precision value nearest 1/32767; the exact
    // 64-bit product keeps the result identical on every compiler.
    uint64_t r = (static_cast<uint64_t>(v) * n * 32769u) >> 30;
    uint32_t result = static_cast<uint32_t>(r);
    if (result < 1) result = 1;
    if (result > n) result = n;
    return result;
}

uint32_t ScaledRandom(uint32_t n)
{
    return ScaleDraw(NextRandom(), n);
}

uint32_t SeedFromFileTime(uint32_t low, uint32_t high)
{
    return low + high;
}
