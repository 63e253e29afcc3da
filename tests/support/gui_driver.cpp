#include "tests/support/gui_driver.h"

#include <commctrl.h>

#include <vector>

#include <gtest/gtest.h>

#include "core/product.h"

// The hook runs on the dialog's thread; the events are shared with the test.
static UINT g_barrierMessage = 0;
static UINT g_holdMessage = 0;
static HANDLE g_barrierReached = nullptr;
static HANDLE g_held = nullptr;
static HANDLE g_release = nullptr;

static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (message->message == g_barrierMessage) {
            SetEvent(g_barrierReached);
        } else if (message->message == g_holdMessage) {
            SetEvent(g_held);
            WaitForSingleObject(g_release, kGuiTimeoutMs);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ModalDialogThread::ModalDialogThread(int templateId, DLGPROC procedure, LPARAM parameter)
    : templateId_(templateId), procedure_(procedure), parameter_(parameter)
{
    if (g_barrierMessage == 0) {
        g_barrierMessage = RegisterWindowMessageA("MerrowindTestBarrier");
        g_holdMessage = RegisterWindowMessageA("MerrowindTestHold");
        g_barrierReached = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        g_held = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ResetEvent(g_release);
    thread_ = CreateThread(nullptr, 0, Run, this, CREATE_SUSPENDED, &threadId_);
    if (thread_ == nullptr) return;
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, threadId_);
    ResumeThread(thread_);
}

DWORD WINAPI ModalDialogThread::Run(LPVOID self)
{
    ModalDialogThread* me = static_cast<ModalDialogThread*>(self);
    me->result_ = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(me->templateId_), nullptr,
                                  me->procedure_, me->parameter_);
    return 0;
}

static BOOL CALLBACK CloseOne(HWND window, LPARAM)
{
    if (!IsWindowVisible(window)) return TRUE;
    int id = WindowText(window) == kProgramCaption ? IDOK : IDCANCEL;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return TRUE;
}

ModalDialogThread::~ModalDialogThread()
{
    if (thread_ == nullptr) return;
    Release();
    DWORD start = GetTickCount();
    while (WaitForSingleObject(thread_, 100) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > kGuiTimeoutMs) {
            TerminateThread(thread_, 1);
            break;
        }
        EnumThreadWindows(threadId_, CloseOne, 0);
    }
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    CloseHandle(thread_);
}

bool ModalDialogThread::WaitForEnd(DWORD timeoutMs)
{
    return thread_ != nullptr && WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0;
}

bool ModalDialogThread::Ended() const
{
    return thread_ != nullptr && WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
}

bool ModalDialogThread::Barrier(HWND window)
{
    ResetEvent(g_barrierReached);
    if (!PostMessageA(window, g_barrierMessage, 0, 0)) return false;
    return WaitForSingleObject(g_barrierReached, kGuiTimeoutMs) == WAIT_OBJECT_0;
}

bool ModalDialogThread::Hold(HWND window)
{
    ResetEvent(g_release);
    ResetEvent(g_held);
    if (!PostMessageA(window, g_holdMessage, 0, 0)) return false;
    return WaitForSingleObject(g_held, kGuiTimeoutMs) == WAIT_OBJECT_0;
}

void ModalDialogThread::Release()
{
    if (g_release != nullptr) SetEvent(g_release);
}

namespace {
struct Search {
    int controlId;
    HWND found;
};
}  // namespace

static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    if (IsWindowVisible(window) && GetDlgItem(window, search->controlId) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialogWithControl(DWORD threadId, int controlId)
{
    Search search = {controlId, nullptr};
    EnumThreadWindows(threadId, MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialogWithControl(DWORD threadId, int controlId)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialogWithControl(threadId, controlId)) != nullptr; });
    return found;
}

bool WaitForWindowGone(HWND window)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

static BOOL CALLBACK MatchMessageBox(HWND window, LPARAM lParam)
{
    char className[32];
    GetClassNameA(window, className, sizeof className);
    if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0 && WindowText(window) == kProgramCaption) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMessageBox(DWORD threadId)
{
    HWND found = nullptr;
    EnumThreadWindows(threadId, MatchMessageBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

namespace {
struct BoxParts {
    HICON icon = nullptr;
    int visibleButtons = 0;
    bool okVisible = false;
    int yesNoVisible = 0;
};
}  // namespace

static BOOL CALLBACK CollectBoxParts(HWND child, LPARAM lParam)
{
    BoxParts* parts = reinterpret_cast<BoxParts*>(lParam);
    char className[32];
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        parts->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    } else if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) {
        ++parts->visibleButtons;
        if (GetDlgCtrlID(child) == IDOK) parts->okVisible = true;
        if (GetDlgCtrlID(child) == IDYES || GetDlgCtrlID(child) == IDNO) ++parts->yesNoVisible;
    }
    return TRUE;
}

MessageBoxSeen CloseMessageBox(DWORD threadId)
{
    return AnswerMessageBox(threadId, IDOK);
}

MessageBoxSeen AnswerMessageBox(DWORD threadId, int button)
{
    MessageBoxSeen seen;
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindMessageBox(threadId)) != nullptr; })) return seen;
    seen.found = true;
    seen.caption = WindowText(box);
    seen.text = ItemText(box, 0xFFFF);
    BoxParts parts;
    EnumChildWindows(box, CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
    seen.errorIcon = parts.icon != nullptr && parts.icon == LoadIconA(nullptr, MAKEINTRESOURCEA(32513));
    seen.iconShown = parts.icon != nullptr;
    seen.onlyOk = parts.okVisible && parts.visibleButtons == 1;
    seen.onlyYesNo = parts.yesNoVisible == 2 && parts.visibleButtons == 2;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(box); });
    return seen;
}

void ExpectErrorBox(const MessageBoxSeen& seen, const std::string& text)
{
    ASSERT_TRUE(seen.found) << "expected a message box saying \"" << text << "\"";
    EXPECT_EQ(seen.caption, "Merrowind");
    EXPECT_EQ(seen.text, text);
    EXPECT_TRUE(seen.errorIcon) << "the message box should show the error icon";
    EXPECT_TRUE(seen.onlyOk) << "the message box should have OK as its only button";
}

std::string WindowText(HWND window)
{
    char text[1024];
    int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024];
    UINT n = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, n);
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetItemText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

int ListRowCount(HWND list)
{
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListCellText(HWND list, int row, int column)
{
    char text[1024] = {};
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    return std::string(text, n > 0 ? n : 0);
}

UINT ListRowState(HWND list, int row, UINT mask)
{
    return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, mask));
}

int ListRowNamed(HWND list, const std::string& name)
{
    int rows = ListRowCount(list);
    for (int i = 0; i < rows; ++i)
        if (ListCellText(list, i, 0) == name) return i;
    return -1;
}

static RECT RowRect(HWND list, int row, int part)
{
    RECT rect;
    ZeroMemory(&rect, sizeof rect);
    rect.left = part;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

static void PostClick(HWND list, int x, int y, bool doubleClick)
{
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(list, WM_MOUSEMOVE, 0, at);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
}

void ClickListRow(HWND list, int row, bool doubleClick)
{
    RECT label = RowRect(list, row, LVIR_LABEL);
    PostClick(list, label.left + 6, (label.top + label.bottom) / 2, doubleClick);
}

void ClickListCheckBox(HWND list, int row)
{
    RECT bounds = RowRect(list, row, LVIR_BOUNDS);
    int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.right; ++x) {
        LVHITTESTINFO hit;
        ZeroMemory(&hit, sizeof hit);
        hit.pt.x = x;
        hit.pt.y = y;
        if (SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
            (hit.flags & LVHT_ONITEMSTATEICON)) {
            PostClick(list, x + 3, y, false);
            return;
        }
    }
}
