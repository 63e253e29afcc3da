#include "app/readers.h"

// Not built yet: both readers produce no text, which ends the turn.
int ReadLegacyFortune(HINSTANCE, uint32_t)
{
    return 1;
}

int ReadCookieFortune(HINSTANCE, uint32_t, SourceRecord*)
{
    return 1;
}
