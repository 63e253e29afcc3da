#include "cookies/legacy_lines.h"

#include <string.h>

const char kLegacyExtraWord[] = "EXTRA";

void BeginLegacyTally(LegacyLineTally* tally, uint32_t incomingReplace)
{
    tally->count = 0;
    tally->replace = incomingReplace;
    tally->seenFirst = 0;
}

void TallyLegacyPiece(LegacyLineTally* tally, const char* piece)
{
    if (!tally->seenFirst) {
        tally->seenFirst = 1;
        tally->replace = strstr(piece, kLegacyExtraWord) != nullptr ? 1 : 0;
    }
    // A piece is never longer than the line buffer, so strlen is bounded.
    if (strlen(piece) > 1) ++tally->count;
}
