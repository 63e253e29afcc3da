#include "core/sign_in.h"

#include <windows.h>

#include "core/draw_round.h"

static const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const char kApprovedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
static const char kRunValue[] = "Merrowind";

// This program's full path in quotes, as the installer writes it.
static int QuotedProgramPath(char (&quoted)[MAX_PATH + 3])
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    wsprintfA(quoted, "\"%s\"", path);
    return 1;
}

int StartsAtSignIn()
{
    char quoted[MAX_PATH + 3];
    if (!QuotedProgramPath(quoted)) return 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    char value[MAX_PATH + 3];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return 0;
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    if (lstrcmpiA(value, quoted) != 0) return 0;

    unsigned char approved[16];
    DWORD approvedSize = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        approvedSize = sizeof approved;
        if (RegQueryValueExA(key, kRunValue, nullptr, nullptr, approved, &approvedSize) != ERROR_SUCCESS)
            approvedSize = 0;
        RegCloseKey(key);
    }
    return StartupApprovedAllows(approved, approvedSize);
}

static int SetValue(const char* path, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(key, kRunValue, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

static int DeleteValue(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return 1;
    LONG status = RegDeleteValueA(key, kRunValue);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? 1 : 0;
}

int SetStartAtSignIn(int on)
{
    if (!on) {
        int run = DeleteValue(kRunKey);
        return DeleteValue(kApprovedKey) && run;
    }
    char quoted[MAX_PATH + 3];
    if (!QuotedProgramPath(quoted)) return 0;
    // Enabled as Startup apps writes it: an even first byte, then a zero
    // time of the last change.
    const unsigned char enabled[12] = {2};
    return SetValue(kRunKey, REG_SZ, quoted, static_cast<DWORD>(lstrlenA(quoted) + 1)) &&
           SetValue(kApprovedKey, REG_BINARY, enabled, sizeof enabled);
}
