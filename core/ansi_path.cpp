#include "core/ansi_path.h"

#include "core/ansi_path_rules.h"

// One try at an exact conversion: no best-fit letters (which would name
// another file), and the default character reported when one was used.
static AnsiPathRoute ConvertOnce(const wchar_t* wide, char (&path)[MAX_PATH], bool shortForm)
{
    BOOL usedDefault = FALSE;
    int bytes;
    if (GetACP() == CP_UTF8) {
        // UTF-8 has a form for every character, and this code page takes no
        // used-default flag.
        bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
    } else {
        bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, path, MAX_PATH, nullptr,
                                    &usedDefault);
    }
    return ChooseAnsiPathRoute(bytes > 0, usedDefault != FALSE, shortForm);
}

int AnsiPathFromWide(const wchar_t* wide, char (&path)[MAX_PATH])
{
    AnsiPathRoute route = ConvertOnce(wide, path, false);
    if (route == kAnsiPathTryShortForm) {
        wchar_t shortPath[MAX_PATH];
        DWORD length = GetShortPathNameW(wide, shortPath, MAX_PATH);
        route = length > 0 && length < MAX_PATH ? ConvertOnce(shortPath, path, true) : kAnsiPathNone;
    }
    if (route == kAnsiPathConverted) return 1;
    path[0] = '\0';
    return 0;
}
