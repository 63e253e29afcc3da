// The options dialog (template 108), opened by the settings dialog's
// Options button: no repeats, one fortune a day, the start at sign-in, and
// the fortunes put away. OK applies them at once; Cancel changes nothing.
#ifndef MERROWIND_OPTIONS_DIALOG_H
#define MERROWIND_OPTIONS_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
