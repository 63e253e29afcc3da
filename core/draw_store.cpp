#include "core/draw_store.h"

#include <windows.h>
// RtlGenRandom (advapi32's SystemFunction036).
#include <ntsecapi.h>

#include "core/catalogue.h"

const char kRepeatsOption[] = "Repeats";
const char kOneADayOption[] = "OneADay";
const char kRoundStateValue[] = "RoundState";

static int OpenCatalogueKey(REGSAM access, HKEY* key)
{
    if (access == KEY_READ) return RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_READ, key) == ERROR_SUCCESS;
    char noClass[] = "";
    return RegCreateKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                           nullptr) == ERROR_SUCCESS;
}

int ReadDrawOption(const char* name)
{
    HKEY key;
    if (!OpenCatalogueKey(KEY_READ, &key)) return 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0 ? 1 : 0;
}

int WriteDrawOption(const char* name, int on)
{
    HKEY key;
    if (!OpenCatalogueKey(KEY_WRITE, &key)) return 0;
    DWORD value = on ? 1u : 0u;
    LONG status = on ? RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value)
                     : RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || (!on && status == ERROR_FILE_NOT_FOUND) ? 1 : 0;
}

int ReadRoundState(RoundState* state)
{
    *state = RoundState();
    HKEY key;
    if (!OpenCatalogueKey(KEY_READ, &key)) return 0;
    RoundState read;
    DWORD size = sizeof read;
    LONG status = RegQueryValueExA(key, kRoundStateValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size != sizeof read || read.version != kRoundStateVersion) return 0;
    *state = read;
    return 1;
}

int WriteRoundState(const RoundState* state)
{
    HKEY key;
    if (!OpenCatalogueKey(KEY_WRITE, &key)) return 0;
    LONG status = RegSetValueExA(key, kRoundStateValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(state),
                                 sizeof *state);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

int NewRoundKey(uint64_t* key)
{
    *key = 0;
    return RtlGenRandom(key, sizeof *key) ? 1 : 0;
}
