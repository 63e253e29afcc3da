#include "tests/gui/dialog_driver.h"

#include "tests/support/input.h"

#include "core/product.h"
#include "res/resource_ids.h"
#include "window/fortune_window.h"

static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char className[16];
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

FortuneWindowRun::FortuneWindowRun(const std::string& text)
{
    buffer_ = static_cast<char*>(GlobalAlloc(GPTR, kTextBufferSize));
    lstrcpynA(buffer_, text.c_str(), kTextBufferSize);
    thread_ = CreateThread(nullptr, 0, Thread, this, 0, &threadId_);
    WaitUntil([this] {
        HWND found = nullptr;
        EnumThreadWindows(threadId_, FindDialog, reinterpret_cast<LPARAM>(&found));
        window_ = found;
        return found != nullptr || Ended();
    });
    // Let the window finish showing and painting before it is driven, and
    // come to the front: before that, the display may not have it yet, and
    // a click would fall through to the desktop.
    if (window_) {
        SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
        WaitUntil([this] { return GetForegroundWindow() == window_ || Ended(); });
    }
}

FortuneWindowRun::~FortuneWindowRun()
{
    if (!Ended() && window_) PostMessageA(window_, WM_COMMAND, IDCANCEL, 0);
    if (thread_) {
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    GlobalFree(buffer_);
}

DWORD WINAPI FortuneWindowRun::Thread(void* self)
{
    FortuneWindowRun* run = static_cast<FortuneWindowRun*>(self);
    run->result_ = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FORTUNE), nullptr,
                                   FortuneDialogProc, reinterpret_cast<LPARAM>(run->buffer_));
    InterlockedExchange(&run->done_, 1);
    return 0;
}

bool FortuneWindowRun::Ended() const
{
    return done_ != 0;
}

INT_PTR FortuneWindowRun::Result(DWORD timeoutMs)
{
    if (!WaitUntil([this] { return Ended(); }, timeoutMs)) return -2;
    return result_;
}

int HorizontalUnits(HWND dialog, int units)
{
    RECT r = {0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}

int VerticalUnits(HWND dialog, int units)
{
    RECT r = {0, 0, 0, units};
    MapDialogRect(dialog, &r);
    return r.bottom;
}

RECT ClientRectOf(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ScreenRectOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}
