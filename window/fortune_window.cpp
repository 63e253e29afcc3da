#include "window/fortune_window.h"

#include "core/code_page.h"
#include "core/product.h"
#include "core/system_dlls.h"
#include "core/text_encoding.h"
#include "res/resource_ids.h"
#include "controls/colour_scheme.h"
#include "window/copy_key.h"
#include "controls/dialog_support.h"
#include "window/fixed_pitch.h"
#include "window/fixed_pitch_font.h"
#include "window/fortune_menu.h"
#include "window/layout.h"
#include "window/terminal_codes.h"
#include "controls/link_control.h"
#include "controls/program_images.h"
#include "controls/scrolling_text.h"
#include "dialogs/settings_dialog.h"
#include "controls/wide_text.h"
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

// The default GUI font made for a DPI other than the system's, for which the
// stock font is made: its height scaled. Null at the system's DPI.
static HFONT MeasuringFontForDpi(int dpi)
{
    int system = static_cast<int>(SystemDpi());
    LOGFONTA font;
    if (dpi == system || !GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, dpi, system);
    return CreateFontIndirectA(&font);
}

// The text measured in the default GUI font, which is what sizes the window,
// though the control draws in the dialog's font: meant, it gives the window
// its look, so keep it. UTF-8 text goes through the wide-character call, so
// each character is measured as the character it is.
static TextSize MeasureText(HWND window, const char* text, int utf8, int dpi)
{
    MeasureContext context;
    context.dc = GetDC(window);
    context.wide = utf8 ? AllocateUnits(kTextBufferSize) : nullptr;
    // A fortune in columns is measured in the font it is drawn in.
    HFONT fixed = FixedPitchFontOf(window);
    HFONT scaled = fixed == nullptr ? MeasuringFontForDpi(dpi) : nullptr;
    HGDIOBJ previous = SelectObject(context.dc, fixed != nullptr ? static_cast<HGDIOBJ>(fixed)
                                               : scaled != nullptr ? static_cast<HGDIOBJ>(scaled)
                                                                   : GetStockObject(DEFAULT_GUI_FONT));
    TextSize size = MeasureFortuneText(text, MeasureRun, &context, dpi);
    SelectObject(context.dc, previous);
    if (scaled != nullptr) DeleteObject(scaled);
    ReleaseDC(window, context.dc);
    if (context.wide != nullptr) LocalFree(context.wide);
    return size;
}

// The text as the control shows it, measured again at another DPI: the
// caller's buffer is gone by then. As UTF-8, so that every character is
// measured as the character it is, whichever way it came. 0 without memory.
static int MeasureShownText(HWND window, int dpi, TextSize* size)
{
    int length = 0;
    uint16_t* wide = ReadShownText(GetDlgItem(window, IDC_FORTUNE_TEXT), &length);
    if (wide == nullptr) return 0;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, Wide(wide), length, nullptr, 0, nullptr, nullptr);
    char* text = static_cast<char*>(LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(bytes) + 1));
    if (text != nullptr) {
        WideCharToMultiByte(CP_UTF8, 0, Wide(wide), length, text, bytes, nullptr, nullptr);
        text[bytes] = '\0';
        *size = MeasureText(window, text, 1, dpi);
        LocalFree(text);
    }
    LocalFree(wide);
    return text != nullptr;
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

static ScreenArea WorkAreaOf(HMONITOR monitor)
{
    RECT work = MonitorArea(monitor, 1);
    ScreenArea area = {work.left, work.top, work.right, work.bottom};
    return area;
}

// Sizes the window to the text and places the controls. The window is
// centred in the work area of the given monitor; with none (laid out anew at
// another DPI once shown), it keeps its top left corner where it is as far
// as its own monitor's work area allows. Returns 1 when the text is too tall
// and must scroll.
static int LayOut(HWND window, TextSize text, int dpi, HMONITOR centreOn)
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
    HMONITOR monitor = centreOn != nullptr ? centreOn : MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    ScreenArea area = WorkAreaOf(monitor);
    FortuneFit fit = FitFortuneWindow(parts, text, margins, SystemMetricForDpi(SM_CXVSCROLL, static_cast<UINT>(dpi)),
                                      area);
    Resize(window, fit.window.width, fit.window.height);

    GetClientRect(window, &client);
    FortunePlaces places = PlaceFortuneControls(parts, fit.text, margins, client.right, client.bottom);
    Resize(GetDlgItem(window, IDC_FORTUNE_TEXT), fit.text.width, fit.text.height);
    Move(ok, places.okX, places.okY);
    Move(home, places.homeX, places.homeY);
    Move(settings, places.settingsX, places.settingsY);
    if (centreOn != nullptr) {
        Move(window, fit.x, fit.y);
    } else {
        RECT now;
        GetWindowRect(window, &now);
        Move(window, KeptInside(now.left, fit.window.width, area.left, area.right),
             KeptInside(now.top, fit.window.height, area.top, area.bottom));
    }
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
    // A terminal's colour codes (Chinese cookie files colour their titles)
    // are gone before anything looks at the text, so the window never shows,
    // measures, wraps or copies them, nor lets them make a fortune look laid
    // out. Only this buffer: the file and the history keep them.
    DropTerminalCodes(text);
    // Decided once per fortune: UTF-8 text is wrapped, measured and shown as
    // characters; any other text in the ANSI code page, byte by byte, or by
    // double-byte characters where the code page has them.
    int utf8 = IsUtf8Fortune(text);
    // Judged on the text as it came, before the pass adds breaks of its own.
    int columns = IsColumnLaidOut(text);
    if (utf8) {
        WrapUtf8FortuneText(text, kTextBufferSize);
    } else {
        AnsiLeadBytes lead;
        GetAnsiLeadBytes(&lead);
        WrapAnsiFortuneText(text, kTextBufferSize, &lead);
    }
    SubclassLinkControl(GetDlgItem(window, IDC_HOME_LINK));
    SubclassLinkControl(GetDlgItem(window, IDC_SETTINGS_LINK));
    // Tab goes as the eye reads: OK, then "settings" on the left, then
    // "tolvane" on the right (the template lists "tolvane" first).
    SetWindowPos(GetDlgItem(window, IDC_SETTINGS_LINK), GetDlgItem(window, IDOK), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // An "&" of the fortune is text, not a mnemonic prefix. Set here, so the
    // template stays as it is.
    HWND control = GetDlgItem(window, IDC_FORTUNE_TEXT);
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOPREFIX);
    if (columns) ShowInFixedPitch(window, control);
    int dpi = static_cast<int>(WindowDpi(window));
    SetProgramIcons(window, static_cast<UINT>(dpi));
    TextSize measured = MeasureText(window, text, utf8, dpi);
    int scrolls = LayOut(window, measured, dpi, MonitorUnderPointer());
    SetFortuneText(window, text, utf8);
    if (scrolls) MakeTextScroll(control, measured.height);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(WatchFortuneKeys()));
    FollowColourScheme(window);
}

static void OnDestroy(HWND window)
{
    HHOOK hook = reinterpret_cast<HHOOK>(GetWindowLongPtrA(window, DWLP_USER));
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    ForgetColourScheme(window);
}

// The wheel reaches the window from the control that has the focus; the text
// takes it when it scrolls.
static void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam)
{
    HWND text = GetDlgItem(window, IDC_FORTUNE_TEXT);
    if (TextScrolls(text)) SendMessageW(text, WM_MOUSEWHEEL, wParam, lParam);
}

// Posted to itself once the dialog manager has rescaled the window's font
// and controls for a new DPI, carried in wParam.
static const UINT kLayOutAgainMessage = WM_APP;

// Dragged to a monitor of another scale: the place and size Windows suggests
// at once, as it asks; the layout at the new DPI once the default handling,
// which runs after this, has rescaled the dialog's font and controls.
static void OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam)
{
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetProgramIcons(window, LOWORD(wParam));
    PostMessageA(window, kLayOutAgainMessage, LOWORD(wParam), 0);
}

static void OnLayOutAgain(HWND window, WPARAM dpi)
{
    HWND control = GetDlgItem(window, IDC_FORTUNE_TEXT);
    // The fixed-pitch font anew, as tall as the dialog's font at this DPI.
    if (FixedPitchFontOf(window) != nullptr) ShowInFixedPitch(window, control);
    TextSize measured;
    if (!MeasureShownText(window, static_cast<int>(dpi), &measured)) return;
    // Moved to a monitor of another scale before it was ever shown (laid out
    // at the primary's DPI, then placed under the pointer): centred there,
    // as a new window is; afterwards it keeps its corner.
    HMONITOR centreOn = IsWindowVisible(window) ? nullptr : MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    int scrolls = LayOut(window, measured, static_cast<int>(dpi), centreOn);
    // On a monitor where it now fits, the text shows no scroll bar.
    if (scrolls)
        MakeTextScroll(control, measured.height);
    else
        StopTextScroll(control);
    InvalidateRect(window, nullptr, TRUE);
}

// The settings dialog, owned by this window; it rewrites the catalogue, which
// the next turn reads.
static void OpenSettings(HWND window)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), window, SettingsDialogProc, 0);
}

// OK and Enter send command 1; Escape and the close box command 2; the
// "settings" link reports its click as its own id; the context menu's items
// do what their keys do.
static void OnCommand(HWND window, WPARAM wParam)
{
    WORD command = LOWORD(wParam);
    if (command == IDOK || command == IDCANCEL) EndDialog(window, 1);
    if (command == IDM_PUT_AWAY) EndDialog(window, kFortuneWindowPutAway);
    // Only the click: a double click on a static control also reports its id.
    if (command == IDC_SETTINGS_LINK && HIWORD(wParam) == STN_CLICKED) OpenSettings(window);
    if (command == IDM_COPY) CopyFortune(window);
    if (command == IDM_ANOTHER) EndDialog(window, 0);
    if (command == IDM_BEFORE) ShowFortuneBefore(window);
    if (command == IDM_SETTINGS) OpenSettings(window);
}

// A press on the background or on the text, which lets presses through:
// another fortune, at once.
static void OnLeftButtonDown(HWND window)
{
    EndDialog(window, 0);
}

// The user chose light or dark for apps, or turned high contrast on or off.
static void OnSettingChange(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (IsColourSettingChange(wParam, lParam)) FollowColourScheme(window);
}

INT_PTR CALLBACK FortuneDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // The brush itself is the answer, not a flag.
        return reinterpret_cast<INT_PTR>(ColourControl(window, reinterpret_cast<HDC>(wParam)));
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
    case WM_CONTEXTMENU:
        // The right button on the window, its text or a control, Shift+F10
        // or the Menu key. Shown, it is handled: the default handling would
        // add a menu of its own.
        return ShowFortuneMenu(window, lParam);
    case WM_DESTROY:
        OnDestroy(window);
        break;
    case WM_NCDESTROY:
        ForgetFixedPitchFont(window);
        break;
    case WM_DPICHANGED:
        OnDpiChanged(window, wParam, lParam);
        break;
    case kLayOutAgainMessage:
        OnLayOutAgain(window, wParam);
        break;
    case WM_SETTINGCHANGE:
        OnSettingChange(window, wParam, lParam);
        break;
    default:
        break;
    }
    return 0;
}
