#include "cookies/legacy_sync.h"

// Not built yet: the catalogue is left as it is.
void SyncLegacyTextFile()
{
}

void RescanLegacyTextFile(uint32_t& count, uint32_t&)
{
    count = 0;
}
