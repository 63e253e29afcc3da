// Shows the fortune window on a text of one's choosing, for screenshots:
//   window_preview TEXTFILE READYFILE
//   window_preview --options READYFILE   (the options dialog instead)
// Reads at most 4099 bytes of TEXTFILE, opens the window on them, and creates
// READYFILE once the window is up and painted. OK, Escape, or a file named
// READYFILE.stop end it.
#include <windows.h>

#include "core/product.h"
#include "res/resource_ids.h"
#include "dialogs/options_dialog.h"
#include "window/fortune_window.h"

static char g_readyFile[MAX_PATH];
static char g_stopFile[MAX_PATH + 8];
static const char* g_caption = kProgramCaption;

static DWORD WINAPI SignalWhenShown(void*)
{
    for (int i = 0; i < 6000; ++i) {
        HWND window = FindWindowA("#32770", g_caption);
        if (window && IsWindowVisible(window)) {
            // Answered only once the window has handled what came before.
            SendMessageA(window, WM_NULL, 0, 0);
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            HANDLE file = CreateFileA(g_readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            while (GetFileAttributesA(g_stopFile) == INVALID_FILE_ATTRIBUTES && IsWindow(window))
                Sleep(50);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
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
