// The settings dialog (template 106): the list of sources with check boxes,
// counts and paths; add, edit and remove cookie files; the options.
#ifndef MERROWIND_SETTINGS_DIALOG_H
#define MERROWIND_SETTINGS_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
