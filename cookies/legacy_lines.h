// The rules that turn the lines of "Fortune.txt" into a fortune count and the
// built-in collection's switch. Pure: fed with the pieces that the runtime's
// text-mode line reader yields, so they are tested without any file.
#ifndef MERROWIND_LEGACY_LINES_H
#define MERROWIND_LEGACY_LINES_H

#include <stdint.h>

#include "core/product.h"

// The line buffer is a text buffer. One read puts at most this many
// characters into it (the runtime's line reader is given one byte less than
// the buffer, and keeps one for the terminator), so a longer line arrives in
// several pieces, each counted on its own.
const int kLegacyLineBufferSize = static_cast<int>(kTextBufferSize);
const int kLegacyPieceLimit = kLegacyLineBufferSize - 2;

// The word on the first line that keeps the built-in collection switched on.
extern const char kLegacyExtraWord[];

struct LegacyLineTally {
    uint32_t count;    // pieces that count as fortunes
    uint32_t replace;  // 1 when the first piece holds the word, else 0
    int seenFirst;     // 1 once the first piece has been tallied
};

// Whether one NUL-terminated piece, its LF included when it has one, is a
// fortune: longer than one character, so an empty line is not. The count and
// the reader of "Fortune.txt" both go by this, so that position p is the
// p-th piece that the count counted.
int IsLegacyFortunePiece(const char* piece);

// Starts a tally; replace keeps its incoming value while no piece has come.
void BeginLegacyTally(LegacyLineTally* tally, uint32_t incomingReplace);

// Tallies one piece; it counts when IsLegacyFortunePiece says so.
void TallyLegacyPiece(LegacyLineTally* tally, const char* piece);

#endif
