// Small pieces the program's windows share.
#ifndef MERROWIND_DIALOG_SUPPORT_H
#define MERROWIND_DIALOG_SUPPORT_H

#include <windows.h>

// Moves the window to the centre of the screen its owner is on (the one
// under the pointer when it has none), keeping its size and z-order.
void CentreDialog(HWND dialog);
// The monitor that holds the mouse pointer: where the user started the
// program from, the task bar or a shortcut on that screen.
HMONITOR MonitorUnderPointer();
// The monitor's work area, or its whole rectangle when work is 0; the
// primary screen when the monitor cannot be asked.
RECT MonitorArea(HMONITOR monitor, int work);
// A message box captioned "Merrowind" with the error icon and an OK button;
// the owner stays open.
void ShowErrorBox(HWND owner, const char* text);

#endif
