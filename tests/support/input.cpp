#include "tests/support/input.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return condition();
        Sleep(10);
    }
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

void PressKeyWith(WORD modifier, WORD key)
{
    INPUT input[4];
    ZeroMemory(input, sizeof input);
    for (INPUT& i : input) i.type = INPUT_KEYBOARD;
    input[0].ki.wVk = modifier;
    input[1].ki.wVk = key;
    input[2].ki.wVk = key;
    input[2].ki.dwFlags = KEYEVENTF_KEYUP;
    input[3].ki.wVk = modifier;
    input[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, input, sizeof input[0]);
}

void WheelAt(int x, int y, int delta)
{
    MoveTo(x, y);
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.mouseData = static_cast<DWORD>(delta);
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    SendInput(1, &input, sizeof input);
}

POINT BackgroundPointOf(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    POINT point = {3, (client.top + client.bottom) / 2};
    ClientToScreen(dialog, &point);
    return point;
}
