#include "window/fortune_window.h"

#include "core/code_page.h"
#include "core/product.h"
#include "core/text_encoding.h"
#include "res/resource_ids.h"
#include "window/copy_key.h"
#include "window/layout.h"
#include "window/link_control.h"
#include "window/scrolling_text.h"
#include "window/settings_dialog.h"
#include "window/wide_text.h"
#include "window/wrap.h"

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
    // characters; any other text in the ANSI code page, byte by byte, or by
    // double-byte characters where the code page has them.
    int utf8 = IsUtf8Fortune(text);
    if (utf8) {
        WrapUtf8FortuneText(text, kTextBufferSize);
    } else {
        AnsiLeadBytes lead;
        GetAnsiLeadBytes(&lead);
        WrapAnsiFortuneText(text, kTextBufferSize, &lead);
    }
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
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(WatchCopyKey()));
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
    HWND text = GetDlgItem(window, IDC_FORTUNE_TEXT);
    if (TextScrolls(text)) SendMessageW(text, WM_MOUSEWHEEL, wParam, lParam);
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
