#include "core/draw_round.h"

static uint32_t Mix32(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

// One pass of the network over a domain of 2^(2 * half) values.
static uint32_t Feistel(uint64_t key, int half, uint32_t value)
{
    const uint32_t mask = half >= 32 ? 0xFFFFFFFFu : (1u << half) - 1u;
    uint32_t left = (value >> half) & mask;
    uint32_t right = value & mask;
    const uint32_t keyLow = static_cast<uint32_t>(key);
    const uint32_t keyHigh = static_cast<uint32_t>(key >> 32);
    for (uint32_t round = 0; round < 4; ++round) {
        uint32_t roundKey = (round & 1u) ? keyHigh + round * 0x9E3779B9u : keyLow + round * 0x7F4A7C15u;
        uint32_t next = left ^ (Mix32(right ^ roundKey) & mask);
        left = right;
        right = next;
    }
    return (left << half) | right;
}

uint32_t PermutePosition(uint64_t key, uint32_t total, uint32_t step)
{
    if (total < 2) return 0;
    // Only a step inside the round is inside a cycle the walk can end in.
    if (step >= total) step %= total;
    int bits = 0;
    for (uint32_t largest = total - 1; largest != 0; largest >>= 1) ++bits;
    // Two halves of equal size; at 32 bits each half is 16.
    int half = (bits + 1) / 2;
    uint32_t value = step;
    do {
        value = Feistel(key, half, value);
    } while (value >= total);
    return value;
}

RoundChange RoundChangeFor(const RoundState* state, uint32_t total, uint64_t sources)
{
    if (state->version != kRoundStateVersion) return kRoundEnded;
    uint64_t stored = (static_cast<uint64_t>(state->sourcesHigh) << 32) | state->sourcesLow;
    if (stored != sources || state->total != total) return kRoundSourcesChanged;
    return state->step >= total ? kRoundEnded : kRoundGoesOn;
}

void StartRound(RoundState* state, uint64_t key, uint32_t total, uint64_t sources, RoundChange why)
{
    // A state of another version holds nothing to keep.
    if (state->version != kRoundStateVersion) {
        *state = RoundState();
        state->version = kRoundStateVersion;
    }
    state->keyLow = static_cast<uint32_t>(key);
    state->keyHigh = static_cast<uint32_t>(key >> 32);
    state->total = total;
    state->step = 0;
    state->sourcesLow = static_cast<uint32_t>(sources);
    state->sourcesHigh = static_cast<uint32_t>(sources >> 32);
    state->passRecent = why == kRoundSourcesChanged ? 1u : 0u;
}

static uint64_t RoundKey(const RoundState* state)
{
    return (static_cast<uint64_t>(state->keyHigh) << 32) | state->keyLow;
}

uint32_t TakeRoundStep(RoundState* state)
{
    return PermutePosition(RoundKey(state), state->total, state->step++);
}

int PassesOver(const RoundState* state, uint32_t source, uint32_t position)
{
    if (!state->passRecent) return 0;
    uint32_t count = state->recentCount < kRecentShows ? state->recentCount : kRecentShows;
    for (uint32_t i = 0; i < count; ++i)
        if (state->recent[i].source == source && state->recent[i].position == position) return 1;
    return 0;
}

void RememberShow(RoundState* state, uint32_t source, uint32_t position)
{
    uint32_t slot = state->recentNext % kRecentShows;
    state->recent[slot].source = source;
    state->recent[slot].position = position;
    state->recentNext = (slot + 1) % kRecentShows;
    if (state->recentCount < kRecentShows) ++state->recentCount;
}

int HasDayFortune(const RoundState* state, uint32_t today, uint64_t sources, uint32_t* position)
{
    uint64_t stored = (static_cast<uint64_t>(state->daySourcesHigh) << 32) | state->daySourcesLow;
    if (state->version != kRoundStateVersion || state->day == 0 || state->day != today || stored != sources)
        return 0;
    *position = state->dayPosition;
    return 1;
}

void SetDayFortune(RoundState* state, uint32_t today, uint64_t sources, uint32_t position)
{
    state->day = today;
    state->dayPosition = position;
    state->daySourcesLow = static_cast<uint32_t>(sources);
    state->daySourcesHigh = static_cast<uint32_t>(sources >> 32);
}

uint32_t LocalDayNumber(int year, int month, int day)
{
    // Days from 1 March of year 0 of the proleptic Gregorian calendar, so
    // that the leap day comes last in its year.
    int y = month <= 2 ? year - 1 : year;
    int m = month <= 2 ? month + 9 : month - 3;
    long days = 365L * y + y / 4 - y / 100 + y / 400 + (153L * m + 2) / 5 + day - 1;
    const long epoch = 365L * 1600 + 1600 / 4 - 1600 / 100 + 1600 / 400 + (153L * 10 + 2) / 5;  // 1 January 1601
    return days < epoch ? 0u : static_cast<uint32_t>(days - epoch + 1);
}

uint64_t MixIntoSignature(uint64_t signature, const void* bytes, uint32_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (uint32_t i = 0; i < size; ++i) {
        signature ^= p[i];
        signature *= 1099511628211ull;
    }
    return signature;
}

uint32_t SourceIdentity(int32_t kind, const char* cookiePath, uint32_t pathSize)
{
    uint64_t h = MixIntoSignature(kSourcesSignatureStart, &kind, sizeof kind);
    uint32_t length = 0;
    while (length < pathSize && cookiePath[length] != '\0') ++length;
    h = MixIntoSignature(h, cookiePath, length);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

int StartupApprovedAllows(const unsigned char* value, uint32_t size)
{
    return size == 0 || (value[0] & 1u) == 0;
}
