#include "window/link_control.h"

// Minimal stand-in until the link control is built: the control is
// subclassed as it will be, and every message goes on to the static
// control's own procedure.
LRESULT CALLBACK LinkControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_USERDATA));
    return CallWindowProcA(previous, control, message, wParam, lParam);
}

void SubclassLinkControl(HWND control)
{
    LONG_PTR previous = GetWindowLongPtrA(control, GWLP_WNDPROC);
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkControlProc));
    SetWindowLongPtrA(control, GWLP_USERDATA, previous);
}
