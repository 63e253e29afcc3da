// The real merrowind.exe against hostile state: malformed catalogue values
// and output-file arguments that cannot be written. After each run the
// process must have ended with exit code 0, the catalogue must hold exactly
// what the program's rules leave in it, and no file may appear in the
// current folder but the output file.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "res/resource_ids.h"
#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"

namespace {

std::string Bytes(const SourceRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::set<std::string> FolderNames(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }

    static bool IsBuiltIn(const std::string& text)
    {
        const auto& texts = BuiltInTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    // Runs with "out.txt" and answers any window; the run must end with 0.
    WindowedRun Run(const std::string& arguments = "out.txt")
    {
        WindowedRun run = RunMerrowindAnsweringWindows(arguments, folder_.Path(), IDC_FORTUNE_TEXT);
        EXPECT_TRUE(run.process.started);
        EXPECT_TRUE(run.process.finished) << "the program must end by itself once its windows are answered";
        EXPECT_EQ(run.process.exitCode, 0u);
        return run;
    }

    // The output, when there is one, is a whole built-in fortune, and the
    // folder holds nothing else that the run made.
    void ExpectBuiltInOrNothing(const std::set<std::string>& before)
    {
        std::set<std::string> after = FolderNames(folder_.Path());
        if (after.count("out.txt") != 0 && before.count("out.txt") == 0) {
            std::string text = ReadWholeFile(folder_.File("out.txt"));
            EXPECT_TRUE(IsBuiltIn(text)) << "output is not a built-in fortune: [" << text.substr(0, 80) << "]";
            after.erase("out.txt");
        }
        EXPECT_TRUE(after == before) << "files appeared in the current folder";
    }

    TempFolder folder_;
};

// One malformed value beside a sound built-in record: none may crash the
// program or be rewritten by it.
struct MalformedValue {
    const char* what;
    DWORD type;
    std::string data;
};

std::vector<MalformedValue> MalformedValues()
{
    SourceRecord builtIn = MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes");
    std::string whole = Bytes(builtIn);
    SourceRecord unterminated = MakeRecord(1, kSourceCookieFile, 5, "");
    memset(unterminated.name, 'N', sizeof unterminated.name);
    memset(unterminated.cookiePath, 'C', sizeof unterminated.cookiePath);
    memset(unterminated.indexPath, 'I', sizeof unterminated.indexPath);
    return {
        {"0 bytes", REG_BINARY, ""},
        {"1 byte", REG_BINARY, std::string(1, '\x01')},
        {"787 bytes", REG_BINARY, whole.substr(0, 787)},
        {"789 bytes", REG_BINARY, whole + "x"},
        {"4096 bytes of 0xFF", REG_BINARY, std::string(4096, '\xFF')},
        {"REG_SZ", REG_SZ, std::string("Internal Fortunes\0", 18)},
        {"fields without NUL", REG_BINARY, Bytes(unterminated)},
        {"kind 3", REG_BINARY, Bytes(MakeRecord(1, 3, 100, "three"))},
        {"kind -1", REG_BINARY, Bytes(MakeRecord(1, -1, 100, "minus one"))},
        {"count 0xFFFFFFFF", REG_BINARY, Bytes(MakeRecord(1, kSourceBuiltIn, 0xFFFFFFFFu, "huge"))},
    };
}

TEST_F(BadInput, MalformedCatalogueValuesAreReadSafelyAndLeftAlone)
{
    for (const MalformedValue& value : MalformedValues()) {
        SCOPED_TRACE(value.what);
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        DeleteFileA(folder_.File("out.txt").c_str());
        WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")});
        SetRawValue(CatalogueKey, "MWD00001", value.type, value.data);
        std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
        std::set<std::string> files = FolderNames(folder_.Path());

        WindowedRun run = Run();
        EXPECT_EQ(run.windowsAnswered, 0) << "file mode shows no window";
        EXPECT_TRUE(SnapshotKey(CatalogueKey) == before) << "the catalogue must stay byte-identical";
        ExpectBuiltInOrNothing(files);
    }
}

TEST_F(BadInput, AGapEndsTheCatalogue)
{
    // What lies behind a gap is not part of the catalogue: not drawn, not
    // removed, not renumbered.
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")});
    SetRawValue(CatalogueKey, "MWD00002", REG_BINARY, Bytes(MakeRecord(1, kSourceLegacyText, 3, "Fortune.txt", "Fortune.txt")));
    std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run();
    EXPECT_EQ(run.windowsAnswered, 0);
    EXPECT_TRUE(SnapshotKey(CatalogueKey) == before);
    ExpectBuiltInOrNothing(files);
    EXPECT_TRUE(FileExists(folder_.File("out.txt"))) << "the built-in record before the gap is drawn";
}

TEST_F(BadInput, AGapAtTheStartGetsTheBuiltInRecord)
{
    // An empty run gets the built-in record at position 0, which closes the
    // gap: the stray value behind it joins the catalogue as it is.
    SourceRecord stray = MakeRecord(1, kSourceCookieFile, 3, "stray", "C:\\nowhere.txt");
    SetRawValue(CatalogueKey, "MWD00001", REG_BINARY, Bytes(stray));
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run();
    EXPECT_EQ(run.windowsAnswered, 0);
    std::vector<SourceRecord> catalogue = ReadCatalogue();
    ASSERT_EQ(catalogue.size(), 2u);
    EXPECT_TRUE(SameRecord(catalogue[0], MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")));
    EXPECT_TRUE(SameRecord(catalogue[1], stray)) << "the stray value is left as it was";
    ExpectBuiltInOrNothing(files);
}

// Output files that cannot be written: the fortune is shown instead, and the
// run still ends with 0 once the window is answered.
TEST_F(BadInput, UnwritableOutputShowsTheWindowInstead)
{
    CreateDirectoryA(folder_.File("folder").c_str(), nullptr);
    folder_.Write("readonly.txt", "keep me");
    SetFileAttributesA(folder_.File("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    struct Case {
        const char* what;
        std::string argument;
    } cases[] = {
        {"a folder", "folder"},
        {"a missing folder", "missing\\out.txt"},
        {"a read-only file", "readonly.txt"},
    };
    // Wine run by root writes a read-only file as Windows never would; the
    // case means something only where the platform refuses the write.
    HANDLE probe = CreateFileA(folder_.File("readonly.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    bool readOnlyHolds = probe == INVALID_HANDLE_VALUE;
    if (!readOnlyHolds) CloseHandle(probe);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.argument == "readonly.txt" && !readOnlyHolds) {
            printf("note: this platform lets read-only files be written; that case is not checked\n");
            continue;
        }
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        std::set<std::string> files = FolderNames(folder_.Path());
        WindowedRun run = Run(c.argument);
        EXPECT_EQ(run.windowsAnswered, 1) << "one fortune window instead of the file";
        EXPECT_EQ(run.firstCaption, "Merrowind");
        EXPECT_FALSE(run.firstText.empty()) << "the window shows the fortune";
        EXPECT_TRUE(FolderNames(folder_.Path()) == files) << "nothing was created";
    }
    if (readOnlyHolds) {
        EXPECT_EQ(ReadWholeFile(folder_.File("readonly.txt")), "keep me");
    }
    EXPECT_TRUE(FolderNames(folder_.File("folder")).empty());
    SetFileAttributesA(folder_.File("readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(BadInput, DeviceNameWritesToTheDeviceOnly)
{
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run("NUL");
    EXPECT_EQ(run.windowsAnswered, 0) << "the null device takes the fortune";
    EXPECT_TRUE(FolderNames(folder_.Path()) == files) << "no file named NUL appears";
}

TEST_F(BadInput, LongOutputNamesAreCutTo259CharactersOrShownInstead)
{
    // The name is a folder of 200 characters and a file in it; a name longer
    // than 259 characters is cut to its first 259.
    std::string folderName(200, 'd');
    ASSERT_TRUE(CreateDirectoryA(folder_.File(folderName).c_str(), nullptr));
    for (size_t length : {259u, 300u}) {
        SCOPED_TRACE(length);
        std::string argument = folderName + "\\" + std::string(length - folderName.size() - 1, 'f');
        std::string cut = argument.substr(0, 259);
        DeleteFileA(folder_.File(cut).c_str());
        WindowedRun run = Run(argument);
        std::set<std::string> inside = FolderNames(folder_.File(folderName));
        if (run.windowsAnswered == 0) {
            ASSERT_EQ(inside.size(), 1u) << "exactly the cut name is written";
            EXPECT_EQ(*inside.begin(), cut.substr(folderName.size() + 1));
            // The whole path is longer than MAX_PATH: read it as the program
            // wrote it, relative to the folder.
            char previous[MAX_PATH];
            GetCurrentDirectoryA(MAX_PATH, previous);
            SetCurrentDirectoryA(folder_.Path().c_str());
            std::string text = ReadWholeFile(cut);
            DeleteFileA(cut.c_str());
            SetCurrentDirectoryA(previous);
            EXPECT_TRUE(IsBuiltIn(text)) << "output of " << text.size() << " bytes: [" << text.substr(0, 60) << "]";
        } else {
            EXPECT_EQ(run.windowsAnswered, 1);
            EXPECT_TRUE(inside.empty()) << "a failed write leaves nothing behind";
        }
    }
}

}  // namespace
