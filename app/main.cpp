#include <windows.h>

#include "core/catalogue.h"
#include "core/product.h"
#include "app/loop_result.h"
#include "app/random.h"
#include "app/selection.h"
#include "cookies/legacy_sync.h"

// Seeds the generator from the local time as a file time, halves added.
static void SeedFromClock()
{
    SYSTEMTIME now;
    FILETIME stamp;
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &stamp);
    SeedRandom(SeedFromFileTime(stamp.dwLowDateTime, stamp.dwHighDateTime));
}

// An empty catalogue gets the built-in collection at position 0.
static void EnsureCatalogue()
{
    if (CountSourceRecords() != 0) return;
    SourceRecord builtIn;
    ZeroMemory(&builtIn, sizeof builtIn);
    builtIn.active = 1;
    builtIn.kind = kSourceBuiltIn;
    builtIn.count = kBuiltInFortuneCount;
    SetField(builtIn.name, sizeof builtIn.name, kBuiltInSourceName);
    WriteSourceRecord(0, &builtIn);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SeedFromClock();
    EnsureCatalogue();
    SyncLegacyTextFile();
    int result;
    do {
        result = ChooseFortune(instance);
    } while (result == kLoopAnother);
    ForgetFailedSources();
    // Scripts that run the program with a file name can tell whether a
    // fortune came out (README.md lists the codes).
    return ExitCodeForLoopResult(result);
}
