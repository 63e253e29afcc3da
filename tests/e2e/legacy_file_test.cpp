// The real merrowind.exe started beside a "Fortune.txt": the file joins the
// catalogue at start-up, its first line decides the built-in collection, and
// the turn draws from what that leaves switched on.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"

namespace {

class LegacyFile : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }

    // One start in file mode; returns what it wrote ("" for no file).
    std::string RunOnce(DWORD exitCode = 0) { return RunInFileMode(folder_.Path(), exitCode); }

    void ExpectCatalogue(int builtInActive, int legacyActive, uint32_t count)
    {
        std::vector<SourceRecord> catalogue = ReadCatalogue();
        ASSERT_EQ(catalogue.size(), 2u) << "the built-in record and the file's";
        EXPECT_EQ(catalogue[0], MakeRecord(builtInActive, kSourceBuiltIn, 4297, "Internal Fortunes"));
        EXPECT_EQ(catalogue[1], MakeRecord(legacyActive, kSourceLegacyText, count, "Fortune.txt", "Fortune.txt"));
    }

    void ExpectStoredScan(DWORD size, DWORD replace)
    {
        FILETIME written = LastWriteTime(folder_.File("Fortune.txt"));
        EXPECT_EQ(StoredDword(CatalogueKey, "FSize"), size);
        EXPECT_EQ(StoredDword(CatalogueKey, "FReplace"), replace);
        EXPECT_EQ(StoredDword(CatalogueKey, "LastLow"), written.dwLowDateTime) << "the file's time";
        EXPECT_EQ(StoredDword(CatalogueKey, "LastHigh"), written.dwHighDateTime) << "the file's time";
    }


    TempFolder folder_;
};

// Positions 0 to count - 1 are drawn, each reading line r of the file
// counted from 0.
const char kPlainFile[] = "first\nsecond\\nhalf\nthird\n";

TEST_F(LegacyFile, WithoutExtraOnlyTheFileIsDrawn)
{
    folder_.Write("Fortune.txt", kPlainFile);
    for (int run = 0; run < 3; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, {"first\n", "second \nhalf\n", "third\n"}))
            << "run " << run << " wrote [" << text << "]";
    }
    ExpectCatalogue(0, 1, 3);
    ExpectStoredScan(3, 0);
}

TEST_F(LegacyFile, ExtraKeepsTheBuiltInCollectionInTheDraw)
{
    folder_.Write("Fortune.txt", "EXTRA\nsecond\n");
    std::string text = RunOnce();
    EXPECT_TRUE(IsBuiltInText(text) || text == "EXTRA\n" || text == "second\n")
        << "wrote [" << text.substr(0, 80) << "]";
    ExpectCatalogue(1, 1, 2);
    ExpectStoredScan(2, 1);
}

TEST_F(LegacyFile, TheUsersSwitchStandsWhileTheFileIsUnchanged)
{
    folder_.Write("Fortune.txt", kPlainFile);
    RunOnce();
    // The user switches the file off: with the built-in collection off too,
    // nothing is left to draw, start after start.
    WriteCatalogue({MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"),
                    MakeRecord(0, kSourceLegacyText, 3, "Fortune.txt", "Fortune.txt")});
    std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
    EXPECT_EQ(RunOnce(1), "") << "nothing to draw from: exit code 1";
    EXPECT_EQ(RunOnce(1), "");
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "an unchanged file writes nothing";

    // Removing the file removes its record; the built-in collection keeps
    // the switch the last scan gave it.
    DeleteFileA(folder_.File("Fortune.txt").c_str());
    EXPECT_EQ(RunOnce(1), "");
    std::vector<SourceRecord> catalogue = ReadCatalogue();
    ASSERT_EQ(catalogue.size(), 1u);
    EXPECT_EQ(catalogue[0].kind, kSourceBuiltIn);
    EXPECT_EQ(catalogue[0].active, 0);
}

// Started from another folder (a sign-in entry starts in the system folder),
// it finds "Fortune.txt" beside itself, unless the current folder holds one.
TEST_F(LegacyFile, FoundBesideTheProgramUnlessTheCurrentFolderHoldsOne)
{
    TempFolder program;
    ASSERT_TRUE(CopyFileA((BuildFolder() + "\\merrowind.exe").c_str(), program.File("merrowind.exe").c_str(), FALSE));
    program.Write("Fortune.txt", "Beside the program\n");
    for (const char* text : {"Beside the program\n", "In the current folder\n"}) {
        if (text[0] == 'I') folder_.Write("Fortune.txt", text);
        ProcessResult run = RunCommandLine("\"" + program.File("merrowind.exe") + "\" out.txt", folder_.Path());
        EXPECT_TRUE(run.finished && run.exitCode == 0) << "exit code " << run.exitCode;
        EXPECT_EQ(ReadWholeFile(folder_.File("out.txt")), text);
        ExpectCatalogue(0, 1, 1);
    }
}

TEST_F(LegacyFile, AOneLineFileShowsItsOneFortune)
{
    // No "EXTRA": the built-in collection goes off and the file's single
    // fortune is the whole draw.
    folder_.Write("Fortune.txt", "The only one\n");
    for (int run = 0; run < 3; ++run) EXPECT_EQ(RunOnce(), "The only one\n") << "run " << run;
    ExpectCatalogue(0, 1, 1);
}

TEST_F(LegacyFile, BlankLinesAreNoFortunes)
{
    folder_.Write("Fortune.txt", "First\n\nSecond\n\n");
    for (int run = 0; run < 4; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(OneOf(text, {"First\n", "Second\n"})) << "run " << run << " wrote [" << text << "]";
    }
    ExpectCatalogue(0, 1, 2);
}

TEST_F(LegacyFile, AFileWithNothingToReadLeavesTheRestToDraw)
{
    // The record, unchanged since the last scan by its time, promises a
    // million lines; the file now holds only blank ones. The draw nearly
    // always falls on it: its reader fails, and the built-in collection
    // delivers instead.
    folder_.Write("Fortune.txt", "\n\n");
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(folder_.File("Fortune.txt").c_str(), GetFileExInfoStandard, &data)) << "error " << GetLastError();
    WriteCatalogue({MakeRecord(1, kSourceLegacyText, 1000000, "Fortune.txt", "Fortune.txt"),
                    MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")});
    SetLegacyScanValues(1000000, 1, data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
    std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
    for (int run = 0; run < 2; ++run) {
        std::string text = RunOnce();
        EXPECT_TRUE(IsBuiltInText(text)) << "run " << run << " wrote [" << text.substr(0, 80) << "]";
    }
    EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "the catalogue is left as it was";
    // With the built-in collection off there is nothing else: exit code 2.
    WriteCatalogue({MakeRecord(1, kSourceLegacyText, 1000000, "Fortune.txt", "Fortune.txt"),
                    MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes")});
    EXPECT_EQ(RunOnce(2), "");
}

}  // namespace
