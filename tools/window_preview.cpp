// Shows the fortune window on a text of one's choosing, for screenshots:
//   window_preview TEXTFILE READYFILE [menu]
//   window_preview --options READYFILE   (the options dialog instead)
// Reads at most 4099 bytes of TEXTFILE, opens the window on them, and creates
// READYFILE once the window is up and painted (with "menu", once its context
// menu is open too, as Shift+F10 opens it). OK, Escape, or a file named
// READYFILE.stop end it.
#include <windows.h>

#include "core/product.h"
#include "res/resource_ids.h"
#include "dialogs/options_dialog.h"
#include "window/fortune_window.h"

static char g_readyFile[MAX_PATH];
static char g_stopFile[MAX_PATH + 8];
static int g_menu;

// Opens the window's context menu as the keyboard does, and returns once it
// is up and painted; null if it never came.
static HWND OpenMenu(HWND window)
{
    // Once the window is in front: brought there later, it would cover the menu.
    for (int i = 0; i < 500 && GetForegroundWindow() != window; ++i) Sleep(10);
    PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);
    for (int i = 0; i < 500; ++i) {
        HWND menu = FindWindowA("#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            SendMessageA(menu, WM_NULL, 0, 0);
            RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return menu;
        }
        Sleep(10);
    }
    return nullptr;
}
static const char* g_caption = kProgramCaption;

static DWORD WINAPI SignalWhenShown(void*)
{
    for (int i = 0; i < 6000; ++i) {
        HWND window = FindWindowA("#32770", g_caption);
        if (window && IsWindowVisible(window)) {
            // Answered only once the window has handled what came before.
            SendMessageA(window, WM_NULL, 0, 0);
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            HWND menu = g_menu ? OpenMenu(window) : nullptr;
            if (g_menu && menu == nullptr) return 1;
            HANDLE file = CreateFileA(g_readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            while (GetFileAttributesA(g_stopFile) == INVALID_FILE_ATTRIBUTES && IsWindow(window))
                Sleep(50);
            // Escape closes the menu first, the menu's loop taking it.
            if (menu != nullptr) PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 4 && lstrcmpA(argv[3], "menu") == 0)) return 2;
    g_menu = argc == 4;
    lstrcpynA(g_readyFile, argv[2], MAX_PATH);
    wsprintfA(g_stopFile, "%s.stop", g_readyFile);
    if (lstrcmpA(argv[1], "--options") == 0) {
        g_caption = "Merrowind - Options";
        HANDLE signal = CreateThread(nullptr, 0, SignalWhenShown, nullptr, 0, nullptr);
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr,
                                         OptionsDialogProc, 0);
        if (signal) CloseHandle(signal);
        return result == -1 ? 1 : 0;
    }
    char* text = static_cast<char*>(GlobalAlloc(GPTR, kTextBufferSize));
    if (text == nullptr) return 1;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD got = 0;
    ReadFile(file, text, kTextBufferSize - 1, &got, nullptr);
    CloseHandle(file);
    HANDLE signal = CreateThread(nullptr, 0, SignalWhenShown, nullptr, 0, nullptr);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FORTUNE), nullptr,
                                     FortuneDialogProc, reinterpret_cast<LPARAM>(text));
    if (signal) CloseHandle(signal);
    GlobalFree(text);
    return result == -1 ? 1 : 0;
}
