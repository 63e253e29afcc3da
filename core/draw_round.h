// The order in which fortunes come: rounds in which every position of the
// active sources comes once, in a random order, before any comes again; the
// one fortune of the day; the memory of the last fortunes shown. All of it
// is one fixed-size state kept beside the catalogue, whatever the number of
// fortunes: the order is a keyed bijection walked step by step, never a list
// of positions. Pure, so the rules are tested natively.
#ifndef MERROWIND_DRAW_ROUND_H
#define MERROWIND_DRAW_ROUND_H

#include <stdint.h>

// A keyed bijection of 0 .. total - 1: a four-round Feistel network over the
// smallest even number of bits that holds total - 1, walked again while the
// result lies beyond total - 1 (each walk stays inside the cycle of the
// start, so it ends, on average within four walks). 0 for a total of 0 or 1;
// a step of total or more counts as step % total.
uint32_t PermutePosition(uint64_t key, uint32_t total, uint32_t step);

// How many steps back a new round looks to pass over what was shown.
const int kRecentShows = 50;

struct RecentShow {
    uint32_t source;    // SourceIdentity of the source
    uint32_t position;  // the position inside that source
};

const uint32_t kRoundStateVersion = 1;

// Stored whole, as one binary value; a value of another size or version is
// no state, and a new round starts.
struct RoundState {
    uint32_t version;
    uint32_t keyLow, keyHigh;   // the round's key
    uint32_t total;             // the active sources' total the round is over
    uint32_t step;              // the next step of the round
    uint32_t sourcesLow, sourcesHigh;  // SourcesSignature of the round's sources
    uint32_t passRecent;        // 1: the round began because the sources changed
    uint32_t day;               // LocalDayNumber of the day's fortune; 0 none
    uint32_t dayPosition;       // the day's fortune, a position of the round's total
    uint32_t daySourcesLow, daySourcesHigh;  // the sources it was drawn from
    uint32_t recentCount;       // shows remembered, up to kRecentShows
    uint32_t recentNext;        // where the next one goes
    RecentShow recent[kRecentShows];
};

// What a new round is started for; kRoundGoesOn when none is needed.
enum RoundChange {
    kRoundGoesOn = 0,
    kRoundEnded = 1,          // every step taken, or no round yet
    kRoundSourcesChanged = 2  // the same sources no longer: pass over the last shows
};

// Whether the state's round still serves the active sources (their total and
// signature): it does while steps are left and the sources are the same.
RoundChange RoundChangeFor(const RoundState* state, uint32_t total, uint64_t sources);

// A new round over total with the new key; the last shows are kept, and
// passed over in this round when the sources changed.
void StartRound(RoundState* state, uint64_t key, uint32_t total, uint64_t sources, RoundChange why);

// The position of the round's next step, and the step taken.
uint32_t TakeRoundStep(RoundState* state);

// Whether a step's fortune is passed over: only in a round that began with a
// change of sources, for a fortune among the last shows.
int PassesOver(const RoundState* state, uint32_t source, uint32_t position);

// Remembers a fortune shown, forgetting the oldest beyond kRecentShows.
void RememberShow(RoundState* state, uint32_t source, uint32_t position);

// The day's fortune, when the state holds one for today and these sources:
// a day other than the stored one (a clock set back too) is a new day.
int HasDayFortune(const RoundState* state, uint32_t today, uint64_t sources, uint32_t* position);
void SetDayFortune(RoundState* state, uint32_t today, uint64_t sources, uint32_t position);

// Days since 1 January 1601 (the file-time epoch) of a calendar date, plus 1,
// so that no real date gives 0.
uint32_t LocalDayNumber(int year, int month, int day);

// A source's identity for the last shows: its kind and its cookie file's
// path (the same source keeps it when its count or index changes).
uint32_t SourceIdentity(int32_t kind, const char* cookiePath, uint32_t pathSize);

// The signature of the active sources, built up source by source in order:
// a change of any of them, their order or their number changes it.
const uint64_t kSourcesSignatureStart = 14695981039346656037ull;
uint64_t MixIntoSignature(uint64_t signature, const void* bytes, uint32_t size);

// Windows' Startup apps keeps a program's sign-in start as a binary value
// whose first byte is odd when the user turned the start off there; a value
// that is missing or empty turns nothing off.
int StartupApprovedAllows(const unsigned char* value, uint32_t size);

#endif
