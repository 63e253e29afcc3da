#include "cookies/cookie_dialog.h"

// Not built yet.
INT_PTR CALLBACK CookieFileDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}
