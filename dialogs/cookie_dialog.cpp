#include "dialogs/cookie_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <stddef.h>

#include <new>

#include "core/ansi_path.h"
#include "core/source_record.h"
#include "core/system_dlls.h"
#include "controls/accessible_name.h"
#include "dialogs/dialog_rules.h"
#include "controls/dialog_support.h"
#include "controls/program_images.h"
#include "cookies/indexer.h"
#include "res/resource_ids.h"

static const UINT_PTR kProgressTimer = 1;
static const UINT kProgressPeriodMs = 250;
static const DWORD kCancelPollMs = 100;

// Name and path are read with these limits, terminator included, so at most
// 254 and 258 characters: one short of the fields, and meant so.
static const int kNameReadLimit = 255;
static const int kPathReadLimit = 259;

// One entry, then the list's closing zero (the literal adds the last one).
static const wchar_t kAllFilesFilter[] = L"All Files (*.*)\0*.*\0";

// The Open request in its older form, without the fields Windows 2000 added.
static const DWORD kOpenRequestSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
#ifndef _WIN64
static_assert(kOpenRequestSize == 76, "the Open request is 76 bytes on 32-bit Windows");
#endif

static IndexJob* JobOf(HWND dialog)
{
    return reinterpret_cast<IndexJob*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

static void ShowProgress(HWND dialog, bool shown)
{
    ShowWindow(GetDlgItem(dialog, IDC_PROGRESS), shown ? SW_SHOW : SW_HIDE);
}

// While a worker indexes, the entries it was started with stay as they are,
// and no Open dialog can come up to outlive this one: OK, Browse and both
// edits are off, and the progress bar shows.
static void AllowEditing(HWND dialog, bool allowed)
{
    const int controls[] = {IDOK, IDC_BROWSE, IDC_COOKIE_NAME, IDC_COOKIE_PATH};
    for (int id : controls) EnableWindow(GetDlgItem(dialog, id), allowed ? TRUE : FALSE);
    ShowProgress(dialog, !allowed);
}

static bool PathExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A pasted path loses its surrounding blanks and quotes ("Copy as path"
// quotes it), and a relative one is made absolute, so that the stored path
// never depends on the folder the program happens to run in. Returns the
// path's length.
static UINT CleanPath(char (&path)[kPathFieldSize])
{
    size_t length = TrimPastedPath(path);
    if (length == 0) return 0;
    char full[MAX_PATH];
    DWORD fullLength = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    // A path too long for the field keeps the form the user gave.
    if (fullLength == 0 || fullLength >= static_cast<DWORD>(kPathReadLimit)) return static_cast<UINT>(length);
    lstrcpynA(path, full, kPathFieldSize);
    return fullLength;
}

// The names the owner's rows claim, or else those of the catalogue.
static const TakenIndexNames* TakenNames(HWND dialog)
{
    const TakenIndexNames* taken = &kCatalogueIndexNames;
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner != nullptr) SendMessageA(owner, kAskTakenIndexNames, 0, reinterpret_cast<LPARAM>(&taken));
    return taken;
}

// The worker has ended: its handle is done with, and the dialog is back to
// having no worker.
static void ForgetWorker(HWND dialog, IndexJob* job)
{
    KillTimer(dialog, kProgressTimer);
    CloseHandle(job->thread);
    job->thread = nullptr;
}

static void OnInitDialog(HWND dialog, LPARAM lParam)
{
    CentreDialog(dialog);
    void* memory = LocalAlloc(LPTR, sizeof(IndexJob));
    if (memory == nullptr) {
        EndDialog(dialog, 0);
        return;
    }
    IndexJob* job = new (memory) IndexJob();
    job->record = reinterpret_cast<SourceRecord*>(lParam);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(job));

    SourceRecord* record = job->record;
    SetWindowTextA(dialog, CookieFileCaption(FieldLength(record->name, sizeof record->name)));
    char name[kNameFieldSize + 1];
    FieldString(record->name, name);
    SetDlgItemTextA(dialog, IDC_COOKIE_NAME, name);
    char path[kPathFieldSize + 1];
    FieldString(record->cookiePath, path);
    SetDlgItemTextA(dialog, IDC_COOKIE_PATH, path);
    ShowProgress(dialog, false);
    NameForScreenReaders(GetDlgItem(dialog, IDC_BROWSE), L"Browse");
    // Its caption and Alt+Tab carry the program's icon, as the settings do.
    SetProgramIcons(dialog, WindowDpi(dialog));
}

// Checks the entries and, when they pass, starts indexing on a worker thread.
static void OnOk(HWND dialog, IndexJob* job)
{
    if (job->thread != nullptr) return;
    SourceRecord* record = job->record;
    UINT nameLength = GetDlgItemTextA(dialog, IDC_COOKIE_NAME, record->name, kNameReadLimit);
    UINT pathLength = 0;
    if (nameLength > 0) {
        GetDlgItemTextA(dialog, IDC_COOKIE_PATH, record->cookiePath, kPathReadLimit);
        pathLength = CleanPath(record->cookiePath);
    }
    const char* problem = FirstEntryProblem(nameLength, pathLength, PathExists, record->cookiePath);
    if (problem != nullptr) {
        ShowErrorBox(dialog, problem);
        return;
    }

    job->progress = 0;
    job->cancel = 0;
    job->taken = TakenNames(dialog);
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    AllowEditing(dialog, false);
    if (SetTimer(dialog, kProgressTimer, kProgressPeriodMs, nullptr) == 0) {
        EndDialog(dialog, 0);
        return;
    }
    HANDLE thread = CreateThread(nullptr, 0, IndexCookieFile, job, 0, nullptr);
    if (thread == nullptr) {
        KillTimer(dialog, kProgressTimer);
        EndDialog(dialog, 0);
        return;
    }
    job->thread = thread;
}

// Asks the worker to stop and waits for it on this thread: the dialog never
// ends while its worker runs. A run that had already succeeded is undone, so
// a cancelled Add or Edit leaves no index file behind.
static void OnCancel(HWND dialog, IndexJob* job)
{
    if (job->thread == nullptr) {
        EndDialog(dialog, 0);
        return;
    }
    job->cancel = 1;
    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
    DWORD code = STILL_ACTIVE;
    do {
        GetExitCodeThread(job->thread, &code);
        Sleep(kCancelPollMs);
    } while (code == STILL_ACTIVE);
    ForgetWorker(dialog, job);
    if (code == 0) {
        char indexPath[kPathFieldSize + 1];
        FieldString(job->record->indexPath, indexPath);
        DeleteFileA(indexPath);
    }
    EndDialog(dialog, 0);
}

// The wide Open dialog, so that a file whose path has letters outside the
// ANSI code page comes back as its short form rather than as "?" letters.
// The current folder stays where it is: "Fortune.txt" and a relative output
// file are looked up there for the rest of the run.
static void OnBrowse(HWND dialog, IndexJob* job)
{
    if (job->thread != nullptr) return;
    // The Open dialog refuses a start name in quotes: it starts from the path
    // as OK takes it.
    char start[kPathFieldSize] = {};
    GetDlgItemTextA(dialog, IDC_COOKIE_PATH, start, kPathReadLimit);
    TrimPastedPath(start);
    wchar_t file[kPathFieldSize] = {};
    if (MultiByteToWideChar(CP_ACP, 0, start, -1, file, kPathReadLimit) == 0) file[0] = L'\0';
    OPENFILENAMEW request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = kOpenRequestSize;
    request.hwndOwner = dialog;
    request.lpstrFilter = kAllFilesFilter;
    request.nFilterIndex = 0;
    request.lpstrFile = file;
    request.nMaxFile = kPathReadLimit;
    request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    // The flag alone is not enough: the Open dialog of Windows ignores it, so
    // the folder is put back by hand as well.
    wchar_t folder[MAX_PATH];
    DWORD folderLength = GetCurrentDirectoryW(MAX_PATH, folder);
    BOOL chosen = AskOpenFileName(&request);
    // Any other name it will not start from: then from none, rather than
    // not at all.
    if (chosen != 1 && OpenFileNameError() == FNERR_INVALIDFILENAME) {
        file[0] = L'\0';
        chosen = AskOpenFileName(&request);
    }
    if (folderLength > 0 && folderLength < MAX_PATH) SetCurrentDirectoryW(folder);
    if (chosen != 1) return;
    char path[MAX_PATH];
    if (AnsiPathFromWide(file, path))
        SetDlgItemTextA(dialog, IDC_COOKIE_PATH, path);
    else
        ShowErrorBox(dialog, kPathNotStorableMessage);
}

static void OnCommand(HWND dialog, WPARAM wParam)
{
    IndexJob* job = JobOf(dialog);
    if (job == nullptr) return;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOk(dialog, job);
        break;
    case IDCANCEL:
        OnCancel(dialog, job);
        break;
    case IDC_BROWSE:
        OnBrowse(dialog, job);
        break;
    default:
        break;
    }
}

// Polls the worker: its end decides the dialog's fate; in every case the bar
// shows the latest progress.
static void OnTimer(HWND dialog, WPARAM timerId)
{
    IndexJob* job = JobOf(dialog);
    if (timerId != kProgressTimer || job == nullptr || job->thread == nullptr) return;
    DWORD code = 0;
    if (GetExitCodeThread(job->thread, &code) && code != STILL_ACTIVE) {
        ForgetWorker(dialog, job);
        if (code == 0) {
            EndDialog(dialog, 1);
        } else {
            if (IndexResultNeedsMessage(code)) {
                char text[kIndexFailureSize];
                FormatIndexFailure(code, text);
                ShowErrorBox(dialog, text);
            }
            AllowEditing(dialog, true);
        }
    }
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(job->progress.load()), 0);
}

static void OnDestroy(HWND dialog)
{
    ForgetScreenReaderName(GetDlgItem(dialog, IDC_BROWSE));
    IndexJob* job = JobOf(dialog);
    if (job == nullptr) return;
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    job->~IndexJob();
    LocalFree(job);
}

INT_PTR CALLBACK CookieFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, lParam);
        break;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        break;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        break;
    case WM_DESTROY:
        OnDestroy(dialog);
        break;
    case WM_DPICHANGED:
        SetProgramIcons(dialog, LOWORD(wParam));
        break;
    default:
        break;
    }
    return 0;
}
