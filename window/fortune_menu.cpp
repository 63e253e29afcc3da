#include "window/fortune_menu.h"

#include "res/resource_ids.h"
#include "window/copy_key.h"

int ShowFortuneMenu(HWND window, LPARAM where)
{
    POINT at = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    int keyboard = at.x == -1 && at.y == -1;
    if (!keyboard && SendMessageW(window, WM_NCHITTEST, 0, where) != HTCLIENT) return 0;
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    HMENU resource = LoadMenuA(module, MAKEINTRESOURCEA(IDR_FORTUNE_MENU));
    if (resource == nullptr) return 0;
    HMENU menu = GetSubMenu(resource, 0);
    // Greyed where Backspace does nothing.
    EnableMenuItem(menu, IDM_BEFORE, MF_BYCOMMAND | (HasFortuneBefore() ? MF_ENABLED : MF_GRAYED));
    if (keyboard) {
        RECT text;
        GetWindowRect(GetDlgItem(window, IDC_FORTUNE_TEXT), &text);
        at.x = text.left;
        at.y = text.top;
    }
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    DestroyMenu(resource);
    return 1;
}
