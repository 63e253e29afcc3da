#include "core/system_dlls.h"

#include <objbase.h>
#include <shellapi.h>

// Loads a DLL from the system folder only, never from the current folder or
// the program's, so no file planted beside a cookie file can be loaded.
static HMODULE LoadSystemDll(const char* name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) + 1 > MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}

// Each DLL is loaded once and kept for the life of the process, as an
// import would be. The indexer's worker thread may race the main thread to
// the first load; the loser only adds a reference that is never released.
static HMODULE g_shell32 = nullptr;
static HMODULE g_comdlg32 = nullptr;
static HMODULE g_ole32 = nullptr;
static HMODULE g_user32 = nullptr;
static HMODULE g_dwmapi = nullptr;
static HMODULE g_uxtheme = nullptr;

// GetProcAddress gives a procedure without its type; the caller names it.
// The detour through a plain function pointer type says so to the compiler.
template <typename Procedure>
static Procedure TypedProcedure(FARPROC procedure)
{
    return reinterpret_cast<Procedure>(reinterpret_cast<void (*)()>(procedure));
}

static FARPROC SystemProcedure(HMODULE* module, const char* dll, const char* procedure)
{
    if (*module == nullptr) *module = LoadSystemDll(dll);
    return *module != nullptr ? GetProcAddress(*module, procedure) : nullptr;
}

// CoInitializeEx as the shell's documentation asks of a thread that calls
// ShellExecute: the thread joins a single-threaded apartment and stays in it
// for its life. A thread that is already in an apartment keeps it, and a
// repeated join gives its extra reference back at once.
static void JoinShellApartment()
{
    typedef HRESULT(WINAPI * CoInitializeExProc)(LPVOID, DWORD);
    typedef void(WINAPI * CoUninitializeProc)();
    CoInitializeExProc join =
        TypedProcedure<CoInitializeExProc>(SystemProcedure(&g_ole32, "ole32.dll", "CoInitializeEx"));
    if (join == nullptr) return;
    if (join(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) != S_FALSE) return;
    CoUninitializeProc leave =
        TypedProcedure<CoUninitializeProc>(SystemProcedure(&g_ole32, "ole32.dll", "CoUninitialize"));
    if (leave != nullptr) leave();
}

HINSTANCE OpenWithShell(HWND owner, const char* verb, const char* file, int show)
{
    JoinShellApartment();
    typedef HINSTANCE(WINAPI * ShellExecuteProc)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    ShellExecuteProc call =
        TypedProcedure<ShellExecuteProc>(SystemProcedure(&g_shell32, "shell32.dll", "ShellExecuteA"));
    if (call == nullptr) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    return call(owner, verb, file, nullptr, nullptr, show);
}

HRESULT ShellFolderPath(int folder, DWORD type, wchar_t* path)
{
    typedef HRESULT(WINAPI * SHGetFolderPathProc)(HWND, int, HANDLE, DWORD, LPWSTR);
    SHGetFolderPathProc call =
        TypedProcedure<SHGetFolderPathProc>(SystemProcedure(&g_shell32, "shell32.dll", "SHGetFolderPathW"));
    return call != nullptr ? call(nullptr, folder, nullptr, type, path) : E_FAIL;
}

HRESULT CreateComObject(REFCLSID type, REFIID kind, void** object)
{
    *object = nullptr;
    JoinShellApartment();
    typedef HRESULT(WINAPI * CoCreateInstanceProc)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    CoCreateInstanceProc call =
        TypedProcedure<CoCreateInstanceProc>(SystemProcedure(&g_ole32, "ole32.dll", "CoCreateInstance"));
    return call != nullptr ? call(type, nullptr, CLSCTX_INPROC_SERVER, kind, object) : E_FAIL;
}

BOOL AskOpenFileName(OPENFILENAMEW* request)
{
    typedef BOOL(WINAPI * GetOpenFileNameProc)(OPENFILENAMEW*);
    GetOpenFileNameProc call =
        TypedProcedure<GetOpenFileNameProc>(SystemProcedure(&g_comdlg32, "comdlg32.dll", "GetOpenFileNameW"));
    return call != nullptr ? call(request) : FALSE;
}

UINT SystemDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT WindowDpi(HWND window)
{
    typedef UINT(WINAPI * GetDpiForWindowProc)(HWND);
    GetDpiForWindowProc call =
        TypedProcedure<GetDpiForWindowProc>(SystemProcedure(&g_user32, "user32.dll", "GetDpiForWindow"));
    UINT dpi = call != nullptr ? call(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    typedef int(WINAPI * GetSystemMetricsForDpiProc)(int, UINT);
    GetSystemMetricsForDpiProc call = TypedProcedure<GetSystemMetricsForDpiProc>(
        SystemProcedure(&g_user32, "user32.dll", "GetSystemMetricsForDpi"));
    return call != nullptr ? call(index, dpi) : GetSystemMetrics(index);
}

HRESULT SetWindowAttributeDwm(HWND window, DWORD attribute, const void* value, DWORD size)
{
    typedef HRESULT(WINAPI * DwmSetWindowAttributeProc)(HWND, DWORD, LPCVOID, DWORD);
    DwmSetWindowAttributeProc call = TypedProcedure<DwmSetWindowAttributeProc>(
        SystemProcedure(&g_dwmapi, "dwmapi.dll", "DwmSetWindowAttribute"));
    return call != nullptr ? call(window, attribute, value, size) : E_FAIL;
}

HRESULT SetControlTheme(HWND window, const wchar_t* application)
{
    typedef HRESULT(WINAPI * SetWindowThemeProc)(HWND, LPCWSTR, LPCWSTR);
    SetWindowThemeProc call =
        TypedProcedure<SetWindowThemeProc>(SystemProcedure(&g_uxtheme, "uxtheme.dll", "SetWindowTheme"));
    return call != nullptr ? call(window, application, nullptr) : E_FAIL;
}

DWORD OpenFileNameError()
{
    typedef DWORD(WINAPI * CommDlgExtendedErrorProc)();
    CommDlgExtendedErrorProc call = TypedProcedure<CommDlgExtendedErrorProc>(
        SystemProcedure(&g_comdlg32, "comdlg32.dll", "CommDlgExtendedError"));
    return call != nullptr ? call() : CDERR_INITIALIZATION;
}
