#include "window/copy_key.h"

#include "res/resource_ids.h"
#include "window/fortune_copy.h"
#include "window/wide_text.h"

// The keys of a modal dialog pass the dialog-box message filter before the
// dialog manager sees them, whichever control has the focus.

static void CopyFortune(HWND window)
{
    int length = 0;
    uint16_t* shown = ReadShownText(GetDlgItem(window, IDC_FORTUNE_TEXT), &length);
    if (shown == nullptr) return;
    uint32_t capacity = 2u * static_cast<uint32_t>(length) + 1u;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, capacity * sizeof(uint16_t));
    uint16_t* copy = memory != nullptr ? static_cast<uint16_t*>(GlobalLock(memory)) : nullptr;
    if (copy != nullptr) {
        CopyWithCrLfLineEnds(shown, static_cast<uint32_t>(length), copy, capacity);
        GlobalUnlock(memory);
        if (OpenClipboard(window)) {
            EmptyClipboard();
            // The clipboard owns the memory once it has taken it.
            if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) memory = nullptr;
            CloseClipboard();
        }
    }
    if (memory != nullptr) GlobalFree(memory);
    LocalFree(shown);
}

static int IsCopyKey(const MSG* message)
{
    return message->message == WM_KEYDOWN && message->wParam == 'C' && GetKeyState(VK_CONTROL) < 0 &&
           GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0;
}

static LRESULT CALLBACK CopyKeyFilter(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message != nullptr && IsCopyKey(message)) {
        // Only for a fortune window: not for the settings dialog above it.
        HWND root = GetAncestor(message->hwnd, GA_ROOT);
        if (root != nullptr && GetDlgItem(root, IDC_FORTUNE_TEXT) != nullptr && GetDlgItem(root, IDC_HOME_LINK) != nullptr) {
            CopyFortune(root);
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK WatchCopyKey()
{
    return SetWindowsHookExW(WH_MSGFILTER, CopyKeyFilter, nullptr, GetCurrentThreadId());
}
