// The real merrowind.exe drawing from a cookie file and from "Fortune.txt",
// against the prefix's own catalogue key (these tests run one at a time).
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "tests/support/app_data.h"
#include "tests/support/process.h"
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
    std::string RunOnce()
    {
        DeleteFileA(folder_.File("out.txt").c_str());
        ProcessResult run = RunMerrowind("out.txt", folder_.Path());
        EXPECT_TRUE(run.finished) << "no window may open in file mode";
        EXPECT_EQ(run.exitCode, 0u);
        return ReadWholeFile(folder_.File("out.txt"));
    }
    TempFolder folder_;
};

TEST_F(FileSources, CookieFileWithAMissingIndex)
{
    // Only positions 1 and 2 can be drawn from the first active source.
    WriteCatalogue({CookieRecord(folder_.File("cookies.idx"))});
    std::string text = RunOnce();
    EXPECT_TRUE(OneOf(text, {"Cookie one\r\n", "Cookie two\r\n"})) << "wrote [" << text << "]";
    EXPECT_EQ(ReadWholeFile(folder_.File("cookies.idx")).size(), 12u) << "the index was rebuilt and kept";
    EXPECT_EQ(ReadCatalogue()[0].count, 3u);
}

TEST_F(FileSources, CookieFileWithoutAnIndexNameLeavesNoIndexBehind)
{
    WriteCatalogue({CookieRecord("")});
    std::set<std::string> before = IndexFolderListing();
    for (int run = 0; run < 2; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, {"Cookie one\r\n", "Cookie two\r\n"})) << "wrote [" << text << "]";
    }
    EXPECT_EQ(IndexFolderListing(), before) << "a temporary index is deleted after its turn";
    EXPECT_STREQ(ReadCatalogue()[0].indexPath, "") << "the catalogue is not written by a turn";
}

TEST_F(FileSources, FortuneTxtLine)
{
    folder_.Write("Fortune.txt", kLegacy);
    WriteCatalogue({MakeRecord(1, 1, 3, "Fortune.txt", "Fortune.txt")});
    std::string text = RunOnce();
    EXPECT_TRUE(OneOf(text, {"Legacy two\n", "Legacy three\n"})) << "wrote [" << text << "]";
}

TEST_F(FileSources, CookieFileAndFortuneTxtTogether)
{
    folder_.Write("Fortune.txt", kLegacy);
    WriteCatalogue({CookieRecord(folder_.File("cookies.idx")), MakeRecord(1, 1, 3, "Fortune.txt", "Fortune.txt")});
    std::vector<std::string> possible = {"Cookie one\r\n", "Cookie two\r\n", "Legacy one \nwith its second line\n",
                                         "Legacy two\n", "Legacy three\n"};
    for (int run = 0; run < 3; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, possible)) << "run " << run << " wrote [" << text << "]";
    }
}
