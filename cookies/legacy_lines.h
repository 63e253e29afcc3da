// The rules that turn the lines of "Fortune.txt" into a fortune count and the
// built-in collection's switch. Pure: fed with the pieces that the runtime's
// text-mode line reader yields, so they are tested without any file.
#ifndef MERROWIND_LEGACY_LINES_H
#define MERROWIND_LEGACY_LINES_H

#include <stdint.h>

// The line buffer, and the most characters one read may put into it: a longer
// line arrives in several pieces, each counted on its own.
const int kLegacyLineBufferSize = 4100;
const int kLegacyPieceLimit = 4098;

// The word on the first line that keeps the built-in collection switched on.
extern const char kLegacyExtraWord[];

struct LegacyLineTally {
    uint32_t count;    // pieces that count as fortunes
    uint32_t replace;  // 1 when the first piece holds the word, else 0
    int seenFirst;     // 1 once the first piece has been tallied
};

// Starts a tally; replace keeps its incoming value while no piece has come.
void BeginLegacyTally(LegacyLineTally* tally, uint32_t incomingReplace);

// Tallies one NUL-terminated piece, its LF included when it has one. A piece
// counts when it is longer than one character, so an empty line does not.
void TallyLegacyPiece(LegacyLineTally* tally, const char* piece);

#endif
