// The two file readers: a line of "Fortune.txt" and a fortune of a cookie
// file looked up in its index, with the delivery captured.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/readers.h"
#include "cookies/indexer.h"
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
            EXPECT_EQ(result, 1) << "a reader that delivers nothing ends the turn";
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
            EXPECT_EQ(result, 1) << "a reader that delivers nothing ends the turn";
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
    EXPECT_EQ(Legacy(1), "\n") << "a blank line is a line here";
    EXPECT_EQ(Legacy(2), "three\rstill three\n") << "a lone CR stays";
    EXPECT_EQ(Legacy(3), "four") << "Ctrl-Z ends the file";
    EXPECT_EQ(Legacy(4), "four") << "past the end: the last line read";
    EXPECT_EQ(Legacy(0xFFFFFFFFu), "four");
}

TEST_F(Readers, LegacyLongLineIsSeveralLines)
{
    folder_.Write("Fortune.txt", std::string(5000, 'x') + "\nnext\n");
    EXPECT_EQ(Legacy(0), std::string(4098, 'x'));
    EXPECT_EQ(Legacy(1), std::string(902, 'x') + "\n");
    EXPECT_EQ(Legacy(2), "next\n");
}

TEST_F(Readers, LegacyFileMissingOrEmpty)
{
    EXPECT_EQ(Legacy(0), "<none>");
    folder_.Write("Fortune.txt", "");
    EXPECT_EQ(Legacy(3), "") << "an empty fortune";
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
    EXPECT_FALSE(FileExists(IndexFolder() + "\\Merrowind Index 00000.idx"));
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
            ASSERT_TRUE(legacy.Held() && cookies.Held());
            ASSERT_TRUE(HoldLocksOutPlainReaders(folder_.File("cookies.txt")))
                << "expected this platform to honour share modes, or the test shows nothing";
            EXPECT_EQ(Legacy(1), "second\n");
            EXPECT_EQ(Cookie(1, record), "B\n");
            // The rebuild of a deleted index reads the held cookie file too.
            ASSERT_TRUE(DeleteFileA(folder_.File("cookies.idx").c_str()));
            EXPECT_EQ(Cookie(2, record), "C\n");
        }
        // And the index file, held in turn.
        HeldForWriting index(folder_.File("cookies.idx"), hold);
        EXPECT_TRUE(index.Held()) << "expected the index file rebuilt above";
        if (index.Held()) EXPECT_EQ(Cookie(2, record), "C\n") << "expected the entry read from the held index";
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
    EXPECT_FALSE(FileExists(folder_.File("gone.idx")));
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
    folder_.Write("cookies.idx", Entry(0));
    EXPECT_EQ(Cookie(2, record), "A\n") << "an index ending before entry r";
    // An entry cut short: two bytes of the offset 4 are left. They must not be
    // taken as a half-filled offset (which would be 4, fortune B).
    folder_.Write("cookies.idx", Entry(0) + std::string("\x04\x00", 2));
    EXPECT_EQ(Cookie(1, record), "A\n");
    folder_.Write("cookies.idx", "");
    EXPECT_EQ(Cookie(0, record), "A\n");
    EXPECT_EQ(Cookie(0xFFFFFFFFu, record), "A\n") << "entry 4 * r lies beyond 4 GiB";
}

TEST_F(Readers, BadOffsetsAreHandledSafely)
{
    SourceRecord record = Indexed("A\n%\nB\n");
    folder_.Write("cookies.idx", Entry(0) + Entry(1000000));
    EXPECT_EQ(Cookie(1, record), "") << "an offset past the end reads nothing";
    folder_.Write("cookies.idx", Entry(0) + Entry(0x80000000u));
    EXPECT_EQ(Cookie(1, record), "<none>") << "an offset of 2 GiB cannot be sought";
    folder_.Write("cookies.idx", Entry(0) + Entry(2));
    EXPECT_EQ(Cookie(1, record), "%\nB\n") << "an offset inside a fortune starts with text";
}
