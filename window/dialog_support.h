// Small pieces both source dialogs share.
#ifndef MERROWIND_DIALOG_SUPPORT_H
#define MERROWIND_DIALOG_SUPPORT_H

#include <windows.h>

// Moves the window to the centre of the screen its owner is on (the one
// under the pointer when it has none), keeping its size and z-order.
void CentreDialog(HWND dialog);
// A message box captioned "Merrowind" with the error icon and an OK button;
// the owner stays open.
void ShowErrorBox(HWND owner, const char* text);

#endif
