// The add/edit cookie-file dialog (template 107). Its creation parameter is
// the caller's working SourceRecord; it ends with 1 once the file is indexed.
#ifndef MERROWIND_COOKIE_DIALOG_H
#define MERROWIND_COOKIE_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK CookieFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
