// The program's own 15-bit generator and the scaling of a draw onto a range
// of positions. Pure: the draw must be reproducible, so no library generator.
#ifndef MERROWIND_RANDOM_H
#define MERROWIND_RANDOM_H

#include <stdint.h>

const uint32_t kRandomRange = 32768;  // draws are 0..32767

void SeedRandom(uint32_t seed);
uint32_t NextRandom();  // 0..32767

// Maps one draw v (0..32767) onto 1..n; exact integer form of
// v * (n * 32769 / 2^30), then clamped to 1..n.
uint32_t ScaleDraw(uint32_t v, uint32_t n);

// A position from 1 to n, drawn from the process-wide generator.
uint32_t ScaledRandom(uint32_t n);

// The seed is the two halves of a 64-bit file time added modulo 2^32.
uint32_t SeedFromFileTime(uint32_t low, uint32_t high);

#endif
