// Where the order of fortunes is kept: the round's state and the reader's
// options, as values of their own beside the catalogue's records (none of
// the form the catalogue's clear deletes).
#ifndef MERROWIND_DRAW_STORE_H
#define MERROWIND_DRAW_STORE_H

#include <stdint.h>

#include "core/draw_round.h"

// The options, REG_DWORD values in the catalogue key; missing or 0 is off.
extern const char kRepeatsOption[];   // "Repeats": 1 lets fortunes repeat
extern const char kOneADayOption[];   // "OneADay": 1 shows one fortune a day
int ReadDrawOption(const char* name);
// 1 when written (0 deletes the value: off is the default).
int WriteDrawOption(const char* name, int on);

// The name of the state's value.
extern const char kRoundStateValue[];

// The stored state; 0, and the state zeroed, when there is none that fits.
// Read and write it under the catalogue lock (core/catalogue_lock.h).
int ReadRoundState(RoundState* state);
int WriteRoundState(const RoundState* state);

// A new round's key, from the system's cryptographic generator; 0 when it
// gave none.
int NewRoundKey(uint64_t* key);

#endif
