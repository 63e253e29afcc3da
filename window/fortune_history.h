// The fortunes shown in this run, newest last, so that the reader can go
// back to one a click or F5 replaced. Copies of the texts as they came from
// their source, before the window wrapped them. Pure.
#ifndef MERROWIND_FORTUNE_HISTORY_H
#define MERROWIND_FORTUNE_HISTORY_H

#include <stdint.h>

#include "core/product.h"

// How many fortunes are kept; an older one is forgotten.
const int kHistoryLength = 50;

struct FortuneHistory {
    char texts[kHistoryLength][kTextBufferSize];
    int count;   // texts held
    int newest;  // the slot of the newest
    int back;    // how many steps before the newest the one shown is
    int earlier;     // 1: a fortune from before the oldest kept (an earlier
                     // start's, in the same round) can be fetched
    int olderNext;   // 1: the next fortune kept is such an earlier one
};

// This run's history, empty at the start.
FortuneHistory* RunHistory();

// Keeps a copy of a newly drawn fortune (cut to kTextBufferSize - 1 bytes)
// as the newest, forgetting the oldest beyond kHistoryLength; it is the one
// shown.
void RememberFortune(FortuneHistory* history, const char* text);

// The fortune shown, as it came from its source; "" with none.
const char* ShownFortune(const FortuneHistory* history);

// Keeps a fortune fetched from before the oldest kept as the oldest (the
// newest forgotten when the history is full); it is the one shown.
void RememberOlder(FortuneHistory* history, const char* text);

// 1 at the oldest fortune kept when an earlier one can be fetched.
int CanStepBeyond(const FortuneHistory* history);

// 1 when a fortune before the one shown is kept.
int CanStepBack(const FortuneHistory* history);

// Steps back to the fortune before the one shown, if there is one, and
// copies the one now shown into out (capacity bytes, cut to fit). Returns 1
// when it stepped; 0 at the first (or with none, and out empty).
int StepBack(FortuneHistory* history, char* out, uint32_t capacity);

#endif
