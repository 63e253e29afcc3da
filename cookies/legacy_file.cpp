#include "cookies/legacy_file.h"

#include <wchar.h>

#include "core/ansi_path.h"
#include "core/product.h"

static int IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The file's path in the program's folder, asked for in wide letters: the
// folder may be named outside the ANSI code page.
static int BesideProgram(char (&path)[MAX_PATH])
{
    wchar_t name[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, kLegacyFileName, -1, name, MAX_PATH) == 0) return 0;
    wchar_t wide[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    wchar_t* slash = wcsrchr(wide, L'\\');
    if (slash == nullptr) return 0;
    int room = MAX_PATH - static_cast<int>(slash + 1 - wide);
    if (lstrlenW(name) >= room) return 0;
    lstrcpynW(slash + 1, name, room);
    return AnsiPathFromWide(wide, path);
}

int FindLegacyFile(char (&path)[MAX_PATH])
{
    lstrcpynA(path, kLegacyFileName, MAX_PATH);
    if (IsFile(path)) return 1;
    char beside[MAX_PATH];
    if (!BesideProgram(beside) || !IsFile(beside)) return 0;
    lstrcpynA(path, beside, MAX_PATH);
    return 1;
}
