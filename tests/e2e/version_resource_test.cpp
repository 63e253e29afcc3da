// The version resource of merrowind.exe, read back as Windows reads it.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "version.h"

TEST(VersionResource, NamesTheProgramItsMakerAndTheBuildsVersion)
{
    std::string program = BuildFolder() + "\\merrowind.exe";
    std::vector<char> info(GetFileVersionInfoSizeA(program.c_str(), nullptr));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(program.c_str(), 0, info.size(), info.data())) << program;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD n[] = {MERROWIND_VERSION_NUMBERS}, ms = n[0] << 16 | n[1], ls = n[2] << 16 | n[3];
    EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}), std::vector<DWORD>({ms, ls, ms, ls})) << "file, product";

    const char* rows[][2] = {{"CompanyName", "Tolvane"}, {"ProductName", "Merrowind"},
        {"FileDescription", "Merrowind"}, {"OriginalFilename", "merrowind.exe"},
        {"FileVersion", MERROWIND_VERSION}, {"ProductVersion", MERROWIND_VERSION}};
    for (const auto& row : rows) {
        char* value = nullptr;  // stays null when the value is missing
        std::string path = std::string("\\StringFileInfo\\040904B0\\") + row[0];
        VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
        EXPECT_STREQ(value, row[1]) << row[0];
    }
}
