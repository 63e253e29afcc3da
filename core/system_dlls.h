// Calls into shell32, comdlg32 and ole32, which load on first use instead of
// at start-up: under Wine, loading them at start-up costs more than a whole
// file-mode run of the program, and most runs never call them. Also the
// per-monitor DPI calls of user32, which Windows 7 and 8 lack, and the calls
// of dwmapi and uxtheme that give a window dark colours, which Windows XP
// lacks and only a window in the dark scheme needs.
#ifndef MERROWIND_SYSTEM_DLLS_H
#define MERROWIND_SYSTEM_DLLS_H

#include <windows.h>
#include <commdlg.h>

// ShellExecuteA; a value of 32 or less on failure, as ShellExecuteA gives
// (SE_ERR_DLLNOTFOUND when shell32 cannot be loaded). The shell may hand the
// request to extensions that need COM, so the calling thread first joins a
// single-threaded apartment (once; it stays in it for the thread's life).
HINSTANCE OpenWithShell(HWND owner, const char* verb, const char* file, int show);

// SHGetFolderPathW with no window and no token; E_FAIL when shell32 cannot
// be loaded. Wide, because the ANSI call gives "?" for every letter of a
// user name outside the ANSI code page (see core/ansi_path.h).
HRESULT ShellFolderPath(int folder, DWORD type, wchar_t* path);

// CoCreateInstance of an in-process object, the calling thread joining a
// single-threaded apartment first as above; E_FAIL when ole32 cannot be
// loaded.
HRESULT CreateComObject(REFCLSID type, REFIID kind, void** object);

// GetOpenFileNameW; 0 when comdlg32 cannot be loaded.
BOOL AskOpenFileName(OPENFILENAMEW* request);

// The dots per inch of the monitor the window is on (GetDpiForWindow); where
// the system has no such call, or it fails, the system's DPI, which is then
// every window's.
UINT WindowDpi(HWND window);

// The system's DPI: what GDI's screen device context and the stock fonts
// were made for.
UINT SystemDpi();

// GetSystemMetricsForDpi; where the system lacks it, GetSystemMetrics, whose
// figures are for the system's DPI, the only one such a system has.
int SystemMetricForDpi(int index, UINT dpi);

// DwmSetWindowAttribute; E_FAIL when dwmapi cannot be loaded.
HRESULT SetWindowAttributeDwm(HWND window, DWORD attribute, const void* value, DWORD size);

// SetWindowTheme with no list of class ids: the window drawn with the theme
// classes of the given application name (null: its own again); E_FAIL when
// uxtheme cannot be loaded.
HRESULT SetControlTheme(HWND window, const wchar_t* application);

// CommDlgExtendedError: why the last Open dialog gave no file (0 when the
// user cancelled it); CDERR_INITIALIZATION when comdlg32 cannot be loaded.
DWORD OpenFileNameError();

#endif
