#include "window/link_control.h"

#include "core/product.h"
#include "core/system_dlls.h"
#include "res/resource_ids.h"
#include "window/link_action.h"
#include "window/program_images.h"

static const char kLinkFontFace[] = "MS Sans Serif";
static const int kLinkFontPoints = 8;
static const COLORREF kLinkColour = RGB(0, 0, 255);
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

static LRESULT OnPaint(HWND control, WPARAM wParam, LPARAM lParam)
{
    int length = 0;
    char* label = ReadLabel(control, &length);
    if (label == nullptr) return CallPrevious(control, WM_PAINT, wParam, lParam);

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    // Made and deleted at every paint, so nothing outlives the window, and
    // for the DPI of the monitor the window is on now.
    HFONT font = CreateFontA(-MulDiv(kLinkFontPoints, static_cast<int>(WindowDpi(control)), 72), 0, 0, 0,
                             FW_DONTCARE, FALSE, TRUE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             kLinkFontFace);
    HGDIOBJ previousFont = nullptr;
    if (font != nullptr) previousFont = SelectObject(dc, font);
    SetTextColor(dc, kLinkColour);
    TextOutA(dc, 0, 0, label, length);
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

// Acts on the press. The press is not passed on, so it never reaches the
// dialog: a click on a link does not end the fortune window.
static LRESULT OnLeftButtonDown(HWND control)
{
    int length = 0;
    char* label = ReadLabel(control, &length);
    if (label == nullptr) return 0;
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
    return 0;
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
}
