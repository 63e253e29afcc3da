// The settings dialog, opened modally over a scratch catalogue and driven
// from the test's thread as a person would drive it.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "core/draw_store.h"
#include "core/sign_in.h"
#include "cookies/put_away.h"
#include "core/product.h"
#include "dialogs/settings_dialog.h"
#include "res/resource_ids.h"
#include "tests/gui/dialog_driver.h"
#include "tests/gui/source_dialogs.h"
#include "tests/support/gui_driver.h"
#include "tests/support/process.h"
#include "controls/link_control.h"

namespace {

const UINT kChecked = 0x2000;
const UINT kUnchecked = 0x1000;

class SettingsDialog : public SourceDialogTest {
protected:
    // Opens the dialog and waits until it shows.
    void Open()
    {
        run_.reset(new ModalDialogThread(IDD_SETTINGS, SettingsDialogProc, 0));
        dialog_ = WaitForDialogWithControl(run_->ThreadId(), IDC_SOURCE_LIST);
        ASSERT_NE(dialog_, nullptr) << "the settings dialog did not show";
        list_ = GetDlgItem(dialog_, IDC_SOURCE_LIST);
    }
    void TearDown() override
    {
        run_.reset();
        SourceDialogTest::TearDown();
    }
    // Presses a button and waits until the dialog's thread has handled it.
    void PressAndSettle(int id)
    {
        Press(dialog_, id);
        ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    }
    void ClickRow(const std::string& name, bool doubleClick = false)
    {
        int row = ListRowNamed(list_, name);
        ASSERT_GE(row, 0) << "no row " << name;
        ClickListRow(list_, row, doubleClick);
        ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    }
    std::vector<std::string> RowNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < ListRowCount(list_); ++i) names.push_back(ListCellText(list_, i, 0));
        return names;
    }
    bool EditAndRemoveEnabled()
    {
        bool edit = IsWindowEnabled(GetDlgItem(dialog_, IDC_EDIT)) != 0;
        bool remove = IsWindowEnabled(GetDlgItem(dialog_, IDC_REMOVE)) != 0;
        EXPECT_EQ(edit, remove) << "Edit and Remove are enabled together";
        return edit;
    }
    // Ends the dialog with the button and returns its result.
    INT_PTR EndWith(int id)
    {
        Press(dialog_, id);
        EXPECT_TRUE(run_->WaitForEnd()) << "the dialog did not end";
        return run_->Result();
    }

    std::unique_ptr<ModalDialogThread> run_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
};

SourceRecord BuiltIn(int active = 1)
{
    return MakeRecord(active, kSourceBuiltIn, 4297, "Internal Fortunes");
}

SourceRecord Cookie(int active, uint32_t count, const char* name, const char* cookiePath = "C:\\cookies.txt",
                    const char* indexPath = "")
{
    return MakeRecord(active, kSourceCookieFile, count, name, cookiePath, indexPath);
}

std::string Names(const std::vector<SourceRecord>& records)
{
    std::string names;
    for (const SourceRecord& r : records) names += std::string(r.name) + ";";
    return names;
}

}  // namespace

TEST_F(SettingsDialog, ListsEverySourceSortedByNameWithCountPathAndCheckBox)
{
    WriteCatalogue({Cookie(0, 10, "Zeta", "C:\\z.txt"), BuiltIn(),
                    MakeRecord(1, kSourceLegacyText, 5, "Fortune.txt", "Fortune.txt"),
                    Cookie(1, 7, "Alpha", "D:\\fortunes\\alpha"), Cookie(1, 0, "Empty", "C:\\empty.txt")});
    auto before = SnapshotKey(CatalogueKey);
    // "Fortune.txt" beside the program, none in the current folder: the
    // list says where it is; the record keeps the bare name.
    struct Beside {
        std::string path = BuildFolder() + "\\Fortune.txt";
        ~Beside() { DeleteFileA(path.c_str()); }
    } beside;
    WriteWholeFile(beside.path, "Beside the program\n");
    Open();

    ASSERT_EQ(RowNames(), (std::vector<std::string>{"Alpha", "Empty", "Fortune.txt", "Internal Fortunes", "Zeta"}));
    const char* counts[] = {"7", "0", "5", "4297", "10"};
    const char* paths[] = {"D:\\fortunes\\alpha", "C:\\empty.txt", beside.path.c_str(), "", "C:\\z.txt"};
    const UINT checks[] = {kChecked, kChecked, kChecked, kChecked, kUnchecked};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ListCellText(list_, i, 1), counts[i]) << "row " << i;
        EXPECT_EQ(ListCellText(list_, i, 2), paths[i]) << "row " << i;
        EXPECT_EQ(ListRowState(list_, i, 0xF000), checks[i]) << "check box of row " << i;
    }
    // The checked cookie file with no fortunes adds nothing; Zeta is off.
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (4309 active)");
    EXPECT_FALSE(EditAndRemoveEnabled()) << "no row is selected yet";

    EXPECT_EQ(SendMessageA(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x24);
    const char* titles[] = {"Name", "Fortunes", "Path"};
    const int widths[] = {175, 75, 175};
    for (int c = 0; c < 3; ++c) {
        char title[32] = {};
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(list_, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column))) << "column " << c;
        EXPECT_STREQ(title, titles[c]);
        EXPECT_EQ(column.cx, MulDiv(widths[c], TestDpi(), 96)) << "width of column " << c << ", in pixels at 96 DPI";
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, c == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT) << "column " << c;
    }

    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2);
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2);
    ExpectProgramIcons(dialog_, TestDpi());
    // On a monitor of twice the scale every column is twice as wide, the last too.
    SendMessageA(dialog_, WM_DPICHANGED, MAKEWPARAM(2 * TestDpi(), 2 * TestDpi()), reinterpret_cast<LPARAM>(&frame));
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(SendMessageA(list_, LVM_GETCOLUMNWIDTH, c, 0), MulDiv(widths[c], 2 * TestDpi(), 96)) << "column " << c;

    HWND link = GetDlgItem(dialog_, IDC_MORE_LINK);
    EXPECT_EQ(WindowText(link), kMoreCookiesAddress);
    EXPECT_EQ(GetWindowLongPtrA(link, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(LinkControlProc))
        << "the address is a link control";

    EXPECT_EQ(EndWith(IDCANCEL), 0);
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "Cancel leaves the catalogue byte for byte";
}

TEST_F(SettingsDialog, CheckBoxesSwitchSourcesAndOkRewritesTheCatalogueInListOrder)
{
    // Stored out of name order, with a stray value behind a gap at 6.
    WriteCatalogue({Cookie(1, 10, "Zeta", "C:\\z.txt", "C:\\z.idx"), BuiltIn(), Cookie(0, 7, "Alpha", "C:\\a.txt")});
    SetRawValue(CatalogueKey, "MWD00006", REG_BINARY, std::string(788, 'x'));
    SetDwordValue(CatalogueKey, "FSize", 123);
    Open();
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (4307 active)");

    ClickListCheckBox(list_, ListRowNamed(list_, "Internal Fortunes"));
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_EQ(ListRowState(list_, ListRowNamed(list_, "Internal Fortunes"), 0xF000), kUnchecked);
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (10 active)");
    ClickListCheckBox(list_, ListRowNamed(list_, "Alpha"));
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (17 active)");

    EXPECT_EQ(EndWith(IDOK), 1);
    std::vector<SourceRecord> stored = ReadCatalogue();
    ASSERT_EQ(Names(stored), "Alpha;Internal Fortunes;Zeta;");
    EXPECT_EQ(stored[0], Cookie(1, 7, "Alpha", "C:\\a.txt"));
    EXPECT_EQ(stored[1], BuiltIn(0));
    EXPECT_EQ(stored[2], Cookie(1, 10, "Zeta", "C:\\z.txt", "C:\\z.idx"));
    EXPECT_TRUE(ValueExists(CatalogueKey, "MWD00006")) << "a value behind a gap is not part of the catalogue";
    EXPECT_EQ(StoredDword(CatalogueKey, "FSize"), 123) << "values beside the catalogue stay";
}

TEST_F(SettingsDialog, OkDropsThePositionsBehindTheRemainingRows)
{
    TempFolder files;
    files.Write("b.idx", "\0\0\0\0");
    files.Write("c.idx", "\0\0\0\0");
    std::string bIndex = files.File("b.idx");
    std::string cIndex = files.File("c.idx");
    WriteCatalogue({BuiltIn(), Cookie(1, 3, "B", "C:\\b.txt", bIndex.c_str()),
                    Cookie(1, 4, "C", "C:\\c.txt", cIndex.c_str()), Cookie(1, 5, "D", "C:\\d.txt", cIndex.c_str())});
    Open();
    ClickRow("B");
    PressAndSettle(IDC_REMOVE);
    ClickRow("D");
    PressAndSettle(IDC_REMOVE);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"C", "Internal Fortunes"}));
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (4301 active)");

    EXPECT_EQ(EndWith(IDOK), 1);
    EXPECT_EQ(Names(ReadCatalogue()), "C;Internal Fortunes;");
    EXPECT_FALSE(ValueExists(CatalogueKey, "MWD00002")) << "expected no value MWD00002";
    EXPECT_FALSE(ValueExists(CatalogueKey, "MWD00003")) << "expected no value MWD00003";
    EXPECT_FALSE(FileExists(bIndex)) << "OK deletes the index file of a removed row";
    EXPECT_TRUE(FileExists(cIndex)) << "expected the index file that a remaining row still names kept";
}

TEST_F(SettingsDialog, OkWithNoActiveTotalShowsTheMessageAndKeepsTheDialogOpen)
{
    WriteCatalogue({BuiltIn(0), Cookie(1, 0, "Empty")});
    auto before = SnapshotKey(CatalogueKey);
    Open();
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (0 active)")
        << "a checked cookie file with no fortunes adds nothing";

    Press(dialog_, IDOK);
    ExpectErrorBox(CloseMessageBox(run_->ThreadId()), "There are no active cookies.");
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_FALSE(run_->Ended()) << "the dialog stays open";
    EXPECT_EQ(ListRowCount(list_), 2);
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "nothing is written";

    // Switching the built-in source back on makes OK acceptable.
    ClickListCheckBox(list_, ListRowNamed(list_, "Internal Fortunes"));
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_EQ(EndWith(IDOK), 1);
    std::vector<SourceRecord> stored = ReadCatalogue();
    ASSERT_EQ(Names(stored), "Empty;Internal Fortunes;");
    EXPECT_EQ(stored[1].active, 1);
}

// A record that cannot be written stops OK: nothing behind it is dropped, no
// index file goes, the user is told, and the dialog stays open with its rows
// for another OK or Cancel.
TEST_F(SettingsDialog, OkThatCannotWriteTheCatalogueKeepsTheDialogAndEveryRecord)
{
    folder_.Write("b.idx", std::string(4, '\0'));
    std::string bIndex = folder_.File("b.idx");
    WriteCatalogue({BuiltIn(), Cookie(1, 3, "B", "C:\\b.txt", bIndex.c_str()), Cookie(1, 4, "C", "C:\\c.txt")});
    auto before = SnapshotKey(CatalogueKey);
    Open();
    ClickRow("B");
    PressAndSettle(IDC_REMOVE);

    // The catalogue key becomes one this user may read but not change.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    SetKeyDacl(key, "D:P(A;;KR;;;WD)");
    HKEY probe;
    LONG writable = RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_SET_VALUE, &probe);
    if (writable == ERROR_SUCCESS) RegCloseKey(probe);
    EXPECT_NE(writable, ERROR_SUCCESS) << "expected this platform to enforce the read-only key";

    Press(dialog_, IDOK);
    MessageBoxSeen seen = CloseMessageBox(run_->ThreadId());
    SetKeyDacl(key, "D:P(A;;KA;;;WD)");
    RegCloseKey(key);
    ExpectErrorBox(seen, "The settings could not be saved.");
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog's thread should handle what was posted to it";
    EXPECT_FALSE(run_->Ended()) << "expected the dialog to stay open";
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"C", "Internal Fortunes"}));
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "expected the catalogue as it was";
    EXPECT_TRUE(FileExists(bIndex)) << "expected the removed row's index file kept while its record stays";

    // With the key writable again, OK saves.
    EXPECT_EQ(EndWith(IDOK), 1);
    EXPECT_EQ(Names(ReadCatalogue()), "C;Internal Fortunes;");
    EXPECT_FALSE(FileExists(bIndex)) << "expected no file " << bIndex;
}

// A new source never gets an index file name that a record of the catalogue
// or a row of the list holds, even when that file has gone from the disk.
TEST_F(SettingsDialog, AddTakesNoIndexNameThatARecordOrARowHolds)
{
    std::string one = WriteCookieFile("one.txt", 1);
    std::string two = WriteCookieFile("two.txt", 2);
    auto name = [&](int n) { return IndexFolder() + "\\Merrowind Index 0000" + std::to_string(n) + ".idx"; };
    WriteCatalogue({BuiltIn(), Cookie(1, 2, "Gone", "C:\\gone.txt", name(0).c_str())});
    Open();
    auto add = [&](const char* source, const std::string& path) {
        Press(dialog_, IDC_ADD);
        HWND dialog = WaitForDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME);
        ASSERT_NE(dialog, nullptr);
        SetItemText(dialog, IDC_COOKIE_NAME, source);
        SetItemText(dialog, IDC_COOKIE_PATH, path);
        Press(dialog, IDOK);
        ASSERT_TRUE(WaitForWindowGone(dialog)) << "the window should have closed";
        ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog's thread should handle what was posted to it";
    };
    add("One", one);
    ASSERT_TRUE(FileExists(name(1))) << "expected 00001: 00000 is held by a record although its file has gone";
    // A cleaner takes the new index file away while the dialog is open.
    ASSERT_TRUE(DeleteFileA(name(1).c_str())) << "error " << GetLastError();
    add("Two", two);
    EXPECT_TRUE(FileExists(name(2))) << "expected 00002: 00001 is held by a row although its file has gone";

    EXPECT_EQ(EndWith(IDOK), 1);
    std::vector<SourceRecord> stored = ReadCatalogue();
    ASSERT_EQ(Names(stored), "Gone;Internal Fortunes;One;Two;");
    EXPECT_EQ(std::string(stored[0].indexPath), name(0));
    EXPECT_EQ(std::string(stored[2].indexPath), name(1));
    EXPECT_EQ(std::string(stored[3].indexPath), name(2)) << "expected every source its own index file";
}

TEST_F(SettingsDialog, EmptyCatalogueShowsNoRowsAndRefusesOk)
{
    Open();
    EXPECT_EQ(ListRowCount(list_), 0);
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (0 active)");
    Press(dialog_, IDOK);
    ExpectErrorBox(CloseMessageBox(run_->ThreadId()), "There are no active cookies.");
    EXPECT_EQ(EndWith(IDCANCEL), 0);
    EXPECT_EQ(CountSourceRecords(), 0);
}

TEST_F(SettingsDialog, EditAndRemoveFollowTheSelectionOfCookieFileRows)
{
    WriteCatalogue({BuiltIn(), MakeRecord(1, kSourceLegacyText, 5, "Fortune.txt", "Fortune.txt"),
                    Cookie(1, 7, "Alpha")});
    Open();
    ClickRow("Internal Fortunes");
    EXPECT_FALSE(EditAndRemoveEnabled()) << "the built-in source cannot be edited";
    ClickRow("Fortune.txt");
    EXPECT_FALSE(EditAndRemoveEnabled()) << "the legacy text file cannot be edited";
    ClickRow("Alpha");
    EXPECT_TRUE(EditAndRemoveEnabled()) << "Edit and Remove should be enabled";

    // The keyboard moves the selection, and the buttons follow it (the rows
    // are Alpha, Fortune.txt, Internal Fortunes).
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return ListRowState(list_, ListRowNamed(list_, "Fortune.txt"), LVIS_SELECTED) != 0; })) << "the keyboard should select the next row";
    EXPECT_TRUE(WaitUntil([&] { return !EditAndRemoveEnabled(); }, 10000))
        << "expected Edit and Remove disabled once the keyboard selects the legacy row";
    PressKey(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return EditAndRemoveEnabled(); }, 10000))
        << "expected Edit and Remove enabled once the keyboard selects Alpha again";

    // Selecting the built-in row in any other way disables them too, and
    // Remove still checks the row itself. The focus stays on Alpha: the
    // buttons follow the selection, not the focus.
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list_, LVM_SETITEMSTATE, ListRowNamed(list_, "Internal Fortunes"), reinterpret_cast<LPARAM>(&item));
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog's thread should handle what was posted to it";
    EXPECT_FALSE(EditAndRemoveEnabled()) << "expected the buttons to follow a selection made without the mouse";
    PressAndSettle(IDC_REMOVE);
    EXPECT_EQ(ListRowCount(list_), 3) << "Remove leaves the built-in row";
    PressAndSettle(IDC_EDIT);
    EXPECT_EQ(FindDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME), nullptr) << "Edit opens nothing for it";

    // A double click on the built-in row sends Edit, which does nothing.
    ClickRow("Internal Fortunes", true);
    EXPECT_EQ(FindDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME), nullptr);

    // Remove takes the selected row away, and the buttons with it; pressed
    // with no row selected they do nothing.
    ClickRow("Alpha");
    EXPECT_TRUE(EditAndRemoveEnabled()) << "Edit and Remove should be enabled";
    PressAndSettle(IDC_REMOVE);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"Fortune.txt", "Internal Fortunes"}));
    EXPECT_FALSE(EditAndRemoveEnabled()) << "expected Edit and Remove disabled after Remove";
    PressAndSettle(IDC_REMOVE);
    EXPECT_EQ(ListRowCount(list_), 2);
    EXPECT_EQ(EndWith(IDCANCEL), 0);
}

TEST_F(SettingsDialog, DoubleClickOnACookieFileOpensItForEditing)
{
    WriteCatalogue({BuiltIn(), Cookie(0, 7, "Alpha", "C:\\alpha.txt", "C:\\alpha.idx")});
    auto before = SnapshotKey(CatalogueKey);
    Open();
    ClickRow("Alpha", true);
    HWND edit = WaitForDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME);
    ASSERT_NE(edit, nullptr) << "a double click sends Edit";
    EXPECT_EQ(WindowText(edit), "Merrowind - Edit Cookie File");
    EXPECT_EQ(ItemText(edit, IDC_COOKIE_NAME), "Alpha");
    EXPECT_EQ(ItemText(edit, IDC_COOKIE_PATH), "C:\\alpha.txt");
    EXPECT_EQ(GetWindow(edit, GW_OWNER), dialog_) << "the settings dialog owns it";
    Press(edit, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(edit)) << "the edit dialog should have gone";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    EXPECT_EQ(ListCellText(list_, ListRowNamed(list_, "Alpha"), 1), "7") << "a cancelled Edit changes nothing";
    EXPECT_EQ(EndWith(IDCANCEL), 0);
    EXPECT_EQ(SnapshotKey(CatalogueKey), before);
}

TEST_F(SettingsDialog, RemoveThenCancelKeepsTheIndexFileAndTheCatalogue)
{
    folder_.Write("a.idx", std::string(8, '\0'));
    std::string aIndex = folder_.File("a.idx");
    WriteCatalogue({BuiltIn(), Cookie(1, 2, "Alpha", "C:\\a.txt", aIndex.c_str())});
    auto before = SnapshotKey(CatalogueKey);
    Open();
    ClickRow("Alpha");
    PressAndSettle(IDC_REMOVE);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"Internal Fortunes"}));
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (4297 active)");
    EXPECT_TRUE(FileExists(aIndex)) << "the index file waits for OK";
    EXPECT_EQ(EndWith(IDCANCEL), 0);
    EXPECT_TRUE(FileExists(aIndex)) << "Cancel keeps the index file the catalogue names";
    EXPECT_EQ(SnapshotKey(CatalogueKey), before);
}

TEST_F(SettingsDialog, AddIndexesTheFileAndOkStoresItWithoutOrphans)
{
    std::string cookies = WriteCookieFile("three.txt", 3);
    WriteCatalogue({BuiltIn()});
    Open();
    Press(dialog_, IDC_ADD);
    HWND add = WaitForDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(WindowText(add), "Merrowind - Add Cookie File");
    SetItemText(add, IDC_COOKIE_NAME, "Three");
    SetItemText(add, IDC_COOKIE_PATH, cookies);
    Press(add, IDOK);
    ASSERT_TRUE(WaitForWindowGone(add)) << "the file is indexed and the dialog ends";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";

    int row = ListRowNamed(list_, "Three");
    ASSERT_GE(row, 0) << "the new source is listed";
    EXPECT_EQ(ListCellText(list_, row, 1), "3");
    EXPECT_EQ(ListCellText(list_, row, 2), cookies);
    EXPECT_EQ(ListRowState(list_, row, 0xF000), kChecked);
    EXPECT_EQ(WindowText(dialog_), "Merrowind - Settings (4300 active)");
    ASSERT_EQ(IndexFiles().size(), 1u);

    EXPECT_EQ(EndWith(IDOK), 1);
    std::vector<SourceRecord> stored = ReadCatalogue();
    ASSERT_EQ(Names(stored), "Internal Fortunes;Three;");
    EXPECT_EQ(stored[1].active, 1);
    EXPECT_EQ(stored[1].kind, kSourceCookieFile);
    EXPECT_EQ(stored[1].count, 3u);
    EXPECT_STREQ(stored[1].cookiePath, cookies.c_str());
    EXPECT_EQ(std::string(stored[1].indexPath), IndexFolder() + "\\" + IndexFiles()[0])
        << "the one index file is the one the catalogue names";
}

TEST_F(SettingsDialog, AddThenCancelLeavesNoIndexFile)
{
    std::string cookies = WriteCookieFile("two.txt", 2);
    WriteCatalogue({BuiltIn()});
    auto before = SnapshotKey(CatalogueKey);
    Open();
    Press(dialog_, IDC_ADD);
    HWND add = WaitForDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME);
    ASSERT_NE(add, nullptr);
    SetItemText(add, IDC_COOKIE_NAME, "Two");
    SetItemText(add, IDC_COOKIE_PATH, cookies);
    Press(add, IDOK);
    ASSERT_TRUE(WaitForWindowGone(add)) << "the add dialog should have gone";
    ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
    ASSERT_GE(ListRowNamed(list_, "Two"), 0);
    EXPECT_EQ(IndexFiles().size(), 1u);
    EXPECT_EQ(EndWith(IDCANCEL), 0);
    EXPECT_EQ(IndexFiles(), std::vector<std::string>()) << "a cancelled Add leaves no index file";
    EXPECT_EQ(SnapshotKey(CatalogueKey), before);
}

TEST_F(SettingsDialog, EditIndexesIntoANewFileThatFollowsTheFinalAnswer)
{
    std::string oldCookies = WriteCookieFile("old.txt", 2);
    std::string newCookies = WriteCookieFile("new.txt", 5);
    folder_.Write("old.idx", std::string(8, '\0'));
    std::string oldIndex = folder_.File("old.idx");
    WriteCatalogue({BuiltIn(), Cookie(0, 2, "Old", oldCookies.c_str(), oldIndex.c_str())});
    auto before = SnapshotKey(CatalogueKey);

    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer == IDOK ? "OK" : "Cancel");
        Open();
        ClickRow("Old");
        Press(dialog_, IDC_EDIT);
        HWND edit = WaitForDialogWithControl(run_->ThreadId(), IDC_COOKIE_NAME);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(WindowText(edit), "Merrowind - Edit Cookie File");
        SetItemText(edit, IDC_COOKIE_NAME, "New");
        SetItemText(edit, IDC_COOKIE_PATH, newCookies);
        Press(edit, IDOK);
        ASSERT_TRUE(WaitForWindowGone(edit)) << "the edit dialog should have gone";
        ASSERT_TRUE(run_->Barrier(dialog_)) << "the dialog\'s thread should handle what was posted to it";
        int row = ListRowNamed(list_, "New");
        ASSERT_GE(row, 0);
        EXPECT_EQ(ListCellText(list_, row, 1), "5");
        EXPECT_EQ(ListCellText(list_, row, 2), newCookies);
        EXPECT_EQ(ListRowState(list_, row, 0xF000), kUnchecked) << "Edit keeps the row's active flag";
        ASSERT_EQ(IndexFiles().size(), 1u) << "the new index is a file of its own";
        EXPECT_TRUE(FileExists(oldIndex)) << "the old index waits for the answer";

        if (answer == IDCANCEL) {
            EXPECT_EQ(EndWith(IDCANCEL), 0);
            EXPECT_TRUE(FileExists(oldIndex)) << "Cancel keeps the old index";
            EXPECT_EQ(IndexFiles(), std::vector<std::string>()) << "Cancel removes the new index";
            EXPECT_EQ(SnapshotKey(CatalogueKey), before);
        } else {
            EXPECT_EQ(EndWith(IDOK), 1);
            EXPECT_FALSE(FileExists(oldIndex)) << "OK deletes the old index";
            std::vector<SourceRecord> stored = ReadCatalogue();
            ASSERT_EQ(Names(stored), "Internal Fortunes;New;");
            EXPECT_EQ(stored[1].count, 5u);
            EXPECT_STREQ(stored[1].cookiePath, newCookies.c_str());
            ASSERT_EQ(IndexFiles().size(), 1u);
            EXPECT_EQ(std::string(stored[1].indexPath), IndexFolder() + "\\" + IndexFiles()[0]);
        }
        run_.reset();
    }
}

// The label before the link holds its text in the dialog's font, and the
// link keeps its distance behind it.
TEST_F(SettingsDialog, FindMoreLabelHoldsItsMeasuredText)
{
    Open();
    HWND link = GetDlgItem(dialog_, IDC_MORE_LINK);
    HWND label = GetWindow(link, GW_HWNDPREV);
    ASSERT_EQ(WindowText(label), "Find more cookie files:");
    HDC dc = GetDC(label);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dialog_, WM_GETFONT, 0, 0)));
    SIZE extent;
    GetTextExtentPoint32A(dc, "Find more cookie files:", 23, &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    // The template's label (x 7, width 71) and link (x 80), mapped as the
    // dialog manager maps them.
    RECT labelRect, linkRect, templateLabel = {7, 0, 71, 0}, templateLink = {80, 0, 0, 0}, client;
    GetWindowRect(label, &labelRect);
    GetWindowRect(link, &linkRect);
    MapDialogRect(dialog_, &templateLabel);
    MapDialogRect(dialog_, &templateLink);
    GetClientRect(dialog_, &client);
    EXPECT_GE(labelRect.right - labelRect.left, extent.cx);
    EXPECT_EQ(linkRect.left - labelRect.right, templateLink.left - templateLabel.left - templateLabel.right)
        << "the link moved along as far";
    POINT linkEnd = {linkRect.right, 0};
    ScreenToClient(dialog_, &linkEnd);
    EXPECT_LE(linkEnd.x, client.right) << "the dialog holds the link";
}

TEST_F(SettingsDialog, OptionsAreKeptAfterOkAndUntouchedAfterCancel)
{
    ForgetPutAwayList();
    ASSERT_TRUE(PutAwayFortune("one\n") && PutAwayFortune("two\n"));
    const int boxes[] = {IDC_NO_REPEATS, IDC_ONE_A_DAY, IDC_SIGN_IN};
    Open();
    for (INT_PTR answer : {IDCANCEL, IDOK}) {
        Press(dialog_, IDC_OPTIONS);
        HWND options = WaitForDialogWithControl(run_->ThreadId(), IDC_NO_REPEATS);
        ASSERT_NE(options, nullptr) << "the options dialog did not show";
        EXPECT_EQ(WindowText(options), "Merrowind - Options");
        for (int box : boxes)
            EXPECT_EQ(IsDlgButtonChecked(options, box), box == IDC_NO_REPEATS ? BST_CHECKED : BST_UNCHECKED) << box;
        EXPECT_EQ(ItemText(options, IDC_PUT_AWAY_COUNT), "2 fortunes put away");
        for (int box : boxes) PostMessageA(GetDlgItem(options, box), BM_CLICK, 0, 0);
        Press(options, IDC_BRING_BACK);
        ASSERT_TRUE(run_->Barrier(options));
        EXPECT_EQ(ItemText(options, IDC_PUT_AWAY_COUNT), "0 fortunes put away");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(options, IDC_BRING_BACK)));
        if (answer == IDOK) break;
        Press(options, IDCANCEL);
        ASSERT_TRUE(WaitForWindowGone(options));
        EXPECT_TRUE(SnapshotKey(CatalogueKey).empty()) << "Cancel wrote an option";
        EXPECT_FALSE(StartsAtSignIn());
        ForgetPutAwayList();
        EXPECT_EQ(CountPutAway(), 2u) << "Cancel brought them back";
    }
    HWND options = FindDialogWithControl(run_->ThreadId(), IDC_NO_REPEATS);
    Press(options, IDOK);
    ASSERT_TRUE(WaitForWindowGone(options));
    DWORD repeats = 0, oneADay = 0;
    EXPECT_TRUE(GetDwordValue(CatalogueKey, kRepeatsOption, &repeats) && repeats == 1);
    EXPECT_TRUE(GetDwordValue(CatalogueKey, kOneADayOption, &oneADay) && oneADay == 1);
    EXPECT_TRUE(StartsAtSignIn());
    ForgetPutAwayList();
    EXPECT_EQ(CountPutAway(), 0u);

    // Opened again, the dialog shows what OK kept.
    Press(dialog_, IDC_OPTIONS);
    options = WaitForDialogWithControl(run_->ThreadId(), IDC_NO_REPEATS);
    ASSERT_NE(options, nullptr);
    for (int box : boxes)
        EXPECT_EQ(IsDlgButtonChecked(options, box), box == IDC_NO_REPEATS ? BST_UNCHECKED : BST_CHECKED) << box;
    EXPECT_EQ(ItemText(options, IDC_PUT_AWAY_COUNT), "0 fortunes put away");
    Press(options, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(options));
    SetStartAtSignIn(0);
}
