// The real merrowind.exe given output-file names that cannot be written, or
// that name a device or are too long: no stray file may appear, and the run
// still ends with 0 once any window is answered.
#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "tests/support/bad_input.h"

namespace {

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
        EXPECT_EQ(FolderNames(folder_.Path()), files) << "nothing was created";
    }
    if (readOnlyHolds) {
        EXPECT_EQ(ReadWholeFile(folder_.File("readonly.txt")), "keep me");
    }
    EXPECT_EQ(FolderNames(folder_.File("folder")), std::set<std::string>()) << "nothing was written into the folder";
    SetFileAttributesA(folder_.File("readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(BadInput, DeviceNameWritesToTheDeviceOnly)
{
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run("NUL");
    EXPECT_EQ(run.windowsAnswered, 0) << "the null device takes the fortune";
    EXPECT_EQ(FolderNames(folder_.Path()), files) << "no file named NUL appears";
}

TEST_F(BadInput, LongOutputNamesAreCutTo259CharactersOrShownInstead)
{
    // The name is a folder of 200 characters and a file in it; a name longer
    // than 259 characters is cut to its first 259.
    std::string folderName(200, 'd');
    ASSERT_TRUE(CreateDirectoryA(folder_.File(folderName).c_str(), nullptr)) << "error " << GetLastError();
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
            EXPECT_TRUE(IsBuiltInText(text)) << "output of " << text.size() << " bytes: [" << text.substr(0, 60) << "]";
        } else {
            EXPECT_EQ(run.windowsAnswered, 1);
            EXPECT_EQ(inside, std::set<std::string>()) << "a failed write leaves nothing behind";
        }
    }
}

}  // namespace
