#include "app/delivery.h"

#include "app/command_line.h"
#include "app/loop_result.h"
#include "cookies/put_away.h"
#include "res/resource_ids.h"
#include "window/fortune_history.h"
#include "window/fortune_window.h"

// Writes the text into the named file. Only a write of every byte counts as
// delivered; anything less falls back to the window.
static int WriteFortuneFile(const char* fileName, const char* text)
{
    HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD length = static_cast<DWORD>(lstrlenA(text));
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, length, &written, nullptr);
    CloseHandle(file);
    return (ok && written == length) ? 1 : 0;
}

// The window on a newly drawn fortune, kept in this run's history first (the
// window wraps the text in place). Going back, each earlier fortune gets a
// window of its own in the caller's buffer, as a new one would; what ends
// such a window ends the turn, so F5 or a click draws a new fortune.
static int ShowFortune(HINSTANCE instance, char* text)
{
    FortuneHistory* history = RunHistory();
    if (history->olderNext)
        RememberOlder(history, text);
    else
        RememberFortune(history, text);
    history->olderNext = 0;
    INT_PTR result;
    for (;;) {
        result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FORTUNE), nullptr, FortuneDialogProc,
                                 reinterpret_cast<LPARAM>(text));
        if (result == kFortuneWindowPutAway) {
            // Put away as its source gave it, before the window wrapped it;
            // the next fortune comes at once, as F5 brings it.
            PutAwayFortune(ShownFortune(history));
            return kLoopAnother;
        }
        // Before the first of this run: the turn fetches it from the round.
        if (result == kFortuneWindowEarlier) return kLoopEarlier;
        if (result != kFortuneWindowBack) break;
        StepBack(history, text, kTextBufferSize);
    }
    return static_cast<int>(result);
}

int DeliverFortune(HINSTANCE instance, char* text)
{
    // The name is taken afresh each time, from the whole command line.
    char fileName[kOutputNameSize];
    if (ExtractOutputFileName(GetCommandLineA(), fileName) && WriteFortuneFile(fileName, text))
        return 1;
    return ShowFortune(instance, text);
}
