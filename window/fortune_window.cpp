#include "window/fortune_window.h"

#include "core/product.h"
#include "res/resource_ids.h"
#include "window/layout.h"
#include "window/link_control.h"
#include "window/settings_dialog.h"
#include "window/wrap.h"

static uint32_t MeasureRun(void* context, const char* run, int length)
{
    return static_cast<uint32_t>(GetTabbedTextExtentA(static_cast<HDC>(context), run, length, 0, nullptr));
}

// The text measured in the default GUI font, which is what sizes the window,
// though the control draws in the dialog's font: meant, it gives the window
// its look, so keep it.
static TextSize MeasureText(HWND window, const char* text)
{
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TextSize size = MeasureFortuneText(text, MeasureRun, dc);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
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

// Sizes the window to the text, places the controls and centres the window.
static void LayOut(HWND window, TextSize text)
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
    TextSize size = FortuneWindowSize(parts, text, margins);
    Resize(window, size.width, size.height);

    GetClientRect(window, &client);
    FortunePlaces places = PlaceFortuneControls(parts, text, margins, client.right, client.bottom);
    Resize(GetDlgItem(window, IDC_FORTUNE_TEXT), text.width, text.height);
    Move(ok, places.okX, places.okY);
    Move(home, places.homeX, places.homeY);
    Move(settings, places.settingsX, places.settingsY);

    Move(window, CentredOrigin(GetSystemMetrics(SM_CXSCREEN), size.width),
         CentredOrigin(GetSystemMetrics(SM_CYSCREEN), size.height));
}

static void OnInitDialog(HWND window, char* text)
{
    char empty[1] = "";
    if (text == nullptr) text = empty;
    WrapFortuneText(text, kTextBufferSize);
    SubclassLinkControl(GetDlgItem(window, IDC_HOME_LINK));
    SubclassLinkControl(GetDlgItem(window, IDC_SETTINGS_LINK));
    LayOut(window, MeasureText(window, text));
    SetDlgItemTextA(window, IDC_FORTUNE_TEXT, text);
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
    default:
        break;
    }
    return 0;
}
