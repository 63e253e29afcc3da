#include "cookies/settings_dialog.h"

// Not built yet.
INT_PTR CALLBACK SettingsDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}
