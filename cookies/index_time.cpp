#include "cookies/index_time.h"

int SameFileTime(uint64_t a, uint64_t b, int coarse)
{
    if (!coarse) return a == b ? 1 : 0;
    uint64_t apart = a > b ? a - b : b - a;
    return apart < kFileTimeSlack ? 1 : 0;
}

// Letters compared without case, ASCII only: the names are Windows' own.
static int SameName(const wchar_t* name, const char* expected)
{
    for (;; ++name, ++expected) {
        wchar_t c = *name >= L'a' && *name <= L'z' ? static_cast<wchar_t>(*name - L'a' + L'A') : *name;
        char e = *expected >= 'a' && *expected <= 'z' ? static_cast<char>(*expected - 'a' + 'A') : *expected;
        if (c != static_cast<wchar_t>(e)) return 0;
        if (e == '\0') return 1;
    }
}

int KeepsCoarseFileTimes(const wchar_t* fileSystem)
{
    return SameName(fileSystem, "FAT") || SameName(fileSystem, "FAT32") || SameName(fileSystem, "exFAT");
}

int EntriesFitFile(uint32_t lastEntry, uint64_t size)
{
    return lastEntry < size || lastEntry == 0 ? 1 : 0;
}
