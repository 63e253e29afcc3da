// Driving real dialogs from a test: the dialog runs modally on a thread of
// its own while the test's thread finds its windows, reads them and presses
// their controls. Every wait polls with a generous timeout.
#ifndef MERROWIND_TESTS_GUI_DRIVER_H
#define MERROWIND_TESTS_GUI_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/input.h"

const DWORD kGuiTimeoutMs = 30000;


// Runs DialogBoxParamA on its own thread with no owner.
class ModalDialogThread {
public:
    ModalDialogThread(int templateId, DLGPROC procedure, LPARAM parameter);
    // Closes whatever the thread still shows (a failed test) and waits for it.
    ~ModalDialogThread();
    ModalDialogThread(const ModalDialogThread&) = delete;
    ModalDialogThread& operator=(const ModalDialogThread&) = delete;

    DWORD ThreadId() const { return threadId_; }
    // Waits for the dialog to end; false at the timeout.
    bool WaitForEnd(DWORD timeoutMs = kGuiTimeoutMs);
    bool Ended() const;
    INT_PTR Result() const { return result_; }

    // Messages the dialog's thread has taken from its queue are seen through
    // a hook. Barrier: returns once every message posted to the window before
    // it has been handled (also by a nested modal loop).
    bool Barrier(HWND window);
    // Holds the dialog's thread inside its message loop until Release; posted
    // messages queue up meanwhile.
    bool Hold(HWND window);
    void Release();

private:
    static DWORD WINAPI Run(LPVOID self);
    int templateId_;
    DLGPROC procedure_;
    LPARAM parameter_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    INT_PTR result_ = -2;
    HHOOK hook_ = nullptr;
};

// A visible dialog of the thread that holds a control with this id.
HWND FindDialogWithControl(DWORD threadId, int controlId);
HWND WaitForDialogWithControl(DWORD threadId, int controlId);
bool WaitForWindowGone(HWND window);

// What a message box showed.
struct MessageBoxSeen {
    bool found = false;
    std::string caption;
    std::string text;
    bool errorIcon = false;
    bool iconShown = false;  // some icon: another process's icon handles are its own
    bool onlyOk = false;  // OK is the one visible button
    bool onlyYesNo = false;
};
// Waits for a message box of the thread (a dialog captioned "Merrowind"),
// reads it, presses its OK button and waits until it has gone.
MessageBoxSeen CloseMessageBox(DWORD threadId);
// The same, answered with the given button (IDYES, IDNO ...).
MessageBoxSeen AnswerMessageBox(DWORD threadId, int button);
// The box was seen and was one of the program's error boxes: caption
// "Merrowind", the error icon, OK alone, and this text.
void ExpectErrorBox(const MessageBoxSeen& seen, const std::string& text);
// A visible message box of the thread, if one is up now.
HWND FindMessageBox(DWORD threadId);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
// Posts a button's command, as a click on it does.
void Press(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);

// List view rows, read from the test's thread.
int ListRowCount(HWND list);
std::string ListCellText(HWND list, int row, int column);
UINT ListRowState(HWND list, int row, UINT mask);
int ListRowNamed(HWND list, const std::string& name);
// Posts a mouse click (or a double click) on a row's first column, clear of
// its check box.
void ClickListRow(HWND list, int row, bool doubleClick = false);
// Posts a click on a row's check box.
void ClickListCheckBox(HWND list, int row);

#endif
