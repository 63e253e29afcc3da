#include "tests/gui/dialog_driver.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include "core/product.h"
#include "core/system_dlls.h"
#include "res/resource_ids.h"
#include "window/fortune_window.h"

static std::vector<char> InitialBuffer(const std::string& text)
{
    std::vector<char> buffer(kTextBufferSize, '\0');
    lstrcpynA(buffer.data(), text.c_str(), kTextBufferSize);
    return buffer;
}

FortuneWindowRun::FortuneWindowRun(const std::string& text)
    : buffer_(InitialBuffer(text)),
      run_(IDD_FORTUNE, FortuneDialogProc, reinterpret_cast<LPARAM>(buffer_.data()))
{
    WaitUntil([this] {
        window_ = FindDialogWithControl(run_.ThreadId(), IDC_FORTUNE_TEXT);
        return window_ != nullptr || Ended();
    });
    // Let the window finish showing and painting before it is driven, and
    // come to the front: before that, the display may not have it yet, and
    // a click would fall through to the desktop.
    if (window_) {
        SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
        WaitUntil([this] { return GetForegroundWindow() == window_ || Ended(); });
    }
}

int HorizontalUnits(HWND dialog, int units)
{
    RECT r = {0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}

int VerticalUnits(HWND dialog, int units)
{
    RECT r = {0, 0, 0, units};
    MapDialogRect(dialog, &r);
    return r.bottom;
}

RECT ClientRectOf(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ScreenRectOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

int TestDpi()
{
    const char* dpi = getenv("MERROWIND_TEST_DPI");
    if (dpi != nullptr) return atoi(dpi);
    HDC screen = GetDC(nullptr);
    int system = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return system;
}

void ExpectProgramIcons(HWND window, int dpi)
{
    const struct { WPARAM which; int metric; } icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    for (const auto& icon : icons) {
        HICON handle = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, icon.which, 0));
        ICONINFO info;
        ASSERT_TRUE(handle != nullptr && GetIconInfo(handle, &info)) << "no icon " << icon.which;
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, SystemMetricForDpi(icon.metric, static_cast<UINT>(dpi))) << "icon " << icon.which;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}
