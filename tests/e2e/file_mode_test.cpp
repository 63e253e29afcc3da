// The real merrowind.exe with an output file, in a temporary current folder,
// against the prefix's own catalogue key (these tests run one at a time).
#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"

class FileMode : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    TempFolder folder_;
};

TEST_F(FileMode, WritesOneBuiltInFortuneAndCreatesTheCatalogue)
{
    ASSERT_EQ(BuiltInTexts().size(), 4297u);
    ProcessResult run = RunMerrowind("out.txt", folder_.Path());
    ASSERT_TRUE(run.started) << "merrowind.exe should start";
    ASSERT_TRUE(run.finished) << "no window may open in file mode";
    EXPECT_EQ(run.exitCode, 0u);
    std::string text = ReadWholeFile(folder_.File("out.txt"));
    EXPECT_FALSE(text.empty()) << "expected a fortune in out.txt";
    EXPECT_TRUE(IsBuiltInText(text)) << "not byte for byte a built-in string: [" << text << "]";

    auto catalogue = ReadCatalogue();
    ASSERT_EQ(catalogue.size(), 1u);
    SourceRecord expected = MakeRecord(1, 0, 4297, "Internal Fortunes");
    EXPECT_EQ(catalogue[0], expected) << "the built-in record, zero-padded";
}

TEST_F(FileMode, ReplacesAnExistingFileAndAddsNothing)
{
    folder_.Write("out.txt", std::string(10000, 'z'));
    ProcessResult run = RunMerrowind("out.txt", folder_.Path());
    ASSERT_TRUE(run.finished) << "merrowind.exe should end by itself";
    EXPECT_EQ(run.exitCode, 0u);
    std::string text = ReadWholeFile(folder_.File("out.txt"));
    EXPECT_TRUE(IsBuiltInText(text)) << "no trailing line break, no leftovers of the old file";
}

TEST_F(FileMode, QuotedProgramPathAndQuotedFileNameWithSpace)
{
    CreateDirectoryA(folder_.File("my files").c_str(), nullptr);
    std::string line = "\"" + BuildFolder() + "\\merrowind.exe\" \"" + folder_.File("my files\\out put.txt") + "\"";
    ProcessResult run = RunCommandLine(line, folder_.Path());
    ASSERT_TRUE(run.finished) << "merrowind.exe should end by itself";
    EXPECT_EQ(run.exitCode, 0u);
    std::string text = ReadWholeFile(folder_.File("my files\\out put.txt"));
    EXPECT_TRUE(IsBuiltInText(text)) << "expected a built-in fortune, got [" << text.substr(0, 80) << "]";
}

TEST_F(FileMode, KeepsAnExistingCatalogueAndDrawsOnlyFromActiveSources)
{
    // Only an unknown kind is active: no source can be read, so the program
    // writes no file and says so with exit code 2.
    WriteCatalogue({MakeRecord(0, 0, 4297, "Internal Fortunes"), MakeRecord(1, 3, 100, "odd")});
    auto before = SnapshotKey(CatalogueKey);
    ProcessResult run = RunMerrowind("out.txt", folder_.Path());
    ASSERT_TRUE(run.finished) << "merrowind.exe should end by itself";
    EXPECT_EQ(run.exitCode, 2u) << "no source could be read";
    EXPECT_FALSE(FileExists(folder_.File("out.txt"))) << "expected no file " << folder_.File("out.txt");
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "the catalogue is left as it was";
}

TEST_F(FileMode, EmptyCatalogueKeyWithOnlyInactiveBuiltInEndsWithoutOutput)
{
    WriteCatalogue({MakeRecord(0, 0, 4297, "Internal Fortunes")});
    ProcessResult run = RunMerrowind("out.txt", folder_.Path());
    ASSERT_TRUE(run.finished) << "merrowind.exe should end by itself";
    EXPECT_EQ(run.exitCode, 1u) << "nothing to draw from";
    EXPECT_FALSE(FileExists(folder_.File("out.txt"))) << "expected no file " << folder_.File("out.txt");
}

// Six fortunes of a cookie file of their own, every other source off.
static void SixCookies(const TempFolder& folder, std::vector<std::string>* texts)
{
    std::string file;
    for (int i = 0; i < 6; ++i) {
        texts->push_back("Cookie " + std::to_string(i) + "\n");
        file += (i ? "%\n" : "") + texts->back();
    }
    folder.Write("six.txt", file);
    WriteCatalogue({MakeRecord(0, 0, 4297, "Internal Fortunes"),
                    MakeRecord(1, 2, 6, "six", folder.File("six.txt").c_str(), folder.File("six.idx").c_str())});
}

TEST_F(FileMode, StartsShowEveryFortuneOnceARoundAlsoStartedTogether)
{
    std::vector<std::string> texts;
    SixCookies(folder_, &texts);
    std::vector<std::string> shown;
    for (int run = 0; run < 12; ++run) shown.push_back(RunInFileMode(folder_.Path()));
    for (int round = 0; round < 2; ++round) {
        std::vector<std::string> one(shown.begin() + round * 6, shown.begin() + round * 6 + 6);
        std::sort(one.begin(), one.end());
        EXPECT_EQ(one, texts) << "round " << round;
    }
    // Six copies at once, each in a folder of its own, take the next round.
    std::vector<TempFolder> folders(6);
    std::vector<std::thread> copies;
    std::vector<ProcessResult> runs(6);
    for (int i = 0; i < 6; ++i) copies.emplace_back([&, i] { runs[i] = RunMerrowind("out.txt", folders[i].Path()); });
    for (std::thread& copy : copies) copy.join();
    std::vector<std::string> together;
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(runs[i].finished && runs[i].exitCode == 0) << "copy " << i;
        together.push_back(ReadWholeFile(folders[i].File("out.txt")));
    }
    std::sort(together.begin(), together.end());
    EXPECT_EQ(together, texts) << "two copies took the same step";
}
