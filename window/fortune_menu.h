// The fortune window's context menu: what its keys do (copy, another
// fortune, the fortune before, put this one away) and the settings, reached
// by the right mouse button, Shift+F10 or the Menu key. A chosen item comes
// to the window as the WM_COMMAND of its IDM_ id.
#ifndef MERROWIND_FORTUNE_MENU_H
#define MERROWIND_FORTUNE_MENU_H

#include <windows.h>

// Opens the menu for a WM_CONTEXTMENU's lParam: at the pointer's screen
// point, or from the keyboard (-1, -1) at the top left of the fortune.
// Returns 1 when it did; 0 for a point outside the client area (the caption
// keeps the system menu the default handling shows).
int ShowFortuneMenu(HWND window, LPARAM where);

#endif
