#include "controls/dialog_support.h"

#include "core/product.h"
#include "controls/geometry.h"

HMONITOR MonitorUnderPointer()
{
    POINT pointer = {0, 0};
    GetCursorPos(&pointer);
    return MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
}

RECT MonitorArea(HMONITOR monitor, int work)
{
    MONITORINFO info;
    info.cbSize = sizeof info;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(monitor, &info)) area = work ? info.rcWork : info.rcMonitor;
    return area;
}

void CentreDialog(HWND dialog)
{
    RECT frame;
    if (!GetWindowRect(dialog, &frame)) return;
    // On the screen the owner is on, so that with several monitors a dialog
    // opens beside the window it was asked for from; with no owner, on the
    // screen under the pointer. On one screen this is the whole screen.
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT screen = MonitorArea(owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                               : MonitorUnderPointer(),
                              0);
    int left = screen.left + CentredOrigin(screen.right - screen.left, frame.right - frame.left);
    int top = screen.top + CentredOrigin(screen.bottom - screen.top, frame.bottom - frame.top);
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowErrorBox(HWND owner, const char* text)
{
    MessageBoxA(owner, text, kProgramCaption, MB_OK | MB_ICONERROR);
}
