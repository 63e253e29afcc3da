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

SavedAppDataValue SaveAppDataValue()
{
    SavedAppDataValue saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_READ, &key) != ERROR_SUCCESS) return saved;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, "AppData", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size, '\0');
        if (RegQueryValueExA(key, "AppData", nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
            ERROR_SUCCESS) {
            saved.present = true;
            saved.type = type;
            saved.data = data.substr(0, size);
        }
    }
    RegCloseKey(key);
    return saved;
}

void RestoreAppDataValue(const SavedAppDataValue& saved)
{
    if (saved.present) {
        SetRawValue(kUserShellFolders, "AppData", saved.type, saved.data);
        return;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "AppData");
    RegCloseKey(key);
}
