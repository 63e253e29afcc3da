// The registry catalogue, in a scratch key per test.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstring>

#include <gtest/gtest.h>

#include "app/start_up.h"
#include "cookies/legacy_sync.h"
#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "tests/support/win32_fixtures.h"

class Catalogue : public ScratchTest {};

static std::string RecordBytes(const SourceRecord& r)
{
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

// The records as one reading of the whole run gives them.
static std::vector<SourceRecord> ReadAtOnce()
{
    int n = -1;
    SourceRecord* all = ReadSourceRecords(&n);
    EXPECT_NE(all, nullptr);
    std::vector<SourceRecord> records(all, all + (all != nullptr ? n : 0));
    LocalFree(all);
    return records;
}

TEST_F(Catalogue, MissingKeyCountsNothingAndReadsNothing)
{
    EXPECT_EQ(ReadAtOnce().size(), 0u);
    EXPECT_EQ(HasSourceRecords(), 0);
    EXPECT_EQ(CountSourceRecords(), 0);
    EXPECT_EQ(ClearSourceRecords(), 0);
    SourceRecord r;
    EXPECT_EQ(ReadSourceRecord(0, &r), 0);
    EXPECT_EQ(DeleteSourceRecord(0), 0) << "the key cannot be opened";
}

TEST_F(Catalogue, FirstWriteCreatesTheKeyAndRoundTripsAll788Bytes)
{
    SourceRecord written;
    for (size_t i = 0; i < sizeof written; ++i) reinterpret_cast<unsigned char*>(&written)[i] = static_cast<unsigned char>(i * 7 + 3);
    ASSERT_EQ(WriteSourceRecord(0, &written), 1);
    SourceRecord read;
    std::memset(&read, 0, sizeof read);
    ASSERT_EQ(ReadSourceRecord(0, &read), 1);
    EXPECT_EQ(written, read);
    auto values = SnapshotKey(CatalogueKey);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "MWD00000");
    EXPECT_EQ(values[0].type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(values[0].data, RecordBytes(written));
}

TEST_F(Catalogue, ValueNamesHaveAtLeastFiveDigits)
{
    char name[16];
    FormatRecordValueName(0, name);
    EXPECT_STREQ(name, "MWD00000");
    FormatRecordValueName(42, name);
    EXPECT_STREQ(name, "MWD00042");
    FormatRecordValueName(100000, name);
    EXPECT_STREQ(name, "MWD100000");
}

TEST_F(Catalogue, GapHidesLaterValuesWhichSurviveAClear)
{
    SourceRecord a = MakeRecord(1, 0, 1, "a"), b = MakeRecord(1, 2, 2, "b"), d = MakeRecord(1, 2, 4, "d");
    WriteSourceRecord(0, &a);
    WriteSourceRecord(1, &b);
    WriteSourceRecord(3, &d);
    EXPECT_EQ(CountSourceRecords(), 2);
    EXPECT_EQ(ReadAtOnce(), (std::vector<SourceRecord>{a, b}));
    EXPECT_EQ(HasSourceRecords(), 1);
    EXPECT_EQ(ClearSourceRecords(), 1);
    EXPECT_EQ(CountSourceRecords(), 0);
    EXPECT_EQ(HasSourceRecords(), 0) << "a record behind the gap makes no catalogue";
    auto values = SnapshotKey(CatalogueKey);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "MWD00003");
    // Filling the gap makes it part of the catalogue again.
    WriteSourceRecord(0, &a);
    WriteSourceRecord(1, &b);
    WriteSourceRecord(2, &b);
    EXPECT_EQ(CountSourceRecords(), 4);
}

TEST_F(Catalogue, DeleteInTheMiddleShiftsLaterRecordsDown)
{
    std::vector<SourceRecord> records = {MakeRecord(1, 0, 1, "W"), MakeRecord(1, 2, 2, "X"),
                                         MakeRecord(0, 2, 3, "Y"), MakeRecord(1, 1, 4, "Z")};
    WriteCatalogue(records);
    EXPECT_EQ(DeleteSourceRecord(1), 1);
    auto after = ReadCatalogue();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], records[0]);
    EXPECT_EQ(after[1], records[2]);
    EXPECT_EQ(after[2], records[3]);
    EXPECT_FALSE(ValueExists(CatalogueKey, "MWD00003")) << "expected no value MWD00003";
}

TEST_F(Catalogue, OneReadingGivesEveryRecordOfALongCatalogue)
{
    std::vector<SourceRecord> records;
    for (int i = 0; i < 17; ++i) records.push_back(MakeRecord(i % 2, 2, static_cast<uint32_t>(i), "source"));
    WriteCatalogue(records);
    EXPECT_EQ(ReadAtOnce(), records);
}

TEST_F(Catalogue, DeleteLastFirstOnlyAndBeyondTheEnd)
{
    std::vector<SourceRecord> records = {MakeRecord(1, 0, 1, "W"), MakeRecord(1, 2, 2, "X")};
    WriteCatalogue(records);
    EXPECT_EQ(DeleteSourceRecord(1), 1);
    EXPECT_EQ(CountSourceRecords(), 1);
    EXPECT_EQ(DeleteSourceRecord(5), 1) << "beyond the end: nothing deleted, key opened";
    EXPECT_EQ(CountSourceRecords(), 1);
    EXPECT_EQ(DeleteSourceRecord(0), 1);
    EXPECT_EQ(CountSourceRecords(), 0);
    EXPECT_EQ(SnapshotKey(CatalogueKey), std::vector<RegistryValue>()) << "expected an empty catalogue";
}

TEST_F(Catalogue, ShortValueFillsOnlyItsLengthAndLongValueCannotBeRead)
{
    SetRawValue(CatalogueKey, "MWD00000", REG_BINARY, std::string("\x01\x00\x00\x00\x02", 5));
    SourceRecord r;
    std::memset(&r, 0x5A, sizeof r);
    ASSERT_EQ(ReadSourceRecord(0, &r), 1);
    EXPECT_EQ(r.active, 1);
    EXPECT_EQ(static_cast<unsigned char>(reinterpret_cast<char*>(&r)[4]), 2);
    for (size_t i = 5; i < sizeof r; ++i)
        ASSERT_EQ(reinterpret_cast<const unsigned char*>(&r)[i], 0) << "byte " << i << " behind a short value is zero";

    SetRawValue(CatalogueKey, "MWD00001", REG_BINARY, std::string(789, 'x'));
    SetRawValue(CatalogueKey, "MWD00000", REG_BINARY, std::string(789, 'x'));
    EXPECT_EQ(HasSourceRecords(), 1) << "a record too long to read is there all the same";
    SetRawValue(CatalogueKey, "MWD00000", REG_BINARY, std::string("\x01\x00\x00\x00\x02", 5));
    EXPECT_EQ(CountSourceRecords(), 2);
    EXPECT_EQ(ReadSourceRecord(1, &r), 0);
    ReadSourceRecord(0, &r);
    EXPECT_EQ(ReadAtOnce(), std::vector<SourceRecord>{r}) << "zeros behind the short one, the long one ends the run";
    EXPECT_EQ(ClearSourceRecords(), 1);
    EXPECT_EQ(SnapshotKey(CatalogueKey), std::vector<RegistryValue>()) << "expected an empty catalogue";
}

TEST_F(Catalogue, DeleteMovingAShortValueDoesNotCarryBytesOfTheRecordBefore)
{
    SourceRecord w = MakeRecord(1, 0, 1, "W");
    SourceRecord x;
    std::memset(&x, 0x77, sizeof x);
    WriteSourceRecord(0, &w);
    WriteSourceRecord(1, &x);
    SetRawValue(CatalogueKey, "MWD00002", REG_BINARY, std::string("\x01", 1));
    ASSERT_EQ(DeleteSourceRecord(0), 1);
    auto after = ReadCatalogue();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], x);
    SourceRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.active = 1;
    EXPECT_EQ(after[1], expected) << "the short value moves down zero-filled";
}

TEST_F(Catalogue, TruncateKeepsThePositionsBelow)
{
    WriteCatalogue({MakeRecord(1, 0, 1, "a"), MakeRecord(1, 0, 2, "b"), MakeRecord(1, 0, 3, "c")});
    EXPECT_EQ(TruncateSourceRecords(1), 1);
    EXPECT_EQ(CountSourceRecords(), 1);
    EXPECT_EQ(TruncateSourceRecords(1), 0);
}

static int g_failingCall, g_calls;
static int WriteFailingOnce(int i, const SourceRecord* record)  // call g_failingCall (from 0) fails
{
    return g_calls++ == g_failingCall ? 0 : WriteSourceRecord(i, record);
}

// A save that fails part-way leaves the old list, never a mix of the two.
TEST_F(Catalogue, ReplaceGivesTheNewListOrPutsTheOldOneBack)
{
    const std::vector<SourceRecord> old = {MakeRecord(1, 0, 1, "a")};
    const std::vector<SourceRecord> fresh = {MakeRecord(1, 2, 4, "w"), MakeRecord(1, 2, 5, "x"),
                                             MakeRecord(0, 2, 6, "y")};
    const SourceRecord* rows[] = {&fresh[0], &fresh[1], &fresh[2]};
    for (g_failingCall = -1; g_failingCall < 3; ++g_failingCall) {  // -1: none fails
        SCOPED_TRACE("write " + std::to_string(g_failingCall) + " failing");
        ClearSourceRecords();
        WriteCatalogue(old);
        g_calls = 0;
        EXPECT_EQ(ReplaceSourceRecords(rows, 3, WriteFailingOnce), g_failingCall < 0);
        EXPECT_EQ(ReadCatalogue(), g_failingCall < 0 ? fresh : old);
        EXPECT_EQ(CountSourceRecords(), g_failingCall < 0 ? 3 : 1) << "expected nothing behind the list";
    }
}

// Another copy of the program holding the catalogue lock, played by a thread
// that takes it by its name; with no release event it ends holding it.
struct LockHolder {
    HANDLE taken, release;
};
static DWORD WINAPI HoldCatalogueLock(LPVOID parameter)
{
    LockHolder* holder = static_cast<LockHolder*>(parameter);
    HANDLE held;
    if (!LockCatalogue(&held)) return 1;
    SetEvent(holder->taken);
    if (holder->release == nullptr) return 0;
    WaitForSingleObject(holder->release, INFINITE);
    UnlockCatalogue(held);
    return 0;
}

// While another copy holds the lock past the wait, the optional count is
// skipped and the user's save still lands; a lock whose holder ended is free.
TEST_F(Catalogue, LockHeldElsewhereSkipsTheCountButNotTheSave)
{
    const SourceRecord old = MakeRecord(1, 2, 3, "a", "a.txt", "a.idx"), saved = MakeRecord(1, 2, 8, "b");
    const SourceRecord* rows[] = {&saved};
    for (int holding : {0, 1, 2}) {  // no holder, a live one, one that ended holding it
        SCOPED_TRACE("holder " + std::to_string(holding));
        WriteCatalogue({old});
        LockHolder holder = {CreateEventA(nullptr, TRUE, FALSE, nullptr),
                             holding == 1 ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr};
        HANDLE thread = holding ? CreateThread(nullptr, 0, HoldCatalogueLock, &holder, 0, nullptr) : nullptr;
        ASSERT_EQ(holding ? WaitForSingleObject(holder.taken, 10000) : WAIT_OBJECT_0, WAIT_OBJECT_0);
        ASSERT_EQ(holding == 2 ? WaitForSingleObject(thread, 10000) : WAIT_OBJECT_0, WAIT_OBJECT_0);
        EXPECT_EQ(UpdateSourceCount(&old, 4), holding == 1 ? 0 : 1);
        EXPECT_EQ(ReadCatalogue()[0].count, holding == 1 ? 3u : 4u);
        EXPECT_EQ(ReplaceSourceRecords(rows, 1), 1);
        EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({saved}));
        if (holder.release != nullptr) SetEvent(holder.release);
        if (thread != nullptr) {
            WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
        }
    }
}

// A count written by another copy while a save is under way waits for the
// save, then finds its record where the save put it; without the lock it
// would write the old place, which the save then overwrites.
static SourceRecord g_counted;
static DWORD WINAPI CountElsewhere(LPVOID) { return UpdateSourceCount(&g_counted, 7); }
static int WriteLettingACountIn(int i, const SourceRecord* record)
{
    if (i == 0) {  // the count comes as the save is about to write
        HANDLE other = CreateThread(nullptr, 0, CountElsewhere, nullptr, 0, nullptr);
        WaitForSingleObject(other, 500);
        CloseHandle(other);
    }
    return WriteSourceRecord(i, record);
}

TEST_F(Catalogue, CountDuringASaveLandsAfterIt)
{
    g_counted = MakeRecord(1, 2, 3, "x", "x.txt", "x.idx");
    const SourceRecord added = MakeRecord(1, 2, 2, "y");
    WriteCatalogue({g_counted});
    const SourceRecord* rows[] = {&added, &g_counted};
    ASSERT_EQ(ReplaceSourceRecords(rows, 2, WriteLettingACountIn), 1);
    SourceRecord recounted = g_counted;
    recounted.count = 7;
    for (int waited = 0; waited < 100 && ReadCatalogue()[1].count == 3; ++waited) Sleep(50);
    EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({added, recounted}));
}

// Every writer of the start-up and the sync takes the lock: while another
// copy holds it, the writer waits and writes nothing (else that copy's save
// could lose or duplicate a record); once it is free, the writer writes and
// lets go of it in turn (else every other copy would wait 2 s and skip its
// counts). The writer's thread stays, so a lock it kept is not abandoned.
static void (*g_write)();
static HANDLE g_written, g_leave;
static DWORD WINAPI WriteAndStay(LPVOID)
{
    g_write();
    SetEvent(g_written);
    return WaitForSingleObject(g_leave, 30000);
}

TEST_F(Catalogue, EveryWriterWaitsForTheLockAndLetsGoOfIt)
{
    const SourceRecord builtIn = MakeRecord(1, 0, 4297, "Internal Fortunes");
    folder_.Write("Fortune.txt", "EXTRA one\n");
    const struct { const char* what; std::vector<SourceRecord> before; void (*write)(); } rows[] = {
        {"delete", {builtIn, MakeRecord(1, 1, 1, "Fortune.txt", "Fortune.txt")}, [] { DeleteSourceRecord(1); }},
        {"first record", {}, EnsureCatalogue},
        {"sync", {builtIn}, SyncLegacyTextFile}};
    for (const auto& row : rows) {
        ClearSourceRecords();
        WriteCatalogue(row.before);
        HANDLE held;
        ASSERT_EQ(LockCatalogue(&held), 1);
        g_write = row.write;
        g_written = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_leave = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE writer = CreateThread(nullptr, 0, WriteAndStay, nullptr, 0, nullptr);
        EXPECT_EQ(WaitForSingleObject(g_written, 300), static_cast<DWORD>(WAIT_TIMEOUT)) << row.what << " waits";
        EXPECT_EQ(ReadCatalogue(), row.before) << row.what << " writes nothing while another copy holds the lock";
        UnlockCatalogue(held);
        EXPECT_EQ(WaitForSingleObject(g_written, 10000), WAIT_OBJECT_0) << row.what;
        EXPECT_FALSE(ReadCatalogue() == row.before) << row.what << " writes once the lock is free";
        EXPECT_EQ(LockCatalogue(&held), 1) << row.what << " lets go of the lock";
        UnlockCatalogue(held);
        SetEvent(g_leave);
        WaitForSingleObject(writer, 10000);
        CloseHandle(writer);
        CloseHandle(g_written);
        CloseHandle(g_leave);
    }
}

// The lock a copy makes lets in every copy of the same user, elevated or
// not; one made by a copy that lets this one only wait on it is still taken.
TEST_F(Catalogue, LockIsOpenToEveryCopyOfTheUser)
{
    NameCatalogueLock(("Local\\MerrowindTests.Made." + std::to_string(GetCurrentProcessId())).c_str());
    HANDLE held;
    ASSERT_EQ(LockCatalogue(&held), 1);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    PSID user = nullptr;
    ASSERT_EQ(GetSecurityInfo(held, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &security), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(ConvertStringSidToSidA(CurrentUserSid().c_str(), &user));
    DWORD granted = 0;
    ACCESS_ALLOWED_ACE* ace;
    for (DWORD i = 0; dacl != nullptr && GetAce(dacl, i, reinterpret_cast<void**>(&ace)); ++i)
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, user)) granted |= ace->Mask;
    EXPECT_EQ(granted & MUTEX_ALL_ACCESS, static_cast<DWORD>(MUTEX_ALL_ACCESS)) << "granted to the user: " << granted;
    LocalFree(user);
    LocalFree(security);
    UnlockCatalogue(held);

    const std::string name = "Local\\MerrowindTests.Elevated." + std::to_string(GetCurrentProcessId());
    NameCatalogueLock(name.c_str());
    PSECURITY_DESCRIPTOR waitOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;0x100000;;;WD)", SDDL_REVISION_1,
                                                                     &waitOnly, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, waitOnly, FALSE};
    HANDLE elevated = CreateMutexA(&attributes, FALSE, name.c_str());
    LocalFree(waitOnly);
    HANDLE plain = CreateMutexA(nullptr, FALSE, name.c_str());
    EXPECT_EQ(plain, nullptr) << "expected this platform to refuse full access, or the test shows nothing";
    EXPECT_EQ(LockCatalogue(&held), 1) << "opened with the right to wait only";
    UnlockCatalogue(held);
    if (plain != nullptr) CloseHandle(plain);
    CloseHandle(elevated);
}
