#include "tests/support/app_data.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/support/win32_fixtures.h"

static const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void RedirectAppData(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    SetAppDataValue(folder);
    ASSERT_EQ(CurrentAppData(), folder) << "the shell does not take the redirected folder";
}

void SetAppDataValue(const std::string& value)
{
    SetRawValue(kUserShellFolders, "AppData", REG_SZ, value + std::string(1, '\0'));
}

std::string CurrentAppData()
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
    return path;
}
