#include "cookies/put_away.h"

#include <windows.h>
#include <string.h>

#include "cookies/index_location.h"
#include "cookies/scanner.h"
#include "cookies/shared_read.h"
#include "core/text_encoding.h"

const char kPutAwayFileName[] = "Merrowind Put Away.txt";

// This run's list: the fortunes in their kept form, each followed by a NUL
// (a text holds none). Null until the first question.
static char* g_kept = nullptr;
static uint32_t g_keptSize = 0;
static uint32_t g_keptCount = 0;
static int g_loaded = 0;

static uint32_t TextLength(const char* text)
{
    return static_cast<uint32_t>(lstrlenA(text));
}

// The kept form ends with a line break, as a fortune of a cookie file does:
// one without gets an LF.
static uint32_t KeptLength(const char* text, uint32_t length)
{
    return length > 0 && text[length - 1] == '\n' ? length : length + 1;
}

static int Keep(const char* text, uint32_t length)
{
    uint32_t kept = KeptLength(text, length);
    uint32_t size = g_keptSize + kept + 1;
    char* grown = static_cast<char*>(g_kept == nullptr ? LocalAlloc(LMEM_FIXED, size)
                                                       : LocalReAlloc(g_kept, size, LMEM_MOVEABLE));
    if (grown == nullptr) return 0;
    g_kept = grown;
    CopyMemory(g_kept + g_keptSize, text, length);
    if (kept > length) g_kept[g_keptSize + length] = '\n';
    g_kept[g_keptSize + kept] = '\0';
    g_keptSize = size;
    ++g_keptCount;
    return 1;
}

static int PutAwayPath(char (&path)[MAX_PATH], int create)
{
    return ProgramFolderFile(kPutAwayFileName, path, create);
}

// The whole file into memory; null when there is none or it cannot be read.
static char* ReadPutAwayFile(uint32_t* size)
{
    *size = 0;
    char path[MAX_PATH];
    if (!PutAwayPath(path, 0)) return nullptr;
    HANDLE file = OpenSharedForReading(path);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    DWORD high = 0;
    DWORD length = GetFileSize(file, &high);
    char* bytes = nullptr;
    if (length != INVALID_FILE_SIZE && high == 0 && length < 0x10000000u) {
        bytes = static_cast<char*>(LocalAlloc(LMEM_FIXED, length + 1));
        DWORD got = 0;
        if (bytes != nullptr && (!ReadFile(file, bytes, length, &got, nullptr) || got != length)) {
            LocalFree(bytes);
            bytes = nullptr;
        }
        *size = bytes != nullptr ? length : 0;
    }
    CloseHandle(file);
    return bytes;
}

// The file's fortunes, read as the cookie reader reads any cookie file: each
// begins where the indexer's scan says and ends before its separator.
static void LoadPutAway()
{
    g_loaded = 1;
    uint32_t size;
    char* bytes = ReadPutAwayFile(&size);
    if (bytes == nullptr) return;
    uint32_t start = Utf8MarkLength(bytes, size);
    CookieScanState state = kScanInText;
    for (uint32_t at = start; at <= size; ++at) {
        if (at < size && !ScanCookieByte(&state, static_cast<unsigned char>(bytes[at]))) continue;
        // A fortune ends at the next start, or at the end of the file.
        if (start < size) {
            uint32_t length = CookieFortuneLength(bytes + start, (at < size ? at : size) - start);
            // A last piece of line breaks only, after a "%" line, is none.
            uint32_t i = 0;
            while (i < length && IsLineBreakByte(static_cast<unsigned char>(bytes[start + i]))) ++i;
            if (i < length) Keep(bytes + start, length);
        }
        start = at;
    }
    LocalFree(bytes);
}

int IsPutAway(const char* text)
{
    if (!g_loaded) LoadPutAway();
    if (g_keptCount == 0) return 0;
    uint32_t length = TextLength(text);
    uint32_t kept = KeptLength(text, length);
    for (uint32_t at = 0; at < g_keptSize;) {
        uint32_t pieceLength = TextLength(g_kept + at);
        if (pieceLength == kept && memcmp(g_kept + at, text, length) == 0) return 1;
        at += pieceLength + 1;
    }
    return 0;
}

// Appended, so that two copies putting one away each keep both. A file the
// user left without a line break or a "%" line at its end gets them first.
int PutAwayFortune(const char* text)
{
    if (!g_loaded) LoadPutAway();
    char path[MAX_PATH];
    if (!PutAwayPath(path, 1)) return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char tail[3] = {0, 0, 0};
    DWORD size = GetFileSize(file, nullptr);
    DWORD got = 0;
    if (size != INVALID_FILE_SIZE && size > 0) {
        DWORD back = size < 3 ? size : 3;
        SetFilePointer(file, static_cast<LONG>(size - back), nullptr, FILE_BEGIN);
        if (!ReadFile(file, tail + (3 - back), back, &got, nullptr)) got = 0;
    }
    const char* lead = "";
    if (got > 0) {
        int endsWithBreak = tail[2] == '\n';
        int endsWithSeparator = endsWithBreak && (tail[1] == '%' || (tail[1] == '\r' && tail[0] == '%'));
        lead = endsWithSeparator ? "" : endsWithBreak ? "%\n" : "\n%\n";
    }
    uint32_t length = TextLength(text);
    DWORD written = 0;
    int ok = WriteFile(file, lead, static_cast<DWORD>(lstrlenA(lead)), &written, nullptr) &&
             WriteFile(file, text, length, &written, nullptr) && written == length;
    if (ok && KeptLength(text, length) > length) ok = WriteFile(file, "\n", 1, &written, nullptr);
    if (ok) ok = WriteFile(file, "%\n", 2, &written, nullptr);
    CloseHandle(file);
    if (ok) Keep(text, length);
    return ok ? 1 : 0;
}

uint32_t CountPutAway()
{
    if (!g_loaded) LoadPutAway();
    return g_keptCount;
}

void ForgetPutAwayList()
{
    if (g_kept != nullptr) LocalFree(g_kept);
    g_kept = nullptr;
    g_keptSize = 0;
    g_keptCount = 0;
    g_loaded = 0;
}

int BringBackAll()
{
    ForgetPutAwayList();
    g_loaded = 1;
    char path[MAX_PATH];
    if (!PutAwayPath(path, 0)) return 1;
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}
