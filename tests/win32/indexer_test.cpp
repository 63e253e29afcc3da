// The indexer on real files: result codes, the record fields after each,
// the index file's content, the name search and runs on a worker thread.
// The application-data folder is redirected into the test's own folder.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cookies/index_location.h"
#include "cookies/indexer.h"
#include "tests/support/app_data.h"
#include "tests/support/cookie_split.h"
#include "tests/support/input.h"
#include "tests/support/win32_fixtures.h"

typedef std::vector<uint32_t> Entries;

static Entries ReadEntries(const std::string& path)
{
    std::string bytes = ReadWholeFile(path);
    Entries entries(bytes.size() / 4);
    if (!entries.empty()) memcpy(&entries[0], bytes.data(), entries.size() * 4);
    EXPECT_EQ(bytes.size() % 4, 0u) << path << " is not a whole number of entries";
    return entries;
}

// A file of the given size whose bytes are all zero, made without writing
// them (a sparse file where the file system allows).
static void MakeZeroFile(const std::string& path, uint64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    ASSERT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) << "error " << GetLastError();
    ASSERT_TRUE(SetEndOfFile(file)) << "error " << GetLastError();
    CloseHandle(file);
}

class Indexer : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        appData_ = folder_.File("appdata");
        RedirectAppData(appData_);
    }
    std::string IndexFolder() const { return appData_ + "\\Tolvane Software\\Merrowind"; }
    std::string IndexName(int number) const
    {
        char name[64];
        wsprintfA(name, "Merrowind Index %05d.idx", number);
        return IndexFolder() + "\\" + name;
    }
    // A kind-2 record for a cookie file in the test folder.
    SourceRecord Record(const std::string& cookieName, const std::string& indexPath) const
    {
        return MakeRecord(1, kSourceCookieFile, 77, "cookies", folder_.File(cookieName).c_str(), indexPath.c_str());
    }
    // Runs the indexer on this thread with a fresh job, as the reader does.
    DWORD Index(SourceRecord& record, int32_t cancel = 0)
    {
        IndexJob job;
        job.record = &record;
        job.thread = nullptr;
        job.progress.store(0);
        job.cancel.store(cancel);
        DWORD code = IndexCookieFile(&job);
        progress_ = job.progress.load();
        return code;
    }
    // Indexes the bytes into an index file in the test folder.
    Entries IndexBytes(const std::string& bytes, uint32_t* count = nullptr)
    {
        folder_.Write("cookies.txt", bytes);
        SourceRecord record = Record("cookies.txt", folder_.File("cookies.idx"));
        EXPECT_EQ(Index(record), kIndexOk);
        if (count != nullptr) *count = record.count;
        return ReadEntries(folder_.File("cookies.idx"));
    }
    std::string appData_;
    int32_t progress_ = -1;
};

TEST_F(Indexer, EmptyCookieFile)
{
    folder_.Write("cookies.txt", "");
    SourceRecord record = Record("cookies.txt", folder_.File("cookies.idx"));
    EXPECT_EQ(Index(record), kIndexOk);
    EXPECT_EQ(ReadEntries(folder_.File("cookies.idx")), Entries({0}));
    EXPECT_EQ(record.count, 1u);
    EXPECT_EQ(progress_, 0) << "no byte examined, no progress written";
}

TEST_F(Indexer, IndexMatchesTheSeparatorRules)
{
    uint32_t count = 0;
    EXPECT_EQ(IndexBytes("A", &count), Entries({0}));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(progress_, 100);
    EXPECT_EQ(IndexBytes("A\nB 50% D\n%\nE", &count), Entries({0, 12}));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(IndexBytes("A\r\n%\r\n\r\nB"), Entries({0, 8}));
    EXPECT_EQ(IndexBytes("%\nA\n%\nB"), Entries({0, 6}));
    EXPECT_EQ(IndexBytes("A\n%\r\n\r\n", &count), Entries({0}));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(IndexBytes("A\n%\n%\nB"), Entries({0, 4}));
    EXPECT_EQ(IndexBytes("A\r%\rB"), Entries({0, 4}));
    std::string ninetySeven = std::string(96, 'x') + "\n";
    IndexBytes(ninetySeven);
    EXPECT_EQ(progress_, 99) << "a 97-byte file ends at 99";
}

TEST_F(Indexer, LargeFileAcrossBufferBoundaries)
{
    // Fortunes of varying length, so that separators, CR LF pairs and blank
    // lines fall on every side of the read buffer's and the entry block's
    // edges; more than a block of entries and several read buffers.
    std::string bytes;
    for (int i = 0; i < 30000; ++i) {
        bytes += "Fortune " + std::to_string(i) + std::string(i % 13, '%');
        bytes += (i % 3 == 0) ? "\r\n%\r\n" : (i % 3 == 1) ? "\n%\n\n" : "\r%\r";
    }
    ASSERT_GT(bytes.size(), 3u * 65536u);
    uint32_t count = 0;
    Entries entries = IndexBytes(bytes, &count);
    std::vector<SplitFortune> split = SplitCookieText(bytes);
    ASSERT_EQ(count, split.size());
    ASSERT_EQ(entries.size(), split.size());
    for (size_t k = 0; k < split.size(); ++k) ASSERT_EQ(entries[k], split[k].offset) << "entry " << k;
    EXPECT_EQ(progress_, 100);
}

TEST_F(Indexer, CancelAlreadySet)
{
    folder_.Write("cookies.txt", "A\n%\nB\n%\nC");
    SourceRecord record = Record("cookies.txt", folder_.File("cookies.idx"));
    EXPECT_EQ(Index(record, 1), kIndexCancelled);
    EXPECT_FALSE(FileExists(folder_.File("cookies.idx"))) << "the partial index is deleted";
    EXPECT_EQ(record.count, 1u) << "entry 0 was counted before the first byte";
    EXPECT_EQ(progress_, 0);
    EXPECT_STREQ(record.indexPath, folder_.File("cookies.idx").c_str()) << "indexPath is kept";

    // Only the value 1 asks for a stop.
    EXPECT_EQ(Index(record, 2), kIndexOk);
    EXPECT_EQ(record.count, 3u);
}

TEST_F(Indexer, CancelOnAnEmptyFileIsNeverSeen)
{
    folder_.Write("cookies.txt", "");
    SourceRecord record = Record("cookies.txt", folder_.File("cookies.idx"));
    EXPECT_EQ(Index(record, 1), kIndexOk) << "cancel is looked at only before a byte is examined";
    EXPECT_TRUE(FileExists(folder_.File("cookies.idx"))) << "expected the file " << folder_.File("cookies.idx");
}

TEST_F(Indexer, IndexFolderIsNotCreatedForAGivenPath)
{
    folder_.Write("cookies.txt", "A\n%\nB");
    std::string vanished = folder_.File("gone\\cookies.idx");
    SourceRecord record = Record("cookies.txt", vanished);
    EXPECT_EQ(Index(record), kIndexCannotCreate);
    EXPECT_FALSE(FileExists(folder_.File("gone"))) << "no folder is created for a given indexPath";
    EXPECT_EQ(record.count, 77u) << "count untouched";
    EXPECT_STREQ(record.indexPath, vanished.c_str());
    EXPECT_FALSE(FileExists(IndexFolder())) << "no name was searched";

    // An index that another running copy is reading cannot be rewritten,
    // and it is not this run's to delete.
    folder_.Write("held.idx", "held");
    {
        HeldForWriting reader(folder_.File("held.idx"), kDeleteHold);
        SourceRecord held = Record("cookies.txt", folder_.File("held.idx"));
        EXPECT_EQ(Index(held), kIndexCannotCreate);
    }
    EXPECT_EQ(ReadWholeFile(folder_.File("held.idx")), "held") << "expected the index left as it was";
}

TEST_F(Indexer, MissingCookieFileLeavesNoIndex)
{
    SourceRecord record = Record("missing.txt", folder_.File("cookies.idx"));
    EXPECT_EQ(Index(record), kIndexCannotOpenCookies);
    EXPECT_FALSE(FileExists(folder_.File("cookies.idx"))) << "the empty index just created is deleted";
    EXPECT_EQ(record.count, 77u);
    EXPECT_STREQ(record.indexPath, folder_.File("cookies.idx").c_str());

    // A cookie file of an empty record with no name yet: the name is chosen first.
    SourceRecord fresh = Record("missing.txt", "");
    EXPECT_EQ(Index(fresh), kIndexCannotOpenCookies);
    EXPECT_STREQ(fresh.indexPath, IndexName(0).c_str());
    EXPECT_FALSE(FileExists(IndexName(0))) << "expected no file " << IndexName(0);
}

TEST_F(Indexer, CookieFileOfTwoGigabytesIsRefused)
{
    // Offsets from 2 GiB on cannot be sought by the reader, and past 4 GiB
    // they would wrap.
    MakeZeroFile(folder_.File("huge.txt"), 0x80000000ull);
    SourceRecord record = Record("huge.txt", folder_.File("huge.idx"));
    EXPECT_EQ(Index(record), kIndexCannotOpenCookies);
    EXPECT_FALSE(FileExists(folder_.File("huge.idx"))) << "expected no file " << folder_.File("huge.idx");
    EXPECT_EQ(record.count, 77u);
    EXPECT_EQ(progress_, 0) << "not a byte read";
}

TEST_F(Indexer, LowestFreeNameIsTaken)
{
    folder_.Write("cookies.txt", "A\n%\nB");
    CreateDirectoryA((appData_ + "\\Tolvane Software").c_str(), nullptr);
    CreateDirectoryA(IndexFolder().c_str(), nullptr);
    WriteWholeFile(IndexName(0), "keep");
    WriteWholeFile(IndexName(2), "keep");
    SourceRecord record = Record("cookies.txt", "");
    EXPECT_EQ(Index(record), kIndexOk);
    EXPECT_STREQ(record.indexPath, IndexName(1).c_str());
    EXPECT_EQ(ReadEntries(IndexName(1)), Entries({0, 4}));
    EXPECT_EQ(ReadWholeFile(IndexName(0)), "keep");
    EXPECT_EQ(ReadWholeFile(IndexName(2)), "keep");
}

TEST_F(Indexer, FoldersAreCreatedAndIndexingAgainRewritesTheSameFile)
{
    folder_.Write("cookies.txt", "A\n%\nB\n%\nC");
    SourceRecord record = Record("cookies.txt", "");
    ASSERT_EQ(Index(record), kIndexOk);
    EXPECT_STREQ(record.indexPath, IndexName(0).c_str()) << "folders made on the way, first name 00000";
    EXPECT_EQ(record.count, 3u);
    FILETIME built = LastWriteTime(IndexName(0));
    FILETIME source = LastWriteTime(folder_.File("cookies.txt"));
    EXPECT_EQ(CompareFileTime(&built, &source), 0) << "the index carries its cookie file's time";

    folder_.Write("cookies.txt", "only one");
    EXPECT_EQ(Index(record), kIndexOk);
    EXPECT_STREQ(record.indexPath, IndexName(0).c_str());
    EXPECT_EQ(ReadEntries(IndexName(0)), Entries({0})) << "rewritten, not appended to";
    EXPECT_EQ(record.count, 1u);
    EXPECT_FALSE(FileExists(IndexName(1))) << "expected no file " << IndexName(1);
}

TEST_F(Indexer, NoFreeNameBelowTheLimit)
{
    CreateDirectoryA((appData_ + "\\Tolvane Software").c_str(), nullptr);
    CreateDirectoryA(IndexFolder().c_str(), nullptr);
    for (int n = 0; n < 3; ++n) WriteWholeFile(IndexName(n), "taken");
    char indexPath[kPathFieldSize] = {};
    EXPECT_EQ(ChooseIndexFile(indexPath, 3), kIndexNoFreeName);
    EXPECT_STREQ(indexPath, IndexName(3).c_str()) << "names the untried candidate";
    EXPECT_FALSE(FileExists(IndexName(3))) << "nothing created";

    DeleteFileA(IndexName(1).c_str());
    EXPECT_EQ(ChooseIndexFile(indexPath, 3), kIndexOk) << "a name freed by a deleted index is taken again";
    EXPECT_STREQ(indexPath, IndexName(1).c_str());
}

// A name that a record holds for an index file that has gone (deleted by hand
// or by a cleaner) is not free: two records would share one index file.
TEST_F(Indexer, NamesThatRecordsHoldAreNotGivenAgain)
{
    folder_.Write("cookies.txt", "A\n%\nB");
    WriteCatalogue({MakeRecord(1, kSourceCookieFile, 5, "gone", "C:\\gone.txt", IndexName(0).c_str()),
                    MakeRecord(1, kSourceCookieFile, 5, "also gone", "C:\\gone2.txt", IndexName(1).c_str())});
    SourceRecord record = Record("cookies.txt", "");
    IndexJob job;
    job.record = &record;
    job.thread = nullptr;
    job.progress.store(0);
    job.cancel.store(0);
    job.taken = &kCatalogueIndexNames;
    ASSERT_EQ(IndexCookieFile(&job), kIndexOk);
    EXPECT_STREQ(record.indexPath, IndexName(2).c_str()) << "expected the lowest name no record holds";

    // Whatever the caller counts as taken is passed over too, with the disk.
    struct Only {
        static int Taken(const void* context, const char* path)
        {
            return lstrcmpiA(static_cast<const char*>(context), path) == 0;
        }
    };
    std::string third = IndexName(3);
    TakenIndexNames taken = {Only::Taken, third.c_str()};
    char indexPath[kPathFieldSize] = {};
    EXPECT_EQ(ChooseIndexFile(indexPath, kIndexNameLimit, &taken), kIndexOk);
    EXPECT_STREQ(indexPath, IndexName(0).c_str()) << "expected 00000: free on disk, and not taken here";
    WriteWholeFile(IndexName(0), "x");
    WriteWholeFile(IndexName(1), "x");
    WriteWholeFile(IndexName(2), "x");
    EXPECT_EQ(ChooseIndexFile(indexPath, kIndexNameLimit, &taken), kIndexOk);
    EXPECT_STREQ(indexPath, IndexName(4).c_str()) << "expected 00003 passed over as taken";
    EXPECT_EQ(ChooseIndexFile(indexPath, 4, &taken), kIndexNoFreeName);
}

// A user named in another script (a Cyrillic name with the Western code
// page): the ANSI form of the folder would have "?" for each letter. The
// index folder then goes through the folder's short form, which names the
// same folder in ASCII letters.
TEST_F(Indexer, ApplicationDataFolderOutsideTheAnsiCodePage)
{
    std::wstring wideTemp(folder_.Path().begin(), folder_.Path().end());
    std::wstring cyrillic = wideTemp + L"\\\u041F\u043E\u043B\u044C\u0437\u043E\u0432\u0430\u0442\u0435\u043B\u044C";
    RedirectAppDataWide(cyrillic);
    if (HasFatalFailure()) return;
    char probe[MAX_PATH];
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, cyrillic.c_str(), -1, probe, MAX_PATH, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "expected an ANSI code page without Cyrillic letters (code page " << GetACP() << ")";
    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(cyrillic.c_str(), shortForm, MAX_PATH), 0u)
        << "expected the file system to give a short form of the folder";

    folder_.Write("cookies.txt", "A\n%\nB\n%\nC");
    SourceRecord record = Record("cookies.txt", "");
    ASSERT_EQ(Index(record), kIndexOk);
    std::string indexPath = record.indexPath;
    for (char c : indexPath) ASSERT_TRUE(c > 0 && c < 127 && c != '?') << "expected ASCII letters: " << indexPath;
    EXPECT_EQ(ReadEntries(indexPath), Entries({0, 4, 8})) << "expected the index readable by its ANSI path";
    EXPECT_EQ(record.count, 3u);
    // It is the file in the Cyrillic folder.
    std::wstring expected = cyrillic + L"\\Tolvane Software\\Merrowind\\Merrowind Index 00000.idx";
    EXPECT_NE(GetFileAttributesW(expected.c_str()), INVALID_FILE_ATTRIBUTES)
        << "expected the index file under the Cyrillic folder";
}

TEST_F(Indexer, FolderThatCannotBeCreated)
{
    WriteWholeFile(appData_ + "\\Tolvane Software", "a file in the way");
    folder_.Write("cookies.txt", "A");
    SourceRecord record = Record("cookies.txt", "");
    EXPECT_EQ(Index(record), kIndexNoFolder);
    EXPECT_STREQ(record.indexPath, "");
    EXPECT_EQ(record.count, 77u);
}

TEST_F(Indexer, PathTooLong)
{
    folder_.Write("cookies.txt", "A");
    // Room for neither folder name.
    std::string deep = appData_ + "\\" + std::string(250 - appData_.size(), 'd');
    RedirectAppData(deep);
    SourceRecord record = Record("cookies.txt", "");
    EXPECT_EQ(Index(record), kIndexPathTooLong);
    EXPECT_STREQ(record.indexPath, "") << "still empty while the folders are prepared";
    EXPECT_FALSE(FileExists(deep + "\\Tolvane Software")) << "expected no folder under " << deep;

    // Room for both folders but not for the file name: the folders remain.
    std::string shallower = appData_ + "\\" + std::string(225 - appData_.size(), 's');
    RedirectAppData(shallower);
    EXPECT_EQ(Index(record), kIndexPathTooLong);
    EXPECT_TRUE(FileExists(shallower + "\\Tolvane Software\\Merrowind")) << "expected the folder under " << shallower;
    EXPECT_EQ(record.count, 77u);
}

TEST_F(Indexer, NoApplicationDataFolder)
{
    folder_.Write("in the way", "x");
    SetAppDataValue(folder_.File("in the way\\below"));
    folder_.Write("cookies.txt", "A");
    SourceRecord record = Record("cookies.txt", "");
    EXPECT_EQ(Index(record), kIndexNoAppData);
    EXPECT_STREQ(record.indexPath, "");
    EXPECT_EQ(record.count, 77u);
}

TEST_F(Indexer, WorkerThreadReportsProgressAndItsResult)
{
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += "Fortune number " + std::to_string(i) + "\n%\n";
    folder_.Write("cookies.txt", bytes);
    SourceRecord record = Record("cookies.txt", "");
    IndexJob job;
    job.record = &record;
    job.progress.store(0);
    job.cancel.store(0);
    job.thread = CreateThread(nullptr, 0, IndexCookieFile, &job, 0, nullptr);
    ASSERT_NE(job.thread, nullptr);
    DWORD code = STILL_ACTIVE;
    int32_t last = 0;
    for (int i = 0; i < 60000 && code == STILL_ACTIVE; ++i) {
        int32_t seen = job.progress.load();
        ASSERT_GE(seen, last) << "progress never goes back";
        ASSERT_LE(seen, 100);
        last = seen;
        ASSERT_TRUE(GetExitCodeThread(job.thread, &code)) << "error " << GetLastError();
        if (code == STILL_ACTIVE) Sleep(1);
    }
    CloseHandle(job.thread);
    ASSERT_EQ(code, kIndexOk) << "the thread's exit code is the result";
    EXPECT_EQ(job.progress.load(), 100);
    EXPECT_EQ(record.count, 5000u);
    EXPECT_STREQ(record.indexPath, IndexName(0).c_str());
    EXPECT_EQ(ReadEntries(IndexName(0)).size(), 5000u);
}

// Runs the job on a worker thread, waits until progress reaches at least
// the given value, then sets cancel and returns the thread's exit code.
static DWORD CancelWhenProgressReaches(IndexJob& job, int32_t at, int32_t& progressWhenCancelled)
{
    job.progress.store(0);
    job.cancel.store(0);
    job.thread = CreateThread(nullptr, 0, IndexCookieFile, &job, 0, nullptr);
    if (job.thread == nullptr) return 0xFFFFFFFFu;
    for (int i = 0; i < 120000 && job.progress.load() < at; ++i) {
        if (WaitForSingleObject(job.thread, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    job.cancel.store(1);
    progressWhenCancelled = job.progress.load();
    WaitForSingleObject(job.thread, 120000);
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeThread(job.thread, &code);
    CloseHandle(job.thread);
    return code;
}

TEST_F(Indexer, CancelFromAnotherThread)
{
    // Two thousand million zero bytes (sparse) take about a second: however
    // slowly this thread is scheduled, the stop comes well before the end.
    MakeZeroFile(folder_.File("zeros.txt"), 2000000000ull);
    SourceRecord record = Record("zeros.txt", folder_.File("zeros.idx"));
    IndexJob job;
    job.record = &record;
    int32_t when = -1;
    DWORD code = CancelWhenProgressReaches(job, 1, when);
    ASSERT_LT(when, 100) << "the run ended before the stop request could be made";
    EXPECT_EQ(code, kIndexCancelled);
    EXPECT_FALSE(FileExists(folder_.File("zeros.idx"))) << "expected no file " << folder_.File("zeros.idx");
    EXPECT_EQ(record.count, 1u);
    EXPECT_LT(job.progress.load(), 100) << "stopped before the end";
}

TEST_F(Indexer, CancelAfterTheLastByteIsNotSeen)
{
    // 100 bytes: the last byte and only it brings progress to 100.
    folder_.Write("cookies.txt", "A\n%\nB\n%\nC\n" + std::string(89, 'x'));
    SourceRecord record = Record("cookies.txt", folder_.File("cookies.idx"));
    IndexJob job;
    job.record = &record;
    int32_t when = -1;
    DWORD code = CancelWhenProgressReaches(job, 100, when);
    ASSERT_EQ(when, 100);
    EXPECT_EQ(code, kIndexOk);
    EXPECT_EQ(ReadEntries(folder_.File("cookies.idx")), Entries({0, 4, 8})) << "the index file stays";
    EXPECT_EQ(record.count, 3u);
}

TEST_F(Indexer, RandomTextAgreesWithAnIndependentSplit)
{
    // Mostly text with line breaks, "%" and CR here and there, in files of
    // many sizes: the pass works sixteen bytes at a time between "%" bytes
    // and in stretches of one progress value, and every edge must hold.
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    const size_t sizes[] = {1, 2, 15, 16, 17, 31, 33, 100, 257, 1000, 4099, 70000, 200003};
    for (size_t size : sizes) {
        for (int round = 0; round < 4; ++round) {
            std::string bytes;
            while (bytes.size() < size) {
                unsigned r = next() % 100;
                bytes += r < 80 ? static_cast<char>('a' + r % 26) : r < 88 ? '\n' : r < 93 ? '%' : r < 97 ? '\r' : ' ';
            }
            uint32_t count = 0;
            Entries entries = IndexBytes(bytes, &count);
            std::vector<SplitFortune> split = SplitCookieText(bytes);
            ASSERT_EQ(count, split.size()) << "size " << size << ", round " << round;
            ASSERT_EQ(entries.size(), split.size()) << "size " << size << ", round " << round;
            for (size_t k = 0; k < split.size(); ++k)
                ASSERT_EQ(entries[k], split[k].offset) << "size " << size << ", round " << round << ", entry " << k;
            ASSERT_GE(progress_, 99) << "size " << size;
        }
    }
}

// The index "file" is a pipe whose other end takes 16 bytes at a time:
// entry 0 fits, and the first full block of entries waits in WriteFile until
// the test reads the pipe or closes it. A file of 20,000 four-byte fortunes.
class IndexerIntoPipe : public Indexer {
protected:
    void SetUp() override
    {
        Indexer::SetUp();
        std::string bytes;
        for (int i = 0; i < 20000; ++i) bytes += "F\n%\n";
        folder_.Write("cookies.txt", bytes);
        wsprintfA(pipeName_, "\\\\.\\pipe\\merrowind-index-test-%lu", GetCurrentProcessId());
        server_ = CreateNamedPipeA(pipeName_, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 16, 16, 0, nullptr);
        ASSERT_NE(server_, INVALID_HANDLE_VALUE);
        record_ = Record("cookies.txt", pipeName_);
        job_.record = &record_;
        job_.progress.store(0);
        job_.cancel.store(0);
        job_.thread = CreateThread(nullptr, 0, IndexCookieFile, &job_, 0, nullptr);
        ASSERT_NE(job_.thread, nullptr);
        ConnectNamedPipe(server_, nullptr);
    }
    void TearDown() override
    {
        if (server_ != INVALID_HANDLE_VALUE) CloseHandle(server_);
        if (job_.thread != nullptr) {
            WaitForSingleObject(job_.thread, 60000);
            CloseHandle(job_.thread);
        }
        Indexer::TearDown();
    }
    DWORD WaitForResult()
    {
        EXPECT_EQ(WaitForSingleObject(job_.thread, 60000), static_cast<DWORD>(WAIT_OBJECT_0)) << "the run did not end";
        DWORD code = 0xFFFFFFFFu;
        GetExitCodeThread(job_.thread, &code);
        return code;
    }
    char pipeName_[64] = {};
    HANDLE server_ = INVALID_HANDLE_VALUE;
    SourceRecord record_;
    IndexJob job_;
};

TEST_F(IndexerIntoPipe, FailedEntryWriteEndsWithSix)
{
    // Once bytes are being examined, entry 0 has been written.
    ASSERT_TRUE(WaitUntil([&] { return job_.progress.load() != 0; }, 60000)) << "no byte was examined";
    CloseHandle(server_);
    server_ = INVALID_HANDLE_VALUE;
    EXPECT_EQ(WaitForResult(), static_cast<DWORD>(kIndexWriteFailed));
    EXPECT_EQ(record_.count, 1u + 4096u) << "entry 0 and the block that could not be written, counted all the same";
    EXPECT_LT(job_.progress.load(), 100) << "the scan ended at the failure";
    EXPECT_STREQ(record_.indexPath, pipeName_);
}

TEST_F(IndexerIntoPipe, StopRequestIsHonouredWithinTheStopGrain)
{
    // Held in the write of entries 1 to 4096 (the fortune at byte 16384 filled
    // the block), the run is asked to stop, then let go.
    ASSERT_TRUE(WaitUntil([&] {
        DWORD waiting = 0;
        return PeekNamedPipe(server_, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 4;
    }, 60000)) << "the block of entries was never written";
    job_.cancel.store(1);
    char drain[4096];
    DWORD got = 0;
    while (ReadFile(server_, drain, sizeof drain, &got, nullptr) && got > 0) {
    }
    EXPECT_EQ(WaitForResult(), static_cast<DWORD>(kIndexCancelled));
    // Fortunes found after the request: at most one per four bytes of the
    // grain, far from the 20,000 of the whole file.
    EXPECT_GE(record_.count, 1u + 4096u) << "entries counted before the request";
    EXPECT_LE(record_.count, 1u + 4096u + kIndexStopGrain / 4) << "the stop came later than " << kIndexStopGrain
                                                               << " bytes after the request";
    EXPECT_LT(job_.progress.load(), 100) << "stopped before the end";
}
