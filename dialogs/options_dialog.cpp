#include "dialogs/options_dialog.h"

#include "controls/dialog_support.h"
#include "controls/program_images.h"
#include "cookies/put_away.h"
#include "core/draw_store.h"
#include "core/sign_in.h"
#include "core/system_dlls.h"
#include "res/resource_ids.h"

// What the dialog opened with, and whether Bring back was pressed: the
// sign-in value is written only when its box changed (a copy of the program
// elsewhere, a zip, must not take over the installer's value unasked), and
// the put-away file goes only on OK.
struct OptionsState {
    int signedIn;
    int bringBack;
};

static void ShowPutAwayCount(HWND dialog, uint32_t count)
{
    char line[64];
    wsprintfA(line, count == 1 ? "%lu fortune put away" : "%lu fortunes put away", static_cast<unsigned long>(count));
    SetDlgItemTextA(dialog, IDC_PUT_AWAY_COUNT, line);
    EnableWindow(GetDlgItem(dialog, IDC_BRING_BACK), count != 0);
}

static void Check(HWND dialog, int id, int on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

static int IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

static void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    SetProgramIcons(dialog, WindowDpi(dialog));
    OptionsState* state = static_cast<OptionsState*>(LocalAlloc(LPTR, sizeof(OptionsState)));
    if (state == nullptr) {
        EndDialog(dialog, 0);
        return;
    }
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->signedIn = StartsAtSignIn();
    Check(dialog, IDC_NO_REPEATS, !ReadDrawOption(kRepeatsOption));
    Check(dialog, IDC_ONE_A_DAY, ReadDrawOption(kOneADayOption));
    Check(dialog, IDC_SIGN_IN, state->signedIn);
    ShowPutAwayCount(dialog, CountPutAway());
}

static void OnOk(HWND dialog, OptionsState* state)
{
    WriteDrawOption(kRepeatsOption, !IsChecked(dialog, IDC_NO_REPEATS));
    WriteDrawOption(kOneADayOption, IsChecked(dialog, IDC_ONE_A_DAY));
    int signIn = IsChecked(dialog, IDC_SIGN_IN);
    if (signIn != state->signedIn && !SetStartAtSignIn(signIn)) {
        ShowErrorBox(dialog, "The start at sign-in could not be changed.");
        return;
    }
    if (state->bringBack) BringBackAll();
    EndDialog(dialog, 1);
}

static void OnCommand(HWND dialog, WPARAM wParam)
{
    OptionsState* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (state == nullptr) return;
    switch (LOWORD(wParam)) {
    case IDC_BRING_BACK:
        state->bringBack = 1;
        ShowPutAwayCount(dialog, 0);
        // The button goes grey with the focus on it: the focus moves on.
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        break;
    case IDOK:
        OnOk(dialog, state);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        break;
    case WM_DPICHANGED: {
        // The dialog manager rescales the controls; the frame goes where
        // Windows suggests, as it asks.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        SetProgramIcons(dialog, LOWORD(wParam));
        break;
    }
    case WM_DESTROY: {
        HLOCAL state = reinterpret_cast<HLOCAL>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        if (state != nullptr) LocalFree(state);
        break;
    }
    default:
        break;
    }
    return 0;
}
