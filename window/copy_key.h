// The fortune window's own keys: Ctrl+C or Ctrl+Insert copies the fortune
// as shown to the clipboard, as Unicode text with CR LF line ends, as
// Windows' own message boxes do; F5 asks for another fortune, as a click on
// the background does; Backspace or Alt+Left ends the window to show the
// fortune before again (fortune_history.h), when there is one, or past the
// oldest kept one an earlier start showed; Delete puts the fortune away for
// good and brings the next; Up, Down, Page Up, Page Down, Home and End
// scroll a fortune too tall for the screen.
#ifndef MERROWIND_COPY_KEY_H
#define MERROWIND_COPY_KEY_H

#include <windows.h>

// Watches this thread's dialog keys while a fortune window is up;
// UnhookWindowsHookEx ends it.
HHOOK WatchFortuneKeys();

// What two of the keys do, for the window's menu to do the same: the copy,
// and the end of the window to show the fortune before, when there is one
// (HasFortuneBefore: not at the first of the run).
void CopyFortune(HWND window);
int HasFortuneBefore();
void ShowFortuneBefore(HWND window);

#endif
