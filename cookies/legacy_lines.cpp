#include "cookies/legacy_lines.h"

#include <string.h>

const char kLegacyExtraWord[] = "EXTRA";

int IsLegacyFortunePiece(const char* piece)
{
    return piece[0] != '\0' && piece[1] != '\0' ? 1 : 0;
}

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
    if (IsLegacyFortunePiece(piece)) ++tally->count;
}
