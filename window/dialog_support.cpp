#include "window/dialog_support.h"

#include "core/product.h"
#include "window/layout.h"

void CentreDialog(HWND dialog)
{
    RECT frame;
    if (!GetWindowRect(dialog, &frame)) return;
    int left = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), frame.right - frame.left);
    int top = CentredOrigin(GetSystemMetrics(SM_CYSCREEN), frame.bottom - frame.top);
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowErrorBox(HWND owner, const char* text)
{
    MessageBoxA(owner, text, kProgramCaption, MB_OK | MB_ICONERROR);
}
