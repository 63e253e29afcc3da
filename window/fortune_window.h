// The modal window that shows one fortune (dialog template 102).
#ifndef MERROWIND_FORTUNE_WINDOW_H
#define MERROWIND_FORTUNE_WINDOW_H

#include <windows.h>

// lParam of WM_INITDIALOG is the fortune's 4100-byte text buffer. Ends with 0
// for another fortune (a click on the background) and 1 to stop.
// kFortuneWindowBack asks for the fortune shown before this one again; only
// when this run's history holds one.
const INT_PTR kFortuneWindowBack = 2;
// kFortuneWindowPutAway: the fortune shown is never to come again (Delete,
// or the command IDM_PUT_AWAY); the next one comes at once.
const INT_PTR kFortuneWindowPutAway = 3;
// kFortuneWindowEarlier: Backspace at the oldest fortune kept, when one
// shown by an earlier start of the round can be fetched.
const INT_PTR kFortuneWindowEarlier = 4;
INT_PTR CALLBACK FortuneDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
