// The real fortune window, made from template 102 of the test program's own
// resources, on the test display.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/product.h"
#include "core/system_dlls.h"
#include "res/resource_ids.h"
#include "tests/gui/dialog_driver.h"
#include "tests/support/shown_text.h"
#include "tests/support/win32_fixtures.h"
#include "controls/scrolling_text.h"
#include "window/fortune_history.h"
#include "window/fortune_window.h"
#include "dialogs/settings_dialog.h"
#include "window/wrap.h"

// A fortune with a line too long for the window and lines of its own.
static const char kLongFortune[] =
    "The trouble with doing something right the first time is that nobody appreciates how "
    "difficult it was, and so they go on expecting you to do it right every time after that.\n"
    "\n"
    "\t-- Walt West, on the matter of reputations";

static std::string Wrapped(const std::string& text)
{
    std::vector<char> buffer(kTextBufferSize, '\0');
    lstrcpynA(buffer.data(), text.c_str(), kTextBufferSize);
    WrapFortuneText(buffer.data(), kTextBufferSize);
    return buffer.data();
}

static std::string TextOf(HWND control)
{
    char text[kTextBufferSize];
    GetWindowTextA(control, text, sizeof text);
    return text;
}

static SIZE OuterSize(HWND window)
{
    RECT r = ScreenRectOf(window);
    SIZE s = {r.right - r.left, r.bottom - r.top};
    return s;
}

static POINT CentreOf(const RECT& r)
{
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return p;
}

static bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

static std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") - (" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

// The text as the window shows and measures it, in the default GUI font made
// `scale` times as tall: the widest line, through the wide call (a CR of a
// break with its line), and the lines' heights added up, a line before an
// empty one twice.
static SIZE MeasuredIn(int scale, const std::wstring& shown)
{
    LOGFONTA font;
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight *= scale;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&font));
    SIZE size = {0, 0};
    for (size_t start = 0; start < shown.size();) {
        size_t end = std::min(shown.find(L'\n', start), shown.size());
        DWORD extent = GetTabbedTextExtentW(dc, shown.c_str() + start, static_cast<int>(end - start), 0, nullptr);
        size.cx = std::max<LONG>(size.cx, LOWORD(extent));
        size.cy += HIWORD(extent) * (shown.compare(end, 2, L"\n\n") == 0 ? 2 : 1);
        start = end + 1;
    }
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(nullptr, dc);
    return size;
}

TEST(FortuneWindow, ShowsTheWrappedTextAndRewritesTheBuffer)
{
    std::string wrapped = Wrapped(kLongFortune);
    ASSERT_NE(wrapped.find("\r\n"), std::string::npos) << "the sample must need a break";
    FortuneWindowRun run(kLongFortune);
    ASSERT_NE(run.Window(), nullptr) << "the window did not appear";
    EXPECT_EQ(TextOf(run.Item(IDC_FORTUNE_TEXT)), wrapped);
    EXPECT_STREQ(run.Buffer(), wrapped.c_str()) << "the caller's buffer is wrapped in place";
    EXPECT_EQ(TextOf(run.Window()), kProgramCaption);
    EXPECT_EQ(TextOf(run.Item(IDC_HOME_LINK)), "tolvane");
    EXPECT_EQ(TextOf(run.Item(IDC_SETTINGS_LINK)), "settings");
    EXPECT_EQ(GetWindow(run.Window(), GW_OWNER), nullptr) << "the window has no owner";
    ExpectProgramIcons(run.Window(), TestDpi());
}

TEST(FortuneWindow, IsLaidOutAroundTheTextAndCentred)
{
    FortuneWindowRun run(kLongFortune);
    HWND w = run.Window();
    ASSERT_NE(w, nullptr);
    RECT client;
    GetClientRect(w, &client);
    RECT text = ClientRectOf(run.Item(IDC_FORTUNE_TEXT));
    RECT ok = ClientRectOf(run.Item(IDOK));
    RECT home = ClientRectOf(run.Item(IDC_HOME_LINK));
    RECT settings = ClientRectOf(run.Item(IDC_SETTINGS_LINK));

    // The text control keeps its place 7 units from the top left corner and
    // has a 7-unit margin on the right.
    EXPECT_EQ(text.left, HorizontalUnits(w, 7));
    EXPECT_EQ(text.top, VerticalUnits(w, 7));
    EXPECT_EQ(client.right - text.right, HorizontalUnits(w, 14) - HorizontalUnits(w, 7));

    // The text control is the text measured in the default GUI font, plus
    // pads of 4 and 16 pixels at 96 DPI, in proportion at any other.
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), TestDpi()) << "the display is not at the DPI of this run";
    ReleaseDC(nullptr, screen);
    SIZE measured = MeasuredIn(1, ExpectedShownText(kLongFortune));
    EXPECT_EQ(text.right - text.left, measured.cx + MulDiv(4, TestDpi(), 96));
    EXPECT_EQ(text.bottom - text.top, measured.cy + MulDiv(16, TestDpi(), 96));

    // OK: its template size, centred, 4 units below the text control.
    EXPECT_EQ(ok.right - ok.left, HorizontalUnits(w, 50));
    EXPECT_EQ(ok.bottom - ok.top, VerticalUnits(w, 14));
    EXPECT_EQ(ok.left, client.right / 2 - (ok.right - ok.left) / 2);
    int gap = ok.top - text.bottom;
    EXPECT_NEAR(gap, VerticalUnits(w, 4), 1) << "OK's top is 4 units below the text";

    // The links: their template sizes, 7 units in from the bottom corners.
    EXPECT_EQ(home.right - home.left, HorizontalUnits(w, 25));
    EXPECT_EQ(settings.right - settings.left, HorizontalUnits(w, 34));
    EXPECT_EQ(client.right - home.right, HorizontalUnits(w, 7));
    EXPECT_EQ(client.bottom - home.bottom, VerticalUnits(w, 7));
    EXPECT_EQ(settings.left, HorizontalUnits(w, 7));
    EXPECT_EQ(client.bottom - settings.bottom, VerticalUnits(w, 7));
    for (const RECT& r : {text, ok, home, settings}) EXPECT_TRUE(Inside(r, client)) << Describe(r) << " leaves the window";

    // Centred on the primary screen, each half truncated.
    SIZE size = OuterSize(w);
    RECT outer = ScreenRectOf(w);
    EXPECT_EQ(outer.left, GetSystemMetrics(SM_CXSCREEN) / 2 - size.cx / 2);
    EXPECT_EQ(outer.top, GetSystemMetrics(SM_CYSCREEN) / 2 - size.cy / 2);
}

TEST(FortuneWindow, ShortFortuneGetsTheMinimumWidth)
{
    FortuneWindowRun run("Hi.");
    HWND w = run.Window();
    ASSERT_NE(w, nullptr);
    SIZE ok = OuterSize(run.Item(IDOK));
    SIZE home = OuterSize(run.Item(IDC_HOME_LINK));
    EXPECT_EQ(OuterSize(w).cx, 2 * ok.cx + home.cx + HorizontalUnits(w, 21));
}

TEST(FortuneWindow, EmptyFortuneStillGetsAWindow)
{
    FortuneWindowRun run("");
    HWND w = run.Window();
    ASSERT_NE(w, nullptr);
    RECT text = ClientRectOf(run.Item(IDC_FORTUNE_TEXT));
    EXPECT_EQ(text.right - text.left, 4);
    EXPECT_EQ(TextOf(run.Item(IDC_FORTUNE_TEXT)), "");
}

// The work area of the primary monitor, where the window goes.
static RECT WorkArea()
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

static SCROLLINFO ScrollOf(HWND control)
{
    SCROLLINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(control, SB_VERT, &info);
    return info;
}

// The height of a line in the control's font.
static int LineHeightOf(HWND control)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

// The last position the scroll bar allows.
static int LastScrollPosition(const SCROLLINFO& info)
{
    return info.nMax - static_cast<int>(info.nPage) + 1;
}

// A fortune much taller than the screen: lines numbered 1 to n.
static std::string NumberedLines(int n)
{
    std::string text;
    for (int i = 1; i <= n; ++i) text += "Zeile " + std::to_string(i) + "\n";
    return text;
}

TEST(FortuneWindow, TallFortuneStaysInsideTheWorkAreaAndScrolls)
{
    std::string text = NumberedLines(300);
    ASSERT_LT(text.size(), 4099u);
    FortuneWindowRun run(text);
    HWND w = run.Window();
    ASSERT_NE(w, nullptr);
    RECT area = WorkArea();
    RECT outer = ScreenRectOf(w);
    EXPECT_TRUE(Inside(outer, area)) << "window " << Describe(outer) << ", work area " << Describe(area);
    EXPECT_EQ(outer.bottom - outer.top, area.bottom - area.top) << "as tall as fits";
    for (int id : {IDOK, IDC_HOME_LINK, IDC_SETTINGS_LINK}) {
        RECT r = ScreenRectOf(run.Item(id));
        EXPECT_TRUE(Inside(r, area)) << "control " << id << " at " << Describe(r) << " is off the work area";
        EXPECT_TRUE(IsWindowVisible(run.Item(id))) << "control " << id;
    }

    // The text scrolls over all its lines, in the control's own font.
    HWND control = run.Item(IDC_FORTUNE_TEXT);
    EXPECT_NE(GetWindowLongA(control, GWL_STYLE) & WS_VSCROLL, 0) << "expected a scroll bar";
    SCROLLINFO info = ScrollOf(control);
    RECT client;
    GetClientRect(control, &client);
    EXPECT_EQ(static_cast<int>(info.nPage), client.bottom) << "a page is the part in view";
    const int line = LineHeightOf(control);
    EXPECT_GE(info.nMax + 1, 300 * line) << "the range covers all 300 lines";
    EXPECT_EQ(info.nPos, 0) << "the text starts at its top";
    EXPECT_EQ(WideTextOf(control), ExpectedShownText(text)) << "the whole text is in the control";

    // The wheel, turned over the text, scrolls down to the end and no further.
    RECT onScreen = ScreenRectOf(control);
    int x = (onScreen.left + onScreen.right) / 2 - 10, y = (onScreen.top + onScreen.bottom) / 2;
    WheelAt(x, y, -120);
    EXPECT_TRUE(WaitUntil([&] { return ScrollOf(control).nPos > 0; })) << "a wheel notch scrolls down";
    int last = LastScrollPosition(info);
    for (int turn = 0; turn < 200 && ScrollOf(control).nPos < last; ++turn) {
        int before = ScrollOf(control).nPos;
        WheelAt(x, y, -120 * 5);
        WaitUntil([&] { return ScrollOf(control).nPos != before; }, 2000);
    }
    EXPECT_EQ(ScrollOf(control).nPos, last) << "the wheel reaches the end of the text";
    WheelAt(x, y, 120);
    EXPECT_TRUE(WaitUntil([&] { return ScrollOf(control).nPos < last; })) << "and turns back up";

    // The scroll bar's own arrow scrolls too, and does not end the window.
    int before = ScrollOf(control).nPos;
    SendMessageA(control, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(ScrollOf(control).nPos, 0) << "from " << before << " back to the top";
    // A touch pad's deltas of 1 add up: 120 of them scroll as one notch.
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    for (int i = 0; i < 120; ++i) SendMessageA(control, WM_MOUSEWHEEL, MAKEWPARAM(0, -1), 0);
    EXPECT_EQ(ScrollOf(control).nPos, static_cast<int>(lines) * line) << "120 deltas of 1";
    // One notch scrolls the user's lines per notch: one line, or one page.
    for (UINT setting : {1u, static_cast<UINT>(WHEEL_PAGESCROLL)}) {
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, setting, nullptr, 0);
        SendMessageA(control, WM_VSCROLL, SB_TOP, 0);
        SendMessageA(control, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
        EXPECT_EQ(ScrollOf(control).nPos, setting == 1 ? line : static_cast<int>(info.nPage)) << setting;
    }
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    SendMessageA(control, WM_VSCROLL, SB_TOP, 0);
    POINT arrow = {onScreen.right - GetSystemMetrics(SM_CXVSCROLL) / 2, onScreen.bottom - 3};
    ClickAt(arrow.x, arrow.y);
    EXPECT_TRUE(WaitUntil([&] { return ScrollOf(control).nPos > 0; })) << "the down arrow scrolls";
    EXPECT_FALSE(run.Ended()) << "a click on the scroll bar is no click on the text";

    // A click on the text still asks for another fortune.
    ClickAt(x, y);
    EXPECT_EQ(run.Result(), 0);
}

TEST(FortuneWindow, LaysItselfOutAnewAtTheDpiOfAnotherMonitor)
{
    // Twice the DPI: the measuring font twice as tall, the pads twice as
    // large, the window where Windows suggests as far as the work area
    // allows; a tall text still scrolls, its scroll bar as wide as at the DPI.
    const int dpi = 2 * TestDpi();
    for (const std::string& fortune : {std::string("Hi.\n\nTwo lines, and a third."), NumberedLines(300)}) {
        FortuneWindowRun run(fortune);
        HWND w = run.Window(), text = run.Item(IDC_FORTUNE_TEXT);
        ASSERT_NE(w, nullptr);
        RECT suggested = {40, 30, 740, 330};
        SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        SIZE measured = MeasuredIn(2, ExpectedShownText(fortune));
        bool tall = fortune.size() > 100;
        ASSERT_TRUE(run.Settle()) << "the window should lay itself out again";
        EXPECT_EQ(OuterSize(text).cx, measured.cx + MulDiv(4, dpi, 96) + (tall ? SystemMetricForDpi(SM_CXVSCROLL, dpi) : 0));
        RECT outer = ScreenRectOf(w);
        EXPECT_TRUE(Inside(outer, WorkArea())) << Describe(outer);
        const int height = measured.cy + MulDiv(16, dpi, 96);
        if (tall) {
            EXPECT_GE(ScrollOf(text).nMax + 1, height) << "the range covers the text";
            continue;
        }
        EXPECT_EQ(OuterSize(text).cy, height);
        EXPECT_EQ(outer.left, 40);
        EXPECT_EQ(outer.top, 30);
        EXPECT_EQ(ClientRectOf(run.Item(IDOK)).top, ClientRectOf(text).bottom + VerticalUnits(w, 11) - VerticalUnits(w, 7));
        ExpectProgramIcons(w, dpi);
    }
}

class FirstPlacement : public ScratchTest {};

// Laid out at the primary monitor's DPI, then placed on another monitor of
// another scale before it shows: the fortune window centres itself there
// again in the work area, the settings dialog with no owner on the screen.
TEST_F(FirstPlacement, ARescaleBeforeTheWindowShowsCentresItAgain)
{
    std::vector<char> buffer(kTextBufferSize, '\0');
    lstrcpyA(buffer.data(), "Hi.");
    const struct { int id; DLGPROC procedure; LPARAM parameter; bool work; } rows[] = {
        {IDD_FORTUNE, FortuneDialogProc, reinterpret_cast<LPARAM>(buffer.data()), true},
        {IDD_SETTINGS, SettingsDialogProc, 0, false}};
    for (const auto& r : rows) {
        HWND w = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(r.id), nullptr, r.procedure, r.parameter);
        ASSERT_TRUE(w != nullptr && !IsWindowVisible(w)) << r.id;
        RECT suggested = {40, 30, 640, 330};
        SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(2 * TestDpi(), 2 * TestDpi()), reinterpret_cast<LPARAM>(&suggested));
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        RECT area = r.work ? WorkArea() : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        RECT outer = ScreenRectOf(w);
        EXPECT_EQ(outer.left, area.left + (area.right - area.left) / 2 - (outer.right - outer.left) / 2) << r.id;
        EXPECT_EQ(outer.top, area.top + (area.bottom - area.top) / 2 - (outer.bottom - outer.top) / 2) << r.id;
        DestroyWindow(w);
    }
}

TEST(FortuneWindow, AFortuneThatFitsHasNoScrollBar)
{
    FortuneWindowRun run(NumberedLines(20));
    ASSERT_NE(run.Window(), nullptr);
    HWND control = run.Item(IDC_FORTUNE_TEXT);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & WS_VSCROLL, 0) << "expected no scroll bar";
    EXPECT_EQ(GetWindowLongPtrA(control, GWLP_USERDATA), 0) << "the text control is left as it is";
}

TEST(FortuneWindow, TheScrollBarGoesWhereTheTextFitsAndComesBackWhereItDoesNot)
{
    // Tall at the test's DPI, a good deal shorter than the work area at half.
    const int dpi = TestDpi();
    RECT area = WorkArea();
    FortuneWindowRun run(NumberedLines((area.bottom - area.top) * 5 / 4 / MeasuredIn(1, L"Zeile 1").cy + 1));
    ASSERT_NE(run.Window(), nullptr);
    HWND text = run.Item(IDC_FORTUNE_TEXT);
    ASSERT_NE(GetWindowLongA(text, GWL_STYLE) & WS_VSCROLL, 0) << "the text must scroll at first";
    for (int to : {dpi / 2, dpi}) {
        RECT suggested = {0, 0, 300, 300};
        SendMessageA(run.Window(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
        ASSERT_TRUE(run.Settle());
        EXPECT_EQ((GetWindowLongA(text, GWL_STYLE) & WS_VSCROLL) != 0, to == dpi) << "scroll bar at " << to << " DPI";
    }
}

// Pixels in rows top to bottom of a control, as painted now, that are not
// the face it is painted on.
static int InkBetween(HWND control, int top, int bottom)
{
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT r = ScreenRectOf(control);
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = r.top + top; y < r.top + bottom; ++y)
        for (int x = r.left; x < r.right; ++x) count += GetPixel(screen, x, y) != GetSysColor(COLOR_BTNFACE);
    ReleaseDC(nullptr, screen);
    return count;
}

TEST(ScrollingText, StoppedWhereTheWholeTextFitsItIsPaintedWhole)
{
    // Scrolled to its end, then in a font twice as tall (as at twice the
    // scale) and grown to the whole text: the last line, below the old
    // range, is painted too.
    std::string lines = NumberedLines(20);
    HWND control = CreateWindowExA(WS_EX_TOPMOST, "STATIC", lines.c_str(), WS_POPUP | WS_VISIBLE | SS_LEFT, 0, 0, 300,
                                   60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    MakeTextScroll(control, 0);
    SendMessageA(control, WM_VSCROLL, SB_BOTTOM, 0);
    const int range = ScrollOf(control).nMax + 1;
    LOGFONTA twice;
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof twice, &twice);
    twice.lfHeight *= 2;
    HFONT font = CreateFontIndirectA(&twice);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    StopTextScroll(control);
    const int line = LineHeightOf(control), height = 20 * line;
    SetWindowPos(control, nullptr, 0, 0, 300, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_GT(height - line, range) << "the last line must lie below the old range";
    EXPECT_TRUE(WaitUntil([&] { return InkBetween(control, height - line, height) > 0; }, 5000))
        << "nothing drawn on the last line, below the old range of " << range;
    DestroyWindow(control);
    DeleteObject(font);
}

TEST(FortuneWindow, PressOnTheBackgroundOrTheTextAsksForAnother)
{
    {
        FortuneWindowRun run(kLongFortune);
        ASSERT_NE(run.Window(), nullptr);
        POINT background = BackgroundPointOf(run.Window());
        ClickAt(background.x, background.y);
        EXPECT_EQ(run.Result(), 0);
    }
    {
        FortuneWindowRun run(kLongFortune);
        ASSERT_NE(run.Window(), nullptr);
        POINT p = CentreOf(ScreenRectOf(run.Item(IDC_FORTUNE_TEXT)));
        ClickAt(p.x, p.y);
        EXPECT_EQ(run.Result(), 0) << "the text lets the press through to the window";
    }
}

TEST(FortuneWindow, PressEndsTheWindowBeforeTheRelease)
{
    FortuneWindowRun run("Pressed, never released.");
    ASSERT_NE(run.Window(), nullptr);
    POINT background = BackgroundPointOf(run.Window());
    PressAt(background.x, background.y);
    INT_PTR result = run.Result();
    ReleaseAt(background.x, background.y);
    EXPECT_EQ(result, 0);
}

TEST(FortuneWindow, OkEnterEscapeAndTheCloseBoxStop)
{
    {
        FortuneWindowRun run(kLongFortune);
        ASSERT_NE(run.Window(), nullptr);
        POINT p = CentreOf(ScreenRectOf(run.Item(IDOK)));
        ClickAt(p.x, p.y);
        EXPECT_EQ(run.Result(), 1) << "OK";
    }
    {
        FortuneWindowRun run(kLongFortune);
        ASSERT_NE(run.Window(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.Window(); }))
            << "the window must be in front to take keys";
        PressKey(VK_RETURN);
        EXPECT_EQ(run.Result(), 1) << "Enter";
    }
    {
        FortuneWindowRun run(kLongFortune);
        ASSERT_NE(run.Window(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.Window(); })) << "the window should come to the foreground";
        PressKey(VK_ESCAPE);
        EXPECT_EQ(run.Result(), 1) << "Escape";
    }
    {
        // The close box sends the system command that the dialog manager
        // turns into command 2.
        FortuneWindowRun run(kLongFortune);
        ASSERT_NE(run.Window(), nullptr);
        PostMessageA(run.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(run.Result(), 1) << "close box";
    }
}

TEST(FortuneWindow, OtherCommandsAndMessagesLeaveItOpen)
{
    FortuneWindowRun run(kLongFortune);
    ASSERT_NE(run.Window(), nullptr);
    // Commands 1 and 2 with a notification code are still commands 1 and 2;
    // any other command does nothing.
    SendMessageA(run.Window(), WM_COMMAND, MAKEWPARAM(IDC_FORTUNE_TEXT, 0), 0);
    SendMessageA(run.Window(), WM_RBUTTONDOWN, 0, 0);
    EXPECT_FALSE(run.Ended()) << "the window should still be open";
    SendMessageA(run.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(run.Result(), 1);
}

// ---- Fortunes laid out in columns, in a fixed-pitch font.

static int WidthIn(HFONT font, const wchar_t* text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

static LOGFONTA LogFontOf(HWND window)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

TEST(FortuneWindow, AFortuneInColumnsLinesUpInAFixedPitchFontAsTallAsTheText)
{
    FortuneWindowRun run("Name\tValue\nAlpha\tOne\niiiiiiiiiiiiiiii|\nWWWWWWWWWWWWWWWW|");
    ASSERT_NE(run.Window(), nullptr);
    HWND control = run.Item(IDC_FORTUNE_TEXT);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    EXPECT_EQ(WidthIn(font, L"iiiiiiiiiiiiiiii|"), WidthIn(font, L"WWWWWWWWWWWWWWWW|")) << "the lines end at the same x";
    EXPECT_EQ(LogFontOf(control).lfHeight, LogFontOf(run.Window()).lfHeight) << "as tall as the dialog's font";
    // The control is laid out for the font it draws in.
    EXPECT_EQ(OuterSize(control).cx, WidthIn(font, L"WWWWWWWWWWWWWWWW|") + MulDiv(4, TestDpi(), 96));

    // Moved to a monitor of another scale: a font made anew for the dialog's
    // font there, the old one deleted.
    RECT suggested = {0, 0, 300, 300};
    SendMessageA(run.Window(), WM_DPICHANGED, MAKEWPARAM(2 * TestDpi(), 2 * TestDpi()), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_TRUE(run.Settle());
    EXPECT_NE(SendMessageA(control, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font)) << "a font for the new scale";
    EXPECT_EQ(GetObjectType(font), 0u) << "the font of the old scale is deleted";
    EXPECT_EQ(LogFontOf(control).lfHeight, LogFontOf(run.Window()).lfHeight) << "as tall as the dialog's font there";
}

TEST(FortuneWindow, AProseFortuneKeepsTheDialogsFont)
{
    FortuneWindowRun run(kLongFortune);
    ASSERT_NE(run.Window(), nullptr);
    EXPECT_EQ(SendMessageA(run.Item(IDC_FORTUNE_TEXT), WM_GETFONT, 0, 0), SendMessageA(run.Window(), WM_GETFONT, 0, 0));
}

// ---- UTF-8 text, "&", and the copy to the clipboard.

static const char kGerman[] =
    "\xE2\x80\x9E" "Die W\xC3\xBCrde des Menschen ist unantastbar. Sie zu achten und zu sch\xC3\xBCtzen ist "
    "Verpflichtung aller staatlichen Gewalt.\xE2\x80\x9C\n\t-- Grundgesetz, Artikel 1 (\xC3\x84nderungen: keine)";

TEST(FortuneWindow, Utf8FortuneIsShownMeasuredAndWrappedAsCharacters)
{
    ASSERT_TRUE(ReadsAsUtf8(kGerman)) << "the test's text must be UTF-8";
    FortuneWindowRun run(kGerman);
    ASSERT_NE(run.Window(), nullptr);
    HWND control = run.Item(IDC_FORTUNE_TEXT);
    std::wstring shown = WideTextOf(control);
    EXPECT_EQ(shown, ExpectedShownText(kGerman)) << "shown: " << Utf8Of(shown);
    EXPECT_NE(shown.find(L"W\u00FCrde"), std::wstring::npos) << "ü as one character: " << Utf8Of(shown);
    EXPECT_NE(shown.find(L"\u201EDie"), std::wstring::npos) << "the low quote as one character";
    std::vector<std::wstring> lines = LinesOf(shown);
    ASSERT_GE(lines.size(), 3u) << "the first line is long enough to break";
    EXPECT_EQ(lines[0].size(), 94u) << "the 95th character, a space, is the break (bytes would break earlier)";

    // Measured as characters: the control is as wide as the widest line in
    // the default GUI font, measured through the wide call, plus 4.
    RECT text = ClientRectOf(control);
    EXPECT_EQ(text.right - text.left, MeasuredIn(1, shown).cx + 4);
}

TEST(FortuneWindow, InvalidUtf8IsShownInTheAnsiCodePageByteForByte)
{
    // Windows-1252 umlauts and one UTF-8 letter: not well-formed, so ANSI.
    const std::string bytes = "Gr\xFC\xDF Gott, sch\xC3\xB6n";
    ASSERT_FALSE(ReadsAsUtf8(bytes)) << "the test's bytes must not be UTF-8";
    FortuneWindowRun run(bytes);
    ASSERT_NE(run.Window(), nullptr);
    EXPECT_EQ(TextOf(run.Item(IDC_FORTUNE_TEXT)), bytes) << "the ANSI text comes back byte for byte";
    EXPECT_EQ(WideTextOf(run.Item(IDC_FORTUNE_TEXT)), DecodedAsShown(bytes));
}

TEST(FortuneWindow, LongWordOfMultiByteLettersBreaksBetweenCharacters)
{
    std::string word;
    for (int i = 0; i < 200; ++i) word += (i % 2 == 0) ? "\xC3\xA4" : "\xE2\x82\xAC";  // ä and €
    FortuneWindowRun run(word);
    ASSERT_NE(run.Window(), nullptr);
    std::wstring shown = WideTextOf(run.Item(IDC_FORTUNE_TEXT));
    std::vector<std::wstring> lines = LinesOf(shown);
    ASSERT_EQ(lines.size(), 3u) << Utf8Of(shown);
    EXPECT_EQ(lines[0].size(), 94u);
    EXPECT_EQ(lines[1].size(), 95u);
    EXPECT_EQ(lines[2].size(), 11u);
    std::wstring joined = lines[0] + lines[1] + lines[2];
    EXPECT_EQ(joined, DecodedAsShown(word)) << "every character whole, none lost";
}

TEST(FortuneWindow, AmpersandsAreShownAsThey)
{
    FortuneWindowRun run("AT&T pays for R&D && more");
    ASSERT_NE(run.Window(), nullptr);
    HWND control = run.Item(IDC_FORTUNE_TEXT);
    EXPECT_NE(GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX, 0) << "expected SS_NOPREFIX on the text";
    EXPECT_EQ(TextOf(control), "AT&T pays for R&D && more");
    for (int id : {IDC_HOME_LINK, IDC_SETTINGS_LINK})
        EXPECT_EQ(GetWindowLongA(run.Item(id), GWL_STYLE) & SS_NOPREFIX, 0) << "link " << id << " is left as it is";
}

static std::wstring ClipboardText()
{
    std::wstring text = L"<no text>";
    if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data != nullptr) {
        const wchar_t* units = static_cast<const wchar_t*>(GlobalLock(data));
        if (units != nullptr) text = units;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

static void EmptyTheClipboard()
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

TEST(FortuneWindow, CtrlCCopiesTheFortuneAsShownWithCrLf)
{
    EmptyTheClipboard();
    // A terminal's colour codes are neither shown, copied nor counted by the wrap.
    const std::string fortune = std::string("\x1B[32mErste Zeile\x1B[m\nZweite \xE2\x80\x93 \xC3\xBC" "ber\n") +
                                std::string(60, 'x') + "\x1B[1;31m" + std::string(60, 'x');
    FortuneWindowRun run(fortune);
    ASSERT_NE(run.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.Window(); })) << "the window should come to the foreground";
    PressKeyWith(VK_CONTROL, 'C');
    std::wstring expected = L"Erste Zeile\r\nZweite \u2013 \u00FC" L"ber\r\n" + std::wstring(94, L'x') + L"\r\n" +
                            std::wstring(26, L'x');
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == expected; }, 10000))
        << "clipboard: " << Utf8Of(ClipboardText());
    EXPECT_FALSE(run.Ended()) << "the copy leaves the window open";
    PressKey(VK_ESCAPE);
    EXPECT_EQ(run.Result(), 1) << "Escape still ends it";
}

TEST(FortuneWindow, CCopiesNothingWithoutCtrl)
{
    EmptyTheClipboard();
    FortuneWindowRun run("Nothing to copy.");
    ASSERT_NE(run.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.Window(); })) << "the window should come to the foreground";
    // Ctrl tapped before a C, not at all, once and twice more: its toggle
    // state is no pressed Ctrl, whether it is on or off.
    for (int taps : {0, 1, 2}) {
        for (int i = 0; i < taps; ++i) PressKey(VK_CONTROL);
        PressKey('C');
    }
    PressKey(VK_RETURN);
    EXPECT_EQ(run.Result(), 1) << "Enter after C";
    EXPECT_EQ(ClipboardText(), L"<no text>") << "a plain C copies nothing, Ctrl tapped before it or not";
}

// ---- The keyboard alone.

static HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Pixels of a link, as painted now, that are neither its blue nor the face.
static int FocusPixels(HWND link)
{
    RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r = ScreenRectOf(link);
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = GetPixel(screen, x, y);
            if (c != RGB(0, 0, 255) && c != GetSysColor(COLOR_BTNFACE)) ++count;
        }
    ReleaseDC(nullptr, screen);
    return count;
}

class FortuneKeys : public ScratchTest {};

TEST_F(FortuneKeys, ReachEveryLinkScrollCopyAndDrawAgain)
{
    EmptyTheClipboard();
    FortuneWindowRun run(NumberedLines(300));
    HWND w = run.Window(), ok = run.Item(IDOK), settings = run.Item(IDC_SETTINGS_LINK), home = run.Item(IDC_HOME_LINK);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w; })) << "the window must be in front to take keys";

    PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(settings), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(w) == settings; }));
    // Tab goes as the eye reads: OK, "settings", "tolvane", OK.
    const struct { WORD modifier; HWND next; const char* what; } tabs[] = {
        {0, home, "tolvane"}, {0, ok, "OK"}, {0, settings, "settings"}, {VK_SHIFT, ok, "back to OK"},
        {0, settings, "settings again"}};
    for (const auto& t : tabs) {
        t.modifier ? PressKeyWith(t.modifier, VK_TAB) : PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(w) == t.next; }, 5000)) << t.what;
    }
    EXPECT_TRUE(WaitUntil([&] { return FocusPixels(settings) > 0; }, 5000)) << "a focus rectangle on the focused link";
    EXPECT_EQ(FocusPixels(home), 0) << "and on no other";

    // Enter and Space on a link act as a click; the settings dialog's link
    // is a tab stop too.
    for (WORD key : {VK_RETURN, VK_SPACE}) {
        PressKey(key);
        HWND dialog = WaitForDialogWithControl(GetWindowThreadProcessId(w, nullptr), IDC_SOURCE_LIST);
        ASSERT_NE(dialog, nullptr) << "key " << key << " on \"settings\"";
        EXPECT_NE(GetWindowLongA(GetDlgItem(dialog, IDC_MORE_LINK), GWL_STYLE) & WS_TABSTOP, 0);
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitForWindowGone(dialog));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(w) == settings; })) << "the focus comes back to the link";
    }
    EXPECT_FALSE(run.Ended()) << "Enter on a link is no OK";

    // A tall fortune scrolls by lines, pages and to either end.
    HWND control = run.Item(IDC_FORTUNE_TEXT);
    SCROLLINFO info = ScrollOf(control);
    const int line = LineHeightOf(control), page = static_cast<int>(info.nPage), last = LastScrollPosition(info);
    const struct { WORD key; int position; } scrolls[] = {
        {VK_DOWN, line}, {VK_NEXT, line + page}, {VK_UP, page}, {VK_PRIOR, 0}, {VK_END, last}, {VK_HOME, 0}};
    for (const auto& k : scrolls) {
        PressKey(k.key);
        EXPECT_TRUE(WaitUntil([&] { return ScrollOf(control).nPos == k.position; }, 5000))
            << "key " << k.key << ": " << ScrollOf(control).nPos << " for " << k.position;
    }

    PressKeyWith(VK_CONTROL, VK_INSERT);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText().rfind(L"Zeile 1\r\nZeile 2\r\n", 0) == 0; }, 10000))
        << "Ctrl+Insert copies as Ctrl+C does";
    PressKey(VK_F5);
    EXPECT_EQ(run.Result(), 0) << "F5 asks for another fortune";
}

TEST_F(FortuneKeys, BackspaceStepsBackOncePerPressAndNotWithCtrl)
{
    std::memset(RunHistory(), 0, sizeof *RunHistory());
    for (const char* shown : {"Before.", "Now."}) RememberFortune(RunHistory(), shown);
    FortuneWindowRun run("Now.");
    HWND w = run.Window();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w; })) << "the window must be in front to take keys";
    // The Tab after Ctrl+Backspace is taken once the keys before it are.
    HWND focus = FocusOf(w);
    PressKeyWith(VK_CONTROL, VK_BACK);
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(w) != focus && GetParent(FocusOf(w)) == w; }, 5000))
        << "the window should take the Tab";
    EXPECT_FALSE(run.Ended()) << "Ctrl+Backspace is no step back";
    // Backspace held down since the window before: its repeats.
    PostMessageA(FocusOf(w), WM_KEYDOWN, VK_BACK, 0x40000001);
    ASSERT_TRUE(run.Settle()) << "a repeat is no step back: the window went";
    PressKey(VK_BACK);
    EXPECT_EQ(run.Result(), kFortuneWindowBack);
    std::memset(RunHistory(), 0, sizeof *RunHistory());
}

static BOOL CALLBACK NoteMenuWindow(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

TEST_F(FortuneKeys, ShiftF10OpensTheMenuOfWhatTheKeysDo)
{
    const struct { UINT id; const char* text; } items[] = {
        {IDM_COPY, "&Copy\tCtrl+C"}, {IDM_ANOTHER, "&Another fortune\tF5"}, {IDM_BEFORE, "The fortune &before\tBackspace"},
        {IDM_PUT_AWAY, "&Don't show this again\tDel"}, {0, ""}, {IDM_SETTINGS, "&Settings..."}};
    // At the first fortune of the run, and with one before it; each row
    // chooses an item with its letter.
    const struct { int kept; char letter; INT_PTR result; } rows[] = {{1, 'C', 1}, {1, 'A', 0}, {2, 'B', kFortuneWindowBack}};
    std::memset(RunHistory(), 0, sizeof *RunHistory());
    EmptyTheClipboard();
    for (const auto& r : rows) {
        while (RunHistory()->count < r.kept) RememberFortune(RunHistory(), "A fortune.");
        FortuneWindowRun run("A fortune.");
        ASSERT_NE(run.Window(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.Window(); }));
        PressKeyWith(VK_SHIFT, VK_F10);
        HWND popup = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            EnumThreadWindows(GetWindowThreadProcessId(run.Window(), nullptr), NoteMenuWindow, reinterpret_cast<LPARAM>(&popup));
            return popup != nullptr;
        }, 5000)) << "no menu came up";
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
        ASSERT_EQ(GetMenuItemCount(menu), 6);
        for (int i = 0; i < 6; ++i) {
            char text[64] = "";
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            EXPECT_EQ(GetMenuItemID(menu, i), items[i].id) << i;
            EXPECT_STREQ(text, items[i].text) << i;
            UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            if (state & MF_SEPARATOR) continue;
            EXPECT_EQ((state & MF_GRAYED) != 0, items[i].id == IDM_BEFORE && r.kept == 1) << items[i].text << " with " << r.kept;
        }
        PressKey(static_cast<WORD>(r.letter));
        if (r.letter == 'C') {
            EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == L"A fortune."; }, 10000)) << "Copy copies";
            PressKey(VK_ESCAPE);
        }
        EXPECT_EQ(run.Result(), r.result) << r.letter;
    }
    std::memset(RunHistory(), 0, sizeof *RunHistory());
}
