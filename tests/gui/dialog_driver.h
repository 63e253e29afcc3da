// Runs a real dialog of the program on a thread of its own and drives it from
// the test's thread with real mouse and keyboard input, as a person would.
#ifndef MERROWIND_TESTS_DIALOG_DRIVER_H
#define MERROWIND_TESTS_DIALOG_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/gui_driver.h"

// The fortune window (template 102) run by a ModalDialogThread, with a text
// buffer of 4100 bytes that the test can look at after the window has
// rewritten it.
class FortuneWindowRun {
public:
    explicit FortuneWindowRun(const std::string& text);

    HWND Window() const { return window_; }  // null if none appeared
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    const char* Buffer() const { return buffer_.data(); }
    bool Ended() const { return run_.Ended(); }
    // Returns once the window has handled every message posted to it before.
    bool Settle() { return run_.Barrier(window_); }
    // Waits for the window to end and gives its result; -2 on timeout.
    INT_PTR Result(DWORD timeoutMs = 10000) { return run_.WaitForEnd(timeoutMs) ? run_.Result() : -2; }

private:
    // Destroyed after the thread, which ends a window that is still open.
    std::vector<char> buffer_;
    ModalDialogThread run_;
    HWND window_ = nullptr;
};

// Converts dialog units of the window to pixels, as the dialog manager does.
int HorizontalUnits(HWND dialog, int units);
int VerticalUnits(HWND dialog, int units);

// The DPI this run of the tests is for: MERROWIND_TEST_DPI (set by the run in
// a Wine prefix of another scale, to check that the prefix took it), else
// the system's.
int TestDpi();
// The window carries the program's icon, big and small, at the system's
// sizes for the DPI.
void ExpectProgramIcons(HWND window, int dpi);

// A control's rectangle in its parent's client coordinates.
RECT ClientRectOf(HWND control);
RECT ScreenRectOf(HWND window);

#endif
