#include "app/random.h"

static uint32_t g_randomState = 0;

void SeedRandom(uint32_t seed)
{
    g_randomState = seed;
}

uint32_t NextRandomFrom(uint32_t* state)
{
    *state = *state * 214013u + 2531011u;
    return (*state >> 16) & 0x7FFFu;
}

uint32_t NextRandom()
{
    return NextRandomFrom(&g_randomState);
}

int PositionBits(uint32_t n)
{
    int bits = 0;
    for (uint32_t largest = n > 0 ? n - 1 : 0; largest != 0; largest >>= 1) ++bits;
    return bits;
}

uint32_t DrawPosition(uint32_t n, RandomSource source, void* context)
{
    const int bits = PositionBits(n);
    if (bits == 0) return 0;
    for (;;) {
        // At most three draws (45 bits) for 32 bits. The high bits of the
        // first draw lead: the generator's high bits are its best ones.
        uint64_t joined = 0;
        int have = 0;
        while (have < bits) {
            joined = (joined << kRandomBits) | (source(context) & (kRandomRange - 1));
            have += kRandomBits;
        }
        uint64_t candidate = joined >> (have - bits);
        if (candidate < n) return static_cast<uint32_t>(candidate);
    }
}

static uint32_t ProcessWideDraw(void*)
{
    return NextRandom();
}

uint32_t ScaledRandom(uint32_t n)
{
    return DrawPosition(n, ProcessWideDraw, nullptr);
}

uint32_t SeedFromFileTime(uint32_t low, uint32_t high)
{
    return low + high;
}
