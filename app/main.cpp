#include <windows.h>

#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "core/product.h"
#include "app/command_line.h"
#include "app/loop_result.h"
#include "app/random.h"
#include "app/selection.h"
#include "cookies/legacy_sync.h"
#include "res/resource_ids.h"
#include "dialogs/settings_dialog.h"

// Seeds the generator from the local time as a file time, halves added.
static void SeedFromClock()
{
    SYSTEMTIME now;
    FILETIME stamp;
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &stamp);
    SeedRandom(SeedFromFileTime(stamp.dwLowDateTime, stamp.dwHighDateTime));
}

// An empty catalogue gets the built-in collection at position 0. The count
// and the write are one step for the catalogue lock; the record goes in
// after the wait all the same, or there would be nothing to draw.
static void EnsureCatalogue()
{
    HANDLE held;
    LockCatalogue(&held);
    if (HasSourceRecords()) {
        UnlockCatalogue(held);
        return;
    }
    SourceRecord builtIn;
    ZeroMemory(&builtIn, sizeof builtIn);
    builtIn.active = 1;
    builtIn.kind = kSourceBuiltIn;
    builtIn.count = kBuiltInFortuneCount;
    SetField(builtIn.name, sizeof builtIn.name, kBuiltInSourceName);
    WriteSourceRecord(0, &builtIn);
    UnlockCatalogue(held);
}

// A window start that ends with nothing to show says why and offers the
// settings; 1 when the user changed them (their OK), so the draw starts
// again. A start with a file stays silent: a script reads the exit code.
static int OfferSettings(HINSTANCE instance, int result)
{
    const char* why = NothingToShowMessage(result);
    char fileName[kOutputNameSize];
    if (why == nullptr || ExtractOutputFileName(GetCommandLineA(), fileName)) return 0;
    if (MessageBoxA(nullptr, why, kProgramCaption, MB_YESNO | MB_ICONINFORMATION) != IDYES) return 0;
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc, 0) != 1)
        return 0;
    // The user may have mended what failed: every source gets its chance again.
    ForgetFailedSources();
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (AsksForUsage(GetCommandLineA())) {
        MessageBoxA(nullptr, kUsageText, kProgramCaption, MB_OK | MB_ICONINFORMATION);
        return kExitDelivered;
    }
    SeedFromClock();
    EnsureCatalogue();
    SyncLegacyTextFile();
    int result;
    do {
        do {
            result = ChooseFortune(instance);
        } while (result == kLoopAnother);
    } while (OfferSettings(instance, result));
    ForgetFailedSources();
    // Scripts that run the program with a file name can tell whether a
    // fortune came out (README.md lists the codes).
    return ExitCodeForLoopResult(result);
}
