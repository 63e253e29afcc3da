// The program's own 15-bit generator and the fair draw of a position. Pure:
// the draw must be reproducible, so no library generator.
#ifndef MERROWIND_RANDOM_H
#define MERROWIND_RANDOM_H

#include <stdint.h>

const uint32_t kRandomRange = 32768;  // draws are 0..32767
const int kRandomBits = 15;

void SeedRandom(uint32_t seed);
uint32_t NextRandom();  // 0..32767, from the process-wide state

// One step of the same generator on a state of the caller's own.
uint32_t NextRandomFrom(uint32_t* state);

// Where the draws come from: the process-wide generator, or a test's own.
// Each call yields a value from 0 to 32767.
typedef uint32_t (*RandomSource)(void* context);

// How many bits a position below n needs: 0 for n of 0 or 1, else the bit
// length of n - 1 (32 for the largest totals).
int PositionBits(uint32_t n);

// A position from 0 to n - 1, every one equally likely. As many 15-bit draws
// as the bits need are joined, the surplus low bits dropped, and a value of
// n or more is thrown away and drawn again: folding it back (a modulo) would
// make the low positions more likely. Each attempt succeeds with at least
// even chance. n of 0 or 1 gives 0 without a draw.
uint32_t DrawPosition(uint32_t n, RandomSource source, void* context);

// A position from 0 to n - 1, drawn fairly from the process-wide generator.
uint32_t ScaledRandom(uint32_t n);

// The seed is the two halves of a 64-bit file time added modulo 2^32.
uint32_t SeedFromFileTime(uint32_t low, uint32_t high);

#endif
