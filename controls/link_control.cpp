#include "controls/link_control.h"

#include "core/product.h"
#include "core/system_dlls.h"
#include "res/resource_ids.h"
#include "controls/colour_scheme.h"
#include "controls/link_action.h"
#include "controls/program_images.h"

static const char kLinkFontFace[] = "MS Sans Serif";
static const int kLinkFontPoints = 8;
static const char kShellOpenVerb[] = "open";

static WNDPROC PreviousProc(HWND control)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

static LRESULT CallPrevious(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = PreviousProc(control);
    if (previous == nullptr) return DefWindowProcA(control, message, wParam, lParam);
    return CallWindowProcA(previous, control, message, wParam, lParam);
}

// The label, read afresh, in a local-heap block the caller frees; its
// length in *length. Null when no memory can be had.
static char* ReadLabel(HWND control, int* length)
{
    int n = GetWindowTextLengthA(control);
    char* label = static_cast<char*>(LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(n) + 1));
    if (label == nullptr) return nullptr;
    *length = GetWindowTextA(control, label, n + 1);
    label[*length] = '\0';
    return label;
}

// A document, program or address opened as the user would open it: shown.
static void OpenThroughShell(HWND control, const char* file)
{
    OpenWithShell(control, kShellOpenVerb, file, SW_SHOWNORMAL);
}

// The focus rectangle around the label, when the link has the focus and
// the window shows focus (from the first use of the keyboard on).
static void DrawFocusAround(HWND control, HDC dc, const char* label, int length)
{
    if (GetFocus() != control) return;
    if ((SendMessageA(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) return;
    SIZE extent;
    if (!GetTextExtentPoint32A(dc, label, length, &extent)) return;
    RECT client;
    GetClientRect(control, &client);
    RECT around = {0, 0, extent.cx < client.right ? extent.cx : client.right,
                   extent.cy < client.bottom ? extent.cy : client.bottom};
    DrawFocusRect(dc, &around);
}

static LRESULT OnPaint(HWND control, WPARAM wParam, LPARAM lParam)
{
    int length = 0;
    char* label = ReadLabel(control, &length);
    if (label == nullptr) return CallPrevious(control, WM_PAINT, wParam, lParam);

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    // Blue on the face, the scheme's hyperlink colour in high contrast, light
    // blue in a dark window.
    COLORREF colour, background;
    LinkColours(control, &colour, &background);
    SetBkColor(dc, background);
    // Made and deleted at every paint, so nothing outlives the window, and
    // for the DPI of the monitor the window is on now.
    HFONT font = CreateFontA(-MulDiv(kLinkFontPoints, static_cast<int>(WindowDpi(control)), 72), 0, 0, 0,
                             FW_DONTCARE, FALSE, TRUE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             kLinkFontFace);
    HGDIOBJ previousFont = nullptr;
    if (font != nullptr) previousFont = SelectObject(dc, font);
    SetTextColor(dc, colour);
    TextOutA(dc, 0, 0, label, length);
    DrawFocusAround(control, dc, label, length);
    if (font != nullptr) {
        SelectObject(dc, previousFont);
        DeleteObject(font);
    }
    EndPaint(control, &paint);
    LocalFree(label);
    return 0;
}

static LRESULT OnSetCursor(HWND control)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(control, GWLP_HINSTANCE));
    SetCursor(LinkCursor(module, WindowDpi(control)));
    return 0;
}

// What a click does, and Enter or Space on the focused link.
static void Activate(HWND control)
{
    int length = 0;
    char* label = ReadLabel(control, &length);
    if (label == nullptr) return;
    switch (LinkActionForLabel(label)) {
    case kLinkOpensHomePage:
        OpenThroughShell(control, kHomePageAddress);
        break;
    case kLinkOpensSettings:
        // What "settings" opens is the business of the window that holds the
        // link: it hears of the click as a static control's STN_CLICKED.
        SendMessageA(GetParent(control), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED), reinterpret_cast<LPARAM>(control));
        break;
    case kLinkOpensLabel:
        OpenThroughShell(control, label);
        break;
    }
    LocalFree(label);
}

// The press is not passed on, so it never reaches the dialog: a click on a
// link does not end the fortune window.
static LRESULT OnLeftButtonDown(HWND control)
{
    Activate(control);
    return 0;
}

// Enter would press the dialog's default button: the link asks for it.
static LRESULT OnGetDialogCode(HWND control, WPARAM wParam, LPARAM lParam)
{
    LRESULT code = CallPrevious(control, WM_GETDLGCODE, wParam, lParam);
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

static LRESULT OnKeyDown(HWND control, WPARAM wParam, LPARAM lParam)
{
    // Bit 30: the key was already down, a repeat; one press, one action.
    int repeat = (lParam & 0x40000000) != 0;
    if ((wParam == VK_RETURN || wParam == VK_SPACE) && !repeat) {
        Activate(control);
        return 0;
    }
    return CallPrevious(control, WM_KEYDOWN, wParam, lParam);
}

// Focus coming or going, or the window starting to show focus: the focus
// rectangle is drawn afresh.
static LRESULT RepaintAfter(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallPrevious(control, message, wParam, lParam);
    InvalidateRect(control, nullptr, TRUE);
    return result;
}

LRESULT CALLBACK LinkControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return OnPaint(control, wParam, lParam);
    case WM_SETCURSOR:
        return OnSetCursor(control);
    case WM_LBUTTONDOWN:
        return OnLeftButtonDown(control);
    case WM_GETDLGCODE:
        return OnGetDialogCode(control, wParam, lParam);
    case WM_KEYDOWN:
        return OnKeyDown(control, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        return RepaintAfter(control, message, wParam, lParam);
    default:
        return CallPrevious(control, message, wParam, lParam);
    }
}

void SubclassLinkControl(HWND control)
{
    LONG_PTR previous = GetWindowLongPtrA(control, GWLP_WNDPROC);
    // The previous procedure is stored before the new one is installed, so
    // the link never runs without it.
    SetWindowLongPtrA(control, GWLP_USERDATA, previous);
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkControlProc));
    // A tab stop, so the keyboard reaches it. Set here, so the templates stay
    // as they are.
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | WS_TABSTOP);
}
