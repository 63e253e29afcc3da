// "Fortune.txt" and the catalogue at start-up: every row of the state table,
// the line counting through the real text-mode reader, and the user's own
// switches standing across starts.
#include <windows.h>
#include <sddl.h>

#include <string>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "cookies/legacy_sync.h"
#include "tests/support/win32_fixtures.h"

namespace {

const SourceRecord kBuiltInOn = MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes");
const SourceRecord kBuiltInOff = MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes");
const SourceRecord kCookies = MakeRecord(1, kSourceCookieFile, 12, "Wisdom", "C:\\w.txt", "C:\\w.idx");

SourceRecord Legacy(uint32_t count, int active = 1)
{
    return MakeRecord(active, kSourceLegacyText, count, "Fortune.txt", "Fortune.txt");
}

class LegacySync : public ScratchTest {
protected:
    void WriteFortunes(const std::string& bytes) { folder_.Write("Fortune.txt", bytes); }

    // Gives the file a last-write time of our choosing, so that "edited"
    // never depends on the clock's granularity.
    void SetFileTime(uint32_t low, uint32_t high)
    {
        HANDLE file = CreateFileA(folder_.File("Fortune.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME time = {low, high};
        ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &time)) << "error " << GetLastError();
        CloseHandle(file);
    }

    FILETIME FileTime() { return LastWriteTime(folder_.File("Fortune.txt")); }

    // The four values must say: count, switch, and the file's current time.
    void ExpectStored(DWORD size, DWORD replace)
    {
        DWORD value = 0;
        FILETIME time = FileTime();
        ASSERT_TRUE(GetDwordValue(CatalogueKey, "FSize", &value)) << "expected a DWORD value FSize";
        EXPECT_EQ(value, size) << "FSize";
        ASSERT_TRUE(GetDwordValue(CatalogueKey, "FReplace", &value)) << "expected a DWORD value FReplace";
        EXPECT_EQ(value, replace) << "FReplace";
        ASSERT_TRUE(GetDwordValue(CatalogueKey, "LastLow", &value)) << "expected a DWORD value LastLow";
        EXPECT_EQ(value, time.dwLowDateTime) << "LastLow";
        ASSERT_TRUE(GetDwordValue(CatalogueKey, "LastHigh", &value)) << "expected a DWORD value LastHigh";
        EXPECT_EQ(value, time.dwHighDateTime) << "LastHigh";
    }

    void ExpectCatalogue(const std::vector<SourceRecord>& expected)
    {
        std::vector<SourceRecord> actual = ReadCatalogue();
        ASSERT_EQ(actual.size(), expected.size()) << "records in the catalogue";
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(actual[i], expected[i]) << "record " << i;
    }

    // Counts the file's fortune lines through a whole sync from a first start.
    uint32_t CountOf(const std::string& bytes)
    {
        WriteFortunes(bytes);
        WriteCatalogue({kBuiltInOn});
        SyncLegacyTextFile();
        std::vector<SourceRecord> records = ReadCatalogue();
        EXPECT_EQ(records.size(), 2u);
        return records.size() == 2 ? records[1].count : 0xFFFFFFFFu;
    }
};

TEST_F(LegacySync, FirstStartAppendsTheFileSwitchedOnAndTheBuiltInOff)
{
    WriteCatalogue({kBuiltInOn, kCookies});
    WriteFortunes("A\n\nB\n");
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, kCookies, Legacy(2)});
    ExpectStored(2, 0);
}

TEST_F(LegacySync, ExtraOnTheFirstLineSwitchesTheBuiltInOnAgain)
{
    WriteCatalogue({kBuiltInOff});
    WriteFortunes("EXTRA\nsecond line\n");
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOn, Legacy(2)});
    ExpectStored(2, 1);
}

TEST_F(LegacySync, LowerCaseOrLaterExtraSwitchesTheBuiltInOff)
{
    WriteCatalogue({kBuiltInOn});
    WriteFortunes("extra\nEXTRA\n");
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, Legacy(2)});
    ExpectStored(2, 0);
}

TEST_F(LegacySync, AbsentFileRemovesEveryLegacyRecordAndNothingElse)
{
    SetLegacyScanValues(3, 1, 111, 222);
    WriteCatalogue({Legacy(3), kBuiltInOff, Legacy(3), Legacy(5, 0), kCookies, Legacy(1)});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, kCookies});
    DWORD value = 0;
    ASSERT_TRUE(GetDwordValue(CatalogueKey, "LastLow", &value)) << "expected a DWORD value LastLow";
    EXPECT_EQ(value, 111u) << "the stored values stay as they were";
}

TEST_F(LegacySync, LockedFileCountsAsAbsent)
{
    WriteCatalogue({kBuiltInOn, Legacy(4)});
    WriteFortunes("one\ntwo\n");
    HANDLE lock = CreateFileA(folder_.File("Fortune.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    SyncLegacyTextFile();
    CloseHandle(lock);
    ExpectCatalogue({kBuiltInOn});
}

// An editor's hold is no lock: the file is still there, so its record keeps
// the user's switch, and a changed file is counted through the hold.
TEST_F(LegacySync, FileAnEditorHoldsOpenIsStillThere)
{
    for (FileHold hold : {kEditorHold, kDeleteHold}) {
        SCOPED_TRACE(hold == kEditorHold ? "held for writing" : "held for writing and deletion");
        WriteFortunes("EXTRA one\ntwo\nthree\n");
        FILETIME time = FileTime();
        WriteCatalogue({kBuiltInOn, Legacy(3, 0)});
        SetLegacyScanValues(3, 1, time.dwLowDateTime, time.dwHighDateTime);
        {
            HeldForWriting editor(folder_.File("Fortune.txt"), hold);
            ASSERT_TRUE(editor.Held()) << "the test should hold the file open";
            ASSERT_TRUE(HoldLocksOutPlainReaders(folder_.File("Fortune.txt")))
                << "expected this platform to honour share modes, or the test shows nothing";
            SyncLegacyTextFile();
            ExpectCatalogue({kBuiltInOn, Legacy(3, 0)});

            SetLegacyScanValues(3, 1, 1, 1);  // a time the file does not have: it is counted again
            SyncLegacyTextFile();
            ExpectCatalogue({kBuiltInOn, Legacy(3, 1)});
        }
        ExpectStored(3, 1);
    }
}

TEST_F(LegacySync, UnchangedFileWithItsRecordWritesNothing)
{
    WriteCatalogue({kBuiltInOn});
    WriteFortunes("alpha\nbeta\n");
    SyncLegacyTextFile();
    // The user switches both sources as they like.
    WriteCatalogue({kBuiltInOn, Legacy(2, 0)});
    std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
    SyncLegacyTextFile();
    SyncLegacyTextFile();
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "the registry must be byte-identical";

    // Once the file is edited, the record comes back on and the first line
    // decides the built-in collection anew.
    WriteFortunes("alpha\nbeta\ngamma\n");
    FILETIME old = FileTime();
    SetFileTime(old.dwLowDateTime + 10000000u, old.dwHighDateTime);
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, Legacy(3)});
    ExpectStored(3, 0);
}

TEST_F(LegacySync, UnchangedFileWithoutItsRecordIsRescannedAndAppended)
{
    // As after a restore of the file with its old time: the values match,
    // but no record is left.
    WriteFortunes("EXTRA\n");
    FILETIME time = FileTime();
    SetLegacyScanValues(9, 0, time.dwLowDateTime, time.dwHighDateTime);
    WriteCatalogue({kBuiltInOff, kCookies});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOn, kCookies, Legacy(1)});
    ExpectStored(1, 1);
}

TEST_F(LegacySync, ChangedFileReplacesEveryLegacyRecordInPlace)
{
    WriteFortunes("one\ntwo\nthree\n");
    SetLegacyScanValues(2, 1, 1, 2);  // an older time
    WriteCatalogue({Legacy(2, 0), kBuiltInOn, kCookies, Legacy(7, 0)});
    SyncLegacyTextFile();
    ExpectCatalogue({Legacy(3), kBuiltInOff, kCookies, Legacy(3)});
    ExpectStored(3, 0);
}

TEST_F(LegacySync, MissingValuesCountAsChanged)
{
    WriteFortunes("x y\n");
    FILETIME time = FileTime();
    SetDwordValue(CatalogueKey, "FSize", 1);
    SetDwordValue(CatalogueKey, "FReplace", 1);
    SetDwordValue(CatalogueKey, "LastLow", time.dwLowDateTime);
    // LastHigh missing, and then LastLow stored with the wrong size.
    WriteCatalogue({kBuiltInOn, Legacy(1, 0)});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, Legacy(1)});

    // The file's time fits the two bytes, which must not pass for its value.
    SetFileTime(0x1234, time.dwHighDateTime);
    WriteCatalogue({kBuiltInOn, Legacy(1, 0)});
    SetRawValue(CatalogueKey, "LastLow", REG_BINARY, std::string("\x34\x12", 2));
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, Legacy(1)});
}

TEST_F(LegacySync, EmptyFileKeepsTheStoredSwitchOnlyWhenSizeAndSwitchWereRead)
{
    WriteFortunes("");
    SetLegacyScanValues(5, 1, 1, 1);
    WriteCatalogue({kBuiltInOff});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOn, Legacy(0)});
    ExpectStored(0, 1);

    // Without "FSize" the stored switch is not taken.
    DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
    SetDwordValue(CatalogueKey, "FReplace", 1);
    WriteCatalogue({kBuiltInOn});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOff, Legacy(0)});
    ExpectStored(0, 0);
}

TEST_F(LegacySync, LinesAreCountedAsTheTextModeReaderYieldsThem)
{
    EXPECT_EQ(CountOf("A\n\nB\n"), 2u) << "the empty line does not count";
    EXPECT_EQ(CountOf("A\nB"), 1u) << "a last single character without LF";
    EXPECT_EQ(CountOf("A\r\n\r\nB\r\n"), 2u) << "CR LF reads as LF";
    EXPECT_EQ(CountOf("A\rB\r\n\r"), 1u) << "a lone CR stays a character, not a break";
    EXPECT_EQ(CountOf("one\ntwo\x1athree\nfour\n"), 2u) << "Ctrl-Z ends the file";
    EXPECT_EQ(CountOf(std::string(4098, 'x') + "\n"), 1u) << "4098 characters and LF";
    EXPECT_EQ(CountOf(std::string(5000, 'x') + "\n"), 2u) << "5000 characters and LF";
    EXPECT_EQ(CountOf(std::string(4099, 'x') + "\n"), 2u) << "4098, then one character and its LF";
}

TEST_F(LegacySync, AByteOrderMarkAtTheStartIsNoPartOfTheFirstLine)
{
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(CountOf(mark + "\nA\nB\n"), 2u) << "a first line of the mark and LF is blank";
    EXPECT_EQ(CountOf(mark + "A"), 0u) << "the mark and one character without LF is short";
    EXPECT_EQ(CountOf(mark + "AB\n"), 1u);
    EXPECT_EQ(CountOf("A\n" + mark + "\n"), 2u) << "further on, the mark is text";
    WriteFortunes(mark + "EXTRA\nmore\n");
    WriteCatalogue({kBuiltInOff});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOn, Legacy(2)});
}

DWORD WINAPI SyncOnThread(LPVOID)
{
    SyncLegacyTextFile();
    return 0;
}

// The file is counted before the lock is taken, so a long read holds up
// nobody; an edit saved before the lock came (here while another copy holds
// it) is not stored as counted, and the next start counts it again.
TEST_F(LegacySync, FileEditedWhileCountedIsCountedAgainAtTheNextStart)
{
    WriteCatalogue({kBuiltInOn});
    WriteFortunes("one\n");
    HANDLE held;
    ASSERT_EQ(LockCatalogue(&held), 1);
    HANDLE worker = CreateThread(nullptr, 0, SyncOnThread, nullptr, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    // The count of one line takes far less; the sync then waits for the lock,
    // up to 2 s, and the edit and the release come well within that.
    Sleep(1500);
    WriteFortunes("EXTRA one\ntwo\n");
    UnlockCatalogue(held);
    EXPECT_EQ(WaitForSingleObject(worker, 30000), WAIT_OBJECT_0);
    CloseHandle(worker);
    ExpectCatalogue({kBuiltInOn});
    SyncLegacyTextFile();
    ExpectCatalogue({kBuiltInOn, Legacy(2)});
    ExpectStored(2, 1);
}

// A catalogue key that this user may read but not change: the absent walk
// cannot delete the record and must still come to an end.
TEST_F(LegacySync, AbsentWalkEndsWhenTheRecordCannotBeDeleted)
{
    WriteCatalogue({kBuiltInOn, Legacy(2), kCookies});
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                     &readOnly, nullptr));
    ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly);

    HKEY probe;
    LONG writable = RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_SET_VALUE, &probe);
    if (writable == ERROR_SUCCESS) RegCloseKey(probe);

    // The walk runs on a thread of its own so that a hang fails the test
    // instead of stopping the whole run.
    HANDLE worker = CreateThread(nullptr, 0, SyncOnThread, nullptr, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    DWORD waited = WaitForSingleObject(worker, 30000);
    if (waited != WAIT_OBJECT_0) TerminateThread(worker, 1);
    CloseHandle(worker);

    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &open, nullptr));
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open);
    LocalFree(open);
    RegCloseKey(key);

    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the absent walk must end";
    ASSERT_NE(writable, ERROR_SUCCESS) << "this platform must enforce the read-only key for the test to mean anything";
    ExpectCatalogue({kBuiltInOn, Legacy(2), kCookies});
}

}  // namespace
