#include "dialogs/settings_dialog.h"

#include <commctrl.h>

#include "core/catalogue.h"
#include "core/system_dlls.h"
#include "core/source_record.h"
#include "cookies/index_location.h"
#include "cookies/legacy_file.h"
#include "dialogs/cookie_dialog.h"
#include "dialogs/dialog_rules.h"
#include "dialogs/options_dialog.h"
#include "controls/dialog_support.h"
#include "controls/geometry.h"
#include "res/resource_ids.h"
#include "controls/link_control.h"
#include "controls/program_images.h"

static const DWORD kListExtendedStyle = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;

// The columns' widths in pixels at the default DPI: name, count, path.
static const int kColumnWidths[] = {175, 75, 175};

// Index files follow the user's final answer. While the dialog is open it
// only notes them: the files made by Add and Edit (deleted again on Cancel)
// and the files that rows stopped using through Edit and Remove (deleted on
// OK). So after either answer the catalogue and the index folder agree.
struct IndexFileNote {
    IndexFileNote* next;
    char path[kPathFieldSize + 1];
};

// The index file names that the catalogue and the rows claim, taken when
// the add/edit dialog asks, before its worker starts: a new source must not
// get a name that a record or a row holds for a file that has gone.
struct TakenIndexPaths {
    int count;
    char (*paths)[kPathFieldSize + 1];
};

struct SettingsState {
    IndexFileNote* made;
    IndexFileNote* retired;
    TakenIndexPaths takenPaths;
    TakenIndexNames taken;
};

static SettingsState* StateOf(HWND dialog)
{
    return reinterpret_cast<SettingsState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

static HWND ListOf(HWND dialog)
{
    return GetDlgItem(dialog, IDC_SOURCE_LIST);
}

static void NoteIndexFile(IndexFileNote** notes, const char (&indexPath)[kPathFieldSize])
{
    if (FieldLength(indexPath, sizeof indexPath) == 0) return;
    IndexFileNote* note = static_cast<IndexFileNote*>(LocalAlloc(LMEM_FIXED, sizeof(IndexFileNote)));
    if (note == nullptr) return;
    FieldString(indexPath, note->path);
    note->next = *notes;
    *notes = note;
}

static void ReleaseNotes(IndexFileNote** notes)
{
    while (*notes != nullptr) {
        IndexFileNote* next = (*notes)->next;
        LocalFree(*notes);
        *notes = next;
    }
}

// The row's own record copy, or null when it cannot be fetched.
static SourceRecord* RowCopy(HWND list, int index)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<SourceRecord*>(item.lParam);
}

static int RowCount(HWND list)
{
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

static void SetRowText(HWND list, int index, int column, const char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

static void SetRowCheck(HWND list, int index, int32_t active)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = kStateImageMask;
    item.state = StateImageForActive(active);
    SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

// "Fortune.txt" is stored by its bare name, whichever folder held it; the
// list says where it is when that is beside the program rather than the
// current folder. The record stays as it is.
static void ShownLegacyPath(const SourceRecord& copy, char (&path)[kPathFieldSize + 1])
{
    char found[MAX_PATH];
    if (copy.kind == kSourceLegacyText && FindLegacyFile(found)) lstrcpynA(path, found, sizeof path);
}

// Columns 1 and 2 and the check box, from the row's copy.
static void ShowRowDetails(HWND list, int index, const SourceRecord& copy)
{
    char count[kCountTextSize];
    FormatCount(copy.count, count);
    SetRowText(list, index, 1, count);
    char path[kPathFieldSize + 1];
    FieldString(copy.cookiePath, path);
    ShownLegacyPath(copy, path);
    SetRowText(list, index, 2, path);
    SetRowCheck(list, index, copy.active);
}

// Adds a row that owns a copy of the record; 0 when no row could be added.
static int InsertRow(HWND list, const SourceRecord& record)
{
    SourceRecord* copy = static_cast<SourceRecord*>(LocalAlloc(LMEM_FIXED, sizeof(SourceRecord)));
    if (copy == nullptr) return 0;
    CopyMemory(copy, &record, sizeof record);
    char name[kNameFieldSize + 1];
    FieldString(copy->name, name);
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = name;
    item.lParam = reinterpret_cast<LPARAM>(copy);
    int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) {
        LocalFree(copy);
        return 0;
    }
    ShowRowDetails(list, index, *copy);
    return 1;
}

// Shows the active total in the title and hands it back.
static uint32_t RefreshTitle(HWND dialog)
{
    HWND list = ListOf(dialog);
    uint32_t total = 0;
    int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        const SourceRecord* copy = RowCopy(list, i);
        if (copy != nullptr) total = AddActiveCount(total, copy->active, copy->count);
    }
    char title[kSettingsTitleSize];
    FormatSettingsTitle(total, title);
    SetWindowTextA(dialog, title);
    return total;
}

// The first selected row when it is a cookie file (the only kind that can be
// edited or removed), else null.
static SourceRecord* SelectedCookieRow(HWND list, int* index)
{
    *index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (*index < 0) return nullptr;
    SourceRecord* copy = RowCopy(list, *index);
    if (copy == nullptr || copy->kind != kSourceCookieFile) return nullptr;
    return copy;
}

// Edit and Remove follow the selection, whatever changed it (the mouse, the
// keyboard, Remove), so they are never enabled for nothing.
static void RefreshButtons(HWND dialog)
{
    int index;
    BOOL enabled = SelectedCookieRow(ListOf(dialog), &index) != nullptr;
    EnableWindow(GetDlgItem(dialog, IDC_EDIT), enabled);
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE), enabled);
}

static void AddTakenPath(TakenIndexPaths* taken, int capacity, const char (&indexPath)[kPathFieldSize])
{
    if (taken->count >= capacity || FieldLength(indexPath, sizeof indexPath) == 0) return;
    FieldString(indexPath, taken->paths[taken->count++]);
}

static int PathIsTaken(const void* context, const char* path)
{
    const TakenIndexPaths* taken = static_cast<const TakenIndexPaths*>(context);
    for (int i = 0; i < taken->count; ++i)
        if (lstrcmpiA(taken->paths[i], path) == 0) return 1;
    return 0;
}

// Collects the names afresh: the catalogue's records and the list's rows.
// Without memory for them, the catalogue's own check stands in.
static const TakenIndexNames* TakeIndexNames(HWND dialog, SettingsState* state)
{
    HWND list = ListOf(dialog);
    TakenIndexPaths* taken = &state->takenPaths;
    if (taken->paths != nullptr) LocalFree(taken->paths);
    taken->count = 0;
    SourceRecord record;
    int records = 0;
    while (ReadSourceRecord(records, &record)) ++records;
    int capacity = records + RowCount(list);
    taken->paths = static_cast<char(*)[kPathFieldSize + 1]>(
        LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(capacity > 0 ? capacity : 1) * sizeof taken->paths[0]));
    if (taken->paths == nullptr) return &kCatalogueIndexNames;
    for (int i = 0; i < records && ReadSourceRecord(i, &record); ++i) AddTakenPath(taken, capacity, record.indexPath);
    int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        const SourceRecord* copy = RowCopy(list, i);
        if (copy != nullptr) AddTakenPath(taken, capacity, copy->indexPath);
    }
    state->taken.isTaken = PathIsTaken;
    state->taken.context = taken;
    return &state->taken;
}

static void InsertColumn(HWND list, int index, const char* title, int width, int format)
{
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT | LVCF_WIDTH | (format != LVCFMT_LEFT ? LVCF_FMT : 0);
    column.fmt = format;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

static int OpenCookieFileDialog(HWND dialog, SourceRecord* working)
{
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_COOKIE_FILE), dialog, CookieFileDialogProc,
                           reinterpret_cast<LPARAM>(working)) == 1;
}

// The label before the link ("Find more cookie files:") may hold less than
// its text in the font in use: Wine substitutes a font in which its dialog
// units cut it short. Measured in the dialog's font, it is widened by what
// it lacks and the link moved along by as much, the dialog as wide as the
// link then needs; where the text fits, nothing moves.
static void FitMoreCookiesLabel(HWND dialog)
{
    HWND link = GetDlgItem(dialog, IDC_MORE_LINK);
    HWND label = link != nullptr ? GetWindow(link, GW_HWNDPREV) : nullptr;
    if (label == nullptr) return;
    char text[64];
    int length = GetWindowTextA(label, text, sizeof text);
    HDC dc = GetDC(label);
    if (dc == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, length, &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    RECT labelRect;
    RECT linkRect;
    GetWindowRect(label, &labelRect);
    GetWindowRect(link, &linkRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&labelRect), 2);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&linkRect), 2);
    int lack = extent.cx - (labelRect.right - labelRect.left);
    if (lack <= 0) return;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(label, nullptr, 0, 0, labelRect.right - labelRect.left + lack, labelRect.bottom - labelRect.top,
                 flags | SWP_NOMOVE);
    SetWindowPos(link, nullptr, linkRect.left + lack, linkRect.top, 0, 0, flags | SWP_NOSIZE);
    RECT margin = {7, 0, 0, 0};
    MapDialogRect(dialog, &margin);
    RECT client;
    GetClientRect(dialog, &client);
    int wider = linkRect.right + lack + margin.left - client.right;
    if (wider <= 0) return;
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + wider, frame.bottom - frame.top, flags | SWP_NOMOVE);
}

static void OnInitDialog(HWND dialog)
{
    FitMoreCookiesLabel(dialog);
    CentreDialog(dialog);
    SettingsState* state = static_cast<SettingsState*>(LocalAlloc(LPTR, sizeof(SettingsState)));
    if (state == nullptr) {
        EndDialog(dialog, 0);
        return;
    }
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));

    HWND list = ListOf(dialog);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListExtendedStyle);
    int dpi = static_cast<int>(WindowDpi(dialog));
    InsertColumn(list, 0, "Name", ScaleForDpi(kColumnWidths[0], dpi), LVCFMT_LEFT);
    InsertColumn(list, 1, "Fortunes", ScaleForDpi(kColumnWidths[1], dpi), LVCFMT_RIGHT);
    InsertColumn(list, 2, "Path", ScaleForDpi(kColumnWidths[2], dpi), LVCFMT_LEFT);
    SetProgramIcons(dialog, static_cast<UINT>(dpi));
    for (int i = 0;; ++i) {
        SourceRecord record;
        if (!ReadSourceRecord(i, &record)) break;
        InsertRow(list, record);
    }
    RefreshTitle(dialog);
    RefreshButtons(dialog);
    SubclassLinkControl(GetDlgItem(dialog, IDC_MORE_LINK));
}

static void OnAdd(HWND dialog, SettingsState* state)
{
    SourceRecord working;
    ZeroMemory(&working, sizeof working);
    working.active = 1;
    working.kind = kSourceCookieFile;
    if (!OpenCookieFileDialog(dialog, &working)) return;
    NoteIndexFile(&state->made, working.indexPath);
    InsertRow(ListOf(dialog), working);
    RefreshTitle(dialog);
    RefreshButtons(dialog);
}

// The file is indexed into a new index file, so the row's old one stays
// intact until the user's final answer.
static void OnEdit(HWND dialog, SettingsState* state)
{
    HWND list = ListOf(dialog);
    int index;
    SourceRecord* copy = SelectedCookieRow(list, &index);
    if (copy == nullptr) return;
    SourceRecord working;
    CopyMemory(&working, copy, sizeof working);
    ZeroMemory(working.indexPath, sizeof working.indexPath);
    if (!OpenCookieFileDialog(dialog, &working)) return;

    NoteIndexFile(&state->made, working.indexPath);
    NoteIndexFile(&state->retired, copy->indexPath);
    CopyMemory(copy, &working, sizeof working);
    char name[kNameFieldSize + 1];
    FieldString(copy->name, name);
    SetRowText(list, index, 0, name);
    ShowRowDetails(list, index, *copy);
    RefreshTitle(dialog);
}

static void OnRemove(HWND dialog, SettingsState* state)
{
    HWND list = ListOf(dialog);
    int index;
    SourceRecord* copy = SelectedCookieRow(list, &index);
    if (copy == nullptr) return;
    NoteIndexFile(&state->retired, copy->indexPath);
    SendMessageA(list, LVM_DELETEITEM, index, 0);
    RefreshTitle(dialog);
    RefreshButtons(dialog);
}

static bool NamedByRow(HWND list, const char* path)
{
    int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        const SourceRecord* copy = RowCopy(list, i);
        if (copy == nullptr) continue;
        char indexPath[kPathFieldSize + 1];
        FieldString(copy->indexPath, indexPath);
        if (lstrcmpiA(indexPath, path) == 0) return true;
    }
    return false;
}

// The rows become the catalogue, in list order. A write that fails stops it
// all: the catalogue gets its old records back, every index file stays, the
// user hears of it, and the dialog stays open with its rows, for another OK
// or Cancel.
static void OnOk(HWND dialog, SettingsState* state)
{
    if (RefreshTitle(dialog) == 0) {
        ShowErrorBox(dialog, kNoActiveCookiesMessage);
        return;
    }
    HWND list = ListOf(dialog);
    int rows = RowCount(list);
    const SourceRecord** copies = static_cast<const SourceRecord**>(
        LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(rows > 0 ? rows : 1) * sizeof *copies));
    int saved = 0;
    if (copies != nullptr) {
        int n = 0;
        for (int i = 0; i < rows; ++i) {
            const SourceRecord* copy = RowCopy(list, i);
            if (copy != nullptr) copies[n++] = copy;
        }
        saved = ReplaceSourceRecords(copies, n);
        LocalFree(copies);
    }
    if (!saved) {
        ShowErrorBox(dialog, kSettingsNotSavedMessage);
        return;
    }
    for (const IndexFileNote* note = state->retired; note != nullptr; note = note->next)
        if (!NamedByRow(list, note->path)) DeleteFileA(note->path);
    EndDialog(dialog, 1);
}

static void OnAskTakenIndexNames(HWND dialog, LPARAM lParam)
{
    SettingsState* state = StateOf(dialog);
    if (state == nullptr || lParam == 0) return;
    *reinterpret_cast<const TakenIndexNames**>(lParam) = TakeIndexNames(dialog, state);
}

// The catalogue is not touched, and the index files made meanwhile go again.
static void OnCancel(HWND dialog, SettingsState* state)
{
    for (const IndexFileNote* note = state->made; note != nullptr; note = note->next)
        DeleteFileA(note->path);
    EndDialog(dialog, 0);
}

static void OnCommand(HWND dialog, WPARAM wParam)
{
    SettingsState* state = StateOf(dialog);
    if (state == nullptr) return;
    switch (LOWORD(wParam)) {
    case IDC_ADD:
        OnAdd(dialog, state);
        break;
    case IDC_EDIT:
        OnEdit(dialog, state);
        break;
    case IDC_REMOVE:
        OnRemove(dialog, state);
        break;
    case IDC_OPTIONS:
        DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                        MAKEINTRESOURCEA(IDD_OPTIONS), dialog, OptionsDialogProc, 0);
        break;
    case IDOK:
        OnOk(dialog, state);
        break;
    case IDCANCEL:
        OnCancel(dialog, state);
        break;
    default:
        break;
    }
}

// A check box changed, or the selection (the list reports both alike).
static void OnItemChanged(HWND dialog, const NMLISTVIEW* change)
{
    if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
        RefreshButtons(dialog);
    if (change->uOldState == 0) return;
    HWND list = ListOf(dialog);
    SourceRecord* copy = RowCopy(list, change->iItem);
    if (copy == nullptr) return;
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, change->iItem, kStateImageMask));
    copy->active = ActiveFromState(state, copy->active);
    RefreshTitle(dialog);
}

// A row goes, by Remove or with the list when the dialog ends: its copy goes
// with it, whichever way the dialog ends.
static void OnDeleteItem(const NMLISTVIEW* deleted)
{
    if (deleted->lParam != 0) LocalFree(reinterpret_cast<HLOCAL>(deleted->lParam));
}

static void OnNotify(HWND dialog, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_SOURCE_LIST) return;
    switch (header->code) {
    case LVN_ITEMCHANGED:
        OnItemChanged(dialog, reinterpret_cast<const NMLISTVIEW*>(lParam));
        break;
    case NM_DBLCLK:
        // Whether or not Edit is enabled: Edit checks the row itself.
        SendMessageA(dialog, WM_COMMAND, IDC_EDIT, 0);
        break;
    case NM_CLICK:
        RefreshButtons(dialog);
        break;
    case LVN_DELETEITEM:
        OnDeleteItem(reinterpret_cast<const NMLISTVIEW*>(lParam));
        break;
    default:
        break;
    }
}

static void OnDestroy(HWND dialog)
{
    SettingsState* state = StateOf(dialog);
    if (state == nullptr) return;
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    ReleaseNotes(&state->made);
    ReleaseNotes(&state->retired);
    if (state->takenPaths.paths != nullptr) LocalFree(state->takenPaths.paths);
    LocalFree(state);
}

// Posted to itself when a change of DPI came before the dialog was shown.
static const UINT kCentreAgainMessage = WM_APP + 2;

// The dialog manager rescales the dialog itself; the icons and the columns,
// given in pixels, follow here. The place and size Windows suggests are
// taken at once, as it asks; but a dialog with no owner, moved to a monitor
// of another scale before it was ever shown (centred under the pointer),
// is centred there again once rescaled.
static void OnDpiChanged(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!IsWindowVisible(dialog) && GetWindow(dialog, GW_OWNER) == nullptr)
        PostMessageA(dialog, kCentreAgainMessage, 0, 0);
    int dpi = LOWORD(wParam);
    SetProgramIcons(dialog, static_cast<UINT>(dpi));
    for (int column = 0; column < 3; ++column)
        SendMessageA(ListOf(dialog), LVM_SETCOLUMNWIDTH, column, ScaleForDpi(kColumnWidths[column], dpi));
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        break;
    case WM_NOTIFY:
        OnNotify(dialog, lParam);
        break;
    case WM_DESTROY:
        OnDestroy(dialog);
        break;
    case WM_DPICHANGED:
        OnDpiChanged(dialog, wParam, lParam);
        break;
    case kCentreAgainMessage:
        CentreDialog(dialog);
        break;
    case kAskTakenIndexNames:
        OnAskTakenIndexNames(dialog, lParam);
        break;
    default:
        break;
    }
    return 0;
}
