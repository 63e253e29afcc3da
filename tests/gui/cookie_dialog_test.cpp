// The add/edit cookie-file dialog, opened modally on a working record that
// the test owns, and driven from the test's thread.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "dialogs/cookie_dialog.h"
#include "cookies/indexer.h"
#include "cookies/shared_read.h"
#include "res/resource_ids.h"
#include "tests/gui/dialog_driver.h"
#include "tests/gui/source_dialogs.h"
#include "tests/support/gui_driver.h"

namespace {

class CookieFileDialog : public SourceDialogTest {
protected:
    void Open(const SourceRecord& record)
    {
        record_ = record;
        run_.reset(new ModalDialogThread(IDD_COOKIE_FILE, CookieFileDialogProc, reinterpret_cast<LPARAM>(&record_)));
        dialog_ = WaitForDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME);
        ASSERT_NE(dialog_, nullptr) << "the add/edit dialog did not show";
    }
    void TearDown() override
    {
        run_.reset();
        SourceDialogTest::TearDown();
    }
    void Enter(const std::string& name, const std::string& path)
    {
        SetItemText(dialog_, IDC_COOKIE_NAME, name);
        SetItemText(dialog_, IDC_COOKIE_PATH, path);
    }
    // Presses OK and returns the message box it brings up.
    MessageBoxSeen OkMessage()
    {
        Press(dialog_, IDOK);
        MessageBoxSeen seen = CloseMessageBox(run_->ThreadId());
        EXPECT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
        EXPECT_FALSE(run_->Ended()) << "the dialog stays open";
        return seen;
    }
    bool ProgressShown() { return IsWindowVisible(GetDlgItem(dialog_, IDC_PROGRESS)) != 0; }
    bool OkEnabled() { return IsWindowEnabled(GetDlgItem(dialog_, IDOK)) != 0; }
    int EditingControls()  // of OK, Browse and both edits: 4 while editing, 0 while indexing
    {
        int on = 0;
        for (int id : {IDOK, IDC_BROWSE, IDC_COOKIE_NAME, IDC_COOKIE_PATH}) on += IsWindowEnabled(GetDlgItem(dialog_, id));
        return on;
    }
    IndexJob* Job() { return reinterpret_cast<IndexJob*>(GetWindowLongPtrA(dialog_, GWLP_USERDATA)); }
    // The Open dialog's file name box, in its newer or older form.
    static HWND FileNameBox(HWND open)
    {
        HWND box = GetDlgItem(open, cmb13);
        return box != nullptr ? box : GetDlgItem(open, edt1);
    }

    SourceRecord record_;
    std::unique_ptr<ModalDialogThread> run_;
    HWND dialog_ = nullptr;
};

SourceRecord NewRecord()
{
    return MakeRecord(1, kSourceCookieFile, 0, "");
}

}  // namespace

TEST_F(CookieFileDialog, AZeroedRecordGivesTheAddCaptionAndEmptyEdits)
{
    Open(NewRecord());
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Add Cookie File");
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_NAME), "");
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_PATH), "");
    EXPECT_FALSE(ProgressShown()) << "the progress bar shows only while indexing";
    EXPECT_TRUE(OkEnabled()) << "OK should be enabled";
    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2);
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2);
    ExpectProgramIcons(dialog_, TestDpi());
    // Cancel before OK ends the dialog at once.
    Press(dialog_, IDCANCEL);
    ASSERT_TRUE(run_->WaitForEnd()) << "the dialog should have ended";
    EXPECT_EQ(run_->Result(), 0);
}

TEST_F(CookieFileDialog, ANamedRecordGivesTheEditCaptionAndFilledEdits)
{
    Open(MakeRecord(1, kSourceCookieFile, 9, "Wisdom", "C:\\fortunes\\wisdom", "C:\\w.idx"));
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Edit Cookie File");
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_NAME), "Wisdom");
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_PATH), "C:\\fortunes\\wisdom");
    Press(dialog_, IDCANCEL);
    ASSERT_TRUE(run_->WaitForEnd()) << "the dialog should have ended";
    EXPECT_EQ(run_->Result(), 0);
}

TEST_F(CookieFileDialog, EntryChecksRunInOrderAndKeepTheDialogOpen)
{
    Open(NewRecord());
    // Both empty: only the name is reported.
    ExpectErrorBox(OkMessage(), "Please enter a name for the Cookie File.");

    Enter("", folder_.Path());
    EXPECT_EQ(OkMessage().text, "Please enter a name for the Cookie File.");

    Enter("Mine", "");
    ExpectErrorBox(OkMessage(), "Please enter the path to the Cookie File.");

    Enter("Mine", folder_.File("missing.txt"));
    ExpectErrorBox(OkMessage(), "Cookie File does not exist!");
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_NAME), "Mine") << "the edits keep their text";
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_PATH), folder_.File("missing.txt"));
    EXPECT_FALSE(ProgressShown()) << "the progress bar should be hidden";
    EXPECT_TRUE(OkEnabled()) << "OK should be enabled";
    EXPECT_STREQ(record_.name, "Mine") << "the name read stays in the record";
}

TEST_F(CookieFileDialog, LongEntriesAreCutAtTheirLimits)
{
    Open(NewRecord());
    std::string path = "C:\\" + std::string(296, 'p');
    Enter(std::string(300, 'n'), path);
    EXPECT_EQ(OkMessage().text, "Cookie File does not exist!");
    EXPECT_EQ(std::strlen(record_.name), 254u) << "255 with the terminator";
    EXPECT_EQ(std::string(record_.cookiePath), path.substr(0, 258)) << "259 with the terminator";
}

TEST_F(CookieFileDialog, AFolderAsPathShowsTheIndexersFailureAndReturnsToEditing)
{
    std::string folder = folder_.File("a folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << "error " << GetLastError();
    unsigned expected = DirectIndexResult(MakeRecord(1, kSourceCookieFile, 0, "Folder", folder.c_str()));
    ASSERT_NE(expected, 0u);
    ASSERT_NE(expected, 7u);

    Open(NewRecord());
    Enter("Folder", folder);
    // The worker's failure is reported.
    ExpectErrorBox(OkMessage(), "Failed to create index file (" + std::to_string(expected) + ").");
    ASSERT_TRUE(WaitUntil([&] { return OkEnabled(); })) << "back to editing";
    EXPECT_EQ(EditingControls(), 4);
    EXPECT_FALSE(ProgressShown()) << "the progress bar should be hidden";
    EXPECT_EQ(Job()->thread, nullptr) << "no worker is left";
    EXPECT_EQ(IndexFiles(), std::vector<std::string>()) << "a failed run leaves no index file";

    // Cancel after a failed run ends the dialog at once.
    Press(dialog_, IDCANCEL);
    ASSERT_TRUE(run_->WaitForEnd()) << "the dialog should have ended";
    EXPECT_EQ(run_->Result(), 0);
}

TEST_F(CookieFileDialog, AFileIsIndexedOnTheWorkerAndTheDialogEndsWithOne)
{
    std::string cookies = WriteCookieFile("four.txt", 4);
    Open(NewRecord());
    Enter("Four", cookies);
    Press(dialog_, IDOK);
    ASSERT_TRUE(run_->WaitForEnd()) << "the dialog should have ended";
    EXPECT_EQ(run_->Result(), 1);
    EXPECT_STREQ(record_.name, "Four");
    EXPECT_STREQ(record_.cookiePath, cookies.c_str());
    EXPECT_EQ(record_.count, 4u);
    ASSERT_EQ(IndexFiles().size(), 1u);
    EXPECT_EQ(std::string(record_.indexPath), IndexFolder() + "\\" + IndexFiles()[0]);
}

// A path pasted from Explorer's "Copy as path" comes in quotes, often with
// blanks around; a relative path would depend on the folder the program
// runs in. Both are stored as the plain full path.
TEST_F(CookieFileDialog, PastedQuotedAndRelativePathsAreStoredAsFullPaths)
{
    std::string cookies = WriteCookieFile("four.txt", 4);
    struct Case {
        std::string entered;
        const char* what;
    } cases[] = {
        {"  \"" + cookies + "\" ", "a quoted path with blanks around"},
        {"four.txt", "a path relative to the current folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(NewRecord());
        Enter("Four", c.entered);
        Press(dialog_, IDOK);
        ASSERT_TRUE(run_->WaitForEnd(10000)) << "expected the path accepted and indexed";
        EXPECT_EQ(run_->Result(), 1);
        EXPECT_STREQ(record_.cookiePath, cookies.c_str()) << "expected the plain full path stored";
        EXPECT_EQ(record_.count, 4u);
        run_.reset();
    }
}

TEST_F(CookieFileDialog, CancelWhileIndexingStopsTheWorkerAndLeavesNoIndexFile)
{
    // Two thousand million bytes take the indexer about a second: ages
    // beside the polls below, so the worker is sure to be running when Cancel
    // comes. The file is sparse, so it costs no disk.
    HANDLE large = CreateFileA(folder_.File("large.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(large, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 2000000000;
    ASSERT_TRUE(SetFilePointerEx(large, size, nullptr, FILE_BEGIN)) << "error " << GetLastError();
    ASSERT_TRUE(SetEndOfFile(large)) << "error " << GetLastError();
    CloseHandle(large);
    Open(NewRecord());
    Enter("Large", folder_.File("large.txt"));
    Press(dialog_, IDOK);
    // The dialog's thread turns OK off, then Browse and the edits, then shows
    // the bar: wait for the last step, or a busy machine sees the first alone.
    ASSERT_TRUE(WaitUntil([&] { return ProgressShown(); })) << "the progress bar should show";
    EXPECT_FALSE(OkEnabled()) << "OK is disabled while indexing";
    EXPECT_EQ(EditingControls(), 0) << "so are Browse and the edits";
    // OK is disabled a moment before the worker's handle is stored.
    ASSERT_TRUE(WaitUntil([&] { return Job()->thread != nullptr; })) << "OK should have started a worker";
    HANDLE worker = Job()->thread;
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(worker, &code)) << "error " << GetLastError();
    ASSERT_EQ(code, static_cast<DWORD>(STILL_ACTIVE)) << "the worker should still run";

    Press(dialog_, IDCANCEL);
    ASSERT_TRUE(run_->WaitForEnd()) << "the dialog should have ended";
    EXPECT_EQ(run_->Result(), 0);
    EXPECT_EQ(FindMessageBox(run_->ThreadId()), nullptr) << "a cancelled run shows no message";
    EXPECT_EQ(IndexFiles(), std::vector<std::string>()) << "the cancelled run's index file is gone";
}

TEST_F(CookieFileDialog, CancelAfterTheWorkerSucceededUndoesItsIndexFile)
{
    std::string cookies = WriteCookieFile("two.txt", 2);
    Open(NewRecord());
    Enter("Two", cookies);
    // Hold the dialog's thread right after it has started the worker: the
    // hold is queued ahead of any tick, so no tick sees the result. Then let
    // the worker finish and queue Cancel, which also comes before a tick.
    Press(dialog_, IDOK);
    ASSERT_TRUE(run_->Hold(dialog_)) << "the dialog\'s thread should be held in its message loop";
    HANDLE worker = Job()->thread;
    ASSERT_NE(worker, nullptr) << "OK started a worker";
    ASSERT_EQ(WaitForSingleObject(worker, kGuiTimeoutMs), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeThread(worker, &code);
    ASSERT_EQ(code, 0u) << "the worker succeeded";
    ASSERT_EQ(IndexFiles().size(), 1u);
    Press(dialog_, IDCANCEL);
    run_->Release();
    ASSERT_TRUE(run_->WaitForEnd()) << "the dialog should have ended";
    EXPECT_EQ(run_->Result(), 0) << "Cancel wins";
    EXPECT_EQ(IndexFiles(), std::vector<std::string>()) << "the index file of the cancelled run is deleted";
}

TEST_F(CookieFileDialog, BrowseOffersAllFilesAndPutsTheChosenFullPathInThePath)
{
    folder_.Write("chosen.txt", "A\n");
    Open(NewRecord());
    Enter("Chosen", " \"chosen.txt\" ");  // relative to the current folder, the test's own

    // The Open dialog starts with the path's text as OK takes it; cancelling
    // it changes nothing.
    Press(dialog_, IDC_BROWSE);
    HWND open = WaitForDialogWithControl(run_->ThreadId(), cmb1);
    ASSERT_NE(open, nullptr) << "no Open dialog";
    EXPECT_EQ(WindowText(FileNameBox(open)), "chosen.txt");
    EXPECT_EQ(GetWindow(open, GW_OWNER), dialog_);
    EXPECT_EQ(ItemText(open, cmb1), "All Files (*.*)") << "the one filter entry";
    EXPECT_EQ(SendDlgItemMessageA(open, cmb1, CB_GETCOUNT, 0, 0), 1);
    HWND readOnly = GetDlgItem(open, chx1);
    EXPECT_TRUE(readOnly == nullptr || !IsWindowVisible(readOnly)) << "the read-only box is hidden";
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitForWindowGone(open)) << "the open dialog should have gone";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_PATH), " \"chosen.txt\" ");

    // Opening the file puts its full path into the path.
    Press(dialog_, IDC_BROWSE);
    open = WaitForDialogWithControl(run_->ThreadId(), cmb1);
    ASSERT_NE(open, nullptr);
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitForWindowGone(open)) << "the open dialog should have gone";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_EQ(lstrcmpiA(ItemText(dialog_, IDC_COOKIE_PATH).c_str(), folder_.File("chosen.txt").c_str()), 0)
        << ItemText(dialog_, IDC_COOKIE_PATH);
    EXPECT_EQ(ItemText(dialog_, IDC_COOKIE_NAME), "Chosen");
}

// The Open dialog leaves the current folder where it was: "Fortune.txt" and a
// relative output file are looked up there for the rest of the run, also
// after a Browse into the folder of a cookie file.
TEST_F(CookieFileDialog, BrowseLeavesTheCurrentFolderAlone)
{
    folder_.Write("Fortune.txt", "from the start-up folder\n");
    TempFolder elsewhere;
    elsewhere.Write("Fortune.txt", "from the cookie file's folder\n");
    elsewhere.Write("chosen.txt", "A\n");
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);

    Open(NewRecord());
    Enter("Chosen", elsewhere.File("chosen.txt"));
    Press(dialog_, IDC_BROWSE);
    HWND open = WaitForDialogWithControl(run_->ThreadId(), cmb1);
    ASSERT_NE(open, nullptr) << "no Open dialog";
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitForWindowGone(open)) << "the window should have closed";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog's thread should handle what was posted to it";
    EXPECT_EQ(lstrcmpiA(ItemText(dialog_, IDC_COOKIE_PATH).c_str(), elsewhere.File("chosen.txt").c_str()), 0)
        << ItemText(dialog_, IDC_COOKIE_PATH);

    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "expected the current folder unchanged by Browse";
    // The legacy reader's own open of "Fortune.txt" finds the start-up one.
    FILE* legacy = OpenSharedText("Fortune.txt");
    ASSERT_NE(legacy, nullptr) << "expected a Fortune.txt in the current folder";
    char line[64] = {};
    fgets(line, sizeof line, legacy);
    fclose(legacy);
    EXPECT_STREQ(line, "from the start-up folder\n");
}

// A file whose name has letters outside the ANSI code page (Cyrillic under
// the Western code page) comes back from Browse as its short form, which is
// ASCII and names the same file, rather than with "?" for each letter.
TEST_F(CookieFileDialog, BrowseGivesAFileNamedOutsideTheAnsiCodePageByItsShortForm)
{
    std::wstring folder(folder_.Path().begin(), folder_.Path().end());
    std::wstring name = folder + L"\\\u0446\u0438\u0442\u0430\u0442\u044B.txt";
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "A\n%\nB\n", 6, &written, nullptr);
    CloseHandle(file);

    Open(NewRecord());
    Enter("Quotes", "");
    Press(dialog_, IDC_BROWSE);
    HWND open = WaitForDialogWithControl(run_->ThreadId(), cmb1);
    ASSERT_NE(open, nullptr) << "no Open dialog";
    HWND box = FileNameBox(open);
    ASSERT_NE(box, nullptr) << "expected the Open dialog's file name box";
    SetWindowTextW(box, name.c_str());
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitForWindowGone(open)) << "the window should have closed";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog's thread should handle what was posted to it";

    std::string path = ItemText(dialog_, IDC_COOKIE_PATH);
    ASSERT_FALSE(path.empty()) << "expected the chosen file in the path";
    for (char c : path) ASSERT_TRUE(c > 0 && c < 127 && c != '?') << "expected ASCII letters: " << path;
    std::wstring widePath(path.begin(), path.end());
    wchar_t longForm[MAX_PATH] = {};
    ASSERT_GT(GetLongPathNameW(widePath.c_str(), longForm, MAX_PATH), 0u) << "expected a path that exists: " << path;
    EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, longForm, -1, name.c_str(), -1), CSTR_EQUAL)
        << "expected the short form of the Cyrillic file: " << path;

    Press(dialog_, IDOK);
    ASSERT_TRUE(run_->WaitForEnd(10000)) << "expected the file indexed through its short form";
    EXPECT_EQ(run_->Result(), 1);
    EXPECT_EQ(record_.count, 2u);
}
