#include "cookies/indexer.h"

// Not built yet: every run fails as if the application-data folder could
// not be found.
DWORD WINAPI IndexCookieFile(LPVOID)
{
    return kIndexNoAppData;
}
