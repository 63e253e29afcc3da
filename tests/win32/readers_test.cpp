// The two file readers: a line of "Fortune.txt" and a fortune of a cookie
// file looked up in its index, with the delivery captured.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/loop_result.h"
#include "app/random.h"
#include "app/readers.h"
#include "cookies/indexer.h"
#include "cookies/legacy_sync.h"
#include "tests/support/app_data.h"
#include "tests/support/win32_fixtures.h"
#include "tests/win32/captured_delivery.h"

static std::string Entry(uint32_t offset)
{
    return std::string(reinterpret_cast<const char*>(&offset), 4);
}

class Readers : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        ResetDeliveries();
        appData_ = folder_.File("appdata");
        RedirectAppData(appData_);
    }
    HINSTANCE Module() const { return GetModuleHandleA(nullptr); }
    // The text of line r of "Fortune.txt", or "<none>" if nothing was delivered.
    std::string Legacy(uint32_t r)
    {
        ResetDeliveries();
        int result = ReadLegacyFortune(Module(), r);
        if (g_deliveries.empty()) {
            EXPECT_EQ(result, kLoopSourceFailed) << "a reader that delivers nothing fails its source";
            return "<none>";
        }
        EXPECT_EQ(g_deliveries.size(), 1u);
        EXPECT_GE(g_deliveries[0].bufferSize, 4100ul) << "the reader's own 4100-byte buffer";
        return g_deliveries[0].text;
    }
    std::string Cookie(uint32_t r, SourceRecord& record)
    {
        ResetDeliveries();
        int result = ReadCookieFortune(Module(), r, &record);
        if (g_deliveries.empty()) {
            EXPECT_EQ(result, kLoopSourceFailed) << "a reader that delivers nothing fails its source";
            return "<none>";
        }
        EXPECT_EQ(g_deliveries.size(), 1u);
        EXPECT_GE(g_deliveries[0].bufferSize, 4100ul) << "the reader's own 4100-byte buffer";
        return g_deliveries[0].text;
    }
    // A cookie record whose index file has been built by the indexer.
    SourceRecord Indexed(const std::string& bytes)
    {
        folder_.Write("cookies.txt", bytes);
        SourceRecord record = MakeRecord(1, kSourceCookieFile, 0, "cookies", folder_.File("cookies.txt").c_str(),
                                         folder_.File("cookies.idx").c_str());
        IndexJob job;
        job.record = &record;
        job.thread = nullptr;
        job.progress.store(0);
        job.cancel.store(0);
        EXPECT_EQ(IndexCookieFile(&job), kIndexOk);
        return record;
    }
    // A hand-made index that carries its cookie file's time, as a built one does.
    void CurrentIndex(const std::string& bytes)
    {
        folder_.Write("cookies.idx", bytes);
        SetLastWriteTime(folder_.File("cookies.idx"), LastWriteTime(folder_.File("cookies.txt")));
    }
    std::string IndexFolder() const { return appData_ + "\\Tolvane Software\\Merrowind"; }
    std::string appData_;
};

TEST_F(Readers, LegacyLineWithTheEscape)
{
    folder_.Write("Fortune.txt", "EXTRA first\nTwo phrases.\\nOn two lines.\nthird");
    EXPECT_EQ(Legacy(0), "EXTRA first\n") << "the first line is an ordinary fortune";
    EXPECT_EQ(Legacy(1), "Two phrases. \nOn two lines.\n");
    EXPECT_EQ(Legacy(2), "third") << "the last line without a line feed";
}

TEST_F(Readers, LegacyLinesCountedInTextMode)
{
    folder_.Write("Fortune.txt", "one\r\n\r\nthree\rstill three\r\nfour\x1a\nhidden\n");
    EXPECT_EQ(Legacy(0), "one\n") << "CR LF reads as LF";
    EXPECT_EQ(Legacy(1), "three\rstill three\n") << "a blank line is no fortune; a lone CR stays";
    EXPECT_EQ(Legacy(2), "four") << "Ctrl-Z ends the file";
    EXPECT_EQ(Legacy(3), "four") << "past the end: the last fortune read";
    EXPECT_EQ(Legacy(0xFFFFFFFFu), "four");
}

static const std::string kZhe = "\xD0\xB6";  // Cyrillic letter of 2 bytes in UTF-8
static std::string Zhe(size_t n) { std::string zhe; while (n-- > 0) zhe += kZhe; return zhe; }  // n of them

TEST_F(Readers, LegacyLongLineIsSeveralLines)
{
    folder_.Write("Fortune.txt", std::string(5000, 'x') + "\nnext\n");
    EXPECT_EQ(Legacy(0), std::string(4098, 'x'));
    EXPECT_EQ(Legacy(1), std::string(902, 'x') + "\n");
    EXPECT_EQ(Legacy(2), "next\n");
    // In UTF-8 the pieces end and begin on whole characters: a letter cut in
    // two by the piece's end is left out of both.
    folder_.Write("Fortune.txt", Zhe(2500) + "\n" + "a" + Zhe(2500) + "\n" + kZhe + "\xD0");
    EXPECT_EQ(Legacy(0), Zhe(2049)) << "4098 bytes: whole";
    EXPECT_EQ(Legacy(1), Zhe(451) + "\n");
    EXPECT_EQ(Legacy(2), "a" + Zhe(2048)) << "4098 bytes, the last a half letter";
    EXPECT_EQ(Legacy(3), Zhe(451) + "\n") << "and the other half";
    EXPECT_EQ(Legacy(4), kZhe + "\xD0") << "an uncut line keeps its bytes";
}

TEST_F(Readers, LegacyPositionsAreTheLinesTheCountCounts)
{
    folder_.Write("Fortune.txt", "First\n\nSecond\n");
    EXPECT_EQ(Legacy(0), "First\n");
    EXPECT_EQ(Legacy(1), "Second\n") << "the blank line is passed over, not shown";
    // Every position below the start-up count is a distinct fortune, the
    // last one included, whatever mix of pieces the file holds.
    folder_.Write("Fortune.txt", "\nA\n\n\nB\\nb\nC\n" + std::string(4098, 'x') + "\n\nD\n\nE");
    uint32_t count = 0;
    uint32_t replace = 0;
    RescanLegacyTextFile(&count, &replace);
    ASSERT_EQ(count, 5u) << "A, B, C, the 4098 x and D; not the lone E at the end";
    std::vector<std::string> expected = {"A\n", "B \nb\n", "C\n", std::string(4098, 'x'), "D\n"};
    for (uint32_t r = 0; r < count; ++r) EXPECT_EQ(Legacy(r), expected[r]) << "position " << r;
    EXPECT_EQ(Legacy(count), "D\n") << "past the count: the last fortune, not the E the count leaves out";
}

TEST_F(Readers, LegacyFileMissingOrEmpty)
{
    EXPECT_EQ(Legacy(0), "<none>");
    folder_.Write("Fortune.txt", "");
    EXPECT_EQ(Legacy(3), "<none>") << "a file without a fortune has nothing to show";
    folder_.Write("Fortune.txt", "\n\nx");
    EXPECT_EQ(Legacy(0), "<none>") << "blank lines and a lone last character are no fortunes";
    // The name is resolved against the current directory at the read.
    TempFolder other;
    other.Write("Fortune.txt", "elsewhere\n");
    SetCurrentDirectoryA(other.Path().c_str());
    EXPECT_EQ(Legacy(0), "elsewhere\n");
    SetCurrentDirectoryA(folder_.Path().c_str());
}

TEST_F(Readers, LegacyPassesTheDeliveryResult)
{
    folder_.Write("Fortune.txt", "a\n");
    ResetDeliveries(0);
    EXPECT_EQ(ReadLegacyFortune(Module(), 0), 0);
    ResetDeliveries(5);
    EXPECT_EQ(ReadLegacyFortune(Module(), 0), 5);
}

TEST_F(Readers, CookieFortunesKeepTheirLineBreaks)
{
    SourceRecord record = Indexed("%first\r\nline two\r\n%\r\n\r\n50% off\r\n%\r\nlast");
    ASSERT_EQ(record.count, 3u);
    EXPECT_EQ(Cookie(0, record), "%first\r\nline two\r\n") << "a % at the very start is text";
    EXPECT_EQ(Cookie(1, record), "50% off\r\n") << "a % inside a line is text";
    EXPECT_EQ(Cookie(2, record), "last") << "the last fortune ends at the end of the file";
    ResetDeliveries(0);
    EXPECT_EQ(ReadCookieFortune(Module(), 1, &record), 0) << "the delivery's result";
}

TEST_F(Readers, CookieFortuneCutAtTheBuffer)
{
    SourceRecord record = Indexed("short\n%\n" + std::string(5000, 'y') + "\n%\nafter\n");
    EXPECT_EQ(Cookie(1, record), std::string(4099, 'y'));
    EXPECT_EQ(Cookie(2, record), "after\n");
    // UTF-8 is cut back to the last whole character, and only when cut.
    record = Indexed("a" + Zhe(2850) + "\n%\n" + Zhe(2850) + "\n%\n" + kZhe + "\xD0");
    EXPECT_EQ(Cookie(0, record), "a" + Zhe(2049)) << "4099 bytes: whole";
    EXPECT_EQ(Cookie(1, record), Zhe(2049)) << "4099 bytes, the last a half letter";
    EXPECT_EQ(Cookie(2, record), kZhe + "\xD0") << "a short fortune keeps its bytes";
}

TEST_F(Readers, DeletedIndexIsRebuiltAndKept)
{
    SourceRecord record = Indexed("A\n%\nB\n%\nC\n");
    DeleteFileA(folder_.File("cookies.idx").c_str());
    record.count = 99;
    EXPECT_EQ(Cookie(2, record), "C\n");
    EXPECT_TRUE(FileExists(folder_.File("cookies.idx"))) << "a named index stays for later turns";
    EXPECT_EQ(record.count, 3u) << "the turn's copy is recounted";
    EXPECT_TRUE(ReadCatalogue().empty()) << "the catalogue is not written";
}

TEST_F(Readers, IndexWithoutANameIsTemporary)
{
    folder_.Write("cookies.txt", "A\n%\nB\n%\nC\n");
    for (int turn = 0; turn < 3; ++turn) {
        SourceRecord record = MakeRecord(1, kSourceCookieFile, 3, "cookies", folder_.File("cookies.txt").c_str());
        EXPECT_EQ(Cookie(1, record), "B\n") << "turn " << turn;
        EXPECT_STRNE(record.indexPath, "") << "the copy names the index it used";
        EXPECT_FALSE(FileExists(record.indexPath)) << "deleted after the delivery, turn " << turn;
    }
    EXPECT_FALSE(FileExists(IndexFolder() + "\\Merrowind Index 00000.idx")) << "expected no file " << IndexFolder() + "\\Merrowind Index 00000.idx";
}

// An editor that holds "Fortune.txt" or a cookie file open for writing locks
// out readers that share reading only; these share writing and deletion.
TEST_F(Readers, FilesAnEditorHoldsOpenAreStillRead)
{
    folder_.Write("Fortune.txt", "first\nsecond\n");
    SourceRecord record = Indexed("A\n%\nB\n%\nC\n");
    for (FileHold hold : {kEditorHold, kDeleteHold}) {
        SCOPED_TRACE(hold == kEditorHold ? "held for writing" : "held for writing and deletion");
        {
            HeldForWriting legacy(folder_.File("Fortune.txt"), hold);
            HeldForWriting cookies(folder_.File("cookies.txt"), hold);
            ASSERT_TRUE(legacy.Held() && cookies.Held()) << "the test should hold both files open";
            ASSERT_TRUE(HoldLocksOutPlainReaders(folder_.File("cookies.txt")))
                << "expected this platform to honour share modes, or the test shows nothing";
            EXPECT_EQ(Legacy(1), "second\n");
            EXPECT_EQ(Cookie(1, record), "B\n");
            // The rebuild of a deleted index reads the held cookie file too.
            ASSERT_TRUE(DeleteFileA(folder_.File("cookies.idx").c_str())) << "error " << GetLastError();
            EXPECT_EQ(Cookie(2, record), "C\n");
        }
        // And the index file, held in turn.
        HeldForWriting index(folder_.File("cookies.idx"), hold);
        EXPECT_TRUE(index.Held()) << "expected the index file rebuilt above";
        if (index.Held()) {
            EXPECT_EQ(Cookie(2, record), "C\n") << "expected the entry read from the held index";
        }
    }
}

// The temporary index of a record without an index path takes no name that
// a record of the catalogue holds for an index file that has gone.
TEST_F(Readers, TemporaryIndexTakesNoNameARecordHolds)
{
    folder_.Write("cookies.txt", "A\n%\nB\n%\nC\n");
    std::string held = IndexFolder() + "\\Merrowind Index 00000.idx";
    WriteCatalogue({MakeRecord(1, kSourceCookieFile, 3, "gone", "C:\\gone.txt", held.c_str())});
    SourceRecord record = MakeRecord(1, kSourceCookieFile, 3, "cookies", folder_.File("cookies.txt").c_str());
    EXPECT_EQ(Cookie(1, record), "B\n");
    EXPECT_EQ(std::string(record.indexPath), IndexFolder() + "\\Merrowind Index 00001.idx")
        << "expected the first name that no record holds";
}

TEST_F(Readers, FailedRebuildShowsNothing)
{
    SourceRecord record = MakeRecord(1, kSourceCookieFile, 3, "cookies", folder_.File("gone.txt").c_str(),
                                     folder_.File("gone.idx").c_str());
    EXPECT_EQ(Cookie(0, record), "<none>");
    EXPECT_FALSE(FileExists(folder_.File("gone.idx"))) << "expected no file " << folder_.File("gone.idx");
}

TEST_F(Readers, MissingCookieFileShowsNothing)
{
    SourceRecord record = Indexed("A\n%\nB\n");
    DeleteFileA(folder_.File("cookies.txt").c_str());
    EXPECT_EQ(Cookie(1, record), "<none>");
}

TEST_F(Readers, IndexTooShortGivesTheFirstFortune)
{
    SourceRecord record = Indexed("A\n%\nB\n%\nC\n");
    CurrentIndex(Entry(0));
    EXPECT_EQ(Cookie(2, record), "A\n") << "an index ending before entry r";
    // An entry cut short: two bytes of the offset 4 are left. They must not be
    // taken as a half-filled offset (which would be 4, fortune B).
    CurrentIndex(Entry(0) + std::string("\x04\x00", 2));
    EXPECT_EQ(Cookie(1, record), "A\n");
    CurrentIndex("");
    EXPECT_EQ(Cookie(0, record), "A\n");
    EXPECT_EQ(Cookie(0xFFFFFFFFu, record), "A\n") << "entry 4 * r lies beyond 4 GiB";
}

TEST_F(Readers, BadOffsetsAreHandledSafely)
{
    SourceRecord record = Indexed("A\n%\nB\n");
    // A last entry at or past the end of the file (6 bytes) comes from a
    // longer version of it, whatever the times say: the index is rebuilt.
    const struct { uint32_t last; const char* text; } rows[] = {
        {5, "\n"}, {6, "B\n"}, {1000000, "B\n"}};
    for (const auto& row : rows) {
        CurrentIndex(Entry(0) + Entry(row.last));
        EXPECT_EQ(Cookie(1, record), row.text) << "last entry " << row.last;
    }
    CurrentIndex(Entry(0) + Entry(0x80000000u) + Entry(2));
    EXPECT_EQ(Cookie(1, record), "<none>") << "an offset of 2 GiB cannot be sought: the source fails";
    EXPECT_EQ(Cookie(2, record), "%\nB\n") << "an offset inside a fortune starts with text";
}

// Sets a file's last-write time to the index's plus the given seconds.
static void WrittenAfter(const std::string& path, const std::string& index, int seconds)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(index.c_str(), GetFileExInfoStandard, &data)) << "error " << GetLastError();
    ULARGE_INTEGER time;
    time.LowPart = data.ftLastWriteTime.dwLowDateTime;
    time.HighPart = data.ftLastWriteTime.dwHighDateTime;
    time.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000u;
    FILETIME stamp = {time.LowPart, time.HighPart};
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &stamp)) << "error " << GetLastError();
    CloseHandle(file);
}

TEST_F(Readers, IndexOfAnotherVersionOfItsFileIsRebuilt)
{
    SourceRecord record = Indexed("A\n%\nB\n%\nC\n");
    const std::string cookies = folder_.File("cookies.txt");
    const std::string index = folder_.File("cookies.idx");
    SourceRecord other = record;  // another record of the same file
    other.indexPath[0] = 'X';
    WriteCatalogue({other, record});
    // A fortune put in at the start, saved a second after the index: the old
    // offsets would cut the new text into pieces.
    folder_.Write("cookies.txt", "New\n%\nA\n%\nB\n%\nC\n");
    WrittenAfter(cookies, index, 1);
    const char* const fresh[] = {"New\n", "A\n", "B\n", "C\n"};
    for (uint32_t r : {1u, 2u, 3u, 0u}) EXPECT_EQ(Cookie(r, record), fresh[r]) << "position " << r;
    EXPECT_EQ(record.count, 4u) << "the turn's copy is recounted";
    EXPECT_EQ(ReadWholeFile(index), Entry(0) + Entry(6) + Entry(10) + Entry(14)) << "the named index is rebuilt and kept";
    EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({other, record}))
        << "the record that held the old values gets the fresh count, and nothing else";
    // Another copy's save puts the old count back. The index is current and
    // stays so; the count is mended at the next draw all the same.
    SourceRecord stale = record;
    stale.count = 9;
    WriteCatalogue({other, stale});
    EXPECT_EQ(Cookie(0, stale), "New\n");
    EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({other, record})) << "the count follows the index";

    // Only an index that carries its file's time is used as it is; a file
    // older than its index (a copy, an unzip) is indexed again too. (The
    // 2-second steps of FAT volumes are the unit tests'.)
    for (int seconds : {0, 1, -1}) {
        folder_.Write("cookies.idx", Entry(0) + Entry(1));
        WrittenAfter(index, cookies, seconds);
        EXPECT_EQ(Cookie(1, record), seconds == 0 ? "ew\n" : "A\n") << "index " << seconds << " s newer";
    }

    // A position the fresh count no longer holds is drawn again within it.
    folder_.Write("cookies.txt", "One\n%\nTwo\n%\nThree\n");
    WrittenAfter(cookies, index, 120);
    record.count = 9;
    SeedRandom(0x9E3779B9u);
    uint32_t again = ScaledRandom(3);
    ASSERT_NE(again, 0u) << "expected a seed whose draw is not the first fortune, which offset 0 gives anyway";
    const char* const texts[] = {"One\n", "Two\n", "Three\n"};
    for (uint32_t r : {3u, 2u, 3u}) {  // rebuilt to 3 at first: 2 is read, 3 drawn again, rebuilt or not
        SeedRandom(0x9E3779B9u);
        EXPECT_EQ(Cookie(r, record), r < 3 ? "Three\n" : texts[again]) << "position " << r;
    }
    EXPECT_EQ(record.count, 3u);
}

// Another copy of the program building the same stale index keeps it to
// itself; this copy waits for it and reads what it made.
static DWORD WINAPI FinishBuildSoon(LPVOID building)
{
    Sleep(300);  // the other copy's scan, which this copy's first try falls into
    return CloseHandle(building);
}

TEST_F(Readers, IndexAnotherCopyIsBuildingIsWaitedFor)
{
    SourceRecord record = Indexed("A\n%\nB\n%\nC\n");
    const std::string cookies = folder_.File("cookies.txt"), index = folder_.File("cookies.idx");
    // What the other copy made is read when it carries the file's time, and
    // built once more when it does not (that copy read an older version).
    for (int current : {1, 0}) {
        WrittenAfter(cookies, index, 60);
        HANDLE building = CreateFileA(index.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(building, INVALID_HANDLE_VALUE);
        const std::string entries = Entry(0) + Entry(8);  // not this file's: read, not made again
        DWORD written = 0;
        WriteFile(building, entries.data(), 8, &written, nullptr);
        FILETIME time = LastWriteTime(cookies);
        if (current) SetFileTime(building, nullptr, nullptr, &time);
        HANDLE other = CreateThread(nullptr, 0, FinishBuildSoon, building, 0, nullptr);
        EXPECT_EQ(Cookie(1, record), current ? "C\n" : "B\n") << (current ? "current" : "stale");
        WaitForSingleObject(other, 10000);
        CloseHandle(other);
    }
}

// ---- UTF-8 files: a byte-order mark at the start belongs to no fortune; the
// bytes of every fortune are delivered as they are, UTF-8 or not.

static const char kMark[] = "\xEF\xBB\xBF";

TEST_F(Readers, CookieByteOrderMarkIsNoPartOfTheFirstFortune)
{
    SourceRecord record = Indexed(std::string(kMark) + "Erste \xC3\xBC" "bung\n%\nZweite\n");
    ASSERT_EQ(record.count, 2u);
    EXPECT_EQ(ReadWholeFile(record.indexPath), Entry(0) + Entry(18)) << "the index keeps its format, entry 0 first";
    EXPECT_EQ(Cookie(0, record), "Erste \xC3\xBC" "bung\n");
    EXPECT_EQ(Cookie(1, record), "Zweite\n");
    // An index that cannot be read gives offset 0, which skips the mark too.
    CurrentIndex("");
    EXPECT_EQ(Cookie(1, record), "Erste \xC3\xBC" "bung\n");
    // A mark and a separator: the first fortune is the line break alone.
    record = Indexed(std::string(kMark) + "\n%\nB\n");
    EXPECT_EQ(Cookie(0, record), "\n");
    // The mark alone, or part of it.
    record = Indexed(kMark);
    EXPECT_EQ(Cookie(0, record), "");
    record = Indexed("\xEF\xBB");
    EXPECT_EQ(Cookie(0, record), "\xEF\xBB") << "two bytes of the mark are text";
}

TEST_F(Readers, CookieFirstFortuneAfterTheMarkStillHolds4099Bytes)
{
    SourceRecord record = Indexed(std::string(kMark) + std::string(5000, 'y'));
    EXPECT_EQ(Cookie(0, record), std::string(4099, 'y'));
}

TEST_F(Readers, MixedCookieFileDeliversEachFortuneAsItsBytes)
{
    // UTF-8, Windows-1252 and plain ASCII fortunes in one file.
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F Gott\n";
    const std::string ansi = "Gr\xFC\xDF Gott\n";
    const std::string ascii = "AT&T pays for R&D\n";
    SourceRecord record = Indexed(utf8 + "%\n" + ansi + "%\n" + ascii);
    ASSERT_EQ(record.count, 3u);
    EXPECT_EQ(Cookie(0, record), utf8);
    EXPECT_EQ(Cookie(1, record), ansi);
    EXPECT_EQ(Cookie(2, record), ascii);
}

TEST_F(Readers, LegacyByteOrderMarkIsNoPartOfLineZero)
{
    folder_.Write("Fortune.txt", std::string(kMark) + "Erste Zeile\nZweite\n");
    EXPECT_EQ(Legacy(0), "Erste Zeile\n");
    EXPECT_EQ(Legacy(1), "Zweite\n");
    folder_.Write("Fortune.txt", std::string(kMark) + "\nZweite\n");
    EXPECT_EQ(Legacy(0), "Zweite\n") << "the mark and LF: a blank line, which is no fortune";
    folder_.Write("Fortune.txt", "Erste\n" + std::string(kMark) + "Zweite\n");
    EXPECT_EQ(Legacy(1), std::string(kMark) + "Zweite\n") << "only at the start of the file";
}
