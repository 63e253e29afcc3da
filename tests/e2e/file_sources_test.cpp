// The real merrowind.exe drawing from a cookie file and from "Fortune.txt",
// against the prefix's own catalogue key (these tests run one at a time).
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "tests/support/app_data.h"
#include "tests/support/process.h"
#include "tests/support/shown_text.h"
#include "tests/support/win32_fixtures.h"

static const char kCookies[] = "Cookie zero\r\n%\r\nCookie one\r\n%\r\nCookie two\r\n%\r\n";
static const char kLegacy[] = "Legacy one\\nwith its second line\nLegacy two\nLegacy three\n";

// The files in the program's index folder under the prefix's real
// application-data folder.
static std::set<std::string> IndexFolderListing()
{
    return FolderNames(CurrentAppData() + "\\Tolvane Software\\Merrowind");
}

class FileSources : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        folder_.Write("cookies.txt", kCookies);
    }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    SourceRecord CookieRecord(const std::string& indexPath) const
    {
        return MakeRecord(1, 2, 3, "cookies", folder_.File("cookies.txt").c_str(), indexPath.c_str());
    }
    // Runs the program once in file mode and returns what it wrote.
    std::string RunOnce(DWORD exitCode = 0) { return RunInFileMode(folder_.Path(), exitCode); }
    TempFolder folder_;
};

TEST_F(FileSources, CookieFileWithAMissingIndex)
{
    WriteCatalogue({CookieRecord(folder_.File("cookies.idx"))});
    std::string text = RunOnce();
    EXPECT_TRUE(OneOf(text, {"Cookie zero\r\n", "Cookie one\r\n", "Cookie two\r\n"})) << "wrote [" << text << "]";
    EXPECT_EQ(ReadWholeFile(folder_.File("cookies.idx")).size(), 12u) << "the index was rebuilt and kept";
    EXPECT_EQ(ReadCatalogue()[0].count, 3u);
}

TEST_F(FileSources, CookieFileWithoutAnIndexNameLeavesNoIndexBehind)
{
    WriteCatalogue({CookieRecord("")});
    std::set<std::string> before = IndexFolderListing();
    for (int run = 0; run < 2; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, {"Cookie zero\r\n", "Cookie one\r\n", "Cookie two\r\n"}))
            << "wrote [" << text << "]";
    }
    EXPECT_EQ(IndexFolderListing(), before) << "a temporary index is deleted after its turn";
    EXPECT_STREQ(ReadCatalogue()[0].indexPath, "") << "the catalogue is not written by a turn";
}

TEST_F(FileSources, FortuneTxtLine)
{
    folder_.Write("Fortune.txt", kLegacy);
    WriteCatalogue({MakeRecord(1, 1, 3, "Fortune.txt", "Fortune.txt")});
    std::string text = RunOnce();
    EXPECT_TRUE(OneOf(text, {"Legacy one \nwith its second line\n", "Legacy two\n", "Legacy three\n"}))
        << "wrote [" << text << "]";
}

TEST_F(FileSources, CookieFileAndFortuneTxtTogether)
{
    folder_.Write("Fortune.txt", kLegacy);
    WriteCatalogue({CookieRecord(folder_.File("cookies.idx")), MakeRecord(1, 1, 3, "Fortune.txt", "Fortune.txt")});
    std::vector<std::string> possible = {"Cookie zero\r\n", "Cookie one\r\n", "Cookie two\r\n",
                                         "Legacy one \nwith its second line\n", "Legacy two\n", "Legacy three\n"};
    for (int run = 0; run < 3; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, possible)) << "run " << run << " wrote [" << text << "]";
    }
}

TEST_F(FileSources, ADeletedCookieFileLeavesTheRestToDraw)
{
    // A million positions in a file that is gone: the draw nearly always
    // falls there, fails, and is made again over the rest.
    SourceRecord gone = MakeRecord(1, 2, 1000000, "gone", folder_.File("gone.txt").c_str(),
                                   folder_.File("gone.idx").c_str());
    WriteCatalogue({gone, CookieRecord(folder_.File("cookies.idx"))});
    for (int run = 0; run < 2; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, {"Cookie zero\r\n", "Cookie one\r\n", "Cookie two\r\n"}))
            << "run " << run << " wrote [" << text << "]";
    }
    // Nothing readable left: no file, exit code 2.
    DeleteFileA(folder_.File("cookies.txt").c_str());
    EXPECT_EQ(RunOnce(2), "");
    EXPECT_FALSE(FileExists(folder_.File("out.txt"))) << "expected no file " << folder_.File("out.txt");
}

TEST_F(FileSources, ACookieFileEditedAfterItsIndexIsReadThroughAFreshIndex)
{
    WriteCatalogue({CookieRecord(folder_.File("cookies.idx"))});
    RunOnce();
    ASSERT_EQ(ReadWholeFile(folder_.File("cookies.idx")).size(), 12u) << "the first run built the index";
    // The user shortens the file to one long fortune: the old offsets would
    // cut it in the middle, and positions 1 and 2 no longer exist.
    const std::string edited = "One fortune only, and longer than the three before it\r\n";
    FILETIME before = LastWriteTime(folder_.File("cookies.txt"));
    folder_.Write("cookies.txt", edited);
    // Saved a minute later, as a user's edit would be.
    ULARGE_INTEGER later = {{before.dwLowDateTime, before.dwHighDateTime}};
    later.QuadPart += 600000000u;
    SetLastWriteTime(folder_.File("cookies.txt"), {later.LowPart, later.HighPart});
    EXPECT_EQ(RunOnce(), edited);
    EXPECT_EQ(ReadWholeFile(folder_.File("cookies.idx")).size(), 4u) << "the index was rebuilt with one entry";
    SourceRecord recounted = CookieRecord(folder_.File("cookies.idx"));
    recounted.count = 1;
    EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({recounted})) << "the catalogue keeps the fresh count";
}

// This test holds the catalogue lock, as another copy of the program would,
// past the program's wait: the fortune comes all the same, but the start-up
// sync of "Fortune.txt" and the fresh count wait for a later run.
TEST_F(FileSources, CatalogueWritesWaitForTheLockAnotherProcessHolds)
{
    SourceRecord stale = CookieRecord(folder_.File("cookies.idx"));
    stale.count = 1000000;  // so that the run after the lock draws it too
    WriteCatalogue({stale});
    folder_.Write("Fortune.txt", kLegacy);
    HANDLE held;
    ASSERT_EQ(LockCatalogue(&held), 1);
    // Named for the user across sessions, so the user's copies in other
    // sessions (which Wine cannot show) find it too.
    HANDLE named = OpenMutexA(SYNCHRONIZE, FALSE, ("Global\\Tolvane.Merrowind.Catalogue." + CurrentUserSid()).c_str());
    EXPECT_NE(named, nullptr) << "expected the lock under the user's SID in the global namespace";
    if (named != nullptr) CloseHandle(named);
    EXPECT_TRUE(OneOf(RunOnce(), {"Cookie zero\r\n", "Cookie one\r\n", "Cookie two\r\n"}));
    EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({stale})) << "nothing written under another's lock";
    UnlockCatalogue(held);
    RunOnce();
    std::vector<SourceRecord> after = ReadCatalogue();
    ASSERT_EQ(after.size(), 2u) << "the sync added Fortune.txt";
    EXPECT_EQ(after[0].count, 3u) << "the count follows the index";
}

TEST_F(FileSources, GermanCookieFileWritesTheFortunesBytes)
{
    // Debian's fortunes-de, UTF-8: the output file holds one fortune's bytes
    // as they are in the cookie file.
    std::string bytes = ReadWholeFile("Z:/usr/share/games/fortunes/de/wusstensie");
    ASSERT_FALSE(bytes.empty()) << "install fortunes-de (scripts/setup does)";
    folder_.Write("german.txt", bytes);
    std::vector<std::string> fortunes = CookieFortunesOf(bytes);
    WriteCatalogue({MakeRecord(1, 2, static_cast<uint32_t>(fortunes.size()), "german",
                               folder_.File("german.txt").c_str(), folder_.File("german.idx").c_str())});
    int utf8 = 0;
    for (int run = 0; run < 3; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, fortunes)) << "run " << run << " wrote [" << text << "]";
        if (ReadsAsUtf8(text)) ++utf8;
    }
    EXPECT_GE(utf8, 1) << "expected a UTF-8 fortune among three draws of this file";
}

TEST_F(FileSources, ByteOrderMarkIsNotWritten)
{
    // Two fortunes, each a UTF-8 text; the mark at the start of the file
    // belongs to neither.
    folder_.Write("cookies.txt", "\xEF\xBB\xBF\xC3\x9C" "ber\n%\n\xC3\x84hnlich\n");
    WriteCatalogue({MakeRecord(1, 2, 2, "marked", folder_.File("cookies.txt").c_str(), folder_.File("cookies.idx").c_str())});
    for (int run = 0; run < 3; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, {"\xC3\x9C" "ber\n", "\xC3\x84hnlich\n"})) << "run " << run << " wrote [" << text << "]";
    }
}
