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
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), &handle);
    ASSERT_NE(size, 0u) << "no version resource in " << program;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD numbers[] = {MERROWIND_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, numbers[0] << 16 | numbers[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, numbers[2] << 16 | numbers[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const struct { const char* name; const char* value; } rows[] = {
        {"CompanyName", "Tolvane"}, {"ProductName", "Merrowind"}, {"FileDescription", "Merrowind"},
        {"OriginalFilename", "merrowind.exe"}, {"FileVersion", MERROWIND_VERSION},
        {"ProductVersion", MERROWIND_VERSION}};
    for (const auto& row : rows) {
        std::string path = std::string("\\StringFileInfo\\040904B0\\") + row.name;
        char* value = nullptr;
        ASSERT_TRUE(VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) << row.name;
        EXPECT_STREQ(value, row.value) << row.name;
    }
}
