// The add/edit cookie-file dialog (template 107). Its creation parameter is
// the caller's working SourceRecord; it ends with 1 once the file is indexed.
#ifndef MERROWIND_COOKIE_DIALOG_H
#define MERROWIND_COOKIE_DIALOG_H

#include <windows.h>

// Before each indexing run the dialog asks its owner which index file names
// the owner's rows claim, with this message: lParam is a
// `const TakenIndexNames**` that the owner sets (cookies/index_location.h)
// and that must stay valid until the dialog has ended. An owner that leaves
// it alone leaves the catalogue's names as the taken ones.
const UINT kAskTakenIndexNames = WM_APP + 1;

INT_PTR CALLBACK CookieFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
