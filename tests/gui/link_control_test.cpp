// The two links of the real fortune window: cursor, paint and click.
#include <windows.h>
#include <objbase.h>

#include <string>

#include <gtest/gtest.h>

#include "core/system_dlls.h"
#include "res/resource_ids.h"
#include "tests/gui/dialog_driver.h"
#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"
#include "controls/program_images.h"

// The hand at the size for this run's DPI, as the links show it.
static HCURSOR LinkCursor()
{
    return LinkCursor(GetModuleHandleA(nullptr), static_cast<UINT>(TestDpi()));
}

static HCURSOR CurrentCursor()
{
    CURSORINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST(LinkCursor, IsAMonochromeHandAtTheSizeForTheDpiWithItsHotSpotAtTheFingertip)
{
    // The system's DPI gives the shared cursor; any other, its own size.
    const struct { UINT dpi; int size; DWORD x, y; } rows[] = {{96, 32, 13, 5}, {144, 48, 19, 7}, {192, 64, 26, 10}};
    for (const auto& r : rows) {
        HCURSOR cursor = LinkCursor(GetModuleHandleA(nullptr), r.dpi);
        ICONINFO info;
        ASSERT_TRUE(cursor != nullptr && GetIconInfo(cursor, &info)) << "cursor 105 at " << r.dpi;
        EXPECT_FALSE(info.fIcon) << "resource 105 should be a cursor, not an icon";
        EXPECT_EQ(info.xHotspot, r.x) << r.dpi;
        EXPECT_EQ(info.yHotspot, r.y) << r.dpi;
        EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: the mask bitmap holds both halves";
        BITMAP mask;
        ASSERT_TRUE(GetObjectA(info.hbmMask, sizeof mask, &mask)) << "error " << GetLastError();
        EXPECT_EQ(mask.bmWidth, r.size) << r.dpi;
        EXPECT_EQ(mask.bmHeight, 2 * r.size) << r.dpi;
        EXPECT_EQ(mask.bmBitsPixel, 1);
        DeleteObject(info.hbmMask);
    }
}

class LinkControl : public ScratchTest {};

TEST_F(LinkControl, HandCursorOverBothLinksAndNotBesideThem)
{
    FortuneWindowRun run("A fortune.");
    ASSERT_NE(run.Window(), nullptr);
    const int links[] = {IDC_HOME_LINK, IDC_SETTINGS_LINK};
    for (int id : links) {
        RECT r = ScreenRectOf(run.Item(id));
        // Just inside the right edge: beyond the end of the label counts too.
        MoveTo(r.right - 1, (r.top + r.bottom) / 2);
        EXPECT_TRUE(WaitUntil([] { return CurrentCursor() == LinkCursor(); }))
            << "link " << id << " shows cursor 105";
        POINT background = BackgroundPointOf(run.Window());
        MoveTo(background.x, background.y);
        EXPECT_TRUE(WaitUntil([] { return CurrentCursor() != LinkCursor(); }))
            << "the background keeps the ordinary cursor";
    }
}

// Pixels of a window as they are on the screen; in *height, the rows from
// the first to the last that hold the colour.
static int CountPixels(const RECT& r, COLORREF colour, int* longestRow, int* height = nullptr)
{
    HDC screen = GetDC(nullptr);
    int count = 0, first = -1, last = -1;
    *longestRow = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        int row = 0;
        for (int x = r.left; x < r.right; ++x) {
            if (GetPixel(screen, x, y) == colour) {
                ++count;
                ++row;
            }
        }
        if (row > *longestRow) *longestRow = row;
        if (row > 0) last = y, first = first < 0 ? y : first;
    }
    if (height != nullptr) *height = last - first + 1;
    ReleaseDC(nullptr, screen);
    return count;
}

static const char kPersonalize[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// The colours the window hands out (WM_CTLCOLOR...: the brush and the text
// colour set on the device context), its background as drawn, and its links
// as drawn: blue (light blue when dark), underlined, on the background.
static void ExpectColours(FortuneWindowRun& run, bool dark, const char* what)
{
    const COLORREF face = dark ? RGB(32, 32, 32) : GetSysColor(COLOR_BTNFACE);
    const COLORREF text = dark ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF blue = dark ? RGB(102, 179, 255) : RGB(0, 0, 255);
    HDC dc = CreateCompatibleDC(nullptr);
    for (UINT message : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN}) {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(1, 2, 3));
        LOGBRUSH brush = {};
        GetObjectA(reinterpret_cast<HBRUSH>(SendMessageA(run.Window(), message, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(run.Item(IDC_FORTUNE_TEXT)))),
                   sizeof brush, &brush);
        EXPECT_EQ(brush.lbColor, face) << what << ", brush for message " << message;
        EXPECT_EQ(GetTextColor(dc), text) << what << ", text for message " << message;
        // The plain text control fills its letters' cells with it.
        EXPECT_EQ(GetBkColor(dc), face) << what << ", text background for message " << message;
    }
    DeleteDC(dc);
    POINT background = BackgroundPointOf(run.Window());
    EXPECT_TRUE(WaitUntil([&] {
        HDC screen = GetDC(nullptr);
        COLORREF drawn = GetPixel(screen, background.x, background.y);
        ReleaseDC(nullptr, screen);
        return drawn == face;
    })) << what << ": the background as drawn";
    for (int id : {IDC_HOME_LINK, IDC_SETTINGS_LINK}) {
        HWND link = run.Item(id);
        // Paint again, twice: a font is made and deleted at every paint.
        for (int i = 0; i < 2; ++i) RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT r = ScreenRectOf(link);
        int longestRow = 0, height = 0;
        EXPECT_TRUE(WaitUntil([&] { return CountPixels(r, blue, &longestRow, &height) > 20; }))
            << what << ": link " << id << " has too few pixels of its blue";
        // From the tallest letter to the underline of an 8-point font: 6 to
        // 8 points at the DPI of the run, so twice as tall at twice the DPI.
        EXPECT_GE(height * 72, 6 * TestDpi()) << what << ", link " << id;
        EXPECT_LE(height * 72, 8 * TestDpi()) << what << ", link " << id;
        // The underline is one unbroken row under most of the label.
        EXPECT_GE(longestRow, 20) << what << ": link " << id << " is not underlined";
        // On the background, the label's cells too: no pixel of the other face.
        int unused = 0;
        EXPECT_GT(CountPixels(r, face, &unused), 0) << what << ": background of link " << id;
        EXPECT_EQ(CountPixels(r, dark ? GetSysColor(COLOR_BTNFACE) : RGB(32, 32, 32), &unused), 0)
            << what << ": the other face in link " << id;
    }
}

// Dark only when the user's value for apps is a DWORD 0; light when it is
// 1, missing, or a 0 of another type.
TEST_F(LinkControl, DrawsBlueUnderlinedOnTheButtonFaceOrLightBlueOnDark)
{
    const struct { const char* what; DWORD type; std::string value; bool dark; } rows[] = {
        {"light", REG_DWORD, std::string("\1\0\0\0", 4), false}, {"dark", REG_DWORD, std::string(4, '\0'), true},
        {"missing", REG_NONE, "", false}, {"a binary 0", REG_BINARY, std::string(4, '\0'), false}};
    for (const auto& r : rows) {
        DeleteKeyTree(HKEY_CURRENT_USER, kPersonalize);
        if (r.type != REG_NONE) SetRawValue(kPersonalize, "AppsUseLightTheme", r.type, r.value);
        FortuneWindowRun run("A fortune.");
        ASSERT_NE(run.Window(), nullptr) << r.what;
        ExpectColours(run, r.dark, r.what);
    }
}

// Frame changes asked of the window being watched, on its own thread.
static HWND watched;
static volatile LONG frameChanges;

static LRESULT CALLBACK CountFrameChanges(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == watched && sent->message == WM_WINDOWPOSCHANGING &&
        (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_FRAMECHANGED) != 0)
        InterlockedIncrement(&frameChanges);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Told of a change of the apps' colours or of high contrast, the window
// reads the choice afresh; each switch has its frame (the caption) drawn
// anew, which Windows 10 needs and Wine cannot show.
TEST_F(LinkControl, FollowsTheUsersChoiceWhileOpen)
{
    SetDwordValue(kPersonalize, "AppsUseLightTheme", 1);
    FortuneWindowRun run("A fortune.");
    ASSERT_NE(run.Window(), nullptr);
    watched = run.Window();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountFrameChanges, nullptr,
                                   GetWindowThreadProcessId(run.Window(), nullptr));
    const struct { DWORD light; WPARAM what; const char* area; const char* row; } rows[] = {
        {0, 0, "ImmersiveColorSet", "turned dark"}, {1, SPI_SETHIGHCONTRAST, nullptr, "back to light, told as high contrast"}};
    for (const auto& r : rows) {
        SetDwordValue(kPersonalize, "AppsUseLightTheme", r.light);
        frameChanges = 0;
        SendMessageA(run.Window(), WM_SETTINGCHANGE, r.what, reinterpret_cast<LPARAM>(r.area));
        ExpectColours(run, r.light == 0, r.row);
        EXPECT_EQ(frameChanges, 1) << r.row;
    }
    UnhookWindowsHookEx(hook);
}

class LinkClick : public ScratchTest {};

TEST_F(LinkClick, OpensTheLabelThroughTheShellShownAndLeavesTheWindowOpen)
{
    FortuneWindowRun run("A fortune.");
    ASSERT_NE(run.Window(), nullptr);
    // A label that is no link of the program's own goes to the shell; this
    // one names a program that reports how it was asked to show itself.
    HWND link = run.Item(IDC_HOME_LINK);
    std::string probe = BuildFolder() + "\\show_probe.exe";
    ASSERT_TRUE(FileExists(probe)) << "expected the file " << probe;
    SetWindowTextA(link, probe.c_str());
    RECT r = ScreenRectOf(link);
    ClickAt(r.left + 2, (r.top + r.bottom) / 2);
    std::string shown = folder_.File("shown.txt");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(shown); }, 30000)) << "the shell did not start the program";
    EXPECT_EQ(ReadWholeFile(shown), "1 1") << "started with SW_SHOWNORMAL (flag, show command)";
    EXPECT_FALSE(run.Ended()) << "a press on a link does not end the window";
    SendMessageA(run.Window(), WM_NULL, 0, 0);
    EXPECT_FALSE(run.Ended()) << "the window should still be open";
    EXPECT_STREQ(run.Buffer(), "A fortune.");
}

// The shell may hand an open request to extensions that need COM, so the
// thread that opens a link joins a single-threaded apartment first (ole32 is
// loaded then, not at start-up).
struct ShellCall {
    std::string file;
    INT_PTR result;
    HRESULT multiThreaded;  // what asking for the multi-threaded apartment gave afterwards
};

static DWORD WINAPI OpenOnThread(LPVOID parameter)
{
    ShellCall* call = static_cast<ShellCall*>(parameter);
    // Twice: a second open must not take the thread out of its apartment.
    for (int i = 0; i < 2; ++i)
        call->result = reinterpret_cast<INT_PTR>(OpenWithShell(nullptr, "open", call->file.c_str(), SW_SHOWNORMAL));
    call->multiThreaded = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(call->multiThreaded)) CoUninitialize();
    return 0;
}

TEST_F(LinkClick, TheThreadThatOpensALinkIsInASingleThreadedApartment)
{
    ShellCall call = {BuildFolder() + "\\show_probe.exe", 0, S_OK};
    ASSERT_TRUE(FileExists(call.file)) << "expected the file " << call.file;
    HANDLE thread = CreateThread(nullptr, 0, OpenOnThread, &call, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_GT(call.result, 32) << "expected the shell to start the program";
    EXPECT_EQ(call.multiThreaded, RPC_E_CHANGED_MODE)
        << "expected the thread already in a single-threaded apartment (0x" << std::hex << call.multiThreaded << ")";
    EXPECT_TRUE(WaitUntil([&] { return FileExists(folder_.File("shown.txt")); }, 30000)) << "expected the program to run";
}

static BOOL CALLBACK FindOwned(HWND window, LPARAM param)
{
    HWND* owner = reinterpret_cast<HWND*>(param);
    if (window != owner[0] && GetWindow(window, GW_OWNER) == owner[0] && IsWindowVisible(window)) {
        owner[1] = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(LinkClick, SettingsOpensTheSettingsDialogOwnedByTheWindow)
{
    FortuneWindowRun run("Same fortune before and after.");
    ASSERT_NE(run.Window(), nullptr);
    RECT r = ScreenRectOf(run.Item(IDC_SETTINGS_LINK));
    ClickAt(r.left + 2, (r.top + r.bottom) / 2);
    HMODULE module = GetModuleHandleA(nullptr);
    bool haveSettings = FindResourceA(module, MAKEINTRESOURCEA(IDD_SETTINGS),
                                      reinterpret_cast<LPCSTR>(RT_DIALOG)) != nullptr;
    if (haveSettings) {
        HWND pair[2] = {run.Window(), nullptr};
        DWORD thread = GetWindowThreadProcessId(run.Window(), nullptr);
        ASSERT_TRUE(WaitUntil([&] {
            EnumThreadWindows(thread, FindOwned, reinterpret_cast<LPARAM>(pair));
            return pair[1] != nullptr;
        })) << "no dialog owned by the fortune window appeared";
        EXPECT_FALSE(IsWindowEnabled(run.Window())) << "the owner is disabled while it is up";
        PostMessageA(pair[1], WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(pair[1]); })) << "the settings dialog did not close";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(run.Window()) != FALSE; })) << "the fortune window should be enabled again";
    }
    // Whether or not it could open, the fortune window stays as it was.
    SendMessageA(run.Window(), WM_NULL, 0, 0);
    EXPECT_FALSE(run.Ended()) << "the window should still be open";
    char text[64];
    GetDlgItemTextA(run.Window(), IDC_FORTUNE_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Same fortune before and after.");
}
