#include "window/fortune_window.h"

#include "core/product.h"
#include "core/text_encoding.h"
#include "res/resource_ids.h"
#include "window/fortune_copy.h"
#include "window/layout.h"
#include "window/link_control.h"
#include "window/settings_dialog.h"
#include "window/wrap.h"

// UTF-16 text for the wide-character calls lives in heap buffers of 16-bit
// units, which those calls read as WCHAR.
static_assert(sizeof(WCHAR) == sizeof(uint16_t), "WCHAR is a UTF-16 unit");

static uint16_t* AllocateUnits(uint32_t count)
{
    return static_cast<uint16_t*>(LocalAlloc(LMEM_FIXED, count * sizeof(uint16_t)));
}

static const WCHAR* Wide(const uint16_t* units)
{
    return reinterpret_cast<const WCHAR*>(units);
}

struct MeasureContext {
    HDC dc;
    uint16_t* wide;  // kTextBufferSize units, for a UTF-8 text; else null
};

static uint32_t MeasureRun(void* context, const char* run, int length)
{
    MeasureContext* measure = static_cast<MeasureContext*>(context);
    if (measure->wide == nullptr)
        return static_cast<uint32_t>(GetTabbedTextExtentA(measure->dc, run, length, 0, nullptr));
    // A run is never longer than the text, and a byte never decodes to more
    // than one unit.
    uint32_t units = DecodeUtf8(run, static_cast<uint32_t>(length), measure->wide, kTextBufferSize);
    return static_cast<uint32_t>(
        GetTabbedTextExtentW(measure->dc, Wide(measure->wide), static_cast<int>(units), 0, nullptr));
}

// The text measured in the default GUI font, which is what sizes the window,
// though the control draws in the dialog's font: meant, it gives the window
// its look, so keep it. UTF-8 text goes through the wide-character call, so
// each character is measured as the character it is.
static TextSize MeasureText(HWND window, const char* text, int utf8)
{
    MeasureContext context;
    context.dc = GetDC(window);
    context.wide = utf8 ? AllocateUnits(kTextBufferSize) : nullptr;
    HGDIOBJ previous = SelectObject(context.dc, GetStockObject(DEFAULT_GUI_FONT));
    TextSize size = MeasureFortuneText(text, MeasureRun, &context);
    SelectObject(context.dc, previous);
    ReleaseDC(window, context.dc);
    if (context.wide != nullptr) LocalFree(context.wide);
    return size;
}

static DialogMargins ConvertMargins(HWND window)
{
    RECT first = {kMarginSmall, kMarginSmall, kMarginWidth, kMarginOkTop};
    RECT second = {kMarginMinimumWidth, kMarginHeight, 0, 0};
    MapDialogRect(window, &first);
    MapDialogRect(window, &second);
    DialogMargins m;
    m.h7 = first.left;
    m.v7 = first.top;
    m.h14 = first.right;
    m.v11 = first.bottom;
    m.h21 = second.left;
    m.v18 = second.top;
    return m;
}

static void OuterSize(HWND window, int* width, int* height)
{
    RECT r;
    GetWindowRect(window, &r);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
}

static void Resize(HWND window, int width, int height)
{
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

static void Move(HWND window, int x, int y)
{
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The work area of the monitor the window is on (the primary one, on which
// it is centred).
static ScreenArea WorkAreaOf(HWND window)
{
    MONITORINFO info;
    info.cbSize = sizeof info;
    ScreenArea area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
        area.left = info.rcWork.left;
        area.top = info.rcWork.top;
        area.right = info.rcWork.right;
        area.bottom = info.rcWork.bottom;
    }
    return area;
}

// Sizes the window to the text, places the controls and centres the window,
// inside the work area. Returns 1 when the text is too tall and must scroll.
static int LayOut(HWND window, TextSize text)
{
    HWND ok = GetDlgItem(window, IDOK);
    HWND home = GetDlgItem(window, IDC_HOME_LINK);
    HWND settings = GetDlgItem(window, IDC_SETTINGS_LINK);

    FortuneWindowParts parts;
    int outerWidth, outerHeight, unused;
    OuterSize(window, &outerWidth, &outerHeight);
    RECT client;
    GetClientRect(window, &client);
    parts.frameWidth = outerWidth - client.right;
    parts.frameHeight = outerHeight - client.bottom;
    OuterSize(ok, &parts.okWidth, &parts.okHeight);
    OuterSize(home, &parts.homeWidth, &parts.homeHeight);
    OuterSize(settings, &unused, &parts.settingsHeight);

    DialogMargins margins = ConvertMargins(window);
    FortuneFit fit = FitFortuneWindow(parts, text, margins, GetSystemMetrics(SM_CXVSCROLL),
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                      WorkAreaOf(window));
    Resize(window, fit.window.width, fit.window.height);

    GetClientRect(window, &client);
    FortunePlaces places = PlaceFortuneControls(parts, fit.text, margins, client.right, client.bottom);
    Resize(GetDlgItem(window, IDC_FORTUNE_TEXT), fit.text.width, fit.text.height);
    Move(ok, places.okX, places.okY);
    Move(home, places.homeX, places.homeY);
    Move(settings, places.settingsX, places.settingsY);
    Move(window, fit.x, fit.y);
    return fit.scrolls;
}

// ---- The text of a fortune too tall for the screen scrolls in its control.
// The control keeps its previous window procedure in its user-data slot, and
// the scroll bar holds the position and the text's height.

static WNDPROC PreviousTextProc(HWND control)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

// Height of one line of the control's font.
static int LineHeight(HWND control)
{
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics;
    int height = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 13;
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return height > 0 ? height : 1;
}

static void ScrollTextTo(HWND control, int position)
{
    SCROLLINFO info;
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!GetScrollInfo(control, SB_VERT, &info)) return;
    position = ClampScrollPosition(position, info.nMax + 1, static_cast<int>(info.nPage));
    if (position == info.nPos) return;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(control, SB_VERT, &info, TRUE);
    InvalidateRect(control, nullptr, TRUE);
}

static void OnTextScroll(HWND control, WORD request)
{
    SCROLLINFO info;
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(control, SB_VERT, &info)) return;
    int line = LineHeight(control);
    int page = static_cast<int>(info.nPage);
    int position = info.nPos;
    switch (request) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;
    }
    ScrollTextTo(control, position);
}

static void OnTextWheel(HWND control, WPARAM wParam)
{
    int position = GetScrollPos(control, SB_VERT);
    ScrollTextTo(control, position + WheelScrollPixels(GET_WHEEL_DELTA_WPARAM(wParam), LineHeight(control)));
}

// Draws the text as the static control would (its font and colours, tabs
// expanded, "&" as it is), shifted up by the scroll position.
static void PaintScrolledText(HWND control)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT client;
    GetClientRect(control, &client);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    int length = GetWindowTextLengthW(control);
    uint16_t* text = AllocateUnits(static_cast<uint32_t>(length) + 1);
    if (text != nullptr) {
        GetWindowTextW(control, reinterpret_cast<WCHAR*>(text), length + 1);
        SCROLLINFO info;
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_POS;
        if (!GetScrollInfo(control, SB_VERT, &info)) {
            info.nPos = 0;
            info.nMax = client.bottom;
        }
        RECT lines = client;
        lines.top = -info.nPos;
        lines.bottom = lines.top + info.nMax + 1;
        DrawTextW(dc, Wide(text), -1, &lines, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
        LocalFree(text);
    }
    if (previous != nullptr) SelectObject(dc, previous);
    EndPaint(control, &paint);
}

static LRESULT CALLBACK ScrollingTextProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintScrolledText(control);
        return 0;
    case WM_VSCROLL:
        OnTextScroll(control, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnTextWheel(control, wParam);
        return 0;
    case WM_NCHITTEST: {
        // The scroll bar takes the mouse; the text lets presses through to
        // the window, as the plain control does.
        LRESULT hit = DefWindowProcW(control, message, wParam, lParam);
        return hit == HTVSCROLL ? HTVSCROLL : HTTRANSPARENT;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        // A static control swallows presses on its frame; the scroll bar's
        // tracking is the default window procedure's.
        if (wParam == HTVSCROLL) return DefWindowProcW(control, message, wParam, lParam);
        return CallWindowProcW(PreviousTextProc(control), control, message, wParam, lParam);
    default:
        return CallWindowProcW(PreviousTextProc(control), control, message, wParam, lParam);
    }
}

// Gives the text control its scroll bar, over the whole text: the measured
// height, or more if the control's own font draws it taller.
static void MakeTextScroll(HWND control, int measuredHeight)
{
    SetWindowLongPtrW(control, GWLP_USERDATA, GetWindowLongPtrW(control, GWLP_WNDPROC));
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollingTextProc));
    ShowScrollBar(control, SB_VERT, TRUE);
    RECT client;
    GetClientRect(control, &client);

    int content = measuredHeight;
    int length = GetWindowTextLengthW(control);
    uint16_t* text = AllocateUnits(static_cast<uint32_t>(length) + 1);
    if (text != nullptr) {
        GetWindowTextW(control, reinterpret_cast<WCHAR*>(text), length + 1);
        HDC dc = GetDC(control);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
        RECT drawn = {0, 0, client.right, 0};
        DrawTextW(dc, Wide(text), -1, &drawn, DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
        if (previous != nullptr) SelectObject(dc, previous);
        ReleaseDC(control, dc);
        LocalFree(text);
        if (drawn.bottom > content) content = drawn.bottom;
    }

    SCROLLINFO info;
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = content - 1;
    info.nPage = static_cast<UINT>(client.bottom);
    info.nPos = 0;
    SetScrollInfo(control, SB_VERT, &info, TRUE);
    InvalidateRect(control, nullptr, TRUE);
}

static int TextScrolls(HWND window)
{
    return PreviousTextProc(GetDlgItem(window, IDC_FORTUNE_TEXT)) != nullptr;
}

// ---- Ctrl+C copies the fortune as shown, as Unicode text with CR LF line
// ends. The keys of a modal dialog pass the dialog-box message filter before
// the dialog manager sees them, whichever control has the focus.

static void CopyFortune(HWND window)
{
    HWND control = GetDlgItem(window, IDC_FORTUNE_TEXT);
    int length = GetWindowTextLengthW(control);
    uint16_t* shown = AllocateUnits(static_cast<uint32_t>(length) + 1);
    if (shown == nullptr) return;
    length = GetWindowTextW(control, reinterpret_cast<WCHAR*>(shown), length + 1);
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

static void SetFortuneText(HWND window, const char* text, int utf8)
{
    uint16_t* wide = utf8 ? AllocateUnits(kTextBufferSize) : nullptr;
    if (wide == nullptr) {
        SetDlgItemTextA(window, IDC_FORTUNE_TEXT, text);
        return;
    }
    uint32_t units = DecodeUtf8(text, static_cast<uint32_t>(lstrlenA(text)), wide, kTextBufferSize - 1);
    wide[units] = 0;
    SetDlgItemTextW(window, IDC_FORTUNE_TEXT, Wide(wide));
    LocalFree(wide);
}

static void OnInitDialog(HWND window, char* text)
{
    char empty[1] = "";
    if (text == nullptr) text = empty;
    // Decided once per fortune: UTF-8 text is wrapped, measured and shown as
    // characters; any other text in the ANSI code page, byte by byte.
    int utf8 = IsUtf8Fortune(text);
    if (utf8)
        WrapUtf8FortuneText(text, kTextBufferSize);
    else
        WrapFortuneText(text, kTextBufferSize);
    SubclassLinkControl(GetDlgItem(window, IDC_HOME_LINK));
    SubclassLinkControl(GetDlgItem(window, IDC_SETTINGS_LINK));
    // An "&" of the fortune is text, not a mnemonic prefix. Set here, so the
    // template stays as it is.
    HWND control = GetDlgItem(window, IDC_FORTUNE_TEXT);
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOPREFIX);
    TextSize measured = MeasureText(window, text, utf8);
    int scrolls = LayOut(window, measured);
    SetFortuneText(window, text, utf8);
    if (scrolls) MakeTextScroll(control, measured.height);
    HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, CopyKeyFilter, nullptr, GetCurrentThreadId());
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(hook));
}

static void OnDestroy(HWND window)
{
    HHOOK hook = reinterpret_cast<HHOOK>(GetWindowLongPtrA(window, DWLP_USER));
    if (hook != nullptr) UnhookWindowsHookEx(hook);
}

// The wheel reaches the window from the control that has the focus; the text
// takes it when it scrolls.
static void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (TextScrolls(window)) SendMessageW(GetDlgItem(window, IDC_FORTUNE_TEXT), WM_MOUSEWHEEL, wParam, lParam);
}

// The settings dialog, owned by this window; it rewrites the catalogue, which
// the next turn reads.
static void OpenSettings(HWND window)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), window, SettingsDialogProc, 0);
}

// OK and Enter send command 1; Escape and the close box command 2; the
// "settings" link reports its click as its own id.
static void OnCommand(HWND window, WPARAM wParam)
{
    WORD command = LOWORD(wParam);
    if (command == IDOK || command == IDCANCEL) EndDialog(window, 1);
    // Only the click: a double click on a static control also reports its id.
    if (command == IDC_SETTINGS_LINK && HIWORD(wParam) == STN_CLICKED) OpenSettings(window);
}

// A press on the background or on the text, which lets presses through:
// another fortune, at once.
static void OnLeftButtonDown(HWND window)
{
    EndDialog(window, 0);
}

INT_PTR CALLBACK FortuneDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window, reinterpret_cast<char*>(lParam));
        break;
    case WM_COMMAND:
        OnCommand(window, wParam);
        break;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(window);
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(window, wParam, lParam);
        break;
    case WM_DESTROY:
        OnDestroy(window);
        break;
    default:
        break;
    }
    return 0;
}
