// The real fortune window, made from template 102 of the test program's own
// resources, on the test display.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/product.h"
#include "res/resource_ids.h"
#include "tests/gui/dialog_driver.h"
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

    // The text control is as wide as the widest line in the default GUI font,
    // plus 4 pixels.
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    std::string wrapped = Wrapped(kLongFortune);
    int widest = 0;
    size_t start = 0;
    while (start <= wrapped.size()) {
        size_t end = wrapped.find('\n', start);
        if (end == std::string::npos) end = wrapped.size();
        DWORD extent = GetTabbedTextExtentA(dc, wrapped.c_str() + start, static_cast<int>(end - start), 0, nullptr);
        if (static_cast<int>(LOWORD(extent)) > widest) widest = LOWORD(extent);
        start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    EXPECT_EQ(text.right - text.left, widest + 4);

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

TEST(FortuneWindow, TallFortuneReachesPastTheScreen)
{
    std::string text;
    for (int i = 0; i < 150; ++i) text += "Line of a very long fortune\n";
    FortuneWindowRun run(text);
    HWND w = run.Window();
    ASSERT_NE(w, nullptr);
    SIZE size = OuterSize(w);
    ASSERT_GT(size.cy, GetSystemMetrics(SM_CYSCREEN));
    RECT outer = ScreenRectOf(w);
    EXPECT_LT(outer.top, 0);
    EXPECT_EQ(outer.top, GetSystemMetrics(SM_CYSCREEN) / 2 - size.cy / 2) << "not clamped";
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
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.Window(); }));
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
    EXPECT_FALSE(run.Ended());
    SendMessageA(run.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(run.Result(), 1);
}
