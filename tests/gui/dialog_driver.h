// Runs a real dialog of the program on a thread of its own and drives it from
// the test's thread with real mouse and keyboard input, as a person would.
#ifndef MERROWIND_TESTS_DIALOG_DRIVER_H
#define MERROWIND_TESTS_DIALOG_DRIVER_H

#include <windows.h>

#include <string>

#include "tests/support/input.h"

// The fortune window (template 102) on its own thread, with a text buffer of
// 4100 bytes that the test can look at after the window has rewritten it.
class FortuneWindowRun {
public:
    explicit FortuneWindowRun(const std::string& text);
    ~FortuneWindowRun();  // ends a window that is still open

    HWND Window() const { return window_; }  // null if none appeared
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    const char* Buffer() const { return buffer_; }
    bool Ended() const;
    // Waits for the window to end and gives its result; -2 on timeout.
    INT_PTR Result(DWORD timeoutMs = 10000);

private:
    static DWORD WINAPI Thread(void* self);
    char* buffer_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    volatile LONG done_ = 0;
    INT_PTR result_ = -3;
};

// Converts dialog units of the window to pixels, as the dialog manager does.
int HorizontalUnits(HWND dialog, int units);
int VerticalUnits(HWND dialog, int units);

// A control's rectangle in its parent's client coordinates.
RECT ClientRectOf(HWND control);
RECT ScreenRectOf(HWND window);

#endif
