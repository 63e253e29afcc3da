#include "tests/gui/dialog_driver.h"

#include "app/product.h"
#include "res/resource_ids.h"
#include "window/fortune_window.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return condition();
        Sleep(10);
    }
}

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
    // Let the window finish showing and painting before it is driven.
    if (window_) SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
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

// Every mouse event carries its absolute position, so a pointer motion that
// the display reports late cannot move a press somewhere else.
static void SendMouse(int x, int y, DWORD flags)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(x) * 65535 + (width - 1) / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(y) * 65535 + (height - 1) / 2) / (height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void MoveTo(int x, int y)
{
    SendMouse(x, y, 0);
    WaitUntil([x, y] {
        POINT p;
        GetCursorPos(&p);
        return p.x == x && p.y == y;
    });
}

void PressAt(int x, int y)
{
    MoveTo(x, y);
    SendMouse(x, y, MOUSEEVENTF_LEFTDOWN);
}

void ReleaseAt(int x, int y)
{
    SendMouse(x, y, MOUSEEVENTF_LEFTUP);
}

void ClickAt(int x, int y)
{
    PressAt(x, y);
    ReleaseAt(x, y);
}

void PressKey(WORD key)
{
    INPUT input[2];
    ZeroMemory(input, sizeof input);
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}
