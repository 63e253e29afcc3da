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

void RedirectAppDataWide(const std::wstring& folder)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                              0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    LONG set = RegSetValueExW(key, L"AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                              static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    ASSERT_EQ(set, ERROR_SUCCESS);
    wchar_t path[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) << "the shell should report the application-data folder";
    ASSERT_TRUE(folder == path) << "the shell does not take the redirected folder";
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
