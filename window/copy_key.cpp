#include "window/copy_key.h"

#include "res/resource_ids.h"
#include "window/fortune_copy.h"
#include "window/fortune_history.h"
#include "window/fortune_window.h"
#include "controls/scrolling_text.h"
#include "controls/wide_text.h"

// The keys of a modal dialog pass the dialog-box message filter before the
// dialog manager sees them, whichever control has the focus.

void CopyFortune(HWND window)
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

static int IsDown(int key)
{
    return GetKeyState(key) < 0;
}

static int IsCopyKey(const MSG* message)
{
    if (message->message != WM_KEYDOWN || !IsDown(VK_CONTROL) || IsDown(VK_MENU) || IsDown(VK_SHIFT)) return 0;
    return message->wParam == 'C' || message->wParam == VK_INSERT;
}

// The scroll bar request a key stands for, or -1.
static int ScrollRequestOf(WPARAM key)
{
    switch (key) {
    case VK_UP: return SB_LINEUP;
    case VK_DOWN: return SB_LINEDOWN;
    case VK_PRIOR: return SB_PAGEUP;
    case VK_NEXT: return SB_PAGEDOWN;
    case VK_HOME: return SB_TOP;
    case VK_END: return SB_BOTTOM;
    default: return -1;
    }
}

// Backspace, or Alt+Left as in a browser.
static int IsBackKey(const MSG* message)
{
    if (message->message == WM_KEYDOWN) return message->wParam == VK_BACK && !IsDown(VK_CONTROL) && !IsDown(VK_MENU);
    return message->message == WM_SYSKEYDOWN && message->wParam == VK_LEFT && IsDown(VK_MENU);
}

// A key held down repeats into the window its press brought: one press,
// one step back, as a link acts once per press.
static int IsRepeat(const MSG* message)
{
    // Bit 30: the key was down already.
    return (message->lParam & 0x40000000) != 0;
}

// Before the first fortune of this run come those that earlier starts
// showed in the same round.
int HasFortuneBefore()
{
    return CanStepBack(RunHistory()) || CanStepBeyond(RunHistory());
}

void ShowFortuneBefore(HWND window)
{
    // With none before, nothing happens.
    if (CanStepBack(RunHistory()))
        EndDialog(window, kFortuneWindowBack);
    else if (CanStepBeyond(RunHistory()))
        EndDialog(window, kFortuneWindowEarlier);
}

// Acts on a key of the fortune window; 1 when the key was its own.
static int TakeFortuneKey(HWND window, const MSG* message)
{
    if (IsCopyKey(message)) {
        CopyFortune(window);
        return 1;
    }
    if (IsBackKey(message)) {
        if (IsRepeat(message)) return 1;
        // The default handling counts any key pressed while Alt is down, so
        // that Alt let go before Left is no Alt pressed alone, which would
        // put the next window in menu mode.
        if (message->message == WM_SYSKEYDOWN) DefWindowProcW(message->hwnd, message->message, message->wParam, message->lParam);
        ShowFortuneBefore(window);
        return 1;
    }
    if (message->message != WM_KEYDOWN) return 0;
    if (message->wParam == VK_F5) {
        EndDialog(window, 0);
        return 1;
    }
    if (message->wParam == VK_DELETE) {
        EndDialog(window, kFortuneWindowPutAway);
        return 1;
    }
    HWND text = GetDlgItem(window, IDC_FORTUNE_TEXT);
    int request = ScrollRequestOf(message->wParam);
    if (request < 0 || !TextScrolls(text)) return 0;
    SendMessageW(text, WM_VSCROLL, static_cast<WPARAM>(request), 0);
    return 1;
}

static LRESULT CALLBACK FortuneKeyFilter(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message != nullptr) {
        // Only for a fortune window: not for the settings dialog above it.
        HWND root = GetAncestor(message->hwnd, GA_ROOT);
        if (root != nullptr && GetDlgItem(root, IDC_FORTUNE_TEXT) != nullptr &&
            GetDlgItem(root, IDC_HOME_LINK) != nullptr && TakeFortuneKey(root, message))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK WatchFortuneKeys()
{
    return SetWindowsHookExW(WH_MSGFILTER, FortuneKeyFilter, nullptr, GetCurrentThreadId());
}
