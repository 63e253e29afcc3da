// Calls into shell32 and comdlg32, which load on first use instead of at
// start-up: under Wine, loading the two at start-up costs more than a whole
// file-mode run of the program, and most runs never call them.
#ifndef MERROWIND_SYSTEM_DLLS_H
#define MERROWIND_SYSTEM_DLLS_H

#include <windows.h>
#include <commdlg.h>

// ShellExecuteA; a value of 32 or less on failure, as ShellExecuteA gives
// (SE_ERR_DLLNOTFOUND when shell32 cannot be loaded).
HINSTANCE OpenWithShell(HWND owner, const char* verb, const char* file, int show);

// SHGetFolderPathA with no window and no token; E_FAIL when shell32 cannot
// be loaded.
HRESULT ShellFolderPath(int folder, DWORD type, char* path);

// GetOpenFileNameA; 0 when comdlg32 cannot be loaded.
BOOL AskOpenFileName(OPENFILENAMEA* request);

#endif
