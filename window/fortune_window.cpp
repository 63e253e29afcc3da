#include "window/fortune_window.h"

#include "res/resource_ids.h"

// A first, plain window: the text as it comes, no wrapping or layout yet.
INT_PTR CALLBACK FortuneDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(window, IDC_FORTUNE_TEXT, reinterpret_cast<const char*>(lParam));
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(window, 1);
        break;
    case WM_LBUTTONDOWN:
        EndDialog(window, 0);
        break;
    default:
        break;
    }
    return 0;
}
