#include "controls/scrolling_text.h"

#include "core/system_dlls.h"
#include "controls/wide_text.h"
#include "controls/geometry.h"

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
    int measured = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return TextLineHeight(measured, static_cast<int>(WindowDpi(control)));
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

// The part of a pixel that earlier wheel deltas left over, kept on the
// control between messages.
static const wchar_t kWheelRemainderProperty[] = L"MerrowindWheelRemainder";

static void OnTextWheel(HWND control, WPARAM wParam)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    RECT client;
    GetClientRect(control, &client);
    int notch = WheelNotchPixels(lines, LineHeight(control), client.bottom);
    int remainder = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(control, kWheelRemainderProperty)));
    WheelTurn turn = TurnWheel(remainder, GET_WHEEL_DELTA_WPARAM(wParam), notch);
    SetPropW(control, kWheelRemainderProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(turn.remainder)));
    if (turn.pixels != 0) ScrollTextTo(control, GetScrollPos(control, SB_VERT) + turn.pixels);
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
    int length = 0;
    uint16_t* text = ReadShownText(control, &length);
    if (text != nullptr) {
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
        // With the bar gone (laid out anew where the whole text fits), the
        // range and position of the old layout mean nothing: painted by
        // them, the lines below the old range would be cut off.
        if (!TextScrolls(control)) break;
        PaintScrolledText(control);
        return 0;
    case WM_VSCROLL:
        OnTextScroll(control, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnTextWheel(control, wParam);
        return 0;
    case WM_NCDESTROY:
        RemovePropW(control, kWheelRemainderProperty);
        return CallWindowProcW(PreviousTextProc(control), control, message, wParam, lParam);
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
        break;
    }
    return CallWindowProcW(PreviousTextProc(control), control, message, wParam, lParam);
}

void MakeTextScroll(HWND control, int measuredHeight)
{
    // Once: laid out again at another DPI, only the range is set afresh.
    if (PreviousTextProc(control) == nullptr) {
        SetWindowLongPtrW(control, GWLP_USERDATA, GetWindowLongPtrW(control, GWLP_WNDPROC));
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollingTextProc));
    }
    ShowScrollBar(control, SB_VERT, TRUE);
    RECT client;
    GetClientRect(control, &client);

    int content = measuredHeight;
    int length = 0;
    uint16_t* text = ReadShownText(control, &length);
    if (text != nullptr) {
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

void StopTextScroll(HWND control)
{
    if (!TextScrolls(control)) return;
    SetScrollPos(control, SB_VERT, 0, FALSE);
    ShowScrollBar(control, SB_VERT, FALSE);
    InvalidateRect(control, nullptr, TRUE);
}

int TextScrolls(HWND control)
{
    return PreviousTextProc(control) != nullptr && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VSCROLL) != 0;
}
